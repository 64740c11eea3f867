// racer: plays an unprivileged program that waits for the launcher's
// registry script to appear in TEMP and rewrites it with its own, which adds
// RACER_KEY\Racer under HKCU. It looks for "AddDel.inf" directly in TEMP
// (any case of the name), as a program of the user could: the launcher's own
// folder in TEMP is out of a user's reach on Windows, which Wine does not
// enforce. It polls until the file RACER_STOP exists (or 60 s pass), then
// writes "rewrites N" into RACER_RECORD.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string ReadAll(const std::string& path) {
  std::string text;
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return text;
  char chunk[1024];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), in)) > 0) text.append(chunk, got);
  std::fclose(in);
  return text;
}

}  // namespace

int main() {
  const std::string temp = Variable("TEMP");
  const std::string stop = Variable("RACER_STOP");
  const std::string own = "[Version]\r\nsignature=\"$CHICAGO$\"\r\n\r\n[DefaultInstall]\r\n"
                          "AddReg = Racer.reg\r\n\r\n[Racer.reg]\r\nHKCU, \"" +
                          Variable("RACER_KEY") + "\",\"Racer\",0,\"won\"\r\n";
  unsigned rewrites = 0;
  const DWORD started = GetTickCount();
  while (GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES &&
         GetTickCount() - started < 60000) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((temp + "\\AddDel.inf").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string path = temp + "\\" + found.cFileName;
        if (ReadAll(path) == own) continue;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) continue;
        std::fwrite(own.data(), 1, own.size(), out);
        std::fclose(out);
        ++rewrites;
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    Sleep(0);
  }
  std::FILE* record = std::fopen(Variable("RACER_RECORD").c_str(), "wb");
  if (record == nullptr) return 1;
  std::fprintf(record, "rewrites %u\n", rewrites);
  std::fclose(record);
  return 0;
}
