// Building the connection string, reading it back, and the server-name forms.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "dbtest/ConnectionString.h"
#include "platform/Errors.h"

namespace kvr {
namespace {

using ::testing::HasSubstr;

TEST(BuildConnectionString, OrdinaryValuesGiveTheWrittenString) {
    struct Case {
        const char* server;
        const char* user;
        const char* password;
        const char* database;
        const char* expected;
    };
    const Case cases[] = {
        {"", "", "", "",
         "Provider=SQLOLEDB.1;server=; User Id=;Password=;database=;Trusted_Connection=true"},
        {"SRV01", "sa", "pw", "Sales",
         "Provider=SQLOLEDB.1;server=SRV01; User Id=sa;Password=pw;database=Sales;"
         "Trusted_Connection=true"},
        {"host\\SQLEXPRESS", "a b", "p=w", "銷售",
         "Provider=SQLOLEDB.1;server=host\\SQLEXPRESS; User Id=a b;Password=p=w;database=銷售;"
         "Trusted_Connection=true"},
        {"10.0.0.5,1500", "x", "密碼", "db",
         "Provider=SQLOLEDB.1;server=10.0.0.5,1500; User Id=x;Password=密碼;database=db;"
         "Trusted_Connection=true"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(BuildConnectionString(c.server, c.user, c.password, c.database), c.expected);
    }
}

TEST(BuildConnectionString, QuotesValuesThatWouldReadBackDifferently) {
    struct Case {
        const char* password;
        const char* quoted;
    };
    const Case cases[] = {
        {"a;b", "\"a;b\""},
        {" lead", "\" lead\""},
        {"trail\t", "\"trail\t\""},
        {"say \"hi\"", "'say \"hi\"'"},
        {"it's", "\"it's\""},
        {"both \" and '", "\"both \"\" and '\""},
        {"'", "\"'\""},
        {"=x", "\"=x\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        EXPECT_EQ(BuildConnectionString("s", "u", c.password, "d"),
                  std::string("Provider=SQLOLEDB.1;server=s; User Id=u;Password=") + c.quoted +
                      ";database=d;Trusted_Connection=true");
    }
}

TEST(ParseConnectionString, ReadsBackWhatWasBuilt) {
    const std::string awkward[] = {
        "",         "plain",  "a;b",   "=",      "a=b;c=d",           "\"",        "'",
        "\"\"''",   " ",      "  x  ", "x;",     ";Provider=MSDASQL", "密碼 ;'\"", "\t\n",
        "'quoted'", "\"dq\"", "a\"b",  "a'b\"c", "trailing;;",
    };
    for (const auto& value : awkward) {
        SCOPED_TRACE("[" + value + "]");
        const auto s = ParseConnectionString(BuildConnectionString(value, value, value, value));
        EXPECT_EQ(s.provider, "SQLOLEDB.1");
        EXPECT_EQ(s.server, value);
        EXPECT_EQ(s.user, value);
        EXPECT_EQ(s.password, value);
        EXPECT_EQ(s.database, value);
        EXPECT_TRUE(s.trusted);
        EXPECT_EQ(s.timeoutSeconds, kDefaultLoginTimeoutSeconds);
    }
}

TEST(ParseConnectionString, ReadsKeysAndValuesTheAdoWay) {
    const auto s = ParseConnectionString(
        "  PROVIDER = sqloledb ;Data Source= srv ,1500 ;uid=me;PWD='it''s';"
        "Initial Catalog=\"a \"\"b\"\"\";Integrated Security=SSPI;Connection Timeout= 7 ;"
        "Application Name=x;key==name=v;;");
    EXPECT_EQ(s.provider, "sqloledb");
    EXPECT_EQ(s.server, "srv ,1500");
    EXPECT_EQ(s.user, "me");
    EXPECT_EQ(s.password, "it's");
    EXPECT_EQ(s.database, "a \"b\"");
    EXPECT_TRUE(s.trusted);
    EXPECT_EQ(s.timeoutSeconds, 7);

    const auto last = ParseConnectionString(
        "Address=one;Server=two;User Id=a;UID=b;Trusted_Connection=no;Connect Timeout=0");
    EXPECT_EQ(last.server, "two");
    EXPECT_EQ(last.user, "b");
    EXPECT_FALSE(last.trusted);
    EXPECT_EQ(last.timeoutSeconds, kDefaultLoginTimeoutSeconds);
}

TEST(ParseConnectionString, RefusesWhatItCannotRead) {
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"Provider=SQLOLEDB;server='abc", "no closing quote"},
        {"Provider=SQLOLEDB;server=\"a\"b", "followed by more text"},
        {"Provider=SQLOLEDB;server", "without \"=\""},
        {"=x", "without a key"},
        {"Connect Timeout=soon", "number of seconds"},
        {"Connect Timeout=-1", "number of seconds"},
        {"Trusted_Connection=maybe", "true or false"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            ParseConnectionString(c.text);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr(c.reason));
        }
    }
}

TEST(FreeTdsServerName, MapsTheServerForms) {
    struct Case {
        const char* server;
        const char* expected;
    };
    const Case cases[] = {
        {"db01", "db01:1433"},
        {"  db01  ", "db01:1433"},
        {"db01,1500", "db01:1500"},
        {"db01 , 1500", "db01:1500"},
        {"tcp:db01,1500", "db01:1500"},
        {"TCP: db01", "db01:1433"},
        {".", "127.0.0.1:1433"},
        {"(local),1500", "127.0.0.1:1500"},
        {"LOCALHOST", "127.0.0.1:1433"},
        {"db01\\SQLEXPRESS", "db01\\SQLEXPRESS"},
        {".\\SQLEXPRESS", "127.0.0.1\\SQLEXPRESS"},
        {"db01\\SQLEXPRESS,1500", "db01:1500"},
        {"db01:1500", "db01:1500"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        EXPECT_EQ(FreeTdsServerName(c.server), c.expected);
    }
}

TEST(FreeTdsServerName, RefusesNamesWithoutAHostOrWithABadPort) {
    for (const char* server :
         {"", "   ", "tcp:", ",1433", "\\INST", "db,0", "db,65536", "db,x", "db,"}) {
        SCOPED_TRACE(server);
        EXPECT_THROW(FreeTdsServerName(server), Error);
    }
}

}  // namespace
}  // namespace kvr
