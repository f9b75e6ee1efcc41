#include "editor/EditorPage.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>

#include "data/ContentLists.h"
#include "data/Numbering.h"
#include "editor/EditorCaptions.h"
#include "platform/Dialogs.h"
#include "platform/ErrorHandler.h"
#include "platform/Platform.h"

namespace kovu {

using namespace editor;

EditorPage::EditorPage(FormContext& ctx, QWidget* parent)
    : QWidget(parent),
      m_ctx(ctx),
      m_model(new QueryModel(this)),
      m_scratch(ctx.db.aquCx),
      m_navigation(std::make_unique<EditorNavigation>(*this, ctx)),
      m_entry(std::make_unique<RecordEntry>(*this, ctx)),
      m_aids(std::make_unique<EntryAids>(*this, ctx)) {
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
    connectHandlers();
}

EditorPage::~EditorPage() = default;

void EditorPage::connectHandlers() {
    EditorNavigation* nav = m_navigation.get();
    RecordEntry* entry = m_entry.get();
    EntryAids* aids = m_aids.get();
    connect(spbTj, &QPushButton::clicked, this, guarded([entry] { entry->spbTjClick(); }));
    connect(spbXg, &QPushButton::clicked, this, guarded([entry] { entry->spbXgClick(); }));
    connect(spbSc, &QPushButton::clicked, this, guarded([entry] { entry->spbScClick(); }));
    connect(spbPx, &QPushButton::clicked, this, guarded([aids] { aids->spbPxClick(); }));
    connect(spbDy, &QPushButton::clicked, this, guarded([aids] { aids->spbDyClick(); }));
    connect(cboSr, &QComboBox::activated, this, guarded([aids](int) { aids->cboSrClick(); }));
    connect(lstDy, &QListWidget::itemClicked, this,
            guarded([aids](QListWidgetItem*) { aids->lstDyClick(); }));
    connect(edtKh, &QLineEdit::textChanged, this, guarded([entry] { entry->edtKhChange(); }));
    connect(edtKm, &QLineEdit::textChanged, this, guarded([aids] { aids->edtKmChange(); }));
    connect(edtSd, &QLineEdit::textChanged, this, guarded([aids] { aids->edtSdChange(); }));
    connect(lstK1, &QListWidget::currentRowChanged, this, guarded([this, nav](int) {
                if (m_keyView == lstK1) nav->lstK1Click();
            }));
    connect(tabFl, &QTabBar::currentChanged, this, guarded([nav](int) { nav->tabFlChange(); }));
    connect(rgpFw, &TRadioGroup::clicked, this, guarded([nav] { nav->rgpFwClick(); }));
    connect(cboKt, &QComboBox::activated, this, guarded([nav](int) { nav->cboKtClick(); }));
    connect(lstK1, &QListWidget::itemClicked, this, guarded([nav](QListWidgetItem*) { nav->lstK1Click(); }));
    connect(dbgKb, &QTableView::clicked, this,
            guarded([nav](const QModelIndex& i) { nav->dbgKbCellClick(i); }));
    // The record set follows the grid's current row, as a bound grid moves its data set.
    connect(dbgKb->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            guarded([this, nav](const QModelIndex& current, const QModelIndex&) {
                if (!current.isValid()) return;
                // A pending addition or modification lives in the boxes until it is saved; the
                // record set only moves.
                Query& q = grid();
                if (q.state() == Query::State::Edit || q.state() == Query::State::Insert) q.cancel();
                q.moveTo(current.row());
                if (m_keyView == dbgKb) nav->dbgKbCellClick(current);
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

Query& EditorPage::grid() { return m_ctx.db.aquSb; }

void EditorPage::openGrid(const QString& sql, const QVariantList& binds) {
    Query& q = grid();
    q.setSql(sql, binds);
    q.open();
    // Narrow columns for numbers and single characters, so the grid's 180 pixels show the most.
    dbgKb->resizeColumnsToContents();
}

void EditorPage::setGridHeight(int h) { dbgKb->resize(dbgKb->width(), h); }

void EditorPage::standOnGridRow(int row) {
    dbgKb->setCurrentIndex(dbgKb->model()->index(row, 0));
    grid().moveTo(row);
}

void EditorPage::showCountLine() {
    lblBd->setText(QStringLiteral("选择要修改") + (pinyinTab() ? "生字" : "单词") +
                   QStringLiteral("(共%1个)").arg(grid().recordCount()));
}

void EditorPage::message(const QString& text) {
    m_ctx.platform.dialogs().message(QStringLiteral("操作提示"), text, MsgIcon::Information);
}

void EditorPage::setBoxesEditable(bool on) {
    for (QLineEdit* e : {edtKh, edtKm, edtPy, edtSd}) e->setReadOnly(!on);
}

void EditorPage::clearBoxes() {
    for (QLineEdit* e : {edtKh, edtKm, edtPy, edtSd}) {
        const QSignalBlocker block(e);
        e->clear();
    }
    forgetShownItem();
}

void EditorPage::dropShownItem() {
    clearBoxes();
    // Empty boxes show no item: in the item scope 修改 and 删除 wait for a row to be chosen.
    if (scope() == 2) {
        spbXg->setEnabled(false);
        spbSc->setEnabled(false);
    }
}

void EditorPage::loadBoxesFromRow() {
    const Query& q = grid();
    const bool pinyin = EditTable == QStringLiteral("yepy");
    const QString values[] = {q.text(0), q.text(1), q.text(pinyin ? 2 : 3), q.text(pinyin ? 3 : 2)};
    QLineEdit* boxes[] = {edtKh, edtKm, edtPy, edtSd};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(boxes[i]);
        boxes[i]->setText(values[i]);
    }
    rememberShownItem();
}

namespace {

QVariantList storedColumns(const Query& q, int row) {
    QVariantList values;
    for (int c = 0; c < 4 && c < q.fieldCount(); ++c) values << q.valueAt(row, c).toString();
    return values;
}

}  // namespace

void EditorPage::rememberShownItem() {
    const Query& q = grid();
    if (q.recNo() < 0)
        forgetShownItem();
    else
        m_shownItem = storedColumns(q, q.recNo());
}

bool EditorPage::standOnShownItem() {
    if (scope() != 2) return true;
    Query& q = grid();
    bool found = showsItem() && q.recNo() >= 0 && storedColumns(q, q.recNo()) == m_shownItem;
    for (int r = 0; !found && showsItem() && r < q.recordCount(); ++r) {
        if (storedColumns(q, r) != m_shownItem) continue;
        standOnGridRow(r);
        found = true;
    }
    if (!found) {
        spbXg->setEnabled(false);
        spbSc->setEnabled(false);
    }
    return found;
}

void EditorPage::boxEvent(QLineEdit* box, QEvent* event, bool* handled) {
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn) {
        if (box == edtKm) m_aids->edtKmEnter();
        if (box == edtPy) m_aids->edtPyEnter();
        if (box == edtKh) m_aids->edtKhEnter();
        if (box == edtSd) m_aids->edtSdEnter();
    } else if (type == QEvent::FocusOut && !m_inExit) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box or a menu taking the focus is no leaving of the box.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
        m_inExit = true;
        struct Reset {
            bool& f;
            ~Reset() { f = false; }
        } reset{m_inExit};
        if (box == edtKh) m_entry->edtKhExit();
        if (box == edtKm) m_entry->edtKmExit();
    } else if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter)
            *handled = m_entry->boxKeyDown(box, key);
    }
}

bool EditorPage::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == lstK1 || watched == dbgKb || watched == cboKt) {
        // Arrow keys choose as a click does: the view's current-row signal runs the click handler
        // while the key is down.
        if (type == QEvent::KeyPress) m_keyView = qobject_cast<QWidget*>(watched);
        if (type == QEvent::KeyRelease || type == QEvent::FocusOut || type == QEvent::MouseButtonPress)
            m_keyView = nullptr;
        return false;
    }
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box) return false;
    bool handled = false;
    runGuarded([&] { boxEvent(box, event, &handled); });
    return handled;
}

}  // namespace kovu
