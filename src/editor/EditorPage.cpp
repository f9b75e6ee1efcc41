#include "editor/EditorPage.h"

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>

#include "data/ContentLists.h"
#include "data/ImageCodec.h"
#include "data/Numbering.h"
#include "data/PictureStore.h"
#include "data/Settings.h"
#include "editor/EditorRules.h"
#include "platform/Dialogs.h"
#include "platform/ErrorHandler.h"
#include "platform/Errors.h"
#include "platform/Gbk.h"
#include "platform/Platform.h"

namespace kovu {

namespace {

const QString kTitle = QStringLiteral("操作提示");
const QString kPinyinHint = QStringLiteral("[拼音生字录入或编辑修改]");
const QString kEnglishHint = QStringLiteral("[英语单词录入或编辑修改]");
constexpr int kGridHeight = 292;
const QString kAdd = QStringLiteral("添加(&T)");
const QString kSave = QStringLiteral("保存(&T)");
const QString kNextNew = QStringLiteral("下个(&T)");
const QString kUndoChange = QStringLiteral("撤消(&T)");
const QString kModify = QStringLiteral("修改(&X)");
const QString kUndoNew = QStringLiteral("撤消(&X)");
const QString kConfirm = QStringLiteral("确定(&X)");
const QString kNextChanged = QStringLiteral("下个(&X)");
const QString kDelete = QStringLiteral("删除(&S)");
const QString kChoosePicture = QStringLiteral("选择图片(&D)");
const QString kStorePicture = QStringLiteral("录入图片(&D)");
const QString kDropPicture = QStringLiteral("图片撤消(&P)");
const QString kNoInputMethod = QStringLiteral("不设置");
const QString kAlreadyListed =
    QStringLiteral("已录有同一内容，请不要重复录入！\n(可按《撤消》按钮以撤消该录入！)");

}  // namespace

EditorPage::EditorPage(FormContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_model(new QueryModel(this)), m_scratch(ctx.db.aquCx) {
    setObjectName("tasLr");

    tabFl = makeControl<QTabBar>(this, "tabFl", 4, 2, 180, 24);
    tabFl->addTab("拼音生字");
    tabFl->addTab("英语单词");
    tabFl->setDrawBase(false);
    tabFl->setExpanding(false);
    lblTs = makeLabel(this, "lblTs", 190, 6, 430, kPinyinHint + " 请编辑课本或先选择课本");
    setTextColor(lblTs, Qt::red);

    rgpFw = makeControl<TRadioGroup>(this, "rgpFw", 4, 30, 200, 44);
    rgpFw->setTitle("编辑范围选择");
    rgpFw->setColumns(3);
    rgpFw->setItems({"课本", "课题", "生字"});
    rgpFw->setItemIndex(0);

    lblKt = makeLabel(this, "lblKt", 6, 83, 38, "课本：");
    cboKt = makeControl<QComboBox>(this, "cboKt", 44, 80, 160, 24);
    cboKt->setMaxVisibleItems(12);
    lblK1 = makeLabel(this, "lblK1", 6, 108, 100, "选择课题：");
    lstK1 = makeControl<QListWidget>(this, "lstK1", 4, 126, 200, 216);
    lstK1->setEnabled(false);

    lblBj = makeControl<QLabel>(this, "lblBj", 212, 30, 214, 18);
    lblBj->setText("编辑课本名称和编号");
    lblBj->setAlignment(Qt::AlignCenter);
    setTextColor(lblBj, Qt::red);
    lblKh = makeLabel(this, "lblKh", 212, 57, 64, "课本号：");
    edtKh = makeControl<QLineEdit>(this, "edtKh", 278, 54, 40, 22);
    lblKm = makeLabel(this, "lblKm", 212, 83, 64, "课本名称：");
    edtKm = makeControl<QLineEdit>(this, "edtKm", 278, 80, 120, 22);
    lbl05 = makeLabel(this, "lbl05", 212, 109, 64, "拼音：");
    edtPy = makeControl<QLineEdit>(this, "edtPy", 278, 106, 67, 22);
    lbl06 = makeLabel(this, "lbl06", 212, 135, 64, "声调：");
    edtSd = makeControl<QLineEdit>(this, "edtSd", 278, 132, 22, 22);
    for (QLineEdit* e : {edtKh, edtKm, edtPy, edtSd}) e->setReadOnly(true);
    for (QWidget* w : QList<QWidget*>{lbl05, edtPy, lbl06, edtSd}) w->hide();
    // Over-long text cannot be typed: ten groups of a number, and names far past any real one.
    edtKh->setMaxLength(30);
    for (QLineEdit* e : {edtKm, edtPy, edtSd}) e->setMaxLength(100);
    lstDy = makeControl<QListWidget>(this, "lstDy", 350, 106, 72, 76);
    lstDy->hide();

    chkLx = makeControl<QCheckBox>(this, "chkLx", 212, 160, 100, 20);
    chkLx->setText("连续录入");
    chkLx->hide();
    spbTj = makeControl<QPushButton>(this, "spbTj", 212, 186, 68, 26);
    spbTj->setText("添加(&T)");
    spbXg = makeControl<QPushButton>(this, "spbXg", 284, 186, 68, 26);
    spbXg->setText("修改(&X)");
    spbXg->setEnabled(false);
    spbSc = makeControl<QPushButton>(this, "spbSc", 356, 186, 68, 26);
    spbSc->setText("删除(&S)");
    spbSc->setEnabled(false);
    spbDy = makeControl<QPushButton>(this, "spbDy", 212, 218, 98, 26);
    spbDy->setText("选择图片(&D)");
    spbDy->hide();
    spbPx = makeControl<QPushButton>(this, "spbPx", 257, 218, 98, 26);
    spbPx->setText("生字排序(&P)");
    spbPx->hide();
    lblTz = makeControl<QLabel>(this, "lblTz", 212, 250, 214, 40);
    lblTz->setWordWrap(true);
    lblTz->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTz->hide();
    lblSr = makeLabel(this, "lblSr", 212, 298, 214, "设置时使用的汉字输入法选择：");
    cboSr = makeControl<QComboBox>(this, "cboSr", 212, 318, 210, 24);

    lblBd = makeControl<QLabel>(this, "lblBd", 432, 30, 188, 18);
    lblBd->setText("在下表中选择要修改记录");
    lblBd->setEnabled(false);
    dbgKb = makeControl<QTableView>(this, "dbgKb", 432, 50, 180, kGridHeight);
    m_model->setQuery(&m_ctx.db.aquSb);
    dbgKb->setModel(m_model);
    dbgKb->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgKb->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgKb->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgKb->verticalHeader()->hide();
    dbgKb->verticalHeader()->setDefaultSectionSize(dbgKb->fontMetrics().height() + 4);
    dbgKb->horizontalHeader()->setDefaultSectionSize(52);
    dbgKb->horizontalHeader()->setMinimumSectionSize(24);
    dbgKb->horizontalHeader()->setMaximumSectionSize(120);
    dbgKb->horizontalHeader()->setResizeContentsPrecision(50);
    dbgKb->setEnabled(false);
    setTextColor(dbgKb, Qt::blue);
    imgZ0 = makeControl<TImage>(this, "imgZ0", 432, 208, 180, 135);
    imgZ0->setStretch(true);
    imgZ0->hide();

    // Speed buttons take no focus, so a click never leaves a box (and runs no exit check).
    for (QPushButton* b : {spbTj, spbXg, spbSc, spbDy, spbPx}) b->setFocusPolicy(Qt::NoFocus);
    for (QObject* o : QList<QObject*>{edtKh, edtKm, edtPy, edtSd, lstK1, dbgKb, cboKt})
        o->installEventFilter(this);
    connect(spbTj, &QPushButton::clicked, this, guarded([this] { spbTjClick(); }));
    connect(spbXg, &QPushButton::clicked, this, guarded([this] { spbXgClick(); }));
    connect(spbSc, &QPushButton::clicked, this, guarded([this] { spbScClick(); }));
    connect(spbPx, &QPushButton::clicked, this, guarded([this] { spbPxClick(); }));
    connect(spbDy, &QPushButton::clicked, this, guarded([this] { spbDyClick(); }));
    connect(cboSr, &QComboBox::activated, this, guarded([this](int) { cboSrClick(); }));
    connect(lstDy, &QListWidget::itemClicked, this, guarded([this](QListWidgetItem*) { lstDyClick(); }));
    connect(edtKh, &QLineEdit::textChanged, this, guarded([this] { edtKhChange(); }));
    connect(edtKm, &QLineEdit::textChanged, this, guarded([this] { edtKmChange(); }));
    connect(edtSd, &QLineEdit::textChanged, this, guarded([this] { edtSdChange(); }));
    connect(lstK1, &QListWidget::currentRowChanged, this, guarded([this](int) {
                if (m_keyView == lstK1) lstK1Click();
            }));
    connect(tabFl, &QTabBar::currentChanged, this, guarded([this](int) { tabFlChange(); }));
    connect(rgpFw, &TRadioGroup::clicked, this, guarded([this] { rgpFwClick(); }));
    connect(cboKt, &QComboBox::activated, this, guarded([this](int) { cboKtClick(); }));
    connect(lstK1, &QListWidget::itemClicked, this, guarded([this](QListWidgetItem*) { lstK1Click(); }));
    connect(dbgKb, &QTableView::clicked, this, guarded([this](const QModelIndex& i) { dbgKbCellClick(i); }));
    // The record set follows the grid's current row, as a bound grid moves its data set.
    connect(dbgKb->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            guarded([this](const QModelIndex& current, const QModelIndex&) {
                if (!current.isValid()) return;
                // A pending addition or modification lives in the boxes until it is saved; the
                // record set only moves.
                Query& q = m_ctx.db.aquSb;
                if (q.state() == Query::State::Edit || q.state() == Query::State::Insert) q.cancel();
                q.moveTo(current.row());
                if (m_keyView == dbgKb) dbgKbCellClick(current);
            }));
}

QString EditorPage::textbookTable() const { return contentTables(pinyinTab()).textbook; }
QString EditorPage::lessonTable() const { return contentTables(pinyinTab()).lesson; }
QString EditorPage::itemTable() const { return contentTables(pinyinTab()).item; }

QString EditorPage::selectedTextbook() const { return textbookOfEntry(cboKt->currentText()); }

QString EditorPage::selectedLesson() const {
    const QListWidgetItem* item = lstK1->currentItem();
    return item && item->isSelected() ? lessonOfEntry(item->text()) : QString();
}

QString EditorPage::tabHint() const { return pinyinTab() ? kPinyinHint : kEnglishHint; }

void EditorPage::openGrid(const QString& sql, const QVariantList& binds) {
    Query& q = m_ctx.db.aquSb;
    q.setSql(sql, binds);
    q.open();
    // Narrow columns for numbers and single characters, so the grid's 180 pixels show the most.
    dbgKb->resizeColumnsToContents();
}

void EditorPage::setGridHeight(int h) { dbgKb->resize(dbgKb->width(), h); }

void EditorPage::showCountLine() {
    lblBd->setText(QStringLiteral("选择要修改") + (pinyinTab() ? "生字" : "单词") +
                   QStringLiteral("(共%1个)").arg(m_ctx.db.aquSb.recordCount()));
}

void EditorPage::fillInputMethods() {
    cboSr->clear();
    cboSr->addItems(m_ctx.platform.inputMethods().list());
    cboSr->addItem("不设置");
    const int stored = readSetting(m_scratch, "输入法").toInt();
    // A stored position outside the list (input methods removed since) shows "不设置".
    cboSr->setCurrentIndex(stored >= 0 && stored < cboSr->count() ? stored : cboSr->count() - 1);
    // The name box opens the chosen input method when it is entered (openInputMethod).
}

void EditorPage::pagSzChange(QWidget* page) {
    if (page && page->objectName() == QStringLiteral("tasTp")) {
        m_ctx.form.setStatusText(1, QStringLiteral(" 屏幕图片设置及压缩数据库"));
        return;
    }
    // 1.
    EditTable = textbookTable();
    FillTextbookCombo();
    // 2.
    for (QWidget* w : QList<QWidget*>{edtPy, edtSd, lbl05, lbl06}) w->hide();
    spbTj->setEnabled(true);
    for (QWidget* w : QList<QWidget*>{spbXg, spbSc, lblBd, dbgKb}) w->setEnabled(false);
    // 3. The input methods; the picture query stays open on the dictionary.
    fillInputMethods();
    m_ctx.db.aquTp.close();
    m_ctx.db.aquTp.setSql("SELECT * FROM yefc");
    m_ctx.db.aquTp.open();
    // 4.
    lblKm->setText("课本名称：");
    m_ctx.form.setStatusText(1, QStringLiteral(" 录入生字或英语单词"));
    setTextColor(dbgKb, Qt::blue);
    // 5.
    lblTs->setText(tabHint() + " 请编辑课本或先选择课本");
    // 6. The scope stays as it is.
    rgpFwClick();
}

void EditorPage::tabFlChange() {
    const bool pinyin = pinyinTab();
    rgpFw->button(2)->setText(pinyin ? "生字" : "单词");
    lblTs->setText(tabHint());
    setTextColor(lblTs, pinyin ? Qt::red : Qt::blue);
    setTextColor(lblBj, pinyin ? Qt::red : Qt::blue);
    EditTable = textbookTable();
    rgpFw->setItemIndex(0);
    rgpFwClick();
    spbDy->setText("选择图片(&D)");
    spbPx->hide();
    setGridHeight(kGridHeight);
    imgZ0->hide();
}

void EditorPage::rgpFwClick() {
    const bool pinyin = pinyinTab();
    setBoxesEditable(false);
    lblTz->hide();
    lstDy->hide();
    m_pendingPicture = QImage();
    dbgKb->show();
    spbTj->setText("添加(&T)");
    spbTj->setEnabled(true);
    spbXg->setText("修改(&X)");
    spbXg->setEnabled(false);
    spbSc->setText("删除(&S)");
    spbSc->setEnabled(false);
    setGridHeight(kGridHeight);
    imgZ0->hide();
    lblKh->setText(scope() == 0 ? "课本号：" : "编号：");

    QString key = QStringLiteral("编号");
    switch (scope()) {
        case 1: {
            if (cboKt->currentText().isEmpty()) {
                m_ctx.platform.dialogs().message(kTitle, "请先选择课本！", MsgIcon::Information);
                rgpFw->setItemIndex(0);
                rgpFwClick();
                return;
            }
            lstK1->setEnabled(true);
            setTextColor(dbgKb, Qt::blue);
            EditTable = lessonTable();
            m_filter = " WHERE " + kTextbookMemberSql;
            m_filterBinds = {selectedTextbook()};
            lblBj->setText("编辑课题名称和编号");
            lblKm->setText("课题名：");
            edtKh->clear();
            edtKm->clear();
            FillLessonList();
            setTextColor(lblTs, Qt::blue);
            lblTs->setText(tabHint() + " 请先选择课题");
            edtKh->resize(40, edtKh->height());
            edtKm->resize(120, edtKm->height());
            break;
        }
        case 2: {
            WaitCursor wait;
            const QString L = selectedLesson();
            if (L.isEmpty()) {
                m_ctx.platform.dialogs().message(kTitle, "请先在左边列表框中选择课题！",
                                                 MsgIcon::Information);
                rgpFw->setItemIndex(1);
                rgpFwClick();
                return;
            }
            setTextColor(dbgKb, Qt::black);
            EditTable = itemTable();
            m_filter = " WHERE " + kLessonMemberSql;
            m_filterBinds = {L};
            lblBj->setText("编辑(" + L + ")" + (pinyin ? "生字和拼音" : "英语单词"));
            lblKm->setText(pinyin ? "生字：" : "单词：");
            lbl05->setText(pinyin ? "拼音：" : "汉语：");
            lbl06->setText(pinyin ? "声调：" : "音标：");
            edtKh->resize(96, edtKh->height());
            edtKm->resize(pinyin ? 20 : 100, edtKm->height());
            edtPy->resize(pinyin ? 67 : 120, edtPy->height());
            edtSd->resize(pinyin ? 22 : 120, edtSd->height());
            for (QLineEdit* e : {edtKh, edtKm, edtPy, edtSd}) e->clear();
            lblTs->setText(tabHint() + (pinyin ? " 请在右表中选择要修改生字" : " 请在右表中选择要修改单词"));
            break;
        }
        default: {
            key = QStringLiteral("课本号");
            EditTable = textbookTable();
            m_filter.clear();
            m_filterBinds.clear();
            lblBj->setText("编辑课本名称和编号");
            FillTextbookCombo();
            lstK1->clear();
            lstK1->setEnabled(false);
            lblKm->setText("课本名称：");
            edtKh->setText(cboKt->currentText().left(1));
            edtKm->setText(cboKt->currentText().mid(2));
            edtKh->resize(40, edtKh->height());
            edtKm->resize(120, edtKm->height());
            lblTs->setText(tabHint() + " 请编辑课本或先选择课本");
            break;
        }
    }

    const int s = scope();
    chkLx->setVisible(s == 2);
    cboKt->setEnabled(s == 0);
    spbDy->setVisible(s == 2 && !pinyin);
    spbPx->setVisible(s == 2);
    spbPx->move(pinyin ? 257 : 314, spbPx->y());
    spbPx->setText(pinyin ? "生字排序(&P)" : "单词排序(&P)");
    setTextColor(lblKh, s == 1 ? Qt::blue : Qt::black);
    setTextColor(lblKm, s == 1 ? Qt::blue : Qt::black);
    setTextColor(lblBd, s == 0 ? Qt::red : s == 1 ? Qt::blue : Qt::black);
    lblBd->setEnabled(s == 2);
    dbgKb->setEnabled(s == 2);
    for (QWidget* w : QList<QWidget*>{edtPy, edtSd, lbl05, lbl06}) w->setVisible(s == 2);
    openGrid("SELECT * FROM " + EditTable + m_filter + " ORDER BY [" + key + "]", m_filterBinds);
    if (s == 2) showCountLine();
}

void EditorPage::FillTextbookCombo() {
    cboKt->clear();
    cboKt->addItems(textbookEntries(m_ctx.db.aquFz, textbookTable()));
    cboKt->setCurrentIndex(-1);
}

void EditorPage::FillLessonList() {
    const QStringList entries = lessonEntries(m_ctx.db.aquFz, lessonTable(), selectedTextbook());
    const QSignalBlocker block(lstK1);
    lstK1->clear();
    lstK1->addItems(entries);
}

void EditorPage::cboKtClick() {
    if (cboKt->currentText().isEmpty()) return;
    setTextColor(dbgKb, Qt::red);
    openGrid("SELECT * FROM " + EditTable + " WHERE 课本号 = ?", {selectedTextbook()});
    edtKm->resize(120, edtKm->height());
    const Query& q = m_ctx.db.aquSb;
    edtKh->setText(q.text(0));
    edtKm->setText(q.text(1));
    spbTj->setEnabled(true);
    spbXg->setEnabled(true);
    spbSc->setEnabled(true);
    EditKind = QStringLiteral("课本名");
}

void EditorPage::lstK1Click() {
    WaitCursor wait;
    const bool pinyin = pinyinTab();
    const int s = scope();
    // Choosing a lesson ends an open addition or modification.
    setBoxesEditable(false);
    spbTj->setText(kAdd);
    spbXg->setText(kModify);
    spbSc->setText(kDelete);
    m_pendingPicture = QImage();
    lblTz->hide();
    const QListWidgetItem* item = lstK1->currentItem();
    QString filter;
    QVariantList binds;
    if (!item || !item->isSelected()) {
        filter = kTextbookMemberSql;
        binds = {selectedTextbook()};
    } else {
        const QString L = lessonOfEntry(item->text());
        filter = kLessonMemberSql;
        binds = {L};
        if (s == 1) {
            edtKh->setText(L);
            edtKm->setText(lessonNameOfEntry(item->text()));
        } else if (s == 2) {
            clearBoxes();
            lblBj->setText("编辑(" + L + ")" + (pinyin ? "生字和拼音" : "英语单词"));
            // The grid's filter follows the lesson, so the sort and the additions use it.
            m_filter = " WHERE " + kLessonMemberSql;
            m_filterBinds = {L};
        }
    }
    openGrid("SELECT * FROM " + EditTable + " WHERE " + filter, binds);
    for (QWidget* w : QList<QWidget*>{edtPy, edtSd, lbl05, lbl06}) w->setVisible(s == 2);
    spbDy->setVisible(s == 2 && !pinyin);
    lstDy->hide();
    lblBd->setEnabled(s == 2);
    dbgKb->setEnabled(s == 2);
    dbgKb->show();
    setGridHeight(kGridHeight);
    imgZ0->hide();
    spbDy->setText("选择图片(&D)");
    spbPx->setText(pinyin ? "生字排序(&P)" : "单词排序(&P)");
    spbTj->setEnabled(true);
    spbXg->setEnabled(true);
    spbSc->setEnabled(true);
    EditKind = QStringLiteral("课题名");
    lblTz->clear();
    if (s == 2) showCountLine();
}

void EditorPage::dbgKbCellClick(const QModelIndex& index) {
    if (scope() != 2 || !index.isValid()) return;
    Query& q = m_ctx.db.aquSb;
    if (q.state() == Query::State::Edit || q.state() == Query::State::Insert) q.cancel();
    q.moveTo(index.row());
    loadBoxesFromRow();
    // Another word drops a chosen picture not yet stored, and with it the button that would drop it.
    m_pendingPicture = QImage();
    if (spbPx->text() == kDropPicture) spbPx->setText(QStringLiteral("单词排序(&P)"));
    if (EditTable == QStringLiteral("yydc")) {
        if (q.isNull("图片") || q.blob("图片").isEmpty()) {
            imgZ0->hide();
            setGridHeight(kGridHeight);
        } else {
            ShowEditorWordPicture(q, imgZ0, dbgKb);
        }
    }
    for (QWidget* w : QList<QWidget*>{lbl05, lbl06, edtPy, edtSd}) w->show();
    spbDy->setEnabled(true);
    spbDy->setText("选择图片(&D)");
    lstDy->hide();
    spbSc->setText("删除(&S)");
    spbTj->setEnabled(true);
    spbSc->setEnabled(true);
    // Shared items keep their number; only a single-lesson item can be modified.
    spbXg->setEnabled(!isSharedItem(q.text(0)));
    EditKind = QStringLiteral("生字");
}

QString EditorPage::ProposeNumber() {
    const int s = scope();
    if (s == 2) return selectedLesson();
    Query& q = m_ctx.db.aquFz;
    const QString key = s == 0 ? QStringLiteral("课本号") : QStringLiteral("编号");
    q.setSql("SELECT * FROM " + EditTable + m_filter + " ORDER BY [" + key + "]", m_filterBinds);
    q.open();
    q.last();
    const QString last = q.eof() ? QString() : q.text(0);
    q.close();
    return proposeNumber(s, last, cboKt->currentText());
}

bool EditorPage::CheckItemNumber() {
    if (scope() != 2 || spbXg->text() == QStringLiteral("修改(&X)")) return true;
    const QString n = edtKh->text();
    const Query& grid = m_ctx.db.aquSb;
    if (grid.isOpen() && grid.recNo() >= 0 && grid.text(0) == n) return true;
    const QString table = lessonTable();
    const QString problems = itemNumberProblems(n, [this, &table](const QString& group) {
        m_scratch.setSql("SELECT * FROM " + table + " WHERE 编号 = ?", {group});
        m_scratch.open();
        const bool found = !m_scratch.eof();
        m_scratch.close();
        return found;
    });
    if (problems.isEmpty()) return true;
    m_ctx.platform.dialogs().message(kTitle, itemNumberMessage(problems), MsgIcon::Information);
    edtKh->setFocus();
    return false;
}

// ---- Record entry and deletion -------------------------------------------------------------

void EditorPage::message(const QString& text) {
    m_ctx.platform.dialogs().message(kTitle, text, MsgIcon::Information);
}

void EditorPage::setBoxesEditable(bool on) {
    for (QLineEdit* e : {edtKh, edtKm, edtPy, edtSd}) e->setReadOnly(!on);
}

void EditorPage::clearBoxes() {
    for (QLineEdit* e : {edtKh, edtKm, edtPy, edtSd}) {
        const QSignalBlocker block(e);
        e->clear();
    }
}

void EditorPage::loadBoxesFromRow() {
    const Query& q = m_ctx.db.aquSb;
    const bool pinyin = EditTable == QStringLiteral("yepy");
    const QString values[] = {q.text(0), q.text(1), q.text(pinyin ? 2 : 3), q.text(pinyin ? 3 : 2)};
    QLineEdit* boxes[] = {edtKh, edtKm, edtPy, edtSd};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(boxes[i]);
        boxes[i]->setText(values[i]);
    }
}

void EditorPage::assignBoxesToRow() {
    Query& q = m_ctx.db.aquSb;
    q.setValue(0, edtKh->text());
    q.setValue(1, edtKm->text());
    if (scope() == 2) {
        const bool pinyin = EditTable == QStringLiteral("yepy");
        q.setValue(pinyin ? 2 : 3, edtPy->text());
        q.setValue(pinyin ? 3 : 2, edtSd->text());
    }
}

bool EditorPage::picturePending() const { return spbDy->text() == kStorePicture; }

void EditorPage::leavePendingPicture() {
    imgZ0->hide();
    dbgKb->show();
    lblBd->show();
}

void EditorPage::spbTjClick() {
    if (picturePending()) {
        leavePendingPicture();
        return;
    }
    lblTz->hide();
    lstDy->hide();
    const QString caption = spbTj->text();
    if (caption == kUndoChange) {
        m_ctx.db.aquSb.cancel();
        setBoxesEditable(false);
        spbXg->setText(kModify);
        spbTj->setText(kAdd);
        spbSc->setEnabled(true);
        clearBoxes();
        edtKm->setFocus();
    } else if (caption == kAdd) {
        BeginNewRecord();
    } else if (caption == kSave) {
        if (SaveNewRecord() == SaveResult::Refused) return;
        m_ctx.db.aquSb.cancel();
        spbTj->setText(kAdd);
        spbXg->setText(kModify);
        setBoxesEditable(false);
        // The row now shown is the one a modification would change; a shared one cannot be.
        const Query& q = m_ctx.db.aquSb;
        if (scope() == 2) spbXg->setEnabled(q.recNo() >= 0 && !isSharedItem(q.text(0)));
    } else if (caption == kNextNew) {
        if (SaveNewRecord() == SaveResult::Refused) return;
        Query& q = m_ctx.db.aquSb;
        if (q.state() != Query::State::Insert) q.append();
        clearBoxes();
        edtKh->setText(selectedLesson());
        edtKm->setFocus();
    }
}

void EditorPage::spbXgClick() {
    if (picturePending()) {
        leavePendingPicture();
        return;
    }
    const QString caption = spbXg->text();
    Query& q = m_ctx.db.aquSb;
    if (caption == kUndoNew) {
        setBoxesEditable(false);
        q.cancel();
        spbTj->setText(kAdd);
        spbXg->setText(kModify);
        spbXg->setEnabled(!cboKt->currentText().isEmpty());
        spbTj->setEnabled(true);
        spbSc->setEnabled(true);
        spbDy->setEnabled(false);
        lblTz->hide();
        lstDy->hide();
        clearBoxes();
        edtKm->setFocus();
    } else if (caption == kModify) {
        if (q.recNo() < 0) return;
        spbTj->setText(kUndoChange);
        spbSc->setEnabled(false);
        setBoxesEditable(true);
        spbXg->setText(chkLx->isChecked() && scope() == 2 ? kNextChanged : kConfirm);
        edtKm->setFocus();
        q.edit();
    } else if (caption == kConfirm) {
        SaveChangedRecord();
        q.cancel();
        spbTj->setText(kAdd);
        spbXg->setText(kModify);
        setBoxesEditable(false);
    } else if (caption == kNextChanged) {
        SaveChangedRecord();
        q.cancel();
        // The next row, staying on the last one.
        const int row = std::min(q.recNo() + 1, q.recordCount() - 1);
        if (row >= 0) {
            q.moveTo(row);
            dbgKb->setCurrentIndex(dbgKb->model()->index(row, 0));
        }
        loadBoxesFromRow();
        edtKm->setFocus();
        if (q.recNo() >= 0) q.edit();
    }
}

void EditorPage::BeginNewRecord() {
    const QString proposal = ProposeNumber();
    if (proposal.isEmpty() && scope() != 2) {
        // The numbering holds nine textbooks a tab and 99 lessons a textbook.
        message(scope() == 0 ? QStringLiteral("已有九本课本，不能再添加课本！")
                             : QStringLiteral("本课本已有99个课题，不能再添加课题！"));
        return;
    }
    setBoxesEditable(true);
    clearBoxes();
    edtKh->setText(proposal);
    edtKm->setFocus();
    spbTj->setText(chkLx->isChecked() && scope() == 2 ? kNextNew : kSave);
    m_ctx.db.aquSb.append();
    spbXg->setText(kUndoNew);
    spbXg->setEnabled(true);
    spbSc->setEnabled(false);
}

QString EditorPage::MissingFieldsText() const {
    return missingFieldsText(scope(), pinyinTab(), edtKh->text(), edtKm->text(), edtPy->text(),
                             edtSd->text());
}

bool EditorPage::NameAlreadyListed() {
    const QString name = edtKm->text();
    if (name.isEmpty()) return false;
    QStringList names;
    if (scope() == 1) {
        for (int i = 0; i < lstK1->count(); ++i) names << lessonNameOfEntry(lstK1->item(i)->text());
    } else if (scope() == 0) {
        for (int i = 0; i < cboKt->count(); ++i) names << textbookNameOfEntry(cboKt->itemText(i));
    }
    if (!names.contains(name)) return false;
    message(kAlreadyListed);
    edtKm->setFocus();
    spbTj->setEnabled(false);
    return true;
}

bool EditorPage::numberAcceptable(bool modifying) {
    const QString n = edtKh->text();
    const int s = scope();
    if (s == 0 && !validTextbookNumber(n)) {
        message(QStringLiteral("课本号只能是1到9中的一个数字！请修改。"));
        edtKh->setFocus();
        return false;
    }
    if (s == 1 && !validLessonNumber(n, selectedTextbook())) {
        message(QStringLiteral("课题编号应是课本号") + selectedTextbook() +
                QStringLiteral("加两位序号(01到99)！请修改。"));
        edtKh->setFocus();
        return false;
    }
    // The number of the record being changed may stay; any other entry's number is taken.
    const QString own = modifying ? m_ctx.db.aquSb.text(0) : QString();
    bool taken = false;
    if (n != own || !modifying) {
        if (s == 0) {
            m_scratch.setSql("SELECT * FROM " + textbookTable() + " WHERE 课本号 = ?", {n});
            m_scratch.open();
            taken = !m_scratch.eof();
            // Lessons left behind by a deleted textbook of that number would merge with its lessons.
            if (!taken && modifying) {
                m_scratch.setSql("SELECT * FROM " + lessonTable() + " WHERE " + kTextbookMemberSql, {n});
                m_scratch.open();
                taken = !m_scratch.eof();
            }
        } else {
            m_scratch.setSql("SELECT * FROM " + lessonTable() + " WHERE 编号 = ?", {n});
            m_scratch.open();
            taken = !m_scratch.eof();
        }
        m_scratch.close();
    }
    if (!taken) return true;
    message(kAlreadyListed);
    edtKh->setFocus();
    return false;
}

void EditorPage::reopenLessonItems(const QString& name, const QString& third, const QString& fourth) {
    const QString L = selectedLesson();
    openGrid("SELECT * FROM " + EditTable + " WHERE " + kLessonMemberSql, {L});
    showCountLine();
    // Stand on the stored item, so that a modification or deletion acts on what the boxes show.
    const Query& q = m_ctx.db.aquSb;
    const bool pinyin = EditTable == QStringLiteral("yepy");
    for (int r = 0; r < q.recordCount(); ++r) {
        const bool same = q.valueAt(r, 1).toString() == name &&
                          q.valueAt(r, pinyin ? 2 : 3).toString() == third &&
                          (!pinyin || q.valueAt(r, 3).toString() == fourth);
        if (same) {
            dbgKb->setCurrentIndex(dbgKb->model()->index(r, 0));
            m_ctx.db.aquSb.moveTo(r);
            return;
        }
    }
}

EditorPage::SaveResult EditorPage::SaveNewRecord() {
    const QString missing = MissingFieldsText();
    if (!missing.isEmpty()) {
        message(QStringLiteral("数据录入不全！(") + missing + ")");
        return SaveResult::Refused;
    }
    Query& grid = m_ctx.db.aquSb;
    const QString N = edtKh->text(), c = edtKm->text(), p = edtPy->text(), sd = edtSd->text();
    if (scope() == 2) {
        // A malformed number would leave the item in no lesson.
        if (!CheckItemNumber()) return SaveResult::Refused;
        const bool pinyin = pinyinTab();
        const QString cond = pinyin ? QStringLiteral("文字 = ? AND 拼音 = ? AND 音调 = ?")
                                    : QStringLiteral("英语 = ? AND 汉语 = ?");
        QVariantList binds = pinyin ? QVariantList{c, p, sd} : QVariantList{c, p};
        const QString L = selectedLesson();
        SaveResult result = SaveResult::NotStored;
        m_scratch.setSql("SELECT * FROM " + EditTable + " WHERE " + cond + " AND (" + kLessonMemberSql + ")",
                         binds + QVariantList{L});
        m_scratch.open();
        const bool inLesson = !m_scratch.eof();
        m_scratch.close();
        if (!inLesson) {
            m_scratch.setSql("SELECT * FROM " + EditTable + " WHERE " + cond, binds);
            m_scratch.open();
            if (m_scratch.eof()) {
                m_scratch.close();
                if (grid.state() != Query::State::Insert) grid.append();
                assignBoxesToRow();
                grid.post();
                result = SaveResult::Stored;
            } else {
                // The same item stands in other lessons: it becomes shared, no second row.
                const QString E = m_scratch.text(0);
                QString joined = E;
                const QStringList held = numberGroups(E);
                for (const QString& g : numberGroups(N))
                    if (!held.contains(g)) joined += g;
                grid.cancel();
                if (joined != E) {
                    m_scratch.updateCurrent({{m_scratch.fieldName(0), joined}});
                    result = SaveResult::Stored;
                }
                m_scratch.close();
            }
        }
        grid.cancel();
        reopenLessonItems(c, p, sd);
        return result;
    }
    if (NameAlreadyListed()) return SaveResult::NotStored;
    if (!numberAcceptable(false)) return SaveResult::Refused;
    if (grid.state() != Query::State::Insert) grid.append();
    grid.setValue(0, N);
    grid.setValue(1, c);
    grid.post();
    // The list stands on the new entry as the grid stands on its row, so that a modification or
    // deletion started now changes the entry together with the row.
    if (scope() == 1) {
        lstK1->addItem(lessonEntry(N, c));
        const QSignalBlocker block(lstK1);
        lstK1->setCurrentRow(lstK1->count() - 1);
    } else {
        cboKt->addItem(textbookEntry(N, c));
        cboKt->setCurrentIndex(cboKt->count() - 1);
    }
    EditKind = scope() == 1 ? QStringLiteral("课题名") : QStringLiteral("课本名");
    return SaveResult::Stored;
}

EditorPage::SaveResult EditorPage::SaveChangedRecord() {
    const QString missing = MissingFieldsText();
    if (!missing.isEmpty()) {
        message(QStringLiteral("数据录入不全！(") + missing + ")");
        return SaveResult::Refused;
    }
    Query& grid = m_ctx.db.aquSb;
    if (grid.recNo() < 0) return SaveResult::NotStored;
    const QString N = edtKh->text(), c = edtKm->text(), p = edtPy->text(), sd = edtSd->text();
    if (scope() == 2) {
        if (!CheckItemNumber()) return SaveResult::Refused;
        const bool pinyin = pinyinTab();
        if (pinyin)
            m_scratch.setSql("SELECT * FROM " + EditTable +
                                 " WHERE 文字 = ? AND 拼音 = ? AND 音调 = ? AND (" + kLessonMemberSql + ")",
                             {c, p, sd, N});
        else
            m_scratch.setSql(
                "SELECT * FROM " + EditTable + " WHERE 英语 = ? AND 汉语 = ? AND (" + kLessonMemberSql + ")",
                {c, p, N});
        m_scratch.open();
        const bool exists = !m_scratch.eof();
        m_scratch.close();
        if (exists) {
            message(QStringLiteral("已存在同一内容，请不要这样修改！\n(可按《撤消》按钮以撤消该修改！)"));
            return SaveResult::NotStored;
        }
        grid.edit();
        try {
            assignBoxesToRow();
            grid.post();
        } catch (...) {
            grid.cancel();
            throw;
        }
        return SaveResult::Stored;
    }
    if (!listStandsOnGridRow()) return SaveResult::NotStored;
    if (NameAlreadyListed()) return SaveResult::NotStored;
    if (!numberAcceptable(true)) return SaveResult::Refused;
    const QString old = grid.text(0);
    grid.cancel();
    try {
        // The row and the numbers that follow it change together or not at all.
        Transaction t(m_ctx.db.con1);
        grid.edit();
        grid.setValue(0, N);
        grid.setValue(1, c);
        grid.post();
        if (N != old) {
            if (scope() == 1)
                renumberLesson(m_ctx.db.con1, itemTable(), old, N);
            else
                renumberTextbook(m_ctx.db.con1, lessonTable(), itemTable(), old, N);
        }
        t.commit();
    } catch (...) {
        grid.cancel();
        rereadGrid();
        throw;
    }
    if (scope() == 1) {
        delete lstK1->takeItem(lstK1->currentRow());
        lstK1->addItem(lessonEntry(N, c));
        const QSignalBlocker block(lstK1);
        lstK1->setCurrentRow(lstK1->count() - 1);
    } else {
        cboKt->removeItem(cboKt->currentIndex());
        cboKt->addItem(textbookEntry(N, c));
        cboKt->setCurrentIndex(cboKt->count() - 1);
    }
    return SaveResult::Stored;
}

void EditorPage::rereadGrid() {
    // After a rolled-back change the record set shows the rows as the database holds them again.
    Query& grid = m_ctx.db.aquSb;
    const int row = grid.recNo();
    try {
        grid.open();
        if (row >= 0 && row < grid.recordCount()) {
            grid.moveTo(row);
            dbgKb->setCurrentIndex(dbgKb->model()->index(row, 0));
        }
    } catch (...) {
    }
}

void EditorPage::RemoveGroupFromItems(const QString& x) {
    removeGroupFromItems(m_ctx.db.con1, itemTable(), x);
}

bool EditorPage::listStandsOnGridRow() const {
    const Query& grid = m_ctx.db.aquSb;
    if (grid.recNo() < 0) return false;
    const QString chosen = scope() == 0 ? selectedTextbook() : selectedLesson();
    return !chosen.isEmpty() && chosen == grid.text(0);
}

void EditorPage::spbScClick() {
    if (spbSc->text() != kDelete) return;
    Query& grid = m_ctx.db.aquSb;
    const int s = scope();
    // A textbook or lesson is deleted only when it is the one chosen in its list.
    if (s != 2 && !listStandsOnGridRow()) return;
    const QString first = QStringLiteral("删除这条记录吗？ (") + EditKind + QStringLiteral("：") +
                          grid.text(1) + ")" + "\n\n" +
                          QStringLiteral("如果删除，请按《确定》；否则按《取消》。");
    if (m_ctx.platform.dialogs().message(QStringLiteral("删除记录"), first, MsgIcon::Question,
                                         MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    if (s == 2) {
        const QString N = edtKh->text();
        const QString L = selectedLesson();
        m_scratch.setSql("SELECT * FROM " + EditTable + " WHERE 编号 = ?", {N});
        m_scratch.open();
        const bool found = !m_scratch.eof();
        const QString number = found ? m_scratch.text(0) : QString();
        m_scratch.close();
        // Only the row the boxes show is deleted or changed.
        if (found && !N.isEmpty() && grid.recNo() >= 0 && grid.text(0) == N) {
            if (number.size() == 3) {
                grid.deleteRecord();
            } else {
                QString rest;
                for (const QString& g : numberGroups(N))
                    if (g != L) rest += g;
                if (!rest.isEmpty()) grid.updateCurrent({{grid.fieldName(0), rest}});
            }
            openGrid("SELECT * FROM " + EditTable + " WHERE " + kLessonMemberSql, {L});
            showCountLine();
            spbXg->setEnabled(false);
            spbSc->setEnabled(false);
        }
    } else if (grid.recNo() >= 0) {
        const QString x = s == 0 ? selectedTextbook() : selectedLesson();
        const QString second = (s == 0 ? QStringLiteral("是否同时删除本课本中的所有课题和生字？")
                                       : QStringLiteral("是否同时删除本课题中的所有生字？")) +
                               "\n\n" + QStringLiteral("   请注意！如果删除后将无法恢复！");
        const bool all =
            m_ctx.platform.dialogs().message(QStringLiteral("删除记录"), second, MsgIcon::Question,
                                             MsgButtons::YesNo) == MsgResult::Yes;
        try {
            // The record, its lessons and its items go together or not at all.
            Transaction t(m_ctx.db.con1);
            grid.deleteRecord();
            if (all && !x.isEmpty()) {
                if (s == 0)
                    m_ctx.db.con1.exec("DELETE FROM " + lessonTable() + " WHERE " + kTextbookMemberSql, {x});
                RemoveGroupFromItems(x);
            }
            t.commit();
        } catch (...) {
            rereadGrid();
            throw;
        }
        if (s == 0) {
            cboKt->removeItem(cboKt->currentIndex());
            cboKt->setCurrentIndex(-1);
        } else {
            const QSignalBlocker block(lstK1);
            delete lstK1->takeItem(lstK1->currentRow());
            lstK1->setCurrentRow(-1);
        }
        spbXg->setEnabled(false);
        spbSc->setEnabled(false);
    }
    clearBoxes();
}

// ---- Help while typing ----------------------------------------------------------------------

void EditorPage::edtKhChange() { spbTj->setEnabled(true); }

void EditorPage::edtKmChange() {
    spbTj->setEnabled(true);
    if (!pinyinTab() || scope() != 2 || spbTj->text() == kAdd) return;
    const QString c = edtKm->text();
    m_scratch.setSql("SELECT count(*) AS intCs FROM yepy WHERE 文字 = ?", {c});
    m_scratch.open();
    const int count = m_scratch.integer(0);
    m_scratch.close();
    if (count > 0) {
        QStringList lines{QStringLiteral("原已录入：")};
        m_scratch.setSql("SELECT * FROM yepy WHERE 文字 = ?", {c});
        m_scratch.open();
        for (m_scratch.first(); !m_scratch.eof(); m_scratch.next())
            lines << "[" + m_scratch.text(0) + "]" + m_scratch.text(1) + m_scratch.text(2) + " " +
                         m_scratch.text(3);
        m_scratch.close();
        lblTz->setText(lines.join('\n'));
        lblTz->show();
    }
    if (gbk::byteLength(c) == 2) LookUpDictionaryPinyin();
}

void EditorPage::LookUpDictionaryPinyin() {
    const QString c = edtKm->text();
    if (c.isEmpty()) return;
    m_scratch.setSql("SELECT * FROM yefc WHERE 汉字 = ?", {c});
    m_scratch.open();
    QStringList readings;
    for (m_scratch.first(); !m_scratch.eof(); m_scratch.next()) readings << m_scratch.text(1);
    m_scratch.close();
    if (readings.size() == 1) {
        QString py, tone;
        splitReading(readings.front(), &py, &tone);
        edtPy->setText(py);
        edtSd->setText(tone);
        edtSd->setFocus();
    } else if (readings.size() > 1) {
        lstDy->clear();
        lstDy->addItems(readings);
        // One row per reading and a margin, as many rows as there are readings; the rows are as
        // high as the list's font needs.
        lstDy->resize(lstDy->width(), readingListHeight(static_cast<int>(readings.size())));
        lstDy->show();
        lstDy->raise();
    }
}

int EditorPage::readingListHeight(int rows) const {
    const int row = std::max(12, lstDy->fontMetrics().height() + 2);
    return row * rows + 12;
}

void EditorPage::lstDyClick() {
    const QListWidgetItem* item = lstDy->currentItem();
    if (!item) return;
    QString py, tone;
    splitReading(item->text(), &py, &tone);
    edtPy->setText(py);
    edtSd->setText(tone);
    lstDy->hide();
    edtSd->setFocus();
}

void EditorPage::edtSdChange() {
    if (spbTj->text() != kAdd && spbXg->text() != kModify) CheckCharacterDuplicate();
}

void EditorPage::CheckCharacterDuplicate() {
    const QString c = edtKm->text(), p = edtPy->text(), sd = edtSd->text();
    m_scratch.setSql("SELECT count(*) AS intJs FROM yepy WHERE 文字 = ? AND 拼音 = ? AND 音调 = ? AND (" +
                         kLessonMemberSql + ")",
                     {c, p, sd, selectedLesson()});
    m_scratch.open();
    const int f = m_scratch.integer(0);
    m_scratch.close();
    int a = 0;
    if (f > 0) {
        m_scratch.setSql("SELECT count(*) AS intQb FROM yefc WHERE (汉字 = ?) AND (拼音 = ?)", {c, p + sd});
        m_scratch.open();
        a = m_scratch.integer(0);
        m_scratch.close();
        QString text =
            QStringLiteral("      已录入同一字，请不要重复录入！\n    （可按《撤消》按钮以撤消该录入！）");
        if (f != a) text += QStringLiteral("\n\n如果录入多音字，可按《添加多音字》按钮以录入！");
        message(text);
        spbTj->setEnabled(false);
    } else {
        m_scratch.setSql("SELECT count(*) AS intQb FROM yefc WHERE (汉字 = ?) AND (拼音 = ?)", {c, p + sd});
        m_scratch.open();
        a = m_scratch.integer(0);
        m_scratch.close();
    }
    spbDy->setEnabled(f < a);
}

void EditorPage::edtKhExit() {
    const QString n = edtKh->text();
    if (n.isEmpty()) return;
    const int s = scope();
    if (s == 2) {
        CheckItemNumber();
        return;
    }
    bool listed = false;
    if (s == 1) {
        for (int i = 0; i < lstK1->count() && !listed; ++i)
            listed = lessonOfEntry(lstK1->item(i)->text()) == n;
    } else {
        for (int i = 0; i < cboKt->count() && !listed; ++i) listed = cboKt->itemText(i).left(n.size()) == n;
    }
    if (!listed) return;
    message(kAlreadyListed);
    edtKh->setFocus();
    spbTj->setEnabled(false);
}

void EditorPage::edtKmExit() {
    if (!edtKm->text().isEmpty() && spbTj->text() != kAdd && spbXg->text() != kModify && scope() != 2)
        NameAlreadyListed();
}

// ---- Input method per box -------------------------------------------------------------------

void EditorPage::openInputMethod(QLineEdit* box) {
    box->setAttribute(Qt::WA_InputMethodEnabled, !box->isReadOnly());
    if (cboSr->currentText() != kNoInputMethod) m_ctx.platform.inputMethods().activate(cboSr->currentIndex());
}

void EditorPage::closeInputMethod(QLineEdit* box) {
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_ctx.platform.inputMethods().deactivate();
}

void EditorPage::edtKmEnter() {
    if (pinyinTab()) openInputMethod(edtKm);
}

void EditorPage::edtPyEnter() {
    if (!pinyinTab()) {
        openInputMethod(edtPy);
        return;
    }
    const bool open = spbXg->text() == kConfirm || spbXg->text() == kNextChanged || spbTj->text() == kSave ||
                      spbTj->text() == kNextNew;
    if (open) LookUpDictionaryPinyin();
}

void EditorPage::edtKhEnter() { closeInputMethod(edtKh); }

void EditorPage::edtSdEnter() { closeInputMethod(edtSd); }

void EditorPage::cboSrClick() {
    const int index = cboSr->currentIndex();
    if (index < 0) return;
    // The boxes open the chosen input method (or none) when they are entered.
    storeSettings(m_ctx.db.aquFz, {{"输入法", index}});
}

// ---- Keys -----------------------------------------------------------------------------------

bool EditorPage::boxKeyDown(QLineEdit* box, int key) {
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    QLineEdit* to = nullptr;
    if (box == edtKh) {
        if (key == Qt::Key_Up) to = EditTable == QStringLiteral("yepy") ? edtSd : edtKm;
        if (key == Qt::Key_Down) to = edtKm;
    } else if (box == edtKm) {
        if (key == Qt::Key_Up) to = edtKh;
        if (key == Qt::Key_Down || enter) to = scope() == 2 ? edtPy : edtKh;
    } else if (box == edtPy) {
        if (key == Qt::Key_Up) to = edtKm;
        if (key == Qt::Key_Down) to = edtSd;
    } else if (box == edtSd) {
        if (key == Qt::Key_Up) to = edtPy;
        if (key == Qt::Key_Down) to = edtKh;
        if (enter) {
            if (spbXg->text() == kNextChanged || spbXg->text() == kConfirm) SaveChangedRecord();
            if (spbTj->text() == kNextNew || spbTj->text() == kSave) spbTjClick();
            return true;
        }
    }
    if (!to) return false;
    to->setFocus();
    return true;
}

void EditorPage::keyNavigated(QWidget* view) { m_keyView = view; }

bool EditorPage::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == lstK1 || watched == dbgKb || watched == cboKt) {
        // Arrow keys choose as a click does: the view's current-row signal runs the click handler
        // while the key is down.
        if (type == QEvent::KeyPress) keyNavigated(qobject_cast<QWidget*>(watched));
        if (type == QEvent::KeyRelease || type == QEvent::FocusOut || type == QEvent::MouseButtonPress)
            m_keyView = nullptr;
        return false;
    }
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box) return false;
    bool handled = false;
    runGuarded([&] {
        if (type == QEvent::FocusIn) {
            if (box == edtKm) edtKmEnter();
            if (box == edtPy) edtPyEnter();
            if (box == edtKh) edtKhEnter();
            if (box == edtSd) edtSdEnter();
        } else if (type == QEvent::FocusOut && !m_inExit) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // A message box or a menu taking the focus is no leaving of the box.
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
            m_inExit = true;
            struct Reset {
                bool& f;
                ~Reset() { f = false; }
            } reset{m_inExit};
            if (box == edtKh) edtKhExit();
            if (box == edtKm) edtKmExit();
        } else if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter)
                handled = boxKeyDown(box, key);
        }
    });
    return handled;
}

// ---- Entry aids -----------------------------------------------------------------------------

void EditorPage::spbPxClick() {
    const bool pinyin = pinyinTab();
    if (spbPx->text() == kDropPicture) {
        m_pendingPicture = QImage();
        imgZ0->hide();
        dbgKb->show();
        setGridHeight(kGridHeight);
        lblBd->setText(QStringLiteral("在下表中选择要修改单词"));
        spbDy->setText(kChoosePicture);
        spbPx->setText(QStringLiteral("单词排序(&P)"));
        return;
    }
    if (!spbPx->text().startsWith(QStringLiteral("取")))
        spbPx->setText(QStringLiteral("取消排序(&P)"));
    else
        spbPx->setText(pinyin ? QStringLiteral("文字排序(&P)") : QStringLiteral("单词排序(&P)"));
    QString sql = "SELECT * FROM " + EditTable + " WHERE " + kLessonMemberSql;
    if (spbPx->text().startsWith(QStringLiteral("取")))
        sql += pinyin ? " ORDER BY [文字]" : " ORDER BY [英语]";
    openGrid(sql, {selectedLesson()});
}

void EditorPage::spbDyClick() {
    if (spbDy->text() == kChoosePicture) {
        const QString file = m_ctx.platform.dialogs().openFile(
            QStringLiteral("选择图片"),
            QStringLiteral("图片文件(.bmp,.jpg)|*.bmp;*.jpg|BMP文件(.bmp)|*.bmp|JPG文件(.jpg)|*.jpg"),
            QString());
        if (file.isEmpty()) return;
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) fail(QStringLiteral("图片文件 %1 不能读出。").arg(file));
        const QByteArray bytes = f.readAll();
        // Whole pictures only: a damaged or absurd file is reported and changes nothing.
        QImage picture;
        try {
            picture = QFileInfo(file).suffix().toUpper() == QStringLiteral("BMP") ? decodeBitmap(bytes)
                                                                                  : decodeJpeg(bytes, true);
        } catch (const std::exception&) {
            message(QStringLiteral("图片文件“%1”不是完整的BMP或JPG图片，不能选用！")
                        .arg(QFileInfo(file).fileName()));
            return;
        }
        m_pendingPicture = picture;
        imgZ0->setStretch(true);
        imgZ0->setPicture(picture);
        imgZ0->setGeometry(pendingPicturePlacement(picture.size()));
        imgZ0->show();
        imgZ0->raise();
        dbgKb->hide();
        lblBd->setText(QStringLiteral("选择的图片"));
        spbDy->setText(kStorePicture);
        spbPx->setText(kDropPicture);
        return;
    }
    if (spbDy->text() != kStorePicture || m_pendingPicture.isNull()) return;
    Query& grid = m_ctx.db.aquSb;
    // The picture belongs to the word the boxes show, which must be a stored row of the grid.
    if (grid.state() != Query::State::Browse || grid.recNo() < 0 || grid.text(0) != edtKh->text() ||
        grid.text(1) != edtKm->text()) {
        message(QStringLiteral("请先在右表中选择要录入图片的单词！"));
        return;
    }
    grid.updateCurrent({{QStringLiteral("图片"), wordPictureJpeg(m_pendingPicture)}});
    m_pendingPicture = QImage();
    dbgKb->show();
    setGridHeight(kGridHeight);
    imgZ0->hide();
    ShowEditorWordPicture(grid, imgZ0, dbgKb);
    lblBd->setText(QStringLiteral("在下表中选择要修改单词"));
    spbDy->setText(kChoosePicture);
    spbPx->setText(QStringLiteral("单词排序(&P)"));
}

}  // namespace kovu
