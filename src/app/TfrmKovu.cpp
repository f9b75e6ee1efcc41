#include "app/TfrmKovu.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTabWidget>

#include "data/PictureStore.h"
#include "data/Settings.h"
#include "data/Upgrade.h"
#include "editor/EditorPage.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PicturePage.h"
#include "platform/ErrorHandler.h"
#include "platform/Errors.h"
#include "platform/ImageCodec.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemSelection.h"
#include "practice/PracticePanel.h"
#include "progress/AnswerLog.h"
#include "progress/MistakeBook.h"
#include "progress/ProgressPage.h"
#include "speech/Speech.h"
#include "tools/Compaction.h"
#include "tools/HelpPanel.h"
#include "tools/StartShortcuts.h"

namespace kovu {

namespace {

// The purpose of the six buttons of the bar, in the bar's order.
QString barButtonName(int i) {
    static const char* const names[] = {"算术练习", "拼音练习", "英语练习", "设置", "使用说明", "退出"};
    return QString::fromUtf8(names[i]);
}

QString folderWithSeparator(const QString& exeFolder) {
    QString folder = QDir::cleanPath(exeFolder);
    if (!folder.endsWith('/')) folder += '/';
    return folder;
}

}  // namespace

void TfrmKovu::openDatabaseAhead(const QString& exeFolder) {
    Connection::openAhead(folderWithSeparator(exeFolder) + kDatabaseFileName, kDatabasePassword);
}

std::function<void()> TfrmKovu::mainScreenPicturesDecoder() {
    return formPicturesDecoder({QStringLiteral("kovu.png"), QStringLiteral("imgBt.png"),
                                QStringLiteral("imgGb.png"), QStringLiteral("imgFm.jpg")});
}

TfrmKovu::TfrmKovu(Platform& platform, const QString& exeFolder, QWidget* parent)
    : TfrmKovu(platform, exeFolder, exeFolder, parent) {}

TfrmKovu::TfrmKovu(Platform& platform, const QString& exeFolder, const QString& programFolder,
                   QWidget* parent)
    : QWidget(parent), m_platform(platform), m_ctx{platform, m_state, m_db, *this} {
    setObjectName("frmKovu");
    m_state.ExeFolder = folderWithSeparator(exeFolder);
    m_state.ProgramFolder = folderWithSeparator(programFolder);
    // The key derivation runs while the screens are built; step 5 of FormCreate waits for it.
    openDatabaseAhead(exeFolder);
    setDefaultErrorDialogs(&platform.dialogs());
    buildMainScreen();
    // Constructed at its design size: outer width 800, client area 792 x 566.
    m_width = 800;
    m_height = 600;
    applyFormSize();
    FormCreate();
}

TfrmKovu::~TfrmKovu() { m_db.con1.close(); }

void TfrmKovu::buildMainScreen() {
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    setMouseTracking(true);
    setWindowIcon(QIcon(QPixmap::fromImage(decodeFormPicture("kovu.png"))));

    bveAn = makeControl<TBevel>(this, "bveAn", 1, 1, 630, 41);
    imgBt = makeControl<TImage>(this, "imgBt", 23, 4, 250, 34);
    imgBt->setTransparent(true);
    imgBt->setPicture(decodeFormPicture("imgBt.png"));
    imgSs = makeControl<TImage>(this, "imgSs", 309, 4, 34, 34);
    imgPy = makeControl<TImage>(this, "imgPy", 359, 4, 34, 34);
    imgYy = makeControl<TImage>(this, "imgYy", 409, 4, 34, 34);
    imgSz = makeControl<TImage>(this, "imgSz", 459, 4, 34, 34);
    imgBz = makeControl<TImage>(this, "imgBz", 510, 4, 34, 34);
    imgGb = makeControl<TImage>(this, "imgGb", 580, 4, 34, 34);
    imgGb->setPicture(decodeFormPicture("imgGb.png"));
    bev1 = makeControl<TBevel>(this, "bev1", 308, 3, 36, 36);
    bev1->hide();
    imgFm = makeControl<TImage>(this, "imgFm", 3, 44, 628, 382);
    imgFm->setStretch(true);
    imgFm->setPicture(decodeFormPicture("imgFm.jpg"));

    // The panels are built on first use; what each is built with is in its build function.
    auto practice = std::make_shared<OnDemandGroup>([this] { buildPracticePanels(); });
    panTj.attach(practice);
    pan1.attach(practice);
    auto settings = std::make_shared<OnDemandGroup>([this] { buildSettingsPages(); });
    pagSz.attach(settings);
    tasTp.attach(settings);
    tasLr.attach(settings);
    tasXs.attach(settings);
    panZc.attach(settings);
    panBz.attach(std::make_shared<OnDemandGroup>([this] { buildHelpPanel(); }));

    sta1 = new TStatusBar(this);
    sta1->setObjectName("sta1");
    sta1->setPanelCount(5);
    // Panel 3 ("累计:hh:mm:ss") needs more than its 35 design pixels to be read; it takes them from
    // panel 2, which "开始:hh:mm:ss" fills by far not, so every other panel keeps its place.
    const int widths[] = {90, 300, 90, 80, 100};
    for (int i = 0; i < 5; ++i) sta1->setPanelWidth(i, widths[i]);
    sta1->setPanelText(0, " Kovu软件");

    tmr1 = new QTimer(this);
    tmr1->setObjectName("tmr1");
    tmr1->setInterval(1000);
    connect(tmr1, &QTimer::timeout, this, guarded([this] { tmr1Timer(); }));
    tmr1->start();

    // The six buttons of the bar: click, hover frame and press feedback.
    const QList<TImage*> bar = {imgSs, imgPy, imgYy, imgSz, imgBz, imgGb};
    for (TImage* b : bar) {
        connect(b, &TImage::mouseMoved, this, guarded([this, b] {
                    bev1->move(b->x() - 1, bev1->y());
                    bev1->show();
                    bev1->raise();
                }));
        connect(b, &TImage::mousePressed, this, guarded([this] { bev1->setRaised(false); }));
        connect(b, &TImage::mouseReleased, this, guarded([this] { bev1->setRaised(true); }));
    }
    // What a screen reader says of each button; SwitchPanel renames the one that returns.
    imgBt->setAccessibleName(kApplicationTitle);
    imgFm->setAccessibleName(QStringLiteral("Kovu软件"));
    for (int i = 0; i < bar.size(); ++i) bar.at(i)->setAccessibleName(barButtonName(i));
    imgGb->setAccessibleDescription(QStringLiteral("退出 Kovu"));
    connect(imgSs, &TImage::clicked, this, guarded([this] { imgSsClick(); }));
    connect(imgPy, &TImage::clicked, this, guarded([this] { imgPyClick(); }));
    connect(imgYy, &TImage::clicked, this, guarded([this] { imgYyClick(); }));
    connect(imgSz, &TImage::clicked, this, guarded([this] { imgSzClick(); }));
    connect(imgBz, &TImage::clicked, this, guarded([this] { imgBzClick(); }));
    connect(imgGb, &TImage::clicked, this, guarded([this] { imgGbClick(); }));
    for (QWidget* w : QList<QWidget*>{imgBt, imgFm}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    connect(imgBt, &TImage::mouseMoved, bev1, &QWidget::hide);
    connect(imgFm, &TImage::mouseMoved, bev1, &QWidget::hide);
}

void TfrmKovu::buildPracticePanels() {
    auto* conditions = new ConditionsPanel(m_ctx, this);
    panTj.set(conditions);
    stackInDesignOrder(conditions);
    for (QWidget* w : QList<QWidget*>{conditions, conditions->panPy, conditions->panSs}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    // The state start-up read from the settings; set before the handler is connected, as it is
    // stored already.
    conditions->chkPm->setChecked(m_fitToScreen);
    conditions->chkPm->setEnabled(!m_fitFixed);
    // A check box's click handler also runs when the program changes its state.
    connect(conditions->chkPm, &QCheckBox::toggled, this, guarded([this](bool) { chkPmClick(); }));
    // As the main screen leaves it: no kind chosen.
    conditions->panSs->hide();
    conditions->panPy->hide();

    auto* practice = new PracticePanel(m_ctx, this);
    pan1.set(practice);
    stackInDesignOrder(practice);
    practice->attachConditions(conditions);
    m_answerLog = std::make_unique<AnswerLog>(m_db.con1, [this] { return m_platform.now(); });
    practice->setAnswerRecorder(m_answerLog.get());
    // The speech module is loaded the first time a session says something aloud.
    practice->setSpeechSource([this] { return createSpeech(this); });
    m_mistakeBook = std::make_unique<CurrentChildMistakes>(m_db.con1);
    conditions->setMistakeBook(m_mistakeBook.get());
    // The design places of the practice screen, which its layout scales from.
    practice->RecordDesignGeometry();
    // Both at the form's present size.
    FormResize();
}

void TfrmKovu::buildSettingsPages() {
    auto* pages = new QTabWidget(this);
    pagSz.set(pages);
    pages->setObjectName("pagSz");
    pages->setGeometry(641, 44, 630, 388);
    pages->hide();
    stackInDesignOrder(pages);
    auto* pictures = new PicturePage(m_ctx, pages);
    auto* editor = new EditorPage(m_ctx, pages);
    tasTp.set(pictures);
    tasLr.set(editor);
    auto* progress = new ProgressPage(m_ctx, pages);
    tasXs.set(progress);
    // Adding the first page makes it the current one; the handlers see only later changes.
    pages->addTab(pictures, "图片及压缩数据库");
    pages->addTab(editor, "录入生字单词");
    pages->addTab(progress, "练习者与成绩");
    connect(pages, &QTabWidget::currentChanged, this,
            guarded([this](int index) { tasLr->pagSzChange(pagSz->widget(index)); }));
    connect(pages, &QTabWidget::currentChanged, this,
            guarded([this](int index) { tasTp->pagSzChange(pagSz->widget(index)); }));
    connect(pages, &QTabWidget::currentChanged, this,
            guarded([this](int index) { tasXs->pagSzChange(pagSz->widget(index)); }));

    auto* confirm = new ConfirmPanel(m_ctx, this);
    panZc.set(confirm);
    stackInDesignOrder(confirm);
    // The tools of the picture page: compaction and the start shortcut with panZc's shortcut mode.
    m_startShortcuts = std::make_unique<StartShortcuts>(m_ctx, *confirm, *pictures->spbKj);
    connect(pictures->spbYs, &QPushButton::clicked, this, guarded([this] { spbYsClick(m_ctx); }));
    connect(pictures->spbKj, &QPushButton::clicked, this,
            guarded([this] { m_startShortcuts->spbKjClick(); }));
    connect(confirm->rgpKj, &TRadioGroup::clicked, this, guarded([this] { m_startShortcuts->rgpKjClick(); }));
    confirm->shortcutAction = [this](const QString& caption) {
        m_startShortcuts->confirmPanelAction(caption);
    };
    pictures->attachConfirmPanel(confirm);
}

void TfrmKovu::buildHelpPanel() {
    auto* help = new HelpPanel(m_ctx, this);
    panBz.set(help);
    stackInDesignOrder(help);
    FormResize();
}

void TfrmKovu::stackInDesignOrder(QWidget* panel) {
    const QList<QWidget*> order = {panTj.peek(), pagSz.peek(), panBz.peek(), pan1.peek(), panZc.peek(), sta1};
    const qsizetype at = order.indexOf(panel);
    for (qsizetype i = at + 1; i < order.size(); ++i) {
        if (order.at(i)) {
            panel->stackUnder(order.at(i));
            return;
        }
    }
}

bool TfrmKovu::fitToScreen() const {
    const ConditionsPanel* conditions = panTj.peek();
    return conditions ? conditions->chkPm->isChecked() : m_fitToScreen;
}

void TfrmKovu::setFitToScreen(bool on) {
    if (ConditionsPanel* conditions = panTj.peek()) {
        // Changing the check box runs chkPmClick, as a click does.
        conditions->chkPm->setChecked(on);
        return;
    }
    if (on == m_fitToScreen) return;
    m_fitToScreen = on;
    chkPmClick();
}

void TfrmKovu::FormCreate() {
    // 1. The caption allowance of the system's window frames.
    m_state.CaptionAllowance = m_platform.osMajorVersion() == 5 ? 0 : 8;
    // 2. Design geometry, with the form still at its design size.
    RecordDesignGeometry();
    // 3. The main screen's size.
    setFormSize(640, 480);
    m_state.LayoutWidth = 640;
    // 4. ExeFolder was taken when the form was constructed.
    // 5. The database.
    try {
        m_db.con1.open(m_state.ExeFolder + kDatabaseFileName, kDatabasePassword);
        // The tables a file of an earlier version lacks are added now, in one transaction; when
        // that fails the file stays as it was and the window has no data, as for a failed open.
        try {
            upgradeSchema(m_db.con1);
        } catch (...) {
            m_db.con1.close();
            throw;
        }
    } catch (const WrongKeyError&) {
        m_platform.dialogs().message(kOpenFailedTitle, kOpenFailedText, MsgIcon::Warning, MsgButtons::Ok);
        if (ConfirmPanel* confirm = panZc.peek()) confirm->hide();
        return;
    } catch (const KovuError& e) {
        // Not a password problem: the message names the cause (a missing or empty file, a folder
        // that cannot be written, another copy holding the file).
        m_platform.dialogs().message(kOpenFailedTitle, e.message(), MsgIcon::Warning, MsgButtons::Ok);
        if (ConfirmPanel* confirm = panZc.peek()) confirm->hide();
        return;
    }
    // 6. The settings row.
    runGuarded([this] {
        openSettingsRow(m_db.aquCx);
        const bool fit = m_db.aquCx.boolean("自动适应屏幕");
        m_db.aquCx.close();
        if (ConditionsPanel* conditions = panTj.peek()) conditions->panPy->lstKt->clear();
        if (EditorPage* editor = tasLr.peek()) editor->cboKt->clear();
        setFitToScreen(fit);
        setWindowTitle(kWindowCaption);
    });
    m_db.aquCx.close();
    // 7. The menu pictures: written on first start, and any one that has gone missing or does not
    // decode (a write cut short by a full disk) written again.
    runGuarded([this] {
        const QString folder = m_state.ExeFolder + "fzwj";
        bool complete = QFileInfo(folder).isDir();
        if (complete)
            for (const MenuPictureFile& m : menuPictureFiles())
                if (!menuPictureReadable(folder + "/" + m.file)) complete = false;
        if (!complete) ExtractMenuPictures(m_db.aquCx, m_state.ExeFolder, true);
    });
    // 8. Narrow screens always practise at the screen width.
    if (m_platform.screenSize().width() < 800) {
        setFitToScreen(true);
        m_fitFixed = true;
        if (ConditionsPanel* conditions = panTj.peek()) conditions->chkPm->setEnabled(false);
    }
    runGuarded([this] { SwitchPanel(); });
    m_startedUp = true;
}

void TfrmKovu::RecordDesignGeometry() {
    m_state.LayoutScale = m_width / 8;
    // The practice screen records its own when it is built.
    if (PracticePanel* practice = pan1.peek()) practice->RecordDesignGeometry();
}

void TfrmKovu::setFormSize(int width, int height) {
    m_width = width;
    m_height = height;
    applyFormSize();
}

void TfrmKovu::applyFormSize() {
    const QSize client(m_width - kFrameWidth, m_height - kFrameHeight);
    setFixedSize(client);
    sta1->setGeometry(0, client.height() - 20, client.width(), 20);
    sta1->raise();
    FormResize();
}

void TfrmKovu::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    sta1->setGeometry(0, height() - 20, width(), 20);
}

void TfrmKovu::moveForm(int left, int top) { move(left, top); }

void TfrmKovu::centreForm() {
    const QSize s = m_platform.screenSize();
    move((s.width() - m_width) / 2, (s.height() - m_height) / 2);
}

void TfrmKovu::closeForm() {
    m_closing = true;
    close();
}

void TfrmKovu::setStatusText(int panel, const QString& text) { sta1->setPanelText(panel, text); }

QString TfrmKovu::statusText(int panel) const { return sta1->panelText(panel); }

void TfrmKovu::FormResize() {
    sta1->setPanelWidth(1, m_width - 462);
    const int a = m_state.CaptionAllowance;
    if (HelpPanel* help = panBz.peek()) {
        help->resize(help->width(), a + 386);
        help->redBz->resize(help->redBz->width(), a + 372);
    }
    if (ConditionsPanel* conditions = panTj.peek()) conditions->resize(conditions->width(), a + 384);
    imgFm->resize(imgFm->width(), a + 382);
    if (PracticePanel* practice = pan1.peek()) practice->LayoutPracticePanel();
}

void TfrmKovu::SwitchPanel() {
    const QString fz = m_state.ExeFolder + "fzwj/";
    // 1. The five button pictures, and the return picture on the button of the open panel (step
    // 3). All are read before anything on the screen changes, so a picture that cannot be read
    // leaves the screen as it was.
    const int p = m_state.CurrentPanel;
    const QList<TImage*> buttons = {imgSs, imgPy, imgYy, imgSz, imgBz};
    static const char* const files[] = {"ss.bmp", "py.bmp", "yy.bmp", "sz.bmp", "bz.bmp"};
    QList<QImage> pictures;
    for (int i = 0; i < buttons.size(); ++i)
        pictures << readPictureFile(fz + QString::fromLatin1(p == i + 1 ? "fh.bmp" : files[i]));
    for (int i = 0; i < buttons.size(); ++i) {
        buttons.at(i)->setPicture(pictures.at(i));
        // The button of the open panel now closes it.
        const bool returns = p == i + 1;
        buttons.at(i)->setAccessibleName(returns ? QStringLiteral("返回") : barButtonName(i));
        buttons.at(i)->setAccessibleDescription(returns ? QStringLiteral("关闭") + barButtonName(i)
                                                        : QStringLiteral("打开") + barButtonName(i));
    }
    // 2.
    if (ConfirmPanel* confirm = panZc.peek()) confirm->hide();
    // 3. The button of the open panel shows the return picture (read in step 1).
    // 4. Visibility. The panel that opens is built now if it never was; one that was never built
    // is hidden already.
    if ((p >= 1 && p <= 3) || panTj.peek()) {
        panTj->panSs->setVisible(p == 1);
        panTj->panPy->setVisible(p == 2 || p == 3);
        panTj->setVisible(p < 4);
    }
    if (p == 4 || pagSz.peek()) pagSz->setVisible(p == 4);
    if (p == 5 || panBz.peek()) panBz->setVisible(p == 5);
    // 5. The conditions panel for the kind.
    if (p >= 1 && p <= 3) {
        panTj->move(2, panTj->y());
        panTj->show();
        panTj->raise();
        static const char* titles[] = {"算术练习条件设置", "拼音练习条件设置", "英语练习条件设置"};
        panTj->lblNr->setText(QString::fromUtf8(titles[p - 1]));
        panTj->chkSd->setVisible(p == 2);
        panTj->chkCt->setVisible(p == 1);
        panTj->ShowTracing(p == 2);
        panTj->chkLt->setText(QStringLiteral("不显示") +
                              (p == 1 ? QStringLiteral("例图") : QStringLiteral("图片")));
        panTj->chkLt->setVisible(p == 1 || p == 3);
        panTj->chkPx->setVisible(p == 2 || p == 3);
        panTj->lbl03->setVisible(p == 2);
        panTj->cboKf->setVisible(p == 2);
        // Without a database there are no children to list.
        if (m_db.con1.isOpen() || m_startedUp) {
            panTj->ListChildren();
            panTj->ShowReadAloud(p);
        }
        static const Qt::GlobalColor text[] = {Qt::magenta, Qt::black, Qt::blue};
        static const Qt::GlobalColor fill[] = {Qt::green, Qt::cyan, Qt::yellow};
        setTextColor(panTj->lblNr, text[p - 1]);
        panTj->shpNr->setBrushColor(fill[p - 1]);
    }
    // 6. No panel.
    if (p == 0) {
        if (ConditionsPanel* conditions = panTj.peek()) conditions->hide();
        if (QTabWidget* pages = pagSz.peek()) pages->hide();
        for (int i = 1; i <= 3; ++i) setStatusText(i, QString());
    }
    if (p == 4) pagSz->raise();
    if (p == 5) panBz->raise();
    // 7.
    setFormSize(640, 480);
    centreForm();
}

void TfrmKovu::togglePanel(int panel) {
    const int before = m_state.CurrentPanel;
    m_state.CurrentPanel = before == panel ? 0 : panel;
    try {
        SwitchPanel();
    } catch (...) {
        // The switch did not happen: the open panel stays the open panel.
        m_state.CurrentPanel = before;
        throw;
    }
}

void TfrmKovu::imgSsClick() {
    m_state.PracticeKind = QStringLiteral("算术");
    togglePanel(1);
    if (m_state.CurrentPanel == 1) setStatusText(1, QStringLiteral(" 《算术练习条件设置》"));
    panTj->panSs->move(panTj->panSs->isVisible() ? 138 : 641, panTj->panSs->y());
    // The example pictures and the stored choices, also when the click closes the panel.
    panTj->panSs->OpenArithmeticConditions();
}

void TfrmKovu::imgPyClick() {
    m_state.PracticeKind = QStringLiteral("拼音");
    togglePanel(2);
    if (m_state.CurrentPanel == 2) setStatusText(1, QStringLiteral(" 《拼音练习条件设置》"));
    // The lists are refilled whether the click opened or closed the screen.
    panTj->panPy->OpenSelection();
}

void TfrmKovu::imgYyClick() {
    m_state.PracticeKind = QStringLiteral("英语");
    togglePanel(3);
    if (m_state.CurrentPanel == 3) setStatusText(1, QStringLiteral(" 《英语练习条件设置》"));
    panTj->panPy->OpenSelection();
}

void TfrmKovu::imgSzClick() {
    togglePanel(4);
    if (!pagSz->isVisible()) {
        pagSz->move(641, pagSz->y());
        m_db.aquTp.close();
        return;
    }
    pagSz->move(2, pagSz->y());
    pagSz->setCurrentWidget(tasTp);
    setStatusText(1, QStringLiteral(" 屏幕图片设置及压缩数据库"));
    m_startShortcuts->UpdateShortcutCaption();
    // The choices, the preview and choice 1.
    tasTp->OpenPicturePage();
}

void TfrmKovu::imgBzClick() {
    togglePanel(5);
    if (m_state.CurrentPanel == 5) {
        setStatusText(1, QStringLiteral(" 《软件使用说明》"));
        // The manual is read afresh each time the panel opens.
        panBz->LoadHelpText();
    }
    panBz->move(panBz->isVisible() ? 2 : 641, panBz->y());
}

void TfrmKovu::tmr1Timer() {
    const QDateTime now = m_platform.now();
    static const QString days = QStringLiteral("日一二三四五六");
    const QDate d = now.date();
    // Qt numbers Monday 1 to Sunday 7; the weekday string starts with Sunday.
    const QChar weekday = days.at(d.dayOfWeek() % 7);
    setStatusText(4, QStringLiteral(" %1年%2月%3日 %4 星期%5")
                         .arg(d.year())
                         .arg(d.month())
                         .arg(d.day())
                         .arg(now.time().toString("hh:mm:ss"))
                         .arg(weekday));
    if (m_state.SessionStart.isValid()) {
        qint64 secs = m_state.SessionStart.secsTo(now);
        if (secs < 0) secs = 0;
        setStatusText(3, QStringLiteral("累计:") +
                             QTime(0, 0).addSecs(static_cast<int>(secs % 86400)).toString("hh:mm:ss"));
    } else {
        setStatusText(3, QString());
    }
}

void TfrmKovu::chkPmClick() {
    const bool on = fitToScreen();
    m_fitToScreen = on;
    // Without a database (start-up could not open it) there is nothing to store; a connection that a
    // compaction closed is reopened by the statement.
    if (!m_db.con1.isOpen() && !m_startedUp) return;
    storeSettings(m_db.aquFz, {{"自动适应屏幕", on}});
    if (!on) m_state.LayoutScale = 100;
}

void TfrmKovu::imgGbClick() {
    m_db.con1.close();
    closeForm();
}

void TfrmKovu::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        // Enter presses the focused button, otherwise the default button.
        auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
        if (focused && focused != m_defaultButton && focused->isVisible() && focused->isEnabled()) {
            focused->click();
            return;
        }
        if (m_defaultButton && m_defaultButton->isVisible() && m_defaultButton->isEnabled()) {
            m_defaultButton->click();
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

void TfrmKovu::mouseMoveEvent(QMouseEvent* e) {
    bev1->hide();
    QWidget::mouseMoveEvent(e);
}

bool TfrmKovu::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::MouseMove) bev1->hide();
    return QWidget::eventFilter(o, e);
}

}  // namespace kovu
