// Speech figures: with 朗读 chosen, from the key press that shows the next arithmetic question to
// its samples handed to the sound device (on a machine without one: to the moment they would be),
// and the key press itself.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "data/Connection.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ArithmeticExercise.h"
#include "practice/ConditionsPanel.h"
#include "practice/PracticePanel.h"
#include "speech/Speech.h"

using namespace kovu;

namespace {

struct SpeakingSession {
    QTemporaryDir dir;
    test::FakePlatform platform;
    std::unique_ptr<TfrmKovu> form;
    PracticePanel* pan1 = nullptr;
    Speech* speech = nullptr;
    SpeakingSession() {
        qputenv("PULSE_SERVER", "unix:/nonexistent/kovu-bench-no-sound");
        QFile::copy(KOVU_DELIVERED_DB, dir.filePath("kovu.mdb"));
        QFile(dir.filePath("kovu.mdb")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        form = std::make_unique<TfrmKovu>(platform, dir.path() + "/");
        form->show();
        form->imgSsClick();
        ConditionsPanel* panTj = form->panTj;
        panTj->chkLd->setChecked(true);
        panTj->panSs->rgp1->click(3);  // one-digit subtraction: "八减三等于几"
        panTj->panSs->rgp2->click(8);
        panTj->rgpNr->click(1);
        panTj->bitQd->click();
        pan1 = form->pan1;
        speech = pan1->loadedSpeech();
    }
    // Answers the question shown; the next Enter then shows the next question.
    void answer() {
        pan1->edtJg->setText("1");
        QTest::keyClick(pan1->edtJg, Qt::Key_Return);
    }
};

void BM_NextQuestionUntilItsSamplesAreHanded(benchmark::State& st) {
    SpeakingSession s;
    if (!s.speech) {
        st.SkipWithError("the speech module did not load");
        return;
    }
    for (auto _ : st) {
        st.PauseTiming();
        s.answer();
        // What the verdict said is handed before the clock starts.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 50) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const int said = s.speech->handed();
        st.ResumeTiming();
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        while (s.speech->handed() == said) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
    }
}
BENCHMARK(BM_NextQuestionUntilItsSamplesAreHanded)->Unit(benchmark::kMillisecond);

void BM_NextQuestionKeyPressWithSpeech(benchmark::State& st) {
    SpeakingSession s;
    for (auto _ : st) {
        st.PauseTiming();
        s.answer();
        st.ResumeTiming();
        QTest::keyClick(s.pan1->edtJg, Qt::Key_Return);
        st.PauseTiming();
        if (s.pan1->butKs->text() != "确定或回车") st.SkipWithError("no new question");
        QCoreApplication::processEvents();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_NextQuestionKeyPressWithSpeech)->Unit(benchmark::kMillisecond);

}  // namespace
