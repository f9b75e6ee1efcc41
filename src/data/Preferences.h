#pragma once

#include <QString>

namespace kovu {

class Connection;

// Settings beyond the settings row: named values in yepz, each written as soon as it changes.
// The value of name, or fallback when it was never stored.
QString preference(Connection& c, const QString& name, const QString& fallback = QString());
void storePreference(Connection& c, const QString& name, const QString& value);

}  // namespace kovu
