#include "LessonRows.h"

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>

#include "platform/ImageCodec.h"

namespace kovu::test {

void addTextbook(Connection& c, const QString& table, const QString& number, const QString& name) {
    c.exec("INSERT INTO " + table + " (课本号, 课本名称) VALUES (?, ?)", {number, name});
}

void addLesson(Connection& c, const QString& table, const QString& number, const QString& name) {
    c.exec("INSERT INTO " + table + " (编号, 课题) VALUES (?, ?)", {number, name});
}

void addCharacter(Connection& c, const QString& number, const QString& ch, const QString& pinyin,
                  const QString& tone, bool chosen) {
    c.exec("INSERT INTO yepy (编号, 文字, 拼音, 音调, 选中) VALUES (?, ?, ?, ?, ?)",
           {number, ch, pinyin, tone, chosen});
}

void addWord(Connection& c, const QString& number, const QString& word, const QString& meaning,
             const QByteArray& picture, bool chosen) {
    c.exec("INSERT INTO yydc (编号, 英语, 音标, 汉语, 图片, 选中) VALUES (?, ?, ?, ?, ?, ?)",
           {number, word, QString(), meaning, picture.isEmpty() ? QVariant() : QVariant(picture), chosen});
}

void writeSampleLessons(Connection& c) {
    addTextbook(c, "yekb", "1", "一年级上");
    addTextbook(c, "yekb", "2", "二年级\"下'册\\");
    addTextbook(c, "yekb", "3", "三年级");
    addLesson(c, "yekt", "102", "第二课");
    addLesson(c, "yekt", "101", "第一课");
    addLesson(c, "yekt", "103", "空课");
    addLesson(c, "yekt", "110", "第十课");
    addLesson(c, "yekt", "201", "二上一");
    addLesson(c, "yekt", "205", "二上五");
    addCharacter(c, "101", "天", "tian", "1");
    addCharacter(c, "101", "行", "hang", "2");
    addCharacter(c, "101", "行", "xing", "2");
    addCharacter(c, "110101", "地", "di", "4");
    addCharacter(c, "101205", "人", "ren", "2");
    addCharacter(c, "102", "口", "kou", "3");
    addCharacter(c, "102", "\"", "yin", "3");
    addCharacter(c, "102", "'", "pie", "3");
    addCharacter(c, "102", "\\", "xie", "2");
    addCharacter(c, "201", "大", "da", "4");
    addCharacter(c, "205", "小", "xiao", "3");

    addTextbook(c, "yykb", "1", "Book \"A\"'s\\");
    addTextbook(c, "yykb", "2", "Book B");
    addLesson(c, "yykt", "101", "Unit 1");
    addLesson(c, "yykt", "102", "Unit \"2\"'s\\");
    addLesson(c, "yykt", "201", "B1");
    QImage pic(200, 100, QImage::Format_RGB888);
    pic.fill(Qt::red);
    addWord(c, "101", "apple", "苹果", encodeJpeg(pic));
    addWord(c, "101", "it's", "它是");
    addWord(c, "101", "say \"hi\"", "说\"嗨\"");
    addWord(c, "101", "back\\slash", "反斜杠");
    addWord(c, "102", "book", "书");
    addWord(c, "102", "run", "跑");
    addWord(c, "102", "run", "奔跑");
    addWord(c, "201", "cat", "猫");
}

QStringList chosenRows(Connection& c, const QString& table) {
    const bool pinyin = table == "yepy";
    QStringList out;
    sqlite3_stmt* st = c.prepare(pinyin ? "SELECT 文字, 拼音 FROM yepy WHERE 选中 = 1 ORDER BY rowid"
                                        : "SELECT 英语, 汉语 FROM yydc WHERE 选中 = 1 ORDER BY rowid",
                                 {});
    while (sqlite3_step(st) == SQLITE_ROW)
        out << columnValue(st, 0).toString() + " " + columnValue(st, 1).toString();
    sqlite3_finalize(st);
    return out;
}

QStringList itemTexts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

QStringList itemTexts(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

void chooseFromCombo(QComboBox* box, const QString& entry) {
    const int i = box->findText(entry, Qt::MatchExactly);
    ASSERT_GE(i, 0) << "no entry " << entry.toStdString();
    box->showPopup();
    QAbstractItemView* view = box->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex idx = box->model()->index(i, box->modelColumn());
    view->scrollTo(idx);
    const QPoint at = view->visualRect(idx).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->window()->isVisible());
}

void clickEntry(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    ASSERT_FALSE(found.isEmpty()) << "no entry " << text.toStdString();
    list->scrollToItem(found.first());
    const QRect r = list->visualItemRect(found.first());
    ASSERT_TRUE(list->viewport()->rect().contains(r.center())) << "entry not visible " << text.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

}  // namespace kovu::test
