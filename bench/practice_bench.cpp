// Practice figures: judging a typed answer (verdict, pictures and score row), the next question,
// starting a session and laying out the practice screen on a 1920-pixel screen. Arg 0 keeps the
// database on disk, arg 1 in memory (the same work without the disk's sync of each written row).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ConditionsPanel.h"
#include "practice/ArithmeticExercise.h"
#include "practice/PracticePanel.h"

using namespace kovu;

namespace {

// Where the database lies: the ordinary temporary folder (a disk, whose sync of each written row
// the figure then includes) or, for arg 1, a memory file system when there is one.
QString benchFolderTemplate(bool memory) {
    if (memory && QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        return QStringLiteral("/dev/shm/kovu-bench-XXXXXX");
    return QDir::tempPath() + QStringLiteral("/kovu-bench-XXXXXX");
}

// The real form over a copy of the delivered database, with the arithmetic conditions open.
struct Session {
    QTemporaryDir dir;
    test::FakePlatform platform;
    std::unique_ptr<TfrmKovu> form;
    PracticePanel* pan1 = nullptr;
    ConditionsPanel* panTj = nullptr;

    Session(int type, bool test, bool memory, bool fit = false, int screenWidth = 1024)
        : dir(benchFolderTemplate(memory)) {
        QFile::copy(KOVU_DELIVERED_DB, dir.filePath("kovu.mdb"));
        QFile(dir.filePath("kovu.mdb")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        platform.screen = QSize(screenWidth, screenWidth * 3 / 4);
        form = std::make_unique<TfrmKovu>(platform, dir.path() + "/");
        form->show();
        pan1 = form->pan1;
        panTj = form->panTj;
        form->imgSsClick();
        panTj->panSs->rgp1->click(type);
        panTj->panSs->rgp2->click(8);
        panTj->rgpNr->click(test ? 1 : 0);
        panTj->chkPm->setChecked(fit);
    }
    void start() { panTj->bitQd->click(); }
};

void BM_AnswerUntilVerdict(benchmark::State& st) {
    Session s(0, true, st.range(0) == 1);
    s.start();
    int answered = 0;
    for (auto _ : st) {
        st.PauseTiming();
        // A session of twenty answers, then a new one: recording reads the session's rows again.
        if (++answered % 20 == 0) {
            s.pan1->butFh->click();
            s.start();
        }
        const QString answer =
            QString::number(s.pan1->arithmetic().FirstOperand + s.pan1->arithmetic().SecondOperand);
        s.pan1->edtJg->setText(answer);
        st.ResumeTiming();
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        st.PauseTiming();
        if (s.pan1->butKs->text() != "下题或回车") st.SkipWithError("the answer was not judged");
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        st.ResumeTiming();
    }
}
BENCHMARK(BM_AnswerUntilVerdict)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_NextQuestion(benchmark::State& st) {
    Session s(2, true, st.range(0) == 1);
    s.start();
    for (auto _ : st) {
        st.PauseTiming();
        s.pan1->edtJg->setText("1");
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        st.ResumeTiming();
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        st.PauseTiming();
        if (s.pan1->butKs->text() != "确定或回车") st.SkipWithError("no new question");
        st.ResumeTiming();
    }
}
BENCHMARK(BM_NextQuestion)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_StartSession(benchmark::State& st) {
    Session s(0, true, st.range(0) == 1);
    for (auto _ : st) {
        s.start();
        st.PauseTiming();
        s.pan1->butFh->click();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_StartSession)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LayoutAt1920(benchmark::State& st) {
    Session s(0, true, false, /*fit*/ true, /*screen*/ 1920);
    s.start();
    if (s.form->state().LayoutScale != 240) st.SkipWithError("not laid out for a 1920-pixel screen");
    for (auto _ : st) s.pan1->LayoutPracticePanel();
}
BENCHMARK(BM_LayoutAt1920)->Unit(benchmark::kMillisecond);

}  // namespace
