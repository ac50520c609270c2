// The folder search over a generated tree of 50,000 files in 2,000 folders with the default masks,
// against find(1) with the same name patterns, and with the window's per-entry event hook stubbed out.
#include "engine/run/ResultStore.h"
#include "filelist/FileList.h"
#include "filelist/SearchFiles.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kTopFolders = 40;
constexpr int kSubFolders = 49; // 40 + 40 * 49 = 2,000 folders
constexpr int kFilesPerFolder = 25; // 2,000 * 25 = 50,000 files
const char *const kExtensions[] = { ".pas", ".dfm", ".PAS", ".txt", ".dpr", ".bak", ".xfm", ".Dpk", ".res", ".inc" };

// Built once under /tmp and kept between runs (a marker says it is complete).
const std::string &TreeRoot()
{
    static const std::string root = (fs::temp_directory_path() / "qvc-filesearch-bench").string();
    static std::once_flag once;
    std::call_once(once, [] {
        const fs::path marker = fs::path(root) / "tree-complete";
        if (fs::exists(marker))
            return;
        fs::remove_all(root);
        const auto fill = [](const fs::path &folder) {
            fs::create_directories(folder);
            for (int f = 0; f < kFilesPerFolder; ++f)
                std::ofstream(folder / ("Unit" + std::to_string(f) + kExtensions[f % 10])) << "unit";
        };
        for (int t = 0; t < kTopFolders; ++t) {
            const fs::path top = fs::path(root) / ("Top" + std::to_string(t));
            fill(top);
            for (int s = 0; s < kSubFolders; ++s)
                fill(top / ("Sub" + std::to_string(s)));
        }
        std::ofstream(marker) << "done";
    });
    return root;
}

// The search holds an atomic mark and is not movable: it is set up where it lives.
void SetUpSearch(qvc::TSearchFiles &search)
{
    search.SetRootDirectory(TreeRoot());
    search.FileParams().SetMaskText(qvc::kDefaultFileMask);
}

void RunSearch(benchmark::State &state, qvc::TSearchFiles &search)
{
    std::size_t found = 0;
    search.SetOnFindFile([&found](const std::string &name) { found += name.empty() ? 0 : 1; });
    for (auto _ : state) {
        found = 0;
        if (!search.Search())
            state.SkipWithError("search failed");
    }
    state.counters["files"] = static_cast<double>(found);
}

void BM_SearchCore(benchmark::State &state)
{
    qvc::TSearchFiles search;
    SetUpSearch(search);
    RunSearch(state, search);
}

void BM_SearchCoreWithPendingEvent(benchmark::State &state)
{
    qvc::TSearchFiles search;
    SetUpSearch(search);
    std::size_t events = 0;
    search.SetOnPendingEvent([&events] { benchmark::DoNotOptimize(++events); });
    RunSearch(state, search);
}

// What a scan does in the window, less the widgets: every file found becomes a row.
void BM_SearchIntoFileList(benchmark::State &state)
{
    qvc::TSearchFiles search;
    SetUpSearch(search);
    std::size_t rows = 0;
    for (auto _ : state) {
        qvc::TResultStore store;
        qvc::TFileList list(store);
        search.SetOnFindFile([&list](const std::string &name) { list.AddFileToList(name); });
        search.Search();
        list.SortByColumn(1);
        rows = list.RowCount();
    }
    state.counters["files"] = static_cast<double>(rows);
}

void BM_Find(benchmark::State &state)
{
    const std::string command = "find '" + TreeRoot()
        + "' -type f \\( -iname '*.pas' -o -iname '*.dfm' -o -iname '*.xfm' -o -iname '*.dpr' -o -iname '*.dpk' \\)"
          " > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("find failed");
}

} // namespace

BENCHMARK(BM_SearchCore)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchCoreWithPendingEvent)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchIntoFileList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Find)->Unit(benchmark::kMillisecond)->UseRealTime();
