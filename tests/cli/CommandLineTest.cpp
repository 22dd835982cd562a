// The command line read against kvrcfg's own command table, without running
// anything.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace kvr::cli {
namespace {

ParsedLine Parse(const std::vector<std::string>& args) {
    return ParseCommandLine(args, CommandTable());
}

TEST(CommandLineTest, ReadsOptionsWhereverTheyStand) {
    ParsedLine p = Parse({"set", "--server=db1", "Sales", "--dir", "/w", "--user", "sa",
                          "--password-stdin", "--registry", "r.reg"});
    ASSERT_EQ(p.error, "");
    ASSERT_NE(p.call.command, nullptr);
    EXPECT_EQ(p.call.command->name, "set");
    EXPECT_EQ(p.call.arguments, std::vector<std::string>{"Sales"});
    EXPECT_EQ(*p.call.Value("--server"), "db1");
    EXPECT_EQ(*p.call.Value("--user"), "sa");
    EXPECT_EQ(p.call.Value("--database"), nullptr);
    EXPECT_TRUE(p.call.Has("--password-stdin"));
    EXPECT_EQ(p.call.dir, "/w");
    EXPECT_EQ(p.call.registry, "r.reg");

    // After "--" everything is an argument, a leading "-" included.
    p = Parse({"rename", "--", "-old", "--json"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.call.arguments, (std::vector<std::string>{"-old", "--json"}));

    p = Parse({"--help"});
    EXPECT_TRUE(p.call.help);
    EXPECT_EQ(p.error, "");
}

TEST(CommandLineTest, EveryCommandHasItsOwnRow) {
    for (const Command& command : CommandTable()) {
        SCOPED_TRACE(std::string(command.name));
        EXPECT_NE(command.run, nullptr);
        std::vector<std::string> args{std::string(command.name)};
        args.resize(command.arguments + 1, "x");
        ParsedLine p = Parse(args);
        EXPECT_EQ(p.error, "");
        EXPECT_EQ(p.call.command, &command);
    }
}

TEST(CommandLineTest, SaysWhatIsWrong) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"list", "extra"}, "'list' takes 0 arguments, 1 given"},
        {{"rename", "a"}, "'rename' takes 2 arguments, 1 given"},
        {{"--json", "list"}, "option --json before the command"},
        {{"list", "--reveal"}, "unknown option --reveal for 'list'"},
        {{"list", "--json=yes"}, "unknown option --json for 'list'"},
        {{"set", "a", "--server"}, "--server needs a value"},
        {{"--dir=", "list"}, "--dir needs a folder"},
    };
    for (const auto& [args, error] : rows) {
        SCOPED_TRACE(error);
        EXPECT_EQ(Parse(args).error, error);
    }
}

}  // namespace
}  // namespace kvr::cli
