#pragma once
// Which names of a list are one file. Where letter case counts in file names, "Unit1.pas" and "UNIT1.pas"
// may be two files, or two ways to reach one file (a link, a folder on a case-insensitive file system). A
// name matches a listed one when the bytes are the same, or when the two differ only in letter case and
// name the same existing file. The window's file list and qvconvert's list of files both decide by this.
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qvc {

/// The name with its letters case-folded (Unicode simple folding of UTF-8, by the C library's tables when it
/// has a UTF-8 locale, ASCII otherwise); bytes that are not UTF-8 stay as they are.
std::string FoldFileNameCase(std::string_view name);

/// A file name (file-system bytes, UTF-8) as the result report prints it: Windows-1252, one byte per character,
/// with "?" for every character the code page lacks. The report's name column is as wide as the longest of these.
std::string ReportFileName(std::string_view name);

/// Names in the order added, each one file at most once by the rule above. Lookups go through the folded
/// key, so only names that fold alike are ever looked up on disk (same device and inode, links followed; a
/// name that cannot be looked up is no existing file).
class TListedFileNames
{
public:
    using TFold = std::function<std::string(std::string_view)>;

    /// `fold` gives the key under which names that differ only in letter case meet.
    explicit TListedFileNames(TFold fold = FoldFileNameCase);

    /// True when the name, or another spelling of the same existing file that folds alike, is listed.
    bool Contains(const std::string &name) const;
    /// Appends the name unless Contains says it is listed; returns true when it was appended.
    bool Add(const std::string &name);
    /// Forgets exactly this name (another spelling of it stays listed); returns true when it was listed.
    bool Remove(const std::string &name);

    /// Every listed name, in the order added.
    std::vector<std::string> Names() const { return { m_names.begin(), m_names.end() }; }
    std::size_t Size() const { return m_names.size(); }

private:
    using TEntry = std::list<std::string>::iterator;
    static bool Matches(const std::vector<TEntry> &sameKey, const std::string &name);

    TFold m_fold;
    std::list<std::string> m_names;
    // Folded key to the listed names that fold to it; all but a handful of keys hold one name.
    std::unordered_map<std::string, std::vector<TEntry>> m_byKey;
};

} // namespace qvc
