#include "repository/SubstitutionRepository.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/PathCase.h"
#include "common/PathNames.h"
#include "common/TextFormat.h"
#include "repository/PairView.h"

#include <stdexcept>
#include <sys/stat.h>

namespace qvc {

namespace {

// A line holds no CR, LF or NUL: such bytes would split it or end the file's text when it is read back.
std::string CleanLine(std::string_view text)
{
    std::string line(text);
    for (char &c : line)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    return line;
}

bool IsBlankOnly(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

// A question template split at its first "%s", each side with "%%" turned into "%" and other directives as
// written. Value is false when the template holds no "%s" (all of it is then in Before).
struct TSplitTemplate
{
    std::string Before;
    std::string After;
    bool Value = false;
};

TSplitTemplate SplitQuestionTemplate(std::string_view format)
{
    TSplitTemplate split;
    std::string *out = &split.Before;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == '%') {
                *out += '%';
                ++i;
                continue;
            }
            if (format[i + 1] == 's' && !split.Value) {
                split.Value = true;
                out = &split.After;
                ++i;
                continue;
            }
        }
        *out += format[i];
    }
    return split;
}

} // namespace

std::string FormatQuestionTemplate(std::string_view format, std::string_view value)
{
    TSplitTemplate split = SplitQuestionTemplate(format);
    if (split.Value)
        split.Before += value;
    return split.Before + split.After;
}

TSubstitutionRepository::TSubstitutionRepository(std::string executablePath)
    : m_executablePath(std::move(executablePath))
{
}

std::string_view TSubstitutionRepository::Find(std::size_t row) const
{
    return PairFind(m_lines.at(row));
}

std::string_view TSubstitutionRepository::Replace(std::size_t row) const
{
    return PairReplace(m_lines.at(row));
}

bool TSubstitutionRepository::IsEmptyRow(std::size_t row) const
{
    return Find(row).empty() && Replace(row).empty();
}

bool TSubstitutionRepository::SetFind(std::size_t row, std::string_view find)
{
    if (find.find('=') != std::string_view::npos)
        throw TError(std::string(kKeyMayNotContainEquals));
    std::string &line = m_lines.at(row);
    const std::string newFind = CleanLine(find);
    if (newFind == PairFind(line))
        return false;
    line = MakePairLine(newFind, PairReplace(line));
    return true;
}

bool TSubstitutionRepository::SetReplace(std::size_t row, std::string_view replace)
{
    std::string &line = m_lines.at(row);
    const std::string newReplace = CleanLine(replace);
    if (newReplace == PairReplace(line))
        return false;
    line = MakePairLine(PairFind(line), newReplace);
    return true;
}

void TSubstitutionRepository::InsertLine(std::size_t row, std::string_view line)
{
    if (row > m_lines.size())
        throw std::out_of_range("TSubstitutionRepository::InsertLine");
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(row), CleanLine(line));
}

void TSubstitutionRepository::AppendLine(std::string_view line)
{
    m_lines.push_back(CleanLine(line));
}

void TSubstitutionRepository::DeleteLine(std::size_t row)
{
    if (row >= m_lines.size())
        throw std::out_of_range("TSubstitutionRepository::DeleteLine");
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(row));
}

void TSubstitutionRepository::SetLines(std::vector<std::string> lines)
{
    for (auto &line : lines)
        line = CleanLine(line);
    m_lines = std::move(lines);
}

void TSubstitutionRepository::SetLine(std::size_t row, std::string_view line)
{
    m_lines.at(row) = CleanLine(line);
}

void TSubstitutionRepository::ApplyLinesSplice(const TLinesSplice &splice, bool undo)
{
    qvc::ApplySplice(m_lines, splice, undo);
}

std::vector<std::size_t> TSubstitutionRepository::ErasingPairRows() const
{
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < m_lines.size(); ++row)
        if (HasUsableFind(m_lines[row]) && PairReplace(m_lines[row]).empty())
            rows.push_back(row);
    return rows;
}

bool TSubstitutionRepository::InsertKeyAddsRow(std::size_t row) const
{
    return row < m_lines.size() && !Find(row).empty();
}

bool TSubstitutionRepository::DownKeyAddsRow(std::size_t row) const
{
    return row + 1 == m_lines.size() && !Find(row).empty();
}

bool TSubstitutionRepository::DropsEmptyRow(std::size_t row) const
{
    return row < m_lines.size() && IsEmptyRow(row);
}

bool TSubstitutionRepository::RepositoryFileExists() const
{
    return !m_repositoryFileName.empty() && FileExists(m_repositoryFileName);
}

const std::string &TSubstitutionRepository::RefreshWindowTitle()
{
    m_windowTitle = RepositoryFileExists() ? m_windowTitleText + " (" + m_repositoryFileName + ")" : m_windowTitleText;
    return m_windowTitle;
}

std::string TSubstitutionRepository::RepositoryFolder() const
{
    return std::string(FolderPart(m_repositoryFileName));
}

TCloseQuestionText TSubstitutionRepository::CloseQuestionText() const
{
    TSplitTemplate split = SplitQuestionTemplate(m_messageQuestionText1);
    TCloseQuestionText question;
    question.Before = std::move(split.Before);
    if (split.Value)
        question.Path = m_repositoryFileName;
    question.After = split.After + "\r" + m_messageQuestionText2;
    return question;
}

bool TSubstitutionRepository::OpenRepositoryFile(const std::string &path)
{
    if (path.empty() || !FileExists(path))
        return false;
    // A pipe or a device is no repository: reading one could wait forever or never end.
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        throw TError(kCannotOpenFile, { PathArg(path), TextArg(std::string(kNotRegularFileReason)) });
    // Read fully before touching the list, so an unreadable file costs nothing of what is shown.
    TRepositoryContent content = ParseRepositoryBytes(ReadFileBytes(path), m_renameMode);
    m_lines = std::move(content.Lines);
    m_renameMode = content.RenameMode;
    SetRepositoryFileName(path);
    return true;
}

bool TSubstitutionRepository::ApplyRenameMarker()
{
    return qvc::ApplyRenameMarker(m_lines, m_renameMode);
}

void TSubstitutionRepository::WriteRepositoryFile(const std::string &path)
{
    // The marker goes into the list only once the file is safely written: a failed write leaves no marker row.
    // A failed sync of the folder comes after the file holds the new text, which the list then shows too.
    TChangedFolders changed;
    WriteFileReplacing(path, RepositoryFileBytes(m_lines, m_renameMode), nullptr, &changed);
    m_lines.insert(m_lines.begin(), RenameMarker(m_renameMode));
    ApplyRenameMarker();
    try {
        changed.SyncAll();
    } catch (const TError &error) {
        throw TError(kCannotCreateFile, { PathArg(path), ReasonArg(error.Reason()) });
    }
}

const std::string &TSubstitutionRepository::SetRepositoryFileName(const std::string &path)
{
    std::string name = IsBlankOnly(path) ? ReplaceExtension(m_executablePath, ".dat") : path;
    name = CaseSafeLowerPath(AbsolutePath(name));
    m_windowTitle = FileExists(name) ? m_windowTitleText + " (" + name + ")" : m_windowTitleText;
    m_repositoryFileName = std::move(name);
    return m_windowTitle;
}

std::size_t TSubstitutionRepository::NewLine(std::optional<std::size_t> currentRow)
{
    if (currentRow && *currentRow < m_lines.size() && IsEmptyRow(*currentRow))
        m_lines[*currentRow].assign(1, '=');
    else
        m_lines.emplace_back("=");
    m_repositoryModified = true;
    return m_lines.size() - 1;
}

std::optional<std::size_t> TSubstitutionRepository::DeleteCurrentLine(std::optional<std::size_t> currentRow)
{
    m_repositoryModified = true;
    if (!currentRow || *currentRow >= m_lines.size()) {
        if (!currentRow || m_lines.empty())
            return std::nullopt;
        return m_lines.size() - 1;
    }
    const std::size_t row = *currentRow;
    DeleteLine(row);
    if (m_lines.empty())
        return std::nullopt;
    return row < m_lines.size() ? row : m_lines.size() - 1;
}

void TSubstitutionRepository::SaveRepository(const std::string &path)
{
    WriteRepositoryFile(path);
    SetRepositoryFileName(path);
    m_repositoryModified = false;
}

void TSubstitutionRepository::NewRepository()
{
    m_lines.clear();
    SetRepositoryFileName(std::string());
}

} // namespace qvc
