#include "settings/settings_file.h"

#include "base/ansi_text_win.h"
#include "base/whole_file_win.h"
#include "settings/program_paths.h"
#include "settings/settings_text.h"

namespace {

std::wstring SettingsFilePath() {
    return ProgramFilePath(L".ini");
}

} // namespace

void SetDefaultSettings() {
    SetSettingsDefaults(g_Settings, ProgramFolder, std::string());
    SetCurrentDir(g_Settings, ProgramFolder);
}

void SetCurrentDir(Settings& s, const std::wstring& folder) {
    s.CurrentDir = folder;
    if (AnsiHolds(folder)) s.CurrentDirText = AnsiText(folder);
}

bool LoadSettings(WindowCorner& corner) {
    std::string text;
    if (!ReadWholeFile(SettingsFilePath(), text)) return false;
    const std::string folderBefore = g_Settings.CurrentDirText;
    ApplySettingsText(text, g_Settings, corner.x, corner.y);
    // The folder the file names, as the code page reads it.
    if (g_Settings.CurrentDirText != folderBefore)
        g_Settings.CurrentDir = WideText(g_Settings.CurrentDirText);
    return true;
}

bool SaveSettings(const WindowCorner& corner) {
    return ReplaceFileContent(SettingsFilePath(),
                              FormatSettingsText(g_Settings, corner.x, corner.y));
}
