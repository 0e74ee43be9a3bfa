// What Explorer and the loader see of the built program files: version block, icon, no manifest.
#include <gtest/gtest.h>

#include <cstdlib>
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
    IconDirEntry entries[1];
};
#pragma pack(pop)

} // namespace

TEST(ProgramFile, VersionBlockIconAndNoManifest) {
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
        ASSERT_EQ(dir->count, 1);
        EXPECT_EQ(dir->entries[0].width, 32);
        EXPECT_EQ(dir->entries[0].height, 32);
        EXPECT_EQ(dir->entries[0].bitCount, 24);
        // Without a manifest the controls keep their classic look.
        EXPECT_EQ(FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)), nullptr);
        FreeLibrary(image);
    }
}
