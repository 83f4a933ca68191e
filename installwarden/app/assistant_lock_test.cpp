#include "app/assistant_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "testing/temp_directory.h"

namespace installwarden {
namespace {

class AssistantLock : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const int fd : opened) ::close(fd);
  }
  std::optional<int> take() {
    const auto fd = takeAssistantLock(root.path());
    if (fd) opened.push_back(*fd);
    return fd;
  }
  test_support::TempDirectory root;
  std::vector<int> opened;
};

TEST_F(AssistantLock, CreatesAnEmptyFileWithMode0600AndHoldsIt) {
  ASSERT_TRUE(take().has_value());
  struct stat info {};
  ASSERT_EQ(::stat(root.file("assistant.lock").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(info.st_size, 0);
  // A second open file description (as another process would have) cannot take it.
  EXPECT_FALSE(take().has_value());
}

TEST_F(AssistantLock, HeldElsewhereIsRefused) {
  const int other = ::open(root.file("assistant.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(other, 0);
  opened.push_back(other);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(take().has_value());
  ::flock(other, LOCK_UN);
  EXPECT_TRUE(take().has_value());
}

TEST_F(AssistantLock, LeftoverFileIsReusedUntouched) {
  root.write("assistant.lock", "left by an earlier run");
  ASSERT_EQ(::chmod(root.file("assistant.lock").c_str(), 0644), 0);
  EXPECT_TRUE(take().has_value());
  EXPECT_EQ(root.read("assistant.lock"), "left by an earlier run");
}

TEST_F(AssistantLock, SymlinkIsNeverFollowed) {
  root.write("target", "keep");
  std::filesystem::create_symlink(root.file("target"), root.file("assistant.lock"));
  EXPECT_FALSE(take().has_value());
  std::filesystem::remove(root.file("assistant.lock"));
  std::filesystem::create_symlink(root.file("nowhere"), root.file("assistant.lock"));
  EXPECT_FALSE(take().has_value());
  EXPECT_FALSE(root.exists("nowhere")) << "a dangling link must not create its target";
}

TEST_F(AssistantLock, MissingRootIsRefused) {
  EXPECT_FALSE(takeAssistantLock(root.file("gone")).has_value());
}

TEST_F(AssistantLock, DescriptorIsNotInheritedByStartedPrograms) {
  const auto fd = take();
  ASSERT_TRUE(fd.has_value());
  EXPECT_NE(::fcntl(*fd, F_GETFD) & FD_CLOEXEC, 0);
}

}  // namespace
}  // namespace installwarden
