// Converting the whole real form corpus, against simply reading the same bytes.
//
// BM_ConvertCorpus turns every binary form (already in memory) into its text. BM_ReadCorpusFiles reads
// the same files with ReadFileBytes (from the page cache after the first round): the "simply reading the
// same bytes" baseline. BM_SumCorpusBytes only touches the bytes in memory, the floor below both. All
// three count the binary files' bytes, so their bytes_per_second compare directly.
#include "common/Errors.h"
#include "common/FileIO.h"
#include "engine/forms/BinaryFormToText.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TCorpus
{
    std::vector<std::string> paths;
    std::vector<std::string> files;
    std::int64_t bytes = 0;
};

const TCorpus &Corpus()
{
    static const TCorpus corpus = [] {
        TCorpus loaded;
        const fs::path root = fs::path(QVC_SHARED_DIR) / "corpus" / "forms";
        for (const char *folder : { "binary", "delphi/binary" }) {
            std::error_code ec;
            if (!fs::is_directory(root / folder, ec))
                continue;
            for (const auto &entry : fs::recursive_directory_iterator(root / folder)) {
                if (!entry.is_regular_file())
                    continue;
                loaded.paths.push_back(entry.path().string());
                loaded.files.push_back(qvc::ReadFileBytes(entry.path().string()));
                loaded.bytes += static_cast<std::int64_t>(loaded.files.back().size());
            }
        }
        return loaded;
    }();
    return corpus;
}

void BM_ConvertCorpus(benchmark::State &state)
{
    const TCorpus &corpus = Corpus();
    if (corpus.files.empty()) {
        state.SkipWithError("no form corpus");
        return;
    }
    std::string text;
    std::int64_t textBytes = 0;
    for (auto _ : state) {
        textBytes = 0;
        for (const std::string &file : corpus.files) {
            text.clear();
            qvc::BinaryFormToText(qvc::SkipResourceHeader(file), text);
            textBytes += static_cast<std::int64_t>(text.size());
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * corpus.bytes);
    state.counters["files"] = static_cast<double>(corpus.files.size());
    state.counters["text_bytes"] = static_cast<double>(textBytes);
}
BENCHMARK(BM_ConvertCorpus)->Unit(benchmark::kMillisecond);

void BM_ReadCorpusFiles(benchmark::State &state)
{
    const TCorpus &corpus = Corpus();
    if (corpus.paths.empty()) {
        state.SkipWithError("no form corpus");
        return;
    }
    for (auto _ : state) {
        for (const std::string &path : corpus.paths) {
            std::string bytes = qvc::ReadFileBytes(path);
            benchmark::DoNotOptimize(bytes.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * corpus.bytes);
}
BENCHMARK(BM_ReadCorpusFiles)->Unit(benchmark::kMillisecond);

void BM_SumCorpusBytes(benchmark::State &state)
{
    const TCorpus &corpus = Corpus();
    if (corpus.files.empty()) {
        state.SkipWithError("no form corpus");
        return;
    }
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (const std::string &file : corpus.files)
            for (const char c : file)
                sum += static_cast<unsigned char>(c);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * corpus.bytes);
}
BENCHMARK(BM_SumCorpusBytes)->Unit(benchmark::kMillisecond);

} // namespace
