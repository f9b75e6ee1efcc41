#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
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

    // Record entry and deletion.
    void spbTjClick();
    void spbXgClick();
    void spbScClick();
    void BeginNewRecord();
    // What a save did: stored, or nothing stored (the operation may close), or refused with the
    // operation left open for the user to mend the entry.
    enum class SaveResult { Stored, NotStored, Refused };
    SaveResult SaveNewRecord();
    SaveResult SaveChangedRecord();
    QString MissingFieldsText() const;
    bool NameAlreadyListed();
    void CheckCharacterDuplicate();
    void LookUpDictionaryPinyin();
    // Deletes the single-lesson items of textbook digit or lesson number x and removes its groups
    // from the shared items, inside the caller's transaction.
    void RemoveGroupFromItems(const QString& x);

    // Box events.
    void edtKhChange();
    void edtKhExit();
    void edtKmChange();
    void edtKmExit();
    void edtKmEnter();
    void edtPyEnter();
    void edtKhEnter();
    void edtSdEnter();
    void edtSdChange();
    void lstDyClick();
    // Up, Down and Enter in the four boxes; true when the key was used.
    bool boxKeyDown(QLineEdit* box, int key);

    // Entry aids.
    void spbPxClick();
    void cboSrClick();
    void spbDyClick();

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString textbookTable() const;
    QString lessonTable() const;
    QString itemTable() const;
    QString tabHint() const;
    void openGrid(const QString& sql, const QVariantList& binds);
    void setGridHeight(int h);
    void showCountLine();
    void fillInputMethods();
    void setBoxesEditable(bool on);
    void clearBoxes();
    // The grid's current row into the four boxes, without running the typing help.
    void loadBoxesFromRow();
    // The four boxes into the current or new row of the grid's record set (not posted).
    void assignBoxesToRow();
    void rereadGrid();
    // Whether the chosen textbook (scope 0) or lesson (scope 1) is the grid's current row.
    bool listStandsOnGridRow() const;
    int readingListHeight(int rows) const;
    bool picturePending() const;
    void leavePendingPicture();
    void message(const QString& text);
    // The lesson's items again, standing on the row that holds these values, if it is there.
    void reopenLessonItems(const QString& name, const QString& third, const QString& fourth);
    // Refuses a textbook or lesson number that breaks the numbering or is taken by another entry.
    bool numberAcceptable(bool modifying);
    void keyNavigated(QWidget* view);
    void openInputMethod(QLineEdit* box);
    void closeInputMethod(QLineEdit* box);

    FormContext& m_ctx;
    QueryModel* m_model;
    // The form's scratch query (aquCx): look-ups apart from the grid's record set and aquFz.
    Query& m_scratch;
    // The WHERE part of the scope's grid query, with its values.
    QString m_filter;
    QVariantList m_filterBinds;
    // A chosen word picture not yet stored.
    QImage m_pendingPicture;
    // Arrow keys move through cboKt, lstK1 and the grid as clicks do.
    QWidget* m_keyView = nullptr;
    bool m_inExit = false;
};

}  // namespace kovu
