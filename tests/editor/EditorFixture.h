#pragma once
// A MainForm over a fake view and a temporary work directory, with the
// machine's services replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/FakeView.h"
#include "editor/MainForm.h"
#include "fixtures/TempDir.h"
#include "platform/Text.h"
#include "store/AliasFile.h"
#include "store/Cencrpyt.h"

namespace kvr::test {

class EditorTest : public ::testing::Test {
  protected:
    EditorTest() {
        platform::SetAnsiCodePage("UTF-8");
        platform::SetCollationLocale("en_US");
        MainFormServices& s = services;
        s.currentDirectory = [this] { return workDir; };
        s.publishSettings = [this](const std::string& d) { published.push_back(d); };
        s.openConnection = [this](const std::string& c) {
            connectionStrings.push_back(c);
            return outcome;
        };
        s.clock = [this] {
            platform::LocalTime t{2026, 12, 8, 15, 30, ++seconds % 60, 0};
            return t;
        };
        form = std::make_unique<MainForm>(view, s);
    }
    ~EditorTest() override {
        platform::SetAnsiCodePage("");
        platform::SetCollationLocale("");
    }

    std::string FilePath() const { return workDir + "KVRCFG"; }
    std::string FileBytes() const { return ReadBytes(FilePath()); }

    // Saves an alias's four values straight into the file.
    void Store(const std::string& alias, const std::vector<std::string>& values) {
        AliasFile file(workDir);
        const char* keys[] = {"DatabaseName", "ServerName", "UserName", "PassWord"};
        for (size_t i = 0; i < 4; ++i) {
            file.WriteAliasField(alias, keys[i],
                                 CEncrpyt().Encrypt("00:00:00 01/01/2026", values[i]));
        }
    }

    // A new window over the same work directory, as at the next start.
    void Restart() {
        form.reset();
        view = FakeView();
        form = std::make_unique<MainForm>(view, services);
    }

    void Start() {
        form->FormCreate();
        form->FormActivate();
    }

    void Click(const std::u16string& text) {
        NodeId node = text == u"Kavrolis" ? view.RootNode() : view.Child(text);
        ASSERT_NE(node, kNoNode) << "no node " << platform::Utf16ToUtf8(text);
        view.SelectNode(node);
        form->TreeView1Click();
    }

    std::vector<std::u16string> BoxTexts() {
        return {view.text[Box::DatabaseName], view.text[Box::ServerName], view.text[Box::UserName],
                view.text[Box::PassWord]};
    }

    TempDir dir;
    std::string workDir = dir.Path();
    FakeView view;
    MainFormServices services;
    std::unique_ptr<MainForm> form;
    std::vector<std::string> published;
    std::vector<std::string> connectionStrings;
    ConnectionOutcome outcome{true, ""};
    int seconds = 0;
};

}  // namespace kvr::test
