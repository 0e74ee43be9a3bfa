#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "exports/export_walk.h"
#include "pe_test_image.h"

using namespace pe_test;

namespace {

// exportlib.def sorted by byte value: capitals, then '_', then small letters. ByOrdinalOnly has
// no name and must not appear.
const std::vector<std::string> FixtureNames = {"Beta", "DataItem", "FwdSleep", "Mid_Value",
                                               "Zeta", "_under",   "alpha"};

std::vector<ExportEntry> Walk(const std::vector<uint8_t>& bytes, ImageLayout layout,
                              size_t size = SIZE_MAX) {
    return WalkExports(bytes.data(), std::min(size, bytes.size()), layout);
}

void ExpectSame(const std::vector<ExportEntry>& a, const std::vector<ExportEntry>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].name, b[i].name) << i;
        EXPECT_EQ(a[i].valid, b[i].valid) << i;
        EXPECT_EQ(a[i].rva, b[i].rva) << i;
        EXPECT_EQ(a[i].forwarded, b[i].forwarded) << i;
    }
}

// A walk over damaged bytes may lose names or addresses but never invents different ones.
void ExpectSubsetOf(const std::vector<ExportEntry>& part, const std::vector<ExportEntry>& full,
                    const std::string& where) {
    ASSERT_LE(part.size(), full.size()) << where;
    for (size_t i = 0; i < part.size(); ++i) {
        if (!part[i].name.empty()) {
            EXPECT_EQ(part[i].name, full[i].name) << where << " #" << i;
        }
        if (part[i].valid) {
            EXPECT_EQ(part[i].rva, full[i].rva) << where << " #" << i;
            EXPECT_EQ(part[i].forwarded, full[i].forwarded) << where << " #" << i;
        } else {
            EXPECT_EQ(part[i].rva, 0u) << where << " #" << i;
        }
    }
}

const char* LayoutName(ImageLayout l) {
    return l == ImageLayout::File ? "file" : "mapped";
}

class ExportFixture : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(FixturesBuilt) << "needs the fixtures, which the MinGW C compilers build";
        file = ReadFile(FixturePath(GetParam()));
        ASSERT_FALSE(file.empty()) << "fixture missing: " << GetParam();
        image = MapLikeLoader(file);
        headers = ParseHeaders(file);
    }
    const std::vector<uint8_t>& Bytes(ImageLayout l) const {
        return l == ImageLayout::File ? file : image;
    }
    // Offset of an export-directory field in the mapped image.
    size_t DirField(size_t offset) const { return Get32(file, headers.dataDirectory) + offset; }

    std::vector<uint8_t> file, image;
    Headers headers;
};

TEST_P(ExportFixture, BothLayoutsListTheNamedExportsInTableOrder) {
    const auto fromFile = Walk(file, ImageLayout::File);
    EXPECT_EQ(Names(fromFile), FixtureNames);
    ExpectSame(Walk(image, ImageLayout::Mapped), fromFile);
    EXPECT_TRUE(IsPeImage(file.data(), file.size(), ImageLayout::File));
    EXPECT_TRUE(IsPeImage(image.data(), image.size(), ImageLayout::Mapped));
}

TEST_P(ExportFixture, AddressesLeadToTheExportedItems) {
    const auto entries = Walk(image, ImageLayout::Mapped);
    ASSERT_EQ(entries.size(), FixtureNames.size());

    const ExportEntry* data = Find(entries, "DataItem");
    ASSERT_TRUE(data && data->valid);
    EXPECT_EQ(Get32(image, data->rva), 42u);

    // A forwarder keeps the address of its text inside the export directory.
    const ExportEntry* fwd = Find(entries, "FwdSleep");
    ASSERT_TRUE(fwd && fwd->valid);
    EXPECT_TRUE(fwd->forwarded);
    EXPECT_STREQ(reinterpret_cast<const char*>(image.data() + fwd->rva), "kernel32.Sleep");

    const SectionInfo* text = nullptr;
    for (const SectionInfo& s : headers.sections)
        if (s.name == ".text") text = &s;
    ASSERT_NE(text, nullptr);
    std::vector<uint32_t> seen;
    for (const char* fn : {"Beta", "Mid_Value", "Zeta", "_under", "alpha"}) {
        const ExportEntry* e = Find(entries, fn);
        ASSERT_TRUE(e && e->valid) << fn;
        EXPECT_FALSE(e->forwarded) << fn;
        EXPECT_GE(e->rva, text->va) << fn;
        EXPECT_LT(e->rva, text->va + text->virtualSize) << fn;
        for (uint32_t other : seen)
            EXPECT_NE(e->rva, other) << fn;
        seen.push_back(e->rva);
    }
}

TEST_P(ExportFixture, DamagedTableEntriesGiveEmptyNamesOrNoAddress) {
    const auto good = Walk(image, ImageLayout::Mapped);
    const uint32_t names = Get32(image, DirField(0x20));
    const uint32_t ordinals = Get32(image, DirField(0x24));
    const uint32_t functions = Get32(image, DirField(0x1C));
    const uint32_t functionCount = Get32(image, DirField(0x14));

    const auto functionOf = [&](size_t i) {
        return functions + 4 * Get16(image, ordinals + 2 * i);
    };

    std::vector<uint8_t> bad = image;
    Put16(bad, ordinals + 2 * 1, static_cast<uint16_t>(functionCount)); // past the address table
    Put32(bad, names + 4 * 2, 0xFFFFFFF0u);                             // name outside the image
    Put32(bad, functionOf(3), headers.sizeOfImage + 16);                // address outside the image
    Put32(bad, functionOf(4), 0); // unused slot of the address table
    const auto entries = Walk(bad, ImageLayout::Mapped);
    ASSERT_EQ(entries.size(), good.size());
    EXPECT_EQ(entries[1].name, good[1].name);
    EXPECT_FALSE(entries[1].valid);
    EXPECT_EQ(entries[1].rva, 0u);
    EXPECT_EQ(entries[2].name, "");
    EXPECT_TRUE(entries[2].valid);
    EXPECT_EQ(entries[2].rva, good[2].rva);
    for (size_t i : {3, 4}) {
        EXPECT_EQ(entries[i].name, good[i].name);
        EXPECT_FALSE(entries[i].valid);
        EXPECT_EQ(entries[i].rva, 0u);
    }
    for (size_t i = 5; i < entries.size(); ++i)
        ExpectSame({entries[i]}, {good[i]});

    // A name that runs to the very end of the image is not terminated inside it.
    bad = image;
    std::fill(bad.end() - 8, bad.end(), 'x');
    Put32(bad, names, static_cast<uint32_t>(bad.size() - 8));
    EXPECT_EQ(Walk(bad, ImageLayout::Mapped)[0].name, "");
    bad.back() = 0;
    EXPECT_EQ(Walk(bad, ImageLayout::Mapped)[0].name, "xxxxxxx");

    // An absurd name count is cut where the name pointer table leaves the image.
    bad = image;
    Put32(bad, DirField(0x18), 0xFFFFFFFFu);
    const auto many = Walk(bad, ImageLayout::Mapped);
    ASSERT_GE(many.size(), good.size());
    EXPECT_LE(many.size(), (bad.size() - names) / 4);
    for (size_t i = 0; i < good.size(); ++i)
        EXPECT_EQ(many[i].name, good[i].name);
}

TEST_P(ExportFixture, MissingOrBrokenDirectoryListsNothing) {
    for (ImageLayout layout : {ImageLayout::File, ImageLayout::Mapped}) {
        SCOPED_TRACE(LayoutName(layout));
        const size_t countField = headers.opt + (headers.pe32plus ? 108 : 92);
        std::vector<uint8_t> bad = Bytes(layout);
        Put32(bad, headers.dataDirectory, 0);
        EXPECT_TRUE(Walk(bad, layout).empty());

        bad = Bytes(layout);
        Put32(bad, countField, 0); // no data-directory entries at all
        EXPECT_TRUE(Walk(bad, layout).empty());

        bad = Bytes(layout);
        Put32(bad, headers.dataDirectory, headers.sizeOfImage - 8); // directory cut by the end
        EXPECT_TRUE(Walk(bad, layout).empty());

        bad = Bytes(layout);
        Put16(bad, headers.opt, 0x107); // unknown optional-header magic
        EXPECT_TRUE(Walk(bad, layout).empty());
        EXPECT_FALSE(IsPeImage(bad.data(), bad.size(), layout));
    }
}

// Memory that the loader zero-fills (past a section's raw data) is not taken from the file.
TEST_P(ExportFixture, BothLayoutsAgreeOnMemoryTheFileDoesNotHold) {
    const SectionInfo* bss = SectionNamed(headers, ".bss");
    ASSERT_NE(bss, nullptr);
    ASSERT_EQ(bss->rawSize, 0u);
    const uint32_t names = Get32(image, DirField(0x20));
    const SectionInfo* edata = SectionOf(headers, names);
    ASSERT_NE(edata, nullptr);
    std::vector<uint8_t> f = file, m = image;
    Put32(f, edata->rawPtr + (names - edata->va), bss->va + 4);
    Put32(m, names, bss->va + 4);
    const auto fromFile = Walk(f, ImageLayout::File);
    ExpectSame(fromFile, Walk(m, ImageLayout::Mapped));
    ASSERT_FALSE(fromFile.empty());
    EXPECT_EQ(fromFile[0].name, "");
}

// Cuts through the headers and the export section at every byte, elsewhere at a stride: nothing
// is read beyond the cut (ASan watches) and what is still listed agrees with the whole image.
TEST_P(ExportFixture, TruncatedCopiesAreReadSafelyAndConsistently) {
    const SectionInfo* edata = SectionOf(headers, Get32(file, headers.dataDirectory));
    ASSERT_NE(edata, nullptr);
    for (ImageLayout layout : {ImageLayout::File, ImageLayout::Mapped}) {
        const std::vector<uint8_t>& whole = Bytes(layout);
        const auto full = Walk(whole, layout);
        const size_t tableStart = layout == ImageLayout::File ? edata->rawPtr : edata->va;
        const size_t tableEnd = tableStart + edata->rawSize + 1;
        size_t nonEmpty = 0;
        for (size_t cut = 0; cut <= whole.size();
             cut +=
             (cut < headers.sizeOfHeaders || (cut >= tableStart && cut < tableEnd)) ? 1 : 29) {
            // A copy of exactly the cut length, so that ASan sees any read past it.
            const std::vector<uint8_t> part(whole.begin(), whole.begin() + cut);
            const auto entries = Walk(part, layout);
            ExpectSubsetOf(entries, full,
                           std::string(LayoutName(layout)) + " cut " + std::to_string(cut));
            if (!entries.empty()) ++nonEmpty;
            if (HasFailure()) return;
        }
        EXPECT_GT(nonEmpty, 0u);
    }
}

// One flipped bit at every position: never a fault, the same result on a second walk, and bytes
// of the code section never change what is listed.
TEST_P(ExportFixture, FlippedBitsNeverFault) {
    const SectionInfo* text = nullptr;
    for (const SectionInfo& s : headers.sections)
        if (s.name == ".text") text = &s;
    ASSERT_NE(text, nullptr);
    for (ImageLayout layout : {ImageLayout::File, ImageLayout::Mapped}) {
        const std::vector<uint8_t>& whole = Bytes(layout);
        const auto full = Walk(whole, layout);
        const size_t codeStart = layout == ImageLayout::File ? text->rawPtr : text->va;
        const size_t codeEnd = codeStart + std::min(text->rawSize, text->virtualSize);
        std::vector<uint8_t> bytes = whole;
        size_t changed = 0;
        for (size_t at = 0; at < bytes.size(); ++at) {
            const uint8_t mask = static_cast<uint8_t>(1u << ((at * 5) % 8));
            bytes[at] ^= mask;
            const auto first = Walk(bytes, layout);
            const auto second = Walk(bytes, layout);
            ExpectSame(first, second);
            EXPECT_LE(first.size(), std::min(bytes.size() / 4, kMaxExportNames));
            if (at >= codeStart && at < codeEnd) ExpectSame(first, full);
            if (first.size() != full.size() || Names(first) != Names(full)) ++changed;
            bytes[at] ^= mask;
            if (HasFailure()) {
                ADD_FAILURE() << LayoutName(layout) << " flip at " << at;
                return;
            }
        }
        // The flips did reach the tables: some of them changed the listing.
        EXPECT_GT(changed, 0u) << LayoutName(layout);
    }
}

INSTANTIATE_TEST_SUITE_P(BothArchitectures, ExportFixture,
                         ::testing::Values("exportlib64.dll", "exportlib32.dll"));

TEST(ExportWalk, Pe32AndPe32PlusGiveTheSameListing) {
    ASSERT_TRUE(FixturesBuilt) << "needs the fixtures, which the MinGW C compilers build";
    const auto file64 = ReadFile(FixturePath("exportlib64.dll"));
    const auto file32 = ReadFile(FixturePath("exportlib32.dll"));
    ASSERT_FALSE(file64.empty());
    ASSERT_FALSE(file32.empty());
    EXPECT_TRUE(ParseHeaders(file64).pe32plus);
    EXPECT_FALSE(ParseHeaders(file32).pe32plus);
    const auto a = Walk(file64, ImageLayout::File);
    const auto b = Walk(file32, ImageLayout::File);
    EXPECT_EQ(Names(a), Names(b));
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(a[i].valid && b[i].valid) << a[i].name;
        EXPECT_EQ(a[i].forwarded, b[i].forwarded) << a[i].name;
    }
}

TEST(ExportWalk, ExecutableWithoutExportsListsNothing) {
    ASSERT_TRUE(FixturesBuilt) << "needs the fixtures, which the MinGW C compilers build";
    const auto file = ReadFile(FixturePath("noexports64.exe"));
    ASSERT_FALSE(file.empty());
    const auto image = MapLikeLoader(file);
    EXPECT_TRUE(IsPeImage(file.data(), file.size(), ImageLayout::File));
    EXPECT_TRUE(Walk(file, ImageLayout::File).empty());
    EXPECT_TRUE(Walk(image, ImageLayout::Mapped).empty());
}

TEST(ExportWalk, BytesThatAreNoImageListNothing) {
    const std::string text = "MZ this is not a portable executable, just text.";
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    std::vector<uint8_t> ntOutside(0x40, 0);
    ntOutside[0] = 'M';
    ntOutside[1] = 'Z';
    Put32(ntOutside, 0x3C, 0xFFFFFFF0u);
    for (ImageLayout layout : {ImageLayout::File, ImageLayout::Mapped}) {
        EXPECT_TRUE(WalkExports(nullptr, 100, layout).empty());
        EXPECT_FALSE(IsPeImage(nullptr, 100, layout));
        EXPECT_TRUE(Walk(bytes, layout).empty());
        EXPECT_FALSE(IsPeImage(bytes.data(), bytes.size(), layout));
        EXPECT_TRUE(Walk(ntOutside, layout).empty());
        EXPECT_FALSE(IsPeImage(ntOutside.data(), ntOutside.size(), layout));
    }
}

// Many name pointers aimed at one very long name: the walk bounds the bytes it copies instead of
// copying the long name for every entry.
TEST(ExportWalk, NamesSharingOneHugeTextStayBounded) {
    ASSERT_TRUE(FixturesBuilt) << "needs the fixtures, which the MinGW C compilers build";
    const auto file = ReadFile(FixturePath("exportlib64.dll"));
    ASSERT_FALSE(file.empty());
    std::vector<uint8_t> image = MapLikeLoader(file);
    const Headers h = ParseHeaders(file);
    const size_t dir = Get32(file, h.dataDirectory);

    const size_t count = kMaxExportNames;
    const size_t longName = 1u << 20;
    const size_t table = (image.size() + 15) & ~size_t(15);
    const size_t text = table + 4 * count;
    image.resize(text + longName + 1, 'n');
    image.back() = 0;
    for (size_t i = 0; i < count; ++i)
        Put32(image, table + 4 * i, static_cast<uint32_t>(text));
    Put32(image, h.opt + 56, static_cast<uint32_t>(image.size()));
    Put32(image, dir + 0x18, static_cast<uint32_t>(count));
    Put32(image, dir + 0x20, static_cast<uint32_t>(table));

    const auto entries = Walk(image, ImageLayout::Mapped);
    ASSERT_EQ(entries.size(), count);
    EXPECT_EQ(entries[0].name.size(), longName);
    size_t total = 0;
    for (const ExportEntry& e : entries)
        total += e.name.size();
    EXPECT_LE(total, size_t(64) << 20);
    EXPECT_TRUE(entries.back().name.empty());
}

// A crafted file whose sections all take the same file bytes: the name pointer table would go
// on through every one of them, listing far more names than the file has room for.
TEST(ExportWalk, SectionsSharingFileBytesCannotStretchTheTable) {
    const size_t shared = 0x1000, sections = 60;
    std::vector<uint8_t> file(2 * shared, 0);
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, 0x40);
    std::memcpy(file.data() + 0x40, "PE\0\0", 4);
    const size_t opt = 0x40 + 24;
    Put16(file, 0x40 + 6, sections);
    Put16(file, 0x40 + 20, 240);
    Put16(file, opt, 0x20b);
    Put32(file, opt + 56, static_cast<uint32_t>(shared * (sections + 1))); // size of image
    Put32(file, opt + 60, static_cast<uint32_t>(shared));                  // size of headers
    Put32(file, opt + 108, 16);
    Put32(file, opt + 112, static_cast<uint32_t>(shared)); // export directory at the first section
    Put32(file, opt + 116, 0x40);
    for (size_t i = 0; i < sections; ++i) {
        const size_t h = opt + 240 + 40 * i;
        Put32(file, h + 8, static_cast<uint32_t>(shared));            // virtual size
        Put32(file, h + 12, static_cast<uint32_t>(shared * (i + 1))); // virtual address
        Put32(file, h + 16, static_cast<uint32_t>(shared));           // raw size
        Put32(file, h + 20, static_cast<uint32_t>(shared));           // raw data: the same for all
    }
    const size_t raw = shared;
    Put32(file, raw + 0x14, 1);                                    // functions
    Put32(file, raw + 0x18, 0xFFFFFFFFu);                          // names
    Put32(file, raw + 0x1C, static_cast<uint32_t>(shared + 0x28)); // address table
    Put32(file, raw + 0x20, static_cast<uint32_t>(shared + 0x40)); // name pointers
    Put32(file, raw + 0x24, static_cast<uint32_t>(shared + 0x30)); // ordinals (0)
    Put32(file, raw + 0x28, static_cast<uint32_t>(shared + 0x38)); // the function
    std::memcpy(file.data() + raw + 0x38, "N", 2);
    for (size_t at = raw + 0x40; at < file.size(); at += 4)
        Put32(file, at, static_cast<uint32_t>(shared + 0x38));

    const auto entries = Walk(file, ImageLayout::File);
    ASSERT_GT(entries.size(), 100u);
    EXPECT_LE(entries.size(), std::min(file.size() / 4, kMaxExportNames));
    EXPECT_EQ(entries.front().name, "N");
    EXPECT_EQ(entries[1].name, "N");
}

// A directory that claims 0xFFFFFFFF names over a mapped image with megabytes of zeros lists, and
// reserves room for, no more names than there are ordinals.
TEST(ExportWalk, AbsurdNameCountOverAZeroFilledImageStopsAtTheOrdinalSpace) {
    const auto entries = Walk(MapLikeLoader(EndlessNamesDll()), ImageLayout::Mapped);
    ASSERT_EQ(entries.size(), kMaxExportNames);
    EXPECT_LE(entries.capacity(), kMaxExportNames);
    EXPECT_EQ(entries.front().name, "MZ"); // every pointer is 0: the text at the image's start
}

// The fuzzer's seeds in the loader's layout are MapLikeLoader's copies of its file seeds: one that
// is missing or differs is written anew and fails the test, to be committed. Both layouts of each
// seed list the same exports.
TEST(ExportWalk, LoaderLayoutFuzzSeedsAreTheirFileSeedsMapped) {
    const std::string corpus = MORVANE_SOURCE_DIR "/tests/fuzz/corpus/exports_fuzz/";
    for (const std::string name : {"tiny64.dll", "exportlib64.dll", "exportlib32.dll"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> file = ReadFile(corpus + name);
        ASSERT_FALSE(file.empty());
        const std::vector<uint8_t> image = MapLikeLoader(file);
        if (ReadFile(corpus + "mapped_" + name) != image) {
            std::ofstream(corpus + "mapped_" + name, std::ios::binary)
                .write(reinterpret_cast<const char*>(image.data()), image.size());
            ADD_FAILURE() << "mapped_" << name << " was stale and is written anew";
        }
        const auto entries = Walk(file, ImageLayout::File);
        EXPECT_FALSE(entries.empty());
        ExpectSame(Walk(image, ImageLayout::Mapped), entries);
    }
}

// Timing for the record; run with --gtest_also_run_disabled_tests.
TEST(ExportWalkBenchmark, DISABLED_LargeExportTable) {
    ASSERT_TRUE(FixturesBuilt) << "needs the fixtures, which the MinGW C compilers build";
    const auto file = ReadFile(FixturePath("bigexports64.dll"));
    ASSERT_FALSE(file.empty());
    const auto image = MapLikeLoader(file);
    for (ImageLayout layout : {ImageLayout::File, ImageLayout::Mapped}) {
        const std::vector<uint8_t>& bytes = layout == ImageLayout::File ? file : image;
        const int rounds = 200;
        size_t listed = 0;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < rounds; ++i)
            listed = Walk(bytes, layout).size();
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        EXPECT_EQ(listed, 1500u);
        std::printf("%s layout: %zu exports in %.1f us per walk\n", LayoutName(layout), listed,
                    took.count() / rounds);
    }
}

} // namespace
