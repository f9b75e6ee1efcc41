#pragma once

#include <QDate>
#include <QList>

namespace kovu {
class Connection;
}

namespace kovu::test {

// A generated history of daily practice: each day from start, each child does a test of
// questions (20 unless given) in each subject (arithmetic sums, the characters and meanings of the file's
// yepy and yydc), wrong now and then, a pinyin answer followed by its tone step; one transaction. Stops after
// total answer rows; the same seed gives the same rows.
void writeAnswerHistory(Connection& c, const QList<int>& children, int total, QDate start, unsigned seed = 7,
                        int questions = 20);

}  // namespace kovu::test
