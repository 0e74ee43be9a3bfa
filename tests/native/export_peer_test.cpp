// The file-layout walk checked against binutils' objdump on real DLLs: same names in the same
// order, and each name's address-table entry (address and forwarder mark) the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "exports/export_report.h"
#include "exports/export_walk.h"
#include "pe_test_image.h"

using namespace pe_test;

namespace {

const char* const Objdump = "x86_64-w64-mingw32-objdump";

struct PeerExport {
    std::string name;
    uint32_t index; // into the export address table
};

struct PeerListing {
    std::map<uint32_t, std::pair<uint32_t, bool>> addresses; // index -> rva, forwarded
    std::vector<PeerExport> names;
};

bool HaveObjdump() {
    FILE* p = popen((std::string(Objdump) + " --version 2>/dev/null").c_str(), "r");
    if (!p) return false;
    char line[256];
    bool any = std::fgets(line, sizeof line, p) != nullptr;
    while (std::fgets(line, sizeof line, p)) {
    }
    return pclose(p) == 0 && any;
}

std::vector<std::string> RunObjdump(const std::string& path) {
    std::vector<std::string> lines;
    FILE* p = popen((std::string(Objdump) + " -p '" + path + "' 2>/dev/null").c_str(), "r");
    if (!p) return lines;
    std::string current;
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, p)) {
        current += chunk;
        if (!current.empty() && current.back() == '\n') {
            current.pop_back();
            lines.push_back(current);
            current.clear();
        }
    }
    pclose(p);
    return lines;
}

// Reads the "Export Address Table" and "[Ordinal/Name Pointer] Table" sections of objdump -p.
PeerListing ParseObjdump(const std::vector<std::string>& lines) {
    PeerListing out;
    enum { None, Addresses, Names } section = None;
    for (const std::string& line : lines) {
        if (line.rfind("Export Address Table -- Ordinal Base", 0) == 0) {
            section = Addresses;
            continue;
        }
        if (line == "[Ordinal/Name Pointer] Table") {
            section = Names;
            continue;
        }
        if (line.empty()) {
            section = None;
            continue;
        }
        unsigned index = 0, biased = 0, rva = 0;
        if (section == Addresses &&
            std::sscanf(line.c_str(), " [%u] +base[%u] %x", &index, &biased, &rva) == 3) {
            out.addresses[index] = {rva, line.find("Forwarder RVA") != std::string::npos};
        } else if (section == Names && std::sscanf(line.c_str(), " [%u]", &index) == 1) {
            const size_t close = line.find("] ");
            if (close != std::string::npos) out.names.push_back({line.substr(close + 2), index});
        }
    }
    return out;
}

// Wine's own 64-bit libraries (wine64 is installed wherever the tests run) and, when the MinGW C
// compilers built them, the fixtures of both architectures: the only PE32 images at hand, since
// Wine's 32-bit half is not installed.
std::vector<std::string> PeerFiles() {
    std::vector<std::string> files;
    for (const char* dll : {"kernel32.dll", "user32.dll", "comdlg32.dll", "ntdll.dll"})
        files.push_back(std::string("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/") + dll);
    if (FixturesBuilt)
        for (const char* f : {"exportlib64.dll", "exportlib32.dll", "bigexports64.dll"})
            files.push_back(FixturePath(f));
    return files;
}

TEST(ExportPeerCheck, FileWalkMatchesObjdumpOnRealLibraries) {
    ASSERT_TRUE(HaveObjdump()) << "needs " << Objdump;
    size_t compared = 0;
    for (const std::string& path : PeerFiles()) {
        ASSERT_TRUE(FileExists(path)) << path;
        SCOPED_TRACE(path);
        const std::vector<uint8_t> file = ReadFile(path);
        const PeerListing peer = ParseObjdump(RunObjdump(path));
        ASSERT_FALSE(peer.names.empty());
        const auto entries = WalkExports(file.data(), file.size(), ImageLayout::File);
        ASSERT_EQ(entries.size(), peer.names.size());
        std::vector<std::string> names, peerNames;
        for (size_t i = 0; i < entries.size(); ++i) {
            names.push_back(entries[i].name);
            peerNames.push_back(peer.names[i].name);
            ASSERT_EQ(entries[i].name, peer.names[i].name) << "#" << i;
            const auto address = peer.addresses.find(peer.names[i].index);
            ASSERT_NE(address, peer.addresses.end()) << entries[i].name;
            EXPECT_TRUE(entries[i].valid) << entries[i].name;
            EXPECT_EQ(entries[i].rva, address->second.first) << entries[i].name;
            EXPECT_EQ(entries[i].forwarded, address->second.second) << entries[i].name;
        }

        // The report built from the walk is the one built by hand from objdump's names.
        const std::string library = path.substr(path.rfind('/') + 1);
        std::string expected =
            "Library: " + library + "\r\nEntries: " + std::to_string(peerNames.size()) + "\r\n\r\n";
        for (const std::string& n : peerNames)
            expected += n + "\r\n";
        EXPECT_EQ(FormatExportReport(library, names), expected);
        ++compared;
    }
    std::printf("compared %zu libraries with objdump\n", compared);
    EXPECT_TRUE(FixturesBuilt) << "needs the fixtures for a PE32 image: the MinGW C compilers";
}

} // namespace
