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

std::string WorkingFolder(const std::string& command) {
    std::string::size_type slash = command.rfind('\\');
    if (slash == std::string::npos || slash == 0) return std::string();
    return command.substr(0, slash + 1);
}

std::string FolderOf(const std::string& path) {
    std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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

std::string DialogFilter(const std::string& barSeparated) {
    std::string filter = barSeparated;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter += '\0';
    filter += '\0';
    return filter;
}
