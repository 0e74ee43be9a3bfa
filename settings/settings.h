// The user's preferences for one run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
    int32_t AskTerminate;
    int32_t LogInfoStyle;
    int32_t EnableShowInfo;
    int32_t EnableTaskTerminate;
    int32_t EnableTaskFreeze;
    int32_t EnableRestoreWindow;
    int32_t EnableDetectOwnTask;
    int32_t EnableSaveInfo;
    // Not a preference: how many runs' log blocks could be kept nowhere (the log held and no file
    // made beside it) since the last start that could tell. Morvane.ini holds it only then.
    int32_t LostLogBlocks;
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

// A rectangle on the screen: left and top inside, right and bottom just outside.
struct ScreenRect {
    int32_t left, top, right, bottom;
};
// Where the window opens, as its outer top-left corner, when the settings file saved (x, y):
// there when the window's caption bar then lies wholly inside one monitor's work area, so that it
// can be grabbed; else centred in the primary monitor's work area, the first of `workAreas`, as
// at first start (the saved corner when no monitor is known). `window` and `captionBar` are the
// window's outer rectangle and its caption bar where the window is now.
void PlaceToOpen(int32_t& x, int32_t& y, const ScreenRect& window, const ScreenRect& captionBar,
                 const std::vector<ScreenRect>& workAreas);

// Folder of the exe, with its trailing backslash, as the system names it.
extern std::wstring ProgramFolder;
// The same folder as the system names it, followed by "Morvane": the base of the settings and
// log file names.
extern std::wstring SettingsBasePath;

// The folder part of the program's own file name, up to and with its last backslash
// ("C:\Tools\Morvane.exe" gives "C:\Tools\"); empty when there is no backslash. The wide form
// is the path as the system gives it, the narrow one its ANSI text.
std::string ProgramFolderOf(const std::string& moduleFileName);
std::wstring ProgramFolderOf(const std::wstring& moduleFileName);
// Base of the settings and log file names: the folder followed by "Morvane", whatever the
// executable itself is called.
std::string SettingsBasePathOf(const std::string& programFolder);
std::wstring SettingsBasePathOf(const std::wstring& programFolder);

// Paths from this length on take the long-path form: the lowest of the system's path limits,
// a folder's, lies there.
constexpr size_t kLongPathFrom = 248;
// "\\?\", "\\.\" and "//?/" paths (slashes of either kind) name devices or the system's
// literal form: they are handed to the system unchanged.
bool IsDevicePath(const std::wstring& path);
// The path as the wide file calls take it at any length: from kLongPathFrom characters on, a
// drive path gets "\\?\" before it and a share path ("\\server\share\...") is written
// "\\?\UNC\server\share\...", with every "/" turned into "\" since that form takes the
// path literally. It expects a full path: ".." and "." are not resolved here. Shorter paths,
// device paths and relative paths stay as they are.
std::wstring LongPathForm(const std::wstring& path);
