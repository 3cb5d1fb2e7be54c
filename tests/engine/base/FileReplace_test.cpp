#include "engine/base/FileReplace.h"

#include "support/ScratchDir.h"

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <dirent.h>
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

// Names in a folder, so a test can see that no temporary was left behind.
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every step of a write that can fail leaves the old file as it was, no
// temporary behind, and a fault that names the cause.
TEST(FileWriter, AFailedStepLeavesTheOldFileAndNamesTheCause)
{
    struct Case {
        const char* step;
        int err;
        WriteFault expected;
        const char* inMessage;
    };
    const Case cases[] = {
        {"write", ENOSPC, WriteFault::DiskFull, "磁盘已满"},
        {"write", EFBIG, WriteFault::DiskFull, "磁盘已满"},
        {"write", EIO, WriteFault::Other, "Input/output error"},
        {"fsync", EIO, WriteFault::Other, "原有文件保持不变"},
        {"fsync", EDQUOT, WriteFault::DiskFull, "磁盘已满"},
        {"rename", EROFS, WriteFault::ReadOnly, "只读"},
        {"short", 0, WriteFault::Other, "原有文件保持不变"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.step) + " " + std::to_string(c.err));
        ScratchDir dir;
        writeBytes(dir.file("map.png"), "good old picture");
        FileWriteOps ops = systemFileWriteOps();
        const std::string step = c.step;
        const int err = c.err;
        if (step == "write" || step == "short")
            ops.write = [step, err](int fd, const void* data, std::size_t size) -> ssize_t {
                if (step == "short")
                    return 0;
                // The first piece lands, the second finds the disk full.
                static thread_local int calls = 0;
                if (++calls % 2 == 1)
                    return ::write(fd, data, std::min<std::size_t>(size, 4));
                errno = err;
                return -1;
            };
        if (step == "fsync")
            ops.fsync = [err](int) { errno = err; return -1; };
        if (step == "rename")
            ops.rename = [err](const char*, const char*) { errno = err; return -1; };

        const WriteOutcome outcome = writeWholeFile(dir.file("map.png"), "a new picture of many bytes", ops);
        EXPECT_FALSE(outcome);
        EXPECT_EQ(outcome.fault, c.expected);
        EXPECT_NE(writeFailureMessage(dir.file("map.png"), outcome).find(c.inMessage), std::string::npos)
            << writeFailureMessage(dir.file("map.png"), outcome);
        EXPECT_EQ(readBytes(dir.file("map.png")), "good old picture");
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"map.png"});
    }
}

// What stands under the name decides: a regular file or nothing is
// replaced, a link's file is replaced where it lies, anything else is
// refused and stays as it was.
TEST(FileWriter, WritesRegularFilesAndLinksAndRefusesEverythingElse)
{
    ScratchDir dir;
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
    writeBytes(dir.file("sub/real.svg"), "old");
    ::chmod(dir.file("sub/real.svg").c_str(), 0640);
    ASSERT_EQ(::symlink("sub/real.svg", dir.file("link.svg").c_str()), 0);
    ASSERT_EQ(::symlink("sub/new.svg", dir.file("dangling.svg").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("pipe.svg").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir(dir.file("folder.svg").c_str(), 0755), 0);

    EXPECT_TRUE(writeWholeFile(dir.file("fresh.svg"), "new"));
    EXPECT_EQ(readBytes(dir.file("fresh.svg")), "new");

    EXPECT_TRUE(writeWholeFile(dir.file("link.svg"), "through the link"));
    EXPECT_EQ(readBytes(dir.file("sub/real.svg")), "through the link");
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("link.svg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(dir.file("sub/real.svg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    EXPECT_TRUE(writeWholeFile(dir.file("dangling.svg"), "made"));
    EXPECT_EQ(readBytes(dir.file("sub/new.svg")), "made");

    for (const std::string name : {"pipe.svg", "folder.svg", "/dev/full", "/dev/null"}) {
        const std::string path = name[0] == '/' ? name : dir.file(name);
        const WriteOutcome outcome = writeWholeFile(path, "x");
        EXPECT_EQ(outcome.fault, WriteFault::NotRegular) << name;
        EXPECT_NE(writeFailureMessage(path, outcome).find(path), std::string::npos);
    }
    ASSERT_EQ(::lstat(dir.file("pipe.svg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(namesIn(dir.path()),
              (std::vector<std::string>{"dangling.svg", "folder.svg", "fresh.svg", "link.svg", "pipe.svg", "sub"}));
}

// A writer given up halfway, or dropped without a commit, leaves the old
// file and nothing else.
TEST(FileWriter, AnAbandonedWriteLeavesNothing)
{
    ScratchDir dir;
    writeBytes(dir.file("map.PLT"), "old plot");
    {
        FileWriter writer(dir.file("map.PLT"));
        EXPECT_TRUE(writer.write("IN;"));
    }
    EXPECT_EQ(readBytes(dir.file("map.PLT")), "old plot");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"map.PLT"});
}

} // namespace
} // namespace tervane
