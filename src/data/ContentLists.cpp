#include "data/ContentLists.h"

#include "data/Numbering.h"
#include "data/Query.h"

namespace kovu {

ContentTables contentTables(bool pinyin) {
    if (pinyin) return {QStringLiteral("yekb"), QStringLiteral("yekt"), QStringLiteral("yepy")};
    return {QStringLiteral("yykb"), QStringLiteral("yykt"), QStringLiteral("yydc")};
}

QStringList textbookEntries(Query& q, const QString& textbookTable) {
    QStringList out;
    q.setSql("SELECT * FROM " + textbookTable);
    q.open();
    for (q.first(); !q.eof(); q.next()) out << textbookEntry(q.text(0), q.text(1));
    q.close();
    return out;
}

QStringList lessonEntries(Query& q, const QString& lessonTable, const QString& d) {
    QStringList out;
    q.setSql("SELECT * FROM " + lessonTable + " WHERE " + kTextbookMemberSql, {d});
    q.open();
    for (q.first(); !q.eof(); q.next()) out << lessonEntry(q.text(0), q.text(1));
    q.close();
    return out;
}

}  // namespace kovu
