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
#include "run/run_report.h"
#include "core/settings.h"
#include "core/system_words.h"
#include "run/setup_command.h"
#include "deploy/deployment.h"
#include "deploy/zip_extraction.h"
#include "deploy/zip_reader.h"
#include "housekeeping/start_menu.h"
#include "launcher-check/archive_variants.h"
#include "launcher-check/ascii_names.h"
#include "launcher-check/known_keys.h"
#include "launcher-check/launcher_build.h"
#include "launcher-check/system_choice.h"
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

// How the reader behind the tables here takes a UTF-8 byte-order mark.
#ifdef _WIN32
constexpr char kBomReading[] = "the settings shown here are read as this Windows reads the file";
#else
constexpr char kBomReading[] =
    "the settings shown here are read as UTF-8, as this system's reader (and Wine) reads the file";
#endif

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
  // A warning two checks reach is shown and counted once.
  void Warn(const std::string& text) {
    if (std::find(warnings_.begin(), warnings_.end(), text) != warnings_.end()) return;
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

// A script line that changes HKLM\Software, which the system redirects for
// a 32-bit program on 64-bit Windows.
bool IsMachineSoftwareLine(const std::string& line) {
  const std::string start = "HKLM, \"SOFTWARE";
  if (line.size() <= start.size() ||
      !EqualsIgnoringAsciiCase(line.substr(0, start.size()), start))
    return false;
  const char next = line[start.size()];
  return next == '\\' || next == '"';
}

// The dry run: every entry's plan is collected, nothing is written. A file's
// data is opened, as the extraction opens it: where it cannot be, the
// extraction ends there.
EntryResult CollectPlan(void* context, const EntryPlan& plan, const EntrySource& source) {
  static_cast<std::vector<EntryPlan>*>(context)->push_back(plan);
  if (plan.skip != EntrySkip::kNone) return EntryResult::kSkipped;
  if (plan.kind == EntryKind::kFile) {
    if (source.reader->openCurrentFile(source.archive) != kZipOk)
      return EntryResult::kDataUnreadable;
    source.reader->closeCurrentFile(source.archive);
  }
  return EntryResult::kDone;
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
  void CheckNames();
  void CheckLauncherPresent();
  void CheckCharacterSet();
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
  void CheckArchiveVariants();
  // The i686 launcher on a 64-bit system, which redirects it.
  bool Redirected() const { return build_ == LauncherBuild::kI686 && system_.is64Bit; }
  const ArchiveScan& ScanOf(const std::string& archivePath);
  void LogStep(const std::string& log);
  std::string SwitchReason(const char* section, const char* key, uint32_t value);
  void CountedEntries(const char* countKey, uint32_t count, const std::vector<const char*>& fields);

  const CheckRequest& request_;
  Report& r_;
  std::string launcherPath_;
  PathTable paths_;
  LauncherSettings settings_;
  MutexName mutex_;
  SystemDescription system_;  // this one, or the one asked for
  LauncherBuild build_ = LauncherBuild::kMissing;
  std::map<std::string, ArchiveScan> scans_;
  std::string contents_;
  std::vector<ProfileSection> sections_;
  // Section and upper-cased key name for every key line outside the
  // section it belongs in, to tell why a switch reads as missing.
  std::map<std::string, std::string> misplaced_;
};

int Checker::Run() {
  launcherPath_ = LauncherPathFor(request_.target);
  system_ = ThisSystem();
  if (!request_.system.empty() && !SystemByName(request_.system, &system_)) {
    r_.Line("unknown system \"" + request_.system + "\"; known: " + SystemNames());
    return kCheckUnreadable;
  }
  std::string asked;
  if (!request_.system.empty()) asked = "Windows " + request_.system;
  if (request_.language >= 0)
    asked += std::string(asked.empty() ? "this system" : "") + " with the language " +
             Number(static_cast<unsigned long long>(request_.language)) + " (0x" +
             Hex4(static_cast<unsigned>(request_.language)) + ")";
  r_.Line(std::string("launcher-check ") + LAUNCHER_VERSION_TEXT + ": what a run would do on " +
          (asked.empty() ? std::string("this system")
                         : asked + " (ASKED FOR, not what this system would do)") +
          "; nothing is changed.");
  if (launcherPath_.empty()) {
    r_.Line("cannot make an absolute path of " + request_.target);
    return kCheckUnreadable;
  }
  CheckPaths();
  CheckLauncherPresent();
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
  CheckNames();
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
  CheckArchiveVariants();
  r_.Heading(r_.Warnings().empty() ? "No warnings."
                                   : Number(r_.Warnings().size()) + " warning(s):");
  for (const std::string& warning : r_.Warnings()) r_.Line("  " + warning);
  return r_.Warnings().empty() ? kCheckClean : kCheckWarnings;
}

void Checker::CheckPaths() {
  const OsVersion version = system_.version;
  const bool haveVersion = system_.known;
  std::memset(&paths_, 0, sizeof(paths_));
  DeriveStartupPathsFrom(launcherPath_.c_str(), haveVersion ? &version : nullptr, &paths_);
  r_.Heading("Paths");
  r_.Line("  launcher           " + launcherPath_ + (IsFile(launcherPath_) ? "" : " (not there)"));
  r_.Line(std::string("  directory          ") + paths_.exeDirectory);
  r_.Line(std::string("  configuration      ") + paths_.iniPath);
  r_.Line("  system             " + DescribeWindowsVersion(haveVersion ? &version : nullptr) +
          (system_.is64Bit ? ", 64-bit" : ", 32-bit") +
          (paths_.platformKind == kPlatformKindWindowsXp ? ": the .xp/.sxp archives"
                                                         : ": the .2k/.s2k archives") +
          (system_.name.empty() ? "" : " (asked with --system " + system_.name + ")"));
  uint16_t machine = 0;
  build_ = DetectLauncherBuild(launcherPath_, &machine);
  r_.Line("  launcher build     " + DescribeLauncherBuild(build_, machine));
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
      r_.Warn(std::string("the file starts with a UTF-8 byte-order mark: ") + kBomReading +
              ", but Windows reads configuration files as ANSI text, so there " +
              (firstLineCounts ? "the first line is not read as written" : "") +
              (firstLineCounts && nonAscii ? ", and " : "") +
              (nonAscii ? "characters beyond ASCII read as other characters" : "") +
              "; save it as ANSI");
    }
    return;
  }
  CheckCharacterSet();
}

// A file saved in one character set and read in another: the bytes beyond
// ASCII name other characters (UTF-8's "\xC3\xBC" reads as two characters in
// code page 1252).
void Checker::CheckCharacterSet() {
  if (contents_.compare(0, 2, "\xFF\xFE") == 0 || contents_.compare(0, 2, "\xFE\xFF") == 0)
    return;
  const bool nonAscii =
      std::any_of(contents_.begin(), contents_.end(), [](char c) { return (c & 0x80) != 0; });
  if (!nonAscii) return;
  std::u16string unicode;
  const bool utf8 = DecodeUtf8(contents_, &unicode);
  const unsigned page = CurrentAnsiCodePage();
  if (utf8 && page != kUtf8CodePage)
    r_.Warn("the file's characters beyond ASCII are UTF-8, but this system reads it in its ANSI "
            "code page " + Number(page) + ", where each reads as two or three other characters; "
            "save it in that code page (\"ANSI\")");
  else if (!utf8 && page == kUtf8CodePage)
    r_.Warn("the file's characters beyond ASCII are not UTF-8, but this system's ANSI code page "
            "is UTF-8: they read as other characters; save it as UTF-8");
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

// The names of other programs' files the steps act on, and where each came
// from.
void Checker::CheckNames() {
  r_.Heading("Names the steps act on");
  const NameKeys& names = settings_.names;
  const struct {
    const char* key;
    const NameKey& name;
    const char* what;
  } rows[] = {
      {"HELPERPROCESS", names.helperProcess, "helper process ended after setup"},
      {"SETUPCONFIG", names.setupConfig, "setup's configuration file"},
      {"STARTMENUSOURCE", names.startMenuSource, "program folder moved into the Start menu"},
      {"STARTMENUFOLDER", names.startMenuFolder, "its name in the programs folder"},
  };
  const bool sourceRefused = names.startMenuSource.source == NameSource::kRefused;
  for (const auto& row : rows) {
    char line[400];
    std::snprintf(line, sizeof(line), "  %-42s %s", row.what,
                  row.name.source == NameSource::kRefused ? "none" : row.name.value);
    r_.Line(line + DescribeNameSource(row.name, row.key));
    // A folder name refused for its source's sake is no second fault.
    const bool followsSource = sourceRefused && &row.name == &names.startMenuFolder;
    if (row.name.source == NameSource::kRefused && !followsSource)
      r_.Warn(std::string(row.key) + " is refused (" + row.name.refusal +
              "): its step is left out");
  }
  if (names.setupConfig.source != NameSource::kRefused)
    r_.Line(std::string("  its backup and language copies             ") +
            names.setupConfigNames.backup + ", " + LanguageCopyName(names.setupConfigNames, 0x0407) +
            " (0x0407), ...");
}

// The launcher shipped beside the configuration.
void Checker::CheckLauncherPresent() {
  if (!IsFile(launcherPath_))
    r_.Warn("no launcher " + launcherPath_ + " beside the configuration: the file is read only "
            "by a launcher of the same name");
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
          if (name == "HELPERPROCESS" || name == "SETUPCONFIG" || name == "STARTMENUSOURCE" ||
              name == "STARTMENUFOLDER")
            effect = "it is refused and its step left out";
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
    // Warned about with the archive variants.
    r_.Line(does + "does nothing: " + archivePath + " cannot be read as a zip archive");
    return;
  }
  const std::vector<EntryPlan>& first = runs.front().entries;
  // A run that stops early does not see them all.
  const ArchiveScan& scan = ScanOf(archivePath);
  const size_t entries = std::max(first.size(), scan.entries.size());
  r_.Line(does + "runs: unpacks " + archivePath + " (" + Number(entries) +
          (entries == 1 ? " entry) into" : " entries) into"));
  std::vector<bool> skipped(first.size(), false);
  for (const DryExtraction& run : runs) {
    r_.Line("      " + run.outcome.destination);
    for (size_t i = 0; i < run.entries.size() && i < skipped.size(); ++i) {
      const EntryPlan& entry = run.entries[i];
      // The scan read the same entries in the same order.
      const EntryData data = i < scan.entries.size() ? scan.entries[i].data : EntryData::kNotRead;
      if (run.outcome.endedEarly && i + 1 == run.entries.size()) {
        r_.Line("        " + entry.name + " -> UNPACKING STOPS HERE: its data cannot be read; " +
                "the entries after it are not unpacked");
        continue;
      }
      if (entry.skip == EntrySkip::kNone && data == EntryData::kDamaged) {
        r_.Line("        " + entry.name + " -> " + entry.target + " NOT WRITTEN (damaged data)");
        continue;
      }
      if (entry.skip == EntrySkip::kThroughLink) skipped[i] = true;
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
  if (system && Redirected() && std::any_of(first.begin(), first.end(), IsBelowSystem32))
    r_.Line("    note: entries below system32\\: on 64-bit Windows the 32-bit launcher's writes "
            "there land in SysWOW64; for 64-bit drivers or DLLs ship the x86-64 launcher");
  // The archive's own faults are warned about once, with the archive
  // variants; only a link met here depends on this run.
  const size_t refused = static_cast<size_t>(std::count(skipped.begin(), skipped.end(), true));
  if (refused != 0)
    r_.Warn(std::string(archivePath) + ": " + Number(refused) + " entr" +
            (refused == 1 ? "y is" : "ies are") + " skipped when unpacked: a folder on " +
            (refused == 1 ? "its" : "their") + " way is a link");
}

const ArchiveScan& Checker::ScanOf(const std::string& archivePath) {
  auto found = scans_.find(archivePath);
  if (found == scans_.end())
    found = scans_.emplace(archivePath, ScanArchive(DefaultZipReader(), archivePath)).first;
  return found->second;
}

// Every variant beside the launcher, present or not, read whole whichever
// one this run picks.
void Checker::CheckArchiveVariants() {
  r_.Heading("Archive variants beside the launcher");
  const DeploymentEnvironment env = ReadDeploymentEnvironment();
  for (const ArchiveVariant& variant : ArchiveVariantsOf(launcherPath_.c_str())) {
    const bool system = variant.kind == DeploymentKind::kSystem;
    const std::string what = std::string(system ? "system" : "profile") + " archive for " +
                             (variant.forXp ? "Windows XP" : "every other system");
    const bool picked =
        variant.path == (system ? paths_.systemArchivePath : paths_.profileArchivePath);
    const std::string mark = picked ? ", the one this run picks" : "";
    if (variant.path.empty() || !IsFile(variant.path)) {
      r_.Line("  " + (variant.path.empty() ? std::string("(no path)") : variant.path) +
              ": not there (" + what + mark + ")");
      continue;
    }
    const ArchiveScan& scan = ScanOf(variant.path);
    if (!scan.opened) {
      r_.Line("  " + variant.path + ": not a zip archive (" + what + mark + ")");
      r_.Warn(variant.path + " cannot be read as a zip archive");
      continue;
    }
    r_.Line("  " + variant.path + ": " + Number(scan.entries.size()) + " entries, each read (" +
            what + mark + ")");
    const std::vector<std::string> destinations = VariantDestinations(variant, env);
    for (const std::string& warning : ArchiveWarnings(variant, scan, destinations))
      r_.Warn(warning);
  }
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
  const bool asked = request_.language >= 0;
  const uint16_t language =
      asked ? static_cast<uint16_t>(request_.language) : GetSystemDefaultLanguage();
  const LanguageSwapPlan plan =
      PlanLanguageSwap(language, paths_.exeDirectory, paths_.iniPath, count,
                       settings_.names.setupConfigNames);
  std::string listed;
  for (size_t i = 0; i < plan.entries.size() && i < 20; ++i)
    listed +=
        " " + Number(plan.entries[i].language) + " (0x" + Hex4(plan.entries[i].language) + ")";
  const std::string entries =
      "    INILANG entries:" + listed + (plan.entries.size() > 20 ? " ..." : "");
  const std::string system =
      std::string(asked ? "the language asked for is " : "the system language is ") +
      Number(plan.systemLanguage) + " (0x" + Hex4(plan.systemLanguage) + ")";
  const std::string match = " (INILANG" + Number(plan.matchedIndex) + ")";
  if (plan.undoInterrupted) {
    r_.Line(std::string("- language swap: an interrupted swap will be undone first: ") +
            plan.configPath + " is the copy " + plan.strandedCopyPath + ", so " +
            plan.backupPath + " is put back over it");
    r_.Warn(std::string("language swap: an earlier run ended before it put ") + plan.backupPath +
            " back; the next run does so first");
  }
  if (plan.block == SwapBlock::kNameRefused) {
    r_.Line("- language swap: does not run: SETUPCONFIG is refused");
    return;
  }
  if (plan.block == SwapBlock::kNotListed) {
    r_.Line("- language swap: does not run: " + system + ", which no INILANG entry lists");
  } else if (plan.block != SwapBlock::kNone) {
    const std::string reason = DescribeSwapBlock(plan);
    r_.Line("- language swap: does not run: " + system + match + ", but " + reason);
    r_.Warn("language swap: INILANG" + Number(plan.matchedIndex) +
            (asked ? " matches the language asked for, but " : " matches this system, but ") +
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
            settings_.names.helperProcess.value + " running, the launcher waits for it for ever");
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
  bool machineSoftware = false;
  for (size_t start = 0; start < script.text.size();) {
    const size_t end = std::min(script.text.find('\n', start), script.text.size());
    const std::string line = script.text.substr(start, end - start);
    r_.Line("    | " + line);
    machineSoftware = machineSoftware || IsMachineSoftwareLine(line);
    start = end + 1;
  }
  if (machineSoftware && Redirected())
    r_.Line("    note: on 64-bit Windows the 32-bit launcher's changes under HKLM\\Software land "
            "under HKLM\\Software\\Wow6432Node; for the 64-bit view ship the x86-64 launcher");
  for (const LeftOutEntry& entry : script.leftOut)
    r_.Warn(entry.entry + " is left out of the script: " + entry.reason);
  for (const WholeKeyDeletion& deletion : script.wholeKeyDeletions)
    r_.Warn(deletion.entry + " deletes the whole key " + deletion.key +
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
  const NameKeys& names = settings_.names;
  if (IsSwitchOn(settings_.TERMINATEORMLATCH) && names.helperProcess.source == NameSource::kRefused)
    r_.Line("- helper process: does not run: HELPERPROCESS is refused");
  else if (IsSwitchOn(settings_.TERMINATEORMLATCH))
    r_.Line(std::string("- helper process: ends the first running ") + names.helperProcess.value +
            " after setup" + DescribeNameSource(names.helperProcess, "HELPERPROCESS"));
  else
    r_.Line("- helper process: does not run: " +
            SwitchReason(kSectionParams, "TERMINATEORMLATCH", settings_.TERMINATEORMLATCH));

  if (!IsSwitchOn(settings_.CHECKSTARTPROGRAM)) {
    r_.Line("- start menu: does not run: " +
            SwitchReason(kSectionParams, "CHECKSTARTPROGRAM", settings_.CHECKSTARTPROGRAM));
    return;
  }
  const StartMenuPlan plan = PlanStartMenuRelocation(NameInForce(names.startMenuSource),
                                                     NameInForce(names.startMenuFolder));
  switch (plan.block) {
    case RelocationBlock::kNameRefused:
      r_.Line("- start menu: does not run: STARTMENUSOURCE or STARTMENUFOLDER is refused");
      break;
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

void Checker::LogStep(const std::string& log) {
  const bool expanded = log != settings_.LOGFILE;
  r_.Line("- log: one line per step appended to " + log +
          (expanded ? std::string(" (LOGFILE ") + settings_.LOGFILE + ", expanded)" : ""));
  const std::string parent = ParentOf(log);
  const bool drive = log.size() >= 2 && log[1] == ':';
  if (!drive && log[0] != '\\' && log[0] != '/')
    r_.Line("    (a relative path: the log lands beside whatever the current folder is)");
  if (!parent.empty() && !(parent.size() == 2 && parent[1] == ':') && !PathExists(parent))
    r_.Line("    its folder " + parent + " is not there yet: the launcher makes it");
}

void Checker::CheckDiagnostics() {
  if (settings_.logFileTooLong) {
    r_.Line("- log: none: LOGFILE is longer than 260 characters");
  } else if (settings_.LOGFILE[0] == '\0') {
    r_.Line("- log: none (LOGFILE not set)");
  } else if (settings_.logPathTooLong) {
    r_.Line("- log: none: LOGFILE, its variables expanded, is longer than 260 characters");
    r_.Warn("LOGFILE is longer than 260 characters once its variables are expanded: nothing "
            "would be logged");
  } else {
    LogStep(settings_.logPath);
  }
  if (IsSwitchOn(settings_.PASSEXITCODE))
    r_.Line("- exit status: the setup program's exit code when it ran; when it could not be "
            "started, the system's error code (2 not found, 5 access denied, 193 no program, "
            "...), or 1639 when DEFAULTCMD names nothing to start; 1618 when another launcher "
            "holds the mutex; 1 when the run ends early");
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
