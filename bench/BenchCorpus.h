// Where every benchmark finds the screen captures it measures: the folder
// the bench_corpus target fills in the build tree, or $SLIDEWRIGHT_CORPUS.
#pragma once

#include <filesystem>
#include <vector>

namespace BenchCorpus {

std::filesystem::path Folder();

// Every .bmp in Folder(), sorted by name, so runs measure the same order.
std::vector<std::filesystem::path> Pictures();

// Those whose BMP header gives this width and height.
std::vector<std::filesystem::path> PicturesSized(int width, int height);

// The one message for a missing or too small corpus, on stderr; `need`
// says what the benchmark wanted ("ten 1920x1080 captures").
void ReportMissing(const char* benchmark, const char* need);

}  // namespace BenchCorpus
