#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace kovu::strokes {

// The data file beside the program, and where an installed program finds it.
inline const QString kStrokeFileName = QStringLiteral("kovu-strokes.dat");
inline const QString kStrokeFileFromProgram = QStringLiteral("../share/kovu/kovu-strokes.dat");
// The licence of the data, written beside the file.
inline const QString kStrokeLicenceName = QStringLiteral("ARPHICPL.TXT");

// Every coordinate lies in a box of this many units, y downwards as the screen draws it.
constexpr double kBoxSize = 1024;

// One stroke: its outline, and its median, the line along its middle from where the brush
// starts to where it leaves.
struct Stroke {
    QPainterPath outline;
    QList<QPointF> median;
};

using Character = QList<Stroke>;

// The source form of one stroke: an outline as SVG path text (M, L, Q, C, Z with integer
// coordinates) and its median, both with y upwards and the baseline at 900, as the data delivers them.
struct SourceStroke {
    QString outline;
    QList<QPoint> median;
};

// One character's strokes in the file's form (compressed), or an empty array and a reason when a
// path cannot be read.
QByteArray encodeCharacter(const QList<SourceStroke>& strokes, QString* error);
// A character from its encoded form; nothing when the bytes are damaged.
std::optional<Character> decodeCharacter(const QByteArray& encoded);
// The whole file from encoded characters by code point (any order).
QByteArray encodeStrokeFile(const QList<std::pair<char32_t, QByteArray>>& characters);

// The data file, read in place (mapped). open() checks the header and the index; a character whose
// bytes are damaged reads as not held.
class StrokeFile {
public:
    // False when the file is missing, unreadable or not a sound stroke file.
    bool open(const QString& path);
    bool isOpen() const { return m_count > 0; }
    int count() const { return int(m_count); }
    // The code points held, in ascending order.
    QList<char32_t> characters() const;
    bool holds(char32_t c) const { return find(c) >= 0; }
    std::optional<Character> character(char32_t c) const;

private:
    qint64 find(char32_t c) const;
    quint32 entry(qint64 i, int field) const;

    QFile m_file;
    const uchar* m_data = nullptr;
    qint64 m_size = 0;
    quint32 m_count = 0;
};

// The one stroke file of the program, opened the first time a character is asked for, from the
// first of the candidate paths that opens.
class StrokeLibrary {
public:
    explicit StrokeLibrary(QStringList candidates) : m_candidates(std::move(candidates)) {}
    // The candidates of a program in programFolder (with its trailing separator).
    static QStringList candidatesFor(const QString& programFolder);
    // The file, opening it on first use; nullptr when none of the candidates is a sound file.
    const StrokeFile* file();
    // The strokes of the first character of text, when the file holds it.
    std::optional<Character> character(const QString& text);
    bool opened() const { return m_tried; }

private:
    QStringList m_candidates;
    std::unique_ptr<StrokeFile> m_file;
    bool m_tried = false;
};

}  // namespace kovu::strokes
