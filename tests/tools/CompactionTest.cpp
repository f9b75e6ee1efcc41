#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "TestSupport.h"
#include "ToolsFixture.h"
#include "app/TfrmKovu.h"
#include "data/Connection.h"
#include "pictures/PicturePage.h"
#include "platform/Errors.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemSelection.h"
#include "practice/PracticePanel.h"
#include "tools/Compaction.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// The child side of the fault tests: the test program started again with KOVU_COMPACTION_CHILD set.
//   kill:<step>:<n>  compacts the database of KOVU_COMPACTION_FOLDER and dies by SIGKILL the n-th
//                    time the step is reported
//   hold             opens the database as a second running program does and keeps it open
//                    until its input closes
int compactionChild() {
    const QByteArray mode = qgetenv("KOVU_COMPACTION_CHILD");
    if (mode.isEmpty()) return 0;
    const QString folder = QString::fromLocal8Bit(qgetenv("KOVU_COMPACTION_FOLDER")) + "/";
    if (mode == "hold") {
        Connection c;
        c.open(folder + kDatabaseFileName, kDatabasePassword);
        c.scalar("SELECT count(*) FROM yesz");
        std::printf("ready\n");
        std::fflush(stdout);
        char buf[16];
        while (std::fread(buf, 1, sizeof buf, stdin) > 0) {
        }
        std::_Exit(0);
    }
    const QList<QByteArray> parts = mode.split(':');
    const int step = parts.value(1).toInt();
    int left = parts.value(2).toInt();
    const CompactionResult r = compactDatabaseFile(folder + kDatabaseFileName, folder + kCompactionTempName,
                                                   kDatabasePassword, [&](CompactStep s) {
                                                       if (static_cast<int>(s) == step && --left <= 0)
                                                           ::kill(::getpid(), SIGKILL);
                                                   });
    std::printf("not killed: %s\n", qPrintable(r.error));
    std::_Exit(3);
}
const int kChildRan = compactionChild();

// Row counts of every table of a database.
std::map<QString, qlonglong> rowCounts(const QString& db) {
    auto c = openDb(db);
    std::map<QString, qlonglong> out;
    for (const QString& t : {"yesz", "yetp", "yetl", "yekb", "yykb", "yekt", "yykt", "yepy", "yydc", "yefc",
                             "sscj", "pycj", "yycj"})
        out[t] = c->scalar("SELECT count(*) FROM " + t).toLongLong();
    return out;
}

// The delivered database with 1.25 MB of example pictures added and deleted again, so that
// compaction has room to give back.
void growAndShrink(const QString& db) {
    auto c = openDb(db);
    Transaction t(*c);
    for (int i = 0; i < 5; ++i)
        c->exec("INSERT INTO yetl (图号, 图片, 图名) VALUES (?, ?, ?)",
                {"x", QByteArray(256 * 1024, static_cast<char>('a' + i)), "临时"});
    t.commit();
    c->exec("DELETE FROM yetl WHERE 图名 = '临时'");
}

QProcess* startChild(const QString& mode, const QString& folder) {
    auto* p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KOVU_COMPACTION_CHILD", mode);
    env.insert("KOVU_COMPACTION_FOLDER", folder);
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(), {});
    return p;
}

// A small tmpfs at a folder while it lives; ok is false where mounting is refused.
struct SmallDisk {
    QString folder;
    bool ok = false;
    SmallDisk(const QString& f, qint64 bytes) : folder(f) {
        QDir().mkpath(f);
        const QByteArray opts = "size=" + QByteArray::number(bytes);
        ok = ::mount("tmpfs", QFile::encodeName(f).constData(), "tmpfs", 0, opts.constData()) == 0;
    }
    ~SmallDisk() {
        if (ok) ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    }
};

}  // namespace

TEST(Compaction, SizesAreReportedInKilobytesAsTheNumberFormatWritesThem) {
    EXPECT_EQ(kilobytesText(2097152), "2048");
    EXPECT_EQ(kilobytesText(1572864), "1536");
    EXPECT_EQ(kilobytesText(1000000), "976.5625");
    EXPECT_EQ(kilobytesText(1048576), "1024");
    EXPECT_EQ(kilobytesText(1536), "1.5");
    EXPECT_EQ(kilobytesText(123456789012), "120563270.519531");
    EXPECT_EQ(compactionDoneText(2097152, 1572864),
              "数据库压缩已经完成！按任意键继续。\n\n原容量为：2048KB 压缩后为：1536KB");
}

TEST(Compaction, TheCheckedCopyTakesThePlaceOfTheFileAndEveryScreenWorksAfterwards) {
    FakePlatform platform;
    TestFolder folder;
    folder.copyDeliveredDb();
    growAndShrink(folder.db());
    const auto before = rowCounts(folder.db());
    // A copy left by an earlier compaction that broke off: it is deleted first.
    {
        QFile ls(folder.file("ls.mdb"));
        ASSERT_TRUE(ls.open(QIODevice::WriteOnly));
        ls.write("left over, not a database");
    }
    auto form = makeForm(platform, folder);
    form->show();
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    ASSERT_TRUE(form->tasTp->isVisible());
    EXPECT_EQ(form->tasTp->spbYs->text(), "压缩数据库(&Y)");

    qint64 sizeBefore = -1;
    bool busyWhileCopying = false;
    bool connectionClosed = false;
    int exporting = 0;
    spbYsClick(form->context(), [&](CompactStep st) {
        if (st == CompactStep::BeforeCopy) {
            sizeBefore = QFileInfo(folder.db()).size();
            connectionClosed = !form->db().con1.isOpen();
            EXPECT_FALSE(QFile::exists(folder.file("ls.mdb")));
        }
        if (st == CompactStep::Exporting) {
            ++exporting;
            busyWhileCopying =
                QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        }
    });
    EXPECT_TRUE(connectionClosed);
    EXPECT_TRUE(busyWhileCopying);
    EXPECT_GT(exporting, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const qint64 sizeAfter = QFileInfo(folder.db()).size();
    EXPECT_LT(sizeAfter, sizeBefore - 1024 * 1024);
    ASSERT_EQ(platform.dlg().log.size(), 1u);
    EXPECT_EQ(platform.dlg().log.at(0).title, "操作提示");
    EXPECT_EQ(platform.dlg().log.at(0).icon, MsgIcon::Information);
    EXPECT_EQ(lastText(platform), compactionDoneText(sizeBefore, sizeAfter));
    // One file: no copy, no log beside it; it holds every row and keeps its password.
    EXPECT_FALSE(QFile::exists(folder.file("ls.mdb")));
    EXPECT_FALSE(QFile::exists(folder.db() + "-wal"));
    EXPECT_FALSE(QFile::exists(folder.db() + "-journal"));
    EXPECT_FALSE(form->db().con1.isOpen());
    EXPECT_EQ(rowCounts(folder.db()), before);
    EXPECT_EQ(openDb(folder.db())->scalar("PRAGMA integrity_check").toString(), "ok");
    Connection wrong;
    EXPECT_THROW(wrong.open(folder.db(), "wrong"), KovuError);

    // Without a restart: the settings check box stores, an arithmetic test records its answer, the
    // pinyin selection chooses a whole lesson.
    platform.dlg().clear();
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    form->panTj->chkPm->click();
    EXPECT_EQ(openDb(folder.db())->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(),
              form->panTj->chkPm->isChecked());
    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    ASSERT_TRUE(form->panTj->panSs->isVisible());
    QRadioButton* testMode = form->panTj->rgpNr->button(1);
    QTest::mouseClick(testMode, Qt::LeftButton, {}, QPoint(8, testMode->height() / 2));
    QRadioButton* nine = form->panTj->panSs->rgp2->button(8);
    QTest::mouseClick(nine, Qt::LeftButton, {}, QPoint(8, nine->height() / 2));
    platform.draws = {3, 5};
    QTest::mouseClick(form->panTj->bitQd, Qt::LeftButton);
    ASSERT_TRUE(form->pan1->isVisible());
    PracticePanel* p = form->pan1;
    const QString question = p->lblSs->text();
    const QStringList terms = question.split(' ');
    ASSERT_GE(terms.size(), 3);
    p->edtJg->setFocus();
    typeText(p->edtJg, "99");
    pressEnter(p->edtJg);
    EXPECT_EQ(openDb(folder.db())->scalar("SELECT count(*) FROM sscj").toInt(), 1);
    QTest::mouseClick(p->butFh, Qt::LeftButton);
    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    QTest::mouseClick(form->imgPy, Qt::LeftButton);
    ItemSelection* py = form->panTj->panPy;
    ASSERT_TRUE(py->isVisible());
    EXPECT_GT(py->lstKt->count(), 0);
    if (py->spbXc->isEnabled()) QTest::mouseClick(py->spbXc, Qt::LeftButton);
    EXPECT_EQ(openDb(folder.db())->scalar("SELECT count(*) FROM yepy WHERE 选中 = 1").toInt(), 0);
    ASSERT_TRUE(py->spbXq->isEnabled());
    QTest::mouseClick(py->spbXq, Qt::LeftButton);
    EXPECT_EQ(openDb(folder.db())->scalar("SELECT count(*) FROM yepy WHERE 选中 = 1").toInt(),
              py->lstKt->count());
    EXPECT_TRUE(platform.dlg().log.empty()) << lastText(platform).toStdString();

    // The button compacts again from the picture page: nothing left to give back.
    QTest::mouseClick(form->imgPy, Qt::LeftButton);
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    QTest::mouseClick(form->tasTp->spbYs, Qt::LeftButton);
    EXPECT_TRUE(lastText(platform).startsWith("数据库压缩已经完成！按任意键继续。\n\n原容量为："));
    EXPECT_FALSE(QFile::exists(folder.file("ls.mdb")));
}

TEST(Compaction, AFailureKeepsTheOldFileAndTheProgramWorksOnIt) {
    // A database held open by a second running copy of the program.
    {
        FakePlatform platform;
        TestFolder folder;
        folder.copyDeliveredDb();
        growAndShrink(folder.db());
        const auto before = rowCounts(folder.db());
        auto form = makeForm(platform, folder);
        std::unique_ptr<QProcess> other(startChild("hold", folder.path()));
        ASSERT_TRUE(other->waitForReadyRead(10000));
        ASSERT_EQ(other->readLine().trimmed(), "ready");
        const qint64 size = QFileInfo(folder.db()).size();
        QTest::mouseClick(form->imgSz, Qt::LeftButton);
        QTest::mouseClick(form->tasTp->spbYs, Qt::LeftButton);
        EXPECT_EQ(lastText(platform), "压缩数据库没有成功！请检查原因！");
        EXPECT_EQ(platform.dlg().log.back().title, "操作提示");
        EXPECT_EQ(platform.dlg().log.back().icon, MsgIcon::Information);
        EXPECT_FALSE(QFile::exists(folder.file("ls.mdb")));
        EXPECT_GE(QFileInfo(folder.db()).size(), size);
        EXPECT_EQ(rowCounts(folder.db()), before);
        // The program goes on with its old file.
        form->panTj->chkPm->click();
        EXPECT_EQ(openDb(folder.db())->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(),
                  form->panTj->chkPm->isChecked());
        other->closeWriteChannel();
        EXPECT_TRUE(other->waitForFinished(5000));
    }
    // A full disk: the copy does not fit.
    {
        FakePlatform platform;
        TestFolder outer;
        const qint64 dbSize = QFileInfo(KOVU_DELIVERED_DB).size();
        SmallDisk disk(outer.file("disk"), dbSize + dbSize / 3);
        if (!disk.ok) {
            std::printf("skipped the full disk: mounting a tmpfs is refused here\n");
        } else {
            const QString exe = outer.file("disk") + "/";
            ASSERT_TRUE(QFile::copy(KOVU_DELIVERED_DB, exe + "kovu.mdb"));
            const auto before = rowCounts(exe + "kovu.mdb");
            auto form = std::make_unique<TfrmKovu>(platform, exe);
            ASSERT_TRUE(form->startedUp());
            QTest::mouseClick(form->imgSz, Qt::LeftButton);
            QTest::mouseClick(form->tasTp->spbYs, Qt::LeftButton);
            EXPECT_EQ(lastText(platform), "压缩数据库没有成功！请检查原因！");
            EXPECT_FALSE(QFile::exists(exe + "ls.mdb"));
            EXPECT_EQ(rowCounts(exe + "kovu.mdb"), before);
            platform.dlg().clear();
            form->panTj->chkPm->click();
            EXPECT_EQ(openDb(exe + "kovu.mdb")->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(),
                      form->panTj->chkPm->isChecked());
            EXPECT_TRUE(platform.dlg().log.empty()) << lastText(platform).toStdString();
            form.reset();
        }
    }
    // A program folder that takes no new file.
    {
        FakePlatform platform;
        TestFolder folder;
        folder.copyDeliveredDb();
        const auto before = rowCounts(folder.db());
        auto form = makeForm(platform, folder);
        QTest::mouseClick(form->imgSz, Qt::LeftButton);
        Immutable lock(folder.path());
        if (!lock.ok) GTEST_SKIP() << "chattr +i is refused here";
        QTest::mouseClick(form->tasTp->spbYs, Qt::LeftButton);
        EXPECT_EQ(lastText(platform), "压缩数据库没有成功！请检查原因！");
        EXPECT_FALSE(QFile::exists(folder.file("ls.mdb")));
        EXPECT_TRUE(QFile::exists(folder.db()));
        EXPECT_EQ(rowCounts(folder.db()), before);
        // Reading and writing the old file go on.
        platform.dlg().clear();
        form->panTj->chkPm->click();
        EXPECT_EQ(openDb(folder.db())->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(),
                  form->panTj->chkPm->isChecked());
        EXPECT_TRUE(platform.dlg().log.empty()) << lastText(platform).toStdString();
        form.reset();
    }
}

TEST(Compaction, AProgramKilledAtAnyStepStartsAgainOnACompleteDatabase) {
    ASSERT_EQ(kChildRan, 0);
    // How often the copy reports its progress, to kill it once early and once half-way.
    int exportReports = 0;
    {
        TestFolder scratch;
        scratch.copyDeliveredDb();
        growAndShrink(scratch.db());
        const CompactionResult r =
            compactDatabaseFile(scratch.db(), scratch.file("ls.mdb"), kDatabasePassword, [&](CompactStep s) {
                if (s == CompactStep::Exporting) ++exportReports;
            });
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        ASSERT_GT(exportReports, 4);
    }
    struct Kill {
        CompactStep step;
        int nth;
        const char* what;
    };
    const Kill kills[] = {
        {CompactStep::BeforeCopy, 1, "before the copy"},
        {CompactStep::Exporting, 1, "as the export begins"},
        {CompactStep::Exporting, exportReports / 2, "half-way through the export"},
        {CompactStep::Checked, 1, "with the copy checked"},
        {CompactStep::BeforeRename, 1, "just before the rename"},
        {CompactStep::Renamed, 1, "just after the rename"},
    };
    for (const Kill& k : kills) {
        SCOPED_TRACE(k.what);
        TestFolder folder;
        folder.copyDeliveredDb();
        growAndShrink(folder.db());
        // The last write of the running program sits in its log when the compaction begins.
        {
            FakePlatform platform;
            auto form = makeForm(platform, folder);
            form->panTj->chkPm->click();
        }
        const auto before = rowCounts(folder.db());
        const bool fit = openDb(folder.db())->scalar("SELECT 自动适应屏幕 FROM yesz").toBool();
        std::unique_ptr<QProcess> child(
            startChild(QString("kill:%1:%2").arg(static_cast<int>(k.step)).arg(k.nth), folder.path()));
        ASSERT_TRUE(child->waitForFinished(20000));
        EXPECT_EQ(child->exitStatus(), QProcess::CrashExit) << child->readAllStandardOutput().toStdString();
        // Started again: the database is there, whole, with every row it had.
        ASSERT_TRUE(QFile::exists(folder.db()));
        FakePlatform platform;
        auto form = makeForm(platform, folder);
        ASSERT_TRUE(form->startedUp());
        EXPECT_TRUE(platform.dlg().log.empty()) << lastText(platform).toStdString();
        EXPECT_EQ(rowCounts(folder.db()), before);
        EXPECT_EQ(openDb(folder.db())->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(), fit);
        EXPECT_EQ(openDb(folder.db())->scalar("PRAGMA integrity_check").toString(), "ok");
        // The next compaction clears whatever the broken one left.
        QTest::mouseClick(form->imgSz, Qt::LeftButton);
        QTest::mouseClick(form->tasTp->spbYs, Qt::LeftButton);
        EXPECT_TRUE(lastText(platform).startsWith("数据库压缩已经完成！"))
            << lastText(platform).toStdString();
        EXPECT_FALSE(QFile::exists(folder.file("ls.mdb")));
        EXPECT_EQ(rowCounts(folder.db()), before);
    }
}
