#pragma once
// The one-shot connection test: the connection string built from the four
// fields, and one open and close of a SQL Server connection. Texts are UTF-8.
#include <string>
#include <string_view>

namespace kvr {

// "Provider=SQLOLEDB.1;server=<server>; User Id=<user>;Password=<password>;
// database=<database>;Trusted_Connection=true". A value holding ";", a quote,
// leading or trailing blanks or a leading "=" is quoted the way the string is
// read back; every other value goes in exactly as given.
std::string BuildConnectionString(std::string_view server, std::string_view user,
                                  std::string_view password, std::string_view database);

// Why an open failed, in the terms an administrator acts on. Every opener
// (FreeTDS here, ADO on Windows) sorts its driver's errors into these.
enum class FailureReason {
    Other,                // none of the below; the driver's text says more
    NoServerName,         // the server name is empty
    ServerNotFound,       // the host name does not resolve, or nothing is reachable there
    PortClosed,           // the host refused the connection: nothing listens at that port
    Timeout,              // no answer within the login timeout
    LoginRefused,         // wrong user name or password (SQL Server 18456)
    IntegratedLogin,      // no user name: the integrated login was refused or unavailable
    DatabaseUnavailable,  // missing, or not allowed for this login (SQL Server 4060)
    Encryption,           // the two sides did not agree on encryption
    InstanceNotFound,     // host\instance: the SQL Server Browser does not know the instance
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

// What a connection string asks for, read the way ADO reads one: keys are
// trimmed and compared without regard to letter case, values may be enclosed
// in double or single quotes (a doubled quote inside stands for one), the last
// of repeated keys wins, unknown keys are ignored.
struct ConnectionSettings {
    std::string provider;     // trimmed, as written
    std::string server;       // server / Data Source / Address, not yet trimmed
    std::string user;         // User Id / UID
    std::string password;     // Password / PWD
    std::string database;     // database / Initial Catalog
    bool trusted = false;     // Trusted_Connection / Integrated Security
    int timeoutSeconds = 15;  // Connect Timeout / Connection Timeout
};

inline constexpr int kDefaultLoginTimeoutSeconds = 15;

// Throws kvr::Error with a readable reason when the string cannot be read
// (an unclosed quote, a pair without "=", a timeout that is not a number).
ConnectionSettings ParseConnectionString(std::string_view connectionString);

// The server name as DB-Library takes it: blanks and a "tcp:" prefix removed,
// "host,port" turned into "host:port", ".", "(local)" and "localhost" turned
// into 127.0.0.1, a bare host given the default port 1433, "host\instance" left
// to the SQL Server Browser lookup. Throws kvr::Error when nothing is left.
std::string FreeTdsServerName(std::string_view server);
// Nothing but blanks and a "tcp:" prefix.
bool NamesNoServer(std::string_view server);

}  // namespace kvr
