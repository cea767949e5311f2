// Damaged and hostile archives: every one gives a nonzero result, never a
// crash, never a partial or stray file, never a file outside the folder.

#include "archiver/LhaReader.h"
#include "archiver/LhaWriter.h"
#include "lha_test_support.h"

#include <gtest/gtest.h>

#include <set>

using namespace lhatest;

namespace {

const fs::path kGolden = SLIDEWRIGHT_SOURCE_DIR "/tests/data";

const std::map<std::string, Bytes>& originals() {
    static const std::map<std::string, Bytes> files = {
        {"a.txt", textBytes(200)},
        {"b.bin", randomBytes(500, 5)},
        {"c.txt", text("short")},
    };
    return files;
}

// Names and sizes only: a failure must not print whole files.
std::string describe(const std::map<std::string, Bytes>& files) {
    std::string names;
    for (const auto& [name, bytes] : files) {
        names += " " + name + " (" + std::to_string(bytes.size()) + " bytes)";
    }
    return names;
}

// What a damaged extraction may leave: only complete original files, under
// their own names, and no temporary file. A level-1 extended header has no
// checksum of its own, so damage there may go unseen and give a member
// another name; its data is still checked.
void expectOnlyCompleteOriginals(const fs::path& folder, const std::string& context,
                                 bool otherNamesAllowed = false) {
    const auto files = folderContents(folder);
    for (const auto& [name, bytes] : files) {
        const auto original = originals().find(name);
        if (original == originals().end()) {
            ASSERT_TRUE(otherNamesAllowed) << context << ": stray file in" << describe(files);
            ASSERT_EQ(name.find(".unlha-"), std::string::npos) << context;
            continue;
        }
        ASSERT_TRUE(bytes == original->second) << context << ": partial " << name;
    }
}

// Where each member of a level-2 archive starts, and where the end mark is.
std::set<std::size_t> level2Boundaries(const Bytes& archive) {
    std::set<std::size_t> starts;
    std::size_t at = 0;
    while (at < archive.size() && archive[at] != 0) {
        starts.insert(at);
        const auto byte = [&](std::size_t i) { return std::size_t{archive[at + i]}; };
        at += (byte(0) | byte(1) << 8) + (byte(7) | byte(8) << 8 | byte(9) << 16 | byte(10) << 24);
    }
    starts.insert(at);
    return starts;
}

class DamagedArchives : public ArchiverTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        ArchiverTest::SetUp();
        ASSERT_TRUE(packWithJlha(scratch, GetParam(), scratch / "good.lzh", originals()));
        good = readFile(scratch / "good.lzh");
        ASSERT_EQ(lha::ExtractFiles(scratch / "good.lzh", out, "*").status, lha::Status::Ok);
        ASSERT_TRUE(folderContents(out) == originals()) << describe(folderContents(out));
        emptyOut();
    }

    lha::Status extract(const Bytes& archive) {
        return lha::ExtractFilesFromMemory(archive, out, "*").status;
    }
    lha::Status extractFile(const Bytes& archive) {
        writeFile(scratch / "damaged.lzh", archive);
        return lha::ExtractFiles(scratch / "damaged.lzh", out, "*").status;
    }

    char level() const { return GetParam()[1]; }

    Bytes good;
};

TEST_P(DamagedArchives, TruncatedAnywhereFailsOrGivesWholeMembers) {
    const std::set<std::size_t> boundaries = level2Boundaries(good);
    for (std::size_t length = 0; length < good.size(); ++length) {
        const lha::Status status = extractFile(Bytes(good.begin(), good.begin() + length));
        const std::string context = "truncated to " + std::to_string(length);
        // Cut exactly between two members, the rest reads as a shorter
        // archive; anywhere else it must fail.
        if (length < 22 || (level() == '2' && !boundaries.contains(length))) {
            EXPECT_NE(status, lha::Status::Ok) << context;
        }
        expectOnlyCompleteOriginals(out, context);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_P(DamagedArchives, FlippedBitsFailOrChangeNothing) {
    int failures = 0;
    for (std::size_t offset = 0; offset < good.size(); ++offset) {
        const int bit = static_cast<int>(offset % 8);
        Bytes flipped = good;
        flipped[offset] ^= static_cast<std::uint8_t>(1 << bit);
        const lha::Status status = extract(flipped);
        failures += status != lha::Status::Ok;
        const std::string context =
            "bit " + std::to_string(bit) + " of byte " + std::to_string(offset);
        // Some bits do not matter (a block size past the end, padding bits,
        // an extended header's type): then the files are intact.
        if (status == lha::Status::Ok && level() != '1') {
            EXPECT_TRUE(folderContents(out) == originals())
                << context << ":" << describe(folderContents(out));
        }
        expectOnlyCompleteOriginals(out, context, level() == '1' && status == lha::Status::Ok);
        if (HasFatalFailure()) {
            return;
        }
        emptyOut();
    }
    EXPECT_GT(failures, static_cast<int>(good.size()) * 3 / 4);
}

TEST_P(DamagedArchives, FlippedDataBitLeavesTheOldFileAlone) {
    // The last member's data ends just before the end mark.
    Bytes flipped = good;
    flipped[good.size() - 3] ^= 0x10;
    for (const auto& [name, bytes] : originals()) {
        writeFile(out / name, text("earlier " + name));
    }
    EXPECT_EQ(extractFile(flipped), lha::Status::CrcMismatch);
    int unchanged = 0;
    for (const auto& [name, bytes] : folderContents(out)) {
        unchanged += bytes == text("earlier " + name);
        EXPECT_TRUE(bytes == text("earlier " + name) || bytes == originals().at(name)) << name;
    }
    EXPECT_EQ(unchanged, 1);
    EXPECT_EQ(folderContents(out).size(), originals().size());
}

INSTANTIATE_TEST_SUITE_P(Levels, DamagedArchives, ::testing::Values("a0o5q", "a1o7q", "a2o5q"));

class Golden : public ArchiverTest {
protected:
    lha::Status extractGolden(const std::string& archive) {
        return lha::ExtractFiles(kGolden / "lha-damaged" / archive, out, "*").status;
    }
};

TEST_F(Golden, UnreadableArchivesFailWithoutWriting) {
    writeFile(scratch / "empty.lzh", {});
    writeFile(scratch / "text.lzh", text("This is not an archive at all, just some text.\n"));
    writeFile(scratch / "zeros.lzh", Bytes(4096, 0));
    fs::create_directory(scratch / "folder.lzh");
    for (const fs::path& archive : {
             scratch / "missing.lzh",
             scratch / "empty.lzh",
             scratch / "text.lzh",
             scratch / "zeros.lzh",
             scratch / "folder.lzh",
             kGolden / "lha-damaged/late-start.lzh",
         }) {
        EXPECT_NE(lha::ExtractFiles(archive, out, "*").status, lha::Status::Ok) << archive;
    }
    EXPECT_TRUE(folderContents(out).empty());
    EXPECT_FALSE(lha::ListFiles(scratch / "text.lzh").has_value());

    // One end mark alone is an empty archive.
    writeFile(scratch / "end.lzh", Bytes(1, 0));
    EXPECT_EQ(lha::ExtractFiles(scratch / "end.lzh", out, "*").status, lha::Status::Ok);
    EXPECT_EQ(lha::ListFiles(scratch / "end.lzh")->size(), 0u);
}

TEST_F(Golden, AHeaderCrcFailsTheArchiveADataCrcItsMemberOnly) {
    writeFile(out / "x.txt", text("kept"));
    EXPECT_EQ(extractGolden("header-crc.lzh"), lha::Status::DamagedArchive);
    EXPECT_EQ(folderContents(out), (std::map<std::string, Bytes>{{"x.txt", text("kept")}}));

    EXPECT_EQ(extractGolden("data-crc.lzh"), lha::Status::CrcMismatch);
    EXPECT_EQ(folderContents(out),
              (std::map<std::string, Bytes>{{"x.txt", text("kept")}, {"y.txt", text("fine")}}));

    // A header size damaged to zero must not pass for the end mark,
    // silently dropping the members after it.
    EXPECT_NE(extractGolden("zero-size.lzh"), lha::Status::Ok);
}

class HostileNames : public ArchiverTest, public ::testing::WithParamInterface<std::string> {};

// Extracted two folders below the scratch folder, so that names climbing
// one or two levels are seen.
TEST_P(HostileNames, AreRefusedAndNothingLandsOutsideTheFolder) {
    const fs::path deep = out / "deep";
    fs::create_directories(deep);
    const bool etcHadX = fs::exists("/etc/x");
    const fs::path archive = kGolden / "lha-hostile-names" / GetParam();

    for (const std::string pattern : {"*", "*.*", "evil.txt", "b", "x", "\".\"", "\"\""}) {
        const int result = library.run(extractLine(archive, deep, pattern));
        if (pattern == "*" || pattern == "*.*") {
            EXPECT_NE(result, 0) << pattern;
        }
    }
    // The safe member before it still comes out; nothing else does.
    EXPECT_EQ(folderContents(deep), (std::map<std::string, Bytes>{{"safe.txt", text("safe")}}));
    EXPECT_EQ(folderContents(out), (std::map<std::string, Bytes>{{"deep", text("<folder>")}}));
    EXPECT_EQ(folderContents(scratch.path()).size(), 1u);
    EXPECT_EQ(fs::exists("/etc/x"), etcHadX);
}

INSTANTIATE_TEST_SUITE_P(Names, HostileNames,
                         ::testing::Values("parent.lzh", "absolute.lzh", "climbing.lzh", "dot.lzh",
                                           "dot-dot.lzh", "empty-name.lzh", "backslashes.lzh",
                                           "parent-folders.lzh", "absolute-folder.lzh"));

TEST(HostileNames, ASymlinkInTheFolderIsReplacedNotFollowed) {
    TempFolder scratch;
    fs::create_directories(scratch / "src");
    fs::create_directory(scratch / "out");
    writeFile(scratch / "outside.txt", text("outside"));
    writeFile(scratch / "src/x.txt", text("inside"));
    ASSERT_EQ(lha::StoreFile(scratch / "a.lzh", scratch / "src/x.txt"), 0);
    fs::create_symlink("../outside.txt", scratch / "out/x.txt");
    EXPECT_EQ(lha::ExtractFiles(scratch / "a.lzh", scratch / "out", "x.txt").status,
              lha::Status::Ok);
    EXPECT_EQ(readFile(scratch / "outside.txt"), text("outside"));
    EXPECT_FALSE(fs::is_symlink(scratch / "out/x.txt"));
    EXPECT_EQ(readFile(scratch / "out/x.txt"), text("inside"));
}

}  // namespace
