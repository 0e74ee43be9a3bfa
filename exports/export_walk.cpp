#include "exports/export_walk.h"

#include <algorithm>
#include <cstring>

namespace {

// Offsets inside the headers and the export directory, as the PE/COFF format fixes them.
const size_t kDosNtOffset = 0x3C;
const size_t kFileHeaderSize = 20;
const size_t kOptionalHeaderOffset = 4 + kFileHeaderSize;
const uint16_t Pe32Magic = 0x10b;
const uint16_t Pe32PlusMagic = 0x20b;
const size_t kSectionHeaderSize = 40;
const size_t kExportDirectorySize = 40;

// Scanning for the end of names stops after this many bytes in all. Real export tables stay far
// below it; without it a crafted image could point every name at one long unterminated run and
// make the walk take quadratic time and memory.
const size_t kNameScanBudget = 64u << 20;

uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct Section {
    uint32_t va;      // where it starts in the mapped image
    uint64_t end;     // va + the size it covers there
    uint32_t rawSize; // bytes of it present in the file
    uint32_t rawPtr;  // file offset of those bytes
};

// An image's bytes with the address translation for its layout.
class PeView {
  public:
    PeView(const uint8_t* data, size_t size, ImageLayout layout)
        : data_(data), size_(data ? size : 0), layout_(layout) {}

    // Reads the DOS and NT headers and, for the file layout, the section table.
    bool ReadHeaders() {
        if (size_ < kDosNtOffset + 4 || data_[0] != 'M' || data_[1] != 'Z') return false;
        const uint64_t nt = Get32(data_ + kDosNtOffset);
        const uint64_t opt = nt + kOptionalHeaderOffset;
        if (opt + 2 > size_ || std::memcmp(data_ + nt, "PE\0\0", 4) != 0) return false;

        const uint16_t magic = Get16(data_ + opt);
        uint64_t countOffset, dirOffset;
        if (magic == Pe32Magic) {
            countOffset = opt + 92;
            dirOffset = opt + 96; // NT headers + 0x78
        } else if (magic == Pe32PlusMagic) {
            countOffset = opt + 108;
            dirOffset = opt + 112; // NT headers + 0x88
        } else {
            return false;
        }
        if (dirOffset + 8 > size_) return false;
        sizeOfImage_ = Get32(data_ + opt + 56);
        sizeOfHeaders_ = Get32(data_ + opt + 60);
        // A header with no data-directory entries has no export directory; the bytes at the
        // usual place belong to something else.
        if (Get32(data_ + countOffset) >= 1) {
            exportRva_ = Get32(data_ + dirOffset);
            exportSize_ = Get32(data_ + dirOffset + 4);
        }

        if (layout_ == ImageLayout::Mapped) {
            extent_ = std::min<uint64_t>(size_, sizeOfImage_);
            return true;
        }
        extent_ = sizeOfImage_;
        const uint16_t count = Get16(data_ + nt + 6);
        const uint64_t table = opt + Get16(data_ + nt + 20);
        uint64_t previousEnd = 0;
        for (uint64_t i = 0; i < count; ++i) {
            const uint64_t at = table + i * kSectionHeaderSize;
            if (at + kSectionHeaderSize > size_) break;
            const uint8_t* h = data_ + at;
            const uint32_t virtualSize = Get32(h + 8);
            Section s;
            s.va = Get32(h + 12);
            s.rawSize = Get32(h + 16);
            s.rawPtr = Get32(h + 20);
            s.end = static_cast<uint64_t>(s.va) + (virtualSize ? virtualSize : s.rawSize);
            // The loader wants sections in ascending, non-overlapping order; one that breaks it
            // is left out so that each address has one meaning and lookups can bisect.
            if (s.va < previousEnd || s.end == s.va) continue;
            // Only what the section covers in memory is taken from the file.
            s.rawSize = static_cast<uint32_t>(std::min<uint64_t>(s.rawSize, s.end - s.va));
            previousEnd = s.end;
            sections_.push_back(s);
        }
        return true;
    }

    uint32_t exportRva() const { return exportRva_; }
    uint32_t exportSize() const { return exportSize_; }

    // True when an address of the image lies within it (only such an address may be shown).
    bool InImage(uint32_t rva) const { return rva < extent_; }

    // Finds the bytes at rva: their offset in the buffer and how many follow contiguously.
    bool Locate(uint64_t rva, size_t& offset, size_t& available) const {
        if (layout_ == ImageLayout::Mapped) {
            if (rva >= extent_) return false;
            offset = static_cast<size_t>(rva);
            available = static_cast<size_t>(extent_ - rva);
            return true;
        }
        auto after = std::upper_bound(sections_.begin(), sections_.end(), rva,
                                      [](uint64_t a, const Section& s) { return a < s.va; });
        if (after != sections_.begin() && rva < (after - 1)->end) {
            const Section& s = *(after - 1);
            const uint64_t delta = rva - s.va;
            // Past the raw data the loader fills with zeros: nothing there to read from the file.
            if (delta >= s.rawSize) return false;
            const uint64_t at = s.rawPtr + delta;
            if (at >= size_) return false;
            offset = static_cast<size_t>(at);
            available = static_cast<size_t>(std::min<uint64_t>(s.rawSize - delta, size_ - at));
            return true;
        }
        const uint64_t headers = std::min<uint64_t>(sizeOfHeaders_, size_);
        if (rva >= headers) return false;
        offset = static_cast<size_t>(rva);
        available = static_cast<size_t>(headers - rva);
        return true;
    }

    bool Read16(uint64_t rva, uint16_t& value) const {
        size_t at, available;
        if (!Locate(rva, at, available) || available < 2) return false;
        value = Get16(data_ + at);
        return true;
    }

    bool Read32(uint64_t rva, uint32_t& value) const {
        size_t at, available;
        if (!Locate(rva, at, available) || available < 4) return false;
        value = Get32(data_ + at);
        return true;
    }

    // The zero-terminated text at rva, or empty when it does not end inside the image.
    std::string ReadName(uint32_t rva, size_t& budget) const {
        size_t at, available;
        if (!Locate(rva, at, available)) return std::string();
        // A plain loop: names are short, and some C libraries' memchr costs more per call
        // than the whole scan of a typical name.
        const uint8_t* text = data_ + at;
        const size_t scan = std::min(available, budget);
        size_t length = 0;
        while (length < scan && text[length] != 0)
            ++length;
        if (length == scan) {
            budget -= scan;
            return std::string();
        }
        budget -= length + 1;
        return std::string(reinterpret_cast<const char*>(text), length);
    }

    const uint8_t* data() const { return data_; }

  private:
    const uint8_t* data_;
    size_t size_;
    ImageLayout layout_;
    uint32_t sizeOfImage_ = 0;
    uint32_t sizeOfHeaders_ = 0;
    uint32_t exportRva_ = 0;
    uint32_t exportSize_ = 0;
    uint64_t extent_ = 0; // addresses below this lie inside the image
    std::vector<Section> sections_;
};

} // namespace

bool IsPeImage(const uint8_t* image, size_t size, ImageLayout layout) {
    PeView view(image, size, layout);
    return view.ReadHeaders();
}

std::vector<ExportEntry> WalkExports(const uint8_t* image, size_t size, ImageLayout layout) {
    std::vector<ExportEntry> result;
    PeView view(image, size, layout);
    if (!view.ReadHeaders() || view.exportRva() == 0) return result;

    size_t dirAt, dirAvailable;
    if (!view.Locate(view.exportRva(), dirAt, dirAvailable) || dirAvailable < kExportDirectorySize)
        return result;
    const uint8_t* dir = view.data() + dirAt;
    const uint32_t functionCount = Get32(dir + 0x14);
    const uint32_t nameCount = Get32(dir + 0x18);
    const uint64_t functions = Get32(dir + 0x1C);
    const uint64_t names = Get32(dir + 0x20);
    const uint64_t ordinals = Get32(dir + 0x24);
    const uint64_t forwardStart = view.exportRva();
    const uint64_t forwardEnd = forwardStart + view.exportSize();

    // Ordinals are 16 bits wide, and a genuine name pointer table takes four bytes of its own
    // per entry, so no real image names more exports than either bound allows. A crafted count,
    // read over sections that share file bytes or over a large zero-filled section, is cut
    // there: the list stays small whatever the image claims.
    const uint64_t maxNames =
        std::min<uint64_t>(nameCount, std::min<uint64_t>(size / 4, kMaxExportNames));
    size_t tableAt, tableAvailable;
    if (view.Locate(names, tableAt, tableAvailable))
        result.reserve(static_cast<size_t>(std::min<uint64_t>(maxNames, tableAvailable / 4)));
    size_t budget = kNameScanBudget;
    for (uint64_t i = 0; i < maxNames; ++i) {
        uint32_t nameRva;
        if (!view.Read32(names + 4 * i, nameRva)) break;
        ExportEntry entry;
        entry.name = view.ReadName(nameRva, budget);
        uint16_t ordinal;
        uint32_t rva;
        if (view.Read16(ordinals + 2 * i, ordinal) && ordinal < functionCount &&
            view.Read32(functions + 4 * static_cast<uint64_t>(ordinal), rva) && rva != 0 &&
            view.InImage(rva)) {
            entry.rva = rva;
            entry.valid = true;
            entry.forwarded = rva >= forwardStart && rva < forwardEnd;
        }
        result.push_back(std::move(entry));
    }
    return result;
}
