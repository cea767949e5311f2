// Extraction speed on real screen captures packed by jlha, in bytes of
// output per second of this process's CPU time (one core; the wall time is
// shown too, but on a shared machine it mostly measures the neighbours).
// Corpus: the bench_corpus target (see bench/BenchCorpus.h).

#include "archiver/LhaReader.h"
#include "bench/BenchCorpus.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The corpus packed once per method, and a folder to extract into.
struct Packages {
    Packages() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr ? base : "/tmp") + "/bench-extract.XXXXXX";
        folder = mkdtemp(pattern.data());
        out = folder / "out";
        fs::create_directory(out);
        std::string names;
        for (const fs::path& picture : BenchCorpus::Pictures()) {
            names += " '" + picture.filename().string() + "'";
            totalBytes += static_cast<std::int64_t>(fs::file_size(picture));
            lastPicture = picture.filename().string();
            lastPictureBytes = static_cast<std::int64_t>(fs::file_size(picture));
        }
        if (names.empty()) {
            BenchCorpus::ReportMissing("bench_extract", "any .bmp screen capture");
            std::exit(1);
        }
        for (const char* method : {"5", "7"}) {
            const fs::path archive = folder / (std::string("lh") + method + ".lzh");
            const std::string command = "cd '" + BenchCorpus::Folder().string() + "' && jlha a2o" +
                                        method + "q '" + archive.string() + "'" + names +
                                        " >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0) {
                std::cerr << "bench_extract: jlha failed\n";
                std::exit(1);
            }
        }
    }
    ~Packages() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    fs::path folder;
    fs::path out;
    std::int64_t totalBytes = 0;
    std::string lastPicture;
    std::int64_t lastPictureBytes = 0;
};

const Packages& packages() {
    static const Packages instance;
    return instance;
}

fs::path archiveFor(int method) {
    return packages().folder / ("lh" + std::to_string(method) + ".lzh");
}

// Every picture, as the editor unpacks a whole movie.
void BM_ExtractAll(benchmark::State& state) {
    const fs::path archive = archiveFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (lha::ExtractFiles(archive, packages().out, "*.bmp").status != lha::Status::Ok) {
            state.SkipWithError("extraction failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * packages().totalBytes);
    state.counters["packed_ratio"] =
        static_cast<double>(fs::file_size(archive)) / static_cast<double>(packages().totalBytes);
}
BENCHMARK(BM_ExtractAll)->Arg(5)->Arg(7)->Unit(benchmark::kMillisecond);

// One picture by name, as the player takes each frame as it comes.
void BM_ExtractOne(benchmark::State& state) {
    const fs::path archive = archiveFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (lha::ExtractFiles(archive, packages().out, packages().lastPicture).status !=
            lha::Status::Ok) {
            state.SkipWithError("extraction failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * packages().lastPictureBytes);
}
BENCHMARK(BM_ExtractOne)->Arg(5)->Arg(7)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // Before the first benchmark's header, so a missing corpus is all that
    // is printed.
    if (BenchCorpus::Pictures().empty()) {
        BenchCorpus::ReportMissing("bench_extract", "any .bmp screen capture");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
