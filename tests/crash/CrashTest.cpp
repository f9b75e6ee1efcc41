// The program killed (SIGKILL) at random moments of a stream of writes: after every kill the
// database opens with the password, passes the integrity check, holds every write that returned
// before the kill, and every multi-row change whole or not at all.
//
// The writer (tests/crash/writer) is the program's form and data layer; the start of the next
// writer after a kill is the program started again: it opens the file with the password and reports
// what the file holds before it writes anything. The file after the last kill is read here.
//
// KOVU_CRASH_RUNS sets the number of kills (200 by default); KOVU_CRASH_SEED replays a run.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sqlcipher/sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <chrono>
#include <iostream>
#include <random>
#include <set>

#include "../practice/PracticeFixture.h"
#include "CrashModel.h"
#include "LessonRows.h"
#include "TestSupport.h"

using namespace kovu;
using namespace kovu::test;

// The practice database of the crash tests: two lessons of 1 000 characters, a lesson for
// additions, and the example pictures of an arithmetic test.
void writeCrashDatabase(TestFolder& folder) {
    folder.writeSmallDb();
    addExamplePictures(folder.db());
    auto c = openDb(folder.db());
    Transaction t(*c);
    addTextbook(*c, "yekb", "1", "一年级");
    addTextbook(*c, "yekb", "9", "加字");
    addLesson(*c, "yekt", "101", "第一课");
    addLesson(*c, "yekt", "102", "第二课");
    addLesson(*c, "yekt", "901", "加字课");
    for (int i = 0; i < 2000; ++i)
        addCharacter(*c, i < 1000 ? "101" : "102", QString(QChar(0x4E00 + i)), QString("p%1").arg(i), "1");
    c->exec("UPDATE yesz SET 课本号 = 1, 课题号 = 1");
    t.commit();
}

namespace {

// One writer process: its output so far, and whether it was let go.
struct Child {
    pid_t pid = -1;
    int out = -1;
    int in = -1;
    bool early = false;  // killed at a moment counted from its start, not from its first write
    int delay = 0;
    QByteArray text;
    bool eof = false;
    bool started = false;
    bool ready() const { return text.startsWith("R\n") || text.contains("\nR\n"); }
    // Reads what the child writes for ms milliseconds, letting it write once it is ready.
    void read(int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (ready() && !started) {
                started = ::write(in, "g", 1) == 1;
                if (!started) return;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  until - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0 || eof) return;
            pollfd p{out, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0) return;
            char buf[4096];
            const ssize_t n = ::read(out, buf, sizeof buf);
            if (n <= 0) {
                eof = true;
                return;
            }
            text.append(buf, static_cast<int>(n));
        }
    }
};

// Starts a writer; it writes nothing before its go, which it gets once it is ready.
Child spawn(const QString& folder, std::mt19937& rng) {
    Child c;
    const unsigned seed = rng();
    // Most kills fall among the writes; some while the program starts and opens the file.
    c.early = rng() % 8 == 0;
    c.delay = static_cast<int>(rng() % (c.early ? 150 : 90));
    int out[2], in[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(in), 0);
    const QByteArray program = KOVU_CRASH_WRITER;
    const QByteArray dir = QFile::encodeName(folder);
    const QByteArray s = QByteArray::number(seed);
    c.pid = fork();
    if (c.pid == 0) {
        dup2(out[1], 1);
        dup2(in[0], 0);
        for (int fd : {out[0], out[1], in[0], in[1]}) close(fd);
        execl(program.constData(), program.constData(), dir.constData(), s.constData(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    close(in[0]);
    c.out = out[0];
    c.in = in[1];
    return c;
}

int envNumber(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

}  // namespace

namespace {

// What a writer said: the holding it found at its start, the writes that returned and the one
// under way when it was killed.
struct Report {
    bool found = false;
    Holding holding;
    QStringList faults;
    QStringList done;  // "op arg" of each returned write, in order
    QString pendingOp, pendingArg;
    QString other;  // anything else it said
};

Report parse(const QByteArray& text) {
    Report r;
    for (const QString& line : QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts)) {
        const QString tag = line.section(' ', 0, 0);
        const QString rest = line.section(' ', 1);
        if (tag == "H") {
            r.found = true;
            r.holding = decode(rest);
        } else if (tag == "F") {
            r.faults << rest;
        } else if (tag == "B") {
            r.pendingOp = rest.section(' ', 0, 0);
            r.pendingArg = rest.section(' ', 1);
        } else if (tag == "D") {
            r.done << rest;
            r.pendingOp.clear();
        } else if (tag != "R") {
            r.other += line + "\n";
        }
    }
    return r;
}

// What the file must hold after a kill: one of two holdings (the same when no write was under way).
struct Expectation {
    Holding without;  // the write under way not done
    Holding with;     // the write under way done
    QString op;       // the write under way, empty when none
};

}  // namespace

TEST(Crash, KilledAtRandomMomentsTheDatabaseKeepsEveryReturnedWriteAndNoHalfChange) {
    const int runs = envNumber("KOVU_CRASH_RUNS", 200);
    const unsigned seed = static_cast<unsigned>(envNumber("KOVU_CRASH_SEED", 20261208));
    TestFolder folder;
    writeCrashDatabase(folder);
    Expectation expected;
    {
        auto c = openDb(folder.db());
        QStringList faults;
        expected.without = expected.with = observe(*c, faults);
        ASSERT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
    }
    std::mt19937 rng(seed);
    int startUp = 0, between = 0, underWay = 0, underWayDone = 0, returned = 0, checked = 0;
    std::map<QString, int> killedIn;
    int lastKill = 0;
    // Compares what a start found with what the kill before it left.
    const auto check = [&](const Holding& found, const QStringList& faults, const std::string& where) {
        ++checked;
        EXPECT_TRUE(faults.isEmpty()) << where << ": " << faults.join("; ").toStdString();
        EXPECT_TRUE(found == expected.without || found == expected.with)
            << where << ": found " << describe(found) << ", expected " << describe(expected.without)
            << (expected.op.isEmpty()
                    ? std::string()
                    : " or, with " + expected.op.toStdString() + " done, " + describe(expected.with));
        if (!expected.op.isEmpty() && found == expected.with && !(found == expected.without)) ++underWayDone;
        expected.without = expected.with = found;
        expected.op.clear();
    };
    QElapsedTimer clock;
    clock.start();
    for (int run = 1; run <= runs; ++run) {
        const std::string where =
            "kill " + std::to_string(run) + " (KOVU_CRASH_SEED=" + std::to_string(seed) + ")";
        const std::string before = "the start after kill " + std::to_string(lastKill) +
                                   " (KOVU_CRASH_SEED=" + std::to_string(seed) + ")";
        Child child = spawn(folder.path(), rng);
        ASSERT_GT(child.pid, 0);
        if (!child.early)
            for (int waited = 0; !child.started && !child.eof && waited < 20000; waited += 10) child.read(10);
        child.read(child.delay);
        kill(child.pid, SIGKILL);
        int status = 0;
        waitpid(child.pid, &status, 0);
        while (!child.eof) child.read(100);
        close(child.out);
        close(child.in);
        const Report r = parse(child.text);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL && r.other.isEmpty())
            << where << ": the writer ended by itself or said: " << child.text.toStdString();
        if (!r.found) {
            // Killed before it had read the file: it wrote nothing, the kill before still stands.
            ASSERT_TRUE(child.early) << where << ": the writer did not start: " << child.text.toStdString();
            ++startUp;
            continue;
        }
        check(r.holding, r.faults, before);
        if (::testing::Test::HasFailure()) return;
        lastKill = run;
        Holding h = r.holding;
        for (const QString& d : r.done) h = after(h, d.section(' ', 0, 0), d.section(' ', 1));
        returned += static_cast<int>(r.done.size());
        expected.without = expected.with = h;
        if (!r.pendingOp.isEmpty()) {
            expected.with = after(h, r.pendingOp, r.pendingArg);
            expected.op = r.pendingOp + " " + r.pendingArg;
            ++underWay;
            ++killedIn[r.pendingOp];
        } else if (r.done.isEmpty()) {
            ++startUp;
        } else {
            ++between;
        }
    }
    // The file after the last kill, opened here with the password.
    {
        auto c = openDb(folder.db());
        ASSERT_TRUE(c && c->isOpen()) << "the database does not open with the password after the last kill";
        QStringList faults;
        check(observe(*c, faults), faults, "the file after kill " + std::to_string(lastKill));
    }
    QStringList ops;
    for (const auto& [op, n] : killedIn) ops << QStringLiteral("%1 %2").arg(op).arg(n);
    std::cout << "[ crash    ] " << runs << " kills in " << clock.elapsed() / 1000.0
              << " s (KOVU_CRASH_SEED=" << seed << "): " << startUp << " before the first write, " << between
              << " between writes, " << underWay << " with a write under way ("
              << ops.join(", ").toStdString() << "; " << underWayDone
              << " of them found done, the others not begun); " << returned << " returned writes all found; "
              << checked << " starts and reads after a kill, every one opened "
              << "with the password and passed the integrity check" << std::endl;
    EXPECT_GE(returned, runs) << "too few writes ran between the kills to test anything";
}
