#pragma once

#include <QModelIndex>
#include <QString>
#include <QVariantList>

class QWidget;

namespace kovu {

class EditorPage;
struct FormContext;

// The editor's navigation: which table is edited, what the page shows in each editing scope, and
// how a textbook, a lesson and an item are chosen; the number proposed for a new record and the
// check of a typed item number.
class EditorNavigation {
public:
    EditorNavigation(EditorPage& page, FormContext& ctx);

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

private:
    QString tabHint() const;

    EditorPage& m_page;
    FormContext& m_ctx;
    // The WHERE part of the scope's grid query, with its values.
    QString m_filter;
    QVariantList m_filterBinds;
};

}  // namespace kovu
