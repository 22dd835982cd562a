// Building and reading ADO-style connection strings, and turning the server
// field into the name DB-Library takes.
#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>
#include <unordered_map>

#include "dbtest/ConnectionString.h"
#include "platform/Ascii.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "texts/Messages.h"

namespace kvr {
namespace {

using platform::AsciiLower;
using platform::Trim;

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

bool NeedsQuotes(std::string_view value) {
    if (value.find_first_of(";\"'") != std::string_view::npos) {
        return true;
    }
    // A leading "=" would join the key's "=" into "==", which reads as an "="
    // inside the key.
    return !value.empty() &&
           (IsBlank(value.front()) || IsBlank(value.back()) || value.front() == '=');
}

// Ordinary values go in as typed, so the string stays the one other programs
// of the suite expect; only values that would otherwise be read back as
// something else get quotes.
std::string QuoteValue(std::string_view value) {
    if (!NeedsQuotes(value)) {
        return std::string(value);
    }
    const bool hasDouble = value.find('"') != std::string_view::npos;
    const bool hasSingle = value.find('\'') != std::string_view::npos;
    if (hasDouble && !hasSingle) {
        return "'" + std::string(value) + "'";
    }
    std::string out = "\"";
    for (char c : value) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
    return out;
}

// Which field a key names; synonyms as the SQL Server providers accept them.
enum class Field { Provider, Server, User, Password, Database, Trusted, Timeout, Other };

Field FieldOf(const std::string& lowerKey) {
    static const std::unordered_map<std::string, Field> kFields = {
        {"provider", Field::Provider},
        {"server", Field::Server},
        {"data source", Field::Server},
        {"address", Field::Server},
        {"addr", Field::Server},
        {"network address", Field::Server},
        {"user id", Field::User},
        {"uid", Field::User},
        {"password", Field::Password},
        {"pwd", Field::Password},
        {"database", Field::Database},
        {"initial catalog", Field::Database},
        {"trusted_connection", Field::Trusted},
        {"integrated security", Field::Trusted},
        {"connect timeout", Field::Timeout},
        {"connection timeout", Field::Timeout},
    };
    auto it = kFields.find(lowerKey);
    return it == kFields.end() ? Field::Other : it->second;
}

bool ParseTrusted(const std::string& key, std::string_view value) {
    const std::string lower = AsciiLower(Trim(value));
    if (lower == "true" || lower == "yes" || lower == "sspi") {
        return true;
    }
    if (lower == "false" || lower == "no" || lower.empty()) {
        return false;
    }
    throw Error(texts::Say(KVR_TEXT("ConnectionTest",
                                    "The connection string gives %1 the value \"%2\"; it must be "
                                    "true or false."),
                           {key, value}));
}

int ParseTimeout(const std::string& key, std::string_view value) {
    const std::string_view digits = Trim(value);
    int seconds = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
        seconds < 0 || seconds > 86400) {
        throw Error(texts::Say(KVR_TEXT("ConnectionTest",
                                        "The connection string gives %1 the value \"%2\"; it must "
                                        "be a number of seconds."),
                               {key, value}));
    }
    // 0 would mean "wait for ever", which would leave the window waiting on a
    // server that never answers; it gets the usual limit instead.
    return seconds == 0 ? kDefaultLoginTimeoutSeconds : seconds;
}

}  // namespace

std::string BuildConnectionString(std::string_view server, std::string_view user,
                                  std::string_view password, std::string_view database) {
    return "Provider=SQLOLEDB.1;server=" + QuoteValue(server) + "; User Id=" + QuoteValue(user) +
           ";Password=" + QuoteValue(password) + ";database=" + QuoteValue(database) +
           ";Trusted_Connection=true";
}

ConnectionSettings ParseConnectionString(std::string_view text) {
    ConnectionSettings settings;
    size_t pos = 0;
    const size_t n = text.size();
    while (pos < n) {
        while (pos < n && (text[pos] == ';' || IsBlank(text[pos]))) {
            ++pos;
        }
        if (pos >= n) {
            break;
        }
        // The key runs to the first single "="; "==" stands for a "=" in the key.
        std::string key;
        for (;;) {
            if (pos >= n || text[pos] == ';') {
                throw Error(texts::Say(KVR_TEXT("ConnectionTest",
                                                "The connection string holds \"%1\" without "
                                                "\"=\" and a value."),
                                       {Trim(key)}));
            }
            if (text[pos] == '=') {
                if (pos + 1 < n && text[pos + 1] == '=') {
                    key += '=';
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            key += text[pos++];
        }
        key = std::string(Trim(key));
        if (key.empty()) {
            throw Error(texts::Say(
                KVR_TEXT("ConnectionTest", "The connection string holds a value without a key.")));
        }
        while (pos < n && text[pos] != ';' && IsBlank(text[pos])) {
            ++pos;
        }
        std::string value;
        if (pos < n && (text[pos] == '"' || text[pos] == '\'')) {
            const char quote = text[pos++];
            for (;;) {
                if (pos >= n) {
                    throw Error(texts::Say(KVR_TEXT("ConnectionTest",
                                                    "The value of %1 in the connection string "
                                                    "has no closing quote."),
                                           {key}));
                }
                if (text[pos] == quote) {
                    if (pos + 1 < n && text[pos + 1] == quote) {
                        value += quote;
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += text[pos++];
            }
            while (pos < n && text[pos] != ';' && IsBlank(text[pos])) {
                ++pos;
            }
            if (pos < n && text[pos] != ';') {
                throw Error(texts::Say(KVR_TEXT("ConnectionTest",
                                                "The quoted value of %1 in the connection string "
                                                "is followed by more text."),
                                       {key}));
            }
        } else {
            const size_t end = std::min(text.find(';', pos), n);
            value = std::string(Trim(text.substr(pos, end - pos)));
            pos = end;
        }

        switch (FieldOf(AsciiLower(key))) {
            case Field::Provider:
                settings.provider = std::string(Trim(value));
                break;
            case Field::Server:
                settings.server = value;
                break;
            case Field::User:
                settings.user = value;
                break;
            case Field::Password:
                settings.password = value;
                break;
            case Field::Database:
                settings.database = value;
                break;
            case Field::Trusted:
                settings.trusted = ParseTrusted(key, value);
                break;
            case Field::Timeout:
                settings.timeoutSeconds = ParseTimeout(key, value);
                break;
            case Field::Other:
                break;
        }
    }
    return settings;
}

namespace {
std::string_view WithoutProtocol(std::string_view server) {
    std::string_view name = Trim(server);
    if (AsciiLower(name.substr(0, 4)) == "tcp:") {
        name = Trim(name.substr(4));
    }
    return name;
}
}  // namespace

bool NamesNoServer(std::string_view server) {
    return WithoutProtocol(server).empty();
}

std::string FreeTdsServerName(std::string_view server) {
    std::string_view name = WithoutProtocol(server);
    if (name.empty()) {
        throw Error(texts::Say(texts::kNoServerName));
    }

    std::string_view port;
    if (const size_t comma = name.rfind(','); comma != std::string_view::npos) {
        port = Trim(name.substr(comma + 1));
        name = Trim(name.substr(0, comma));
        int number = 0;
        auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (port.empty() || ec != std::errc() || end != port.data() + port.size() || number < 1 ||
            number > 65535) {
            throw Error(texts::Say(KVR_TEXT("ConnectionTest",
                                            "The port in the server name \"%1\" is not a number "
                                            "from 1 to 65535."),
                                   {Trim(server)}));
        }
    }
    std::string_view instance;
    if (const size_t slash = name.find('\\'); slash != std::string_view::npos) {
        instance = Trim(name.substr(slash + 1));
        name = Trim(name.substr(0, slash));
    }
    if (name.empty()) {
        throw Error(texts::Say(KVR_TEXT("ConnectionTest", "The server name \"%1\" names no host."),
                               {Trim(server)}));
    }

    std::string host(name);
    const std::string lower = AsciiLower(host);
    if (lower == "." || lower == "(local)" || lower == "localhost") {
        host = "127.0.0.1";
    }
    if (!port.empty()) {
        // A given port wins over an instance name, as with the Windows client.
        return host + ":" + std::string(port);
    }
    if (!instance.empty()) {
        return host + "\\" + std::string(instance);
    }
    if (host.find(':') != std::string::npos) {
        return host;  // already in DB-Library's host:port form
    }
    // An explicit port keeps a freetds.conf section that happens to share the
    // host's name from redirecting the test elsewhere.
    return host + ":1433";
}

}  // namespace kvr
