#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <QSet>

#include "LessonRows.h"
#include "TestSupport.h"
#include "data/Numbering.h"
#include "platform/Errors.h"

using namespace kovu;
using namespace kovu::test;

TEST(Numbering, MembershipCountsOnlyTheFirstOccurrenceAtAGroupStart) {
    EXPECT_TRUE(belongsToLesson("101", "101"));
    EXPECT_TRUE(belongsToLesson("101205", "101"));
    EXPECT_TRUE(belongsToLesson("101205", "205"));
    EXPECT_TRUE(belongsToLesson("110101", "110"));
    // 101 first occurs at position 2 (1 10 1 01): not a group start, so not a member.
    EXPECT_FALSE(belongsToLesson("110101", "101"));
    EXPECT_FALSE(belongsToLesson("101205", "012"));
    EXPECT_FALSE(belongsToLesson("101205", "102"));
    EXPECT_FALSE(belongsToLesson("1", "101"));
    EXPECT_FALSE(belongsToLesson("101", ""));
    EXPECT_TRUE(belongsToLesson("301302303", "303"));

    EXPECT_FALSE(isSharedItem("101"));
    EXPECT_TRUE(isSharedItem("101205"));
    EXPECT_EQ(textbookOf("205"), "2");
    EXPECT_EQ(numberGroups("1011021"), QStringList({"101", "102"}));
    EXPECT_EQ(lessonOfEntry(lessonEntry("205", "第五课")), "205");
    EXPECT_EQ(lessonNameOfEntry(lessonEntry("205", "第\"五'课")), "第\"五'课");
    EXPECT_EQ(textbookNameOfEntry(textbookEntry("3", "三年级")), "三年级");
}

TEST(Numbering, ProposalIsTheNextNumberWithinTheScheme) {
    EXPECT_EQ(proposeNumber(1, "105", "1.一年级"), "106");
    EXPECT_EQ(proposeNumber(1, "109", "1.一年级"), "110");
    EXPECT_EQ(proposeNumber(1, "", "2.二年级"), "201");
    EXPECT_EQ(proposeNumber(0, "3", ""), "4");
    // An empty textbook table starts at 1.
    EXPECT_EQ(proposeNumber(0, "", ""), "1");
    // No room: a tenth textbook, a hundredth lesson.
    EXPECT_EQ(proposeNumber(0, "9", ""), "");
    EXPECT_EQ(proposeNumber(1, "199", "1.一年级"), "");
    EXPECT_EQ(proposeNumber(1, "", ""), "");
    EXPECT_THROW(proposeNumber(1, "1a", "1.x"), KovuError);
}

TEST(Numbering, ItemNumberProblemsListEveryFaultInOrder) {
    const QSet<QString> lessons = {"101", "102", "205"};
    auto exists = [&lessons](const QString& g) { return lessons.contains(g); };
    EXPECT_EQ(itemNumberProblems("101205", exists), "");
    EXPECT_EQ(itemNumberProblems("101102101", exists), "");
    EXPECT_EQ(itemNumberProblems("101101", exists), "(编号有重复！101 = 101)");
    QStringList looked;
    EXPECT_EQ(itemNumberProblems("1011",
                                 [&](const QString& g) {
                                     looked << g;
                                     return exists(g);
                                 }),
              "(字数不对，应等于3的倍数)");
    EXPECT_EQ(looked, QStringList({"101"}));
    EXPECT_EQ(itemNumberProblems("77710", exists), "(字数不对，应等于3的倍数)\n(编号[777]不存在！)");
    EXPECT_EQ(itemNumberMessage("(x)"), "编号输入格式错误！请修改。\n\n(x)");
}

namespace {

// Compares the SQL forms with the functions for every lesson number of the lesson tables (and a
// few that are no lesson) over every item number of both item tables.
void expectSqlAgreesWithFunctions(Connection& c) {
    QStringList lessons = {"010", "011", "120", "999"};
    QStringList numbers;
    for (const char* sql : {"SELECT 编号 FROM yekt", "SELECT 编号 FROM yykt"}) {
        sqlite3_stmt* st = c.prepare(sql, {});
        while (sqlite3_step(st) == SQLITE_ROW) lessons << columnValue(st, 0).toString();
        sqlite3_finalize(st);
    }
    for (const QString& table : {"yepy", "yydc"}) {
        sqlite3_stmt* st = c.prepare("SELECT 编号 FROM " + table, {});
        while (sqlite3_step(st) == SQLITE_ROW) numbers << columnValue(st, 0).toString();
        sqlite3_finalize(st);
        for (const QString& L : lessons) {
            const int sql =
                c.scalar("SELECT count(*) FROM " + table + " WHERE " + kLessonMemberSql, {L}).toInt();
            int fn = 0;
            sqlite3_stmt* all = c.prepare("SELECT 编号 FROM " + table, {});
            while (sqlite3_step(all) == SQLITE_ROW) fn += belongsToLesson(columnValue(all, 0).toString(), L);
            sqlite3_finalize(all);
            EXPECT_EQ(sql, fn) << table.toStdString() << " " << L.toStdString();
        }
        const int shared = c.scalar("SELECT count(*) FROM " + table + " WHERE " + kSharedItemSql).toInt();
        int sharedFn = 0;
        st = c.prepare("SELECT 编号 FROM " + table, {});
        while (sqlite3_step(st) == SQLITE_ROW) sharedFn += isSharedItem(columnValue(st, 0).toString());
        sqlite3_finalize(st);
        EXPECT_EQ(shared, sharedFn) << table.toStdString();
    }
    for (const QString& d : {"1", "2", "3", "9"}) {
        const int sql = c.scalar("SELECT count(*) FROM yekt WHERE " + kTextbookMemberSql, {d}).toInt();
        int fn = 0;
        sqlite3_stmt* st = c.prepare("SELECT 编号 FROM yekt", {});
        while (sqlite3_step(st) == SQLITE_ROW) fn += textbookOf(columnValue(st, 0).toString()) == d;
        sqlite3_finalize(st);
        EXPECT_EQ(sql, fn) << d.toStdString();
    }
}

}  // namespace

TEST(Numbering, SqlFormsAgreeWithTheFunctions) {
    {
        // Hand-made numbers with repeats and look-alike groups.
        TestFolder folder;
        folder.writeSmallDb();
        auto c = openDb(folder.db());
        writeSampleLessons(*c);
        for (const char* n :
             {"101101", "110101", "011101", "201120", "120", "1", "10", "1011", "999101", "101205301"})
            addCharacter(*c, n, "字", "zi", "4");
        expectSqlAgreesWithFunctions(*c);
    }
    {
        // The delivered database.
        TestFolder folder;
        folder.copyDeliveredDb();
        auto c = openDb(folder.db());
        expectSqlAgreesWithFunctions(*c);
    }
}
