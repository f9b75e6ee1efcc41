#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>

#include "TestSupport.h"
#include "ToolsFixture.h"
#include "app/TfrmKovu.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PicturePage.h"
#include "tools/StartShortcuts.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// A user's home with XDG folders inside the test folder; the real launchers are written there.
struct XdgHome {
    QString home;
    QString desktop;
    QString applications;
    QString quickLaunch;
    XdgHome(const TestFolder& folder, bool makeDesktop = true) {
        home = folder.file("home");
        desktop = home + "/桌面";
        applications = home + "/.local/share/applications";
        quickLaunch = home + "/.local/share/kovu/quicklaunch";
        QDir().mkpath(home + "/.config");
        if (makeDesktop) QDir().mkpath(desktop);
        QFile dirs(home + "/.config/user-dirs.dirs");
        EXPECT_TRUE(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
    }
    QString link(const QString& folder) const { return folder + "/启动Kovu.desktop"; }
};

// The form on the delivered database with the system's launchers, the picture page open.
struct ShortcutScreen {
    FakePlatform platform;
    TestFolder folder;
    std::unique_ptr<XdgHome> xdg;
    std::unique_ptr<TfrmKovu> form;
    ConfirmPanel* panZc = nullptr;
    QPushButton* spbKj = nullptr;

    explicit ShortcutScreen(bool makeDesktop = true, const QString& programFolder = {}) {
        xdg = std::make_unique<XdgHome>(folder, makeDesktop);
        platform.setShortcuts(makeSystemShortcuts());
        const QString exe = programFolder.isEmpty() ? folder.path() : programFolder;
        QFile::copy(KOVU_DELIVERED_DB, exe + "/kovu.mdb");
        QFile(exe + "/kovu.mdb").setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        form = std::make_unique<TfrmKovu>(platform, exe);
        form->show();
        panZc = form->panZc;
        spbKj = form->tasTp->spbKj;
    }
    void openPage() { QTest::mouseClick(form->imgSz, Qt::LeftButton); }
    void closePage() { QTest::mouseClick(form->imgSz, Qt::LeftButton); }
    void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    void choosePlace(int item) {
        QRadioButton* b = panZc->rgpKj->button(item);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    // Creates the shortcut in a place through the panel, answering the question with Yes.
    void create(int item) {
        click(spbKj);
        choosePlace(item);
        platform.dlg().answer(MsgResult::Yes);
        click(panZc->spbKs);
    }
    QString lastText() { return platform.dlg().log.empty() ? QString() : platform.dlg().log.back().text; }
};

// The keys of a launcher's [Desktop Entry] group as they stand in the file.
QMap<QString, QString> desktopEntry(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    EXPECT_EQ(lines.value(0), "[Desktop Entry]");
    QMap<QString, QString> out;
    for (const QString& l : lines)
        if (l.contains('=')) out.insert(l.section('=', 0, 0), l.section('=', 1));
    return out;
}

// The panel as the user sees it: place, title, the controls shown, the places and the two buttons.
QString describe(ConfirmPanel* p) {
    QStringList shown;
    const QList<QWidget*> all = {p->lblZ1, p->Image2, p->lblZ0, p->butZc, p->lblZc,
                                 p->grbCj, p->rgpKj,  p->spbKs, p->spbZb, p->spbQz};
    for (QWidget* w : all)
        if (w->isVisibleTo(p)) shown << w->objectName();
    auto button = [](QPushButton* b) {
        return QString("%1 %2,%3 %4")
            .arg(b->text())
            .arg(b->x())
            .arg(b->y())
            .arg(b->isEnabled() ? "on" : "off");
    };
    const QRect g = p->geometry();
    return QString("%1,%2 %3x%4 %5 | %6 | %7 %8 %9 | %10 | %11")
        .arg(g.x())
        .arg(g.y())
        .arg(g.width())
        .arg(g.height())
        .arg(p->lblZ0->text(), shown.join(' '), p->rgpKj->title(), p->rgpKj->items().join('/'))
        .arg(p->rgpKj->itemIndex())
        .arg(button(p->spbKs), button(p->spbQz));
}

void expectLog(FakePlatform& platform, const std::vector<LoggedMessage>& expected) {
    const auto& log = platform.dlg().log;
    ASSERT_EQ(log.size(), expected.size()) << lastText(platform).toStdString();
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].title, expected[i].title) << i;
        EXPECT_EQ(log[i].text, expected[i].text) << i;
        EXPECT_EQ(log[i].icon, expected[i].icon) << i;
        EXPECT_EQ(log[i].buttons, expected[i].buttons) << i;
    }
}

const LoggedMessage kAskCreate{
    "设置快捷方式", "如果确定按刚才的选择设置本软件启动快捷方式，\n\n       请按“是”；否则按“否”。",
    MsgIcon::Information, MsgButtons::YesNo};
const LoggedMessage kAskRemove{"确认取消", "如果确定取消本软件启动快捷方式，\n\n请按“是”；否则按“否”。",
                               MsgIcon::Information, MsgButtons::YesNo};
const LoggedMessage kRemoved{"操作提示", "已删除本软件启动快捷方式！", MsgIcon::None, MsgButtons::Ok};
LoggedMessage created(const char* word) {
    return {"操作提示", QString("已在[%1]建立[启动Kovu]快捷方式！").arg(word), MsgIcon::None, MsgButtons::Ok};
}

}  // namespace

TEST(StartShortcuts, PanelCreatesALauncherInTheChosenPlaceAndRemovalClearsEveryPlace) {
    ShortcutScreen s;
    const XdgHome& x = *s.xdg;
    auto& log = s.platform.dlg();
    // The real platform finds the XDG folders of this user.
    Shortcuts& sc = s.platform.shortcuts();
    EXPECT_EQ(QStringList({sc.folder("desktop"), sc.folder("startmenu"), sc.folder("quicklaunch")}),
              QStringList({x.desktop, x.applications, x.quickLaunch}));

    s.openPage();
    EXPECT_EQ(s.spbKj->text(), "建快捷方式(&J)");
    // The panel in shortcut mode, no place chosen, "确 定" disabled until one is.
    s.click(s.spbKj);
    ConfirmPanel* p = s.panZc;
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(describe(p),
              "142,128 356x170 建立本软件启动快捷方式 | lblZ1 Image2 lblZ0 butZc rgpKj spbKs spbQz | "
              "请选择设置快捷方式的位置 在桌面/在快捷条/在开始菜单 -1 | 确 定(&K) 49,126 off | 取 消(&X) "
              "226,126 on");
    // Cancel, "X" and No leave everything as it was.
    s.click(p->spbQz);
    EXPECT_FALSE(p->isVisible());
    s.click(s.spbKj);
    s.click(p->butZc);
    EXPECT_FALSE(p->isVisible());
    s.click(s.spbKj);
    s.choosePlace(0);
    EXPECT_TRUE(p->spbKs->isEnabled());
    log.answer(MsgResult::No);
    s.click(p->spbKs);
    expectLog(s.platform, {kAskCreate});
    EXPECT_FALSE(p->isVisible());
    EXPECT_FALSE(QFile::exists(x.link(x.desktop)));
    EXPECT_EQ(s.spbKj->text(), "建快捷方式(&J)");

    // On the desktop: the launcher starts the program in its folder with the program's icon.
    log.clear();
    s.create(0);
    expectLog(s.platform, {kAskCreate, created("桌面")});
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(s.spbKj->text(), "撤快捷方式(&J)");
    const QString link = x.link(x.desktop);
    ASSERT_TRUE(QFile::exists(link));
    EXPECT_TRUE(QFileInfo(link).permissions() & QFileDevice::ExeOwner);
    const QMap<QString, QString> entry = desktopEntry(link);
    const QString exe = s.form->state().ExeFolder;
    EXPECT_EQ(
        QStringList({entry.value("Type"), entry.value("Name"), entry.value("Exec"), entry.value("Path"),
                     entry.value("Icon")}),
        QStringList({"Application", "启动Kovu", "\"" + exe + "kovu\"", exe.chopped(1), exe + "kovu.png"}));
    EXPECT_EQ(QImage(exe + "kovu.png").size(), QImage(":/form/kovu.png").size());

    // Removal asks first: No changes nothing, Yes deletes.
    log.clear();
    log.answer(MsgResult::No);
    s.click(s.spbKj);
    EXPECT_TRUE(QFile::exists(link));
    EXPECT_EQ(s.spbKj->text(), "撤快捷方式(&J)");
    log.answer(MsgResult::Yes);
    s.click(s.spbKj);
    expectLog(s.platform, {kAskRemove, kAskRemove, kRemoved});
    EXPECT_FALSE(QFile::exists(link));
    EXPECT_EQ(s.spbKj->text(), "建快捷方式(&J)");

    // "在快捷条" writes into the quick-launch folder (made when missing) and names "快捷栏"; a
    // shortcut only there opens the page with "撤快捷方式(&J)".
    log.clear();
    s.create(1);
    expectLog(s.platform, {kAskCreate, created("快捷栏")});
    EXPECT_TRUE(QFile::exists(x.link(x.quickLaunch)));
    s.closePage();
    s.spbKj->setText("建快捷方式(&J)");
    s.openPage();
    EXPECT_EQ(s.spbKj->text(), "撤快捷方式(&J)");
    // A second one made outside the program is noticed too; one removal deletes both.
    QDir().mkpath(x.applications);
    ASSERT_TRUE(QFile::copy(x.link(x.quickLaunch), x.link(x.applications)));
    s.closePage();
    s.openPage();
    EXPECT_EQ(s.spbKj->text(), "撤快捷方式(&J)");
    log.clear();
    log.answer(MsgResult::Yes);
    s.click(s.spbKj);
    expectLog(s.platform, {kAskRemove, kRemoved});
    EXPECT_FALSE(QFile::exists(x.link(x.quickLaunch)));
    EXPECT_FALSE(QFile::exists(x.link(x.applications)));
    EXPECT_EQ(s.spbKj->text(), "建快捷方式(&J)");
    // The start menu, created through the panel, is found again when the page opens.
    log.clear();
    s.create(2);
    expectLog(s.platform, {kAskCreate, created("开始菜单")});
    EXPECT_TRUE(QFile::exists(x.link(x.applications)));
    s.closePage();
    s.openPage();
    EXPECT_EQ(s.spbKj->text(), "撤快捷方式(&J)");
}

TEST(StartShortcuts, TheLauncherReallyStartsTheProgramFromItsFolder) {
    const QString gio = QStandardPaths::findExecutable("gio");
    if (gio.isEmpty()) GTEST_SKIP() << "gio (libglib2.0-bin) is not installed to start launchers";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Folder names with what a launcher must quote or escape: blanks, a dollar sign and Chinese;
    // both quotes and a backslash; a percent sign, which is also a field code.
    for (const QString name :
         {QString("Kovu 程序$HOME"), QString("it's \"Kovu\" a\\b"), QString("满分 100% %f")}) {
        SCOPED_TRACE(name.toStdString());
        TestFolder outer;
        const QString programFolder = outer.file(name);
        ASSERT_TRUE(QDir().mkpath(programFolder));
        ASSERT_TRUE(QFile::copy(KOVU_PROGRAM, programFolder + "/kovu"));
        QFile(programFolder + "/kovu")
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ShortcutScreen s(true, programFolder);
        s.openPage();
        s.create(2);
        const QString link = s.xdg->link(s.xdg->applications);
        ASSERT_TRUE(QFile::exists(link)) << s.lastText().toStdString();

        ASSERT_EQ(QProcess::execute(gio, {"launch", link}), 0);
        // Find the started program by its file, then check its folder and that it opened its database.
        const QString program = QFileInfo(programFolder + "/kovu").canonicalFilePath();
        qint64 pid = 0;
        bool openedDb = false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000 && !openedDb) {
            QTest::qWait(100);
            for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
                bool isPid = false;
                const qint64 id = entry.toLongLong(&isPid);
                if (!isPid || QFileInfo("/proc/" + entry + "/exe").symLinkTarget() != program) continue;
                pid = id;
                for (const QFileInfo& fd :
                     QDir("/proc/" + entry + "/fd")
                         .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
                    if (fd.symLinkTarget() == QFileInfo(programFolder + "/kovu.mdb").canonicalFilePath())
                        openedDb = true;
            }
        }
        ASSERT_NE(pid, 0) << "the launcher did not start " << program.toStdString();
        EXPECT_EQ(QFileInfo(QString("/proc/%1/cwd").arg(pid)).symLinkTarget(),
                  QFileInfo(programFolder).canonicalFilePath());
        EXPECT_TRUE(openedDb);
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
}

TEST(StartShortcuts, ALauncherThatCannotBeWrittenOrRemovedIsReportedNamingThePlace) {
    ShortcutScreen s(/*makeDesktop*/ false);
    const XdgHome& x = *s.xdg;
    s.openPage();
    // A desktop folder that does not exist is reported, and not made.
    s.create(0);
    EXPECT_TRUE(s.lastText().startsWith("在[桌面]建立[启动Kovu]快捷方式没有成功！请检查原因！\n\n"));
    EXPECT_TRUE(s.lastText().contains(x.desktop));
    EXPECT_EQ(s.platform.dlg().log.back().title, "操作提示");
    EXPECT_EQ(s.platform.dlg().log.back().icon, MsgIcon::Information);
    EXPECT_FALSE(QFileInfo::exists(x.desktop));
    EXPECT_EQ(s.spbKj->text(), "建快捷方式(&J)");

    // A desktop folder that takes no new file.
    ASSERT_TRUE(QDir().mkpath(x.desktop));
    {
        Immutable lock(x.desktop);
        if (!lock.ok) GTEST_SKIP() << "chattr +i is refused here";
        s.create(0);
        EXPECT_TRUE(s.lastText().startsWith("在[桌面]建立[启动Kovu]快捷方式没有成功！请检查原因！\n\n"))
            << s.lastText().toStdString();
        EXPECT_EQ(QDir(x.desktop).entryList(QDir::Files | QDir::Hidden), QStringList());
        EXPECT_EQ(s.spbKj->text(), "建快捷方式(&J)");
    }

    // Removal: the desktop one goes, the start-menu one cannot; the failure names the start menu
    // and the button still offers the removal.
    s.create(2);
    ASSERT_TRUE(QFile::exists(x.link(x.applications)));
    ASSERT_TRUE(QFile::copy(x.link(x.applications), x.link(x.desktop)));
    {
        Immutable lock(x.applications);
        ASSERT_TRUE(lock.ok);
        s.platform.dlg().answer(MsgResult::Yes);
        s.click(s.spbKj);
        EXPECT_FALSE(QFile::exists(x.link(x.desktop)));
        EXPECT_TRUE(QFile::exists(x.link(x.applications)));
        EXPECT_TRUE(s.lastText().startsWith("删除[开始菜单]的[启动Kovu]快捷方式没有成功！请检查原因！\n\n" +
                                            x.link(x.applications)))
            << s.lastText().toStdString();
        EXPECT_EQ(s.spbKj->text(), "撤快捷方式(&J)");
    }
    s.platform.dlg().answer(MsgResult::Yes);
    s.click(s.spbKj);
    EXPECT_FALSE(QFile::exists(x.link(x.applications)));
    EXPECT_EQ(s.lastText(), "已删除本软件启动快捷方式！");
    EXPECT_EQ(s.spbKj->text(), "建快捷方式(&J)");
}

TEST(StartShortcuts, LauncherTextQuotesWhatTheDesktopWouldOtherwiseInterpret) {
    const QString t =
        desktopEntryText("启动Kovu", "/opt/a b/$x`y\"z\\w%k/kovu", "/opt/a b", "/opt/a b/kovu.png");
    EXPECT_TRUE(t.startsWith("[Desktop Entry]\nType=Application\n"));
    // Inside the quotes $ ` " \ are escaped, % is doubled; the string rule then doubles each \. A
    // program path with % is the shell's argument, since GLib looks for the program itself before
    // it turns %% into %.
    EXPECT_TRUE(t.contains(
        "\nExec=/bin/sh -c \"exec \\\\\"\\\\$0\\\\\"\" \"/opt/a b/\\\\$x\\\\`y\\\\\"z\\\\\\\\w%%k/kovu\"\n"))
        << t.toStdString();
    EXPECT_TRUE(desktopEntryText("n", "/opt/a b/$x/kovu", "/opt/a b/$x", "")
                    .contains("\nExec=\"/opt/a b/\\\\$x/kovu\"\n"));
    EXPECT_TRUE(t.contains("\nPath=/opt/a b\n"));
    EXPECT_TRUE(t.contains("\nIcon=/opt/a b/kovu.png\n"));
    EXPECT_TRUE(t.contains("\nName=启动Kovu\n"));
    EXPECT_FALSE(desktopEntryText("n", "/p/kovu", "/p", "").contains("Icon="));
}
