#include "exports/export_report.h"

#include "base/wide_text.h"

namespace {
const char* const kLineEnd = "\r\n";
}

std::string FormatExportReport(const std::string& libraryName,
                               const std::vector<std::string>& names) {
    std::string text = "Library: " + libraryName + kLineEnd;
    text += "Entries: " + std::to_string(names.size()) + kLineEnd;
    text += kLineEnd;
    for (const std::string& name : names) {
        const size_t start = text.size();
        text += name;
        for (size_t i = start; i < text.size(); ++i)
            if (text[i] == '\r' || text[i] == '\n') text[i] = '?';
        text += kLineEnd;
    }
    return text;
}

std::wstring DefaultReportFileName(const std::wstring& currentDir,
                                   const std::wstring& libraryName) {
    return currentDir + L"DLL_" + WithoutLastCharacters(libraryName, 4) + L"_Functions.txt";
}
