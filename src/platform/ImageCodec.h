#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QStringList>
#include <functional>

namespace kovu {

// Largest picture the program decodes; a header that declares more is refused before decoding.
inline constexpr qint64 kMaxPicturePixels = 50'000'000;

// JPEG through libjpeg-turbo. decodeJpeg raises KovuError for bytes that are not a JPEG, a
// picture that is too large, or a damaged stream. A stream that ends before its picture does (a
// truncated file) still gives a picture unless strict is set (a file about to be stored must be
// whole); small faults that leave the picture whole are accepted either way.
QImage decodeJpeg(const QByteArray& bytes, bool strict = false);
QSize jpegSize(const QByteArray& bytes);
QByteArray encodeJpeg(const QImage& image, int quality = 90);

// Windows bitmaps through QImage, with the same size limit. The header is checked first: its kind,
// the declared size and depth, and that an uncompressed bitmap holds all the rows it declares.
QImage decodeBitmap(const QByteArray& bytes);
QByteArray encodeBitmap(const QImage& image);

// PNG through libpng, as 32-bit ARGB, with the same size limit; raises KovuError for bytes that
// are not a whole PNG.
QImage decodePng(const QByteArray& bytes);

// The picture in the file at path (also a resource), decoded by the codecs above where it is one of
// their kinds and by Qt's readers otherwise or where they refuse it; raises KovuError when neither
// can read it. The codecs start at once, where Qt's first read looks through all of its image
// plug-ins first.
QImage decodePictureAt(const QString& path);

// One of the form's own pictures, compiled into the program under :/form/ (a null picture if it
// cannot be read), in the form the screen draws without converting: 32-bit RGB, or premultiplied
// ARGB where the picture has an alpha channel.
QImage decodeFormPicture(const QString& name);

// Work that decodes the named form pictures on the thread that runs it (a worker at start-up, so
// that building the window does not wait for them). From the call on, decodeFormPicture of one of
// them takes it from that work, waiting for it if need be; so the work must be run, once.
std::function<void()> formPicturesDecoder(const QStringList& names);

}  // namespace kovu
