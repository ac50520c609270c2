#pragma once
// The substitution repository held by the main window: the ordered lines of the pairs grid, the RenameMode, the
// current ".dat" file and the unsaved-changes flag, with the repository commands that need no widget. The grid is a
// view over this model: its row i (0-based here, below the title row there) is line i. Texts are Windows-1252 bytes.
#include "repository/RepositoryFile.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// Refusal of a "=" in a find cell.
/// Why a repository name that is not a regular file is not read (a pipe could wait forever).
inline constexpr std::string_view kNotRegularFileReason = "Not a regular file";
inline constexpr std::string_view kKeyMayNotContainEquals = "Key may not contain equals sign (\"=\")";
/// The window title before the settings replace it.
inline constexpr std::string_view kDefaultWindowTitleText = "Utilit\xE1rio para converter arquivos DELPHI e KYLIX.";
/// The close question's first line; "%s" is the repository file name (note the trailing blank).
inline constexpr std::string_view kDefaultMessageQuestionText1 = "Foram feitas modifica\xE7\xF5"
                                                                 "es no arquivo %s ";
/// The close question's second line.
inline constexpr std::string_view kDefaultMessageQuestionText2 = "Deseja salva-lo (S/N) ?";
/// The close question's box caption.
inline constexpr std::string_view kDefaultMessageQuestionCaption = "ATEN\xC7\xC3O !";

/// `template` with its first "%s" replaced by `value` and "%%" turned into "%"; any other directive stays as written,
/// so a template edited in the language editor can never fail to format.
std::string FormatQuestionTemplate(std::string_view format, std::string_view value);

/// The close question in parts that keep their encodings apart: Before and After are the program's text
/// (Windows-1252), Path is the repository file name as the file system's bytes. Before + Path + After is the whole
/// question; a CR in After stands for its line break.
struct TCloseQuestionText
{
    std::string Before; ///< MessageQuestionText1 up to its first "%s", formatted as FormatQuestionTemplate does
    std::string Path; ///< RepositoryFileName in place of that "%s"; empty when the template holds none
    std::string After; ///< the rest of MessageQuestionText1, one CR, then MessageQuestionText2
};

class TSubstitutionRepository
{
public:
    /// executablePath: full path of the program's executable; a blank repository name becomes it with ".dat".
    explicit TSubstitutionRepository(std::string executablePath = {});

    // --- The lines and their pair view (rows are 0-based; a row out of range throws std::out_of_range) ---

    /// Number of lines n.
    std::size_t Count() const { return m_lines.size(); }
    /// Every line in list order, exactly as read or edited (no CR, LF or NUL).
    const std::vector<std::string> &Lines() const { return m_lines; }
    /// Line of one row.
    const std::string &Line(std::size_t row) const { return m_lines.at(row); }
    /// Find text of a row: the part before its first "="; empty for a line without "=".
    std::string_view Find(std::size_t row) const;
    /// Replace text of a row: the part after its first "="; the whole line when it holds no "=".
    std::string_view Replace(std::size_t row) const;
    /// True when both the find and the replace text of the row are empty (the line is "" or "=").
    bool IsEmptyRow(std::size_t row) const;

    /// Edits a find cell: the line becomes find + "=" + replace. A text equal to the current one changes nothing
    /// (a line that is not edited stays as read). Throws TError kKeyMayNotContainEquals for a text holding "=".
    /// CR, LF and NUL, which a line cannot hold, become blanks. Returns true when the line changed.
    bool SetFind(std::size_t row, std::string_view find);
    /// Edits a replace cell (it may hold "="): the line becomes find + "=" + replace. Same rules as SetFind.
    bool SetReplace(std::size_t row, std::string_view replace);
    /// Inserts a line before `row` (row == Count() appends). CR, LF and NUL become blanks.
    void InsertLine(std::size_t row, std::string_view line = "=");
    /// Appends a line at the end.
    void AppendLine(std::string_view line = "=");
    /// Removes one row.
    void DeleteLine(std::size_t row);
    /// Removes every line.
    void Clear() { m_lines.clear(); }
    /// Replaces every line (CR, LF and NUL become blanks).
    void SetLines(std::vector<std::string> lines);

    /// Puts a line back as it was (CR, LF and NUL become blanks); the grid's Escape restoring an edited cell.
    void SetLine(std::size_t row, std::string_view line);

    // --- Grid key rules: each says whether the key changes the list, and the grid's model then makes the change
    // itself, so that its views hear of the rows before they come or go. Rows out of range answer false. ---

    /// Insert key on `row`: true when its find text is not empty; the line "=" then goes before it and the new
    /// row, same index, becomes current.
    bool InsertKeyAddsRow(std::size_t row) const;
    /// Down key (no modifier) on `row`: true when it is the last row and its find text is not empty; the line "="
    /// is then appended and the new last row becomes current.
    bool DownKeyAddsRow(std::size_t row) const;
    /// True when `row` is an empty row (find and replace texts empty): it is deleted when the cursor leaves it,
    /// and by Escape when its edited cell holds nothing to restore.
    bool DropsEmptyRow(std::size_t row) const;

    // --- State ---

    /// The rename choice ("de DELPHI para KYLIX !", "de KYLIX para DELPHI !", no renaming, or Lazarus).
    TRenameMode RenameMode() const { return m_renameMode; }
    /// Selects a rename choice; does not touch RepositoryModified (the window sets it for a user's click).
    void SetRenameMode(TRenameMode renameMode) { m_renameMode = renameMode; }
    /// The list or the RenameMode has changes that are not in a file.
    bool RepositoryModified() const { return m_repositoryModified; }
    void SetRepositoryModified(bool modified) { m_repositoryModified = modified; }

    /// Path of the current repository file (empty at first).
    const std::string &RepositoryFileName() const { return m_repositoryFileName; }
    /// Stores a name as given, without the rules of SetRepositoryFileName (the settings' DATFile at start-up).
    void AssignRepositoryFileName(std::string path) { m_repositoryFileName = std::move(path); }
    /// True when a file exists at RepositoryFileName (what the settings' DATFile records at exit).
    bool RepositoryFileExists() const;
    /// Everything of RepositoryFileName up to and including its last "/" (empty when it holds none): the initial
    /// folder of the open and save dialogs.
    std::string RepositoryFolder() const;

    /// Base window title (settings key Form); setting it does not change WindowTitle() until the next
    /// SetRepositoryFileName.
    const std::string &WindowTitleText() const { return m_windowTitleText; }
    void SetWindowTitleText(std::string text) { m_windowTitleText = std::move(text); }
    /// The title the window shows now: WindowTitleText, plus " (" + path + ")" while the last named file exists.
    const std::string &WindowTitle() const { return m_windowTitle; }
    /// Builds WindowTitle() again from WindowTitleText and RepositoryFileName, which stays as it is (the
    /// language editor's Apply, after a new Form text). Returns the new WindowTitle().
    const std::string &RefreshWindowTitle();

    const std::string &MessageQuestionText1() const { return m_messageQuestionText1; }
    const std::string &MessageQuestionText2() const { return m_messageQuestionText2; }
    const std::string &MessageQuestionCaption() const { return m_messageQuestionCaption; }
    void SetMessageQuestionText1(std::string text) { m_messageQuestionText1 = std::move(text); }
    void SetMessageQuestionText2(std::string text) { m_messageQuestionText2 = std::move(text); }
    void SetMessageQuestionCaption(std::string text) { m_messageQuestionCaption = std::move(text); }
    /// The close question: MessageQuestionText1 with its first "%s" replaced by RepositoryFileName, one CR, then
    /// MessageQuestionText2, in its parts. The template itself stays as it is, so every question names the
    /// repository current at that moment.
    TCloseQuestionText CloseQuestionText() const;

    // --- File routines ---

    /// Loads a repository file: when no file exists at path nothing changes and false is returned; otherwise the
    /// lines are replaced, the marker applied, SetRepositoryFileName(path) run and true returned. RepositoryModified
    /// stays. Throws TError "Cannot open file "%s". %s" when the file cannot be read; the list is then unchanged.
    bool OpenRepositoryFile(const std::string &path);
    /// Takes the first marker (N = 0, 1, 2, then 3, in that order) out of the list and sets RenameMode from it.
    bool ApplyRenameMarker();
    /// Writes the written form to path (beside + rename over, then a sync of its folder), then puts the marker in as
    /// line 1 and applies the markers again, so a line of the user's equal to a smaller-numbered marker is taken
    /// instead of the inserted one. Throws TError "Cannot create file "%s". %s"; after a failed write lines, RenameMode
    /// and flags are untouched, after a failed sync of the folder the file and the lines hold the new text.
    void WriteRepositoryFile(const std::string &path);
    /// Makes path the current repository file: a blank path becomes the executable path with ".dat"; the path is
    /// made absolute and lower-cased only when the lower-cased form is the same existing file; the window title is
    /// recomputed. Returns the new WindowTitle().
    const std::string &SetRepositoryFileName(const std::string &path);

    // --- Commands (the window handles the dialogs, the page selection and the focus) ---

    /// Tag 4, Nova Linha: an existing empty current row becomes "=", otherwise "=" is appended;
    /// RepositoryModified := true. Returns the row to make current (the last row).
    std::size_t NewLine(std::optional<std::size_t> currentRow);
    /// Tag 5, Excluir Linha: deletes the current row when there is one; RepositoryModified := true in every case.
    /// Returns the row to make current afterwards (the row above when the last row was deleted), none when empty.
    std::optional<std::size_t> DeleteCurrentLine(std::optional<std::size_t> currentRow);
    /// Tags 7 and 9 after the dialog was confirmed: WriteRepositoryFile, SetRepositoryFileName, RepositoryModified :=
    /// false. A failed write throws and leaves everything, RepositoryModified included, as it was.
    void SaveRepository(const std::string &path);
    /// Tag 8, Novo Repositório: clears the list and names the executable's ".dat"; RenameMode and RepositoryModified
    /// stay.
    void NewRepository();

private:
    std::string m_executablePath;
    std::vector<std::string> m_lines;
    TRenameMode m_renameMode = kDefaultRenameMode;
    bool m_repositoryModified = false;
    std::string m_repositoryFileName;
    std::string m_windowTitleText { kDefaultWindowTitleText };
    std::string m_windowTitle { kDefaultWindowTitleText };
    std::string m_messageQuestionText1 { kDefaultMessageQuestionText1 };
    std::string m_messageQuestionText2 { kDefaultMessageQuestionText2 };
    std::string m_messageQuestionCaption { kDefaultMessageQuestionCaption };
};

} // namespace qvc
