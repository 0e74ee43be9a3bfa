#include "settings/settings.h"

Settings g_Settings;

void SetSettingsDefaults(Settings& s, const std::string& programFolder) {
    s = Settings();
    s.CurrentDir = programFolder;
}
