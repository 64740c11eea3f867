#include "launcher-check/check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "core/fixed_names.h"
#include "core/indexed_keys.h"
#include "core/path_table.h"
#include "core/run_report.h"
#include "core/settings.h"
#include "core/setup_command.h"
#include "deploy/deployment.h"
#include "deploy/zip_extraction.h"
#include "deploy/zip_reader.h"
#include "housekeeping/start_menu.h"
#include "launcher-check/ascii_names.h"
#include "launcher-check/known_keys.h"
#include "locale/language_swap.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/profile_parse.h"
#include "platform/system.h"
#include "platform/text.h"
#include "registry/registry_entries.h"
#include "registry/registry_script.h"
#include "resources/version.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Counts above this are not checked index by index for missing entries.
constexpr uint32_t kLargestListedCount = 1000;

std::string Number(unsigned long long value) { return std::to_string(value); }

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof(text), "%04x", value & 0xFFFFu);
  return text;
}

bool IsFile(const std::string& path) {
  const uint32_t attributes = GetPathAttributes(path.c_str());
  return attributes != kInvalidFileAttributes && (attributes & kAttributeDirectory) == 0;
}

// A value as the launcher's reader gives it, with no buffer limit, and
// whether the key is there at all (told apart by two different defaults).
struct RawValue {
  bool present = false;
  std::string text;
};

RawValue ReadRaw(const char* section, const std::string& key, const std::string& iniPath) {
  std::vector<char> buffer(1 << 16);
  RawValue raw;
  for (const char* sentinel : {"\x01" "a", "\x01" "b"}) {
    const unsigned long length = ReadProfileString(section, key.c_str(), sentinel, buffer.data(),
                                                   static_cast<unsigned long>(buffer.size()),
                                                   iniPath.c_str());
    std::string text(buffer.data(), length);
    if (text != sentinel) {
      raw.present = true;
      raw.text = text;
      return raw;
    }
  }
  return raw;
}

// A line the system keeps as a key named ";..." that no launcher key can
// ever match: a comment.
bool IsComment(const ProfileEntry& entry) { return !entry.name.empty() && entry.name[0] == ';'; }

// True when the integer reader takes the whole of `text`.
bool IsPlainInteger(const std::string& text) {
  bool whole = false;
  ParseProfileInteger(text.c_str(), &whole);
  return whole;
}

std::string ParentOf(const std::string& path) {
  const std::string::size_type slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class Report {
 public:
  void Line(const std::string& text) { out_ += text + "\n"; }
  void Heading(const std::string& text) { out_ += "\n" + text + "\n"; }
  void Warn(const std::string& text) {
    warnings_.push_back(text);
    out_ += "  ! " + text + "\n";
  }
  const std::string& Text() const { return out_; }
  const std::vector<std::string>& Warnings() const { return warnings_; }

 private:
  std::string out_;
  std::vector<std::string> warnings_;
};

// Entries that a 32-bit program on 64-bit Windows writes into SysWOW64
// instead: the system redirects its System32.
bool IsBelowSystem32(const EntryPlan& entry) {
  const std::string& name = entry.name;
  return name.size() > 9 && EqualsIgnoringAsciiCase(name.substr(0, 8), "system32") &&
         name[8] == '\\';
}

// The dry run: every entry's plan is collected, nothing is written.
EntryResult CollectPlan(void* context, const EntryPlan& plan, const EntrySource&) {
  static_cast<std::vector<EntryPlan>*>(context)->push_back(plan);
  return plan.skip == EntrySkip::kNone ? EntryResult::kDone : EntryResult::kSkipped;
}

// The deployment's extractions, run dry: for each destination its outcome
// and the plan of every entry.
struct DryExtraction {
  ExtractionOutcome outcome;
  std::vector<EntryPlan> entries;
};

ExtractionOutcome DryExtract(void* context, const std::string& archivePath,
                             const std::string& destination, LinkPolicy links) {
  auto* runs = static_cast<std::vector<DryExtraction>*>(context);
  runs->emplace_back();
  const EntryActions collect = {&runs->back().entries, CollectPlan};
  runs->back().outcome =
      ExtractZipArchiveWith(DefaultZipReader(), archivePath, destination, collect, links);
  return runs->back().outcome;
}

class Checker {
 public:
  Checker(const CheckRequest& request, Report* report) : request_(request), r_(*report) {}

  int Run();

 private:
  void CheckPaths();
  void CheckLayout();
  void CheckEncoding();
  void CheckSettings();
  void CheckValues();
  void CheckDeployments();
  void CheckArchive(const char* step, const char* key, uint32_t value, const char* archivePath,
                    bool system);
  void CheckSingleInstance();
  void CheckLanguageSwap();
  void LanguageSwapStep(uint32_t count);
  void RegistryStep(const RegistryScriptPlan& plan, bool listed);
  void CheckSetup();
  void CheckPause();
  void CheckRegistry();
  void CheckHousekeeping();
  void CheckDiagnostics();
  std::string SwitchReason(const char* section, const char* key, uint32_t value);
  void CountedEntries(const char* countKey, uint32_t count, const std::vector<const char*>& fields);

  const CheckRequest& request_;
  Report& r_;
  std::string launcherPath_;
  PathTable paths_;
  LauncherSettings settings_;
  MutexName mutex_;
  std::string contents_;
  std::vector<ProfileSection> sections_;
  // Section and upper-cased key name for every key line outside the
  // section it belongs in, to tell why a switch reads as missing.
  std::map<std::string, std::string> misplaced_;
};

int Checker::Run() {
  launcherPath_ = LauncherPathFor(request_.target);
  r_.Line(std::string("launcher-check ") + LAUNCHER_VERSION_TEXT +
          ": what a run would do on this system; nothing is changed.");
  if (launcherPath_.empty()) {
    r_.Line("cannot make an absolute path of " + request_.target);
    return kCheckUnreadable;
  }
  CheckPaths();
  if (!ReadWholeFile(paths_.iniPath, &contents_)) {
    r_.Line("");
    r_.Line(std::string("cannot read the configuration ") + paths_.iniPath +
            ": a launcher there would take every default and only start " +
            kDefaultSetupProgram + ".");
    return kCheckUnreadable;
  }
  settings_ = ReadLauncherSettings(paths_.iniPath);
  mutex_ = ReadMutexName(paths_.iniPath, paths_.exeFileName);
  CheckLayout();
  CheckSettings();
  CheckValues();
  r_.Heading("Steps");
  CheckSingleInstance();
  CheckDeployments();
  CheckLanguageSwap();
  CheckSetup();
  CheckPause();
  CheckRegistry();
  CheckHousekeeping();
  CheckDiagnostics();
  r_.Heading(r_.Warnings().empty() ? "No warnings."
                                   : Number(r_.Warnings().size()) + " warning(s):");
  for (const std::string& warning : r_.Warnings()) r_.Line("  " + warning);
  return r_.Warnings().empty() ? kCheckClean : kCheckWarnings;
}

void Checker::CheckPaths() {
  OsVersion version = {};
  const bool haveVersion = QueryOsVersion(&version);
  std::memset(&paths_, 0, sizeof(paths_));
  DeriveStartupPathsFrom(launcherPath_.c_str(), haveVersion ? &version : nullptr, &paths_);
  r_.Heading("Paths");
  r_.Line("  launcher           " + launcherPath_ + (IsFile(launcherPath_) ? "" : " (not there)"));
  r_.Line(std::string("  directory          ") + paths_.exeDirectory);
  r_.Line(std::string("  configuration      ") + paths_.iniPath);
  r_.Line("  system             " +
          (haveVersion ? "platform " + Number(version.platformId) + ", version " +
                             Number(version.majorVersion) + "." + Number(version.minorVersion)
                       : std::string("version unknown")) +
          ", platform kind " + Number(paths_.platformKind) +
          (paths_.platformKind == kPlatformKindWindowsXp ? " (Windows XP: .xp/.sxp archives)"
                                                         : " (not Windows XP: .2k/.s2k archives)"));
  for (const char* archive : {paths_.systemArchivePath, paths_.profileArchivePath}) {
    r_.Line(std::string(archive == paths_.systemArchivePath ? "  system archive     "
                                                            : "  profile archive    ") +
            (archive[0] != '\0' ? std::string(archive) + (IsFile(archive) ? "" : " (not there)")
                                : std::string("none")));
  }
}

// Sections and keys as they stand in the file: duplicates, misplaced,
// misspelt and unknown ones.
void Checker::CheckLayout() {
  sections_ = ParseProfile(contents_);
  r_.Heading("Layout of " + std::string(paths_.iniPath));
  CheckEncoding();
  // The first line of each name, found as the reader finds names.
  const auto firstOf = [](std::vector<std::pair<std::string, int>>& seen,
                          const std::string& name) -> int {
    for (const auto& entry : seen)
      if (ProfileNamesEqual(entry.first, name)) return entry.second;
    return 0;
  };
  std::vector<std::pair<std::string, int>> firstSection;
  for (const ProfileSection& section : sections_) {
    const std::string upper = AsciiUpper(section.name);
    const bool known = ProfileNamesEqual(section.name, kSectionParams) ||
                       ProfileNamesEqual(section.name, kSectionBefore);
    const std::string where = section.line == 0 ? std::string("before any section")
                                                : "[" + section.name + "]";
    bool read = false;
    if (section.line != 0) {
      if (const int first = firstOf(firstSection, section.name)) {
        r_.Warn("line " + Number(section.line) + ": section " + where +
                " appears again (first on line " + Number(first) +
                "); only the first one is read, the keys here are never seen");
      } else {
        firstSection.emplace_back(section.name, section.line);
        read = known;
        if (!known) {
          if (EditDistance(upper, kSectionParams) <= 2 ||
              EditDistance(upper, kSectionBefore) <= 2 || upper.find(' ') != std::string::npos) {
            r_.Warn("line " + Number(section.line) + ": section " + where +
                    " is not read; the launcher reads [PARAMS] and [BEFORE]");
          } else {
            r_.Line("  line " + Number(section.line) + ": section " + where +
                    " is not read by the launcher");
          }
        }
      }
    }
    std::vector<std::pair<std::string, int>> firstKey;
    for (const ProfileEntry& key : section.entries) {
      if (IsComment(key)) continue;
      bool badIndex = false;
      const KnownKey* knownKey = FindKnownKey(key.name, &badIndex);
      const std::string at = "line " + Number(key.line) + ": ";
      if (read) {
        if (const int first = firstOf(firstKey, key.name)) {
          r_.Warn(at + key.name + " appears again in " + where + " (first on line " +
                  Number(first) + "); only the first one counts");
          continue;
        }
        firstKey.emplace_back(key.name, key.line);
      }
      if (knownKey != nullptr) {
        if (badIndex) {
          r_.Warn(at + key.name + " is never read: entries are numbered 1, 2, ... "
                  "without leading zeros");
        } else if (!ProfileNamesEqual(section.name, knownKey->section)) {
          misplaced_[AsciiUpper(key.name)] = where;
          r_.Warn(at + key.name + " is in " + where + ", but the launcher reads it from [" +
                  knownKey->section + "]: it has no effect there");
        } else if (!key.hasEquals) {
          r_.Warn(at + key.name + " has no '=': the key reads as missing");
        }
        continue;
      }
      std::string suggestion;
      if (FindNearKey(key.name, &suggestion) != nullptr) {
        r_.Warn(at + "unknown key " + key.name + " in " + where + "; did you mean " +
                suggestion + "?");
      } else if (read) {
        r_.Line("  " + at + "key " + key.name + " in " + where + " is not one the launcher reads");
      }
    }
  }
  r_.Line("  " + Number(sections_.size() - 1) + " section(s)");
}

// Byte-order marks that some Windows systems read otherwise than the
// reader here does.
void Checker::CheckEncoding() {
  if (contents_.compare(0, 2, "\xFF\xFE") == 0) {
    r_.Warn("the file is Unicode (UTF-16): Windows 95, 98 and Me read it as ANSI text "
            "and find none of its sections");
  } else if (contents_.compare(0, 2, "\xFE\xFF") == 0) {
    r_.Warn("the file is big-endian UTF-16: Windows reads only little-endian Unicode files "
            "(Notepad's \"Unicode\") and finds none of its sections");
  } else if (contents_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    // Windows reads the mark as three ANSI characters at the start of the
    // first line; that matters when the line holds a header or a key, or
    // when other characters are not plain ASCII.
    const bool firstLineCounts =
        (!sections_[0].entries.empty() && sections_[0].entries[0].line == 1 &&
         !IsComment(sections_[0].entries[0])) ||
        (sections_.size() > 1 && sections_[1].line == 1);
    const bool nonAscii = std::any_of(contents_.begin() + 3, contents_.end(),
                                      [](char c) { return (c & 0x80) != 0; });
    if (firstLineCounts || nonAscii) {
      r_.Warn(std::string("the file starts with a UTF-8 byte-order mark: Windows reads "
                          "configuration files as ANSI text, so ") +
              (firstLineCounts ? "the first line is not read as written" : "") +
              (firstLineCounts && nonAscii ? ", and " : "") +
              (nonAscii ? "characters beyond ASCII read as other characters" : "") +
              "; save it as ANSI");
    }
  }
}

void Checker::CheckSettings() {
  r_.Heading("Settings (as the launcher reads them)");
  for (size_t i = 0; i < kKnownKeyCount; ++i) {
    const KnownKey& key = kKnownKeys[i];
    if (std::strchr(key.pattern, '#') != nullptr) continue;
    const RawValue raw = ReadRaw(key.section, key.pattern, paths_.iniPath);
    std::string shown;
    if (key.kind == KeyKind::kText) {
      if (std::strcmp(key.pattern, "DEFAULTCMD") == 0)
        shown = settings_.defaultCmdTooLong ? "(too long)" : std::string(settings_.DEFAULTCMD);
      else if (std::strcmp(key.pattern, "MUTEXNAME") == 0)
        shown = mutex_.name;
      else
        shown = raw.text;
      shown = "\"" + shown + "\"";
    } else {
      shown = Number(ReadProfileInt(key.section, key.pattern, 0, paths_.iniPath));
    }
    char line[400];
    std::snprintf(line, sizeof(line), "  [%s] %-18s = %s", key.section, key.pattern,
                  shown.c_str());
    std::string from = raw.present ? "   (from the file)" : "   (default)";
    if (std::strcmp(key.pattern, "MUTEXNAME") == 0 && mutex_.source != MutexNameSource::kFile)
      from = raw.present ? "   (default: the file's value cannot be used)"
                         : "   (default: the launcher's file name)";
    r_.Line(std::string(line) + from);
  }
  r_.Line("  indexed entries (INILANG<n>, ADDREG<n>_..., DELREG<n>_...) are shown with their steps");
}

// Values that read otherwise than they look, or do not fit their buffers.
void Checker::CheckValues() {
  r_.Heading("Values");
  size_t before = r_.Warnings().size();
  for (const ProfileSection& section : sections_) {
    if (section.line == 0) continue;
    for (const ProfileEntry& scanned : section.entries) {
      bool badIndex = false;
      const KnownKey* key = FindKnownKey(scanned.name, &badIndex);
      if (key == nullptr || badIndex || !ProfileNamesEqual(section.name, key->section))
        continue;
      const RawValue raw = ReadRaw(key->section, scanned.name, paths_.iniPath);
      // Only the key line the reader takes is judged.
      if (!raw.present || scanned.line != [&] {
            for (const ProfileEntry& k : section.entries)
              if (ProfileNamesEqual(k.name, scanned.name)) return k.line;
            return 0;
          }())
        continue;
      const std::string name = AsciiUpper(scanned.name);
      const std::string at = "line " + Number(scanned.line) + ": ";
      if (key->kind == KeyKind::kText) {
        if (raw.text.size() > key->longest) {
          std::string effect = "the entry is left out of the registry script";
          if (name == "DEFAULTCMD") effect = "nothing is started";
          if (name == "LOGFILE") effect = "nothing is logged";
          if (name == "MUTEXNAME") effect = "the launcher's file name is used instead";
          r_.Warn(at + name + " is " + Number(raw.text.size()) + " characters long, more than " +
                  Number(key->longest) + ": " + effect);
        }
        continue;
      }
      const uint32_t value = ReadProfileInt(key->section, scanned.name.c_str(), 0, paths_.iniPath);
      if (raw.text.size() >= kProfileIntegerTextSize) {
        r_.Warn(at + name + " is read only up to its first " + Number(kProfileIntegerTextSize - 1) +
                " characters: it reads as " + Number(value));
      } else if (!raw.text.empty() && !IsPlainInteger(raw.text)) {
        r_.Warn(at + name + "=" + raw.text + " is not a plain number: it reads as " +
                Number(value));
      }
      if (key->kind == KeyKind::kSwitch && value > 1) {
        r_.Warn(at + name + " is " + Number(value) + ": only exactly 1 switches it on");
      }
      if (key->kind == KeyKind::kLanguage && raw.text.size() > 1 && raw.text[0] == '0' &&
          raw.text[1] >= '0' && raw.text[1] <= '9') {
        r_.Warn(at + name + "=" + raw.text + " is read in decimal, as " + Number(value) +
                " (0x" + Hex4(value) + "); language identifiers are given in decimal, "
                "e.g. 1041 for 0x0411, or with a 0x prefix");
      }
    }
  }
  if (r_.Warnings().size() == before) r_.Line("  every value reads as written");
}

std::string Checker::SwitchReason(const char* section, const char* key, uint32_t value) {
  const RawValue raw = ReadRaw(section, key, paths_.iniPath);
  if (!raw.present) {
    auto misplaced = misplaced_.find(key);
    if (misplaced != misplaced_.end())
      return std::string(key) + " stands in " + misplaced->second + ", not in [" + section + "]";
    return std::string(key) + " is not set (default 0)";
  }
  if (value == 0) return std::string(key) + " is 0";
  return std::string(key) + " is " + Number(value) + ", and only 1 switches it on";
}

void Checker::CheckDeployments() {
  CheckArchive("system deployment", "COPYFROMZIP", settings_.COPYFROMZIP,
               paths_.systemArchivePath, true);
  CheckArchive("profile deployment", "COPYSETFROMZIP", settings_.COPYSETFROMZIP,
               paths_.profileArchivePath, false);
}

void Checker::CheckArchive(const char* step, const char* key, uint32_t value,
                           const char* archivePath, bool system) {
  const std::string does = std::string("- ") + step + ": ";
  const bool present = archivePath[0] != '\0' && IsFile(archivePath);
  if (!IsSwitchOn(value)) {
    r_.Line(does + "does not run: " + SwitchReason(kSectionBefore, key, value));
    if (present) r_.Line(std::string("    (") + archivePath + " is there but stays unused)");
    return;
  }
  if (archivePath[0] == '\0') {
    r_.Line(does + "does nothing: the system version is unknown, so no archive is chosen");
    r_.Warn(std::string(key) + " is 1, but no archive path could be derived");
    return;
  }
  if (!present) {
    r_.Line(does + "does nothing: " + archivePath + " is not there");
    r_.Warn(std::string(key) + " is 1, but " + archivePath + " is missing");
    return;
  }
  // The deployment itself, with extractions that only collect their plans.
  std::vector<DryExtraction> runs;
  const DeploymentActions dryRun = {
      &runs, [](void*, const std::string& path) { return PathExists(path); }, DryExtract};
  const DeploymentEnvironment env = ReadDeploymentEnvironment();
  const DeploymentOutcome outcome = system ? DeploySystemArchiveWith(archivePath, env, dryRun)
                                           : DeployProfileArchiveWith(archivePath, env, dryRun);
  if (!outcome.plan.leftOut.empty()) r_.Line(does + "leaves out " + outcome.plan.leftOut);
  if (runs.empty()) {
    r_.Line(does + "does nothing: " + outcome.plan.noDestination);
    r_.Warn(std::string(key) + " is 1, but there is no folder to unpack into on this system");
    return;
  }
  if (!runs.front().outcome.opened) {
    r_.Line(does + "does nothing: " + archivePath + " cannot be read as a zip archive");
    r_.Warn(std::string(key) + " is 1, but " + archivePath + " cannot be read as a zip archive");
    return;
  }
  const std::vector<EntryPlan>& first = runs.front().entries;
  r_.Line(does + "runs: unpacks " + archivePath + " (" + Number(first.size()) + " entries) into");
  std::vector<bool> skipped(first.size(), false);
  for (const DryExtraction& run : runs) {
    r_.Line("      " + run.outcome.destination);
    for (size_t i = 0; i < run.entries.size() && i < skipped.size(); ++i) {
      const EntryPlan& entry = run.entries[i];
      if (entry.skip != EntrySkip::kNone) skipped[i] = true;
      if (entry.target.empty()) {
        r_.Line("        SKIPPED " + entry.name + (entry.name.empty() ? "(" : " (") +
                DescribeEntrySkip(entry.skip) + ")");
        continue;
      }
      r_.Line("        " + entry.name + " -> " + entry.target +
              (entry.skip != EntrySkip::kNone ? " SKIPPED (" + DescribeEntrySkip(entry.skip) + ")"
               : entry.kind == EntryKind::kDirectory ? " (folder)"
                                                     : ""));
    }
  }
  if (system && std::any_of(first.begin(), first.end(), IsBelowSystem32))
    r_.Line("    note: entries below system32\\: on 64-bit Windows the 32-bit launcher's writes "
            "there land in SysWOW64; for 64-bit drivers or DLLs ship the x86-64 launcher");
  const size_t refused = static_cast<size_t>(std::count(skipped.begin(), skipped.end(), true));
  if (refused != 0)
    r_.Warn(std::string(archivePath) + ": " + Number(refused) + " entr" +
            (refused == 1 ? "y is" : "ies are") + " skipped when unpacked" +
            (runs.size() > 1 ? " (at one destination or more)" : ""));
}

void Checker::CheckSingleInstance() {
  r_.Line(std::string("- single instance: a launcher that finds the mutex \"") + mutex_.name +
          "\" held ends at once" + DescribeMutexNameSource(mutex_.source));
  if (mutex_.source == MutexNameSource::kEmpty)
    r_.Warn("MUTEXNAME is empty: the launcher's file name is used instead");
  else if (mutex_.source == MutexNameSource::kBackslash)
    r_.Warn("MUTEXNAME holds a backslash, which Windows reads as a namespace path: the "
            "launcher's file name is used instead");
}

void Checker::CheckLanguageSwap() {
  const uint32_t count = settings_.INILANG;
  if (count == 0) {
    r_.Line("- language swap: does not run: INILANG is " +
            std::string(ReadRaw(kSectionParams, "INILANG", paths_.iniPath).present
                            ? "0"
                            : "not set (default 0)"));
    return;
  }
  LanguageSwapStep(count);
  CountedEntries("INILANG", count, {""});
}

void Checker::LanguageSwapStep(uint32_t count) {
  const LanguageSwapPlan plan =
      PlanLanguageSwap(GetSystemDefaultLanguage(), paths_.exeDirectory, paths_.iniPath, count);
  std::string listed;
  for (size_t i = 0; i < plan.entries.size() && i < 20; ++i)
    listed +=
        " " + Number(plan.entries[i].language) + " (0x" + Hex4(plan.entries[i].language) + ")";
  const std::string entries =
      "    INILANG entries:" + listed + (plan.entries.size() > 20 ? " ..." : "");
  const std::string system = "the system language is " + Number(plan.systemLanguage) + " (0x" +
                             Hex4(plan.systemLanguage) + ")";
  const std::string match = " (INILANG" + Number(plan.matchedIndex) + ")";
  if (plan.undoInterrupted) {
    r_.Line(std::string("- language swap: an interrupted swap will be undone first: ") +
            plan.configPath + " is the copy " + plan.strandedCopyPath + ", so " +
            plan.backupPath + " is put back over it");
    r_.Warn(std::string("language swap: an earlier run ended before it put ") + plan.backupPath +
            " back; the next run does so first");
  }
  if (plan.block == SwapBlock::kNotListed) {
    r_.Line("- language swap: does not run: " + system + ", which no INILANG entry lists");
  } else if (plan.block != SwapBlock::kNone) {
    const std::string reason = DescribeSwapBlock(plan);
    r_.Line("- language swap: does not run: " + system + match + ", but " + reason);
    r_.Warn("language swap: INILANG" + Number(plan.matchedIndex) + " matches this system, but " +
            reason);
  } else {
    r_.Line("- language swap: runs: " + system + match + ": " + plan.configPath + " waits as " +
            plan.backupPath + ", " + plan.copyPath +
            " is copied in its place, and both are put back after setup");
  }
  r_.Line(entries);
}

// Warns when a count is larger than the entries present, or entries stand
// beyond it. `fields` are the suffixes of the entry's keys ("" for one key).
void Checker::CountedEntries(const char* countKey, uint32_t count,
                             const std::vector<const char*>& fields) {
  // The entries present at any index, found as the steps find theirs.
  const std::vector<uint32_t> indexes = PresentEntryIndexes(
      ReadProfileKeyNames(kSectionParams, paths_.iniPath), countKey, fields, 0xFFFFFFFFu);
  const std::set<uint64_t> present(indexes.begin(), indexes.end());
  const uint64_t highest = indexes.empty() ? 0 : indexes.back();
  if (count > kLargestListedCount && count > highest) {
    r_.Warn(std::string(countKey) + " is " + Number(count) + ", far more than the " +
            Number(present.size()) + " entries present");
    return;
  }
  std::vector<uint64_t> missing;
  for (uint64_t index = 1; index <= count; ++index) {
    if (!present.count(index)) missing.push_back(index);
  }
  if (!missing.empty()) {
    std::string list;
    for (size_t i = 0; i < missing.size() && i < 10; ++i) list += (i ? ", " : "") + Number(missing[i]);
    if (missing.size() > 10) list += ", ...";
    r_.Warn(std::string(countKey) + " is " + Number(count) + ", but entr" +
            (missing.size() == 1 ? "y " : "ies ") + list + " " + (missing.size() == 1 ? "is" : "are") +
            " missing (nothing is read for them)");
  }
  for (uint64_t index : present) {
    if (index > count)
      r_.Warn(std::string(countKey) + Number(index) + " lies beyond " + countKey + "=" +
              Number(count) + " and is never read");
  }
}

void Checker::CheckSetup() {
  const SetupPlan plan = PlanSetupProgram(launcherPath_.c_str(), settings_, request_.tail.c_str());
  const std::string value = std::string("DEFAULTCMD \"") + settings_.DEFAULTCMD + "\"";
  std::string blocked;
  switch (plan.block) {
    case SetupBlock::kNone: break;
    case SetupBlock::kDefaultCmdTooLong:
      r_.Line("- setup: nothing is started: DEFAULTCMD is longer than 260 characters");
      return;
    case SetupBlock::kDefaultCmdEmpty:
      blocked = "DEFAULTCMD is present but empty";
      break;
    case SetupBlock::kUnclosedQuote:
      blocked = value + " opens a quote it never closes";
      break;
    case SetupBlock::kOutsideDirectory:
      blocked = value + " names a program outside " + paths_.exeDirectory +
                " (an absolute path or \"..\")";
      break;
    case SetupBlock::kLauncherItself:
      blocked = value + " names the launcher itself, " + plan.program;
      break;
    case SetupBlock::kOwnPathUnknown:
    case SetupBlock::kCommandTooLong:
      blocked = "the setup path or command is too long";
      break;
  }
  if (!blocked.empty()) {
    r_.Line("- setup: nothing is started: " + blocked);
    r_.Warn(blocked + ": no setup program is started");
    return;
  }
  r_.Line(std::string("- setup: program: ") + plan.program);
  r_.Line(std::string("    command line: ") + plan.command);
  if (plan.readings > 1)
    r_.Warn(value + " could be read two ways: more than one blank-separated beginning of it " +
            "names a file; " + plan.program + " is taken (quote the program's name to say which)");
  if (!plan.programFound) {
    r_.Line("    no such program: nothing would be started, and the launcher goes on without waiting");
    r_.Warn(value + " names no existing file in " + paths_.exeDirectory);
    return;
  }
  r_.Line("    the launcher waits for it to end");
  if (!plan.waitForTree) {
    r_.Line("    the wait is for the setup program's own process, not for what it starts; " +
            SwitchReason(kSectionParams, "WAITALL", settings_.WAITALL));
    return;
  }
  r_.Line("    the wait lasts until the setup program and every process started from it have ended");
  if (IsSwitchOn(settings_.TERMINATEORMLATCH))
    r_.Warn(std::string("WAITALL and TERMINATEORMLATCH are both 1: if setup leaves ") +
            kHelperImageName + " running, the launcher waits for it for ever");
}

void Checker::CheckPause() {
  if (IsSwitchOn(settings_.SLEEP))
    r_.Line("- pause: " + Number(settings_.SLEEPTIME) + " ms after setup" +
            (settings_.SLEEPTIME == 0xFFFFFFFFu ? " (that is, for ever)" : ""));
  else
    r_.Line("- pause: none: " + SwitchReason(kSectionParams, "SLEEP", settings_.SLEEP));
}

void Checker::CheckRegistry() {
  std::string systemDirectory;
  const bool known = GetSystemDirectoryPath(&systemDirectory);
  const RegistryScriptPlan plan = PlanRegistryScript(
      paths_.iniPath, GetEnvironmentValue("TEMP"), known ? systemDirectory.c_str() : nullptr);
  // The counts as the file gives them, also where the step, without TEMP,
  // never reads them.
  const uint32_t adds = ReadProfileInt(kSectionParams, "ADDREG", 0, paths_.iniPath);
  const uint32_t deletes = ReadProfileInt(kSectionParams, "DELREG", 0, paths_.iniPath);
  RegistryStep(plan, adds != 0 || deletes != 0);
  const char* const* suffixes = kRegistryFieldSuffixes;
  if (adds != 0) CountedEntries("ADDREG", adds, {suffixes, suffixes + kFieldCount});
  if (deletes != 0) CountedEntries("DELREG", deletes, {suffixes, suffixes + kDeletionFieldCount});
}

void Checker::RegistryStep(const RegistryScriptPlan& plan, bool listed) {
  if (plan.skip == RegistrySkip::kNoTemp) {
    r_.Line("- registry script: does not run: TEMP is not set");
    if (listed) r_.Warn("ADDREG/DELREG list changes, but TEMP is not set here: none would be made");
    return;
  }
  if (plan.skip == RegistrySkip::kNothingListed) {
    r_.Line("- registry script: does not run: ADDREG and DELREG are 0");
    return;
  }
  r_.Line("- registry script: runs after setup: writes " + plan.scriptPath +
          " (CR LF line ends; the folder is made afresh, writable by administrators and the "
          "system only, and removed afterwards):");
  const RegistryScript& script = plan.script;
  for (size_t start = 0; start < script.text.size();) {
    const size_t end = std::min(script.text.find('\n', start), script.text.size());
    r_.Line("    | " + script.text.substr(start, end - start));
    start = end + 1;
  }
  for (const LeftOutEntry& entry : script.leftOut)
    r_.Warn(entry.entry + " is left out of the script: " + entry.reason);
  for (const WholeKeyDeletion& deletion : script.wholeKeyDeletions)
    r_.Line("    " + deletion.entry + " deletes the whole key " + deletion.key +
            ", with everything under it (no value name given)");
  if (!plan.scriptPathFits) {
    r_.Warn("the script's path in its folder in TEMP would be longer than 260 characters: the "
            "launcher would end there");
    return;
  }
  if (!plan.installerCommand.empty()) {
    r_.Line("    then runs: " + plan.installerCommand);
  } else {
    r_.Line("    the installer would not be started (no system directory, or the script's path too "
            "long for it); the script is deleted");
    r_.Warn("registry changes are listed, but the installer cannot be started here");
  }
  r_.Line("    and deletes the script");
}

void Checker::CheckHousekeeping() {
  if (IsSwitchOn(settings_.TERMINATEORMLATCH))
    r_.Line(std::string("- helper process: ends the first running ") + kHelperImageName + " after setup");
  else
    r_.Line("- helper process: does not run: " +
            SwitchReason(kSectionParams, "TERMINATEORMLATCH", settings_.TERMINATEORMLATCH));

  if (!IsSwitchOn(settings_.CHECKSTARTPROGRAM)) {
    r_.Line("- start menu: does not run: " +
            SwitchReason(kSectionParams, "CHECKSTARTPROGRAM", settings_.CHECKSTARTPROGRAM));
    return;
  }
  const StartMenuPlan plan = PlanStartMenuRelocation();
  switch (plan.block) {
    case RelocationBlock::kNoProgramsFolder:
      r_.Line("- start menu: does nothing: this system has no all-users programs folder");
      break;
    case RelocationBlock::kTargetTooLong:
      r_.Line(
          "- start menu: does nothing: the folder's path in the programs folder would be too long");
      break;
    case RelocationBlock::kSourceMissing:
      r_.Line(std::string("- start menu: does nothing now: ") + plan.source +
              " is not there (setup may create it)");
      break;
    case RelocationBlock::kSourceIsLink:
      r_.Line(std::string("- start menu: does nothing: ") + plan.source + " is a link");
      r_.Warn(std::string(plan.source) + " is a link: the launcher moves nothing through it");
      break;
    case RelocationBlock::kSourceNotAdministrators:
      r_.Line(std::string("- start menu: does nothing: ") + plan.source +
              " was not made by an administrator");
      r_.Warn(std::string(plan.source) +
              " is owned by another user: the launcher moves only what an administrator made");
      break;
    case RelocationBlock::kTargetExists:
      r_.Line(std::string("- start menu: does nothing: ") + plan.target + " exists already");
      break;
    case RelocationBlock::kNone:
      r_.Line(std::string("- start menu: moves the content of ") + plan.source + " into " +
              plan.target);
      break;
  }
}

void Checker::CheckDiagnostics() {
  if (settings_.logFileTooLong) {
    r_.Line("- log: none: LOGFILE is longer than 260 characters");
  } else if (settings_.LOGFILE[0] == '\0') {
    r_.Line("- log: none (LOGFILE not set)");
  } else {
    const std::string log = settings_.LOGFILE;
    r_.Line("- log: one line per step appended to " + log);
    const std::string parent = ParentOf(log);
    const bool drive = log.size() >= 2 && log[1] == ':';
    if (!drive && log[0] != '\\' && log[0] != '/')
      r_.Line("    (a relative path: the log lands beside whatever the current folder is)");
    if (!parent.empty() && !(parent.size() == 2 && parent[1] == ':') && !PathExists(parent))
      r_.Warn("LOGFILE's folder " + parent + " does not exist: nothing would be logged");
  }
  if (IsSwitchOn(settings_.PASSEXITCODE))
    r_.Line("- exit status: the setup program's exit code when it ran, else 1");
  else
    r_.Line("- exit status: 1; " +
            SwitchReason(kSectionParams, "PASSEXITCODE", settings_.PASSEXITCODE));
}

}  // namespace

std::string LauncherPathFor(const std::string& target) {
  std::string path;
#ifdef _WIN32
  char full[MAX_PATH * 4];
  DWORD length = GetFullPathNameA(target.c_str(), sizeof(full), full, nullptr);
  if (length == 0 || length >= sizeof(full)) return "";
  path.assign(full, length);
#else
  const bool drive = target.size() >= 2 && target[1] == ':';
  if (drive) {
    path = target;
    std::replace(path.begin(), path.end(), '/', '\\');
  } else {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(target, error);
    if (error) return "";
    path = DrivePathFromNative(absolute.lexically_normal().string());
  }
#endif
  const std::string::size_type dot = path.rfind('.');
  const std::string::size_type slash = path.rfind('\\');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
      EqualsIgnoringAsciiCase(path.substr(dot), ".ini"))
    path = path.substr(0, dot) + ".exe";
  return path;
}

int RunLauncherCheck(const CheckRequest& request, std::string* out) {
  Report report;
  const int status = Checker(request, &report).Run();
  *out = report.Text();
  return status;
}
