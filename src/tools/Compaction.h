#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "data/Shared.h"

namespace kovu {

// The temporary file of a compaction, beside the database.
inline constexpr const char* kCompactionTempName = "ls.mdb";

// The steps of a compaction, as an observer sees them (tests stop a compaction at each of them).
enum class CompactStep {
    BeforeCopy,    // the database is held alone, the copy not yet begun
    Exporting,     // reported again and again while the rows are copied
    Checked,       // the copy is complete, checked and synced
    BeforeRename,  // the old file's left-over logs are gone; the copy is about to take its name
    Renamed,       // the copy is the database now
};

struct CompactionResult {
    bool ok = false;
    qint64 sizeBefore = 0;  // bytes
    qint64 sizeAfter = 0;   // bytes
    QString error;          // why it failed
};

// Compacts the encrypted database dbFile through the temporary file tempFile (same key): a
// left-over tempFile is deleted first; the file must pass the integrity check before it is copied;
// the compacted copy is checked (it opens with the key, passes the integrity check and holds as
// many rows in every table) and synced, and only then renamed over dbFile in one step. On any
// failure dbFile stays as it was, the copy is removed and error says why. The database must not be
// open elsewhere: a second program holding it open makes the compaction fail. When dbFile is a
// link, the file it names is compacted beside itself (the temporary file, of tempFile's name, lies
// there too) and the link stays.
CompactionResult compactDatabaseFile(const QString& dbFile, const QString& tempFile, const QByteArray& key,
                                     const std::function<void(CompactStep)>& observer = {});

// Bytes as kilobytes in the general number format: up to 15 significant digits, no thousands
// separator, a decimal point only for a fraction (1 048 576 gives 1024, 1 000 000 gives 976.5625).
QString kilobytesText(qint64 bytes);
// The report after a compaction.
QString compactionDoneText(qint64 sizeBefore, qint64 sizeAfter);

inline const QString kCompactionFailedText = QStringLiteral("压缩数据库没有成功！请检查原因！");

// The click on "压缩数据库(&Y)": closes the connection and every query on it, compacts the file
// under the busy cursor and reports; the next statement reopens the connection. observer, when
// set, sees the steps of the compaction.
void spbYsClick(FormContext& ctx, const std::function<void(CompactStep)>& observer = {});

}  // namespace kovu
