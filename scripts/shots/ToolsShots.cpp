// Pictures of the help panel and of the start-shortcut panel for the README: the real form on a
// copy of the delivered database, driven by clicks, each state grabbed as a PNG.
//   kovu_tools_shots <kovu.mdb> <output folder>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "ShotsCommon.h"
#include "app/TfrmKovu.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PicturePage.h"
#include "platform/Platform.h"
#include "tools/HelpPanel.h"

using namespace kovu;
using shots::save;
using shots::settle;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    // The launchers of this run go to a home of its own, never to the user's desktop.
    qputenv("HOME", QFile::encodeName(dir.filePath("home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("home/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("home/.local/share")));
    const QString out =
        shots::prepare(argc, argv, "kovu_tools_shots", dir, "UPDATE yesz SET 自动适应屏幕 = 0");
    if (out.isEmpty()) return 1;

    Platform platform;
    TfrmKovu form(platform, dir.path());
    form.show();
    settle();
    bool ok = true;

    // The manual at chapter 3.1, its label lit under the mouse.
    QTest::mouseClick(form.imgBz, Qt::LeftButton);
    HelpPanel* bz = form.panBz;
    QLabel* l31 = bz->findChild<QLabel*>("lbl31");
    QTest::mouseClick(l31, Qt::LeftButton);
    QTest::mouseMove(l31, QPoint(20, 8));
    ok &= save(&form, out + "/help-chapter.png");
    QTest::mouseClick(form.imgBz, Qt::LeftButton);

    // The picture page with the shortcut panel, the desktop chosen.
    QTest::mouseClick(form.imgSz, Qt::LeftButton);
    QTest::mouseClick(form.tasTp->spbKj, Qt::LeftButton);
    QRadioButton* desktop = form.panZc->rgpKj->button(0);
    QTest::mouseClick(desktop, Qt::LeftButton, {}, QPoint(8, desktop->height() / 2));
    ok &= save(&form, out + "/shortcut-panel.png");
    return ok ? 0 : 1;
}
