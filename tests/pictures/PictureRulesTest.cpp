#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>

#include "TestSupport.h"
#include "platform/ImageCodec.h"
#include "pictures/PictureRules.h"
#include "platform/Errors.h"
#include "platform/Gbk.h"

using namespace kovu;
using namespace kovu::test;

namespace {

QByteArray fileBytes(const QImage& img, const char* format) {
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, format);
    return out;
}

QImage plain(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(Qt::darkCyan);
    return img;
}

// The message a bad file gets, empty when it opens.
QString refusal(const QByteArray& bytes, const QString& name) {
    try {
        decodePictureFile(bytes, name);
        return {};
    } catch (const KovuError& e) {
        return e.message();
    }
}

}  // namespace

TEST(PictureRules, ChoicesFitAndAssessment) {
    EXPECT_EQ(pictureChoices().size(), 8);
    EXPECT_EQ(choiceNumber("6 对号"), 6);
    EXPECT_EQ(choiceName("6 对号"), QStringLiteral("对号"));
    EXPECT_EQ(QStringList({choiceCode(1), choiceCode(3), choiceCode(5), choiceCode(7)}),
              QStringList({"ss", "yy", "cw", "ch"}));
    EXPECT_EQ(requiredSize(5), QSize(400, 300));
    EXPECT_EQ(requiredSize(6), QSize(160, 133));
    EXPECT_EQ(requiredSize(8), QSize(30, 30));
    EXPECT_EQ(fixed4(requiredAspect(7)), "1.2030");

    // 640 x 480: 1.3333334 is above 1.3333, so the width branch: 300 wide at 0.46875.
    WorkingFit f = fitWorkingImage({640, 480}, aspectOf({640, 480}));
    EXPECT_EQ(f.rect, QRect(315, 38, 300, 225));
    EXPECT_DOUBLE_EQ(f.viewScale, 0.46875);
    EXPECT_EQ(fixed4(f.viewScale), "0.4688");
    // 200 x 400: height 225 at 0.5625, width 112.5 rounds to the even 112, left 315 + 188 div 2.
    f = fitWorkingImage({200, 400}, 0.5f);
    EXPECT_EQ(f.rect, QRect(409, 38, 112, 225));
    EXPECT_DOUBLE_EQ(f.viewScale, 0.5625);
    // 300 x 225 at its own size; a small tall picture too.
    f = fitWorkingImage({300, 225}, aspectOf({300, 225}));
    EXPECT_EQ(f.rect, QRect(315, 38, 300, 225));
    EXPECT_DOUBLE_EQ(f.viewScale, 1.0);
    EXPECT_EQ(fitWorkingImage({50, 100}, 0.5f).rect, QRect(315 + 125, 38, 50, 100));
    EXPECT_EQ(roundHalfEven(112.5), 112);
    EXPECT_EQ(roundHalfEven(113.5), 114);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(262.5066), 263);

    // 4:3 matches the five large choices and not the marks; 160 x 133 matches the marks.
    const float four3 = aspectOf({640, 480});
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(assessPicture({640, 480}, four3, requiredAspect(n), requiredSize(n)).matches, n <= 5) << n;
    EXPECT_TRUE(assessPicture({160, 133}, aspectOf({160, 133}), requiredAspect(6), requiredSize(6)).matches);
    Assessment a = assessPicture({400, 300}, aspectOf({400, 300}), requiredAspect(1), requiredSize(1));
    EXPECT_TRUE(a.matches);
    EXPECT_FALSE(a.tooSmall);
    a = assessPicture({399, 300}, aspectOf({399, 300}), requiredAspect(1), requiredSize(1));
    EXPECT_TRUE(a.tooSmall);
    const QString m =
        cropMessage("算术练习", {400, 300}, requiredAspect(1), {399, 300}, aspectOf({399, 300}), a);
    EXPECT_EQ(
        m, QStringLiteral(
               "图片“算术练习”的尺寸应为：400 * 300\n                宽高比应为：1.3333\n\n"
               "          选中图片的尺寸为：399 * 300\n                  宽高比为：1.3300\n\n"
               "如果确定采用此图，可按《直接选用》按钮选用或按《手工裁剪》按钮后在右边图片中拖动鼠标裁剪。\n"
               "选择尺寸小于要求尺寸图像的清晰度要下降。"));
    a = assessPicture({800, 450}, aspectOf({800, 450}), requiredAspect(1), requiredSize(1));
    EXPECT_TRUE(cropMessage("算术练习", {400, 300}, 1.3333f, {800, 450}, aspectOf({800, 450}), a)
                    .endsWith(QStringLiteral(
                        "宽高比为：1.7778\n\n如果确定采用此图，必须事先裁剪此图以符合宽高比。")));
}

TEST(PictureRules, NamesCutsAndSavedFiles) {
    // 50 bytes are shown whole; 60 bytes with a 10-byte file name: 36 bytes, "...\" and the name.
    const QString fifty = "/" + QString(38, 'd') + "/photo1.jpg";
    ASSERT_EQ(gbk::byteLength(fifty), 50);
    EXPECT_EQ(shortFileName(fifty), fifty);
    const QString sixty = "/" + QString(48, 'd') + "/photo1.jpg";
    EXPECT_EQ(shortFileName(sixty), sixty.left(36) + "...\\photo1.jpg");
    // Chinese characters count two bytes, and one cut in half is left out.
    const QString chinese = "/" + QString(15, QChar(0x56FE)) + "/" + QString(10, 'x') + "/全家福 合影1.jpg";
    const QString s = shortFileName(chinese);
    EXPECT_EQ(s, "/" + QString(14, QChar(0x56FE)) + "...\\全家福 合影1.jpg");
    EXPECT_LE(gbk::byteLength(s), 50);

    EXPECT_EQ(saveFileName("a.JPG", 1), "a.JPG.jpg");
    EXPECT_EQ(saveFileName("a.jpg", 1), "a.jpg");
    EXPECT_EQ(saveFileName("b.BMP", 2), "b.BMP.bmp");
    EXPECT_EQ(saveFileName("b.bmp", 2), "b.bmp");
    EXPECT_EQ(dialogFilter("JPG文件(.jpg)|*.jpg|图片(.bmp,.jpg)|*.bmp;*.jpg"),
              QStringLiteral("JPG文件(.jpg) (*.jpg);;图片(.bmp,.jpg) (*.bmp *.jpg)"));

    // Cuts for choice 1.
    CropInput in{{800, 450}, {400, 300}, 1.3333f, aspectOf({800, 450}), false, {}, {}, 1.0};
    EXPECT_EQ(cropPiece('j', in), QRect(100, 0, 600, 450));  // 599.985 rounds to 600
    in.originalSize = true;
    EXPECT_EQ(cropPiece('z', in), QRect(0, 0, 400, 300));
    in = {{300, 400}, {400, 300}, 1.3333f, 0.75f, false, {}, {}, 1.0};
    EXPECT_EQ(cropPiece('j', in), QRect(0, 87, 300, 225));
    in = {{350, 300}, {400, 300}, 1.3333f, aspectOf({350, 300}), false, {}, {}, 1.0};
    EXPECT_EQ(cropPiece('z', in), QRect(0, 0, 350, 263));
    // A drag at scale 0.5 from 10,20 to x = 210: 200 x 150 on screen, 400 x 300 from 20,40.
    const QSize band = dragRectangle({10, 20}, {210, 170}, {300, 225}, 1.3333f);
    EXPECT_EQ(band, QSize(200, 150));
    in = {{600, 450}, {400, 300}, 1.3333f, aspectOf({600, 450}), false, {10, 20}, band, 0.5};
    EXPECT_EQ(cropPiece('s', in), QRect(20, 40, 400, 300));
    // No rectangle to the left, upwards or without a move; none below the picture's edge.
    EXPECT_TRUE(dragRectangle({100, 50}, {60, 120}, {300, 225}, 1.3333f).isEmpty());
    EXPECT_TRUE(dragRectangle({100, 50}, {200, 40}, {300, 225}, 1.3333f).isEmpty());
    EXPECT_TRUE(dragRectangle({100, 50}, {100, 50}, {300, 225}, 1.3333f).isEmpty());
    EXPECT_EQ(dragRectangle({10, 150}, {210, 200}, {300, 225}, 1.3333f), QSize(100, 75));
    // A piece reaching past the edges is kept inside the picture.
    in = {{600, 450}, {400, 300}, 1.3333f, 1.3333f, false, {250, 200}, {100, 75}, 0.5};
    EXPECT_EQ(cropPiece('s', in), QRect(500, 400, 100, 50));

    // Only a cut made in the same step, wider than required, is reduced.
    const QImage big = plain(1000, 750);
    EXPECT_EQ(pictureToStore(big, 1000, false, 's', {400, 300}).size(), QSize(400, 300));
    EXPECT_EQ(pictureToStore(big, 0, false, '0', {400, 300}).size(), QSize(1000, 750));
    EXPECT_EQ(pictureToStore(big, 1000, false, 'j', {400, 300}).size(), QSize(1000, 750));
    EXPECT_EQ(pictureToStore(big, 1000, true, 'j', {400, 300}).size(), QSize(400, 300));
}

TEST(PictureRules, BadFilesAreRefusedWithAMessage) {
    const QImage good = plain(40, 30);
    const QByteArray jpeg = fileBytes(good, "JPG");
    const QByteArray bmp = fileBytes(good, "BMP");
    EXPECT_EQ(decodePictureFile(jpeg, "/x/全家 福.jpg").size(), QSize(40, 30));
    EXPECT_EQ(decodePictureFile(jpeg, "a.JPEG").format(), QImage::Format_RGB888);
    EXPECT_EQ(decodePictureFile(bmp, "a.BMP").size(), QSize(40, 30));

    EXPECT_TRUE(refusal("just some text", "note.jpg").contains("note.jpg"));
    EXPECT_TRUE(refusal("just some text", "note.bmp").contains("note.bmp"));
    EXPECT_FALSE(refusal({}, "empty.jpg").isEmpty());
    EXPECT_TRUE(refusal(jpeg.left(jpeg.size() * 2 / 3), "cut.jpg").contains("cut.jpg"));
    // Stray bytes before the end marker are a small fault that leaves the picture whole.
    const QByteArray stray = jpeg.left(jpeg.size() - 2) + QByteArray(3, '\0') + jpeg.right(2);
    EXPECT_EQ(refusal(stray, "stray.jpg"), QString());
    EXPECT_TRUE(refusal(bmp, "bitmap.jpg").contains("bitmap.jpg"));
    EXPECT_EQ(refusal(jpeg, "a.png"), QStringLiteral("只能打开 BMP 或 JPG 图片文件。"));

    // A JPEG whose frame header declares 60000 x 60000 is refused before anything is decoded.
    QByteArray huge = jpeg;
    const int sof = huge.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (int i : {5, 7}) {
        huge[sof + i] = char(0xEA);
        huge[sof + i + 1] = char(0x60);
    }
    EXPECT_TRUE(refusal(huge, "huge.jpg").contains(QStringLiteral("太大")));
    // Bitmaps with bogus headers: absurd size, a zero width, an unknown header, rows missing.
    QByteArray bogus = bmp;
    bogus[18] = char(0xFF), bogus[19] = char(0xFF), bogus[20] = char(0xFF), bogus[21] = char(0x0F);
    EXPECT_FALSE(refusal(bogus, "wide.bmp").isEmpty());
    bogus = bmp;
    bogus[18] = bogus[19] = bogus[20] = bogus[21] = 0;
    EXPECT_FALSE(refusal(bogus, "zero.bmp").isEmpty());
    bogus = bmp;
    bogus[14] = 7;
    EXPECT_FALSE(refusal(bogus, "header.bmp").isEmpty());
    EXPECT_FALSE(refusal(bmp.left(bmp.size() - 200), "short.bmp").isEmpty());
    EXPECT_FALSE(refusal(bmp.left(20), "stub.bmp").isEmpty());

    // Reading a file that is not there says so.
    try {
        loadPictureFile("/nonexistent/图片.jpg");
        ADD_FAILURE() << "a missing file was read";
    } catch (const KovuError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("图片.jpg")));
    }
}
