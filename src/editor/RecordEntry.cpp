#include "editor/RecordEntry.h"

#include <QSignalBlocker>

#include "data/ContentLists.h"
#include "data/Numbering.h"
#include "editor/EditorCaptions.h"
#include "editor/EditorPage.h"
#include "editor/EditorRules.h"
#include "platform/Dialogs.h"
#include "platform/Gbk.h"
#include "platform/Platform.h"

namespace kovu {

using namespace editor;

namespace {

const QString kAlreadyListed =
    QStringLiteral("已录有同一内容，请不要重复录入！\n(可按《撤消》按钮以撤消该录入！)");

}  // namespace

RecordEntry::RecordEntry(EditorPage& page, FormContext& ctx) : m_page(page), m_ctx(ctx) {}

void RecordEntry::assignBoxesToRow() {
    Query& q = m_page.grid();
    q.setValue(0, m_page.edtKh->text());
    q.setValue(1, m_page.edtKm->text());
    if (m_page.scope() == 2) {
        const bool pinyin = m_page.EditTable == QStringLiteral("yepy");
        q.setValue(pinyin ? 2 : 3, m_page.edtPy->text());
        q.setValue(pinyin ? 3 : 2, m_page.edtSd->text());
    }
}

void RecordEntry::spbTjClick() {
    if (m_page.aids().picturePending()) {
        m_page.aids().leavePendingPicture();
        return;
    }
    m_page.lblTz->hide();
    m_page.lstDy->hide();
    const QString caption = m_page.spbTj->text();
    if (caption == kUndoChange) {
        m_page.grid().cancel();
        m_page.setBoxesEditable(false);
        m_page.spbXg->setText(kModify);
        m_page.spbTj->setText(kAdd);
        m_page.spbSc->setEnabled(true);
        m_page.dropShownItem();
        m_page.edtKm->setFocus();
    } else if (caption == kAdd) {
        BeginNewRecord();
    } else if (caption == kSave) {
        if (SaveNewRecord() == SaveResult::Refused) return;
        m_page.grid().cancel();
        m_page.spbTj->setText(kAdd);
        m_page.spbXg->setText(kModify);
        m_page.setBoxesEditable(false);
        // The row now shown is the one a modification would change; a shared one cannot be.
        const Query& q = m_page.grid();
        if (m_page.scope() == 2)
            m_page.spbXg->setEnabled(m_page.showsItem() && q.recNo() >= 0 && !isSharedItem(q.text(0)));
    } else if (caption == kNextNew) {
        if (SaveNewRecord() == SaveResult::Refused) return;
        Query& q = m_page.grid();
        if (q.state() != Query::State::Insert) q.append();
        m_page.clearBoxes();
        m_page.edtKh->setText(m_page.selectedLesson());
        m_page.edtKm->setFocus();
    }
}

void RecordEntry::spbXgClick() {
    if (m_page.aids().picturePending()) {
        m_page.aids().leavePendingPicture();
        return;
    }
    const QString caption = m_page.spbXg->text();
    Query& q = m_page.grid();
    if (caption == kUndoNew) {
        m_page.setBoxesEditable(false);
        q.cancel();
        m_page.spbTj->setText(kAdd);
        m_page.spbXg->setText(kModify);
        m_page.spbXg->setEnabled(!m_page.cboKt->currentText().isEmpty());
        m_page.spbTj->setEnabled(true);
        m_page.spbSc->setEnabled(true);
        m_page.spbDy->setEnabled(false);
        m_page.lblTz->hide();
        m_page.lstDy->hide();
        m_page.dropShownItem();
        m_page.edtKm->setFocus();
    } else if (caption == kModify) {
        if (q.recNo() < 0 || !m_page.standOnShownItem()) return;
        m_page.spbTj->setText(kUndoChange);
        m_page.spbSc->setEnabled(false);
        m_page.setBoxesEditable(true);
        m_page.spbXg->setText(m_page.chkLx->isChecked() && m_page.scope() == 2 ? kNextChanged : kConfirm);
        m_page.edtKm->setFocus();
        q.edit();
    } else if (caption == kConfirm) {
        SaveChangedRecord();
        q.cancel();
        m_page.spbTj->setText(kAdd);
        m_page.spbXg->setText(kModify);
        m_page.setBoxesEditable(false);
    } else if (caption == kNextChanged) {
        SaveChangedRecord();
        q.cancel();
        // The next row, staying on the last one.
        const int row = std::min(q.recNo() + 1, q.recordCount() - 1);
        if (row >= 0) {
            q.moveTo(row);
            m_page.dbgKb->setCurrentIndex(m_page.dbgKb->model()->index(row, 0));
        }
        m_page.loadBoxesFromRow();
        m_page.edtKm->setFocus();
        if (q.recNo() >= 0) q.edit();
    }
}

void RecordEntry::BeginNewRecord() {
    const QString proposal = m_page.navigation().ProposeNumber();
    if (proposal.isEmpty() && m_page.scope() != 2) {
        // The numbering holds nine textbooks a tab and 99 lessons a textbook.
        m_page.message(m_page.scope() == 0 ? QStringLiteral("已有九本课本，不能再添加课本！")
                                           : QStringLiteral("本课本已有99个课题，不能再添加课题！"));
        return;
    }
    m_page.setBoxesEditable(true);
    m_page.clearBoxes();
    m_page.edtKh->setText(proposal);
    m_page.edtKm->setFocus();
    m_page.spbTj->setText(m_page.chkLx->isChecked() && m_page.scope() == 2 ? kNextNew : kSave);
    m_page.grid().append();
    m_page.spbXg->setText(kUndoNew);
    m_page.spbXg->setEnabled(true);
    m_page.spbSc->setEnabled(false);
}

QString RecordEntry::MissingFieldsText() const {
    return missingFieldsText(m_page.scope(), m_page.pinyinTab(), m_page.edtKh->text(), m_page.edtKm->text(),
                             m_page.edtPy->text(), m_page.edtSd->text());
}

bool RecordEntry::NameAlreadyListed() {
    const QString name = m_page.edtKm->text();
    if (name.isEmpty()) return false;
    QStringList names;
    if (m_page.scope() == 1) {
        for (int i = 0; i < m_page.lstK1->count(); ++i)
            names << lessonNameOfEntry(m_page.lstK1->item(i)->text());
    } else if (m_page.scope() == 0) {
        for (int i = 0; i < m_page.cboKt->count(); ++i)
            names << textbookNameOfEntry(m_page.cboKt->itemText(i));
    }
    if (!names.contains(name)) return false;
    m_page.message(kAlreadyListed);
    m_page.edtKm->setFocus();
    m_page.spbTj->setEnabled(false);
    return true;
}

bool RecordEntry::numberAcceptable(bool modifying) {
    const QString n = m_page.edtKh->text();
    const int s = m_page.scope();
    if (s == 0 && !validTextbookNumber(n)) {
        m_page.message(QStringLiteral("课本号只能是1到9中的一个数字！请修改。"));
        m_page.edtKh->setFocus();
        return false;
    }
    if (s == 1 && !validLessonNumber(n, m_page.selectedTextbook())) {
        m_page.message(QStringLiteral("课题编号应是课本号") + m_page.selectedTextbook() +
                       QStringLiteral("加两位序号(01到99)！请修改。"));
        m_page.edtKh->setFocus();
        return false;
    }
    // The number of the record being changed may stay; any other entry's number is taken.
    const QString own = modifying ? m_page.grid().text(0) : QString();
    bool taken = false;
    if (n != own || !modifying) {
        if (s == 0) {
            m_page.scratch().setSql("SELECT * FROM " + m_page.textbookTable() + " WHERE 课本号 = ?", {n});
            m_page.scratch().open();
            taken = !m_page.scratch().eof();
            // Lessons left behind by a deleted textbook of that number would merge with its lessons.
            if (!taken && modifying) {
                m_page.scratch().setSql(
                    "SELECT * FROM " + m_page.lessonTable() + " WHERE " + kTextbookMemberSql, {n});
                m_page.scratch().open();
                taken = !m_page.scratch().eof();
            }
        } else {
            m_page.scratch().setSql("SELECT * FROM " + m_page.lessonTable() + " WHERE 编号 = ?", {n});
            m_page.scratch().open();
            taken = !m_page.scratch().eof();
        }
        m_page.scratch().close();
    }
    if (!taken) return true;
    m_page.message(kAlreadyListed);
    m_page.edtKh->setFocus();
    return false;
}

void RecordEntry::reopenLessonItems(const QString& name, const QString& third, const QString& fourth) {
    const QString L = m_page.selectedLesson();
    m_page.openGrid("SELECT * FROM " + m_page.EditTable + " WHERE " + kLessonMemberSql, {L});
    m_page.showCountLine();
    // Stand on the stored item, so that a modification or deletion acts on what the boxes show.
    const Query& q = m_page.grid();
    const bool pinyin = m_page.EditTable == QStringLiteral("yepy");
    for (int r = 0; r < q.recordCount(); ++r) {
        const bool same = q.valueAt(r, 1).toString() == name &&
                          q.valueAt(r, pinyin ? 2 : 3).toString() == third &&
                          (!pinyin || q.valueAt(r, 3).toString() == fourth);
        if (same) {
            m_page.standOnGridRow(r);
            m_page.rememberShownItem();
            return;
        }
    }
    m_page.forgetShownItem();
}

void RecordEntry::trimBoxes() {
    if (m_page.scope() != 2) return;
    const QList<QLineEdit*> boxes =
        m_page.pinyinTab() ? QList<QLineEdit*>{m_page.edtPy, m_page.edtSd} : QList<QLineEdit*>{m_page.edtKm};
    for (QLineEdit* box : boxes) {
        const QString trimmed = trimmedEntry(box->text());
        if (trimmed == box->text()) continue;
        const QSignalBlocker block(box);
        box->setText(trimmed);
    }
}

RecordEntry::SaveResult RecordEntry::SaveNewRecord() {
    trimBoxes();
    const QString missing = MissingFieldsText();
    if (!missing.isEmpty()) {
        m_page.message(QStringLiteral("数据录入不全！(") + missing + ")");
        return SaveResult::Refused;
    }
    Query& grid = m_page.grid();
    const QString N = m_page.edtKh->text(), c = m_page.edtKm->text(), p = m_page.edtPy->text(),
                  sd = m_page.edtSd->text();
    if (m_page.scope() == 2) {
        // A malformed number would leave the item in no lesson.
        if (!m_page.navigation().CheckItemNumber()) return SaveResult::Refused;
        const bool pinyin = m_page.pinyinTab();
        const QString cond = pinyin ? QStringLiteral("文字 = ? AND 拼音 = ? AND 音调 = ?")
                                    : QStringLiteral("英语 = ? AND 汉语 = ?");
        QVariantList binds = pinyin ? QVariantList{c, p, sd} : QVariantList{c, p};
        const QString L = m_page.selectedLesson();
        SaveResult result = SaveResult::NotStored;
        m_page.scratch().setSql(
            "SELECT * FROM " + m_page.EditTable + " WHERE " + cond + " AND (" + kLessonMemberSql + ")",
            binds + QVariantList{L});
        m_page.scratch().open();
        const bool inLesson = !m_page.scratch().eof();
        m_page.scratch().close();
        if (!inLesson) {
            m_page.scratch().setSql("SELECT * FROM " + m_page.EditTable + " WHERE " + cond, binds);
            m_page.scratch().open();
            if (m_page.scratch().eof()) {
                m_page.scratch().close();
                if (grid.state() != Query::State::Insert) grid.append();
                assignBoxesToRow();
                grid.post();
                result = SaveResult::Stored;
            } else {
                // The same item stands in other lessons: it becomes shared, no second row.
                const QString E = m_page.scratch().text(0);
                QString joined = E;
                const QStringList held = numberGroups(E);
                for (const QString& g : numberGroups(N))
                    if (!held.contains(g)) joined += g;
                grid.cancel();
                if (joined != E) {
                    m_page.scratch().updateCurrent({{m_page.scratch().fieldName(0), joined}});
                    result = SaveResult::Stored;
                }
                m_page.scratch().close();
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
    if (m_page.scope() == 1) {
        m_page.lstK1->addItem(lessonEntry(N, c));
        const QSignalBlocker block(m_page.lstK1);
        m_page.lstK1->setCurrentRow(m_page.lstK1->count() - 1);
    } else {
        m_page.cboKt->addItem(textbookEntry(N, c));
        m_page.cboKt->setCurrentIndex(m_page.cboKt->count() - 1);
    }
    m_page.EditKind = m_page.scope() == 1 ? QStringLiteral("课题名") : QStringLiteral("课本名");
    return SaveResult::Stored;
}

RecordEntry::SaveResult RecordEntry::SaveChangedRecord() {
    trimBoxes();
    const QString missing = MissingFieldsText();
    if (!missing.isEmpty()) {
        m_page.message(QStringLiteral("数据录入不全！(") + missing + ")");
        return SaveResult::Refused;
    }
    Query& grid = m_page.grid();
    if (grid.recNo() < 0) return SaveResult::NotStored;
    const QString N = m_page.edtKh->text(), c = m_page.edtKm->text(), p = m_page.edtPy->text(),
                  sd = m_page.edtSd->text();
    if (m_page.scope() == 2) {
        if (!m_page.navigation().CheckItemNumber()) return SaveResult::Refused;
        const bool pinyin = m_page.pinyinTab();
        if (pinyin)
            m_page.scratch().setSql("SELECT * FROM " + m_page.EditTable +
                                        " WHERE 文字 = ? AND 拼音 = ? AND 音调 = ? AND (" + kLessonMemberSql +
                                        ")",
                                    {c, p, sd, N});
        else
            m_page.scratch().setSql("SELECT * FROM " + m_page.EditTable +
                                        " WHERE 英语 = ? AND 汉语 = ? AND (" + kLessonMemberSql + ")",
                                    {c, p, N});
        m_page.scratch().open();
        const bool exists = !m_page.scratch().eof();
        m_page.scratch().close();
        if (exists) {
            m_page.message(
                QStringLiteral("已存在同一内容，请不要这样修改！\n(可按《撤消》按钮以撤消该修改！)"));
            return SaveResult::NotStored;
        }
        // The change goes to the row of the item being modified, wherever the grid stands.
        if (!m_page.standOnShownItem()) return SaveResult::NotStored;
        grid.edit();
        try {
            assignBoxesToRow();
            grid.post();
        } catch (...) {
            grid.cancel();
            throw;
        }
        m_page.rememberShownItem();
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
            if (m_page.scope() == 1)
                renumberLesson(m_ctx.db.con1, m_page.itemTable(), old, N);
            else
                renumberTextbook(m_ctx.db.con1, m_page.lessonTable(), m_page.itemTable(), old, N);
        }
        t.commit();
    } catch (...) {
        grid.cancel();
        rereadGrid();
        throw;
    }
    if (m_page.scope() == 1) {
        delete m_page.lstK1->takeItem(m_page.lstK1->currentRow());
        m_page.lstK1->addItem(lessonEntry(N, c));
        const QSignalBlocker block(m_page.lstK1);
        m_page.lstK1->setCurrentRow(m_page.lstK1->count() - 1);
    } else {
        m_page.cboKt->removeItem(m_page.cboKt->currentIndex());
        m_page.cboKt->addItem(textbookEntry(N, c));
        m_page.cboKt->setCurrentIndex(m_page.cboKt->count() - 1);
    }
    return SaveResult::Stored;
}

void RecordEntry::rereadGrid() {
    // After a rolled-back change the record set shows the rows as the database holds them again.
    Query& grid = m_page.grid();
    const int row = grid.recNo();
    try {
        grid.open();
        if (row >= 0 && row < grid.recordCount()) {
            grid.moveTo(row);
            m_page.dbgKb->setCurrentIndex(m_page.dbgKb->model()->index(row, 0));
        }
    } catch (...) {
    }
}

void RecordEntry::RemoveGroupFromItems(const QString& x) {
    removeGroupFromItems(m_ctx.db.con1, m_page.itemTable(), x);
}

bool RecordEntry::listStandsOnGridRow() const {
    const Query& grid = m_page.grid();
    if (grid.recNo() < 0) return false;
    const QString chosen = m_page.scope() == 0 ? m_page.selectedTextbook() : m_page.selectedLesson();
    return !chosen.isEmpty() && chosen == grid.text(0);
}

void RecordEntry::spbScClick() {
    if (m_page.spbSc->text() != kDelete) return;
    Query& grid = m_page.grid();
    const int s = m_page.scope();
    // A textbook or lesson is deleted only when it is the one chosen in its list, an item only
    // when it is the one the boxes show.
    if (s != 2 && !listStandsOnGridRow()) return;
    if (s == 2 && !m_page.standOnShownItem()) return;
    const QString first = QStringLiteral("删除这条记录吗？ (") + m_page.EditKind + QStringLiteral("：") +
                          grid.text(1) + ")" + "\n\n" +
                          QStringLiteral("如果删除，请按《确定》；否则按《取消》。");
    if (m_ctx.platform.dialogs().message(QStringLiteral("删除记录"), first, MsgIcon::Question,
                                         MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    if (s == 2) {
        const QString N = m_page.edtKh->text();
        const QString L = m_page.selectedLesson();
        m_page.scratch().setSql("SELECT * FROM " + m_page.EditTable + " WHERE 编号 = ?", {N});
        m_page.scratch().open();
        const bool found = !m_page.scratch().eof();
        const QString number = found ? m_page.scratch().text(0) : QString();
        m_page.scratch().close();
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
            m_page.openGrid("SELECT * FROM " + m_page.EditTable + " WHERE " + kLessonMemberSql, {L});
            m_page.showCountLine();
            m_page.spbXg->setEnabled(false);
            m_page.spbSc->setEnabled(false);
        }
    } else if (grid.recNo() >= 0) {
        const QString x = s == 0 ? m_page.selectedTextbook() : m_page.selectedLesson();
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
                    m_ctx.db.con1.exec("DELETE FROM " + m_page.lessonTable() + " WHERE " + kTextbookMemberSql,
                                       {x});
                RemoveGroupFromItems(x);
            }
            t.commit();
        } catch (...) {
            rereadGrid();
            throw;
        }
        if (s == 0) {
            m_page.cboKt->removeItem(m_page.cboKt->currentIndex());
            m_page.cboKt->setCurrentIndex(-1);
        } else {
            const QSignalBlocker block(m_page.lstK1);
            delete m_page.lstK1->takeItem(m_page.lstK1->currentRow());
            m_page.lstK1->setCurrentRow(-1);
        }
        m_page.spbXg->setEnabled(false);
        m_page.spbSc->setEnabled(false);
    }
    m_page.clearBoxes();
}

// ---- Leaving the boxes ------------------------------------------------------------------------

void RecordEntry::edtKhChange() { m_page.spbTj->setEnabled(true); }

void RecordEntry::edtKhExit() {
    const QString n = m_page.edtKh->text();
    if (n.isEmpty()) return;
    const int s = m_page.scope();
    if (s == 2) {
        m_page.navigation().CheckItemNumber();
        return;
    }
    // While a textbook or lesson is modified, its own entry is not another record holding the
    // number: only the other entries count.
    const Query& grid = m_page.grid();
    const bool modifying = m_page.spbXg->text() == kConfirm || m_page.spbXg->text() == kNextChanged;
    const QString own = modifying && grid.recNo() >= 0 ? grid.valueAt(grid.recNo(), 0).toString() : QString();
    bool listed = false;
    if (s == 1) {
        for (int i = 0; i < m_page.lstK1->count() && !listed; ++i) {
            const QString number = lessonOfEntry(m_page.lstK1->item(i)->text());
            listed = number == n && (own.isEmpty() || number != own);
        }
    } else {
        for (int i = 0; i < m_page.cboKt->count() && !listed; ++i) {
            const QString entry = m_page.cboKt->itemText(i);
            listed = entry.left(n.size()) == n && (own.isEmpty() || textbookOfEntry(entry) != own);
        }
    }
    if (!listed) return;
    m_page.message(kAlreadyListed);
    m_page.edtKh->setFocus();
    m_page.spbTj->setEnabled(false);
}

void RecordEntry::edtKmExit() {
    if (!m_page.edtKm->text().isEmpty() && m_page.spbTj->text() != kAdd && m_page.spbXg->text() != kModify &&
        m_page.scope() != 2)
        NameAlreadyListed();
}

bool RecordEntry::boxKeyDown(QLineEdit* box, int key) {
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    QLineEdit* to = nullptr;
    if (box == m_page.edtKh) {
        if (key == Qt::Key_Up) to = m_page.EditTable == QStringLiteral("yepy") ? m_page.edtSd : m_page.edtKm;
        if (key == Qt::Key_Down) to = m_page.edtKm;
    } else if (box == m_page.edtKm) {
        if (key == Qt::Key_Up) to = m_page.edtKh;
        if (key == Qt::Key_Down || enter) to = m_page.scope() == 2 ? m_page.edtPy : m_page.edtKh;
    } else if (box == m_page.edtPy) {
        if (key == Qt::Key_Up) to = m_page.edtKm;
        if (key == Qt::Key_Down) to = m_page.edtSd;
    } else if (box == m_page.edtSd) {
        if (key == Qt::Key_Up) to = m_page.edtPy;
        if (key == Qt::Key_Down) to = m_page.edtKh;
        if (enter) {
            if (m_page.spbXg->text() == kNextChanged || m_page.spbXg->text() == kConfirm) SaveChangedRecord();
            if (m_page.spbTj->text() == kNextNew || m_page.spbTj->text() == kSave) spbTjClick();
            return true;
        }
    }
    if (!to) return false;
    to->setFocus();
    return true;
}

}  // namespace kovu
