#include "editor/Publication.h"

#include <gtest/gtest.h>

#include "platform/Errors.h"

namespace kvr {
namespace {

TEST(CheckedPublication, ReportsAWorkDirectoryTheRegistryDidNotTake) {
    std::optional<std::string> registry;
    int published = 0;
    const auto translate = [](SourceText text) {
        return std::u16string(u"[") + std::u16string(text.text, text.text + 3) + u"]";
    };
    Publish publish = CheckedPublication(
        [&](const std::string& workDir) {
            ++published;
            if (workDir != "/refused/") {
                registry = workDir;
            }
        },
        [&] { return registry; }, translate);

    EXPECT_NO_THROW(publish("/work/"));
    try {
        publish("/refused/");  // the registry still holds "/work/"
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "[The]");
    }
    EXPECT_EQ(published, 2);
}

}  // namespace
}  // namespace kvr
