#pragma once

#include <QString>
#include <QVariant>
#include <initializer_list>
#include <utility>

namespace kovu {

class Query;

// The settings row: the first row of "SELECT * FROM yesz".
inline const QString kSettingsSql = QStringLiteral("SELECT * FROM yesz");

// Opens the settings row on q and leaves it open at its first row.
void openSettingsRow(Query& q);
// Stores fields of the settings row on q: open, first, edit, assign, post, close.
void storeSettings(Query& q, std::initializer_list<std::pair<QString, QVariant>> fields);
// Reads one field of the settings row on q and closes it again.
QVariant readSetting(Query& q, const QString& field);

}  // namespace kovu
