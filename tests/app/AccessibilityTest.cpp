// What a screen reader (Orca, through Qt's accessibility interface) reads of the self-drawn
// controls: the status bar panels, the picture buttons of the bar and the practice pictures.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QTest>

#include "../practice/PracticeFixture.h"
#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "platform/Controls.h"

using namespace kovu;
using namespace kovu::test;

namespace {

QAccessibleInterface* accessible(QObject* o) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
    EXPECT_NE(a, nullptr);
    return a;
}

}  // namespace

TEST(Accessibility, StatusPanelsBarButtonsAndPracticePicturesSayWhatTheyShow) {
    PracticeScreen s;
    TfrmKovu& form = *s.form;

    // The status bar: one text per panel, following what the panel shows.
    QAccessibleInterface* bar = accessible(form.sta1);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->role(), QAccessible::StatusBar);
    ASSERT_EQ(bar->childCount(), 5);
    EXPECT_EQ(bar->child(0)->role(), QAccessible::StaticText);
    EXPECT_EQ(bar->child(0)->text(QAccessible::Name), QStringLiteral("Kovu软件"));
    EXPECT_EQ(bar->indexOfChild(bar->child(3)), 3);
    EXPECT_EQ(bar->child(4)->parent(), bar);
    form.tmr1Timer();
    EXPECT_EQ(bar->child(4)->text(QAccessible::Name), QStringLiteral("2024年3月9日 08:05:12 星期六"));
    // Each panel lies where it is drawn, side by side.
    EXPECT_LT(bar->child(0)->rect().right(), bar->child(1)->rect().left());
    EXPECT_TRUE(bar->rect().contains(bar->child(4)->rect().center()));
    EXPECT_EQ(bar->childAt(bar->child(1)->rect().center().x(), bar->child(1)->rect().center().y()),
              bar->child(1));

    // The bar's picture buttons: a button each with its purpose, pressed through the interface.
    const QList<std::pair<TImage*, QString>> buttons = {{form.imgSs, "算术练习"}, {form.imgPy, "拼音练习"},
                                                        {form.imgYy, "英语练习"}, {form.imgSz, "设置"},
                                                        {form.imgBz, "使用说明"}, {form.imgGb, "退出"}};
    for (const auto& [button, name] : buttons) {
        QAccessibleInterface* a = accessible(button);
        EXPECT_EQ(a->role(), QAccessible::Button) << name.toStdString();
        EXPECT_EQ(a->text(QAccessible::Name), name);
        EXPECT_EQ(a->actionInterface() ? a->actionInterface()->actionNames() : QStringList(),
                  QStringList{QAccessibleActionInterface::pressAction()});
    }
    // Pictures that are not buttons are graphics.
    EXPECT_EQ(accessible(form.imgFm)->role(), QAccessible::Graphic);
    QAccessibleInterface* ss = accessible(form.imgSs);
    ss->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form.state().CurrentPanel, 1);
    EXPECT_FALSE(form.panTj->isHidden());
    // The open panel's button now returns; the panel's title is read from the status bar.
    EXPECT_EQ(ss->text(QAccessible::Name), QStringLiteral("返回"));
    EXPECT_EQ(ss->text(QAccessible::Description), QStringLiteral("关闭算术练习"));
    EXPECT_EQ(bar->child(1)->text(QAccessible::Name), QStringLiteral("《算术练习条件设置》"));

    // The practice pictures: the title picture of the practice, then the verdict of an answer.
    s.test();
    s.choose(s.panSs->rgp1, 1);
    s.start({10, 20});
    ASSERT_TRUE(s.pan1->isVisible());
    EXPECT_EQ(accessible(s.pan1->imgTx)->role(), QAccessible::Graphic);
    EXPECT_EQ(accessible(s.pan1->imgTx)->text(QAccessible::Name), QStringLiteral("算术练习"));
    s.answer("999");
    EXPECT_EQ(accessible(s.pan1->imgTx)->text(QAccessible::Name), QStringLiteral("答错了"));
    EXPECT_FALSE(bar->child(2)->text(QAccessible::Name).isEmpty());
}
