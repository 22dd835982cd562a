// One open and close of a SQL Server connection through FreeTDS's DB-Library.
//
// The open runs under OpenWithin's watchdog: FreeTDS honours its login
// timeout for the login itself, but not for everything before it (the SQL
// Server Browser lookup of host\instance takes its own 16 s).
#include <sybfront.h>  // must precede sybdb.h

#include <sybdb.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"
#include "platform/Errors.h"
#include "texts/Messages.h"

namespace kvr {
namespace {

// What DB-Library reported during one attempt. Its handlers are process-wide,
// but it calls them on the thread that runs the failing call, so each worker
// collects its own.
struct DriverReport {
    bool fromServer = false;
    int number = 0;
    int severity = 0;
    std::string text;
    int osError = 0;
};

thread_local std::vector<DriverReport> tReports;

int CollectError(DBPROCESS*, int severity, int dberr, int oserr, char* dberrstr, char* oserrstr) {
    DriverReport report{false, dberr, severity, dberrstr != nullptr ? dberrstr : "",
                        oserr == DBNOERR ? 0 : oserr};
    if (oserr != DBNOERR && oserr != 0 && oserrstr != nullptr && *oserrstr != '\0') {
        report.text += " (" + std::string(oserrstr) + ")";
    }
    tReports.push_back(std::move(report));
    return INT_CANCEL;
}

int CollectMessage(DBPROCESS*, DBINT msgno, int, int severity, char* msgtext, char*, char*, int) {
    // Severity 10 and below are notices such as "Changed database context".
    if (severity > 10) {
        tReports.push_back(
            {true, static_cast<int>(msgno), severity, msgtext != nullptr ? msgtext : ""});
    }
    return 0;
}

bool InitDbLibrary() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        ready = dbinit() != FAIL;
        dberrhandle(CollectError);
        dbmsghandle(CollectMessage);
    });
    return ready;
}

constexpr int kConnectionRefused = 111;  // ECONNREFUSED, as FreeTDS reports it

// What the reports say went wrong. The server's own messages come first: the
// driver's "connection failed" that follows a refused login adds nothing.
FailureReason Classify(const std::vector<DriverReport>& reports, bool namesInstance) {
    auto has = [&reports](bool fromServer, int number) {
        for (const auto& r : reports) {
            if (r.fromServer == fromServer && r.number == number) {
                return true;
            }
        }
        return false;
    };
    if (has(true, 4060)) {
        return FailureReason::DatabaseUnavailable;
    }
    if (has(true, 18456) || has(true, 18452)) {
        return FailureReason::LoginRefused;
    }
    for (const auto& r : reports) {
        if (!r.fromServer && r.number == 20009) {
            // A refused TCP connection carries the OS error; a failed lookup
            // of host\instance carries none.
            if (r.osError == kConnectionRefused) {
                return FailureReason::PortClosed;
            }
            return namesInstance ? FailureReason::InstanceNotFound : FailureReason::ServerNotFound;
        }
    }
    if (has(false, 20012) || has(false, 20013)) {
        return FailureReason::ServerNotFound;
    }
    if (has(false, 20003)) {
        return FailureReason::Timeout;
    }
    // The server answered the pre-login and the driver gave up before the
    // login without reading past its end: measured with FreeTDS 1.3 when the
    // server demands encryption the driver cannot complete, and when the
    // driver demands encryption the server does not offer.
    if (reports.size() == 1 && has(false, 20002)) {
        return FailureReason::Encryption;
    }
    return FailureReason::Other;
}

// The driver's own lines, one per report.
std::string Describe(const std::vector<DriverReport>& reports) {
    std::vector<std::string> lines;
    auto addOnce = [&lines](std::string line) {
        for (const auto& l : lines) {
            if (l == line) {
                return;
            }
        }
        lines.push_back(std::move(line));
    };
    for (const auto& r : reports) {
        if (r.fromServer) {
            addOnce("Server message " + std::to_string(r.number) + " (severity " +
                    std::to_string(r.severity) + "): " + r.text);
        } else {
            addOnce("FreeTDS error " + std::to_string(r.number) + ": " + r.text);
        }
    }
    std::string detail;
    for (const auto& l : lines) {
        if (!detail.empty()) {
            detail += '\n';
        }
        detail += l;
    }
    return detail.empty() ? texts::Say(KVR_TEXT("ConnectionTest", "FreeTDS gave no reason."))
                          : detail;
}

// The most bytes DB-Library sends for a user name, password or database name
// (SQL Server itself allows 128 characters).
constexpr std::size_t kLoginFieldLimit = 128;

std::string TooLong(SourceText field, const std::string& value) {
    return texts::Say(field, {std::to_string(kLoginFieldLimit), std::to_string(value.size())});
}

// Database names compare without regard to ASCII letter case, as the server
// finds them.
bool SameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

struct Target {
    std::string server;  // DB-Library's form
    std::string user;
    std::string password;
    std::string database;
    bool integrated = false;     // no user name with a trusted connection
    bool namesInstance = false;  // host\instance, found through the SQL Server Browser
    int timeoutSeconds = kDefaultLoginTimeoutSeconds;
};

ConnectionOutcome OpenOnThisThread(const Target& target) {
    tReports.clear();
    if (!InitDbLibrary()) {
        return {false, texts::Say(KVR_TEXT("ConnectionTest",
                                           "FreeTDS's DB-Library could not be started."))};
    }
    LOGINREC* login = dblogin();
    if (login == nullptr) {
        return {false,
                texts::Say(KVR_TEXT("ConnectionTest", "FreeTDS could not prepare a login."))};
    }
    // DB-Library refuses a field longer than it can send (and would log in
    // without it: to the default database, for one): that is the answer.
    for (const auto& [field, value, which] :
         {std::tuple{KVR_TEXT("ConnectionTest",
                              "The user name is too long: FreeTDS sends at most %1 bytes of it, "
                              "this one has %2 (in UTF-8)."),
                     &target.user, DBSETUSER},
          std::tuple{KVR_TEXT("ConnectionTest",
                              "The password is too long: FreeTDS sends at most %1 bytes of it, "
                              "this one has %2 (in UTF-8)."),
                     &target.password, DBSETPWD},
          std::tuple{KVR_TEXT("ConnectionTest",
                              "The database name is too long: FreeTDS sends at most %1 bytes of "
                              "it, this one has %2 (in UTF-8)."),
                     &target.database, DBSETDBNAME}}) {
        if (value->empty() || (which == DBSETPWD && target.user.empty())) {
            continue;
        }
        if (value->size() > kLoginFieldLimit || dbsetlname(login, value->c_str(), which) == FAIL) {
            dbloginfree(login);
            tReports.clear();
            return {false, TooLong(field, *value)};
        }
    }
    if (target.integrated) {
        DBSETLNETWORKAUTH(login, TRUE);
    }
    DBSETLAPP(login, "Kavrolis");
    // Texts are UTF-8; FreeTDS converts them for the wire, so a non-ASCII
    // password arrives as typed.
    DBSETLCHARSET(login, "UTF-8");
    // An explicit version overrides freetds.conf's "auto", which falls back to
    // TDS 5.0 against a silent server and then never returns.
    DBSETLVERSION(login, DBVERSION_74);
    {
        // The login timeout is process-wide in DB-Library; dbopen reads it at
        // its start. Calls with different timeouts at the very same moment may
        // swap them; the caller's own deadline still holds.
        static std::mutex timeoutMutex;
        std::lock_guard lock(timeoutMutex);
        dbsetlogintime(target.timeoutSeconds);
    }
    DBPROCESS* connection = dbopen(login, target.server.c_str());
    dbloginfree(login);
    if (connection != nullptr) {
        // Success means the database asked for: the server names the one the
        // login ended in.
        const char* opened = dbname(connection);
        std::string current = opened != nullptr ? opened : "";
        dbclose(connection);
        tReports.clear();
        if (!target.database.empty() && !SameName(current, target.database)) {
            return {false,
                    texts::Say(KVR_TEXT("ConnectionTest",
                                        "The server opened the database \"%1\" instead of \"%2\"."),
                               {current, target.database}),
                    FailureReason::DatabaseUnavailable};
        }
        return {true, {}};
    }
    ConnectionOutcome outcome{false, Describe(tReports), Classify(tReports, target.namesInstance)};
    tReports.clear();
    if (target.integrated &&
        (outcome.reason == FailureReason::LoginRefused || outcome.reason == FailureReason::Other)) {
        outcome.reason = FailureReason::IntegratedLogin;
    }
    return outcome;
}

ConnectionOutcome Fail(std::string detail, FailureReason reason = FailureReason::Other) {
    return {false, std::move(detail), reason};
}

}  // namespace

ConnectionOutcome OpenConnectionOnce(const std::string& connectionString) {
    Target target;
    try {
        const ConnectionSettings settings = ParseConnectionString(connectionString);
        std::string provider;
        for (char c : settings.provider) {
            provider += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        if (provider != "SQLOLEDB" && provider != "SQLOLEDB.1") {
            return Fail(settings.provider.empty()
                            ? texts::Say(KVR_TEXT("ConnectionTest",
                                                  "The connection string names no provider; only "
                                                  "SQLOLEDB is supported."))
                            : texts::Say(KVR_TEXT("ConnectionTest",
                                                  "The provider \"%1\" is not supported; only "
                                                  "SQLOLEDB is."),
                                         {settings.provider}));
        }
        if (NamesNoServer(settings.server)) {
            return Fail(texts::Say(texts::kNoServerName), FailureReason::NoServerName);
        }
        target.server = FreeTdsServerName(settings.server);
        target.namesInstance = settings.server.find('\\') != std::string::npos &&
                               target.server.find(':') == std::string::npos;
        target.user = settings.user;
        target.password = settings.password;
        target.database = settings.database;
        // With a user name the trusted-connection key changes nothing here:
        // there is no Windows logon identity to use, so the given user logs in.
        target.integrated = settings.trusted && settings.user.empty();
        target.timeoutSeconds = settings.timeoutSeconds;
    } catch (const Error& e) {
        return Fail(e.what());
    }

    return OpenWithin(target.timeoutSeconds, [target] { return OpenOnThisThread(target); });
}

}  // namespace kvr
