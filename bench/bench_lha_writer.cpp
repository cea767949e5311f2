// The LHA writer on real screen captures: size against gzip -9 and speed
// per method, then the cost of appending to a 100-member package.
//
// Corpus: the bench_corpus target (see bench/BenchCorpus.h).
// SLIDEWRIGHT_LHA_EFFORT="shortChain=4,maxChain=64" measures the summary and
// the per-file figures with other parse settings, to weigh size against time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "archiver/LhEncoder.h"
#include "archiver/LhaWriter.h"
#include "bench/BenchCorpus.h"

namespace fs = std::filesystem;

namespace {

struct CorpusFile {
    fs::path path;
    std::vector<std::uint8_t> bytes;
};

std::vector<CorpusFile>& Corpus() {
    static std::vector<CorpusFile> files = [] {
        std::vector<CorpusFile> found;
        for (const fs::path& path : BenchCorpus::Pictures()) {
            std::ifstream in(path, std::ios::binary);
            found.push_back({path, {std::istreambuf_iterator<char>(in), {}}});
        }
        return found;
    }();
    return files;
}

std::uint64_t GzipSize(const fs::path& file) {
    const std::string command = "gzip -9 -c '" + file.string() + "' | wc -c";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return 0;
    }
    unsigned long long size = 0;
    if (std::fscanf(pipe, "%llu", &size) != 1) {
        size = 0;
    }
    pclose(pipe);
    return size;
}

// The parse settings to measure: the writer's own, or those the
// environment names. Exits on a name it does not know.
const lha::ParseEffort& Effort() {
    static const lha::ParseEffort effort = [] {
        lha::ParseEffort e;
        const char* text = std::getenv("SLIDEWRIGHT_LHA_EFFORT");
        std::istringstream list(text != nullptr ? text : "");
        std::string item;
        while (std::getline(list, item, ',')) {
            const auto equals = item.find('=');
            const std::string name = item.substr(0, equals);
            int* field = name == "maxChain"          ? &e.maxChain
                         : name == "shortChain"      ? &e.shortChain
                         : name == "lazyLimit"       ? &e.lazyLimit
                         : name == "goodLength"      ? &e.goodLength
                         : name == "niceLength"      ? &e.niceLength
                         : name == "recentDistances" ? &e.recentDistances
                                                     : nullptr;
            if (field == nullptr || equals == std::string::npos) {
                std::fprintf(stderr, "bench_lha_writer: unknown setting '%s'\n", item.c_str());
                std::exit(1);
            }
            *field = std::atoi(item.c_str() + equals + 1);
        }
        return e;
    }();
    return effort;
}

struct MethodFigures {
    std::uint64_t ours = 0;
    double seconds = 0;     // wall clock
    double cpuSeconds = 0;  // this thread's own time: the machine is shared
};

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Best of three passes over the corpus, on this one thread.
MethodFigures Measure(lha::Method method, const lha::ParseEffort& effort) {
    MethodFigures figures;
    figures.seconds = 1e30;
    figures.cpuSeconds = 1e30;
    for (int pass = 0; pass < 3; ++pass) {
        std::uint64_t total = 0;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadSeconds();
        for (const auto& file : Corpus()) {
            const auto packed = lha::CompressLh(file.bytes, method, SIZE_MAX, effort);
            total += std::min<std::uint64_t>(packed ? packed->size() : file.bytes.size(),
                                             file.bytes.size());
        }
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        figures.seconds = std::min(figures.seconds, spent.count());
        figures.cpuSeconds = std::min(figures.cpuSeconds, ThreadSeconds() - cpuStart);
        figures.ours = total;
    }
    return figures;
}

void PrintSummary() {
    std::uint64_t input = 0;
    std::uint64_t gzip = 0;
    for (const auto& file : Corpus()) {
        input += file.bytes.size();
        gzip += GzipSize(file.path);
    }
    std::printf("corpus: %zu screen captures, %llu bytes; gzip -9: %llu bytes\n", Corpus().size(),
                static_cast<unsigned long long>(input), static_cast<unsigned long long>(gzip));
    if (const char* settings = std::getenv("SLIDEWRIGHT_LHA_EFFORT")) {
        std::printf("parse settings: %s\n", settings);
    }
    // MB/s on this thread's CPU time (one core) and on the wall clock, which
    // other work on the machine slows.
    std::printf("%-7s %12s %12s %12s %8s %10s %10s\n", "method", "input", "ours", "gzip -9",
                "ratio", "MB/s cpu", "MB/s wall");
    auto print = [&](const char* label, const MethodFigures& f) {
        std::printf("%-7s %12llu %12llu %12llu %8.3f %10.1f %10.1f\n", label,
                    static_cast<unsigned long long>(input), static_cast<unsigned long long>(f.ours),
                    static_cast<unsigned long long>(gzip),
                    gzip == 0 ? 0.0 : static_cast<double>(f.ours) / static_cast<double>(gzip),
                    static_cast<double>(input) / 1e6 / f.cpuSeconds,
                    static_cast<double>(input) / 1e6 / f.seconds);
    };
    for (const auto method : {lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7}) {
        print(lha::MethodId(method), Measure(method, Effort()));
    }
    std::fflush(stdout);
}

// Per capture: where the bytes and the time go. Printed when
// SLIDEWRIGHT_LHA_PER_FILE is set.
void PrintPerFile() {
    std::printf("%-26s %10s %9s %9s %9s\n", "capture", "input", "gzip -9", "-lh7-", "ms cpu");
    for (const auto& file : Corpus()) {
        const double start = ThreadSeconds();
        const auto packed = lha::CompressLh(file.bytes, lha::Method::Lh7, SIZE_MAX, Effort());
        const double ms = (ThreadSeconds() - start) * 1e3;
        std::printf("%-26s %10zu %9llu %9zu %9.1f\n", file.path.filename().string().c_str(),
                    file.bytes.size(), static_cast<unsigned long long>(GzipSize(file.path)),
                    packed ? packed->size() : file.bytes.size(), ms);
    }
    std::fflush(stdout);
}

void BM_Compress(benchmark::State& state) {
    const auto method = static_cast<lha::Method>(state.range(0));
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        for (const auto& file : Corpus()) {
            benchmark::DoNotOptimize(lha::CompressLh(file.bytes, method));
            bytes += file.bytes.size();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.SetLabel(lha::MethodId(method));
}
BENCHMARK(BM_Compress)
    ->Arg(static_cast<int>(lha::Method::Lh5))
    ->Arg(static_cast<int>(lha::Method::Lh6))
    ->Arg(static_cast<int>(lha::Method::Lh7))
    ->Unit(benchmark::kMillisecond);

void WriteFile(const fs::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Appending one member (part of a screen capture) to a package of 100:
// range(0) is the size of each existing member, range(1) the new member's,
// both in KiB. The time should follow the new member alone.
void BM_AppendTo100MemberPackage(benchmark::State& state) {
    const auto& corpus = Corpus();
    if (corpus.empty()) {
        state.SkipWithError("no corpus");
        return;
    }
    const fs::path folder =
        fs::temp_directory_path() / ("lha-append-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path archive = folder / "package.sdw";
    const std::size_t memberSize = static_cast<std::size_t>(state.range(0)) * 1024;
    const std::size_t newSize = static_cast<std::size_t>(state.range(1)) * 1024;
    auto slice = [&](std::size_t index, std::size_t size) {
        const auto& bytes = corpus[index % corpus.size()].bytes;
        size = std::min(size, bytes.size());
        return std::span<const std::uint8_t>(bytes.data(), size);
    };
    fs::remove(archive);
    // Noise stays its own size in the package, so the package really is
    // 100 times the member size.
    std::mt19937 random(1);
    std::vector<std::uint8_t> noise(memberSize);
    for (int i = 0; i < 100; ++i) {
        for (auto& b : noise) {
            b = static_cast<std::uint8_t>(random());
        }
        const fs::path member = folder / ("SW" + std::to_string(1000 + i) + ".bmp");
        WriteFile(member, noise);
        lha::StoreFile(archive, member);
        fs::remove(member);
    }
    const auto baseSize = fs::file_size(archive);
    const fs::path added = folder / "new-frame.bmp";
    WriteFile(added, slice(7, newSize));
    for (auto _ : state) {
        state.PauseTiming();
        // Back to the 100 members: cut the new one off, and the end marker
        // it overwrote goes back.
        fs::resize_file(archive, baseSize);
        std::fstream(archive, std::ios::in | std::ios::out | std::ios::binary)
            .seekp(static_cast<std::streamoff>(baseSize - 1))
            .put('\0');
        state.ResumeTiming();
        if (lha::StoreFile(archive, added) != 0) {
            state.SkipWithError("store failed");
            break;
        }
    }
    state.counters["package_MB"] = static_cast<double>(baseSize) / 1e6;
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * slice(7, newSize).size()));
    fs::remove_all(folder);
}
BENCHMARK(BM_AppendTo100MemberPackage)
    ->Args({16, 256})
    ->Args({512, 256})
    ->Args({16, 2048})
    ->Args({512, 2048})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (Corpus().empty()) {
        BenchCorpus::ReportMissing("bench_lha_writer", "any .bmp screen capture");
        return 1;
    }
    Effort();  // a misspelt setting stops the run before any figure
    PrintSummary();
    if (std::getenv("SLIDEWRIGHT_LHA_PER_FILE") != nullptr) {
        PrintPerFile();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
