#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/evp.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <atomic>
#include <chrono>
#include <thread>

#include "TestSupport.h"
#include "data/KeyDerivation.h"
#include "data/PageKeyCache.h"
#include "data/Query.h"
#include "data/Settings.h"
#include "platform/Errors.h"

using namespace kovu;
using namespace kovu::test;

namespace {

struct Db {
    TestFolder folder;
    Connection con;
    Db() {
        folder.writeSmallDb();
        con.open(folder.db(), kDatabasePassword);
    }
};

}  // namespace

TEST(Query, BrowsesRowsInOrderWithFieldsByNameAndPosition) {
    Db db;
    Query q(db.con, "aquSb");
    q.setSql("SELECT * FROM yetp");
    q.open();
    EXPECT_EQ(q.recordCount(), 14);
    EXPECT_EQ(q.fieldNames(), QStringList({"图号", "图片"}));
    EXPECT_EQ(q.text("图号"), "bz");
    EXPECT_EQ(q.text(0), "bz");
    QStringList codes;
    for (q.first(); !q.eof(); q.next()) codes << q.text("图号");
    EXPECT_EQ(codes.join(""), "bzpiyifhsuszbjsspyyyzqcwdhch");
    EXPECT_TRUE(q.eof());
    EXPECT_THROW(q.value("没有"), KovuError);
}

TEST(Query, EditAppendDeleteAndBlobsReachTheFile) {
    Db db;
    Query q(db.con, "aquFz");
    // A value with a double quote, an apostrophe and a backslash is stored and found again through a
    // bound statement.
    const QString odd = QStringLiteral("他说\"好\"，it's a\\b");
    q.setSql("SELECT * FROM yekb");
    q.open();
    EXPECT_TRUE(q.eof());
    q.append();
    q.setValue(0, "1");
    q.setValue("课本名称", odd);
    q.post();
    EXPECT_EQ(q.recordCount(), 1);
    q.close();

    q.setSql("SELECT * FROM yekb WHERE 课本名称 = ?", {odd});
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.text("课本号"), "1");
    q.edit();
    q.setValue("课本号", "2");
    q.post();
    q.close();
    EXPECT_EQ(db.con.scalar("SELECT 课本号 FROM yekb WHERE 课本名称 = ?", {odd}).toString(), "2");

    // Text equality ignores letter case.
    q.setSql("SELECT * FROM yetp WHERE 图号 = ?", {"BJ"});
    q.open();
    EXPECT_EQ(q.recordCount(), 1);
    const QByteArray pic = q.blob("图片");
    EXPECT_GT(pic.size(), 100);
    q.edit();
    q.setValue("图片", QByteArray("abc"));
    q.post();
    q.close();
    EXPECT_EQ(db.con.scalar("SELECT 图片 FROM yetp WHERE 图号 = 'bj'").toByteArray(), QByteArray("abc"));

    // Delete removes exactly the current row.
    q.setSql("SELECT * FROM yetp WHERE 图号 = ? OR 图号 = ?", {"dh", "ch"});
    q.open();
    ASSERT_EQ(q.recordCount(), 2);
    q.next();
    EXPECT_EQ(q.text("图号"), "ch");
    q.deleteRecord();
    EXPECT_EQ(q.recordCount(), 1);
    EXPECT_EQ(db.con.scalar("SELECT count(*) FROM yetp").toInt(), 13);
    EXPECT_EQ(db.con.scalar("SELECT count(*) FROM yetp WHERE 图号 = 'dh'").toInt(), 1);

    // Cancel leaves the row unwritten.
    q.setSql("SELECT * FROM yekt");
    q.open();
    q.append();
    q.setValue(0, "101");
    q.cancel();
    EXPECT_EQ(db.con.scalar("SELECT count(*) FROM yekt").toInt(), 0);
}

TEST(Query, FailingStatementsRaiseAndLeaveNoHalfWrittenRow) {
    Db db;
    Query q(db.con, "aquFz");
    // A Boolean column only holds 0 and 1: the failing post raises and writes nothing.
    q.setSql("SELECT * FROM yepy");
    q.open();
    q.append();
    q.setValue("编号", "101");
    q.setValue("文字", "好");
    q.setValue("选中", 7);
    EXPECT_THROW(q.post(), KovuError);
    q.cancel();
    q.close();
    EXPECT_EQ(db.con.scalar("SELECT count(*) FROM yepy").toInt(), 0);

    q.setSql("SELECT * FROM no_such_table");
    EXPECT_THROW(q.open(), KovuError);
    EXPECT_FALSE(q.isOpen());

    // A transaction that fails half-way leaves every row as it was.
    db.con.exec("INSERT INTO yepy (编号, 文字, 拼音, 音调, 选中) VALUES ('101', '一', 'yi', '1', 0)");
    db.con.exec("INSERT INTO yepy (编号, 文字, 拼音, 音调, 选中) VALUES ('101', '二', 'er', '4', 0)");
    try {
        Transaction t(db.con);
        db.con.exec("UPDATE yepy SET 选中 = 1 WHERE 文字 = ?", {"一"});
        db.con.exec("UPDATE yepy SET 选中 = 9 WHERE 文字 = ?", {"二"});
        t.commit();
        FAIL() << "the second update should have failed";
    } catch (const KovuError&) {
    }
    EXPECT_EQ(db.con.scalar("SELECT count(*) FROM yepy WHERE 选中 = 1").toInt(), 0);

    // Executing with the wrong number of values is refused rather than run with a missing value.
    EXPECT_THROW(db.con.exec("UPDATE yepy SET 选中 = ? WHERE 文字 = ?", {1}), KovuError);
}

TEST(Query, SettingsRowAndReopeningAfterClose) {
    Db db;
    Query q(db.con, "aquFz");
    storeSettings(q, {{"声调去分", "25"}, {"自动适应屏幕", true}, {"图例图片", -1}});
    EXPECT_FALSE(q.isOpen());
    EXPECT_EQ(readSetting(q, "声调去分").toString(), "25");
    EXPECT_TRUE(readSetting(q, "自动适应屏幕").toBool());
    EXPECT_EQ(readSetting(q, "图例图片").toInt(), -1);
    // The Boolean column holds 0/1 in the file.
    EXPECT_EQ(db.con.scalar("SELECT typeof(自动适应屏幕) || 自动适应屏幕 FROM yesz").toString(), "integer1");

    // Once the connection is closed the next query opens the file again.
    db.con.close();
    EXPECT_FALSE(db.con.isOpen());
    EXPECT_EQ(readSetting(q, "声调去分").toString(), "25");
    EXPECT_TRUE(db.con.isOpen());
}

TEST(Connection, RefusesMissingFilesWrongKeysAndNonDatabases) {
    TestFolder folder;
    Connection c;
    EXPECT_THROW(c.open(folder.file("missing.mdb"), kDatabasePassword), KovuError);
    EXPECT_FALSE(QFile::exists(folder.file("missing.mdb")));

    writeSmallDatabase(folder.db(), "another");
    EXPECT_THROW(c.open(folder.db(), kDatabasePassword), KovuError);
    EXPECT_FALSE(c.isOpen());

    QFile f(folder.file("text.mdb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    EXPECT_THROW(c.open(folder.file("text.mdb"), kDatabasePassword), KovuError);

    // The file is really encrypted: the plain SQLite header is not in it.
    folder.writeSmallDb();
    QFile db(folder.db());
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    EXPECT_FALSE(db.read(16).startsWith("SQLite format 3"));
}

TEST(Connection, TheKeyIsDerivedAsTheLibraryDoesAndTheFileKeepsItsPassphrase) {
    // The quick derivation (on the SHA instructions where this processor has them) gives what
    // OpenSSL's PBKDF2 gives: one block, several, a passphrase longer than a hash block, and the
    // database's own settings, on one thread or several.
    const QByteArray longPass(70, 'k');
    struct Case {
        QByteArray pass, salt;
        int rounds, length;
    };
    for (const Case& c : {Case{kDatabasePassword, QByteArray(16, '\x5a'), kPageKeyRounds, kPageKeyLength},
                          Case{longPass, "salt", 3, 45}, Case{"p", "", 1, 20}, Case{"", "s", 2, 7}}) {
        QByteArray expected(c.length, 0);
        ASSERT_EQ(
            PKCS5_PBKDF2_HMAC_SHA1(c.pass.constData(), c.pass.size(),
                                   reinterpret_cast<const unsigned char*>(c.salt.constData()), c.salt.size(),
                                   c.rounds, c.length, reinterpret_cast<unsigned char*>(expected.data())),
            1);
        for (KeyThreads threads : {KeyThreads::One, KeyThreads::Many})
            EXPECT_EQ(derivePageKey(c.pass, c.salt, c.rounds, c.length, threads).toHex(), expected.toHex())
                << c.rounds;
    }

    TestFolder folder;
    folder.writeSmallDb();
    QFile f(folder.db());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray salt = f.read(kPageKeySaltLength);
    f.close();
    // The key derived from the file's salt is the file's key: given raw, it opens the file.
    Connection raw;
    raw.open(folder.db(), rawKeyText(derivePageKey(kDatabasePassword, salt)));
    EXPECT_EQ(raw.scalar("SELECT 声调去分 FROM yesz").toString(), "0");
    raw.exec("UPDATE yesz SET 声调去分 = '15'");
    raw.close();
    // The file keeps its passphrase and key settings: the command-line shell opens it with them.
    QProcess shell;
    shell.start("sqlcipher", {folder.db()});
    ASSERT_TRUE(shell.waitForStarted());
    shell.write(QByteArray("PRAGMA key = '") + kDatabasePassword + "';\nSELECT 声调去分 FROM yesz;\n");
    shell.closeWriteChannel();
    ASSERT_TRUE(shell.waitForFinished());
    EXPECT_EQ(QString::fromUtf8(shell.readAllStandardOutput()).trimmed().split('\n').last(), "15");
}

TEST(Connection, KeysOfOpenedFilesAreRememberedForTheUserAloneAndAWrongOneIsMended) {
    TestFolder folder;
    folder.writeSmallDb();
    QFile db(folder.db());
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    const QByteArray key = derivePageKey(kDatabasePassword, db.read(kPageKeySaltLength)).toHex();
    db.close();
    // The user's folders as they were, whatever the test sets.
    struct Restore {
        QByteArray cache = qgetenv("XDG_CACHE_HOME"), home = qgetenv("HOME");
        ~Restore() {
            qputenv("XDG_CACHE_HOME", cache);
            qputenv("HOME", home);
        }
    } restore;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.file("cache")));
    ASSERT_EQ(pageKeyCacheFile(), folder.file("cache/kovu/page-keys"));
    QFile cache(pageKeyCacheFile());
    const auto lines = [&cache] {
        EXPECT_TRUE(cache.open(QIODevice::ReadOnly));
        const QList<QByteArray> out = cache.readAll().split('\n');
        cache.close();
        return out.mid(0, out.size() - 1);
    };
    const auto opens = [&folder] {
        Connection c;
        c.open(folder.db(), kDatabasePassword);
        return c.scalar("SELECT count(*) FROM yesz").toInt() == 1;
    };

    // The first open remembers the file's key, in a file and folder of the user's alone.
    ASSERT_TRUE(opens());
    ASSERT_EQ(lines().size(), 1);
    EXPECT_TRUE(lines().at(0).endsWith(" " + key));
    EXPECT_EQ(cache.permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser);
    EXPECT_EQ(QFileInfo(folder.file("cache/kovu")).permissions() & 0x0777,
              QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);

    // A wrong key remembered, lines that are no entries and more entries than are kept: the file
    // still opens, its entry is mended and comes first, and the oldest entries go.
    QByteArray spoilt = lines().at(0).left(65) + QByteArray(64, '0') + "\nnot an entry\n";
    for (int i = 0; i < 20; ++i)
        spoilt += QByteArray::number(i).rightJustified(64, 'a') + ' ' + QByteArray(64, 'b') + '\n';
    ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
    cache.write(spoilt);
    cache.close();
    ASSERT_TRUE(opens());
    const QList<QByteArray> mended = lines();
    ASSERT_EQ(mended.size(), 16);
    EXPECT_TRUE(mended.at(0).endsWith(" " + key));
    EXPECT_TRUE(mended.at(1).startsWith(QByteArray("0").rightJustified(64, 'a')));
    EXPECT_TRUE(mended.at(15).startsWith(QByteArray("14").rightJustified(64, 'a')));

    // Nowhere to keep keys (the cache folder is a file): the file opens all the same.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.db()));
    EXPECT_TRUE(opens());
    qputenv("XDG_CACHE_HOME", "relative/cache");
    qputenv("HOME", "");
    EXPECT_TRUE(pageKeyCacheFile().isEmpty());
    EXPECT_TRUE(opens());
}

TEST(Connection, TheKeyCacheTouchesOnlyARegularFileOfTheUsersOwnThroughNoLink) {
    TestFolder folder;
    folder.writeSmallDb();
    struct Restore {
        QByteArray cache = qgetenv("XDG_CACHE_HOME");
        ~Restore() { qputenv("XDG_CACHE_HOME", cache); }
    } restore;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.file("cache")));
    const QString keys = pageKeyCacheFile();
    const QString keysFolder = QFileInfo(keys).absolutePath();
    // The user's notes, which a link in the cache points to.
    const QString notes = folder.file("notes.txt");
    const QByteArray notesText = "buy milk\nparents' evening on Friday\n";
    const auto writeNotes = [&] {
        QFile f(notes);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(notesText);
        f.close();
        ASSERT_TRUE(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ReadGroup | QFileDevice::ReadOther));
    };
    const auto expectNotesUntouched = [&] {
        QFile f(notes);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), notesText);
        EXPECT_EQ(f.permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther);
    };
    const auto opens = [&folder] {
        Connection c;
        c.open(folder.db(), kDatabasePassword);
        return c.scalar("SELECT count(*) FROM yesz").toInt() == 1;
    };

    // A link at the file: the file opens, the notes keep their text and mode, the link stays.
    ASSERT_TRUE(QDir().mkpath(keysFolder));
    writeNotes();
    ASSERT_TRUE(QFile::link(notes, keys));
    EXPECT_TRUE(opens());
    expectNotesUntouched();
    EXPECT_TRUE(QFileInfo(keys).isSymLink());

    // A link at the folder, to a folder holding a file of the cache's name.
    ASSERT_TRUE(QFile::remove(keys));
    ASSERT_TRUE(QDir(keysFolder).removeRecursively());
    const QString elsewhere = folder.file("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QFile::copy(notes, elsewhere + "/page-keys"));
    ASSERT_TRUE(QFile::setPermissions(elsewhere, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                     QFileDevice::ExeOther));
    ASSERT_TRUE(QFile::link(elsewhere, keysFolder));
    EXPECT_TRUE(opens());
    QFile copied(elsewhere + "/page-keys");
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), notesText);
    copied.close();
    EXPECT_EQ(QFileInfo(elsewhere).permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                               QFileDevice::ExeUser | QFileDevice::ReadOther |
                                                               QFileDevice::ExeOther);
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden), QStringList({"page-keys"}));

    // A pipe at the file: the open does not wait for a writer. Should it wait all the same, a
    // writer comes after five seconds (and again and again), so that the test ends.
    ASSERT_TRUE(QFile::remove(keysFolder));
    ASSERT_TRUE(QDir().mkpath(keysFolder));
    const QByteArray fifo = QFile::encodeName(keys);
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    std::atomic<bool> done{false}, hadToUnblock{false};
    std::thread unblocker([&] {
        for (int i = 0; i < 50 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        while (!done) {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                hadToUnblock = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    EXPECT_TRUE(opens());
    const bool waited = hadToUnblock;
    done = true;
    unblocker.join();
    EXPECT_FALSE(waited) << "the open waited on the pipe";
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A file of another user's is neither read nor replaced.
    ASSERT_EQ(::unlink(fifo.constData()), 0);
    writeNotes();
    ASSERT_TRUE(QFile::copy(notes, keys));
    if (::chown(fifo.constData(), 4242, 4242) == 0) {
        EXPECT_TRUE(opens());
        ASSERT_EQ(::lstat(fifo.constData(), &st), 0);
        EXPECT_EQ(st.st_uid, 4242u);
        QFile other(keys);
        ASSERT_TRUE(other.open(QIODevice::ReadOnly));
        EXPECT_EQ(other.readAll(), notesText);
    } else {
        std::printf("a file of another user's is not tried: chown is refused here\n");
    }

    // A regular file of the user's own is the cache again.
    ASSERT_TRUE(QFile::remove(keys));
    EXPECT_TRUE(opens());
    QFile cache(keys);
    ASSERT_TRUE(cache.open(QIODevice::ReadOnly));
    EXPECT_EQ(cache.readAll().count('\n'), 1);
    EXPECT_EQ(cache.permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser);
    expectNotesUntouched();
}

TEST(Connection, CommittedRowsAreInTheFileAtOnceAndClosingLeavesOnlyTheDatabase) {
    TestFolder folder;
    folder.writeSmallDb();
    {
        Connection writer;
        writer.open(folder.db(), kDatabasePassword);
        // The log is set up by the open itself, not left to the first statement.
        EXPECT_TRUE(QFile::exists(folder.db() + "-wal"));
        EXPECT_TRUE(QFile::exists(folder.db() + "-shm"));
        writer.exec("INSERT INTO sscj (序号, 题目, 得分, 平均分, 时间) VALUES (1, '3 + 5 = 8', 100, 100, ?)",
                    {QDateTime(QDate(2024, 3, 9), QTime(8, 5, 12))});
        // Another connection (another program, or this one after a crash) sees the committed row.
        Connection reader;
        reader.open(folder.db(), kDatabasePassword);
        EXPECT_EQ(reader.scalar("SELECT 题目 FROM sscj").toString(), "3 + 5 = 8");
        EXPECT_EQ(reader.scalar("SELECT 时间 FROM sscj").toDateTime(),
                  QDateTime(QDate(2024, 3, 9), QTime(8, 5, 12)));
    }
    EXPECT_FALSE(QFile::exists(folder.db() + "-wal"));
    EXPECT_FALSE(QFile::exists(folder.db() + "-journal"));
    EXPECT_EQ(openDb(folder.db())->scalar("SELECT count(*) FROM sscj").toInt(), 1);
}
