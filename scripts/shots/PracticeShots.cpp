// Pictures of the practice screens for the README: the real form on a copy of the delivered
// database, driven by clicks and typed answers with fixed draws, each state grabbed as a PNG.
//   kovu_practice_shots <kovu.mdb> <output folder>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <deque>

#include "ShotsCommon.h"
#include "app/TfrmKovu.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "platform/Fonts.h"
#include "platform/Platform.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ConditionsPanel.h"
#include "practice/EnglishExercise.h"
#include "practice/PinyinExercise.h"
#include "practice/PracticePanel.h"

namespace {

using namespace kovu;
using shots::choose;
using shots::save;
using shots::settle;
using shots::ShotPlatform;

void type(QWidget* w, const QString& text) {
    for (const QChar c : text) QTest::keyClick(w, c.toLatin1());
    QTest::keyClick(w, Qt::Key_Return);
}

void start(ConditionsPanel* panTj) { QTest::mouseClick(panTj->bitQd, Qt::LeftButton); }

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString out = shots::prepare(
        argc, argv, "kovu_practice_shots", dir,
        "UPDATE yesz SET 算术类型 = 0, 最大数字 = 9, 图例图片 = 0, 不显示例图 = 0, 自动适应屏幕 = 0, "
        "标注声调 = 1, 声调去分 = '15', 课本号 = 1, 课题号 = 1, 英课本 = 1, 英课题 = 1");
    if (out.isEmpty()) return 1;

    ShotPlatform platform;
    TfrmKovu form(platform, dir.path());
    form.show();
    settle();
    ConditionsPanel* panTj = form.panTj;
    ArithmeticChoices* panSs = panTj->panSs;
    PracticePanel* pan1 = form.pan1;
    bool ok = true;

    // The conditions panel, set for a test of one-digit sums.
    QTest::mouseClick(form.imgSs, Qt::LeftButton);
    choose(panTj->rgpNr, 1);
    ok &= save(&form, out + "/arith-conditions.png");

    // A sum with counting pictures at 800 x 600, answered right.
    platform.draws = {3, 4};
    QTest::mouseClick(panTj->bitQd, Qt::LeftButton);
    ok &= save(&form, out + "/arith-counting-800.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);

    // The same sum on the whole width of a 1024-pixel screen.
    QTest::mouseClick(panTj->chkPm, Qt::LeftButton);
    platform.draws = {3, 4};
    QTest::mouseClick(panTj->bitQd, Qt::LeftButton);
    ok &= save(&form, out + "/arith-counting-1024.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);
    QTest::mouseClick(panTj->chkPm, Qt::LeftButton);

    // A two-digit sum answered wrong: the right result, its carry mark and the cross.
    choose(panSs->rgp1, 2);
    platform.draws = {2, 1, 7, 5};
    QTest::mouseClick(panTj->bitQd, Qt::LeftButton);
    type(pan1->edtJg, "32");
    ok &= save(&form, out + "/arith-carry-wrong-800.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);

    // A review line of the multiplication table with its rhyme.
    choose(panSs->rgp1, 6);
    choose(panTj->rgpNr, 0);
    QTest::mouseClick(panTj->bitQd, Qt::LeftButton);
    for (int i = 0; i < 36; ++i) QTest::keyClick(pan1->butKs, Qt::Key_Return);
    ok &= save(&form, out + "/arith-multiplication-review-800.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);
    QTest::mouseClick(form.imgSs, Qt::LeftButton);

    // Pinyin: a test in its tone step, then a wrong pinyin, at 800 x 600.
    QTest::mouseClick(form.imgPy, Qt::LeftButton);
    choose(panTj->rgpNr, 1);
    platform.draws = {2};
    start(panTj);
    Query& rows = pan1->pinyinExercise().rows();
    type(pan1->edtJg, rows.text(2));
    ok &= save(&form, out + "/pinyin-tone-800.png");
    QTest::keyClick(pan1->edtYd, '1');
    QTest::keyClick(pan1->edtYd, Qt::Key_Return);
    platform.draws = {5};
    QTest::keyClick(pan1->edtYd, Qt::Key_Return);
    type(pan1->edtJg, "ma");
    ok &= save(&form, out + "/pinyin-wrong-800.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);
    // A review at the width of a 1024-pixel screen.
    QTest::mouseClick(panTj->chkPm, Qt::LeftButton);
    choose(panTj->rgpNr, 0);
    start(panTj);
    QTest::keyClick(pan1->butKs, Qt::Key_Return);
    ok &= save(&form, out + "/pinyin-review-1024.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);
    // The same with 朗读: the speaker in the question's corner (faded on a machine without sound).
    panTj->chkLd->setChecked(true);
    start(panTj);
    QTest::keyClick(pan1->butKs, Qt::Key_Return);
    ok &= save(&form, out + "/pinyin-speaker-1024.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);
    panTj->chkLd->setChecked(false);
    QTest::mouseClick(panTj->chkPm, Qt::LeftButton);
    QTest::mouseClick(form.imgPy, Qt::LeftButton);

    // English: a test with the word's picture at 800 x 600, a wrong answer at 1024 x 768.
    QTest::mouseClick(form.imgYy, Qt::LeftButton);
    choose(panTj->rgpNr, 1);
    platform.draws = {1};
    start(panTj);
    ok &= save(&form, out + "/english-picture-800.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);
    QTest::mouseClick(panTj->chkPm, Qt::LeftButton);
    platform.draws = {3};
    start(panTj);
    type(pan1->edtJg, "dog");
    ok &= save(&form, out + "/english-wrong-1024.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);
    QTest::mouseClick(panTj->chkPm, Qt::LeftButton);
    return ok ? 0 : 1;
}
