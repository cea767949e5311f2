// Damaged and hostile archives: every one gives a nonzero result, never a
// crash, never a partial or stray file, never a file outside the folder.

#include "archiver/LhaReader.h"
#include "lha_test_support.h"

#include <gtest/gtest.h>

#include <set>

using namespace lhatest;

namespace {

const std::map<std::string, Bytes>& originals() {
    static const std::map<std::string, Bytes> files = {
        {"a.txt", textBytes(200)},
        {"b.bin", randomBytes(500, 5)},
        {"c.txt", "short"},
    };
    return files;
}

// Names and sizes only: a failure must not print whole files.
std::string describe(const std::map<std::string, Bytes>& files) {
    std::string text;
    for (const auto& [name, bytes] : files) {
        text += " " + name + " (" + std::to_string(bytes.size()) + " bytes)";
    }
    return text;
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

void emptyFolder(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        fs::remove_all(entry.path());
    }
}

// Where each member of a level-2 archive starts, and where the end mark is.
std::set<size_t> level2Boundaries(const Bytes& archive) {
    std::set<size_t> starts;
    size_t offset = 0;
    while (offset < archive.size() && archive[offset] != '\0') {
        starts.insert(offset);
        const auto byte = [&](size_t i) { return static_cast<unsigned char>(archive[offset + i]); };
        const size_t headerSize = byte(0) | byte(1) << 8;
        const size_t packed = byte(7) | byte(8) << 8 | byte(9) << 16 | byte(10) << 24;
        offset += headerSize + packed;
    }
    starts.insert(offset);
    return starts;
}

class DamagedArchives : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        fs::create_directory(scratch / "src");
        fs::create_directory(out);
        std::vector<std::string> names;
        for (const auto& [name, bytes] : originals()) {
            writeFile(scratch / "src" / name, bytes);
            names.push_back(name);
        }
        ASSERT_TRUE(runJlha(scratch / "src", GetParam(), scratch / "good.lzh", names));
        good = readFile(scratch / "good.lzh");
        ASSERT_EQ(lha::ExtractFiles(scratch / "good.lzh", out, "*").status, lha::Status::Ok);
        ASSERT_TRUE(folderContents(out) == originals()) << describe(folderContents(out));
        emptyFolder(out);
    }

    lha::Status extract(const Bytes& archive) {
        writeFile(damaged, archive);
        return lha::ExtractFiles(damaged, out, "*").status;
    }

    bool isLevel2() const { return GetParam()[1] == '2'; }

    ScratchFolder scratch;
    fs::path out = scratch / "out";
    fs::path damaged = scratch / "damaged.lzh";
    Bytes good;
};

TEST_P(DamagedArchives, TruncatedAnywhereFailsOrGivesWholeMembers) {
    const std::set<size_t> boundaries = level2Boundaries(good);
    for (size_t length = 0; length < good.size(); ++length) {
        const lha::Status status = extract(good.substr(0, length));
        const std::string context = "truncated to " + std::to_string(length);
        // Cut exactly between two members, the rest reads as a shorter
        // archive; anywhere else it must fail.
        if (isLevel2() && !boundaries.contains(length)) {
            EXPECT_NE(status, lha::Status::Ok) << context;
        }
        if (length < 22) {
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
    for (size_t offset = 0; offset < good.size(); ++offset) {
        for (size_t bit : {offset % 8}) {
            Bytes flipped = good;
            flipped[offset] = static_cast<char>(flipped[offset] ^ (1 << bit));
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(flipped.data());
            const lha::Status status =
                lha::ExtractFilesFromMemory({bytes, flipped.size()}, out, "*").status;
            failures += status != lha::Status::Ok;
            const std::string context =
                "bit " + std::to_string(bit) + " of byte " + std::to_string(offset);
            // Some bits do not matter (a block size past the end, padding
            // bits, an extended header's type): then the files are intact.
            const bool level1 = GetParam()[1] == '1';
            if (status == lha::Status::Ok && !level1) {
                EXPECT_TRUE(folderContents(out) == originals())
                    << context << ":" << describe(folderContents(out));
            }
            expectOnlyCompleteOriginals(out, context, level1 && status == lha::Status::Ok);
            if (HasFatalFailure()) {
                return;
            }
            emptyFolder(out);
        }
    }
    EXPECT_GT(failures, static_cast<int>(good.size()) * 3 / 4);
}

TEST_P(DamagedArchives, FlippedDataBitLeavesTheOldFileAlone) {
    // The last member's data ends just before the end mark.
    Bytes flipped = good;
    flipped[good.size() - 3] = static_cast<char>(flipped[good.size() - 3] ^ 0x10);
    for (const auto& [name, bytes] : originals()) {
        writeFile(out / name, "earlier " + name);
    }
    EXPECT_EQ(extract(flipped), lha::Status::CrcMismatch);
    int unchanged = 0;
    for (const auto& [name, bytes] : folderContents(out)) {
        unchanged += bytes == "earlier " + name;
        EXPECT_TRUE(bytes == "earlier " + name || bytes == originals().at(name)) << name;
    }
    EXPECT_EQ(unchanged, 1);
    EXPECT_EQ(folderContents(out).size(), originals().size());
}

INSTANTIATE_TEST_SUITE_P(Levels, DamagedArchives, ::testing::Values("a0o5q", "a1o7q", "a2o5q"),
                         [](const auto& info) { return "level" + info.param.substr(1, 1); });

TEST(UnreadableArchives, FailWithoutWriting) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "out");
    writeFile(scratch / "empty.lzh", "");
    writeFile(scratch / "text.lzh", "This is not an archive at all, just some text.\n");
    writeFile(scratch / "zeros.lzh", Bytes(4096, '\0'));
    writeFile(scratch / "late.lzh", Bytes(100, 'x') + handArchive({{"x.txt", "", "data"}}));
    fs::create_directory(scratch / "folder.lzh");
    for (const std::string name :
         {"missing.lzh", "empty.lzh", "text.lzh", "zeros.lzh", "late.lzh", "folder.lzh"}) {
        EXPECT_NE(lha::ExtractFiles(scratch / name, scratch / "out", "*").status, lha::Status::Ok)
            << name;
    }
    EXPECT_TRUE(folderContents(scratch / "out").empty());
    EXPECT_FALSE(lha::ListFiles(scratch / "text.lzh").has_value());
}

TEST(UnreadableArchives, OneEndMarkIsAnEmptyArchive) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "out");
    writeFile(scratch / "end.lzh", Bytes(1, '\0'));
    EXPECT_EQ(lha::ExtractFiles(scratch / "end.lzh", scratch / "out", "*").status, lha::Status::Ok);
    EXPECT_EQ(lha::ListFiles(scratch / "end.lzh")->size(), 0u);
}

TEST(WrongCrc, HeaderCrcFailsWholeArchive) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "out");
    writeFile(scratch / "out/x.txt", "kept");
    HandMember member{"x.txt", "", "new data"};
    member.badHeaderCrc = true;
    writeFile(scratch / "bad.lzh", handArchive({member}));
    EXPECT_EQ(lha::ExtractFiles(scratch / "bad.lzh", scratch / "out", "*").status,
              lha::Status::DamagedArchive);
    EXPECT_EQ(folderContents(scratch / "out"), (std::map<std::string, Bytes>{{"x.txt", "kept"}}));
}

TEST(WrongCrc, DataCrcFailsThatMemberOnly) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "out");
    writeFile(scratch / "out/x.txt", "kept");
    HandMember bad{"x.txt", "", "new data"};
    bad.badDataCrc = true;
    writeFile(scratch / "bad.lzh", handArchive({bad, {"y.txt", "", "fine"}}));
    EXPECT_EQ(lha::ExtractFiles(scratch / "bad.lzh", scratch / "out", "*").status,
              lha::Status::CrcMismatch);
    EXPECT_EQ(folderContents(scratch / "out"),
              (std::map<std::string, Bytes>{{"x.txt", "kept"}, {"y.txt", "fine"}}));
}

TEST(WrongCrc, ZeroWhereAHeaderStartsIsNotTheEnd) {
    // A header size whose low byte was damaged to zero must not pass for
    // the end mark, silently dropping the members after it.
    ScratchFolder scratch;
    fs::create_directory(scratch / "out");
    Bytes archive = handArchive({{"x.txt", "", "one"}, {"y.txt", "", "two"}});
    const size_t second = level2Member({"x.txt", "", "one"}).size();
    archive[second] = '\0';
    writeFile(scratch / "cut.lzh", archive);
    EXPECT_NE(lha::ExtractFiles(scratch / "cut.lzh", scratch / "out", "*").status, lha::Status::Ok);
}

class HostileNames : public ::testing::TestWithParam<HandMember> {};

TEST_P(HostileNames, AreRefusedAndNothingLandsOutsideTheFolder) {
    ArchiverLibrary library;
    ASSERT_TRUE(library.loaded());
    ScratchFolder scratch;
    const fs::path out = scratch / "deep/out";
    fs::create_directories(out);
    const bool etcHadX = fs::exists("/etc/x");
    const fs::path archive = scratch / "hostile.lzh";
    writeFile(archive, handArchive({{"safe.txt", "", "safe"}, GetParam()}));

    for (const std::string pattern : {"*", "*.*", "evil.txt", "b", "x", "\".\"", "\"\""}) {
        const int result = library.run(extractLine(archive, out, pattern));
        if (pattern == "*" || pattern == "*.*") {
            EXPECT_NE(result, 0) << pattern;
        }
    }
    // The safe member before it still comes out; nothing else does.
    EXPECT_EQ(folderContents(out), (std::map<std::string, Bytes>{{"safe.txt", "safe"}}));
    EXPECT_EQ(folderContents(scratch / "deep"),
              (std::map<std::string, Bytes>{{"out", "<not a file>"}}));
    EXPECT_EQ(folderContents(scratch.path()).size(), 2u);  // deep/ and the archive
    EXPECT_EQ(fs::exists("/etc/x"), etcHadX);
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNames,
    ::testing::Values(HandMember{"../evil.txt", "", "evil"}, HandMember{"/etc/x", "", "evil"},
                      HandMember{"a/../../b", "", "evil"}, HandMember{".", "", "evil"},
                      HandMember{"", "", "evil"}, HandMember{"b", "..\xFF..\xFF", "evil"},
                      HandMember{"x",
                                 "\xFF"
                                 "etc\xFF",
                                 "evil"},
                      HandMember{"..\\..\\evil.txt", "", "evil"}, HandMember{"..", "", "evil"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(HostileNames, SymlinkInTheFolderIsReplacedNotFollowed) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "out");
    writeFile(scratch / "outside.txt", "outside");
    fs::create_symlink("../outside.txt", scratch / "out/x.txt");
    writeFile(scratch / "a.lzh", handArchive({{"x.txt", "", "inside"}}));
    EXPECT_EQ(lha::ExtractFiles(scratch / "a.lzh", scratch / "out", "x.txt").status,
              lha::Status::Ok);
    EXPECT_EQ(readFile(scratch / "outside.txt"), "outside");
    EXPECT_FALSE(fs::is_symlink(scratch / "out/x.txt"));
    EXPECT_EQ(readFile(scratch / "out/x.txt"), "inside");
}

}  // namespace
