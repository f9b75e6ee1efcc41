// Every judged test answer is kept in the answer log with its score record, in one transaction.
#include <gtest/gtest.h>

#include "ProgressFixture.h"
#include "practice/Captions.h"

using namespace kovu;
using namespace kovu::test;

TEST(AnswerLog, EveryJudgedAnswerIsKeptWithItsScoreRecordOrNeither) {
    ProgressScreen s;
    const QString child = openDb(s.folder.db())->scalar("SELECT 编号 FROM yexs").toString();
    s.openConditions();
    // A review writes nothing.
    s.review();
    s.start();
    s.click(s.pan1->butKs);
    s.back();
    EXPECT_TRUE(answerRows(s.folder.db()).isEmpty());

    // Test 1: right, then wrong; the clock of the rows is the program's.
    s.test();
    s.start();
    QStringList expected;
    QString q = s.sum();
    s.answer(QString::number(s.result()));
    expected << QStringLiteral("%1|s|1|%2 = |%3|%4|100")
                    .arg(child, QString(q).replace("+", " + "), q)
                    .arg(s.result());
    s.next();
    q = s.sum();
    const QString wrong = QString::number(s.result() + 1);
    s.answer(wrong);
    expected << QStringLiteral("%1|s|1|%2 = |%3|%4|0").arg(child, QString(q).replace("+", " + "), q, wrong);
    EXPECT_EQ(answerRows(s.folder.db()), expected);
    EXPECT_EQ(s.rows().size(), 2);
    auto c = openDb(s.folder.db());
    EXPECT_EQ(c->scalar("SELECT 时间 FROM yejl ORDER BY 编号 DESC").toString(), "2024-03-09T08:05:12");
    EXPECT_GE(c->scalar("SELECT min(用时) FROM yejl").toInt(), 0);

    // Test 2: the score table is emptied, the log is not; a failing log write leaves the score
    // record unwritten too, and the answer is judged again once the log can be written.
    s.back();
    s.start();
    EXPECT_TRUE(s.rows().isEmpty());
    EXPECT_EQ(answerRows(s.folder.db()).size(), 2);
    c->exec("CREATE TRIGGER no_log BEFORE INSERT ON yejl BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    q = s.sum();
    s.answer(QString::number(s.result()));
    ASSERT_EQ(s.platform.dlg().log.size(), 1u);
    EXPECT_TRUE(s.platform.dlg().log[0].text.contains("disk full"));
    EXPECT_TRUE(s.rows().isEmpty());
    EXPECT_EQ(answerRows(s.folder.db()).size(), 2);
    EXPECT_EQ(s.pan1->butKs->text(), captions::kConfirm);
    EXPECT_EQ(s.pan1->lblCj->text(), "0");
    c->exec("DROP TRIGGER no_log");
    s.platform.dlg().clear();
    pressEnter(s.pan1->edtJg);
    EXPECT_EQ(
        s.rows(),
        QStringList{QStringLiteral("1|%1 = %2|100|100").arg(QString(q).replace("+", " + ")).arg(s.result())});
    EXPECT_EQ(answerRows(s.folder.db()).value(2), QStringLiteral("%1|s|2|%2 = |%3|%4|100")
                                                      .arg(child, QString(q).replace("+", " + "), q)
                                                      .arg(s.result()));
    s.back();

    // Pinyin: the answer and its tone step, each with its record; English: the meaning.
    s.pinyinTestOfZhang("2");
    s.back();
    const QString meaning = s.englishTestAnswered("aple");
    const QStringList rows = answerRows(s.folder.db());
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[3], child + QStringLiteral("|p|1|长|长|zhang|100"));
    EXPECT_EQ(rows[4], child + QStringLiteral("|p|1|长 声调|长|zhang 2|-15"));
    EXPECT_EQ(rows[5], child + QStringLiteral("|y|1|%1|%1|aple|0").arg(meaning));
    EXPECT_EQ(s.rows("pycj").size(), 2);
    EXPECT_TRUE(s.platform.dlg().log.empty()) << s.platform.dlg().texts().join(" / ").toStdString();
}
