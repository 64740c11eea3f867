#include "platform/private_directory.h"

#include <windows.h>

#include "platform/library_entry.h"
#include "platform/system.h"
#include "platform/system_library.h"
#include "platform/well_known_sids-win32.h"

namespace {

// Names taken by someone else are skipped; this many in a row means the
// names are being taken on purpose, and the step gives up.
constexpr uint32_t kAttempts = 64;

// advapi32 is not imported (the Windows 95 family has only stubs of these);
// NT 4.0 lacks the two entries that 2000 added, which are optional.
struct SecurityCalls {
  BOOL(WINAPI* initializeAcl)(PACL, DWORD, DWORD);
  BOOL(WINAPI* addAccessAllowedAce)(PACL, DWORD, DWORD, PSID);
  BOOL(WINAPI* getAce)(PACL, DWORD, LPVOID*);
  BOOL(WINAPI* initializeSecurityDescriptor)(PSECURITY_DESCRIPTOR, DWORD);
  BOOL(WINAPI* setSecurityDescriptorDacl)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
  BOOL(WINAPI* setSecurityDescriptorControl)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                             SECURITY_DESCRIPTOR_CONTROL);  // 2000 on
};

bool LookUpSecurityCalls(HMODULE advapi, SecurityCalls* calls) {
  using InitializeAclEntry = decltype(calls->initializeAcl);
  using AddAceEntry = decltype(calls->addAccessAllowedAce);
  using GetAceEntry = decltype(calls->getAce);
  using InitializeEntry = decltype(calls->initializeSecurityDescriptor);
  using SetDaclEntry = decltype(calls->setSecurityDescriptorDacl);
  using SetControlEntry = decltype(calls->setSecurityDescriptorControl);
  calls->initializeAcl = LookUp<InitializeAclEntry>(advapi, "InitializeAcl");
  calls->addAccessAllowedAce = LookUp<AddAceEntry>(advapi, "AddAccessAllowedAce");
  calls->getAce = LookUp<GetAceEntry>(advapi, "GetAce");
  calls->initializeSecurityDescriptor =
      LookUp<InitializeEntry>(advapi, "InitializeSecurityDescriptor");
  calls->setSecurityDescriptorDacl = LookUp<SetDaclEntry>(advapi, "SetSecurityDescriptorDacl");
  calls->setSecurityDescriptorControl =
      LookUp<SetControlEntry>(advapi, "SetSecurityDescriptorControl");
  return calls->initializeAcl != nullptr && calls->addAccessAllowedAce != nullptr &&
         calls->getAce != nullptr && calls->initializeSecurityDescriptor != nullptr &&
         calls->setSecurityDescriptorDacl != nullptr;
}

// Room for an ACL of two access-allowed entries, DWORD-aligned.
struct AclBuffer {
  DWORD words[64];
};

// Full control for administrators and the system, inherited by files and
// folders made inside; on 2000 and later the parent's entries are kept out.
// The entries are added plainly and their inheritance set afterwards, which
// NT 4.0 (no AddAccessAllowedAceEx) understands as well.
bool BuildPrivateSecurity(const SecurityCalls& calls, AclBuffer* aclBuffer,
                          SECURITY_DESCRIPTOR* descriptor) {
  PACL acl = reinterpret_cast<PACL>(aclBuffer->words);
  if (!calls.initializeAcl(acl, sizeof(aclBuffer->words), ACL_REVISION)) return false;
  WellKnownSid* const owners[] = {&kAdministratorsSid, &kLocalSystemSid};
  for (DWORD index = 0; index < 2; ++index) {
    static_assert(sizeof(AclBuffer) >= sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + 8),
                  "room for both entries");
    LPVOID ace = nullptr;
    if (!calls.addAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, owners[index]) ||
        !calls.getAce(acl, index, &ace))
      return false;
    static_cast<ACE_HEADER*>(ace)->AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  }
  if (!calls.initializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !calls.setSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE))
    return false;
  return calls.setSecurityDescriptorControl == nullptr ||
         calls.setSecurityDescriptorControl(descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

bool IsWindows95Family() {
  OsVersion version = {};
  return QueryOsVersion(&version) && version.platformId == kPlatformWin32Windows;
}

// Tries fresh names until one is made; false on any failure but a taken name.
bool MakeFreshDirectory(const char* parent, SECURITY_ATTRIBUTES* security, std::string* path) {
  const DWORD processId = GetCurrentProcessId();
  for (uint32_t attempt = 0; attempt < kAttempts; ++attempt) {
    *path = std::string(parent) + "\\" + PrivateDirectoryName(processId, GetTickCount(), attempt);
    if (CreateDirectoryA(path->c_str(), security)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

// Held without delete sharing until it is removed: TEMP's owner may
// rename or delete what is in TEMP, but not a directory open this way.
HANDLE HoldDirectory(const std::string& path) {
  return CreateFileA(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

bool CreatePrivateDirectory(const char* parent, PrivateDirectory* directory) {
  directory->handle = -1;
  if (IsWindows95Family()) return MakeFreshDirectory(parent, nullptr, &directory->path);

  HMODULE advapi = LoadSystemLibrary("advapi32.dll");
  SecurityCalls calls = {};
  AclBuffer acl = {};
  SECURITY_DESCRIPTOR descriptor = {};
  const bool secured = advapi != nullptr && LookUpSecurityCalls(advapi, &calls) &&
                       BuildPrivateSecurity(calls, &acl, &descriptor);
  SECURITY_ATTRIBUTES security = {sizeof(security), &descriptor, FALSE};
  const bool made = secured && MakeFreshDirectory(parent, &security, &directory->path);
  if (advapi != nullptr) FreeLibrary(advapi);
  if (!made) return false;

  HANDLE handle = HoldDirectory(directory->path);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    RemoveDirectoryA(directory->path.c_str());
    // Refused its own folder, the launcher runs without administrator rights
    // (a limited user on XP, where nothing elevates it): then its installer
    // can do no more than whoever may write to TEMP, and a plain folder
    // guards nothing less.
    if (error != ERROR_ACCESS_DENIED) return false;
    if (!MakeFreshDirectory(parent, nullptr, &directory->path)) return false;
    handle = HoldDirectory(directory->path);
    if (handle == INVALID_HANDLE_VALUE) {
      RemoveDirectoryA(directory->path.c_str());
      return false;
    }
  }
  directory->handle = reinterpret_cast<intptr_t>(handle);
  return true;
}

bool RemovePrivateDirectory(PrivateDirectory* directory) {
  // Our own handle shares no deletion: it goes first.
  if (directory->handle != -1) CloseHandle(reinterpret_cast<HANDLE>(directory->handle));
  directory->handle = -1;
  return RemoveDirectoryA(directory->path.c_str()) != 0;
}
