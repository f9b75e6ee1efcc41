#include "strokes/StrokeData.h"

#include <QtEndian>
#include <algorithm>

namespace kovu::strokes {

namespace {

// The file: the magic, the number of characters, then for each character in ascending code point
// order (code point, offset of its bytes from the file's start, their length), then the bytes.
// A character's bytes are qCompress'ed; inside, counts and coordinates are variable-length
// integers, each point as its difference from the one before (zigzag), so most take a byte each.
constexpr char kMagic[8] = {'K', 'O', 'V', 'U', 'S', 'T', 'K', '1'};
constexpr qint64 kHeader = 12;
constexpr qint64 kEntry = 12;
// Limits a sound character stays far inside; bytes past them are damage.
constexpr quint32 kMaxStrokes = 64;
constexpr quint32 kMaxOps = 4096;
constexpr quint32 kMaxMedian = 1024;
constexpr int kMinCoord = -2048, kMaxCoord = 4096;
// The source's y runs upwards from the baseline at 900.
constexpr int kBaseline = 900;

enum Op : quint8 { OpMove, OpLine, OpQuad, OpCubic, OpClose };
constexpr int kOpPoints[] = {1, 1, 2, 3, 0};

void putVarint(QByteArray& out, quint32 v) {
    while (v >= 0x80) {
        out.append(char((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.append(char(v));
}

void putSigned(QByteArray& out, int v) { putVarint(out, (quint32(v) << 1) ^ quint32(v >> 31)); }

struct Writer {
    QByteArray out;
    QPoint last;
    void point(QPoint p) {
        putSigned(out, p.x() - last.x());
        putSigned(out, p.y() - last.y());
        last = p;
    }
};

class Reader {
public:
    explicit Reader(const QByteArray& b) : m_p(b.constData()), m_end(b.constData() + b.size()) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_p == m_end; }
    quint32 varint() {
        quint32 v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            if (m_p == m_end) break;
            const quint8 b = quint8(*m_p++);
            v |= quint32(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        m_ok = false;
        return 0;
    }
    int signedInt() {
        const quint32 z = varint();
        return int(z >> 1) ^ -int(z & 1);
    }
    quint8 byte() {
        if (m_p == m_end) {
            m_ok = false;
            return 0;
        }
        return quint8(*m_p++);
    }
    QPointF point() {
        m_x += signedInt();
        m_y += signedInt();
        if (m_x < kMinCoord || m_x > kMaxCoord || m_y < kMinCoord || m_y > kMaxCoord) m_ok = false;
        return QPointF(m_x, m_y);
    }

private:
    const char* m_p;
    const char* m_end;
    bool m_ok = true;
    int m_x = 0, m_y = 0;
};

// Reads "M 350 571 Q 380 593 449 614 … Z" into ops and points (y turned downwards).
bool writeOutline(Writer& w, const QString& path, QString* error) {
    const QStringList tokens = path.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QByteArray ops;
    QList<QPoint> points;
    for (qsizetype i = 0; i < tokens.size();) {
        const QString& t = tokens.at(i++);
        static const QString letters = QStringLiteral("MLQCZ");
        const qsizetype op = t.size() == 1 ? letters.indexOf(t.at(0)) : -1;
        if (op < 0) {
            if (error) *error = QStringLiteral("unknown path command \"%1\"").arg(t);
            return false;
        }
        ops.append(char(op));
        for (int k = 0; k < kOpPoints[op]; ++k) {
            bool okX = false, okY = false;
            const int x = i + 1 < tokens.size() ? tokens.at(i).toInt(&okX) : 0;
            const int y = i + 1 < tokens.size() ? tokens.at(i + 1).toInt(&okY) : 0;
            if (!okX || !okY) {
                if (error) *error = QStringLiteral("a coordinate of \"%1\" is not an integer").arg(t);
                return false;
            }
            i += 2;
            points << QPoint(x, kBaseline - y);
        }
    }
    if (ops.isEmpty() || ops.front() != char(OpMove)) {
        if (error) *error = QStringLiteral("an outline does not start with M");
        return false;
    }
    putVarint(w.out, quint32(ops.size()));
    qsizetype next = 0;
    for (const char op : ops) {
        w.out.append(op);
        for (int k = 0; k < kOpPoints[int(op)]; ++k) w.point(points.at(next++));
    }
    return true;
}

}  // namespace

QByteArray encodeCharacter(const QList<SourceStroke>& strokes, QString* error) {
    if (strokes.isEmpty() || quint32(strokes.size()) > kMaxStrokes) {
        if (error) *error = QStringLiteral("%1 strokes").arg(strokes.size());
        return {};
    }
    Writer w;
    putVarint(w.out, quint32(strokes.size()));
    for (const SourceStroke& s : strokes) {
        if (!writeOutline(w, s.outline, error)) return {};
        if (s.median.size() < 2 || quint32(s.median.size()) > kMaxMedian) {
            if (error) *error = QStringLiteral("a median of %1 points").arg(s.median.size());
            return {};
        }
        putVarint(w.out, quint32(s.median.size()));
        for (const QPoint& p : s.median) w.point(QPoint(p.x(), kBaseline - p.y()));
    }
    return qCompress(w.out, 9);
}

std::optional<Character> decodeCharacter(const QByteArray& encoded) {
    // qCompress's own length prefix: refuse an absurd one before qUncompress allocates it.
    if (encoded.size() < 4 || qFromBigEndian<quint32>(encoded.constData()) > (1u << 20)) return std::nullopt;
    const QByteArray raw = qUncompress(encoded);
    if (raw.isEmpty()) return std::nullopt;
    Reader r(raw);
    const quint32 n = r.varint();
    if (!r.ok() || n == 0 || n > kMaxStrokes) return std::nullopt;
    Character c;
    c.reserve(int(n));
    for (quint32 s = 0; s < n; ++s) {
        Stroke stroke;
        const quint32 ops = r.varint();
        if (!r.ok() || ops == 0 || ops > kMaxOps) return std::nullopt;
        for (quint32 k = 0; k < ops; ++k) {
            const quint8 op = r.byte();
            if (op > OpClose || (k == 0 && op != OpMove)) return std::nullopt;
            QPointF p[3];
            for (int i = 0; i < kOpPoints[op]; ++i) p[i] = r.point();
            if (!r.ok()) return std::nullopt;
            switch (op) {
                case OpMove:
                    stroke.outline.moveTo(p[0]);
                    break;
                case OpLine:
                    stroke.outline.lineTo(p[0]);
                    break;
                case OpQuad:
                    stroke.outline.quadTo(p[0], p[1]);
                    break;
                case OpCubic:
                    stroke.outline.cubicTo(p[0], p[1], p[2]);
                    break;
                default:
                    stroke.outline.closeSubpath();
            }
        }
        const quint32 m = r.varint();
        if (!r.ok() || m < 2 || m > kMaxMedian) return std::nullopt;
        stroke.median.reserve(int(m));
        for (quint32 k = 0; k < m; ++k) stroke.median << r.point();
        if (!r.ok()) return std::nullopt;
        c << stroke;
    }
    if (!r.atEnd()) return std::nullopt;
    return c;
}

QByteArray encodeStrokeFile(const QList<std::pair<char32_t, QByteArray>>& characters) {
    QList<std::pair<char32_t, QByteArray>> sorted = characters;
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QByteArray out(kMagic, sizeof kMagic);
    const auto put32 = [&out](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    put32(quint32(sorted.size()));
    quint32 offset = quint32(kHeader + kEntry * sorted.size());
    for (const auto& [code, bytes] : sorted) {
        put32(code);
        put32(offset);
        put32(quint32(bytes.size()));
        offset += quint32(bytes.size());
    }
    for (const auto& entry : sorted) out.append(entry.second);
    return out;
}

bool StrokeFile::open(const QString& path) {
    m_count = 0;
    m_data = nullptr;
    if (m_file.isOpen()) m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) return false;
    m_size = m_file.size();
    if (m_size < kHeader) return false;
    m_data = m_file.map(0, m_size);
    if (!m_data || !std::equal(kMagic, kMagic + sizeof kMagic, reinterpret_cast<const char*>(m_data)))
        return false;
    const quint32 n = qFromLittleEndian<quint32>(m_data + 8);
    if (n == 0 || kHeader + kEntry * qint64(n) > m_size) return false;
    // The index must be in ascending order and every character's bytes inside the file.
    m_count = n;
    const qint64 dataStart = kHeader + kEntry * qint64(n);
    for (qint64 i = 0; i < n; ++i) {
        const qint64 off = entry(i, 1), len = entry(i, 2);
        if ((i > 0 && entry(i, 0) <= entry(i - 1, 0)) || off < dataStart || off + len > m_size) {
            m_count = 0;
            return false;
        }
    }
    return true;
}

quint32 StrokeFile::entry(qint64 i, int field) const {
    return qFromLittleEndian<quint32>(m_data + kHeader + kEntry * i + 4 * field);
}

QList<char32_t> StrokeFile::characters() const {
    QList<char32_t> out;
    out.reserve(int(m_count));
    for (qint64 i = 0; i < m_count; ++i) out << char32_t(entry(i, 0));
    return out;
}

qint64 StrokeFile::find(char32_t c) const {
    qint64 lo = 0, hi = qint64(m_count) - 1;
    while (lo <= hi) {
        const qint64 mid = (lo + hi) / 2;
        const quint32 code = entry(mid, 0);
        if (code == c) return mid;
        if (code < c)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

std::optional<Character> StrokeFile::character(char32_t c) const {
    const qint64 i = find(c);
    if (i < 0) return std::nullopt;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(m_data + entry(i, 1)), qsizetype(entry(i, 2)));
    return decodeCharacter(bytes);
}

QStringList StrokeLibrary::candidatesFor(const QString& programFolder) {
    return {programFolder + kStrokeFileName, programFolder + kStrokeFileFromProgram};
}

const StrokeFile* StrokeLibrary::file() {
    if (!m_tried) {
        m_tried = true;
        for (const QString& path : m_candidates) {
            auto f = std::make_unique<StrokeFile>();
            if (f->open(path)) {
                m_file = std::move(f);
                break;
            }
        }
    }
    return m_file.get();
}

std::optional<Character> StrokeLibrary::character(const QString& text) {
    if (text.isEmpty()) return std::nullopt;
    const StrokeFile* f = file();
    if (!f) return std::nullopt;
    return f->character(text.toUcs4().value(0));
}

}  // namespace kovu::strokes
