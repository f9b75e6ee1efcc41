#include "data/Upgrade.h"

#include <QDateTime>

#include "platform/Paths.h"

namespace kovu {

QString newerFileText(const QString& shownFile, int version) {
    return QStringLiteral(
               "数据库文件 %1 是较新版本的 Kovu 写的（版本 %2），这个 Kovu 只认识到版本 %3，不能使用它。\n\n"
               "请使用新版本的 Kovu，或者换回这个 Kovu 自己的 kovu.mdb。")
        .arg(shownFile)
        .arg(version)
        .arg(kSchemaVersion);
}

void upgradeSchema(Connection& c) {
    const int version = c.scalar("PRAGMA user_version").toInt();
    if (version > kSchemaVersion) throw NewerFileError(newerFileText(shownPath(c.file()), version));
    if (version == kSchemaVersion) return;
    // Another copy of the program that started at the same moment may have upgraded the file
    // while this one waited for the write lock: the version is read again under it.
    Transaction t(c);
    const int locked = c.scalar("PRAGMA user_version").toInt();
    if (locked >= kSchemaVersion) return;
    if (locked < 1) upgradeToVersion1(c);
    c.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    t.commit();
}

// Children, every judged test answer, and settings beyond the settings row; the first child is
// made current.
void upgradeToVersion1(Connection& c) {
    const QString T = QStringLiteral("TEXT COLLATE NOCASE");
    c.exec("CREATE TABLE yexs (编号 INTEGER PRIMARY KEY, 姓名 " + T + " NOT NULL UNIQUE, 建立 TEXT)");
    c.exec("CREATE TABLE yejl (编号 INTEGER PRIMARY KEY, 学生 INTEGER NOT NULL, 科目 " + T +
           ", 场次 INTEGER, 题目 " + T + ", 条目 " + T + ", 回答 " + T +
           ", 得分 INTEGER, 用时 INTEGER, 时间 TEXT)");
    // A child's answers to one item in one subject (the mistakes), and their tests in order (the chart).
    c.exec("CREATE INDEX yejl_tm ON yejl (学生, 科目, 条目)");
    c.exec("CREATE INDEX yejl_cc ON yejl (学生, 科目, 场次)");
    c.exec("CREATE TABLE yepz (名称 " + T + " PRIMARY KEY, 值 TEXT)");
    c.exec("INSERT INTO yexs (姓名, 建立) VALUES (?, ?)",
           {QStringLiteral("小朋友"), QDateTime::currentDateTime().toString(Qt::ISODate)});
    c.exec("INSERT INTO yepz (名称, 值) VALUES (?, ?)",
           {QStringLiteral("当前学生"), c.scalar("SELECT max(编号) FROM yexs").toString()});
}

}  // namespace kovu
