// Feeds arbitrary bytes to the settings parser, then checks that whatever it read survives a
// write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/settings.h"
#include "settings/settings_text.h"

namespace {

bool Same(const Settings& a, const Settings& b) {
    return a.AskTerminate == b.AskTerminate && a.LogInfoStyle == b.LogInfoStyle &&
           a.EnableShowInfo == b.EnableShowInfo && a.EnableTaskTerminate == b.EnableTaskTerminate &&
           a.EnableTaskFreeze == b.EnableTaskFreeze &&
           a.EnableRestoreWindow == b.EnableRestoreWindow &&
           a.EnableDetectOwnTask == b.EnableDetectOwnTask && a.EnableSaveInfo == b.EnableSaveInfo &&
           a.CurrentDirText == b.CurrentDirText;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Settings first;
    SetSettingsDefaults(first, L"C:\\Prog\\", "C:\\Prog\\");
    int32_t x = 11;
    int32_t y = 22;
    ApplySettingsText(text, first, x, y);

    // A value read as text never holds a line end and never starts with a blank.
    if (first.CurrentDirText.find_first_of("\r\n") != std::string::npos) std::abort();
    if (!first.CurrentDirText.empty() && first.CurrentDirText[0] == ' ') std::abort();

    const std::string written = FormatSettingsText(first, x, y);
    Settings second;
    SetSettingsDefaults(second, L"other", "other");
    second.AskTerminate = 99;
    int32_t x2 = 0;
    int32_t y2 = 0;
    ApplySettingsText(written, second, x2, y2);
    if (!Same(first, second) || x != x2 || y != y2) std::abort();
    return 0;
}
