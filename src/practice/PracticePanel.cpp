#include "practice/PracticePanel.h"

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QShortcut>

#include "data/Connection.h"
#include "data/QueryModel.h"
#include "data/Settings.h"
#include "platform/ErrorHandler.h"
#include "platform/Errors.h"
#include "platform/ImageCodec.h"
#include "platform/Platform.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ArithmeticExercise.h"
#include "practice/Captions.h"
#include "practice/ConditionsPanel.h"
#include "practice/EnglishExercise.h"
#include "practice/ItemRules.h"
#include "practice/PinyinExercise.h"
#include "practice/StrokeOrder.h"

namespace kovu {

namespace {

// A picture laid on a solid background, so that it hides what lies under it.
QImage opaquePicture(const QString& name, const QColor& background) {
    const QImage src = decodeFormPicture(name);
    QImage out(src.size(), QImage::Format_RGB32);
    out.fill(background);
    QPainter p(&out);
    p.drawImage(0, 0, src);
    return out;
}

QLabel* makeLabel(QWidget* parent, const char* name, int l, int t, int w, int h, const QString& text,
                  const char* family, int size, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* lbl = makeControl<QLabel>(parent, name, l, t, w, h);
    lbl->setText(text);
    lbl->setAlignment(align);
    setFontOf(lbl, QString::fromUtf8(family), size);
    return lbl;
}

QPushButton* makeButton(QWidget* parent, const char* name, int l, int t, int w, int h, const QString& text) {
    auto* b = makeControl<QPushButton>(parent, name, l, t, w, h);
    b->setText(text);
    b->setFocusPolicy(Qt::StrongFocus);
    setFontOf(b, "宋体", 12);
    return b;
}

// Controls whose design rectangle the layout scales.
const char* const kLaidOut[] = {"pan2",  "shp0",  "pan3",  "shpCj", "shpC1", "shpBc", "butKs",
                                "butTc", "butFh", "butCj", "lblJg", "lblT0", "lblCj", "lblCb",
                                "lblBc", "lblBb", "lblTh", "lbl5",  "imgTx", "imgYd", "edtYd",
                                "imgDh", "shpT1", "shpT2", "shpT3", "imgLd", "imgBs"};

// Font sizes at scale 100.
struct FontSize {
    const char* name;
    int size;
};
const FontSize kFontSizes[] = {{"butKs", 12}, {"butTc", 12}, {"butFh", 12}, {"butCj", 12}, {"lblCb", 12},
                               {"lblBb", 12}, {"lbl5", 12},  {"lblTh", 10}, {"edtYd", 18}, {"lbl1", 24},
                               {"lbl2", 24},  {"lbl3", 24},  {"lbl4", 24},  {"lblCj", 40}, {"lblBc", 40},
                               {"lblYd", 40}, {"lblJg", 64}, {"lblSs", 72}, {"edtJg", 72}};

}  // namespace

PracticePanel::PracticePanel(FormContext& ctx, QWidget* parent)
    : QFrame(parent),
      m_ctx(ctx),
      m_arithmetic(std::make_unique<ArithmeticExercise>(*this)),
      m_pinyin(std::make_unique<PinyinExercise>(*this)),
      m_english(std::make_unique<EnglishExercise>(*this)) {
    setObjectName("pan1");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setGeometry(1, 1, 792, 547);
    setBackground(this, QColor(236, 244, 252));

    buildQuestionArea();

    imgTx = makeControl<TImage>(this, "imgTx", 15, 235, 400, 300);
    imgTx->setStretch(true);
    m_area = PracticePictureArea{imgTx, &m_ctx.state};
    m_strokeOrder = new StrokeOrder(*this);

    lblJg = makeLabel(this, "lblJg", 430, 340, 338, 87, QStringLiteral("开始计算"), "楷体_GB2312", 64,
                      Qt::AlignCenter);
    setBackground(lblJg, QColor(0, 255, 0));
    setTextColor(lblJg, Qt::blue);
    lblT0 = makeLabel(this, "lblT0", 430, 432, 338, 24, captions::kWaitHint, "宋体", 12, Qt::AlignCenter);
    setBackground(lblT0, QColor(0, 255, 255));

    butKs = makeButton(this, "butKs", 430, 468, 94, 68, captions::kStart);
    butFh = makeButton(this, "butFh", 526, 468, 75, 68, QStringLiteral("返回(&F)"));
    butTc = makeButton(this, "butTc", 606, 468, 75, 68, QStringLiteral("退出(&T)"));
    butCj = makeButton(this, "butCj", 684, 468, 87, 68, captions::kScore);

    buildScoreBox();
    buildScorePanel();

    connect(edtJg, &QLineEdit::textChanged, this, guarded([this](const QString&) { edtJgChange(); }));
    connect(butKs, &QPushButton::clicked, this, guarded([this] { butKsClick(); }));
    connect(butFh, &QPushButton::clicked, this, guarded([this] { butFhClick(); }));
    connect(butTc, &QPushButton::clicked, this, guarded([this] { butTcClick(); }));
    connect(butCj, &QPushButton::clicked, this, guarded([this] { butCjClick(); }));
    connect(butCh, &QPushButton::clicked, this, guarded([this] { butChClick(); }));
    hide();
}

void PracticePanel::buildQuestionArea() {
    pan2 = makeControl<QFrame>(this, "pan2", 16, 20, 752, 200);
    shp0 = makeControl<TShape>(pan2, "shp0", 0, 0, 752, 200);
    shp0->setBrushColor(QColor(255, 255, 238));
    shp0->setPenColor(QColor(0, 0, 128));
    shp0->setPenWidth(2);

    lblSs = makeLabel(pan2, "lblSs", 20, 9, 400, 110, QString(), "宋体", 72);
    setTextColor(lblSs, QColor(0, 0, 128));
    edtJg = makeControl<QLineEdit>(pan2, "edtJg", 258, 9, 258, 110);
    setFontOf(edtJg, "宋体", 72);
    setBackground(edtJg, Qt::white);
    edtJg->setAutoFillBackground(false);
    setTextColor(edtJg, Qt::blue);
    lblYd =
        makeLabel(pan2, "lblYd", 283, 130, 434, 53, QStringLiteral("应 = 999"), "宋体", 40, Qt::AlignCenter);
    setTextColor(lblYd, Qt::red);
    lblYd->hide();
    imgDh = makeControl<TImage>(pan2, "imgDh", 655, 118, 90, 75);
    imgDh->setStretch(true);
    imgDh->hide();
    // The speaker in the top right corner, where no question text reaches.
    imgLd = makeControl<TImage>(pan2, "imgLd", 716, 6, 30, 30);
    imgLd->setStretch(true);
    imgLd->setTransparent(true);
    imgLd->setFadedWhenDisabled(true);
    imgLd->setPicture(decodeFormPicture("imgLd.png"));
    imgLd->setAccessibleName(QStringLiteral("再听一遍"));
    imgLd->setCursor(Qt::PointingHandCursor);
    imgLd->hide();
    connect(imgLd, &TImage::clicked, this, guarded([this] { imgLdClick(); }));
    auto* again = new QShortcut(QKeySequence(Qt::Key_F2), this);
    again->setContext(Qt::WidgetWithChildrenShortcut);
    connect(again, &QShortcut::activated, this, guarded([this] { imgLdClick(); }));

    const Qt::Alignment right = Qt::AlignRight | Qt::AlignTop;
    lbl1 = makeLabel(pan2, "lbl1", 184, 96, 39, 33, QString(), "宋体", 24, right);
    lbl2 = makeLabel(pan2, "lbl2", 164, 127, 58, 33, QString(), "宋体", 24, right);
    lbl3 = makeLabel(pan2, "lbl3", 154, 158, 85, 3, QString(), "宋体", 24, right);
    setBackground(lbl3, Qt::red);
    lbl4 = makeLabel(pan2, "lbl4", 165, 162, 58, 33, QString(), "宋体", 24, right);
    for (QLabel* l : {lbl1, lbl2, lbl4}) setTextColor(l, QColor(0, 0, 128));
    // The names of the four typefaces over the four copies of a pinyin character.
    lbl5 = makeLabel(pan2, "lbl5", 20, 28, 184, 16, QStringLiteral("宋体  楷体  黑体  仿宋 "), "宋体", 12);
    lbl5->hide();
    lblJ1 = makeLabel(pan2, "lblJ1", 198, 149, 12, 16, QStringLiteral("1"), "宋体", 14);
    QFont f = lblJ1->font();
    f.setBold(true);
    lblJ1->setFont(f);
    setTextColor(lblJ1, Qt::blue);
    lblJ1->hide();

    // Counting pictures: the first operand right to left from 282, the second left to right from 330.
    for (int k = 1; k <= 9; ++k) {
        const QByteArray t = "imgT" + QByteArray::number(k);
        const QByteArray p = "imgP" + QByteArray::number(k);
        imgT << makeControl<TImage>(pan2, t.constData(), firstPictureLeft(k), kCountPictureTop,
                                    kCountPictureSize, kCountPictureSize);
        imgP << makeControl<TImage>(pan2, p.constData(), secondPictureLeft(k), kCountPictureTop,
                                    kCountPictureSize, kCountPictureSize);
    }
    for (TImage* i : countingPictures()) {
        i->setStretch(true);
        i->hide();
    }
    shpT1 = makeControl<TShape>(pan2, "shpT1", 280, kCountFrameTop, 32, kCountFrameHeight);
    shpT2 = makeControl<TShape>(pan2, "shpT2", kCountFrameSecondLeft, kCountFrameTop, 34, kCountFrameHeight);
    for (TShape* s : {shpT1, shpT2}) {
        s->setPenColor(QColor(0, 255, 0));
        s->setPenWidth(2);
        s->setBrushStyle(TShape::Brush::Clear);
    }
    shpT3 = makeControl<TShape>(pan2, "shpT3", 280, kCountFrameTop, 32, kCountFrameHeight);
    shpT3->setPenColor(QColor(255, 0, 255));
    shpT3->setPenWidth(2);
    shpT3->setBrushColor(QColor(255, 0, 255));
    shpT3->setBrushStyle(TShape::Brush::FDiagonal);
    for (TShape* s : {shpT1, shpT2, shpT3}) s->hide();

    imgCh = makeControl<TImage>(pan2, "imgCh", 137, 21, 64, 72);
    // The crosses cover the asterisks of the question and of the column.
    imgCh->setPicture(opaquePicture("imgCh.png", shp0->brushColor()));
    imgCh->setStretch(true);
    imgCh->hide();
    imgC1 = makeControl<TImage>(pan2, "imgC1", 176, 131, 22, 24);
    imgC1->setPicture(opaquePicture("imgC1.png", shp0->brushColor()));
    imgC1->setStretch(true);
    imgC1->hide();

    // The tone box of the pinyin test.
    // The tone step: the picture of the five tones under the four typefaces, the box for the
    // digit at its top right.
    imgYd = makeControl<TImage>(pan2, "imgYd", 9, 101, 300, 93);
    imgYd->setPicture(decodeFormPicture("imgYd.png"));
    imgYd->setStretch(true);
    imgYd->hide();
    edtYd = makeControl<QLineEdit>(pan2, "edtYd", 202, 106, 40, 37);
    setFontOf(edtYd, "宋体", 18);
    setTextColor(edtYd, Qt::blue);
    edtYd->setAlignment(Qt::AlignCenter);
    // One digit from 0 to 4, nothing else.
    edtYd->setMaxLength(1);
    edtYd->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-4]")), edtYd));
    edtYd->hide();
}

void PracticePanel::buildScoreBox() {
    pan3 = makeControl<QFrame>(this, "pan3", 431, 235, 337, 99);
    pan3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    shpCj = makeControl<TShape>(pan3, "shpCj", 2, 2, 333, 95);
    shpCj->setBrushColor(QColor(255, 250, 220));
    shpCj->setPenColor(QColor(255, 250, 220));
    shpBc = makeControl<TShape>(pan3, "shpBc", 7, 7, 158, 85);
    shpC1 = makeControl<TShape>(pan3, "shpC1", 172, 7, 158, 85);
    for (TShape* s : {shpBc, shpC1}) {
        s->setRounded(true);
        s->setBrushColor(Qt::white);
        s->setPenColor(QColor(0, 128, 128));
    }
    lblBb = makeLabel(pan3, "lblBb", 14, 11, 80, 20, QStringLiteral("本次成绩"), "宋体", 12);
    lblTh =
        makeLabel(pan3, "lblTh", 96, 12, 64, 18, QString(), "宋体", 10, Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(lblTh, QColor(255, 0, 255));
    lblBc = makeLabel(pan3, "lblBc", 14, 34, 144, 54, QString(), "宋体", 40, Qt::AlignCenter);
    lblCb = makeLabel(pan3, "lblCb", 179, 11, 144, 20, QStringLiteral("累计平均"), "宋体", 12);
    lblCj = makeLabel(pan3, "lblCj", 179, 34, 144, 54, QStringLiteral("100"), "宋体", 40, Qt::AlignCenter);
    imgFx = makeControl<TImage>(pan3, "imgFx", 2, 2, 333, 95);
    imgFx->setPicture(decodeFormPicture("imgFx.jpg"));
    imgFx->setStretch(true);
    imgFx->hide();
}

void PracticePanel::buildScorePanel() {
    panCj = makeControl<QFrame>(this, "panCj", 144, 2, 540, 538);
    panCj->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setBackground(panCj, QColor(240, 240, 240));
    lblC1 = makeLabel(panCj, "lblC1", 4, 4, 533, 28, QString(), "宋体", 12);
    setBackground(lblC1, QColor(0, 0, 128));
    lblLc =
        makeLabel(panCj, "lblLc", 4, 4, 533, 28, QStringLiteral("算术练习成绩"), "黑体", 14, Qt::AlignCenter);
    setTextColor(lblLc, Qt::white);
    imgLc = makeControl<TImage>(panCj, "imgLc", 10, 10, 16, 16);
    imgLc->setPicture(decodeFormPicture("Image2.png"));
    imgLc->setStretch(true);
    butCh = makeControl<QPushButton>(panCj, "butCh", 521, 8, 18, 20);
    butCh->setText("X");
    butCh->setFocusPolicy(Qt::NoFocus);
    dbgCj = makeControl<QTableView>(panCj, "dbgCj", 14, 40, 512, 492);
    dbgCj->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgCj->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgCj->verticalHeader()->hide();
    // Fixed column widths: measuring the contents would lay out every row again at each record.
    dbgCj->horizontalHeader()->setDefaultSectionSize(80);
    dbgCj->horizontalHeader()->setMinimumSectionSize(40);
    dbgCj->horizontalHeader()->setStretchLastSection(true);
    setFontOf(dbgCj, "宋体", 11);
    m_scoreModel = new QueryModel(this);
    m_scoreModel->setQuery(&m_ctx.db.tabCj);
    dbgCj->setModel(m_scoreModel);
    const int widths[] = {50, 170, 60, 70};
    for (int i = 0; i < 4; ++i) dbgCj->setColumnWidth(i, widths[i]);
    panCj->hide();
}

PracticePanel::~PracticePanel() = default;

void PracticePanel::attachConditions(ConditionsPanel* conditions) {
    m_conditions = conditions;
    conditions->setAnswerButton(butKs);
    conditions->panSs->setCountingPictures(countingPictures());
    conditions->setStrokesAvailable([this] { return m_strokeOrder->library().file() != nullptr; });
    connect(conditions->bitQd, &QPushButton::clicked, this, guarded([this] { bitQdClick(); }));
}

QList<TImage*> PracticePanel::countingPictures() const { return imgT + imgP; }

void PracticePanel::RecordDesignGeometry() {
    for (const char* name : kLaidOut) {
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(name)))
            m_ctx.state.Design.insert(name, w->geometry());
    }
    for (TImage* i : countingPictures()) m_ctx.state.Design.insert(i->objectName(), i->geometry());
}

void PracticePanel::LayoutPracticePanel() {
    const int s = m_ctx.state.LayoutScale;
    for (auto it = m_ctx.state.Design.constBegin(); it != m_ctx.state.Design.constEnd(); ++it) {
        QWidget* w = findChild<QWidget*>(it.key());
        if (!w) continue;
        const QRect& r = it.value();
        if (w == imgTx)
            // The recorded left follows the word pictures; the size is always the whole area.
            w->setGeometry(scaled(r.left(), s), scaled(r.top(), s), scaled(400, s), scaled(300, s));
        else
            w->setGeometry(scaledRect(r, s));
    }
    // The designed height, but never so low that the buttons' lower edge hides under the status
    // bar (at 640 x 480 the designed height is 419 and the buttons reach 428).
    const int designed = m_ctx.form.formHeight() - m_ctx.state.CaptionAllowance - 53;
    const int lowest = butKs->y() + butKs->height() + 4;
    setGeometry(scaled(1, s), 1, scaled(792, s), std::max(designed, lowest));
    imgFx->setGeometry(2, 2, pan3->width() - 4, pan3->height() - 4);
    scaleFonts();
    applyQuestionPlaces(false);
    m_strokeOrder->layout();
}

void PracticePanel::scaleFonts() {
    const int s = m_ctx.state.LayoutScale;
    for (const FontSize& fs : kFontSizes) {
        QWidget* w = findChild<QWidget*>(QString::fromLatin1(fs.name));
        if (!w) continue;
        QFont f = w->font();
        const int size = std::max(1, scaled(fs.size, s));
        if (f.pointSize() != size) {
            f.setPointSize(size);
            w->setFont(f);
        }
    }
}

void PracticePanel::ArrangeQuestionLabels() {
    const Kind kind = runningKind();
    m_questionPlaces = questionLabelPlaces(kind, m_ctx.state.LayoutWidth);
    if (kind == Kind::Arithmetic) {
        setBackground(lbl3, Qt::red);
    } else {
        lbl3->setAutoFillBackground(false);
    }
    applyQuestionPlaces(true);
}

void PracticePanel::applyQuestionPlaces(bool visibility) {
    const int s = m_ctx.state.LayoutScale;
    for (const LabelPlace& p : m_questionPlaces) {
        QWidget* w = pan2->findChild<QWidget*>(p.name);
        if (!w) continue;
        QFont f(p.family);
        f.setPointSize(std::max(1, scaled(p.fontSize, s)));
        f.setBold(p.bold < 0 ? w->font().bold() : p.bold == 1);
        w->setFont(f);
        if (p.colour.isValid()) setTextColor(w, p.colour);
        if (p.align != Qt::Alignment()) {
            if (auto* l = qobject_cast<QLabel*>(w)) l->setAlignment(p.align);
        }
        const int left = p.leftIsFinal ? p.left : scaled(p.left, s);
        const int width = p.width < 0 ? w->width() : scaled(p.width, s);
        w->setGeometry(left, scaled(p.top, s), width, scaled(p.height, s));
        if (visibility && p.shown == 1) w->show();
        if (visibility && p.shown == 0) w->hide();
    }
    fitQuestionText();
}

void PracticePanel::fitQuestionText() {
    // lblSs sizes itself to its text; the answer box follows its right edge, but stays whole
    // inside the question area however long the question is.
    const int w = std::max(1, lblSs->fontMetrics().horizontalAdvance(lblSs->text()));
    lblSs->resize(w, lblSs->height());
    edtJg->move(answerBoxLeft(lblSs->x() + lblSs->width(), edtJg->width(), pan2->width()), lblSs->y());
}

bool PracticePanel::isTest() const { return m_conditions && m_conditions->isTest(); }

Kind PracticePanel::runningKind() const { return kindOf(m_ctx.state.PracticeKind); }

Exercise& PracticePanel::runningExercise() {
    switch (runningKind()) {
        case Kind::Pinyin:
            return *m_pinyin;
        case Kind::English:
            return *m_english;
        case Kind::Arithmetic:
            break;
    }
    return *m_arithmetic;
}

const ArithmeticSession& PracticePanel::arithmetic() const { return m_arithmetic->session(); }

void PracticePanel::showScreenPicture(TImage* target, const QString& code) {
    ShowScreenPicture(m_ctx.db.aquTp, m_area, target, code);
    if (target == imgTx) m_strokeOrder->pictureShown();
}

void PracticePanel::setVerdict(const QString& text, const QColor& background) {
    lblJg->setText(text);
    setBackground(lblJg, background);
}

void PracticePanel::askForAnswer(const QString& caption) {
    m_questionShown.start();
    setVerdict(caption, captions::kAskColour);
    butKs->setText(captions::kConfirm);
    butKs->setEnabled(false);
    lblT0->setText(captions::kWaitHint);
}

void PracticePanel::showScore(const QString& points, bool right) {
    const QColor c = right ? QColor(Qt::red) : QColor(Qt::black);
    lblBc->setText(points);
    setTextColor(lblBc, c);
    lblCj->setText(QString::number(m_counters.average()));
    setTextColor(lblCj, c);
}

void PracticePanel::HideCountPictures() {
    for (TImage* i : countingPictures()) i->hide();
    shpT1->hide();
    shpT2->hide();
    shpT3->hide();
}

void PracticePanel::bitQdClick() {
    if (!m_conditions) return;
    QPushButton* bitQd = m_conditions->bitQd;
    // 1. The hourglass over the start button while the session is set up.
    bitQd->setCursor(Qt::WaitCursor);
    struct CursorBack {
        QWidget* w;
        ~CursorBack() { w->unsetCursor(); }
    } cursorBack{bitQd};
    const bool test = isTest();
    Exercise& exercise = runningExercise();
    if (!exercise.checkConditions(test)) return;

    // What the start stores, in one transaction before anything on the screen changes: the score
    // table of a test emptied, the chosen conditions kept. When it fails, the error is shown and
    // the conditions panel stays as it was.
    {
        Connection& con = m_ctx.db.con1;
        Transaction t(con);
        if (test) con.exec(QStringLiteral("DELETE FROM ") + scoreTableOf(exercise.kindLetter()));
        exercise.storeSessionStart(test);
        if (test && m_recorder) m_recorder->testStarted(exercise.kindLetter());
        t.commit();
    }

    for (QWidget* w : QList<QWidget*>{imgYd, edtYd, imgCh, imgC1}) w->hide();

    // 2. The window size of the session.
    // Filling the screen, the window is as large as fits both ways at 4:3, so a wide screen
    // does not push the question and the buttons off it.
    SharedState& st = m_ctx.state;
    const QSize screen = m_ctx.platform.screenSize();
    const PracticeSize size = practiceSize(m_conditions->fitsScreen(), screen.width(), screen.height());
    st.LayoutWidth = size.width;
    st.LayoutScale = size.scale;

    // 3. The practice screen over everything, its question labels arranged for the kind.
    imgDh->hide();
    HideCountPictures();
    // A multiplication review hides the answer box; every other session needs it.
    edtJg->show();
    show();
    raise();
    ArrangeQuestionLabels();

    // The speaker, when the prompts are said; the speech is ready before the first prompt.
    imgLd->setVisible(m_conditions->readsAloud());
    if (m_conditions->readsAloud()) speech();
    showSpeakerState();
    imgLd->raise();

    // 4. The kind's own set-up.
    m_strokeOrder->sessionStarted(runningKind() == Kind::Pinyin, test, m_conditions->tracing());
    m_counters = {};
    exercise.start(test);

    // 5. The session summary.
    m_ctx.form.setStatusText(1, exercise.summary(m_conditions->title(), test));

    // 6. Test or review. A score panel left open by the last session closes with it.
    panCj->hide();
    butCj->setText(captions::kScore);
    if (test) {
        m_ctx.db.tabCj.close();
        imgFx->hide();
        butCj->setEnabled(true);
        lblCj->setText("0");
        setTextColor(lblCj, Qt::black);
        lblBc->clear();
        lblTh->clear();
        lblT0->setText(captions::kWaitHint);
        edtJg->setFrame(true);
    } else {
        butCj->setEnabled(false);
        imgFx->show();
        imgFx->raise();
        lblT0->setText(captions::kNextHint);
        edtJg->setFrame(false);
    }

    // 7. The window and the layout at the session's size.
    m_ctx.form.setFormSize(st.LayoutWidth, st.LayoutWidth / 4 * 3);
    LayoutPracticePanel();
    m_ctx.form.centreForm();

    // 8.-9. The answer button, the start time and the counters.
    butKs->setText(captions::kConfirm);
    m_ctx.form.setDefaultButton(butKs);
    const QDateTime now = m_ctx.platform.now();
    m_ctx.form.setStatusText(2, QStringLiteral("开始:") + now.time().toString("hh:mm:ss"));
    st.SessionStart = now;
    m_counters = {};
    m_questionShown.start();

    // 10. The focus where the next key belongs.
    if (test)
        edtJg->setFocus();
    else
        butKs->setFocus();
}

void PracticePanel::butKsClick() {
    Exercise& exercise = runningExercise();
    if (isTest())
        exercise.judge();
    else
        exercise.reviewStep();
}

void PracticePanel::edtJgChange() { butKs->setEnabled(true); }

Speech* PracticePanel::speech() {
    if (!m_speechAsked) {
        m_speechAsked = true;
        m_speech = m_speechSource ? m_speechSource() : nullptr;
        if (m_speech) m_speech->setAudibleChanged([this](bool) { showSpeakerState(); });
    }
    return m_speech;
}

void PracticePanel::showSpeakerState() { imgLd->setEnabled(m_speech && m_speech->audible()); }

bool PracticePanel::speaking() const { return m_conditions && m_conditions->readsAloud(); }

void PracticePanel::speak(const QList<Utterance>& utterances) {
    if (!speaking() || utterances.isEmpty()) return;
    if (Speech* s = speech()) s->say(utterances);
}

void PracticePanel::imgLdClick() {
    if (!speaking()) return;
    if (Speech* s = speech()) s->sayAgain();
}

ScoreCounters PracticePanel::RecordScore(const QString& letter, const QString& questionText, int points,
                                         JudgedAnswer answer, bool countsAsAnswer) {
    const ScoreCounters next = m_counters.after(points, countsAsAnswer);
    Table& t = m_ctx.db.tabCj;
    const QString table = scoreTableOf(letter);
    // The score panel may show the table while the child answers: it is shown again afterwards.
    const bool shown = t.isOpen() && t.table() == table;
    t.setTableName(table);
    t.openForAppend();
    try {
        // The score record and the answer's row of the log: both or neither.
        Transaction tr(m_ctx.db.con1);
        t.append();
        t.setValue(0, next.answered);
        t.setValue(1, questionText);
        t.setValue(2, points);
        t.setValue(3, next.average());
        t.setValue(4, m_ctx.platform.now());
        t.post();
        if (m_recorder) {
            answer.subject = letter;
            answer.points = points;
            answer.millis = m_questionShown.isValid() ? m_questionShown.elapsed() : 0;
            m_recorder->recordAnswer(answer);
        }
        tr.commit();
    } catch (...) {
        t.cancel();
        t.setTableName(table);
        if (shown) t.open();
        throw;
    }
    t.setTableName(table);
    if (shown) t.open();
    m_counters = next;
    // A tone step that follows is timed from here.
    m_questionShown.start();
    return next;
}

void PracticePanel::butCjClick() {
    if (butCj->text() == captions::kScore) {
        const ScorePanelPlace p =
            scorePanelPlace(butCj->x(), m_ctx.form.formHeight(), m_ctx.state.CaptionAllowance);
        panCj->setGeometry(p.panCj);
        dbgCj->resize(p.dbgCj);
        lblLc->resize(p.titleWidth, lblLc->height());
        lblC1->resize(p.titleWidth, lblC1->height());
        butCh->move(p.closeLeft, butCh->y());
        panCj->show();
        panCj->raise();
        butCj->setText(captions::kCloseScore);
        m_ctx.db.tabCj.setTableName(scoreTableOf(runningExercise().kindLetter()));
        m_ctx.db.tabCj.open();
    } else {
        panCj->hide();
        butCj->setText(captions::kScore);
        m_ctx.db.tabCj.close();
        edtJg->setFocus();
    }
}

void PracticePanel::butChClick() {
    panCj->hide();
    butCj->setText(captions::kScore);
    edtJg->setFocus();
}

void PracticePanel::butFhClick() {
    m_ctx.state.LayoutWidth = 640;
    const QSize screen = m_ctx.platform.screenSize();
    m_ctx.form.setFormSize(640, 480);
    m_ctx.form.moveForm((screen.width() - 640) / 2, (screen.height() - 480) / 2);
    hide();
    m_ctx.form.setStatusText(2, QString());
    m_ctx.form.setStatusText(3, QString());
}

void PracticePanel::butTcClick() { m_ctx.form.closeForm(); }

}  // namespace kovu
