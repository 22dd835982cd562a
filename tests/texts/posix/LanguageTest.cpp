// The language of our texts follows the locale variables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "texts/Explanations.h"
#include "texts/Texts.h"

namespace kvr {
namespace {

// Sets the three locale variables for one test and puts them back.
class LocaleVariables {
  public:
    LocaleVariables(const char* all, const char* messages, const char* lang) {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.emplace_back(value != nullptr ? std::optional<std::string>(value)
                                                 : std::nullopt);
        }
        Set("LC_ALL", all);
        Set("LC_MESSAGES", messages);
        Set("LANG", lang);
    }
    ~LocaleVariables() {
        for (std::size_t i = 0; i < saved_.size(); ++i) {
            Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
        }
    }

  private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    static void Set(const char* name, const char* value) {
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    std::vector<std::optional<std::string>> saved_;
};

const SourceText kDatabase = texts::ExplanationOf(FailureReason::DatabaseUnavailable);

TEST(Texts, LanguageFollowsTheFirstLocaleVariableSet) {
    struct Row {
        const char* all;
        const char* messages;
        const char* lang;
        bool chinese;
    };
    for (const Row& row : {
             Row{nullptr, nullptr, "zh_TW.UTF-8", true},
             Row{"", "zh_TW.Big5", "C.UTF-8", true},
             Row{"C.UTF-8", nullptr, "zh_TW.UTF-8", false},
             Row{nullptr, nullptr, "zh_CN.UTF-8", false},
             Row{nullptr, nullptr, "zh_HK.UTF-8", true},
             Row{nullptr, nullptr, nullptr, false},
         }) {
        SCOPED_TRACE(row.lang != nullptr ? row.lang : "(none)");
        LocaleVariables locale(row.all, row.messages, row.lang);
        EXPECT_EQ(texts::Chinese(), row.chinese);
        // The translation's entities (the apostrophe of "login's") are decoded.
        EXPECT_EQ(texts::Translated(kDatabase),
                  row.chinese ? texts::ChineseOf(kDatabase) : std::string(kDatabase.text));
    }
}

}  // namespace
}  // namespace kvr
