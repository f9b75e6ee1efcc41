// Two copies of the program on one folder at once: both come up, and practising in one while the
// other picks items loses no write of either.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "CrashModel.h"
#include "TestSupport.h"

using namespace kovu;
using namespace kovu::test;

void writeCrashDatabase(TestFolder& folder);

namespace {

struct Copy {
    QProcess p;
    QByteArray out;
    void start(const QString& folder, const char* mode, unsigned seed) {
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(KOVU_CRASH_WRITER, {folder, QString::number(seed), mode, "60"});
    }
    bool ready() { return out.contains("\nR\n"); }
    void read() { out += p.readAllStandardOutput(); }
    QStringList done() const {
        QStringList d;
        for (const QString& l : QString::fromUtf8(out).split('\n'))
            if (l.startsWith("D ")) d << l.mid(2);
        return d;
    }
};

}  // namespace

TEST(TwoCopies, PractisingInOneWhileTheOtherPicksItemsLosesNoWriteOfEither) {
    TestFolder folder;
    writeCrashDatabase(folder);
    Copy practice, select;
    practice.start(folder.path(), "practice", 11);
    select.start(folder.path(), "select", 12);
    // Both come up on the same file.
    QElapsedTimer t;
    t.start();
    while (!(practice.ready() && select.ready()) && t.elapsed() < 30000) {
        practice.p.waitForReadyRead(20);
        select.p.waitForReadyRead(20);
        practice.read();
        select.read();
        ASSERT_NE(practice.p.state(), QProcess::NotRunning) << practice.out.toStdString();
        ASSERT_NE(select.p.state(), QProcess::NotRunning) << select.out.toStdString();
    }
    ASSERT_TRUE(practice.ready() && select.ready()) << practice.out.toStdString() << select.out.toStdString();
    // Then both write at once.
    practice.p.write("g");
    select.p.write("g");
    for (Copy* c : {&practice, &select}) {
        ASSERT_TRUE(c->p.waitForFinished(60000));
        c->read();
        EXPECT_EQ(c->p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(c->p.exitCode(), 0) << c->out.toStdString() << c->p.readAllStandardError().toStdString();
        EXPECT_TRUE(c->out.endsWith("Q\n")) << c->out.toStdString();
    }
    // Every write of each copy is in the file.
    Holding start = decode(QString::fromUtf8(practice.out).section("H ", 1).section('\n', 0, 0));
    Holding expected = start;
    for (const QString& d : practice.done() + select.done())
        expected = after(expected, d.section(' ', 0, 0), d.section(' ', 1));
    EXPECT_GT(practice.done().filter(QRegularExpression("^A")).size(), 20);
    EXPECT_GT(select.done().filter(QRegularExpression("^[GQCN]")).size(), 20);
    auto c = openDb(folder.db());
    QStringList faults;
    const Holding found = observe(*c, faults);
    EXPECT_TRUE(faults.isEmpty()) << faults.join("; ").toStdString();
    EXPECT_EQ(found, expected) << "found " << describe(found) << ", expected " << describe(expected);
    c.reset();
    // Closed by both, the file is one file again.
    EXPECT_FALSE(QFile::exists(folder.db() + "-wal"));
    EXPECT_EQ(storedJournalMode(folder.db()), "delete");
}
