#pragma once

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <random>

#include "platform/Dialogs.h"

namespace kovu {

// Start shortcuts ("启动Kovu" links): where they go and how one is written or removed.
class Shortcuts {
public:
    virtual ~Shortcuts() = default;
    // Folder for a place: "desktop", "startmenu" or "quicklaunch"; empty when unknown.
    virtual QString folder(const QString& place) = 0;
    virtual bool create(const QString& linkPath, const QString& target, const QString& workingFolder,
                        const QString& iconPath) = 0;
    virtual bool remove(const QString& linkPath) = 0;
};

// The installed input methods and switching to one for an edit box: the engines of a running fcitx5
// or ibus daemon, in the order it reports them; none without a daemon.
class InputMethods {
public:
    virtual ~InputMethods() = default;
    virtual QStringList list() = 0;
    // Opens the input method at index of list(); an index outside the list opens none.
    virtual void activate(int index) = 0;
    // Closes the input method, for boxes that take letters and digits only.
    virtual void deactivate() = 0;
};

// What the original program asked of the operating system. The real one answers from Qt and the
// system; tests plug in one with a fixed screen, version, clock and draw.
class Platform {
public:
    Platform();
    virtual ~Platform();

    virtual QSize screenSize() const;
    virtual int osMajorVersion() const;
    virtual QDateTime now() const;
    // A whole number from 0 to n - 1, as Random(n).
    virtual int random(int n);

    Dialogs& dialogs() { return *m_dialogs; }
    void setDialogs(std::unique_ptr<Dialogs> d) { m_dialogs = std::move(d); }
    InputMethods& inputMethods() { return *m_inputMethods; }
    void setInputMethods(std::unique_ptr<InputMethods> m) { m_inputMethods = std::move(m); }
    Shortcuts& shortcuts() { return *m_shortcuts; }
    void setShortcuts(std::unique_ptr<Shortcuts> s) { m_shortcuts = std::move(s); }

private:
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<InputMethods> m_inputMethods;
    std::unique_ptr<Shortcuts> m_shortcuts;
    std::mt19937 m_rng;
};

}  // namespace kovu
