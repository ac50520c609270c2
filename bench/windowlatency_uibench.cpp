// How long the window's thread goes without handling its events while a run or a scan goes on: a 5 ms timer
// ticks on the window's thread during a writing run and during a folder scan of the real-size generated tree
// (bench/gen_tree.py, 2,000 units as scripts/bench makes it, with the pairs scripts/bench uses), and the gaps
// between two ticks are reported as their 99th percentile and their maximum, in milliseconds (goal: 99th
// percentile at most 50 ms).
#include "GeneratedTree.h"
#include "ScriptedDialogSeam.h"
#include "UiBenchMain.h"
#include "WindowEnds.h"
#include "commands/ActionTags.h"
#include "common/FileIO.h"
#include "filelist/SearchFiles.h"
#include "repository/RepositoryFile.h"
#include "ui/ConversionRunner.h"
#include "ui/FileListModel.h"
#include "ui/FileListPage.h"
#include "ui/RepositoryModel.h"
#include "ui/RepositoryPage.h"
#include "ui/SettingsPage.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace {

const std::string kTree = "/tmp/qvc-windowlatency-bench";

struct TWorkload
{
    std::vector<std::string> CopyFiles; ///< the files of the copy that the writing runs convert
    std::vector<std::string> Lines;
};

// The pairs of scripts/bench: the 76 of ../shared/bench/vcl2clx.dat when it is there, else the frozen Kylix example.
std::string RepositoryFile()
{
    const std::string shared = QVC_SHARED_DIR "/bench/vcl2clx.dat";
    return std::filesystem::exists(shared) ? shared : std::string(QVC_SOURCE_DIR "/tests/data/delphi-to-kylix.dat");
}

const TWorkload &Workload()
{
    static const TWorkload workload = [] {
        TWorkload w;
        EnsureGeneratedTree(kTree, 2000, 1);
        for (const std::string &name : GeneratedFiles(kTree, qvc::kDefaultFileMask))
            w.CopyFiles.push_back(kTree + "/copy" + name.substr((kTree + "/tree").size()));
        w.Lines = qvc::ParseRepositoryBytes(qvc::ReadFileBytes(RepositoryFile()), qvc::TRenameMode::None).Lines;
        return w;
    }();
    return workload;
}

void FreshCopy()
{
    std::filesystem::remove_all(kTree + "/copy");
    std::filesystem::copy(kTree + "/tree", kTree + "/copy", std::filesystem::copy_options::recursive);
}

// The gaps between the ticks of a 5 ms timer on the window's thread while `work` runs, in milliseconds.
std::vector<double> TickGaps(const std::function<void()> &work)
{
    std::vector<qint64> ticks;
    QElapsedTimer clock;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks.push_back(clock.nsecsElapsed()); });
    clock.start();
    ticks.push_back(0);
    timer.start();
    work();
    timer.stop();
    ticks.push_back(clock.nsecsElapsed());
    std::vector<double> gaps;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        gaps.push_back(double(ticks[i] - ticks[i - 1]) / 1e6);
    return gaps;
}

void Report(benchmark::State &state, std::vector<double> gaps)
{
    if (gaps.empty())
        return;
    std::sort(gaps.begin(), gaps.end());
    const std::size_t p99 = std::min(gaps.size() - 1, std::size_t(double(gaps.size()) * 0.99));
    state.counters["p99_ms"] = gaps[p99];
    state.counters["max_ms"] = gaps.back();
    state.counters["ticks"] = double(gaps.size());
}

std::unique_ptr<Tfrm_Main> ShownWindow(qvc::TScriptedDialogSeam &dialogs)
{
    auto window = std::make_unique<Tfrm_Main>(&dialogs, QString::fromStdString(kTree + "/qvConvertFiles"));
    window->show();
    QCoreApplication::processEvents();
    return window;
}

// A writing run of the window over every file of a fresh copy of the tree.
void BM_WindowRunLatency(benchmark::State &state)
{
    const TWorkload &w = Workload();
    qvc::TScriptedDialogSeam dialogs;
    auto window = ShownWindow(dialogs);
    for (const auto &file : w.CopyFiles)
        window->FileListPage().AddFileToList(qvc::PathToQ(file));
    window->RepositoryPage().Model().BeginChange();
    window->RepositoryPage().Repository().SetLines(w.Lines);
    window->RepositoryPage().Model().EndChange();
    window->findChild<QCheckBox *>(QStringLiteral("cbCheckBoxSimulate"))->setChecked(false);
    QCoreApplication::processEvents();
    std::vector<double> gaps;
    for (auto _ : state) {
        state.PauseTiming();
        FreshCopy();
        state.ResumeTiming();
        const auto run = TickGaps([&] { RunInWindow(*window); });
        gaps.insert(gaps.end(), run.begin(), run.end());
    }
    Report(state, std::move(gaps));
    state.counters["files"] = double(w.CopyFiles.size());
    window->close();
}

// The scan command of the window over the tree, into an empty list.
void BM_WindowScanLatency(benchmark::State &state)
{
    Workload();
    qvc::TScriptedDialogSeam dialogs;
    auto window = ShownWindow(dialogs);
    window->FileListPage().ApplyFileMask(window->SettingsPage().MaskText());
    std::vector<double> gaps;
    for (auto _ : state) {
        state.PauseTiming();
        window->FileListPage().Model().Clear();
        dialogs.FolderAnswers = { qvc::PathToQ(kTree + "/tree") };
        QCoreApplication::processEvents();
        state.ResumeTiming();
        const auto scan = TickGaps([&] {
            ScanInWindow(*window);
            // The rows are drawn once the scan is over, as the user sees it.
            QCoreApplication::processEvents();
        });
        gaps.insert(gaps.end(), scan.begin(), scan.end());
    }
    Report(state, std::move(gaps));
    state.counters["files"] = double(window->FileListPage().Model().rowCount());
    window->close();
}

BENCHMARK(BM_WindowRunLatency)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_WindowScanLatency)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    return RunWindowBenchmarks(argc, argv);
}
