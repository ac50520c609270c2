#pragma once
// The framed plain-text report of the file list ("Salvar Resultado" and `qvconvert convert --report`).
// Everything here is Windows-1252 bytes, one byte per character, so the frame lines up by bytes and by
// characters alike.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

class TFileList;

/// One file of the report: the texts of the list's columns 0 to 4, Windows-1252.
struct TReportRow
{
    std::size_t Number = 0;
    std::string FileName;
    std::string Updates;
    std::string Status;
    std::string Time;
};

/// Captions of the list's columns 1 to 4 (Windows-1252); they give the header and the widths W1 to W4.
struct TReportCaptions
{
    std::string FileName = "Nome dos Arquivos";
    std::string Updates = "Atualiza\xE7\xF5"
                          "es";
    std::string Status = "Status";
    std::string Time = "Tempo";
};

/// The report's lines without line ends: rule, header, rule, one line per row in the order given, rule.
/// W1 = maxFileNameLength, W2 and W3 = the caption lengths, W4 = the caption length + 3; cell texts are
/// trimmed of blanks and tabs and cut to their width; numbers take at least four digits.
std::vector<std::string> BuildResultReport(
    const std::vector<TReportRow> &rows, std::size_t maxFileNameLength, const TReportCaptions &captions);

/// The report as file bytes: every line, the last one included, ends with CR LF.
std::string ResultReportText(
    const std::vector<TReportRow> &rows, std::size_t maxFileNameLength, const TReportCaptions &captions);

/// Writes the report to path, replacing the file through a new file renamed over it. Throws TError
/// "Cannot create file "%s". %s" with the system's reason.
void WriteResultReport(const std::string &path, const std::vector<TReportRow> &rows, std::size_t maxFileNameLength,
    const TReportCaptions &captions);

/// The report row of one file: `fileName` (file-system bytes, UTF-8) as ReportFileName prints it, the cell texts
/// (Windows-1252) as they are.
TReportRow ReportRowOf(
    std::size_t number, std::string_view fileName, std::string updates, std::string status, std::string time);

/// The rows of a file list in display order (see ReportRowOf).
std::vector<TReportRow> ReportRowsOf(const TFileList &list);

/// "Result" + yyyymmdd + ".txt", the name the save dialog proposes.
std::string ProposedReportFileName(int year, unsigned month, unsigned day);

} // namespace qvc
