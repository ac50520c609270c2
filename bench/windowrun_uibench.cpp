// A conversion run through the window (offscreen, with its event handling and screen updates) against the
// same run through the core with a view that does nothing and a run journal (what qvconvert does, without its
// terminal output): a tree from bench/gen_tree.py with the pairs of tests/data/delphi-to-kylix.dat. The "Write"
// variants convert a fresh copy of the tree in every iteration (the copy is not timed); the "Simulate" variants write
// nothing.
#include "GeneratedTree.h"
#include "ScriptedDialogSeam.h"
#include "SilentServices.h"
#include "UiBenchMain.h"
#include "WindowEnds.h"
#include "common/FileIO.h"
#include "engine/journal/RunJournal.h"
#include "engine/run/ConversionRun.h"
#include "filelist/SearchFiles.h"
#include "repository/RepositoryFile.h"
#include "ui/ConversionRunner.h"
#include "ui/FileListPage.h"
#include "ui/RepositoryModel.h"
#include "ui/RepositoryPage.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

const std::string kTree = "/tmp/qvc-windowrun-bench-tree";

struct TWorkload
{
    std::vector<std::string> Files; ///< in the tree
    std::vector<std::string> CopyFiles; ///< the same files in the copy that the writing runs convert
    std::vector<std::string> Lines;
    qvc::TRenameMode RenameMode = qvc::TRenameMode::None;
};

const TWorkload &Workload()
{
    static const TWorkload workload = [] {
        TWorkload w;
        EnsureGeneratedTree(kTree, 400, 7);
        w.Files = GeneratedFiles(kTree, "*.pas;*.dfm;*.dpr");
        for (const auto &file : w.Files)
            w.CopyFiles.push_back(kTree + "/copy" + file.substr((kTree + "/tree").size()));
        const auto content = qvc::ParseRepositoryBytes(
            qvc::ReadFileBytes(QVC_SOURCE_DIR "/tests/data/delphi-to-kylix.dat"), qvc::TRenameMode::None);
        w.Lines = content.Lines;
        return w;
    }();
    return workload;
}

// The run with nothing on screen: what qvconvert does without its terminal output (it journals too); the
// outcomes are kept in a store, as the window keeps them.
class TNullView : public TSilentServices<qvc::TRunObserver>
{
public:
    explicit TNullView(qvc::TResultStore &store)
        : m_store(store)
    {
    }
    void RowOutcome(qvc::TFileOutcome &outcome) override { qvc::StoreOutcome(m_store, outcome); }
    // Nothing stops this run, as nothing stops qvconvert's: the writer threads are not held back for a question.
    bool StopMayBeWanted() override { return false; }

private:
    qvc::TResultStore &m_store;
};

void FreshCopy()
{
    std::filesystem::remove_all(kTree + "/copy");
    std::filesystem::copy(kTree + "/tree", kTree + "/copy", std::filesystem::copy_options::recursive);
}

void CoreRun(benchmark::State &state, bool simulate)
{
    const TWorkload &w = Workload();
    const auto &files = simulate ? w.Files : w.CopyFiles;
    qvc::TResultStore store;
    for (std::size_t i = 0; i < files.size(); ++i)
        store.Append();
    for (auto _ : state) {
        if (!simulate) {
            state.PauseTiming();
            FreshCopy();
            state.ResumeTiming();
        }
        TNullView view(store);
        qvc::TRunRequest request;
        for (std::size_t row = 0; row < files.size(); ++row)
            request.Files.push_back({ files[row], row });
        request.RepositoryLines = w.Lines;
        request.RenameMode = w.RenameMode;
        request.Simulate = simulate;
        // Journaled as the window's run and qvconvert's are.
        qvc::TRunJournal journal(kTree + "/journals");
        qvc::RunConversion(request, view, &journal);
    }
    state.counters["files"] = double(files.size());
}

void WindowRun(benchmark::State &state, bool simulate)
{
    const TWorkload &w = Workload();
    const auto &files = simulate ? w.Files : w.CopyFiles;
    qvc::TScriptedDialogSeam dialogs;
    auto window = std::make_unique<Tfrm_Main>(&dialogs, QStringLiteral("/tmp/qvc-windowrun-bench/qvConvertFiles"));
    window->show();
    for (const auto &file : files)
        window->FileListPage().AddFileToList(qvc::PathToQ(file));
    window->RepositoryPage().Model().BeginChange();
    window->RepositoryPage().Repository().SetLines(w.Lines);
    window->RepositoryPage().Model().EndChange();
    window->findChild<QCheckBox *>(QStringLiteral("cbCheckBoxSimulate"))->setChecked(simulate);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        if (!simulate) {
            state.PauseTiming();
            FreshCopy();
            state.ResumeTiming();
        }
        RunInWindow(*window);
    }
    state.counters["files"] = double(files.size());
    window->close();
}

void BM_CoreRunSimulate(benchmark::State &state)
{
    CoreRun(state, true);
}
void BM_WindowRunSimulate(benchmark::State &state)
{
    WindowRun(state, true);
}
void BM_CoreRunWrite(benchmark::State &state)
{
    CoreRun(state, false);
}
void BM_WindowRunWrite(benchmark::State &state)
{
    WindowRun(state, false);
}

BENCHMARK(BM_CoreRunSimulate)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WindowRunSimulate)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CoreRunWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WindowRunWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    return RunWindowBenchmarks(argc, argv);
}
