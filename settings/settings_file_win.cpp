#include "settings/settings_file.h"

// Placeholder until the settings file lands.
void LoadSettings() {}
void SaveSettings() {}
