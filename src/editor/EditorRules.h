#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// Rules of the content editor that need no window: the entry checks, the dictionary readings,
// the group removal and renumbering of item numbers, and the sizes of word pictures.
namespace kovu {

class Connection;

// The missing or malformed fields of an entry, as the pieces of the "数据录入不全！" message; empty
// when the entry is complete. scope 0 textbooks, 1 lessons, 2 items. A pinyin item's tone is one
// digit from 0 to 4.
QString missingFieldsText(int scope, bool pinyin, const QString& number, const QString& name,
                          const QString& third, const QString& fourth);

// A typed pinyin, tone or English word as it is stored: without the blanks around it.
QString trimmedEntry(const QString& typed);

// A dictionary reading such as "hao3": the letters and the tone digit ("0" when the reading ends
// in no digit from 1 to 4).
void splitReading(const QString& reading, QString* pinyin, QString* tone);

// The groups of an item number, in order, without those whose first x.size() characters are x
// (a textbook digit or a lesson number).
QString numberWithoutGroups(const QString& itemNumber, const QString& x);

// Deletes the single-lesson items of textbook digit or lesson number x and removes x's groups from
// the shared items; an item left with no group is deleted. Returns the number of changed rows. The
// caller runs it inside its transaction.
int removeGroupFromItems(Connection& c, const QString& itemTable, const QString& x);

// Carries a lesson's new number into the groups of the items, or a textbook's new digit into the
// numbers of its lessons and into the items' groups. Inside the caller's transaction.
void renumberLesson(Connection& c, const QString& itemTable, const QString& from, const QString& to);
void renumberTextbook(Connection& c, const QString& lessonTable, const QString& itemTable,
                      const QString& from, const QString& to);

// Whether a typed textbook number is one digit 1..9, and a lesson number the textbook digit
// followed by 01..99.
bool validTextbookNumber(const QString& n);
bool validLessonNumber(const QString& n, const QString& textbook);

// A chosen word picture shown before it is stored: fitted into the grid's 180 x 292 area at 432, 50.
QRect pendingPicturePlacement(QSize picture);
// The size a word picture is stored at: reduced to fit 400 x 300, never enlarged.
QSize storedPictureSize(QSize picture);
// The stored form of a word picture: drawn stretched to its stored size, JPEG at quality 90.
QByteArray wordPictureJpeg(const QImage& picture);

}  // namespace kovu
