#include <gtest/gtest.h>

#include "TestSupport.h"
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
