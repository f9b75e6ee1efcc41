// The file of an earlier version gets the tables of children, answers and further settings when it
// is opened, in one transaction; nothing of the user's own rows changes. A file of a later version
// is refused with nothing written.
#include <gtest/gtest.h>

#include <QFile>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "data/Schema.h"
#include "data/Upgrade.h"
#include "platform/Paths.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// The definitions of the tables and indexes a version 0 file has.
QStringList oldSchema(Connection& c) {
    QStringList out;
    for (const QString& t : schemaTables())
        out << c.scalar("SELECT sql FROM sqlite_master WHERE name = ?", {t}).toString();
    return out;
}

}  // namespace

TEST(Upgrade, DeliveredAndEditedFilesKeepEveryRowAndGainTheNewTables) {
    FakePlatform platform;
    TestFolder folder;
    folder.buildDeliveredDb();
    {
        auto c = openDb(folder.db());
        ASSERT_EQ(c->scalar("PRAGMA user_version").toInt(), 0);
        // A user's own edits and the scores of a test.
        c->exec("INSERT INTO yepy (编号, 文字, 拼音, 音调, 选中) VALUES ('101', '龙', 'long', '2', 1)");
        c->exec("UPDATE yesz SET 算术类型 = 3, 声调去分 = '25'");
        c->exec("INSERT INTO sscj VALUES (1, '3 + 4 = 7', 100, 100, '2024-03-01 10:00:00')");
        c->exec("INSERT INTO pycj VALUES (1, '龙 = lung', 0, 0, '2024-03-01 10:05:00')");
    }
    QStringList rowsBefore, schemaBefore;
    {
        auto c = openDb(folder.db());
        rowsBefore = fileRows(*c, schemaTables());
        schemaBefore = oldSchema(*c);
    }
    ASSERT_GT(rowsBefore.size(), 1000);

    for (int start = 0; start < 2; ++start) {
        auto form = makeForm(platform, folder);
        ASSERT_TRUE(form->startedUp());
        EXPECT_TRUE(platform.dlg().log.empty()) << platform.dlg().texts().join(" / ").toStdString();
    }
    auto c = openDb(folder.db());
    EXPECT_EQ(c->scalar("PRAGMA user_version").toInt(), kSchemaVersion);
    EXPECT_EQ(fileRows(*c, schemaTables()), rowsBefore);
    EXPECT_EQ(oldSchema(*c), schemaBefore);
    // One first child, made current, however often the program starts.
    EXPECT_EQ(fileRows(*c, {"yexs"}).size(), 1);
    EXPECT_EQ(c->scalar("SELECT 姓名 FROM yexs").toString(), QStringLiteral("小朋友"));
    EXPECT_EQ(c->scalar("SELECT 值 FROM yepz WHERE 名称 = '当前学生'").toString(),
              c->scalar("SELECT 编号 FROM yexs").toString());
    EXPECT_EQ(c->scalar("SELECT count(*) FROM yejl").toInt(), 0);
    EXPECT_EQ(c->scalar("SELECT count(*) FROM sqlite_master WHERE name IN ('yejl_tm', 'yejl_cc')").toInt(),
              2);
    EXPECT_EQ(c->scalar("PRAGMA integrity_check").toString(), "ok");
}

TEST(Upgrade, AFailedUpgradeAndANewerFileLeaveTheFileAsItWas) {
    FakePlatform platform;
    TestFolder folder;
    folder.writeSmallDb();
    // A table in the way of the last step: the whole upgrade is undone.
    {
        auto c = openDb(folder.db());
        c->exec("CREATE TABLE yepz (x)");
    }
    {
        auto form = makeForm(platform, folder);
        EXPECT_FALSE(form->startedUp());
        ASSERT_EQ(platform.dlg().log.size(), 1u);
        EXPECT_EQ(platform.dlg().log[0].title, QStringLiteral("运行错误！"));
    }
    {
        auto c = openDb(folder.db());
        EXPECT_EQ(c->scalar("PRAGMA user_version").toInt(), 0);
        EXPECT_EQ(
            c->scalar("SELECT count(*) FROM sqlite_master WHERE name IN ('yexs', 'yejl', 'yejl_tm')").toInt(),
            0);
        c->exec("DROP TABLE yepz");
        c->exec("PRAGMA user_version = 2");
    }
    platform.dlg().clear();
    const QByteArray before = fileBytes(folder.db());
    {
        auto form = makeForm(platform, folder);
        EXPECT_FALSE(form->startedUp());
        ASSERT_EQ(platform.dlg().log.size(), 1u);
        EXPECT_EQ(platform.dlg().log[0].title, QStringLiteral("运行错误！"));
        EXPECT_EQ(platform.dlg().log[0].text, newerFileText(shownPath(folder.db()), 2));
        EXPECT_TRUE(platform.dlg().log[0].text.contains(QStringLiteral("较新版本")));
    }
    EXPECT_EQ(fileBytes(folder.db()), before);
    EXPECT_FALSE(QFile::exists(folder.db() + "-wal"));
}
