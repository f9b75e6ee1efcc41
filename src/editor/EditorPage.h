#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QWidget>

#include "data/Query.h"
#include "data/QueryModel.h"
#include "data/Shared.h"
#include "platform/Controls.h"

namespace kovu {

// The page "录入生字单词" of the settings pages: the content editor. Textbooks, the lessons of a
// textbook and the items of a lesson are edited in three scopes (rgpFw: 0 textbooks, 1 lessons,
// 2 items), separately for pinyin (yekb, yekt, yepy) and English (yykb, yykt, yydc). The grid dbgKb
// shows the rows of the scope from aquSb; its current row is the record being worked on.
class EditorPage : public QWidget {
    Q_OBJECT
public:
    EditorPage(FormContext& ctx, QWidget* parent);

    // Handlers. pagSzChange gets the page of pagSz that became active.
    void pagSzChange(QWidget* page);
    void tabFlChange();
    void rgpFwClick();
    void cboKtClick();
    void lstK1Click();
    void dbgKbCellClick(const QModelIndex& index);

    void FillTextbookCombo();
    void FillLessonList();
    // The number proposed for a new record of the current scope; empty when the numbering of the
    // scope has no room left.
    QString ProposeNumber();
    // Checks the number box while an item is added or modified; shows the problems and returns
    // false when the number is malformed.
    bool CheckItemNumber();

    bool pinyinTab() const { return tabFl->currentIndex() == 0; }
    int scope() const { return rgpFw->itemIndex(); }
    // The chosen textbook digit (first character of cboKt) and lesson number (first three
    // characters of the selected lstK1 entry); empty when none is chosen.
    QString selectedTextbook() const;
    QString selectedLesson() const;

    // The table the editor works on, and the kind of the record last chosen.
    QString EditTable;
    QString EditKind;

    QTabBar* tabFl;
    QLabel* lblTs;
    TRadioGroup* rgpFw;
    QLabel* lblKt;
    QComboBox* cboKt;
    QLabel* lblK1;
    QListWidget* lstK1;
    QLabel* lblBj;
    QLabel* lblKh;
    QLineEdit* edtKh;
    QLabel* lblKm;
    QLineEdit* edtKm;
    QLabel* lbl05;
    QLineEdit* edtPy;
    QLabel* lbl06;
    QLineEdit* edtSd;
    QCheckBox* chkLx;
    QPushButton* spbTj;
    QPushButton* spbXg;
    QPushButton* spbSc;
    QPushButton* spbDy;
    QPushButton* spbPx;
    QListWidget* lstDy;
    QLabel* lblTz;
    QLabel* lblSr;
    QComboBox* cboSr;
    QLabel* lblBd;
    QTableView* dbgKb;
    TImage* imgZ0;

private:
    QString textbookTable() const { return pinyinTab() ? "yekb" : "yykb"; }
    QString lessonTable() const { return pinyinTab() ? "yekt" : "yykt"; }
    QString itemTable() const { return pinyinTab() ? "yepy" : "yydc"; }
    QString tabHint() const;
    void openGrid(const QString& sql, const QVariantList& binds);
    void setGridHeight(int h);
    void showCountLine();
    void fillInputMethods();

    FormContext& m_ctx;
    QueryModel* m_model;
    // Lesson look-ups of the number check, apart from the grid's record set and aquFz.
    Query m_scratch;
    // The WHERE part of the scope's grid query, with its values.
    QString m_filter;
    QVariantList m_filterBinds;
};

}  // namespace kovu
