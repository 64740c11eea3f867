#include "deploy/pending_files.h"

#include <memory>

#include "deploy/zip_extraction.h"

PendingFiles::PendingFiles(ExtractionOutcome* outcome)
    : outcome_(outcome), capacity_(OutputFlushGroupSize()) {
  files_.reserve(capacity_);
}

void PendingFiles::flush() {
  std::vector<OutputFile*> open;
  std::vector<size_t> indexes;
  for (size_t i = 0; i < files_.size(); ++i) {
    if (files_[i].file.handle == -1 || files_[i].flushed) continue;
    open.push_back(&files_[i].file);
    indexes.push_back(i);
  }
  if (open.empty()) return;
  std::unique_ptr<bool[]> flushed(new bool[open.size()]());
  // Every file goes to the disk before it is closed. Only a benchmark build
  // leaves this out, to show what the flush costs.
#ifndef LAUNCHER_BENCH_NO_FLUSH
  FlushOutputFiles(open.data(), open.size(), flushed.get());
#else
  for (size_t k = 0; k < open.size(); ++k) flushed[k] = true;
#endif
  for (size_t k = 0; k < open.size(); ++k) {
    WrittenFile& written = files_[indexes[k]];
    written.flushed = flushed[k];
    if (!CloseOutputFile(&written.file)) written.flushed = false;
  }
}

void PendingFiles::discardLast() {
  WrittenFile& last = files_.back();
  if (last.file.handle != -1) CloseOutputFile(&last.file);
  DeleteFileAt(last.temporary.c_str());
  files_.pop_back();
}

void PendingFiles::fail(const std::string& target) {
  WrittenFile failed;
  failed.target = target;
  failed.failed = true;
  files_.push_back(std::move(failed));
}

void PendingFiles::complete() {
  flush();
  for (const WrittenFile& written : files_) {
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
  files_.clear();
}
