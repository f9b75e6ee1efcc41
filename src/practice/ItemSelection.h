#pragma once

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "data/Shared.h"

namespace kovu {

class ConditionsPanel;
class MistakeBook;

// panPy: choosing the characters (pinyin) or words (English) a child will practise. A textbook and
// a lesson are chosen above; the lesson's items are listed on the left, every chosen item of every
// lesson on the right. The choice is the flag 选中 of yepy and yydc.
//
// Each list entry carries the row's own fields (character, pinyin, tone; or word, meaning), so a
// pick or a drop acts on the row of that entry and not on another reading of the same character.
class ItemSelection : public QFrame {
    Q_OBJECT
public:
    // panel is the conditions panel whose strip holds chkSd, chkPx, lbl03, cboKf and bitQd.
    ItemSelection(FormContext& ctx, ConditionsPanel* panel, QWidget* parent);

    // The opening steps of the pinyin and English screens, run after the panel toggle (whether
    // it opened or closed the screen). The kind follows PracticeKind.
    void OpenSelection();

    // Handlers.
    void cboKbClick();
    void cboK1Click();
    void lstKtClick();
    void lstXzClick();
    void spbXqClick();
    void spbXcClick();
    void spbGhClick();
    // Only the current child's mistakes chosen, after the user agreed.
    void spbCtClick();
    void chkPxClick();
    void chkSdClick();
    void cboKfChange();

    // The lesson number of the chosen lesson entry; empty when no lesson is chosen.
    QString currentLesson() const;
    void setMistakeBook(MistakeBook* book) { m_mistakes = book; }
    bool isPinyin() const;

    QLabel* lbl01;
    QComboBox* cboKb;
    QLabel* Label7;
    QComboBox* cboK1;
    QLabel* lbl04;
    QListWidget* lstKt;
    QLabel* lbl02;
    QListWidget* lstXz;
    QLabel* Label6;
    QPushButton* spbXq;
    QPushButton* spbGh;
    QPushButton* spbXc;
    QPushButton* spbCt;
    QLabel* Label8;
    QProgressBar* prg1;

private:
    QString textbookTable() const;
    QString lessonTable() const;
    QString itemTable() const;
    QString keyField() const;
    // Adds one entry built from the current row of q.
    void addEntry(QListWidget* list, const Query& q);
    void setSorted(QListWidget* list, bool sorted);
    void fillLeftList();
    void fillRightList();
    void setCounts();
    // The SQL condition and values that find the row (or rows) of an entry.
    QString entryCondition(const QListWidgetItem* item, QVariantList& binds) const;
    // Writes in one transaction: every flag of the kind cleared, the lesson's rows chosen.
    void clearAllChosen();
    void chooseLessonRows();
    // After the lesson's rows were chosen: the left entries missing on the right are added.
    void showLessonChosen();
    void restoreTypedText(QComboBox* box);

    FormContext& m_ctx;
    ConditionsPanel* m_panel;
    MistakeBook* m_mistakes = nullptr;
    bool m_loading = false;
    // The lesson whose items the left-hand list shows.
    QString m_listedLesson;
};

}  // namespace kovu
