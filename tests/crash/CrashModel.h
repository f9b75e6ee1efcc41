#pragma once

// What the crash test follows of the database, shared by the test and its writer: the writer reads
// it right after start-up (before its first write), the test compares it with what had returned.
#include <sqlcipher/sqlite3.h>

#include <QString>
#include <QStringList>
#include <set>
#include <vector>

#include "data/Connection.h"

namespace kovu::test {

struct Holding {
    int scores = 0;               // rows of sscj
    int answers = 0;              // arithmetic rows of the answer log, of every session
    std::set<QString> chosen;     // lessons of 101, 102 whose 1 000 characters are all chosen
    int added = 0;                // characters added one by one
    std::set<QString> textbooks;  // textbooks 5..8 that are there with their lessons and characters
    bool fit = false;             // 自动适应屏幕
    bool operator==(const Holding&) const = default;
};

inline QString joined(const std::set<QString>& s) {
    return s.empty() ? QStringLiteral("-") : QStringList(s.begin(), s.end()).join(',');
}

inline std::set<QString> split(const QString& s) {
    std::set<QString> out;
    if (s != "-")
        for (const QString& p : s.split(',', Qt::SkipEmptyParts)) out.insert(p);
    return out;
}

// "scores added fit chosen textbooks answers", e.g. "5 3 1 101 6,7 12"; the sets are "-" when empty.
inline QString encode(const Holding& h) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(h.scores)
        .arg(h.added)
        .arg(h.fit ? 1 : 0)
        .arg(joined(h.chosen), joined(h.textbooks))
        .arg(h.answers);
}

inline Holding decode(const QString& s) {
    const QStringList f = s.split(' ');
    Holding h;
    h.scores = f.value(0).toInt();
    h.added = f.value(1).toInt();
    h.fit = f.value(2) == "1";
    h.chosen = split(f.value(3));
    h.textbooks = split(f.value(4));
    h.answers = f.value(5).toInt();
    return h;
}

inline std::string describe(const Holding& h) {
    return QStringLiteral("scores %1, answers %6, chosen {%2}, added %3, textbooks {%4}, fit %5")
        .arg(h.scores)
        .arg(joined(h.chosen))
        .arg(h.added)
        .arg(joined(h.textbooks))
        .arg(h.fit)
        .arg(h.answers)
        .toStdString();
}

// The holding after a write of the writer returned (see tests/crash/writer).
inline Holding after(Holding h, const QString& op, const QString& arg) {
    if (op == "S") h.scores = 0;
    if (op == "A") {
        h.scores = arg.toInt();
        ++h.answers;
    }
    if (op == "G") h.chosen = {arg};
    if (op == "Q") h.chosen.insert(arg);
    if (op == "C") h.chosen.clear();
    if (op == "N") h.added = arg.toInt();
    if (op == "K") h.textbooks.insert(arg);
    if (op == "X") h.textbooks.erase(arg);
    if (op == "P") h.fit = arg == "1";
    return h;
}

// Reads what the file holds. Every sign of a change found in part, and a failed integrity check,
// goes to faults.
inline Holding observe(Connection& c, QStringList& faults) {
    Holding h;
    const QString integrity = c.scalar("PRAGMA integrity_check").toString();
    if (integrity != "ok") faults << "integrity check: " + integrity;
    // Score records: numbered 1..n in order, each with the running average of its session.
    sqlite3_stmt* st = c.prepare("SELECT 序号, 得分, 平均分 FROM sscj ORDER BY rowid", {});
    int total = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++h.scores;
        total += sqlite3_column_int(st, 1);
        if (sqlite3_column_int(st, 0) != h.scores)
            faults << QStringLiteral("score record %1 out of sequence").arg(h.scores);
        if (sqlite3_column_int(st, 2) != total / h.scores)
            faults << QStringLiteral("score record %1 with a wrong running average").arg(h.scores);
    }
    sqlite3_finalize(st);
    // Answer rows: the session's score records are the last rows of the log, one for one with the
    // same points, all of one test, and the row before them (if any) is of an earlier test.
    // A file the program never opened has no answer log yet.
    if (c.scalar("SELECT count(*) FROM sqlite_master WHERE name = 'yejl'").toInt() > 0) {
        h.answers = c.scalar("SELECT count(*) FROM yejl WHERE 科目 = 's'").toInt();
        std::vector<int> points, tests;
        st = c.prepare("SELECT 得分, 场次 FROM yejl WHERE 科目 = 's' ORDER BY 编号 DESC LIMIT ?",
                       {h.scores + 1});
        while (sqlite3_step(st) == SQLITE_ROW) {
            points.insert(points.begin(), sqlite3_column_int(st, 0));
            tests.insert(tests.begin(), sqlite3_column_int(st, 1));
        }
        sqlite3_finalize(st);
        if (h.scores > 0) {
            const size_t first = points.size() > size_t(h.scores) ? 1 : 0;
            if (points.size() - first != size_t(h.scores))
                faults << "score records without their answer rows";
            std::vector<int> recorded;
            st = c.prepare("SELECT 得分 FROM sscj ORDER BY rowid", {});
            while (sqlite3_step(st) == SQLITE_ROW) recorded.push_back(sqlite3_column_int(st, 0));
            sqlite3_finalize(st);
            if (std::vector<int>(points.begin() + first, points.end()) != recorded)
                faults << "the answer rows do not match the score records";
            for (size_t i = first; i < tests.size(); ++i)
                if (tests[i] != tests.back()) faults << "a session's answer rows in two tests";
            if (first == 1 && tests.front() == tests.back())
                faults << "an answer row of the session without its score record";
        }
    }
    for (const QString L : {"101", "102"}) {
        const int n = c.scalar("SELECT count(*) FROM yepy WHERE 编号 = ? AND 选中 = 1", {L}).toInt();
        if (n != 0 && n != 1000) faults << QStringLiteral("lesson %1 half chosen (%2 of 1000)").arg(L).arg(n);
        if (n == 1000) h.chosen.insert(L);
    }
    if (c.scalar("SELECT count(*) FROM yepy WHERE 选中 = 1 AND 编号 NOT IN ('101', '102')").toInt() != 0)
        faults << "characters chosen outside lessons 101 and 102";
    h.added = c.scalar("SELECT count(*) FROM yepy WHERE 拼音 LIKE 'add%'").toInt();
    if (c.scalar("SELECT count(DISTINCT 拼音) FROM yepy WHERE 拼音 LIKE 'add%'").toInt() != h.added ||
        (h.added > 0 &&
         c.scalar("SELECT count(*) FROM yepy WHERE 拼音 = ?", {QStringLiteral("add%1").arg(h.added)})
                 .toInt() != 1))
        faults << "the additions are not add1 to add" + QString::number(h.added);
    for (int d = 5; d <= 8; ++d) {
        const QString D = QString::number(d);
        const int kb = c.scalar("SELECT count(*) FROM yekb WHERE 课本号 = ?", {D}).toInt();
        const int kt = c.scalar("SELECT count(*) FROM yekt WHERE substr(编号, 1, 1) = ?", {D}).toInt();
        const int py = c.scalar("SELECT count(*) FROM yepy WHERE substr(编号, 1, 1) = ?", {D}).toInt();
        const bool whole = kb == 1 && kt == 3 && py == 150;
        if (!whole && (kb || kt || py))
            faults << QStringLiteral("textbook %1 in part: %2 textbook rows, %3 lessons, %4 characters")
                          .arg(d)
                          .arg(kb)
                          .arg(kt)
                          .arg(py);
        if (whole) h.textbooks.insert(D);
    }
    if (c.scalar("SELECT count(*) FROM yesz").toInt() != 1) faults << "the settings row is not one row";
    h.fit = c.scalar("SELECT 自动适应屏幕 FROM yesz").toBool();
    return h;
}

}  // namespace kovu::test
