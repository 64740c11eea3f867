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

// The setup program's configuration file in the launcher's directory, the
// name it waits under while a language copy stands in for it, and the
// language copies ("%04x": the language identifier in hexadecimal).
inline constexpr char kSetupConfigName[] = "Velquist.ini";
inline constexpr char kSetupConfigBackupName[] = "Velquist.bak";
inline constexpr char kSetupConfigLanguagePattern[] = "Velquist.%04x";

// The installer script written into a folder of its own in TEMP, and the
// program in the system directory that installs it.
inline constexpr char kRegistryScriptName[] = "AddDel.inf";
inline constexpr char kInstallerRunner[] = "rundll32.exe";

// The helper process that setup leaves running, in the buffer of 100 bytes
// that it is handed over in, zero-filled after the name.
inline constexpr char kHelperImageName[100] = "Ormlatch.exe";

// The program folder setup leaves on drive C, and its name in the all-users
// Start-menu programs folder.
inline constexpr char kStartMenuSourceFolder[] = "c:\\Tessik Halvern Wireless";
inline constexpr char kStartMenuFolderName[] = "Tessik Halvern Wireless";

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
