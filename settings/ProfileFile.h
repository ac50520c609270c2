#pragma once
// A Windows-style profile (INI) file read and written in the manner of the profile functions, but on the whole file
// in memory: sections and keys compare without ASCII letter case, a written key is replaced where it stands or added at
// the end of its section, and every other byte of the file is kept exactly. Bytes are 8-bit text (Windows-1252 for the
// program's own texts); nothing is transcoded. Changes reach the disk only through Commit, in one write.
#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace qvc {

/// Error text when the profile file cannot be written; "%s" is its file name.
inline constexpr std::string_view kUnableToWriteTo = "Unable to write to %s";
/// Longest value a read returns, in bytes; longer values are cut.
inline constexpr std::size_t kMaxProfileValueLength = 2047;
/// Size of the buffer that takes the key names of one section: each name and a NUL, then one closing NUL.
inline constexpr std::size_t kMaxSectionKeyListBytes = 16384;

class TProfileFile
{
public:
    /// An empty profile not tied to a file (Commit refuses it).
    TProfileFile() = default;
    /// Opens the profile at path. Never throws: a missing file is an empty profile; a file that cannot be read
    /// (no permission, a folder) reads as empty too, and Commit then refuses to replace it.
    explicit TProfileFile(std::string path);
    /// A profile parsed from bytes (any bytes), not tied to a file.
    static TProfileFile FromBytes(std::string_view bytes);

    /// The file name given when opening.
    const std::string &Path() const { return m_path; }
    /// True when a regular file existed at Path() and was read.
    bool Existed() const { return m_existed; }
    /// Why it could not be read (is_a_directory or invalid_argument for a folder or another file that is no
    /// regular file); value 0 when it was read or was not there.
    std::error_code ReadReason() const { return m_readReason; }

    /// The value of a key: blanks around it dropped, then one pair of matching '...' or "..." around the whole value,
    /// then cut at a NUL and at 2047 bytes. A missing key (or section) gives `defaultValue` without its trailing
    /// blanks (and cut the same way). A key written twice in a section: the first one counts.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    /// A value read as a 32-bit integer: optional sign, then decimal digits or "0x"/"0X" and hexadecimal digits, the
    /// whole value. A missing key, a value that is no such number or does not fit gives `defaultValue`.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    /// A Boolean: the value read as ReadInteger, non-zero is true; missing or no number gives `defaultValue`.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    /// The key names of a section in file order (each as written, blanks around it dropped; a key written twice
    /// appears twice). Only whole names that fit a 16384-byte list (name + NUL each, one closing NUL) are given.
    std::vector<std::string> ReadSectionKeys(std::string_view section) const;
    /// Rows key, value of a section in file order, each value read as ReadString reads it (so a key written twice
    /// shows its first value on both rows). A missing section gives no rows.
    std::vector<std::pair<std::string, std::string>> ReadSectionRows(std::string_view section) const;

    /// Writes a key: replaces the value of its first line in the section where it stands (the text up to and
    /// including "=" is kept), or adds "key=value" after the last non-blank line of the section, or adds the section
    /// at the end of the file. CR, LF and NUL in the value, which would break the file's lines, become blanks.
    /// Throws std::invalid_argument for a section or key name that no profile line can hold.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    /// Writes a Boolean as "1" or "0".
    void WriteBool(std::string_view section, std::string_view key, bool value);
    /// Writes rows key, value of an edited section in order; a key that stands on more than one row gets the value
    /// of its first row.
    void WriteSectionRows(std::string_view section, const std::vector<std::pair<std::string, std::string>> &rows);

    /// True when a write has happened since opening or the last Commit.
    bool Modified() const { return m_modified; }
    /// The whole file as it would be written now.
    std::string Bytes() const;
    /// Writes the file once, beside and renamed over the old one, when anything was written (a profile never
    /// written to stays untouched). Throws TError "Unable to write to %s" (Path(); the system's reason apart, as its
    /// Reason()) when it cannot be written, and refuses a file that existed but could not be read, rather than
    /// replacing its unknown content (the reason is then ReadReason()).
    void Commit();

private:
    enum class TLineKind { Other, Section, Key };
    struct TLine
    {
        std::string Text; // without its line end
        std::string End; // "\r\n", "\r", "\n" or "" for a last line without one
        TLineKind Kind = TLineKind::Other;
        std::string Name; // section or key name, blanks around it dropped
        std::size_t ValueStart = 0; // Key: offset just past the "="
    };
    struct TSectionRange
    {
        std::size_t Header;
        std::size_t End; // one past the section's last line
    };

    static TLine ParseLine(std::string text, std::string end);
    void ParseBytes(std::string_view bytes);
    bool FindSection(std::string_view section, TSectionRange &range) const;
    const TLine *FindKey(std::string_view section, std::string_view key) const;

    std::string m_path;
    bool m_existed = false;
    bool m_readFailed = false;
    std::error_code m_readReason;
    bool m_modified = false;
    std::vector<TLine> m_lines;
};

} // namespace qvc
