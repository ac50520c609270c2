#include "results/ResultReport.h"

#include "common/FileIO.h"
#include "common/TextLines.h"
#include "filelist/FileList.h"
#include "filelist/ListedFileNames.h"
#include "results/ReportColumns.h"

#include <cstdio>

namespace qvc {

namespace {

std::string Dashes(std::size_t n)
{
    return std::string(n, '-');
}

std::string ZeroPadded(std::size_t number)
{
    std::string digits = std::to_string(number);
    if (digits.size() < 4)
        digits.insert(0, 4 - digits.size(), '0');
    return digits;
}

} // namespace

std::vector<std::string> BuildResultReport(
    const std::vector<TReportRow> &rows, std::size_t maxFileNameLength, const TReportCaptions &captions)
{
    const std::size_t w1 = maxFileNameLength;
    const std::size_t w2 = captions.Updates.size();
    const std::size_t w3 = captions.Status.size();
    const std::size_t w4 = captions.Time.size() + 3; // room for a time "HH:mm:ss" under "Tempo"

    const std::string rule
        = "+------+-" + Dashes(w1) + "-+-" + Dashes(w2) + "-+-" + Dashes(w3) + "-+-" + Dashes(w4) + "-+";
    std::vector<std::string> lines;
    lines.reserve(rows.size() + 4);
    lines.push_back(rule);
    lines.push_back("| Seq. | " + PadCenterStr(captions.FileName, w1) + " | " + PadCenterStr(captions.Updates, w2)
        + " | " + PadCenterStr(captions.Status, w3) + " | " + PadCenterStr(captions.Time, w4) + " |");
    lines.push_back(rule);
    for (const TReportRow &row : rows)
        lines.push_back("| " + ZeroPadded(row.Number) + " | " + PadRightStr(row.FileName, w1) + " | "
            + PadRightStr(row.Updates, w2) + " | " + PadRightStr(row.Status, w3) + " | " + PadRightStr(row.Time, w4)
            + " |");
    lines.push_back(rule);
    return lines;
}

std::string ResultReportText(
    const std::vector<TReportRow> &rows, std::size_t maxFileNameLength, const TReportCaptions &captions)
{
    return JoinLinesCrLf(BuildResultReport(rows, maxFileNameLength, captions));
}

void WriteResultReport(const std::string &path, const std::vector<TReportRow> &rows, std::size_t maxFileNameLength,
    const TReportCaptions &captions)
{
    WriteFileReplacingSynced(path, ResultReportText(rows, maxFileNameLength, captions));
}

TReportRow ReportRowOf(
    std::size_t number, std::string_view fileName, std::string updates, std::string status, std::string time)
{
    return TReportRow { number, ReportFileName(fileName), std::move(updates), std::move(status), std::move(time) };
}

std::vector<TReportRow> ReportRowsOf(const TFileList &list)
{
    std::vector<TReportRow> rows;
    rows.reserve(list.RowCount());
    for (const TFileRow &row : list.Rows())
        rows.push_back(ReportRowOf(row.Number, row.FileName, UpdatesText(row, list.Locale().ThousandsSeparator),
            StatusText(row), TimeText(row, list.Locale().TimeSeparator)));
    return rows;
}

std::string ProposedReportFileName(int year, unsigned month, unsigned day)
{
    char name[48];
    std::snprintf(name, sizeof name, "Result%04d%02u%02u.txt", year, month, day);
    return name;
}

} // namespace qvc
