#pragma once

#include <functional>
#include <memory>

namespace kovu {

// The building of a group of controls that belong together (a panel and the controls it drives),
// run once, the first time one of them is used.
class OnDemandGroup {
public:
    explicit OnDemandGroup(std::function<void()> build) : m_build(std::move(build)) {}
    void build() {
        if (m_started) return;
        m_started = true;
        m_build();
    }
    bool started() const { return m_started; }

private:
    std::function<void()> m_build;
    bool m_started = false;
};

// A control of the form that is built on first use: used as the pointer it stands for, it builds its
// group first. peek() gives the control only when it already exists, for the steps that have
// nothing to do on a control that was never shown.
template <class T>
class OnDemand {
public:
    void attach(std::shared_ptr<OnDemandGroup> group) { m_group = std::move(group); }
    void set(T* control) { m_control = control; }

    T* get() const {
        if (!m_control && m_group) m_group->build();
        return m_control;
    }
    T* peek() const { return m_control; }
    T* operator->() const { return get(); }
    operator T*() const { return get(); }  // NOLINT(google-explicit-constructor): stands for the pointer

private:
    T* m_control = nullptr;
    std::shared_ptr<OnDemandGroup> m_group;
};

}  // namespace kovu
