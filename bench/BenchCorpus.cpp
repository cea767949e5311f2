#include "bench/BenchCorpus.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace BenchCorpus {

fs::path Folder() {
    const char* chosen = std::getenv("SLIDEWRIGHT_CORPUS");
    return chosen != nullptr && *chosen != '\0' ? fs::path(chosen)
                                                : fs::path(SLIDEWRIGHT_CORPUS_DIR);
}

std::vector<fs::path> Pictures() {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(Folder(), error)) {
        if (entry.path().extension() == ".bmp" && entry.is_regular_file(error)) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

namespace {

std::int32_t LittleEndian32(const unsigned char* bytes) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

}  // namespace

std::vector<fs::path> PicturesSized(int width, int height) {
    std::vector<fs::path> found;
    for (const fs::path& path : Pictures()) {
        unsigned char header[26] = {};
        std::ifstream in(path, std::ios::binary);
        if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 'B' ||
            header[1] != 'M') {
            continue;
        }
        // A negative height is a top-down picture of the same size.
        const std::int32_t storedHeight = LittleEndian32(header + 22);
        if (LittleEndian32(header + 18) == width &&
            (storedHeight == height || storedHeight == -height)) {
            found.push_back(path);
        }
    }
    return found;
}

void ReportMissing(const char* benchmark, const char* need) {
    std::fprintf(stderr,
                 "%s: needs %s in the screen-capture corpus %s, which is missing or too small.\n"
                 "Make it with `cmake --build <build> --target bench_corpus` (needs Xvfb; "
                 "scripts/run-benchmarks does it), or set SLIDEWRIGHT_CORPUS to a folder of "
                 "24-bit .bmp screen captures.\n",
                 benchmark, need, Folder().c_str());
}

}  // namespace BenchCorpus
