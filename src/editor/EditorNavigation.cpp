#include "editor/EditorNavigation.h"

#include <QSignalBlocker>

#include "data/ContentLists.h"
#include "data/Numbering.h"
#include "data/PictureStore.h"
#include "editor/EditorCaptions.h"
#include "editor/EditorPage.h"
#include "platform/Platform.h"

namespace kovu {

using namespace editor;

EditorNavigation::EditorNavigation(EditorPage& page, FormContext& ctx) : m_page(page), m_ctx(ctx) {}

QString EditorNavigation::tabHint() const { return m_page.pinyinTab() ? kPinyinHint : kEnglishHint; }

void EditorNavigation::pagSzChange(QWidget* page) {
    if (page && page->objectName() == QStringLiteral("tasTp")) {
        m_ctx.form.setStatusText(1, QStringLiteral(" 屏幕图片设置及压缩数据库"));
        return;
    }
    // Another page of the settings (the children's) has its own opening.
    if (page != &m_page) return;
    // 1.
    m_page.EditTable = m_page.textbookTable();
    FillTextbookCombo();
    // 2.
    for (QWidget* w : QList<QWidget*>{m_page.edtPy, m_page.edtSd, m_page.lbl05, m_page.lbl06}) w->hide();
    m_page.spbTj->setEnabled(true);
    for (QWidget* w : QList<QWidget*>{m_page.spbXg, m_page.spbSc, m_page.lblBd, m_page.dbgKb})
        w->setEnabled(false);
    // 3. The input methods; the picture query stays open on the dictionary.
    m_page.aids().fillInputMethods();
    m_ctx.db.aquTp.close();
    m_ctx.db.aquTp.setSql("SELECT * FROM yefc");
    m_ctx.db.aquTp.open();
    // 4.
    m_page.lblKm->setText("课本名称：");
    m_ctx.form.setStatusText(1, QStringLiteral(" 录入生字或英语单词"));
    setTextColor(m_page.dbgKb, Qt::blue);
    // 5.
    m_page.lblTs->setText(tabHint() + " 请编辑课本或先选择课本");
    // 6. The scope stays as it is.
    rgpFwClick();
}

void EditorNavigation::tabFlChange() {
    const bool pinyin = m_page.pinyinTab();
    m_page.rgpFw->button(2)->setText(pinyin ? "生字" : "单词");
    m_page.lblTs->setText(tabHint());
    setTextColor(m_page.lblTs, pinyin ? Qt::red : Qt::blue);
    setTextColor(m_page.lblBj, pinyin ? Qt::red : Qt::blue);
    m_page.EditTable = m_page.textbookTable();
    m_page.rgpFw->setItemIndex(0);
    rgpFwClick();
    m_page.spbDy->setText("选择图片(&D)");
    m_page.spbPx->hide();
    m_page.setGridHeight(kGridHeight);
    m_page.imgZ0->hide();
}

void EditorNavigation::rgpFwClick() {
    const bool pinyin = m_page.pinyinTab();
    m_page.setBoxesEditable(false);
    m_page.lblTz->hide();
    m_page.lstDy->hide();
    m_page.aids().dropPendingPicture();
    m_page.dbgKb->show();
    m_page.spbTj->setText("添加(&T)");
    m_page.spbTj->setEnabled(true);
    m_page.spbXg->setText("修改(&X)");
    m_page.spbXg->setEnabled(false);
    m_page.spbSc->setText("删除(&S)");
    m_page.spbSc->setEnabled(false);
    m_page.setGridHeight(kGridHeight);
    m_page.imgZ0->hide();
    m_page.lblKh->setText(m_page.scope() == 0 ? "课本号：" : "编号：");

    QString key = QStringLiteral("编号");
    switch (m_page.scope()) {
        case 1: {
            if (m_page.cboKt->currentText().isEmpty()) {
                m_page.message(QStringLiteral("请先选择课本！"));
                m_page.rgpFw->setItemIndex(0);
                rgpFwClick();
                return;
            }
            m_page.lstK1->setEnabled(true);
            setTextColor(m_page.dbgKb, Qt::blue);
            m_page.EditTable = m_page.lessonTable();
            m_filter = " WHERE " + kTextbookMemberSql;
            m_filterBinds = {m_page.selectedTextbook()};
            m_page.lblBj->setText("编辑课题名称和编号");
            m_page.lblKm->setText("课题名：");
            m_page.edtKh->clear();
            m_page.edtKm->clear();
            FillLessonList();
            setTextColor(m_page.lblTs, Qt::blue);
            m_page.lblTs->setText(tabHint() + " 请先选择课题");
            m_page.edtKh->resize(40, m_page.edtKh->height());
            m_page.edtKm->resize(120, m_page.edtKm->height());
            break;
        }
        case 2: {
            WaitCursor wait;
            const QString L = m_page.selectedLesson();
            if (L.isEmpty()) {
                m_page.message(QStringLiteral("请先在左边列表框中选择课题！"));
                m_page.rgpFw->setItemIndex(1);
                rgpFwClick();
                return;
            }
            setTextColor(m_page.dbgKb, Qt::black);
            m_page.EditTable = m_page.itemTable();
            m_filter = " WHERE " + kLessonMemberSql;
            m_filterBinds = {L};
            m_page.lblBj->setText("编辑(" + L + ")" + (pinyin ? "生字和拼音" : "英语单词"));
            m_page.lblKm->setText(pinyin ? "生字：" : "单词：");
            m_page.lbl05->setText(pinyin ? "拼音：" : "汉语：");
            m_page.lbl06->setText(pinyin ? "声调：" : "音标：");
            m_page.edtKh->resize(96, m_page.edtKh->height());
            m_page.edtKm->resize(pinyin ? 20 : 100, m_page.edtKm->height());
            m_page.edtPy->resize(pinyin ? 67 : 120, m_page.edtPy->height());
            m_page.edtSd->resize(pinyin ? 22 : 120, m_page.edtSd->height());
            for (QLineEdit* e : {m_page.edtKh, m_page.edtKm, m_page.edtPy, m_page.edtSd}) e->clear();
            m_page.forgetShownItem();
            m_page.lblTs->setText(tabHint() +
                                  (pinyin ? " 请在右表中选择要修改生字" : " 请在右表中选择要修改单词"));
            break;
        }
        default: {
            key = QStringLiteral("课本号");
            m_page.EditTable = m_page.textbookTable();
            m_filter.clear();
            m_filterBinds.clear();
            m_page.lblBj->setText("编辑课本名称和编号");
            FillTextbookCombo();
            m_page.lstK1->clear();
            m_page.lstK1->setEnabled(false);
            m_page.lblKm->setText("课本名称：");
            m_page.edtKh->setText(m_page.cboKt->currentText().left(1));
            m_page.edtKm->setText(m_page.cboKt->currentText().mid(2));
            m_page.edtKh->resize(40, m_page.edtKh->height());
            m_page.edtKm->resize(120, m_page.edtKm->height());
            m_page.lblTs->setText(tabHint() + " 请编辑课本或先选择课本");
            break;
        }
    }

    const int s = m_page.scope();
    m_page.chkLx->setVisible(s == 2);
    m_page.cboKt->setEnabled(s == 0);
    m_page.spbDy->setVisible(s == 2 && !pinyin);
    m_page.spbPx->setVisible(s == 2);
    m_page.spbPx->move(pinyin ? 257 : 314, m_page.spbPx->y());
    m_page.spbPx->setText(pinyin ? "生字排序(&P)" : "单词排序(&P)");
    setTextColor(m_page.lblKh, s == 1 ? Qt::blue : Qt::black);
    setTextColor(m_page.lblKm, s == 1 ? Qt::blue : Qt::black);
    setTextColor(m_page.lblBd, s == 0 ? Qt::red : s == 1 ? Qt::blue : Qt::black);
    m_page.lblBd->setEnabled(s == 2);
    m_page.dbgKb->setEnabled(s == 2);
    for (QWidget* w : QList<QWidget*>{m_page.edtPy, m_page.edtSd, m_page.lbl05, m_page.lbl06})
        w->setVisible(s == 2);
    m_page.openGrid("SELECT * FROM " + m_page.EditTable + m_filter + " ORDER BY [" + key + "]",
                    m_filterBinds);
    if (s == 2) m_page.showCountLine();
}

void EditorNavigation::FillTextbookCombo() {
    m_page.cboKt->clear();
    m_page.cboKt->addItems(textbookEntries(m_ctx.db.aquFz, m_page.textbookTable()));
    m_page.cboKt->setCurrentIndex(-1);
}

void EditorNavigation::FillLessonList() {
    const QStringList entries =
        lessonEntries(m_ctx.db.aquFz, m_page.lessonTable(), m_page.selectedTextbook());
    const QSignalBlocker block(m_page.lstK1);
    m_page.lstK1->clear();
    m_page.lstK1->addItems(entries);
}

void EditorNavigation::cboKtClick() {
    if (m_page.cboKt->currentText().isEmpty()) return;
    setTextColor(m_page.dbgKb, Qt::red);
    m_page.openGrid("SELECT * FROM " + m_page.EditTable + " WHERE 课本号 = ?", {m_page.selectedTextbook()});
    m_page.edtKm->resize(120, m_page.edtKm->height());
    const Query& q = m_page.grid();
    m_page.edtKh->setText(q.text(0));
    m_page.edtKm->setText(q.text(1));
    m_page.spbTj->setEnabled(true);
    m_page.spbXg->setEnabled(true);
    m_page.spbSc->setEnabled(true);
    m_page.EditKind = QStringLiteral("课本名");
}

void EditorNavigation::lstK1Click() {
    WaitCursor wait;
    const bool pinyin = m_page.pinyinTab();
    const int s = m_page.scope();
    // Choosing a lesson ends an open addition or modification.
    m_page.setBoxesEditable(false);
    m_page.spbTj->setText(kAdd);
    m_page.spbXg->setText(kModify);
    m_page.spbSc->setText(kDelete);
    m_page.aids().dropPendingPicture();
    m_page.lblTz->hide();
    const QListWidgetItem* item = m_page.lstK1->currentItem();
    QString filter;
    QVariantList binds;
    if (!item || !item->isSelected()) {
        filter = kTextbookMemberSql;
        binds = {m_page.selectedTextbook()};
    } else {
        const QString L = lessonOfEntry(item->text());
        filter = kLessonMemberSql;
        binds = {L};
        if (s == 1) {
            m_page.edtKh->setText(L);
            m_page.edtKm->setText(lessonNameOfEntry(item->text()));
        } else if (s == 2) {
            m_page.clearBoxes();
            m_page.lblBj->setText("编辑(" + L + ")" + (pinyin ? "生字和拼音" : "英语单词"));
            // The grid's filter follows the lesson, so the sort and the additions use it.
            m_filter = " WHERE " + kLessonMemberSql;
            m_filterBinds = {L};
        }
    }
    m_page.openGrid("SELECT * FROM " + m_page.EditTable + " WHERE " + filter, binds);
    for (QWidget* w : QList<QWidget*>{m_page.edtPy, m_page.edtSd, m_page.lbl05, m_page.lbl06})
        w->setVisible(s == 2);
    m_page.spbDy->setVisible(s == 2 && !pinyin);
    m_page.lstDy->hide();
    m_page.lblBd->setEnabled(s == 2);
    m_page.dbgKb->setEnabled(s == 2);
    m_page.dbgKb->show();
    m_page.setGridHeight(kGridHeight);
    m_page.imgZ0->hide();
    m_page.spbDy->setText("选择图片(&D)");
    m_page.spbPx->setText(pinyin ? "生字排序(&P)" : "单词排序(&P)");
    m_page.spbTj->setEnabled(true);
    // In the item scope the boxes are empty now: 修改 and 删除 wait for an item to be chosen.
    m_page.spbXg->setEnabled(s != 2);
    m_page.spbSc->setEnabled(s != 2);
    m_page.EditKind = QStringLiteral("课题名");
    m_page.lblTz->clear();
    if (s == 2) m_page.showCountLine();
}

void EditorNavigation::dbgKbCellClick(const QModelIndex& index) {
    if (m_page.scope() != 2 || !index.isValid()) return;
    Query& q = m_page.grid();
    if (q.state() == Query::State::Edit || q.state() == Query::State::Insert) q.cancel();
    q.moveTo(index.row());
    m_page.loadBoxesFromRow();
    // Another word drops a chosen picture not yet stored, and with it the button that would drop it.
    m_page.aids().dropPendingPicture();
    if (m_page.spbPx->text() == kDropPicture) m_page.spbPx->setText(QStringLiteral("单词排序(&P)"));
    if (m_page.EditTable == QStringLiteral("yydc")) {
        if (q.isNull("图片") || q.blob("图片").isEmpty()) {
            m_page.imgZ0->hide();
            m_page.setGridHeight(kGridHeight);
        } else {
            ShowEditorWordPicture(q, m_page.imgZ0, m_page.dbgKb);
        }
    }
    for (QWidget* w : QList<QWidget*>{m_page.lbl05, m_page.lbl06, m_page.edtPy, m_page.edtSd}) w->show();
    m_page.spbDy->setEnabled(true);
    m_page.spbDy->setText("选择图片(&D)");
    m_page.lstDy->hide();
    m_page.spbSc->setText("删除(&S)");
    m_page.spbTj->setEnabled(true);
    m_page.spbSc->setEnabled(true);
    // Shared items keep their number; only a single-lesson item can be modified.
    m_page.spbXg->setEnabled(!isSharedItem(q.text(0)));
    m_page.EditKind = QStringLiteral("生字");
}

QString EditorNavigation::ProposeNumber() {
    const int s = m_page.scope();
    if (s == 2) return m_page.selectedLesson();
    Query& q = m_ctx.db.aquFz;
    const QString key = s == 0 ? QStringLiteral("课本号") : QStringLiteral("编号");
    q.setSql("SELECT * FROM " + m_page.EditTable + m_filter + " ORDER BY [" + key + "]", m_filterBinds);
    q.open();
    q.last();
    const QString last = q.eof() ? QString() : q.text(0);
    q.close();
    return proposeNumber(s, last, m_page.cboKt->currentText());
}

bool EditorNavigation::CheckItemNumber() {
    if (m_page.scope() != 2 || m_page.spbXg->text() == QStringLiteral("修改(&X)")) return true;
    const QString n = m_page.edtKh->text();
    const Query& grid = m_page.grid();
    if (grid.isOpen() && grid.recNo() >= 0 && grid.text(0) == n) return true;
    const QString table = m_page.lessonTable();
    const QString problems = itemNumberProblems(n, [this, &table](const QString& group) {
        m_page.scratch().setSql("SELECT * FROM " + table + " WHERE 编号 = ?", {group});
        m_page.scratch().open();
        const bool found = !m_page.scratch().eof();
        m_page.scratch().close();
        return found;
    });
    if (problems.isEmpty()) return true;
    m_page.message(itemNumberMessage(problems));
    m_page.edtKh->setFocus();
    return false;
}

}  // namespace kovu
