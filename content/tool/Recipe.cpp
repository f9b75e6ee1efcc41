#include "Recipe.h"

#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QRegularExpression>

#include "Source.h"
#include "platform/ImageCodec.h"

namespace kovu::content {

namespace {

const QString kEmojiFamily = QStringLiteral("Noto Color Emoji");

struct CommandRule {
    QStringList required;
    QStringList optional;
};

const QHash<QString, CommandRule>& commandRules() {
    static const QHash<QString, CommandRule> rules = {
        {"fill", {{"colour"}, {}}},
        {"gradient", {{"top", "bottom"}, {}}},
        {"rect", {{"x", "y", "w", "h"}, {"radius", "fill", "pen", "width"}}},
        {"ellipse", {{"x", "y", "w", "h"}, {"fill", "pen", "width"}}},
        {"polyline", {{"points"}, {"pen", "width", "fill"}}},
        {"emoji", {{"text", "x", "y", "size"}, {"fit"}}},
        {"text",
         {{"text", "x", "y", "size"}, {"font", "colour", "bold", "outline", "outlinewidth", "fit", "align"}}},
    };
    return rules;
}

const QStringList kNumberKeys = {"x",   "y", "w", "h", "radius", "width", "size", "fit", "outlinewidth",
                                 "bold"};
const QStringList kColourKeys = {"colour", "top", "bottom", "fill", "pen", "outline"};

// Splits a line into blank-separated tokens; double quotes group blanks and are removed.
QStringList tokens(const QString& line, bool* ok) {
    QStringList out;
    QString cur;
    bool quoted = false, inToken = false;
    for (QChar c : line) {
        if (c == '"') {
            quoted = !quoted;
            inToken = true;
        } else if (c.isSpace() && !quoted) {
            if (inToken) out << cur;
            cur.clear();
            inToken = false;
        } else {
            cur += c;
            inToken = true;
        }
    }
    if (inToken) out << cur;
    *ok = !quoted;
    return out;
}

bool isVariable(const QString& v) { return v.startsWith('$'); }

QColor colourOf(const QString& v) {
    if (v == "transparent") return QColor(0, 0, 0, 0);
    return QColor::fromString(v);
}

bool fontKnown(const QString& family) {
    static const QStringList design = {"宋体", "楷体_GB2312", "黑体", "仿宋_GB2312"};
    return design.contains(family) || QFontDatabase::families().contains(family);
}

QList<QPointF> parsePoints(const QString& v, bool* ok) {
    QList<QPointF> pts;
    *ok = true;
    for (const QString& p : v.split(' ', Qt::SkipEmptyParts)) {
        const QStringList xy = p.split(',');
        bool a = false, b = false;
        if (xy.size() == 2) pts << QPointF(xy[0].toDouble(&a), xy[1].toDouble(&b));
        if (!a || !b) *ok = false;
    }
    if (pts.size() < 2) *ok = false;
    return pts;
}

void checkLayer(const Layer& l, const QString& file) {
    const auto it = commandRules().find(l.command);
    if (it == commandRules().end()) throw SourceError(file, l.line, "unknown command \"" + l.command + "\"");
    for (auto k = l.keys.begin(); k != l.keys.end(); ++k)
        if (!it->required.contains(k.key()) && !it->optional.contains(k.key()))
            throw SourceError(file, l.line, "unknown setting \"" + k.key() + "\" for " + l.command);
    for (const QString& k : it->required)
        if (!l.keys.contains(k)) throw SourceError(file, l.line, l.command + " needs " + k + "=");
    for (auto k = l.keys.begin(); k != l.keys.end(); ++k) {
        const QString& v = k.value();
        if (isVariable(v)) continue;
        if (kNumberKeys.contains(k.key())) {
            bool ok = false;
            v.toInt(&ok);
            if (!ok) throw SourceError(file, l.line, k.key() + "=" + v + " is not a whole number");
        } else if (kColourKeys.contains(k.key())) {
            if (!colourOf(v).isValid()) throw SourceError(file, l.line, "\"" + v + "\" is not a colour");
        } else if (k.key() == "font") {
            if (!fontKnown(v)) throw SourceError(file, l.line, "font \"" + v + "\" is not installed");
        } else if (k.key() == "align") {
            if (v != "centre" && v != "left" && v != "right")
                throw SourceError(file, l.line, "align must be centre, left or right");
        } else if (k.key() == "points") {
            bool ok = false;
            parsePoints(v, &ok);
            if (!ok) throw SourceError(file, l.line, "points must be at least two x,y pairs");
        }
    }
    if (l.command == "emoji" && !isVariable(l.keys.value("text")))
        checkEmoji(l.keys.value("text"), file, l.line);
}

QString valueOf(const Layer& l, const QString& key, const QHash<QString, QString>& vars,
                const QString& file) {
    QString v = l.keys.value(key);
    if (isVariable(v)) {
        const QString name = v.mid(1);
        if (!vars.contains(name)) throw SourceError(file, l.line, "no value for $" + name);
        v = vars.value(name);
    }
    return v;
}

QFont fitFont(QFont f, const QString& text, int fit) {
    if (fit <= 0) return f;
    while (f.pixelSize() > 6 && QFontMetrics(f).horizontalAdvance(text) > fit)
        f.setPixelSize(f.pixelSize() - 1);
    return f;
}

}  // namespace

const char* formatName(PictureFormat f) {
    switch (f) {
        case PictureFormat::Bitmap:
            return "bmp";
        case PictureFormat::Jpeg:
            return "jpeg";
        case PictureFormat::Png:
            return "png";
    }
    return "";
}

void checkEmoji(const QString& text, const QString& file, int line) {
    if (text.isEmpty()) throw SourceError(file, line, "empty emoji");
    QFont f(kEmojiFamily);
    f.setPixelSize(64);
    const QRawFont raw = QRawFont::fromFont(f);
    if (!raw.isValid() || raw.familyName() != kEmojiFamily)
        throw SourceError(file, line, "the colour emoji font (fonts-noto-color-emoji) is not installed");
    for (char32_t c : text.toUcs4()) {
        // Joiners, variation selectors, keycap and skin-tone modifiers combine with their base.
        if (c == 0x200D || c == 0xFE0F || c == 0xFE0E || c == 0x20E3 || (c >= 0x1F3FB && c <= 0x1F3FF))
            continue;
        if (!raw.supportsCharacter(c))
            throw SourceError(
                file, line,
                QString("U+%1 is not in %2").arg(uint(c), 4, 16, QChar('0')).toUpper().arg(kEmojiFamily));
    }
}

std::vector<Recipe> readRecipes(const QString& path, const QString& name) {
    const QStringList lines = readText(path, name).split('\n');
    std::vector<Recipe> out;
    Recipe* cur = nullptr;
    static const QRegularExpression sizeRe("^(\\d+)x(\\d+)$");
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString trimmed = lines.at(i).trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#')) continue;
        bool ok = false;
        const QStringList tok = tokens(trimmed, &ok);
        if (!ok) throw SourceError(name, lineNo, "unbalanced double quote");
        const QString cmd = tok.first();
        if (cmd == "picture") {
            if (cur) throw SourceError(name, lineNo, "picture " + cur->name + " has no end");
            if (tok.size() < 2 || tok.at(1).contains('='))
                throw SourceError(name, lineNo, "picture needs a name");
            Recipe r;
            r.file = name;
            r.line = lineNo;
            r.name = tok.at(1);
            bool haveFormat = false;
            for (int k = 2; k < tok.size(); ++k) {
                const QString key = tok.at(k).section('=', 0, 0), v = tok.at(k).section('=', 1);
                if (key == "format") {
                    if (v == "bmp")
                        r.format = PictureFormat::Bitmap;
                    else if (v == "jpeg")
                        r.format = PictureFormat::Jpeg;
                    else if (v == "png")
                        r.format = PictureFormat::Png;
                    else
                        throw SourceError(name, lineNo, "format must be bmp, jpeg or png");
                    haveFormat = true;
                } else if (key == "size") {
                    const auto m = sizeRe.match(v);
                    if (!m.hasMatch() || m.captured(1).toInt() < 1 || m.captured(2).toInt() < 1 ||
                        m.captured(1).toInt() > 2000 || m.captured(2).toInt() > 2000)
                        throw SourceError(name, lineNo, "size must be WxH, 1 to 2000 pixels");
                    r.size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
                } else {
                    throw SourceError(name, lineNo, "unknown setting \"" + key + "\" for picture");
                }
            }
            if (!haveFormat) throw SourceError(name, lineNo, "picture needs format=");
            if (!r.size.isValid()) throw SourceError(name, lineNo, "picture needs size=");
            for (const Recipe& o : out)
                if (o.name == r.name)
                    throw SourceError(
                        name, lineNo,
                        "picture " + r.name + " is already defined on line " + QString::number(o.line));
            out.push_back(r);
            cur = &out.back();
            continue;
        }
        if (cmd == "end") {
            if (!cur) throw SourceError(name, lineNo, "end without picture");
            if (cur->layers.empty())
                throw SourceError(name, lineNo, "picture " + cur->name + " draws nothing");
            cur = nullptr;
            continue;
        }
        if (!cur) throw SourceError(name, lineNo, "\"" + cmd + "\" outside a picture");
        Layer l;
        l.line = lineNo;
        l.command = cmd;
        for (int k = 1; k < tok.size(); ++k) {
            if (!tok.at(k).contains('='))
                throw SourceError(name, lineNo, "\"" + tok.at(k) + "\" is not key=value");
            const QString key = tok.at(k).section('=', 0, 0);
            if (l.keys.contains(key)) throw SourceError(name, lineNo, key + "= given twice");
            l.keys.insert(key, tok.at(k).section('=', 1));
        }
        checkLayer(l, name);
        cur->layers.push_back(l);
    }
    if (cur) throw SourceError(name, cur->line, "picture " + cur->name + " has no end");
    return out;
}

namespace {

QImage drawScaled(const Recipe& r, const QHash<QString, QString>& vars, QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(r.format == PictureFormat::Png ? Qt::transparent : Qt::white);
    QPainter p(&img);
    p.scale(qreal(size.width()) / r.size.width(), qreal(size.height()) / r.size.height());
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QString& file = r.file;
    for (const Layer& l : r.layers) {
        auto val = [&](const QString& k) { return valueOf(l, k, vars, file); };
        auto num = [&](const QString& k, int def = 0) {
            if (!l.keys.contains(k)) return def;
            bool ok = false;
            const int n = val(k).toInt(&ok);
            if (!ok) throw SourceError(file, l.line, k + " is not a whole number");
            return n;
        };
        auto colour = [&](const QString& k) {
            const QColor c = colourOf(val(k));
            if (!c.isValid()) throw SourceError(file, l.line, "\"" + val(k) + "\" is not a colour");
            return c;
        };
        auto setPenBrush = [&]() {
            if (l.keys.contains("pen"))
                p.setPen(QPen(colour("pen"), num("width", 1), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            else
                p.setPen(Qt::NoPen);
            p.setBrush(l.keys.contains("fill") ? QBrush(colour("fill")) : QBrush(Qt::NoBrush));
        };
        const QRectF box(num("x"), num("y"), num("w"), num("h"));
        if (l.command == "fill") {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(QRectF(QPointF(), r.size), colour("colour"));
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        } else if (l.command == "gradient") {
            QLinearGradient g(0, 0, 0, r.size.height());
            g.setColorAt(0, colour("top"));
            g.setColorAt(1, colour("bottom"));
            p.fillRect(QRectF(QPointF(), r.size), g);
        } else if (l.command == "rect") {
            setPenBrush();
            const int radius = num("radius");
            if (radius > 0)
                p.drawRoundedRect(box, radius, radius);
            else
                p.drawRect(box);
        } else if (l.command == "ellipse") {
            setPenBrush();
            p.drawEllipse(box);
        } else if (l.command == "polyline") {
            bool ok = false;
            const QList<QPointF> pts = parsePoints(val("points"), &ok);
            if (!ok) throw SourceError(file, l.line, "points must be at least two x,y pairs");
            setPenBrush();
            if (l.keys.contains("fill"))
                p.drawPolygon(pts.constData(), int(pts.size()));
            else
                p.drawPolyline(pts.constData(), int(pts.size()));
        } else if (l.command == "emoji" || l.command == "text") {
            const QString text = val("text");
            const bool emoji = l.command == "emoji";
            if (emoji) checkEmoji(text, file, l.line);
            QFont f(emoji ? kEmojiFamily : (l.keys.contains("font") ? val("font") : QStringLiteral("黑体")));
            f.setPixelSize(std::max(1, num("size")));
            f.setBold(!emoji && num("bold") != 0);
            f.setStyleStrategy(QFont::PreferAntialias);
            f = fitFont(f, text, num("fit"));
            const QFontMetricsF fm(f);
            const qreal w = fm.horizontalAdvance(text);
            const qreal cx = num("x"), cy = num("y");
            const QString align = l.keys.value("align", "centre");
            const qreal left = align == "left" ? cx : align == "right" ? cx - w : cx - w / 2;
            // Centre the ink of the glyphs vertically on y.
            const QRectF ink = fm.tightBoundingRect(text);
            const qreal base = emoji ? cy + (fm.ascent() - fm.descent()) / 2 : cy - ink.center().y();
            if (emoji) {
                p.setFont(f);
                p.setPen(Qt::black);
                p.drawText(QPointF(left, base), text);
            } else {
                QPainterPath path;
                path.addText(QPointF(left, base), f, text);
                if (l.keys.contains("outline")) {
                    p.setPen(QPen(colour("outline"), num("outlinewidth", 2) * 2, Qt::SolidLine, Qt::RoundCap,
                                  Qt::RoundJoin));
                    p.setBrush(Qt::NoBrush);
                    p.drawPath(path);
                }
                p.setPen(Qt::NoPen);
                p.setBrush(l.keys.contains("colour") ? colour("colour") : QColor(Qt::black));
                p.drawPath(path);
            }
        }
    }
    p.end();
    if (r.format == PictureFormat::Png) return img;
    return img.convertToFormat(QImage::Format_RGB888);
}

}  // namespace

QImage drawRecipe(const Recipe& r, const QHash<QString, QString>& vars) {
    return drawScaled(r, vars, r.size);
}

QImage drawRecipe(const Recipe& r, QSize size) { return drawScaled(r, {}, size); }

QByteArray encodePicture(const QImage& img, PictureFormat format) {
    switch (format) {
        case PictureFormat::Bitmap:
            return encodeBitmap(img);
        case PictureFormat::Jpeg:
            return encodeJpeg(img, 90);
        case PictureFormat::Png: {
            QByteArray out;
            QBuffer buf(&out);
            buf.open(QIODevice::WriteOnly);
            img.save(&buf, "PNG");
            return out;
        }
    }
    return {};
}

}  // namespace kovu::content
