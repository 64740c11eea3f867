#include "deploy/pending_files.h"

#include "deploy/extraction_outcome.h"

PendingFiles::PendingFiles(ExtractionOutcome* outcome)
    : outcome_(outcome),
      files_(OutputFlushGroupSize()),
      group_(files_.size()),
      flushed_(new bool[files_.size()]()) {}

void PendingFiles::flush() {
  // The files still open, in order; the same walk below takes their results.
  size_t open = 0;
  for (size_t i = 0; i < count_; ++i)
    if (files_[i].file.handle != -1 && !files_[i].flushed) group_[open++] = &files_[i].file;
  if (open == 0) return;
  // Every file goes to the disk before it is closed. Only a benchmark build
  // leaves this out, to show what the flush costs.
#ifndef LAUNCHER_BENCH_NO_FLUSH
  FlushOutputFiles(group_.data(), open, flushed_.get());
#else
  for (size_t k = 0; k < open; ++k) flushed_[k] = true;
#endif
  size_t k = 0;
  for (size_t i = 0; i < count_ && k < open; ++i) {
    WrittenFile& written = files_[i];
    if (&written.file != group_[k]) continue;
    written.flushed = flushed_[k++];
    if (!CloseOutputFile(&written.file)) written.flushed = false;
  }
}

void PendingFiles::discardLast() {
  WrittenFile& last = files_[--count_];
  if (last.file.handle != -1) CloseOutputFile(&last.file);
  DeleteFileAt(last.temporary.c_str());
}

void PendingFiles::fail(const std::string& target) {
  WrittenFile failed;
  failed.target = target;
  failed.failed = true;
  files_[count_++] = std::move(failed);
}

void PendingFiles::complete() {
  flush();
  for (size_t i = 0; i < count_; ++i) {
    const WrittenFile& written = files_[i];
    if (written.failed) {
      outcome_->failed.push_back(written.target);
    } else if (written.flushed &&
               ReplaceFileWith(written.temporary.c_str(), written.target.c_str())) {
      if (!written.stamped) SetFileTimesFromDos(written.target, written.dosDate);
      ++outcome_->filesWritten;
    } else {
      DeleteFileAt(written.temporary.c_str());
      outcome_->failed.push_back(written.target);
    }
  }
  count_ = 0;
}

bool SetFileTimesFromDos(const std::string& path, uint32_t dosDateTime) {
  return SetFileTimesFromDosStamp(path.c_str(), dosDateTime);
}
