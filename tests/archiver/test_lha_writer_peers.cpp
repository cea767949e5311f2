// Archives we write, listed and extracted by the peer archivers, each called
// by its own name: `lhasa`, 7-Zip's `7zz` and the Java `jlha`, for every
// method.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>

#include "archiver/LhaWriter.h"
#include "archiver/TextEncoding.h"
#include "lha_test_support.h"

namespace {

using namespace lhatest;

const auto kStamp = std::chrono::file_clock::from_sys(
    std::chrono::sys_seconds(std::chrono::seconds(981173106)));  // 2001-02-03 04:05:06 UTC

struct Member {
    std::string name;
    Bytes content;
    bool forceMethod = false;  // encode even when storing would be smaller
    lha::Method expected = lha::Method::Lh0;
};

// Path -> Method, from `7zz l -slt`.
std::map<std::string, std::string> MethodsBy7zip(const std::string& listing) {
    std::map<std::string, std::string> methods;
    std::istringstream lines(listing);
    std::string path;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("Path = ")) {
            path = line.substr(7);
        } else if (line.starts_with("Method = ")) {
            methods[path] = line.substr(9);
        }
    }
    return methods;
}

std::size_t Occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

class PeersRead : public ::testing::TestWithParam<lha::Method> {};

TEST_P(PeersRead, EveryKindOfMemberListsAndExtractsByteForByte) {
    const lha::Method method = GetParam();
    const bool packs = method != lha::Method::Lh0;
    TempFolder folder;
    const fs::path sources = folder / "sources";
    fs::create_directories(sources);

    std::vector<Member> members = {
        {"empty.bin", {}},
        {"one.bin", {0x5A}},
        {"license.txt", readFile("/usr/share/common-licenses/GPL-3"), false, method},
        // A picture of a few flat colours, as screen captures are.
        {"chart.bmp", readFile(SLIDEWRIGHT_SOURCE_DIR "/tests/data/export_movie/chart.bmp"), false,
         method},
        {"noise.bin", randomBytes(5'000'000, 1)},
    };
    if (packs) {
        members.push_back({"forced-empty.bin", {}, true, method});
        members.push_back({"forced-one.bin", {0x5A}, true, method});
        members.push_back({"forced-two.bin", {0x00, 0xFF}, true, method});
    }
    // Stored twice: the second store replaces the first.
    members.push_back({"frame.bmp", readFile("/usr/share/common-licenses/GPL-2"), false, method});

    const fs::path archive = folder / "movie.sdw";
    lha::StoreOptions options;
    options.method = method;
    writeFile(sources / "frame.bmp", randomBytes(3000, 2));
    ASSERT_EQ(lha::StoreFile(archive, sources / "frame.bmp", options), 0);
    for (const auto& member : members) {
        const fs::path file = sources / member.name;
        writeFile(file, member.content);
        fs::last_write_time(file, kStamp);
        options.storeWhenNotSmaller = !member.forceMethod;
        ASSERT_EQ(lha::StoreFile(archive, file, options), 0) << member.name;
    }

    // 7-Zip names each member's method and time.
    const ToolResult sevenList =
        runTool({"7zz", "l", "-slt", archive.string()}, folder.path(), {"TZ=UTC"});
    EXPECT_EQ(sevenList.status, 0) << sevenList.output;
    std::map<std::string, std::string> methods;
    for (const auto& member : members) {
        methods[member.name] = lha::MethodId(member.expected);
    }
    EXPECT_EQ(MethodsBy7zip(sevenList.output), methods);
    EXPECT_NE(sevenList.output.find("Modified = 2001-02-03 04:05:06"), std::string::npos);

    // lhasa checks every header CRC: a wrong one hides the members after it.
    const std::vector<std::vector<std::string>> listings = {{"lhasa", "l", archive.string()},
                                                            {"jlha", "l", archive.string()}};
    for (const auto& command : listings) {
        const ToolResult listed = runTool(command, folder.path());
        EXPECT_EQ(listed.status, 0) << listed.output;
        for (const auto& member : members) {
            EXPECT_EQ(Occurrences(listed.output, " " + member.name), 1u)
                << command[0] << listed.output;
        }
    }
    const std::vector<std::vector<std::string>> extractions = {{"lhasa", "x", archive.string()},
                                                               {"7zz", "x", "-y", archive.string()},
                                                               {"jlha", "x", archive.string()}};
    for (const auto& command : extractions) {
        const fs::path into = folder / ("by-" + command[0]);
        fs::create_directories(into);
        const ToolResult extracted = runTool(command, into);
        EXPECT_EQ(extracted.status, 0) << command[0] << extracted.output;
        for (const auto& member : members) {
            EXPECT_TRUE(fs::exists(into / member.name) &&
                        readFile(into / member.name) == member.content)
                << command[0] << " did not extract " << member.name << " whole";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, PeersRead,
                         ::testing::Values(lha::Method::Lh0, lha::Method::Lh5, lha::Method::Lh6,
                                           lha::Method::Lh7));

TEST(PeersReadNames, JapaneseNamesAreStoredAsCp932AndOthersAsUtf8) {
    TempFolder folder;
    const std::string japanese =
        "画面１ｷｬﾌﾟﾁｬ.bmp";                    // ideographs, full-width digit, half-width kana
    const std::string foreign = "émoji😀.txt";  // no CP932 form: stays UTF-8
    const std::string cp932 = *TextEncoding::utf8ToCp932(japanese);
    const Bytes picture = readFile("/usr/share/common-licenses/GPL-3");
    const Bytes text = {'h', 'i', '\n'};
    writeFile(folder / japanese, picture);
    writeFile(folder / foreign, text);
    const fs::path archive = folder / "名前.sdw";
    ASSERT_EQ(lha::StoreFile(archive, folder / japanese), 0);
    ASSERT_EQ(lha::StoreFile(archive, folder / foreign), 0);

    // jlha decodes names as a Japanese system does, with MS932.
    const ToolResult jlha = runTool({"jlha", "l", archive.string()}, folder.path(), kJlhaCp932);
    EXPECT_NE(jlha.output.find(" " + japanese), std::string::npos) << jlha.output;
    const fs::path byJlha = folder / "by-jlha";
    fs::create_directories(byJlha);
    runTool({"jlha", "x", archive.string()}, byJlha, kJlhaCp932);
    EXPECT_TRUE(readFile(byJlha / japanese) == picture);

    // 7-Zip shows stored bytes as they are: CP932 raw, UTF-8 readable.
    const ToolResult seven = runTool({"7zz", "l", archive.string()}, folder.path());
    EXPECT_NE(seven.output.find("  " + cp932 + "\n"), std::string::npos) << seven.output;
    EXPECT_NE(seven.output.find("  " + foreign + "\n"), std::string::npos) << seven.output;
    const fs::path by7zip = folder / "by-7zz";
    runTool({"7zz", "x", "-y", "-o" + by7zip.string(), archive.string()}, folder.path());
    EXPECT_TRUE(readFile(by7zip / cp932) == picture);
    EXPECT_TRUE(readFile(by7zip / foreign) == text);

    // lhasa names each file by the stored bytes: it sees exactly ours.
    const fs::path byLhasa = folder / "by-lhasa";
    fs::create_directories(byLhasa);
    runTool({"lhasa", "x", archive.string()}, byLhasa);
    EXPECT_TRUE(readFile(byLhasa / cp932) == picture);
    EXPECT_TRUE(readFile(byLhasa / foreign) == text);
}

}  // namespace
