// Every archive variant that may lie beside the launcher (".xp", ".2k",
// ".sxp", ".s2k"), read whole with the launcher's own reader, whichever
// one this system would pick: a packager checks on one machine what every
// system unpacks.
#ifndef LAUNCHER_TOOLS_LAUNCHER_CHECK_ARCHIVE_VARIANTS_H
#define LAUNCHER_TOOLS_LAUNCHER_CHECK_ARCHIVE_VARIANTS_H

#include <string>
#include <vector>

#include "deploy/deployment.h"
#include "deploy/zip_reader.h"

struct ArchiveVariant {
  DeploymentKind kind;
  bool forXp;        // the variant Windows XP picks; the other one every other system
  std::string path;  // empty when the launcher's path leaves no room for it
};

// The four variants of the launcher at `launcherPath`, named by the
// launcher's own path derivation for an XP and a non-XP system.
std::vector<ArchiveVariant> ArchiveVariantsOf(const char* launcherPath);

// How an entry's data reads.
enum class EntryData {
  kNotRead,     // a folder: there is no data
  kSound,       // inflated in full, CRC and length as recorded
  kUnreadable,  // the data cannot be opened (a method not read, a damaged header)
  kDamaged,     // a read error, data that ends short, or a CRC mismatch
};

struct ScannedEntry {
  std::string storedName;  // as stored, cut to the launcher's name buffer
  ZipEntryInfo info = {};
  EntryData data = EntryData::kNotRead;
};

struct ArchiveScan {
  bool opened = false;
  std::vector<ScannedEntry> entries;
};

// Reads every entry of the archive as the extraction does, its data into
// nothing; an entry whose data cannot be opened does not end the reading.
ArchiveScan ScanArchive(const ZipReader* reader, const std::string& archivePath);

// Where the variant's deployment would unpack it here (none when the
// environment names no folder).
std::vector<std::string> VariantDestinations(const ArchiveVariant& variant,
                                             const DeploymentEnvironment& env);

// "deflate", "LZMA", ... for a zip compression method.
std::string CompressionMethodName(uint32_t method);

// The likely mistakes in a read archive, each one once: entries the
// launcher cannot unpack, or leaves out at a destination (`destinations`),
// and a top folder named like the destination itself.
std::vector<std::string> ArchiveWarnings(const ArchiveVariant& variant, const ArchiveScan& scan,
                                         const std::vector<std::string>& destinations);

#endif
