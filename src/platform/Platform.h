#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <random>

#include "platform/Dialogs.h"

namespace kovu {

// Start shortcuts: launcher files that start the program, in the places the user can choose.
class Shortcuts {
public:
    virtual ~Shortcuts() = default;
    // The folder of a place, "desktop", "startmenu" or "quicklaunch", without a trailing
    // separator; empty when the system names none.
    virtual QString folder(const QString& place) = 0;
    // The file name of the launcher of a shortcut called name (the same in every place).
    virtual QString fileName(const QString& name) = 0;
    // Writes the launcher file path for a shortcut called name that starts target in workingFolder,
    // with icon as its picture (written beside the program). Returns false with the reason in error
    // when the launcher could not be written; a launcher is never left half-written.
    virtual bool create(const QString& path, const QString& name, const QString& target,
                        const QString& workingFolder, const QImage& icon, QString& error) = 0;
    // Removes the launcher file path; false with the reason in error when it exists and stays.
    virtual bool remove(const QString& path, QString& error) = 0;
};

// The system's start shortcuts: freedesktop launchers "<name>.desktop" on the XDG desktop
// (XDG_DESKTOP_DIR), in the XDG applications folder (the start menu) and in the quick-launch
// folder $XDG_DATA_HOME/kovu/quicklaunch; the icon is written as kovu.png beside the program.
std::unique_ptr<Shortcuts> makeSystemShortcuts();
// The text of a freedesktop launcher called name that starts target in workingFolder, with
// every value escaped as the Desktop Entry rules ask (quoted Exec argument, %% for %); a target
// with a percent sign is started through /bin/sh, since GLib looks for the program under its
// escaped name.
QString desktopEntryText(const QString& name, const QString& target, const QString& workingFolder,
                         const QString& iconPath);

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
