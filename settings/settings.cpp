#include "settings/settings.h"

Settings g_Settings;

void SetSettingsDefaults(Settings& s, const std::string& programFolder) {
    s = Settings();
    s.CurrentDir = programFolder;
}

std::string ProgramFolderOf(const std::string& moduleFileName) {
    const size_t slash = moduleFileName.rfind('\\');
    return slash == std::string::npos ? std::string() : moduleFileName.substr(0, slash + 1);
}

std::string SettingsBasePathOf(const std::string& programFolder) {
    return programFolder + "Morvane";
}
