// Archives we write, listed and extracted by the peer archivers: lhasa's
// `lha`, 7-Zip's `7zz` and the Java `jlha`, for every method.
#include <sys/stat.h>

#include <QFileDialog>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <map>

#include "archiver/LhaWriter.h"
#include "archiver/TextEncoding.h"
#include "writer_test_support.h"

namespace {

using namespace writer_test;

constexpr std::time_t kStamp = 981173106;  // 2001-02-03 04:05:06 UTC

void SetStamp(const fs::path& file) {
    const timespec times[2] = {{kStamp, 0}, {kStamp, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// A real Qt window, drawn offscreen and saved as a 24-bit BMP: what a
// screen capture of the program's own dialogs looks like.
Bytes CaptureOfADialog(const fs::path& file) {
    QFileDialog dialog(nullptr, QStringLiteral("Open Picture"), QStringLiteral("/usr/share"),
                       QStringLiteral("Pictures (*.bmp)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.resize(640, 420);
    dialog.show();
    const QImage image = dialog.grab().toImage().convertToFormat(QImage::Format_RGB888);
    EXPECT_TRUE(image.save(QString::fromStdString(file.string()), "BMP"));
    const Bytes bytes = ReadBytes(file);
    EXPECT_GT(bytes.size(), 100000u);
    EXPECT_EQ(bytes[28], 24) << "bits per pixel";
    return bytes;
}

struct Member {
    std::string name;
    Bytes content;
    bool forceMethod = false;  // encode even when storing would be smaller
    lha::Method expected = lha::Method::Lh0;
};

// Path -> Method, from `7zz l -slt`.
std::map<std::string, std::string> MethodsBy7zip(const std::string& listing) {
    std::map<std::string, std::string> methods;
    std::string path;
    std::size_t at = 0;
    while (at < listing.size()) {
        const std::size_t end = listing.find('\n', at);
        const std::string line = listing.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? listing.size() : end + 1;
        if (line.rfind("Path = ", 0) == 0) {
            path = line.substr(7);
        } else if (line.rfind("Method = ", 0) == 0) {
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

void ExpectExtracted(const fs::path& folder, const std::vector<Member>& members,
                     const std::string& tool) {
    for (const auto& member : members) {
        const fs::path file = folder / member.name;
        ASSERT_TRUE(fs::exists(file)) << tool << " did not extract " << member.name;
        EXPECT_TRUE(ReadBytes(file) == member.content) << tool << " changed " << member.name;
    }
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
        {"license.txt", ReadBytes("/usr/share/common-licenses/GPL-3"), false, method},
        {"capture.bmp", CaptureOfADialog(folder / "capture-source.bmp"), false, method},
        {"noise.bin", RandomBytes(5'000'000, 1)},
    };
    if (packs) {
        members.push_back({"forced-empty.bin", {}, true, method});
        members.push_back({"forced-one.bin", {0x5A}, true, method});
        members.push_back({"forced-two.bin", {0x00, 0xFF}, true, method});
    }
    // Stored twice: the second store replaces the first.
    members.push_back({"frame.bmp", ReadBytes("/usr/share/common-licenses/GPL-2"), false, method});

    const fs::path archive = folder / "movie.sdw";
    lha::StoreOptions options;
    options.method = method;
    {
        WriteBytes(sources / "frame.bmp", RandomBytes(3000, 2));
        ASSERT_EQ(lha::StoreFile(archive, sources / "frame.bmp", options), 0);
    }
    for (const auto& member : members) {
        const fs::path file = sources / member.name;
        WriteBytes(file, member.content);
        SetStamp(file);
        options.storeWhenNotSmaller = !member.forceMethod;
        ASSERT_EQ(lha::StoreFile(archive, file, options), 0) << member.name;
    }

    // lhasa checks every header CRC: a wrong one hides the members after it.
    const ToolResult lhaList = RunTool({"lha", "l", archive.string()}, folder.path());
    EXPECT_EQ(lhaList.status, 0) << lhaList.output;
    EXPECT_NE(lhaList.output.find(" " + std::to_string(members.size()) + " files"),
              std::string::npos)
        << lhaList.output;
    for (const auto& member : members) {
        EXPECT_EQ(Occurrences(lhaList.output, " " + member.name), 1u) << lhaList.output;
    }
    const fs::path byLha = folder / "by-lha";
    fs::create_directories(byLha);
    const ToolResult lhaExtract = RunTool({"lha", "x", archive.string()}, byLha);
    EXPECT_EQ(lhaExtract.status, 0) << lhaExtract.output;
    ExpectExtracted(byLha, members, "lha");

    const ToolResult sevenList =
        RunTool({"7zz", "l", "-slt", archive.string()}, folder.path(), {"TZ=UTC"});
    EXPECT_EQ(sevenList.status, 0) << sevenList.output;
    const auto methods = MethodsBy7zip(sevenList.output);
    EXPECT_EQ(methods.size(), members.size()) << sevenList.output;
    for (const auto& member : members) {
        ASSERT_TRUE(methods.count(member.name)) << member.name;
        EXPECT_EQ(methods.at(member.name), lha::MethodId(member.expected)) << member.name;
    }
    EXPECT_NE(sevenList.output.find("Modified = 2001-02-03 04:05:06"), std::string::npos);
    const fs::path by7zip = folder / "by-7zz";
    const ToolResult sevenExtract =
        RunTool({"7zz", "x", "-y", "-o" + by7zip.string(), archive.string()}, folder.path());
    EXPECT_EQ(sevenExtract.status, 0) << sevenExtract.output;
    ExpectExtracted(by7zip, members, "7zz");

    const ToolResult jlhaList = RunTool({"jlha", "l", archive.string()}, folder.path());
    EXPECT_EQ(jlhaList.status, 0) << jlhaList.output;
    for (const auto& member : members) {
        EXPECT_EQ(Occurrences(jlhaList.output, " " + member.name), 1u) << jlhaList.output;
    }
    const fs::path byJlha = folder / "by-jlha";
    fs::create_directories(byJlha);
    const ToolResult jlhaExtract = RunTool({"jlha", "x", archive.string()}, byJlha);
    EXPECT_EQ(jlhaExtract.status, 0) << jlhaExtract.output;
    ExpectExtracted(byJlha, members, "jlha");
}

INSTANTIATE_TEST_SUITE_P(Methods, PeersRead,
                         ::testing::Values(lha::Method::Lh0, lha::Method::Lh5, lha::Method::Lh6,
                                           lha::Method::Lh7),
                         [](const auto& info) {
                             std::string id = lha::MethodId(info.param);
                             return id.substr(1, 3);
                         });

TEST(PeersReadNames, JapaneseNamesAreStoredAsCp932AndOthersAsUtf8) {
    TempFolder folder;
    const std::string japanese =
        "画面１ｷｬﾌﾟﾁｬ.bmp";                    // ideographs, full-width digit, half-width kana
    const std::string foreign = "émoji😀.txt";  // no CP932 form: stays UTF-8
    const std::string cp932 = *TextEncoding::utf8ToCp932(japanese);
    const Bytes picture = ReadBytes("/usr/share/common-licenses/GPL-3");
    const Bytes text = {'h', 'i', '\n'};
    WriteBytes(folder / japanese, picture);
    WriteBytes(folder / foreign, text);
    const fs::path archive = folder / "名前.sdw";
    ASSERT_EQ(lha::StoreFile(archive, folder / japanese), 0);
    ASSERT_EQ(lha::StoreFile(archive, folder / foreign), 0);

    // jlha decodes names as a Japanese system does, with MS932.
    const ToolResult jlha = RunTool({"jlha", "l", archive.string()}, folder.path(), kJlhaCp932);
    EXPECT_NE(jlha.output.find(" " + japanese), std::string::npos) << jlha.output;
    const fs::path byJlha = folder / "by-jlha";
    fs::create_directories(byJlha);
    RunTool({"jlha", "x", archive.string()}, byJlha, kJlhaCp932);
    EXPECT_TRUE(ReadBytes(byJlha / japanese) == picture);

    // 7-Zip shows stored bytes as they are: CP932 raw, UTF-8 readable.
    const ToolResult seven = RunTool({"7zz", "l", archive.string()}, folder.path());
    EXPECT_NE(seven.output.find("  " + cp932 + "\n"), std::string::npos) << seven.output;
    EXPECT_NE(seven.output.find("  " + foreign + "\n"), std::string::npos) << seven.output;
    const fs::path by7zip = folder / "by-7zz";
    RunTool({"7zz", "x", "-y", "-o" + by7zip.string(), archive.string()}, folder.path());
    EXPECT_TRUE(ReadBytes(by7zip / cp932) == picture);
    EXPECT_TRUE(ReadBytes(by7zip / foreign) == text);

    // lhasa takes each stored byte as Latin-1: it sees exactly our bytes.
    const ToolResult lha = RunTool({"lha", "l", archive.string()}, folder.path());
    EXPECT_NE(lha.output.find(" " + AsLatin1(cp932) + "\n"), std::string::npos) << lha.output;
    EXPECT_NE(lha.output.find(" " + AsLatin1(foreign) + "\n"), std::string::npos) << lha.output;
}

TEST(PeersReadNames, NameThatWouldMakeAHeaderOf256BytesIsListed) {
    // 34 header bytes + 222 name bytes would make a header of 256 bytes,
    // whose first byte is 0: the end-of-archive mark.
    TempFolder folder;
    const std::string name = std::string(218, 'n') + ".bmp";
    WriteBytes(folder / name, {1, 2, 3});
    WriteBytes(folder / "after.txt", {4, 5, 6});
    const fs::path archive = folder / "long.sdw";
    ASSERT_EQ(lha::StoreFile(archive, folder / name), 0);
    ASSERT_EQ(lha::StoreFile(archive, folder / "after.txt"), 0);
    for (const auto& command : {std::vector<std::string>{"lha", "l", archive.string()},
                                std::vector<std::string>{"7zz", "l", archive.string()},
                                std::vector<std::string>{"jlha", "l", archive.string()}}) {
        const ToolResult listed = RunTool(command, folder.path());
        EXPECT_NE(listed.output.find(name), std::string::npos) << command[0] << listed.output;
        EXPECT_NE(listed.output.find("after.txt"), std::string::npos)
            << command[0] << listed.output;
    }
}

TEST(PeersReadNames, ADamagedHeaderCrcIsNoticed) {
    // Proves the listings above would catch a wrong header CRC.
    TempFolder folder;
    WriteBytes(folder / "a.txt", {'a'});
    const fs::path archive = folder / "a.sdw";
    ASSERT_EQ(lha::StoreFile(archive, folder / "a.txt"), 0);
    Bytes bytes = ReadBytes(archive);
    bytes[27] ^= 0x01;  // the header CRC's low byte
    WriteBytes(archive, bytes);
    const ToolResult listed = RunTool({"lha", "l", archive.string()}, folder.path());
    EXPECT_EQ(listed.output.find(" a.txt"), std::string::npos) << listed.output;
}

}  // namespace
