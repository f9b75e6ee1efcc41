#pragma once

#include <QString>

namespace kovu::content {

struct StrokeReport {
    int characters = 0;
    int strokes = 0;
    qint64 bytes = 0;
};

// Writes the stroke data file from the copy of hanzi-writer-data under contentDir/strokes: every
// character file (its name one character, its content {"strokes": [...], "medians": [...]}) in the
// program's own form, and the data's licence text beside out. The file is written under another
// name and renamed into place only when every character was read. A character file that cannot be
// read raises SourceError naming it.
StrokeReport buildStrokeFile(const QString& contentDir, const QString& out);

}  // namespace kovu::content
