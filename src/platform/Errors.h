#pragma once

#include <QString>
#include <stdexcept>

namespace kovu {

// An error that the program does not test for: a failing statement, an undecodable picture,
// a failed number conversion. It is thrown where it happens and caught at the edge of the
// handler that raised it, where the default error handler shows its message.
class KovuError : public std::runtime_error {
public:
    explicit KovuError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

[[noreturn]] inline void fail(const QString& message) { throw KovuError(message); }

}  // namespace kovu
