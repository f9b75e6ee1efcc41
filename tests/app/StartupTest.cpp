#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTabWidget>
#include <QTest>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "platform/ImageCodec.h"
#include "data/PictureStore.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PicturePage.h"
#include "platform/Controls.h"
#include "platform/Paths.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ConditionsPanel.h"
#include "tools/Compaction.h"
#include "tools/HelpPanel.h"

using namespace kovu;
using namespace kovu::test;

namespace {

QMap<QString, QDateTime> fileTimes(const QString& folder) {
    QMap<QString, QDateTime> out;
    for (const QFileInfo& fi : QDir(folder).entryInfoList(QDir::Files))
        out[fi.fileName()] = fi.lastModified();
    return out;
}

// Copies the file from to the path to, named by its bytes, with mode.
bool copyToBytes(const QString& from, const QByteArray& to, mode_t mode) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray all = in.readAll();
    const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    if (fd < 0) return false;
    qsizetype done = 0;
    while (done < all.size()) {
        const ssize_t n = ::write(fd, all.constData() + done, all.size() - done);
        if (n <= 0) break;
        done += n;
    }
    return ::close(fd) == 0 && done == all.size();
}

std::string lastTextOf(FakePlatform& p) {
    return p.dlg().log.empty() ? std::string() : p.dlg().log.back().text.toStdString();
}

bool existsBytes(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

}  // namespace

TEST(Startup, FirstStartWritesTheMenuPicturesAndLaterStartsMendOnlyWhatIsMissing) {
    FakePlatform platform;
    TestFolder folder;
    folder.writeSmallDb();
    const QString fz = folder.file("fzwj");
    ASSERT_FALSE(QFileInfo::exists(fz));
    {
        auto form = makeForm(platform, folder);
        EXPECT_TRUE(form->startedUp());
        EXPECT_TRUE(platform.dlg().log.empty());
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Brelmont软件工作室 Kovu软件 V2.2.0"));
        EXPECT_EQ(form->formWidth(), 640);
        EXPECT_EQ(form->formHeight(), 480);
        EXPECT_EQ(form->state().CaptionAllowance, 8);
        EXPECT_EQ(form->state().LayoutScale, 100);
        EXPECT_EQ(form->state().CurrentPanel, 0);
        // The bar shows the pictures of the files.
        EXPECT_EQ(form->imgSs->picture().size(), QSize(34, 34));
        EXPECT_FALSE(form->imgFm->isHidden());
        EXPECT_TRUE(form->panTj->isHidden());
    }
    const QStringList bitmaps = {"ss.bmp", "py.bmp", "yy.bmp", "sz.bmp", "bz.bmp", "fh.bmp"};
    for (const QString& f : bitmaps) {
        QImage img;
        ASSERT_TRUE(img.load(fz + "/" + f, "BMP")) << f.toStdString();
        EXPECT_EQ(img.size(), QSize(34, 34)) << f.toStdString();
    }
    QFile bj(fz + "/bj.jpg");
    ASSERT_TRUE(bj.open(QIODevice::ReadOnly));
    EXPECT_EQ(decodeJpeg(bj.readAll()).size(), QSize(400, 300));
    EXPECT_EQ(QDir(fz).entryList(QDir::Files).size(), 7);

    // A second start rewrites none of them.
    const auto before = fileTimes(fz);
    QTest::qWait(1100);
    { auto form = makeForm(platform, folder); }
    EXPECT_EQ(fileTimes(fz), before);

    // A deleted picture comes back at the next start; the others stay untouched.
    ASSERT_TRUE(QFile::remove(fz + "/py.bmp"));
    { auto form = makeForm(platform, folder); }
    EXPECT_TRUE(QFileInfo::exists(fz + "/py.bmp"));
    auto after = fileTimes(fz);
    after.remove("py.bmp");
    auto expected = before;
    expected.remove("py.bmp");
    EXPECT_EQ(after, expected);
}

TEST(Startup, ADatabaseThatCannotBeOpenedStopsStartUpWithTheMessage) {
    const QString passwordText = QStringLiteral("数据库密码错误，不能修改数据库密码。否则不能继续使用！");
    const auto expectRefused = [&passwordText](const QString& folderPath, const QString& text) {
        FakePlatform platform;
        platform.screen = QSize(640, 480);
        auto form = std::make_unique<TfrmKovu>(platform, folderPath);
        ASSERT_EQ(platform.dlg().log.size(), 1u);
        const LoggedMessage& m = platform.dlg().log.front();
        EXPECT_EQ(m.title, QStringLiteral("运行错误！"));
        if (text.isEmpty()) {
            EXPECT_EQ(m.text, passwordText);
        } else {
            // Named for what it is: never sent looking for a password problem.
            EXPECT_TRUE(m.text.contains(text)) << m.text.toStdString();
            EXPECT_NE(m.text, passwordText);
        }
        EXPECT_EQ(m.icon, MsgIcon::Warning);
        EXPECT_FALSE(form->startedUp());
        // Nothing else of start-up ran: no caption, no pictures, no screen-width rule.
        EXPECT_NE(form->windowTitle(), QStringLiteral("Brelmont软件工作室 Kovu软件 V2.2.0"));
        EXPECT_FALSE(QFileInfo::exists(folderPath + "/fzwj"));
        EXPECT_FALSE(form->panTj->chkPm->isChecked());
        EXPECT_TRUE(form->panTj->chkPm->isEnabled());
        EXPECT_TRUE(form->panZc->isHidden());
        // The window still closes normally.
        form->show();
        EXPECT_TRUE(form->close());
    };
    {
        TestFolder missing;
        expectRefused(missing.path(), QStringLiteral("数据库文件 %1kovu.mdb 不存在。").arg(missing.path()));
    }
    {
        // A link to a file on a USB stick that is not plugged in, and a folder of the file's name.
        TestFolder dangling;
        ASSERT_TRUE(QFile::link(dangling.file("usb/kovu.mdb"), dangling.db()));
        expectRefused(dangling.path(),
                      QStringLiteral("是一个链接，它指向的 %1 不存在。").arg(dangling.file("usb/kovu.mdb")));
        TestFolder folderNamed;
        ASSERT_TRUE(QDir().mkpath(folderNamed.db()));
        expectRefused(folderNamed.path(), QStringLiteral("是一个文件夹，不是数据库文件。"));
    }
    {
        // An empty file, and a database without tables (what an empty file became when it was
        // taken for a new database): refused with one message, and left exactly as they were.
        TestFolder empty;
        QFile(empty.db()).open(QIODevice::WriteOnly);
        expectRefused(empty.path(), QStringLiteral("数据库文件 %1 是空的或已损坏").arg(empty.db()));
        EXPECT_EQ(QFileInfo(empty.db()).size(), 0);
        EXPECT_EQ(QDir(empty.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"kovu.mdb"}));
        TestFolder tableless;
        {
            Connection c;
            c.create(tableless.db(), kDatabasePassword);
            c.exec("PRAGMA user_version = 7");
        }
        QFile f(tableless.db());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        f.close();
        ASSERT_GT(bytes.size(), 0);
        expectRefused(tableless.path(), QStringLiteral("数据库文件 %1 是空的或已损坏").arg(tableless.db()));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes);
        EXPECT_EQ(QDir(tableless.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"kovu.mdb"}));
    }
    {
        // Another copy compacting the file holds it alone: the start says so at once (it waited
        // six seconds and blamed the password).
        TestFolder held;
        held.writeSmallDb();
        qint64 took = -1;
        const CompactionResult r =
            compactDatabaseFile(held.db(), held.file("ls.mdb"), kDatabasePassword, [&](CompactStep step) {
                if (step != CompactStep::BeforeCopy) return;
                QElapsedTimer t;
                t.start();
                expectRefused(held.path(),
                              QStringLiteral("数据库文件 %1 正被另一个 Kovu 使用").arg(held.db()));
                took = t.elapsed();
            });
        EXPECT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_GE(took, 0);
        EXPECT_LT(took, 3000);
    }
    {
        TestFolder otherKey;
        writeSmallDatabase(otherKey.db(), "another password");
        expectRefused(otherKey.path(), {});
    }
    {
        TestFolder notADb;
        QFile f(notADb.db());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Standard Jet DB, or so it says\n");
        f.close();
        expectRefused(notADb.path(), {});
    }
    {
        // A program folder that cannot be written (a read-only medium).
        TestFolder outer;
        const QString ro = outer.file("ro");
        ScratchMount mount(ro, "8m");
        KOVU_REQUIRE_MOUNT(mount);
        writeSmallDatabase(ro + "/kovu.mdb");
        ASSERT_TRUE(mount.remountReadOnly());
        expectRefused(ro, QStringLiteral("不能写入"));
    }
}

TEST(Startup, AProgramFolderWhoseNameIsNotUtf8IsUsedUnderItsOwnName) {
    // "课本" in GBK, as an archive made on a Chinese Windows unpacks it.
    TestFolder outer;
    const QByteArray folder = QFile::encodeName(outer.path()) + "\xbf\xce\xb1\xbe";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    // Renamed to a name the temporary folder can remove, however the test ends.
    struct Rename {
        QByteArray from, to;
        ~Rename() { ::rename(from.constData(), to.constData()); }
    } rename{folder, QFile::encodeName(outer.file("gbk"))};
    ASSERT_TRUE(copyToBytes(KOVU_DELIVERED_DB, folder + "/kovu.mdb", 0600));
    const QString exeFolder = folderOfProgram(folder + "/kovu");
    {
        // The form in that folder starts, stores a setting, compacts its database, and refuses a
        // launcher that could not name the folder.
        FakePlatform platform;
        TfrmKovu form(platform, exeFolder);
        ASSERT_TRUE(form.startedUp());
        EXPECT_TRUE(platform.dlg().log.empty()) << lastTextOf(platform);
        EXPECT_TRUE(existsBytes(folder + "/fzwj/bj.jpg"));
        form.show();
        QTest::mouseClick(form.imgSz, Qt::LeftButton);
        QTest::mouseClick(form.tasTp->spbYs, Qt::LeftButton);
        ASSERT_EQ(platform.dlg().log.size(), 1u);
        EXPECT_TRUE(platform.dlg().log.back().text.startsWith("数据库压缩已经完成！"))
            << lastTextOf(platform);
        EXPECT_FALSE(existsBytes(folder + "/ls.mdb"));
        form.panTj->chkPm->click();
        EXPECT_EQ(openDb(exeFolder + "/kovu.mdb")->scalar("SELECT 自动适应屏幕 FROM yesz").toBool(),
                  form.panTj->chkPm->isChecked());
        platform.dlg().clear();
        QTest::mouseClick(form.tasTp->spbKj, Qt::LeftButton);
        QRadioButton* startMenu = form.panZc->rgpKj->button(2);
        QTest::mouseClick(startMenu, Qt::LeftButton, {}, QPoint(8, startMenu->height() / 2));
        platform.dlg().answer(MsgResult::Yes);
        QTest::mouseClick(form.panZc->spbKs, Qt::LeftButton);
        ASSERT_EQ(platform.dlg().log.size(), 2u);
        const QString refused = platform.dlg().log.back().text;
        EXPECT_TRUE(refused.startsWith(
            "在[开始菜单]建立[启动Kovu]快捷方式没有成功！请检查原因！\n\n程序文件夹 " + outer.path()))
            << refused.toStdString();
        EXPECT_TRUE(refused.contains("的名字不是 UTF-8 编码的")) << refused.toStdString();
        EXPECT_FALSE(refused.contains("/proc/")) << refused.toStdString();
        EXPECT_FALSE(QFileInfo::exists(QDir::tempPath() + "/kovu-shortcuts/startmenu/启动Kovu.desktop"));
        EXPECT_EQ(form.tasTp->spbKj->text(), "建快捷方式(&J)");
    }

    // The program itself, started from that folder, opens its database there (it writes its menu
    // pictures only then) and folds its log back when it is asked to end.
    const QByteArray program = folder + "/kovu";
    ASSERT_TRUE(copyToBytes(KOVU_PROGRAM, program, 0755));
    ASSERT_TRUE(QDir(exeFolder + "/fzwj").removeRecursively());
    char* argv[] = {const_cast<char*>(program.constData()), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, program.constData(), nullptr, nullptr, argv, environ), 0);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000 && !existsBytes(folder + "/fzwj/bj.jpg")) QTest::qWait(100);
    const bool opened = existsBytes(folder + "/fzwj/bj.jpg") && existsBytes(folder + "/kovu.mdb-wal");
    ::kill(pid, opened ? SIGTERM : SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(opened) << "the program did not open its database";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(existsBytes(folder + "/kovu.mdb-wal"));
}

TEST(Startup, MenuPicturesSurviveAFullDiskAndAPictureThatCannotBeRead) {
    FakePlatform platform;
    TestFolder folder;
    folder.writeSmallDb();
    const QString fz = folder.file("fzwj");
    const QStringList files = {"bz.bmp", "py.bmp", "yy.bmp", "fh.bmp", "ss.bmp", "sz.bmp", "bj.jpg"};
    {
        // Room for a few bitmaps, not for all seven files.
        ScratchMount mount(fz, "16k");
        KOVU_REQUIRE_MOUNT(mount);
        auto form = makeForm(platform, folder);
        ASSERT_FALSE(platform.dlg().log.empty());
        EXPECT_TRUE(platform.dlg().texts().join("\n").contains("不能写文件"))
            << platform.dlg().texts().join("\n").toStdString();
        // What stands in the folder is whole: no short or empty file.
        int present = 0;
        for (const QString& f : QDir(fz).entryList(QDir::Files)) {
            EXPECT_TRUE(files.contains(f)) << f.toStdString();
            EXPECT_TRUE(menuPictureReadable(fz + "/" + f)) << f.toStdString();
            ++present;
        }
        EXPECT_LT(present, 7);
    }
    // Space is free again: the next start writes what is missing and the bar works.
    platform.dlg().clear();
    auto form = makeForm(platform, folder);
    EXPECT_TRUE(platform.dlg().log.empty()) << platform.dlg().texts().join("\n").toStdString();
    for (const QString& f : files) EXPECT_TRUE(menuPictureReadable(fz + "/" + f)) << f.toStdString();
    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    EXPECT_EQ(form->state().CurrentPanel, 1);
    QTest::mouseClick(form->imgSs, Qt::LeftButton);

    // A picture spoilt while the program runs: the switch does not happen, the screen stays as it was.
    {
        QFile f(fz + "/py.bmp");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("BM not really");
    }
    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    ASSERT_EQ(platform.dlg().log.size(), 1u);
    EXPECT_TRUE(platform.dlg().log.front().text.contains("py.bmp"));
    EXPECT_EQ(form->state().CurrentPanel, 0);
    EXPECT_TRUE(form->panTj->isHidden());
    // The background cut short as well (its header still whole): the next start writes both again.
    QFile bj(fz + "/bj.jpg");
    ASSERT_TRUE(bj.open(QIODevice::ReadWrite));
    const QByteArray whole = bj.readAll();
    ASSERT_TRUE(bj.resize(whole.size() / 2));
    bj.close();
    EXPECT_FALSE(menuPictureReadable(fz + "/bj.jpg"));
    form.reset();
    platform.dlg().clear();
    form = makeForm(platform, folder);
    EXPECT_TRUE(menuPictureReadable(fz + "/py.bmp"));
    ASSERT_TRUE(bj.open(QIODevice::ReadOnly));
    EXPECT_EQ(bj.readAll(), whole);
    bj.close();
    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    EXPECT_EQ(form->state().CurrentPanel, 1);
    EXPECT_TRUE(platform.dlg().log.empty());
}

TEST(Startup, NarrowScreensAlwaysFitThePracticeWindow) {
    FakePlatform platform;
    platform.screen = QSize(640, 480);
    TestFolder folder;
    folder.writeSmallDb();
    auto form = makeForm(platform, folder);
    EXPECT_TRUE(form->panTj->chkPm->isChecked());
    EXPECT_FALSE(form->panTj->chkPm->isEnabled());
    auto db = openDb(folder.db());
    EXPECT_TRUE(db->scalar("SELECT 自动适应屏幕 FROM yesz").toBool());

    // On a wide screen the stored choice is applied, and unticking stores it and resets the scale.
    FakePlatform wide;
    TestFolder f2;
    f2.writeSmallDb();
    openDb(f2.db())->exec("UPDATE yesz SET 自动适应屏幕 = 1");
    auto form2 = makeForm(wide, f2);
    EXPECT_TRUE(form2->panTj->chkPm->isChecked());
    EXPECT_TRUE(form2->panTj->chkPm->isEnabled());
    form2->state().LayoutScale = 128;
    form2->panTj->chkPm->click();
    EXPECT_FALSE(openDb(f2.db())->scalar("SELECT 自动适应屏幕 FROM yesz").toBool());
    EXPECT_EQ(form2->state().LayoutScale, 100);
}

TEST(MainScreen, MenuButtonsTogglePanelsAndTheStatusBar) {
    FakePlatform platform;
    TestFolder folder;
    folder.writeSmallDb();
    auto form = makeForm(platform, folder);
    form->show();
    const QImage ssPicture = form->imgSs->picture();
    const QImage returnPicture(folder.file("fzwj/fh.bmp"));
    // The main screen comes up without its work panels; each is built when its button opens it.
    EXPECT_FALSE(form->panTj.peek() || form->pan1.peek() || form->pagSz.peek() || form->panBz.peek() ||
                 form->panZc.peek());

    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    ASSERT_TRUE(form->panTj.peek() && form->pan1.peek());
    EXPECT_FALSE(form->pagSz.peek() || form->panBz.peek());
    EXPECT_EQ(form->state().CurrentPanel, 1);
    EXPECT_EQ(form->state().PracticeKind, QStringLiteral("算术"));
    EXPECT_FALSE(form->panTj->isHidden());
    EXPECT_FALSE(form->panTj->panSs->isHidden());
    EXPECT_EQ(form->panTj->panSs->x(), 138);
    EXPECT_EQ(form->panTj->lblNr->text(), QStringLiteral("算术练习条件设置"));
    EXPECT_EQ(form->panTj->chkLt->text(), QStringLiteral("不显示例图"));
    EXPECT_TRUE(form->panTj->chkSd->isHidden());
    EXPECT_EQ(form->statusText(1), QStringLiteral(" 《算术练习条件设置》"));
    EXPECT_EQ(form->imgSs->picture().convertToFormat(QImage::Format_RGB888),
              returnPicture.convertToFormat(QImage::Format_RGB888));

    // Another button switches over; its own button shows the return picture instead.
    QTest::mouseClick(form->imgPy, Qt::LeftButton);
    EXPECT_EQ(form->state().CurrentPanel, 2);
    EXPECT_TRUE(form->panTj->panSs->isHidden());
    EXPECT_FALSE(form->panTj->panPy->isHidden());
    EXPECT_FALSE(form->panTj->chkSd->isHidden());
    EXPECT_EQ(form->imgSs->picture(), ssPicture);

    QTest::mouseClick(form->imgYy, Qt::LeftButton);
    EXPECT_EQ(form->panTj->chkLt->text(), QStringLiteral("不显示图片"));
    EXPECT_TRUE(form->panTj->cboKf->isHidden());

    // The arithmetic button clicked twice returns to the front picture and empties panels 1 to 3.
    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    form->setStatusText(2, "开始:08:00:00");
    form->setStatusText(3, "累计:00:01:00");
    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    EXPECT_EQ(form->state().CurrentPanel, 0);
    EXPECT_TRUE(form->panTj->isHidden());
    EXPECT_FALSE(form->imgFm->isHidden());
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(form->statusText(i), QString()) << i;
    EXPECT_EQ(form->statusText(0), QStringLiteral(" Kovu软件"));
    EXPECT_EQ(form->sta1->panelWidth(1), 640 - 462);
    // The start and elapsed times can be read in full.
    const QFontMetrics fm(form->sta1->font());
    EXPECT_LE(fm.horizontalAdvance("累计:00:00:00") + 4, form->sta1->panelWidth(3));
    EXPECT_LE(fm.horizontalAdvance("开始:00:00:00") + 4, form->sta1->panelWidth(2));
    EXPECT_EQ(form->sta1->panelWidth(2) + form->sta1->panelWidth(3), 135 + 35);

    // Help and settings open and close through the same toggle.
    QTest::mouseClick(form->imgBz, Qt::LeftButton);
    EXPECT_FALSE(form->panBz->isHidden());
    EXPECT_EQ(form->panBz->x(), 2);
    EXPECT_EQ(form->statusText(1), QStringLiteral(" 《软件使用说明》"));
    EXPECT_FALSE(form->pagSz.peek());
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    EXPECT_TRUE(form->panBz->isHidden());
    EXPECT_FALSE(form->pagSz->isHidden());
    QTest::mouseClick(form->imgSz, Qt::LeftButton);
    EXPECT_TRUE(form->pagSz->isHidden());
    EXPECT_EQ(form->pagSz->x(), 641);
}

TEST(MainScreen, HoverFramePressFeedbackAndExit) {
    FakePlatform platform;
    TestFolder folder;
    folder.writeSmallDb();
    auto form = makeForm(platform, folder);
    form->show();
    QTest::mouseMove(form->imgYy, QPoint(10, 10));
    EXPECT_FALSE(form->bev1->isHidden());
    EXPECT_EQ(form->bev1->x(), form->imgYy->x() - 1);
    QTest::mousePress(form->imgYy, Qt::LeftButton);
    EXPECT_FALSE(form->bev1->isRaised());
    QTest::mouseRelease(form->imgYy, Qt::LeftButton);
    EXPECT_TRUE(form->bev1->isRaised());
    QTest::mouseMove(form->imgFm, QPoint(100, 100));
    EXPECT_TRUE(form->bev1->isHidden());

    // A missing bar picture is an error for the default handler; the program goes on.
    ASSERT_TRUE(QFile::remove(folder.file("fzwj/sz.bmp")));
    QTest::mouseClick(form->imgBz, Qt::LeftButton);
    ASSERT_EQ(platform.dlg().log.size(), 1u);
    EXPECT_EQ(platform.dlg().log.front().icon, MsgIcon::Critical);
    EXPECT_TRUE(platform.dlg().log.front().text.contains("sz.bmp"));
    EXPECT_TRUE(form->isVisible());

    // The exit button closes the connection and the window.
    QTest::mouseClick(form->imgGb, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->db().con1.isOpen());
}

TEST(MainScreen, ClockAndElapsedTime) {
    FakePlatform platform;
    TestFolder folder;
    folder.writeSmallDb();
    auto form = makeForm(platform, folder);
    platform.clock = QDateTime(QDate(2024, 3, 9), QTime(8, 5, 12));
    form->tmr1Timer();
    EXPECT_EQ(form->statusText(4), QStringLiteral(" 2024年3月9日 08:05:12 星期六"));
    // Before any practice panel 3 stays empty.
    EXPECT_EQ(form->statusText(3), QString());
    platform.clock = QDateTime(QDate(2024, 12, 22), QTime(23, 59, 1));
    form->tmr1Timer();
    EXPECT_EQ(form->statusText(4), QStringLiteral(" 2024年12月22日 23:59:01 星期日"));

    form->state().SessionStart = QDateTime(QDate(2024, 12, 22), QTime(22, 58, 0));
    form->tmr1Timer();
    EXPECT_EQ(form->statusText(3), QStringLiteral("累计:01:01:01"));
    // The timer drives the same clock.
    EXPECT_TRUE(form->tmr1->isActive());
    EXPECT_EQ(form->tmr1->interval(), 1000);
}

TEST(MainScreen, OldSystemsHaveNoCaptionAllowance) {
    FakePlatform platform;
    platform.osMajor = 5;
    TestFolder folder;
    folder.writeSmallDb();
    auto form = makeForm(platform, folder);
    EXPECT_EQ(form->state().CaptionAllowance, 0);
    EXPECT_EQ(form->imgFm->height(), 382);
    EXPECT_EQ(form->panTj->height(), 384);
    FakePlatform modern;
    TestFolder f2;
    f2.writeSmallDb();
    auto form2 = makeForm(modern, f2);
    EXPECT_EQ(form2->imgFm->height(), 390);
    EXPECT_EQ(form2->panBz->height(), 394);
}
