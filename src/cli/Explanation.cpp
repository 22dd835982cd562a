#include "cli/Explanation.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

namespace kvr::cli {

namespace {

struct Text {
    FailureReason reason;
    const char* name;
    const char* english;
    const char* chinese;
};

// The editor's texts and their translation, word for word.
constexpr Text kTexts[] = {
    {FailureReason::NoServerName, "no-server-name",
     "No server name was given. Fill in the server name: host, host,port or host\\instance.",
     "未輸入伺服器名稱。請在「伺服器名稱」填入：主機、主機,連接埠 或 主機\\執行個體。"},
    {FailureReason::ServerNotFound, "server-not-found",
     "The server was not found: its name does not resolve, or the network does not reach it. "
     "Check the server name and the network.",
     "找不到伺服器：無法解析此名稱，或網路無法連到它。請檢查伺服器名稱與網路。"},
    {FailureReason::PortClosed, "port-closed",
     "The server machine refused the connection: nothing listens at that port. Check the port "
     "number, and that SQL Server is running and accepts TCP/IP connections.",
     "伺服器主機拒絕連線：該連接埠沒有服務在接聽。請檢查連接埠號碼，並確認 SQL Server "
     "正在執行且接受 TCP/IP 連線。"},
    {FailureReason::Timeout, "timeout",
     "The server did not answer within the time allowed. Check the server name and port, and "
     "whether a firewall drops the connection.",
     "伺服器未在時限內回應。請檢查伺服器名稱與連接埠，以及防火牆是否擋下連線。"},
    {FailureReason::LoginRefused, "login-refused",
     "The server refused the login. Check the user name and the password, and that the server "
     "allows SQL Server logins.",
     "伺服器拒絕登入。請檢查使用者帳號與密碼，並確認伺服器允許 SQL Server 驗證登入。"},
    {FailureReason::IntegratedLogin, "integrated-login",
     "No user name was given, so a Windows (integrated) login was tried, and it failed. Give a "
     "user name and password.",
     "未輸入使用者帳號，因此改用 Windows（整合式）驗證登入，但登入失敗。請輸入使用者帳號與密碼。"},
    {FailureReason::DatabaseUnavailable, "database-unavailable",
     "The user name and password were accepted, but the database cannot be opened: it does not "
     "exist on this server, or this login may not use it (SQL Server error 4060). Check the "
     "database name and the login's rights.",
     "帳號與密碼已被接受，但無法開啟資料庫：此伺服器上沒有這個資料庫，或此登入帳號無權使用它"
     "（SQL Server 錯誤 4060）。請檢查資料庫名稱與帳號權限。"},
    {FailureReason::Encryption, "encryption",
     "The server broke off the connection while settling encryption: one side requires "
     "encryption that the other cannot provide. Check the server's encryption setting and this "
     "machine's.",
     "伺服器在協商加密時中斷連線：一方要求加密，另一方無法配合。請檢查伺服器與本機的加密設定。"},
    {FailureReason::InstanceNotFound, "instance-not-found",
     "The named SQL Server instance was not found: the SQL Server Browser (UDP port 1434) on "
     "that machine did not report it. Check the instance name, or give the port instead "
     "(host,port).",
     "找不到指定的 SQL Server 執行個體：該主機上的 SQL Server Browser（UDP 連接埠 1434）"
     "沒有回報它。請檢查執行個體名稱，或改用連接埠（主機,連接埠）。"},
    {FailureReason::Other, "other", "The connection failed for the reason the driver gives below.",
     "連線失敗，原因請見下方驅動程式的訊息。"},
};

const Text& TextOf(FailureReason reason) {
    for (const Text& text : kTexts) {
        if (text.reason == reason) {
            return text;
        }
    }
    return kTexts[sizeof kTexts / sizeof kTexts[0] - 1];
}

}  // namespace

// The user's language as the environment names it (as the window takes it),
// whether or not the machine has that locale installed; else the locale in
// force ("zh_TW.UTF-8" here, "Chinese (Traditional)_Taiwan.950" on Windows).
bool ChineseLocale() {
    auto chinese = [](const char* name) {
        return std::strncmp(name, "zh", 2) == 0 || std::strncmp(name, "Chinese", 7) == 0;
    };
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return chinese(value);
        }
    }
    const char* locale = std::setlocale(LC_CTYPE, nullptr);
    return locale != nullptr && chinese(locale);
}

const char* ReasonName(FailureReason reason) {
    return TextOf(reason).name;
}

std::string Explanation(FailureReason reason) {
    const Text& text = TextOf(reason);
    return ChineseLocale() ? text.chinese : text.english;
}

}  // namespace kvr::cli
