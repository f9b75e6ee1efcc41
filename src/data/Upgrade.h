#pragma once

#include "data/Connection.h"

namespace kovu {

// The schema version this program writes and knows (PRAGMA user_version). A file without one is a
// version 0 file: the tables of Schema.cpp, as every delivered or compacted file had them.
inline constexpr int kSchemaVersion = 1;

// A file written by a later program: its tables may mean what this program does not know.
class NewerFileError : public OpenError {
public:
    using OpenError::OpenError;
};

// The message for a file of version found (with the file as shown).
QString newerFileText(const QString& shownFile, int version);

// Brings an open practice database up to kSchemaVersion: every step from the file's version on, in
// one transaction with the new user_version, so a failure leaves the file as it was. Steps only add
// tables and rows of their own. A file of a newer version is refused before anything is written.
void upgradeSchema(Connection& c);

// The single steps, one per version.
void upgradeToVersion1(Connection& c);

}  // namespace kovu
