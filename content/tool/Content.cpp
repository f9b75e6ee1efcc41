#include "Content.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "Source.h"
#include "platform/Gbk.h"

namespace kovu::content {

namespace {

const QStringList kBooleanFields = {"自动适应屏幕", "不显示例图", "标注声调", "拼音排序"};

void require(const QString& problem, const QString& file, int line) {
    if (!problem.isEmpty()) throw SourceError(file, line, problem);
}

QString path(const QString& dir, const QString& name) { return QDir(dir).filePath(name); }

std::vector<Textbook> readTextbooks(const QString& dir, const QString& name) {
    std::vector<Textbook> out;
    QSet<QString> seen;
    for (const SourceRow& r : readTable(path(dir, name), name, 2).rows) {
        require(checkTextbookNumber(r.fields[0]), name, r.line);
        if (seen.contains(r.fields[0]))
            throw SourceError(name, r.line, "textbook " + r.fields[0] + " given twice");
        if (r.fields[1].isEmpty()) throw SourceError(name, r.line, "the textbook has no name");
        require(checkMeaning(r.fields[1]).isEmpty() ? QString() : "the name holds characters outside GBK",
                name, r.line);
        seen.insert(r.fields[0]);
        out.push_back({r.fields[0], r.fields[1]});
    }
    if (out.empty()) throw SourceError(name, 0, "no textbooks");
    return out;
}

std::vector<Lesson> readLessons(const QString& dir, const QString& name, const std::vector<Textbook>& books) {
    QSet<QString> textbooks, seen;
    for (const Textbook& b : books) textbooks.insert(b.number);
    std::vector<Lesson> out;
    for (const SourceRow& r : readTable(path(dir, name), name, 2).rows) {
        require(checkLessonNumber(r.fields[0], textbooks), name, r.line);
        if (seen.contains(r.fields[0]))
            throw SourceError(name, r.line, "lesson " + r.fields[0] + " given twice");
        if (r.fields[1].isEmpty()) throw SourceError(name, r.line, "the lesson has no title");
        require(checkMeaning(r.fields[1]).isEmpty() ? QString() : "the title holds characters outside GBK",
                name, r.line);
        seen.insert(r.fields[0]);
        out.push_back({r.fields[0], r.fields[1]});
    }
    return out;
}

QSet<QString> lessonSet(const std::vector<Lesson>& lessons) {
    QSet<QString> s;
    for (const Lesson& l : lessons) s.insert(l.number);
    return s;
}

void readDictionary(const QString& dir, Content& c) {
    const QString name = "dict/yefc.txt";
    for (const SourceRow& r : readTable(path(dir, name), name, 2).rows) {
        require(checkCharacter(r.fields[0]), name, r.line);
        if (c.dictionary.contains(r.fields[0])) throw SourceError(name, r.line, r.fields[0] + " given twice");
        const QStringList readings = r.fields[1].split(' ', Qt::SkipEmptyParts);
        if (readings.isEmpty()) throw SourceError(name, r.line, r.fields[0] + " has no reading");
        for (const QString& rd : readings) require(checkDictionaryReading(rd), name, r.line);
        if (QSet<QString>(readings.begin(), readings.end()).size() != readings.size())
            throw SourceError(name, r.line, r.fields[0] + " has a reading twice");
        c.dictionary.insert(r.fields[0], readings);
        c.dictionaryOrder << r.fields[0];
    }
}

void readSettings(const QString& dir, Content& c) {
    const QString name = "data/yesz.txt";
    QHash<QString, int> lines;
    QHash<QString, QString> values;
    for (const SourceRow& r : readTable(path(dir, name), name, 2).rows) {
        const QString& f = r.fields[0];
        const QString& v = r.fields[1];
        if (!settingFields().contains(f))
            throw SourceError(name, r.line, "\"" + f + "\" is not a settings field");
        if (lines.contains(f)) throw SourceError(name, r.line, f + " given twice");
        lines.insert(f, r.line);
        values.insert(f, v);
        bool ok = false;
        const int n = v.toInt(&ok);
        if (kBooleanFields.contains(f)) {
            if (v != "0" && v != "1") throw SourceError(name, r.line, f + " must be 0 or 1");
        } else if (!ok) {
            throw SourceError(name, r.line, f + " must be a whole number");
        }
        auto range = [&](int lo, int hi) {
            if (n < lo || n > hi)
                throw SourceError(name, r.line, QString("%1 must lie in %2 to %3").arg(f).arg(lo).arg(hi));
        };
        if (f == "算术类型") range(0, 6);
        if (f == "最大数字") range(0, 9);
        if (f == "图例图片") range(-1, int(c.examples.size()) - 1);
        if (f == "课本号") range(1, int(c.pinyinBooks.size()));
        if (f == "英课本") range(1, int(c.englishBooks.size()));
        if (f == "课题号" || f == "英课题") range(1, 99);
        if (f == "输入法") range(0, 99);
        if (f == "声调去分") range(0, 100);
    }
    for (const QString& f : settingFields())
        if (!lines.contains(f)) throw SourceError(name, 0, "the field " + f + " is missing");
    // The stored lesson is the n-th lesson of the stored textbook.
    auto lessonCheck = [&](const QString& bookField, const QString& lessonField,
                           const std::vector<Textbook>& books, const std::vector<Lesson>& lessons) {
        const QString book = books.at(values.value(bookField).toInt() - 1).number;
        int count = 0;
        for (const Lesson& l : lessons) count += l.number.startsWith(book);
        if (values.value(lessonField).toInt() > count)
            throw SourceError(name, lines.value(lessonField),
                              QString("textbook %1 has only %2 lessons").arg(book).arg(count));
    };
    lessonCheck("课本号", "课题号", c.pinyinBooks, c.pinyinLessons);
    lessonCheck("英课本", "英课题", c.englishBooks, c.englishLessons);
    for (const QString& f : settingFields()) {
        const QString v = values.value(f);
        c.settings.push_back({f, f == "声调去分" ? QVariant(v) : QVariant(v.toInt())});
    }
    const QString help = "help/manual.html";
    const QString manual = readText(path(dir, help), help);
    require(checkManual(manual), help, 0);
    c.settings.push_back({"帮助", manual});
}

void readScreenPictures(const QString& dir, Content& c) {
    const QString name = "pictures/screen.txt";
    std::vector<Recipe> recipes = readRecipes(path(dir, name), name);
    for (const Recipe& r : recipes) {
        bool known = false;
        for (const ScreenRole& role : screenRoles()) {
            if (r.name != role.code) continue;
            known = true;
            if (r.format != role.format)
                throw SourceError(name, r.line,
                                  QString("picture %1 must be %2").arg(r.name, formatName(role.format)));
            if (r.size != QSize(role.width, role.height))
                throw SourceError(
                    name, r.line,
                    QString("picture %1 must be %2x%3").arg(r.name).arg(role.width).arg(role.height));
        }
        if (!known) throw SourceError(name, r.line, "\"" + r.name + "\" is not a screen picture code");
    }
    for (const ScreenRole& role : screenRoles()) {
        auto it = std::find_if(recipes.begin(), recipes.end(),
                               [&](const Recipe& r) { return r.name == role.code; });
        if (it == recipes.end())
            throw SourceError(name, 0, QString("the picture %1 is missing").arg(role.code));
        c.screen.push_back(*it);
    }
}

Recipe readTemplate(const QString& dir, const QString& name, const QString& recipeName, PictureFormat format,
                    QSize max, bool exact) {
    const std::vector<Recipe> recipes = readRecipes(path(dir, name), name);
    if (recipes.size() != 1 || recipes.front().name != recipeName)
        throw SourceError(name, 0, "the file must hold one picture named " + recipeName);
    const Recipe& r = recipes.front();
    if (r.format != format)
        throw SourceError(name, r.line, QString("the picture must be %1").arg(formatName(format)));
    if (exact ? r.size != max : (r.size.width() > max.width() || r.size.height() > max.height()))
        throw SourceError(name, r.line,
                          QString("the picture must be %1 %2x%3")
                              .arg(exact ? "exactly" : "at most")
                              .arg(max.width())
                              .arg(max.height()));
    return r;
}

void readPinyin(const QString& dir, Content& c) {
    c.pinyinBooks = readTextbooks(dir, "data/yekb.txt");
    c.pinyinLessons = readLessons(dir, "data/yekt.txt", c.pinyinBooks);
    const QSet<QString> lessons = lessonSet(c.pinyinLessons);
    const QString name = "data/yepy.txt";
    QHash<QString, int> seen;
    for (const SourceRow& r : readTable(path(dir, name), name, 4).rows) {
        const QStringList& f = r.fields;
        require(checkItemNumber(f[0], lessons), name, r.line);
        require(checkCharacter(f[1]), name, r.line);
        require(checkReading(f[1], f[2], f[3], c.dictionary), name, r.line);
        const QString key = f[1] + f[2] + f[3];
        if (seen.contains(key))
            throw SourceError(name, r.line,
                              QString("%1 %2%3 is already on line %4; give it one number with every lesson")
                                  .arg(f[1], f[2], f[3])
                                  .arg(seen.value(key)));
        seen.insert(key, r.line);
        c.characters.push_back({f[0], f[1], f[2], f[3]});
    }
}

void readEnglish(const QString& dir, Content& c) {
    c.englishBooks = readTextbooks(dir, "data/yykb.txt");
    c.englishLessons = readLessons(dir, "data/yykt.txt", c.englishBooks);
    const QSet<QString> lessons = lessonSet(c.englishLessons);
    const QString name = "data/yydc.txt";
    QHash<QString, int> seen;
    std::vector<EnglishWord> pending;
    for (const SourceRow& r : readTable(path(dir, name), name, 5).rows) {
        const QStringList& f = r.fields;
        require(checkItemNumber(f[0], lessons), name, r.line);
        require(checkEnglishWord(f[1]), name, r.line);
        require(checkMeaning(f[3]), name, r.line);
        const QString key = f[1].toLower() + "|" + f[3];
        if (seen.contains(key))
            throw SourceError(name, r.line,
                              QString("%1 %2 is already on line %3").arg(f[1], f[3]).arg(seen.value(key)));
        seen.insert(key, r.line);
        EnglishWord w{f[0], f[1], f[2], f[3], {}, {}, r.line};
        // The picture: "-" for none, "recipe:text" for a recipe of words.txt, else an emoji.
        if (f[4] != "-") {
            const int colon = int(f[4].indexOf(':'));
            if (colon > 0) {
                w.recipe = f[4].left(colon);
                w.vars.insert("text", f[4].mid(colon + 1));
            } else {
                checkEmoji(f[4], name, r.line);
                w.recipe = "word";
                w.vars.insert("emoji", f[4]);
            }
        }
        pending.push_back(w);
    }
    c.wordRecipes = readRecipes(path(dir, "pictures/words.txt"), "pictures/words.txt");
    for (const Recipe& rc : c.wordRecipes) {
        if (rc.format != PictureFormat::Jpeg)
            throw SourceError(rc.file, rc.line, "a word picture must be jpeg");
        if (rc.size.width() > kWordMaxWidth || rc.size.height() > kWordMaxHeight)
            throw SourceError(
                rc.file, rc.line,
                QString("a word picture must be at most %1x%2").arg(kWordMaxWidth).arg(kWordMaxHeight));
    }
    if (std::none_of(c.wordRecipes.begin(), c.wordRecipes.end(),
                     [](const Recipe& rc) { return rc.name == "word"; }))
        throw SourceError("pictures/words.txt", 0, "the picture named word is missing");
    for (EnglishWord& w : pending) {
        if (!w.recipe.isEmpty() && std::none_of(c.wordRecipes.begin(), c.wordRecipes.end(),
                                                [&](const Recipe& rc) { return rc.name == w.recipe; }))
            throw SourceError(name, w.line, "pictures/words.txt has no picture named " + w.recipe);
        c.words.push_back(w);
    }
}

void readExamples(const QString& dir, Content& c) {
    const QString name = "data/yetl.txt";
    QSet<QString> codes, names;
    for (const SourceRow& r : readTable(path(dir, name), name, 3).rows) {
        const QStringList& f = r.fields;
        if (f[0].isEmpty()) throw SourceError(name, r.line, "the picture has no number");
        if (codes.contains(f[0])) throw SourceError(name, r.line, "picture number " + f[0] + " given twice");
        require(checkMeaning(f[1]).isEmpty() ? QString() : "the name \"" + f[1] + "\" is empty or not GBK",
                name, r.line);
        if (names.contains(f[1])) throw SourceError(name, r.line, "picture name " + f[1] + " given twice");
        checkEmoji(f[2], name, r.line);
        codes.insert(f[0]);
        names.insert(f[1]);
        c.examples.push_back({f[0], f[1], f[2], r.line});
    }
    c.exampleRecipe = readTemplate(dir, "pictures/examples.txt", "example", PictureFormat::Jpeg,
                                   QSize(kExampleSize, kExampleSize), true);
}

}  // namespace

const Recipe& Content::wordRecipe(const QString& name) const {
    for (const Recipe& r : wordRecipes)
        if (r.name == name) return r;
    throw SourceError("pictures/words.txt", 0, "no picture named " + name);
}

const QStringList& settingFields() {
    static const QStringList f = {"自动适应屏幕", "不显示例图", "算术类型", "最大数字", "图例图片",
                                  "课本号",       "课题号",     "英课本",   "英课题",   "标注声调",
                                  "声调去分",     "拼音排序",   "输入法"};
    return f;
}

Content loadContent(const QString& dir) {
    if (!QFileInfo(dir).isDir()) throw SourceError(dir, 0, "the content folder does not exist");
    Content c;
    readDictionary(dir, c);
    readPinyin(dir, c);
    readEnglish(dir, c);
    readExamples(dir, c);
    readSettings(dir, c);
    readScreenPictures(dir, c);
    return c;
}

std::vector<Recipe> loadFormRecipes(const QString& dir) {
    const QString name = "pictures/form.txt";
    std::vector<Recipe> recipes = readRecipes(path(dir, name), name);
    std::vector<Recipe> out;
    for (const FormRole& role : formRoles()) {
        auto it = std::find_if(recipes.begin(), recipes.end(),
                               [&](const Recipe& r) { return r.name == role.file; });
        if (it == recipes.end())
            throw SourceError(name, 0, QString("the picture %1 is missing").arg(role.file));
        if (it->format != role.format)
            throw SourceError(name, it->line,
                              QString("%1 must be %2").arg(role.file, formatName(role.format)));
        if (role.width > 0 && it->size != QSize(role.width, role.height))
            throw SourceError(name, it->line,
                              QString("%1 must be %2x%3").arg(role.file).arg(role.width).arg(role.height));
        out.push_back(*it);
    }
    for (const Recipe& r : recipes)
        if (std::none_of(formRoles().begin(), formRoles().end(),
                         [&](const FormRole& f) { return r.name == f.file; }))
            throw SourceError(name, r.line, "\"" + r.name + "\" is not a picture of the form");
    return out;
}

}  // namespace kovu::content
