#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRawFont>
#include <QSignalSpy>
#include <QTest>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "platform/ErrorHandler.h"
#include "platform/Errors.h"
#include "platform/Fonts.h"
#include "platform/Gbk.h"

using namespace kovu;
using namespace kovu::test;

TEST(Platform, EnterPressesTheDefaultButtonUnlessAnotherButtonHasTheFocus) {
    FakePlatform platform;
    TestFolder folder;
    folder.writeSmallDb();
    auto form = makeForm(platform, folder);
    auto* edit = new QLineEdit(form.get());
    auto* answer = new QPushButton("确定或回车", form.get());
    auto* other = new QPushButton("返回(&F)", form.get());
    form->setDefaultButton(answer);
    form->show();
    QSignalSpy answerSpy(answer, &QPushButton::clicked);
    QSignalSpy otherSpy(other, &QPushButton::clicked);

    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(answerSpy.count(), 1);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(answerSpy.count(), 2);

    other->setFocus();
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(otherSpy.count(), 1);
    EXPECT_EQ(answerSpy.count(), 2);

    // A disabled default button is not pressed.
    answer->setEnabled(false);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(answerSpy.count(), 2);
}

TEST(Platform, UnexpectedErrorsAreShownAndTheProgramGoesOn) {
    FakePlatform platform;
    setDefaultErrorDialogs(&platform.dialogs());
    int after = 0;
    QPushButton b;
    QObject::connect(&b, &QPushButton::clicked, &b, guarded([] { fail("“abc”不是有效的整数。"); }));
    QObject::connect(&b, &QPushButton::clicked, &b, guarded([&after] { ++after; }));
    b.click();
    b.click();
    ASSERT_EQ(platform.dlg().log.size(), 2u);
    EXPECT_EQ(platform.dlg().log[0].title, QStringLiteral("Kovu V2.2.0"));
    EXPECT_EQ(platform.dlg().log[0].text, QStringLiteral("“abc”不是有效的整数。"));
    EXPECT_EQ(platform.dlg().log[0].icon, MsgIcon::Critical);
    EXPECT_EQ(after, 2);
    setDefaultErrorDialogs(nullptr);
}

TEST(Platform, TheFourChineseFacesAreInstalledAndDifferent) {
    const QStringList families = {"宋体", "楷体_GB2312", "黑体", "仿宋_GB2312"};
    QList<QImage> renders;
    for (const QString& fam : families) {
        const QStringList subs = fontSubstitutes(fam);
        ASSERT_FALSE(subs.isEmpty()) << fam.toStdString();
        QFont f(fam);
        f.setPixelSize(48);
        EXPECT_EQ(QFontInfo(f).family(), subs.first()) << fam.toStdString();
        QImage img(120, 60, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(img.rect(), Qt::AlignCenter, "永字");
        p.end();
        renders << img;
        // Every character a lesson may hold is drawn by one of the family's faces.
        const QString sample =
            QStringLiteral("一二三人口手日月水火山石田禾天地上下大小好行长乐还重种为觉得绿女");
        for (const QChar ch : sample) {
            bool found = false;
            for (const QString& s : subs) {
                QFont one(s);
                one.setPixelSize(24);
                if (QRawFont::fromFont(one).supportsCharacter(ch)) found = true;
            }
            EXPECT_TRUE(found) << fam.toStdString() << " lacks " << QString(ch).toStdString();
        }
    }
    for (int i = 0; i < renders.size(); ++i)
        for (int j = i + 1; j < renders.size(); ++j)
            EXPECT_NE(renders[i], renders[j])
                << families[i].toStdString() << " looks like " << families[j].toStdString();
}

TEST(Platform, MessageBoxesUseTheChineseStandardButtonTexts) {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")));
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("否")));
}

TEST(Platform, GbkByteRules) {
    EXPECT_EQ(gbk::byteLength("好ab"), 4);
    EXPECT_TRUE(gbk::isSingleDoubleByteChar("好"));
    EXPECT_FALSE(gbk::isSingleDoubleByteChar("a"));
    EXPECT_FALSE(gbk::isSingleDoubleByteChar("好好"));
    EXPECT_FALSE(gbk::isSingleDoubleByteChar(QString::fromUtf8("😀")));
    // 丂 is 81 40 in GBK: its second byte is below 0x80, so it is not a double-byte character here.
    EXPECT_FALSE(gbk::isSingleDoubleByteChar(QStringLiteral("丂")));
    EXPECT_TRUE(gbk::isSingleDoubleByteChar(QStringLiteral("齄")));
    bool ok = true;
    gbk::encode(QString::fromUtf8("a😀"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(gbk::byteMid("1.第一课", 3, 4), QStringLiteral("第一"));
    EXPECT_EQ(gbk::byteMid("101.天地", 5, 100), QStringLiteral("天地"));
}

TEST(Platform, WithoutADisplayOrWithOneThatDoesNotAnswerTheProgramSaysHowToRunIt) {
    // The same one message and status 1 whether no display is named or the named X server is not
    // there (where Qt would abort with a core dump).
    const auto run = [](const QString& display) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        if (!display.isEmpty()) env.insert("DISPLAY", display);
        p.setProcessEnvironment(env);
        p.start(KOVU_PROGRAM, {});
        EXPECT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << display.toStdString();
        EXPECT_EQ(p.exitCode(), 1) << display.toStdString();
        return QString::fromUtf8(p.readAllStandardError());
    };
    const QString none = run({});
    EXPECT_TRUE(none.contains("no display")) << none.toStdString();
    EXPECT_TRUE(none.contains("xvfb-run")) << none.toStdString();
    EXPECT_EQ(none.trimmed().count('\n'), 1) << none.toStdString();
    // A display number with no server behind it.
    int n = 77;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) ++n;
    EXPECT_EQ(run(QStringLiteral(":%1").arg(n)), none);
}

TEST(Platform, AskedToEndTheProgramClosesItsDatabaseAsItsExitButtonDoes) {
    TestFolder folder;
    folder.copyDeliveredDb();
    ASSERT_TRUE(QFile::copy(KOVU_PROGRAM, folder.file("kovu")));
    QFile(folder.file("kovu")).setPermissions(QFile(KOVU_PROGRAM).permissions());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(folder.file("kovu"), {});
    ASSERT_TRUE(p.waitForStarted(5000));
    // Running: the log stands beside the file.
    for (int i = 0; i < 100 && !QFile::exists(folder.db() + "-wal"); ++i) QTest::qWait(50);
    ASSERT_TRUE(QFile::exists(folder.db() + "-wal"));
    QTest::qWait(300);
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(folder.db() + "-wal"));
    EXPECT_FALSE(QFile::exists(folder.db() + "-shm"));
}
