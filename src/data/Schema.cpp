#include "data/Schema.h"

#include "data/Connection.h"

namespace kovu {

QStringList schemaStatements() {
    const QString T = "TEXT COLLATE NOCASE";
    const QString B = "BOOLEAN NOT NULL DEFAULT 0 CHECK (%1 IN (0, 1))";
    auto boolean = [&](const QString& col) { return col + " " + QString(B).arg(col); };
    QStringList s;
    s << "CREATE TABLE yesz (" + boolean("自动适应屏幕") + ", " + boolean("不显示例图") +
             ", "
             "算术类型 INTEGER NOT NULL DEFAULT 0, 最大数字 INTEGER NOT NULL DEFAULT 0, "
             "图例图片 INTEGER NOT NULL DEFAULT -1, 课本号 INTEGER NOT NULL DEFAULT 1, "
             "课题号 INTEGER NOT NULL DEFAULT 1, 英课本 INTEGER NOT NULL DEFAULT 1, "
             "英课题 INTEGER NOT NULL DEFAULT 1, " +
             boolean("标注声调") + ", 声调去分 " + T + " DEFAULT '0', " + boolean("拼音排序") +
             ", 输入法 INTEGER NOT NULL DEFAULT 0, 帮助 TEXT)";
    s << "CREATE TABLE yetp (图号 " + T + " NOT NULL, 图片 BLOB)";
    s << "CREATE TABLE yetl (图号 " + T + ", 图片 BLOB, 图名 " + T + ")";
    for (const char* t : {"yekb", "yykb"}) s << QString("CREATE TABLE %1 (课本号 %2, 课本名称 %2)").arg(t, T);
    for (const char* t : {"yekt", "yykt"}) s << QString("CREATE TABLE %1 (编号 %2, 课题 %2)").arg(t, T);
    s << "CREATE TABLE yepy (编号 " + T + ", 文字 " + T + ", 拼音 " + T + ", 音调 " + T + ", " +
             boolean("选中") + ")";
    s << "CREATE TABLE yydc (编号 " + T + ", 英语 " + T + ", 音标 " + T + ", 汉语 " + T + ", 图片 BLOB, " +
             boolean("选中") + ")";
    s << "CREATE TABLE yefc (汉字 " + T + ", 拼音 " + T + ")";
    for (const char* t : {"sscj", "pycj", "yycj"})
        s << QString("CREATE TABLE %1 (序号 INTEGER, 题目 %2, 得分 INTEGER, 平均分 INTEGER, 时间 DATETIME)")
                 .arg(t, T);
    s << "CREATE INDEX yefc_hz ON yefc (汉字)";
    s << "CREATE INDEX yepy_xz ON yepy (选中)";
    s << "CREATE INDEX yydc_xz ON yydc (选中)";
    s << "CREATE INDEX yetp_th ON yetp (图号)";
    return s;
}

void createSchema(Connection& c) {
    for (const QString& st : schemaStatements()) c.exec(st);
}

QStringList schemaTables() {
    return {"yesz", "yetp", "yetl", "yekb", "yykb", "yekt", "yykt",
            "yepy", "yydc", "yefc", "sscj", "pycj", "yycj"};
}

}  // namespace kovu
