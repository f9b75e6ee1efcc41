// Pictures of the item-selection screens and of the editor for the README: the real form on a
// copy of the delivered database, driven by clicks, each state grabbed as a PNG.
//   kovu_selection_shots <kovu.mdb> <output folder>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "ShotsCommon.h"
#include "app/TfrmKovu.h"
#include "data/Connection.h"
#include "editor/EditorPage.h"
#include "platform/Fonts.h"
#include "platform/Platform.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemSelection.h"

namespace {

using namespace kovu;
using shots::choose;
using shots::clickEntry;
using shots::clickGridRow;
using shots::clickScope;
using shots::save;
using shots::settle;

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString out = shots::prepare(
        argc, argv, "kovu_selection_shots", dir,
        "UPDATE yesz SET 课本号 = 1, 课题号 = 2, 英课本 = 1, 英课题 = 1, 标注声调 = 1, 声调去分 = '20'");
    if (out.isEmpty()) return 1;

    Platform platform;
    TfrmKovu form(platform, dir.path());
    form.show();
    settle();
    ItemSelection* py = form.panTj->panPy;
    EditorPage* lr = form.tasLr;
    bool ok = true;

    // Pinyin: the delivered choice dropped, lesson 102 wholly chosen, then two characters of
    // lesson 101 picked as well.
    QTest::mouseClick(form.imgPy, Qt::LeftButton);
    QTest::mouseClick(py->spbXc, Qt::LeftButton);
    QTest::mouseClick(py->spbXq, Qt::LeftButton);
    choose(py->cboK1, 0);
    clickEntry(py->lstKt, 1);
    clickEntry(py->lstKt, 3);
    ok &= save(&form, out + "/select-pinyin.png");
    QTest::mouseClick(py->spbXc, Qt::LeftButton);
    QTest::mouseClick(form.imgPy, Qt::LeftButton);

    // English: four colours picked.
    QTest::mouseClick(form.imgYy, Qt::LeftButton);
    QTest::mouseClick(py->spbXc, Qt::LeftButton);
    for (int i : {0, 2, 3, 6}) clickEntry(py->lstKt, i);
    ok &= save(&form, out + "/select-english.png");
    QTest::mouseClick(py->spbXc, Qt::LeftButton);
    QTest::mouseClick(form.imgYy, Qt::LeftButton);

    // The editor: a textbook, its lessons, a lesson's characters, and an English word with its picture.
    QTest::mouseClick(form.imgSz, Qt::LeftButton);
    form.pagSz->setCurrentWidget(lr);
    choose(lr->cboKt, 0);
    ok &= save(&form, out + "/editor-textbooks.png");
    clickScope(lr, 1);
    clickEntry(lr->lstK1, 1);
    ok &= save(&form, out + "/editor-lessons.png");
    clickScope(lr, 2);
    clickGridRow(lr, 0);
    ok &= save(&form, out + "/editor-characters.png");
    QTest::mouseClick(lr->tabFl, Qt::LeftButton, {}, lr->tabFl->tabRect(1).center());
    choose(lr->cboKt, 0);
    clickScope(lr, 1);
    clickEntry(lr->lstK1, 0);
    clickScope(lr, 2);
    clickGridRow(lr, 1);
    ok &= save(&form, out + "/editor-words.png");
    return ok ? 0 : 1;
}
