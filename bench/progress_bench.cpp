// Figures of the children's progress over a year of three children's daily practice (200 000
// answer rows): Enter to verdict with the score record and the answer row stored, the chart of a
// subject, the mistakes grid, choosing only the mistakes, and the bytes an answer takes in the file.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "AnswerHistory.h"
#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "data/Upgrade.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ArithmeticExercise.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemSelection.h"
#include "practice/PracticePanel.h"
#include "progress/AnswerLog.h"
#include "progress/Children.h"
#include "progress/Progress.h"
#include "progress/ProgressPage.h"
#include "tools/Compaction.h"

using namespace kovu;

namespace {

constexpr int kYearOfAnswers = 200000;

// The delivered database with three children and their year of answers, made once per run.
struct YearDb {
    QTemporaryDir dir;
    QString master;
    QList<int> children;
    YearDb() : master(dir.filePath("master.mdb")) {
        QFile::copy(KOVU_DELIVERED_DB, master);
        QFile(master).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        Connection c;
        c.open(master, kDatabasePassword);
        upgradeSchema(c);
        children = {1, addChild(c, "小红", "2025-12-01T08:00:00"),
                    addChild(c, "小刚", "2025-12-01T08:00:00")};
        test::writeAnswerHistory(c, children, kYearOfAnswers, QDate(2025, 12, 1), 7, 47);
        c.close();
    }
    // A working copy in folder, as kovu.mdb.
    void copyTo(const QString& folder) const {
        QFile::remove(folder + "/kovu.mdb");
        QFile::copy(master, folder + "/kovu.mdb");
        QFile(folder + "/kovu.mdb").setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
};

YearDb& yearDb() {
    static YearDb db;
    return db;
}

// The real form over a copy of the year's database.
struct Form {
    QTemporaryDir dir;
    test::FakePlatform platform;
    std::unique_ptr<TfrmKovu> form;
    Form() {
        yearDb().copyTo(dir.path());
        form = std::make_unique<TfrmKovu>(platform, dir.path() + "/");
        form->show();
    }
};

void BM_EnterToVerdictWithAYearOfAnswers(benchmark::State& st) {
    Form f;
    PracticePanel* pan1 = f.form->pan1;
    ConditionsPanel* panTj = f.form->panTj;
    f.form->imgSsClick();
    panTj->panSs->rgp1->click(0);
    panTj->panSs->rgp2->click(8);
    panTj->rgpNr->click(1);
    panTj->bitQd->click();
    Connection& c = f.form->db().con1;
    const int before = c.scalar("SELECT count(*) FROM yejl").toInt();
    int answered = 0;
    for (auto _ : st) {
        st.PauseTiming();
        if (++answered % 20 == 0) {
            pan1->butFh->click();
            panTj->bitQd->click();
        }
        pan1->edtJg->setText(
            QString::number(pan1->arithmetic().FirstOperand + pan1->arithmetic().SecondOperand));
        st.ResumeTiming();
        QTest::keyClick(pan1->edtJg, Qt::Key_Return);
        st.PauseTiming();
        if (pan1->butKs->text() != "下题或回车") st.SkipWithError("the answer was not judged");
        QTest::keyClick(pan1->edtJg, Qt::Key_Return);
        st.ResumeTiming();
    }
    if (c.scalar("SELECT count(*) FROM yejl").toInt() != before + static_cast<int>(st.iterations()))
        st.SkipWithError("an answer row is missing");
}
BENCHMARK(BM_EnterToVerdictWithAYearOfAnswers)->Unit(benchmark::kMillisecond);

// The children's page open on the second child; arg: the subject's index (算术, 拼音, 英语).
struct OpenPage : Form {
    ProgressPage* page;
    OpenPage() {
        f().imgSzClick();
        f().pagSz->setCurrentWidget(f().tasXs);
        page = f().tasXs;
    }
    TfrmKovu& f() { return *form; }
};

const QStringList kSubjects = {"s", "p", "y"};

void BM_ProgressChartOfASubject(benchmark::State& st) {
    OpenPage p;
    const QString subject = kSubjects.at(st.range(0));
    for (auto _ : st) p.page->showChart(yearDb().children.at(1), subject);
    if (!p.page->chart()) st.SkipWithError("no chart shown");
}
BENCHMARK(BM_ProgressChartOfASubject)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_MistakesGrid(benchmark::State& st) {
    OpenPage p;
    const QString subject = kSubjects.at(st.range(0));
    for (auto _ : st) p.page->showMistakes(yearDb().children.at(1), subject);
    st.counters["mistakes"] = p.page->dbgCt->model()->rowCount();
}
BENCHMARK(BM_MistakesGrid)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// 错题: only the mistakes' rows chosen, in one transaction; arg: pinyin (1) or English (2).
void BM_ChooseOnlyTheMistakes(benchmark::State& st) {
    QTemporaryDir dir;
    yearDb().copyTo(dir.path());
    Connection c;
    c.open(dir.filePath("kovu.mdb"), kDatabasePassword);
    const QString subject = kSubjects.at(st.range(0));
    int chosen = 0;
    for (auto _ : st) {
        st.PauseTiming();
        c.exec(subject == "p" ? "UPDATE yepy SET 选中 = 1" : "UPDATE yydc SET 选中 = 1");
        st.ResumeTiming();
        chosen = chooseMistakes(c, yearDb().children.at(st.iterations() % 3), subject);
    }
    st.counters["mistakes"] = chosen;
}
BENCHMARK(BM_ChooseOnlyTheMistakes)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// spbCt on the pinyin selection of the current child (小红), its question answered Yes: the
// choice written and both lists shown again.
void BM_SpbCtOnThePinyinSelection(benchmark::State& st) {
    Form f;
    Connection& c = f.form->db().con1;
    setCurrentChild(c, yearDb().children.at(1));
    f.form->imgPyClick();
    ItemSelection* py = f.form->panTj->panPy;
    for (auto _ : st) {
        st.PauseTiming();
        c.exec("UPDATE yepy SET 选中 = 1 WHERE rowid % 2 = 0");
        f.platform.dlg().answer(MsgResult::Yes);
        st.ResumeTiming();
        py->spbCtClick();
    }
    st.counters["chosen"] = py->lstXz->count();
    if (!f.platform.dlg().answers.empty()) st.SkipWithError("spbCt asked nothing");
}
BENCHMARK(BM_SpbCtOnThePinyinSelection)->Unit(benchmark::kMillisecond);

// The file's growth over 10 000 answers written through the answer log, both files compacted.
void BM_BytesPerStoredAnswer(benchmark::State& st) {
    QTemporaryDir dir;
    const QString db = dir.filePath("kovu.mdb");
    double perAnswer = 0;
    for (auto _ : st) {
        QFile::remove(db);
        QFile::copy(KOVU_DELIVERED_DB, db);
        QFile(db).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        {
            Connection c;
            c.open(db, kDatabasePassword);
            upgradeSchema(c);
        }
        const CompactionResult first = compactDatabaseFile(db, dir.filePath("ls.mdb"), kDatabasePassword);
        {
            Connection c;
            c.open(db, kDatabasePassword);
            AnswerLog log(c, [] { return QDateTime(QDate(2026, 12, 9), QTime(17, 30, 5)); });
            Transaction t(c);
            for (int i = 0; i < 10000; ++i) {
                const QString sum = QStringLiteral("%1+%2").arg(i % 10).arg(i / 10 % 10);
                log.recordAnswer({.subject = "s",
                                  .question = QString(sum).replace("+", " + ") + " = ",
                                  .item = sum,
                                  .typed = QString::number(i % 10 + i / 10 % 10),
                                  .points = 100,
                                  .millis = 2000 + i % 5000});
            }
            t.commit();
        }
        const CompactionResult second = compactDatabaseFile(db, dir.filePath("ls.mdb"), kDatabasePassword);
        if (!first.ok || !second.ok) st.SkipWithError("compaction failed");
        perAnswer = static_cast<double>(second.sizeAfter - first.sizeAfter) / 10000.0;
    }
    st.counters["bytes_per_answer"] = perAnswer;
}
BENCHMARK(BM_BytesPerStoredAnswer)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
