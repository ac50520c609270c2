// The substitution pass per megabyte of Delphi source: the optimised pass, the literal algorithm it
// replaces, and whole files converted through ConvertFile (reading included, simulated writing).
#include "common/AsciiCase.h"
#include "common/FileIO.h"
#include "common/TextLines.h"
#include "engine/pass/SubstitutionPass.h"

#include "SilentServices.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct TCorpus
{
    std::vector<std::string> Pairs;
    std::vector<std::string> Files;
    std::vector<std::vector<std::string>> Lines;
    std::size_t Bytes = 0;
};

// A generated tree of 300 units with the pairs of the Delphi-to-Kylix example repository, made once.
const TCorpus &Corpus()
{
    static const TCorpus corpus = [] {
        TCorpus c;
        const std::string source = QVC_SOURCE_DIR;
        const std::string dir
            = std::filesystem::temp_directory_path().string() + "/qvc-substitution-bench-" + std::to_string(::getpid());
        const std::string command
            = "python3 '" + source + "/bench/gen_tree.py' --units 300 --seed 5 --out '" + dir + "' > /dev/null";
        if (std::system(command.c_str()) != 0)
            return c;
        c.Pairs = qvc::SplitLines(qvc::ReadFileBytes(source + "/tests/data/delphi-to-kylix.dat"));
        c.Pairs.erase(c.Pairs.begin()); // the RenameMode marker
        for (const auto &entry : std::filesystem::recursive_directory_iterator(dir)) {
            if (!entry.is_regular_file())
                continue;
            const std::string bytes = qvc::ReadFileBytes(entry.path().string());
            c.Bytes += bytes.size();
            c.Files.push_back(entry.path().string());
            c.Lines.push_back(qvc::SplitLines(bytes));
        }
        return c;
    }();
    return corpus;
}

using TQuietWindow = TSilentServices<qvc::TFileProgress>;

void BM_PassApplyAll(benchmark::State &state)
{
    const TCorpus &corpus = Corpus();
    if (corpus.Files.empty()) {
        state.SkipWithError("python3 or the generator is missing");
        return;
    }
    qvc::TSubstitutionPass pass(corpus.Pairs);
    long long replacements = 0;
    for (auto _ : state) {
        for (std::size_t f = 0; f < corpus.Lines.size(); ++f) {
            std::vector<std::string> lines = corpus.Lines[f];
            std::string newName;
            qvc::TConversionResult results;
            replacements += pass.ApplyAll(lines, corpus.Files[f], newName, results);
            benchmark::DoNotOptimize(lines.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.Bytes));
    state.counters["MB"] = static_cast<double>(corpus.Bytes) / 1e6;
    state.counters["replacements"] = static_cast<double>(replacements) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PassApplyAll)->Unit(benchmark::kMillisecond);

// The plain algorithm: every pair folds and scans every line.
void BM_LiteralApplyAll(benchmark::State &state)
{
    const TCorpus &corpus = Corpus();
    if (corpus.Files.empty()) {
        state.SkipWithError("python3 or the generator is missing");
        return;
    }
    for (auto _ : state) {
        for (std::size_t f = 0; f < corpus.Lines.size(); ++f) {
            std::vector<std::string> lines = corpus.Lines[f];
            std::string newName;
            qvc::TConversionResult results;
            for (const auto &pair : corpus.Pairs) {
                const std::size_t eq = pair.find('=');
                qvc::ApplyPair(lines, pair.substr(0, eq), pair.substr(eq + 1), corpus.Files[f], newName, results);
            }
            benchmark::DoNotOptimize(lines.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.Bytes));
}
BENCHMARK(BM_LiteralApplyAll)->Unit(benchmark::kMillisecond);

// Whole files as a run converts them: read, form test, pairs with a progress update after each, no write.
void BM_ConvertFileSimulated(benchmark::State &state)
{
    const TCorpus &corpus = Corpus();
    if (corpus.Files.empty()) {
        state.SkipWithError("python3 or the generator is missing");
        return;
    }
    qvc::TSubstitutionPass pass(corpus.Pairs);
    TQuietWindow window;
    qvc::TPassOptions options;
    options.Simulate = true;
    qvc::TPassReport report;
    for (auto _ : state) {
        for (const auto &file : corpus.Files) {
            qvc::TConversionResult results;
            benchmark::DoNotOptimize(pass.ConvertFile(0, file, options, results, window, report));
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.Bytes));
    state.counters["events/file"]
        = static_cast<double>(window.Events) / static_cast<double>(state.iterations() * corpus.Files.size());
}
BENCHMARK(BM_ConvertFileSimulated)->Unit(benchmark::kMillisecond);

} // namespace
