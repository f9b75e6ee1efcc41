#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QTest>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "data/ImageCodec.h"
#include "data/PictureStore.h"
#include "pictures/ConfirmPanel.h"
#include "platform/Controls.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ConditionsPanel.h"
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
        expectRefused(missing.path(), {});
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
