#include "exports/export_report.h"

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

std::string DefaultReportFileName(const std::string& currentDir, const std::string& libraryName) {
    const std::string stem =
        libraryName.size() > 4 ? libraryName.substr(0, libraryName.size() - 4) : std::string();
    return currentDir + "DLL_" + stem + "_Functions.txt";
}
