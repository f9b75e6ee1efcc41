// The arithmetic of fitting, dragging and cutting with any numbers, far outside what a decoded
// picture gives: sizes up to the decoder's limit, any proportion bits (zero, negative, NaN), drags
// anywhere, any view scale; and the short file name and the save name of any text.
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "pictures/PictureRules.h"
#include "platform/Gbk.h"

using namespace kovu;

namespace {

struct Reader {
    const uint8_t* p;
    size_t left;
    template <typename T>
    T get() {
        T v{};
        const size_t n = left < sizeof(T) ? left : sizeof(T);
        std::memcpy(&v, p, n);
        p += n;
        left -= n;
        return v;
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader r{data, size};
    const int pw = 1 + static_cast<int>(r.get<uint32_t>() % 50'000);
    const int ph = 1 + static_cast<int>(r.get<uint32_t>() % 50'000);
    const float rf = r.get<float>();
    const int n = 1 + r.get<uint8_t>() % 8;
    const char mode = "0zjsx"[r.get<uint8_t>() % 5];
    const bool originalSize = r.get<uint8_t>() & 1;
    const QPoint start(r.get<int16_t>(), r.get<int16_t>());
    const QPoint pos(r.get<int16_t>(), r.get<int16_t>());
    const QSize dragSize(r.get<int16_t>(), r.get<int16_t>());
    const double scale = r.get<double>();
    const float sa = r.get<uint8_t>() & 1 ? r.get<float>() : aspectOf({pw, ph});

    const WorkingFit fit = fitWorkingImage({pw, ph}, rf);
    FUZZ_CHECK(QRect(kWorkLeft, kWorkTop, kWorkWidth, kWorkHeight).contains(fit.rect));
    FUZZ_CHECK(fit.viewScale > 0 && fit.viewScale <= 1.0);

    const QSize display = fit.rect.size();
    const QSize drag = dragRectangle(start, pos, display, rf);
    FUZZ_CHECK(drag.width() >= 0 && drag.height() >= 0);
    if (!drag.isEmpty() && start.x() >= 0 && start.y() >= 0)
        FUZZ_CHECK(start.x() + drag.width() <= display.width() &&
                   start.y() + drag.height() <= display.height());

    const CropInput in{{pw, ph},     requiredSize(n), requiredAspect(n), sa,
                       originalSize, start,           dragSize,          scale};
    const QRect piece = cropPiece(mode, in);
    if (!piece.isEmpty()) FUZZ_CHECK(QRect(0, 0, pw, ph).contains(piece));

    (void)roundHalfEven(scale);
    (void)fixed4(scale);

    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(r.p), static_cast<qsizetype>(r.left));
    const QString shortName = shortFileName(text);
    const int full = gbk::byteLength(text);
    if (full < 51) {
        FUZZ_CHECK(shortName == text);
    } else {
        FUZZ_CHECK(shortName.contains(QStringLiteral("...\\")));
        FUZZ_CHECK(gbk::byteLength(shortName) <= std::max(50, 4 + full));
    }
    for (int f = 1; f <= 2; ++f) {
        const QString saved = saveFileName(text, f);
        FUZZ_CHECK(saved.endsWith(f == 1 ? QStringLiteral(".jpg") : QStringLiteral(".bmp")));
        FUZZ_CHECK(saved.startsWith(text));
    }
    return 0;
}
