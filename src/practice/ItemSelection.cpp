#include "practice/ItemSelection.h"

#include <sqlcipher/sqlite3.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QSet>
#include <QSignalBlocker>

#include "data/ContentLists.h"
#include "data/Numbering.h"
#include "data/Settings.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/ErrorHandler.h"
#include "platform/Platform.h"
#include "practice/ConditionsPanel.h"
#include "progress/MistakeBook.h"

namespace kovu {

namespace {

const QString kIncludedCaption = QStringLiteral("课本中包含的文字");
const QString kChosenCaption = QStringLiteral("课本中选中的文字");

// Sorted list boxes order their entries by text without regard to letter case.
class EntryItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override {
        const int c = text().compare(other.text(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : text() < other.text();
    }
};

QListWidgetItem* copyEntry(const QListWidgetItem* from) {
    auto* item = new EntryItem(from->text());
    item->setData(Qt::UserRole, from->data(Qt::UserRole));
    return item;
}

// Two columns, filled top to bottom and then the second column, as the list boxes were designed.
QListWidget* makeTwoColumnList(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* list = makeControl<QListWidget>(parent, name, left, top, width, height);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setUniformItemSizes(true);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    const int rowHeight = list->fontMetrics().height() + 2;
    list->setGridSize(QSize((width - 6) / 2, rowHeight));
    list->setTextElideMode(Qt::ElideRight);
    return list;
}

}  // namespace

ItemSelection::ItemSelection(FormContext& ctx, ConditionsPanel* panel, QWidget* parent)
    : QFrame(parent), m_ctx(ctx), m_panel(panel) {
    setObjectName("panPy");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setGeometry(138, 2, 488, 377);

    lbl01 = makeControl<QLabel>(this, "lbl01", 8, 11, 66, 18);
    lbl01->setText("选择课本：");
    cboKb = makeControl<QComboBox>(this, "cboKb", 74, 8, 160, 24);
    Label7 = makeControl<QLabel>(this, "Label7", 244, 11, 66, 18);
    Label7->setText("选择课题：");
    cboK1 = makeControl<QComboBox>(this, "cboK1", 310, 8, 170, 24);
    for (QComboBox* box : {cboKb, cboK1}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMaxVisibleItems(20);
    }

    lbl04 = makeControl<QLabel>(this, "lbl04", 8, 40, 212, 18);
    lbl04->setText(kIncludedCaption);
    lstKt = makeTwoColumnList(this, "lstKt", 8, 58, 212, 262);
    lbl02 = makeControl<QLabel>(this, "lbl02", 268, 40, 212, 18);
    lbl02->setText(kChosenCaption);
    lstXz = makeTwoColumnList(this, "lstXz", 268, 58, 212, 262);
    setTextColor(lstXz, Qt::blue);

    Label6 = makeControl<QLabel>(this, "Label6", 236, 60, 16, 140);
    Label6->setText("选择要练习的生字");
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    spbXq = makeControl<QPushButton>(this, "spbXq", 223, 214, 42, 28);
    spbXq->setText("全添");
    spbGh = makeControl<QPushButton>(this, "spbGh", 223, 250, 42, 28);
    spbGh->setText("更换");
    spbXc = makeControl<QPushButton>(this, "spbXc", 223, 286, 42, 28);
    spbXc->setText("全撤");

    // Below the hint, under the right-hand list whose choice it replaces.
    spbCt = makeControl<QPushButton>(this, "spbCt", 396, 351, 84, 24);
    spbCt->setText("错题(&W)");

    Label8 = makeControl<QLabel>(this, "Label8", 8, 330, 472, 18);
    Label8->setText("在左表中用鼠标点击为单条选中；在右表中用鼠标点击为单条撤消");
    Label8->setAlignment(Qt::AlignCenter);
    prg1 = makeControl<QProgressBar>(this, "prg1", 8, 328, 472, 22);
    prg1->setRange(0, 100);
    prg1->setValue(0);
    prg1->hide();

    // Only a choice from the list runs the handlers; typed text that names no entry is put back.
    connect(cboKb, &QComboBox::activated, this, guarded([this](int) { cboKbClick(); }));
    connect(cboK1, &QComboBox::activated, this, guarded([this](int) { cboK1Click(); }));
    connect(cboKb->lineEdit(), &QLineEdit::editingFinished, this,
            guarded([this] { restoreTypedText(cboKb); }));
    connect(cboK1->lineEdit(), &QLineEdit::editingFinished, this,
            guarded([this] { restoreTypedText(cboK1); }));
    connect(lstKt, &QListWidget::itemClicked, this, guarded([this](QListWidgetItem*) { lstKtClick(); }));
    connect(lstXz, &QListWidget::itemClicked, this, guarded([this](QListWidgetItem*) { lstXzClick(); }));
    connect(spbXq, &QPushButton::clicked, this, guarded([this] { spbXqClick(); }));
    connect(spbXc, &QPushButton::clicked, this, guarded([this] { spbXcClick(); }));
    connect(spbGh, &QPushButton::clicked, this, guarded([this] { spbGhClick(); }));
    connect(spbCt, &QPushButton::clicked, this, guarded([this] { spbCtClick(); }));
    // Check boxes run their handler also when the program changes them.
    connect(m_panel->chkPx, &QCheckBox::toggled, this, guarded([this](bool) { chkPxClick(); }));
    connect(m_panel->chkSd, &QCheckBox::toggled, this, guarded([this](bool) { chkSdClick(); }));
    connect(m_panel->cboKf, &QComboBox::currentTextChanged, this,
            guarded([this](const QString&) { cboKfChange(); }));
    hide();
}

bool ItemSelection::isPinyin() const { return m_ctx.state.PracticeKind != QStringLiteral("英语"); }
QString ItemSelection::textbookTable() const { return contentTables(isPinyin()).textbook; }
QString ItemSelection::lessonTable() const { return contentTables(isPinyin()).lesson; }
QString ItemSelection::itemTable() const { return contentTables(isPinyin()).item; }
QString ItemSelection::keyField() const { return isPinyin() ? "文字" : "英语"; }

QString ItemSelection::currentLesson() const {
    const int i = cboK1->currentIndex();
    return i < 0 ? QString() : lessonOfEntry(cboK1->itemText(i));
}

void ItemSelection::restoreTypedText(QComboBox* box) {
    if (box->findText(box->currentText(), Qt::MatchExactly) >= 0) return;
    const int i = box->currentIndex();
    box->setEditText(i < 0 ? QString() : box->itemText(i));
}

void ItemSelection::addEntry(QListWidget* list, const Query& q) {
    QString text;
    QVariantList fields;
    if (isPinyin()) {
        // 好(hao 3)
        fields = {q.value("文字"), q.value("拼音"), q.value("音调")};
        text = q.text("文字") + "(" + q.text("拼音") + " " + q.text("音调") + ")";
    } else {
        // apple(苹果)
        fields = {q.value("英语"), q.value("汉语")};
        text = q.text("英语") + "(" + q.text("汉语") + ")";
    }
    auto* item = new EntryItem(text);
    item->setData(Qt::UserRole, fields);
    list->addItem(item);
}

QString ItemSelection::entryCondition(const QListWidgetItem* item, QVariantList& binds) const {
    const QVariantList fields = item->data(Qt::UserRole).toList();
    binds << fields;
    // IS also matches an empty (Null) reading or meaning.
    return isPinyin() ? QStringLiteral("文字 = ? AND 拼音 IS ? AND 音调 IS ?")
                      : QStringLiteral("英语 = ? AND 汉语 IS ?");
}

void ItemSelection::setSorted(QListWidget* list, bool sorted) {
    list->setSortingEnabled(sorted);
    if (sorted) list->sortItems(Qt::AscendingOrder);
}

void ItemSelection::setCounts() {
    lbl02->setText(kChosenCaption + QStringLiteral("(共%1个)").arg(lstXz->count()));
}

void ItemSelection::OpenSelection() {
    Query& q = m_ctx.db.aquSb;
    const bool pinyin = isPinyin();
    m_loading = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_loading};

    // 3. The right-hand list is rebuilt from the flags.
    lstXz->clear();
    // 4. Textbooks in table order.
    cboKb->clear();
    cboKb->addItems(textbookEntries(q, textbookTable()));
    // 5. The stored positions (1-based), read apart from the lists' record set.
    Query& settings = m_ctx.db.aquCx;
    openSettingsRow(settings);
    const int book = settings.integer(pinyin ? "课本号" : "英课本");
    const int lesson = settings.integer(pinyin ? "课题号" : "英课题");
    const bool tone = pinyin && settings.boolean("标注声调");
    const QString deduction = pinyin ? settings.text("声调去分") : QString();
    const bool sorted = pinyin ? settings.boolean("拼音排序") : m_panel->chkPx->isChecked();
    settings.close();
    // A position past the end of its list leaves that list without a choice.
    cboKb->setCurrentIndex(book >= 1 && book <= cboKb->count() ? book - 1 : -1);
    // 6. The lessons of the chosen textbook, in table order.
    cboK1->clear();
    if (cboKb->currentIndex() >= 0)
        cboK1->addItems(lessonEntries(q, lessonTable(), textbookOfEntry(cboKb->currentText())));
    cboK1->setCurrentIndex(lesson >= 1 && lesson <= cboK1->count() ? lesson - 1 : -1);
    // 7. The pinyin settings; the English screen keeps chkPx as it is.
    if (pinyin) {
        m_panel->chkSd->setChecked(tone);
        m_panel->cboKf->setEditText(deduction);
        m_panel->chkPx->setChecked(sorted);
        m_panel->RestoreTracing();
    }
    m_panel->cboKf->setEnabled(m_panel->chkSd->isChecked());
    m_panel->lbl03->setEnabled(m_panel->chkSd->isChecked());
    setSorted(lstXz, m_panel->chkPx->isChecked());
    // 8. The lesson's items on the left.
    cboK1Click();
    // 9. Every chosen item of the kind on the right.
    fillRightList();
    // 10.
    spbXq->setEnabled(lstXz->count() == 0);
    spbXc->setEnabled(lstXz->count() > 0);
}

void ItemSelection::fillLeftList() {
    const QString L = currentLesson();
    m_listedLesson = L;
    setSorted(lstKt, m_panel->chkPx->isChecked());
    lstKt->clear();
    if (!L.isEmpty()) {
        Query& q = m_ctx.db.aquSb;
        q.setSql("SELECT * FROM " + itemTable() + " WHERE " + kLessonMemberSql, {L});
        q.open();
        for (q.first(); !q.eof(); q.next()) addEntry(lstKt, q);
        q.close();
    }
    spbXq->setEnabled(lstKt->count() > 0);
    lbl04->setText(kIncludedCaption + QStringLiteral("(共%1个)").arg(lstKt->count()));
}

void ItemSelection::fillRightList() {
    lstXz->clear();
    Query& q = m_ctx.db.aquSb;
    q.setSql("SELECT * FROM " + itemTable() + " WHERE 选中 = 1");
    q.open();
    for (q.first(); !q.eof(); q.next()) addEntry(lstXz, q);
    q.close();
    setCounts();
}

void ItemSelection::cboKbClick() {
    m_panel->bitQd->setEnabled(false);
    const int i = cboKb->currentIndex();
    const QString d = i < 0 ? QString() : textbookOfEntry(cboKb->itemText(i));
    cboK1->clear();
    cboK1->addItems(lessonEntries(m_ctx.db.aquSb, lessonTable(), d));
    // No lesson is chosen; the left-hand list keeps its entries until one is.
    cboK1->setCurrentIndex(-1);
}

void ItemSelection::cboK1Click() {
    m_panel->bitQd->setEnabled(true);
    fillLeftList();
}

void ItemSelection::lstKtClick() {
    QListWidgetItem* item = lstKt->currentItem();
    if (!item || !item->isSelected()) return;
    if (!lstXz->findItems(item->text(), Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) return;
    // The left-hand list keeps a lesson's entries after a textbook choice that chose no lesson: the
    // entry's row is looked up in the lesson it was listed for.
    const QString L = m_listedLesson;
    if (!L.isEmpty()) {
        // The row of this entry in its lesson: this reading of the character, this meaning of the
        // word.
        QVariantList binds{L};
        const QString cond = entryCondition(item, binds);
        Query& q = m_ctx.db.aquFz;
        q.setSql("SELECT * FROM " + itemTable() + " WHERE " + kLessonMemberSql + " AND " + cond, binds);
        q.open();
        try {
            if (!q.eof()) q.updateCurrent({{"选中", true}});
        } catch (...) {
            q.close();
            throw;
        }
        q.close();
    }
    m_panel->bitQd->setEnabled(true);
    lstXz->addItem(copyEntry(item));
    setCounts();
    spbXq->setEnabled(true);
    spbXc->setEnabled(true);
}

void ItemSelection::lstXzClick() {
    QListWidgetItem* item = lstXz->currentItem();
    if (!item || !item->isSelected()) return;
    // The entry stands for the chosen rows with its text, in whatever lesson they were picked.
    QVariantList binds;
    const QString cond = entryCondition(item, binds);
    Query& q = m_ctx.db.aquFz;
    q.setSql("UPDATE " + itemTable() + " SET 选中 = 0 WHERE 选中 = 1 AND " + cond, binds);
    q.execSql();
    delete lstXz->takeItem(lstXz->row(item));
    lstXz->setCurrentRow(-1);
    spbXq->setEnabled(true);
    spbXc->setEnabled(lstXz->count() > 0);
    setCounts();
}

void ItemSelection::clearAllChosen() {
    Query& q = m_ctx.db.aquFz;
    q.setSql("UPDATE " + itemTable() + " SET 选中 = 0 WHERE 选中 = 1");
    q.execSql();
}

void ItemSelection::chooseLessonRows() {
    const QString L = currentLesson();
    // Without a chosen lesson there is nothing to choose.
    if (L.isEmpty()) return;
    Query& q = m_ctx.db.aquFz;
    q.setSql("SELECT rowid AS 行号, 选中 FROM " + itemTable() + " WHERE " + kLessonMemberSql, {L});
    q.open();
    const int n = q.recordCount();
    prg1->setValue(0);
    prg1->show();
    prg1->raise();
    // One prepared statement for the rows, in the order the query returns them; the caller's
    // transaction makes them one write.
    Connection& con = m_ctx.db.con1;
    sqlite3_stmt* st = con.prepare("UPDATE " + itemTable() + " SET 选中 = 1 WHERE rowid = ?", {QVariant(0)});
    struct Cleanup {
        Query& q;
        QProgressBar* prg1;
        sqlite3_stmt* st;
        ~Cleanup() {
            sqlite3_finalize(st);
            q.close();
            prg1->hide();
        }
    } cleanup{q, prg1, st};
    for (int i = 1; !q.eof(); ++i) {
        if (!q.value(1).toBool()) {
            sqlite3_reset(st);
            bindValues(st, {q.value(0)});
            if (sqlite3_step(st) != SQLITE_DONE) con.raiseError(QStringLiteral("数据库操作失败："));
        }
        q.next();
        const int pos = i * 100 / n;
        if (pos != prg1->value()) {
            prg1->setValue(pos);
            prg1->repaint();
        }
    }
}

void ItemSelection::showLessonChosen() {
    QSet<QString> present;
    for (int i = 0; i < lstXz->count(); ++i) present.insert(lstXz->item(i)->text());
    // With no lesson chosen nothing was chosen, so no entry is added either.
    const int listed = currentLesson().isEmpty() ? 0 : lstKt->count();
    for (int i = 0; i < listed; ++i) {
        const QListWidgetItem* item = lstKt->item(i);
        if (present.contains(item->text())) continue;
        present.insert(item->text());
        lstXz->addItem(copyEntry(item));
    }
    spbXq->setEnabled(false);
    spbXc->setEnabled(lstXz->count() > 0);
    setCounts();
}

void ItemSelection::spbXqClick() {
    WaitCursor wait(spbXq);
    Transaction t(m_ctx.db.con1);
    chooseLessonRows();
    t.commit();
    showLessonChosen();
}

void ItemSelection::spbXcClick() {
    WaitCursor wait(spbXc);
    Transaction t(m_ctx.db.con1);
    clearAllChosen();
    t.commit();
    lstXz->clear();
    spbXc->setEnabled(false);
    spbXq->setEnabled(true);
    setCounts();
}

void ItemSelection::spbGhClick() {
    WaitCursor wait(spbGh);
    // Both halves in one transaction: a failure keeps the earlier choice.
    Transaction t(m_ctx.db.con1);
    clearAllChosen();
    chooseLessonRows();
    t.commit();
    lstXz->clear();
    showLessonChosen();
}

void ItemSelection::spbCtClick() {
    if (!m_mistakes) return;
    const QString subject = isPinyin() ? QStringLiteral("p") : QStringLiteral("y");
    const QString name = m_mistakes->childName();
    Dialogs& dialogs = m_ctx.platform.dialogs();
    const QString title = QStringLiteral("操作提示");
    const QString none = name + QStringLiteral("现在没有错题。");
    // A child without mistakes is told so at once rather than asked first.
    if (m_mistakes->mistakeItems(subject).isEmpty()) {
        dialogs.message(title, none, MsgIcon::Information);
        return;
    }
    if (dialogs.message(title, QStringLiteral("只选中") + name + QStringLiteral("的错题？"),
                        MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes)
        return;
    WaitCursor wait(spbCt);
    if (m_mistakes->chooseMistakes(subject) == 0) {
        dialogs.message(title, none, MsgIcon::Information);
        return;
    }
    // The right-hand list rebuilt from the flags, as after a change of the choice.
    fillRightList();
    m_panel->bitQd->setEnabled(true);
    spbXq->setEnabled(lstKt->count() > 0);
    spbXc->setEnabled(lstXz->count() > 0);
}

void ItemSelection::chkPxClick() {
    const bool on = m_panel->chkPx->isChecked();
    if (m_loading) return;
    storeSettings(m_ctx.db.aquFz, {{"拼音排序", on}});
    setSorted(lstKt, on);
    setSorted(lstXz, on);
    if (!on) {
        // Back to the order of the table.
        cboK1Click();
        fillRightList();
    }
}

void ItemSelection::chkSdClick() {
    const bool on = m_panel->chkSd->isChecked();
    m_panel->cboKf->setEnabled(on);
    m_panel->lbl03->setEnabled(on);
    if (m_loading) return;
    storeSettings(m_ctx.db.aquFz, {{"标注声调", on}});
}

void ItemSelection::cboKfChange() {
    if (m_loading) return;
    storeSettings(m_ctx.db.aquFz, {{"声调去分", m_panel->cboKf->currentText()}});
}

}  // namespace kovu
