#pragma once
// The rows of the file list, the names already listed and the sort by a column. The window shows these
// rows in its list view; every change to them goes through this class.
#include "common/Errors.h"
#include "engine/run/ResultStore.h"
#include "engine/run/RowState.h"
#include "filelist/ListedFileNames.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// One row of the file list. Names are bytes as the file system holds them; what the last run made of the
/// file is kept as numbers (none while no run has processed it), which the views format.
struct TFileRow
{
    std::size_t Number = 0; ///< index of the row's ResultStore slot, given once and never changed
    std::string FileName;
    std::optional<long long> Count; ///< replacements made, -1 for a file that could not be read or converted
    std::optional<int> Percent; ///< of the pairs done on the file, 0 to 100
    std::optional<long double> Seconds; ///< that the pairs took
    int StateImage = kImageUnchanged;
    /// Why the last run could not convert the file (its count is -1): the error's message, empty otherwise.
    TMessage FailureReason;

    /// The number as the " #" column shows it.
    std::string NumberText() const { return std::to_string(Number); }
    /// Whether a run processed the row's file (it has a count).
    bool Processed() const { return Count.has_value(); }
    /// Back to a row no run has processed: no count, percentage or time, state image kImageUnchanged, no reason.
    void Forget();
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
    /// Thousands separator of the counts ("." in a Brazilian locale).
    std::string ThousandsSeparator = ".";
    /// Separator of the hours, minutes and seconds of a time.
    std::string TimeSeparator = ":";

    /// ASCII letter case and byte order: the defaults when no locale is supplied.
    static TListLocale Ascii();
};

/// The "Atualizações" text of a row (Windows-1252): its count as "###,###,##0" with `thousandsSeparator`, or "-".
std::string UpdatesText(const TFileRow &row, std::string_view thousandsSeparator);
/// The "Status" text of a row: its percentage as "%d%%", or "-".
std::string StatusText(const TFileRow &row);
/// The "Tempo" text of a row: its seconds as "HH:mm:ss" with `timeSeparator`, or "-".
std::string TimeText(const TFileRow &row, std::string_view timeSeparator);

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
