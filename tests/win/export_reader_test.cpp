#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "base/ansi_text_win.h"
#include "exports/export_reader.h"
#include "native/pe_test_image.h"
#include "win/test_support.h"

namespace {

using pe_test::Find;
using pe_test::Names;
using testsupport::ExeFolder;
using testsupport::Exists;

// The MinGW-built fixtures of the build tree, beside bin\.
std::string FixturePath(const char* name) {
    return ExeFolder() + "..\\fixtures\\" + name;
}

bool ProbeRan() {
    return GetEnvironmentVariableA("MORVANE_PROBE_ATTACHED", nullptr, 0) != 0;
}

TEST(ExportLibrary, LoadedSystemLibraryIsReadInPlace) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(kernel, path, MAX_PATH), 0u);

    for (const std::string& name : {std::string("kernel32.dll"), std::string(path)}) {
        SCOPED_TRACE(name);
        ExportLibrary lib;
        ASSERT_TRUE(lib.Open(WideText(name)));
        EXPECT_TRUE(lib.inPlace());
        EXPECT_EQ(lib.layout(), ImageLayout::Mapped);
        EXPECT_EQ(lib.base(), reinterpret_cast<uintptr_t>(kernel));
        const auto entries = lib.Exports();
        EXPECT_GT(entries.size(), 500u);

        // Every export that is not forwarded lies exactly where GetProcAddress finds it. A name
        // whose address the loaded image leaves at 0 (Wine's 32-bit kernel32 has one) is found
        // by neither.
        size_t direct = 0;
        for (const ExportEntry& e : entries) {
            ASSERT_FALSE(e.name.empty());
            if (!e.valid) {
                EXPECT_EQ(GetProcAddress(kernel, e.name.c_str()), nullptr) << e.name;
                continue;
            }
            if (e.forwarded) {
                const char* text = reinterpret_cast<const char*>(lib.Address(e));
                EXPECT_NE(std::strchr(text, '.'), nullptr) << e.name;
                continue;
            }
            EXPECT_EQ(lib.Address(e),
                      reinterpret_cast<uintptr_t>(GetProcAddress(kernel, e.name.c_str())))
                << e.name;
            ++direct;
        }
        EXPECT_GT(direct, 100u);
    }
    // That the reference taken for reading is given back shows only on a library that can be
    // unloaded: see the probe library below.
}

TEST(ExportLibrary, ReadingALibraryRunsNoneOfItsCode) {
    const std::string probe = ExeFolder() + "dllmain_probe.dll";
    ASSERT_TRUE(Exists(probe));
    ASSERT_EQ(GetModuleHandleA("dllmain_probe.dll"), nullptr);
    SetEnvironmentVariableA("MORVANE_PROBE_ATTACHED", nullptr);
    const std::vector<std::string> expected = {"ProbeOne", "ProbeThree", "ProbeTwo"};

    uintptr_t mappedBase = 0;
    {
        ExportLibrary lib;
        ASSERT_TRUE(lib.Open(WideText(probe)));
        EXPECT_FALSE(lib.inPlace());
        mappedBase = lib.base();
        EXPECT_NE(mappedBase, 0u);
        EXPECT_EQ(Names(lib.Exports()), expected);
        EXPECT_FALSE(ProbeRan());
        // Mapped for reading, not loaded: the loader does not hand it out as a module.
        EXPECT_EQ(GetModuleHandleA("dllmain_probe.dll"), nullptr);
    }
    EXPECT_FALSE(ProbeRan());
    // The view is gone. A 32-bit process under Wine keeps the address space reserved, so the
    // region may be free or part of another allocation, but no longer this image.
    MEMORY_BASIC_INFORMATION m;
    ASSERT_NE(VirtualQuery(reinterpret_cast<void*>(mappedBase), &m, sizeof m), 0u);
    EXPECT_NE(m.Type, static_cast<DWORD>(MEM_IMAGE)) << "the mapping outlived the library";
    EXPECT_NE(reinterpret_cast<uintptr_t>(m.AllocationBase), mappedBase);

    // The probe does mark the process when it is really loaded, so the checks above can fail.
    const HMODULE loaded = LoadLibraryA(probe.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(ProbeRan());
    SetEnvironmentVariableA("MORVANE_PROBE_ATTACHED", nullptr);

    for (const std::string& name : {probe, std::string("dllmain_probe.dll")}) {
        SCOPED_TRACE(name);
        ExportLibrary lib;
        ASSERT_TRUE(lib.Open(WideText(name)));
        EXPECT_TRUE(lib.inPlace());
        EXPECT_EQ(lib.base(), reinterpret_cast<uintptr_t>(loaded));
        const auto entries = lib.Exports();
        EXPECT_EQ(Names(entries), expected);
        for (const ExportEntry& e : entries)
            EXPECT_EQ(lib.Address(e),
                      reinterpret_cast<uintptr_t>(GetProcAddress(loaded, e.name.c_str())));
    }

    // A same-named file in another folder is not the loaded module: it is mapped on its own.
    const testsupport::TempFolder folder;
    const std::string copy = folder.Path() + "\\dllmain_probe.dll";
    ASSERT_TRUE(CopyFileA(probe.c_str(), copy.c_str(), FALSE));
    {
        ExportLibrary lib;
        ASSERT_TRUE(lib.Open(WideText(copy)));
        EXPECT_FALSE(lib.inPlace());
        EXPECT_NE(lib.base(), reinterpret_cast<uintptr_t>(loaded));
        EXPECT_EQ(Names(lib.Exports()), expected);
    }
    EXPECT_FALSE(ProbeRan());
    EXPECT_TRUE(FreeLibrary(loaded));
    // Our references are all given back: the one load above was the last.
    EXPECT_EQ(GetModuleHandleA("dllmain_probe.dll"), nullptr);
}

// Both formats map with their sections at their relative addresses, whatever this process is.
TEST(ExportLibrary, FixtureLibrariesOfBothArchitecturesAreMappedAsImages) {
    for (const char* fixture : {"exportlib64.dll", "exportlib32.dll"}) {
        SCOPED_TRACE(fixture);
        const std::string path = FixturePath(fixture);
        ASSERT_TRUE(Exists(path)) << "needs the fixtures, which the MinGW C compilers build";
        ExportLibrary lib;
        ASSERT_TRUE(lib.Open(WideText(path)));
        EXPECT_FALSE(lib.inPlace());
        EXPECT_EQ(lib.layout(), ImageLayout::Mapped);
        const auto entries = lib.Exports();
        EXPECT_EQ(Names(entries),
                  (std::vector<std::string>{"Beta", "DataItem", "FwdSleep", "Mid_Value", "Zeta",
                                            "_under", "alpha"}));
        const ExportEntry* data = Find(entries, "DataItem");
        ASSERT_TRUE(data && data->valid);
        EXPECT_EQ(*reinterpret_cast<const int*>(lib.Address(*data)), 42);
        const ExportEntry* fwd = Find(entries, "FwdSleep");
        ASSERT_TRUE(fwd && fwd->forwarded);
        EXPECT_STREQ(reinterpret_cast<const char*>(lib.Address(*fwd)), "kernel32.Sleep");
    }
}

TEST(ExportLibrary, FilesThatCannotBeMappedFailToOpen) {
    ExportLibrary lib;
    EXPECT_FALSE(lib.Open(WideText("")));
    EXPECT_FALSE(lib.Open(WideText(ExeFolder() + "no_such_library.dll")));
    EXPECT_FALSE(lib.Open(WideText("C:\\no\\such\\folder\\kernel32.dll")));
    EXPECT_FALSE(lib.isOpen());
    EXPECT_EQ(lib.base(), 0u);
    EXPECT_TRUE(lib.Exports().empty());

    const testsupport::TempFolder folder;
    const std::string text = folder.Path() + "\\notes.dll";
    FILE* f = std::fopen(text.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("MZ but only text follows, no headers of an image.\r\n", f);
    std::fclose(f);
    EXPECT_FALSE(lib.Open(WideText(text)));
}

TEST(ExportLibrary, ReopeningReleasesTheFormerLibrary) {
    const std::string noExports = FixturePath("noexports64.exe");
    ASSERT_TRUE(Exists(noExports)) << "needs the fixtures, which the MinGW C compilers build";
    ExportLibrary lib;
    ASSERT_TRUE(lib.Open(WideText(noExports)));
    EXPECT_TRUE(lib.Exports().empty());
    const uintptr_t first = lib.base();

    ASSERT_TRUE(lib.Open(WideText("kernel32.dll")));
    EXPECT_EQ(lib.base(), reinterpret_cast<uintptr_t>(GetModuleHandleA("kernel32.dll")));
    MEMORY_BASIC_INFORMATION m;
    ASSERT_NE(VirtualQuery(reinterpret_cast<void*>(first), &m, sizeof m), 0u);
    EXPECT_EQ(m.State, static_cast<DWORD>(MEM_FREE));

    EXPECT_FALSE(lib.Open(WideText(FixturePath("missing.dll"))));
    EXPECT_FALSE(lib.isOpen());
    lib.Close();
    EXPECT_EQ(lib.base(), 0u);
}

// Timing for the record; run with --gtest_also_run_disabled_tests.
TEST(ExportLibraryBenchmark, DISABLED_OpenListAndClose) {
    struct Case {
        std::string path;
        size_t minimum;
    };
    const Case cases[] = {{FixturePath("bigexports64.dll"), 1500}, {"ntdll.dll", 1000}};
    for (const Case& c : cases) {
        if (!Exists(c.path) && c.path.find('\\') != std::string::npos) continue;
        const int rounds = 200;
        size_t listed = 0;
        bool inPlace = false;
        std::chrono::duration<double, std::micro> listing{0};
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < rounds; ++i) {
            ExportLibrary lib;
            ASSERT_TRUE(lib.Open(WideText(c.path)));
            inPlace = lib.inPlace();
            const auto walkStart = std::chrono::steady_clock::now();
            listed = lib.Exports().size();
            listing += std::chrono::steady_clock::now() - walkStart;
        }
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        EXPECT_GE(listed, c.minimum);
        std::printf("%s (%s): %zu exports, %.1f us per open + list + close, of which %.1f us "
                    "listing\n",
                    c.path.c_str(), inPlace ? "in place" : "mapped", listed, took.count() / rounds,
                    listing.count() / rounds);
    }
}

} // namespace
