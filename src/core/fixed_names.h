// The names the launcher's steps use and launcher-check shows: the package's
// files, the helper process, the folders it moves, the configuration's
// sections. Each is spelt here only.
#ifndef LAUNCHER_CORE_FIXED_NAMES_H
#define LAUNCHER_CORE_FIXED_NAMES_H

// Configuration sections.
inline constexpr char kSectionParams[] = "PARAMS";
inline constexpr char kSectionBefore[] = "BEFORE";

// The setup program started when DEFAULTCMD is missing.
inline constexpr char kDefaultSetupProgram[] = "Quorle.exe";

// The defaults of the names a package may change (core/name_keys.h): the
// setup program's configuration file in the launcher's directory (its
// backup and language copies are named after it), the helper process, and
// the program folder setup leaves.
inline constexpr char kSetupConfigName[] = "Velquist.ini";
inline constexpr char kHelperImageName[100] = "Ormlatch.exe";
inline constexpr char kStartMenuSourceFolder[] = "c:\\Tessik Halvern Wireless";
inline constexpr char kStartMenuFolderName[] = "Tessik Halvern Wireless";

// The installer script written into a folder of its own in TEMP, and the
// program in the system directory that installs it.
inline constexpr char kRegistryScriptName[] = "AddDel.inf";
inline constexpr char kInstallerRunner[] = "rundll32.exe";

// Profile folders the profile deployment knows.
inline constexpr char kProfilesFolder[] = "\\Documents and Settings\\";
inline constexpr char kOwnerProfile[] = "Owner";
inline constexpr char kAdministratorProfile[] = "Administrator";
inline constexpr char kDefaultUserProfile[] = "Default User";
inline constexpr char kApplicationDataFolder[] = "Application Data";

// An entry name holding ':' is refused where the file system reads it as an
// alternate data stream ("name:stream" writes a hidden stream on Windows).
#ifdef _WIN32
inline constexpr bool kEntryColonRefused = true;
#else
inline constexpr bool kEntryColonRefused = false;
#endif

#endif
