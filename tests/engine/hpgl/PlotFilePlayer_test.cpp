#include "engine/hpgl/PlotFilePlayer.h"

#include "engine/hpgl/HpglFixture.h"
#include "engine/hpgl/PlayCommand.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;
using test::ScratchDir;
using test::writeBytes;

std::string crlfLines(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* l : lines)
        text += std::string(l) + "\r\n";
    return text;
}

// A plot file whose pen-down points span 1000 across and 500 up from
// (100, 50), with pen-up moves inside and outside that span.
const std::string kSquare = crlfLines({"IN;", "PA:", "SP1;", "SP0;", "PU100,50;", "PD100,50;", "PD1100,50;",
                                       "PD1100,550;", "PD100,550;", "PU-5000,9000;", "PU0,0;SP0;"});

class Playback : public ::testing::Test {
protected:
    PlaybackEnd play(const std::string& bytes)
    {
        writeBytes(path, bytes);
        return playPlotFile(s.ctx, path);
    }
    std::vector<RecordingCanvas::Op> lines() const { return s.view.picture1.opsOf(Kind::Line); }
    std::vector<RecordingCanvas::Op> dots() const { return s.view.picture1.opsOf(Kind::Dot); }
    bool endedCleared() const { return !s.view.picture1.ops.empty() && s.view.picture1.ops.back().kind == Kind::Clear; }

    ScratchDir dir;
    std::string path = dir.file("map.PLT");
    test::HpglContext s;
};

TEST_F(Playback, FitsThePenDownExtentWithTheLowestLeftAtTheOrigin)
{
    s.state.fileOpen = 1;
    s.panel.quxian = rgb(1, 2, 3);
    s.panel.beijing = rgb(9, 9, 9);
    ASSERT_EQ(play(kSquare), PlaybackEnd::Completed);

    // Across: (9464 - 1200) / 1000 = 8.264; up: (7410 - 700) / 500 = 13.42.
    const double k = 8.264;
    const auto l = lines();
    ASSERT_EQ(l.size(), 4u);
    EXPECT_DOUBLE_EQ(l[0].x1, 0);
    EXPECT_DOUBLE_EQ(l[0].y1, 0);
    EXPECT_DOUBLE_EQ(l[1].x2, 1000 * k);
    EXPECT_DOUBLE_EQ(l[2].y2, 500 * k);
    EXPECT_DOUBLE_EQ(l[3].x2, 0);
    for (const auto& op : l) {
        EXPECT_EQ(op.colour, rgb(1, 2, 3));
        EXPECT_EQ(op.drawWidth, 1);
        EXPECT_EQ(op.drawStyle, kSolid);
    }
    const auto d = dots();
    ASSERT_EQ(d.size(), 3u);
    EXPECT_DOUBLE_EQ(d[0].x1, 0);
    EXPECT_DOUBLE_EQ(d[1].x1, -5100 * k);
    EXPECT_DOUBLE_EQ(d[1].y1, 8950 * k);
    EXPECT_DOUBLE_EQ(d[2].y1, -50 * k);

    EXPECT_EQ(s.view.picture1.backColour(), rgb(9, 9, 9));
    EXPECT_DOUBLE_EQ(s.view.picture1.scaleLeft(), -200);
    EXPECT_DOUBLE_EQ(s.view.picture1.scaleTop(), 7410 - 200);
    EXPECT_DOUBLE_EQ(s.view.picture1.scaleWidth(), 9464);
    EXPECT_DOUBLE_EQ(s.view.picture1.scaleHeight(), -7455);  // 3 rows of margin below
    EXPECT_EQ(s.state.fileOpen, 0);
    EXPECT_EQ(s.state.dataFileName, path);
    EXPECT_EQ(s.view.picture4.ops.back().kind, Kind::Clear);
}

TEST_F(Playback, TallDrawingFillsTheHeightAndLabelBlockIsTakenOffTheRight)
{
    s.state.labelBlockWidth = 600;
    ASSERT_EQ(play(crlfLines({"PD0,0;", "PD1000,0;", "PD1000,5000;"})), PlaybackEnd::Completed);
    // Across: 8264 / (1000 - 600) = 20.66; up: 6710 / 5000 = 1.342.
    const auto l = lines();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_DOUBLE_EQ(l[2].y2, 6710);
    EXPECT_DOUBLE_EQ(l[2].x2, 1000 * 1.342);

    s.state.labelBlockWidth = 900;
    s.forgetDrawing();
    ASSERT_EQ(play(crlfLines({"PD0,0;", "PD1000,0;", "PD1000,10;"})), PlaybackEnd::Completed);
    EXPECT_DOUBLE_EQ(lines()[1].x2, 1000 * 82.64);
}

TEST_F(Playback, CoordinatesBeyondAHundredMillionStillStartAtTheOrigin)
{
    ASSERT_EQ(play(crlfLines({"PD200000000,300000000;", "PD200001000,300000500;"})), PlaybackEnd::Completed);
    const auto l = lines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_DOUBLE_EQ(l[1].x1, 0);
    EXPECT_DOUBLE_EQ(l[1].y1, 0);
    EXPECT_DOUBLE_EQ(l[1].x2, 8264);
}

TEST_F(Playback, ProgressCountsEveryLineAgainstPenDownLines)
{
    ASSERT_EQ(play(crlfLines({"PD0,0;", "PD10,10;", "SP1;", "PD20,0;", "PD30,10;"})), PlaybackEnd::Completed);
    const auto boxes = s.view.picture4.opsOf(Kind::FilledBox);
    ASSERT_EQ(boxes.size(), 4u);
    const double w = s.view.picture4.width();
    EXPECT_DOUBLE_EQ(boxes[0].x2, w / 4);
    EXPECT_DOUBLE_EQ(boxes[1].x2, w / 2);
    EXPECT_DOUBLE_EQ(boxes[2].x2, w);  // line 4 of 4: the SP line counted too
    EXPECT_DOUBLE_EQ(boxes[3].x2, w);
    EXPECT_DOUBLE_EQ(boxes[0].y2, s.view.picture4.height());
    EXPECT_EQ(s.view.picture4.ops.back().kind, Kind::Clear);
}

TEST_F(Playback, OnlyTheFirstCommandOfALineCounts)
{
    ASSERT_EQ(play(crlfLines({"PU0,0;PD500,500;", "PD0,0;PU9,9;", "PD100,0;", "PD100,100;"})), PlaybackEnd::Completed);
    EXPECT_EQ(dots().size(), 1u);
    const auto l = lines();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_DOUBLE_EQ(l[0].x2, 0);
    EXPECT_DOUBLE_EQ(l[2].y2, 100 * 67.1);
}

TEST_F(Playback, PenCommandReadingRule)
{
    const auto pen = [](const char* line) { return readPenCommand(line); };
    ASSERT_TRUE(pen("PD12.5,-3;"));
    EXPECT_TRUE(pen("PD12.5,-3;")->penDown);
    EXPECT_DOUBLE_EQ(pen("PD12.5,-3;")->y, -3);
    EXPECT_FALSE(pen("PU1,2;")->penDown);
    EXPECT_DOUBLE_EQ(pen("PD 1e3,2E2;")->x, 1000);
    EXPECT_DOUBLE_EQ(pen("PD 1e3,2E2;")->y, 200);
    EXPECT_DOUBLE_EQ(pen("PDabc,7xyz;")->x, 0);
    EXPECT_DOUBLE_EQ(pen("PDabc,7xyz;")->y, 7);
    EXPECT_DOUBLE_EQ(pen("PD5,6")->y, 6);
    EXPECT_DOUBLE_EQ(pen("PD1,2PU3,4;")->y, 2);
    EXPECT_DOUBLE_EQ(pen("PD,;")->x, 0);
    EXPECT_FALSE(pen("PD100;"));
    EXPECT_FALSE(pen("pd1,2;"));
    EXPECT_FALSE(pen(" PD1,2;"));
    EXPECT_FALSE(pen("PA1,2;"));
    EXPECT_FALSE(pen("P"));
    EXPECT_FALSE(pen(""));
}

TEST_F(Playback, NothingToFitEndsClearedWithoutAMessage)
{
    const std::vector<std::string> files = {
        "",
        crlfLines({"IN;", "PA:", "SP1;", "PU10,10;", "PU0,0;SP0;"}),
        crlfLines({"PD5,5;"}),
        crlfLines({"PD5,0;", "PD5,100;", "PD5,7;"}),
        crlfLines({"PD0,3;", "PD100,3;"}),
        crlfLines({"PD-1e308,0;", "PD1e308,1;"}),
    };
    for (const std::string& f : files) {
        s.forgetDrawing();
        EXPECT_EQ(play(f), PlaybackEnd::Failed) << f;
        EXPECT_TRUE(lines().empty()) << f;
        EXPECT_TRUE(endedCleared()) << f;
    }
    s.state.labelBlockWidth = 200;
    EXPECT_EQ(play(crlfLines({"PD0,0;", "PD150,100;"})), PlaybackEnd::Failed);
    EXPECT_EQ(s.prompter.questions.size(), 0u);
    EXPECT_EQ(playPlotFile(s.ctx, dir.file("absent.PLT")), PlaybackEnd::Failed);
    EXPECT_EQ(playPlotFile(s.ctx, dir.path()), PlaybackEnd::Failed);
}

TEST_F(Playback, ForeignLineEndsGarbageAndOverlongLines)
{
    const std::string lfOnly = "PD0,0;\nPD100,0;\nPD100,100;\n";
    const std::string crOnly = "PD0,0;\rPD100,0;\rPD100,100;\r";
    const std::string noise = "garbage\r\n,,,;;;\r\nPD\r\nPU;\r\n" + std::string(3u << 20, 'P') + "\r\n" + lfOnly;
    for (const std::string& f : {lfOnly, crOnly, noise}) {
        s.forgetDrawing();
        ASSERT_EQ(play(f), PlaybackEnd::Completed);
        ASSERT_EQ(lines().size(), 3u);
        EXPECT_DOUBLE_EQ(lines()[2].y2, 6710);
    }
}

TEST_F(Playback, FarOffPointsMoveThePenButOnlyTheVisiblePartIsDrawn)
{
    // Across 1000 and up 1000: 6.71 drawing units a unit.
    ASSERT_EQ(play(crlfLines({"PD0,0;", "PD1000,1000;", "PU1e300,500;", "PU2e9,1e9;", "PD0,0;", "PU5e300,5e300;"})),
              PlaybackEnd::Completed);
    EXPECT_EQ(dots().size(), 0u);
    const auto l = lines();
    ASSERT_EQ(l.size(), 3u);
    // The line back from (2e9, 1e9) starts where it enters the reach
    // square, on its way to the origin: the direction is kept.
    EXPECT_DOUBLE_EQ(l[2].x1, 1e6);
    EXPECT_NEAR(l[2].y1, 5e5, 1e-6);
    EXPECT_DOUBLE_EQ(l[2].x2, 0);
    EXPECT_DOUBLE_EQ(l[2].y2, 0);
    EXPECT_DOUBLE_EQ(s.view.picture1.currentX(), 5e300 * 6.71);
}

TEST_F(Playback, RandomBinaryBytesNeverBreakIt)
{
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> byte(0, 255);
    int drawn = 0;
    for (int round = 0; round < 20; ++round) {
        // Sprinkle pen commands among the noise so that some files draw.
        std::string bytes;
        for (int i = 0; i < 4000; ++i) {
            bytes += static_cast<char>(byte(gen));
            if (byte(gen) < 8)
                bytes += "\nPD" + std::to_string(byte(gen)) + "," + std::to_string(byte(gen)) + ";\n";
        }
        s.forgetDrawing();
        const PlaybackEnd end = play(bytes);
        EXPECT_TRUE(end == PlaybackEnd::Completed || end == PlaybackEnd::Failed);
        drawn += end == PlaybackEnd::Completed ? 1 : 0;
        for (const auto& op : lines()) {
            EXPECT_TRUE(op.x2 >= 0 && op.x2 <= 8264 + 1e-9 && op.y2 >= 0 && op.y2 <= 6710 + 1e-9);
        }
    }
    EXPECT_GT(drawn, 0);
}

TEST_F(Playback, EscOnAPenDownLineStopsBeforeDrawingIt)
{
    s.panel.check15 = true;
    s.escape.reset(2);
    ASSERT_EQ(play(kSquare), PlaybackEnd::Stopped);
    EXPECT_EQ(lines().size(), 1u);
    EXPECT_EQ(s.prompter.beeps, 1);
    EXPECT_FALSE(s.panel.check15);
    EXPECT_EQ(s.view.picture2.ops.back().kind, Kind::Clear);
    EXPECT_EQ(s.view.picture4.ops.back().kind, Kind::Clear);
    EXPECT_EQ(s.view.picture5.ops.back().kind, Kind::Clear);
}

TEST_F(Playback, APipeIsNotPlayed)
{
    // A pipe could hold the program in its open call for ever. Here a writer
    // feeds it a drawable plot whenever it is opened, so that reading it
    // would not hang this test but complete.
    const std::string pipe = dir.file("pipe.PLT");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (;;) {
            const int fd = ::open(pipe.c_str(), O_WRONLY);
            if (fd < 0)
                break;
            if (stop) {
                ::close(fd);
                break;
            }
            const std::string plot = crlfLines({"PD0,0;", "PD100,100;"});
            (void)!::write(fd, plot.data(), plot.size());
            ::close(fd);
            // Time for the reader to see the end before the next round.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    EXPECT_EQ(playPlotFile(s.ctx, pipe), PlaybackEnd::Failed);
    EXPECT_TRUE(lines().empty());
    EXPECT_TRUE(endedCleared());
    stop = true;
    const int release = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    ::close(release);
}

TEST_F(Playback, EscIsHeardInALongFileWithoutPenDownLines)
{
    std::string bytes;
    for (int i = 0; i < 10000; ++i)
        bytes += "PU1,1;\r\n";
    s.escape.reset(1);
    EXPECT_EQ(play(bytes), PlaybackEnd::Stopped);
    EXPECT_EQ(s.escape.polls(), 1);
    EXPECT_TRUE(dots().empty());
}

TEST_F(Playback, EscIsHeardWithinOneOverlongLine)
{
    s.escape.reset(1);
    EXPECT_EQ(play("PD" + std::string(3u << 20, '7') + ",1;\r\n"), PlaybackEnd::Stopped);
    EXPECT_EQ(s.escape.polls(), 1);
}

TEST_F(Playback, LargeFilePlaysToTheEnd)
{
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += "PD" + std::to_string(i % 1000) + "," + std::to_string(i / 1000) + ";\r\n";
    ASSERT_EQ(play(bytes), PlaybackEnd::Completed);
    EXPECT_EQ(lines().size(), 100000u);
}

TEST(PlayCommand, AsksForAPlotFileAndCancelClearsTheArea)
{
    test::HpglContext s;
    s.panel.check15 = true;
    s.state.fileOpen = 1;
    EXPECT_EQ(playCommand(s.ctx), PlaybackEnd::Cancelled);
    ASSERT_EQ(s.prompter.questions.size(), 1u);
    const auto& q = s.prompter.last();
    EXPECT_EQ(q.filter, "All Files (*.*)|*.*|HPGL Files(*.plt)|*.plt");
    EXPECT_EQ(q.filterIndex, 2);
    EXPECT_EQ(q.initialName, "");
    EXPECT_FALSE(s.panel.check15);
    EXPECT_EQ(s.state.fileOpen, 0);
    EXPECT_EQ(s.view.picture5.count(Kind::Clear), 1u);
    EXPECT_EQ(s.view.picture1.ops.back().kind, Kind::Clear);
    EXPECT_DOUBLE_EQ(s.view.picture1.scaleLeft(), -200);
}

TEST(PlayCommand, PlaysTheChosenFileWithBlanksTrimmed)
{
    test::HpglContext s;
    ScratchDir dir;
    writeBytes(dir.file("map.PLT"), kSquare);
    s.prompter.openPaths.push_back("  " + dir.file("map.PLT") + " ");
    EXPECT_EQ(playCommand(s.ctx), PlaybackEnd::Completed);
    EXPECT_EQ(s.state.dataFileName, dir.file("map.PLT"));
    EXPECT_EQ(s.view.picture1.count(Kind::Line), 4u);
}

} // namespace
} // namespace tervane
