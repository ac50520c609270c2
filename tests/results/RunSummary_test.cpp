// The figures of a run as the window and the terminal word them.
#include "results/RunSummary.h"

#include "engine/pass/SubstitutionPass.h"

#include <gtest/gtest.h>

namespace {

struct TSummaryCase
{
    const char *Name = nullptr;
    qvc::TRunSummary Summary;
    const char *Window = nullptr; // Windows-1252
    const char *Terminal = nullptr;
};

const TSummaryCase kCases[] = {
    { "run", { 12, 3, 1, 4, 0.84, false, false },
        "12 arquivos: 3 alterados, 1 com falha, 4 ocorr\xEAncias n\xE3o trocadas, em 0,8 s",
        "12 files: 3 changed, 1 failed, 4 missed, 0.8 s" },
    { "one of each", { 1, 1, 1, 1, 0.04, false, false },
        "1 arquivo: 1 alterado, 1 com falha, 1 ocorr\xEAncia n\xE3o trocada, em 0,0 s",
        "1 file: 1 changed, 1 failed, 1 missed, 0.0 s" },
    { "simulated", { 2000, 1416, 0, 0, 61.25, true, false },
        "2.000 arquivos (simula\xE7\xE3o): 1.416 alterados, 0 com falha, 0 ocorr\xEAncias n\xE3o trocadas, em 61,3 s",
        "2000 files (simulated): 1416 changed, 0 failed, 0 missed, 61.3 s" },
    { "stopped", { 0, 0, 0, 0, -1, false, true },
        "0 arquivos: 0 alterados, 0 com falha, 0 ocorr\xEAncias n\xE3o trocadas, em 0,0 s (interrompida)",
        "0 files: 0 changed, 0 failed, 0 missed, 0.0 s (stopped)" },
};

} // namespace

TEST(RunSummary, WindowAndTerminalTexts)
{
    for (const TSummaryCase &c : kCases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(qvc::WindowSummaryText(c.Summary, ".", ","), c.Window);
        EXPECT_EQ(qvc::TerminalSummaryText(c.Summary), c.Terminal);
    }
}

TEST(RunSummary, CountsFilesFromTheirReports)
{
    qvc::TRunSummary summary;
    qvc::TPassReport changed;
    changed.Count = 5;
    changed.Missed.resize(2);
    qvc::TPassReport unchanged;
    unchanged.Missed.resize(1);
    qvc::TPassReport failed;
    failed.Count = -1;
    for (const qvc::TPassReport *report : { &changed, &unchanged, &failed })
        summary.Add(*report);
    summary.AddWriteFailure();
    EXPECT_EQ(summary.Files, 4u);
    EXPECT_EQ(summary.Changed, 1u);
    EXPECT_EQ(summary.Failed, 2u);
    EXPECT_EQ(summary.Missed, 3u);
}

TEST(RunSummary, UndoText)
{
    EXPECT_EQ(qvc::WindowUndoSummaryText(1234, 0.26, ".", ","),
        "Convers\xE3o desfeita: 1.234 arquivos restaurados, em 0,3 s");
    EXPECT_EQ(qvc::WindowUndoSummaryText(1, 0, ".", ","), "Convers\xE3o desfeita: 1 arquivo restaurado, em 0,0 s");
}
