#include "platform/Platform.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
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

// Input methods of the running fcitx5 daemon (the current group, over D-Bus) or else of ibus (its
// command-line tool); no daemon means an empty list. The list is read once per run.
class SystemInputMethods : public InputMethods {
public:
    QStringList list() override {
        if (m_cached) return m_names;
        m_cached = true;
        if (fcitxNames(&m_names)) {
            m_kind = Kind::Fcitx;
        } else if (ibusNames(&m_names)) {
            m_kind = Kind::Ibus;
        }
        return m_names;
    }
    void activate(int index) override {
        const QStringList names = list();
        if (index < 0 || index >= names.size()) return;
        if (m_kind == Kind::Fcitx) {
            QDBusInterface c(kFcitxService, kFcitxPath, kFcitxInterface, QDBusConnection::sessionBus());
            c.call("SetCurrentIM", names.at(index));
            c.call("Activate");
        } else if (m_kind == Kind::Ibus) {
            QProcess::startDetached("ibus", {"engine", names.at(index)});
        }
    }
    void deactivate() override {
        list();
        if (m_kind == Kind::Fcitx) {
            QDBusInterface c(kFcitxService, kFcitxPath, kFcitxInterface, QDBusConnection::sessionBus());
            c.call("Deactivate");
        }
        // ibus has no switch-off command; the box itself refuses composed input.
    }

private:
    enum class Kind { None, Fcitx, Ibus };
    static constexpr const char* kFcitxService = "org.fcitx.Fcitx5";
    static constexpr const char* kFcitxPath = "/controller";
    static constexpr const char* kFcitxInterface = "org.fcitx.Fcitx.Controller1";

    static bool fcitxNames(QStringList* names) {
        // Without a session bus address Qt would try to launch one; no bus means no fcitx5.
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return false;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kFcitxService))
            return false;
        QDBusInterface c(kFcitxService, kFcitxPath, kFcitxInterface, bus);
        const QDBusMessage group = c.call("CurrentInputMethodGroup");
        if (group.type() != QDBusMessage::ReplyMessage || group.arguments().isEmpty()) return false;
        const QDBusMessage info = c.call("InputMethodGroupInfo", group.arguments().at(0).toString());
        if (info.type() != QDBusMessage::ReplyMessage || info.arguments().size() < 2) return false;
        // (default layout, [(input method, layout)])
        const QDBusArgument items = info.arguments().at(1).value<QDBusArgument>();
        items.beginArray();
        while (!items.atEnd()) {
            QString im, layout;
            items.beginStructure();
            items >> im >> layout;
            items.endStructure();
            if (!im.isEmpty()) *names << im;
        }
        items.endArray();
        return true;
    }

    static bool ibusNames(QStringList* names) {
        QProcess p;
        p.start("ibus", {"list-engine", "--name-only"});
        if (!p.waitForFinished(2000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return false;
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        // Without a daemon the tool says so and still exits 0.
        if (out.startsWith("Can't")) return false;
        for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
            const QString name = line.trimmed();
            if (!name.isEmpty()) *names << name;
        }
        return true;
    }

    bool m_cached = false;
    Kind m_kind = Kind::None;
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
