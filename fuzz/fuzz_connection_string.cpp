// The connection-string reader over arbitrary text, the server-name mapping,
// and the round trip from the four fields through the built string.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "dbtest/ConnectionString.h"
#include "platform/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Anything else than a readable reason would reach the user as a crash.
    try {
        const kvr::ConnectionSettings settings = kvr::ParseConnectionString(text);
        FUZZ_CHECK(settings.timeoutSeconds > 0 && settings.timeoutSeconds <= 86400);
    } catch (const kvr::Error&) {
    }
    try {
        FUZZ_CHECK(!kvr::FreeTdsServerName(text).empty());
    } catch (const kvr::Error&) {
    }

    // Whatever the boxes hold reaches the driver exactly as typed.
    FuzzedDataProvider input(data, size);
    const std::string server = input.ConsumeRandomLengthString(64);
    const std::string user = input.ConsumeRandomLengthString(64);
    const std::string password = input.ConsumeRandomLengthString(64);
    const std::string database = input.ConsumeRemainingBytesAsString();
    const std::string built = kvr::BuildConnectionString(server, user, password, database);
    const kvr::ConnectionSettings settings = kvr::ParseConnectionString(built);
    FUZZ_CHECK(settings.provider == "SQLOLEDB.1");
    FUZZ_CHECK(settings.server == server);
    FUZZ_CHECK(settings.user == user);
    FUZZ_CHECK(settings.password == password);
    FUZZ_CHECK(settings.database == database);
    FUZZ_CHECK(settings.trusted);
    FUZZ_CHECK(settings.timeoutSeconds == kvr::kDefaultLoginTimeoutSeconds);
    return 0;
}
