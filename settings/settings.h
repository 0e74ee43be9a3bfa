// The user's preferences for one run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The values of AskTerminate that the Setup page stores: which terminations are confirmed first.
// Each is a bit of its own; the record's field stays a plain number, since a hand-edited file may
// hold any other value.
enum AskTerminateValue : int32_t {
    AskEveryTime = 1,
    AskCriticalOnly = 2,
    AskNever = 4,
};

// The values of LogInfoStyle that the Setup page stores: what stands before each new log line.
enum LogInfoStyleValue : int32_t {
    LogNumberStyle = 8,
    LogTimeStyle = 16,
    LogNoPrefixStyle = 32,
};

// A new record holds the defaults of the preference table (settings/preferences.h).
struct Settings {
    Settings();
    int32_t AskTerminate = 0;
    int32_t LogInfoStyle = 0;
    int32_t EnableShowInfo = 0;
    int32_t EnableTaskTerminate = 0;
    int32_t EnableTaskFreeze = 0;
    int32_t EnableRestoreWindow = 0;
    // Reads backwards: on (exactly 1) it keeps Detect from marking the program's own task, as its
    // check box "Never detect own task" says.
    int32_t EnableDetectOwnTask = 0;
    int32_t EnableSaveInfo = 0;
    // Not a preference: how many runs' log blocks could be kept nowhere (the log held and no file
    // made beside it) since the last start that could tell. Morvane.ini holds it only then.
    int32_t LostLogBlocks = 0;
    // Where the file dialogs start: the folder last chosen in the run, as the system names it.
    std::wstring CurrentDir;
    // What Morvane.ini keeps of it: the ANSI text of the last such folder that the code page
    // could hold.
    std::string CurrentDirText;
};

extern Settings g_Settings;

// The defaults of a fresh run; CurrentDir starts at the program's folder, whose text for the file
// is `programFolderText` (empty when the code page cannot hold the folder).
void SetSettingsDefaults(Settings& s, const std::wstring& programFolder,
                         const std::string& programFolderText);

// Folder of the exe, with its trailing backslash, as the system names it.
extern std::wstring ProgramFolder;
// The same folder as the system names it, followed by "Morvane": the base of the settings and
// log file names.
extern std::wstring SettingsBasePath;

// Base of the settings and log file names: the folder followed by "Morvane", whatever the
// executable itself is called.
std::wstring SettingsBasePathOf(const std::wstring& programFolder);
