#include "progress/Progress.h"

#include <sqlcipher/sqlite3.h>

#include <QRegularExpression>
#include <functional>

#include "data/Connection.h"

namespace kovu {

namespace {

QString textAt(sqlite3_stmt* st, int i) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
}

// Runs sql with binds and hands each row to take; the statement is finalised on every path.
void eachRow(Connection& c, const QString& sql, const QVariantList& binds,
             const std::function<void(sqlite3_stmt*)>& take) {
    sqlite3_stmt* st = c.prepare(sql, binds);
    int rc;
    try {
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) take(st);
    } catch (...) {
        sqlite3_finalize(st);
        throw;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) c.raiseError(sql);
}

// The 编号 of each item's latest answer by child ?1 in subject ?2.
const QString kLatestAnswers =
    QStringLiteral("SELECT max(编号) FROM yejl WHERE 学生 = ?1 AND 科目 = ?2 GROUP BY 条目");

// The items of the current mistakes of child ?1 in subject ?2.
QString mistakeItemsSql() {
    return "SELECT 条目 FROM yejl WHERE 编号 IN (" + kLatestAnswers + ") AND " + kWrongAnswer;
}

}  // namespace

QList<TestAverage> lastTests(Connection& c, int child, const QString& subject, int count) {
    QList<TestAverage> out;
    if (count <= 0) return out;
    const QString sql =
        "SELECT 场次, min(时间), sum(得分), "
        "sum(CASE WHEN 科目 = 'p' AND 题目 = 条目 || ' 声调' THEN 0 ELSE 1 END) FROM yejl "
        "WHERE 学生 = ?1 AND 科目 = ?2 AND 场次 >= coalesce((SELECT 场次 FROM yejl WHERE 学生 = ?1 AND "
        "科目 = ?2 GROUP BY 场次 ORDER BY 场次 DESC LIMIT 1 OFFSET ?3), 0) "
        "GROUP BY 场次 ORDER BY 场次";
    eachRow(c, sql, {child, subject, count - 1}, [&out](sqlite3_stmt* st) {
        const int answers = sqlite3_column_int(st, 3);
        const qint64 points = sqlite3_column_int64(st, 2);
        out.push_back({sqlite3_column_int(st, 0), QDate::fromString(textAt(st, 1).left(10), Qt::ISODate),
                       answers > 0 ? static_cast<int>(points / answers) : 0});
    });
    return out;
}

int meanAverage(const QList<TestAverage>& tests) {
    if (tests.isEmpty()) return 0;
    qint64 sum = 0;
    for (const TestAverage& t : tests) sum += t.average;
    return static_cast<int>(qRound64(static_cast<double>(sum) / tests.size()));
}

QList<Mistake> mistakes(Connection& c, int child, const QString& subject) {
    QList<Mistake> out;
    const QString sql =
        "SELECT j.条目, j.题目, j.回答, j.时间, (SELECT count(*) FROM yejl w WHERE w.学生 = ?1 AND "
        "w.科目 = ?2 AND w.条目 = j.条目 AND " +
        kWrongAnswer + ") FROM yejl j WHERE j.编号 IN (" + kLatestAnswers + ") AND " + kWrongAnswer +
        " ORDER BY j.编号 DESC";
    eachRow(c, sql, {child, subject}, [&out](sqlite3_stmt* st) {
        out.push_back({textAt(st, 0), textAt(st, 1), textAt(st, 2), QString(), sqlite3_column_int(st, 4),
                       textAt(st, 3)});
    });
    for (Mistake& m : out) m.rightAnswers = rightAnswersOf(c, subject, m.item);
    return out;
}

QStringList mistakeItems(Connection& c, int child, const QString& subject) {
    QStringList out;
    eachRow(c, mistakeItemsSql(), {child, subject}, [&out](sqlite3_stmt* st) { out << textAt(st, 0); });
    return out;
}

QString rightAnswersOf(Connection& c, const QString& subject, const QString& item) {
    QStringList answers;
    if (subject == "s") {
        static const QRegularExpression sum(QStringLiteral("^(\\d+)([+\\-×])(\\d+)$"));
        const auto m = sum.match(item);
        if (!m.hasMatch()) return {};
        const qint64 a = m.captured(1).toLongLong(), b = m.captured(3).toLongLong();
        const QString op = m.captured(2);
        return QString::number(op == "+" ? a + b : op == "-" ? a - b : a * b);
    }
    const bool pinyin = subject == "p";
    const QString sql =
        pinyin ? QStringLiteral("SELECT 拼音 || ' ' || 音调 FROM yepy WHERE 文字 = ? ORDER BY rowid")
               : QStringLiteral("SELECT 英语 FROM yydc WHERE 汉语 = ? ORDER BY rowid");
    eachRow(c, sql, {item}, [&answers](sqlite3_stmt* st) {
        const QString a = textAt(st, 0);
        if (!answers.contains(a)) answers << a;
    });
    return answers.join(QStringLiteral("或"));
}

int chooseMistakes(Connection& c, int child, const QString& subject) {
    const QString table = subject == "p" ? QStringLiteral("yepy") : QStringLiteral("yydc");
    const QString key = subject == "p" ? QStringLiteral("文字") : QStringLiteral("汉语");
    Transaction t(c);
    const int count = c.scalar("SELECT count(*) FROM (" + mistakeItemsSql() + ")", {child, subject}).toInt();
    if (count == 0) return 0;
    // Only the rows whose choice changes are written.
    const QString chosen = "(" + key + " IN (" + mistakeItemsSql() + "))";
    c.exec("UPDATE " + table + " SET 选中 = " + chosen + " WHERE 选中 IS NOT " + chosen, {child, subject});
    t.commit();
    return count;
}

}  // namespace kovu
