#include "deploy/zip_extraction.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/path_buffer.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace {

#ifdef _WIN32
constexpr bool kColonRefused = true;  // "name:stream" writes a hidden stream
#else
constexpr bool kColonRefused = false;
#endif

// Longest path the ANSI file functions take, without the terminator.
constexpr size_t kMaxPathLength = kPathBufferSize - 1;

std::vector<std::string> g_unrepresentableNames;

// The length of the part of `path` that names a UNC root: "\\server\share"
// (0 when `path` is no UNC path). Below it nothing can be created.
size_t UncRootLength(const std::string& path) {
  if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return 0;
  int separators = 0;
  for (size_t p = 2; p < path.size();) {
    const unsigned char byte = static_cast<unsigned char>(path[p]);
    if (byte == '\\' && ++separators == 2) return p;
    p += (IsLeadByte(byte) && p + 1 < path.size()) ? 2 : 1;
  }
  return path.size();
}

// A component made of dots and blanks only, at least two dots: Windows drops
// trailing dots and blanks, so it may resolve to the parent directory.
bool IsParentLike(const char* begin, const char* end) {
  int dots = 0;
  for (const char* p = begin; p != end; ++p) {
    if (*p == '.') {
      ++dots;
    } else if (*p != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

// The length of the directory part of `path`, its last backslash included
// (0 when it has none), scanning lead bytes as CreateDirectoryChain does.
size_t DirectoryPartLength(const std::string& path) {
  size_t length = 0;
  for (size_t p = 0; p < path.size();) {
    const unsigned char byte = static_cast<unsigned char>(path[p]);
    if (byte == '\\') length = p + 1;
    p += (IsLeadByte(byte) && p + 1 < path.size()) ? 2 : 1;
  }
  return length;
}

// Creates a new, empty file beside `target` under a name of its own.
bool CreateTemporaryBeside(const std::string& target, std::string* temporary,
                           OutputFile* file) {
  static uint32_t counter = static_cast<uint32_t>(std::time(nullptr)) * 2654435761u;
  const std::string directory = target.substr(0, DirectoryPartLength(target));
  // "~XXXXXX.tmp" where it fits; beside a target near the length limit a
  // shorter "~" name, never longer than the target's own name, so
  // a target that fits is never refused for its temporary.
  const size_t room = kMaxPathLength - std::min(kMaxPathLength, directory.size());
  if (room == 0) return false;
  for (int attempt = 0; attempt < 32; ++attempt) {
    char name[16];
    std::snprintf(name, sizeof(name), "~%06x.tmp", static_cast<unsigned>(counter++ & 0xFFFFFF));
    if (room < 11) {
      std::snprintf(name, sizeof(name), "~%07x", static_cast<unsigned>(counter++ & 0xFFFFFFF));
      name[room] = '\0';
    }
    *temporary = directory + name;
    if (CreateNewOutputFile(temporary->c_str(), file)) return true;
    // Only a name that is taken is worth another try.
    if (!PathExists(*temporary)) return false;
  }
  return false;
}

// One file entry. False when its data cannot be opened, which ends the
// extraction; true otherwise, whether or not the file was written.
bool ExtractFileEntry(const ZipReader* reader, void* archive, const ZipEntryInfo& info,
                      const std::string& path, KnownDirectories* known) {
  if (reader->openCurrentFile(archive) != kZipOk) return false;
  CreateDirectoryChain(path, known);

  std::string temporary;
  OutputFile file;
  const bool created = CreateTemporaryBeside(path, &temporary, &file);

  // Without a file the data is still read through to its end.
  char buffer[kCopyBufferSize];
  bool sound = true;
  uint64_t total = 0;
  for (;;) {
    const int count = reader->readCurrentFile(archive, buffer, sizeof(buffer));
    if (count < 0) {
      sound = false;
      break;
    }
    if (count == 0) break;
    total += static_cast<unsigned>(count);
    if (created && sound && !WriteOutputFile(&file, buffer, static_cast<unsigned>(count)))
      sound = false;
  }
  // Where the system allows, the times go through the handle that wrote the
  // file, before the flush, so that the flush covers them too.
  const bool stamped = created && sound && StampOutputFileFromDos(&file, info.dosDate);
  if (created) {
    // Every file goes to the disk before it is closed. Only a benchmark
    // build leaves this out, to show what the flush costs.
#ifndef LAUNCHER_BENCH_NO_FLUSH
    if (!FlushOutputFile(&file)) sound = false;
#endif
    if (!CloseOutputFile(&file)) sound = false;
  }
  // Reports a CRC mismatch once the whole entry was read. Data that ends
  // short is caught by its length: not every reader reports it.
  if (reader->closeCurrentFile(archive) != kZipOk) sound = false;
  if (total != info.uncompressedSize) sound = false;

  if (!created) return true;
  if (sound && ReplaceFileWith(temporary.c_str(), path.c_str())) {
    if (!stamped) SetFileTimesFromDos(path, info.dosDate);
  } else {
    DeleteFileAt(temporary.c_str());
  }
  return true;
}

}  // namespace

bool IsLeadByte(unsigned char byte) { return IsAnsiLeadByte(byte); }

bool EntryNameInCodePage(const char* stored, bool utf8, std::string* name) {
  *name = stored;
  if (utf8 && !Utf8ToAnsi(stored, name)) return false;
  // No trail byte of a code page is 0x2F: every "/" is a separator.
  std::replace(name->begin(), name->end(), '/', '\\');
  return true;
}

std::vector<std::string> TakeUnrepresentableEntryNames() {
  std::vector<std::string> names;
  names.swap(g_unrepresentableNames);
  return names;
}

bool PathExists(const std::string& path) { return PathExists(path.c_str()); }

namespace {

bool ExistsAt(const char* path) { return PathExists(path); }

}  // namespace

const DirectoryActions kDirectoryActions = {ExistsAt, CreateDirectoryAt};

bool CreateDirectoryChain(const std::string& path) { return CreateDirectoryChain(path, nullptr); }

bool CreateDirectoryChain(const std::string& path, KnownDirectories* known) {
  return CreateDirectoryChainWith(path, kDirectoryActions, known);
}

bool CreateDirectoryChainWith(const std::string& path, const DirectoryActions& actions,
                              KnownDirectories* known) {
  const size_t uncRoot = UncRootLength(path);
  for (size_t p = 0; p < path.size();) {
    const unsigned char byte = static_cast<unsigned char>(path[p]);
    if (byte == '\\' && (uncRoot == 0 || p > uncRoot)) {
      const std::string prefix = path.substr(0, p);
      if (known == nullptr || known->count(prefix) == 0) {
        if (!actions.exists(prefix.c_str()) && !actions.create(prefix.c_str())) return false;
        if (known != nullptr) known->insert(prefix);
      }
    }
    p += (IsLeadByte(byte) && p + 1 < path.size()) ? 2 : 1;
  }
  return true;
}

bool SetFileTimesFromDos(const std::string& path, uint32_t dosDateTime) {
  return SetFileTimesFromDosStamp(path.c_str(), dosDateTime);
}

EntryKind ClassifyEntryName(const char* name, bool colonRefused) {
  const size_t length = std::strlen(name);
  if (length == 0 || name[0] == '\\') return EntryKind::kRefused;
  if (length >= 2 && name[1] == ':') return EntryKind::kRefused;
  if (colonRefused && std::strchr(name, ':') != nullptr) return EntryKind::kRefused;
  // Every backslash byte splits here, also one that ends a two-byte
  // character: refusing a name too many is safer than one that climbs out.
  const char* component = name;
  for (const char* p = name;; ++p) {
    if (*p == '\\' || *p == '\0') {
      if (IsParentLike(component, p)) return EntryKind::kRefused;
      if (*p == '\0') break;
      component = p + 1;
    }
  }
  if (length >= 2 && name[length - 1] == '\\' &&
      !IsLeadByte(static_cast<unsigned char>(name[length - 2])))
    return EntryKind::kDirectory;
  return EntryKind::kFile;
}

bool ExtractZipArchiveWith(const ZipReader* reader, const std::string& archivePath,
                           const std::string& destination) {
  if (reader == nullptr) return false;
  void* archive = reader->open(archivePath.c_str());
  if (archive == nullptr) return false;

  KnownDirectories known;
  char name[kEntryNameSize];
  for (;;) {
    ZipEntryInfo info;
    if (reader->getCurrentFileInfo(archive, &info, name, sizeof(name)) != kZipOk) break;
    // A name that did not fit arrives cut and unterminated: skipped.
    std::string entryName;
    if (info.nameSize >= sizeof(name)) {
      // Nothing is written for it.
    } else if (!EntryNameInCodePage(name, info.utf8Name, &entryName)) {
      g_unrepresentableNames.push_back(name);
    } else {
      const EntryKind kind = ClassifyEntryName(entryName.c_str(), kColonRefused);
      const std::string path = destination + entryName;
      if (kind == EntryKind::kRefused || path.size() > kMaxPathLength) {
        // Nothing is written for it.
      } else if (kind == EntryKind::kDirectory) {
        CreateDirectoryChain(path, &known);
        // Fails for a directory, which keeps the times of its making.
        SetFileTimesFromDos(path, info.dosDate);
      } else if (!ExtractFileEntry(reader, archive, info, path, &known)) {
        break;
      }
    }
    if (reader->goToNextFile(archive) == kZipEndOfList) break;
  }
  reader->close(archive);
  return true;
}

bool ExtractZipArchive(const std::string& archivePath, const std::string& destination) {
  return ExtractZipArchiveWith(DefaultZipReader(), archivePath, destination);
}
