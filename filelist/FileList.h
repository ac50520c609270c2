#pragma once
// The rows of the file list, the names already listed and the sort by a column. The window shows these
// rows in its list view; every change to them goes through this class.
#include "common/Errors.h"
#include "engine/ResultStore.h"
#include "engine/RowState.h"
#include "filelist/ListedFileNames.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// One row of the file list. Names are bytes as the file system holds them; the cell texts are the
/// program's Windows-1252 texts written by the conversion run.
struct TFileRow
{
    std::size_t Number = 0; ///< index of the row's ResultStore slot, given once and never changed
    std::string FileName;
    std::string Updates { kNotProcessed };
    std::string Status { kNotProcessed };
    std::string Time { kNotProcessed };
    int StateImage = kImageUnchanged;
    /// Why the last run could not convert the file (its count is -1): the error's message, empty otherwise.
    TMessage FailureReason;

    /// The number as the " #" column shows it.
    std::string NumberText() const { return std::to_string(Number); }
};

/// The user's locale as far as the file list needs it; the window fills it from QLocale/QCollator.
struct TListLocale
{
    /// Key under which names that differ only in letter case meet (locale lower-casing or case folding); such
    /// names are one row only when they name the same existing file.
    std::function<std::string(std::string_view)> FoldCase;
    /// Lower-casing applied before the name and text columns are collated.
    std::function<std::string(std::string_view)> Lower;
    /// Collation: negative, 0 or positive like strcmp.
    std::function<int(std::string_view, std::string_view)> Collate;
    /// Thousands separator of the counts the run writes ("." in a Brazilian locale).
    std::string ThousandsSeparator = ".";

    /// ASCII letter case and byte order: the defaults when no locale is supplied.
    static TListLocale Ascii();
};

/// Reads a count text such as "1.234" or "-1": separators dropped, blanks and tabs around it ignored; a
/// text that holds no whole number (such as "-") or does not fit 64 bits reads as 0.
long long ReadCountText(std::string_view text, std::string_view thousandsSeparator);

/// Header picture of a column: none, triangle up, triangle down.
enum THeaderPicture : int { kNoPicture = 0, kPictureUp = 1, kPictureDown = 2 };

inline constexpr int kFileListColumns = 5;

/// The file list (`slSearchListSelectFiles`), `ListedFileNames` and `MaxFileNameLength`.
class TFileList
{
public:
    /// The store gains one slot per row added; it must outlive the list.
    explicit TFileList(TResultStore &store, TListLocale locale = TListLocale::Ascii());

    /// Adds a row unless the name is already listed (see IsListed). The number is the store's slot count, a new
    /// slot is appended, MaxFileNameLength grows. Returns true when a row was added.
    bool AddFileToList(const std::string &name);

    /// Removes the rows at these display positions (any order, duplicates and positions past the end
    /// ignored), in display order; each row's own name is forgotten, other spellings of its file stay listed.
    /// Numbers and store slots stay. Returns how many rows were removed.
    std::size_t RemoveRows(std::vector<std::size_t> positions);

    /// Sorts by a column as a header click does: ascending unless the column shows the downward triangle;
    /// then only this column shows a picture, down after an ascending sort, up after a descending one.
    /// Column 0 (and any column outside 1..4) does nothing. Returns false when nothing was done.
    bool SortByColumn(int column);

    const std::vector<TFileRow> &Rows() const { return m_rows; }
    /// A row for the run to update its cells and image. Throws TError for a position without a row.
    TFileRow &Row(std::size_t position);
    std::size_t RowCount() const { return m_rows.size(); }
    /// Display position of the row with this number, or -1 when it was removed or never existed.
    std::ptrdiff_t PositionOfNumber(std::size_t number) const;

    /// Every listed name, in the order added.
    std::vector<std::string> ListedFileNames() const;
    /// True when the same bytes are listed, or a name that differs only in letter case (by the locale's
    /// folding) and names the same existing file.
    bool IsListed(const std::string &name) const;
    /// Characters of the longest name ever added (counted as Windows-1252, as the report prints it).
    std::size_t MaxFileNameLength() const { return m_maxFileNameLength; }

    /// Picture each header shows (index = column).
    const std::array<int, kFileListColumns> &HeaderPictures() const { return m_headerPictures; }
    const TListLocale &Locale() const { return m_locale; }

private:
    TResultStore &m_store;
    TListLocale m_locale;
    std::vector<TFileRow> m_rows;
    TListedFileNames m_listedNames;
    std::size_t m_maxFileNameLength = 0;
    std::array<int, kFileListColumns> m_headerPictures {};
};

} // namespace qvc
