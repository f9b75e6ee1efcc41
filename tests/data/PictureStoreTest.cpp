#include <gtest/gtest.h>

#include <QBuffer>
#include <QLabel>
#include <QTableView>
#include <thread>

#include "TestSupport.h"
#include "platform/ImageCodec.h"
#include "data/PictureStore.h"
#include "data/Query.h"
#include "data/Shared.h"
#include "platform/Controls.h"
#include "platform/Errors.h"

using namespace kovu;
using namespace kovu::test;

namespace {

QByteArray jpegOf(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(Qt::yellow);
    return encodeJpeg(img, 90);
}

}  // namespace

TEST(PicturePlacement, WordPreviewAndEditorArithmetic) {
    // A word picture wider than the area moves left of it, rounding toward zero.
    EXPECT_EQ(wordPictureLeft(500), -35);
    EXPECT_EQ(wordPictureLeft(400), 15);
    EXPECT_EQ(wordPictureLeft(301), 64);  // 99 div 2 = 49

    // Natural-size preview of 200 x 100 in the 300 x 225 box.
    EXPECT_EQ(previewPlacement({200, 100}, "1 算术练习", true), QRect(58, 121, 200, 100));
    // Exactly 4:3 is above the 1.3333 threshold: the width branch.
    EXPECT_EQ(previewPlacement({400, 300}, "1 算术练习", true), QRect(8, 121, 300, 225));
    // Tall and small pictures keep their own height when it is smaller than the box.
    EXPECT_EQ(previewPlacement({50, 100}, "1 算术练习", true), QRect(8 + (300 - 50) / 2, 121, 50, 100));
    // Example pictures use the 100 x 100 box; without natural size the box itself.
    EXPECT_EQ(previewPlacement({30, 30}, "8 例图", false), QRect(150, 103, 100, 100));
    EXPECT_EQ(previewPlacement({30, 30}, "8 例图", true), QRect(150 + 35, 103, 30, 30));

    // The editor's picture: 4:3 takes the width branch, narrower ones the height branch.
    EXPECT_EQ(editorWordPlacement({400, 300}), QRect(432, 208, 180, 135));
    EXPECT_EQ(editorWordPlacement({100, 100}), QRect(522 - 67, 208, 135, 135));
    EXPECT_EQ(editorWordPlacement({400, 100}), QRect(432, 208, 180, 45));
}

TEST(PictureStore, ShowsPicturesAndRestoresThePictureArea) {
    TestFolder folder;
    folder.writeSmallDb();
    Connection con;
    con.open(folder.db(), kDatabasePassword);
    con.exec(
        "INSERT INTO yydc (编号, 英语, 音标, 汉语, 图片, 选中) VALUES ('101', 'apple', '', '苹果', ?, 1)",
        {jpegOf(500, 200)});
    Query aquTp(con, "aquTp"), aquSb(con, "aquSb");
    SharedState state;
    state.LayoutScale = 128;
    QWidget host;
    TImage imgTx(&host), imgDh(&host);
    imgTx.setGeometry(19, 300, 512, 384);
    PracticePictureArea area{&imgTx, &state};

    aquSb.setSql("SELECT * FROM yydc WHERE 选中 = 1");
    aquSb.open();
    ShowWordPicture(aquSb, area);
    EXPECT_EQ(imgTx.x(), -35 * 128 / 100);
    EXPECT_EQ(state.Design.value("imgTx").left(), -35);
    EXPECT_FALSE(imgTx.stretch());
    EXPECT_EQ(imgTx.picture().size(), QSize(500, 200));

    // A screen picture after a word picture puts the area back to left 15, stretched.
    ShowScreenPicture(aquTp, area, &imgDh, "zq");
    EXPECT_EQ(imgTx.x(), 15 * 128 / 100);
    EXPECT_EQ(state.Design.value("imgTx").left(), 15);
    EXPECT_TRUE(imgTx.stretch());
    EXPECT_FALSE(imgDh.isHidden());
    EXPECT_EQ(imgDh.picture().size(), QSize(400, 300));

    // A missing row and an undecodable blob raise errors instead of crashing.
    EXPECT_THROW(ShowScreenPicture(aquTp, area, &imgDh, "xx"), KovuError);
    con.exec("UPDATE yetp SET 图片 = ? WHERE 图号 = 'cw'", {QByteArray("not a picture")});
    EXPECT_THROW(ShowScreenPicture(aquTp, area, &imgDh, "cw"), KovuError);

    // The editor's word picture shrinks the grid; a Null picture changes nothing.
    TImage imgZ0(&host);
    QTableView grid(&host);
    grid.resize(300, 292);
    imgZ0.hide();
    ShowEditorWordPicture(aquSb, &imgZ0, &grid);
    EXPECT_EQ(imgZ0.geometry(), QRect(432, 208, 180, 72));
    EXPECT_EQ(grid.height(), 148);
    con.exec(
        "INSERT INTO yydc (编号, 英语, 音标, 汉语, 图片, 选中) VALUES ('101', 'egg', '', '鸡蛋', NULL, 1)");
    aquSb.open();
    aquSb.next();
    grid.resize(300, 292);
    ShowEditorWordPicture(aquSb, &imgZ0, &grid);
    EXPECT_EQ(imgZ0.geometry(), QRect(432, 208, 180, 72));
    EXPECT_EQ(grid.height(), 292);

    // The preview: an empty picture shows the message and hides the preview.
    QLabel lblSk(&host);
    TImage imgZ1(&host);
    con.exec("INSERT INTO yetl (图号, 图片, 图名) VALUES ('1', NULL, '空')");
    aquTp.setSql("SELECT * FROM yetl");
    aquTp.open();
    imgZ1.show();
    ShowPicturePreview(aquTp, &imgZ1, &lblSk, "8 例图", true);
    EXPECT_EQ(lblSk.text(), QStringLiteral("图片数据不存在！"));
    EXPECT_TRUE(imgZ1.isHidden());
}

TEST(PictureStore, ExamplePictureGoesIntoEveryCountingPicture) {
    TestFolder folder;
    folder.writeSmallDb();
    Connection con;
    con.open(folder.db(), kDatabasePassword);
    con.exec("INSERT INTO yetl (图号, 图片, 图名) VALUES ('1', ?, ?)",
             {jpegOf(30, 30), QStringLiteral("苹\"果")});
    Query aquTp(con, "aquTp");
    QWidget host;
    QList<TImage*> targets;
    for (int i = 0; i < 18; ++i) targets << new TImage(&host);
    LoadExamplePicture(aquTp, QStringLiteral("苹\"果"), targets);
    for (TImage* t : targets) EXPECT_EQ(t->picture().size(), QSize(30, 30));
    EXPECT_FALSE(aquTp.isOpen());
    EXPECT_THROW(LoadExamplePicture(aquTp, "没有", targets), KovuError);
}

TEST(ImageCodec, RefusesDamagedAndAbsurdPicturesBeforeDecoding) {
    EXPECT_THROW(decodeJpeg(QByteArray()), KovuError);
    EXPECT_THROW(decodeJpeg(QByteArray("\xff\xd8garbage", 9)), KovuError);
    EXPECT_THROW(decodeBitmap(QByteArray("BMxxxx")), KovuError);

    // A JPEG header that declares 10000 x 10000 is refused from the header alone.
    QByteArray big = jpegOf(16, 16);
    const int sof = big.indexOf(QByteArray("\xff\xc0", 2));
    ASSERT_GT(sof, 0);
    big[sof + 5] = char(0x27);  // height 10000
    big[sof + 6] = char(0x10);
    big[sof + 7] = char(0x27);  // width 10000
    big[sof + 8] = char(0x10);
    EXPECT_EQ(jpegSize(big), QSize(10000, 10000));
    try {
        decodeJpeg(big);
        FAIL() << "an absurd size must be refused";
    } catch (const KovuError& e) {
        EXPECT_TRUE(e.message().contains("太大")) << e.message().toStdString();
    }

    // The same for a bitmap header.
    QByteArray bmp = encodeBitmap(QImage(4, 4, QImage::Format_RGB888));
    qint32 huge = 20000;
    memcpy(bmp.data() + 18, &huge, 4);
    memcpy(bmp.data() + 22, &huge, 4);
    EXPECT_THROW(decodeBitmap(bmp), KovuError);

    // Round trips keep the size; bitmaps are 24-bit.
    const QImage back = decodeJpeg(jpegOf(400, 300));
    EXPECT_EQ(back.size(), QSize(400, 300));
    const QByteArray b = encodeBitmap(QImage(34, 34, QImage::Format_RGB888));
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(static_cast<int>(b.at(28)), 24);
    EXPECT_EQ(decodeBitmap(b).size(), QSize(34, 34));
}

TEST(ImageCodec, OwnDecodersGiveWhatQtsReadersGive) {
    // A picture with an odd width (rows padded to four bytes), every pixel its own colour.
    QImage img(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgba(x * 30, y * 50, 200 - x * y, 60 + x * 20));
    auto rgb = [](const QImage& i) { return i.convertToFormat(QImage::Format_RGB888); };

    // 24-bit bitmaps, stored bottom-up (as written) and top-down (negative height).
    const QByteArray bmp = encodeBitmap(img);
    QImage qt;
    ASSERT_TRUE(qt.loadFromData(bmp, "BMP"));
    EXPECT_EQ(rgb(decodeBitmap(bmp)), rgb(qt));
    QByteArray topDown = bmp;
    const qint32 negative = -5;
    memcpy(topDown.data() + 22, &negative, 4);
    const QImage flipped = decodeBitmap(topDown);
    EXPECT_EQ(rgb(flipped), rgb(qt).mirrored(false, true));
    // A bitmap that lacks its last row is refused before decoding.
    EXPECT_THROW(decodeBitmap(bmp.left(bmp.size() - 4)), KovuError);

    // Run-length bitmaps (8 and 4 bits) that end after their bottom row: the pixels the stream
    // skips show the palette's first colour, not whatever the memory held.
    for (const int bits : {8, 4}) {
        SCOPED_TRACE(bits);
        const int w = 64, h = 64;
        const QByteArray stream = bits == 8 ? QByteArray("\x40\x01\x00\x01", 4)   // 64 x colour 1, end
                                            : QByteArray("\x40\x11\x00\x01", 4);  // the same in nibbles
        QByteArray rle("BM");
        auto put = [&rle](quint32 v, int n) {
            for (int i = 0; i < n; ++i) rle.append(char((v >> (8 * i)) & 0xff));
        };
        put(14 + 40 + 8 + stream.size(), 4), put(0, 4), put(14 + 40 + 8, 4);
        put(40, 4), put(w, 4), put(h, 4), put(1, 2), put(bits, 2), put(bits == 8 ? 1 : 2, 4);
        put(stream.size(), 4), put(2835, 4), put(2835, 4), put(2, 4), put(0, 4);
        put(0x00ff0000, 4), put(0x000000ff, 4);  // red, blue
        rle.append(stream);
        // Freed memory of the picture's size, full of a colour index the palette lacks.
        for (int i = 0; i < 4; ++i) {
            QImage dirty(w, h, QImage::Format_Indexed8);
            dirty.fill(0x77);
        }
        const QImage got = decodeBitmap(rle).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(got.pixel(5, h - 1), qRgb(0, 0, 255));
        for (int y = 0; y < h - 1; y += 7)
            for (int x = 0; x < w; x += 9) ASSERT_EQ(got.pixel(x, y), qRgb(255, 0, 0)) << x << "," << y;
    }

    // PNG keeps the alpha channel.
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    ASSERT_TRUE(img.save(&buf, "PNG"));
    EXPECT_EQ(decodePng(png).convertToFormat(QImage::Format_ARGB32), img);
    EXPECT_THROW(decodePng(png.left(png.size() / 2)), KovuError);
    EXPECT_THROW(decodePng(QByteArray("\x89PNG\r\n\x1a\n", 8)), KovuError);

    // Files are told apart by their content, whatever their names; the form's own pictures decode
    // as Qt decodes them.
    TestFolder folder;
    for (const auto& [name, bytes] : {std::pair{"a.jpg", png}, {"b.png", bmp}}) {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    EXPECT_EQ(decodePictureAt(folder.file("a.jpg")).convertToFormat(QImage::Format_ARGB32), img);
    EXPECT_EQ(rgb(readPictureFile(folder.file("b.png"))), rgb(qt));
    // The form's pictures come in the format the screen draws: premultiplied where they have an
    // alpha channel, plain 32-bit RGB otherwise. Decoded ahead on a worker, a picture asked for
    // before the work has run waits for it; a name that is no picture gives a null picture.
    auto formPicturesMatchQt = [](const char* name) {
        const QImage ours = decodeFormPicture(name);
        const QImage qt(QStringLiteral(":/form/") + name);
        EXPECT_EQ(ours.format(),
                  qt.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32)
            << name;
        EXPECT_EQ(ours, qt.convertToFormat(ours.format())) << name;
    };
    for (const char* name : {"kovu.png", "imgFm.jpg", "imgBt.png"}) formPicturesMatchQt(name);
    std::thread worker(formPicturesDecoder({"kovu.png", "imgFm.jpg", "nothing.png"}));
    for (const char* name : {"kovu.png", "imgFm.jpg"}) formPicturesMatchQt(name);
    EXPECT_TRUE(decodeFormPicture("nothing.png").isNull());
    worker.join();
    // Work dropped without running leaves nobody waiting: the picture is decoded when asked for.
    formPicturesDecoder({"imgBt.png"});
    formPicturesMatchQt("imgBt.png");
}
