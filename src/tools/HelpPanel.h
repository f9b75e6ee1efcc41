#pragma once

#include <QFrame>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QTextEdit>

#include "data/Shared.h"
#include "platform/Controls.h"

class QMenu;

namespace kovu {

// panBz: the manual in the read-only rich edit redBz beside a table of contents made of chapter
// labels; a click on a label moves the text to its chapter, the label under the mouse is lit.
class HelpPanel : public QFrame {
    Q_OBJECT
public:
    HelpPanel(FormContext& ctx, QWidget* parent);

    // Loads the manual afresh from the settings row (column 帮助) into redBz.
    void LoadHelpText();
    // Moves the text of redBz to the chapter of a label; a chapter the text lacks leaves the caret
    // where it was.
    void JumpToHelpChapter(QLabel* label);
    void HighlightHelpLabel();
    void RestoreHelpLabel();
    // The text the label's chapter starts with: "《Kovu》" for lbl00, else its caption.
    static QString chapterTarget(const QLabel* label);

    TBevel* Bevel7;
    QTextEdit* redBz;
    QLabel* lbl00;
    // The chapter labels from top to bottom, lbl00 first.
    QList<QLabel*> chapterLabels;
    QMenu* redBzMenu;
    // The label that was lit last.
    QPointer<QLabel> HoverLabel;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    // A chapter (a name whose fourth character is "B") and lbl00 are bold.
    static bool isChapterName(const QLabel* label);
    void showContextMenu(const QPoint& pos);

    FormContext& m_ctx;
};

}  // namespace kovu
