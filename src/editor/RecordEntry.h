#pragma once

#include <QString>

class QLineEdit;

namespace kovu {

class EditorPage;
struct FormContext;

// Adding, changing and deleting textbooks, lessons and items through the buttons spbTj, spbXg
// and spbSc, whose captions are the state of the operation; the checks of an entry and the keys
// of the four boxes. The help given while a character is typed is one of the EntryAids.
class RecordEntry {
public:
    RecordEntry(EditorPage& page, FormContext& ctx);

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
    // Deletes the single-lesson items of textbook digit or lesson number x and removes its groups
    // from the shared items, inside the caller's transaction.
    void RemoveGroupFromItems(const QString& x);

    // Box events.
    void edtKhChange();
    void edtKhExit();
    void edtKmExit();
    // Up, Down and Enter in the four boxes; true when the key was used.
    bool boxKeyDown(QLineEdit* box, int key);

private:
    // Drops the blanks around the pinyin and the tone, or around an English word, before a save:
    // with them the item could never be answered right.
    void trimBoxes();
    // The four boxes into the current or new row of the grid's record set (not posted).
    void assignBoxesToRow();
    void rereadGrid();
    // Whether the chosen textbook (scope 0) or lesson (scope 1) is the grid's current row.
    bool listStandsOnGridRow() const;
    // The lesson's items again, standing on the row that holds these values, if it is there.
    void reopenLessonItems(const QString& name, const QString& third, const QString& fourth);
    // Refuses a textbook or lesson number that breaks the numbering or is taken by another entry.
    bool numberAcceptable(bool modifying);

    EditorPage& m_page;
    FormContext& m_ctx;
};

}  // namespace kovu
