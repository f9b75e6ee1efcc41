#pragma once

#include <QImage>

class QLineEdit;

namespace kovu {

class EditorPage;
struct FormContext;

// The aids of record entry: the sort button spbPx, the input method chosen in cboSr and opened per
// box, the word picture that spbDy attaches to an English word, and the help while a character is
// typed (its earlier entries, its readings from the dictionary yefc, the duplicate warning).
class EntryAids {
public:
    EntryAids(EditorPage& page, FormContext& ctx);

    void spbPxClick();
    void cboSrClick();
    void spbDyClick();
    // Fills cboSr with the system's input methods and sets it from the settings row.
    void fillInputMethods();

    // Entering the boxes: the input method of each box, and for the third box of the pinyin tab
    // the dictionary's reading again.
    void edtKmEnter();
    void edtPyEnter();
    void edtKhEnter();
    void edtSdEnter();

    // Typing help.
    void edtKmChange();
    void edtSdChange();
    void lstDyClick();
    void CheckCharacterDuplicate();
    void LookUpDictionaryPinyin();

    // Whether a chosen word picture is shown and not yet stored (spbDy reads "录入图片(&D)").
    bool picturePending() const;
    // 添加 or 修改 while a picture is pending: the grid comes back, the picture stays pending.
    void leavePendingPicture();
    // Forgets a chosen picture not yet stored.
    void dropPendingPicture();

private:
    void openInputMethod(QLineEdit* box);
    void closeInputMethod(QLineEdit* box);
    int readingListHeight(int rows) const;

    EditorPage& m_page;
    FormContext& m_ctx;
    // A chosen word picture not yet stored.
    QImage m_pendingPicture;
};

}  // namespace kovu
