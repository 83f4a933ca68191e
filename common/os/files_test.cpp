#include "os/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>

#include "os/file_descriptor.h"
#include "testing/temp_directory.h"

namespace os {
namespace {

constexpr std::size_t kCap = 4 * 1024 * 1024;

mode_t permissions(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

/// Names in the directory, to see that no temporary file is left behind.
std::vector<std::string> entries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class ReplaceAtomically : public ::testing::Test {
 protected:
  test_support::TempDirectory root;
};

TEST_F(ReplaceAtomically, CreatesTheFileWithMode0600) {
  EXPECT_TRUE(replaceAtomically(root.file("status.json"), "{\"a\":1}").ok());
  EXPECT_EQ(root.read("status.json"), "{\"a\":1}");
  EXPECT_EQ(permissions(root.file("status.json")), 0600u);
  EXPECT_EQ(entries(root.path()), std::vector<std::string>{"status.json"});
}

TEST_F(ReplaceAtomically, ReplacesAnExistingFileWithTheModeAsked) {
  root.write("status.json", "old content that is longer than the new one");
  ASSERT_EQ(::chmod(root.file("status.json").c_str(), 0644), 0);
  EXPECT_TRUE(replaceAtomically(root.file("status.json"), "new", {.flushToDisk = false}).ok());
  EXPECT_EQ(root.read("status.json"), "new");
  EXPECT_EQ(permissions(root.file("status.json")), 0600u);

  EXPECT_TRUE(replaceAtomically(root.file("status.json"), "wide", {.mode = 0644}).ok());
  EXPECT_EQ(permissions(root.file("status.json")), 0644u);
}

TEST_F(ReplaceAtomically, ReplacesASymlinkInsteadOfWritingThroughIt) {
  root.write("victim", "keep");
  std::filesystem::create_symlink(root.file("victim"), root.file("status.json"));
  EXPECT_TRUE(replaceAtomically(root.file("status.json"), "new").ok());
  EXPECT_EQ(root.read("victim"), "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(root.file("status.json")));
  EXPECT_EQ(root.read("status.json"), "new");
}

TEST_F(ReplaceAtomically, ReportsAFailureAndLeavesNoTemporaryFile) {
  std::filesystem::create_directory(root.file("status.json"));  // rename cannot replace it
  const auto replaced = replaceAtomically(root.file("status.json"), "new");
  ASSERT_FALSE(replaced.ok());
  EXPECT_EQ(replaced.reason(), std::strerror(EISDIR));
  EXPECT_EQ(entries(root.path()), std::vector<std::string>{"status.json"});
}

TEST_F(ReplaceAtomically, ReportsAMissingDirectory) {
  const auto replaced = replaceAtomically(root.file("gone/status.json"), "new");
  ASSERT_FALSE(replaced.ok());
  EXPECT_EQ(replaced.reason(), std::strerror(ENOENT));
}

TEST(ReadWholeFile, ReadsFilesThatReportNoSize) {
  // /proc files stat as empty; the content comes only from reading to the end.
  const auto stat = readWholeFile("/proc/self/stat", kCap);
  ASSERT_TRUE(stat.has_value());
  EXPECT_FALSE(stat->empty());
}

TEST(ReadWholeFile, RefusesWhatIsNotARegularFileOrTooLarge) {
  test_support::TempDirectory root;
  ASSERT_EQ(::mkfifo(root.file("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(readWholeFile(root.file("fifo"), kCap).has_value());
  EXPECT_FALSE(readWholeFile("/dev/zero", kCap).has_value());
  EXPECT_FALSE(readWholeFile(root.path(), kCap).has_value());
  EXPECT_FALSE(readWholeFile(root.file("missing"), kCap).has_value());

  root.write("ten", "0123456789");
  EXPECT_EQ(readWholeFile(root.file("ten"), 10), "0123456789");
  EXPECT_FALSE(readWholeFile(root.file("ten"), 9).has_value());
  root.write("empty", "");
  EXPECT_EQ(readWholeFile(root.file("empty"), kCap), "");
  std::filesystem::create_symlink(root.file("ten"), root.file("link"));
  EXPECT_EQ(readWholeFile(root.file("link"), kCap), "0123456789");
}

/// A file that is no regular file, and how to open it the way its own users do.
struct SpecialFile {
  const char* name;
  /// Creates it under `root` (or finds it) and returns its path; `keep` holds what must stay
  /// open meanwhile.
  std::string (*make)(const test_support::TempDirectory& root, FileDescriptor& keep);
  int openFlags;
  friend void PrintTo(const SpecialFile& file, std::ostream* out) { *out << file.name; }
};

const SpecialFile kSpecialFiles[] = {
    {"Fifo",
     [](const test_support::TempDirectory& root, FileDescriptor&) {
       EXPECT_EQ(::mkfifo(root.file("fifo").c_str(), 0600), 0);
       return root.file("fifo");
     },
     O_RDONLY | O_NONBLOCK},
    {"Directory",
     [](const test_support::TempDirectory& root, FileDescriptor&) {
       std::filesystem::create_directory(root.file("folder"));
       return root.file("folder");
     },
     O_RDONLY | O_DIRECTORY},
    {"Terminal",
     [](const test_support::TempDirectory&, FileDescriptor& keep) -> std::string {
       keep = FileDescriptor(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
       if (!keep.valid() || ::grantpt(keep.get()) != 0 || ::unlockpt(keep.get()) != 0) return "";
       return ::ptsname(keep.get());
     },
     O_RDWR | O_NOCTTY | O_NONBLOCK},
};

class SpecialFileTest : public ::testing::TestWithParam<SpecialFile> {};

/// Whether `watch` has reported the watched file opened since it was last asked.
bool reportedOpen(const FileDescriptor& watch) {
  alignas(inotify_event) char buffer[4096];
  bool opened = false;
  for (ssize_t count; (count = ::read(watch.get(), buffer, sizeof buffer)) > 0;) {
    for (ssize_t at = 0; at < count;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      opened = opened || (event->mask & IN_OPEN) != 0;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return opened;
}

TEST_P(SpecialFileTest, IsRefusedWithoutBeingOpened) {
  // Opening a device can have effects of its own (a terminal may become the controlling one).
  test_support::TempDirectory root;
  FileDescriptor keep;
  const std::string target = GetParam().make(root, keep);
  ASSERT_FALSE(target.empty());
  std::filesystem::create_symlink(target, root.file("link"));
  FileDescriptor watch(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  ASSERT_TRUE(watch.valid());
  ASSERT_GE(::inotify_add_watch(watch.get(), target.c_str(), IN_OPEN), 0);

  for (const std::string& path : {target, root.file("link")}) {
    EXPECT_FALSE(readWholeFile(path, kCap).has_value()) << path;
    EXPECT_FALSE(openRegularFile(path).has_value()) << path;
  }
  EXPECT_FALSE(reportedOpen(watch));

  // The watch does see an open.
  FileDescriptor opened(::open(target.c_str(), GetParam().openFlags | O_CLOEXEC));
  ASSERT_TRUE(opened.valid());
  EXPECT_TRUE(reportedOpen(watch));
}

INSTANTIATE_TEST_SUITE_P(Files, SpecialFileTest, ::testing::ValuesIn(kSpecialFiles),
                         [](const auto& file) { return std::string(file.param.name); });

TEST(WriteAll, WritesMoreThanOnePipeBufferThroughShortWrites) {
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  FileDescriptor readEnd(ends[0]);
  FileDescriptor writeEnd(ends[1]);
  const std::string bytes(1 << 20, 'x');
  std::string received;
  std::thread reader([&] {
    char buffer[4096];
    for (ssize_t count; (count = ::read(readEnd.get(), buffer, sizeof buffer)) > 0;) {
      received.append(buffer, static_cast<std::size_t>(count));
    }
  });
  EXPECT_TRUE(writeAll(writeEnd.get(), bytes).ok());
  ASSERT_TRUE(writeEnd.close().ok());
  reader.join();
  EXPECT_EQ(received, bytes);
}

TEST(WriteAll, ReportsAClosedDescriptor) {
  const auto written = writeAll(-1, "x");
  ASSERT_FALSE(written.ok());
  EXPECT_EQ(written.reason(), std::strerror(EBADF));
}

TEST(JoinPath, AddsOneSlash) {
  EXPECT_EQ(joinPath("/r", "a"), "/r/a");
  EXPECT_EQ(joinPath("/r/", "a"), "/r/a");
  EXPECT_EQ(joinPath("", "a"), "a");
}

}  // namespace
}  // namespace os
