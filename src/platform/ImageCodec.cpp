#include "platform/ImageCodec.h"

#include <png.h>
#include <turbojpeg.h>

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>

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
    quint32 v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + i));
    return static_cast<qint32>(v);
}

quint16 le16(const QByteArray& b, int at) {
    return static_cast<quint16>(static_cast<unsigned char>(b.at(at)) |
                                (static_cast<unsigned char>(b.at(at + 1)) << 8));
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
        const QString why = QString::fromUtf8(tjGetErrorStr2(tj.h));
        // Errors give no picture. Of the warnings, a stream that ends before its picture does (a
        // truncated file) is refused when strict; small faults that leave the picture whole are not.
        if (tjGetErrorCode(tj.h) == TJERR_FATAL) fail(QStringLiteral("JPEG 图片数据不对：%1").arg(why));
        if (strict && why.contains(QLatin1String("premature end"), Qt::CaseInsensitive))
            fail(QStringLiteral("JPEG 图片数据不完整：%1").arg(why));
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
    const QString bad = QStringLiteral("位图数据不对。");
    if (bytes.size() < 26 || bytes.at(0) != 'B' || bytes.at(1) != 'M') fail(bad);
    const qint64 headerSize = static_cast<quint32>(le32(bytes, 14));
    qint64 w = 0, h = 0, bpp = 0, compression = 0;
    if (headerSize == 12) {
        // The old OS/2 header: 16-bit width and height.
        w = le16(bytes, 18);
        h = le16(bytes, 20);
        bpp = le16(bytes, 24);
    } else if (headerSize >= 40 && headerSize <= 124 && bytes.size() >= 14 + 40) {
        w = le32(bytes, 18);
        h = std::abs(static_cast<qint64>(le32(bytes, 22)));
        bpp = le16(bytes, 28);
        compression = static_cast<quint32>(le32(bytes, 30));
    } else {
        fail(bad);
    }
    checkSize(w, h, "位");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) fail(bad);
    if (compression == 0 || compression == 3) {
        // Uncompressed rows, each padded to four bytes: the file must hold all of them.
        const qint64 offset = static_cast<quint32>(le32(bytes, 10));
        const qint64 stride = (w * bpp + 31) / 32 * 4;
        if (offset < 14 + headerSize || offset > bytes.size() || stride * h > bytes.size() - offset)
            fail(bad);
    }
    // The kind the program writes itself (uncompressed, 24 bits), read here directly; every other
    // kind through Qt's reader.
    if (compression == 0 && bpp == 24 && headerSize >= 40) {
        const qint64 offset = static_cast<quint32>(le32(bytes, 10));
        const qint64 stride = (w * 3 + 3) / 4 * 4;
        const bool topDown = le32(bytes, 22) < 0;
        QImage img(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB888);
        if (img.isNull()) fail(QStringLiteral("内存不足，位图不能显示。"));
        for (qint64 y = 0; y < h; ++y) {
            const auto* src = reinterpret_cast<const uchar*>(bytes.constData()) + offset +
                              (topDown ? y : h - 1 - y) * stride;
            uchar* dst = img.scanLine(static_cast<int>(y));
            for (qint64 x = 0; x < w; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        }
        return img;
    }
    QImage img;
    if (compression == 1 || compression == 2) {
        // A run-length stream may skip pixels (a jump, a line or the picture ended early), and
        // Qt's reader leaves those as it found the memory. It reads into a picture it is given
        // when size and kind match, so it is given one already filled with the palette's first
        // colour, which is what the skipped pixels show.
        img = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_Indexed8);
        if (img.isNull()) fail(QStringLiteral("内存不足，位图不能显示。"));
        img.fill(0);
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    if (!reader.read(&img)) fail(QStringLiteral("位图数据不对。"));
    return img;
}

QImage decodePng(const QByteArray& bytes) {
    if (bytes.isEmpty()) fail(QStringLiteral("图片数据不存在！"));
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.constData(), static_cast<size_t>(bytes.size())))
        fail(QStringLiteral("PNG 图片数据不对：%1").arg(QString::fromUtf8(png.message)));
    if (static_cast<qint64>(png.width) * png.height > kMaxPicturePixels || png.width == 0 ||
        png.height == 0) {
        png_image_free(&png);
        checkSize(png.width, png.height, "PNG ");
    }
    // Straight alpha in memory order B G R A, which on this little-endian machine is ARGB32.
    png.format = PNG_FORMAT_BGRA;
    QImage img(static_cast<int>(png.width), static_cast<int>(png.height), QImage::Format_ARGB32);
    if (img.isNull()) {
        png_image_free(&png);
        fail(QStringLiteral("内存不足，PNG 图片不能显示。"));
    }
    if (!png_image_finish_read(&png, nullptr, img.bits(), static_cast<png_int_32>(img.bytesPerLine()),
                               nullptr))
        fail(QStringLiteral("PNG 图片数据不对：%1").arg(QString::fromUtf8(png.message)));
    return img;
}

QImage decodePictureAt(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) fail(QStringLiteral("图片文件 %1 不能读。").arg(path));
    const QByteArray bytes = f.readAll();
    try {
        if (bytes.startsWith("\x89PNG")) return decodePng(bytes);
        if (bytes.startsWith("\xff\xd8")) return decodeJpeg(bytes);
        if (bytes.startsWith("BM")) return decodeBitmap(bytes);
    } catch (const KovuError&) {
        // Whatever Qt's readers can still make of it.
    }
    QImage img;
    if (!img.loadFromData(bytes)) fail(QStringLiteral("图片文件 %1 不能显示。").arg(path));
    return img;
}

namespace {

QImage decodeFormPictureNow(const QString& name) {
    try {
        const QImage img = decodePictureAt(QStringLiteral(":/form/") + name);
        return img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
    } catch (const KovuError&) {
        return QImage();
    }
}

// Pictures being decoded by the work formPicturesDecoder gave out.
struct FormPicturesAhead {
    std::mutex lock;
    QStringList names;
    std::shared_future<QHash<QString, QImage>> pictures;
};

FormPicturesAhead& formPicturesAhead() {
    static FormPicturesAhead a;
    return a;
}

}  // namespace

QImage decodeFormPicture(const QString& name) {
    std::shared_future<QHash<QString, QImage>> pictures;
    {
        FormPicturesAhead& a = formPicturesAhead();
        std::lock_guard<std::mutex> g(a.lock);
        if (a.pictures.valid() && a.names.contains(name)) pictures = a.pictures;
    }
    if (pictures.valid()) {
        try {
            const QHash<QString, QImage>& done = pictures.get();
            if (auto it = done.constFind(name); it != done.constEnd()) return it.value();
        } catch (const std::future_error&) {
            // The work was dropped without running: the picture is decoded here instead.
        }
    }
    return decodeFormPictureNow(name);
}

std::function<void()> formPicturesDecoder(const QStringList& names) {
    auto done = std::make_shared<std::promise<QHash<QString, QImage>>>();
    {
        FormPicturesAhead& a = formPicturesAhead();
        std::lock_guard<std::mutex> g(a.lock);
        a.names = names;
        a.pictures = done->get_future().share();
    }
    return [done, names] {
        QHash<QString, QImage> out;
        try {
            for (const QString& n : names) out.insert(n, decodeFormPictureNow(n));
        } catch (...) {
            // Out of memory: what is missing is decoded when it is asked for.
        }
        done->set_value(out);
    };
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
