#include "editor/EditorPage.h"

#include <QApplication>
#include <QHeaderView>

#include "data/Numbering.h"
#include "data/PictureStore.h"
#include "data/Settings.h"
#include "platform/Dialogs.h"
#include "platform/ErrorHandler.h"
#include "platform/Platform.h"

namespace kovu {

namespace {

const QString kTitle = QStringLiteral("操作提示");
const QString kPinyinHint = QStringLiteral("[拼音生字录入或编辑修改]");
const QString kEnglishHint = QStringLiteral("[英语单词录入或编辑修改]");
constexpr int kGridHeight = 292;

// The wait cursor until the handler returns, however it returns.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QLabel* makeLabel(QWidget* parent, const char* name, int left, int top, int width, const QString& text) {
    auto* l = makeControl<QLabel>(parent, name, left, top, width, 18);
    l->setText(text);
    return l;
}

}  // namespace

EditorPage::EditorPage(FormContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_model(new QueryModel(this)), m_scratch(ctx.db.con1, "aquCx") {
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

    connect(tabFl, &QTabBar::currentChanged, this, guarded([this](int) { tabFlChange(); }));
    connect(rgpFw, &TRadioGroup::clicked, this, guarded([this] { rgpFwClick(); }));
    connect(cboKt, &QComboBox::activated, this, guarded([this](int) { cboKtClick(); }));
    connect(lstK1, &QListWidget::itemClicked, this, guarded([this](QListWidgetItem*) { lstK1Click(); }));
    connect(dbgKb, &QTableView::clicked, this, guarded([this](const QModelIndex& i) { dbgKbCellClick(i); }));
    // The record set follows the grid's current row, as a bound grid moves its data set.
    connect(dbgKb->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            guarded([this](const QModelIndex& current, const QModelIndex&) {
                if (current.isValid()) m_ctx.db.aquSb.moveTo(current.row());
            }));
}

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
    const int stored = readSetting(m_ctx.db.aquCx, "输入法").toInt();
    // A stored position outside the list (input methods removed since) shows "不设置".
    cboSr->setCurrentIndex(stored >= 0 && stored < cboSr->count() ? stored : cboSr->count() - 1);
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
    Query& q = m_ctx.db.aquFz;
    q.setSql("SELECT * FROM " + textbookTable());
    q.open();
    for (q.first(); !q.eof(); q.next()) cboKt->addItem(textbookEntry(q.text(0), q.text(1)));
    q.close();
    cboKt->setCurrentIndex(-1);
}

void EditorPage::FillLessonList() {
    Query& q = m_ctx.db.aquFz;
    q.setSql("SELECT * FROM " + lessonTable() + " WHERE " + kTextbookMemberSql, {selectedTextbook()});
    q.open();
    lstK1->clear();
    for (q.first(); !q.eof(); q.next()) lstK1->addItem(lessonEntry(q.text(0), q.text(1)));
    q.close();
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
            for (QLineEdit* e : {edtKh, edtKm, edtPy, edtSd}) e->clear();
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
    q.moveTo(index.row());
    const bool pinyin = EditTable == QStringLiteral("yepy");
    edtKh->setText(q.text(0));
    edtKm->setText(q.text(1));
    edtPy->setText(q.text(pinyin ? 2 : 3));
    edtSd->setText(q.text(pinyin ? 3 : 2));
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

}  // namespace kovu
