// A folder scan through the window (offscreen, shown, with its pending events handled at every directory entry
// and every file becoming a row of the list view) against the core alone, over a generated tree of 50,000 files
// in 2,000 folders with the default masks.
#include "ScriptedDialogSeam.h"
#include "UiBenchMain.h"
#include "WindowEnds.h"
#include "commands/ActionTags.h"
#include "engine/run/ResultStore.h"
#include "filelist/FileList.h"
#include "filelist/SearchFiles.h"
#include "ui/FileListModel.h"
#include "ui/FileListPage.h"
#include "ui/LocaleBridge.h"
#include "ui/SettingsPage.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

constexpr int kTopFolders = 40;
constexpr int kSubFolders = 49; // 40 + 40 * 49 = 2,000 folders
constexpr int kFilesPerFolder = 25; // 2,000 * 25 = 50,000 files, half of them matching the masks
const char *const kExtensions[] = { ".pas", ".dfm", ".PAS", ".txt", ".dpr", ".bak", ".xfm", ".Dpk", ".res", ".inc" };

// Built once under /tmp and kept between runs (a marker says it is complete).
const std::string &TreeRoot()
{
    static const std::string root = [] {
        std::string folder = (fs::temp_directory_path() / "qvc-windowscan-bench").string();
        if (fs::exists(fs::path(folder) / "tree-complete"))
            return folder;
        fs::remove_all(folder);
        const auto fill = [](const fs::path &path) {
            fs::create_directories(path);
            for (int f = 0; f < kFilesPerFolder; ++f)
                std::ofstream(path / ("Unit" + std::to_string(f) + kExtensions[f % 10])) << "unit";
        };
        for (int t = 0; t < kTopFolders; ++t) {
            const fs::path top = fs::path(folder) / ("Top" + std::to_string(t));
            fill(top);
            for (int s = 0; s < kSubFolders; ++s)
                fill(top / ("Sub" + std::to_string(s)));
        }
        std::ofstream(fs::path(folder) / "tree-complete") << "done";
        return folder;
    }();
    return root;
}

// The search alone, every file counted.
void BM_CoreSearch(benchmark::State &state)
{
    qvc::TSearchFiles search;
    search.SetRootDirectory(TreeRoot());
    search.FileParams().SetMaskText(qvc::kDefaultFileMask);
    std::size_t found = 0;
    search.SetOnFindFile([&found](const std::string &) { ++found; });
    for (auto _ : state) {
        found = 0;
        search.Search();
    }
    state.counters["files"] = double(found);
}

// What a scan does without widgets: the search fills the core list (with the window's locale), then the
// sort of a scan into an empty list.
void CoreScanIntoList(benchmark::State &state, bool sort)
{
    qvc::TSearchFiles search;
    search.SetRootDirectory(TreeRoot());
    search.FileParams().SetMaskText(qvc::kDefaultFileMask);
    std::size_t rows = 0;
    for (auto _ : state) {
        qvc::TResultStore store;
        qvc::TFileList list(store, qvc::MakeListLocale());
        search.SetOnFindFile([&list](const std::string &name) { list.AddFileToList(name); });
        search.Search();
        if (sort)
            list.SortByColumn(1);
        rows = list.RowCount();
    }
    state.counters["files"] = double(rows);
}

void BM_CoreScanIntoList(benchmark::State &state)
{
    CoreScanIntoList(state, true);
}

// The same into a list that has rows already: no sort.
void BM_CoreScanAppend(benchmark::State &state)
{
    CoreScanIntoList(state, false);
}

// The scan command of the shown window: folder picker answered at once, one processEvents per directory
// entry, every file a row of the list view, then the sort; the list is emptied between iterations.
void WindowScan(benchmark::State &state, bool intoEmptyList)
{
    qvc::TScriptedDialogSeam dialogs;
    const QString executable = qvc::PathToQ(TreeRoot()) + QStringLiteral("/qvConvertFiles");
    auto window = std::make_unique<Tfrm_Main>(&dialogs, executable);
    window->show();
    window->FileListPage().ApplyFileMask(window->SettingsPage().MaskText());
    QCoreApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        window->FileListPage().Model().Clear();
        if (!intoEmptyList)
            window->FileListPage().AddFileToList(QStringLiteral("/first.pas"));
        dialogs.FolderAnswers = { qvc::PathToQ(TreeRoot()) };
        QCoreApplication::processEvents();
        state.ResumeTiming();
        ScanInWindow(*window);
        // The list is drawn once the scan is over, as the user sees it.
        QCoreApplication::processEvents();
    }
    state.counters["files"] = double(window->FileListPage().Model().rowCount());
    window->close();
}

void BM_WindowScan(benchmark::State &state)
{
    WindowScan(state, true);
}

// The same into a list that has rows already: no sort.
void BM_WindowScanAppend(benchmark::State &state)
{
    WindowScan(state, false);
}

BENCHMARK(BM_CoreSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CoreScanIntoList)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CoreScanAppend)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WindowScan)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WindowScanAppend)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    return RunWindowBenchmarks(argc, argv);
}
