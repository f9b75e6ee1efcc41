#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "editor/EditorPage.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PicturePage.h"
#include "pictures/PictureRules.h"
#include "platform/ImageCodec.h"

using namespace kovu;
using namespace kovu::test;

namespace {

const QString kSaved = QStringLiteral("所选择的图片已保存！");

// A picture whose left part is red and the rest blue, so a cut shows where it was taken.
QImage twoColours(int w, int h, int redWidth) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(Qt::blue);
    QPainter(&img).fillRect(0, 0, redWidth, h, Qt::red);
    return img;
}

bool reddish(QRgb c) { return qRed(c) > 180 && qBlue(c) < 90; }
bool bluish(QRgb c) { return qBlue(c) > 180 && qRed(c) < 90; }

struct Page {
    FakePlatform platform;
    TestFolder folder;
    std::unique_ptr<TfrmKovu> form;
    PicturePage* tp = nullptr;
    ConfirmPanel* zc = nullptr;

    explicit Page(const std::function<void(Connection&)>& extra = {}) {
        folder.writeSmallDb();
        {
            auto c = openDb(folder.db());
            c->exec("INSERT INTO yetl (图号, 图片, 图名) VALUES ('1', ?, '苹果')",
                    {encodeJpeg(twoColours(30, 30, 10))});
            c->exec("INSERT INTO yetl (图号, 图片, 图名) VALUES ('2', ?, '星星')",
                    {encodeJpeg(twoColours(120, 90, 0))});
            if (extra) extra(*c);
        }
        platform.setShortcuts(std::make_unique<FakeShortcuts>(folder.file("links")));
        form = makeForm(platform, folder);
        form->show();
        tp = form->tasTp;
        zc = form->panZc;
        QTest::mouseClick(form->imgSz, Qt::LeftButton);
    }
    ScriptedDialogs& dlg() { return platform.dlg(); }
    QStringList messages() const { return const_cast<FakePlatform&>(platform).dlg().texts(); }
    void choose(int i) {
        tp->cboZp->setCurrentIndex(i);
        Q_EMIT tp->cboZp->activated(i);
    }
    QString file(const QString& name, const QImage& img) {
        const QString path = folder.file(name);
        EXPECT_TRUE(img.save(path, name.endsWith("bmp", Qt::CaseInsensitive) ? "BMP" : "JPG", 95));
        return path;
    }
    void open(const QString& path) {
        dlg().chooseFile(path);
        QTest::mouseClick(tp->spbDk, Qt::LeftButton);
    }
    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    void clickRadio(QRadioButton* r) { QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(6, r->height() / 2)); }
    void clickGridRow(int row) {
        const QModelIndex idx = tp->dbgZp->model()->index(row, 0);
        QTest::mouseClick(tp->dbgZp->viewport(), Qt::LeftButton, {}, tp->dbgZp->visualRect(idx).center());
    }
    void drag(QPoint from, QPoint to) {
        QTest::mousePress(tp->imgZp, Qt::LeftButton, {}, from);
        QTest::mouseMove(tp->imgZp, (from + to) / 2);
        QTest::mouseMove(tp->imgZp, to);
        QTest::mouseRelease(tp->imgZp, Qt::LeftButton, {}, to);
    }
    QImage stored(const QString& sql) {
        auto c = openDb(folder.db());
        const QByteArray b = c->scalar(sql).toByteArray();
        return b.isEmpty() ? QImage() : decodeJpeg(b);
    }
    QImage screen(const QString& code) {
        return stored(QStringLiteral("SELECT 图片 FROM yetp WHERE 图号 = '%1'").arg(code));
    }
    QString status(int i) { return form->statusText(i); }
};

}  // namespace

TEST(PicturePage, OpensAtChoiceOneAndAddressesEveryChoice) {
    Page p([](Connection& c) { c.exec("DELETE FROM yetp WHERE 图号 = 'py'"); });
    PicturePage* tp = p.tp;
    EXPECT_TRUE(p.form->pagSz->isVisible());
    EXPECT_EQ(p.form->pagSz->currentWidget(), tp);
    EXPECT_EQ(p.status(1), QStringLiteral(" 屏幕图片设置及压缩数据库"));
    EXPECT_EQ(tp->cboZp->count(), 8);
    EXPECT_EQ(tp->cboZp->currentText(), QStringLiteral("1 算术练习"));
    EXPECT_EQ(tp->lblGg->text(), QStringLiteral("请先打开要替换[算术练习]的图片"));
    EXPECT_EQ(tp->lblSk->text(), QStringLiteral("规格：400 * 300 宽高比：1.3333"));
    EXPECT_EQ(tp->edtTh->text(), "ss");
    EXPECT_TRUE(tp->lblTm->isHidden());
    EXPECT_TRUE(tp->dbgZp->isHidden());
    EXPECT_EQ(tp->imgZ1->geometry(), QRect(8, 121, 300, 225));
    EXPECT_TRUE(tp->imgZ1->isVisible());
    EXPECT_EQ(tp->imgZp->geometry(), QRect(315, 38, 300, 225));
    EXPECT_EQ(tp->imgZp->picture().size(), QSize(400, 300));  // the background picture
    EXPECT_EQ(tp->spbCx->text(), QStringLiteral("撤消(&C)"));
    for (QPushButton* b : {tp->spbTt, tp->spbSt, tp->spbCx, tp->spbLc}) EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(tp->spbDk->isEnabled());
    EXPECT_FALSE(tp->imgZp->isEnabled());
    EXPECT_TRUE(p.messages().isEmpty());

    // A click on the working image before any file was opened does nothing.
    QTest::mouseClick(tp->imgZp, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_TRUE(p.status(2).isEmpty());
    EXPECT_TRUE(tp->shpXz->isHidden());

    // The tick: its own code and proportion; without natural size the preview fills its box.
    tp->chkYd->setChecked(false);
    p.choose(5);
    EXPECT_EQ(tp->edtTh->text(), "dh");
    EXPECT_FLOAT_EQ(tp->RequiredAspect, 1.203f);
    EXPECT_EQ(tp->lblSk->text(), QStringLiteral("规格：160 * 133 宽高比：1.2030"));
    EXPECT_EQ(tp->imgZ1->geometry(), QRect(8, 121, 300, 225));
    tp->chkYd->setChecked(true);

    // A choice without its row: the message, no preview, the numbers of the picture still held.
    p.choose(1);
    EXPECT_EQ(p.messages(), QStringList{QStringLiteral("图片文件不存在！")});
    EXPECT_EQ(p.dlg().log.back().title, QStringLiteral("操作提示"));
    EXPECT_TRUE(tp->imgZ1->isHidden());
    EXPECT_EQ(tp->lblSk->text(), QStringLiteral("规格：160 * 133 宽高比：1.3333"));

    // The example pictures: the grid, the first row, the edit buttons.
    p.choose(7);
    EXPECT_TRUE(tp->dbgZp->isVisible());
    EXPECT_EQ(tp->dbgZp->model()->rowCount(), 2);
    EXPECT_EQ(tp->edtTh->text(), "1");
    EXPECT_EQ(tp->edtTm->text(), QStringLiteral("苹果"));
    EXPECT_TRUE(tp->edtTm->isVisible());
    EXPECT_EQ(tp->spbCx->text(), QStringLiteral("修改(&C)"));
    for (QPushButton* b : {tp->spbTt, tp->spbSt, tp->spbCx}) EXPECT_TRUE(b->isEnabled());
    EXPECT_EQ(tp->lblGg->text(), QStringLiteral("请先打开要替换[苹果]的图片"));
    EXPECT_EQ(tp->lblSk->text(), QStringLiteral("规格：30 * 30 宽高比：1.0000"));
    EXPECT_EQ(tp->imgZ1->geometry(), QRect(150 + 35, 103, 30, 30));
    // A click on the 120 x 90 picture: the new one must keep its proportion.
    p.clickGridRow(1);
    EXPECT_EQ(tp->edtTm->text(), QStringLiteral("星星"));
    EXPECT_FLOAT_EQ(tp->RequiredAspect, 1.3333334f);
    EXPECT_EQ(tp->lblSk->text(), QStringLiteral("规格：120 * 90 宽高比：1.3333"));
    EXPECT_EQ(tp->lblGg->text(), QStringLiteral("请先打开要替换[星星]的图片"));
    // Moving the grid's row by keyboard moves the addressed row with it.
    QTest::keyClick(tp->dbgZp, Qt::Key_Up);
    EXPECT_EQ(tp->edtTm->text(), QStringLiteral("苹果"));
    EXPECT_EQ(p.form->db().aquTp.recNo(), 0);
    EXPECT_EQ(tp->lblSk->text(), QStringLiteral("规格：30 * 30 宽高比：1.0000"));

    // Closing the settings screen closes the query; opening it again starts at choice 1.
    QTest::mouseClick(p.form->imgSz, Qt::LeftButton);
    EXPECT_FALSE(p.form->pagSz->isVisible());
    EXPECT_FALSE(p.form->db().aquTp.isOpen());
    QTest::mouseClick(p.form->imgSz, Qt::LeftButton);
    EXPECT_EQ(tp->cboZp->currentText(), QStringLiteral("1 算术练习"));
    EXPECT_EQ(tp->edtTh->text(), "ss");
}

TEST(PicturePage, EmptyExampleTableShowsTheMessageAndAnEmptyGrid) {
    Page p([](Connection& c) { c.exec("DELETE FROM yetl"); });
    p.choose(7);
    EXPECT_EQ(p.messages(), QStringList{QStringLiteral("图片文件不存在！")});
    EXPECT_EQ(p.tp->dbgZp->model()->rowCount(), 0);
    EXPECT_TRUE(p.tp->edtTh->text().isEmpty());
    // Deleting with nothing there asks nothing (ScriptedDialogs fails on an unexpected question).
    p.click(p.tp->spbSt);
}

TEST(PicturePage, OpenTakeAsIsCentredAndTopLeftCuts) {
    Page p;
    PicturePage* tp = p.tp;
    ConfirmPanel* zc = p.zc;

    // 640 x 480 matches: the offer to take it as it is.
    const QString photo = p.file(QStringLiteral("全家福 照片.jpg"), twoColours(640, 480, 100));
    p.open(photo);
    EXPECT_EQ(tp->imgZp->geometry(), QRect(315, 38, 300, 225));
    EXPECT_DOUBLE_EQ(tp->ViewScale, 0.46875);
    EXPECT_EQ(tp->lblGg->text(), shortFileName(photo) + QStringLiteral("\n 规格：640 * 480 缩放：0.4688"));
    EXPECT_TRUE(zc->isVisible());
    EXPECT_EQ(zc->geometry(), QRect(14, 188, 300, 225));
    EXPECT_EQ(zc->lblZ0->text(), shortFileName(photo));
    EXPECT_TRUE(zc->rgpKj->isHidden());
    EXPECT_TRUE(zc->butZc->isHidden());
    EXPECT_EQ(zc->spbKs->text(), QStringLiteral("直接选用(&K)"));
    EXPECT_TRUE(zc->spbKs->isEnabled());
    EXPECT_TRUE(zc->spbZb->isHidden());
    EXPECT_TRUE(zc->grbCj->isHidden());
    EXPECT_EQ(zc->spbQz->text(), QStringLiteral("手工裁剪(&X)"));
    EXPECT_TRUE(zc->spbQz->isEnabled());
    EXPECT_TRUE(zc->lblZc->text().startsWith(QStringLiteral("图片“算术练习”的尺寸应为：400 * 300\n")));
    EXPECT_TRUE(zc->lblZc->text().endsWith(QStringLiteral("拖动鼠标裁剪。")));
    EXPECT_FALSE(tp->spbTt->isEnabled());
    EXPECT_TRUE(tp->spbCx->isEnabled());
    EXPECT_TRUE(tp->spbLc->isEnabled());
    EXPECT_EQ(tp->shpBk->geometry(), QRect(314, 37, 302, 227));
    EXPECT_TRUE(tp->shpBk->isVisible());
    // Taken as it is: stored whole, shown in the preview, the panel closed.
    p.click(zc->spbKs);
    EXPECT_EQ(p.screen("ss").size(), QSize(640, 480));
    EXPECT_EQ(p.messages(), QStringList{kSaved});
    EXPECT_EQ(p.dlg().log.back().title, QStringLiteral("设置图片"));
    EXPECT_EQ(p.dlg().log.back().icon, MsgIcon::Warning);
    EXPECT_FALSE(zc->isVisible());
    EXPECT_EQ(tp->imgZ1->picture().size(), QSize(640, 480));
    EXPECT_EQ(tp->imgZp->size(), QSize(300, 225));

    // 1600 x 1200 is stored at its own size too.
    p.dlg().clear();
    p.open(p.file("big.jpg", twoColours(1600, 1200, 10)));
    p.click(zc->spbKs);
    EXPECT_EQ(p.screen("ss").size(), QSize(1600, 1200));

    // 800 x 450 is too wide: a cut size first, then the centred cut, which waits for confirmation.
    p.dlg().clear();
    const QString wide = p.file("wide.jpg", twoColours(800, 450, 100));
    p.open(wide);
    EXPECT_EQ(zc->spbKs->text(), QStringLiteral("左上裁剪(&K)"));
    EXPECT_FALSE(zc->spbKs->isEnabled());
    EXPECT_TRUE(zc->spbZb->isVisible());
    EXPECT_FALSE(zc->spbZb->isEnabled());
    EXPECT_TRUE(zc->grbCj->isVisible());
    EXPECT_TRUE(zc->rabCc->isEnabled());
    EXPECT_FALSE(zc->rabCc->isChecked() || zc->rabKg->isChecked());
    EXPECT_TRUE(zc->lblZc->text().endsWith(QStringLiteral("必须事先裁剪此图以符合宽高比。")));
    p.clickRadio(zc->rabKg);
    EXPECT_TRUE(zc->spbKs->isEnabled());
    EXPECT_TRUE(zc->spbZb->isEnabled());
    EXPECT_FALSE(zc->spbQz->isEnabled());
    p.click(zc->spbZb);
    EXPECT_EQ(tp->imgZp->picture().size(), QSize(600, 450));
    EXPECT_EQ(tp->imgZp->size(), QSize(300, 225));
    EXPECT_DOUBLE_EQ(tp->ViewScale, 0.5);
    EXPECT_EQ(tp->lblGg->text(), shortFileName(wide) + QStringLiteral("\n裁剪后：600 * 450 缩放：2.0000"));
    EXPECT_EQ(zc->lblZc->text(), cropDoneMessage());
    EXPECT_EQ(zc->spbKs->text(), QStringLiteral("确定选用(&K)"));
    EXPECT_EQ(zc->spbQz->text(), QStringLiteral("取消选用(&X)"));
    EXPECT_TRUE(zc->spbKs->isEnabled() && zc->spbQz->isEnabled());
    EXPECT_TRUE(zc->spbZb->isHidden() && zc->grbCj->isHidden());
    EXPECT_EQ(p.screen("ss").size(), QSize(1600, 1200));  // nothing stored yet
    p.click(zc->spbKs);
    const QImage centred = p.screen("ss");
    EXPECT_EQ(centred.size(), QSize(600, 450));  // a confirmed cut keeps its size
    EXPECT_TRUE(bluish(centred.pixel(2, 200)));  // the red hundred columns were cut off
    EXPECT_EQ(p.messages(), QStringList{kSaved});

    // The same picture at the required size from the top left, then dropped.
    p.dlg().clear();
    p.open(wide);
    p.clickRadio(zc->rabCc);
    p.click(zc->spbKs);
    EXPECT_EQ(tp->imgZp->picture().size(), QSize(400, 300));
    EXPECT_TRUE(reddish(tp->imgZp->picture().pixel(2, 2)));
    p.click(zc->spbQz);
    EXPECT_FALSE(zc->isVisible());
    EXPECT_EQ(tp->imgZp->picture().size(), QSize(400, 300));
    EXPECT_EQ(p.screen("ss").size(), QSize(600, 450));
    EXPECT_TRUE(p.messages().isEmpty());

    // The cut can still be saved: a.JPG becomes a.JPG.jpg at quality 80; b becomes b.bmp.
    p.dlg().chooseFile(p.folder.file("a.JPG"));
    p.click(tp->spbLc);
    EXPECT_TRUE(
        p.dlg().fileDialogs.last().startsWith(QStringLiteral("另保存图片文件|JPG文件(.jpg) (*.jpg);;")));
    QImage saved(p.folder.file("a.JPG.jpg"), "JPG");
    EXPECT_EQ(saved.size(), QSize(400, 300));
    EXPECT_FALSE(QFile::exists(p.folder.file("a.JPG")));
    p.dlg().chooseFile(p.folder.file("b"));
    p.dlg().chooseFilter(2);
    p.click(tp->spbLc);
    EXPECT_EQ(QImage(p.folder.file("b.bmp"), "BMP").size(), QSize(400, 300));
    // A cancelled dialog writes nothing; a folder that is not there gets a message.
    p.click(tp->spbLc);
    EXPECT_TRUE(p.messages().isEmpty());
    p.dlg().chooseFile(p.folder.file("missing/c.jpg"));
    p.click(tp->spbLc);
    ASSERT_EQ(p.dlg().log.size(), 1u);
    EXPECT_EQ(p.dlg().log[0].title, QStringLiteral("操作提示"));
    EXPECT_TRUE(p.dlg().log[0].text.startsWith(QStringLiteral("图片文件“")));
    EXPECT_FALSE(QFile::exists(p.folder.file("missing/c.jpg")));
    p.dlg().clear();

    // 350 x 300 is too small for the required size: only the proportion can be kept.
    p.open(p.file("narrow.bmp", twoColours(350, 300, 20)));
    EXPECT_FALSE(zc->rabCc->isEnabled());
    EXPECT_TRUE(zc->lblZc->text().endsWith(QStringLiteral("\n选择尺寸小于要求尺寸图像的清晰度要下降。")));
    p.clickRadio(zc->rabKg);
    p.click(zc->spbKs);
    p.click(zc->spbKs);
    EXPECT_EQ(p.screen("ss").size(), QSize(350, 263));

    // "撤消(&C)" closes the panel at any time and puts the background back.
    p.open(wide);
    p.click(tp->spbCx);
    EXPECT_FALSE(zc->isVisible());
    EXPECT_EQ(tp->imgZp->geometry(), QRect(315, 38, 300, 225));
    EXPECT_EQ(tp->imgZp->picture().size(), QSize(400, 300));
    EXPECT_FALSE(tp->spbCx->isEnabled());
    EXPECT_EQ(tp->lblGg->text(), QStringLiteral("请先打开要替换[算术练习]的图片"));
    // 另存 of the background writes what the working image shows.
    p.dlg().chooseFile(p.folder.file("bg.jpg"));
    p.click(tp->spbLc);
    EXPECT_EQ(QImage(p.folder.file("bg.jpg"), "JPG").size(), QSize(400, 300));

    // A new choice while the panel is open closes it as "撤消(&C)" would.
    p.open(wide);
    p.choose(5);
    EXPECT_FALSE(zc->isVisible());
    EXPECT_EQ(tp->imgZp->picture().size(), QSize(400, 300));
    EXPECT_EQ(tp->lblGg->text(), QStringLiteral("请先打开要替换[对号]的图片"));
    // For the tick 320 x 266 (1.2030) matches and is stored at its own size.
    p.dlg().clear();
    p.open(p.file("tick.jpg", twoColours(320, 266, 10)));
    EXPECT_EQ(zc->spbKs->text(), QStringLiteral("直接选用(&K)"));
    p.click(zc->spbKs);
    EXPECT_EQ(p.screen("dh").size(), QSize(320, 266));
    EXPECT_EQ(p.screen("ss").size(), QSize(350, 263));
}

TEST(PicturePage, DraggedCuts) {
    Page p;
    PicturePage* tp = p.tp;
    ConfirmPanel* zc = p.zc;

    // 600 x 450 is shown at 0.5 and matches: the manual cut.
    p.open(p.file("photo.jpg", twoColours(600, 450, 20)));
    p.click(zc->spbQz);
    EXPECT_TRUE(tp->imgZp->isEnabled());
    for (QWidget* w : QList<QWidget*>{zc->spbKs, zc->spbZb, zc->spbQz, zc->grbCj})
        EXPECT_FALSE(w->isEnabled());
    // A click without a move, a drag to the left and one upwards cut nothing.
    QTest::mouseClick(tp->imgZp, Qt::LeftButton, {}, QPoint(100, 80));
    p.drag({100, 80}, {40, 120});
    p.drag({100, 80}, {180, 30});
    EXPECT_TRUE(zc->isVisible());
    EXPECT_TRUE(tp->imgZp->isEnabled());
    EXPECT_EQ(tp->imgZp->picture().size(), QSize(600, 450));
    EXPECT_TRUE(tp->shpXz->isHidden());
    EXPECT_FALSE(tp->CropDragging);
    EXPECT_TRUE(p.messages().isEmpty());

    // From 10,20 to x = 210: 200 x 150 on screen, 400 x 300 picture pixels from 20,40, stored at once.
    QTest::mousePress(tp->imgZp, Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_EQ(p.status(2), "20*40");
    QTest::mouseMove(tp->imgZp, QPoint(210, 170));
    EXPECT_TRUE(tp->shpXz->isVisible());
    EXPECT_EQ(tp->shpXz->geometry(), QRect(tp->imgZp->x() + 10, tp->imgZp->y() + 20, 200, 150));
    EXPECT_EQ(tp->shpXz->penColor(), QColor(Qt::red));
    // A move outside the picture leaves the rectangle as it was.
    QTest::mouseMove(tp->imgZp, QPoint(290, 300));
    EXPECT_EQ(tp->shpXz->size(), QSize(200, 150));
    QTest::mouseRelease(tp->imgZp, Qt::LeftButton, {}, QPoint(210, 170));
    EXPECT_EQ(p.status(2), " 10*20  400*300");
    EXPECT_FALSE(tp->imgZp->isEnabled());
    EXPECT_TRUE(tp->shpXz->isHidden());
    const QImage piece = p.screen("ss");
    EXPECT_EQ(piece.size(), QSize(400, 300));
    EXPECT_TRUE(bluish(piece.pixel(3, 100)));  // column 20 onwards: the red 20 were left out
    EXPECT_EQ(p.messages(), QStringList{kSaved});
    EXPECT_FALSE(zc->isVisible());

    // A larger matching drag (500 x 376 picture pixels) is reduced to 400 x 300 as it is stored.
    p.dlg().clear();
    p.open(p.file("photo2.jpg", twoColours(600, 450, 20)));
    p.click(zc->spbQz);
    p.drag({20, 10}, {270, 210});
    EXPECT_EQ(p.status(2), " 20*10  500*376");
    EXPECT_EQ(p.screen("ss").size(), QSize(400, 300));
    EXPECT_EQ(p.messages(), QStringList{kSaved});

    // Of a picture of another proportion the dragged piece is confirmed first and keeps its size.
    p.dlg().clear();
    p.open(p.file("wide.jpg", twoColours(800, 450, 20)));
    p.click(zc->spbQz);
    p.drag({1, 1}, {150, 100});
    EXPECT_EQ(zc->spbKs->text(), QStringLiteral("确定选用(&K)"));
    EXPECT_TRUE(p.messages().isEmpty());
    EXPECT_EQ(p.screen("ss").size(), QSize(400, 300));
    const QSize cut = tp->imgZp->picture().size();
    EXPECT_EQ(cut, QSize(397, 299));  // 149 x 112 on screen at 0.375, from 3,3
    p.click(zc->spbKs);
    EXPECT_EQ(p.screen("ss").size(), cut);
    EXPECT_TRUE(reddish(p.screen("ss").pixel(2, 2)));

    // A manual cut left by closing the settings screen does not cut the background afterwards.
    p.dlg().clear();
    p.open(p.file("photo3.jpg", twoColours(600, 450, 20)));
    p.click(zc->spbQz);
    QTest::mouseClick(p.form->imgSz, Qt::LeftButton);
    EXPECT_FALSE(zc->isVisible());
    QTest::mouseClick(p.form->imgSz, Qt::LeftButton);
    EXPECT_FALSE(tp->imgZp->isEnabled());
    p.drag({10, 10}, {200, 150});
    EXPECT_EQ(tp->imgZp->picture().size(), QSize(400, 300));
    EXPECT_TRUE(p.messages().isEmpty());
}

TEST(PicturePage, BadFilesLeaveThePageAsItWas) {
    Page p;
    PicturePage* tp = p.tp;
    const QImage before = p.screen("ss");
    const QByteArray jpeg = encodeJpeg(twoColours(64, 48, 10));
    QByteArray bmp = encodeBitmap(twoColours(64, 48, 10));
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(p.folder.file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p.folder.file(name);
    };
    QByteArray huge = bmp;
    huge[18] = char(0x40), huge[19] = char(0x9C), huge[22] = char(0x40), huge[23] = char(0x9C);
    const QStringList bad = {write("notes.jpg", "hello, these are no pixels"),
                             write("cut.jpg", jpeg.left(jpeg.size() / 2)),
                             write("bogus.bmp", bmp.left(30) + QByteArray(40, '\x7f')),
                             write("huge.bmp", huge),
                             write("bitmap.jpg", bmp),
                             write("空 文件.jpg", {})};
    for (const QString& f : bad) {
        p.dlg().clear();
        p.open(f);
        ASSERT_EQ(p.dlg().log.size(), 1u) << f.toStdString();
        EXPECT_EQ(p.dlg().log[0].title, QStringLiteral("操作提示"));
        EXPECT_EQ(p.dlg().log[0].icon, MsgIcon::Information);
        EXPECT_TRUE(p.dlg().log[0].text.contains(QFileInfo(f).fileName()))
            << p.dlg().log[0].text.toStdString();
        EXPECT_FALSE(p.zc->isVisible());
        EXPECT_EQ(tp->imgZp->picture().size(), QSize(400, 300));
        EXPECT_FALSE(tp->spbLc->isEnabled());
    }
    EXPECT_EQ(p.screen("ss"), before);
    // The page is still usable: a picture under a Chinese name with blanks opens and is stored.
    p.dlg().clear();
    p.open(p.file(QStringLiteral("我的 照片 1.jpg"), twoColours(400, 300, 10)));
    EXPECT_TRUE(p.zc->isVisible());
    EXPECT_TRUE(p.zc->lblZ0->text().endsWith(QStringLiteral("我的 照片 1.jpg")));
    p.click(p.zc->spbKs);
    EXPECT_EQ(p.messages(), QStringList{kSaved});
    EXPECT_EQ(p.screen("ss").size(), QSize(400, 300));
}

TEST(PicturePage, FailedStoresReportNoSuccessAndStoreNothing) {
    // No row for the choice: the store fails with its error.
    {
        Page p([](Connection& c) { c.exec("DELETE FROM yetp WHERE 图号 = 'ss'"); });
        EXPECT_EQ(p.messages(), QStringList{QStringLiteral("图片文件不存在！")});
        p.dlg().clear();
        p.open(p.file("a.jpg", twoColours(400, 300, 10)));
        p.click(p.zc->spbKs);
        EXPECT_EQ(p.dlg().log.size(), 1u);
        EXPECT_FALSE(p.messages().contains(kSaved));
        EXPECT_TRUE(p.zc->isVisible());
        auto c = openDb(p.folder.db());
        EXPECT_EQ(c->scalar("SELECT COUNT(*) FROM yetp WHERE 图号 = 'ss'").toInt(), 0);
    }
    // A write the database refuses: the row keeps its picture; once possible, the store succeeds.
    Page p([](Connection& c) {
        c.exec("CREATE TRIGGER refuse BEFORE UPDATE ON yetp BEGIN SELECT RAISE(ABORT, 'disk refused'); END");
    });
    const QImage before = p.screen("ss");
    p.open(p.file("wide.jpg", twoColours(800, 450, 100)));
    p.clickRadio(p.zc->rabKg);
    p.click(p.zc->spbZb);
    p.click(p.zc->spbKs);
    ASSERT_EQ(p.dlg().log.size(), 1u);
    EXPECT_TRUE(p.dlg().log[0].text.contains("disk refused"));
    EXPECT_EQ(p.screen("ss"), before);
    EXPECT_TRUE(p.zc->isVisible());
    EXPECT_EQ(p.zc->spbKs->text(), QStringLiteral("确定选用(&K)"));
    EXPECT_EQ(p.form->db().aquTp.state(), Query::State::Browse);
    openDb(p.folder.db())->exec("DROP TRIGGER refuse");
    p.dlg().clear();
    p.click(p.zc->spbKs);
    EXPECT_EQ(p.messages(), QStringList{kSaved});
    EXPECT_EQ(p.screen("ss").size(), QSize(600, 450));
}

TEST(PicturePage, ExamplePicturesAreAddedRenamedAndDeleted) {
    Page p;
    PicturePage* tp = p.tp;
    p.choose(7);
    auto c = openDb(p.folder.db());

    // Adding: the boxes open, saving asks for both fields.
    p.click(tp->spbTt);
    EXPECT_EQ(tp->spbTt->text(), QStringLiteral("保存(&T)"));
    EXPECT_FALSE(tp->spbTt->isEnabled());
    EXPECT_EQ(tp->spbSt->text(), QStringLiteral("撤消(&S)"));
    EXPECT_FALSE(tp->edtTh->isReadOnly());
    EXPECT_TRUE(tp->edtTh->text().isEmpty());
    EXPECT_TRUE(tp->imgZ1->isHidden());
    EXPECT_FALSE(tp->dbgZp->isEnabled());
    EXPECT_EQ(tp->lblGg->text(), QStringLiteral("请打开要添加的图片"));
    typeText(tp->edtTh, "3");
    EXPECT_FALSE(tp->spbTt->isEnabled());
    tp->spbTtClick();  // as an accelerator press would, with one box empty
    EXPECT_EQ(p.messages(), QStringList{QStringLiteral("数据没录全，请填全后再保存！")});
    EXPECT_EQ(c->scalar("SELECT COUNT(*) FROM yetl").toInt(), 2);
    tp->edtTm->setFocus();
    typeText(tp->edtTm, QStringLiteral("小猫"));
    EXPECT_TRUE(tp->spbTt->isEnabled());
    p.dlg().clear();
    p.click(tp->spbTt);
    ASSERT_EQ(p.dlg().log.size(), 1u);
    EXPECT_EQ(p.dlg().log[0].title, QStringLiteral("录入图片"));
    EXPECT_TRUE(p.dlg().log[0].text.startsWith(QStringLiteral("图片尚没有录入，请在右边“打开”图片文件，")));
    EXPECT_EQ(
        c->scalar("SELECT COUNT(*) FROM yetl WHERE 图号 = '3' AND 图名 = '小猫' AND 图片 IS NULL").toInt(),
        1);
    EXPECT_EQ(tp->spbTt->text(), QStringLiteral("添加(&T)"));
    EXPECT_EQ(tp->spbSt->text(), QStringLiteral("删除(&S)"));
    EXPECT_TRUE(tp->edtTh->isReadOnly());
    EXPECT_EQ(tp->dbgZp->model()->rowCount(), 3);
    // Its picture comes from a file, taken over into the new row.
    p.dlg().clear();
    p.open(p.file("cat.jpg", twoColours(60, 60, 10)));
    EXPECT_EQ(p.zc->spbKs->text(), QStringLiteral("直接选用(&K)"));
    p.click(p.zc->spbKs);
    EXPECT_EQ(p.stored("SELECT 图片 FROM yetl WHERE 图名 = '小猫'").size(), QSize(60, 60));
    EXPECT_EQ(p.stored("SELECT 图片 FROM yetl WHERE 图名 = '苹果'").size(), QSize(30, 30));

    // Opening a file disabled "添加(&T)"; a click on another row of the grid enables it again.
    EXPECT_FALSE(tp->spbTt->isEnabled());
    p.clickGridRow(0);
    EXPECT_TRUE(tp->spbTt->isEnabled());
    // Cancelling an addition, by either button, leaves no row.
    for (QPushButton* cancel : {tp->spbSt, tp->spbCx}) {
        p.click(tp->spbTt);
        typeText(tp->edtTh, "9");
        p.click(cancel);
        EXPECT_EQ(tp->spbTt->text(), QStringLiteral("添加(&T)"));
        EXPECT_EQ(tp->spbSt->text(), QStringLiteral("删除(&S)"));
        EXPECT_TRUE(tp->edtTh->isReadOnly());
        EXPECT_TRUE(tp->dbgZp->isEnabled());
        EXPECT_EQ(c->scalar("SELECT COUNT(*) FROM yetl").toInt(), 3);
    }

    // Renaming the second row.
    p.clickGridRow(1);
    p.click(tp->spbCx);
    EXPECT_EQ(tp->spbCx->text(), QStringLiteral("确定(&C)"));
    EXPECT_FALSE(tp->edtTm->isReadOnly());
    tp->edtTm->clear();
    tp->edtTm->setFocus();
    typeText(tp->edtTm, QStringLiteral("月亮"));
    p.click(tp->spbCx);
    EXPECT_EQ(tp->spbCx->text(), QStringLiteral("修改(&C)"));
    EXPECT_TRUE(tp->edtTm->isReadOnly());
    EXPECT_EQ(c->scalar("SELECT 图名 FROM yetl WHERE 图号 = '2'").toString(), QStringLiteral("月亮"));

    // Deleting: Cancel keeps the row, OK removes it.
    p.dlg().clear();
    p.dlg().answer(MsgResult::Cancel);
    p.click(tp->spbSt);
    EXPECT_EQ(p.dlg().log.at(0).title, QStringLiteral("删除记录"));
    EXPECT_EQ(p.dlg().log.at(0).text, QStringLiteral("      删除这条记录吗？"));
    EXPECT_EQ(p.dlg().log.at(0).buttons, MsgButtons::OkCancel);
    EXPECT_EQ(c->scalar("SELECT COUNT(*) FROM yetl").toInt(), 3);
    p.dlg().answer(MsgResult::Ok);
    p.click(tp->spbSt);
    EXPECT_EQ(c->scalar("SELECT COUNT(*) FROM yetl WHERE 图号 = '2'").toInt(), 0);
    EXPECT_EQ(tp->dbgZp->model()->rowCount(), 2);
    // The boxes and the prompt now show the row the grid stands on, and the actions work on it.
    EXPECT_EQ(tp->dbgZp->currentIndex().row(), 1);
    EXPECT_EQ(tp->edtTh->text(), "3");
    EXPECT_EQ(tp->edtTm->text(), QStringLiteral("小猫"));
    EXPECT_EQ(tp->lblGg->text(), QStringLiteral("请先打开要替换[小猫]的图片"));
    p.click(tp->spbCx);
    tp->edtTm->setFocus();
    typeText(tp->edtTm, QStringLiteral("儿"));
    p.click(tp->spbCx);
    p.dlg().clear();
    p.open(p.file("kitten.jpg", twoColours(60, 60, 50)));
    p.click(p.zc->spbKs);
    EXPECT_EQ(p.messages(), QStringList{kSaved});
    EXPECT_EQ(rows(*c, "SELECT 图号, 图名 FROM yetl ORDER BY 图号"), QStringList({"1 苹果", "3 小猫儿"}));
    EXPECT_TRUE(reddish(p.stored("SELECT 图片 FROM yetl WHERE 图号 = '3'").pixel(40, 30)));
    EXPECT_TRUE(bluish(p.stored("SELECT 图片 FROM yetl WHERE 图号 = '1'").pixel(25, 15)));
    // Deleting the last rows leaves empty boxes and nothing to delete or rename.
    for (int i = 0; i < 2; ++i) {
        p.dlg().answer(MsgResult::Ok);
        p.click(tp->spbSt);
    }
    EXPECT_EQ(c->scalar("SELECT COUNT(*) FROM yetl").toInt(), 0);
    EXPECT_TRUE(tp->edtTh->text().isEmpty());
    EXPECT_FALSE(tp->spbSt->isEnabled());
    EXPECT_FALSE(tp->spbCx->isEnabled());
    EXPECT_TRUE(tp->spbTt->isEnabled());
}

TEST(PicturePage, ReturningFromTheEditorAddressesTheShownRowAgain) {
    Page p;
    PicturePage* tp = p.tp;
    p.choose(7);
    p.clickGridRow(1);
    // An open crop panel closes when the page is left; the editor points aquTp at its dictionary.
    p.open(p.file("star.jpg", twoColours(120, 90, 30)));
    p.form->pagSz->setCurrentWidget(p.form->tasLr);
    EXPECT_FALSE(p.zc->isVisible());
    EXPECT_NE(p.form->db().aquTp.sql(), QStringLiteral("SELECT * FROM yetl"));
    p.form->pagSz->setCurrentWidget(tp);
    EXPECT_EQ(p.form->db().aquTp.sql(), QStringLiteral("SELECT * FROM yetl"));
    EXPECT_EQ(p.form->db().aquTp.recNo(), 1);
    EXPECT_EQ(tp->dbgZp->model()->rowCount(), 2);
    // The store goes to the row the page shows.
    p.dlg().clear();
    p.open(p.file("star.jpg", twoColours(120, 90, 30)));
    p.click(p.zc->spbKs);
    EXPECT_EQ(p.messages(), QStringList{kSaved});
    EXPECT_TRUE(reddish(p.stored("SELECT 图片 FROM yetl WHERE 图名 = '星星'").pixel(5, 5)));
    EXPECT_EQ(p.stored("SELECT 图片 FROM yetl WHERE 图名 = '苹果'").size(), QSize(30, 30));
    // The grid, given the focus back when the box closed, still stands on that row: a rename
    // after the store renames it, and no other.
    tp->dbgZp->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(tp->dbgZp->currentIndex().row(), 1);
    EXPECT_EQ(tp->edtTm->text(), QStringLiteral("星星"));
    p.click(tp->spbCx);
    tp->edtTh->clear();
    tp->edtTh->setFocus();
    typeText(tp->edtTh, "5");
    tp->edtTm->clear();
    tp->edtTm->setFocus();
    typeText(tp->edtTm, QStringLiteral("月亮"));
    p.click(tp->spbCx);
    EXPECT_EQ(rows(*openDb(p.folder.db()), "SELECT 图号, 图名 FROM yetl ORDER BY rowid"),
              QStringList({"1 苹果", "5 月亮"}));

    // A new row saved without a picture takes the picture stored next, with the grid on it.
    p.click(tp->spbTt);
    typeText(tp->edtTh, "6");
    tp->edtTm->setFocus();
    typeText(tp->edtTm, QStringLiteral("太阳"));
    p.dlg().clear();
    p.click(tp->spbTt);
    tp->dbgZp->setFocus(Qt::TabFocusReason);
    p.open(p.file("sun.jpg", twoColours(120, 90, 60)));
    p.click(p.zc->spbKs);
    EXPECT_EQ(
        p.messages(),
        QStringList({QStringLiteral("图片尚没有录入，请在右边“打开”图片文件，\n\n再按“更换”按钮录入图片。"),
                     kSaved}));
    EXPECT_EQ(tp->dbgZp->currentIndex().row(), 2);
    EXPECT_EQ(p.stored("SELECT 图片 FROM yetl WHERE 图号 = '6'").size(), QSize(120, 90));
    EXPECT_EQ(p.stored("SELECT 图片 FROM yetl WHERE 图号 = '1'").size(), QSize(30, 30));
}

TEST(PicturePage, CropAndShortcutModesShareThePanel) {
    Page p;
    const QString photo = p.file("photo.jpg", twoColours(400, 300, 10));
    p.open(photo);
    // The shortcut tool takes the panel over; a new choice leaves it to that tool.
    p.click(p.tp->spbKj);
    EXPECT_TRUE(p.zc->rgpKj->isVisible());
    EXPECT_EQ(p.zc->spbKs->text(), ConfirmPanel::kShortcutConfirm);
    EXPECT_FALSE(p.tp->cropPanelOpen());
    p.choose(2);
    EXPECT_TRUE(p.zc->isVisible());
    // Opening a file brings the crop mode back whole.
    p.choose(0);
    p.open(photo);
    EXPECT_TRUE(p.zc->rgpKj->isHidden());
    EXPECT_TRUE(p.zc->butZc->isHidden());
    EXPECT_TRUE(p.zc->lblZc->isVisible());
    EXPECT_EQ(p.zc->geometry(), QRect(14, 188, 300, 225));
    EXPECT_EQ(p.zc->spbKs->text(), QStringLiteral("直接选用(&K)"));
    p.dlg().clear();
    p.click(p.zc->spbKs);
    EXPECT_EQ(p.messages(), QStringList{kSaved});
}
