// Extraction through the archiver's `e` command line, from archives made by
// jlha and by hand.

#include "archiver/LhaMemberName.h"
#include "archiver/LhaReader.h"
#include "lha_test_support.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace lhatest;

namespace {

// Files jlha packs: empty, one byte, text, random, far repeats, and an
// all-capital name, which some readers fold to lower case.
std::map<std::string, Bytes> sampleFiles() {
    return {
        {"empty.txt", {}},
        {"one.bin", text("x")},
        {"Script.ini", textBytes(3000)},
        {"noise.wav", randomBytes(70000, 1)},
        {"SW001.bmp", farRepeats()},
        {"README.TXT", text("capitals stay capitals, at every header level")},
    };
}

class JlhaArchives : public ArchiverTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(JlhaArchives, ExtractByteForByteThroughTheCommandLine) {
    const fs::path archive = scratch / "movie.sdw";
    ASSERT_TRUE(packWithJlha(scratch, GetParam(), archive, sampleFiles()));

    // What jlha stored really uses the method asked for, where it pays.
    const auto members = lha::ListFiles(archive);
    ASSERT_TRUE(members.has_value());
    ASSERT_EQ(members->size(), sampleFiles().size());
    const std::string method = GetParam().find("o7") != std::string::npos ? "-lh7-" : "-lh5-";
    for (const lha::MemberInfo& member : *members) {
        // Far repeats only pay with -lh7-'s window.
        if (member.name == "Script.ini" || (member.name == "SW001.bmp" && method == "-lh7-")) {
            EXPECT_EQ(member.method, method) << member.name;
        }
        EXPECT_EQ(member.headerLevel, GetParam()[1] - '0');
    }

    EXPECT_EQ(extract(archive, "*"), 0);
    EXPECT_EQ(folderContents(out), sampleFiles());
}

INSTANTIATE_TEST_SUITE_P(LevelsAndMethods, JlhaArchives,
                         ::testing::Values("a0o5q", "a1o5q", "a2o5q", "a0o7q", "a1o7q", "a2o7q"));

class Extraction : public ArchiverTest {
protected:
    void SetUp() override {
        ArchiverTest::SetUp();
        ASSERT_TRUE(packWithJlha(scratch, "a2o7q", archive, files));
    }

    fs::path archive = scratch / "movie.sdw";
    std::map<std::string, Bytes> files = {
        {"Slidewright.ini", textBytes(50)},  {"SW001.bmp", farRepeats()},
        {"SW002.BMP", randomBytes(5000, 2)}, {"chime.wav", randomBytes(3000, 3)},
        {"my song.mid", textBytes(10)},
    };
};

// Each pattern alone: bare and quoted names take one member, wildcards and
// names ignore letter case and keep the stored case, "*.*" takes all, and
// no match succeeds without writing (the editor's "*.mid" of a movie
// without music must not fail).
TEST_F(Extraction, PatternsTakeTheirMembers) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"Slidewright.ini", {"Slidewright.ini"}},
        {"\"my song.mid\"", {"my song.mid"}},
        {"*.bmp", {"SW001.bmp", "SW002.BMP"}},
        {"sw00?.BmP", {"SW001.bmp", "SW002.BMP"}},
        {"SLIDEWRIGHT.INI", {"Slidewright.ini"}},
        {"*.*", {"SW001.bmp", "SW002.BMP", "Slidewright.ini", "chime.wav", "my song.mid"}},
        {"*.mp3", {}},
        {"missing.bmp", {}}};
    for (const auto& [pattern, names] : cases) {
        emptyOut();
        EXPECT_EQ(extract(archive, pattern), 0) << pattern;
        std::map<std::string, Bytes> expected;
        for (const std::string& name : names) {
            expected[name] = files[name];
        }
        EXPECT_EQ(folderContents(out), expected) << pattern;
    }
}

// An existing file is replaced without asking; a target that is missing,
// unwritable or a folder fails.
TEST_F(Extraction, ReplacesAFileButFailsOnAMissingUnwritableOrFolderTarget) {
    writeFile(out / "SW001.bmp", text("old picture, longer than nothing"));
    fs::permissions(out / "SW001.bmp", fs::perms::owner_read);
    EXPECT_EQ(extract(archive, "SW001.bmp"), 0);
    EXPECT_EQ(readFile(out / "SW001.bmp"), files["SW001.bmp"]);
    EXPECT_NE(library.run(extractLine(archive, scratch / "nowhere", "*")), 0);
    EXPECT_FALSE(fs::exists(scratch / "nowhere"));
    // Even root cannot create files in /proc, so this holds for every user.
    EXPECT_NE(library.run(extractLine(archive, "/proc/self", "*")), 0);
    EXPECT_FALSE(fs::exists("/proc/self/Slidewright.ini"));
    fs::create_directory(out / "chime.wav");
    EXPECT_NE(extract(archive, "chime.wav"), 0);
    EXPECT_TRUE(fs::is_directory(out / "chime.wav"));
    EXPECT_EQ(folderContents(out).size(), 2u);  // no temporary file left behind
}

// At every header level: a member stored in a folder is refused (sub/SW001.bmp
// is not SW001.bmp), the bare one beside it is not; a CP932 name comes out
// as UTF-8 (表 is 0x95 0x5C in CP932: its trail byte is a backslash).
using JlhaNames = ArchiverTest;

TEST_F(JlhaNames, FoldersAreRefusedAndCp932ComesOutAsUtf8) {
    fs::create_directories(scratch / "src/pictures/old");
    writeFile(scratch / "src/pictures/old/SW001.bmp", farRepeats());
    writeFile(scratch / "src/top.txt", text("top"));
    const std::string japanese = "画面 表ｷｬﾌﾟﾁｬ.bmp";
    writeFile(scratch / "src" / japanese, textBytes(100));
    for (const std::string level : {"0", "1", "2"}) {
        SCOPED_TRACE("level " + level);
        const fs::path folders = scratch / ("folders" + level + ".lzh");
        const fs::path names = scratch / ("japanese" + level + ".lzh");
        ASSERT_TRUE(runJlha(scratch / "src", "a" + level + "q", folders,
                            {"pictures/old/SW001.bmp", "top.txt"}));
        ASSERT_TRUE(runJlha(scratch / "src", "a" + level + "yq", names, {japanese}));
        const Bytes stored = readFile(names);
        const Bytes trail = {0x95, 0x5C};
        ASSERT_NE(std::search(stored.begin(), stored.end(), trail.begin(), trail.end()),
                  stored.end())
            << "stored as CP932";
        emptyOut();
        EXPECT_NE(extract(folders, "*"), 0);
        EXPECT_NE(extract(folders, "SW001.bmp"), 0);
        EXPECT_EQ(extract(names, "\"" + japanese + "\""), 0);
        EXPECT_EQ(folderContents(out), (std::map<std::string, Bytes>{{"top.txt", text("top")},
                                                                     {japanese, textBytes(100)}}));
    }
}

using JapaneseNames = ArchiverTest;

TEST_F(JapaneseNames, Utf8AndCp932StoredNamesGiveTheSameFile) {
    const fs::path golden = SLIDEWRIGHT_SOURCE_DIR "/tests/data/lha-japanese-names";
    const std::string utf8 = "音楽１.mid";
    EXPECT_EQ(extract(golden / "utf8.lzh", "*.mid"), 0);
    EXPECT_EQ(readFile(out / utf8), text("from utf-8"));
    EXPECT_EQ(extract(golden / "cp932.lzh", utf8), 0);
    EXPECT_EQ(readFile(out / utf8), text("from cp932"));
    EXPECT_EQ(folderContents(out).size(), 1u);
}

TEST(MemberNames, FoldersAndUnsafePathsAreMarked) {
    // Directory field, name field, the bare name taken, and whether it is safe.
    const std::tuple<std::string, std::string, std::string, bool> cases[] = {
        {"", "SW001.bmp", "SW001.bmp", true},
        {"pictures\xFF", "SW001.bmp", "SW001.bmp", false},
        {"", "pictures\\old\\SW001.bmp", "SW001.bmp", false},
        {"", "sub/a.bmp", "a.bmp", false},
        {"", "./x.bmp", "x.bmp", false},
        {"", "\x95\x5C.bmp", "表.bmp", true},  // 0x5C as CP932 trail byte
        {"", "../evil.txt", "evil.txt", false},
        {"a\xFF..\xFF", "b", "b", false},
        {"", "/etc/x", "x", false},
        {"\xFF"
         "etc\xFF",
         "x", "x", false},
        {"", "C:x.bmp", "C:x.bmp", false},
        {"", "..", "..", false},
        {"", "", "", false},
        {"folder\xFF", "", "", false},
        {"", "dir/", "", false},
        {"", std::string("a\0b", 3), std::string("a\0b", 3), false},
    };
    for (const auto& [directory, name, bare, safe] : cases) {
        const lha::MemberName parsed = lha::ParseMemberName(directory, name);
        EXPECT_EQ(parsed.bareName, bare) << name;
        EXPECT_EQ(parsed.safe, safe) << directory << "|" << name;
    }
}

TEST(MemberNames, WildcardsMatchCharactersNotBytes) {
    EXPECT_TRUE(lha::MatchesPattern("SW001.BMP", "*.bmp"));
    EXPECT_TRUE(lha::MatchesPattern("a.bmp.bmp", "*.bmp"));
    EXPECT_FALSE(lha::MatchesPattern("a.bmpx", "*.bmp"));
    EXPECT_TRUE(lha::MatchesPattern("画像.bmp", "??.bmp"));
    EXPECT_FALSE(lha::MatchesPattern("画像.bmp", "?.bmp"));
    EXPECT_TRUE(lha::MatchesPattern("readme", "*.*"));
    EXPECT_TRUE(lha::MatchesPattern("", "*"));
    EXPECT_FALSE(lha::MatchesPattern("", "?"));
    EXPECT_TRUE(lha::MatchesPattern("abcabcabd", "*abc*abd"));
    EXPECT_FALSE(lha::MatchesPattern("Ａ.bmp", "ａ.bmp"));  // only ASCII letters fold
    EXPECT_FALSE(lha::MatchesPattern(std::string(200, 'a'), std::string(50, '*') + "b*"));
}

}  // namespace
