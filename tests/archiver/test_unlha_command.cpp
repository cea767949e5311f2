// The archiver's two command lines: what is refused, the output buffer, and
// storing end to end through paths with blanks and Japanese.

#include "archiver/LhaWriter.h"
#include "archiver/UnlhaCommand.h"
#include "lha_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace lhatest;

namespace {

class CommandLines : public ArchiverTest {
protected:
    void SetUp() override {
        ArchiverTest::SetUp();
        ASSERT_TRUE(
            packWithJlha(scratch, "a2o7q", archive,
                         {{"SW 001.bmp", farRepeats()}, {"Slidewright.ini", textBytes(20)}}));
    }

    fs::path archive = scratch / "movie.sdw";
};

// The lines the program builds parse back whole (tests/moviefile's file
// helpers); every other line is refused, and run on a real archive and
// folder touches no file.
TEST_F(CommandLines, EveryOtherLineIsRefusedAndTouchesNoFile) {
    std::ifstream table(SLIDEWRIGHT_SOURCE_DIR "/tests/data/unlha-refused-lines/lines.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(table, line);) {
        if (!line.starts_with('#')) {
            lines.push_back(line.substr(0, line.rfind('|')));
        }
    }
    ASSERT_EQ(lines.size(), 26u);
    const Bytes before = readFile(archive);
    for (std::string line : lines) {
        EXPECT_FALSE(UnlhaCommand::parse(line).has_value()) << line;
        for (const auto& [fake, real] : {std::pair<std::string, std::string>{"/a.sdw", archive},
                                         {"/w/", out.string() + "/"}}) {
            if (const auto at = line.find(fake); at != std::string::npos) {
                line.replace(at, fake.size(), real);
            }
        }
        EXPECT_NE(library.run(line), 0) << line;
    }
    EXPECT_NE(library.run("l \"" + archive.string() + "\""), 0);
    EXPECT_NE(library.run("d \"" + archive.string() + "\" \"SW 001.bmp\""), 0);
    EXPECT_EQ(readFile(archive), before);
    EXPECT_TRUE(folderContents(out).empty());
}

TEST_F(CommandLines, OutputIsAlwaysTerminatedWithinItsSize) {
    const std::string line = extractLine(archive, out, "*");
    EXPECT_EQ(library.run(line, nullptr, 0), 0);
    EXPECT_EQ(library.run(line, nullptr, 10), 0);
    for (unsigned long size : {1ul, 2ul, 3ul, 10ul}) {
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(library.run(line, buffer, size), 0);
        EXPECT_EQ(std::strlen(buffer), std::min(size - 1, 2ul)) << size;
        EXPECT_EQ(buffer[size], '#') << "wrote past " << size;
    }
    char buffer[10];
    EXPECT_NE(library.run("nonsense", buffer, sizeof buffer), 0);
    EXPECT_LT(std::strlen(buffer), sizeof buffer);
}

std::string storeLine(const fs::path& package, const fs::path& file) {
    return "a -d \"" + package.string() + "\" \"" + file.string() + "\" -n -q -x0";
}

TEST_F(CommandLines, StoredFilesComeBackByteForByte) {
    const fs::path work = scratch / "作業 フォルダ";
    fs::create_directory(work);
    writeFile(work / "SW001.bmp", farRepeats());
    writeFile(work / "音 １.wav", randomBytes(4000, 9));
    const fs::path package = scratch / "新しい 映画.sdw";
    // What is not a file is refused, making no package and changing none.
    fs::create_directory(work / "folder.bmp");
    const Bytes before = readFile(archive);
    for (const fs::path& source : {work / "absent.bmp", work / "folder.bmp"}) {
        EXPECT_NE(library.run(storeLine(package, source)), 0) << source;
        EXPECT_NE(library.run(storeLine(archive, source)), 0) << source;
    }
    EXPECT_FALSE(fs::exists(package));
    EXPECT_EQ(readFile(archive), before);
    EXPECT_EQ(library.run(storeLine(package, work / "SW001.bmp")), 0);
    EXPECT_EQ(library.run(storeLine(package, work / "音 １.wav")), 0);
    writeFile(work / "SW001.bmp", textBytes(30));  // changed and stored again: replaced
    EXPECT_EQ(library.run(storeLine(package, work / "SW001.bmp")), 0);
    EXPECT_TRUE(fs::exists(work / "SW001.bmp")) << "the source stays where it is";

    const fs::path into = scratch / "作業　場所 ｶﾀｶﾅ";  // ideographic space and half-width kana
    fs::create_directory(into);
    EXPECT_EQ(library.run(extractLine(package, into, "*")), 0);
    EXPECT_EQ(folderContents(into),
              (std::map<std::string, Bytes>{{"SW001.bmp", textBytes(30)},
                                            {"音 １.wav", randomBytes(4000, 9)}}));
    EXPECT_EQ(lha::ListFiles(package).value_or(std::vector<lha::MemberInfo>{}).size(), 2u);
}

}  // namespace
