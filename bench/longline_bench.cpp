// One long line holding a find text over and over: the pass's time against the number of occurrences, fitted
// to a complexity (benchmark's BigO column should read N, with a small RMS). The largest size is the 20 MB
// line of "Forms, " 2.9 million times with the pairs of the Delphi-to-Kylix example; at 100 thousand
// occurrences the pass's text, count and misses are checked once against the literal algorithm of the tests.
#include "LiteralPass.h"

#include "common/FileIO.h"
#include "common/TextLines.h"
#include "engine/pass/SubstitutionPass.h"

#include "SilentServices.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const Lines &KylixPairs()
{
    static const Lines pairs = [] {
        Lines lines
            = qvc::SplitLines(qvc::ReadFileBytes(std::string(QVC_SOURCE_DIR) + "/tests/data/delphi-to-kylix.dat"));
        lines.erase(lines.begin()); // the RenameMode marker
        return lines;
    }();
    return pairs;
}

std::string Repeat(const std::string &unit, std::int64_t times)
{
    std::string out;
    out.reserve(unit.size() * static_cast<std::size_t>(times));
    for (std::int64_t i = 0; i < times; ++i)
        out += unit;
    return out;
}

// The pass's text and misses on `line` against the literal algorithm's.
bool SameAsLiteral(const Lines &pairs, const std::string &line)
{
    TLiteralState literal { { line }, "/t/Long.pas", "", {} };
    const int literalCount = LiteralApplyAll(literal, pairs);
    qvc::TSubstitutionPass pass(pairs);
    Lines lines { line };
    std::string newName;
    qvc::TConversionResult results;
    const int count = pass.ApplyAll(lines, "/t/Long.pas", newName, results);
    return count == literalCount && lines == literal.Text && results == literal.Results
        && pass.MissedOccurrences() == LiteralMissed(literal);
}

// The pass over one long line as a file's text (no reading, no writing), its misses included.
void RunOnLine(benchmark::State &state, const Lines &pairs, const std::string &line)
{
    const std::string text = line + "\r\n";
    qvc::TSubstitutionPass pass(pairs);
    int count = 0;
    std::size_t missed = 0;
    for (auto _ : state) {
        std::string newName;
        qvc::TConversionResult results;
        std::string output;
        count = pass.ConvertText(text, "/t/Long.pas", newName, results, output);
        missed = pass.MissedOccurrences().size();
        benchmark::DoNotOptimize(output.data());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
    state.counters["replacements"] = count;
    state.counters["missed"] = static_cast<double>(missed);
}

// Each pair replaces once, every other occurrence is a miss ("second occurrence on the line").
void BM_KylixPairsOnOneLine(benchmark::State &state)
{
    const std::string line = Repeat("Forms, ", state.range(0));
    if (state.range(0) == 100000 && !SameAsLiteral(KylixPairs(), line)) {
        state.SkipWithError("the pass differs from the literal algorithm");
        return;
    }
    RunOnLine(state, KylixPairs(), line);
}

// An empty replace text deletes one occurrence after the other.
void BM_EmptyReplaceOnOneLine(benchmark::State &state)
{
    RunOnLine(state, { "Forms=" }, Repeat("Forms, ", state.range(0)));
}

// Every deletion joins the next occurrence across the gap it leaves: "<<<>>>" with "<>" deleted.
void BM_DeletionsJoiningOnOneLine(benchmark::State &state)
{
    RunOnLine(state, { "<>=" }, "(" + Repeat("<", state.range(0)) + Repeat(">", state.range(0)) + ")");
}

// The one-line files of the benchmark, written once per size and removed at the end.
struct TLongFiles // NOLINT(cppcoreguidelines-special-member-functions): one static object, never copied
{
    const std::string Folder
        = std::filesystem::temp_directory_path().string() + "/qvc-longline-bench-" + std::to_string(::getpid());
    std::map<std::int64_t, std::string> Paths;
    ~TLongFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    }
};

// A one-line file converted as a run converts it, simulated: reading and the form test included.
void BM_OneLineFileSimulated(benchmark::State &state)
{
    static TLongFiles files;
    std::string &path = files.Paths[state.range(0)];
    if (path.empty()) {
        std::filesystem::create_directories(files.Folder);
        path = files.Folder + "/Long" + std::to_string(state.range(0)) + ".pas";
        qvc::WriteFileReplacing(path, Repeat("Forms, ", state.range(0)));
    }
    qvc::TSubstitutionPass pass(KylixPairs());
    TSilentServices<qvc::TFileProgress> window;
    qvc::TPassOptions options;
    options.Simulate = true;
    qvc::TPassReport report;
    for (auto _ : state) {
        qvc::TConversionResult results;
        benchmark::DoNotOptimize(pass.ConvertFile(0, path, options, results, window, report));
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * state.range(0) * 7));
    state.counters["missed"] = static_cast<double>(report.Missed.size());
}

// Sizes up to the 20 MB line (2.9 million occurrences of "Forms, ").
void LineSizes(benchmark::internal::Benchmark *bench)
{
    for (const std::int64_t n : { 1000, 10000, 100000, 1000000, 2900000 })
        bench->Arg(n);
    bench->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_KylixPairsOnOneLine)->Apply(LineSizes);
BENCHMARK(BM_EmptyReplaceOnOneLine)->Apply(LineSizes);
BENCHMARK(BM_DeletionsJoiningOnOneLine)->Apply(LineSizes);
BENCHMARK(BM_OneLineFileSimulated)->Apply(LineSizes);

} // namespace
