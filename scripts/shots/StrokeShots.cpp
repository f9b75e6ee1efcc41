// Pictures of the stroke order for the README: the real form on a copy of the delivered database
// with the stroke data file beside it, the strokes drawn by the button and traced with the mouse.
//   kovu_stroke_shots <kovu.mdb> <output folder>   (kovu-strokes.dat beside kovu.mdb)
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "ShotsCommon.h"
#include "app/TfrmKovu.h"
#include "platform/Platform.h"
#include "practice/ConditionsPanel.h"
#include "practice/PracticePanel.h"
#include "practice/StrokeOrder.h"
#include "strokes/StrokeJudge.h"
#include "strokes/StrokeView.h"

namespace {

using namespace kovu;
using shots::choose;
using shots::save;
using shots::settle;
using shots::ShotPlatform;

// A drag with the mouse along a line of the box.
void drag(strokes::StrokeView* v, const QList<QPointF>& line) {
    const auto at = [v, &line](double f) { return v->toWidget(strokes::pointAlong(line, f)).toPoint(); };
    QTest::mousePress(v, Qt::LeftButton, {}, at(0));
    for (int i = 1; i <= 30; ++i) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at(i / 30.0)), v->mapToGlobal(QPointF(at(i / 30.0))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(v, &move);
    }
    QTest::mouseRelease(v, Qt::LeftButton, {}, at(1));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString out =
        shots::prepare(argc, argv, "kovu_stroke_shots", dir,
                       "UPDATE yesz SET 标注声调 = 0, 自动适应屏幕 = 0, 课本号 = 1, 课题号 = 1");
    if (out.isEmpty()) return 1;
    if (!QFile::exists(dir.filePath("kovu-strokes.dat"))) {
        std::fprintf(stderr, "kovu_stroke_shots: no kovu-strokes.dat beside the database\n");
        return 1;
    }
    ShotPlatform platform;
    TfrmKovu form(platform, dir.path());
    form.show();
    settle();
    ConditionsPanel* panTj = form.panTj;
    PracticePanel* pan1 = form.pan1;
    StrokeOrder& order = pan1->strokeOrder();
    bool ok = true;

    // A test question with its strokes half drawn, before the answer.
    QTest::mouseClick(form.imgPy, Qt::LeftButton);
    choose(panTj->rgpNr, 1);
    // The first question of several strokes.
    for (int draw = 0;; ++draw) {
        platform.draws = {draw};
        QTest::mouseClick(panTj->bitQd, Qt::LeftButton);
        QTest::mouseClick(order.imgBs, Qt::LeftButton);
        if (order.strokeView->character().size() >= 6 || draw > 50) break;
        QTest::mouseClick(pan1->butFh, Qt::LeftButton);
    }
    // Halfway through the middle stroke.
    const int half = int(order.strokeView->character().size()) / 2;
    order.strokeView->holdAnimationAt(half * strokes::StrokeView::kStrokeMillis +
                                      strokes::StrokeView::kStrokeMillis / 2);
    ok &= shots::save(&form, out + "/strokes-order-800.png");
    QTest::mouseClick(pan1->butFh, Qt::LeftButton);

    // A review with 描红 and 朗读 (the speaker above the stroke button): two strokes traced, three
    // misses on the third and its hint showing.
    QTest::mouseClick(form.imgPy, Qt::LeftButton);
    panTj->chkLd->setChecked(true);
    if (!panTj->chkMh->isChecked())
        QTest::mouseClick(panTj->chkMh, Qt::LeftButton, {}, QPoint(8, panTj->chkMh->height() / 2));
    choose(panTj->rgpNr, 0);
    QTest::mouseClick(panTj->bitQd, Qt::LeftButton);
    strokes::StrokeView* v = order.strokeView;
    while (v->character().size() < 4) QTest::keyClick(pan1->butKs, Qt::Key_Return);
    drag(v, v->character().at(0).median);
    drag(v, v->character().at(1).median);
    for (int i = 0; i < 3; ++i) drag(v, {{980, 60}, {980, 200 + 60.0 * i}});
    // The hint two thirds along its stroke, the last miss gone.
    QTest::qWait(strokes::StrokeView::kMissMillis + 100);
    ok &= save(&form, out + "/strokes-tracing-800.png");
    std::printf("traced %d of %d strokes, hint %s\n", v->strokesTraced(), int(v->character().size()),
                v->hintShowing() ? "showing" : "not showing");
    ok &= v->strokesTraced() == 2 && v->hintShowing();
    return ok ? 0 : 1;
}
