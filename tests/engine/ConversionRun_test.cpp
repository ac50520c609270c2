#include "EngineFixture.h"
#include "FakeConversionView.h"
#include "engine/pass/FastTime.h"

#include "common/Errors.h"
#include "engine/run/ConversionRun.h"

namespace {

using Lines = std::vector<std::string>;

class ConversionRunTest : public TEngineFolderTest
{
public:
    // The pass's timer reads a counter that stands still unless a test moves it: every time shown is exact.
    ConversionRunTest()
    {
        qvc::SetCounterSource([] { return std::int64_t(0); });
    }
    ~ConversionRunTest() override { qvc::SetCounterSource(nullptr); }
    ConversionRunTest(const ConversionRunTest &) = delete;
    ConversionRunTest &operator=(const ConversionRunTest &) = delete;

protected:
    // Adds a row as the file list does: a new ResultStore slot whose index is the row's number.
    void AddRow(const std::string &name) { m_view.Rows.push_back(TFakeRow { Path(name), m_store.Append() }); }
    void Run(const Lines &pairs, qvc::TRenameMode renameMode = qvc::TRenameMode::None)
    {
        m_view.Locale = m_locale;
        RunOverRows(m_view, pairs, renameMode, m_store);
    }
    const TFakeRow &Row(std::size_t i) const { return m_view.Rows.at(i); }

    TFakeConversionView m_view;
    qvc::TResultStore m_store;
    qvc::TDisplayLocale m_locale { ".", ":" };
};

TEST_F(ConversionRunTest, EveryRowGetsItsCellsImageAndResult)
{
    Write("changed.pas", "uses Forms, Graphics;\r\n");
    Write("same.pas", "nothing\r\n");
    AddRow("changed.pas");
    AddRow("same.pas");
    AddRow("missing.pas");
    Run({ "Forms=QForms", "Graphics=QGraphics" });

    EXPECT_EQ(m_view.Calls, (Lines { "begin", "busy", "message on", "message off", "ready", "end" }));
    EXPECT_FALSE(m_view.Running);
    EXPECT_EQ(Row(0).Image, qvc::kImageChanged);
    EXPECT_EQ(Row(0).Updates, "2");
    EXPECT_EQ(Row(0).Status, "100%");
    EXPECT_EQ(Row(0).Time, "00:00:00");
    EXPECT_EQ(Row(1).Image, qvc::kImageUnchanged);
    EXPECT_EQ(Row(1).Updates, "0");
    EXPECT_EQ(Row(1).Status, "100%");
    EXPECT_EQ(Row(2).Image, qvc::kImageFailed);
    EXPECT_EQ(Row(2).Updates, "-1");
    EXPECT_EQ(Row(2).Status, "-");
    EXPECT_EQ(Row(2).Time, "00:00:00");
    for (const auto &row : m_view.Rows)
        EXPECT_TRUE(row.Selected);
    EXPECT_TRUE(m_view.SaveResultEnabled);
    EXPECT_EQ(m_store.Get(0).Entries(),
        (std::vector<qvc::TResultEntry> { { "Forms", "QForms", 1 }, { "Graphics", "QGraphics", 1 } }));
    EXPECT_TRUE(m_store.Get(1).Empty());
    EXPECT_TRUE(m_store.Get(2).Empty());
    EXPECT_EQ(m_view.ProgressPosition, 0);
    EXPECT_EQ(Read("changed.pas"), "uses QForms, QGraphics;\r\n");
}

TEST_F(ConversionRunTest, RunWithoutChangesLeavesSaveResultDisabled)
{
    Write("a.pas", "nothing\r\n");
    AddRow("a.pas");
    Run({ "Forms=QForms" });
    EXPECT_FALSE(m_view.SaveResultEnabled);
    EXPECT_EQ(Row(0).Image, qvc::kImageUnchanged);
}

TEST_F(ConversionRunTest, CountsUseTheLocaleSeparator)
{
    std::string text;
    for (int i = 0; i < 1234; ++i)
        text += "Forms\r\n";
    Write("big.pas", text);
    AddRow("big.pas");
    Run({ "Forms=QForms" });
    EXPECT_EQ(Row(0).Updates, "1.234");
}

TEST_F(ConversionRunTest, FailedFileShowsItsOwnTimeNotThePreviousOne)
{
    Write("slow.pas", "uses Forms;\r\n");
    AddRow("slow.pas");
    AddRow("missing.pas");
    // The window handling its events slowly makes the first file take 30 ms of a counter the test moves.
    static std::int64_t counter = 0;
    qvc::SetCounterSource([] { return counter; });
    m_view.OnEvents = [](int row) {
        if (row == 0)
            counter += qvc::CounterFrequency() * 30 / 1000;
    };
    Run({ "Forms=QForms" });
    qvc::SetCounterSource(nullptr);
    EXPECT_GE(m_view.Reports.at(0).Seconds, 0.03L);
    EXPECT_EQ(m_view.Reports.at(1).Seconds, 0.0L);
    EXPECT_EQ(Row(1).Time, qvc::FormatElapsed(m_view.Reports.at(1).Seconds, ":"));
}

TEST_F(ConversionRunTest, WriteFailureEndsTheRunAndKeepsEarlierRows)
{
    Write("a.pas", "uses Forms;\r\n");
    Write("b.pas", "uses Forms;\r\n");
    Write("c.pas", "uses Forms;\r\n");
    Write("b.~pas/in-the-way", "x");
    AddRow("a.pas");
    AddRow("b.pas");
    AddRow("c.pas");
    m_view.Backup = true;
    try {
        Run({ "Forms=QForms" });
        FAIL() << "the run should end with the backup failure";
    } catch (const qvc::TError &error) {
        EXPECT_STREQ(error.what(), "Unable to backup file.");
    }
    EXPECT_EQ(m_view.Calls, (Lines { "begin", "busy", "message on", "end" }));
    EXPECT_FALSE(m_view.Running);
    EXPECT_EQ(Row(0).Updates, "1");
    EXPECT_EQ(Read("a.pas"), "uses QForms;\r\n");
    EXPECT_EQ(Read("a.~pas"), "uses Forms;\r\n");
    EXPECT_EQ(m_store.Get(0).Total(), 1);
    EXPECT_TRUE(m_view.SaveResultEnabled);
    EXPECT_EQ(Row(1).Updates, "-");
    EXPECT_EQ(Row(1).Time, "-");
    EXPECT_EQ(Row(1).Status, "100%");
    EXPECT_EQ(Row(1).Image, qvc::kImageChanged);
    EXPECT_EQ(Row(2).Updates, "-");
    EXPECT_EQ(Row(2).Status, "-");
    EXPECT_EQ(Row(2).Image, qvc::kImageUnchanged);
    EXPECT_EQ(Read("c.pas"), "uses Forms;\r\n");
}

TEST_F(ConversionRunTest, StopBetweenFilesEndsTheRunNormally)
{
    Write("a.pas", "uses Forms;\r\n");
    Write("b.pas", "uses Forms;\r\n");
    Write("c.pas", "uses Forms;\r\n");
    AddRow("a.pas");
    AddRow("b.pas");
    AddRow("c.pas");
    m_view.StopAfterFiles = 2;
    Run({ "Forms=QForms" });
    // Asked before each file; the files done are kept, written and stored, and the run ends as usual.
    EXPECT_EQ(m_view.StopQuestions, 3);
    EXPECT_EQ(m_view.Calls, (Lines { "begin", "busy", "message on", "message off", "ready", "end" }));
    EXPECT_EQ(Row(1).Updates, "1");
    EXPECT_EQ(Read("b.pas"), "uses QForms;\r\n");
    EXPECT_EQ(m_store.Get(1).Total(), 1);
    EXPECT_EQ(Row(2).Updates, "-");
    EXPECT_EQ(Row(2).Status, "-");
    EXPECT_EQ(Row(2).Time, "-");
    EXPECT_EQ(Row(2).Image, qvc::kImageUnchanged);
    EXPECT_FALSE(Row(2).Selected);
    EXPECT_EQ(Read("c.pas"), "uses Forms;\r\n");
    EXPECT_TRUE(m_store.Get(2).Empty());
}

TEST_F(ConversionRunTest, SecondRunResetsRowsAndKeepsSlotsOfUnchangedOnes)
{
    Write("a.pas", "uses Forms;\r\n");
    Write("b.pas", "uses Graphics;\r\n");
    AddRow("a.pas");
    AddRow("b.pas");
    Run({ "Forms=QForms", "Graphics=QGraphics" });
    const qvc::TConversionResult firstOfB = m_store.Get(1);
    ASSERT_EQ(firstOfB.Total(), 1);

    // Row 0 removed, two rows added: numbers go on counting, so no two rows share a slot.
    m_view.Rows.erase(m_view.Rows.begin());
    Write("c.pas", "uses QForms, Graphics;\r\n");
    Write("d.pas", "x\r\n");
    AddRow("c.pas");
    AddRow("d.pas");
    m_view.Simulate = true;
    std::vector<std::string> updatesSeenAtStart;
    m_view.OnEvents = [&](int) {
        if (updatesSeenAtStart.empty())
            for (const auto &row : m_view.Rows)
                updatesSeenAtStart.push_back(row.Updates + "/" + std::to_string(row.Image));
    };
    Run({ "Forms=QForms", "Graphics=QGraphics" });
    // When the first file starts, every row shows "-" and image 8 (the first row's animation aside).
    EXPECT_EQ(updatesSeenAtStart, (Lines { "-/0", "-/8", "-/8" }));
    EXPECT_EQ(Row(0).Updates, "0"); // b.pas, already converted
    EXPECT_EQ(m_store.Get(1), firstOfB);
    EXPECT_EQ(Row(1).Updates, "1");
    EXPECT_EQ(m_store.Get(2).Entries(), (std::vector<qvc::TResultEntry> { { "Graphics", "QGraphics", 1 } }));
    EXPECT_TRUE(m_store.Get(3).Empty());
    EXPECT_EQ(Read("c.pas"), "uses QForms, Graphics;\r\n"); // simulated
    EXPECT_TRUE(m_view.SaveResultEnabled);
}

} // namespace
