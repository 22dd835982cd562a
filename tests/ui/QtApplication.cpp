// One QApplication for every test of this program, with the code page and
// collation pinned so that no test depends on the machine's locale.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

#include "platform/Text.h"

namespace {

class QtApplication : public ::testing::Environment {
  public:
    void SetUp() override {
        kvr::platform::SetAnsiCodePage("UTF-8");
        kvr::platform::SetCollationLocale("en_US");
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setApplicationName(QStringLiteral("Kavrolis"));
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace
