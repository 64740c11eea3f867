// A bootstrapper as setup: it starts the real installer and exits at once,
// and the installer reads Velquist.ini a moment later.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "integration/launcher_harness.h"

namespace {

const int kInstallerDelayMs = 700;

class WaitAll : public ::testing::Test {
 protected:
  WaitAll() : japanese_("ja_JP.UTF-8") {
    package_.Write("Velquist.ini", "own");
    package_.Write("Velquist.0411", "ja");
    package_.InstallStandin("Late.exe");
  }

  std::string Launcher(const std::string& name) const {
    return UnderWine() ? package_.WinPath(name) : package_.Path(name);
  }

  LaunchResult RunBootstrapper() const {
    RunOptions options;
    options.env = {{"STANDIN_SPAWN_QUORLE", Launcher("Late.exe")},
                   {"STANDIN_DELAY_MS_LATE", std::to_string(kInstallerDelayMs)},
                   {"STANDIN_COPY_LATE", Launcher("Velquist.ini")},
                   {"STANDIN_EXIT_CODE_QUORLE", std::string("7")},
                   {"STANDIN_EXIT_CODE_LATE", std::string("9")}};
    return package_.Run(options);
  }

  // The installer's record, once it has ended (it may outlive the launcher).
  StandinRecord Installer() const {
    for (int i = 0; i < 200; ++i) {
      auto records = package_.Records("Late.exe");
      if (!records.empty() && records.back().endMs != 0) return records.back();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "the installer never ended";
    return {};
  }

  ScopedLocale japanese_;
  LauncherPackage package_;
};

TEST_F(WaitAll, TheRestoreWaitsForTheInstallerAndSetupsCodeIsPassed) {
  package_.WriteIni("[PARAMS]\nINILANG=1\nINILANG1=1041\nWAITALL=1\nPASSEXITCODE=1\nLOGFILE=" +
                    Launcher("run.log") + "\n");
  const LaunchResult result = RunBootstrapper();
  EXPECT_EQ(result.status, 7);
  const StandinRecord installer = Installer();
  EXPECT_EQ(installer.copy, std::optional<std::string>("ja"));
  EXPECT_GE(result.endMs, installer.endMs);
  EXPECT_EQ(package_.dir().Read("pkg/Velquist.ini"), "own");
  EXPECT_NE(package_.dir().Read("pkg/run.log").find("exit code 7; waited for setup and every "
                                                    "process started from it"),
            std::string::npos);
}

TEST_F(WaitAll, WithoutItOnlySetupsOwnProcessIsWaitedFor) {
  package_.WriteIni("[PARAMS]\nINILANG=1\nINILANG1=1041\n");
  const LaunchResult result = RunBootstrapper();
  EXPECT_EQ(result.status, 1);
  const StandinRecord installer = Installer();
  EXPECT_LT(result.endMs, installer.endMs);
  EXPECT_EQ(installer.copy, std::optional<std::string>("own"));
  EXPECT_EQ(package_.dir().Read("pkg/Velquist.ini"), "own");
}

}  // namespace
