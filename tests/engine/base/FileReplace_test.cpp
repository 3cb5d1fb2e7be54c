#include "engine/base/FileReplace.h"

#include "support/ScratchDir.h"

#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

bool exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

TEST(FileReplace, RenamesTheNewFileOverTheOldAndKeepsItsPermissions)
{
    ScratchDir dir;
    writeBytes(dir.file("data"), "old");
    ::chmod(dir.file("data").c_str(), 0600);
    writeBytes(dir.file("tmp"), "new");
    EXPECT_EQ(replaceFile(dir.file("tmp"), dir.file("data")), 0);
    EXPECT_EQ(readBytes(dir.file("data")), "new");
    EXPECT_FALSE(exists(dir.file("tmp")));
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("data").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(FileReplace, FailedRenameLeavesTheOldFileWhole)
{
    ScratchDir dir;
    writeBytes(dir.file("data"), "old records");
    writeBytes(dir.file("tmp"), "new");
    FileReplaceOps ops{[](const char*, const char*) {
        errno = EIO;
        return -1;
    }};
    EXPECT_EQ(replaceFile(dir.file("tmp"), dir.file("data"), ops), EIO);
    EXPECT_EQ(readBytes(dir.file("data")), "old records");
}

TEST(FileReplace, AcrossFileSystemsCopiesBesideTheTargetAndRenamesThat)
{
    ScratchDir dir;
    writeBytes(dir.file("data"), "old");
    writeBytes(dir.file("tmp"), "new contents");
    std::vector<std::string> renamed;
    FileReplaceOps ops{[&](const char* from, const char* to) {
        renamed.push_back(from);
        if (renamed.size() == 1) {
            errno = EXDEV;
            return -1;
        }
        return ::rename(from, to);
    }};
    EXPECT_EQ(replaceFile(dir.file("tmp"), dir.file("data"), ops), 0);
    EXPECT_EQ(readBytes(dir.file("data")), "new contents");
    ASSERT_EQ(renamed.size(), 2u);
    // The second rename moves a copy that sits in the target's own folder.
    EXPECT_EQ(renamed[1].rfind(dir.path() + "/~~Tmp~~", 0), 0u);
    EXPECT_FALSE(exists(dir.file("tmp")));
    EXPECT_FALSE(exists(renamed[1]));
}

TEST(FileReplace, ThroughASymbolicLinkReplacesTheFileItNames)
{
    ScratchDir dir;
    writeBytes(dir.file("real"), "old");
    ASSERT_EQ(::symlink(dir.file("real").c_str(), dir.file("link").c_str()), 0);
    writeBytes(dir.file("tmp"), "new");
    EXPECT_EQ(replaceFile(dir.file("tmp"), dir.file("link")), 0);
    EXPECT_EQ(readBytes(dir.file("real")), "new");
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// Copies left by killed replacements go; a copy some process holds locked
// is being written and stays, as does anything not named like a copy.
TEST(FileReplace, StaleCopiesGoAndLockedOnesStay)
{
    ScratchDir dir;
    for (const char* name : {"~~Tmp~~a1B2c3", "~~Tmp~~zzzzzz", "~~Tmp~~held00", "~~Tmp~~.Tmp", "~~Tmp~~toolong1", "data"})
        writeBytes(dir.file(name), "x");
    const int held = ::open(dir.file("~~Tmp~~held00").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    EXPECT_EQ(removeStaleCopies(dir.path()), 2);
    for (const char* gone : {"~~Tmp~~a1B2c3", "~~Tmp~~zzzzzz"})
        EXPECT_FALSE(exists(dir.file(gone))) << gone;
    for (const char* kept : {"~~Tmp~~held00", "~~Tmp~~.Tmp", "~~Tmp~~toolong1", "data"})
        EXPECT_TRUE(exists(dir.file(kept))) << kept;

    ::close(held);
    EXPECT_EQ(removeStaleCopies(dir.path()), 1);
    EXPECT_EQ(removeStaleCopies(dir.path() + "/no-such-folder"), 0);
}

} // namespace
} // namespace tervane
