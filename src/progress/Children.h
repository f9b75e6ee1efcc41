#pragma once

#include <QList>
#include <QString>

namespace kovu {

class Connection;

// The children who practise (yexs), by 编号; the current one is the setting 当前学生.
struct Child {
    int id = 0;
    QString name;
};

inline constexpr int kChildNameMaxLength = 20;
inline const QString kCurrentChildSetting = QStringLiteral("当前学生");

QList<Child> children(Connection& c);
// The current child: the stored one while it is there, else the first child (0 when there is none).
int currentChild(Connection& c);
QString childName(Connection& c, int id);
void setCurrentChild(Connection& c, int id);

// Why name cannot be given to a child (empty when it can): empty, too long, or another child's
// (other than except) already.
QString childNameProblem(Connection& c, const QString& name, int except = 0);
// Adds a child and returns its number; renames one. The name must have no problem.
int addChild(Connection& c, const QString& name, const QString& createdAt);
void renameChild(Connection& c, int id, const QString& name);
// Removes a child with every answer of theirs in one transaction; the last child stays (false).
// When the child was current, the first remaining child becomes current.
bool removeChild(Connection& c, int id);

}  // namespace kovu
