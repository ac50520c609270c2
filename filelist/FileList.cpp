#include "filelist/FileList.h"

#include "common/AsciiCase.h"
#include "common/Errors.h"
#include "engine/run/DisplayFormat.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace qvc {

namespace {

int ByteCompare(std::string_view a, std::string_view b)
{
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// The text the name, status and time columns are sorted by: what the list shows.
std::string TextOfColumn(const TFileRow &row, int column, const TListLocale &locale)
{
    switch (column) {
    case 1:
        return row.FileName;
    case 3:
        return StatusText(row);
    default:
        return TimeText(row, locale.TimeSeparator);
    }
}

// A locale that leaves a part out takes the ASCII one for it.
TListLocale WithAsciiDefaults(TListLocale locale)
{
    const TListLocale ascii = TListLocale::Ascii();
    if (!locale.FoldCase)
        locale.FoldCase = ascii.FoldCase;
    if (!locale.Lower)
        locale.Lower = ascii.Lower;
    if (!locale.Collate)
        locale.Collate = ascii.Collate;
    return locale;
}

} // namespace

TListLocale TListLocale::Ascii()
{
    TListLocale locale;
    locale.FoldCase = [](std::string_view text) { return AsciiLower(text); };
    locale.Lower = [](std::string_view text) { return AsciiLower(text); };
    locale.Collate = ByteCompare;
    return locale;
}

void TFileRow::Forget()
{
    Count.reset();
    Percent.reset();
    Seconds.reset();
    StateImage = kImageUnchanged;
    FailureReason = {};
}

std::string UpdatesText(const TFileRow &row, std::string_view thousandsSeparator)
{
    return row.Count ? FormatCount(*row.Count, thousandsSeparator) : std::string(kNotProcessed);
}

std::string StatusText(const TFileRow &row)
{
    return row.Percent ? PercentText(*row.Percent) : std::string(kNotProcessed);
}

std::string TimeText(const TFileRow &row, std::string_view timeSeparator)
{
    return row.Seconds ? FormatElapsed(*row.Seconds, timeSeparator) : std::string(kNotProcessed);
}

TFileList::TFileList(TResultStore &store, TListLocale locale)
    : m_store(store)
    , m_locale(WithAsciiDefaults(std::move(locale)))
    , m_listedNames(m_locale.FoldCase)
{
}

bool TFileList::AddFileToList(const std::string &name)
{
    if (!m_listedNames.Add(name))
        return false;

    TFileRow row;
    row.Number = m_store.Count();
    row.FileName = name;
    m_rows.push_back(std::move(row));
    m_maxFileNameLength = std::max(m_maxFileNameLength, ReportFileName(name).size());
    m_store.Append();
    return true;
}

std::size_t TFileList::RemoveRows(std::vector<std::size_t> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    positions.erase(std::lower_bound(positions.begin(), positions.end(), m_rows.size()), positions.end());
    if (positions.empty())
        return 0;
    for (const std::size_t position : positions)
        m_listedNames.Remove(m_rows[position].FileName);
    std::vector<TFileRow> kept;
    kept.reserve(m_rows.size() - positions.size());
    auto next = positions.begin();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (next != positions.end() && *next == i)
            ++next;
        else
            kept.push_back(std::move(m_rows[i]));
    }
    m_rows = std::move(kept);
    return positions.size();
}

bool TFileList::SortByColumn(int column)
{
    if (column < 1 || column >= kFileListColumns)
        return false;
    const bool ascending = m_headerPictures[static_cast<std::size_t>(column)] != kPictureDown;
    m_headerPictures.fill(kNoPicture);

    // Keys are worked out once per row: the locale's lower-casing is far dearer than a comparison.
    std::vector<std::size_t> order(m_rows.size());
    std::iota(order.begin(), order.end(), std::size_t { 0 });
    const auto sortBy = [&order, ascending](auto compare) {
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const int sign = compare(a, b);
            return ascending ? sign < 0 : sign > 0;
        });
    };
    if (column == 2) {
        // A row no run has processed sorts as a count of 0.
        std::vector<long long> counts;
        counts.reserve(m_rows.size());
        for (const TFileRow &row : m_rows)
            counts.push_back(row.Count.value_or(0));
        sortBy([&counts](std::size_t a, std::size_t b) -> int {
            return counts[a] < counts[b] ? -1 : (counts[a] > counts[b] ? 1 : 0);
        });
    } else {
        std::vector<std::string> keys;
        keys.reserve(m_rows.size());
        for (const TFileRow &row : m_rows)
            keys.push_back(m_locale.Lower(TextOfColumn(row, column, m_locale)));
        sortBy([this, &keys](std::size_t a, std::size_t b) { return m_locale.Collate(keys[a], keys[b]); });
    }
    std::vector<TFileRow> sorted;
    sorted.reserve(m_rows.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(m_rows[i]));
    m_rows = std::move(sorted);

    m_headerPictures[static_cast<std::size_t>(column)] = ascending ? kPictureDown : kPictureUp;
    return true;
}

TFileRow &TFileList::Row(std::size_t position)
{
    if (position >= m_rows.size())
        throw TError(kListIndexOutOfBounds, { TextArg(std::to_string(position)) });
    return m_rows[position];
}

std::ptrdiff_t TFileList::PositionOfNumber(std::size_t number) const
{
    const auto found
        = std::find_if(m_rows.begin(), m_rows.end(), [number](const TFileRow &row) { return row.Number == number; });
    return found == m_rows.end() ? -1 : found - m_rows.begin();
}

std::vector<std::string> TFileList::ListedFileNames() const
{
    return m_listedNames.Names();
}

bool TFileList::IsListed(const std::string &name) const
{
    return m_listedNames.Contains(name);
}

} // namespace qvc
