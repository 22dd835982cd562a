// What keeps KVRCFG whole: whole-alias reads and writes, the store's rules,
// other processes writing at the same time or dying half-way, and files that
// are not plain files of our own.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fixtures/FailingFileSystem.h"
#include "fixtures/TempDir.h"
#include "platform/Errors.h"
#include "platform/FileRegistry.h"
#include "store/AliasFile.h"

namespace kvr {
namespace {

namespace fs = std::filesystem;
using Call = test::FailingFileSystem::Call;

const std::string kFile =
    "[Test]\r\nDatabaseName=2b11887b\r\n ServerName = \"2b11897b\" \r\n\r\n"
    "[Half]\r\nUserName=2b10\r\n[Last]\r\n";

std::string Message(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

// Temporary files of EditFile left in a folder.
int Leftovers(const std::string& folder) {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        n += entry.path().filename().string().find(".kvr-") != std::string::npos;
    }
    return n;
}

// Runs body in a child process; its exit status (1 for an exception).
pid_t Spawn(const std::function<void()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int status = 0;
        try {
            body();
        } catch (...) {
            status = 1;
        }
        ::_exit(status);
    }
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class AliasStoreTest : public testing::Test {
  protected:
    test::TempDir dir;
    AliasFile file{dir.Path()};
    std::string Path() const { return file.AliasFilePath(); }
    std::string Bytes() const { return test::ReadBytes(Path()); }
};

TEST_F(AliasStoreTest, WholeAliasEqualsFourFieldCalls) {
    const AliasFields stored{"2b12", "", "2b13", "2b14"};
    for (const std::string alias : {"test", "Half", "New"}) {
        SCOPED_TRACE(alias);
        test::WriteBytes(Path(), kFile);
        for (size_t i = 0; i < 4; ++i) {
            file.WriteAliasField(alias, kAliasFieldKeys[i], stored[i]);
        }
        const std::string fieldByField = Bytes();
        test::WriteBytes(Path(), kFile);
        AliasFields before = file.ReadAliasFields(alias);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(before[i], file.ReadAliasField(alias, kAliasFieldKeys[i]));
        }
        file.WriteAliasFields(alias, stored);
        EXPECT_EQ(Bytes(), fieldByField);
        EXPECT_EQ(file.ReadAliasFields(alias), stored);
    }
    // Many aliases in one rewrite: the bytes of the calls one by one, headers
    // found ignoring letter case, new ones appended.
    const std::vector<std::pair<std::string, AliasFields>> many = {
        {"half", stored}, {"New", {"2b15", "", "", ""}}, {"NEW", stored}, {"Test", stored}};
    test::WriteBytes(Path(), std::string(kFile) + "x\n");
    for (const auto& [alias, fields] : many) {
        file.AddAliasHeader(alias);
        file.WriteAliasFields(alias, fields);
    }
    const std::string oneByOne = Bytes();
    test::WriteBytes(Path(), std::string(kFile) + "x\n");
    file.WriteAliases(many);
    EXPECT_EQ(Bytes(), oneByOne);

    EXPECT_EQ(FirstUnfitValue({"", std::string(239, 'x'), "", ""}), std::nullopt);
    EXPECT_EQ(FirstUnfitValue({"", std::string(240, 'x'), std::string(240, 'x'), ""}), 1u);
}

TEST_F(AliasStoreTest, RulesHoldInsideTheLockedStep) {
    test::WriteBytes(Path(), kFile);
    // A rename onto another alias's name is refused; a change of case is not.
    EXPECT_EQ(file.RenameAlias("Test", "LAST"), AliasFile::RenameResult::NameTaken);
    EXPECT_FALSE(file.RenameAliasHeader("Test", "last"));
    EXPECT_EQ(Bytes(), kFile);
    EXPECT_EQ(file.RenameAlias("Test", "TEST"), AliasFile::RenameResult::Renamed);
    EXPECT_EQ(file.RenameAlias("Nobody", "Other"), AliasFile::RenameResult::Missing);

    // A save of what was loaded: refused when the alias changed or went away.
    AliasFields loaded = file.ReadAliasFields("Half");
    file.WriteAliasField("Half", "UserName", "2b11");
    const AliasFields mine{"2b1a", "2b1b", "2b1c", "2b1d"};
    EXPECT_EQ(file.SaveAliasFields("Half", mine, &loaded), AliasFile::SaveResult::Changed);
    EXPECT_EQ(file.ReadAliasField("Half", "UserName"), "2b11");
    EXPECT_EQ(file.SaveAliasFields("Half", mine), AliasFile::SaveResult::Saved);
    file.DeleteAliasSection("Half");
    const std::string gone = Bytes();
    EXPECT_EQ(file.SaveAliasFields("Half", mine), AliasFile::SaveResult::Missing);
    EXPECT_EQ(Bytes(), gone);
}

// Several processes change one file at once; every change must survive.
TEST_F(AliasStoreTest, ConcurrentWritersLoseNothing) {
    constexpr int kWriters = 4;
    constexpr int kRounds = 40;
    std::string start;
    for (int w = 0; w < kWriters; ++w) {
        for (int r = 0; r < kRounds; ++r) {
            start +=
                "[Gone" + std::to_string(w) + "-" + std::to_string(r) + "]\r\nUserName=2b10\r\n";
        }
    }
    test::WriteBytes(Path(), start);
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.push_back(Spawn([&, w] {
            AliasFile mine(dir.Path());
            const std::string id = std::to_string(w);
            for (int r = 0; r < kRounds; ++r) {
                const std::string round = std::to_string(r);
                mine.WriteAliasField("Field" + id, kAliasFieldKeys[r % 4], round);
                mine.AddAliasHeader("Added" + id + "-" + round);
                mine.DeleteAliasSection("Gone" + id + "-" + round);
                if (r % 8 == 0) {
                    mine.WriteAliasFields("Whole" + id, {round, round, round, round});
                }
            }
        }));
    }
    for (pid_t pid : writers) {
        EXPECT_EQ(Wait(pid), 0);
    }
    std::vector<std::string> names = file.ListAliases();
    EXPECT_EQ(names.size(), static_cast<size_t>(kWriters * (kRounds + 2)));
    for (int w = 0; w < kWriters; ++w) {
        const std::string id = std::to_string(w);
        for (int r = 0; r < kRounds; ++r) {
            EXPECT_TRUE(file.HasAliasHeader("Added" + id + "-" + std::to_string(r)));
        }
        const std::string last = std::to_string((kRounds - 1) / 8 * 8);
        EXPECT_EQ(file.ReadAliasFields("Whole" + id), (AliasFields{last, last, last, last}));
        AliasFields fields = file.ReadAliasFields("Field" + id);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(fields[static_cast<size_t>(k)], std::to_string(kRounds - 4 + k));
        }
    }
    EXPECT_EQ(Leftovers(dir.Path()), 0);
}

// A saving process killed at any moment leaves the old file or the new one,
// and the temporary files of killed savers do not pile up. Every other saver
// is killed only after its first save, so that some saves finish however slow
// the machine; the others may die before their first.
TEST_F(AliasStoreTest, KilledWriterLeavesOldOrNewAndNoPileUp) {
    auto fileOf = [](int generation) {
        std::string bytes;
        const std::string g = "g" + std::to_string(generation);
        for (int a = 0; a < 300; ++a) {
            bytes += "[A" + std::to_string(a) + "]\r\n";
            for (const char* key : kAliasFieldKeys) {
                bytes += std::string(key) + "=" + (a == 150 ? g : "x") + "\r\n";
            }
        }
        return bytes;
    };
    test::WriteBytes(Path(), fileOf(0));
    std::mt19937 random(42);
    int generation = 0;
    for (int kill = 0; kill < 150; ++kill) {
        int saved[2];
        ASSERT_EQ(::pipe(saved), 0);
        pid_t saver = Spawn([&] {
            ::close(saved[0]);
            for (int g = generation + 1;; ++g) {
                const std::string text = "g" + std::to_string(g);
                file.WriteAliasFields("A150", {text, text, text, text});
                if (g == generation + 1) {
                    ::close(saved[1]);
                }
            }
        });
        ::close(saved[1]);
        char none;
        const bool firstSaved = kill % 2 == 0 || ::read(saved[0], &none, 1) == 0;
        ::close(saved[0]);
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 4000)(random));
        ::kill(saver, SIGKILL);
        Wait(saver);
        ASSERT_TRUE(firstSaved);
        const std::string value = file.ReadAliasField("A150", "PassWord");
        ASSERT_EQ(value[0], 'g');
        generation = std::stoi(value.substr(1));
        ASSERT_EQ(Bytes(), fileOf(generation)) << "after kill " << kill;
    }
    EXPECT_GT(generation, 0);
    file.WriteAliasField("A0", "UserName", "x");  // sweeps what dead savers left
    EXPECT_LE(Leftovers(dir.Path()), 2);
}

TEST_F(AliasStoreTest, RewriteKeepsOwnerGroupAndMode) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to hand files to another user";
    }
    test::WriteBytes(Path(), kFile);
    ASSERT_EQ(::chown(Path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(Path().c_str(), 0640), 0);
    const std::string registry = dir.File("registry.reg");
    test::WriteBytes(registry, "REGEDIT4\r\n\r\n");
    ASSERT_EQ(::chown(registry.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(registry.c_str(), 0604), 0);

    file.WriteAliasFields("Test", {"2b11", "2b12", "2b13", "2b14"});
    platform::FileRegistry(registry)
        .CreateKey("SOFTWARE", platform::kKeyWrite)
        .SetStringValue("KVRPath", "/w/");
    for (const auto& [path, mode] : {std::pair{Path(), 0640u}, std::pair{registry, 0604u}}) {
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u) << path;
        EXPECT_EQ(st.st_gid, 65534u) << path;
        EXPECT_EQ(st.st_mode & 07777, mode) << path;
    }

    // A user who may write the file but not hand a new one back to its owner
    // is refused, rather than quietly becoming the owner.
    ASSERT_EQ(::chown(Path().c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(Path().c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    const std::string before = Bytes();
    pid_t nobody = Spawn([&] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(2);
        }
        std::string message = Message([&] { file.WriteAliasField("Test", "UserName", "2b10"); });
        ::_exit(message == "Unable to write to " + Path() + "\n" + Path() +
                               " belongs to another user or group, which a rewrite would take "
                               "from them."
                    ? 0
                    : 3);
    });
    EXPECT_EQ(Wait(nobody), 0);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Leftovers(dir.Path()), 0);
}

// A file its group shares (group-writable, its owner root or a member) passes
// to the member who rewrites it; otherwise the member is refused as above.
TEST_F(AliasStoreTest, GroupMembersShareAGroupWritableFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as other users";
    }
    constexpr uid_t kMember = 4242;
    constexpr gid_t kGroup = 65534;  // nogroup, the primary group of nobody (65534)
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    struct Row {
        const char* label;
        uid_t owner;
        mode_t mode;
        bool shared;
    };
    const Row rows[] = {
        {"root's, group-writable", 0, 0664, true},
        {"a member's, group-writable", 65534, 0664, true},
        {"a stranger's, group-writable", 4343, 0664, false},
        {"root's, not group-writable", 0, 0646, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        test::WriteBytes(Path(), kFile);
        ASSERT_EQ(::chown(Path().c_str(), row.owner, kGroup), 0);
        ASSERT_EQ(::chmod(Path().c_str(), row.mode), 0);
        pid_t member = Spawn([&] {
            if (::setgroups(1, &kGroup) != 0 || ::setgid(kMember) != 0 || ::setuid(kMember) != 0) {
                ::_exit(2);
            }
            file.WriteAliasField("Test", "UserName", "2b10");
        });
        EXPECT_EQ(Wait(member), row.shared ? 0 : 1);
        struct stat st {};
        ASSERT_EQ(::stat(Path().c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, row.shared ? kMember : row.owner);
        EXPECT_EQ(st.st_gid, kGroup);
        EXPECT_EQ(st.st_mode & 07777, row.mode);
        EXPECT_EQ(Bytes() != kFile, row.shared);
        EXPECT_EQ(Leftovers(dir.Path()), 0);
    }
}

TEST_F(AliasStoreTest, LinksReadOnlyFilesAndFifos) {
    // A link stays a link; the change goes where it points, also when the
    // file it points at is made by the change.
    fs::create_directory(dir.File("real"));
    fs::create_symlink("real/KVRCFG", Path());
    EXPECT_EQ(file.ListAliases(), std::vector<std::string>{});
    file.WriteAliasFields("A", {"1", "2", "3", "4"});
    EXPECT_TRUE(fs::is_symlink(Path()));
    EXPECT_EQ(test::ReadBytes(dir.File("real/KVRCFG")),
              "[A]\r\nDatabaseName=1\r\nServerName=2\r\nUserName=3\r\nPassWord=4\r\n");
    EXPECT_EQ(Leftovers(dir.File("real")), 0);

    // No write permission bit: read-only for everyone, root included.
    fs::remove(Path());
    test::WriteBytes(Path(), kFile);
    ASSERT_EQ(::chmod(Path().c_str(), 0444), 0);
    const std::string readOnly =
        "\n" + Path() + " is read-only: nobody may write it until it is given write permission.";
    const std::string create = "Cannot create file " + Path() + readOnly;
    const std::string write = "Unable to write to " + Path() + readOnly;
    EXPECT_EQ(Message([&] { file.AddAliasHeader("B"); }), create);
    EXPECT_EQ(Message([&] { file.DeleteAliasSection("Test"); }), create);
    EXPECT_EQ(Message([&] { file.RenameAliasHeader("Test", "B"); }), create);
    EXPECT_EQ(Message([&] { file.WriteAliasField("Test", "UserName", "2b10"); }), write);
    EXPECT_EQ(Message([&] { file.WriteAliasFields("Test", {"", "", "", ""}); }), write);
    EXPECT_EQ(Bytes(), kFile);
    EXPECT_EQ(file.ReadAliasFields("Half")[2], "2b10");

    // A FIFO (or device) fails at once; nothing waits for a writer to appear.
    fs::remove(Path());
    ASSERT_EQ(::mkfifo(Path().c_str(), 0666), 0);
    const std::string registry = dir.File("registry.reg");
    ASSERT_EQ(::mkfifo(registry.c_str(), 0666), 0);
    ::alarm(20);  // a blocked open ends the test run instead of hanging it
    const std::string fifo = "\n" + Path() + " is not a regular file: a folder or a device.";
    EXPECT_EQ(Message([&] { file.ListAliases(); }), "Cannot open file " + Path() + fifo);
    EXPECT_EQ(Message([&] { file.AddAliasHeader("A"); }), "Cannot open file " + Path() + fifo);
    EXPECT_EQ(Message([&] {
                  file.WriteAliasFields("A", {"", "", "", ""});
              }),
              "Unable to write to " + Path() + fifo);
    EXPECT_EQ(Message([&] { file.ReadAliasFields("A"); }), "Cannot open file " + Path() + fifo);
    platform::FileRegistry machine(registry);
    EXPECT_FALSE(machine.CreateKey("SOFTWARE", platform::kKeyWrite).IsOpen());
    EXPECT_FALSE(machine.OpenKey("SOFTWARE", platform::kKeyRead).IsOpen());
    ::alarm(0);
    EXPECT_TRUE(fs::is_fifo(Path()));
}

struct FailRow {
    Call call;
    std::string reason;  // after the usual message
};

// Only a file that does not exist is missing. One that cannot be opened for
// another reason (here a link that loops) is reported as such, at once, and
// nothing is made in its place.
TEST_F(AliasStoreTest, LinkLoopIsNoMissingFile) {
    fs::create_symlink("KVRCFG", Path());
    const std::string open = "Cannot open file " + Path();
    EXPECT_EQ(Message([&] { file.ListAliases(); }), open);
    EXPECT_EQ(Message([&] { file.AddAliasHeader("A"); }), open);
    EXPECT_EQ(Message([&] { file.WriteAliasField("A", "UserName", "2b10"); }),
              "Unable to write to " + Path());
    EXPECT_TRUE(fs::is_symlink(Path()));
    EXPECT_EQ(Leftovers(dir.Path()), 0);
}

TEST_F(AliasStoreTest, FailedCallLeavesTheOldFile) {
    const std::string write = "Unable to write to " + Path();
    const std::vector<FailRow> rows = {
        {Call::OpenRead, ""},
        {Call::ReadAll, ""},
        {Call::TryLock, "\nAnother program keeps " + Path() +
                            " locked: it was still locked after 5 seconds of waiting."},
        {Call::CreateNew, ""},
        {Call::Write, ""},
        {Call::Flush, ""},
        {Call::KeepOwnership,
         "\n" + Path() +
             " belongs to another user or group, which a rewrite would take from them."},
        {Call::Replace, ""},
    };
    for (const FailRow& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.call));
        test::WriteBytes(Path(), kFile);
        test::FailingFileSystem failing(row.call);
        AliasFile failingFile(dir.Path(), failing);
        EXPECT_EQ(Message([&] {
                      failingFile.WriteAliasFields("Test", {"1", "2", "3", "4"});
                  }),
                  write + row.reason);
        EXPECT_GT(failing.Uses(row.call), 0);
        EXPECT_EQ(Bytes(), kFile);
        EXPECT_EQ(Leftovers(dir.Path()), 0);
    }

    // A missing file whose creation fails stays missing.
    fs::remove(Path());
    test::FailingFileSystem failing(Call::PlaceNew);
    AliasFile failingFile(dir.Path(), failing);
    EXPECT_EQ(Message([&] { failingFile.ListAliases(); }), "Cannot create file " + Path());
    EXPECT_FALSE(fs::exists(Path()));
    EXPECT_EQ(Leftovers(dir.Path()), 0);

    // A real lock held by another writer (here an outer rewrite of our own):
    // the wait ends with the reason and nothing written.
    test::WriteBytes(Path(), kFile);
    test::FailingFileSystem quick;  // its pauses take no time
    AliasFile waiting(dir.Path(), quick);
    std::string inner;
    platform::EditFile(Path(), [&](const std::string*) -> std::optional<std::string> {
        inner = Message([&] { waiting.AddAliasHeader("B"); });
        return std::nullopt;
    });
    EXPECT_EQ(inner, "Cannot create file " + Path() + "\nAnother program keeps " + Path() +
                         " locked: it was still locked after 5 seconds of waiting.");
    EXPECT_EQ(Bytes(), kFile);
}

}  // namespace
}  // namespace kvr
