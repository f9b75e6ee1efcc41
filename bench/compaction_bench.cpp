// Compaction figures: the delivered database, and a 50 MB database with a fifth of its pictures
// deleted. Each run compacts a fresh copy; the sizes before and after are reported as counters.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "data/Connection.h"
#include "tools/Compaction.h"

using namespace kovu;

namespace {

// The delivered database grown to about 50 MB with example pictures of random bytes, every fifth
// of them deleted again.
QString fiftyMegabyteDatabase(const QTemporaryDir& dir) {
    const QString file = dir.filePath("master50.mdb");
    if (QFileInfo::exists(file)) return file;
    QFile::copy(KOVU_DELIVERED_DB, file);
    QFile(file).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    Connection c;
    c.open(file, kDatabasePassword);
    QRandomGenerator rng(42);
    Transaction t(c);
    for (int i = 0; i < 172; ++i) {
        QByteArray b(256 * 1024, Qt::Uninitialized);
        rng.fillRange(reinterpret_cast<quint32*>(b.data()), b.size() / 4);
        c.exec("INSERT INTO yetl (图号, 图片, 图名) VALUES (?, ?, ?)", {QString::number(i), b, "测试"});
    }
    t.commit();
    c.exec("DELETE FROM yetl WHERE 图名 = '测试' AND CAST(图号 AS INTEGER) % 5 = 0");
    c.close();
    return file;
}

void compactCopies(benchmark::State& st, const QString& master, const QTemporaryDir& dir) {
    const QString db = dir.filePath("kovu.mdb");
    const QString tmp = dir.filePath("ls.mdb");
    CompactionResult r;
    for (auto _ : st) {
        st.PauseTiming();
        QFile::remove(db);
        QFile::copy(master, db);
        QFile(db).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        st.ResumeTiming();
        r = compactDatabaseFile(db, tmp, kDatabasePassword);
        if (!r.ok) st.SkipWithError(r.error.toUtf8().constData());
    }
    st.counters["bytes_before"] = static_cast<double>(r.sizeBefore);
    st.counters["bytes_after"] = static_cast<double>(r.sizeAfter);
}

void BM_CompactDeliveredDatabase(benchmark::State& st) {
    QTemporaryDir dir;
    compactCopies(st, KOVU_DELIVERED_DB, dir);
}
BENCHMARK(BM_CompactDeliveredDatabase)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Compact50MegabyteDatabase(benchmark::State& st) {
    static QTemporaryDir masterDir;
    QTemporaryDir dir;
    compactCopies(st, fiftyMegabyteDatabase(masterDir), dir);
}
BENCHMARK(BM_Compact50MegabyteDatabase)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
