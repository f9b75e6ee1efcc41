#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "Content.h"

namespace kovu {
class Connection;
}

namespace kovu::content {

// Figures of one build, for the tool's report.
struct BuildReport {
    qint64 milliseconds = 0;
    qint64 bytes = 0;
    int rows = 0;
    int pictures = 0;
};

// Builds the delivered database from the content folder into out. The database is written to a
// temporary file beside out and renamed over it only when everything succeeded, so a failed build
// leaves an earlier out untouched and no temporary file behind. Raises SourceError or KovuError.
BuildReport buildDatabase(const QString& contentDir, const QString& out);

// Draws the form's own pictures into outDir (each written to a temporary name, then renamed).
void writeFormPictures(const QString& contentDir, const QString& outDir);

// The sizes of the application's icon in the desktop's icon theme.
inline const QList<int> kIconSizes = {16, 32, 48, 64, 128, 256};
// Draws the program's own picture (kovu.png of the form's pictures) at each icon size into the
// icon theme's layout under outDir: <n>x<n>/apps/<name>.png. Each file is written to a temporary
// name, then renamed.
void writeAppIcons(const QString& contentDir, const QString& outDir, const QString& name);

// Checks a built database against every content rule; returns the problems found, each naming
// the table and row ("yepy row 12: ...").
QStringList validateDatabase(Connection& db);

// Writes one PNG showing every screen, word and example picture with its name.
void writeContactSheet(Connection& db, const QString& outPng);

// Converts the per-character pinyin data of go-pinyin (pinyin_dict.go) into the dictionary
// source: one line per GB2312 character, "字 | reading reading ...". Returns the number of lines.
int convertDictionary(const QString& goFile, const QString& outFile);

}  // namespace kovu::content
