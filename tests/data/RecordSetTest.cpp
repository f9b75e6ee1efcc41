// Record sets and the connection under faults: moves that must not write, writes through rows
// that have gone, columns that cannot be written, transactions that SQLite ended or kept open,
// and the file at rest.
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>

#include "TestSupport.h"
#include "data/Query.h"
#include "data/Settings.h"
#include "platform/Errors.h"

using namespace kovu;
using namespace kovu::test;

namespace {

struct Books {
    TestFolder folder;
    Connection con;
    Books() {
        folder.writeSmallDb();
        con.open(folder.db(), kDatabasePassword);
        for (const char* b : {"1", "2", "3"})
            con.exec("INSERT INTO yekb VALUES (?, ?)", {QString::fromLatin1(b), QStringLiteral("课本") + b});
    }
    QStringList rows() {
        QStringList out;
        Query q(con, "check");
        q.setSql("SELECT * FROM yekb");
        q.open();
        for (; !q.eof(); q.next()) out << q.text(0) + ":" + q.text(1);
        return out;
    }
};

}  // namespace

TEST(RecordSet, MovesNeverWriteBySurprise) {
    Books b;
    Query q(b.con, "aquSb");
    q.setSql("SELECT * FROM yekb");
    q.open();
    // An appended row nobody typed into is dropped by a move, never stored as a row of nulls.
    q.append();
    q.first();
    q.append();
    q.moveTo(2);
    q.append();
    q.last();
    EXPECT_EQ(b.con.scalar("SELECT count(*) FROM yekb").toInt(), 3);
    EXPECT_EQ(q.recordCount(), 3);
    EXPECT_EQ(q.state(), Query::State::Browse);
    // A modified row is stored only where the caller asks for it.
    q.first();
    q.edit();
    q.setValue(1, "改过");
    q.next();
    EXPECT_EQ(b.rows().at(0), "1:课本1");
    EXPECT_EQ(q.text(1), "课本2");
    q.edit();
    q.setValue(1, "改过");
    q.next(Query::Pending::Post);
    EXPECT_EQ(b.rows(), QStringList({"1:课本1", "2:改过", "3:课本3"}));
    q.append();
    q.setValue(0, "4");
    q.setValue(1, "新");
    q.prior(Query::Pending::Post);
    EXPECT_EQ(b.rows().size(), 4);
    EXPECT_EQ(q.text(0), "3");
}

TEST(RecordSet, WritesReachTheRowTheyMeanOrFail) {
    Books b;
    Query grid(b.con, "aquSb");
    grid.setSql("SELECT * FROM yekb");
    grid.open();
    grid.last();
    ASSERT_EQ(grid.text(0), "3");
    // The last row goes elsewhere and a new row takes its rowid: the grid must not overwrite it.
    b.con.exec("DELETE FROM yekb WHERE 课本号 = '3'");
    b.con.exec("INSERT INTO yekb VALUES ('9', '别人的')");
    EXPECT_THROW(
        {
            grid.edit();
            grid.setValue(1, "我的");
            grid.post();
        },
        KovuError);
    grid.cancel();
    EXPECT_EQ(b.rows(), QStringList({"1:课本1", "2:课本2", "9:别人的"}));
    // The record set has read its rows again: it now shows what the table holds, and a write goes
    // to the row it shows.
    EXPECT_EQ(grid.recordCount(), 3);
    EXPECT_EQ(grid.text(1), "别人的");
    grid.updateCurrent({{"课本名称", "我的"}});
    EXPECT_EQ(b.rows().at(2), "9:我的");

    // Another program deletes a row: this record set notices before it writes.
    grid.first();
    openDb(b.folder.db())->exec("DELETE FROM yekb WHERE 课本号 = '1'");
    EXPECT_THROW(grid.deleteRecord(), KovuError);
    EXPECT_EQ(b.rows(), QStringList({"2:课本2", "9:我的"}));

    // The file replaced under an open record set (the connection opened again on a new copy).
    grid.first();
    ASSERT_EQ(grid.text(0), "2");
    b.con.close();
    QFile::remove(b.folder.db());
    writeSmallDatabase(b.folder.db());
    b.con.open(b.folder.db(), kDatabasePassword);
    b.con.exec("INSERT INTO yekb VALUES ('7', '新文件')");
    EXPECT_THROW(grid.updateCurrent({{"课本名称", "旧的"}}), KovuError);
    EXPECT_EQ(b.rows(), QStringList({"7:新文件"}));

    // Aliased and computed columns are read-only; a LIMIT stays valid and its rows editable.
    Query q(b.con, "aquFz");
    q.setSql("SELECT 课本号 AS 号, 课本名称, length(课本名称) AS 长 FROM yekb WHERE 课本号 <> ? LIMIT 1",
             {"0"});
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    q.edit();
    EXPECT_THROW(q.setValue("号", "8"), KovuError);
    EXPECT_THROW(q.setValue("长", 1), KovuError);
    q.setValue("课本名称", "四个字的");
    q.post();
    EXPECT_EQ(q.integer("长"), 4);
    EXPECT_EQ(b.rows(), QStringList({"7:四个字的"}));

    // Rows that are not rows of one table are only read; a statement's own order is kept, and
    // keywords are words only on their own (a name such as "orderly" is no ORDER).
    b.con.exec("INSERT INTO yekb VALUES ('3', 'orderly')");
    for (const char* sql : {"SELECT count(*) AS 数 FROM yekb", "SELECT DISTINCT 课本名称 FROM yekb",
                            "SELECT 课本号 FROM yekb GROUP BY 课本号"}) {
        q.setSql(sql);
        q.open();
        EXPECT_THROW(q.edit(), KovuError) << sql;
    }
    q.setSql(
        "select 课本号, 课本名称 from [yekb] where 课本名称 <> 'orderly_x' order by 课本号 desc limit 5");
    q.open();
    ASSERT_EQ(q.recordCount(), 2);
    EXPECT_EQ(q.text(0), "7");
    q.edit();
    q.setValue("课本名称", "七");
    q.post();
    EXPECT_EQ(b.rows(), QStringList({"7:七", "3:orderly"}));
}

TEST(RecordSet, TransactionsFollowWhatSqliteReports) {
    Books b;
    // A deferred check fails at COMMIT and SQLite keeps the transaction open.
    b.con.exec("PRAGMA foreign_keys = ON");
    b.con.exec("CREATE TABLE 父 (id INTEGER PRIMARY KEY)");
    b.con.exec("CREATE TABLE 子 (p INTEGER REFERENCES 父(id) DEFERRABLE INITIALLY DEFERRED)");
    {
        Transaction t(b.con);
        b.con.exec("INSERT INTO 子 VALUES (5)");
        b.con.exec("UPDATE yekb SET 课本名称 = '半途' WHERE 课本号 = '1'");
        EXPECT_THROW(t.commit(), KovuError);
        EXPECT_TRUE(b.con.inTransaction());
    }
    EXPECT_FALSE(b.con.inTransaction());
    // The ordinary write after it is kept, and nothing of the failed transaction is.
    b.con.exec("UPDATE yekb SET 课本名称 = '之后' WHERE 课本号 = '2'");
    b.con.close();
    auto other = openDb(b.folder.db());
    EXPECT_EQ(other->scalar("SELECT 课本名称 FROM yekb WHERE 课本号 = '1'").toString(), "课本1");
    EXPECT_EQ(other->scalar("SELECT 课本名称 FROM yekb WHERE 课本号 = '2'").toString(), "之后");
    EXPECT_EQ(other->scalar("SELECT count(*) FROM 子").toInt(), 0);

    // A multi-row change takes the write lock when it begins, not at its first write.
    Transaction t(*other);
    Connection second;
    second.open(b.folder.db(), kDatabasePassword);
    sqlite3_busy_timeout(second.handle(), 20);
    EXPECT_THROW(second.exec("UPDATE yekb SET 课本名称 = '抢先' WHERE 课本号 = '3'"), KovuError);
}

TEST(RecordSet, TheFileAtRestStandsAloneAndUnwritablePlacesAreNamed) {
    TestFolder folder;
    folder.writeSmallDb();
    {
        Connection c;
        c.open(folder.db(), kDatabasePassword);
        Query q(c, "aquFz");
        storeSettings(q, {{"课本号", 2}});
        EXPECT_TRUE(QFile::exists(folder.db() + "-wal"));
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"kovu.mdb"}));
    EXPECT_EQ(storedJournalMode(folder.db()), "delete");

    // A folder that cannot be written: refused at open, naming the folder, not the password.
    const QString ro = folder.file("ro");
    ScratchMount mount(ro, "4m");
    KOVU_REQUIRE_MOUNT(mount);
    ASSERT_TRUE(QFile::copy(folder.db(), ro + "/kovu.mdb"));
    ASSERT_TRUE(mount.remountReadOnly());
    Connection c;
    try {
        c.open(ro + "/kovu.mdb", kDatabasePassword);
        ADD_FAILURE() << "a read-only folder was opened";
    } catch (const ReadOnlyError& e) {
        EXPECT_TRUE(e.message().contains(ro)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("不能写入"));
    }
    EXPECT_FALSE(c.isOpen());
}

TEST(RecordSet, AFullDiskStoresNothingAndShowsItsError) {
    TestFolder folder;
    const QString small = folder.file("small");
    ScratchMount mount(small, "3m");
    KOVU_REQUIRE_MOUNT(mount);
    writeSmallDatabase(small + "/kovu.mdb");
    Connection c;
    c.open(small + "/kovu.mdb", kDatabasePassword);
    Query q(c, "aquFz");
    // Writes that fill the log until the disk is full; each one either is whole or fails.
    mount.fill();
    const QByteArray big(256 * 1024, 'p');
    int failed = 0;
    for (int i = 0; i < 20 && failed == 0; ++i) {
        try {
            Transaction t(c);
            c.exec("INSERT INTO yetl (图号, 图片, 图名) VALUES (?, ?, ?)", {QString::number(i), big, "满"});
            c.exec("UPDATE yesz SET 课题号 = ?", {100 + i});
            t.commit();
        } catch (const KovuError& e) {
            ++failed;
            EXPECT_FALSE(e.message().isEmpty());
        }
    }
    EXPECT_EQ(failed, 1);
    EXPECT_FALSE(c.inTransaction());
    c.close();
    QFile::remove(small + "/filler");
    auto check = openDb(small + "/kovu.mdb");
    const int pictures = check->scalar("SELECT count(*) FROM yetl").toInt();
    // The settings row moved with every stored picture and stopped where they stopped.
    EXPECT_EQ(check->scalar("SELECT 课题号 FROM yesz").toInt(), pictures == 0 ? 1 : 100 + pictures - 1);
    EXPECT_EQ(check->scalar("PRAGMA integrity_check").toString(), "ok");
}

TEST(RecordSet, PicturesAreReadWhenAskedForAndStillGuardTheRow) {
    TestFolder folder;
    folder.writeSmallDb();
    Connection c;
    c.open(folder.db(), kDatabasePassword);
    const QByteArray bj = c.scalar("SELECT 图片 FROM yetp WHERE 图号 = 'bj'").toByteArray();
    Query q(c, "aquTp");
    q.setSql("SELECT * FROM yetp WHERE 图号 = ?", {"bj"});
    q.open();
    EXPECT_TRUE(q.isBlobCell(0, 1));
    EXPECT_EQ(q.blob("图片"), bj);
    EXPECT_EQ(q.valueAt(0, 1).toByteArray(), bj);
    // A row whose picture another program replaced is not written over.
    q.close();
    q.open();
    openDb(folder.db())->exec("UPDATE yetp SET 图片 = ? WHERE 图号 = 'bj'", {QByteArray("new")});
    EXPECT_THROW(q.updateCurrent({{"图号", "BJ"}}), KovuError);
    EXPECT_EQ(c.scalar("SELECT 图号 FROM yetp WHERE 图片 = ?", {QByteArray("new")}).toString(), "bj");
    // An edit of the code keeps the picture it did not touch.
    q.updateCurrent({{"图号", "BJ"}});
    EXPECT_EQ(c.scalar("SELECT 图片 FROM yetp WHERE 图号 = 'BJ'").toByteArray(), QByteArray("new"));
}
