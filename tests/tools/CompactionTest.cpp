#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
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

#include "AnswerHistory.h"
#include "TestSupport.h"
#include "ToolsFixture.h"
#include "app/TfrmKovu.h"
#include "data/Connection.h"
#include "data/Upgrade.h"
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
//   hold:write       the same after changing the settings row, which stays in the log when the
//                    child is killed
int compactionChild() {
    const QByteArray mode = qgetenv("KOVU_COMPACTION_CHILD");
    if (mode.isEmpty()) return 0;
    const QString folder = QString::fromLocal8Bit(qgetenv("KOVU_COMPACTION_FOLDER")) + "/";
    if (mode.startsWith("hold")) {
        Connection c;
        c.open(folder + kDatabaseFileName, kDatabasePassword);
        c.scalar("SELECT count(*) FROM yesz");
        if (mode == "hold:write") c.exec("UPDATE yesz SET 自动适应屏幕 = 1 - 自动适应屏幕");
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
    // A copy left by an earlier compaction that broke off: it is deleted first.
    QFile ls(folder.file("ls.mdb"));
    ASSERT_TRUE(ls.open(QIODevice::WriteOnly) && ls.write("left over, not a database") > 0);
    ls.close();
    auto form = makeForm(platform, folder);
    form->show();
    // The children and their answers, beside the tables of the content.
    QStringList progressRows;
    {
        auto c = openDb(folder.db());
        c->exec("INSERT INTO yexs (姓名, 建立) VALUES ('小红', '2024-03-09T08:00:00')");
        writeAnswerHistory(*c, {1, 2}, 500, QDate(2024, 3, 1));
        progressRows = fileRows(*c, {"yexs", "yejl", "yepz"});
    }
    const auto before = rowCounts(folder.db());
    ASSERT_EQ(progressRows.size(), 2 + 500 + 1);
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    EXPECT_EQ(form->tasTp->spbYs->text(), "压缩数据库(&Y)");

    qint64 sizeBefore = -1;
    bool closedFirst = false, busy = false;
    spbYsClick(form->context(), [&](CompactStep st) {
        if (st == CompactStep::BeforeCopy) {
            sizeBefore = QFileInfo(folder.db()).size();
            closedFirst = !form->db().con1.isOpen() && !QFile::exists(folder.file("ls.mdb"));
        }
        if (st == CompactStep::Exporting)
            busy =
                QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });
    EXPECT_TRUE(closedFirst);
    EXPECT_TRUE(busy);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const qint64 sizeAfter = QFileInfo(folder.db()).size();
    EXPECT_LT(sizeAfter, sizeBefore - 1024 * 1024);
    ASSERT_EQ(platform.dlg().log.size(), 1u);
    EXPECT_EQ(platform.dlg().log.at(0).title, "操作提示");
    EXPECT_EQ(platform.dlg().log.at(0).icon, MsgIcon::Information);
    EXPECT_EQ(lastText(platform), compactionDoneText(sizeBefore, sizeAfter));
    // One file, no copy or log beside it, every row, the same password.
    for (const char* f : {"ls.mdb", "kovu.mdb-wal", "kovu.mdb-journal"})
        EXPECT_FALSE(QFile::exists(folder.file(f)));
    EXPECT_EQ(rowCounts(folder.db()), before);
    EXPECT_EQ(openDb(folder.db())->scalar("PRAGMA integrity_check").toString(), "ok");
    EXPECT_EQ(fileRows(*openDb(folder.db()), {"yexs", "yejl", "yepz"}), progressRows);
    EXPECT_EQ(openDb(folder.db())->scalar("PRAGMA user_version").toInt(), kSchemaVersion);
    Connection wrong;
    EXPECT_THROW(wrong.open(folder.db(), "wrong"), KovuError);

    // Without a restart: a setting is stored, an arithmetic test records its answer, the pinyin
    // selection chooses a whole lesson.
    platform.dlg().clear();
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    form->panTj->chkPm->click();
    EXPECT_EQ(openDb(folder.db())->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(),
              form->panTj->chkPm->isChecked());
    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    form->panTj->rgpNr->click(1);
    form->panTj->panSs->rgp2->click(8);
    QTest::mouseClick(form->panTj->bitQd, Qt::LeftButton);
    ASSERT_TRUE(form->pan1->isVisible());
    typeText(form->pan1->edtJg, "99");
    pressEnter(form->pan1->edtJg);
    EXPECT_EQ(openDb(folder.db())->scalar("SELECT count(*) FROM sscj").toInt(), 1);
    QTest::mouseClick(form->pan1->butFh, Qt::LeftButton);
    QTest::mouseClick(form->imgPy, Qt::LeftButton);
    ItemSelection* py = form->panTj->panPy;
    ASSERT_GT(py->lstKt->count(), 0);
    if (py->spbXc->isEnabled()) QTest::mouseClick(py->spbXc, Qt::LeftButton);
    QTest::mouseClick(py->spbXq, Qt::LeftButton);
    EXPECT_EQ(openDb(folder.db())->scalar("SELECT count(*) FROM yepy WHERE 选中 = 1").toInt(),
              py->lstKt->count());
    EXPECT_TRUE(platform.dlg().log.empty()) << lastText(platform).toStdString();

    // The button compacts again.
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    QTest::mouseClick(form->tasTp->spbYs, Qt::LeftButton);
    EXPECT_TRUE(lastText(platform).startsWith("数据库压缩已经完成！按任意键继续。\n\n原容量为："));
}

namespace {

// Compacts through the button: the failure is reported with its reason and no copy is left.
void compactAndExpectFailure(FakePlatform& platform, TfrmKovu& form, const QString& reason) {
    platform.dlg().clear();
    QTest::mouseClick(form.imgSz, Qt::LeftButton);
    QTest::mouseClick(form.tasTp->spbYs, Qt::LeftButton);
    ASSERT_EQ(platform.dlg().log.size(), 1u);
    EXPECT_EQ(platform.dlg().log.at(0).title, "操作提示");
    EXPECT_EQ(platform.dlg().log.at(0).icon, MsgIcon::Information);
    EXPECT_TRUE(lastText(platform).startsWith("压缩数据库没有成功！请检查原因！\n\n"))
        << lastText(platform).toStdString();
    EXPECT_TRUE(lastText(platform).contains(reason)) << lastText(platform).toStdString();
    EXPECT_FALSE(QFile::exists(form.state().ExeFolder + "ls.mdb"));
    platform.dlg().clear();
}

// The old file keeps every row, and the program goes on writing to it.
void expectTheOldFileWorks(FakePlatform& platform, TfrmKovu& form,
                           const std::map<QString, qlonglong>& before) {
    const QString db = form.state().ExeFolder + "kovu.mdb";
    EXPECT_EQ(rowCounts(db), before);
    form.panTj->chkPm->click();
    EXPECT_EQ(openDb(db)->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(), form.panTj->chkPm->isChecked());
    EXPECT_TRUE(platform.dlg().log.empty()) << lastText(platform).toStdString();
}

}  // namespace

TEST(Compaction, AFailureKeepsTheOldFileAndTheProgramWorksOnIt) {
    {
        SCOPED_TRACE("a second running copy holds the database open");
        FakePlatform platform;
        TestFolder folder;
        folder.copyDeliveredDb();
        auto form = makeForm(platform, folder);
        std::unique_ptr<QProcess> other(startChild("hold", folder.path()));
        ASSERT_TRUE(other->waitForReadyRead(10000));
        ASSERT_EQ(other->readLine().trimmed(), "ready");
        const auto before = rowCounts(folder.db());
        compactAndExpectFailure(platform, *form, "database is locked");
        expectTheOldFileWorks(platform, *form, before);
        other->closeWriteChannel();
        EXPECT_TRUE(other->waitForFinished(5000));
    }
    {
        SCOPED_TRACE("the copy does not fit on the disk");
        FakePlatform platform;
        TestFolder outer;
        const qint64 dbSize = QFileInfo(KOVU_DELIVERED_DB).size();
        SmallDisk disk(outer.file("disk"), dbSize + dbSize / 3);
        if (disk.ok) {
            ASSERT_TRUE(QFile::copy(KOVU_DELIVERED_DB, disk.folder + "/kovu.mdb"));
            TfrmKovu form(platform, disk.folder);
            ASSERT_TRUE(form.startedUp());
            const auto before = rowCounts(disk.folder + "/kovu.mdb");
            compactAndExpectFailure(platform, form, "database or disk is full");
            expectTheOldFileWorks(platform, form, before);
        } else {
            std::printf("the full disk is not tried: mounting a tmpfs is refused here\n");
        }
    }
    {
        SCOPED_TRACE("the program folder takes no new file");
        FakePlatform platform;
        TestFolder folder;
        folder.copyDeliveredDb();
        // A later start: the first one added the tables of this version to the file.
        makeForm(platform, folder).reset();
        auto form = makeForm(platform, folder);
        const auto before = rowCounts(folder.db());
        {
            Immutable lock(folder.path());
            if (!lock.ok) GTEST_SKIP() << "chattr +i is refused here";
            compactAndExpectFailure(platform, *form, "unable to open database file");
            EXPECT_TRUE(QFile::exists(folder.db()));
        }
        // Once the folder takes files again, the program works on with its old file.
        expectTheOldFileWorks(platform, *form, before);
    }
}

TEST(Compaction, ADatabaseBehindALinkIsCompactedWhereItLiesAndTheLinkStays) {
    // The database on a USB stick, the program's folder holding a link to it.
    FakePlatform platform;
    TestFolder folder, usb;
    usb.copyDeliveredDb();
    growAndShrink(usb.db());
    const auto before = rowCounts(usb.db());
    const qint64 sizeBefore = QFileInfo(usb.db()).size();
    ASSERT_TRUE(QFile::link(usb.db(), folder.db()));
    auto form = makeForm(platform, folder);
    ASSERT_TRUE(form->startedUp());
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    QTest::mouseClick(form->tasTp->spbYs, Qt::LeftButton);
    EXPECT_EQ(lastText(platform), compactionDoneText(sizeBefore, QFileInfo(usb.db()).size()));
    EXPECT_TRUE(QFileInfo(folder.db()).isSymLink());
    EXPECT_EQ(QFileInfo(folder.db()).symLinkTarget(), usb.db());
    EXPECT_LT(QFileInfo(usb.db()).size(), sizeBefore - 1024 * 1024);
    EXPECT_EQ(rowCounts(usb.db()), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
              QStringList({"kovu.mdb"}));
    EXPECT_EQ(QDir(usb.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"kovu.mdb"}));
    // Later settings and scores still go to the stick.
    platform.dlg().clear();
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    form->panTj->chkPm->click();
    EXPECT_EQ(openDb(usb.db())->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(),
              form->panTj->chkPm->isChecked());
    EXPECT_TRUE(platform.dlg().log.empty()) << lastText(platform).toStdString();
}

TEST(Compaction, ADamagedFileIsNotCompactedAndStaysAsItIs) {
    FakePlatform platform;
    TestFolder folder;
    folder.copyDeliveredDb();
    // A second index of the dictionary, at the end of the file, and its last page written over with
    // zeros (a write torn by a power cut): the rows and the index the counts read are whole.
    qlonglong pages = 0, pageSize = 0;
    {
        auto c = openDb(folder.db());
        c->exec("CREATE INDEX yefc_both ON yefc (汉字, 拼音)");
        pages = c->scalar("PRAGMA page_count").toLongLong();
        pageSize = c->scalar("PRAGMA page_size").toLongLong();
    }
    {
        QFile f(folder.db());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek((pages - 1) * pageSize));
        ASSERT_EQ(f.write(QByteArray(pageSize, '\0')), pageSize);
    }
    ASSERT_NE(openDb(folder.db())->scalar("PRAGMA integrity_check").toString(), "ok");
    const auto before = rowCounts(folder.db());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder.db()).constData(), &st), 0);
    const ino_t file = st.st_ino;

    auto form = makeForm(platform, folder);
    ASSERT_TRUE(form->startedUp());
    compactAndExpectFailure(platform, *form, "PRAGMA integrity_check：");
    // The same file, its damaged page still there for whoever mends it.
    ASSERT_EQ(::stat(QFile::encodeName(folder.db()).constData(), &st), 0);
    EXPECT_EQ(st.st_ino, file);
    EXPECT_EQ(rowCounts(folder.db()), before);
    QFile f(folder.db());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ASSERT_TRUE(f.seek((pages - 1) * pageSize));
    EXPECT_EQ(f.read(pageSize), QByteArray(pageSize, '\0'));
}

TEST(Compaction, AProgramKilledAtAnyStepStartsAgainOnACompleteDatabase) {
    ASSERT_EQ(kChildRan, 0);
    // How often the copy reports its progress, to kill it once early and once half-way.
    int exportReports = 0;
    TestFolder scratch;
    scratch.copyDeliveredDb();
    growAndShrink(scratch.db());
    ASSERT_TRUE(
        compactDatabaseFile(scratch.db(), scratch.file("ls.mdb"), kDatabasePassword, [&](CompactStep s) {
            exportReports += s == CompactStep::Exporting;
        }).ok);
    ASSERT_GT(exportReports, 4);
    const std::pair<CompactStep, int> kills[] = {{CompactStep::BeforeCopy, 1},
                                                 {CompactStep::Exporting, 1},
                                                 {CompactStep::Exporting, exportReports / 2},
                                                 {CompactStep::Checked, 1},
                                                 {CompactStep::BeforeRename, 1},
                                                 {CompactStep::Renamed, 1}};
    for (const auto& [step, nth] : kills) {
        SCOPED_TRACE(testing::Message() << "killed at step " << static_cast<int>(step) << ", report " << nth);
        TestFolder folder;
        folder.copyDeliveredDb();
        growAndShrink(folder.db());
        const auto before = rowCounts(folder.db());
        const bool fit = !openDb(folder.db())->scalar("SELECT 自动适应屏幕 FROM yesz").toBool();
        // A program that died after its last write left that write in its log only.
        {
            std::unique_ptr<QProcess> crashed(startChild("hold:write", folder.path()));
            ASSERT_TRUE(crashed->waitForReadyRead(10000));
            crashed->kill();
            ASSERT_TRUE(crashed->waitForFinished(5000));
            ASSERT_GT(QFileInfo(folder.db() + "-wal").size(), 0);
        }
        std::unique_ptr<QProcess> child(
            startChild(QString("kill:%1:%2").arg(static_cast<int>(step)).arg(nth), folder.path()));
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
    }
}
