// Item selection and editor figures over a large generated database: 9 textbooks with 99 lessons
// each and 20 000 characters, of which lesson 101 holds 1 000.
//   opening the pinyin screen with 1 000 chosen items (stored lesson: an ordinary one, or 101)
//   全添 of the 1 000 items of lesson 101
//   全撤 of 5 000 chosen items
//   the editor's scope 2 for lesson 101
#include <benchmark/benchmark.h>

#include <QTabWidget>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "editor/EditorPage.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemSelection.h"

using namespace kovu;

namespace {

// The generated curriculum: items 0..999 are lesson 101's, the other 19 000 spread over the
// remaining 890 lessons, every tenth of them shared with a second lesson.
struct LargeDb {
    test::TestFolder folder;
    test::FakePlatform platform;
    LargeDb() {
        folder.writeSmallDb();
        auto c = test::openDb(folder.db());
        Transaction t(*c);
        QStringList lessons;
        for (int d = 1; d <= 9; ++d) {
            c->exec("INSERT INTO yekb (课本号, 课本名称) VALUES (?, ?)",
                    {QString::number(d), QString("课本%1").arg(d)});
            for (int s = 1; s <= 99; ++s) {
                const QString L = QString::number(d * 100 + s);
                lessons << L;
                c->exec("INSERT INTO yekt (编号, 课题) VALUES (?, ?)", {L, "课题" + L});
            }
        }
        for (int i = 0; i < 20000; ++i) {
            QString number;
            if (i < 1000) {
                number = "101";
            } else {
                number = lessons.at(1 + (i % (lessons.size() - 1)));
                if (i % 10 == 0) number += lessons.at(1 + ((i / 10) % (lessons.size() - 1)));
            }
            const QChar ch(0x4E00 + i % 20000);
            c->exec("INSERT INTO yepy (编号, 文字, 拼音, 音调, 选中) VALUES (?, ?, ?, ?, 0)",
                    {number, QString(ch), QString("py%1").arg(i % 400), QString::number(i % 5)});
        }
        t.commit();
    }
    std::unique_ptr<Connection> db() { return test::openDb(folder.db()); }
    void chooseRows(int from, int count) {
        db()->exec("UPDATE yepy SET 选中 = (rowid > ? AND rowid <= ?)", {from, from + count});
    }
};

LargeDb& largeDb() {
    static LargeDb db;
    return db;
}

// state.range(0): the stored lesson's place in the textbook's list (1 is lesson 101).
void BM_OpenPinyinScreenWith1000Chosen(benchmark::State& st) {
    LargeDb& db = largeDb();
    db.chooseRows(5000, 1000);
    db.db()->exec("UPDATE yesz SET 课本号 = 1, 课题号 = ?", {static_cast<int>(st.range(0))});
    TfrmKovu form(db.platform, db.folder.path());
    ItemSelection* py = form.panTj->panPy;
    for (auto _ : st) {
        form.imgPyClick();
        st.PauseTiming();
        if (py->lstXz->count() != 1000) st.SkipWithError("the chosen items are not listed");
        form.imgPyClick();
        st.ResumeTiming();
    }
    st.counters["left"] = py->lstKt->count();
}
BENCHMARK(BM_OpenPinyinScreenWith1000Chosen)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ChooseAllOf1000ItemLesson(benchmark::State& st) {
    LargeDb& db = largeDb();
    db.chooseRows(0, 0);
    db.db()->exec("UPDATE yesz SET 课本号 = 1, 课题号 = 1");
    TfrmKovu form(db.platform, db.folder.path());
    form.imgPyClick();
    ItemSelection* py = form.panTj->panPy;
    for (auto _ : st) {
        py->spbXqClick();
        st.PauseTiming();
        if (db.db()->scalar("SELECT count(*) FROM yepy WHERE 选中 = 1").toInt() != 1000)
            st.SkipWithError("lesson 101 is not chosen");
        db.chooseRows(0, 0);
        py->lstXz->clear();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_ChooseAllOf1000ItemLesson)->Unit(benchmark::kMillisecond);

void BM_DropAll5000Chosen(benchmark::State& st) {
    LargeDb& db = largeDb();
    db.db()->exec("UPDATE yesz SET 课本号 = 1, 课题号 = 2");
    TfrmKovu form(db.platform, db.folder.path());
    ItemSelection* py = form.panTj->panPy;
    for (auto _ : st) {
        st.PauseTiming();
        db.chooseRows(2000, 5000);
        form.imgPyClick();
        if (py->lstXz->count() != 5000) st.SkipWithError("the chosen items are not listed");
        st.ResumeTiming();
        py->spbXcClick();
        st.PauseTiming();
        form.imgPyClick();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_DropAll5000Chosen)->Unit(benchmark::kMillisecond);

void BM_EditorScope2Of1000ItemLesson(benchmark::State& st) {
    LargeDb& db = largeDb();
    TfrmKovu form(db.platform, db.folder.path());
    form.imgSzClick();
    form.pagSz->setCurrentWidget(form.tasLr);
    EditorPage* lr = form.tasLr;
    lr->cboKt->setCurrentIndex(0);
    lr->navigation().cboKtClick();
    lr->rgpFw->click(1);
    lr->lstK1->setCurrentRow(0);
    lr->navigation().lstK1Click();
    for (auto _ : st) {
        lr->rgpFw->click(2);
        st.PauseTiming();
        if (form.db().aquSb.recordCount() != 1000) st.SkipWithError("lesson 101 is not shown");
        st.ResumeTiming();
    }
}
BENCHMARK(BM_EditorScope2Of1000ItemLesson)->Unit(benchmark::kMillisecond);

}  // namespace
