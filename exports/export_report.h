// The text of the export report and the names around it.
#pragma once
#include <string>
#include <vector>

// "Library: " name, "Entries: " count, an empty line, then one name per line; every line ends in
// CR LF. A CR or LF inside a name is written as '?' so that each name keeps to one line. The
// texts are the file's bytes: the library name in the ANSI code page, the names as the DLL holds
// them.
std::string FormatExportReport(const std::string& libraryName,
                               const std::vector<std::string>& names);

// currentDir + "DLL_" + the library name less its last four characters (".dll") +
// "_Functions.txt"; a name of four characters or fewer contributes nothing. A character written
// as two units counts once.
std::wstring DefaultReportFileName(const std::wstring& currentDir, const std::wstring& libraryName);
