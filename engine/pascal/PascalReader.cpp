#include "engine/pascal/PascalReader.h"

#include "common/AsciiCase.h"
#include "common/PathNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qvc {

namespace {

constexpr bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Bytes up to 0x20 separate tokens, as the compiler reads them.
constexpr bool IsBlankByte(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

constexpr bool IsIdentifierStart(char c)
{
    return IsIdentifierByte(c) && !(c >= '0' && c <= '9');
}

// The bytes at which the lexer stops when it passes over code: those at which something other than code may
// start, and for the clauses the first letters of their reserved words.
struct TStops
{
    std::string_view Exact; ///< bytes stopped at as they are
    std::string_view Folded; ///< ASCII lower-case letters stopped at in either case
    std::array<bool, 256> Table {};
};

constexpr TStops MakeStops(std::string_view exact, std::string_view folded)
{
    TStops stops { exact, folded };
    for (const char c : exact)
        stops.Table[static_cast<unsigned char>(c)] = true;
    for (const char c : folded) {
        stops.Table[static_cast<unsigned char>(c)] = true;
        stops.Table[static_cast<unsigned char>(c - ('a' - 'A'))] = true;
    }
    return stops;
}

constexpr TStops kPascalStops = MakeStops("{(/'#", "");
constexpr TStops kFormStops = MakeStops("{'#", "");
constexpr TStops kUnitStops = MakeStops("{(/'#", "u");
constexpr TStops kPackageStops = MakeStops("{(/'#", "urc");

// The first byte of `Stops` in text[from, size), or size: sixteen bytes at a time where SSE2 is there.
template <const TStops &Stops> std::size_t NextStop(std::string_view text, std::size_t from)
{
    const std::size_t size = text.size();
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
#if defined(__SSE2__)
    for (; from + 16 <= size; from += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + from));
        __m128i hit = _mm_setzero_si128();
        for (const char c : Stops.Exact)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(block, _mm_set1_epi8(c)));
        if (!Stops.Folded.empty()) {
            // A letter ORed with 0x20 is its lower case; no other byte becomes one.
            const __m128i lower = _mm_or_si128(block, _mm_set1_epi8(0x20));
            for (const char c : Stops.Folded)
                hit = _mm_or_si128(hit, _mm_cmpeq_epi8(lower, _mm_set1_epi8(c)));
        }
        const auto mask = static_cast<std::uint32_t>(_mm_movemask_epi8(hit));
        if (mask != 0)
            return from + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    while (from < size && !Stops.Table[bytes[from]])
        ++from;
    return from;
}

struct TToken
{
    enum TKind : std::uint8_t { End, Identifier, Symbol, Literal };
    TKind Kind = End;
    std::size_t Start = 0;
    std::size_t End_ = 0;
    TBranch Branch = kNoBranch;
};

class TLexer
{
public:
    TLexer(std::string_view text, TSourceKind kind, TPascalReading &out)
        : m_text(text)
        , m_form(kind == TSourceKind::FormText)
        , m_out(out)
    {
    }

    // Reads to the end, noting only the spans that are not code.
    void SpansOnly()
    {
        if (m_form)
            SpansOnly<kFormStops>();
        else
            SpansOnly<kPascalStops>();
    }

    template <const TStops &Stops> void SpansOnly()
    {
        const std::size_t size = m_text.size();
        while (m_pos < size) {
            m_pos = NextStop<Stops>(m_text, m_pos);
            if (m_pos < size && !ReadNonCode())
                ++m_pos;
        }
    }

    // Reads on as SpansOnly does up to the next identifier that starts with a letter of `Stops`, and returns
    // it (End at the text's end). The identifiers passed over are no tokens of interest.
    template <const TStops &Stops> TToken NextWord()
    {
        const std::size_t size = m_text.size();
        for (;;) {
            m_pos = NextStop<Stops>(m_text, m_pos);
            if (m_pos >= size)
                return { TToken::End, size, size, Branch() };
            if (ReadNonCode())
                continue;
            if (!IsIdentifierByte(m_text[m_pos])) {
                ++m_pos;
                continue;
            }
            // A letter inside an identifier starts no token: a token starts after a byte that is no
            // identifier byte, or where a span ends ("#13uses").
            const bool tokenStart = m_pos == 0 || !IsIdentifierByte(m_text[m_pos - 1])
                || (!m_out.Spans.empty() && m_out.Spans.back().End == m_pos);
            const std::size_t start = m_pos;
            while (m_pos < size && IsIdentifierByte(m_text[m_pos]))
                ++m_pos;
            if (tokenStart)
                return { TToken::Identifier, start, m_pos, Branch() };
        }
    }

    // The next token of code; every span that is not code on the way is noted.
    TToken Next()
    {
        const std::size_t size = m_text.size();
        for (;;) {
            while (m_pos < size && IsBlankByte(m_text[m_pos]))
                ++m_pos;
            if (m_pos >= size)
                return { TToken::End, size, size, Branch() };
            const std::size_t start = m_pos;
            if (ReadNonCode()) {
                if (m_out.Spans.back().Class == TByteClass::String)
                    return { TToken::Literal, start, m_pos, Branch() };
                continue;
            }
            const char c = m_text[m_pos];
            if (IsIdentifierByte(c)) {
                while (m_pos < size && IsIdentifierByte(m_text[m_pos]))
                    ++m_pos;
                return { IsIdentifierStart(c) ? TToken::Identifier : TToken::Literal, start, m_pos, Branch() };
            }
            ++m_pos;
            return { TToken::Symbol, start, m_pos, Branch() };
        }
    }

private:
    TBranch Branch() const { return m_branches.empty() ? kNoBranch : m_branches.back(); }

    void Note(std::size_t start, TByteClass byteClass)
    {
        // Runs of one class side by side ('a'#13'b') stay apart: each is a span of its own.
        m_out.Spans.push_back({ start, m_pos, byteClass });
    }

    // Reads a comment, directive, string or data block starting at m_pos, if one starts there.
    bool ReadNonCode()
    {
        const std::size_t size = m_text.size();
        const std::size_t start = m_pos;
        const char c = m_text[start];
        const char next = start + 1 < size ? m_text[start + 1] : '\0';
        if (c == '{') {
            const bool directive = !m_form && next == '$';
            const void *close = std::memchr(m_text.data() + start + 1, '}', size - start - 1);
            m_pos = close != nullptr ? std::size_t(static_cast<const char *>(close) - m_text.data()) + 1 : size;
            if (directive)
                FollowDirective(start + 2);
            Note(start, m_form ? TByteClass::Data : directive ? TByteClass::Directive : TByteClass::Comment);
            return true;
        }
        if (c == '\'') {
            ReadString();
            Note(start, TByteClass::String);
            return true;
        }
        if (c == '#') {
            // A character code: "#" and a decimal number, or "#$" and a hexadecimal one.
            std::size_t i = start + 1;
            if (i < size && m_text[i] == '$') {
                ++i;
                while (i < size && std::isxdigit(static_cast<unsigned char>(m_text[i])) != 0)
                    ++i;
            } else {
                while (i < size && m_text[i] >= '0' && m_text[i] <= '9')
                    ++i;
            }
            if (i == start + 1 || (i == start + 2 && m_text[start + 1] == '$'))
                return false;
            m_pos = i;
            Note(start, TByteClass::String);
            return true;
        }
        if (m_form)
            return false;
        if (c == '(' && next == '*') {
            const bool directive = start + 2 < size && m_text[start + 2] == '$';
            std::size_t i = start + 2;
            m_pos = size;
            while (i + 1 < size) {
                const void *star = std::memchr(m_text.data() + i, '*', size - i - 1);
                if (star == nullptr)
                    break;
                i = std::size_t(static_cast<const char *>(star) - m_text.data());
                if (m_text[i + 1] == ')') {
                    m_pos = i + 2;
                    break;
                }
                ++i;
            }
            if (directive)
                FollowDirective(start + 3);
            Note(start, directive ? TByteClass::Directive : TByteClass::Comment);
            return true;
        }
        if (c == '/' && next == '/') {
            std::size_t i = start + 2;
            while (i < size && !IsLineBreak(m_text[i]))
                ++i;
            m_pos = i;
            Note(start, TByteClass::Comment);
            return true;
        }
        return false;
    }

    void ReadString()
    {
        const std::size_t size = m_text.size();
        std::size_t quotes = 0;
        while (m_pos + quotes < size && m_text[m_pos + quotes] == '\'')
            ++quotes;
        if (!m_form && quotes >= 3 && quotes % 2 == 1) {
            std::size_t i = m_pos + quotes;
            while (i < size && (m_text[i] == ' ' || m_text[i] == '\t'))
                ++i;
            if (i < size && IsLineBreak(m_text[i])) {
                // A multi-line string: it ends on the first line that starts, after blanks, with as many quotes.
                while (i < size) {
                    while (i < size && !IsLineBreak(m_text[i]))
                        ++i;
                    while (i < size && IsLineBreak(m_text[i]))
                        ++i;
                    std::size_t j = i;
                    while (j < size && (m_text[j] == ' ' || m_text[j] == '\t'))
                        ++j;
                    std::size_t run = 0;
                    while (j + run < size && m_text[j + run] == '\'')
                        ++run;
                    if (run == quotes) {
                        m_pos = j + run;
                        return;
                    }
                    i = j + run;
                }
                m_pos = size;
                return;
            }
        }
        // "'" to the next lone "'", "''" standing for one quote; a line break ends an unterminated string.
        std::size_t i = m_pos + 1;
        while (i < size) {
            const char c = m_text[i];
            if (IsLineBreak(c))
                break;
            if (c == '\'') {
                if (i + 1 < size && m_text[i + 1] == '\'') {
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            ++i;
        }
        m_pos = i;
    }

    // Follows the conditional branches: {$IF…}, {$IFDEF…}, {$IFNDEF…}, {$IFOPT…} open one, {$ELSE} and
    // {$ELSEIF…} start the next, {$ENDIF} and {$IFEND} close it.
    void FollowDirective(std::size_t nameStart)
    {
        std::size_t i = nameStart;
        while (i < m_pos && ((m_text[i] >= 'A' && m_text[i] <= 'Z') || (m_text[i] >= 'a' && m_text[i] <= 'z')))
            ++i;
        const std::string_view name = m_text.substr(nameStart, i - nameStart);
        const auto is = [&](std::string_view word) { return AsciiEqualNoCase(name, word); };
        if (is("IF") || is("IFDEF") || is("IFNDEF") || is("IFOPT")) {
            m_branches.push_back(m_nextBranch++);
        } else if (is("ELSE") || is("ELSEIF")) {
            if (!m_branches.empty())
                m_branches.back() = m_nextBranch++;
        } else if (is("ENDIF") || is("IFEND")) {
            if (!m_branches.empty())
                m_branches.pop_back();
        }
    }

    std::string_view m_text;
    bool m_form;
    TPascalReading &m_out;
    std::size_t m_pos = 0;
    std::vector<TBranch> m_branches;
    TBranch m_nextBranch = 0;
};

// Reads the clauses and references of a Pascal text from its tokens.
class TClauseReader
{
public:
    TClauseReader(std::string_view text, TSourceKind kind, bool references, TPascalReading &out)
        : m_text(text)
        , m_lexer(text, kind, out)
        , m_package(kind == TSourceKind::Package)
        , m_references(references)
        , m_out(out)
    {
    }

    // Reads the clauses alone: the lexer passes over the code between them as it passes over spans,
    // stopping only at identifiers that may be a clause's reserved word. The same clauses as Read finds.
    void ReadClauses()
    {
        for (;;) {
            const TToken word = m_package ? m_lexer.NextWord<kPackageStops>() : m_lexer.NextWord<kUnitStops>();
            if (word.Kind == TToken::End)
                return;
            TClauseKind kind = TClauseKind::Uses;
            if (!IsClauseWord(word, kind) || (word.Start > 0 && m_text[word.Start - 1] == '&') || AfterDot(word.Start))
                continue;
            ReadClause(word, kind);
            if (m_broken) {
                // No clause starts before the ";" that ends the one that did not read.
                TToken token = Take();
                while (token.Kind != TToken::End && !IsSymbol(token, ';'))
                    token = Take();
                m_broken = false;
            }
        }
    }

    void Read()
    {
        for (TToken token = Take(); token.Kind != TToken::End; token = Take()) {
            if (token.Kind == TToken::Identifier && !AfterDotOrAmpersand(token)) {
                TClauseKind kind = TClauseKind::Uses;
                if (!m_broken && IsClauseWord(token, kind)) {
                    ReadClause(token, kind);
                    continue;
                }
                if (m_references) {
                    ReadReference(token);
                    continue;
                }
            }
            if (IsSymbol(token, ';'))
                m_broken = false;
            m_before = token;
        }
    }

private:
    TToken Take()
    {
        if (m_held.Kind != TToken::End) {
            const TToken token = m_held;
            m_held = TToken();
            return token;
        }
        return m_lexer.Next();
    }

    void Hold(const TToken &token) { m_held = token; }

    bool IsSymbol(const TToken &token, char c) const
    {
        return token.Kind == TToken::Symbol && m_text[token.Start] == c;
    }

    // True when the code token before `start` (blanks, comments and directives passed over; a string is a
    // token) is a ".": what m_before tells Read, for ReadClauses that has no tokens before.
    bool AfterDot(std::size_t start) const
    {
        const std::vector<TTextSpan> &spans = m_out.Spans;
        std::size_t span = spans.size();
        std::size_t p = start;
        while (p > 0) {
            if (span > 0 && spans[span - 1].End == p) {
                --span;
                if (spans[span].Class == TByteClass::String)
                    return false;
                p = spans[span].Start;
                continue;
            }
            const char c = m_text[p - 1];
            if (!IsBlankByte(c))
                return c == '.';
            --p;
        }
        return false;
    }

    bool AfterDotOrAmpersand(const TToken &token) const
    {
        if (token.Start > 0 && m_text[token.Start - 1] == '&')
            return true;
        return IsSymbol(m_before, '.');
    }

    bool IsWord(const TToken &token, std::string_view word) const
    {
        return AsciiEqualNoCase(m_text.substr(token.Start, token.End_ - token.Start), word);
    }

    bool IsClauseWord(const TToken &token, TClauseKind &kind) const
    {
        if (IsWord(token, "uses")) {
            kind = TClauseKind::Uses;
            return true;
        }
        if (!m_package)
            return false;
        if (IsWord(token, "requires")) {
            kind = TClauseKind::Requires;
            return true;
        }
        if (IsWord(token, "contains")) {
            kind = TClauseKind::Contains;
            return true;
        }
        return false;
    }

    // A name: identifiers joined by dots (blanks and comments between them allowed). `first` is read.
    // `lower`, when given, gets the name's parts in lower case joined by dots; returns the number of parts.
    int ReadDottedName(const TToken &first, std::size_t &end, std::string *lower)
    {
        end = first.End_;
        if (lower != nullptr)
            *lower = AsciiLower(m_text.substr(first.Start, first.End_ - first.Start));
        int parts = 1;
        for (;;) {
            const TToken dot = Take();
            if (!IsSymbol(dot, '.')) {
                Hold(dot);
                return parts;
            }
            const TToken part = Take();
            if (part.Kind != TToken::Identifier) {
                // "A." followed by something else: the dot is not part of the name.
                Hold(part);
                m_pendingDot = dot;
                return parts;
            }
            end = part.End_;
            ++parts;
            if (lower != nullptr) {
                *lower += '.';
                *lower += AsciiLower(m_text.substr(part.Start, part.End_ - part.Start));
            }
        }
    }

    void ReadClause(const TToken &word, TClauseKind kind)
    {
        TUnitClause clause;
        clause.Kind = kind;
        clause.Start = word.Start;
        m_clauseStart = word.Start;
        for (;;) {
            const TToken name = Take();
            if (name.Kind != TToken::Identifier)
                return Abandon(name);
            TClauseName entry;
            entry.Start = name.Start;
            entry.Branch = name.Branch;
            m_pendingDot = TToken();
            ReadDottedName(name, entry.NameEnd, &entry.Lower);
            if (m_pendingDot.Kind != TToken::End)
                return Abandon(Take());
            entry.End = entry.NameEnd;
            TToken after = Take();
            if (after.Kind == TToken::Identifier && IsWord(after, "in")) {
                const TToken path = Take();
                if (path.Kind != TToken::Literal || m_text[path.Start] != '\'')
                    return Abandon(path);
                entry.End = path.End_;
                // 'a' 'b' and 'a'#0 run on as one constant.
                for (after = Take(); after.Kind == TToken::Literal && !IsIdentifierByte(m_text[after.Start]);
                     after = Take())
                    entry.End = after.End_;
            }
            if (IsSymbol(after, ',')) {
                entry.Comma = after.Start;
                entry.CommaBranch = after.Branch;
                clause.Names.push_back(std::move(entry));
                continue;
            }
            if (IsSymbol(after, ';')) {
                clause.Names.push_back(std::move(entry));
                clause.End = after.End_;
                m_out.Clauses.push_back(std::move(clause));
                m_before = after;
                return;
            }
            return Abandon(after);
        }
    }

    // A clause that does not read as one is left as it is, up to the next ";": reading goes on with the
    // token that broke it, but no clause starts before that ";". Otherwise removing a clause read inside
    // the broken one ("uses A uses B; ;") could make the broken one read whole in the next run.
    void Abandon(const TToken &token)
    {
        m_out.Broken.push_back(
            { m_clauseStart, token.Kind != TToken::End ? token.Start : m_text.size(), TByteClass::Code });
        m_broken = true;
        m_pendingDot = TToken();
        if (token.Kind != TToken::End)
            Hold(token);
        m_before = TToken();
    }

    void ReadReference(const TToken &first)
    {
        std::size_t end = 0;
        m_pendingDot = TToken();
        if (ReadDottedName(first, end, nullptr) > 1)
            m_out.References.push_back({ first.Start, end, TByteClass::Code });
        m_before = m_pendingDot.Kind != TToken::End ? m_pendingDot : TToken();
        m_pendingDot = TToken();
    }

    std::string_view m_text;
    TLexer m_lexer;
    bool m_package;
    bool m_references;
    TPascalReading &m_out;
    TToken m_held;
    TToken m_pendingDot;
    // The code token before the identifier looked at (a "." makes it a member, never a reserved word).
    TToken m_before;
    // Between a clause that did not read as one and the next ";".
    bool m_broken = false;
    std::size_t m_clauseStart = 0;
};

// Where a byte of a text lies among the spans of its reading.
class TSpanIndex
{
public:
    explicit TSpanIndex(const std::vector<TTextSpan> &spans)
        : m_spans(spans)
    {
    }

    // The span that holds `at`, null for a byte of code.
    const TTextSpan *SpanAt(std::size_t at) const
    {
        const auto span = std::upper_bound(
            m_spans.begin(), m_spans.end(), at, [](std::size_t p, const TTextSpan &s) { return p < s.Start; });
        if (span == m_spans.begin() || std::prev(span)->End <= at)
            return nullptr;
        return &*std::prev(span);
    }

private:
    const std::vector<TTextSpan> &m_spans;
};

bool InRanges(const std::vector<TTextSpan> &ranges, std::size_t at)
{
    const auto range = std::upper_bound(
        ranges.begin(), ranges.end(), at, [](std::size_t p, const TTextSpan &r) { return p < r.Start; });
    return range != ranges.begin() && at < std::prev(range)->End;
}

bool InClause(const std::vector<TUnitClause> &clauses, std::size_t at)
{
    const auto clause = std::upper_bound(
        clauses.begin(), clauses.end(), at, [](std::size_t p, const TUnitClause &c) { return p < c.Start; });
    return clause != clauses.begin() && at < std::prev(clause)->End;
}

// The identifier of code that ends at `end`: its first byte, or `end` when none does. It starts after a byte
// that is no identifier byte, or where a span ends.
std::size_t IdentifierBefore(std::string_view text, const TSpanIndex &spans, std::size_t end)
{
    std::size_t start = end;
    while (start > 0 && IsIdentifierByte(text[start - 1]) && spans.SpanAt(start - 1) == nullptr)
        --start;
    return start;
}

// Whether the dotted name that ends right before the code "." at `dot` (blanks between its parts and the
// dots, nothing else) spells `lowerName`; its first byte in `start`.
bool SpellsBefore(
    std::string_view text, const TSpanIndex &spans, std::size_t dot, std::string_view lowerName, std::size_t &start)
{
    std::size_t end = dot;
    std::size_t partEnd = lowerName.size();
    for (;;) {
        while (end > 0 && IsBlankByte(text[end - 1]) && spans.SpanAt(end - 1) == nullptr)
            --end;
        const std::size_t first = IdentifierBefore(text, spans, end);
        const std::size_t dotInName = lowerName.rfind('.', partEnd == 0 ? 0 : partEnd - 1);
        const std::size_t partStart = dotInName == std::string_view::npos ? 0 : dotInName + 1;
        const std::string_view part = lowerName.substr(partStart, partEnd - partStart);
        if (first == end || end - first != part.size() || !IsIdentifierStart(text[first]))
            return false;
        for (std::size_t i = 0; i < part.size(); ++i)
            if (AsciiLowerChar(text[first + i]) != part[i])
                return false;
        if (partStart == 0) {
            start = first;
            return true;
        }
        end = first;
        while (end > 0 && IsBlankByte(text[end - 1]) && spans.SpanAt(end - 1) == nullptr)
            --end;
        if (end == 0 || text[end - 1] != '.' || spans.SpanAt(end - 1) != nullptr)
            return false;
        --end;
        partEnd = partStart - 1;
    }
}

// Whether the code token before `start` is a "." (blanks, comments and directives passed over).
bool DotBefore(std::string_view text, const TSpanIndex &spans, std::size_t start)
{
    std::size_t p = start;
    while (p > 0) {
        if (const TTextSpan *span = spans.SpanAt(p - 1)) {
            if (span->Class == TByteClass::String)
                return false;
            p = span->Start;
            continue;
        }
        if (!IsBlankByte(text[p - 1]))
            return text[p - 1] == '.';
        --p;
    }
    return false;
}

// Whether the code token after `from` (blanks, comments and directives passed over) is an identifier.
bool IdentifierAfter(std::string_view text, const TSpanIndex &spans, std::size_t from)
{
    std::size_t p = from;
    while (p < text.size()) {
        if (const TTextSpan *span = spans.SpanAt(p)) {
            if (span->Class == TByteClass::String)
                return false;
            p = span->End;
            continue;
        }
        if (!IsBlankByte(text[p]))
            return IsIdentifierStart(text[p]);
        ++p;
    }
    return false;
}

} // namespace

void FindQualifiedNames(std::string_view text, const TPascalReading &reading,
    const std::vector<std::string_view> &lowerNames, std::vector<TQualifiedName> &out)
{
    out.clear();
    if (lowerNames.empty())
        return;
    // A name with its "." ends every such dotted name's first parts: only the "." of the code are looked at,
    // and of those only the ones a name's last part stands before.
    const TSpanIndex spans(reading.Spans);
    const std::vector<TTextSpan> &all = reading.Spans;
    std::vector<std::string_view> lastParts;
    lastParts.reserve(lowerNames.size());
    for (const std::string_view name : lowerNames)
        lastParts.push_back(name.substr(name.rfind('.') == std::string_view::npos ? 0 : name.rfind('.') + 1));
    std::size_t span = 0;
    for (std::size_t dot = text.find('.'); dot != std::string_view::npos; dot = text.find('.', dot + 1)) {
        while (span < all.size() && all[span].End <= dot)
            ++span;
        if (span < all.size() && all[span].Start <= dot) {
            dot = all[span].End - 1;
            continue;
        }
        // The bytes before the "." (and its blanks) end with the name's last part, if it stands there.
        std::size_t end = dot;
        while (end > 0 && IsBlankByte(text[end - 1]))
            --end;
        if (end == 0 || !IsIdentifierByte(text[end - 1]))
            continue;
        for (std::size_t n = 0; n < lowerNames.size(); ++n) {
            const std::string_view part = lastParts[n];
            if (part.empty() || part.size() > end || AsciiLowerChar(text[end - 1]) != part.back()
                || !AsciiEqualNoCase(text.substr(end - part.size(), part.size()), part))
                continue;
            std::size_t start = 0;
            if (!SpellsBefore(text, spans, dot, lowerNames[n], start))
                continue;
            // The dotted name starts there as Read would read it: not after "." or "&", not read as a clause's.
            if ((start > 0 && text[start - 1] == '&') || DotBefore(text, spans, start)
                || InClause(reading.Clauses, start) || InRanges(reading.Broken, start)
                || !IdentifierAfter(text, spans, dot + 1))
                continue;
            out.push_back({ start, n });
            break;
        }
    }
    // A dotted name met at two of its "." keeps its first name.
    std::sort(out.begin(), out.end(), [](const TQualifiedName &a, const TQualifiedName &b) {
        return a.Start != b.Start ? a.Start < b.Start : a.Name < b.Name;
    });
    out.erase(std::unique(out.begin(), out.end(),
                  [](const TQualifiedName &a, const TQualifiedName &b) { return a.Start == b.Start; }),
        out.end());
}

TSourceKind SourceKindOf(std::string_view fileName, bool isForm)
{
    if (isForm)
        return TSourceKind::FormText;
    const std::string extension = AsciiLower(FileExtension(fileName));
    if (extension.empty())
        return TSourceKind::Other;
    if (extension == ".dpk")
        return TSourceKind::Package;
    for (const std::string_view pascal : { ".pas", ".pp", ".inc", ".dpr", ".lpr" })
        if (extension == pascal)
            return TSourceKind::Pascal;
    for (const std::string_view form : { ".dfm", ".xfm", ".lfm" })
        if (extension == form)
            return TSourceKind::FormText;
    return TSourceKind::Other;
}

void ReadPascal(std::string_view text, TSourceKind kind, bool clauses, bool references, TPascalReading &out)
{
    out.Clear();
    if (kind == TSourceKind::Other)
        return;
    if (kind == TSourceKind::FormText || !clauses) {
        TLexer lexer(text, kind, out);
        lexer.SpansOnly();
        return;
    }
    TClauseReader reader(text, kind, references, out);
    if (references)
        reader.Read();
    else
        reader.ReadClauses();
}

} // namespace qvc
