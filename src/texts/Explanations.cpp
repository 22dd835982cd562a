#include "texts/Explanations.h"

#include <iterator>

namespace kvr::texts {

namespace {

struct Explained {
    FailureReason reason;
    const char* name;
    SourceText text;
};

constexpr Explained kExplained[] = {
    {FailureReason::NoServerName, "no-server-name",
     KVR_TEXT("ConnectionTest",
              "No server name was given. Fill in the server name: host, host,port or "
              "host\\instance.")},
    {FailureReason::ServerNotFound, "server-not-found",
     KVR_TEXT("ConnectionTest",
              "The server was not found: its name does not resolve, or the network does not "
              "reach it. Check the server name and the network.")},
    {FailureReason::PortClosed, "port-closed",
     KVR_TEXT("ConnectionTest",
              "The server machine refused the connection: nothing listens at that port. Check "
              "the port number, and that SQL Server is running and accepts TCP/IP "
              "connections.")},
    {FailureReason::Timeout, "timeout",
     KVR_TEXT("ConnectionTest",
              "The server did not answer within the time allowed. Check the server name and "
              "port, and whether a firewall drops the connection.")},
    {FailureReason::LoginRefused, "login-refused",
     KVR_TEXT("ConnectionTest",
              "The server refused the login. Check the user name and the password, and that "
              "the server allows SQL Server logins.")},
    {FailureReason::IntegratedLogin, "integrated-login",
     KVR_TEXT("ConnectionTest",
              "No user name was given, so a Windows (integrated) login was tried, and it "
              "failed. Give a user name and password.")},
    {FailureReason::DatabaseUnavailable, "database-unavailable",
     KVR_TEXT("ConnectionTest",
              "The user name and password were accepted, but the database cannot be opened: it "
              "does not exist on this server, or this login may not use it (SQL Server error "
              "4060). Check the database name and the login's rights.")},
    {FailureReason::Encryption, "encryption",
     KVR_TEXT("ConnectionTest",
              "The server broke off the connection while settling encryption: one side "
              "requires encryption that the other cannot provide. Check the server's "
              "encryption setting and this machine's.")},
    {FailureReason::InstanceNotFound, "instance-not-found",
     KVR_TEXT("ConnectionTest",
              "The named SQL Server instance was not found: the SQL Server Browser (UDP port "
              "1434) on that machine did not report it. Check the instance name, or give the "
              "port instead (host,port).")},
    {FailureReason::WindowsAccountRefused, "windows-account-refused",
     KVR_TEXT("ConnectionTest",
              "The server refused the Windows account named below: the connection logged in as "
              "the Windows user running this program, not with the user name and password "
              "typed here. Give that account a login on the server, or run the program as a "
              "Windows user that has one.")},
    {FailureReason::Other, "other",
     KVR_TEXT("ConnectionTest", "The connection failed for the reason the driver gives below.")},
};

const Explained& Of(FailureReason reason) {
    for (const Explained& explained : kExplained) {
        if (explained.reason == reason) {
            return explained;
        }
    }
    return kExplained[std::size(kExplained) - 1];
}

}  // namespace

SourceText ExplanationOf(FailureReason reason) {
    return Of(reason).text;
}

const char* ReasonName(FailureReason reason) {
    return Of(reason).name;
}

}  // namespace kvr::texts
