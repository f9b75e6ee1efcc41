#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <functional>

#include "data/Shared.h"
#include "platform/Controls.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ItemSelection.h"
#include "progress/MistakeBook.h"

namespace kovu {

// The setting (yepz) that keeps chkCt.
inline const QString kMistakesFirstSetting = QStringLiteral("错题优先");
// The setting (yepz) that keeps chkLd, one for the three kinds.
inline const QString kReadAloudSetting = QStringLiteral("朗读");

// panTj: the conditions panel shared by arithmetic, pinyin and English. Its left strip holds the
// title, the review/test choice, the check boxes and the start button; panSs (arithmetic) and
// panPy (pinyin and English item selection) stand at left 138 inside it.
class ConditionsPanel : public QFrame {
    Q_OBJECT
public:
    ConditionsPanel(FormContext& ctx, QWidget* parent);

    // The practice screen's answer button, which the review/test choice enables for test only.
    void setAnswerButton(QAbstractButton* butKs) { m_butKs = butKs; }

    // The current child's mistakes, for spbCt and chkCt (none: both do nothing).
    void setMistakeBook(MistakeBook* book);
    MistakeBook* mistakeBook() const { return m_mistakes; }

    void chkLtClick();
    void chkCtClick();
    // chkCt as stored, set without storing it again.
    void RestoreMistakesFirst();
    // chkMh (pinyin only): stored as 描红 when it changes, set from it without storing again, and
    // greyed when there are no strokes to trace.
    void chkMhClick();
    void RestoreTracing();
    // chkMh shown on the pinyin conditions only, in the row of chkPx.
    void ShowTracing(bool pinyin);
    void setStrokesAvailable(std::function<bool()> available) { m_strokesAvailable = std::move(available); }
    void chkLdClick();
    // chkLd as stored, set without storing it again, and placed in the strip of kind (1 arithmetic,
    // 2 pinyin, 3 English) below that kind's own check boxes.
    void ShowReadAloud(int kind);
    void rgpNrClick();
    // The children by number, the current one chosen; run when a conditions screen opens.
    void ListChildren();
    // Choosing a child makes it the current one at once.
    void cboXsClick();

    // What a session reads of the conditions.
    bool isTest() const { return rgpNr->itemIndex() == 1; }
    bool fitsScreen() const { return chkPm->isChecked(); }
    bool noPictures() const { return chkLt->isChecked(); }
    // An arithmetic test asks the child's fitting mistakes first.
    bool mistakesFirst() const { return chkCt->isChecked(); }
    bool marksTone() const { return chkSd->isChecked(); }
    // A pinyin review shows each character to trace.
    bool tracing() const { return chkMh->isChecked(); }
    // The practice screen says its prompts aloud.
    bool readsAloud() const { return chkLd->isChecked(); }
    QString toneDeductionText() const { return cboKf->currentText(); }
    QString title() const { return lblNr->text(); }
    // The chosen textbook and lesson of the item selection, as shown and as 0-based positions.
    QString textbookText() const { return panPy->cboKb->currentText(); }
    int textbookIndex() const { return panPy->cboKb->currentIndex(); }
    QString lessonText() const { return panPy->cboK1->currentText(); }
    int lessonIndex() const { return panPy->cboK1->currentIndex(); }

    TShape* shpNr;
    QLabel* lblNr;
    TRadioGroup* rgpNr;
    QCheckBox* chkPm;
    QCheckBox* chkLt;
    QCheckBox* chkCt;
    QCheckBox* chkSd;
    QCheckBox* chkPx;
    QCheckBox* chkMh;
    QCheckBox* chkLd;
    QLabel* lbl03;
    QComboBox* cboKf;
    QLabel* lblXs;
    QComboBox* cboXs;
    QPushButton* bitQd;
    ArithmeticChoices* panSs;
    ItemSelection* panPy;

private:
    FormContext& m_ctx;
    QPointer<QAbstractButton> m_butKs;
    MistakeBook* m_mistakes = nullptr;
    std::function<bool()> m_strokesAvailable;
};

}  // namespace kovu
