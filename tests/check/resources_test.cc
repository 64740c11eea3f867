// The Windows programs carry a readable version resource and a manifest.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/version.h"

namespace {

// This build's directory as Windows sees it: Wine shows the host's "/" as Z:.
std::string BuildFile(const std::string& name) {
  std::string path = LAUNCHER_BUILD_DIR;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path + "\\" + name;
}

std::string VersionString(const std::vector<char>& info, const char* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
  if (!VerQueryValueA(info.data(), query.c_str(), &value, &length) || length == 0) return "";
  return std::string(static_cast<const char*>(value));
}

std::string Manifest(const std::string& path) {
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return "";
  std::string text;
  if (HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    HGLOBAL loaded = LoadResource(module, resource);
    text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, resource));
  }
  FreeLibrary(module);
  return text;
}

}  // namespace

TEST(Resources, EveryProgramHasItsVersionAndManifest) {
  struct Program {
    const char* file;
    const char* description;
    const char* level;
  };
  for (const Program& program : {
           Program{"launcher.exe", "Setup launcher", "requireAdministrator"},
           Program{"profile-get.exe", "Setup launcher configuration reader", "asInvoker"},
           Program{"launcher-check.exe", "Setup launcher configuration check", "asInvoker"},
       }) {
    SCOPED_TRACE(program.file);
    const std::string path = BuildFile(program.file);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_NE(size, 0u) << path;
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedLength));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS,
              static_cast<DWORD>((LAUNCHER_VERSION_MAJOR << 16) | LAUNCHER_VERSION_MINOR));
    EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(LAUNCHER_VERSION_PATCH << 16));
    EXPECT_EQ(VersionString(info, "ProductName"), LAUNCHER_PRODUCT_NAME);
    EXPECT_EQ(VersionString(info, "FileVersion"), LAUNCHER_VERSION_TEXT);
    EXPECT_EQ(VersionString(info, "ProductVersion"), LAUNCHER_VERSION_TEXT);
    EXPECT_EQ(VersionString(info, "FileDescription"), program.description);
    EXPECT_EQ(VersionString(info, "OriginalFilename"), program.file);

    const std::string manifest = Manifest(path);
    EXPECT_NE(manifest.find(std::string("level=\"") + program.level + "\""), std::string::npos)
        << manifest;
    // The form of trustInfo that Windows XP loads without complaint.
    EXPECT_NE(manifest.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">"),
              std::string::npos);
    EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"),
              std::string::npos);
  }
}
#endif
