#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The numbering that ties textbooks, lessons and items together.
//
// A textbook number is one digit, a lesson number three characters (the textbook digit and a
// two-digit sequence), and an item number the lesson numbers of every lesson holding the item,
// one after another. An item belongs to a lesson when the lesson number first occurs in the item
// number at a position 1, 4, 7 ... (1-based). Numbers are digits, so counting characters (as
// SQLite's instr, substr and length do) and counting bytes give the same positions.
namespace kovu {

// The SQL form of belongsToLesson, with the lesson number bound at the one '?'. instr is
// case-sensitive and finds the first occurrence only, like the rule itself.
inline const QString kLessonMemberSql = QStringLiteral("instr(编号, ?) % 3 = 1");
// The SQL form of "the number starts with the textbook digit bound at '?'".
inline const QString kTextbookMemberSql = QStringLiteral("substr(编号, 1, 1) = ?");
// The SQL form of isSharedItem.
inline const QString kSharedItemSql = QStringLiteral("length(编号) > 3");

// Whether the item number holds the lesson: its first occurrence starts at a position 1, 4, 7 ...
// An empty lesson number belongs to nothing (instr would find it at position 1 of every number,
// so callers do not run the statement for it).
bool belongsToLesson(const QString& itemNumber, const QString& lesson);
// An item in more than one lesson.
bool isSharedItem(const QString& itemNumber);
// The textbook digit of a lesson number or of a single-lesson item number.
QString textbookOf(const QString& number);
// The complete three-character groups, in order; an incomplete trailing piece is left out.
QStringList numberGroups(const QString& itemNumber);

// List entries "课本号.课本名称" and "编号.课题": the number and the name they carry.
QString textbookEntry(const QString& number, const QString& name);
QString lessonEntry(const QString& number, const QString& name);
inline QString textbookOfEntry(const QString& entry) { return entry.left(1); }
inline QString textbookNameOfEntry(const QString& entry) { return entry.mid(2); }
inline QString lessonOfEntry(const QString& entry) { return entry.left(3); }
inline QString lessonNameOfEntry(const QString& entry) { return entry.mid(4); }

// The number proposed for a new textbook (scope 0) or lesson (scope 1), from the column 0 of the
// last row of the scope's rows ordered by number, and the chosen textbook entry: the last number
// plus one, or the textbook digit followed by "01" when there is no row yet; the first textbook
// of an empty table is "1". Returns an empty text when the numbering has no room left (a tenth
// textbook, a hundredth lesson), which the plain increment would turn into a number of another
// range. A last number that is no whole number raises an error.
QString proposeNumber(int scope, const QString& lastNumber, const QString& textbookEntryText);

// The problems of an item number typed into the editor, as the lines of the message: a length
// that is not a multiple of 3, each complete group that names no lesson (lessonExists), and equal
// neighbouring groups. Empty when the number is well formed.
QString itemNumberProblems(const QString& number, const std::function<bool(const QString&)>& lessonExists);
// The message shown for problems.
QString itemNumberMessage(const QString& problems);

}  // namespace kovu
