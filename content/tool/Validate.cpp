#include <QSet>

#include "Build.h"
#include "data/Connection.h"
#include "data/Query.h"

namespace kovu::content {

namespace {

// Reads a whole table in rowid order.
std::vector<QVariantList> rowsOf(Connection& db, const QString& table) {
    Query q(db, "check");
    q.setSql("SELECT * FROM " + table + " ORDER BY rowid");
    q.open();
    std::vector<QVariantList> rows;
    for (q.first(); !q.eof(); q.next()) {
        QVariantList r;
        for (int i = 0; i < q.fieldCount(); ++i) r << q.value(i);
        rows.push_back(r);
    }
    return rows;
}

}  // namespace

QStringList validateDatabase(Connection& db) {
    QStringList problems;
    auto report = [&](const QString& table, int row, const QString& problem) {
        if (!problem.isEmpty()) problems << QString("%1 row %2: %3").arg(table).arg(row).arg(problem);
    };

    const auto settings = rowsOf(db, "yesz");
    if (settings.size() != 1)
        problems << QString("yesz holds %1 rows, not one").arg(settings.size());
    else
        report("yesz", 1, checkManual(settings.front().last().toString()));

    const auto screen = rowsOf(db, "yetp");
    const auto& roles = screenRoles();
    if (screen.size() != roles.size())
        problems << QString("yetp holds %1 rows, not %2").arg(screen.size()).arg(roles.size());
    for (size_t i = 0; i < std::min(screen.size(), roles.size()); ++i) {
        const ScreenRole& role = roles[i];
        if (screen[i][0].toString() != role.code)
            report("yetp", int(i) + 1,
                   QString("code %1 where %2 belongs").arg(screen[i][0].toString(), role.code));
        report("yetp", int(i) + 1,
               checkPicture(screen[i][1].toByteArray(), role.format, QSize(role.width, role.height), true));
    }

    QSet<QString> pinyinBooks, englishBooks, pinyinLessons, englishLessons;
    auto books = [&](const QString& table, QSet<QString>& set) {
        int n = 0;
        for (const QVariantList& r : rowsOf(db, table)) {
            report(table, ++n, checkTextbookNumber(r[0].toString()));
            set.insert(r[0].toString());
        }
    };
    auto lessons = [&](const QString& table, const QSet<QString>& bookSet, QSet<QString>& set) {
        int n = 0;
        for (const QVariantList& r : rowsOf(db, table)) {
            report(table, ++n, checkLessonNumber(r[0].toString(), bookSet));
            set.insert(r[0].toString());
        }
    };
    books("yekb", pinyinBooks);
    books("yykb", englishBooks);
    lessons("yekt", pinyinBooks, pinyinLessons);
    lessons("yykt", englishBooks, englishLessons);

    Dictionary dict;
    int n = 0;
    for (const QVariantList& r : rowsOf(db, "yefc")) {
        ++n;
        report("yefc", n, checkCharacter(r[0].toString()));
        report("yefc", n, checkDictionaryReading(r[1].toString()));
        dict[r[0].toString()] << r[1].toString();
    }

    n = 0;
    for (const QVariantList& r : rowsOf(db, "yepy")) {
        ++n;
        report("yepy", n, checkItemNumber(r[0].toString(), pinyinLessons));
        const QString problem = checkCharacter(r[1].toString());
        report("yepy", n, problem);
        if (problem.isEmpty())
            report("yepy", n, checkReading(r[1].toString(), r[2].toString(), r[3].toString(), dict));
    }

    n = 0;
    for (const QVariantList& r : rowsOf(db, "yydc")) {
        ++n;
        report("yydc", n, checkItemNumber(r[0].toString(), englishLessons));
        report("yydc", n, checkEnglishWord(r[1].toString()));
        report("yydc", n, checkMeaning(r[3].toString()));
        if (!r[4].isNull())
            report("yydc", n,
                   checkPicture(r[4].toByteArray(), PictureFormat::Jpeg, QSize(kWordMaxWidth, kWordMaxHeight),
                                false));
    }

    n = 0;
    for (const QVariantList& r : rowsOf(db, "yetl")) {
        ++n;
        if (r[0].toString().isEmpty()) report("yetl", n, "the picture has no number");
        if (r[2].toString().isEmpty()) report("yetl", n, "the picture has no name");
        report(
            "yetl", n,
            checkPicture(r[1].toByteArray(), PictureFormat::Jpeg, QSize(kExampleSize, kExampleSize), true));
    }
    return problems;
}

}  // namespace kovu::content
