// The content build: the whole delivered database from content/ (dictionary, curriculum, every
// picture drawn), and the check of the built file. Counters give the file size in MB.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "Build.h"
#include "data/Connection.h"

namespace {

void BM_BuildDeliveredDatabase(benchmark::State& state) {
    QTemporaryDir dir;
    const QString out = dir.filePath("kovu.mdb");
    for (auto _ : state) kovu::content::buildDatabase(KOVU_CONTENT_DIR, out);
    state.counters["MB"] = QFileInfo(out).size() / 1048576.0;
}
BENCHMARK(BM_BuildDeliveredDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ValidateDeliveredDatabase(benchmark::State& state) {
    kovu::Connection db;
    db.open(KOVU_DELIVERED_DB, kovu::kDatabasePassword);
    for (auto _ : state) benchmark::DoNotOptimize(kovu::content::validateDatabase(db));
}
BENCHMARK(BM_ValidateDeliveredDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
