// apply's convergence and recode's conversion, called as kvrcfg calls them.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/Apply.h"
#include "cli/Recode.h"
#include "fixtures/CodePage.h"
#include "fixtures/TempDir.h"
#include "platform/Text.h"
#include "store/Cencrpyt.h"

namespace kvr::cli {
namespace {

using test::ReadBytes;
using test::WriteBytes;

const Fields kSales{"sales", "db1", "sa", "pw"};

TEST(PlanApply, AddsChangesAndPrunesOnlyWhatDiffers) {
    const std::vector<CurrentAlias> current{
        {"Sales", kSales}, {"Stock", {"stock", "db1", "sa", "old"}}, {"Old", kSales}};

    // The same values, a name in other letter case: nothing to do.
    ApplyPlan same = PlanApply(current, {{"SALES", kSales}}, true);
    EXPECT_TRUE(same.writes.empty());
    EXPECT_EQ(same.deleted, (std::vector<std::string>{"Stock", "Old"}));

    // A masked password keeps the stored one, so only the server changes;
    // the existing alias keeps its spelling.
    ApplyPlan plan = PlanApply(current,
                               {{"stock", {"stock", "db2", "sa", "*****"}, true},
                                {"New", {"n", "db3", "u", "*****"}, true},
                                {"Sales", kSales}},
                               false);
    EXPECT_EQ(plan.added, (std::vector<std::string>{"New"}));
    ASSERT_EQ(plan.changed.size(), 1u);
    EXPECT_EQ(plan.changed[0].first, "Stock");
    EXPECT_EQ(plan.changed[0].second, (std::vector<std::size_t>{1}));
    EXPECT_TRUE(plan.deleted.empty());
    ASSERT_EQ(plan.writes.size(), 2u);
    EXPECT_EQ(plan.writes[0].second, (Fields{"stock", "db2", "sa", "old"}));
    // A new alias has no password to keep.
    EXPECT_EQ(plan.writes[1].second, (Fields{"n", "db3", "u", ""}));
}

class ApplyFile : public ::testing::Test {
  protected:
    int Run(const std::vector<DeclaredAlias>& declared, ApplyOptions options = {}) {
        std::ostringstream out, err;
        std::istringstream in;
        Io io{out, err, in, {}};
        return Apply(store_, declared, options, io);
    }
    std::string File() const { return ReadBytes(dir_.File("KVRCFG")); }

    test::ScopedCodePage codePage_{"UTF-8"};
    test::TempDir dir_;
    AliasStore store_{dir_.Path()};
};

TEST_F(ApplyFile, ConvergesInOneStepAndThenLeavesEveryByte) {
    store_.WriteMany({{"Sales", kSales}, {"Old", kSales}, {"Keep", kSales}});
    // A hand edit repeated a header: pruning must not let the name come back.
    WriteBytes(dir_.File("KVRCFG"), File() + "[old]\r\nServerName=x\r\n");
    const Fields keepStored = store_.ReadStored("Keep");
    const std::vector<DeclaredAlias> declared{{"Keep", kSales},
                                              {"Sales", {"sales", "db2", "sa", "*****"}, true},
                                              {"New", {"n", "db3", "u", "pw3"}}};

    ApplyOptions check;
    check.check = check.prune = true;
    const std::string before = File();
    EXPECT_EQ(Run(declared, check), kDone);
    EXPECT_EQ(File(), before);

    ApplyOptions prune;
    prune.prune = true;
    EXPECT_EQ(Run(declared, prune), kDone);
    EXPECT_EQ(store_.Names(), (std::vector<std::string>{"Sales", "Keep", "New"}));
    EXPECT_EQ(store_.ReadValues("Sales"), (Fields{"sales", "db2", "sa", "pw"}));
    EXPECT_EQ(store_.ReadValues("New"), (Fields{"n", "db3", "u", "pw3"}));
    EXPECT_EQ(store_.ReadStored("Keep"), keepStored);  // its key stamp stays

    const std::string converged = File();
    EXPECT_EQ(Run(declared, prune), kDone);
    EXPECT_EQ(File(), converged);

    // A plan made from bytes that have changed since is not written.
    const std::string stale = converged + "\r\n";
    EXPECT_FALSE(store_.WriteMany({{"Late", kSales}}, {}, &stale));
    EXPECT_EQ(File(), converged);
}

TEST(Recode, CarriesValuesUnderTheirStampsAndRefusesWhatTheTargetLacks) {
    test::ScopedCodePage codePage("UTF-8");
    const CEncrpyt cipher;
    const std::string stamp = "07:08:09 10/11/2026";
    const std::string bytes = "[銷售]\r\nDatabaseName=" + cipher.Encrypt(stamp, "銷售資料") +
                              "\r\nPassWord=" + cipher.Encrypt(stamp, "x") + "\r\n";

    const Recoded recoded = RecodeAliasBytes(bytes, {"UTF-8", "windows-950"});
    EXPECT_EQ(recoded.names, 1u);
    EXPECT_EQ(recoded.values, 1u);  // "x" has the same bytes in both
    EXPECT_EQ(platform::AnsiCodePage(), "UTF-8");
    {
        test::ScopedCodePage big5("windows-950");
        const std::string name = *platform::UnicodeToAnsi(u"銷售");
        const std::string database = *platform::UnicodeToAnsi(u"銷售資料");
        // The stamp shows in the filler after each value byte.
        std::string carried = "[" + name + "]\r\nDatabaseName=" + cipher.Encrypt(stamp, database) +
                              "\r\nPassWord=" + cipher.Encrypt(stamp, "x") + "\r\n";
        EXPECT_EQ(recoded.bytes, carried);
    }

    const std::string emoji = bytes + "UserName=" + cipher.Encrypt(stamp, "u😀") + "\r\n";
    try {
        RecodeAliasBytes(emoji, {"UTF-8", "windows-950"});
        FAIL() << "a character Big5 lacks was recoded";
    } catch (const Refusal& e) {
        EXPECT_NE(std::string(e.what()).find("KVR別名[銷售] 使用者帳號"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(platform::AnsiCodePage(), "UTF-8");
}

}  // namespace
}  // namespace kvr::cli
