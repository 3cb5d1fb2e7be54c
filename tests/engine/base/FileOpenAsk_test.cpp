#include "engine/base/FileOpenAsk.h"

#include "support/ScratchDir.h"
#include "engine/base/ScriptedPrompter.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;
using Kind = ScriptedPrompter::Kind;

const std::string kNotAllowed = "这个目录或文件是不合规定的！ ";

bool exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

TEST(FileOpenAsk, RefusesEveryCharacterOfTheSetAndTheBlank)
{
    ScratchDir dir;
    for (const char c : std::string(";<=>?[*] ")) {
        ScriptedPrompter p;
        FileOpenReport report;
        const std::string name = dir.file(std::string("a") + c + "b.D3D");
        const FileHandle h = OpenFileAsk(p, name, FileMode::Random, 65, true, &report);
        EXPECT_FALSE(h) << c;
        ASSERT_EQ(p.questions.size(), 1u) << c;
        EXPECT_EQ(p.last().text, kNotAllowed);
        EXPECT_EQ(p.last().title, "File Error");
        EXPECT_EQ(p.last().icon, MessageIcon::Exclamation);
        EXPECT_EQ(p.last().buttons, MessageButtons::Ok);
        EXPECT_EQ(report.failureCode, 64);
        EXPECT_EQ(report.action, fileaction::kEndProgram);
        EXPECT_FALSE(exists(name)) << c;
    }
}

TEST(FileOpenAsk, AcceptsTheNeighboursOfTheRefusedRange)
{
    // ':' sits just below ';' and '@' just above '?'; '\' and '^' flank ']'.
    EXPECT_TRUE(fileNameAllowed("C:/data/a@b\\c^d~e_f-g.D3D"));
    EXPECT_TRUE(fileNameAllowed("测量点.D3D"));
    EXPECT_FALSE(fileNameAllowed("C:\\DATA\\MY SITE.D3D"));
}

TEST(FileOpenAsk, MissingFileInRandomModeIsCreatedOnOkOnly)
{
    ScratchDir dir;
    const std::string name = dir.file("new.D3D");
    // Cancel stands for Esc and the close box too.
    ScriptedPrompter refused;
    refused.answers = {Answer::Cancel};
    FileOpenReport report;
    EXPECT_FALSE(OpenFileAsk(refused, name, FileMode::Random, 65, true, &report));
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.failureCode, 0) << "a refusal is no failure and shows no error";
    EXPECT_EQ(refused.questions.size(), 1u);
    EXPECT_FALSE(exists(name)) << "nothing is created";

    ScriptedPrompter p;
    p.answers = {Answer::Ok};
    FileHandle h = OpenFileAsk(p, name, FileMode::Random, 65, true);
    ASSERT_TRUE(h);
    EXPECT_GE(h.number(), 1);
    ASSERT_EQ(p.questions.size(), 1u);
    EXPECT_EQ(p.last().title, "Create File?");
    EXPECT_EQ(p.last().text, "文件 " + name + " 不存在. 您想创建它?");
    EXPECT_EQ(p.last().icon, MessageIcon::None);
    EXPECT_EQ(p.last().buttons, MessageButtons::OkCancel);
    EXPECT_EQ(h.size(), 0);
    EXPECT_EQ(h.recordLength(), 65);
}

TEST(FileOpenAsk, ReplaceQuestionCancelLeavesTheFileAndOkReplacesIt)
{
    ScratchDir dir;
    const std::string name = dir.file("old.txt");
    writeBytes(name, "keep me");
    ScriptedPrompter p;
    p.answers = {Answer::Cancel};
    FileOpenReport report;
    EXPECT_FALSE(OpenFileAsk(p, name, FileMode::Output, 0, true, &report));
    EXPECT_TRUE(report.cancelled);
    ASSERT_EQ(p.questions.size(), 1u);
    EXPECT_EQ(p.last().title, "替换文件?");
    EXPECT_EQ(p.last().text, "替换目录的 " + name + "?");
    EXPECT_EQ(p.last().icon, MessageIcon::Exclamation);
    EXPECT_EQ(p.last().buttons, MessageButtons::OkCancel);
    EXPECT_EQ(readBytes(name), "keep me");

    p.answers = {Answer::Ok};
    FileHandle h = OpenFileAsk(p, name, FileMode::Output, 0, true);
    ASSERT_TRUE(h);
    EXPECT_TRUE(h.write("new"));
    h.close();
    EXPECT_EQ(readBytes(name), "new");
}

TEST(FileOpenAsk, ExistingFileInOtherModesAsksNothing)
{
    ScratchDir dir;
    const std::string name = dir.file("data.D3D");
    writeBytes(name, "abc");
    ScriptedPrompter p;
    for (const FileMode m : {FileMode::Input, FileMode::Append, FileMode::Random, FileMode::Binary})
        EXPECT_TRUE(OpenFileAsk(p, name, m, 65, true));
    EXPECT_TRUE(p.questions.empty());
    EXPECT_EQ(readBytes(name), "abc");
}

TEST(FileOpenAsk, WithoutAskingCreatesSilentlyExceptForInput)
{
    ScratchDir dir;
    ScriptedPrompter p;
    for (const FileMode m : {FileMode::Output, FileMode::Append, FileMode::Random, FileMode::Binary}) {
        const std::string name = dir.file("m" + std::to_string(static_cast<int>(m)));
        EXPECT_TRUE(OpenFileAsk(p, name, m, 65, false));
        EXPECT_TRUE(exists(name));
    }
    EXPECT_TRUE(p.questions.empty());

    FileOpenReport report;
    EXPECT_FALSE(OpenFileAsk(p, dir.file("missing"), FileMode::Input, 0, false, &report));
    EXPECT_EQ(report.failureCode, filefail::kFileNotFound);
    EXPECT_EQ(report.action, fileaction::kNoMessage);
    EXPECT_TRUE(p.questions.empty());
}

TEST(FileOpenAsk, ModeOutsideOneToFiveOrNoRecordLengthOpensNothing)
{
    ScratchDir dir;
    ScriptedPrompter p;
    EXPECT_FALSE(OpenFileAsk(p, dir.file("x"), static_cast<FileMode>(6), 65, false));
    EXPECT_FALSE(OpenFileAsk(p, dir.file("x"), static_cast<FileMode>(0), 65, false));
    // Random access without a record length: a failure without a message.
    FileOpenReport report;
    EXPECT_FALSE(OpenFileAsk(p, dir.file("x"), FileMode::Random, 0, false, &report));
    EXPECT_EQ(report.failureCode, filefail::kBadRecordLength);
    EXPECT_EQ(report.action, fileaction::kNoMessage);
    EXPECT_FALSE(OpenFileAsk(p, dir.file("x"), FileMode::Random, -65, false));
    EXPECT_FALSE(exists(dir.file("x")));
    EXPECT_TRUE(p.questions.empty());
}

TEST(FileOpenAsk, PlatformFailuresComeOutAsTheTableSays)
{
    ScratchDir dir;
    ScriptedPrompter p;
    FileOpenReport report;
    EXPECT_FALSE(OpenFileAsk(p, dir.file("no/such/folder.D3D"), FileMode::Random, 65, false, &report));
    EXPECT_EQ(report.failureCode, filefail::kPathNotFound);
    EXPECT_EQ(p.last().text, "That path doesn't exist.");

    EXPECT_FALSE(OpenFileAsk(p, dir.path(), FileMode::Random, 65, false, &report));
    EXPECT_EQ(report.failureCode, filefail::kBadFileName);
    EXPECT_EQ(p.last().text, kNotAllowed);

    EXPECT_EQ(failureCodeFromErrno(EACCES, "x"), filefail::kBadFileMode);
    EXPECT_EQ(failureCodeFromErrno(EROFS, "x"), filefail::kBadFileMode);
    EXPECT_EQ(failureCodeFromErrno(ENOSPC, "x"), filefail::kDeviceIo);
    EXPECT_EQ(failureCodeFromErrno(EIO, "x"), filefail::kDeviceIo);
    EXPECT_EQ(failureCodeFromErrno(ENXIO, "x"), filefail::kDeviceUnavailable);
    EXPECT_EQ(failureCodeFromErrno(ENOMEDIUM, "x"), filefail::kDiskNotReady);
    EXPECT_EQ(failureCodeFromErrno(ENOENT, dir.file("gone")), filefail::kFileNotFound);
    EXPECT_EQ(failureCodeFromErrno(ENOENT, dir.file("gone/x")), filefail::kPathNotFound);
}

TEST(FileOpenAsk, SecondOpenForOutputOfAnOpenFileIsRefusedAndTruncatesNothing)
{
    ScratchDir dir;
    const std::string name = dir.file("busy.D3D");
    writeBytes(name, std::string(130, 'x'));
    ScriptedPrompter p;
    FileHandle first = OpenFileAsk(p, name, FileMode::Random, 65, false);
    ASSERT_TRUE(first);
    FileOpenReport report;
    EXPECT_FALSE(OpenFileAsk(p, name, FileMode::Output, 0, false, &report));
    EXPECT_EQ(report.failureCode, filefail::kFileAlreadyOpen);
    EXPECT_EQ(p.last().text, "That file is already open.");
    EXPECT_EQ(readBytes(name).size(), 130u);
    // Two random-access opens of one file are allowed.
    EXPECT_TRUE(OpenFileAsk(p, name, FileMode::Random, 65, false));
}

TEST(FileHandle, TakesTheLowestFreeNumberAndClosesWhenItGoes)
{
    ScratchDir dir;
    ScriptedPrompter p;
    const int before = FileHandle::openCount();
    {
        FileHandle a = OpenFileAsk(p, dir.file("a"), FileMode::Binary, 0, false);
        FileHandle b = OpenFileAsk(p, dir.file("b"), FileMode::Binary, 0, false);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(b.number(), a.number() + 1);
        const short freed = a.number();
        a.close();
        FileHandle c = OpenFileAsk(p, dir.file("c"), FileMode::Binary, 0, false);
        EXPECT_EQ(c.number(), freed);
        FileHandle moved = std::move(c);
        EXPECT_FALSE(c);
        EXPECT_EQ(moved.number(), freed);
        EXPECT_EQ(FileHandle::openCount(), before + 2);
    }
    EXPECT_EQ(FileHandle::openCount(), before);
}

TEST(FileHandle, RandomRecordsLandAtTheirOffsetsAndShortReadsFail)
{
    ScratchDir dir;
    ScriptedPrompter p;
    FileHandle h = OpenFileAsk(p, dir.file("r"), FileMode::Random, 4, false);
    ASSERT_TRUE(h);
    EXPECT_TRUE(h.writeRecord(3, "CCCC"));
    EXPECT_TRUE(h.writeRecord(1, "AAAA"));
    EXPECT_EQ(h.size(), 12);
    char buf[4];
    EXPECT_TRUE(h.readRecord(3, buf));
    EXPECT_EQ(std::string(buf, 4), "CCCC");
    EXPECT_FALSE(h.readRecord(4, buf));
    EXPECT_FALSE(h.readRecord(0, buf));
    h.close();
    EXPECT_EQ(readBytes(dir.file("r")), std::string("AAAA") + std::string(4, '\0') + "CCCC");
}

TEST(FileErrorAction, EveryMessageOfTheTableWithItsButtons)
{
    const std::string eof = "This file has a nonstandard end-of-file marker,or an attempt was made to "
                            "read beyond the end-of-file marker.";
    const std::vector<std::pair<short, std::string>> rows = {
        {52, kNotAllowed},
        {64, kNotAllowed},
        {54, "Can't open your file for that type of access."},
        {55, "That file is already open."},
        {57, "The disk is full."},
        {62, eof},
        {68, "That device appears to be unavailable."},
        {71, "The disk is not ready."},
        {76, "That path doesn't exist."},
    };
    for (const auto& [code, text] : rows) {
        ScriptedPrompter p;
        p.answers = {code == 68 ? Answer::Cancel : Answer::Ok};
        EXPECT_EQ(FileErrorAction(p, code), fileaction::kEndProgram) << code;
        ASSERT_EQ(p.questions.size(), 1u);
        EXPECT_EQ(p.last().text, text) << code;
        EXPECT_EQ(p.last().title, "File Error");
        EXPECT_EQ(p.last().icon, MessageIcon::Exclamation);
        EXPECT_EQ(p.last().buttons, code == 68 ? MessageButtons::RetryCancel : MessageButtons::Ok);
    }
}

TEST(FileErrorAction, RetryIgnoreAndCodesWithoutMessage)
{
    ScriptedPrompter p;
    p.answers = {Answer::Retry, Answer::Ignore};
    EXPECT_EQ(FileErrorAction(p, 68), fileaction::kRetry);
    EXPECT_EQ(FileErrorAction(p, 68), fileaction::kIgnore);
    for (const short code : {0, 5, 53, 61, 67, 70, 75, 999})
        EXPECT_EQ(FileErrorAction(p, code), fileaction::kNoMessage) << code;
    EXPECT_EQ(p.questions.size(), 2u);
}

} // namespace
} // namespace tervane
