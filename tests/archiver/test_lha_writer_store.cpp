// Storing into existing archives: appending in place, replacing a member,
// archives other tools made, and every failure leaving the archive exactly
// as it was.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ranges>

#include "archiver/FileDescriptor.h"
#include "archiver/LhaHeader.h"
#include "archiver/LhaWriter.h"
#include "archiver/TextEncoding.h"
#include "lha_test_support.h"

namespace {

using namespace lhatest;

std::vector<lha::ArchiveEntry> Entries(const fs::path& archive) {
    const auto index = lha::IndexArchive(FileDescriptor::open(archive.c_str(), O_RDONLY).get());
    return index ? index->entries : std::vector<lha::ArchiveEntry>{};
}

std::vector<std::string> Names(const fs::path& archive) {
    std::vector<std::string> names;
    std::ranges::transform(Entries(archive), std::back_inserter(names), &lha::ArchiveEntry::path);
    return names;
}

// Files in a folder other than the expected ones: a failed store must
// leave no temporary file behind.
std::vector<std::string> Listing(const fs::path& folder) {
    const auto contents = folderContents(folder);
    const auto names = std::views::keys(contents);
    return {names.begin(), names.end()};
}

// Runs `body` in a child process and returns its exit status, so that
// limits and identities set there do not leak into the test.
int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Store : public ::testing::Test {
protected:
    fs::path source(const std::string& name, const Bytes& content) {
        const fs::path path = folder_ / "sources";
        fs::create_directories(path);
        writeFile(path / name, content);
        return path / name;
    }

    fs::path archive() const { return folder_ / "movie.sdw"; }

    void storeFrames(int count) {
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(lha::StoreFile(archive(), source("SW" + std::to_string(100 + i) + ".bmp",
                                                       randomBytes(2000 + i, i))),
                      0);
        }
    }

    // The archive must be byte-for-byte what it was, with nothing beside it.
    void expectUnchanged(const Bytes& before, const std::vector<std::string>& listing) {
        EXPECT_TRUE(readFile(archive()) == before);
        EXPECT_EQ(Listing(folder_.path()), listing);
    }

    TempFolder folder_;
};

// A new archive is one member and the end marker; later members are
// appended in place.
TEST_F(Store, CreatesThenAppendsInPlaceLeavingEarlierMembersUntouched) {
    storeFrames(1);
    EXPECT_EQ(readFile(archive()).back(), 0);
    EXPECT_EQ(Entries(archive())[0].size + 1, readFile(archive()).size());
    EXPECT_EQ(Listing(folder_.path()), (std::vector<std::string>{"movie.sdw", "sources"}));
    storeFrames(5);
    const Bytes before = readFile(archive());
    struct stat old {};
    stat(archive().c_str(), &old);

    ASSERT_EQ(lha::StoreFile(archive(), source("SW200.bmp", Bytes(50000, 0x7F))), 0);
    const Bytes after = readFile(archive());
    ASSERT_GT(after.size(), before.size());
    // Everything up to the old end marker is as it was, in the same file.
    EXPECT_TRUE(std::equal(before.begin(), before.end() - 1, after.begin()));
    struct stat now {};
    stat(archive().c_str(), &now);
    EXPECT_EQ(now.st_ino, old.st_ino);
    EXPECT_EQ(Names(archive()).back(), "SW200.bmp");
    EXPECT_EQ(Names(archive()).size(), 6u);
    const ToolResult tested = runTool({"lhasa", "t", archive().string()}, folder_.path());
    EXPECT_EQ(tested.status, 0) << tested.output;
}

TEST_F(Store, ReplacesAMemberOfTheSameNameInItsPlaceKeepingPermissions) {
    storeFrames(3);
    fs::permissions(archive(), fs::perms(0640));
    const auto entries = Entries(archive());
    const Bytes before = readFile(archive());
    const Bytes fresh(30000, 'z');
    ASSERT_EQ(lha::StoreFile(archive(), source("SW101.bmp", fresh)), 0);

    EXPECT_EQ(Names(archive()), (std::vector<std::string>{"SW100.bmp", "SW101.bmp", "SW102.bmp"}));
    const auto now = Entries(archive());
    const Bytes after = readFile(archive());
    // The neighbours are carried over byte for byte.
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + entries[0].size, after.begin()));
    EXPECT_TRUE(std::equal(before.begin() + entries[2].offset,
                           before.begin() + entries[2].offset + entries[2].size,
                           after.begin() + now[2].offset));
    const fs::path out = folder_ / "out";
    fs::create_directories(out);
    EXPECT_EQ(runTool({"lhasa", "x", archive().string()}, out).status, 0);
    EXPECT_TRUE(readFile(out / "SW101.bmp") == fresh);
    EXPECT_EQ(readFile(out / "SW100.bmp"), randomBytes(2000, 0));
    EXPECT_EQ(fs::status(archive()).permissions() & fs::perms::all, fs::perms(0640));
}

TEST_F(Store, ACp932NameReplacesTheSameNameStoredAsUtf8) {
    // Another program may have stored the name in UTF-8; it is the same
    // member as our CP932 form.
    const std::string name = "画面.bmp";
    const Bytes old = {9, 9, 9};
    auto member = lha::EncodeMember(name, old, 0, {});
    Bytes bytes = member.header;
    bytes.insert(bytes.end(), member.data.begin(), member.data.end());
    bytes.push_back(0);
    writeFile(archive(), bytes);

    ASSERT_EQ(lha::StoreFile(archive(), source(name, {1, 2, 3, 4})), 0);
    EXPECT_EQ(Names(archive()), std::vector<std::string>{*TextEncoding::utf8ToCp932(name)});
}

TEST_F(Store, AppendsToArchivesJlhaMadeAtEveryHeaderLevel) {
    const fs::path text = source("notes.txt", readFile("/usr/share/common-licenses/GPL-2"));
    for (const std::string level : {"0", "1", "2"}) {
        fs::remove(archive());
        const ToolResult made =
            runTool({"jlha", "a" + level, archive().string(), "notes.txt"}, text.parent_path());
        ASSERT_EQ(made.status, 0) << made.output;
        ASSERT_EQ(Names(archive()), std::vector<std::string>{"notes.txt"}) << "level " << level;
        const Bytes frame = randomBytes(10000, 4);
        ASSERT_EQ(lha::StoreFile(archive(), source("frame.bmp", frame)), 0);
        // Replacing the jlha member carries no stale copy along.
        ASSERT_EQ(lha::StoreFile(archive(), text), 0);
        EXPECT_EQ(Names(archive()), (std::vector<std::string>{"notes.txt", "frame.bmp"}));
        const fs::path out = folder_ / ("out" + level);
        fs::create_directories(out);
        const ToolResult extracted = runTool({"7zz", "x", "-y", archive().string()}, out);
        EXPECT_EQ(extracted.status, 0) << extracted.output;
        EXPECT_TRUE(readFile(out / "frame.bmp") == frame);
        EXPECT_TRUE(readFile(out / "notes.txt") == readFile(text));
    }
}

TEST_F(Store, RefusesWhatIsNotAWholeArchiveOrAReadableFileLeavingItAsItWas) {
    storeFrames(3);
    const Bytes whole = readFile(archive());
    Bytes damaged = whole;
    damaged[40] ^= 0x20;  // the first member's name: its header CRC no longer holds
    std::vector<Bytes> strangers = {
        readFile("/usr/share/common-licenses/GPL-3"),
        text(std::string("\0not lha", 8)),  // starts like an end marker
        damaged,
    };
    for (const std::size_t cut : {whole.size() - 2, std::size_t{30}}) {
        strangers.emplace_back(whole.begin(), whole.begin() + static_cast<long>(cut));
    }
    const fs::path frame = source("new.bmp", {1, 2, 3});
    const auto listing = Listing(folder_.path());
    for (const auto& stranger : strangers) {
        writeFile(archive(), stranger);
        EXPECT_NE(lha::StoreFile(archive(), frame), 0) << stranger.size() << " bytes";
        expectUnchanged(stranger, listing);
    }
    // Sources that cannot be read are refused the same way.
    writeFile(archive(), whole);
    EXPECT_NE(lha::StoreFile(archive(), folder_ / "sources" / "missing.bmp"), 0);
    EXPECT_NE(lha::StoreFile(archive(), folder_ / "sources"), 0);  // a folder
    expectUnchanged(whole, listing);
    EXPECT_NE(lha::StoreFile(folder_ / "none" / "new.sdw", frame), 0);
    EXPECT_FALSE(fs::exists(folder_ / "none"));
}

TEST_F(Store, AFullDiskLeavesTheArchiveAsItWasAndNoTemporaryFile) {
    storeFrames(3);
    const Bytes before = readFile(archive());
    // An append writes where the end marker was and must put it back; a
    // replacement writes a new archive beside the old one.
    for (const auto& [name, seed] : {std::pair{"big.bmp", 8u}, std::pair{"SW101.bmp", 9u}}) {
        const fs::path file = source(name, randomBytes(200000, seed));
        const auto listing = Listing(folder_.path());
        const int status = InChild([&] {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{before.size() + 1000, before.size() + 1000};
            setrlimit(RLIMIT_FSIZE, &limit);
            return lha::StoreFile(archive(), file);
        });
        EXPECT_NE(status, 0) << name;
        expectUnchanged(before, listing);
    }
}

// Folder and archive permissions, checked as their owner: root, who writes
// anywhere, hands the folder to nobody and stores as nobody.
class StorePermissions : public ::testing::Test {
protected:
    static constexpr uid_t kNobody = 65534;

    void SetUp() override {
        writeFile(folder_ / "frame.bmp", Bytes(5000, 1));
        writeFile(folder_ / "SW100.bmp", Bytes(5000, 2));
        writeFile(folder_ / "new.bmp", Bytes(5000, 4));
        ASSERT_EQ(lha::StoreFile(archive(), folder_ / "SW100.bmp"), 0);
        if (geteuid() == 0) {
            for (const fs::path& path : {folder_, folder_ / "frame.bmp", folder_ / "SW100.bmp",
                                         folder_ / "new.bmp", archive()}) {
                ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
            }
        }
    }
    fs::path archive() const { return folder_ / "movie.sdw"; }

    int storeAsOwner(const fs::path& file) {
        return InChild([&] {
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
                return 99;
            }
            return lha::StoreFile(archive(), file);
        });
    }

    TempFolder scratch_{"/tmp"};  // not below TMPDIR: nobody must be able to reach it
    fs::path folder_ = scratch_.path();
};

// Appending writes into the archive itself; replacing needs a new file
// beside it, which the folder refuses. A read-only archive, and a source
// its owner cannot read, are refused, the archive as it was.
TEST_F(StorePermissions, AnUnwritableFolderTakesAppendsButNotReplacementsOrReadOnlyArchives) {
    fs::permissions(folder_, fs::perms(0555));
    EXPECT_EQ(storeAsOwner(folder_ / "frame.bmp"), 0);
    EXPECT_EQ(Names(archive()), (std::vector<std::string>{"SW100.bmp", "frame.bmp"}));
    const Bytes before = readFile(archive());
    fs::permissions(folder_ / "SW100.bmp", fs::perms(0644));
    writeFile(folder_ / "SW100.bmp", Bytes(7000, 3));
    const int status = storeAsOwner(folder_ / "SW100.bmp");
    ASSERT_NE(status, 99);
    EXPECT_NE(status, 0);
    EXPECT_TRUE(readFile(archive()) == before);
    EXPECT_EQ(Listing(folder_),
              (std::vector<std::string>{"SW100.bmp", "frame.bmp", "movie.sdw", "new.bmp"}));

    fs::permissions(folder_ / "new.bmp", fs::perms(0200));
    EXPECT_NE(storeAsOwner(folder_ / "new.bmp"), 0);
    fs::permissions(folder_ / "new.bmp", fs::perms(0644));
    fs::permissions(archive(), fs::perms(0444));
    EXPECT_NE(storeAsOwner(folder_ / "new.bmp"), 0);
    EXPECT_TRUE(readFile(archive()) == before);

    fs::permissions(folder_, fs::perms(0755));
    fs::remove(archive());
    fs::permissions(folder_, fs::perms(0555));
    EXPECT_NE(storeAsOwner(folder_ / "frame.bmp"), 0);
    EXPECT_FALSE(fs::exists(archive()));
}

}  // namespace
