#pragma once

#include <QString>

namespace kovu {

// One kind of exercise of the practice screen (arithmetic, pinyin, English). The session frame
// (PracticePanel) owns the screen, the counters and the score records, and calls the exercise at
// these points; the exercise's rules live in plain functions beside it.
class Exercise {
public:
    virtual ~Exercise() = default;

    // The kind letter of the score records: "s", "p" or "y".
    virtual QString kindLetter() const = 0;
    // Whether the conditions allow the start; when they do not, the exercise has told the user why
    // and nothing is stored or shown.
    virtual bool checkConditions(bool /*test*/) { return true; }
    // Stores what a session start stores in the settings row. The
    // frame runs it in one transaction with the emptying of the score table, before anything on
    // the screen changes; a refusal (a KovuError) leaves the screen and the tables as they were.
    virtual void storeSessionStart(bool test) = 0;
    // The kind's own set-up on the screen: title picture, message line, first question or item.
    virtual void start(bool test) = 0;
    // The answer button in a test: judges the answer, or makes the next question.
    virtual void judge() = 0;
    // The answer button in a review: the next item.
    virtual void reviewStep() = 0;
    // Status panel 1 while the session runs.
    virtual QString summary(const QString& conditionsTitle, bool test) const = 0;
};

}  // namespace kovu
