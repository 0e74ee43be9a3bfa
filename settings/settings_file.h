// Morvane.ini: read at start-up over the defaults, rewritten at every orderly end.
#pragma once

// Reads the settings file; may move the (still hidden) main window to the saved place.
void LoadSettings();
// Writes the settings file with the main window's current position.
void SaveSettings();
