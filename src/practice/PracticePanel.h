#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QTableView>

#include "data/PictureStore.h"
#include "data/Shared.h"
#include "platform/Controls.h"
#include "practice/Arithmetic.h"

namespace kovu {

class ConditionsPanel;
class QueryModel;

// The state of one arithmetic session: the type, the bound of the digits, the current question
// and the last shown line of the multiplication table.
struct ArithmeticSession {
    QString TypeCode;
    QString TypeName;
    int MaxDigit = 0;
    int FirstOperand = 0;
    int SecondOperand = 0;
    QString OperatorSign;
    int CorrectResult = 0;
    int MnemonicIndex = 0;
};

// pan1: the practice screen, which lies over the whole main screen while a practice runs. It
// holds the session frame (start, the one answer button, the score box and records, the score
// panel, return and exit) and the arithmetic exercise.
class PracticePanel : public QFrame {
    Q_OBJECT
public:
    PracticePanel(FormContext& ctx, QWidget* parent);

    // The conditions panel whose start button starts a session and whose choices it reads.
    void attachConditions(ConditionsPanel* conditions);

    // Stores the design rectangles of the practice-screen controls in the shared state.
    void RecordDesignGeometry();
    // Places every practice-screen control at its design rectangle times LayoutScale / 100.
    void LayoutPracticePanel();
    // Fonts and kind-dependent places of the question labels, for the running kind.
    void ArrangeQuestionLabels();

    // The session frame.
    void bitQdClick();
    void butKsClick();
    void edtJgChange();
    void RecordScore(const QString& kindLetter, const QString& questionText, int points);
    void butCjClick();
    void butChClick();
    void butFhClick();
    void butTcClick();

    // The arithmetic exercise.
    void HideCountPictures();
    void NewTestQuestion();
    void NextReviewQuestion();
    void ShowMnemonic(int k);
    void CheckArithmeticAnswer();

    // The eighteen counting pictures, imgT1..imgT9 then imgP1..imgP9.
    QList<TImage*> countingPictures() const;

    int AnsweredCount() const { return m_answered; }
    int ScoreTotal() const { return m_scoreTotal; }
    const ArithmeticSession& arithmetic() const { return m_arith; }

    // Question area.
    QFrame* pan2;
    TShape* shp0;
    QLabel* lblSs;
    QLineEdit* edtJg;
    QLabel* lblYd;
    TImage* imgDh;
    QLabel* lbl1;
    QLabel* lbl2;
    QLabel* lbl3;
    QLabel* lbl4;
    QLabel* lbl5;
    QLabel* lblJ1;
    TImage* imgCh;
    TImage* imgC1;
    TImage* imgYd;
    QLineEdit* edtYd;
    QList<TImage*> imgT;  // imgT1..imgT9
    QList<TImage*> imgP;  // imgP1..imgP9
    TShape* shpT1;
    TShape* shpT2;
    TShape* shpT3;

    // Picture area, message and hint lines, buttons.
    TImage* imgTx;
    QLabel* lblJg;
    QLabel* lblT0;
    QPushButton* butKs;
    QPushButton* butFh;
    QPushButton* butTc;
    QPushButton* butCj;

    // Score box.
    QFrame* pan3;
    TShape* shpCj;
    TShape* shpBc;
    QLabel* lblBb;
    QLabel* lblBc;
    TShape* shpC1;
    QLabel* lblCb;
    QLabel* lblCj;
    QLabel* lblTh;
    TImage* imgFx;

    // Score panel.
    QFrame* panCj;
    QLabel* lblC1;
    QLabel* lblLc;
    TImage* imgLc;
    QPushButton* butCh;
    QTableView* dbgCj;

private:
    void buildQuestionArea();
    void buildScoreBox();
    void buildScorePanel();
    // Places, sizes and fonts of the question labels; with visibility also which are shown.
    void applyQuestionPlaces(bool visibility);
    void fitQuestionText();
    void scaleFonts();
    bool isTest() const;
    Kind runningKind() const;
    QString kindLetter() const;
    void showScreenPicture(TImage* target, const QString& code);

    void startArithmeticSession(bool test);
    void startPinyinSession(bool test);
    void startEnglishSession(bool test);
    void drawQuestion();
    void showColumnForm(bool withResult);
    void layOutCountPictures();
    void setVerdictColour(const QColor& c);

    FormContext& m_ctx;
    ConditionsPanel* m_conditions = nullptr;
    PracticePictureArea m_area;
    QueryModel* m_scoreModel;
    QList<LabelPlace> m_questionPlaces;
    ArithmeticSession m_arith;
    int m_answered = 0;
    int m_scoreTotal = 0;
};

}  // namespace kovu
