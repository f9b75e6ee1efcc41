#include "AnswerHistory.h"

#include <sqlcipher/sqlite3.h>

#include <QDateTime>
#include <QStringList>
#include <random>

#include "TestSupport.h"
#include "data/Connection.h"

namespace kovu::test {

void writeAnswerHistory(Connection& c, const QList<int>& children, int total, QDate start, unsigned seed,
                        int questions) {
    std::mt19937 draw(seed);
    auto below = [&draw](int n) { return static_cast<int>(draw() % static_cast<unsigned>(n)); };
    const QStringList characters = rows(c, "SELECT DISTINCT 文字 FROM yepy");
    const QStringList meanings = rows(c, "SELECT DISTINCT 汉语 FROM yydc");
    const QStringList subjects = {"s", "p", "y"};
    Transaction t(c);
    const char* sql =
        "INSERT INTO yejl (学生, 科目, 场次, 题目, 条目, 回答, 得分, 用时, 时间) VALUES (?, ?, ?, ?, ?, ?, "
        "?, ?, ?)";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(c.handle(), sql, -1, &st, nullptr) != SQLITE_OK) c.raiseError(sql);
    auto insert = [&](int child, const QString& subject, int test, const QString& question,
                      const QString& item, const QString& typed, int points, const QDateTime& at) {
        const QByteArray q = question.toUtf8(), i = item.toUtf8(), a = typed.toUtf8(), s = subject.toUtf8(),
                         when = at.toString(Qt::ISODate).toUtf8();
        sqlite3_bind_int(st, 1, child);
        sqlite3_bind_text(st, 2, s.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 3, test);
        sqlite3_bind_text(st, 4, q.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 5, i.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 6, a.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 7, points);
        sqlite3_bind_int(st, 8, 1500 + below(6000));
        sqlite3_bind_text(st, 9, when.constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(st) != SQLITE_DONE) {
            sqlite3_finalize(st);
            c.raiseError("INSERT INTO yejl");
        }
        sqlite3_reset(st);
    };
    int written = 0;
    QList<int> tests(children.size() * subjects.size(), 0);
    for (QDate day = start; written < total; day = day.addDays(1)) {
        for (int k = 0; k < children.size() && written < total; ++k) {
            for (int j = 0; j < subjects.size() && written < total; ++j) {
                const QString subject = subjects.at(j);
                const int test = ++tests[k * subjects.size() + j];
                QDateTime at(day, QTime(17, 0).addSecs(k * 1800 + j * 600));
                for (int n = 0; n < questions && written < total; ++n, at = at.addSecs(8)) {
                    const bool wrong = below(100) < 12 + 4 * k;
                    if (subject == "s") {
                        const int a = below(10), b = below(10);
                        const QString item = QStringLiteral("%1+%2").arg(a).arg(b);
                        insert(children.at(k), subject, test, QStringLiteral("%1 + %2 =").arg(a).arg(b), item,
                               QString::number(a + b + (wrong ? 1 : 0)), wrong ? 0 : 100, at);
                        ++written;
                    } else if (subject == "p") {
                        const QString ch = characters.value(below(std::max<int>(1, characters.size())));
                        insert(children.at(k), subject, test, ch, ch, wrong ? "ma" : "zhong", wrong ? 0 : 100,
                               at);
                        ++written;
                        if (!wrong && written < total) {
                            const bool toneWrong = below(100) < 8;
                            insert(children.at(k), subject, test, ch + " 声调", ch,
                                   toneWrong ? "zhong 3" : "zhong 1", toneWrong ? -15 : 0, at);
                            ++written;
                        }
                    } else {
                        const QString m = meanings.value(below(std::max<int>(1, meanings.size())));
                        insert(children.at(k), subject, test, m, m, wrong ? "aple" : "apple", wrong ? 0 : 100,
                               at);
                        ++written;
                    }
                }
            }
        }
    }
    sqlite3_finalize(st);
    t.commit();
}

}  // namespace kovu::test
