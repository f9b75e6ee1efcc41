#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include "Recipe.h"

namespace kovu::content {

// The rules that every delivered row obeys. Each check returns an empty text when the value is
// sound, else what is wrong; the source reader adds the file and line, the database check the row.

// The character dictionary: character -> its readings, pinyin letters followed by the tone digit
// 1 to 4, no digit for the neutral tone (hao3, de).
using Dictionary = QHash<QString, QStringList>;

QString checkTextbookNumber(const QString& number);
// A lesson number: three digits, the first an existing textbook, the last two 01 to 99.
QString checkLessonNumber(const QString& number, const QSet<QString>& textbooks);
// An item number: one or more three-character groups, each an existing lesson, none twice.
QString checkItemNumber(const QString& number, const QSet<QString>& lessons);
// Exactly one double-byte GBK character.
QString checkCharacter(const QString& character);
// Pinyin letters (a to z, v for ü) and a tone digit 0 to 4 that the dictionary holds.
QString checkReading(const QString& character, const QString& pinyin, const QString& tone,
                     const Dictionary& dict);
// Letters, blanks, apostrophes and hyphens, starting with a letter.
QString checkEnglishWord(const QString& word);
// A Chinese meaning: not empty, only GBK characters.
QString checkMeaning(const QString& meaning);
// A dictionary reading as stored in yefc.
QString checkDictionaryReading(const QString& reading);

// The yefc reading of a pinyin and tone: "hao" + "3" gives "hao3", "de" + "0" gives "de".
QString dictionaryReading(const QString& pinyin, const QString& tone);

// Decodes a stored picture in the given format; returns what is wrong (empty when it decodes
// and, when max is valid, fits within it; when exact is set the size must equal max).
QString checkPicture(const QByteArray& bytes, PictureFormat format, QSize max, bool exact,
                     QSize* size = nullptr);

// The screen pictures of yetp: code, format and size, in their table order.
struct ScreenRole {
    const char* code;
    PictureFormat format;
    int width, height;
};
const std::vector<ScreenRole>& screenRoles();

// The pictures that belong to the form itself (the program's resources): file name, format and
// size (0 x 0 when the size is free).
struct FormRole {
    const char* file;
    PictureFormat format;
    int width, height;
};
const std::vector<FormRole>& formRoles();

// Size limits of word pictures and example pictures.
inline constexpr int kWordMaxWidth = 400, kWordMaxHeight = 300;
inline constexpr int kExampleSize = 30;

// The chapter headings of the manual, in order, and its two marks.
const QStringList& manualHeadings();
inline constexpr const char* kManualHead = "《Kovu》";
inline constexpr const char* kManualMark = "----";
// Checks the manual's rich text: the head mark first, every heading once in order as the first
// occurrence of its text, and the mark "----" after the last heading. Returns what is wrong.
QString checkManual(const QString& richText);

}  // namespace kovu::content
