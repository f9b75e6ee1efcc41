// Pinyin and English practice figures over the delivered content: judging a typed pinyin, its
// tone, and an English word with its picture; starting a session with 5 000 chosen rows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "data/Query.h"
#include "practice/ConditionsPanel.h"
#include "practice/EnglishExercise.h"
#include "practice/PinyinExercise.h"
#include "practice/PracticePanel.h"

using namespace kovu;

namespace {

// The real form over a copy of the delivered database, with the pinyin or English conditions
// open for a test; chosen, when given, marks that many rows chosen (copies of the delivered ones).
struct ItemSession {
    QTemporaryDir dir;
    test::FakePlatform platform;
    std::unique_ptr<TfrmKovu> form;
    PracticePanel* pan1 = nullptr;
    ConditionsPanel* panTj = nullptr;

    ItemSession(bool pinyin, bool test, int chosen = 0) {
        QFile::copy(KOVU_DELIVERED_DB, dir.filePath("kovu.mdb"));
        QFile(dir.filePath("kovu.mdb")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (chosen > 0) {
            Connection c;
            c.open(dir.filePath("kovu.mdb"), kDatabasePassword);
            Transaction t(c);
            const QString table = pinyin ? "yepy" : "yydc";
            const QString cols = pinyin ? "编号, 文字, 拼音, 音调" : "编号, 英语, 音标, 汉语, 图片";
            const int have = c.scalar("SELECT count(*) FROM " + table).toInt();
            for (int done = have; done < chosen; done += have)
                c.exec(
                    "INSERT INTO " + table + " (" + cols + ") SELECT " + cols + " FROM " + table + " LIMIT ?",
                    {std::min(have, chosen - done)});
            c.exec("UPDATE " + table + " SET 选中 = 1");
            t.commit();
        }
        form = std::make_unique<TfrmKovu>(platform, dir.path() + "/");
        form->show();
        pan1 = form->pan1;
        panTj = form->panTj;
        if (pinyin)
            form->imgPyClick();
        else
            form->imgYyClick();
        panTj->rgpNr->click(test ? 1 : 0);
        panTj->chkSd->setChecked(true);
    }
    void start() { panTj->bitQd->click(); }
};

void BM_JudgePinyinAnswer(benchmark::State& st) {
    ItemSession s(true, true);
    s.start();
    Query& rows = s.pan1->pinyinExercise().rows();
    for (auto _ : st) {
        st.PauseTiming();
        s.pan1->edtJg->setText(rows.text(2));
        st.ResumeTiming();
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        st.PauseTiming();
        if (s.pan1->lblJg->text() != "拼对了！") st.SkipWithError("the pinyin was not judged right");
        // Past the tone step to the next character.
        s.pan1->edtYd->setText(rows.text(3));
        QTest::keyClick(s.pan1->edtYd, Qt::Key_Return);
        QTest::keyClick(s.pan1->edtYd, Qt::Key_Return);
        st.ResumeTiming();
    }
}
BENCHMARK(BM_JudgePinyinAnswer)->Unit(benchmark::kMillisecond);

void BM_JudgeTone(benchmark::State& st) {
    ItemSession s(true, true);
    s.start();
    Query& rows = s.pan1->pinyinExercise().rows();
    for (auto _ : st) {
        st.PauseTiming();
        s.pan1->edtJg->setText(rows.text(2));
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        s.pan1->edtYd->setText(rows.text(3) == "4" ? "1" : "4");
        st.ResumeTiming();
        QTest::keyClick(s.pan1->edtYd, Qt::Key_Return);
        st.PauseTiming();
        if (s.pan1->lblJg->text() != "声调错！") st.SkipWithError("the tone was not judged");
        QTest::keyClick(s.pan1->edtYd, Qt::Key_Return);
        st.ResumeTiming();
    }
}
BENCHMARK(BM_JudgeTone)->Unit(benchmark::kMillisecond);

void BM_JudgeEnglishAnswer(benchmark::State& st) {
    ItemSession s(false, true);
    s.start();
    Query& rows = s.pan1->englishExercise().rows();
    for (auto _ : st) {
        st.PauseTiming();
        s.pan1->edtJg->setText(rows.text(1) + "x");
        st.ResumeTiming();
        // A wrong word: the look-up of every word of the meaning, the pictures and the record.
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        st.PauseTiming();
        if (s.pan1->lblJg->text() != "拼错了！") st.SkipWithError("the word was not judged");
        // The next word with its own picture.
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        st.ResumeTiming();
    }
}
BENCHMARK(BM_JudgeEnglishAnswer)->Unit(benchmark::kMillisecond);

// Arg 0 pinyin, arg 1 English (every chosen word with its picture).
void BM_StartWith5000Chosen(benchmark::State& st) {
    ItemSession s(st.range(0) == 0, true, 5000);
    for (auto _ : st) {
        s.start();
        st.PauseTiming();
        if (s.form->db().aquSb.recordCount() != 5000) st.SkipWithError("not 5000 rows");
        s.pan1->butFh->click();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_StartWith5000Chosen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
