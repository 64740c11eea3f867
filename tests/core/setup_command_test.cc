#include "core/setup_command.h"

#include <gtest/gtest.h>

#include <string>

#include "core/path_buffer.h"

TEST(BuildSetupPath, ReplacesFileNameAfterLastBackslash) {
  char path[kPathBufferSize];
  ASSERT_TRUE(BuildSetupPath("D:\\wlan\\Setup.exe", "Quorle.exe", path));
  EXPECT_STREQ(path, "D:\\wlan\\Quorle.exe");
  ASSERT_TRUE(BuildSetupPath("D:\\wlan\\Setup.exe", "Quorle.exe /opt x", path));
  EXPECT_STREQ(path, "D:\\wlan\\Quorle.exe /opt x");
  // An empty program name leaves the directory with its backslash.
  ASSERT_TRUE(BuildSetupPath("D:\\wlan\\Setup.exe", "", path));
  EXPECT_STREQ(path, "D:\\wlan\\");
  // No backslash: appended with no separator.
  ASSERT_TRUE(BuildSetupPath("Setup.exe", "Q.exe", path));
  EXPECT_STREQ(path, "Setup.exeQ.exe");
}

TEST(BuildSetupPath, RefusesWhatDoesNotFit) {
  char path[kPathBufferSize];
  std::string directory = "D:\\" + std::string(240, 'd') + "\\Setup.exe";
  EXPECT_TRUE(BuildSetupPath(directory.c_str(), std::string(16, 'q').c_str(), path));
  EXPECT_EQ(std::string(path).size(), 260u);
  EXPECT_FALSE(BuildSetupPath(directory.c_str(), std::string(17, 'q').c_str(), path));
  EXPECT_STREQ(path, "");
}

TEST(BuildSetupCommand, TailFollowsOneBlank) {
  char command[kSetupCommandSize];
  ASSERT_TRUE(BuildSetupCommand("D:\\w\\Q.exe", "-silent  \"a b\" ", command));
  EXPECT_STREQ(command, "D:\\w\\Q.exe -silent  \"a b\" ");
  ASSERT_TRUE(BuildSetupCommand("D:\\w\\Q.exe", "", command));
  EXPECT_STREQ(command, "D:\\w\\Q.exe");
}

TEST(BuildSetupCommand, RefusesWhatDoesNotFit) {
  char command[kSetupCommandSize];
  std::string path(100, 'p');
  EXPECT_TRUE(BuildSetupCommand(path.c_str(), std::string(418, 't').c_str(), command));
  EXPECT_EQ(std::string(command).size(), 519u);
  EXPECT_FALSE(BuildSetupCommand(path.c_str(), std::string(419, 't').c_str(), command));
  EXPECT_STREQ(command, "");
}
