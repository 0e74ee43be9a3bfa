#include "app/setup_panel_rules.h"

int CheckedOption(int32_t value, const Preference& group) {
    for (size_t i = 0; i < group.values.size(); ++i)
        if (value == group.values[i]) return static_cast<int>(i);
    return -1;
}

PreferenceChoices ChoicesFromSettings(const Settings& settings) {
    PreferenceChoices choices = {};
    for (size_t i = 0; i < kPreferences.size(); ++i) {
        const Preference& p = kPreferences[i];
        const int32_t value = settings.*p.field;
        if (p.kind == PreferenceKind::OptionGroup)
            choices[i] = CheckedOption(value, p);
        else
            choices[i] = p.onlyOneIsOn ? value == 1 : value != 0;
    }
    return choices;
}

void StorePreferences(Settings& settings, const PreferenceChoices& shown,
                      const PreferenceChoices& chosen) {
    for (size_t i = 0; i < kPreferences.size(); ++i) {
        const Preference& p = kPreferences[i];
        if (chosen[i] == shown[i]) continue;
        if (p.kind == PreferenceKind::CheckBox)
            settings.*p.field = chosen[i] != 0 ? 1 : 0;
        else if (chosen[i] >= 0 && chosen[i] < static_cast<int>(p.values.size()))
            settings.*p.field = p.values[static_cast<size_t>(chosen[i])];
    }
}

std::wstring WorkingFolder(const std::wstring& command) {
    std::wstring::size_type slash = command.rfind(L'\\');
    if (slash == std::wstring::npos || slash == 0) return std::wstring();
    return command.substr(0, slash + 1);
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
