#include "results/ResultReport.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "filelist/FileList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using qvc::TReportCaptions;
using qvc::TReportRow;

namespace {

std::vector<TReportRow> ExampleRows()
{
    return { { 0, "C:\\Fontes\\Unit1.pas", "12", "100%", "00:00:01" },
        { 1, "C:\\Fontes\\Form1.dfm", "0", "100%", "00:00:00" }, { 2, "C:\\Fontes\\Projeto1.dpr", "-", "-", "-" } };
}

TEST(ResultReport, ExampleReportByteForByte)
{
    const std::string expected = "+------+------------------------+--------------+--------+----------+\r\n"
                                 "| Seq. |   Nome dos Arquivos    | Atualiza\xE7\xF5"
                                 "es | Status |  Tempo   |\r\n"
                                 "+------+------------------------+--------------+--------+----------+\r\n"
                                 "| 0000 | C:\\Fontes\\Unit1.pas    | 12           | 100%   | 00:00:01 |\r\n"
                                 "| 0001 | C:\\Fontes\\Form1.dfm    | 0            | 100%   | 00:00:00 |\r\n"
                                 "| 0002 | C:\\Fontes\\Projeto1.dpr | -            | -      | -        |\r\n"
                                 "+------+------------------------+--------------+--------+----------+\r\n";
    EXPECT_EQ(qvc::ResultReportText(ExampleRows(), 22, TReportCaptions {}), expected);
}

TEST(ResultReport, CellsAreTrimmedAndCutToTheirColumns)
{
    const std::vector<TReportRow> rows { { 7, "\t /a/very-long-name.pas \t", "2.147.483.647", " 100% ", "\t00:00:01" },
        { 10000, "/b", "-1", "-", "-" } };
    const std::vector<std::string> lines = qvc::BuildResultReport(rows, 5, TReportCaptions {});
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1],
        "| Seq. | Nome  | Atualiza\xE7\xF5"
        "es | Status |  Tempo   |")
        << "a caption wider than its column shows its first characters";
    EXPECT_EQ(lines[3], "| 0007 | /a/ve | 2.147.483.64 | 100%   | 00:00:01 |");
    EXPECT_EQ(lines[4], "| 10000 | /b    | -1           | -      | -        |");
    EXPECT_EQ(lines[4].size(), lines[0].size() + 1) << "a five-digit number makes its row one longer";
    EXPECT_EQ(lines[0].size(), 5u + 12 + 6 + 8 + 20);
}

TEST(ResultReport, CaptionsGiveTheWidths)
{
    TReportCaptions captions;
    captions.FileName = "Arquivo";
    captions.Updates = "Qtd";
    captions.Status = "Situa\xE7\xE3o longa";
    captions.Time = "T";
    const std::vector<std::string> lines
        = qvc::BuildResultReport({ { 3, "/x.pas", "1.234", "100%", "00:00:02" } }, 6, captions);
    EXPECT_EQ(lines[0], "+------+--------+-----+----------------+------+");
    EXPECT_EQ(lines[1], "| Seq. | Arquiv | Qtd | Situa\xE7\xE3o longa |  T   |");
    EXPECT_EQ(lines[3], "| 0003 | /x.pas | 1.2 | 100%           | 00:0 |");
    for (const std::string &line : lines)
        EXPECT_EQ(line.size(), 6u + 3 + 14 + 4 + 20) << line;
}

TEST(ResultReport, EmptyListStillHasItsFrame)
{
    const std::vector<std::string> lines = qvc::BuildResultReport({}, 0, TReportCaptions {});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "+------+--+--------------+--------+----------+");
    EXPECT_EQ(lines[1],
        "| Seq. |  | Atualiza\xE7\xF5"
        "es | Status |  Tempo   |");
}

TEST(ResultReport, RowsOfAFileListKeepTheFrameForAnyName)
{
    qvc::TResultStore store;
    qvc::TFileList list(store);
    list.AddFileToList("/src/A\xC3\xA7\xC3\xA3o.pas"); // UTF-8 "Ação"
    list.AddFileToList("/src/\xE4\xB8\xAD\xE6\x96\x87.pas"); // two CJK letters Windows-1252 lacks
    list.AddFileToList("/src/bad\xFF.pas"); // not UTF-8 at all
    list.Row(0).Count = 3;
    list.SortByColumn(1);
    const std::vector<TReportRow> rows = qvc::ReportRowsOf(list);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].FileName, "/src/A\xE7\xE3o.pas");
    EXPECT_EQ(rows[0].Updates, "3");
    EXPECT_EQ(rows[0].Number, 0u);
    EXPECT_EQ(rows[1].FileName, "/src/bad?.pas");
    EXPECT_EQ(rows[2].FileName, "/src/??.pas");
    const std::vector<std::string> lines = qvc::BuildResultReport(rows, list.MaxFileNameLength(), TReportCaptions {});
    for (const std::string &line : lines)
        EXPECT_EQ(line.size(), lines[0].size()) << line;
    EXPECT_EQ(list.MaxFileNameLength(), 13u);
}

TEST(ResultReport, WritesTheFileAndReportsFailure)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qvc-report-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path folder = pattern;
    const std::string path = (folder / qvc::ProposedReportFileName(2026, 12, 8)).string();
    EXPECT_EQ(std::filesystem::path(path).filename(), "Result20261208.txt");
    qvc::WriteFileReplacing(path, "an older report");
    qvc::WriteResultReport(path, ExampleRows(), 22, TReportCaptions {});
    EXPECT_EQ(qvc::ReadFileBytes(path), qvc::ResultReportText(ExampleRows(), 22, TReportCaptions {}));
    EXPECT_THROW(qvc::WriteResultReport((folder / "missing" / "r.txt").string(), ExampleRows(), 22, TReportCaptions {}),
        qvc::TError);
    std::filesystem::remove_all(folder);
}

} // namespace
