// Arbitrary bytes through the export walk in both layouts, and the report built from them. The
// sanitizers catch any read outside the input; the checks below catch results that contradict
// themselves. Seeds: MinGW-built fixtures, hand-made tiny images
// (tests/fuzz/make_exports_corpus.py) and loader-laid-out copies (written by the native export-walk
// tests).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "exports/export_report.h"
#include "exports/export_walk.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (ImageLayout layout : {ImageLayout::File, ImageLayout::Mapped}) {
        const std::vector<ExportEntry> entries = WalkExports(data, size, layout);
        Check(entries.empty() || IsPeImage(data, size, layout));
        Check(entries.size() <= std::min(size / 4, kMaxExportNames));
        std::vector<std::string> names;
        for (const ExportEntry& e : entries) {
            Check(e.valid ? e.rva != 0 : (e.rva == 0 && !e.forwarded));
            Check(e.name.find('\0') == std::string::npos);
            names.push_back(e.name);
        }
        const std::string report = FormatExportReport("fuzz.dll", names);
        size_t lines = 0;
        for (size_t at = report.find("\r\n"); at != std::string::npos;
             at = report.find("\r\n", at + 2))
            ++lines;
        Check(lines == names.size() + 3);
    }
    return 0;
}
