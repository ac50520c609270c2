// "qvconvert convert --report FILE": the framed report of the converted files, laid out by the same code as
// the window's "Salvar Resultado", and a report that cannot be written.
#include "common/Cp1252.h"
#include "common/FileIO.h"
#include "results/ResultReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitAt(const std::string &text, const std::string &separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = 0; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size())
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

class ReportOption : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qvc-report-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        qvc::WriteFileReplacing(Path("pairs.dat"), "<|ChangeFileName=2|>\r\nForms=QForms\r\nA=B=C\r\n");
        m_files = { Write("Unit1.pas", "uses Forms;\r\nA;\r\nA := 1;\r\n"), Write("Plain.pas", "begin\r\nend.\r\n"),
            Path("Missing.pas"), Write("A much longer file name.pas", "Forms\r\n") };
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    std::string Path(const std::string &name) const { return (m_dir / name).string(); }
    std::string Write(const std::string &name, const std::string &bytes) const
    {
        qvc::WriteFileReplacing(Path(name), bytes);
        return Path(name);
    }

    // Runs qvconvert in the C locale (no thousands separator); returns its exit code.
    int Convert(const std::string &report) const
    {
        std::string command
            = "LC_ALL=C '" QVC_QVCONVERT "' convert --repository '" + Path("pairs.dat") + "' --report '" + report + "'";
        for (const std::string &file : m_files)
            command += " '" + file + "'";
        command += " > '" + Path("stdout") + "' 2> '" + Path("stderr") + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path m_dir;
    std::vector<std::string> m_files;
};

TEST_F(ReportOption, FramesTheConvertedFilesLikeTheWindow)
{
    EXPECT_EQ(Convert(Path("Report.txt")), 1) << "the missing file fails"; // the others are converted
    const std::string bytes = qvc::ReadFileBytes(Path("Report.txt"));

    // The cells the run printed, one tab-separated line per file, are the report's rows.
    std::vector<qvc::TReportRow> rows;
    std::size_t longest = 0;
    for (const std::string &line : SplitAt(qvc::ReadFileBytes(Path("stdout")), "\n")) {
        if (line.empty())
            continue;
        const auto cells = SplitAt(line, "\t");
        ASSERT_EQ(cells.size(), 5u) << line;
        rows.push_back({ std::stoul(cells[0]), cells[4], cells[1], cells[2], cells[3] });
        longest = std::max(longest, cells[4].size());
    }
    ASSERT_EQ(rows.size(), m_files.size());
    EXPECT_EQ(rows[0].Updates, "3");
    EXPECT_EQ(rows[2].Updates, "-1");
    EXPECT_EQ(bytes, qvc::ResultReportText(rows, longest, {}));

    // Seen from outside: one width for every line, CR LF after each, the default captions in the header.
    auto lines = SplitAt(bytes, "\r\n");
    ASSERT_EQ(lines.back(), "");
    lines.pop_back();
    ASSERT_EQ(lines.size(), m_files.size() + 4);
    for (const std::string &line : lines)
        EXPECT_EQ(line.size(), Path("A much longer file name.pas").size() + 12 + 6 + 8 + 20) << line;
    const std::string captions = " | Atualiza\xE7\xF5"
                                 "es | Status |  Tempo   |";
    EXPECT_EQ(lines[1].substr(lines[1].size() - captions.size()), captions);
    EXPECT_EQ(lines[3].substr(0, 9 + m_files[0].size()), "| 0000 | " + m_files[0]);
    EXPECT_EQ(lines[6].substr(0, 9 + m_files[3].size()), "| 0003 | " + m_files[3]);
}

TEST_F(ReportOption, UnwritableReportFailsAfterTheRun)
{
    m_files.erase(m_files.begin() + 2); // no failing file: the report alone fails
    EXPECT_EQ(Convert(Path("no/such/folder/Report.txt")), 1);
    EXPECT_NE(qvc::ReadFileBytes(Path("stderr")).find("no/such/folder/Report.txt"), std::string::npos);
    EXPECT_EQ(qvc::ReadFileBytes(m_files[0]), "uses QForms;\r\nB=C;\r\nB=C := 1;\r\n");
    EXPECT_FALSE(fs::exists(Path("no/such/folder")));
}

} // namespace
