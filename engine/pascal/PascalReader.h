#pragma once
// What of a Pascal source or a form's text is code: the comments, compiler directives, string literals and
// form data blocks of a text, and the unit names of its uses clauses (and of a package's requires and
// contains clauses). Any bytes are read: nothing here fails, and the memory used grows with the text only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// How a file's text is read for the code and uses scopes.
enum class TSourceKind : std::uint8_t {
    Pascal, ///< .pas .pp .inc .dpr .dpk .lpr
    Package, ///< .dpk: a Pascal source whose requires and contains clauses hold names too
    FormText, ///< .dfm .xfm .lfm, and a binary form's text
    Other, ///< anything else: not read as Pascal
};

/// The kind of a file by its extension (ASCII letter case ignored); `isForm` for a file read as a form.
TSourceKind SourceKindOf(std::string_view fileName, bool isForm);

/// What a byte of a text belongs to.
enum class TByteClass : std::uint8_t {
    Code = 0,
    Comment, ///< { }, (* *) and // to the line end
    Directive, ///< {$ } and (*$ *)
    String, ///< a string literal, a #nnn character code
    Data, ///< a form's { } data block
};

/// A run of bytes that is not code, [Start, End).
struct TTextSpan
{
    std::size_t Start = 0;
    std::size_t End = 0;
    TByteClass Class = TByteClass::Comment;
};

/// True for the bytes that make up a Pascal identifier: ASCII letters, digits, "_" and every byte from 0x80 up.
constexpr bool IsIdentifierByte(char byte)
{
    const auto c = static_cast<unsigned char>(byte);
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

/// Which clause a unit name stands in.
enum class TClauseKind : std::uint8_t { Uses, Requires, Contains };

/// The conditional branch a byte lies in: -1 outside every {$IF…}/{$IFDEF…} branch, else a number of its own
/// for each branch ({$ELSE} and {$ELSEIF} start a new one).
using TBranch = std::int32_t;
inline constexpr TBranch kNoBranch = -1;

/// One name of a clause: a unit name (dotted names are one name) with its optional "in 'path'" part.
struct TClauseName
{
    std::size_t Start = 0; ///< the name's first byte
    std::size_t NameEnd = 0; ///< after the name's last byte
    std::size_t End = 0; ///< after the name, or after its "in 'path'" part
    std::string Lower; ///< the name in ASCII lower case, its parts joined by "." with no blanks
    TBranch Branch = kNoBranch;
    std::size_t Comma = SIZE_MAX; ///< the comma after the name, SIZE_MAX for the clause's last name
    TBranch CommaBranch = kNoBranch;
};

/// One clause: the reserved word, its names and the ";" that ends it.
struct TUnitClause
{
    TClauseKind Kind = TClauseKind::Uses;
    std::size_t Start = 0; ///< the reserved word's first byte
    std::size_t End = 0; ///< after the ";"
    std::vector<TClauseName> Names;
};

/// What a text holds beside its code.
struct TPascalReading
{
    std::vector<TTextSpan> Spans; ///< every run of bytes that is not code, in order
    /// The clauses read whole: a clause that does not read as one is left out, and no clause starts
    /// between it and the next ";".
    std::vector<TUnitClause> Clauses;
    /// The dotted names of the code outside the clauses ("Windows.GetTickCount", "A.B.C"), only with
    /// `references`: [Start, End) from the first part's first byte to the last part's last.
    std::vector<TTextSpan> References;
    /// With clauses, those that did not read as one, in order: [Start, End) from the reserved word to the
    /// token that broke it (the bytes read as the clause's).
    std::vector<TTextSpan> Broken;

    void Clear()
    {
        Spans.clear();
        Clauses.clear();
        References.clear();
        Broken.clear();
    }
};

/// A dotted name of code that starts with a given unit name.
struct TQualifiedName
{
    std::size_t Start = 0; ///< the dotted name's first byte
    std::size_t Name = 0; ///< the index of the first given name it starts with
};

/// Of the dotted names ReadPascal gives as `references` of `text`, those whose bytes, blanks (up to 0x20) left
/// out, start with one of `lowerNames` (ASCII lower case, parts joined by ".") followed by ".", in text order.
/// `reading` is ReadPascal's of `text` as a unit or a package with clauses (references are not needed): only the "." of
/// the code are looked at, not every identifier.
void FindQualifiedNames(std::string_view text, const TPascalReading &reading,
    const std::vector<std::string_view> &lowerNames, std::vector<TQualifiedName> &out);

/// Reads `text` as `kind` says: its spans that are not code, and with `clauses` its clauses (uses; with
/// Package also requires and contains) and, with `references`, the qualifying names of its code.
/// A comment or directive runs to its closer or the text's end, a "'" string to its closing quote or the
/// line's end; a string opened by an odd run of three or more quotes at a line's end runs to the line that
/// starts (after blanks) with the same run. Other kinds than Pascal, Package and FormText give nothing.
void ReadPascal(std::string_view text, TSourceKind kind, bool clauses, bool references, TPascalReading &out);

} // namespace qvc
