#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "Build.h"
#include "Content.h"
#include "Recipe.h"
#include "Rules.h"
#include "Source.h"
#include "Strokes.h"
#include "TestSupport.h"
#include "data/Query.h"
#include "platform/Errors.h"
#include "platform/ImageCodec.h"
#include "strokes/StrokeData.h"

using namespace kovu;
using namespace kovu::content;
using namespace kovu::test;

namespace {

// A writable copy of the content sources (without the tool) in a temporary folder.
class ContentCopy {
public:
    ContentCopy() {
        const QDir src(KOVU_CONTENT_DIR);
        QDirIterator it(src.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            const QString rel = src.relativeFilePath(f);
            // The stroke data is no source of the database; a test of it copies the few it needs.
            if (rel.startsWith("tool/") || rel.startsWith("strokes/")) continue;
            QDir().mkpath(QFileInfo(dir(rel)).path());
            QFile::copy(f, dir(rel));
        }
    }
    QString root() const { return m_dir.path(); }
    QString dir(const QString& rel) const { return m_dir.filePath(rel); }
    QString read(const QString& rel) const {
        QFile f(dir(rel));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << rel.toStdString();
        return QString::fromUtf8(f.readAll());
    }
    void write(const QString& rel, const QString& text) const {
        QFile f(dir(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }
    void append(const QString& rel, const QString& line) const { write(rel, read(rel) + line + "\n"); }
    // Number of the line that append() would write.
    int nextLine(const QString& rel) const { return int(read(rel).count('\n')) + 1; }

private:
    QTemporaryDir m_dir;
};

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun runTool(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(KOVU_CONTENT_TOOL, args);
    EXPECT_TRUE(p.waitForFinished(120000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The file and line of the fault that loadContent reports for a copy.
std::pair<QString, int> faultOf(const ContentCopy& c) {
    try {
        loadContent(c.root());
    } catch (const SourceError& e) {
        return {e.file(), e.line()};
    }
    return {QString(), -1};
}

QString messageOf(const ContentCopy& c) {
    try {
        loadContent(c.root());
    } catch (const SourceError& e) {
        return e.text();
    }
    return {};
}

}  // namespace

TEST(ContentTool, RefusesAMalformedSourceAndLeavesTheEarlierDatabaseUntouched) {
    ContentCopy c;
    QTemporaryDir out;
    const QString db = out.filePath("kovu.mdb");
    ToolRun ok = runTool({"build", "--content", c.root(), "--out", db});
    ASSERT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.contains(QRegularExpression("built .* in \\d+ ms"))) << ok.out.toStdString();
    const QByteArray before = fileBytes(db);
    ASSERT_FALSE(before.isEmpty());

    const int line = c.nextLine("data/yepy.txt");
    c.append("data/yepy.txt", "101 | 好 | hao | 1");
    ToolRun bad = runTool({"build", "--content", c.root(), "--out", db});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_TRUE(bad.err.contains(QString("data/yepy.txt:%1: ").arg(line))) << bad.err.toStdString();
    EXPECT_TRUE(bad.err.contains("hao1")) << bad.err.toStdString();
    EXPECT_EQ(fileBytes(db), before) << "a failed build changed the earlier database";
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList({"kovu.mdb"}))
        << "a temporary file was left";

    // Without an earlier database, a failed build leaves nothing at all.
    const QString fresh = out.filePath("new/kovu.mdb");
    bad = runTool({"build", "--content", c.root(), "--out", fresh});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_TRUE(QDir(out.filePath("new")).entryList(QDir::Files).isEmpty());
}

TEST(ContentTool, ABuiltDatabaseStandsAloneAndNeverTakesTheOldLog) {
    ContentCopy c;
    QTemporaryDir out;
    const QString db = out.filePath("kovu.mdb");
    ASSERT_EQ(runTool({"build", "--content", c.root(), "--out", db}).exitCode, 0);
    // The file as delivered asks for no log.
    EXPECT_EQ(storedJournalMode(db), "delete");
    // A program killed while the file was open leaves its log beside it.
    {
        Connection con;
        con.open(db, kDatabasePassword);
        con.exec("INSERT INTO yekb VALUES ('9', '旧日志里的课本')");
        ASSERT_TRUE(QFile::copy(db + "-wal", out.filePath("stale-wal")));
    }
    ASSERT_TRUE(QFile::copy(out.filePath("stale-wal"), db + "-wal"));
    ASSERT_EQ(runTool({"build", "--content", c.root(), "--out", db}).exitCode, 0);
    EXPECT_FALSE(QFile::exists(db + "-wal"));
    EXPECT_EQ(storedJournalMode(db), "delete");
    auto con = openDb(db);
    EXPECT_EQ(con->scalar("PRAGMA integrity_check").toString(), "ok");
    EXPECT_EQ(con->scalar("SELECT count(*) FROM yekb WHERE 课本号 = '9'").toInt(), 0);
}

TEST(ContentTool, NamesFileAndLineOfEveryKindOfFault) {
    struct Case {
        const char* file;
        const char* line;
        const char* what;
    } cases[] = {
        {"data/yekb.txt", "10 | 第十册", "not one digit"},
        {"data/yekt.txt", "12 | 短号", "not three digits"},
        {"data/yekt.txt", "901 | 没有课本", "does not start with an existing textbook"},
        {"data/yepy.txt", "1011 | 人 | ren | 2", "not a multiple of 3"},
        {"data/yepy.txt", "109 | 人 | ren | 2", "names lesson 109"},
        {"data/yepy.txt", "101 | 人们 | ren | 2", "not exactly one double-byte GBK character"},
        {"data/yepy.txt", "101 | a | a | 1", "not exactly one double-byte GBK character"},
        {"data/yepy.txt", "101 | 人 | ren | 4", "does not hold 人 ren4"},
        {"data/yepy.txt", "101 | 人 | rén | 2", "not small letters"},
        {"data/yepy.txt", "101 | 人 | ren | 5", "not one digit 0 to 4"},
        {"data/yepy.txt", "101 | 人 | ren", "expected 4 fields"},
        {"data/yydc.txt", "101 | red2 | | 红色二 | -", "other than letters"},
        {"data/yydc.txt", "101 | dog | | | 🐶", "meaning is empty"},
        {"data/yydc.txt", "109 | dog | | 狗 | 🐶", "names lesson 109"},
        {"data/yydc.txt", "101 | kennel | | 狗窝 | kennel:", "no picture named kennel"},
        {"data/yydc.txt", "101 | ghost | | 鬼 | \xee\x80\x81", "U+E001"},
        {"data/yetl.txt", "1 | 又一个 | 🍎", "picture number 1 given twice"},
        {"data/yesz.txt", "窗口 | 1", "not a settings field"},
        {"dict/yefc.txt", "人 | ren2", "given twice"},
        {"dict/yefc.txt", "亐 | yu5", "not pinyin letters"},
        {"pictures/screen.txt", "picture xx format=jpeg size=400x300", "has no end"},
    };
    for (const Case& k : cases) {
        ContentCopy c;
        const int line = c.nextLine(k.file);
        c.append(k.file, QString::fromUtf8(k.line));
        const auto [file, at] = faultOf(c);
        EXPECT_EQ(file, k.file) << k.line;
        EXPECT_EQ(at, line) << k.line;
        EXPECT_TRUE(messageOf(c).contains(QString::fromUtf8(k.what))) << messageOf(c).toStdString();
    }
}

TEST(ContentTool, RefusesBrokenPictureRecipes) {
    const char* screen = "pictures/screen.txt";
    struct Case {
        QString from, to, what;
    } cases[] = {
        {"picture bz format=bmp size=34x34", "picture bz format=jpeg size=34x34", "must be bmp"},
        {"picture dh format=jpeg size=160x133", "picture dh format=jpeg size=160x134", "must be 160x133"},
        {"picture ch format=jpeg size=160x133", "picture zz format=jpeg size=160x133",
         "not a screen picture code"},
        {"  fill colour=#ffffee", "  fill colour=#fffffg", "is not a colour"},
        {"  fill colour=#ffffee", "  fil colour=#ffffff", "unknown command"},
        {"  fill colour=#ffffee", "  fill color=#ffffff", "unknown setting"},
        {"  fill colour=#ffffee", "  rect x=1 y=1 w=3", "needs h="},
        {"  fill colour=#ffffee", "  text text=\"A\" x=1 y=1 size=9 font=Comic", "not installed"},
        {"  fill colour=#ffffee", "  emoji text=\"\xee\x80\x80\" x=1 y=1 size=9", "U+E000"},
        {"  fill colour=#ffffee", "  rect x=1 y=1 w=3 h=four", "not a whole number"},
        {"  fill colour=#ffffee", "  text text=\"A x=1 y=1 size=9", "unbalanced"},
    };
    for (const Case& k : cases) {
        ContentCopy c;
        const QString text = c.read(screen);
        const int at = int(text.indexOf(k.from));
        ASSERT_GE(at, 0) << k.from.toStdString();
        const int line = int(text.left(at).count('\n')) + 1;
        QString changed = text;
        changed.replace(at, k.from.size(), k.to);
        c.write(screen, changed);
        const auto [file, errLine] = faultOf(c);
        EXPECT_EQ(file, screen) << k.to.toStdString();
        EXPECT_EQ(errLine, line) << k.to.toStdString();
        EXPECT_TRUE(messageOf(c).contains(k.what)) << messageOf(c).toStdString();
    }
    // A screen picture that is not drawn at all.
    ContentCopy c;
    QString text = c.read(screen);
    const int from = int(text.indexOf("picture ch format")), to = int(text.indexOf("end", from));
    text.remove(from, to + 3 - from);
    c.write(screen, text);
    EXPECT_TRUE(messageOf(c).contains("the picture ch is missing")) << messageOf(c).toStdString();
}

TEST(ContentTool, DeliveredScreenPicturesHaveTheirRolesFormatAndSize) {
    auto db = openDb(KOVU_DELIVERED_DB);
    Query q(*db, "aquTp");
    q.setSql("SELECT * FROM yetp");
    q.open();
    QStringList codes;
    for (q.first(); !q.eof(); q.next()) codes << q.text("图号");
    EXPECT_EQ(codes.join(""), "bzpiyifhsuszbjsspyyyzqcwdhch");
    for (const char* code : {"bz", "pi", "yi", "fh", "su", "sz"}) {
        q.setSql("SELECT * FROM yetp WHERE 图号 = ?", {QString(code)});
        q.open();
        const QByteArray bmp = q.blob(1);
        ASSERT_GT(bmp.size(), 54) << code;
        EXPECT_EQ(bmp.left(2), "BM") << code;
        EXPECT_EQ(quint8(bmp.at(28)), 24) << code << ": not a 24-bit bitmap";
        const QImage img = decodeBitmap(bmp);
        EXPECT_EQ(img.size(), QSize(34, 34)) << code;
        // A drawn picture, not a flat tile: the middle differs from the corner.
        EXPECT_NE(img.pixel(0, 0), img.pixel(17, 17)) << code;
        EXPECT_THROW(decodeJpeg(bmp), KovuError) << code;
    }
    for (const char* code : {"bj", "ss", "py", "yy", "zq", "cw", "dh", "ch"}) {
        q.setSql("SELECT * FROM yetp WHERE 图号 = ?", {QString(code)});
        q.open();
        const bool mark = QString(code) == "dh" || QString(code) == "ch";
        EXPECT_EQ(decodeJpeg(q.blob(1)).size(), mark ? QSize(160, 133) : QSize(400, 300)) << code;
    }
    // The tick is green and the cross red where their strokes cross the middle.
    q.setSql("SELECT * FROM yetp WHERE 图号 = ?", {QString("dh")});
    q.open();
    const QColor tick = decodeJpeg(q.blob(1)).pixelColor(64, 104);
    EXPECT_GT(tick.green(), 120);
    EXPECT_LT(tick.red(), 100);
    q.setSql("SELECT * FROM yetp WHERE 图号 = ?", {QString("ch")});
    q.open();
    const QColor cross = decodeJpeg(q.blob(1)).pixelColor(80, 66);
    EXPECT_GT(cross.red(), 180);
    EXPECT_LT(cross.green(), 100);
}

TEST(ContentTool, DeliveredSettingsRowIsAFirstStart) {
    auto db = openDb(KOVU_DELIVERED_DB);
    Query q(*db, "aquSb");
    q.setSql("SELECT * FROM yesz");
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_FALSE(q.boolean("自动适应屏幕"));
    EXPECT_FALSE(q.boolean("不显示例图"));
    EXPECT_EQ(q.integer("算术类型"), 0);
    EXPECT_EQ(q.integer("最大数字"), 5);
    EXPECT_EQ(q.integer("图例图片"), 0);
    EXPECT_EQ(q.integer("课本号"), 1);
    EXPECT_EQ(q.integer("课题号"), 1);
    EXPECT_EQ(q.integer("英课本"), 1);
    EXPECT_EQ(q.integer("英课题"), 1);
    EXPECT_TRUE(q.boolean("标注声调"));
    EXPECT_EQ(q.text("声调去分"), "20");
    EXPECT_FALSE(q.boolean("拼音排序"));
    EXPECT_EQ(q.integer("输入法"), 0);
    EXPECT_TRUE(q.text("帮助").contains("《Kovu》"));
    // The stored example picture exists.
    q.setSql("SELECT * FROM yetl");
    q.open();
    EXPECT_GE(q.recordCount(), 1);
}

TEST(ContentTool, FormPicturesAreDrawnAtTheirSizes) {
    QTemporaryDir out;
    writeFormPictures(KOVU_CONTENT_DIR, out.path());
    for (const FormRole& role : formRoles()) {
        QImage img(out.filePath(role.file));
        ASSERT_FALSE(img.isNull()) << role.file;
        if (role.width > 0) EXPECT_EQ(img.size(), QSize(role.width, role.height)) << role.file;
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), int(formRoles().size())) << "stray files";
    // The title picture and the crosses lie transparently over the screen.
    for (const char* f : {"imgBt.png", "imgCh.png", "imgC1.png"}) {
        const QImage img(out.filePath(f));
        EXPECT_TRUE(img.hasAlphaChannel()) << f;
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << f;
        EXPECT_EQ(qAlpha(img.pixel(img.width() / 2, img.height() / 2 + 1)), 255) << f << ": nothing drawn";
    }
    const QSize ch = QImage(out.filePath("imgCh.png")).size(), c1 = QImage(out.filePath("imgC1.png")).size();
    EXPECT_TRUE(ch.width() >= 20 && ch.width() <= 72 && ch.height() >= 20 && ch.height() <= 72);
    EXPECT_TRUE(c1.width() >= 16 && c1.width() <= 30 && c1.height() >= 16 && c1.height() <= 30);
}

TEST(ContentTool, WritesTheStrokeFileAndRefusesABrokenCharacter) {
    // Three characters of the copied package and its licence.
    ContentCopy c;
    const QString from = QString(KOVU_CONTENT_DIR) + "/strokes/hanzi-writer-data/";
    QDir().mkpath(c.dir("strokes/hanzi-writer-data"));
    for (const QString f : {"十.json", "我.json", "一.json", "package.json", "ARPHICPL.TXT"})
        ASSERT_TRUE(QFile::copy(from + f, c.dir("strokes/hanzi-writer-data/" + f)));
    QTemporaryDir out;
    const QString file = out.filePath("kovu-strokes.dat");
    const ToolRun run = runTool({"strokes", "--content", c.root(), "--out", file});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("3 characters, 10 strokes")) << run.out.toStdString();
    strokes::StrokeFile f;
    ASSERT_TRUE(f.open(file));
    EXPECT_EQ(f.characters(), (QList<char32_t>{U'一', U'十', U'我'}));
    // The data's y runs upwards from 900: drawn, 十's vertical goes down the screen.
    const strokes::Character shi = *f.character(U'十');
    EXPECT_LT(shi[1].median.front().y(), shi[1].median.back().y());
    EXPECT_EQ(fileBytes(out.filePath("ARPHICPL.TXT")), fileBytes(from + "ARPHICPL.TXT"));
    const QByteArray built = fileBytes(file);

    // A path command the format does not know, a median point that is not [x, y], a stroke
    // without its median: each names the file, and the earlier file stays as it was.
    const QString wo = c.read("strokes/hanzi-writer-data/我.json");
    for (const auto& [broken, why] :
         {std::pair{QString(wo).replace("M 350 571 Q", "M 350 571 A"), QString("unknown path command \"A\"")},
          {QString(wo).replace("\"medians\": [[[", "\"medians\": [[[5, 6, 7], ["), QString("not [x, y]")},
          {QString(wo).replace("\"medians\": [", "\"medians\": [[[1, 2], [3, 4]], "),
           QString("7 outlines and 8 medians")},
          {QString("{\"strokes\": "), QString("not JSON")}}) {
        c.write("strokes/hanzi-writer-data/我.json", broken);
        const ToolRun bad = runTool({"strokes", "--content", c.root(), "--out", file});
        EXPECT_EQ(bad.exitCode, 1);
        EXPECT_TRUE(bad.err.contains("我.json")) << bad.err.toStdString();
        EXPECT_TRUE(bad.err.contains(why)) << bad.err.toStdString();
        EXPECT_EQ(fileBytes(file), built);
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList({"ARPHICPL.TXT", "kovu-strokes.dat"}));
}
