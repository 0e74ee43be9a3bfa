// What Explorer and the loader see of the built program files: version block, icons, manifest.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "win/test_support.h"

#include "morvane_version.h"

namespace {

// The 64-bit exe beside the tests, the 32-bit one and the packaged ones (";"-separated) when
// the test command names them.
std::vector<std::string> ProgramFiles() {
    std::vector<std::string> files = {testsupport::HelperPath("Morvane.exe")};
    if (const char* other = std::getenv("MORVANE_EXE32"))
        if (*other) files.push_back(other);
    if (const char* packaged = std::getenv("MORVANE_PACKAGED_EXES")) {
        std::string list = packaged;
        for (size_t start = 0; start < list.size();) {
            size_t end = list.find(';', start);
            if (end == std::string::npos) end = list.size();
            if (end > start) files.push_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    return files;
}

std::string VersionString(const std::vector<char>& block, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ||
        !value)
        return std::string();
    return std::string(value);
}

#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconDir {
    WORD reserved, type, count;
    IconDirEntry entries[8];
};
#pragma pack(pop)

} // namespace

TEST(ProgramFile, VersionBlockIconsAndManifest) {
    for (const std::string& file : ProgramFiles()) {
        SCOPED_TRACE(file);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, block.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, (MORVANE_VERSION_MAJOR << 16u) | MORVANE_VERSION_MINOR);
        EXPECT_EQ(fixed->dwFileVersionLS, (MORVANE_VERSION_PATCH << 16u) | MORVANE_VERSION_TWEAK);
        EXPECT_EQ(VersionString(block, "FileVersion"), MORVANE_VERSION_DOTTED);
        EXPECT_EQ(VersionString(block, "CompanyName"), "Quillfen");
        EXPECT_EQ(VersionString(block, "FileDescription"), "Morvane");

        HMODULE image = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(image, nullptr);
        HRSRC group =
            FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
        ASSERT_NE(group, nullptr) << "icon 1 missing";
        const IconDir* dir = static_cast<const IconDir*>(LockResource(LoadResource(image, group)));
        ASSERT_NE(dir, nullptr);
        // The 32 x 32 image of 24-bit colour, and one for each size Windows asks for at 100 %
        // to 200 % (the largest a PNG image of 32 bits).
        ASSERT_EQ(dir->count, 8);
        std::vector<int> sizes; // width, height, bits
        for (const IconDirEntry& e : dir->entries)
            sizes.insert(sizes.end(), {e.width, e.height, e.bitCount});
        EXPECT_EQ(sizes, (std::vector<int>{16, 16, 24, 20, 20, 24, 24, 24, 24, 32, 32, 24,
                                           40, 40, 24, 48, 48, 24, 64, 64, 24, 0,  0,  32}));
        HRSRC large = FindResourceA(image, MAKEINTRESOURCEA(dir->entries[7].id),
                                    MAKEINTRESOURCEA(3)); // RT_ICON
        ASSERT_NE(large, nullptr);
        EXPECT_EQ(std::memcmp(LockResource(LoadResource(image, large)), "\x89PNG\r\n\x1a\n", 8), 0);
        // The manifest: the user's own rights, the window's own DPI on every monitor, Windows 7
        // to 11, no Common Controls version, so the controls keep their classic look.
        HRSRC manifest = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        ASSERT_NE(manifest, nullptr) << "no manifest";
        const std::string text(
            static_cast<const char*>(LockResource(LoadResource(image, manifest))),
            SizeofResource(image, manifest));
        for (const char* part :
             {"\"asInvoker\"", ">true/pm<", ">PerMonitorV2, PerMonitor<", "{35138b9a-5d96-4fbd",
              "{4a2f28e3-53b9-4441", "{1f676c76-80e1-4239", "{8e0f7a12-bfb3-4fe8"})
            EXPECT_NE(text.find(part), std::string::npos) << part;
        EXPECT_EQ(text.find("Common-Controls"), std::string::npos);
        FreeLibrary(image);
    }
}
