#pragma once

#include <QObject>
#include <QString>

#include "strokes/StrokeData.h"

class QFrame;
class QShortcut;

namespace kovu {

class PracticePanel;
class TImage;

namespace strokes {
class StrokeView;
}

// The setting (yepz) that keeps chkMh.
inline const QString kTracingSetting = QStringLiteral("描红");
// The message line once a traced character is complete.
inline const QString kTracedCaption = QStringLiteral("真棒");

// The stroke order of the practice screen: the picture button imgBs in the question area and F3
// draw the character's strokes in the picture area; a pinyin review with 描红 shows the character
// there to trace. The stroke data file is opened the first time a character is shown.
class StrokeOrder : public QObject {
    Q_OBJECT
public:
    explicit StrokeOrder(PracticePanel& frame);

    // A session starts: the button shows only for pinyin; tracing only in a pinyin review with it.
    void sessionStarted(bool pinyin, bool test, bool tracing);
    // A pinyin item or question shows character: the button is greyed when the data does not
    // hold it; a traced review shows it to trace.
    void itemShown(const QString& character);
    // The picture area shows a picture: the strokes give way, except while tracing.
    void pictureShown();
    // The view lies exactly over the picture area.
    void layout();
    // imgBs and F3.
    void imgBsClick();

    TImage* imgBs;
    strokes::StrokeView* strokeView;
    strokes::StrokeLibrary& library() { return m_library; }

private:
    void setButtonEnabled(bool on);
    void strokeTraced();

    PracticePanel& m_frame;
    strokes::StrokeLibrary m_library;
    QShortcut* m_f3;
    bool m_pinyin = false;
    bool m_tracing = false;
    QString m_caption;  // the message line of the review, back for the next item
};

}  // namespace kovu
