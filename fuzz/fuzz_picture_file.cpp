// Opens fuzzed picture files the way the picture page does, then fits, assesses, cuts, reduces and
// encodes what was decoded, checking that every result stays inside its picture.
//
// Input: 8 control bytes, then the file.
//   0: how the file is named (.bmp, .jpg, .jpeg, .JPG) and, in bit 2, whether the raw decoders are
//      also run on the bytes (lenient JPEG, header only, bitmap)
//   1: the choice 1..8   2: the cut ('0', 'z', 'j', 's')   3: bit 0 "按原尺寸"
//   4..7: drag start and end in display pixels
#include <QByteArray>
#include <QImage>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "platform/ImageCodec.h"
#include "pictures/PictureRules.h"
#include "platform/Errors.h"

using namespace kovu;

namespace {

void rawDecoders(const QByteArray& bytes) {
    try {
        const QImage j = decodeJpeg(bytes, false);
        FUZZ_CHECK(!j.isNull());
        FUZZ_CHECK(static_cast<qint64>(j.width()) * j.height() <= kMaxPicturePixels);
        FUZZ_CHECK(jpegSize(bytes) == j.size());
    } catch (const KovuError&) {
    }
    try {
        jpegSize(bytes);
    } catch (const KovuError&) {
    }
    try {
        const QImage b = decodeBitmap(bytes);
        FUZZ_CHECK(!b.isNull());
        FUZZ_CHECK(static_cast<qint64>(b.width()) * b.height() <= kMaxPicturePixels);
    } catch (const KovuError&) {
    }
    try {
        const QImage p = decodePng(bytes);
        FUZZ_CHECK(!p.isNull());
        FUZZ_CHECK(static_cast<qint64>(p.width()) * p.height() <= kMaxPicturePixels);
    } catch (const KovuError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    static const char* names[] = {"图片 a.bmp", "图片 a.jpg", "a.jpeg", "A.JPG"};
    const QString name = QString::fromUtf8(names[data[0] & 3]);
    const int n = 1 + data[1] % 8;
    const char mode = "0zjs"[data[2] % 4];
    const bool originalSize = data[3] & 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 8, static_cast<qsizetype>(size - 8));
    if (data[0] & 4) rawDecoders(bytes);

    QImage img;
    try {
        img = decodePictureFile(bytes, name);
    } catch (const KovuError& e) {
        FUZZ_CHECK(!e.message().isEmpty());
        return 0;
    }
    FUZZ_CHECK(!img.isNull() && img.format() == QImage::Format_RGB888);
    FUZZ_CHECK(img.width() > 0 && img.height() > 0);
    FUZZ_CHECK(static_cast<qint64>(img.width()) * img.height() <= kMaxPicturePixels);

    const float sa = aspectOf(img.size());
    const WorkingFit fit = fitWorkingImage(img.size(), sa);
    FUZZ_CHECK(QRect(kWorkLeft, kWorkTop, kWorkWidth, kWorkHeight).contains(fit.rect));
    FUZZ_CHECK(fit.viewScale > 0 && fit.viewScale <= 1.0);

    const QSize required = requiredSize(n);
    const float ra = requiredAspect(n);
    const Assessment a = assessPicture(img.size(), sa, ra, required);
    FUZZ_CHECK(
        !cropMessage(choiceName(pictureChoices().at(n - 1)), required, ra, img.size(), sa, a).isEmpty());

    const QPoint start(data[4] % fit.rect.width(), data[5] % fit.rect.height());
    const QPoint pos(data[6] % (fit.rect.width() + 8), data[7] % (fit.rect.height() + 8));
    const QSize drag = dragRectangle(start, pos, fit.rect.size(), ra);
    if (!drag.isEmpty())
        FUZZ_CHECK(fit.rect.size().width() >= start.x() + drag.width() &&
                   fit.rect.size().height() >= start.y() + drag.height());

    const CropInput in{img.size(), required, ra, sa, originalSize && !a.tooSmall, start, drag, fit.viewScale};
    const QRect piece = cropPiece(mode, in);
    if (piece.isEmpty()) return 0;
    FUZZ_CHECK(img.rect().contains(piece));
    const QImage cut = img.copy(piece);
    FUZZ_CHECK(cut.size() == piece.size());
    const QImage stored = pictureToStore(cut, piece.width(), !originalSize, mode, required);
    FUZZ_CHECK(!stored.isNull());
    FUZZ_CHECK(stored.size() == cut.size() || stored.size() == required);
    // Encoding is what a store does; large pictures only make the run slow.
    if (static_cast<qint64>(stored.width()) * stored.height() <= 1'000'000) {
        const QByteArray jpeg = encodeJpeg(stored, 90);
        FUZZ_CHECK(decodeJpeg(jpeg, true).size() == stored.size());
        const QByteArray bmp = encodeBitmap(stored);
        FUZZ_CHECK(decodePictureFile(bmp, QStringLiteral("b.bmp")).size() == stored.size());
    }
    return 0;
}
