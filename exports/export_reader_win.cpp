#include "exports/export_reader.h"

#include <windows.h>

#include <utility>

#include "base/whole_file_win.h"

#ifndef LOAD_LIBRARY_AS_IMAGE_RESOURCE
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#endif

namespace {

bool HasFolder(const std::wstring& path) {
    return path.find_first_of(L"\\/:") != std::wstring::npos;
}

std::wstring ModulePath(HMODULE module) {
    std::wstring buffer(0x8000, L'\0');
    const DWORD n = GetModuleFileNameW(module, &buffer[0], static_cast<DWORD>(buffer.size()));
    buffer.resize(n < buffer.size() ? n : 0);
    return buffer;
}

// A module already in this process that stands for path, with a reference added; none when there
// is none. A bare name takes whichever module the loader would hand out for it; a path must name
// the very file, so that a same-named DLL from another folder is not read in its place.
LoadedModule FindLoaded(const std::wstring& path) {
    HMODULE found = nullptr;
    if (!GetModuleHandleExW(0, path.c_str(), &found)) return LoadedModule();
    LoadedModule module(found);
    if (!HasFolder(path)) return module;
    const std::wstring wanted = FullPathName(path);
    const std::wstring loaded = ModulePath(module.Get());
    if (!wanted.empty() && lstrcmpiW(wanted.c_str(), loaded.c_str()) == 0) return module;
    return LoadedModule(); // the reference taken above goes with `module`
}

bool Readable(const MEMORY_BASIC_INFORMATION& m) {
    return m.State == MEM_COMMIT && !(m.Protect & (PAGE_NOACCESS | PAGE_GUARD));
}

// Bytes readable from base onward within the one mapping that starts there.
size_t ReadableSpan(uintptr_t base) {
    size_t span = 0;
    for (;;) {
        MEMORY_BASIC_INFORMATION m;
        if (!VirtualQuery(reinterpret_cast<const void*>(base + span), &m, sizeof m)) break;
        if (reinterpret_cast<uintptr_t>(m.AllocationBase) != base || !Readable(m)) break;
        const size_t next = reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize - base;
        if (next <= span) break;
        span = next;
    }
    return span;
}

} // namespace

bool ExportLibrary::Open(const std::wstring& path) {
    Close();
    if (path.empty()) return false;

    LoadedModule module = FindLoaded(path);
    const bool inPlace = module.Valid();
    ImageLayout layout = ImageLayout::Mapped;
    if (!inPlace) {
        // Mapped like an image, sections at their relative addresses, but nothing of it runs:
        // no DllMain, no imports resolved.
        module.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        if (!module.Valid() && GetLastError() == ERROR_INVALID_PARAMETER) {
            // Systems before Vista do not know the flag: map the plain file instead.
            module.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
            layout = ImageLayout::File;
        }
    }
    if (!module.Valid()) return false;

    // A handle from a resource or data-file load carries flags in its low bits.
    const uintptr_t base = reinterpret_cast<uintptr_t>(module.Get()) & ~static_cast<uintptr_t>(3);
    const size_t size = ReadableSpan(base);
    if (!IsPeImage(reinterpret_cast<const uint8_t*>(base), size, layout)) return false;
    module_ = std::move(module);
    base_ = base;
    size_ = size;
    layout_ = layout;
    inPlace_ = inPlace;
    return true;
}

void ExportLibrary::Close() {
    module_.Reset();
    base_ = 0;
    size_ = 0;
    layout_ = ImageLayout::Mapped;
    inPlace_ = false;
}

std::vector<ExportEntry> ExportLibrary::Exports() const {
    if (!base_) return {};
    return WalkExports(reinterpret_cast<const uint8_t*>(base_), size_, layout_);
}
