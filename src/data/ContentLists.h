#pragma once

#include <QString>
#include <QStringList>

namespace kovu {

class Query;

// The three tables of one kind of content: pinyin (yekb, yekt, yepy) or English (yykb, yykt, yydc).
struct ContentTables {
    QString textbook;
    QString lesson;
    QString item;
};
ContentTables contentTables(bool pinyin);

// The entries "课本号.课本名称" of every textbook, in table order, read on q (left closed).
QStringList textbookEntries(Query& q, const QString& textbookTable);
// The entries "编号.课题" of the lessons of textbook digit d, in table order, read on q (left closed).
QStringList lessonEntries(Query& q, const QString& lessonTable, const QString& d);

}  // namespace kovu
