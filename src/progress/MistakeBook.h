#pragma once

#include <QString>
#include <QStringList>

namespace kovu {

class Connection;

// What the practice screens ask of the current child's mistakes: the child's name for their
// messages, the mistakes' items of a subject ("s", "p" or "y") and choosing only those on the
// selection screens.
class MistakeBook {
public:
    virtual ~MistakeBook() = default;
    virtual QString childName() = 0;
    virtual QStringList mistakeItems(const QString& subject) = 0;
    // 选中 set to exactly the rows of the mistakes of subject ("p" or "y") in one transaction;
    // the number of mistakes, 0 with nothing changed.
    virtual int chooseMistakes(const QString& subject) = 0;
};

// The mistake book of whoever is the current child when it is asked.
class CurrentChildMistakes : public MistakeBook {
public:
    explicit CurrentChildMistakes(Connection& c) : m_con(c) {}
    QString childName() override;
    QStringList mistakeItems(const QString& subject) override;
    int chooseMistakes(const QString& subject) override;

private:
    Connection& m_con;
};

}  // namespace kovu
