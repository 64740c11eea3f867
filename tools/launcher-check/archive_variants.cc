#include "launcher-check/archive_variants.h"

#include <algorithm>
#include <cstring>

#include "core/path_table.h"
#include "deploy/entry_plan.h"
#include "deploy/zip_extraction.h"
#include "launcher-check/ascii_names.h"

namespace {

bool ExistsAt(void*, const std::string& path) { return PathExists(path); }

// The last folder name of a destination prefix ("C:\WINDOWS\" gives "WINDOWS").
std::string LastFolderName(std::string destination) {
  while (!destination.empty() && destination.back() == '\\') destination.pop_back();
  const std::string::size_type slash = destination.rfind('\\');
  return slash == std::string::npos ? destination : destination.substr(slash + 1);
}

// The one folder every entry lies under, or "" when they do not share one.
std::string SharedTopFolder(const ArchiveScan& scan) {
  std::string top;
  for (const ScannedEntry& entry : scan.entries) {
    const EntryPlan plan = PlanArchiveEntry(entry.storedName.c_str(), entry.info, "");
    const std::string::size_type slash = plan.name.find('\\');
    if (plan.skip != EntrySkip::kNone || slash == std::string::npos || slash == 0) return "";
    const std::string first = plan.name.substr(0, slash);
    if (top.empty()) top = first;
    if (!EqualsIgnoringAsciiCase(first, top)) return "";
  }
  return top;
}

std::string Shown(const ScannedEntry& entry) {
  if (entry.info.nameSize < kEntryNameSize) return entry.storedName;
  return entry.storedName.substr(0, 40) + "...";
}

}  // namespace

std::vector<ArchiveVariant> ArchiveVariantsOf(const char* launcherPath) {
  // The launcher's own derivation, for a system that picks each variant.
  const OsVersion xp = {kPlatformWin32Nt, 5, 1};
  const OsVersion other = {kPlatformWin32Nt, 5, 0};
  PathTable forXp;
  PathTable forOther;
  DeriveStartupPathsFrom(launcherPath, &xp, &forXp);
  DeriveStartupPathsFrom(launcherPath, &other, &forOther);
  return {{DeploymentKind::kSystem, true, forXp.systemArchivePath},
          {DeploymentKind::kSystem, false, forOther.systemArchivePath},
          {DeploymentKind::kProfile, true, forXp.profileArchivePath},
          {DeploymentKind::kProfile, false, forOther.profileArchivePath}};
}

ArchiveScan ScanArchive(const ZipReader* reader, const std::string& archivePath) {
  ArchiveScan scan;
  void* archive = reader->open(reader->context, archivePath.c_str());
  if (archive == nullptr) return scan;
  scan.opened = true;
  char name[kEntryNameSize];
  // The extraction's loop: the same calls, in the same order.
  for (;;) {
    ScannedEntry entry;
    if (reader->getCurrentFileInfo(archive, &entry.info, name, sizeof(name)) != kZipOk) break;
    entry.storedName.assign(name, std::min<size_t>(entry.info.nameSize, sizeof(name)));
    entry.storedName.resize(std::strlen(entry.storedName.c_str()));
    const EntryPlan plan = PlanArchiveEntry(entry.storedName.c_str(), entry.info, "");
    if (plan.kind != EntryKind::kDirectory) {
      if (reader->openCurrentFile(archive) != kZipOk) {
        entry.data = EntryData::kUnreadable;
      } else {
        char buffer[kCopyBufferSize];
        uint64_t total = 0;
        bool sound = true;
        for (;;) {
          const int count = reader->readCurrentFile(archive, buffer, sizeof(buffer));
          if (count <= 0) {
            sound = count == 0;
            break;
          }
          total += static_cast<unsigned>(count);
        }
        // As the extraction judges a file before it moves it into place.
        const bool complete =
            reader->closeCurrentFile(archive) == kZipOk && total == entry.info.uncompressedSize;
        entry.data = sound && complete ? EntryData::kSound : EntryData::kDamaged;
      }
    }
    scan.entries.push_back(entry);
    if (reader->goToNextFile(archive) == kZipEndOfList) break;
  }
  reader->close(archive);
  return scan;
}

std::vector<std::string> VariantDestinations(const ArchiveVariant& variant,
                                             const DeploymentEnvironment& env) {
  if (variant.path.empty()) return {};
  if (variant.kind == DeploymentKind::kSystem)
    return PlanSystemDeployment(variant.path.c_str(), env).destinations;
  const DeploymentActions probe = {nullptr, ExistsAt, nullptr};
  return PlanProfileDeployment(variant.path.c_str(), env, probe).destinations;
}

std::string CompressionMethodName(uint32_t method) {
  switch (method) {
    case 0: return "stored";
    case 1: return "shrink";
    case 2: case 3: case 4: case 5: return "reduce";
    case 6: return "implode";
    case 8: return "deflate";
    case 9: return "deflate64";
    case 10: return "PKWARE DCL implode";
    case 12: return "bzip2";
    case 14: return "LZMA";
    case 18: return "IBM TERSE";
    case 19: return "IBM LZ77";
    case 93: return "Zstandard";
    case 95: return "xz";
    case 96: return "JPEG";
    case 97: return "WavPack";
    case 98: return "PPMd";
    case 99: return "AES encryption";
    default: return "an unknown method";
  }
}

std::vector<std::string> ArchiveWarnings(const ArchiveVariant& variant, const ArchiveScan& scan,
                                         const std::vector<std::string>& destinations) {
  std::vector<std::string> warnings;
  const std::string& archive = variant.path;
  // Without a destination the names alone are judged.
  const std::vector<std::string> places =
      destinations.empty() ? std::vector<std::string>{""} : destinations;
  bool stopped = false;  // an earlier entry ends the unpacking
  for (size_t i = 0; i < scan.entries.size(); ++i) {
    const ScannedEntry& entry = scan.entries[i];
    const std::string at = archive + ": entry \"" + Shown(entry) + "\": ";
    EntrySkip nameSkip = EntrySkip::kNone;
    bool read = false;  // the launcher opens its data at one destination or more
    std::string tooLongAt;
    for (const std::string& place : places) {
      const EntryPlan plan = PlanArchiveEntry(entry.storedName.c_str(), entry.info, place);
      if (plan.skip == EntrySkip::kPathTooLong) {
        if (!place.empty()) tooLongAt += (tooLongAt.empty() ? "" : " and ") + place;
      } else if (plan.skip != EntrySkip::kNone) {
        nameSkip = plan.skip;
      } else if (plan.kind == EntryKind::kFile) {
        read = true;
      }
    }
    if (nameSkip != EntrySkip::kNone) {
      warnings.push_back(at + "left out: " + DescribeEntrySkip(nameSkip));
      continue;
    }
    if (!tooLongAt.empty())
      warnings.push_back(at + "left out at " + tooLongAt + ": " +
                         DescribeEntrySkip(EntrySkip::kPathTooLong));
    if (!read) continue;
    if (entry.data == EntryData::kUnreadable) {
      const size_t later = scan.entries.size() - i - 1;
      const bool known = entry.info.method == 0 || entry.info.method == 8;
      std::string effect;
      if (!stopped) {
        effect = ": unpacking stops at this entry";
        if (later != 0)
          effect += ", and the " + std::to_string(later) + " entr" + (later == 1 ? "y" : "ies") +
                    " after it " + (later == 1 ? "is" : "are") + " not unpacked";
      }
      stopped = true;
      warnings.push_back(at +
                         (known ? std::string("its data cannot be opened (a damaged header)")
                                : "compressed with " + CompressionMethodName(entry.info.method) +
                                      " (method " + std::to_string(entry.info.method) +
                                      "); the launcher reads only stored and deflate") +
                         effect);
    } else if (entry.data == EntryData::kDamaged) {
      warnings.push_back(at + "its data is damaged (CRC mismatch or cut short): it is not written");
    }
  }
  const std::string top = SharedTopFolder(scan);
  if (top.empty()) return warnings;
  const std::string under = archive + ": every entry lies under " + top + "\\, ";
  for (const std::string& place : destinations) {
    if (!EqualsIgnoringAsciiCase(LastFolderName(place), top)) continue;
    warnings.push_back(under + "a folder named like its destination " + place + ": they land in " +
                       place + top + "\\ (leave that folder out of the archive)");
    return warnings;
  }
  // No destination here bears the name, but the same package meets systems
  // where it does: the names the destination has on those.
  const bool system = variant.kind == DeploymentKind::kSystem;
  if (system ? EqualsIgnoringAsciiCase(top, "WINDOWS") || EqualsIgnoringAsciiCase(top, "WINNT")
             : EqualsIgnoringAsciiCase(top, "Application Data"))
    warnings.push_back(under + "named like the " +
                       (system ? "Windows directory" : "Application Data folder") +
                       " it is unpacked into: they land in a second folder of that name below it "
                       "(leave that folder out of the archive)");
  return warnings;
}
