// The stroke order and tracing of the pinyin practice, driven with the mouse, a finger and keys.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QPointingDevice>
#include <QTemporaryDir>

#include "LessonRows.h"
#include "PracticeFixture.h"
#include "data/Preferences.h"
#include "practice/StrokeOrder.h"
#include "speech/Speech.h"
#include "strokes/StrokeJudge.h"
#include "strokes/StrokeView.h"

using namespace kovu;
using namespace kovu::strokes;
using namespace kovu::test;

namespace {

// A pinyin lesson of 十, 大 and 龘 (a character the stroke data does not hold), chosen.
struct StrokeScreen : PracticeScreen {
    enum class Data { Built, Missing, Damaged };
    explicit StrokeScreen(Data data = Data::Built) {
        {
            auto c = openDb(folder.db());
            writeSampleLessons(*c);
            addCharacter(*c, "101", "十", "shi", "2", true);
            addCharacter(*c, "101", "龘", "da", "2", true);
            c->exec("UPDATE yepy SET 选中 = 1 WHERE 文字 = '大'");
            c->exec("UPDATE yesz SET 课本号 = 1, 课题号 = 1, 标注声调 = 0");
        }
        if (data == Data::Built) folder.copyStrokeFile();
        if (data == Data::Damaged) {
            QFile f(folder.file("kovu-strokes.dat"));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(fileBytes(KOVU_STROKE_FILE).left(3000));
        }
        view = pan1->strokeOrder().strokeView;
        imgBs = pan1->strokeOrder().imgBs;
    }
    void openPinyin() { QTest::mouseClick(form->imgPy, Qt::LeftButton); }
    // Ticks or unticks a check box on its box.
    void tick(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }
    // Drags along the line (box units) over the stroke view with the mouse.
    void drag(const QList<QPointF>& line) {
        const auto at = [this](QPointF p) { return view->toWidget(p).toPoint(); };
        QTest::mousePress(view, Qt::LeftButton, {}, at(line.front()));
        for (const QPointF& p : densified(line)) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at(p)), view->mapToGlobal(QPointF(at(p))),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view, &move);
        }
        QTest::mouseRelease(view, Qt::LeftButton, {}, at(line.back()));
    }
    // The same with a finger on a touch screen.
    void touch(const QList<QPointF>& line) {
        static QPointingDevice* screen = QTest::createTouchDevice();
        const auto at = [this](QPointF p) { return view->toWidget(p).toPoint(); };
        QTest::touchEvent(view, screen).press(0, at(line.front()), view);
        for (const QPointF& p : densified(line)) QTest::touchEvent(view, screen).move(0, at(p), view);
        QTest::touchEvent(view, screen).release(0, at(line.back()), view);
    }
    static QList<QPointF> densified(const QList<QPointF>& line) {
        QList<QPointF> out;
        for (int i = 0; i <= 30; ++i) out << pointAlong(line, i / 30.0);
        return out;
    }
    QRgb pixel(const QImage& shot, QPointF box) const { return shot.pixel(view->toWidget(box).toPoint()); }

    StrokeView* view = nullptr;
    TImage* imgBs = nullptr;
};

const QRgb kInk = QColor(0, 0, 128).rgb();
// Paper, or the light red lines of its grid: nothing of the character's ink.
bool blank(QRgb px) { return qRed(px) >= 220 && qGreen(px) >= 180; }

}  // namespace

TEST(StrokeOrder, TracingTenStrokeByStrokeWithMissesAndTheHint) {
    // What is said goes to a folder of the test's own, and no sound server is reached.
    QTemporaryDir spoken;
    qputenv(kSpeechDirVariable, QFile::encodeName(spoken.path()));
    qputenv("PULSE_SERVER", "unix:/nonexistent/kovu-test-no-sound");
    struct Unset {
        ~Unset() { qunsetenv(kSpeechDirVariable); }
    } unset;
    const auto said = [&spoken] {
        QFile f(spoken.filePath("utterances.txt"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)
                                           : QStringList();
    };
    StrokeScreen s;
    PracticePanel* p = s.pan1;
    // The stroke data is opened when the pinyin conditions first show, not at start-up.
    EXPECT_FALSE(p->strokeOrder().library().opened());
    s.openPinyin();
    EXPECT_TRUE(p->strokeOrder().library().opened());
    ConditionsPanel* c = s.panTj;
    ASSERT_TRUE(c->chkMh->isVisible());
    EXPECT_EQ(c->chkMh->text(), "描红");
    EXPECT_FALSE(c->chkMh->isChecked());
    EXPECT_TRUE(c->chkMh->isEnabled());
    // In the strip beside 排序, covering none of the pinyin conditions' controls.
    for (QWidget* w : c->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == c->chkMh || !w->isVisible() || w->x() > 136) continue;
        EXPECT_FALSE(w->geometry().intersects(c->chkMh->geometry())) << w->objectName().toStdString();
    }
    EXPECT_TRUE(c->chkPx->isVisible());
    EXPECT_GE(c->chkMh->width(), c->chkMh->sizeHint().width());
    EXPECT_GE(c->chkPx->width(), c->chkPx->sizeHint().width());
    s.tick(c->chkMh);
    EXPECT_EQ(preference(*openDb(s.folder.db()), kTracingSetting), "1");
    s.tick(c->chkLd);
    s.review();
    s.start();

    // The first item, 大, to trace: its outline in light grey, nothing drawn yet.
    ASSERT_EQ(p->lblSs->text(), "大");
    ASSERT_TRUE(s.view->isVisible());
    EXPECT_EQ(s.view->geometry(), p->imgTx->geometry());
    EXPECT_EQ(s.view->mode(), StrokeView::Mode::Tracing);
    const Character da = s.view->character();
    ASSERT_EQ(da.size(), 3);
    QImage shot = s.view->grab().toImage();
    EXPECT_EQ(s.pixel(shot, pointAlong(da[0].median, 0.5)), StrokeView::kOutlineColour.rgb());
    EXPECT_TRUE(s.imgBs->isEnabled());
    pressEnter(p->butKs);

    // 十: a wrong drag (the vertical first) is refused, shown red for a moment and removed.
    ASSERT_EQ(p->lblSs->text(), "十");
    const Character shi = s.view->character();
    ASSERT_EQ(shi.size(), 2);
    EXPECT_EQ(s.view->strokesTraced(), 0);
    s.drag(shi[1].median);
    EXPECT_EQ(s.view->strokesTraced(), 0);
    EXPECT_EQ(s.view->missesOnStroke(), 1);
    shot = s.view->grab().toImage();
    EXPECT_EQ(s.pixel(shot, pointAlong(shi[1].median, 0.2)), StrokeView::kMissColour.rgb());
    QTRY_VERIFY_WITH_TIMEOUT(!s.view->missShowing(), 2000);
    shot = s.view->grab().toImage();
    EXPECT_NE(s.pixel(shot, pointAlong(shi[1].median, 0.2)), StrokeView::kMissColour.rgb());
    // Backwards is a miss too; the third miss shows the hint along the first stroke's median.
    QList<QPointF> backwards(shi[0].median.rbegin(), shi[0].median.rend());
    s.drag(backwards);
    EXPECT_FALSE(s.view->hintShowing());
    s.drag({{950, 80}, {950, 300}});
    EXPECT_EQ(s.view->strokesTraced(), 0);
    EXPECT_EQ(s.view->missesOnStroke(), 3);
    EXPECT_TRUE(s.view->hintShowing());
    QTRY_VERIFY_WITH_TIMEOUT(!s.view->missShowing(), 2000);
    QTest::qWait(StrokeView::kHintMillis / 2);
    shot = s.view->grab().toImage();
    EXPECT_EQ(s.pixel(shot, pointAlong(shi[0].median, 0.1)), StrokeView::kHintColour.rgb());
    EXPECT_EQ(p->lblJg->text(), "拼音复习");

    // The first stroke along its median with the mouse: filled in, the hint gone.
    s.drag(shi[0].median);
    EXPECT_EQ(s.view->strokesTraced(), 1);
    EXPECT_FALSE(s.view->hintShowing());
    shot = s.view->grab().toImage();
    EXPECT_EQ(s.pixel(shot, pointAlong(shi[0].median, 0.5)), kInk);
    EXPECT_EQ(s.pixel(shot, pointAlong(shi[1].median, 0.8)), StrokeView::kOutlineColour.rgb());
    // The second with a finger: the character is whole, with its praise, and the answer button
    // goes on.
    s.touch(shi[1].median);
    EXPECT_EQ(s.view->strokesTraced(), 2);
    EXPECT_EQ(s.view->mode(), StrokeView::Mode::Traced);
    EXPECT_EQ(p->lblJg->text(), "真棒");
    // Said aloud after the reading of 十.
    QTRY_VERIFY_WITH_TIMEOUT(!said().isEmpty() && said().last().endsWith("\t真棒"), 10000);
    EXPECT_TRUE(said().at(said().size() - 2).endsWith("\tshi2")) << said().join('|').toStdString();
    EXPECT_EQ(p->lblT0->text(), "请按回车或确定显示下题");
    EXPECT_TRUE(p->butKs->hasFocus());
    shot = s.view->grab().toImage();
    EXPECT_EQ(s.pixel(shot, pointAlong(shi[1].median, 0.8)), kInk);
    // A drag after the end changes nothing.
    s.drag(shi[0].median);
    EXPECT_EQ(s.view->strokesTraced(), 2);

    // 龘 is not in the data: the button greyed, nothing to trace, the review as it was.
    pressEnter(p->butKs);
    ASSERT_EQ(p->lblSs->text(), "龘");
    EXPECT_EQ(p->lblJg->text(), "拼音复习");
    EXPECT_FALSE(s.imgBs->isEnabled());
    EXPECT_FALSE(s.view->isVisible());
    QTest::keyClick(p->butKs, Qt::Key_F3);
    EXPECT_FALSE(s.view->isVisible());
    EXPECT_TRUE(s.platform.dlg().log.empty());
    // No score row comes of tracing.
    EXPECT_TRUE(s.rows("pycj").isEmpty());

    // The setting comes back with the conditions screen; unticked, a review traces nothing.
    s.click(p->butFh);
    s.openPinyin();
    EXPECT_TRUE(c->chkMh->isChecked());
    // A write that fails: its message, the box as stored.
    openDb(s.folder.db())
        ->exec("CREATE TRIGGER refuse BEFORE INSERT ON yepz BEGIN SELECT RAISE(ABORT, 'injected'); END");
    s.tick(c->chkMh);
    ASSERT_EQ(s.platform.dlg().log.size(), 1u);
    EXPECT_TRUE(s.platform.dlg().log.front().text.contains("injected"));
    EXPECT_TRUE(c->chkMh->isChecked());
    EXPECT_EQ(preference(*openDb(s.folder.db()), kTracingSetting), "1");
    openDb(s.folder.db())->exec("DROP TRIGGER refuse");
    s.tick(c->chkMh);
    EXPECT_FALSE(c->chkMh->isChecked());
    EXPECT_EQ(preference(*openDb(s.folder.db()), kTracingSetting), "0");
    s.start();
    EXPECT_EQ(p->lblSs->text(), "大");
    EXPECT_FALSE(s.view->isVisible());
}

TEST(StrokeOrder, TheButtonAndF3DrawTheStrokesFrameByFrame) {
    StrokeScreen s;
    PracticePanel* p = s.pan1;
    s.openPinyin();
    s.test();
    s.start({1});  // 十
    ASSERT_EQ(p->lblSs->text(), "十");
    ASSERT_TRUE(s.imgBs->isVisible());
    EXPECT_EQ(s.imgBs->accessibleName(), "笔顺");
    ASSERT_TRUE(s.imgBs->isEnabled());
    EXPECT_FALSE(s.view->isVisible());
    // Before the answer: a click on the button draws the strokes over the picture area.
    QTest::mouseClick(s.imgBs, Qt::LeftButton);
    ASSERT_TRUE(s.view->isVisible());
    EXPECT_EQ(s.view->mode(), StrokeView::Mode::Animating);
    EXPECT_EQ(s.view->geometry(), p->imgTx->geometry());
    const Character shi = s.view->character();
    ASSERT_EQ(shi.size(), 2);

    // At the start, the middle and the end of each stroke: inside the outline, the median behind
    // the growing end is drawn and ahead of it is not; the earlier stroke is whole, the later one
    // not begun.
    for (int stroke = 0; stroke < 2; ++stroke) {
        for (double t : {0.2, 0.5, 0.85}) {
            s.view->holdAnimationAt(int((stroke + t) * StrokeView::kStrokeMillis));
            EXPECT_EQ(s.view->animationStroke(), stroke);
            const QImage shot = s.view->grab().toImage();
            const QList<QPointF>& m = shi[stroke].median;
            const QPointF behind = pointAlong(m, t - 0.12), ahead = pointAlong(m, t + 0.12);
            ASSERT_TRUE(shi[stroke].outline.contains(behind));
            ASSERT_TRUE(shi[stroke].outline.contains(ahead));
            EXPECT_EQ(s.pixel(shot, behind), kInk) << stroke << " at " << t;
            EXPECT_TRUE(blank(s.pixel(shot, ahead))) << stroke << " at " << t;
            const QPointF other = pointAlong(shi[1 - stroke].median, 0.9);
            if (stroke == 0)
                EXPECT_TRUE(blank(s.pixel(shot, other)));
            else
                EXPECT_EQ(s.pixel(shot, other), kInk);
        }
    }
    // The end: the whole character; then F3 starts again from the first stroke.
    s.view->holdAnimationAt(2 * StrokeView::kStrokeMillis);
    EXPECT_EQ(s.view->mode(), StrokeView::Mode::Shown);
    QImage shot = s.view->grab().toImage();
    EXPECT_EQ(s.pixel(shot, pointAlong(shi[0].median, 0.99)), kInk);
    EXPECT_EQ(s.pixel(shot, pointAlong(shi[1].median, 0.99)), kInk);
    QTest::keyClick(p->edtJg, Qt::Key_F3);
    EXPECT_EQ(s.view->mode(), StrokeView::Mode::Animating);
    EXPECT_EQ(s.view->animationStroke(), 0);
    shot = s.view->grab().toImage();
    EXPECT_TRUE(blank(s.pixel(shot, pointAlong(shi[1].median, 0.5))));
    // Left alone, it runs to its end, about half a second a stroke.
    QElapsedTimer running;
    running.start();
    QTRY_COMPARE_WITH_TIMEOUT(s.view->mode(), StrokeView::Mode::Shown, 3000);
    EXPECT_GE(running.elapsed(), StrokeView::kStrokeMillis);

    // The answer: the verdict picture takes the picture area back.
    s.answer("shi");
    EXPECT_EQ(p->lblJg->text(), "拼对了！");
    EXPECT_FALSE(s.view->isVisible());
    // The next question, 龘: greyed; F3 and a click do nothing.
    s.next({2});
    ASSERT_EQ(p->lblSs->text(), "龘");
    EXPECT_FALSE(s.imgBs->isEnabled());
    QTest::keyClick(p->edtJg, Qt::Key_F3);
    QTest::mouseClick(s.imgBs, Qt::LeftButton);
    EXPECT_FALSE(s.view->isVisible());
    EXPECT_TRUE(s.platform.dlg().log.empty());

    // With 朗读 the speaker stands above the button; neither covers anything of the question area,
    // at 800 x 600, on a filled 1024 and on a filled 1440 screen.
    s.click(p->butFh);
    s.openPinyin();
    if (!s.panTj->chkLd->isChecked()) s.tick(s.panTj->chkLd);
    for (const auto& [screen, fill] :
         {std::pair{QSize(1024, 768), false}, {QSize(1024, 768), true}, {QSize(1440, 1080), true}}) {
        s.platform.screen = screen;
        s.click(p->butFh);
        s.openPinyin();
        if (s.panTj->chkPm->isChecked() != fill) s.tick(s.panTj->chkPm);
        s.start({0});
        ASSERT_TRUE(s.imgBs->isVisible());
        ASSERT_TRUE(p->imgLd->isVisible());
        EXPECT_EQ(s.imgBs->size(), p->imgLd->size());
        for (QWidget* w : p->pan2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w == s.imgBs || w == p->shp0 || !w->isVisible()) continue;
            EXPECT_FALSE(w->geometry().intersects(s.imgBs->geometry()))
                << w->objectName().toStdString() << " at " << screen.width();
        }
        EXPECT_TRUE(p->pan2->rect().contains(s.imgBs->geometry()));
    }
    // Arithmetic has no stroke button.
    s.click(p->butFh);
    s.openConditions();
    s.choose(s.panSs->rgp1, 0);
    s.choose(s.panSs->rgp2, 0);
    s.tick(s.panTj->chkLt);
    s.start({1, 1});
    EXPECT_FALSE(s.imgBs->isVisible());
}

TEST(StrokeOrder, AMissingOrDamagedFileGreysTheButtonAndTheReviewGoesOn) {
    for (StrokeScreen::Data data : {StrokeScreen::Data::Missing, StrokeScreen::Data::Damaged}) {
        StrokeScreen s(data);
        PracticePanel* p = s.pan1;
        storePreference(*openDb(s.folder.db()), kTracingSetting, "1");
        s.openPinyin();
        // 描红 as stored, but greyed: there is nothing to trace.
        EXPECT_TRUE(s.panTj->chkMh->isChecked());
        EXPECT_FALSE(s.panTj->chkMh->isEnabled());
        s.review();
        s.start();
        ASSERT_EQ(p->lblSs->text(), "大");
        EXPECT_TRUE(s.imgBs->isVisible());
        EXPECT_FALSE(s.imgBs->isEnabled());
        EXPECT_FALSE(s.view->isVisible());
        QTest::keyClick(p->butKs, Qt::Key_F3);
        EXPECT_FALSE(s.view->isVisible());
        EXPECT_EQ(p->lblJg->text(), "拼音复习");
        pressEnter(p->butKs);
        EXPECT_EQ(p->lblSs->text(), "十");
        EXPECT_EQ(p->edtJg->text(), "shi");
        EXPECT_FALSE(s.imgBs->isEnabled());
        EXPECT_TRUE(s.platform.dlg().log.empty());
        EXPECT_TRUE(p->strokeOrder().library().opened());
        EXPECT_EQ(p->strokeOrder().library().file(), nullptr);
    }
}
