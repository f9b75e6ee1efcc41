#include "data/ImageCodec.h"

#include <turbojpeg.h>

#include <QBuffer>
#include <cstring>

#include "platform/Errors.h"

namespace kovu {

namespace {

struct TjHandle {
    explicit TjHandle(tjhandle h) : h(h) {}
    ~TjHandle() {
        if (h) tjDestroy(h);
    }
    tjhandle h;
};

void checkSize(qint64 w, qint64 h, const char* kind) {
    if (w <= 0 || h <= 0) fail(QStringLiteral("%1图片的尺寸不对。").arg(QString::fromUtf8(kind)));
    if (w * h > kMaxPicturePixels)
        fail(QStringLiteral("%1图片太大（%2 × %3），不能显示。").arg(QString::fromUtf8(kind)).arg(w).arg(h));
}

qint32 le32(const QByteArray& b, int at) {
    qint32 v;
    std::memcpy(&v, b.constData() + at, 4);
    return v;
}

}  // namespace

QSize jpegSize(const QByteArray& bytes) {
    if (bytes.isEmpty()) fail(QStringLiteral("图片数据不存在！"));
    TjHandle tj(tjInitDecompress());
    int w = 0, h = 0, sub = 0, cs = 0;
    if (tjDecompressHeader3(tj.h, reinterpret_cast<const unsigned char*>(bytes.constData()),
                            static_cast<unsigned long>(bytes.size()), &w, &h, &sub, &cs) != 0)
        fail(QStringLiteral("JPEG 图片数据不对：%1").arg(QString::fromUtf8(tjGetErrorStr2(tj.h))));
    return {w, h};
}

QImage decodeJpeg(const QByteArray& bytes, bool strict) {
    if (bytes.isEmpty()) fail(QStringLiteral("图片数据不存在！"));
    TjHandle tj(tjInitDecompress());
    int w = 0, h = 0, sub = 0, cs = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto size = static_cast<unsigned long>(bytes.size());
    if (tjDecompressHeader3(tj.h, data, size, &w, &h, &sub, &cs) != 0)
        fail(QStringLiteral("JPEG 图片数据不对：%1").arg(QString::fromUtf8(tjGetErrorStr2(tj.h))));
    checkSize(w, h, "JPEG ");
    QImage img(w, h, QImage::Format_RGB888);
    if (img.isNull()) fail(QStringLiteral("内存不足，JPEG 图片不能显示。"));
    if (tjDecompress2(tj.h, data, size, img.bits(), w, static_cast<int>(img.bytesPerLine()), h, TJPF_RGB,
                      TJFLAG_ACCURATEDCT) != 0) {
        // Warnings (a truncated tail) still give a picture; errors do not.
        if (strict || tjGetErrorCode(tj.h) == TJERR_FATAL)
            fail(QStringLiteral("JPEG 图片数据不对：%1").arg(QString::fromUtf8(tjGetErrorStr2(tj.h))));
    }
    return img;
}

QByteArray encodeJpeg(const QImage& image, int quality) {
    if (image.isNull()) fail(QStringLiteral("没有图片，不能保存。"));
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    TjHandle tj(tjInitCompress());
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    if (tjCompress2(tj.h, rgb.constBits(), rgb.width(), static_cast<int>(rgb.bytesPerLine()), rgb.height(),
                    TJPF_RGB, &out, &outSize, TJSAMP_420, quality, TJFLAG_ACCURATEDCT) != 0) {
        if (out) tjFree(out);
        fail(QStringLiteral("JPEG 图片不能压缩：%1").arg(QString::fromUtf8(tjGetErrorStr2(tj.h))));
    }
    QByteArray result(reinterpret_cast<const char*>(out), static_cast<qsizetype>(outSize));
    tjFree(out);
    return result;
}

QImage decodeBitmap(const QByteArray& bytes) {
    if (bytes.isEmpty()) fail(QStringLiteral("图片数据不存在！"));
    if (bytes.size() < 26 || bytes.at(0) != 'B' || bytes.at(1) != 'M') fail(QStringLiteral("位图数据不对。"));
    checkSize(le32(bytes, 18), std::abs(static_cast<qint64>(le32(bytes, 22))), "位");
    QImage img;
    if (!img.loadFromData(bytes, "BMP")) fail(QStringLiteral("位图数据不对。"));
    return img;
}

QByteArray encodeBitmap(const QImage& image) {
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB888).save(&buf, "BMP"))
        fail(QStringLiteral("位图不能保存。"));
    return out;
}

}  // namespace kovu
