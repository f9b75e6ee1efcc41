#include "platform/Platform.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSaveFile>
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

// Start shortcuts as freedesktop launchers.
class SystemShortcuts : public Shortcuts {
public:
    QString folder(const QString& place) override {
        QString f;
        if (place == "desktop") f = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (place == "startmenu") f = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
        if (place == "quicklaunch") {
            const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
            if (!data.isEmpty()) f = data + "/kovu/quicklaunch";
        }
        while (f.size() > 1 && f.endsWith('/')) f.chop(1);
        return f;
    }

    QString fileName(const QString& name) override { return name + ".desktop"; }

    bool create(const QString& path, const QString& name, const QString& target, const QString& workingFolder,
                const QImage& icon, QString& error) override {
        const QString iconPath = writeIcon(workingFolder, icon);
        QSaveFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            error = f.errorString();
            return false;
        }
        f.write(desktopEntryText(name, target, workingFolder, iconPath).toUtf8());
        if (!f.commit()) {
            error = f.errorString();
            return false;
        }
        // Desktops start only launchers that are marked executable.
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                        QFileDevice::ReadOther | QFileDevice::ExeOther);
        return true;
    }

    bool remove(const QString& path, QString& error) override {
        QFile f(path);
        if (!f.exists()) return true;
        if (f.remove()) return true;
        error = f.errorString();
        return false;
    }

private:
    // The program's icon as kovu.png beside the program; an icon that cannot be written leaves the
    // launcher without one (an older copy is used when there is one).
    static QString writeIcon(const QString& folder, const QImage& icon) {
        const QString path = QDir(folder).filePath("kovu.png");
        if (!icon.isNull()) {
            QSaveFile f(path);
            if (f.open(QIODevice::WriteOnly) && icon.save(&f, "PNG") && f.commit()) return path;
        }
        return QFileInfo::exists(path) ? path : QString();
    }
};

// A value of type string: backslash, line breaks and tabs escaped, a leading blank as \s.
QString desktopString(const QString& v) {
    QString out;
    for (int i = 0; i < v.size(); ++i) {
        const QChar c = v.at(i);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == ' ' && i == 0)
            out += "\\s";
        else
            out += c;
    }
    return out;
}

// One argument of Exec: quoted, with the characters that are special inside quotes escaped and a
// percent sign doubled so that it is not taken for a field code.
QString execArgument(const QString& arg) {
    QString q = "\"";
    for (const QChar c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') q += '\\';
        if (c == '%') q += '%';
        q += c;
    }
    q += '"';
    return q;
}

// The Exec value that starts target. GLib takes a launcher whose program it cannot find for no
// launcher at all, and it looks the program up before it turns "%%" back into "%": a program whose
// path holds a percent sign is started through the shell instead, which is found, and gets the
// path as its argument "$0".
QString execLine(const QString& target) {
    if (!target.contains('%')) return execArgument(target);
    return QStringLiteral("/bin/sh -c ") + execArgument(QStringLiteral("exec \"$0\"")) + ' ' +
           execArgument(target);
}

}  // namespace

std::unique_ptr<Shortcuts> makeSystemShortcuts() { return std::make_unique<SystemShortcuts>(); }

QString desktopEntryText(const QString& name, const QString& target, const QString& workingFolder,
                         const QString& iconPath) {
    QString t = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    t += "Name=" + desktopString(name) + "\n";
    t += "Comment=" + desktopString(QStringLiteral("儿童算术、拼音、英语练习软件")) + "\n";
    t += "Exec=" + desktopString(execLine(target)) + "\n";
    t += "Path=" + desktopString(workingFolder) + "\n";
    if (!iconPath.isEmpty()) t += "Icon=" + desktopString(iconPath) + "\n";
    t += "Terminal=false\nCategories=Education;\n";
    return t;
}

Platform::Platform()
    : m_dialogs(std::make_unique<QtDialogs>()),
      m_inputMethods(std::make_unique<SystemInputMethods>()),
      m_shortcuts(makeSystemShortcuts()),
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
