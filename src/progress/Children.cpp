#include "progress/Children.h"

#include <sqlcipher/sqlite3.h>

#include "data/Connection.h"
#include "data/Preferences.h"

namespace kovu {

QList<Child> children(Connection& c) {
    QList<Child> out;
    sqlite3_stmt* st = c.prepare("SELECT 编号, 姓名 FROM yexs ORDER BY 编号", {});
    while (sqlite3_step(st) == SQLITE_ROW)
        out.push_back({sqlite3_column_int(st, 0),
                       QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)))});
    sqlite3_finalize(st);
    return out;
}

int currentChild(Connection& c) {
    const QVariant v = c.scalar(
        "SELECT coalesce((SELECT 编号 FROM yexs WHERE 编号 = (SELECT 值 FROM yepz WHERE 名称 = ?)), "
        "(SELECT min(编号) FROM yexs), 0)",
        {kCurrentChildSetting});
    return v.toInt();
}

QString childName(Connection& c, int id) {
    return c.scalar("SELECT 姓名 FROM yexs WHERE 编号 = ?", {id}).toString();
}

void setCurrentChild(Connection& c, int id) { storePreference(c, kCurrentChildSetting, QString::number(id)); }

QString childNameProblem(Connection& c, const QString& name, int except) {
    if (name.trimmed().isEmpty()) return QStringLiteral("请先在名字框里输入练习者的名字。");
    if (name.size() > kChildNameMaxLength)
        return QStringLiteral("名字“%1”太长了：名字最多%2个字。").arg(name).arg(kChildNameMaxLength);
    if (c.scalar("SELECT count(*) FROM yexs WHERE 姓名 = ? AND 编号 <> ?", {name, except}).toInt() > 0)
        return QStringLiteral("已经有叫“%1”的练习者了，请换一个名字。").arg(name);
    return {};
}

int addChild(Connection& c, const QString& name, const QString& createdAt) {
    c.exec("INSERT INTO yexs (姓名, 建立) VALUES (?, ?)", {name, createdAt});
    return static_cast<int>(sqlite3_last_insert_rowid(c.handle()));
}

void renameChild(Connection& c, int id, const QString& name) {
    c.exec("UPDATE yexs SET 姓名 = ? WHERE 编号 = ?", {name, id});
}

bool removeChild(Connection& c, int id) {
    if (c.scalar("SELECT count(*) FROM yexs WHERE 编号 <> ?", {id}).toInt() == 0) return false;
    const bool wasCurrent = currentChild(c) == id;
    Transaction t(c);
    c.exec("DELETE FROM yejl WHERE 学生 = ?", {id});
    c.exec("DELETE FROM yexs WHERE 编号 = ?", {id});
    if (wasCurrent) setCurrentChild(c, currentChild(c));
    t.commit();
    return true;
}

}  // namespace kovu
