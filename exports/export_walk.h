// Reads the named exports of a PE image (PE32 or PE32+) held in memory. Every relative address
// and table entry is checked against the bytes given, so any input is safe to walk.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How the image's bytes are laid out.
enum class ImageLayout {
    Mapped, // as the loader maps it: each section at its relative address
    File,   // as read from disk: relative addresses go through the section table
};

struct ExportEntry {
    // Empty when the name pointer leads outside the image or the text is not terminated there.
    std::string name;
    // The function's relative address; 0 whenever valid is false.
    uint32_t rva = 0;
    // True when the address-table entry exists and its address lies inside the image. Only then
    // may a caller add the load base to rva.
    bool valid = false;
    // The address points at forwarder text ("dll.function") inside the export directory.
    bool forwarded = false;
};

// True when the bytes start with DOS and NT headers of a PE32 or PE32+ image.
bool IsPeImage(const uint8_t* image, size_t size, ImageLayout layout);

// Most names a walk lists: the number of 16-bit ordinals.
const size_t kMaxExportNames = 65536;

// The named exports in the order of the name pointer table. Exports with an ordinal only are not
// listed; an image without an export directory, or one that is not a PE image, lists nothing. A
// name pointer table that runs past the end of the image is cut there, and one that claims more
// than kMaxExportNames entries is cut after that many.
std::vector<ExportEntry> WalkExports(const uint8_t* image, size_t size, ImageLayout layout);
