#include "Strokes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>

#include "Source.h"
#include "platform/Errors.h"
#include "strokes/StrokeData.h"

namespace kovu::content {

namespace {

const QString kSourceFolder = QStringLiteral("strokes/hanzi-writer-data");

QList<strokes::SourceStroke> readCharacter(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw SourceError(path, 0, QStringLiteral("cannot be read"));
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
    if (err.error != QJsonParseError::NoError)
        throw SourceError(path, 1, QStringLiteral("not JSON: ") + err.errorString());
    const QJsonArray outlines = doc.object().value(QStringLiteral("strokes")).toArray();
    const QJsonArray medians = doc.object().value(QStringLiteral("medians")).toArray();
    if (outlines.isEmpty() || outlines.size() != medians.size())
        throw SourceError(
            path, 1, QStringLiteral("%1 outlines and %2 medians").arg(outlines.size()).arg(medians.size()));
    QList<strokes::SourceStroke> out;
    for (qsizetype i = 0; i < outlines.size(); ++i) {
        strokes::SourceStroke s;
        s.outline = outlines.at(i).toString();
        for (const QJsonValue& p : medians.at(i).toArray()) {
            const QJsonArray xy = p.toArray();
            if (xy.size() != 2 || !xy.at(0).isDouble() || !xy.at(1).isDouble())
                throw SourceError(path, 1,
                                  QStringLiteral("a median point of stroke %1 is not [x, y]").arg(i + 1));
            // A few medians have quarter units; a unit of 1024 is finer than any screen shows.
            s.median << QPoint(int(std::lround(xy.at(0).toDouble())), int(std::lround(xy.at(1).toDouble())));
        }
        out << s;
    }
    return out;
}

}  // namespace

StrokeReport buildStrokeFile(const QString& contentDir, const QString& out) {
    const QDir source(QDir(contentDir).filePath(kSourceFolder));
    const QStringList files = source.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    StrokeReport report;
    QList<std::pair<char32_t, QByteArray>> characters;
    for (const QString& name : files) {
        const QList<uint> code = name.chopped(5).toUcs4();
        if (code.size() != 1) continue;  // package.json
        const QString path = source.filePath(name);
        const QList<strokes::SourceStroke> strokes = readCharacter(path);
        QString error;
        const QByteArray encoded = strokes::encodeCharacter(strokes, &error);
        if (encoded.isEmpty()) throw SourceError(path, 1, error);
        characters.append({char32_t(code.front()), encoded});
        report.strokes += int(strokes.size());
    }
    if (characters.isEmpty()) fail("no character files in " + source.path());
    report.characters = int(characters.size());
    const QByteArray bytes = strokes::encodeStrokeFile(characters);
    report.bytes = bytes.size();

    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        fail("cannot write " + out);
    const QString licence = QFileInfo(out).absoluteDir().filePath(strokes::kStrokeLicenceName);
    QSaveFile lic(licence);
    QFile from(source.filePath(strokes::kStrokeLicenceName));
    if (!from.open(QIODevice::ReadOnly) || !lic.open(QIODevice::WriteOnly) || lic.write(from.readAll()) < 0 ||
        !lic.commit())
        fail("cannot write " + licence);
    return report;
}

}  // namespace kovu::content
