#include "app/setup_panel_rules.h"

int CheckedOption(int32_t value, const Preference& group) {
    int checked = -1;
    for (size_t i = 0; i < group.options.size(); ++i)
        if ((value & group.options[i].value) != 0) checked = static_cast<int>(i);
    return checked;
}

PreferenceChoices ChoicesFromSettings(const Settings& settings) {
    PreferenceChoices choices = {};
    for (size_t i = 0; i < kPreferences.size(); ++i) {
        const Preference& p = kPreferences[i];
        const int32_t value = settings.*p.field;
        choices[i] = p.kind == PreferenceKind::OptionGroup ? CheckedOption(value, p) : value != 0;
    }
    return choices;
}

void StorePreferences(Settings& settings, const PreferenceChoices& choices) {
    for (size_t i = 0; i < kPreferences.size(); ++i) {
        const Preference& p = kPreferences[i];
        if (p.kind == PreferenceKind::CheckBox)
            settings.*p.field = choices[i] != 0 ? 1 : 0;
        else if (choices[i] >= 0 && choices[i] < static_cast<int>(p.options.size()))
            settings.*p.field = p.options[static_cast<size_t>(choices[i])].value;
    }
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
