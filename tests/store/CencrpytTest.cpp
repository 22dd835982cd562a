#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Errors.h"
#include "store/Cencrpyt.h"
#include "store/KeyStamp.h"

namespace kvr {
namespace {

const std::string kStamp = "02:05:09 07/03/2024";

// The reader the other programs of the suite carry, step for step: header
// items with default 0, value items strict, low 8 bits of item - 16, 0 adds
// nothing, stride 4 while key items remain. Returns false where it would fail.
bool SuiteDecrypt(const std::string& s, std::string& out) {
    auto number = [](const std::string& item, bool& ok) {
        ok = !item.empty() && item.find_first_not_of("0123456789abcdefABCDEF") == item.npos;
        return ok ? std::stoi(item, nullptr, 16) : 0;
    };
    bool ok = true;
    int k = number(s.substr(0, std::min<size_t>(2, s.size())), ok) - 24;
    int n = number(s.size() > 2 ? s.substr(2, 2) : "", ok) - 16;
    std::string body = s.size() > 4 ? s.substr(4) : "";
    out.clear();
    size_t p = 0;
    for (int i = 0, u = 0; i < n; ++i) {
        int v = number(p < body.size() ? body.substr(p, 2) : "", ok);
        if (!ok) {
            return false;
        }
        if (unsigned char c = static_cast<unsigned char>((v - 16) & 0xFF); c != 0) {
            out += static_cast<char>(c);
        }
        p += u < k ? (++u, 4) : 2;
    }
    return true;
}

TEST(CencrpytTest, Layout) {
    CEncrpyt cipher;
    // key "ab": 2+24=1a; value "x": 1+16=11; 'x'+16=88; 'a'+24=79.
    EXPECT_EQ(cipher.Encrypt("ab", "x"), "1a118879");
    // Value longer than the key: filler stops with the key.
    EXPECT_EQ(cipher.Encrypt("a", "xyz"),
              "1913887989"
              "8a");
    EXPECT_EQ(cipher.Encrypt(kStamp, ""), "2b10");
    EXPECT_EQ(cipher.Encrypt("", "pw"), cipher.Encrypt("ZEPHIN", "pw"));
    for (size_t n : {1u, 5u, 19u, 20u, 100u}) {
        SCOPED_TRACE(n);
        std::string stored = cipher.Encrypt(kStamp, std::string(n, 'q'));
        EXPECT_EQ(stored.substr(0, 2), "2b");
        EXPECT_EQ(stored.size(), 4 + 2 * n + 2 * std::min<size_t>(n, 19));
        EXPECT_EQ(stored.find_first_not_of("0123456789abcdef"), std::string::npos);
    }
}

TEST(CencrpytTest, EveryByteRoundTripsAndTheSuiteReadsIt) {
    CEncrpyt cipher;
    std::string all;
    for (int b = 1; b <= 0xFF; ++b) {
        all += static_cast<char>(b);
    }
    std::vector<std::string> values;
    for (char c : all) {
        values.emplace_back(1, c);
    }
    values.push_back(all.substr(0, CEncrpyt::kMaxValueLength));
    values.push_back(all.substr(all.size() - CEncrpyt::kMaxValueLength));
    values.push_back("\xA4\xA4\xA4\xE5");  // Big5 中文
    for (const char* key : {"", "k", "\xFF\xE8\x80", "02:05:09 07/03/2024"}) {
        for (const auto& value : values) {
            SCOPED_TRACE(testing::Message() << "key " << key << " value byte "
                                            << int(static_cast<unsigned char>(value[0])));
            std::string stored = cipher.Encrypt(key, value);
            std::string read;
            ASSERT_TRUE(SuiteDecrypt(stored, read)) << stored;
            EXPECT_EQ(read, value);
            EXPECT_EQ(cipher.Decrypt(stored), value);
        }
    }
}

TEST(CencrpytTest, LengthLimits) {
    CEncrpyt cipher;
    const std::string longest(CEncrpyt::kMaxValueLength, 'v');
    EXPECT_EQ(cipher.Encrypt(kStamp, longest).substr(0, 4), "2bff");
    EXPECT_EQ(cipher.Decrypt(cipher.Encrypt(kStamp, longest)), longest);
    EXPECT_TRUE(CEncrpyt::CanEncrypt(longest));
    EXPECT_FALSE(CEncrpyt::CanEncrypt(longest + "v"));
    try {
        cipher.Encrypt(kStamp, longest + "v");
        FAIL() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "Value is too long to store (240 bytes; at most 239)");
    }
    const std::string longKey = "0123456789abcdefghijKLMN";
    EXPECT_EQ(cipher.Encrypt(longKey, longest), cipher.Encrypt(longKey.substr(0, 19), longest));
}

TEST(CencrpytTest, StampsChangeTheTextNotTheValue) {
    CEncrpyt cipher;
    platform::LocalTime t{2024, 3, 7, 9, 5, 2, 0};
    std::string first = cipher.Encrypt(KeyStamp(t), "sa");
    t.second = 3;
    std::string second = cipher.Encrypt(KeyStamp(t), "sa");
    EXPECT_NE(first, second);
    EXPECT_EQ(cipher.Decrypt(first), "sa");
    EXPECT_EQ(cipher.Decrypt(second), "sa");
    EXPECT_EQ(cipher.Encrypt(KeyStamp(t), ""), "2b10");
}

struct DecryptRow {
    const char* label;
    std::string stored;
    std::string value;
};

TEST(CencrpytTest, DecryptReadsWhatItIsGiven) {
    const std::vector<DecryptRow> rows = {
        {"empty", "", ""},
        {"header only", "2b10", ""},
        {"one header item", "2b", ""},
        {"count not positive", "2b0f8879", ""},
        {"count not hex", "2bzz8879", ""},
        {"capital digits", "1A128879899A", "xy"},
        {"key count not hex: stride 2", "zz128889", "xy"},
        {"key count zero: stride 2", "18128889", "xy"},
        {"zero item adds nothing", "1a12107988", "x"},
        {"one-digit tail", "1812888", "x\xF8"},
        {"key items never read", "1a12887989zz", "xy"},
    };
    CEncrpyt cipher;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(cipher.Decrypt(row.stored), row.value);
    }
}

TEST(CencrpytTest, DecryptErrors) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"1a1288", "'0x' is not a valid integer value"},
        {"1a1288797g", "'0x7g' is not a valid integer value"},
        {"1811 888", "'0x 8' is not a valid integer value"},
        {"18118-", "'0x8-' is not a valid integer value"},
    };
    CEncrpyt cipher;
    for (const auto& [stored, message] : rows) {
        SCOPED_TRACE(stored);
        try {
            cipher.Decrypt(stored);
            ADD_FAILURE() << "no error";
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
}

TEST(KeyStampTest, Format) {
    EXPECT_EQ(KeyStamp(platform::LocalTime{2024, 3, 7, 9, 5, 2, 123}), kStamp);
    EXPECT_EQ(KeyStamp(platform::LocalTime{1999, 12, 31, 23, 59, 58, 0}), "58:59:23 31/12/1999");
    EXPECT_EQ(KeyStamp().size(), 19u);
}

}  // namespace
}  // namespace kvr
