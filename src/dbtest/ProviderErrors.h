#pragma once
// The reason of a failed open from what a data provider reports: SQL
// Server's native error numbers first, the network library's error numbers,
// then words of the provider's text. The same reasons FreeTDS's errors give
// on Linux. Portable, so that the sorting is tested everywhere.
#include <string>
#include <string_view>
#include <vector>

#include "dbtest/ConnectionOpener.h"

namespace kvr {

struct ProviderError {
    long native = 0;
    std::string description;  // UTF-8
    std::string sqlState;
};

struct ProviderReason {
    FailureReason reason = FailureReason::Other;
    // For WindowsAccountRefused: the account the server names, when it does.
    std::string account;
};

// userName: the user name the connection string gives. The first entry that
// says more than Other decides.
ProviderReason ReasonOfProviderErrors(const std::vector<ProviderError>& errors,
                                      std::string_view userName);

}  // namespace kvr
