#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTextDocument>
#include <cmath>

#include "Build.h"
#include "Recipe.h"
#include "Rules.h"
#include "TestSupport.h"
#include "platform/ImageCodec.h"
#include "data/Query.h"

using namespace kovu;
using namespace kovu::content;
using namespace kovu::test;

namespace {

QStringList column(Connection& db, const QString& sql, const QVariantList& binds = {}) {
    Query q(db, "check");
    q.setSql(sql, binds);
    q.open();
    QStringList out;
    for (q.first(); !q.eof(); q.next()) out << q.text(0);
    return out;
}

QStringList sorted(QStringList l) {
    l.sort();
    return l;
}

// Spread (standard deviation) of the brightness over the middle half of a picture: near 0 for an
// empty or flat middle, large where something is drawn.
double middleSpread(const QImage& img) {
    double sum = 0, sq = 0;
    int n = 0;
    for (int y = img.height() / 4; y < img.height() * 3 / 4; y += 2)
        for (int x = img.width() / 4; x < img.width() * 3 / 4; x += 2) {
            const double g = qGray(img.pixel(x, y));
            sum += g;
            sq += g * g;
            ++n;
        }
    const double mean = sum / n;
    return std::sqrt(std::max(0.0, sq / n - mean * mean));
}

int count(Connection& db, const QString& sql, const QVariantList& binds = {}) {
    return db.scalar(sql, binds).toInt();
}

// A copy of the delivered database that a test may spoil.
struct SpoiltCopy {
    QTemporaryDir dir;
    QString file = dir.filePath("kovu.mdb");
    std::unique_ptr<Connection> db;
    SpoiltCopy() {
        EXPECT_TRUE(QFile::copy(KOVU_DELIVERED_DB, file));
        db = openDb(file);
    }
};

QByteArray jpegOfSize(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(Qt::yellow);
    return encodeJpeg(img);
}

}  // namespace

TEST(DeliveredContent, PassesEveryCheck) {
    auto db = openDb(KOVU_DELIVERED_DB);
    const QStringList problems = validateDatabase(*db);
    EXPECT_TRUE(problems.isEmpty()) << problems.join("\n").toStdString();
    EXPECT_LT(QFile(KOVU_DELIVERED_DB).size(), 15 * 1024 * 1024);
    // Nothing of a practice is delivered.
    for (const char* t : {"sscj", "pycj", "yycj"})
        EXPECT_EQ(count(*db, QString("SELECT count(*) FROM ") + t), 0) << t;
}

TEST(DeliveredContent, CheckFindsSpoiltRows) {
    struct Case {
        QString sql;
        QVariantList binds;
        QString expected;
    } cases[] = {
        {"UPDATE yepy SET 拼音 = 'hoa' WHERE rowid = 3", {}, "yepy row 3: the dictionary does not hold"},
        {"UPDATE yepy SET 编号 = '1019' WHERE rowid = 2",
         {},
         "yepy row 2: item number \"1019\" is not a multiple"},
        {"UPDATE yepy SET 编号 = '101109' WHERE rowid = 2", {}, "names lesson 109"},
        {"UPDATE yepy SET 文字 = '好人' WHERE rowid = 5", {}, "yepy row 5: \"好人\" is not exactly one"},
        {"UPDATE yydc SET 英语 = 'apple1' WHERE rowid = 4", {}, "yydc row 4: English word \"apple1\""},
        {"UPDATE yydc SET 图片 = ? WHERE rowid = 6",
         {jpegOfSize(500, 300)},
         "yydc row 6: the picture is 500x300"},
        {"UPDATE yydc SET 图片 = ? WHERE rowid = 7",
         {QByteArray("not a picture")},
         "yydc row 7: the picture does not decode"},
        {"UPDATE yetl SET 图片 = ? WHERE rowid = 2",
         {jpegOfSize(40, 40)},
         "yetl row 2: the picture is 40x40, not 30x30"},
        {"UPDATE yetp SET 图片 = ? WHERE 图号 = 'pi'",
         {jpegOfSize(34, 34)},
         "yetp row 2: the picture does not decode as bmp"},
        {"UPDATE yetp SET 图片 = ? WHERE 图号 = 'ch'",
         {jpegOfSize(160, 120)},
         "yetp row 14: the picture is 160x120"},
        {"UPDATE yekt SET 编号 = '301' WHERE rowid = 1", {}, "does not start with an existing textbook"},
        {"UPDATE yykb SET 课本号 = '12' WHERE rowid = 1", {}, "yykb row 1: textbook number \"12\""},
        {"UPDATE yefc SET 拼音 = 'hao5' WHERE rowid = 1", {}, "yefc row 1: reading \"hao5\""},
        {"UPDATE yesz SET 帮助 = '《Kovu》 1 基本概况'", {}, "yesz row 1: the manual lacks the heading"},
        {"DELETE FROM yetp WHERE 图号 = 'dh'", {}, "yetp holds 13 rows"},
    };
    for (const Case& k : cases) {
        SpoiltCopy c;
        EXPECT_GT(c.db->exec(k.sql, k.binds), 0) << k.sql.toStdString();
        const QString problems = validateDatabase(*c.db).join("\n");
        EXPECT_TRUE(problems.contains(k.expected)) << k.sql.toStdString() << "\n" << problems.toStdString();
    }
}

TEST(DeliveredContent, DictionaryHoldsEveryGb2312CharacterWithItsReadings) {
    auto db = openDb(KOVU_DELIVERED_DB);
    EXPECT_EQ(count(*db, "SELECT count(DISTINCT 汉字) FROM yefc"), 6763);
    EXPECT_EQ(column(*db, "SELECT 拼音 FROM yefc WHERE 汉字 = ?", {"好"}), QStringList({"hao3", "hao4"}));
    const QStringList xing = column(*db, "SELECT 拼音 FROM yefc WHERE 汉字 = ?", {"行"});
    EXPECT_TRUE(xing.contains("hang2") && xing.contains("xing2")) << xing.join(" ").toStdString();
    EXPECT_TRUE(column(*db, "SELECT 拼音 FROM yefc WHERE 汉字 = ?", {"绿"}).contains("lv4"));
    EXPECT_TRUE(column(*db, "SELECT 拼音 FROM yefc WHERE 汉字 = ?", {"女"}).contains("nv3"));
    // The neutral tone carries no digit.
    EXPECT_EQ(column(*db, "SELECT 拼音 FROM yefc WHERE 汉字 = ?", {"的"}).value(0), "de");
    EXPECT_TRUE(column(*db, "SELECT 拼音 FROM yefc WHERE 汉字 = ?", {"们"}).contains("men"));
    // Characters of level 2 and rare readings are there too.
    EXPECT_FALSE(column(*db, "SELECT 拼音 FROM yefc WHERE 汉字 = ?", {"鳙"}).isEmpty());
    EXPECT_TRUE(column(*db, "SELECT 拼音 FROM yefc WHERE 汉字 = ?", {"嗯"}).contains("ng2"));
    // Characters outside GB2312 are not.
    EXPECT_EQ(count(*db, "SELECT count(*) FROM yefc WHERE 汉字 = ?", {"龘"}), 0);
    EXPECT_GT(count(*db, "SELECT count(*) FROM yefc"), 8000);
}

TEST(DeliveredContent, DictionarySourceIsWhatTheConverterWrites) {
    const QString go = "/usr/share/gocode/src/github.com/mozillazg/go-pinyin/pinyin_dict.go";
    if (!QFile::exists(go)) GTEST_SKIP() << "golang-github-mozillazg-go-pinyin-dev is not installed";
    QTemporaryDir dir;
    const QString out = dir.filePath("yefc.txt");
    EXPECT_EQ(convertDictionary(go, out), 6763);
    QFile a(out), b(QString(KOVU_CONTENT_DIR) + "/dict/yefc.txt");
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(a.readAll() == b.readAll()) << "content/dict/yefc.txt differs from a fresh conversion";
}

TEST(DeliveredContent, PinyinCurriculum) {
    auto db = openDb(KOVU_DELIVERED_DB);
    const QStringList books = column(*db, "SELECT 课本号 FROM yekb");
    ASSERT_GE(books.size(), 2);
    EXPECT_EQ(books.mid(0, 2), QStringList({"1", "2"}));
    for (const QString& b : books)
        EXPECT_GE(count(*db, "SELECT count(*) FROM yekt WHERE substr(编号, 1, 1) = ?", {b}), 8)
            << b.toStdString();
    EXPECT_EQ(column(*db, "SELECT 编号 FROM yekt").mid(0, 3), QStringList({"101", "102", "103"}));
    EXPECT_GE(count(*db, "SELECT count(DISTINCT 文字) FROM yepy"), 200);
    // Every reading of a practised character is one the dictionary holds.
    EXPECT_EQ(
        count(*db,
              "SELECT count(*) FROM yepy p WHERE NOT EXISTS (SELECT 1 FROM yefc f WHERE f.汉字 = p.文字 AND "
              "f.拼音 = p.拼音 || CASE p.音调 WHEN '0' THEN '' ELSE p.音调 END)"),
        0);
    // Characters with two readings are entered once per reading.
    EXPECT_GE(count(*db, "SELECT count(*) FROM (SELECT 文字 FROM yepy GROUP BY 文字 HAVING count(*) > 1)"),
              12);
    for (const char* ch : {"行", "长", "乐", "好", "还", "重", "种", "为", "觉", "得"})
        EXPECT_GE(count(*db, "SELECT count(*) FROM yepy WHERE 文字 = ?", {QString(ch)}), 2) << ch;
    EXPECT_EQ(sorted(column(*db, "SELECT 拼音 || 音调 FROM yepy WHERE 文字 = ?", {"好"})),
              QStringList({"hao3", "hao4"}));
    EXPECT_EQ(sorted(column(*db, "SELECT 拼音 FROM yepy WHERE 文字 = ?", {"行"})),
              QStringList({"hang", "xing"}));
    EXPECT_EQ(sorted(column(*db, "SELECT 音调 FROM yepy WHERE 文字 = ? AND 拼音 = ?", {"得", "de"})),
              QStringList({"0", "2"}));
    // Characters in two lessons carry both numbers.
    EXPECT_GE(count(*db, "SELECT count(*) FROM yepy WHERE length(编号) = 6"), 10);
    EXPECT_EQ(column(*db, "SELECT 编号 FROM yepy WHERE 文字 = ?", {"花"}), QStringList({"106202"}));
    // ü is written v.
    EXPECT_EQ(column(*db, "SELECT 拼音 FROM yepy WHERE 文字 = ?", {"绿"}), QStringList({"lv"}));
    EXPECT_EQ(count(*db, "SELECT count(*) FROM yepy WHERE 拼音 LIKE '%ü%'"), 0);
}

TEST(DeliveredContent, EnglishCurriculumAndWordPictures) {
    auto db = openDb(KOVU_DELIVERED_DB);
    const QStringList books = column(*db, "SELECT 课本号 FROM yykb");
    ASSERT_GE(books.size(), 2);
    for (const QString& b : books)
        EXPECT_GE(count(*db, "SELECT count(*) FROM yykt WHERE substr(编号, 1, 1) = ?", {b}), 6)
            << b.toStdString();
    const int words = count(*db, "SELECT count(*) FROM yydc");
    EXPECT_GE(words, 150);
    EXPECT_EQ(count(*db, "SELECT count(*) FROM yydc WHERE 汉语 IS NULL OR 汉语 = ''"), 0);
    EXPECT_EQ(count(*db, "SELECT count(*) FROM yydc WHERE 音标 IS NULL OR 音标 = ''"), 0);
    EXPECT_GE(count(*db, "SELECT count(*) FROM (SELECT 汉语 FROM yydc GROUP BY 汉语 HAVING count(*) > 1)"),
              8);
    EXPECT_EQ(sorted(column(*db, "SELECT 英语 FROM yydc WHERE 汉语 = ?", {"妈妈"})),
              QStringList({"mom", "mum"}));
    EXPECT_EQ(sorted(column(*db, "SELECT 英语 FROM yydc WHERE 汉语 = ?", {"秋天"})),
              QStringList({"autumn", "fall"}));
    EXPECT_EQ(sorted(column(*db, "SELECT 英语 FROM yydc WHERE 汉语 = ?", {"足球"})),
              QStringList({"football", "soccer"}));
    // At least four words in five have a picture; each decodes within 400 x 300, on a light background.
    Query q(*db, "aquSb");
    q.setSql("SELECT * FROM yydc");
    q.open();
    int pictures = 0;
    for (q.first(); !q.eof(); q.next()) {
        if (q.isNull("图片")) continue;
        ++pictures;
        const QImage img = decodeJpeg(q.blob("图片"));
        EXPECT_TRUE(img.width() <= 400 && img.height() <= 300) << q.text(1).toStdString();
        EXPECT_GT(qGray(img.pixel(12, img.height() / 2)), 200)
            << q.text(1).toStdString() << ": dark background";
        EXPECT_GT(qGray(img.pixel(img.width() - 12, 12)), 200)
            << q.text(1).toStdString() << ": dark background";
        // Something is drawn in the middle (the empty picture of words.txt has a flat middle).
        EXPECT_GT(middleSpread(img), 5) << q.text(1).toStdString();
    }
    EXPECT_GE(pictures * 5, words * 4);
}

TEST(DeliveredContent, AWordPictureWithoutItsEmojiHasAFlatMiddle) {
    // The measure used above tells an empty word picture from a drawn one.
    std::vector<Recipe> recipes =
        readRecipes(QString(KOVU_CONTENT_DIR) + "/pictures/words.txt", "pictures/words.txt");
    auto word =
        std::find_if(recipes.begin(), recipes.end(), [](const Recipe& r) { return r.name == "word"; });
    ASSERT_NE(word, recipes.end());
    const QImage drawn = drawRecipe(*word, {{"emoji", "🦷"}});
    Recipe empty = *word;
    std::erase_if(empty.layers, [](const Layer& l) { return l.command == "emoji"; });
    EXPECT_LT(middleSpread(drawRecipe(empty)), 5);
    EXPECT_GT(middleSpread(drawn), 5);
}

TEST(DeliveredContent, CountingPicturesAndFirstPractice) {
    auto db = openDb(KOVU_DELIVERED_DB);
    Query q(*db, "aquTp");
    q.setSql("SELECT * FROM yetl");
    q.open();
    EXPECT_GE(q.recordCount(), 8);
    QStringList names;
    for (q.first(); !q.eof(); q.next()) {
        names << q.text("图名");
        EXPECT_FALSE(q.text("图号").isEmpty());
        const QImage img = decodeJpeg(q.blob(1));
        EXPECT_EQ(img.size(), QSize(30, 30)) << q.text("图名").toStdString();
        // Clear at 29 x 29: the picture is not a blank tile once scaled down.
        const QImage small = img.scaled(29, 29, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int ink = 0;
        for (int y = 0; y < 29; ++y)
            for (int x = 0; x < 29; ++x) {
                const QRgb p = small.pixel(x, y);
                ink += std::min({qRed(p), qGreen(p), qBlue(p)}) < 200;
            }
        EXPECT_GT(ink, 29 * 29 / 8) << q.text("图名").toStdString();
    }
    for (const char* n : {"苹果", "星星", "小花", "小鸭", "气球", "小鱼", "草莓", "小熊"})
        EXPECT_TRUE(names.contains(n)) << n;
    // The stored choices point at delivered rows, and the first lessons are chosen for a first practice.
    const int example = count(*db, "SELECT 图例图片 FROM yesz");
    EXPECT_TRUE(example >= 0 && example < q.recordCount());
    EXPECT_EQ(count(*db, "SELECT count(*) FROM yepy WHERE 选中 = 1"),
              count(*db, "SELECT count(*) FROM yepy WHERE instr(编号, '101') % 3 = 1"));
    EXPECT_GT(count(*db, "SELECT count(*) FROM yepy WHERE 选中 = 1"), 0);
    EXPECT_EQ(count(*db, "SELECT count(*) FROM yydc WHERE 选中 = 1"),
              count(*db, "SELECT count(*) FROM yydc WHERE instr(编号, '101') % 3 = 1"));
}

TEST(DeliveredContent, ManualHasTheChapterHeadingsAndMarks) {
    auto db = openDb(KOVU_DELIVERED_DB);
    const QString html = db->scalar("SELECT 帮助 FROM yesz").toString();
    EXPECT_EQ(checkManual(html), "");
    QTextDocument doc;
    doc.setHtml(html);
    const QString text = doc.toPlainText();
    EXPECT_TRUE(text.trimmed().startsWith("《Kovu》"));
    // Each heading is found first at its own place, in order, and "----" follows the last one.
    int last = -1;
    for (const QString& h : manualHeadings()) {
        const int at = int(text.indexOf(h));
        EXPECT_GT(at, last) << h.toStdString();
        last = at;
    }
    EXPECT_GT(text.indexOf("----"), last);
    EXPECT_EQ(manualHeadings().size(), 17);
    // It is a manual for this program on this platform.
    for (const char* s : {"make run", "make test", "启动Kovu", "压缩数据库(Y)", "101205", "fzwj", "ls.mdb"})
        EXPECT_TRUE(text.contains(s)) << s;
    EXPECT_GT(text.size(), 3000);

    // The check refuses manuals the chapter jumps would fail on.
    EXPECT_NE(checkManual("<p>开头</p><p>《Kovu》</p>"), "");
    QString early = html;
    early.replace("<p align=\"center\">", "<p>见 4.4 压缩数据库</p><p align=\"center\">");
    EXPECT_NE(checkManual(early), "");
    QString noMark = html;
    noMark.replace("----", "");
    EXPECT_TRUE(checkManual(noMark).contains("----"));
    QString swapped = html;
    swapped.replace("3.3 拼音练习使用", "@@")
        .replace("3.4 英语练习使用", "3.3 拼音练习使用")
        .replace("@@", "3.4 英语练习使用");
    EXPECT_NE(checkManual(swapped), "");
}

TEST(DeliveredContent, ValidateAndSheetCommands) {
    auto run = [](const QStringList& args) {
        QProcess p;
        p.start(KOVU_CONTENT_TOOL, args);
        EXPECT_TRUE(p.waitForFinished(120000));
        return std::make_pair(p.exitCode(),
                              QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    auto [code, out] = run({"validate", "--db", KOVU_DELIVERED_DB});
    EXPECT_EQ(code, 0) << out.toStdString();
    SpoiltCopy c;
    c.db->exec("UPDATE yepy SET 音调 = '7' WHERE rowid = 1");
    c.db->close();
    std::tie(code, out) = run({"validate", "--db", c.file});
    EXPECT_NE(code, 0);
    EXPECT_TRUE(out.contains("yepy row 1: tone \"7\"")) << out.toStdString();

    QTemporaryDir dir;
    const QString png = dir.filePath("sheet.png");
    std::tie(code, out) = run({"sheet", "--db", KOVU_DELIVERED_DB, "--out", png});
    EXPECT_EQ(code, 0) << out.toStdString();
    const QImage sheet(png);
    ASSERT_FALSE(sheet.isNull());
    auto db = openDb(KOVU_DELIVERED_DB);
    const int tiles = 14 + count(*db, "SELECT count(*) FROM yetl") + count(*db, "SELECT count(*) FROM yydc");
    EXPECT_EQ(sheet.width(), 8 * 170);
    EXPECT_EQ(sheet.height(), (tiles + 7) / 8 * 150);
}
