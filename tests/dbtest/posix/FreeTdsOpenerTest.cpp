// One open against the test responder on 127.0.0.1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"
#include "fixtures/TdsResponder.h"

namespace kvr {
namespace {

using test::ClosedPort;
using test::TdsLogin;
using test::TdsResponder;
using ::testing::HasSubstr;

std::string Local(uint16_t port) {
    return "127.0.0.1," + std::to_string(port);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(OpenConnectionOnce, RightCredentialsSucceed) {
    TdsResponder server({"sa", "secret", "Sales"});
    const auto outcome =
        OpenConnectionOnce(BuildConnectionString(Local(server.port()), "sa", "secret", "Sales"));
    EXPECT_TRUE(outcome.succeeded) << outcome.detail;
    EXPECT_EQ(outcome.detail, "");
    ASSERT_TRUE(server.lastLogin());
    EXPECT_EQ(server.lastLogin()->user, "sa");
    EXPECT_EQ(server.lastLogin()->database, "Sales");
}

TEST(OpenConnectionOnce, RefusedLoginsFailWithReadableDetail) {
    TdsResponder server({"sa", "secret", "Sales"});
    struct Case {
        const char* name;
        const char* password;
        const char* database;
        int number;
        FailureReason reason;
    };
    const Case cases[] = {
        {"wrong password", "Secret", "Sales", 18456, FailureReason::LoginRefused},
        {"wrong database", "secret", "Stock", 4060, FailureReason::DatabaseUnavailable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = OpenConnectionOnce(
            BuildConnectionString(Local(server.port()), "sa", c.password, c.database));
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.reason, c.reason);
        EXPECT_THAT(outcome.detail, HasSubstr(std::to_string(c.number)));
    }
    EXPECT_EQ(server.loginCount(), 2);
}

// A login that does not end in the database asked for is no success: a field
// too long to send is refused before the login, naming it, and a server that
// opens another database is caught after it.
TEST(OpenConnectionOnce, SucceedsOnlyInTheDatabaseAskedFor) {
    std::string chinese;
    for (int i = 0; i < 50; ++i) {
        chinese += "\xE8\xB3\x87";  // 資
    }
    const std::string letters(129, 'd');
    for (const std::string& database : {letters, chinese}) {
        TdsResponder server({"sa", "pw", database});
        const auto outcome =
            OpenConnectionOnce(BuildConnectionString(Local(server.port()), "sa", "pw", database));
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_THAT(outcome.detail, HasSubstr("database name is too long"));
        EXPECT_THAT(outcome.detail, HasSubstr("128 bytes"));
        EXPECT_EQ(server.loginCount(), 0);
    }
    const auto user = OpenConnectionOnce(BuildConnectionString("127.0.0.1,1", letters, "pw", ""));
    EXPECT_THAT(user.detail, HasSubstr("user name is too long"));

    TdsResponder server({"sa", "pw", "Sales"});
    EXPECT_TRUE(OpenConnectionOnce(BuildConnectionString(Local(server.port()), "sa", "pw", "SALES"))
                    .succeeded);
    server.reportDatabase("master");
    const auto elsewhere =
        OpenConnectionOnce(BuildConnectionString(Local(server.port()), "sa", "pw", "Sales"));
    EXPECT_FALSE(elsewhere.succeeded);
    EXPECT_EQ(elsewhere.reason, FailureReason::DatabaseUnavailable);
    EXPECT_THAT(elsewhere.detail, HasSubstr("\"master\""));
}

TEST(OpenConnectionOnce, PasswordsArriveAsTyped) {
    const std::string passwords[] = {
        "a;b=c",
        "\"quoted\" 'both'",
        " lead and trail ",
        "x'y",
        "p\"q",
        "密碼;測試",
        "Ünïcødé ok",
        "==;;",
        "=start",
        ";",
        "'",
    };
    for (const auto& password : passwords) {
        SCOPED_TRACE(password);
        TdsResponder server({"user one", password, "db"});
        const auto outcome = OpenConnectionOnce(
            BuildConnectionString(Local(server.port()), "user one", password, "db"));
        EXPECT_TRUE(outcome.succeeded) << outcome.detail;
        ASSERT_TRUE(server.lastLogin());
        EXPECT_EQ(server.lastLogin()->password, password);
        EXPECT_EQ(server.lastLogin()->user, "user one");
    }
}

TEST(OpenConnectionOnce, ServerFormsReachTheResponder) {
    TdsResponder server({"sa", "pw", "db"});
    const std::string port = std::to_string(server.port());
    const std::string forms[] = {
        "127.0.0.1," + port, "tcp:127.0.0.1," + port,
        "localhost," + port, "(local)," + port,
        ".," + port,         "  TCP:LocalHost , " + port + " ",
        "127.0.0.1:" + port,
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(form);
        const auto outcome = OpenConnectionOnce(BuildConnectionString(form, "sa", "pw", "db"));
        EXPECT_TRUE(outcome.succeeded) << outcome.detail;
    }
    EXPECT_EQ(server.loginCount(), static_cast<int>(std::size(forms)));
}

// The refusal itself ends the open (a timeout would carry no OS error).
TEST(OpenConnectionOnce, ClosedPortFailsAtOnce) {
    ClosedPort closed;
    const auto outcome =
        OpenConnectionOnce(BuildConnectionString(Local(closed.port()), "sa", "pw", "db"));
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.reason, FailureReason::PortClosed);
    EXPECT_THAT(outcome.detail, HasSubstr("20009"));
}

// The given timeout ends the wait: not before it, and long before the default
// one, which a lost setting would fall back to.
TEST(OpenConnectionOnce, SilentServerFailsAtTheTimeout) {
    auto server = TdsResponder::Silent();
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = OpenConnectionOnce(
        BuildConnectionString(Local(server->port()), "sa", "pw", "db") + ";Connect Timeout=2");
    const double took = SecondsSince(start);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_GE(took, 1.9);
    EXPECT_LT(took, kDefaultLoginTimeoutSeconds);
    EXPECT_EQ(outcome.reason, FailureReason::Timeout);
    EXPECT_GE(server->connectionCount(), 1);
}

// The browser lookup of host\instance ignores the login timeout and takes
// its own 16 s; the caller's deadline must still hold, and the abandoned
// lookup must not disturb the calls after it.
TEST(OpenConnectionOnce, InstanceLookupIsBoundedByTheTimeout) {
    TdsResponder server({"sa", "pw", "db"});
    const auto start = std::chrono::steady_clock::now();
    const auto outcome =
        OpenConnectionOnce(BuildConnectionString("127.0.0.1\\NOSUCHINSTANCE", "sa", "pw", "db") +
                           ";Connect Timeout=1");
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_LT(SecondsSince(start), 8.0);  // half the lookup's own wait
    EXPECT_EQ(outcome.reason, FailureReason::Timeout);
    const auto next =
        OpenConnectionOnce(BuildConnectionString(Local(server.port()), "sa", "pw", "db"));
    EXPECT_TRUE(next.succeeded) << next.detail;
}

TEST(OpenConnectionOnce, EncryptionDemandedByTheServerIsNamed) {
    TdsResponder server({"sa", "pw", "db"}, test::TdsMode::RequireEncryption);
    const auto outcome =
        OpenConnectionOnce(BuildConnectionString(Local(server.port()), "sa", "pw", "db"));
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.reason, FailureReason::Encryption) << outcome.detail;
}

TEST(OpenConnectionOnce, UnreadableRequestsFailWithAReason) {
    struct Case {
        const char* name;
        std::string text;
        const char* reason;
    };
    const Case cases[] = {
        {"other provider", "Provider=MSDASQL;server=127.0.0.1,1;User Id=sa", "MSDASQL"},
        {"no provider", "server=127.0.0.1,1;User Id=sa", "no provider"},
        {"empty server", BuildConnectionString("", "", "", ""), "No server name"},
        {"blank server", BuildConnectionString("   ", "sa", "pw", "db"), "No server name"},
        {"bad port", BuildConnectionString("host,99999", "sa", "pw", "db"), "65535"},
        {"unclosed quote", "Provider=SQLOLEDB;server=\"abc", "no closing quote"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = OpenConnectionOnce(c.text);
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_THAT(outcome.detail, HasSubstr(c.reason));
        EXPECT_EQ(outcome.reason == FailureReason::NoServerName,
                  std::string_view(c.reason) == "No server name");
    }
}

TEST(OpenConnectionOnce, ProviderNameIgnoresLetterCase) {
    TdsResponder server({"sa", "pw", ""});
    for (const char* provider : {"SQLOLEDB", "sqloledb.1", " SqlOleDb.1 "}) {
        SCOPED_TRACE(provider);
        const auto outcome =
            OpenConnectionOnce(std::string("Provider=") + provider +
                               ";Data Source=" + Local(server.port()) + ";UID=sa;PWD=pw");
        EXPECT_TRUE(outcome.succeeded) << outcome.detail;
    }
}

TEST(OpenConnectionOnce, CallsInARowDoNotInterfere) {
    auto silent = TdsResponder::Silent();
    TdsResponder server({"sa", "pw", "db"});
    const auto timedOut = OpenConnectionOnce(
        BuildConnectionString(Local(silent->port()), "sa", "pw", "db") + ";Connect Timeout=1");
    EXPECT_FALSE(timedOut.succeeded);
    const auto next =
        OpenConnectionOnce(BuildConnectionString(Local(server.port()), "sa", "pw", "db"));
    EXPECT_TRUE(next.succeeded) << next.detail;
}

TEST(OpenConnectionOnce, ConcurrentCallsKeepTheirOwnOutcome) {
    TdsResponder server({"sa", "pw", "db"});
    ConnectionOutcome good, bad;
    std::thread a([&] {
        good = OpenConnectionOnce(BuildConnectionString(Local(server.port()), "sa", "pw", "db"));
    });
    std::thread b([&] {
        bad = OpenConnectionOnce(BuildConnectionString(Local(server.port()), "sa", "no", "db"));
    });
    a.join();
    b.join();
    EXPECT_TRUE(good.succeeded) << good.detail;
    EXPECT_EQ(good.detail, "");
    EXPECT_FALSE(bad.succeeded);
    EXPECT_THAT(bad.detail, HasSubstr("18456"));
}

}  // namespace
}  // namespace kvr
