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
#include <memory>

#include "data/Query.h"
#include "data/QueryModel.h"
#include "data/Shared.h"
#include "editor/EditorNavigation.h"
#include "editor/EntryAids.h"
#include "editor/RecordEntry.h"
#include "platform/Controls.h"

namespace kovu {

// The page "录入生字单词" of the settings pages: the content editor. Textbooks, the lessons of a
// textbook and the items of a lesson are edited in three scopes (rgpFw: 0 textbooks, 1 lessons,
// 2 items), separately for pinyin (yekb, yekt, yepy) and English (yykb, yykt, yydc). The grid dbgKb
// shows the rows of the scope from aquSb; its current row is the record being worked on.
//
// The page owns the controls and the state its parts share, and hands each concern to its own
// part: the navigation between tabs, scopes, textbooks, lessons and items (EditorNavigation), the
// entry and deletion of records (RecordEntry), and the entry aids: sorting, input methods and word
// pictures (EntryAids).
class EditorPage : public QWidget {
    Q_OBJECT
public:
    EditorPage(FormContext& ctx, QWidget* parent);
    ~EditorPage() override;

    EditorNavigation& navigation() { return *m_navigation; }
    RecordEntry& entry() { return *m_entry; }
    EntryAids& aids() { return *m_aids; }

    // The form's handler for pagSz: gets the page that became active.
    void pagSzChange(QWidget* page) { m_navigation->pagSzChange(page); }

    bool pinyinTab() const { return tabFl->currentIndex() == 0; }
    int scope() const { return rgpFw->itemIndex(); }
    // The chosen textbook digit (first character of cboKt) and lesson number (first three
    // characters of the selected lstK1 entry); empty when none is chosen.
    QString selectedTextbook() const;
    QString selectedLesson() const;
    QString textbookTable() const;
    QString lessonTable() const;
    QString itemTable() const;

    // The grid's record set (aquSb) and the form's scratch query (aquCx), which runs look-ups
    // apart from the grid's record set and aquFz.
    Query& grid();
    Query& scratch() { return m_scratch; }
    void openGrid(const QString& sql, const QVariantList& binds);
    void setGridHeight(int h);
    // Makes a row of the record set the grid's current one.
    void standOnGridRow(int row);
    void showCountLine();
    void message(const QString& text);
    void setBoxesEditable(bool on);
    // Empties the four boxes without running the typing help.
    void clearBoxes();
    // Empties the boxes after an undo; in the item scope 修改 and 删除 then wait for a row.
    void dropShownItem();
    // The grid's current row into the four boxes, without running the typing help.
    void loadBoxesFromRow();

    // The item the boxes show, as its row was stored: loaded by a click on the grid, or just
    // stored. A sort or a reopened grid stands on another row, so before a modification or a
    // deletion the grid goes back to that item's row. False when the boxes show no item (they
    // were emptied) or its row is no longer in the grid; 修改 and 删除 are then disabled. Only the
    // item scope moves; the other scopes keep their list check.
    bool standOnShownItem();
    // Takes the grid's current row as the item the boxes show (none without a current row).
    void rememberShownItem();
    void forgetShownItem() { m_shownItem.clear(); }
    bool showsItem() const { return !m_shownItem.isEmpty(); }

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectHandlers();
    // A box entered or left, or a key pressed in it.
    void boxEvent(QLineEdit* box, QEvent* event, bool* handled);

    FormContext& m_ctx;
    QueryModel* m_model;
    Query& m_scratch;
    std::unique_ptr<EditorNavigation> m_navigation;
    std::unique_ptr<RecordEntry> m_entry;
    std::unique_ptr<EntryAids> m_aids;
    // The stored columns 0 to 3 of the item the boxes show; empty when they show none.
    QVariantList m_shownItem;
    // Arrow keys move through cboKt, lstK1 and the grid as clicks do.
    QWidget* m_keyView = nullptr;
    bool m_inExit = false;
};

}  // namespace kovu
