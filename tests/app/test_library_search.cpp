#include "app/MDllChk.h"
#include "moviefile/ArchiverLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

// The test programs are built beside the archiver, as the program is; what
// is not there, or not a bare name, is not found.
TEST(LibrarySearch, FindsTheArchiverBesideTheExecutableThenOnTheLinkersPath) {
    const std::string found = MDllChk::FindLibrary("libunlha32.so");
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(fs::path(found).parent_path(), fs::read_symlink("/proc/self/exe").parent_path());
    EXPECT_TRUE(MDllChk::DllOnSearchPath("libunlha32.so"));
    EXPECT_TRUE(fs::exists(MDllChk::FindLibrary("libc.so.6")));
    for (const char* absent : {"libnot-a-library-here.so", "", "../bin/libunlha32.so"}) {
        EXPECT_FALSE(MDllChk::DllOnSearchPath(absent)) << absent;
    }
}

TEST(ArchiverLoading, LoadsOnlyALibraryWithBothEntryPoints) {
    EXPECT_FALSE(ArchiverLibrary::load(MDllChk::FindLibrary("libc.so.6")));
    EXPECT_FALSE(ArchiverLibrary::load("/nonexistent/libunlha32.so"));
    EXPECT_EQ(ArchiverLibrary::instance(), nullptr);
    ASSERT_TRUE(ArchiverLibrary::load(MDllChk::FindLibrary("libunlha32.so")));
    ASSERT_NE(ArchiverLibrary::instance(), nullptr);
    EXPECT_EQ(ArchiverLibrary::instance()->setCursorMode(0), 0);
    char output[10] = {};
    EXPECT_NE(ArchiverLibrary::instance()->unlha("x nonsense", output, sizeof output), 0);
    ArchiverLibrary::unloadForTests();
}
