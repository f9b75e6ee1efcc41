#include "Source.h"

#include <QFile>
#include <QStringDecoder>

namespace kovu::content {

SourceError::SourceError(const QString& file, int line, const QString& message)
    : std::runtime_error((line > 0 ? QString("%1:%2: %3").arg(file).arg(line).arg(message)
                                   : QString("%1: %2").arg(file, message))
                             .toStdString()),
      m_file(file),
      m_line(line),
      m_message(message) {}

QString SourceError::text() const { return QString::fromStdString(what()); }

QString readText(const QString& path, const QString& name) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw SourceError(name, 0, "cannot be read");
    const QByteArray bytes = f.readAll();
    QStringDecoder dec(QStringDecoder::Utf8);
    QString text = dec.decode(bytes);
    if (dec.hasError()) {
        // Name the first line that holds the bad bytes.
        int line = 1;
        for (const QByteArray& l : bytes.split('\n')) {
            QStringDecoder d(QStringDecoder::Utf8);
            (void)d.decode(l);
            if (d.hasError()) break;
            ++line;
        }
        throw SourceError(name, line, "not valid UTF-8");
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

SourceTable readTable(const QString& path, const QString& name, int columns) {
    const QString text = readText(path, name);
    SourceTable t;
    t.file = name;
    const QStringList lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString l = lines.at(i);
        if (l.endsWith('\r')) l.chop(1);
        const QString trimmed = l.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#')) continue;
        SourceRow row;
        row.line = i + 1;
        for (const QString& f : l.split('|')) row.fields << f.trimmed();
        if (row.fields.size() != columns)
            throw SourceError(name, row.line,
                              QString("expected %1 fields separated by \"|\", found %2")
                                  .arg(columns)
                                  .arg(row.fields.size()));
        t.rows.push_back(std::move(row));
    }
    return t;
}

}  // namespace kovu::content
