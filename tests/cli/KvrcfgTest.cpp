// kvrcfg as scripts use it: the binary run in a shell against temporary work
// directories, its exit status, standard output and standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "fixtures/TdsResponder.h"
#include "fixtures/TempDir.h"
#include "platform/FileRegistry.h"
#include "platform/MachineCodePage.h"
#include "store/Cencrpyt.h"

namespace kvr {
namespace {

using Json = nlohmann::json;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

class Kvrcfg : public ::testing::Test {
  protected:
    // Runs kvrcfg in the work directory with `input` on its standard input.
    Result Run(const std::vector<std::string>& args, const std::string& input = "") {
        WriteBytes(io_.File("in"), input);
        std::string command =
            "cd " + Quoted(work_.Path()) + " && LC_ALL=C.UTF-8 " + Quoted(KVRCFG_BINARY);
        for (const std::string& arg : args) {
            command += " " + Quoted(arg);
        }
        command += " <" + Quoted(io_.File("in")) + " >" + Quoted(io_.File("out")) + " 2>" +
                   Quoted(io_.File("err"));
        int raw = std::system(command.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = ReadBytes(io_.File("out"));
        r.err = ReadBytes(io_.File("err"));
        return r;
    }

    // Runs a command that must succeed.
    std::string Ok(const std::vector<std::string>& args, const std::string& input = "") {
        Result r = Run(args, input);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }

    std::string File() const { return ReadBytes(work_.File("KVRCFG")); }

    static std::string Stored(std::string_view value) {
        return CEncrpyt().Encrypt("12:00:00 01/01/2026", value);
    }

    TempDir work_;
    TempDir io_;
};

TEST_F(Kvrcfg, EditsAnAliasAsTheEditorDoes) {
    Ok({"add", "  Sales "});
    Ok({"set", "SALES", "--server", "db1,1433", "--user", "sa", "--database", "銷售",
        "--password-stdin"},
       "p;w'\n");
    // Fields not given keep their values.
    Ok({"set", " sales ", "--user", "admin"});
    EXPECT_EQ(Json::parse(Ok({"show", "sales", "--json", "--reveal"})),
              Json::parse(R"({"name":"Sales","database":"銷售","server":"db1,1433",
                              "user":"admin","password":"p;w'"})"));
    EXPECT_EQ(Json::parse(Ok({"show", "Sales", "--json"}))["password"], "*****");
    EXPECT_EQ(Ok({"show", "Sales"}),
              "Name:         Sales\nDatabaseName: 銷售\nServerName:   db1,1433\n"
              "UserName:     admin\nPassWord:     *****\n");

    Ok({"add", "Other"});
    Ok({"rename", "sales", "Stock"});
    EXPECT_EQ(Ok({"list"}), "Stock\nOther\n");
    EXPECT_EQ(Json::parse(Ok({"list", "--json"})), Json::parse(R"(["Stock","Other"])"));
    EXPECT_EQ(Json::parse(Ok({"show", "stock", "--json", "--reveal"}))["user"], "admin");

    Ok({"delete", "STOCK"});
    EXPECT_EQ(File(), "[Other]\r\n");
}

TEST_F(Kvrcfg, SetsAtTheSameTimeLoseNothing) {
    constexpr int kAliases = 6;
    std::string script =
        "cd " + Quoted(work_.Path()) + " && export LC_ALL=C.UTF-8 && k=" + Quoted(KVRCFG_BINARY) +
        " && for i in $(seq " + std::to_string(kAliases) + "); do $k add a$i; done && ";
    // Each process its own alias, and four more each one field of the same alias.
    script += "for i in $(seq " + std::to_string(kAliases) +
              "); do $k set a$i --server s$i --user u$i & done; "
              "$k set a1 --database d1 & $k set A1 --password-stdin <<<p1 & "
              "$k set a2 --database d2 & $k set a2 --password-stdin <<<p2 & wait";
    ASSERT_EQ(std::system(("bash -c " + Quoted(script)).c_str()), 0);
    for (int i = 1; i <= kAliases; ++i) {
        SCOPED_TRACE(i);
        Json json = Json::parse(Ok({"show", "a" + std::to_string(i), "--json", "--reveal"}));
        EXPECT_EQ(json["server"], "s" + std::to_string(i));
        EXPECT_EQ(json["user"], "u" + std::to_string(i));
        if (i <= 2) {
            EXPECT_EQ(json["database"], "d" + std::to_string(i));
            EXPECT_EQ(json["password"], "p" + std::to_string(i));
        }
    }
}

TEST_F(Kvrcfg, RefusesAndLeavesTheFileAlone) {
    WriteBytes(work_.File("KVRCFG"), "[Sales]\r\nDatabaseName=" + Stored("db") + "\r\n[Stock]\r\n");
    const std::string before = File();
    struct Row {
        std::vector<std::string> args;
        int status;
    };
    const Row rows[] = {
        {{"add", "sALES"}, 1},
        {{"add", "Kavrolis"}, 1},
        {{"rename", "Stock", "sales"}, 1},
        {{"show", "Nobody"}, 1},
        {{"set", "Sales", "--server", std::string(240, 'x')}, 1},
        {{"set", "Sales", "--password", "secret"}, 2},
        {{"set", "Sales"}, 2},
        {{"frobnicate"}, 2},
        {{"--dir", work_.File("nowhere"), "list"}, 3},
        {{"--dir", work_.File("KVRCFG"), "export"}, 3},
        {{"test", "Sales", "--timeout", "soon"}, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + (row.args.size() > 1 ? row.args[1] : ""));
        Result r = Run(row.args);
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_TRUE(r.out.empty());
        // One line on standard error.
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_EQ(File(), before);
    }
    // An existing alias is named as stored, not as typed.
    EXPECT_EQ(Run({"add", "sALES"}).err, "kvrcfg: Alias [Sales] exists already.\n");
    EXPECT_EQ(Run({"rename", "Stock", "sales"}).err,
              "kvrcfg: Alias [Sales] exists already: alias Stock cannot take its name.\n");
    // A work directory whose KVRCFG cannot be read is a file error.
    std::filesystem::remove(work_.File("KVRCFG"));
    std::filesystem::create_directory(work_.File("KVRCFG"));
    EXPECT_EQ(Run({"list"}).status, 3);
}

TEST_F(Kvrcfg, ExportImportKeepsEveryByte) {
    // A name and values that are not UTF-8 text, next to ordinary ones.
    const std::string oddName = "\xb1\xbe\xa6\x61";
    const std::string oddValue = std::string("a\xff\xfe", 3);
    WriteBytes(work_.File("KVRCFG"), "[" + oddName + "]\r\nDatabaseName=" + Stored(oddValue) +
                                         "\r\nServerName=" + Stored("srv") + "\r\nUserName=" +
                                         Stored("") + "\r\nPassWord=" + Stored("p\xe9") +
                                         "\r\n[Plain]\r\nServerName=" + Stored("db,1433") + "\r\n");
    const std::string exported = Ok({"export", "--reveal"});
    Json json = Json::parse(exported);
    EXPECT_EQ(json["aliases"][0]["name"], Json::parse(R"({"hex":"b1bea661"})"));
    EXPECT_EQ(json["aliases"][0]["database"], Json::parse(R"({"hex":"61fffe"})"));
    EXPECT_EQ(json["aliases"][1]["server"], "db,1433");

    TempDir other;
    WriteBytes(other.File("aliases.json"), exported);
    Result r = Run({"--dir", other.Path(), "import", other.File("aliases.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Ok({"--dir", other.Path(), "export", "--reveal"}), exported);

    // Masked passwords are never imported; existing aliases stay unless replaced.
    TempDir third;
    WriteBytes(other.File("masked.json"), Ok({"export"}));
    EXPECT_EQ(Run({"--dir", third.Path(), "import", other.File("masked.json")}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(third.File("KVRCFG")));

    json["aliases"][1]["server"] = "changed";
    WriteBytes(other.File("changed.json"), json.dump());
    Ok({"--dir", other.Path(), "import", other.File("changed.json")});
    EXPECT_EQ(Json::parse(Ok({"--dir", other.Path(), "show", "plain", "--json"}))["server"],
              "db,1433");
    Ok({"--dir", other.Path(), "import", other.File("changed.json"), "--replace"});
    EXPECT_EQ(Json::parse(Ok({"--dir", other.Path(), "show", "plain", "--json"}))["server"],
              "changed");
}

TEST_F(Kvrcfg, ImportRefusesWhatItCannotReadAndSaysWhere) {
    WriteBytes(work_.File("KVRCFG"), "[victim]\r\nServerName=" + Stored("db") + "\r\n");
    const std::string before = File();
    struct Row {
        std::string json;
        int status;
        std::string said;
    };
    const Row rows[] = {
        {R"({"kvrcfg": 2, "aliases": []})", 1, "format version 2 is unknown"},
        {"{\n  \"aliases\": [\n    {\"name\": \"a\",}\n  ]\n}", 3, "at line 3, column 18"},
        {"[{\"name\": \"\xff\"}]", 3, "not UTF-8 at line 1, column 12"},
        {"{\"aliases\": [", 3, "ends inside a value"},
        {R"([{"name": "a", "server": 1e999}])", 3, "a number is out of range"},
        {std::string(100000, '['), 3, "deeper than 8 levels at line 1, column 9"},
        {R"([{"name": ")" + std::string(300, 'n') + R"("}])", 1, "the name has 300 bytes"},
        {R"([{"name": "a"}, {"name": " A "}])", 1, "appears twice"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.said);
        Result r = Run({"import", "-"}, row.json);
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.err.find(row.said), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("parse_error"), std::string::npos) << r.err;
        EXPECT_EQ(File(), before);
    }
    // A file larger than an import may be is refused unread (sparse here: 64 GB).
    const std::string huge = io_.File("huge.json");
    WriteBytes(huge, "[");
    std::filesystem::resize_file(huge, std::uintmax_t{64} << 30);
    Result big = Run({"import", huge});
    EXPECT_EQ(big.status, 3);
    EXPECT_NE(big.err.find("larger than an import may be"), std::string::npos) << big.err;
    std::filesystem::remove(huge);

    // A name with blanks around it is the alias without them.
    Result r = Run({"import", "-"}, R"([{"name": " victim ", "server": "x"}])");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("0 added, 0 replaced, 1 left alone"), std::string::npos) << r.err;
    EXPECT_EQ(File(), before);
}

TEST_F(Kvrcfg, CheckListsTroubleWithoutWriting) {
    WriteBytes(work_.File("KVRCFG"),
               "[Good]\r\nDatabaseName=" + Stored("db") + "\r\n[Never]\r\n[good]\r\nServerName=" +
                   Stored("x") + "\r\n[Bad]\r\nServerName=2b14\r\njunk\r\n" +
                   "  x[y]z\r\n[Odd]\r\nUserName=" + Stored("\xff") + "\r\nPassWord=zz2b14\r\n");
    const std::string before = File();
    Result r = Run({"check", "--json"});
    EXPECT_EQ(r.status, 1) << r.err;
    std::vector<std::pair<int, std::string>> found;
    for (const Json& f : Json::parse(r.out)) {
        EXPECT_TRUE(f["message"].is_string());
        EXPECT_TRUE(f.contains("alias"));
        found.emplace_back(f["line"].get<int>(), f["kind"].get<std::string>());
    }
    const std::vector<std::pair<int, std::string>> expected = {
        {3, "header-only"},  {4, "repeated-header"}, {7, "undecodable"},  {8, "ignored-line"},
        {9, "not-a-header"}, {11, "value-not-text"}, {12, "undecodable"},
    };
    EXPECT_EQ(found, expected);
    EXPECT_EQ(File(), before);

    WriteBytes(work_.File("KVRCFG"), "[Good]\r\nDatabaseName=" + Stored("db") + "\r\n");
    EXPECT_EQ(Run({"check"}).status, 0);
}

TEST_F(Kvrcfg, TestsTheSavedFields) {
    test::TdsResponder server({"sa", "secret", "Sales"});
    const std::string address = "127.0.0.1," + std::to_string(server.port());
    Ok({"add", "live"});
    Ok({"set", "live", "--server", address, "--user", "sa", "--database", "Sales",
        "--password-stdin"},
       "secret\n");
    Result r = Run({"test", "LIVE"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("連線成功!! (", 0), 0u) << r.out;

    Ok({"set", "live", "--password-stdin"}, "wrong\n");
    r = Run({"test", "live", "--json", "--timeout", "5"});
    EXPECT_EQ(r.status, 1) << r.err;
    Json json = Json::parse(r.out);
    EXPECT_EQ(json["connected"], false);
    EXPECT_EQ(json["reason"], "login-refused");
    EXPECT_TRUE(json["milliseconds"].is_number_integer());
    EXPECT_FALSE(json["detail"].get<std::string>().empty());
    r = Run({"test", "live"});
    EXPECT_EQ(r.out.rfind("連線失敗!! (", 0), 0u);
    EXPECT_NE(r.out.find("The server refused the login."), std::string::npos) << r.out;
}

TEST_F(Kvrcfg, KeepsTheMachineCodePageUnderAnyTerminal) {
    // A Big5 machine, driven from a UTF-8 terminal.
    TempDir machine;
    const std::string registry = machine.File("registry.reg");
    ASSERT_TRUE(platform::WriteMachineCodePage(platform::FileRegistry(registry), 950));
    Ok({"--registry", registry, "add", "銷售"});
    Ok({"--registry", registry, "set", "銷售", "--database", "資料庫一"});
    EXPECT_EQ(File().substr(0, 8), "[\xbe\x50\xb0\xe2]\r\n");
    EXPECT_EQ(Ok({"--registry", registry, "list"}), "銷售\n");
    EXPECT_EQ(Json::parse(Ok({"--registry", registry, "show", "銷售", "--json"}))["database"],
              "資料庫一");
    // Text Big5 cannot hold is refused, never stored as "?".
    const std::string before = File();
    EXPECT_EQ(Run({"--registry", registry, "set", "銷售", "--database", "数据"}).status, 1);
    EXPECT_EQ(Run({"--registry", registry, "add", "数据"}).status, 1);
    EXPECT_EQ(File(), before);
}

TEST_F(Kvrcfg, PublishesTheWorkDirectory) {
    TempDir machine;
    const std::string registry = machine.File("registry.reg");
    Ok({"--registry", registry, "publish"});
    EXPECT_NE(ReadBytes(registry).find("\"KVRPath\"=\"" + work_.Path() + "\""), std::string::npos);
    // A registry that cannot be written is a registry error.
    WriteBytes(machine.File("plain"), "");
    EXPECT_EQ(Run({"--registry", machine.File("plain/registry.reg"), "publish"}).status, 3);
    // A current directory removed meanwhile is no work directory ("/" or so).
    const std::string gone = machine.File("gone");
    const std::string command = "mkdir " + Quoted(gone) + " && cd " + Quoted(gone) + " && rmdir " +
                                Quoted(gone) + " && " + Quoted(KVRCFG_BINARY) + " --registry " +
                                Quoted(registry) + " publish 2>" + Quoted(io_.File("err"));
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 3);
    EXPECT_NE(ReadBytes(io_.File("err")).find("current directory"), std::string::npos);
    EXPECT_NE(ReadBytes(registry).find("\"KVRPath\"=\"" + work_.Path() + "\""), std::string::npos);
}

}  // namespace
}  // namespace kvr
