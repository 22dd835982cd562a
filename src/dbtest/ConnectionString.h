#pragma once
// The connection test's connection string: built from the four fields, and
// read back the way ADO reads one. Texts are UTF-8.
#include <string>
#include <string_view>

namespace kvr {

// "Provider=SQLOLEDB.1;server=<server>; User Id=<user>;Password=<password>;
// database=<database>;Trusted_Connection=true". A value holding ";", a quote,
// leading or trailing blanks or a leading "=" is quoted the way the string is
// read back; every other value goes in exactly as given.
std::string BuildConnectionString(std::string_view server, std::string_view user,
                                  std::string_view password, std::string_view database);

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
