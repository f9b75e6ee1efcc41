#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTextStream>

namespace kovu {

namespace {

// Input methods of the running ibus or fcitx5 daemon; no daemon means an empty list.
class SystemInputMethods : public InputMethods {
public:
    QStringList list() override {
        if (m_cached) return m_names;
        m_cached = true;
        QProcess p;
        p.start("ibus", {"list-engine", "--name-only"});
        if (p.waitForFinished(2000) && p.exitCode() == 0) {
            const QString out = QString::fromUtf8(p.readAllStandardOutput());
            for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
                const QString name = line.trimmed();
                if (!name.isEmpty() && !name.startsWith("Can't")) m_names << name;
            }
        }
        return m_names;
    }
    void activate(int index) override {
        const QStringList names = list();
        if (index < 0 || index >= names.size()) return;
        QProcess::startDetached("ibus", {"engine", names.at(index)});
    }

private:
    bool m_cached = false;
    QStringList m_names;
};

// Start shortcuts as freedesktop .desktop entries.
class SystemShortcuts : public Shortcuts {
public:
    QString folder(const QString& place) override {
        if (place == "desktop") return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (place == "startmenu")
            return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
        if (place == "quicklaunch")
            return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   "/kovu/quicklaunch";
        return {};
    }
    bool create(const QString& linkPath, const QString& target, const QString& workingFolder,
                const QString& iconPath) override {
        QDir().mkpath(QFileInfo(linkPath).absolutePath());
        QFile f(linkPath);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        QTextStream out(&f);
        out << "[Desktop Entry]\nType=Application\nName=启动Kovu\nExec=\"" << target
            << "\"\nPath=" << workingFolder << "\nIcon=" << iconPath << "\nTerminal=false\n";
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return true;
    }
    bool remove(const QString& linkPath) override { return QFile::remove(linkPath); }
};

}  // namespace

Platform::Platform()
    : m_dialogs(std::make_unique<QtDialogs>()),
      m_inputMethods(std::make_unique<SystemInputMethods>()),
      m_shortcuts(std::make_unique<SystemShortcuts>()),
      m_rng(std::random_device{}()) {}

Platform::~Platform() = default;

QSize Platform::screenSize() const {
    if (QScreen* s = QGuiApplication::primaryScreen()) return s->size();
    return {1024, 768};
}

int Platform::osMajorVersion() const {
    // Only version 5 of the original system had the narrow caption; every other answer means the
    // larger allowance. The kernel's major version serves here.
    const QString v = QSysInfo::kernelVersion();
    bool ok = false;
    const int major = v.section('.', 0, 0).toInt(&ok);
    return ok ? major : 6;
}

QDateTime Platform::now() const { return QDateTime::currentDateTime(); }

int Platform::random(int n) {
    if (n <= 0) return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(m_rng);
}

}  // namespace kovu
