// What other users of the machine can do to a rewrite: read its files, hold
// its lock, plant links, feed it huge files.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixtures/FailingFileSystem.h"
#include "fixtures/TempDir.h"
#include "platform/Files.h"

namespace kvr {
namespace {

using platform::EditFile;
using platform::EditStatus;
using platform::FileRefusal;
using platform::NewFileAccess;

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

platform::FileEdit Put(std::string bytes) {
    return [bytes](const std::string*) { return bytes; };
}

// Notes the permissions the temporary file has when it is handed its final
// ones: no access for others may come before.
class WatchedFileSystem : public test::FailingFileSystem {
  public:
    unsigned tmpMode = 0;
    bool mayReplace = true;

    KeepResult KeepOwnership(platform::FileHandle from, platform::FileHandle to) override {
        Note(to);
        return FailingFileSystem::KeepOwnership(from, to);
    }
    bool GiveNewFileAccess(platform::FileHandle file, const std::string& folder,
                           NewFileAccess access) override {
        Note(file);
        return FailingFileSystem::GiveNewFileAccess(file, folder, access);
    }
    bool MayReplace(platform::FileHandle file, const std::string& folder) override {
        return mayReplace && FailingFileSystem::MayReplace(file, folder);
    }

  private:
    void Note(platform::FileHandle file) {
        struct stat st {};
        ASSERT_EQ(::fstat(static_cast<int>(file), &st), 0);
        tmpMode = st.st_mode & 0777;
    }
};

TEST(FileEditTest, NewAndTemporaryFilesAreNeverOpenToOthers) {
    const mode_t umaskBefore = ::umask(0);  // the loosest a user may set
    test::TempDir dir;
    WatchedFileSystem fs;

    const std::string secret = dir.File("KVRCFG");
    ASSERT_EQ(EditFile(fs, secret, Put("a")), EditStatus::Done);
    EXPECT_EQ(fs.tmpMode, 0600u);
    EXPECT_EQ(ModeOf(secret), 0600u);
    ::chmod(secret.c_str(), 0640);
    ASSERT_EQ(EditFile(fs, secret, Put("b")), EditStatus::Done);
    EXPECT_EQ(fs.tmpMode, 0600u);
    EXPECT_EQ(ModeOf(secret), 0640u);

    const std::string registry = dir.File("registry.reg");
    ASSERT_EQ(EditFile(fs, registry, Put("r"), platform::kLockWait, NewFileAccess::Readable),
              EditStatus::Done);
    EXPECT_EQ(ModeOf(registry), 0644u);

    // A folder shared through its group shares new files with it.
    ASSERT_EQ(::chmod(dir.Path().c_str(), 02770), 0);
    const std::string shared = dir.File("shared");
    ASSERT_EQ(EditFile(fs, shared, Put("s")), EditStatus::Done);
    EXPECT_EQ(fs.tmpMode, 0600u);
    EXPECT_EQ(ModeOf(shared), 0660u);
    const std::string sharedRegistry = dir.File("shared.reg");
    ASSERT_EQ(EditFile(fs, sharedRegistry, Put("r"), platform::kLockWait, NewFileAccess::Readable),
              EditStatus::Done);
    EXPECT_EQ(ModeOf(sharedRegistry), 0664u);
    ::umask(umaskBefore);
}

TEST(FileEditTest, OnlyAWriterCanHoldTheLock) {
    test::TempDir dir;
    const std::string path = dir.File("KVRCFG");
    test::WriteBytes(path, "old");
    test::FailingFileSystem fs;  // its waits end at once

    const int reader = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(::flock(reader, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(fs.TryLock(reader));
    EXPECT_EQ(EditFile(fs, path, Put("new")), EditStatus::Done);
    ::close(reader);

    platform::FileHandle writer = platform::kNoFile;
    ASSERT_EQ(fs.OpenEdit(path, writer), platform::FileSystem::OpenResult::Ok);
    ASSERT_TRUE(fs.TryLock(writer));
    EXPECT_EQ(EditFile(fs, path, Put("lost")), EditStatus::Busy);
    fs.Close(writer);
    EXPECT_EQ(test::ReadBytes(path), "new");
}

TEST(FileEditTest, FilesAboveTheBoundAreRefusedUnread) {
    test::TempDir dir;
    const std::string path = dir.File("registry.reg");
    test::WriteBytes(path, "");
    std::filesystem::resize_file(path, platform::kMaxFileSize + 1);  // sparse: nothing written
    std::string bytes;
    EXPECT_THROW(platform::ReadWholeFile(path, bytes), FileRefusal);
    bool edited = false;
    EXPECT_THROW(EditFile(path,
                          [&](const std::string*) {
                              edited = true;
                              return std::string();
                          }),
                 FileRefusal);
    EXPECT_FALSE(edited);
    EXPECT_EQ(std::filesystem::file_size(path), std::uintmax_t(platform::kMaxFileSize + 1));
}

TEST(FileEditTest, StickyFolderRefusalSaysWhy) {
    test::TempDir dir;
    const std::string path = dir.File("KVRCFG");
    test::WriteBytes(path, "old");
    WatchedFileSystem fs;
    fs.mayReplace = false;
    try {
        EditFile(fs, path, Put("new"));
        ADD_FAILURE() << "no refusal";
    } catch (const FileRefusal& refusal) {
        EXPECT_NE(std::string(refusal.what()).find("sticky"), std::string::npos);
    }
    EXPECT_EQ(test::ReadBytes(path), "old");
    EXPECT_EQ(fs.FolderEntries(dir.Path()).size(), 3u);  // ".", ".." and the file
}

// Needs root to give a link to another user, as a member of a shared folder's
// group would plant it.
TEST(FileEditTest, LinksOthersPlantInASharedFolderAreNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    test::TempDir shared;
    test::TempDir elsewhere;
    const std::string target = elsewhere.File("root-only");
    test::WriteBytes(target, "root's");
    const std::string link = shared.File("registry.reg");
    const std::string dangling = shared.File("KVRCFG");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(::symlink(elsewhere.File("made").c_str(), dangling.c_str()), 0);
    ASSERT_EQ(::lchown(link.c_str(), 4242, 4242), 0);
    ASSERT_EQ(::lchown(dangling.c_str(), 4242, 4242), 0);

    ASSERT_EQ(::chmod(shared.Path().c_str(), 02775), 0);
    std::string bytes;
    EXPECT_THROW(platform::ReadWholeFile(link, bytes), FileRefusal);
    EXPECT_THROW(EditFile(link, Put("x")), FileRefusal);
    EXPECT_THROW(EditFile(dangling, Put("x")), FileRefusal);
    EXPECT_EQ(test::ReadBytes(target), "root's");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.File("made")));

    // Where only its owner may write, or when it is the folder owner's link,
    // a link is followed.
    ASSERT_EQ(::chmod(shared.Path().c_str(), 0755), 0);
    EXPECT_EQ(EditFile(link, Put("by owner")), EditStatus::Done);
    EXPECT_EQ(test::ReadBytes(target), "by owner");
    ASSERT_EQ(::chmod(shared.Path().c_str(), 01777), 0);
    ASSERT_EQ(::lchown(link.c_str(), 0, 0), 0);
    EXPECT_EQ(EditFile(link, Put("by root")), EditStatus::Done);
    EXPECT_EQ(test::ReadBytes(target), "by root");
}

}  // namespace
}  // namespace kvr
