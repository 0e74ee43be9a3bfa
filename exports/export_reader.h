// Opens a DLL for reading its export table without running any of its code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/owner_win.h"
#include "exports/export_walk.h"

class ExportLibrary {
  public:
    ExportLibrary() = default;
    ExportLibrary(const ExportLibrary&) = delete;
    ExportLibrary& operator=(const ExportLibrary&) = delete;

    // A library already loaded in this process (matched by full path when the argument holds a
    // folder, by name otherwise) is read where it lies; any other file is mapped as an image
    // for reading only. False when the file cannot be mapped. Closes what was open before.
    bool Open(const std::wstring& path);
    void Close();

    bool isOpen() const { return base_ != 0; }
    // The image's address in this process; 0 when nothing is open.
    uintptr_t base() const { return base_; }
    // The library was found loaded and is read in place.
    bool inPlace() const { return inPlace_; }
    ImageLayout layout() const { return layout_; }

    // The named exports, in the order of the image's name pointer table.
    std::vector<ExportEntry> Exports() const;
    // base() + rva for an address inside the image, 0 otherwise.
    uintptr_t Address(const ExportEntry& entry) const {
        return entry.valid ? base_ + entry.rva : 0;
    }

  private:
    LoadedModule module_; // the reference held while the library is open
    uintptr_t base_ = 0;
    size_t size_ = 0;
    ImageLayout layout_ = ImageLayout::Mapped;
    bool inPlace_ = false;
};
