#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

namespace kovu {

class Dialogs;

// The default error handler: shows an error that escaped a handler in a message box titled with
// the application title and lets the program go on.
void setDefaultErrorDialogs(Dialogs* dialogs);
void showUnexpectedError(const QString& message);
void handleCurrentException();

// Wraps a handler so that no exception leaves it: every signal of the program is connected through
// this, so an unexpected error abandons just the running handler.
template <typename Fn>
auto guarded(Fn fn) {
    return [fn = std::move(fn)](auto&&... args) {
        try {
            // Signals may pass more arguments than the handler takes (or private tags).
            if constexpr (std::is_invocable_v<const Fn&, decltype(args)...>)
                fn(std::forward<decltype(args)>(args)...);
            else
                fn();
        } catch (...) {
            handleCurrentException();
        }
    };
}

// Runs fn at once under the default error handler; returns false when it raised an error.
inline bool runGuarded(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (...) {
        handleCurrentException();
        return false;
    }
}

}  // namespace kovu
