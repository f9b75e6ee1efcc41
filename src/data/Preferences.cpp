#include "data/Preferences.h"

#include "data/Connection.h"

namespace kovu {

QString preference(Connection& c, const QString& name, const QString& fallback) {
    const QVariant v = c.scalar("SELECT 值 FROM yepz WHERE 名称 = ?", {name});
    return v.isValid() ? v.toString() : fallback;
}

void storePreference(Connection& c, const QString& name, const QString& value) {
    c.exec("INSERT OR REPLACE INTO yepz (名称, 值) VALUES (?, ?)", {name, value});
}

}  // namespace kovu
