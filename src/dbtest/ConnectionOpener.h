#pragma once
// One open and close of a SQL Server connection, as the connection string
// asks: FreeTDS on Linux (FreeTdsOpener.cpp), ADO on Windows (AdoOpener.cpp);
// CMake builds one of them. Texts are UTF-8.
#include <functional>
#include <string>

namespace kvr {

struct ConnectionOutcome {
    bool succeeded = false;
    std::string detail;  // the driver's error text on failure
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
