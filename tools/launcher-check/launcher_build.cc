#include "launcher-check/launcher_build.h"

#include <cstdio>

#include "platform/file_system.h"

namespace {

constexpr uint16_t kMachineI386 = 0x14c;
constexpr uint16_t kMachineAmd64 = 0x8664;
// Where the DOS header keeps the offset of the PE signature.
constexpr size_t kPeOffsetField = 0x3c;

uint32_t LittleEndian(const std::string& bytes, size_t at, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

}  // namespace

LauncherBuild DetectLauncherBuild(const std::string& path, uint16_t* machine) {
  std::string bytes;
  if (!ReadWholeFile(path.c_str(), &bytes)) return LauncherBuild::kMissing;
  if (bytes.size() < kPeOffsetField + 4 || bytes.compare(0, 2, "MZ") != 0)
    return LauncherBuild::kNotPe;
  const size_t pe = LittleEndian(bytes, kPeOffsetField, 4);
  // The signature and the Machine field that follows it.
  if (pe > bytes.size() || bytes.size() - pe < 6 ||
      bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
    return LauncherBuild::kNotPe;
  const uint16_t found = static_cast<uint16_t>(LittleEndian(bytes, pe + 4, 2));
  if (machine != nullptr) *machine = found;
  if (found == kMachineI386) return LauncherBuild::kI686;
  if (found == kMachineAmd64) return LauncherBuild::kX8664;
  return LauncherBuild::kOther;
}

std::string DescribeLauncherBuild(LauncherBuild build, uint16_t machine) {
  switch (build) {
    case LauncherBuild::kMissing: return "not there, so its build is unknown";
    case LauncherBuild::kNotPe: return "not a Windows program";
    case LauncherBuild::kI686: return "the i686 (32-bit) build";
    case LauncherBuild::kX8664: return "the x86-64 build";
    case LauncherBuild::kOther: break;
  }
  char text[64];
  std::snprintf(text, sizeof(text), "a Windows program for machine 0x%04x", machine);
  return text;
}
