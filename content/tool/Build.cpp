#include "Build.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "Source.h"
#include "data/Connection.h"
#include "data/Schema.h"
#include "platform/Errors.h"

namespace kovu::content {

namespace {

// Removes a temporary file unless released.
class TempFile {
public:
    explicit TempFile(QString path) : m_path(std::move(path)) { QFile::remove(m_path); }
    ~TempFile() {
        if (!m_released) QFile::remove(m_path);
    }
    const QString& path() const { return m_path; }
    void release() { m_released = true; }

private:
    QString m_path;
    bool m_released = false;
};

void replaceFile(TempFile& tmp, const QString& target) {
    // A log or journal left beside the old file by a program that was killed belongs to the old
    // file: replayed onto the new one it would spoil it, so it goes first.
    for (const char* side : {"-wal", "-shm", "-journal"}) {
        const QString path = target + QLatin1String(side);
        if (QFile::exists(path) && !QFile::remove(path)) fail("cannot remove " + path);
    }
    // rename(2) replaces the target in one step: no moment without a database.
    if (std::rename(QFile::encodeName(tmp.path()).constData(), QFile::encodeName(target).constData()) != 0)
        fail("cannot rename " + tmp.path() + " to " + target);
    tmp.release();
}

bool inLesson(const QString& number, const QString& lesson) {
    const int at = number.indexOf(lesson);
    return at >= 0 && at % 3 == 0;
}

}  // namespace

BuildReport buildDatabase(const QString& contentDir, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    BuildReport report;
    const Content c = loadContent(contentDir);

    const QFileInfo target(out);
    if (!QDir().mkpath(target.absolutePath())) fail("cannot create the folder of " + out);
    TempFile tmp(target.absoluteFilePath() + ".building");
    {
        Connection db;
        db.create(tmp.path(), kDatabasePassword);
        Transaction t(db);
        createSchema(db);

        QStringList cols, marks;
        QVariantList values;
        for (const SettingValue& s : c.settings) {
            cols << s.field;
            marks << "?";
            values << s.value;
        }
        db.exec("INSERT INTO yesz (" + cols.join(", ") + ") VALUES (" + marks.join(", ") + ")", values);
        report.rows += 1;

        for (const Recipe& r : c.screen) {
            db.exec("INSERT INTO yetp (图号, 图片) VALUES (?, ?)",
                    {r.name, encodePicture(drawRecipe(r), r.format)});
            ++report.pictures;
            ++report.rows;
        }
        for (const ExamplePicture& e : c.examples) {
            const QImage img = drawRecipe(c.exampleRecipe, {{"emoji", e.emoji}});
            db.exec("INSERT INTO yetl (图号, 图片, 图名) VALUES (?, ?, ?)",
                    {e.code, encodePicture(img, c.exampleRecipe.format), e.name});
            ++report.pictures;
            ++report.rows;
        }
        for (const Textbook& b : c.pinyinBooks) db.exec("INSERT INTO yekb VALUES (?, ?)", {b.number, b.name});
        for (const Textbook& b : c.englishBooks)
            db.exec("INSERT INTO yykb VALUES (?, ?)", {b.number, b.name});
        for (const Lesson& l : c.pinyinLessons)
            db.exec("INSERT INTO yekt VALUES (?, ?)", {l.number, l.title});
        for (const Lesson& l : c.englishLessons)
            db.exec("INSERT INTO yykt VALUES (?, ?)", {l.number, l.title});
        report.rows += int(c.pinyinBooks.size() + c.englishBooks.size() + c.pinyinLessons.size() +
                           c.englishLessons.size());
        // The first lesson of the first textbook is chosen, so a first practice has items at once.
        const QString firstPinyin = c.pinyinLessons.empty() ? QString() : c.pinyinLessons.front().number;
        const QString firstEnglish = c.englishLessons.empty() ? QString() : c.englishLessons.front().number;
        for (const PinyinItem& i : c.characters) {
            db.exec("INSERT INTO yepy (编号, 文字, 拼音, 音调, 选中) VALUES (?, ?, ?, ?, ?)",
                    {i.number, i.character, i.pinyin, i.tone, inLesson(i.number, firstPinyin) ? 1 : 0});
            ++report.rows;
        }
        for (const EnglishWord& w : c.words) {
            QVariant picture(QMetaType(QMetaType::QByteArray));
            if (!w.recipe.isEmpty()) {
                const Recipe& r = c.wordRecipe(w.recipe);
                picture = encodePicture(drawRecipe(r, w.vars), r.format);
                ++report.pictures;
            }
            db.exec(
                "INSERT INTO yydc (编号, 英语, 音标, 汉语, 图片, 选中) VALUES (?, ?, ?, ?, ?, ?)",
                {w.number, w.word, w.phonetic, w.meaning, picture, inLesson(w.number, firstEnglish) ? 1 : 0});
            ++report.rows;
        }
        for (const QString& ch : c.dictionaryOrder) {
            for (const QString& rd : c.dictionary.value(ch)) {
                db.exec("INSERT INTO yefc (汉字, 拼音) VALUES (?, ?)", {ch, rd});
                ++report.rows;
            }
        }
        t.commit();
        const QStringList problems = validateDatabase(db);
        if (!problems.isEmpty()) fail("the built database fails its checks: " + problems.first());
        db.close();
    }
    report.bytes = QFileInfo(tmp.path()).size();
    replaceFile(tmp, target.absoluteFilePath());
    report.milliseconds = timer.elapsed();
    return report;
}

void writeFormPictures(const QString& contentDir, const QString& outDir) {
    const std::vector<Recipe> recipes = loadFormRecipes(contentDir);
    if (!QDir().mkpath(outDir)) fail("cannot create " + outDir);
    for (const Recipe& r : recipes) {
        const QString file = QDir(outDir).filePath(r.name);
        TempFile tmp(file + ".drawing");
        QFile f(tmp.path());
        if (!f.open(QIODevice::WriteOnly) || f.write(encodePicture(drawRecipe(r), r.format)) < 0)
            fail("cannot write " + tmp.path());
        f.close();
        replaceFile(tmp, file);
    }
}

void writeAppIcons(const QString& contentDir, const QString& outDir, const QString& name) {
    const std::vector<Recipe> recipes = loadFormRecipes(contentDir);
    const auto own = std::find_if(recipes.begin(), recipes.end(),
                                  [](const Recipe& r) { return r.name == QLatin1String("kovu.png"); });
    if (own == recipes.end()) fail("the form's pictures have no kovu.png to draw the icons from");
    for (const int n : kIconSizes) {
        const QString folder = QDir(outDir).filePath(QStringLiteral("%1x%1/apps").arg(n));
        if (!QDir().mkpath(folder)) fail("cannot create " + folder);
        const QString file = QDir(folder).filePath(name + ".png");
        TempFile tmp(file + ".drawing");
        QFile f(tmp.path());
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(encodePicture(drawRecipe(*own, QSize(n, n)), PictureFormat::Png)) < 0)
            fail("cannot write " + tmp.path());
        f.close();
        replaceFile(tmp, file);
    }
}

}  // namespace kovu::content
