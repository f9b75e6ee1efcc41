#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLibrary>
#include <QProcess>
#include <QTest>

#include "TestSupport.h"
#include "app/DataFolder.h"
#include "app/TfrmKovu.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PicturePage.h"
#include "progress/ProgressChart.h"
#include "speech/Speech.h"
#include "strokes/StrokeData.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// The one user the program runs as when the test itself runs as root: root writes wherever it
// likes, so a read-only folder would prove nothing for it.
constexpr uid_t kNobody = 65534;

bool asRoot() { return ::geteuid() == 0; }

// Every entry under root with its kind, permissions and (for a file) the hash of its bytes.
std::map<QString, QString> snapshot(const QString& root) {
    std::map<QString, QString> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        QString v = QString::number(st.st_mode, 8);
        if (S_ISREG(st.st_mode)) {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            v += ' ' + QString::fromLatin1(
                           QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
        }
        out[path.mid(root.size())] = v;
    }
    return out;
}

QString fileHash(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(120000)) << program.toStdString();
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << ": " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Whether the process has its handler for SIGTERM in place (it then ends as its exit button does).
bool catchesTermination(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

struct Start {
    int exitCode = -1;
    QString errors;
};

// Starts the unpacked program offscreen as its user would, with home as HOME (and XDG_DATA_HOME
// when given), waits until it is ready, asks it to end and waits for that.
Start startProgram(const QString& program, const QString& home, const QString& dataHome = {}) {
    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH"));
    env.insert("HOME", home);
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    if (!dataHome.isEmpty()) env.insert("XDG_DATA_HOME", dataHome);
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(home);
    if (asRoot())
        p.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "--", program});
    else
        p.start(program, {});
    Start out;
    if (!p.waitForStarted()) return out;
    QElapsedTimer t;
    t.start();
    while (p.state() == QProcess::Running && !catchesTermination(p.processId()) && t.elapsed() < 60000)
        QTest::qWait(20);
    if (p.state() == QProcess::Running) ::kill(pid_t(p.processId()), SIGTERM);
    p.waitForFinished(60000);
    out.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    out.errors = QString::fromUtf8(p.readAllStandardError());
    return out;
}

void setMode(const QString& path, mode_t mode) { ::chmod(QFile::encodeName(path).constData(), mode); }

// A folder for the program's user: theirs when the test runs as root, since it starts the
// program as nobody.
void makeUsersFolder(const QString& path) {
    QDir().mkpath(path);
    if (asRoot()) ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0);
}

// Read-only for everyone: folders 0555, files without their write bits.
void makeReadOnly(const QString& root, bool writable = false) {
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList all = {root};
    while (it.hasNext()) all << it.next();
    for (const QString& path : all) {
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        if (S_ISLNK(st.st_mode)) continue;
        setMode(path, writable ? (st.st_mode | S_IWUSR) & 07777 : st.st_mode & 07555);
    }
}

}  // namespace

TEST(Package, TheDebianPackageHoldsTheApplicationAndItsUsersDataLivesInTheirOwnFolder) {
    const QStringList debs = QDir(KOVU_PACKAGE_DIR).entryList({"kovu_*.deb"}, QDir::Files, QDir::Time);
    ASSERT_FALSE(debs.isEmpty()) << "no package in " KOVU_PACKAGE_DIR;
    const QString deb = QString(KOVU_PACKAGE_DIR) + "/" + debs.first();

    // The package's relations, section and files.
    EXPECT_EQ(run("dpkg-deb", {"-f", deb, "Section"}).trimmed(), "education");
    const QString depends = run("dpkg-deb", {"-f", deb, "Depends"});
    EXPECT_TRUE(depends.contains("libqt6widgets6")) << depends.toStdString();
    EXPECT_TRUE(depends.contains("libc6")) << depends.toStdString();
    for (const char* lib : {"libqt6charts6", "libqt6multimedia6", "libespeak-ng1"})
        EXPECT_TRUE(depends.contains(lib)) << depends.toStdString();
    const QString id = kApplicationId;
    QStringList expected = {"./usr/bin/kovu",
                            "./usr/share/kovu/kovu.mdb",
                            "./usr/share/kovu/kovu-strokes.dat",
                            "./usr/share/kovu/ARPHICPL.TXT",
                            "./usr/lib/kovu/modules/libkovu_chart.so",
                            "./usr/lib/kovu/modules/libkovu_speech.so",
                            "./usr/share/applications/" + id + ".desktop",
                            "./usr/share/metainfo/" + id + ".metainfo.xml",
                            "./usr/share/man/man1/kovu.1.gz",
                            "./usr/share/doc/kovu/copyright",
                            "./usr/share/doc/kovu/changelog.gz"};
    for (int n : {16, 32, 48, 64, 128, 256})
        expected << QStringLiteral("./usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(n).arg(id);
    const QString listing = run("dpkg-deb", {"-c", deb});
    for (const QString& f : expected) EXPECT_TRUE(listing.contains(" " + f + "\n")) << f.toStdString();

    TestFolder tmp;
    setMode(tmp.path(), 0755);
    const QString root = tmp.file("root");
    run("dpkg-deb", {"-x", deb, root});
    EXPECT_EQ(rowCounts(root + "/usr/share/kovu/kovu.mdb"), rowCounts(KOVU_DELIVERED_DB));
    // The stroke data as built, found from the installed program's folder, its licence beside it.
    EXPECT_EQ(fileBytes(root + "/usr/share/kovu/kovu-strokes.dat"), fileBytes(KOVU_STROKE_FILE));
    strokes::StrokeLibrary installedStrokes(strokes::StrokeLibrary::candidatesFor(root + "/usr/bin/"));
    ASSERT_NE(installedStrokes.file(), nullptr);
    EXPECT_EQ(installedStrokes.file()->count(), 6763);
    EXPECT_TRUE(fileBytes(root + "/usr/share/kovu/ARPHICPL.TXT").startsWith("ARPHIC PUBLIC LICENSE"));
    EXPECT_TRUE(fileBytes(root + "/usr/share/doc/kovu/copyright").contains("License: Arphic-Public-License"));
    EXPECT_FALSE(run("readelf", {"-S", root + "/usr/bin/kovu"}).contains(".symtab")) << "not stripped";
    // The chart and speech modules where the installed program looks for them (../lib/kovu/modules),
    // loadable.
    for (const auto& [module, entry] : {std::pair{"libkovu_chart.so", kCreateProgressChartSymbol},
                                        std::pair{"libkovu_speech.so", kCreateSpeechSymbol}}) {
        const QString file = root + "/usr/lib/kovu/modules/" + module;
        EXPECT_FALSE(run("readelf", {"-S", file}).contains(".symtab")) << module << " not stripped";
        EXPECT_NE(QLibrary(file).resolve(entry), nullptr) << module;
    }
    // Each icon drawn at its own size, not an empty square.
    for (int n : {16, 32, 48, 64, 128, 256}) {
        const QImage icon(
            QStringLiteral("%1/usr/share/icons/hicolor/%2x%2/apps/%3.png").arg(root).arg(n).arg(id));
        EXPECT_EQ(icon.size(), QSize(n, n));
        EXPECT_GT(qAlpha(icon.pixel(n / 2, n / 2)), 200) << n;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << n;
    }

    // The program folder cannot be written by the user who starts the program.
    makeReadOnly(root);
    const auto tree = snapshot(root);
    const QString program = root + "/usr/bin/kovu";
    const QString home = tmp.file("home");
    makeUsersFolder(home);
    const QString users = home + "/.local/share/" + id;

    // First start: the user's folder is made and holds the complete delivered database.
    Start first = startProgram(program, home);
    EXPECT_EQ(first.exitCode, 0) << first.errors.toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(users).constData(), &st), 0) << "no " << users.toStdString();
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(QDir(users).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"fzwj", "kovu.mdb"}));
    EXPECT_EQ(QDir(users + "/fzwj").entryList(QDir::Files).size(), 7);
    EXPECT_EQ(rowCounts(users + "/kovu.mdb"), rowCounts(KOVU_DELIVERED_DB));
    EXPECT_EQ(snapshot(root), tree);

    // A start killed while it copied leaves its copy behind and no database: the next start copies
    // again and removes the old copy, but not one that another start may be writing now.
    ASSERT_TRUE(QFile::remove(users + "/kovu.mdb"));
    for (const char* name : {"/.kovu.mdb.copy-OLD123", "/.kovu.mdb.copy-NEW456"}) {
        QFile part(users + name);
        ASSERT_TRUE(part.open(QIODevice::WriteOnly) && part.write("SQLite format 3", 10) == 10);
    }
    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    {
        QFile old(users + "/.kovu.mdb.copy-OLD123");
        ASSERT_TRUE(old.open(QIODevice::ReadWrite) &&
                    old.setFileTime(hourAgo, QFileDevice::FileModificationTime));
    }
    Start again = startProgram(program, home);
    EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
    EXPECT_EQ(QDir(users).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({".kovu.mdb.copy-NEW456", "fzwj", "kovu.mdb"}));
    EXPECT_EQ(rowCounts(users + "/kovu.mdb"), rowCounts(KOVU_DELIVERED_DB));
    ASSERT_TRUE(QFile::remove(users + "/.kovu.mdb.copy-NEW456"));

    // The user's work in their database; a menu picture lost. The second start keeps the one and
    // writes the other again, in the user's folder.
    openDb(users + "/kovu.mdb")->exec("UPDATE yesz SET 自动适应屏幕 = NOT 自动适应屏幕");
    const bool fit = openDb(users + "/kovu.mdb")->scalar("SELECT 自动适应屏幕 FROM yesz").toBool();
    const qlonglong scores = openDb(users + "/kovu.mdb")->scalar("SELECT count(*) FROM sscj").toLongLong();
    openDb(users + "/kovu.mdb")->exec("INSERT INTO sscj (序号, 题目, 得分) VALUES (1, '3+4', 100)");
    ASSERT_TRUE(QFile::remove(users + "/fzwj/ss.bmp"));
    Start second = startProgram(program, home);
    EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();
    EXPECT_TRUE(QFile::exists(users + "/fzwj/ss.bmp"));
    EXPECT_EQ(openDb(users + "/kovu.mdb")->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(), fit);
    EXPECT_EQ(openDb(users + "/kovu.mdb")->scalar("SELECT count(*) FROM sscj").toLongLong(), scores + 1);
    EXPECT_EQ(snapshot(root), tree);

    // A user folder that cannot be written: the message names it, status 1, nothing changed.
    const auto usersBefore = snapshot(users);
    setMode(users, 0500);
    Start readOnly = startProgram(program, home);
    setMode(users, 0700);
    EXPECT_EQ(readOnly.exitCode, 1);
    EXPECT_TRUE(readOnly.errors.contains(QStringLiteral("文件夹 %1 不能写入（只读）").arg(users)))
        << readOnly.errors.toStdString();
    EXPECT_EQ(snapshot(users), usersBefore);

    // One that cannot be made (its parent is read-only): the same, and nothing is left there.
    const QString locked = tmp.file("locked");
    makeUsersFolder(locked);
    setMode(locked, 0555);
    Start unmade = startProgram(program, home, locked);
    EXPECT_EQ(unmade.exitCode, 1);
    EXPECT_TRUE(unmade.errors.contains(QStringLiteral("不能建立文件夹 %1/%2").arg(locked, id)))
        << unmade.errors.toStdString();
    EXPECT_TRUE(QDir(locked).isEmpty());
    EXPECT_EQ(snapshot(root), tree);
    makeReadOnly(root, true);
}

// Installed, the form keeps its data apart from the program: a start shortcut launches the program
// itself and writes its icon into the data folder; compaction works on the user's file.
TEST(Package, AnInstalledFormLaunchesTheProgramAndCompactsTheUsersFile) {
    TestFolder data;
    TestFolder programs;
    data.copyDeliveredDb();
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.file("share")));
    FakePlatform platform;
    platform.setShortcuts(makeSystemShortcuts());
    TfrmKovu form(platform, data.path(), programs.path());
    form.show();
    EXPECT_TRUE(QFile::exists(data.file("fzwj/bj.jpg")));

    // 在开始菜单: the applications folder of XDG_DATA_HOME.
    QTest::mouseClick(form.imgSz, Qt::LeftButton);
    QTest::mouseClick(form.tasTp->spbKj, Qt::LeftButton);
    QRadioButton* menu = form.panZc->rgpKj->button(2);
    QTest::mouseClick(menu, Qt::LeftButton, {}, QPoint(8, menu->height() / 2));
    platform.dlg().answer(MsgResult::Yes);
    QTest::mouseClick(form.panZc->spbKs, Qt::LeftButton);
    QFile launcher(data.file("share/applications/启动Kovu.desktop"));
    ASSERT_TRUE(launcher.open(QIODevice::ReadOnly)) << platform.dlg().texts().join('\n').toStdString();
    const QString entry = QString::fromUtf8(launcher.readAll());
    EXPECT_TRUE(entry.contains("\nExec=\"" + programs.path() + "kovu\"\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nPath=" + data.path().chopped(1) + "\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nIcon=" + data.path() + "kovu.png\n")) << entry.toStdString();
    EXPECT_FALSE(QImage(data.file("kovu.png")).isNull());

    platform.dlg().clear();
    const auto before = rowCounts(data.db());
    QTest::mouseClick(form.tasTp->spbYs, Qt::LeftButton);
    ASSERT_EQ(platform.dlg().log.size(), 1u);
    EXPECT_TRUE(platform.dlg().log.at(0).text.startsWith("数据库压缩已经完成！"))
        << platform.dlg().log.at(0).text.toStdString();
    EXPECT_EQ(rowCounts(data.db()), before);
    EXPECT_TRUE(QDir(programs.path()).isEmpty());
    qunsetenv("XDG_DATA_HOME");
}
