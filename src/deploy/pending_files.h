// Extracted files written under temporary names and waiting for their flush
// and their move over the target.
#ifndef LAUNCHER_DEPLOY_PENDING_FILES_H
#define LAUNCHER_DEPLOY_PENDING_FILES_H

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

struct ExtractionOutcome;

// A file whose data is written but which is not yet in place.
struct WrittenFile {
  OutputFile file;
  std::string temporary;
  std::string target;
  uint32_t dosDate = 0;
  bool stamped = false;  // its times went through its handle
  bool flushed = false;
  bool failed = false;  // not written: only reported
};

// Sets the creation and last-write time of the file at `path` from a DOS
// date/time read as local time; false when the file cannot be opened.
bool SetFileTimesFromDos(const std::string& path, uint32_t dosDateTime);

// Where the system flushes a group of files for about the price of one, the
// extraction writes a group before it flushes: every file is still flushed
// before it is closed and closed before it is moved, and files are moved in
// the order of their entries. A group of one keeps the order of flush, close,
// CRC check and move that a single file has.
class PendingFiles {
 public:
  explicit PendingFiles(ExtractionOutcome* outcome);

  // A file whose data is all written, still open.
  void add(WrittenFile written) { files_[count_++] = std::move(written); }
  bool full() const { return count_ >= files_.size(); }
  // Closes and deletes the file added last (its CRC check failed).
  void discardLast();
  // A file that was not written: reported in its turn among the others.
  void fail(const std::string& target);

  // Flushes and closes every file not yet flushed.
  void flush();
  // Flushes what is left, moves each flushed file over its target
  // (stamping it by its path when its handle could not) and deletes the
  // others, counting each into the outcome; the group is then empty.
  void complete();

 private:
  ExtractionOutcome* outcome_;
  // A group's slots, made once: files_[0, count_) are taken.
  std::vector<WrittenFile> files_;
  size_t count_ = 0;
  std::vector<OutputFile*> group_;
  std::unique_ptr<bool[]> flushed_;
};

#endif
