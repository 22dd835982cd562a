#pragma once
// The one-shot connection test: the connection string built from the four
// fields, and one open and close of a SQL Server connection. Texts are UTF-8.
#include <string>
#include <string_view>

namespace kvr {

// "Provider=SQLOLEDB.1;server=<server>; User Id=<user>;Password=<password>;
// database=<database>;Trusted_Connection=true". A value holding ";", a quote
// or leading or trailing blanks is quoted the way the string is read back.
std::string BuildConnectionString(std::string_view server, std::string_view user,
                                  std::string_view password, std::string_view database);

struct ConnectionOutcome {
    bool succeeded = false;
    std::string detail;  // the driver's error text on failure
};

// Opens one connection as the string says, closes it and reports the outcome.
// Blocks until the server answers or the login timeout (15 s unless the string
// says otherwise) runs out; never much longer. Safe to call off the GUI thread.
ConnectionOutcome OpenConnectionOnce(const std::string& connectionString);

}  // namespace kvr
