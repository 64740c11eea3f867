#include "platform/move_fallback.h"

#include <cstdio>
#include <cstring>

#include "platform/file_attributes.h"

namespace {

constexpr size_t kPathLimit = 260;

// A name beside `to` that nothing has: `to` with ".~<n>" added.
bool FindAsideName(const MoveCalls& calls, const char* to, char (&aside)[kPathLimit + 1]) {
  for (unsigned n = 0; n < 1000; ++n) {
    const int length = std::snprintf(aside, sizeof(aside), "%s.~%u", to, n);
    if (length < 0 || static_cast<size_t>(length) > kPathLimit) return false;
    if (calls.attributes(calls.context, aside) == kInvalidFileAttributes) return true;
  }
  return false;
}

}  // namespace

bool MoveReplacingWith(const MoveCalls& calls, const char* from, const char* to) {
  bool notImplemented = false;
  if (calls.moveReplacing(calls.context, from, to, &notImplemented)) return true;
  if (!notImplemented) return false;

  const uint32_t source = calls.attributes(calls.context, from);
  if (source == kInvalidFileAttributes) return false;
  const uint32_t target = calls.attributes(calls.context, to);
  if (target == kInvalidFileAttributes) return calls.move(calls.context, from, to);
  if ((source & kAttributeDirectory) != 0 || RefusesReplacement(target)) return false;

  char aside[kPathLimit + 1];
  if (!FindAsideName(calls, to, aside) || !calls.move(calls.context, to, aside)) return false;
  if (!calls.move(calls.context, from, to)) {
    calls.move(calls.context, aside, to);
    return false;
  }
  // Left behind only if the system refuses to delete it: the new file is in
  // place either way.
  calls.remove(calls.context, aside);
  return true;
}
