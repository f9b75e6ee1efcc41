#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <ostream>

#include "TestSupport.h"
#include "data/Connection.h"

// Textbooks, lessons, characters and words written straight into a test's database, and the
// user's ways of choosing them on screen.
namespace kovu::test {

void addTextbook(Connection& c, const QString& table, const QString& number, const QString& name);
void addLesson(Connection& c, const QString& table, const QString& number, const QString& name);
void addCharacter(Connection& c, const QString& number, const QString& ch, const QString& pinyin,
                  const QString& tone, bool chosen = false);
void addWord(Connection& c, const QString& number, const QString& word, const QString& meaning,
             const QByteArray& picture = {}, bool chosen = false);

// A small curriculum with shared items, a character with two readings in one lesson, an empty
// lesson and names holding a double quote, an apostrophe and a backslash:
//   yekb 1 一年级上, 2 二年级"下'册\, 3 三年级 (no lessons)
//   yekt 102, 101, 103 (empty), 110, 201, 205 (in that table order)
//   yepy 101 天 tian 1; 101 行 hang 2; 101 行 xing 2; 110101 地 di 4; 101205 人 ren 2;
//        102 口 kou 3; 102 " yin 3; 102 ' pie 3; 102 \ xie 2; 201 大 da 4; 205 小 xiao 3
//   yykb 1 Book "A"'s\, 2 Book B;  yykt 101, 102, 201
//   yydc 101 apple(苹果, with a picture); 101 it's(它是); 101 say "hi"(说"嗨"); 101 back\slash(反斜杠);
//        102 book(书); 102 run(跑); 102 run(奔跑); 201 cat(猫)
void writeSampleLessons(Connection& c);

// "文字 拼音" (or "英语 汉语") of every chosen row of the table, in table order.
QStringList chosenRows(Connection& c, const QString& table);

QStringList itemTexts(const QListWidget* list);
QStringList itemTexts(const QComboBox* box);
// Opens the drop-down and clicks the entry, as a user chooses from the list.
void chooseFromCombo(QComboBox* box, const QString& entry);
// Clicks the entry with that text (the first one when several).
void clickEntry(QListWidget* list, const QString& text);

}  // namespace kovu::test
