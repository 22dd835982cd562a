// One open and close of a SQL Server connection through FreeTDS's DB-Library.
//
// The open runs under OpenWithin's watchdog: FreeTDS honours its login
// timeout for the login itself, but not for everything before it (the SQL
// Server Browser lookup of host\instance takes its own 16 s).
#include <sybfront.h>  // must precede sybdb.h

#include <sybdb.h>

#include <mutex>
#include <string>
#include <vector>

#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"
#include "platform/Errors.h"

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
};

thread_local std::vector<DriverReport> tReports;

int CollectError(DBPROCESS*, int severity, int dberr, int oserr, char* dberrstr, char* oserrstr) {
    DriverReport report{false, dberr, severity, dberrstr != nullptr ? dberrstr : ""};
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

const char* PlainWords(int number) {
    switch (number) {
        case 20009:
            return "The server cannot be reached: nothing answers at that address and port.";
        case 20012:
            return "The server name is not known.";
        case 20013:
            return "The server's host name cannot be found.";
        case 20003:
            return "The server did not answer in time.";
        case 20002:
            return "The connection to the server failed.";
        case 18456:
            return "The server refused the user name or password.";
        case 4060:
            return "The server cannot open the database.";
        case 18452:
            return "The server refused the integrated login.";
        default:
            return nullptr;
    }
}

// Plain words first, then the driver's own lines, one per report. The words
// come from the server's messages when there are any (the driver's "connection
// failed" that follows a refused login adds nothing), else from the driver's
// errors, where "not in the configuration" only precedes "unknown host".
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
    auto has = [&reports](int number) {
        for (const auto& r : reports) {
            if (r.number == number) {
                return true;
            }
        }
        return false;
    };
    for (bool server : {true, false}) {
        for (const auto& r : reports) {
            if (r.fromServer != server || PlainWords(r.number) == nullptr ||
                (r.number == 20012 && has(20013)) || (r.number == 20002 && !lines.empty())) {
                continue;
            }
            addOnce(PlainWords(r.number));
        }
    }
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
    return detail.empty() ? "The connection failed; FreeTDS gave no reason." : detail;
}

struct Target {
    std::string server;  // DB-Library's form
    std::string user;
    std::string password;
    std::string database;
    bool integrated = false;  // no user name with a trusted connection
    int timeoutSeconds = kDefaultLoginTimeoutSeconds;
};

ConnectionOutcome OpenOnThisThread(const Target& target) {
    tReports.clear();
    if (!InitDbLibrary()) {
        return {false, "FreeTDS's DB-Library could not be started."};
    }
    LOGINREC* login = dblogin();
    if (login == nullptr) {
        return {false, "FreeTDS could not prepare a login."};
    }
    if (!target.user.empty()) {
        DBSETLUSER(login, target.user.c_str());
        DBSETLPWD(login, target.password.c_str());
    }
    if (target.integrated) {
        DBSETLNETWORKAUTH(login, TRUE);
    }
    if (!target.database.empty()) {
        DBSETLDBNAME(login, target.database.c_str());
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
        dbclose(connection);
        tReports.clear();
        return {true, {}};
    }
    std::string detail = Describe(tReports);
    tReports.clear();
    if (target.integrated) {
        detail =
            "No user name was given, so an integrated (Kerberos) login was tried; it works only "
            "where Kerberos is set up for FreeTDS on this machine.\n" +
            detail;
    }
    return {false, detail};
}

ConnectionOutcome Fail(std::string reason) {
    return {false, std::move(reason)};
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
                            ? "The connection string names no provider; only SQLOLEDB is supported."
                            : "The provider \"" + settings.provider +
                                  "\" is not supported; only SQLOLEDB is.");
        }
        target.server = FreeTdsServerName(settings.server);
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
