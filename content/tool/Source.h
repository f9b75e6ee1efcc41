#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

namespace kovu::content {

// A fault in a content source: the file, the 1-based line (0 when the fault concerns the whole
// file) and what is wrong. what() reads "file:line: message".
class SourceError : public std::runtime_error {
public:
    SourceError(const QString& file, int line, const QString& message);
    const QString& file() const { return m_file; }
    int line() const { return m_line; }
    const QString& message() const { return m_message; }
    QString text() const;

private:
    QString m_file;
    int m_line;
    QString m_message;
};

// One row of a text source: its fields and the line it stands on.
struct SourceRow {
    int line = 0;
    QStringList fields;
};

// A text source of rows, one per line, fields separated by "|" and trimmed. Blank lines and lines
// whose first non-blank character is "#" are skipped. Every row must have exactly `columns` fields.
struct SourceTable {
    QString file;  // the name used in messages (relative to the content folder)
    std::vector<SourceRow> rows;
};

// Reads path (UTF-8). name is the file name given in messages. Raises SourceError.
SourceTable readTable(const QString& path, const QString& name, int columns);

// Reads a whole UTF-8 file; raises SourceError when it cannot be read or is not valid UTF-8.
QString readText(const QString& path, const QString& name);

}  // namespace kovu::content
