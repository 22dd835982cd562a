#include "dbtest/ProviderErrors.h"

#include <gtest/gtest.h>

namespace kvr {
namespace {

FailureReason Reason(long native, const std::string& text, const std::string& user = "sa",
                     const std::string& state = "") {
    return ReasonOfProviderErrors({{native, text, state}}, user).reason;
}

// The providers' numbers and words sort into the reasons FreeTDS gives.
TEST(ProviderErrors, SortLikeTheOtherDriversFailures) {
    EXPECT_EQ(Reason(11001, "TCP Provider: No such host is known."), FailureReason::ServerNotFound);
    EXPECT_EQ(Reason(17,
                     "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or "
                     "access denied."),
              FailureReason::ServerNotFound);
    EXPECT_EQ(Reason(10061,
                     "TCP Provider: No connection could be made because the target "
                     "machine actively refused it."),
              FailureReason::PortClosed);
    EXPECT_EQ(Reason(0, "Login timeout expired", "sa", "HYT00"), FailureReason::Timeout);
    EXPECT_EQ(Reason(18,
                     "[DBNETLIB][ConnectionOpen (SECDoClientHandshake()).]SSL Security "
                     "error."),
              FailureReason::Encryption);
    EXPECT_EQ(Reason(4060, "Cannot open database \"Sales\" requested by the login."),
              FailureReason::DatabaseUnavailable);
    EXPECT_EQ(Reason(-1,
                     "SQL Server Network Interfaces: Error Locating Server/Instance "
                     "Specified [xFFFFFFFF]."),
              FailureReason::InstanceNotFound);
    EXPECT_EQ(Reason(0, "Unspecified error"), FailureReason::Other);
    // The first entry that says something decides.
    EXPECT_EQ(
        ReasonOfProviderErrors(
            {{0, "General network error.", ""}, {10060, "A connection attempt failed.", ""}}, "sa")
            .reason,
        FailureReason::Timeout);
}

// A refused login names the Windows account when the provider used it
// instead of the typed user name.
TEST(ProviderErrors, RefusedLoginTellsTheWindowsAccountFromTheTypedOne) {
    EXPECT_EQ(Reason(18456, "Login failed for user 'SA'."), FailureReason::LoginRefused);
    const ProviderReason windows =
        ReasonOfProviderErrors({{18456, "Login failed for user 'OFFICE\\mei'.", "28000"}}, "sa");
    EXPECT_EQ(windows.reason, FailureReason::WindowsAccountRefused);
    EXPECT_EQ(windows.account, "OFFICE\\mei");
    EXPECT_EQ(Reason(18452, "Login failed. The login is from an untrusted domain."),
              FailureReason::WindowsAccountRefused);
    EXPECT_EQ(Reason(18452, "Login failed. The login is from an untrusted domain.", ""),
              FailureReason::IntegratedLogin);
}

}  // namespace
}  // namespace kvr
