#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include "TestSupport.h"
#include "ToolsFixture.h"
#include "app/TfrmKovu.h"
#include "tools/HelpPanel.h"

using namespace kovu;
using namespace kovu::test;

namespace {

QColor textColour(QLabel* l) { return l->palette().color(QPalette::WindowText); }

// The text of the block that holds the caret.
QString caretBlock(QTextEdit* e) { return e->textCursor().block().text(); }

struct HelpScreen {
    FakePlatform platform;
    TestFolder folder;
    std::unique_ptr<TfrmKovu> form;
    HelpPanel* panBz = nullptr;

    HelpScreen() {
        folder.copyDeliveredDb();
        form = makeForm(platform, folder);
        form->show();
        QApplication::setActiveWindow(form.get());
        panBz = form->panBz;
    }
    QLabel* label(const char* name) { return control<QLabel>(panBz, name); }
    void toggle() { QTest::mouseClick(form->imgBz, Qt::LeftButton); }
    void setHelp(const QString& text) { openDb(folder.db())->exec("UPDATE yesz SET 帮助 = ?", {text}); }
};

}  // namespace

TEST(HelpPanel, OpensTheManualWithItsChapterLabelsAndJumpsToEachChapter) {
    HelpScreen s;
    s.toggle();
    EXPECT_EQ(s.form->state().CurrentPanel, 5);
    EXPECT_TRUE(s.panBz->isVisible());
    EXPECT_EQ(s.panBz->geometry(), QRect(2, 43, 629, 386 + 8));
    EXPECT_EQ(s.form->statusText(1), " 《软件使用说明》");
    QTextEdit* red = s.panBz->redBz;
    EXPECT_TRUE(red->isReadOnly());
    EXPECT_EQ(red->geometry(), QRect(116, 6, 505, 372 + 8));
    // The delivered manual is rich text: its markup is interpreted, not shown.
    const QString plain = red->toPlainText();
    EXPECT_TRUE(plain.startsWith("《Kovu》"));
    EXPECT_FALSE(plain.contains("<h3"));
    EXPECT_TRUE(plain.contains("----"));

    // The table of contents: captions, places, fonts and colours by the rule of the names.
    const QStringList names = {"lbl00", "lblB1", "lblB2", "lbl21", "lbl24", "lblB3",
                               "lbl31", "lbl32", "lbl33", "lbl34", "lblB4", "lbl41",
                               "lbl42", "lbl43", "lbl44", "lblB5", "lblB7"};
    ASSERT_EQ(s.panBz->chapterLabels.size(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        QLabel* l = s.panBz->chapterLabels.at(i);
        SCOPED_TRACE(names.at(i).toStdString());
        EXPECT_EQ(l->objectName(), names.at(i));
        EXPECT_EQ(l->y(), i == 0 ? 17 : 34 + 20 * (i - 1));
        EXPECT_EQ(l->font().family(), "宋体");
        // In points like every other control: 12 and 13 pixels at 96 dots an inch.
        EXPECT_EQ(l->font().pointSize(), i == 0 ? 10 : 9);
        EXPECT_EQ(l->font().bold(), names.at(i).at(3) == 'B' || i == 0);
        EXPECT_FALSE(l->font().underline());
        EXPECT_EQ(textColour(l), i == 0 ? QColor(255, 0, 0) : QColor(0, 0, 255));
        // Every caption fits inside the frame of the contents.
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), 106 - 8);
    }
    EXPECT_EQ(s.label("lbl00")->text(), "目 录");
    EXPECT_EQ(s.label("lbl31")->text(), "3.1 本软件的启动");
    EXPECT_EQ(s.label("lblB7")->text(), "附注：");

    // Every label moves the caret to the start of its own heading, with the focus in the text.
    for (QLabel* l : s.panBz->chapterLabels) {
        SCOPED_TRACE(l->objectName().toStdString());
        QTest::mouseClick(l, Qt::LeftButton);
        EXPECT_EQ(red->textCursor().position(), plain.indexOf(HelpPanel::chapterTarget(l)));
        EXPECT_FALSE(red->textCursor().hasSelection());
        if (l == s.label("lbl00"))
            EXPECT_TRUE(caretBlock(red).startsWith("《Kovu》"));
        else
            EXPECT_EQ(caretBlock(red), l->text());
        EXPECT_EQ(QApplication::focusWidget(), red);
        EXPECT_TRUE(red->viewport()->rect().contains(red->cursorRect()));
    }
    // A chapter further down stands at the top of the view, not at its bottom edge.
    QTest::mouseClick(s.label("lbl00"), Qt::LeftButton);
    QTest::mouseClick(s.label("lbl31"), Qt::LeftButton);
    EXPECT_GT(red->verticalScrollBar()->value(), 0);
    EXPECT_LT(red->cursorRect().top(), red->viewport()->height() / 4);
    QTest::mouseClick(s.label("lbl00"), Qt::LeftButton);
    EXPECT_LE(red->verticalScrollBar()->value(), static_cast<int>(red->document()->documentMargin()));

    // The context menu: copying the selection; the text cannot be cut or pasted into.
    QMenu* menu = s.panBz->redBzMenu;
    QStringList entries;
    for (QAction* a : menu->actions()) entries << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(entries, QStringList({"复制(&F)", "剪切(&J)", "-", "粘贴(&T)"}));
    EXPECT_FALSE(menu->actions().at(1)->isEnabled());
    EXPECT_FALSE(menu->actions().at(3)->isEnabled());
    QTextCursor c = red->textCursor();
    c.setPosition(0);
    c.setPosition(6, QTextCursor::KeepAnchor);
    red->setTextCursor(c);
    QApplication::clipboard()->clear();
    menu->actions().at(0)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "《Kovu》");

    // Closing returns to the front picture.
    s.toggle();
    EXPECT_EQ(s.form->state().CurrentPanel, 0);
    EXPECT_FALSE(s.panBz->isVisible());
    EXPECT_EQ(s.panBz->x(), 641);
}

TEST(HelpPanel, TheLabelUnderTheMouseIsLitAndTheManualIsReadAfreshEachTime) {
    HelpScreen s;
    s.toggle();
    QLabel* l31 = s.label("lbl31");
    QLabel* b3 = s.label("lblB3");
    QLabel* b7 = s.label("lblB7");
    const QColor orange(255, 127, 0);

    QTest::mouseMove(l31, QPoint(10, 8));
    EXPECT_EQ(textColour(l31), orange);
    EXPECT_TRUE(l31->font().underline());
    EXPECT_FALSE(l31->font().bold());
    // From "3.1 本软件的启动" to "3 软件使用": the first back to blue and regular, the second lit.
    QTest::mouseMove(b3, QPoint(10, 8));
    EXPECT_EQ(textColour(l31), QColor(0, 0, 255));
    EXPECT_FALSE(l31->font().underline());
    EXPECT_FALSE(l31->font().bold());
    EXPECT_EQ(textColour(b3), orange);
    EXPECT_TRUE(b3->font().bold());
    EXPECT_TRUE(b3->font().underline());
    QTest::mouseMove(b7, QPoint(10, 8));
    EXPECT_EQ(s.panBz->HoverLabel, b7);
    EXPECT_EQ(textColour(b7), orange);
    EXPECT_TRUE(b7->font().bold());
    EXPECT_TRUE(b7->font().underline());
    EXPECT_EQ(textColour(b3), QColor(0, 0, 255));
    EXPECT_TRUE(b3->font().bold());
    EXPECT_FALSE(b3->font().underline());
    // Leaving the labels for the text restores the last one.
    QTest::mouseMove(s.panBz->redBz->viewport(), QPoint(50, 50));
    EXPECT_EQ(textColour(b7), QColor(0, 0, 255));
    EXPECT_TRUE(b7->font().bold());
    EXPECT_FALSE(b7->font().underline());
    QLabel* l00 = s.label("lbl00");
    QTest::mouseMove(l00, QPoint(40, 8));
    EXPECT_EQ(textColour(l00), orange);
    EXPECT_TRUE(l00->font().bold() && l00->font().underline());
    QTest::mouseMove(s.panBz->redBz->viewport(), QPoint(50, 50));
    EXPECT_EQ(textColour(l00), QColor(255, 0, 0));
    EXPECT_FALSE(l00->font().underline());

    // Open, close, open: a changed manual shows. It lacks the chapter 4.4, whose label then leaves
    // the caret where it was; plain text is shown as it stands.
    const QString manual = "《Kovu》\n<不是标记> a < b\n1 基本概况\n正文\n3 软件使用\n使用\n----\n";
    s.setHelp(manual);
    EXPECT_FALSE(s.panBz->redBz->toPlainText().contains("<不是标记>"));
    s.toggle();
    s.toggle();
    EXPECT_EQ(s.panBz->redBz->toPlainText(), manual);
    QTest::mouseClick(b3, Qt::LeftButton);
    const int at = manual.indexOf("3 软件使用");
    EXPECT_EQ(s.panBz->redBz->textCursor().position(), at);
    QTest::mouseClick(s.label("lbl44"), Qt::LeftButton);
    EXPECT_EQ(s.panBz->redBz->textCursor().position(), at);
    // Without the end mark the jump still finds its chapter.
    s.setHelp("1 基本概况\n3 软件使用\n");
    s.toggle();
    s.toggle();
    QTest::mouseClick(b3, Qt::LeftButton);
    EXPECT_EQ(s.panBz->redBz->textCursor().position(), QString("1 基本概况\n").size());
}
