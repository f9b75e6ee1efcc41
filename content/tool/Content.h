#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

#include "Recipe.h"
#include "Rules.h"

namespace kovu::content {

struct Textbook {
    QString number, name;
};
struct Lesson {
    QString number, title;
};
struct PinyinItem {
    QString number, character, pinyin, tone;
};
struct EnglishWord {
    QString number, word, phonetic, meaning;
    QString recipe;                // the word picture's recipe, empty when the word has none
    QHash<QString, QString> vars;  // $emoji or $text of the recipe
    int line = 0;
};
struct ExamplePicture {
    QString code, name, emoji;
    int line = 0;
};
struct SettingValue {
    QString field;
    QVariant value;
};

// Everything the delivered database holds, read from the content folder and checked.
struct Content {
    std::vector<SettingValue> settings;  // the settings row, 帮助 last
    std::vector<Recipe> screen;          // the yetp pictures in table order
    std::vector<Textbook> pinyinBooks, englishBooks;
    std::vector<Lesson> pinyinLessons, englishLessons;
    std::vector<PinyinItem> characters;
    std::vector<EnglishWord> words;
    std::vector<ExamplePicture> examples;
    Dictionary dictionary;
    QStringList dictionaryOrder;      // characters in the order of the source
    std::vector<Recipe> wordRecipes;  // "word" (an emoji) and the others a word may name
    Recipe exampleRecipe;
    const Recipe& wordRecipe(const QString& name) const;
};

// Reads and checks the sources under dir. Raises SourceError naming the file (relative to dir)
// and line of the first fault.
Content loadContent(const QString& dir);

// Reads the form's picture recipes (pictures/form.txt) and checks them against their roles.
std::vector<Recipe> loadFormRecipes(const QString& dir);

// The settings fields of yesz other than 帮助, in column order.
const QStringList& settingFields();

}  // namespace kovu::content
