// The publication in the system's own registry (under Wine, the prefix's).
#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "settings/PublishMachineSettings.h"

namespace kvr {
namespace {

using platform::RegType;
using platform::StringValue;

TEST(MachineRegistryTest, PublishesInTheSystemsRegistry) {
    auto registry = platform::MachineRegistry();
    {
        auto key = registry->CreateKey("SOFTWARE", platform::kKeyWrite);
        ASSERT_TRUE(key.IsOpen());
        ASSERT_TRUE(key.SetStringValue("Vesk_UDP_Port", "7001"));
        ASSERT_TRUE(key.SetStringValue("Temlor_UDP_Port", " "));
    }
    PublishMachineSettings("C:\\Kavrolis\\", *registry);

    auto key = registry->OpenKey("SOFTWARE", platform::kKeyRead);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.QueryValue("KVRPath"), StringValue(RegType::Sz, "C:\\Kavrolis\\"));
    EXPECT_EQ(key.QueryValue("kvrpath"), StringValue(RegType::Sz, "C:\\Kavrolis\\"));
    EXPECT_EQ(key.QueryValue("Vesk_UDP_Port"), StringValue(RegType::Sz, "7001"));
    EXPECT_EQ(key.QueryValue("Temlor_UDP_Port"), StringValue(RegType::Sz, ""));
    EXPECT_EQ(key.QueryValue("Faddokin_UDP_Port"), StringValue(RegType::Sz, ""));
    EXPECT_EQ(PublishedWorkDir(*registry), "C:\\Kavrolis\\");

    // A key opened for reading only takes no writes.
    EXPECT_FALSE(key.SetStringValue("KVRPath", "D:\\"));
    EXPECT_FALSE(registry->OpenKey("SOFTWARE\\NoSuchKeyOfOurs", platform::kKeyRead).IsOpen());
}

}  // namespace
}  // namespace kvr
