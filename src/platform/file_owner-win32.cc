#include "platform/file_owner.h"

#include <windows.h>

#include "platform/library_entry.h"
#include "platform/system.h"
#include "platform/system_library.h"
#include "platform/well_known_sids-win32.h"

namespace {

// advapi32 is looked up, never imported: the launcher imports no more than
// the libraries every supported system loads for it anyway.
using GetKernelObjectSecurityEntry = BOOL(WINAPI*)(HANDLE, SECURITY_INFORMATION,
                                                   PSECURITY_DESCRIPTOR, DWORD, LPDWORD);
using GetSecurityDescriptorOwnerEntry = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, PSID*, LPBOOL);
using OpenProcessTokenEntry = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using GetTokenInformationEntry = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD,
                                               PDWORD);

// The account the launcher runs as owns what it and setup made on systems
// that give an administrator's objects to the account.
bool IsOwnAccount(HMODULE advapi, const void* owner) {
  const auto openToken = LookUp<OpenProcessTokenEntry>(advapi, "OpenProcessToken");
  const auto tokenInformation = LookUp<GetTokenInformationEntry>(advapi, "GetTokenInformation");
  HANDLE token;
  if (openToken == nullptr || tokenInformation == nullptr ||
      !openToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return false;
  DWORD user[128];  // TOKEN_USER and its SID, aligned
  DWORD size = 0;
  const bool read = tokenInformation(token, TokenUser, user, sizeof(user), &size) != 0;
  CloseHandle(token);
  return read && SameSid(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, owner);
}

// A drive whose file system keeps no security (FAT) has no owners to ask.
bool VolumeKeepsOwners(const char* path) {
  if (path[0] == '\0' || path[1] != ':') return true;
  const char root[] = {path[0], ':', '\\', '\0'};
  DWORD flags = 0;
  if (!GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) return true;
  return (flags & FILE_PERSISTENT_ACLS) != 0;
}

PathOwner OwnerOfHandle(HMODULE advapi, HANDLE file, bool ownedByGroupWhenElevated) {
  const auto getSecurity =
      LookUp<GetKernelObjectSecurityEntry>(advapi, "GetKernelObjectSecurity");
  const auto getOwner =
      LookUp<GetSecurityDescriptorOwnerEntry>(advapi, "GetSecurityDescriptorOwner");
  if (getSecurity == nullptr || getOwner == nullptr) return PathOwner::kOther;
  DWORD descriptor[256];  // an owner alone takes under 100 bytes
  DWORD needed = 0;
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!getSecurity(file, OWNER_SECURITY_INFORMATION, descriptor, sizeof(descriptor), &needed) ||
      !getOwner(descriptor, &owner, &defaulted) || owner == nullptr)
    return PathOwner::kOther;
  if (SameSid(owner, &kAdministratorsSid) || SameSid(owner, &kLocalSystemSid))
    return PathOwner::kAdministrator;
  // From Vista on, an elevated administrator's objects belong to the group;
  // one owned by the account itself was made by one of its programs that
  // ran without elevation, which may be anyone's code.
  return !ownedByGroupWhenElevated && IsOwnAccount(advapi, owner) ? PathOwner::kAdministrator
                                                                  : PathOwner::kOther;
}

}  // namespace

PathOwner QueryPathOwner(const char* path) {
  OsVersion version;
  if (!QueryOsVersion(&version) || version.platformId != kPlatformWin32Nt)
    return PathOwner::kNoOwners;
  if (!VolumeKeepsOwners(path)) return PathOwner::kNoOwners;
  // The link itself is opened, not what it leads to (systems before Windows
  // 2000 have no links and ignore the flag); a folder needs backup semantics.
  const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileA(path, READ_CONTROL, sharing, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return PathOwner::kOther;
  HMODULE advapi = LoadSystemLibrary("advapi32.dll");
  const PathOwner owner = advapi != nullptr
                              ? OwnerOfHandle(advapi, file, version.majorVersion >= 6)
                              : PathOwner::kOther;
  if (advapi != nullptr) FreeLibrary(advapi);
  CloseHandle(file);
  return owner;
}
