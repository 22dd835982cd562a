#include "dbtest/ProviderErrors.h"

#include <algorithm>
#include <cctype>

#include "platform/Text.h"

namespace kvr {
namespace {

bool Says(std::string_view text, std::string_view words) {
    auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    return std::search(text.begin(), text.end(), words.begin(), words.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

// The name in "Login failed for user 'NAME'.", empty when there is none.
std::string QuotedUser(std::string_view text) {
    const std::size_t open = text.find('\'');
    if (open == std::string_view::npos) {
        return {};
    }
    const std::size_t close = text.find('\'', open + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(open + 1, close - open - 1));
}

ProviderReason ReasonOf(const ProviderError& error, std::string_view userName) {
    const std::string_view text = error.description;
    switch (error.native) {
        // The login: wrong password, disabled, expired, must change.
        case 18456:
        case 18470:
        case 18487:
        case 18488: {
            // The string asks for Windows authentication as well: when the
            // server names another account than the one typed, the provider
            // logged in as the Windows user, and the typed name is not at fault.
            std::string account = QuotedUser(text);
            if (!account.empty() && !platform::EqualsIgnoreCase(account, userName)) {
                return {FailureReason::WindowsAccountRefused, account};
            }
            return {FailureReason::LoginRefused, {}};
        }
        case 18452:  // a Windows login the server does not trust
            if (!userName.empty()) {
                return {FailureReason::WindowsAccountRefused, {}};
            }
            return {FailureReason::IntegratedLogin, {}};
        case 4060:  // the database of the string
        case 4064:  // the login's default database
            return {FailureReason::DatabaseUnavailable, {}};
        // The network library's and the system's socket errors.
        case 11001:  // no such host
        case 11004:  // no address for the name
        case 53:     // the network path was not found
        case 67:     // the network name cannot be found
        case 17:     // the server does not exist or access is denied
        case 2:      // no such pipe
            return {FailureReason::ServerNotFound, {}};
        case 10061:  // actively refused
            return {FailureReason::PortClosed, {}};
        case 10060:  // no answer
        case 258:    // wait timeout
            return {FailureReason::Timeout, {}};
        case 18:  // SSL security error
        case 20:  // the server does not support encryption
        case 21:  // encryption not supported on the client
            return {FailureReason::Encryption, {}};
        case 26:  // error locating server/instance
        case -1:
            if (Says(text, "instance")) {
                return {FailureReason::InstanceNotFound, {}};
            }
            break;
        default:
            break;
    }
    // Texts of the providers that give no number of their own.
    if (Says(text, "no such host") || Says(text, "does not exist or access denied")) {
        return {FailureReason::ServerNotFound, {}};
    }
    if (Says(text, "actively refused")) {
        return {FailureReason::PortClosed, {}};
    }
    if (error.sqlState == "HYT00" || Says(text, "timeout expired")) {
        return {FailureReason::Timeout, {}};
    }
    if (Says(text, "ssl") || Says(text, "encrypt") || Says(text, "certificate")) {
        return {FailureReason::Encryption, {}};
    }
    if (Says(text, "locating server/instance")) {
        return {FailureReason::InstanceNotFound, {}};
    }
    return {};
}

}  // namespace

ProviderReason ReasonOfProviderErrors(const std::vector<ProviderError>& errors,
                                      std::string_view userName) {
    for (const ProviderError& error : errors) {
        ProviderReason reason = ReasonOf(error, userName);
        if (reason.reason != FailureReason::Other) {
            return reason;
        }
    }
    return {};
}

}  // namespace kvr
