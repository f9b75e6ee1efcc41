#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QTableView>
#include <functional>
#include <memory>

#include "data/PictureStore.h"
#include "data/Shared.h"
#include "platform/Controls.h"
#include "practice/Arithmetic.h"
#include "progress/AnswerRecorder.h"
#include "speech/Speech.h"

namespace kovu {

class ConditionsPanel;
class QueryModel;

class ArithmeticExercise;
struct ArithmeticSession;
class EnglishExercise;
class Exercise;
class PinyinExercise;
class StrokeOrder;

// The counters of a test session: answers judged and the sum of their points.
struct ScoreCounters {
    int answered = 0;
    int total = 0;
    // The counters after a judgement worth points; a tone step changes the total only.
    ScoreCounters after(int points, bool countsAsAnswer) const {
        return {answered + (countsAsAnswer ? 1 : 0), total + points};
    }
    // The running average, total div answered (0 before the first answer).
    int average() const { return answered > 0 ? total / answered : 0; }
};

// pan1: the practice screen, which lies over the whole main screen while a practice runs. It is
// the session frame: the start, the one answer button, the score box and records, the score panel,
// return and exit. Each kind of exercise is an Exercise that the frame calls.
class PracticePanel : public QFrame {
    Q_OBJECT
public:
    PracticePanel(FormContext& ctx, QWidget* parent);
    ~PracticePanel() override;

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
    // Where the judged answers of a test are kept besides the score records (none: only those).
    void setAnswerRecorder(AnswerRecorder* recorder) { m_recorder = recorder; }
    // Where the prompts are said: the source is asked once, the first time 朗读 wants speech
    // (none, or a null answer: silent).
    void setSpeechSource(std::function<Speech*()> source) { m_speechSource = std::move(source); }
    // Says utterances when 朗读 is chosen; the exercises call it at the moments they name.
    void speak(const QList<Utterance>& utterances);
    // Whether the prompts are said: what needs a query to be said is looked up only then.
    bool speaking() const;
    // imgLd and F2: the last utterances again.
    void imgLdClick();
    // The speech once a session asked for it (null before, or when it cannot be loaded).
    Speech* loadedSpeech() const { return m_speech; }
    // Writes the score record of a judgement worth points, with the answer's row of the answer log
    // in the same transaction, and only then moves the counters on; returns the counters after it.
    // answer gives the question, the item and the typed text. A failed write raises and leaves both
    // tables, the counters, the record sets and the screen as they were, so the answer can be
    // judged again.
    ScoreCounters RecordScore(const QString& kindLetter, const QString& questionText, int points,
                              JudgedAnswer answer, bool countsAsAnswer = true);
    void butCjClick();
    void butChClick();
    void butFhClick();
    void butTcClick();
    void HideCountPictures();

    // What the exercises use of the frame.
    FormContext& context() { return m_ctx; }
    ConditionsPanel& conditions() { return *m_conditions; }
    bool isTest() const;
    // Shows a yetp picture (JPEG) by its code in target.
    void showScreenPicture(TImage* target, const QString& code);
    PracticePictureArea& pictureArea() { return m_area; }
    // lblSs takes the width of its text and the answer box stands 8 pixels to its right.
    void fitQuestionText();
    void setVerdict(const QString& text, const QColor& background);
    // A new test question waits for its answer: the message line shows caption, the answer button
    // waits for the first change of the answer box, the hint says what to do.
    void askForAnswer(const QString& caption);
    // The score box after a judgement: the points of this one and the running average, red after a
    // right one and black after a wrong one.
    void showScore(const QString& points, bool right);
    const ScoreCounters& counters() const { return m_counters; }

    // The eighteen counting pictures, imgT1..imgT9 then imgP1..imgP9.
    QList<TImage*> countingPictures() const;

    int AnsweredCount() const { return m_counters.answered; }
    int ScoreTotal() const { return m_counters.total; }
    const ArithmeticSession& arithmetic() const;
    ArithmeticExercise& arithmeticExercise() { return *m_arithmetic; }
    PinyinExercise& pinyinExercise() { return *m_pinyin; }
    EnglishExercise& englishExercise() { return *m_english; }
    // The stroke order button imgBs, F3 and the stroke view over the picture area.
    StrokeOrder& strokeOrder() { return *m_strokeOrder; }

    // Question area.
    QFrame* pan2;
    TShape* shp0;
    QLabel* lblSs;
    QLineEdit* edtJg;
    QLabel* lblYd;
    TImage* imgDh;
    TImage* imgLd;  // the speaker: says the last prompt again
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
    void scaleFonts();
    Kind runningKind() const;
    Exercise& runningExercise();

    FormContext& m_ctx;
    ConditionsPanel* m_conditions = nullptr;
    PracticePictureArea m_area;
    QueryModel* m_scoreModel;
    QList<LabelPlace> m_questionPlaces;
    std::unique_ptr<ArithmeticExercise> m_arithmetic;
    std::unique_ptr<PinyinExercise> m_pinyin;
    std::unique_ptr<EnglishExercise> m_english;
    ScoreCounters m_counters;
    AnswerRecorder* m_recorder = nullptr;
    StrokeOrder* m_strokeOrder = nullptr;
    // The speech, asked for on first use; imgLd greyed while there is no sound device.
    Speech* speech();
    void showSpeakerState();
    std::function<Speech*()> m_speechSource;
    Speech* m_speech = nullptr;
    bool m_speechAsked = false;
    // Since the question (or the tone step) waiting for its answer was shown.
    QElapsedTimer m_questionShown;
};

}  // namespace kovu
