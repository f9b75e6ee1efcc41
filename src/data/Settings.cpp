#include "data/Settings.h"

#include "data/Query.h"
#include "platform/Errors.h"

namespace kovu {

void openSettingsRow(Query& q) {
    q.setSql(kSettingsSql);
    q.open();
    q.first();
    if (q.eof()) {
        q.close();
        fail(QStringLiteral("数据库中没有设置记录（yesz）。"));
    }
}

void storeSettings(Query& q, std::initializer_list<std::pair<QString, QVariant>> fields) {
    openSettingsRow(q);
    try {
        q.updateCurrent(fields);
    } catch (...) {
        q.close();
        throw;
    }
    q.close();
}

QVariant readSetting(Query& q, const QString& field) {
    openSettingsRow(q);
    const QVariant v = q.value(field);
    q.close();
    return v;
}

}  // namespace kovu
