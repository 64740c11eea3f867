// profile-get prints values exactly as the launcher reads them; the Windows
// build asks the system, so under Wine this also holds the system's reader
// to the same expectations as ours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/launcher_harness.h"

namespace {

std::string ProfileGet(const TempDir& dir, const std::vector<std::string>& options) {
  std::vector<std::string> command = {BuildProgram("profile-get")};
  command.insert(command.end(), options.begin(), options.end());
  if (UnderWine()) return RunWineCommand(command);
  std::string line;
  for (const std::string& part : command) line += "'" + part + "' ";
  std::string output;
  FILE* pipe = popen((line + "2>/dev/null").c_str(), "r");
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  (void)dir;
  return output;
}

}  // namespace

TEST(ProfileGet, PrintsValuesAsTheLauncherReadsThem) {
  TempDir dir;
  dir.Write("Setup.ini",
            "[PARAMS]\r\nDEFAULTCMD = Inst.exe /q \r\nSLEEPTIME=-2\r\nQUOTED=\"a b\"\r\n"
            "EMPTY=\r\nBYTES=\xe9\xe8\r\n[BEFORE]\r\ncopyfromzip=0x1\r\n");
  const std::string ini = UnderWine() ? dir.WinPath("Setup.ini") : dir.Path("Setup.ini");
  EXPECT_EQ(ProfileGet(dir, {ini, "PARAMS", "DEFAULTCMD"}), "Inst.exe /q\n");
  EXPECT_EQ(ProfileGet(dir, {ini, "params", "quoted"}), "a b\n");
  EXPECT_EQ(ProfileGet(dir, {ini, "PARAMS", "EMPTY", "--default", "x"}), "\n");
  EXPECT_EQ(ProfileGet(dir, {ini, "PARAMS", "MISSING", "--default", "x"}), "x\n");
  EXPECT_EQ(ProfileGet(dir, {ini, "PARAMS", "BYTES"}), "\xe9\xe8\n");
  EXPECT_EQ(ProfileGet(dir, {"--size", "4", ini, "PARAMS", "DEFAULTCMD"}), "Ins\n");
  EXPECT_EQ(ProfileGet(dir, {"--int", ini, "PARAMS", "SLEEPTIME"}), "4294967294\n");
  EXPECT_EQ(ProfileGet(dir, {"--int", ini, "BEFORE", "COPYFROMZIP"}), "1\n");
  EXPECT_EQ(ProfileGet(dir, {"--int", "--default", "7", ini, "BEFORE", "NONE"}), "7\n");
}
