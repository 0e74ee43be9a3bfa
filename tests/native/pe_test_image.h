// Test-side handling of PE files: reading them, laying them out the way the Windows loader maps
// them, independently of the code under test, and crafting hostile ones. Portable: the Windows
// tiers include it too.
#pragma once
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exports/export_walk.h"

namespace pe_test {

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}

#ifdef MORVANE_FIXTURE_DIR
inline std::string FixturePath(const std::string& name) {
    return std::string(MORVANE_FIXTURE_DIR) + "/" + name;
}
#endif

#ifdef MORVANE_FIXTURES_BUILT
const bool FixturesBuilt = true;
#else
const bool FixturesBuilt = false;
#endif

inline uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
inline uint16_t Get16(const std::vector<uint8_t>& b, size_t at) {
    uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}
inline void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    std::memcpy(b.data() + at, &v, 2);
}

struct SectionInfo {
    std::string name;
    uint32_t va, virtualSize, rawSize, rawPtr;
};

struct Headers {
    size_t nt = 0;
    size_t opt = 0;
    bool pe32plus = false;
    uint32_t sizeOfImage = 0, sizeOfHeaders = 0;
    size_t dataDirectory = 0; // file offset of the export directory entry
    std::vector<SectionInfo> sections;
};

// Only for the well-formed fixtures: no bounds checks beyond what they need.
inline Headers ParseHeaders(const std::vector<uint8_t>& file) {
    Headers h;
    h.nt = Get32(file, 0x3C);
    h.opt = h.nt + 24;
    h.pe32plus = Get16(file, h.opt) == 0x20b;
    h.sizeOfImage = Get32(file, h.opt + 56);
    h.sizeOfHeaders = Get32(file, h.opt + 60);
    h.dataDirectory = h.nt + (h.pe32plus ? 0x88 : 0x78);
    const size_t table = h.opt + Get16(file, h.nt + 20);
    for (size_t i = 0; i < Get16(file, h.nt + 6); ++i) {
        const size_t at = table + 40 * i;
        SectionInfo s;
        s.name.assign(reinterpret_cast<const char*>(file.data() + at), 8);
        s.name = s.name.c_str();
        s.virtualSize = Get32(file, at + 8);
        s.va = Get32(file, at + 12);
        s.rawSize = Get32(file, at + 16);
        s.rawPtr = Get32(file, at + 20);
        h.sections.push_back(s);
    }
    return h;
}

// The section holding rva, or null.
inline const SectionInfo* SectionOf(const Headers& h, uint32_t rva) {
    for (const SectionInfo& s : h.sections)
        if (rva >= s.va && rva < s.va + (s.virtualSize ? s.virtualSize : s.rawSize)) return &s;
    return nullptr;
}

inline const SectionInfo* SectionNamed(const Headers& h, const std::string& name) {
    for (const SectionInfo& s : h.sections)
        if (s.name == name) return &s;
    return nullptr;
}

// The names of a listing, in its order, and the entry of one name (null when it is missing).
inline std::vector<std::string> Names(const std::vector<ExportEntry>& entries) {
    std::vector<std::string> names;
    for (const ExportEntry& e : entries)
        names.push_back(e.name);
    return names;
}
inline const ExportEntry* Find(const std::vector<ExportEntry>& entries, const std::string& name) {
    for (const ExportEntry& e : entries)
        if (e.name == name) return &e;
    return nullptr;
}

// The image as the loader lays it out: headers at 0, each section at its relative address, the
// rest zero.
inline std::vector<uint8_t> MapLikeLoader(const std::vector<uint8_t>& file) {
    const Headers h = ParseHeaders(file);
    std::vector<uint8_t> image(h.sizeOfImage, 0);
    std::memcpy(image.data(), file.data(), h.sizeOfHeaders);
    for (const SectionInfo& s : h.sections) {
        uint32_t n = s.rawSize;
        if (s.virtualSize && s.virtualSize < n) n = s.virtualSize;
        std::memcpy(image.data() + s.va, file.data() + s.rawPtr, n);
    }
    return image;
}

// A PE32+ DLL of 0x200 bytes whose export directory claims 0xFFFFFFFF names. Its one section takes
// no bytes of the file but 16 MB of zeros in the image, and the export tables lie in those zeros:
// every name pointer is 0, so every name is the text at the image's start, "MZ".
inline std::vector<uint8_t> EndlessNamesDll() {
    std::vector<uint8_t> file(0x200, 0);
    const uint32_t zeros = 16u << 20;
    // clang-format off
    const struct { size_t at; uint32_t value; size_t size; } fields[] = {
        {0x00, 0x5A4D, 2}, {0x3C, 0x40, 4}, {0x40, 0x4550, 4},  // "MZ", "PE"
        {0x44, 0x8664, 2}, {0x46, 1, 2}, {0x54, 240, 2}, {0x56, 0x2022, 2}, // x64 DLL, 1 section
        {0x58, 0x20B, 2}, {0x78, 0x1000, 4}, {0x7C, 0x200, 4},  // PE32+, alignments
        {0x90, 0x1000 + zeros, 4}, {0x94, 0x200, 4},            // sizes of image and headers
        {0xC4, 16, 4}, {0xC8, 0x180, 4},                        // the export directory
        {0x150, zeros, 4}, {0x154, 0x1000, 4}, {0x16C, 0xC0000080, 4}, // the zero-filled section
        {0x198, 0xFFFFFFFF, 4},                                 // names; the tables in the zeros
        {0x19C, 0x1000, 4}, {0x1A0, 0x1000, 4}, {0x1A4, 0x1000, 4}};
    // clang-format on
    for (const auto& f : fields)
        std::memcpy(&file[f.at], &f.value, f.size);
    return file;
}

} // namespace pe_test
