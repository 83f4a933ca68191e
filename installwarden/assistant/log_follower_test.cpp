#include "assistant/log_follower.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "testing/temp_directory.h"

namespace installwarden {
namespace {

using test_support::TempDirectory;

struct SingleReadCase {
  const char* name;
  std::string content;
  std::uint64_t startPosition;
  std::uint64_t expectedPosition;
  bool expectedMarker;
};

class SingleRead : public ::testing::TestWithParam<SingleReadCase> {};

TEST_P(SingleRead, AdvancesAndSearchesOnlyNewBytes) {
  const SingleReadCase& c = GetParam();
  TempDirectory dir;
  dir.write("ShipIt.log", c.content);
  const LogReadResult result = readInstallerLog(dir.file("ShipIt.log"), c.startPosition);
  EXPECT_EQ(result.position, c.expectedPosition);
  EXPECT_EQ(result.markerSeen, c.expectedMarker);
}

const std::string kMarker = "App Still Running Error";

INSTANTIATE_TEST_SUITE_P(
    LogFollower, SingleRead,
    ::testing::Values(
        SingleReadCase{"MarkerInNewText", "ok\n" + kMarker + "\n", 0, 27, true},
        SingleReadCase{"ExactlyAtEndReadsNothing", kMarker, 23, 23, false},
        SingleReadCase{"EmptyLog", "", 0, 0, false},
        SingleReadCase{"MarkerBeforeStartNeverSeen", kMarker + "\nlater\n", 24, 30, false},
        SingleReadCase{"MarkerStraddlingStartNotSeen", kMarker + "\n", 5, 24, false},
        SingleReadCase{"ShorterThanPositionRereadsFromStart", kMarker, 1000, 23, true},
        SingleReadCase{"HugeStoredPositionRereadsFromStart", "x" + kMarker, UINT64_MAX, 24, true},
        SingleReadCase{"OtherLetterCaseNotSeen", "app still running error", 0, 23, false},
        SingleReadCase{"MarkerTwice", kMarker + kMarker, 0, 46, true},
        SingleReadCase{"TrailingMarkerStartStaysUnconsumed", "done\nApp Sti", 0, 5, false},
        SingleReadCase{"TrailingTextThatOnlyLooksAlikeIsConsumed", "done\nApp Stx", 0, 12, false},
        SingleReadCase{"InvalidUtf8AroundMarker",
                       std::string("\xff\xfe\xc3") + kMarker + "\xe2\x82\xc0\x80", 0, 30, true},
        SingleReadCase{"InvalidUtf8WithoutMarker", "\xff\xc3\x28 App Still \xe2 Running Error", 0,
                       29, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(LogFollower, MissingLogChangesNothing) {
  TempDirectory dir;
  const LogReadResult result = readInstallerLog(dir.file("absent.log"), 42);
  EXPECT_EQ(result.position, 42u);
  EXPECT_FALSE(result.markerSeen);
}

TEST(LogFollower, ReadsOnlyWhatWasAppendedSinceTheLastCall) {
  TempDirectory dir;
  dir.write("ShipIt.log", "first line\n");
  LogReadResult result = readInstallerLog(dir.file("ShipIt.log"), 0);
  ASSERT_EQ(result.position, 11u);
  dir.write("ShipIt.log", "first line\n" + kMarker);
  result = readInstallerLog(dir.file("ShipIt.log"), result.position);
  EXPECT_EQ(result.position, 34u);
  EXPECT_TRUE(result.markerSeen);
}

TEST(LogFollower, BacklogIsConsumedOneMebibyteAtATime) {
  TempDirectory dir;
  // The marker sits at the very end, so only the fourth read may see it.
  std::string log(3'500'000 - kMarker.size(), 'a');
  log += kMarker;
  dir.write("ShipIt.log", log);

  std::uint64_t position = 0;
  for (const std::uint64_t expected : {1'048'576u, 2'097'152u, 3'145'728u}) {
    const LogReadResult result = readInstallerLog(dir.file("ShipIt.log"), position);
    EXPECT_EQ(result.position, expected);
    EXPECT_FALSE(result.markerSeen);
    position = result.position;
  }
  const LogReadResult fourth = readInstallerLog(dir.file("ShipIt.log"), position);
  EXPECT_EQ(fourth.position - position, 354'272u);
  EXPECT_TRUE(fourth.markerSeen);
  EXPECT_EQ(readInstallerLog(dir.file("ShipIt.log"), fourth.position).position, 3'500'000u);
}

TEST(LogFollower, MarkerSplitByTheReadLimitIsSeenByTheNextRead) {
  TempDirectory dir;
  std::string log(kLogReadLimit - 5, 'a');
  log += kMarker;
  dir.write("ShipIt.log", log);
  const LogReadResult first = readInstallerLog(dir.file("ShipIt.log"), 0);
  EXPECT_FALSE(first.markerSeen);
  EXPECT_EQ(first.position, kLogReadLimit - 5);
  const LogReadResult second = readInstallerLog(dir.file("ShipIt.log"), first.position);
  EXPECT_TRUE(second.markerSeen);
  EXPECT_EQ(second.position, log.size());
}

TEST(LogFollower, MarkerCaughtMidWriteIsSeenOnceComplete) {
  TempDirectory dir;
  dir.write("ShipIt.log", "line\nApp Still Run");
  const LogReadResult first = readInstallerLog(dir.file("ShipIt.log"), 0);
  EXPECT_FALSE(first.markerSeen);
  EXPECT_EQ(first.position, 5u);
  // Nothing new yet: the held-back start is read again, and held back again.
  EXPECT_EQ(readInstallerLog(dir.file("ShipIt.log"), first.position).position, 5u);

  dir.write("ShipIt.log", "line\nApp Still Running Error\n");
  const LogReadResult second = readInstallerLog(dir.file("ShipIt.log"), first.position);
  EXPECT_TRUE(second.markerSeen);
  EXPECT_EQ(second.position, 29u);
}

TEST(LogFollower, FollowsASymlinkToTheLog) {
  TempDirectory dir;
  dir.write("real.log", kMarker);
  ASSERT_EQ(::symlink(dir.file("real.log").c_str(), dir.file("ShipIt.log").c_str()), 0);
  const LogReadResult result = readInstallerLog(dir.file("ShipIt.log"), 0);
  EXPECT_EQ(result.position, 23u);
  EXPECT_TRUE(result.markerSeen);
}

TEST(LogFollower, IgnoresWhatIsNotARegularFile) {
  TempDirectory dir;
  // A FIFO without a writer would block a plain open or read forever.
  ASSERT_EQ(::mkfifo(dir.file("fifo.log").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(dir.file("fifo.log").c_str(), dir.file("link.log").c_str()), 0);
  ASSERT_EQ(::mkdir(dir.file("dir.log").c_str(), 0700), 0);
  for (const char* name : {"fifo.log", "link.log", "dir.log"}) {
    const LogReadResult result = readInstallerLog(dir.file(name), 7);
    EXPECT_EQ(result.position, 7u) << name;
    EXPECT_FALSE(result.markerSeen) << name;
  }
  EXPECT_EQ(readInstallerLog("/dev/zero", 0).position, 0u);
}

}  // namespace
}  // namespace installwarden
