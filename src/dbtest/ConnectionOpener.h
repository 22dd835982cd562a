#pragma once
// One open and close of a SQL Server connection, as the connection string
// asks: FreeTDS on Linux (freetds/), ADO on Windows (ado/); CMake builds one
// of them as a library of its own, which only the programs link. Texts are
// UTF-8.
#include <functional>
#include <string>

namespace kvr {

// Why an open failed, in the terms an administrator acts on. Every opener
// (FreeTDS on Linux, ADO on Windows) sorts its driver's errors into these.
enum class FailureReason {
    Other,                  // none of the below; the driver's text says more
    NoServerName,           // the server name is empty
    ServerNotFound,         // the host name does not resolve, or nothing is reachable there
    PortClosed,             // the host refused the connection: nothing listens at that port
    Timeout,                // no answer within the login timeout
    LoginRefused,           // wrong user name or password (SQL Server 18456)
    IntegratedLogin,        // no user name: the integrated login was refused or unavailable
    DatabaseUnavailable,    // missing, or not allowed for this login (SQL Server 4060)
    Encryption,             // the two sides did not agree on encryption
    InstanceNotFound,       // host\instance: the SQL Server Browser does not know the instance
    WindowsAccountRefused,  // the provider logged in as the Windows user; the detail names it
};

struct ConnectionOutcome {
    bool succeeded = false;
    std::string detail;  // the driver's error text on failure
    FailureReason reason = FailureReason::Other;
};

// Opens one connection as the string says, closes it and reports the outcome.
// Blocks until the server answers or the login timeout (15 s unless the string
// says otherwise) runs out; never much longer. Safe to call off the GUI thread.
ConnectionOutcome OpenConnectionOnce(const std::string& connectionString);

// Runs open on a thread of its own and waits for it at most timeoutSeconds
// plus half a second; past that the outcome is a failure saying the server
// did not answer in time. A late open finishes on its own, closes what it
// opened and touches nothing of the caller's.
ConnectionOutcome OpenWithin(int timeoutSeconds, std::function<ConnectionOutcome()> open);

}  // namespace kvr
