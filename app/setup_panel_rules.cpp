#include "app/setup_panel_rules.h"

int CheckedOption(int32_t value, const std::array<int32_t, 3>& bits) {
    int checked = -1;
    for (int i = 0; i < 3; ++i)
        if ((value & bits[i]) != 0) checked = i;
    return checked;
}

namespace {

// The settings behind the check boxes 23 to 28, in that order.
int32_t Settings::*const kFlagFields[6] = {
    &Settings::EnableTaskTerminate, &Settings::EnableTaskFreeze, &Settings::EnableDetectOwnTask,
    &Settings::EnableShowInfo,      &Settings::EnableSaveInfo,   &Settings::EnableRestoreWindow,
};

} // namespace

PreferenceChoices ChoicesFromSettings(const Settings& settings) {
    PreferenceChoices choices;
    choices.askOption = CheckedOption(settings.AskTerminate, kAskTerminateBits);
    choices.styleOption = CheckedOption(settings.LogInfoStyle, kLogInfoStyleBits);
    for (size_t i = 0; i < choices.flags.size(); ++i)
        choices.flags[i] = settings.*kFlagFields[i] != 0;
    return choices;
}

void StorePreferences(Settings& settings, const PreferenceChoices& choices) {
    if (choices.askOption >= 0 && choices.askOption < 3)
        settings.AskTerminate = kAskTerminateBits[static_cast<size_t>(choices.askOption)];
    if (choices.styleOption >= 0 && choices.styleOption < 3)
        settings.LogInfoStyle = kLogInfoStyleBits[static_cast<size_t>(choices.styleOption)];
    for (size_t i = 0; i < choices.flags.size(); ++i)
        settings.*kFlagFields[i] = choices.flags[i] ? 1 : 0;
}

std::wstring WorkingFolder(const std::wstring& command) {
    std::wstring::size_type slash = command.rfind(L'\\');
    if (slash == std::wstring::npos || slash == 0) return std::wstring();
    return command.substr(0, slash + 1);
}

std::wstring FolderOf(const std::wstring& path) {
    std::wstring::size_type slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::vector<std::string> AboutLines(const std::string& version, const std::string& buildStamp) {
    return {
        "Morvane " + version,
        "Made by Quillfen - small tools that stay out of your way",
        "",
        buildStamp,
        "",
        "Thanks to:",
        "everyone who sent in a bug report or an idea,",
        "and the testers of the early builds",
        "",
        "MIT licence: use it, copy it, pass it on",
        "",
        "http://morvane.quillfen.example",
    };
}

std::string AboutText(const std::string& version, const std::string& buildStamp) {
    std::string text;
    const std::vector<std::string> lines = AboutLines(version, buildStamp);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    return text;
}

std::wstring DialogFilter(const std::wstring& barSeparated) {
    std::wstring filter = barSeparated;
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter += L'\0';
    filter += L'\0';
    return filter;
}
