// The unified diff of a converted file against the number of its lines, fitted to a complexity (the BigO
// column should read N): ordinary source with scattered changes, a file of one repeated line whose changes
// are too many for a shortest script (the edit search gives up at its bound and pairs the rest), and one
// long line.
#include "results/UnifiedDiff.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

struct TTexts
{
    std::string Old;
    std::string New;
};

// Source lines; every `every`-th names a unit a pair renames.
TTexts Source(std::int64_t lines, std::int64_t every, bool sameLines)
{
    TTexts texts;
    for (std::int64_t i = 0; i < lines; ++i) {
        if (i % every == 0) {
            texts.Old += "uses Forms, Dialogs;\r\n";
            texts.New += "uses QForms, QDialogs;\r\n";
            continue;
        }
        const std::string line = sameLines ? "end;\r\n" : "  Total" + std::to_string(i) + " := Total + Item.Price;\r\n";
        texts.Old += line;
        texts.New += line;
    }
    return texts;
}

void RunDiff(benchmark::State &state, const TTexts &texts)
{
    const qvc::TDiffFile names { "src/Unit1.pas", "src/Unit1.pas", qvc::TDiffChange::Modified, false };
    std::size_t size = 0;
    for (auto _ : state) {
        std::string diff;
        qvc::AppendUnifiedDiff(diff, names, texts.Old, texts.New);
        size = diff.size();
        benchmark::DoNotOptimize(diff.data());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * texts.Old.size()));
    state.counters["diff MB"] = static_cast<double>(size) / 1e6;
}

void BM_DiffOfScatteredChanges(benchmark::State &state)
{
    RunDiff(state, Source(state.range(0), 40, false));
}

// Every line but the changed ones alike: the edit search follows long runs on many diagonals.
void BM_DiffOfRepeatedLines(benchmark::State &state)
{
    RunDiff(state, Source(state.range(0), 250, true));
}

void BM_DiffOfOneLongLine(benchmark::State &state)
{
    TTexts texts;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        texts.Old += "Forms, ";
        texts.New += i == 0 ? "QForms, " : "Forms, ";
    }
    RunDiff(state, texts);
}

void LineCounts(benchmark::internal::Benchmark *bench)
{
    for (const std::int64_t n : { 10000, 100000, 1000000 })
        bench->Arg(n);
    bench->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_DiffOfScatteredChanges)->Apply(LineCounts);
BENCHMARK(BM_DiffOfRepeatedLines)->Apply(LineCounts);
BENCHMARK(BM_DiffOfOneLongLine)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(2900000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace
