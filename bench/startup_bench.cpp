// Start-up and picture figures: a later start, a first start with the extraction, the database
// opening on its own (its key derived, and remembered), ShowScreenPicture of a 400 x 300 JPEG and
// one settings-row update.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "data/PageKeyCache.h"
#include "data/PictureStore.h"
#include "data/Settings.h"
#include "platform/Controls.h"

using namespace kovu;

namespace {

struct BenchFolder {
    QTemporaryDir dir;
    QString path() const { return dir.path() + "/"; }
    QString db() const { return dir.filePath("kovu.mdb"); }
    BenchFolder() { QFile::copy(KOVU_DELIVERED_DB, db()); }
};

void BM_LaterStart(benchmark::State& st) {
    BenchFolder folder;
    test::FakePlatform platform;
    { TfrmKovu warm(platform, folder.path()); }
    for (auto _ : st) {
        auto form = std::make_unique<TfrmKovu>(platform, folder.path());
        benchmark::DoNotOptimize(form->startedUp());
        // Closing the program is not part of its start.
        st.PauseTiming();
        form.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_LaterStart)->Unit(benchmark::kMillisecond);

void BM_FirstStart(benchmark::State& st) {
    BenchFolder folder;
    test::FakePlatform platform;
    for (auto _ : st) {
        st.PauseTiming();
        QDir(folder.path() + "fzwj").removeRecursively();
        st.ResumeTiming();
        auto form = std::make_unique<TfrmKovu>(platform, folder.path());
        benchmark::DoNotOptimize(form->startedUp());
        st.PauseTiming();
        form.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_FirstStart)->Unit(benchmark::kMillisecond);

// The open of a file first seen (its key derived) and of one opened before (its key remembered).
void BM_OpenDatabase(benchmark::State& st) {
    BenchFolder folder;
    const bool remembered = st.range(0) == 1;
    Connection().open(folder.db(), kDatabasePassword);
    for (auto _ : st) {
        if (!remembered) {
            st.PauseTiming();
            QFile::remove(pageKeyCacheFile());
            st.ResumeTiming();
        }
        auto c = std::make_unique<Connection>();
        c->open(folder.db(), kDatabasePassword);
        st.PauseTiming();
        c.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_OpenDatabase)->ArgName("remembered")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ShowScreenPicture(benchmark::State& st) {
    BenchFolder folder;
    Connection c;
    c.open(folder.db(), kDatabasePassword);
    Query aquTp(c, "aquTp");
    SharedState state;
    TImage imgTx;
    PracticePictureArea area{&imgTx, &state};
    for (auto _ : st) ShowScreenPicture(aquTp, area, &imgTx, "zq");
}
BENCHMARK(BM_ShowScreenPicture)->Unit(benchmark::kMicrosecond);

void BM_SettingsRowUpdate(benchmark::State& st) {
    BenchFolder folder;
    Connection c;
    c.open(folder.db(), kDatabasePassword);
    Query aquFz(c, "aquFz");
    bool on = false;
    for (auto _ : st) {
        on = !on;
        storeSettings(aquFz, {{"自动适应屏幕", on}});
    }
}
BENCHMARK(BM_SettingsRowUpdate)->Unit(benchmark::kMillisecond);

}  // namespace
