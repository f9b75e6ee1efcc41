#include "TestSupport.h"

#include <sqlcipher/sqlite3.h>
#include <sys/mount.h>

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "WindowManager.h"
#include "app/TfrmKovu.h"
#include "data/Schema.h"
#include "platform/ImageCodec.h"

namespace kovu::test {

MsgResult ScriptedDialogs::message(const QString& title, const QString& text, MsgIcon icon,
                                   MsgButtons buttons) {
    log.push_back({title, text, icon, buttons});
    passThroughModalBox(title);
    if (buttons == MsgButtons::Ok) {
        if (!answers.empty() && answers.front() == MsgResult::Ok) answers.pop_front();
        return MsgResult::Ok;
    }
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << title.toStdString() << " / " << text.toStdString();
        return buttons == MsgButtons::OkCancel ? MsgResult::Cancel : MsgResult::No;
    }
    const MsgResult r = answers.front();
    answers.pop_front();
    return r;
}

QString ScriptedDialogs::openFile(const QString& title, const QString& filter, const QString&) {
    if (!title.isEmpty() || !filter.isEmpty()) fileDialogs << title + "|" + filter;
    return nextFile(title);
}

QString ScriptedDialogs::nextFile(const QString& title) {
    passThroughModalBox(title);
    if (files.empty()) return {};
    const QString f = files.front();
    files.pop_front();
    return f;
}

QString ScriptedDialogs::saveFile(const QString& title, const QString&, const QString&, const QString&) {
    return nextFile(title);
}

QString ScriptedDialogs::saveFileFiltered(const QString& title, const QString& filter, const QString&,
                                          int* filterIndex) {
    fileDialogs << title + "|" + filter;
    int f = 1;
    if (!filters.empty()) {
        f = filters.front();
        filters.pop_front();
    }
    if (filterIndex) *filterIndex = f;
    return nextFile(title);
}

QStringList ScriptedDialogs::texts() const {
    QStringList out;
    for (const auto& m : log) out << m.text;
    return out;
}

bool FakeShortcuts::create(const QString& path, const QString&, const QString& target, const QString&,
                           const QImage&, QString& error) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        error = f.errorString();
        return false;
    }
    f.write(target.toUtf8());
    return true;
}

bool FakeShortcuts::remove(const QString& path, QString& error) {
    QFile f(path);
    if (!f.exists() || f.remove()) return true;
    error = f.errorString();
    return false;
}

FakePlatform::FakePlatform() {
    auto d = std::make_unique<ScriptedDialogs>();
    m_dlg = d.get();
    setDialogs(std::move(d));
    auto i = std::make_unique<FakeInputMethods>();
    m_ime = i.get();
    setInputMethods(std::move(i));
    setShortcuts(std::make_unique<FakeShortcuts>(QDir::tempPath() + "/kovu-shortcuts"));
}

int FakePlatform::random(int n) {
    if (n <= 0) return 0;
    if (!draws.empty()) {
        const int v = draws.front();
        draws.pop_front();
        return ((v % n) + n) % n;
    }
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<unsigned>(n));
}

TestFolder::TestFolder() { EXPECT_TRUE(m_dir.isValid()); }

void TestFolder::copyDeliveredDb() {
    QFile::remove(db());
    ASSERT_TRUE(QFile::copy(KOVU_DELIVERED_DB, db()))
        << "the delivered database is missing: " << KOVU_DELIVERED_DB;
    QFile(db()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestFolder::writeSmallDb() { writeSmallDatabase(db()); }

void TestFolder::copyStrokeFile() {
    ASSERT_TRUE(QFile::copy(KOVU_STROKE_FILE, file("kovu-strokes.dat")))
        << "the stroke data file is missing: " << KOVU_STROKE_FILE;
}

void TestFolder::buildDeliveredDb() {
    QFile::remove(db());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(KOVU_CONTENT_TOOL, {"build", "--content", KOVU_CONTENT_DIR, "--out", db()});
    ASSERT_TRUE(p.waitForFinished(120000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

QStringList fileRows(Connection& c, const QStringList& tables) {
    QStringList out;
    for (const QString& t : tables) {
        sqlite3_stmt* st = c.prepare("SELECT * FROM " + t + " ORDER BY rowid", {});
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row{t};
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                if (sqlite3_column_type(st, i) == SQLITE_BLOB) {
                    const QByteArray b(static_cast<const char*>(sqlite3_column_blob(st, i)),
                                       sqlite3_column_bytes(st, i));
                    row << QStringLiteral("blob %1 %2").arg(b.size()).arg(qChecksum(b));
                } else {
                    row << columnValue(st, i).toString();
                }
            }
            out << row.join('|');
        }
        sqlite3_finalize(st);
    }
    return out;
}

namespace {

QImage testPicture(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    QPainter p(&img);
    p.setPen(Qt::black);
    p.drawRect(0, 0, w - 1, h - 1);
    return img;
}

}  // namespace

void writeSmallDatabase(const QString& file, const QString& key) {
    QFile::remove(file);
    Connection c;
    c.create(file, key);
    createSchema(c);
    c.exec(
        "INSERT INTO yesz (自动适应屏幕, 不显示例图, 算术类型, 最大数字, 图例图片, 课本号, 课题号, 英课本, "
        "英课题, "
        "标注声调, 声调去分, 拼音排序, 输入法, 帮助) VALUES (0, 0, 0, 0, -1, 1, 1, 1, 1, 0, '0', 0, 0, "
        "'《Kovu》')");
    const char* bitmaps[] = {"bz", "pi", "yi", "fh", "su", "sz"};
    int hue = 0;
    for (const char* code : bitmaps)
        c.exec("INSERT INTO yetp (图号, 图片) VALUES (?, ?)",
               {QString::fromLatin1(code),
                encodeBitmap(testPicture(34, 34, QColor::fromHsv((hue += 50) % 360, 200, 230)))});
    for (const char* code : {"bj", "ss", "py", "yy", "zq", "cw"})
        c.exec("INSERT INTO yetp (图号, 图片) VALUES (?, ?)",
               {QString::fromLatin1(code),
                encodeJpeg(testPicture(400, 300, QColor::fromHsv((hue += 50) % 360, 120, 240)))});
    for (const char* code : {"dh", "ch"})
        c.exec("INSERT INTO yetp (图号, 图片) VALUES (?, ?)",
               {QString::fromLatin1(code),
                encodeJpeg(testPicture(160, 133, QColor::fromHsv((hue += 50) % 360, 120, 240)))});
}

ScratchMount::ScratchMount(const QString& folder, const QString& size) : m_folder(folder) {
    QDir().mkpath(folder);
    const QByteArray options = "size=" + size.toLatin1() + ",mode=0777";
    m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
}

ScratchMount::~ScratchMount() { unmount(); }

bool ScratchMount::remountReadOnly() {
    return m_mounted && ::mount(nullptr, QFile::encodeName(m_folder).constData(), nullptr,
                                MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

void ScratchMount::fill() {
    QFile f(m_folder + "/filler");
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size() && f.flush()) {
    }
    // The last pages: byte by byte until nothing more fits.
    f.close();
    f.open(QIODevice::WriteOnly | QIODevice::Append);
    f.setTextModeEnabled(false);
    while (f.write("x", 1) == 1 && f.flush()) {
    }
}

void ScratchMount::unmount() {
    if (!m_mounted) return;
    ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    m_mounted = false;
}

QString storedJournalMode(const QString& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_key(db, kDatabasePassword, int(strlen(kDatabasePassword)));
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &st, nullptr);
    QString mode;
    if (sqlite3_step(st) == SQLITE_ROW)
        mode = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return mode;
}

std::unique_ptr<Connection> openDb(const QString& file) {
    auto c = std::make_unique<Connection>();
    c->open(file, kDatabasePassword);
    return c;
}

std::map<QString, qlonglong> rowCounts(const QString& db) {
    auto c = openDb(db);
    std::map<QString, qlonglong> out;
    for (const QString& t : {"yesz", "yetp", "yetl", "yekb", "yykb", "yekt", "yykt", "yepy", "yydc", "yefc",
                             "sscj", "pycj", "yycj"})
        out[t] = c->scalar("SELECT count(*) FROM " + t).toLongLong();
    return out;
}

std::unique_ptr<TfrmKovu> makeForm(FakePlatform& platform, const TestFolder& folder) {
    return std::make_unique<TfrmKovu>(platform, folder.path());
}

void typeText(QWidget* w, const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClick(w, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void pressEnter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }

namespace {
QtMessageHandler g_previousHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg &&
        (message.startsWith(QLatin1String("This plugin does not support")) ||
         message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
        return;
    if (g_previousHandler) g_previousHandler(type, context, message);
}
}  // namespace

void quietPlatformMessages() { g_previousHandler = qInstallMessageHandler(quietHandler); }

void useOwnCacheFolder() {
    static QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList rows(Connection& c, const QString& sql) {
    QStringList out;
    sqlite3_stmt* st = c.prepare(sql, {});
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList cols;
        for (int i = 0; i < sqlite3_column_count(st); ++i) cols << columnValue(st, i).toString();
        out << cols.join(' ');
    }
    sqlite3_finalize(st);
    return out;
}

}  // namespace kovu::test
