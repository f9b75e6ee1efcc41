#pragma once

#include <QString>
#include <QStringList>

namespace kovu {

class Connection;

// The tables of kovu.mdb with their columns in the order the program relies on. Booleans are
// 0/1, text equality ignores letter case, pictures are blobs, the score tables carry a date-time.
QStringList schemaStatements();
// Creates every table and index in an empty database.
void createSchema(Connection& c);
// Names of all tables the program uses.
QStringList schemaTables();

}  // namespace kovu
