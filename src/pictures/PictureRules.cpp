#include "pictures/PictureRules.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/ImageCodec.h"
#include "platform/Errors.h"
#include "platform/Gbk.h"

namespace kovu {

QStringList pictureChoices() {
    return {QStringLiteral("1 算术练习"), QStringLiteral("2 拼音练习"), QStringLiteral("3 英语练习"),
            QStringLiteral("4 答案正确"), QStringLiteral("5 答案错误"), QStringLiteral("6 对号"),
            QStringLiteral("7 错号"),     QStringLiteral("8 例图图片")};
}

int choiceNumber(const QString& itemText) {
    if (itemText.isEmpty() || !itemText.at(0).isDigit()) return 0;
    return itemText.at(0).digitValue();
}

QString choiceName(const QString& itemText) { return itemText.mid(2); }

QString choiceCode(int n) {
    static const QString codes = QStringLiteral("sspyyyzqcwdhch");
    if (n < 1 || n > 7) return {};
    return codes.mid(2 * n - 2, 2);
}

QSize requiredSize(int n) {
    const int w = n < 6 ? 400 : n < 8 ? 160 : 30;
    const int h = n < 6 ? 300 : n < 8 ? 133 : 30;
    return {w, h};
}

float requiredAspect(int n) {
    if (n >= 8) return 1.0f;
    return n < 6 ? 1.3333f : 1.203f;
}

float aspectOf(QSize s) {
    if (s.width() <= 0 || s.height() <= 0) return 0.0f;
    return static_cast<float>(s.width()) / static_cast<float>(s.height());
}

int roundHalfEven(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    const double fl = std::floor(v);
    const double diff = v - fl;
    double r;
    if (diff > 0.5)
        r = fl + 1;
    else if (diff < 0.5)
        r = fl;
    else
        r = std::fmod(fl, 2.0) == 0.0 ? fl : fl + 1;
    return static_cast<int>(r);
}

QString fixed4(double v) {
    if (!std::isfinite(v)) return QStringLiteral("0.0000");
    const double r = std::round(v * 10000.0) / 10000.0;
    return QString::number(r, 'f', 4);
}

WorkingFit fitWorkingImage(QSize picture, float r, int top) {
    WorkingFit f{QRect(kWorkLeft, top, kWorkWidth, kWorkHeight), 1.0};
    const int pw = std::max(picture.width(), 1);
    const int ph = std::max(picture.height(), 1);
    // A proportion that is not a positive number would give no size at all; show the picture's own.
    if (!(r > 0.0f) || !std::isfinite(r)) r = aspectOf({pw, ph});
    int w, h;
    if (static_cast<double>(r) <= 1.3333) {
        if (ph > kWorkHeight) {
            h = kWorkHeight;
            f.viewScale = static_cast<double>(kWorkHeight) / ph;
        } else {
            h = ph;
        }
        w = roundHalfEven(static_cast<double>(r) * h);
    } else {
        if (pw > kWorkWidth) {
            w = kWorkWidth;
            f.viewScale = static_cast<double>(kWorkWidth) / pw;
        } else {
            w = pw;
        }
        h = roundHalfEven(w / static_cast<double>(r));
    }
    w = std::clamp(w, 1, kWorkWidth);
    h = std::clamp(h, 1, kWorkHeight);
    f.rect = QRect(kWorkLeft + (kWorkWidth - w) / 2, top, w, h);
    return f;
}

Assessment assessPicture(QSize picture, float sourceAspect, float requiredAspect, QSize required) {
    Assessment a;
    const double sa = sourceAspect, ra = requiredAspect;
    a.matches = 0.99 * ra <= sa && sa <= 1.01 * ra;
    a.tooSmall = picture.width() < required.width() || picture.height() < required.height();
    return a;
}

QString cropMessage(const QString& choiceName, QSize required, float requiredAspect, QSize picture,
                    float sourceAspect, Assessment a) {
    const QString lf = QStringLiteral("\n");
    QString m = QStringLiteral("图片“") + choiceName + QStringLiteral("”的尺寸应为：") +
                QString::number(required.width()) + QStringLiteral(" * ") +
                QString::number(required.height()) + lf + QString(16, ' ') + QStringLiteral("宽高比应为：") +
                fixed4(requiredAspect) + lf + lf + QString(10, ' ') + QStringLiteral("选中图片的尺寸为：") +
                QString::number(picture.width()) + QStringLiteral(" * ") + QString::number(picture.height()) +
                lf + QString(18, ' ') + QStringLiteral("宽高比为：") + fixed4(sourceAspect) + lf + lf +
                QStringLiteral("如果确定采用此图，");
    if (a.matches)
        m += QStringLiteral("可按《直接选用》按钮选用或按《手工裁剪》按钮后在右边图片中拖动鼠标裁剪。");
    else
        m += QStringLiteral("必须事先裁剪此图以符合宽高比。");
    if (a.tooSmall) m += lf + QStringLiteral("选择尺寸小于要求尺寸图像的清晰度要下降。");
    return m;
}

QString cropDoneMessage() {
    return QStringLiteral(
        "\n    图片裁剪已经完成，如果确定保存，\n\n  请按《确定选用》；否则按《取消选用》。");
}

namespace {

// The first characters of text that fit into count GBK bytes.
QString leadingBytes(const QString& text, int count) {
    QString out;
    int used = 0;
    for (int i = 0; i < text.size();) {
        const int len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        const int bytes = gbk::byteLength(ch);
        if (used + bytes > count) break;
        out += ch;
        used += bytes;
        i += len;
    }
    return out;
}

}  // namespace

QString shortFileName(const QString& fullName) {
    if (gbk::byteLength(fullName) < 51) return fullName;
    const QString name = QFileInfo(fullName).fileName();
    const int l = gbk::byteLength(name);
    return leadingBytes(fullName, 46 - l) + QStringLiteral("...\\") + name;
}

QRect cropPiece(char mode, const CropInput& in) {
    const int pw = in.picture.width(), ph = in.picture.height();
    if (pw <= 0 || ph <= 0) return {};
    int x0 = 0, y0 = 0, w = 0, h = 0;
    if (mode == 's') {
        const double s = in.viewScale > 0 && std::isfinite(in.viewScale) ? in.viewScale : 1.0;
        x0 = roundHalfEven(in.dragStart.x() / s);
        y0 = roundHalfEven(in.dragStart.y() / s);
        w = roundHalfEven(in.dragSize.width() / s);
        h = roundHalfEven(in.dragSize.height() / s);
    } else if (mode == 'z' || mode == 'j') {
        if (in.originalSize) {
            w = in.required.width();
            h = in.required.height();
        } else {
            const double ra = in.requiredAspect > 0 ? in.requiredAspect : 1.0;
            if (in.sourceAspect > in.requiredAspect) {
                h = ph;
                w = roundHalfEven(h * ra);
            } else {
                w = pw;
                h = roundHalfEven(w / ra);
            }
        }
        w = std::clamp(w, 0, pw);
        h = std::clamp(h, 0, ph);
        if (mode == 'j') {
            x0 = (pw - w) / 2;
            y0 = (ph - h) / 2;
        }
    } else {
        return {};
    }
    // Never outside the picture: the start inside it, the size what is left from there.
    x0 = std::clamp(x0, 0, pw - 1);
    y0 = std::clamp(y0, 0, ph - 1);
    w = std::clamp(w, 0, pw - x0);
    h = std::clamp(h, 0, ph - y0);
    if (w <= 0 || h <= 0) return {};
    return {x0, y0, w, h};
}

QSize dragRectangle(QPoint start, QPoint pos, QSize display, float requiredAspect) {
    if (pos.x() <= start.x() || pos.y() <= start.y()) return {0, 0};
    const double ra = requiredAspect > 0 && std::isfinite(requiredAspect) ? requiredAspect : 1.0;
    int w = std::min(pos.x(), display.width()) - start.x();
    int h = roundHalfEven(w / ra);
    const int room = display.height() - start.y();
    if (room <= 0 || w <= 0) return {0, 0};
    if (h > room) {
        h = room;
        w = std::min(w, roundHalfEven(h * ra));
    }
    if (w <= 0 || h <= 0) return {0, 0};
    return {w, h};
}

QImage pictureToStore(const QImage& working, int cutWidth, bool byAspect, char mode, QSize required) {
    if ((byAspect || mode == '0' || mode == 's') && required.width() < cutWidth && required.width() > 0 &&
        required.height() > 0) {
        QImage out = working.scaled(required, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return out.convertToFormat(QImage::Format_RGB888);
    }
    return working;
}

QString saveFileName(const QString& name, int filterIndex) {
    const QString ext = filterIndex == 2 ? QStringLiteral(".bmp") : QStringLiteral(".jpg");
    return name.endsWith(ext, Qt::CaseSensitive) ? name : name + ext;
}

QString dialogFilter(const QString& pairs) {
    const QStringList parts = pairs.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts.at(i) + QStringLiteral(" (") + QString(parts.at(i + 1)).replace(';', ' ') + ')';
    return out.join(QStringLiteral(";;"));
}

QImage decodePictureFile(const QByteArray& bytes, const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const QString shown = QFileInfo(fileName).fileName();
    if (bytes.isEmpty()) fail(QStringLiteral("图片文件“%1”是空的，不能打开。").arg(shown));
    const bool bitmap = suffix == QLatin1String("bmp");
    if (!bitmap && suffix != QLatin1String("jpg") && suffix != QLatin1String("jpeg"))
        fail(QStringLiteral("只能打开 BMP 或 JPG 图片文件。"));
    QImage img;
    try {
        img = bitmap ? decodeBitmap(bytes) : decodeJpeg(bytes, true);
    } catch (const KovuError& e) {
        const QString kind = bitmap ? QStringLiteral("BMP") : QStringLiteral("JPG");
        fail(QStringLiteral("图片文件“%1”不是能打开的 %2 图片：\n%3").arg(shown, kind, e.message()));
    }
    if (img.isNull() || img.width() <= 0 || img.height() <= 0)
        fail(QStringLiteral("图片文件“%1”不能打开。").arg(shown));
    if (img.format() != QImage::Format_RGB888) img = img.convertToFormat(QImage::Format_RGB888);
    if (img.isNull()) fail(QStringLiteral("内存不足，图片文件“%1”不能打开。").arg(shown));
    return img;
}

QImage loadPictureFile(const QString& path) {
    QFile f(path);
    const QString shown = QFileInfo(path).fileName();
    if (!f.open(QIODevice::ReadOnly)) fail(QStringLiteral("图片文件“%1”不能读出。").arg(shown));
    // A picture the program can show is far below this; a larger file is not read into memory.
    constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
    if (f.size() > kMaxFileBytes) fail(QStringLiteral("图片文件“%1”太大，不能打开。").arg(shown));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) fail(QStringLiteral("图片文件“%1”不能读出。").arg(shown));
    return decodePictureFile(bytes, path);
}

}  // namespace kovu
