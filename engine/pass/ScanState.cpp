#include "engine/pass/ScanState.h"

#include "common/AsciiCase.h"
#include "engine/pass/ApplyPair.h"

#include <algorithm>
#include <tuple>

namespace qvc {

namespace {

// The class of every byte of text[start, end) by the spans of what is not code.
void FillClasses(const std::vector<TTextSpan> &spans, std::size_t start, std::size_t end, std::string &out)
{
    out.assign(end - start, '\0');
    auto span = std::lower_bound(
        spans.begin(), spans.end(), start, [](const TTextSpan &s, std::size_t at) { return s.End <= at; });
    for (; span != spans.end() && span->Start < end; ++span) {
        const std::size_t from = std::max(span->Start, start);
        const std::size_t to = std::min(span->End, end);
        std::fill(out.begin() + std::ptrdiff_t(from - start), out.begin() + std::ptrdiff_t(to - start),
            static_cast<char>(span->Class));
    }
}

TMissReason ReasonOfClass(std::uint8_t byteClass)
{
    switch (static_cast<TByteClass>(byteClass)) {
    case TByteClass::Comment:
        return TMissReason::InsideComment;
    case TByteClass::Directive:
        return TMissReason::InsideDirective;
    default:
        return TMissReason::InsideString;
    }
}

bool IsBreak(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

void TScanState::Reset(const TCompiledPairs &pairs, std::vector<std::string> *lines, std::size_t lineCount)
{
    m_pairs = &pairs;
    m_lines = lines;
    m_scope = TScope::All;
    m_everyScopePairs.clear();
    m_candidates.resize(pairs.Count());
    for (auto &candidates : m_candidates)
        candidates.clear();
    // Scan numbers only grow, so marks left by earlier texts never match a new scan.
    if (m_seenInScan.size() != pairs.PatternCount())
        m_seenInScan.assign(pairs.PatternCount(), 0);
    m_text = {};
    m_bounds.clear();
    m_lineCopy.clear();
    m_copiesUsed = 0;
    m_missGroups.clear();
    m_missColumns.clear();
    m_missHead.assign(lineCount, -1);
}

void TScanState::Release()
{
    m_text = {};
    // Working space of an unusually long line is not kept for the next text.
    constexpr std::size_t kKeptBuffer = std::size_t(4) << 20;
    if (m_scratch.Lower.capacity() > kKeptBuffer || m_scratch.NarrowStates.capacity() > kKeptBuffer
        || m_scratch.WideStates.capacity() > kKeptBuffer / sizeof(std::uint32_t))
        m_scratch = TLineScratch();
    // Only the copies this text used can have grown.
    for (std::size_t c = 0; c < m_copiesUsed; ++c)
        if (m_copies[c].capacity() > kKeptBuffer)
            std::string().swap(m_copies[c]);
    for (auto &hits : m_hits)
        if (hits.capacity() > kKeptBuffer / sizeof(THit))
            std::vector<THit>().swap(hits);
    m_missGroups.clear();
    m_missColumns.clear();
    if (m_missColumns.capacity() > kKeptBuffer / sizeof(std::uint32_t))
        std::vector<std::uint32_t>().swap(m_missColumns);
    for (std::size_t c = 0; c < std::min(m_copiesUsed, m_classCopies.size()); ++c)
        if (m_classCopies[c].capacity() > kKeptBuffer)
            std::string().swap(m_classCopies[c]);
    if (m_reading.Spans.capacity() > kKeptBuffer / sizeof(TTextSpan)
        || m_reading.References.capacity() > kKeptBuffer / sizeof(TTextSpan))
        m_reading = TPascalReading();
}

void TScanState::MarkEveryLine(std::size_t lineCount)
{
    // Without the automaton every line is a candidate for every pair: slow, but the same result.
    for (std::size_t i = 0; i < m_pairs->Count(); ++i)
        if (!m_pairs->Pair(i).Blank)
            for (std::uint32_t k = 0; k < lineCount; ++k)
                m_candidates[i].push_back(k);
}

void TScanState::BeginLines(const TCompiledPairs &pairs, std::vector<std::string> &lines)
{
    Reset(pairs, &lines, lines.size());
    if (!pairs.Matcher().Usable()) {
        MarkEveryLine(lines.size());
        return;
    }
    for (std::uint32_t k = 0; k < lines.size(); ++k)
        MarkCandidates(k, lines[k], SIZE_MAX);
}

bool TScanState::BeginText(const TCompiledPairs &pairs, std::string_view text, TScope scope, TSourceKind kind)
{
    Reset(pairs, nullptr, 0);
    m_scope = scope;
    m_text = text;
    if (scope != TScope::All && kind == TSourceKind::Other)
        return false;
    if (scope == TScope::Uses) {
        // The clauses alone are looked at; the lines come when the pairs are done (Finish).
        ReadPascal(text, kind, true, false, m_reading);
        m_uses.Begin(text, m_reading);
        return !m_uses.Empty() || pairs.AnyEveryScope();
    }
    const TPairMatcher &matcher = pairs.Matcher();
    if (!matcher.Usable()) {
        FindLineBounds(text, m_bounds);
        m_lineCopy.assign(m_bounds.size(), -1);
        MarkEveryLine(m_bounds.size());
        m_missHead.assign(m_bounds.size(), -1);
        if (scope == TScope::Code)
            ReadPascal(text, kind, false, false, m_reading);
        return true;
    }
    // One scan of the whole text instead of one per line: an occurrence of a find text lies within one
    // line (a find text holding a line break can never be replaced, as no line holds one), so it marks
    // that line as a candidate. A text in which no find text occurs at all needs no lines.
    for (auto &hits : m_hits)
        hits.clear();
    const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
    // Only the first occurrence of each find text on a line is kept: a long line holding one find text
    // over and over needs one hit, not one per occurrence.
    const std::size_t patternCount = pairs.PatternCount();
    if (m_lineSeen.size() != TPairMatcher::kPieces * patternCount)
        m_lineSeen.assign(TPairMatcher::kPieces * patternCount, 0);
    std::array<std::size_t, TPairMatcher::kPieces> lineEnd {};
    std::array<std::uint64_t, TPairMatcher::kPieces> lineMark {};
    bool anyHit = false;
    matcher.ScanPieces(text, [&](std::size_t piece, std::uint32_t pattern, std::size_t end) {
        anyHit = true;
        // Only a find text holding a line break ends on one, and no line can hold it.
        if (isBreak(text[end]))
            return;
        if (end >= lineEnd[piece]) {
            std::size_t after = end + 1;
            while (after < text.size() && !isBreak(text[after]))
                ++after;
            lineEnd[piece] = after;
            lineMark[piece] = ++m_lineMark;
        }
        std::uint64_t &seen = m_lineSeen[piece * patternCount + pattern];
        if (seen == lineMark[piece])
            return;
        seen = lineMark[piece];
        m_hits[piece].push_back({ end, lineEnd[piece], pattern });
    });
    if (!anyHit)
        return false;
    // Only the lines with an occurrence are looked for, numbered in the order of the text; the lines
    // between them stay in the text as they are. Pieces in order, occurrences within a piece in order.
    for (const auto &hits : m_hits) {
        for (const THit &hit : hits) {
            if (m_bounds.empty() || hit.End >= m_bounds.back().End) {
                std::size_t start = hit.End;
                while (start > 0 && !isBreak(text[start - 1]))
                    --start;
                m_bounds.push_back({ start, hit.LineEnd });
                ++m_scan;
            }
            MarkPattern(static_cast<std::uint32_t>(m_bounds.size() - 1), hit.Pattern, SIZE_MAX);
        }
    }
    m_lineCopy.assign(m_bounds.size(), -1);
    m_missHead.assign(m_bounds.size(), -1);
    // Whether a byte is code depends on everything before it: the whole text is read.
    if (scope == TScope::Code)
        ReadPascal(text, kind, false, false, m_reading);
    return true;
}

void TScanState::MarkPattern(std::uint32_t line, std::uint32_t pattern, std::size_t afterPair)
{
    if (m_seenInScan[pattern] == m_scan)
        return;
    m_seenInScan[pattern] = m_scan;
    for (const std::uint32_t pair : m_pairs->PairsOf(pattern)) {
        if (afterPair != SIZE_MAX && pair <= afterPair)
            continue;
        // Pairs changing one line one after the other would list it again and again for a later pair,
        // each visit reading the whole line once more.
        std::vector<std::uint32_t> &candidates = m_candidates[pair];
        if (candidates.empty() || candidates.back() != line)
            candidates.push_back(line);
    }
}

void TScanState::MarkCandidates(std::uint32_t line, std::string_view text, std::size_t afterPair)
{
    ++m_scan;
    m_pairs->Matcher().Scan(text, [&](std::uint32_t pattern) { MarkPattern(line, pattern, afterPair); });
}

std::string &TScanState::TextLine(std::uint32_t k)
{
    std::int32_t &copy = m_lineCopy[k];
    if (copy < 0) {
        if (m_copiesUsed == m_copies.size())
            m_copies.emplace_back();
        copy = static_cast<std::int32_t>(m_copiesUsed++);
        const TLineBounds &bounds = m_bounds[k];
        m_copies[static_cast<std::size_t>(copy)].assign(m_text.substr(bounds.Start, bounds.End - bounds.Start));
        if (m_scope == TScope::Code) {
            if (m_classCopies.size() < m_copies.size())
                m_classCopies.resize(m_copies.size());
            FillClasses(m_reading.Spans, bounds.Start, bounds.End, m_classCopies[static_cast<std::size_t>(copy)]);
        }
    }
    return m_copies[static_cast<std::size_t>(copy)];
}

std::string &TScanState::Classes(std::uint32_t k)
{
    TextLine(k);
    return m_classCopies[static_cast<std::size_t>(m_lineCopy[k])];
}

int TScanState::ApplyCodePair(std::size_t i, std::uint32_t k)
{
    const TCompiledPair &pair = m_pairs->Pair(i);
    std::string &line = TextLine(k);
    std::string &classes = Classes(k);
    const int made
        = ApplyCodePairToLine(line, classes, pair.FindLower, pair.Replace, pair.ReplaceLower, m_scratch, m_codeMisses);
    NoteCodeMisses(i, k);
    return made;
}

int TScanState::ApplyPairAt(
    std::size_t i, const std::string &targetName, std::string &newName, TConversionResult &results)
{
    const TCompiledPair &pair = m_pairs->Pair(i);
    if (pair.Blank)
        return 0;
    const bool usable = m_pairs->Matcher().Usable();
    int count = 0;
    // Lines are independent of each other for one pair, so candidates need no particular order; a line
    // listed twice is harmless, as a second application of the same pair changes nothing.
    if (m_scope == TScope::Uses) {
        if (pair.EveryScope) {
            // Applied to the text once the clauses are written (Finish).
            m_everyScopePairs.push_back(i);
            return 0;
        }
        count = m_uses.Apply(pair.Unit, static_cast<std::uint32_t>(i));
        NotePairApplied(count, targetName, pair.Find, pair.Replace, newName, results);
        return count;
    }
    const bool codeRules = m_scope == TScope::Code && !pair.EveryScope;
    const auto &candidates = m_candidates[i];
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        const std::uint32_t k = candidates[c];
        if (codeRules) {
            const int made = ApplyCodePair(i, k);
            count += made;
            if (made > 0 && usable)
                MarkCandidates(k, TextLine(k), i);
            continue;
        }
        std::string &line = Line(k);
        std::string before;
        if (m_scope == TScope::Code)
            before = line;
        const int made = ApplyPairToLine(line, pair.Find, pair.FindLower, pair.Replace, m_scratch);
        if (m_scope == TScope::Code && made > 0) {
            // The bytes the whole-text rules changed take the class of the first byte they replaced.
            std::string &classes = Classes(k);
            std::size_t prefix = 0;
            while (prefix < before.size() && prefix < line.size() && before[prefix] == line[prefix])
                ++prefix;
            std::size_t suffix = 0;
            while (suffix < before.size() - prefix && suffix < line.size() - prefix
                && before[before.size() - 1 - suffix] == line[line.size() - 1 - suffix])
                ++suffix;
            const char changedClass = prefix < classes.size() ? classes[prefix] : '\0';
            classes.replace(prefix, before.size() - prefix - suffix, line.size() - prefix - suffix, changedClass);
        }
        NoteMisses(i, k, line, made > 0);
        if (made > 0) {
            count += made;
            // The changed line may now hold find texts of later pairs, or no longer hold some.
            if (usable)
                MarkCandidates(k, line, i);
        }
    }
    NotePairApplied(count, targetName, pair.Find, pair.Replace, newName, results);
    return count;
}

void TScanState::JoinText(std::string &out) const
{
    // The lines looked at (m_bounds), changed or not, and the text between them, every line ending in
    // CR LF. A text already in that form goes over between those lines as it is.
    out.clear();
    out.reserve(m_text.size() + m_text.size() / 8 + 64);
    const bool crLf = IsCrLfText(m_text);
    const auto appendBetween = [&](std::size_t from, std::size_t to) {
        if (crLf) {
            out.append(m_text.substr(from, to - from));
            return;
        }
        for (std::size_t i = from; i < to; ++i) {
            const char c = m_text[i];
            if (c == '\r' || c == '\n') {
                out += "\r\n";
                if (c == '\r' && i + 1 < to && m_text[i + 1] == '\n')
                    ++i;
            } else {
                out += c;
            }
        }
    };
    std::size_t cursor = 0;
    for (std::size_t k = 0; k < m_bounds.size(); ++k) {
        appendBetween(cursor, m_bounds[k].Start);
        if (m_lineCopy[k] >= 0)
            out += m_copies[static_cast<std::size_t>(m_lineCopy[k])];
        else
            out.append(m_text.substr(m_bounds[k].Start, m_bounds[k].End - m_bounds[k].Start));
        cursor = m_bounds[k].End;
    }
    appendBetween(cursor, m_text.size());
    if (!crLf && !m_text.empty() && m_text.back() != '\r' && m_text.back() != '\n')
        out += "\r\n"; // the last line had no line break
}

bool TScanState::RevisitMisses(std::uint32_t pair, std::uint32_t pattern, std::int32_t head)
{
    // A line listed twice for this pair is visited again unchanged: what the first visit noted stands.
    for (std::int32_t g = head; g >= 0; g = m_missGroups[std::size_t(g)].Next)
        if (!m_missGroups[std::size_t(g)].Dropped && m_missGroups[std::size_t(g)].Pair == pair)
            return false;
    // What an earlier pair with the same find text noted on the line is this pair's to say now.
    for (std::int32_t g = head; g >= 0; g = m_missGroups[std::size_t(g)].Next) {
        TMissGroup &group = m_missGroups[std::size_t(g)];
        if (group.Pattern == pattern)
            group.Dropped = true;
    }
    return true;
}

void TScanState::AddMissGroup(
    std::uint32_t k, std::uint32_t pair, std::uint32_t pattern, std::size_t first, TMissReason reason)
{
    if (m_missColumns.size() == first)
        return;
    std::int32_t &head = m_missHead[k];
    m_missGroups.push_back({ k, pattern, pair, head, first, m_missColumns.size() - first, reason, false });
    head = static_cast<std::int32_t>(m_missGroups.size() - 1);
}

void TScanState::NoteMisses(std::size_t i, std::uint32_t k, const std::string &line, bool replaced)
{
    // Every line a pair visits holds its find text or held it once; a miss needs it still there.
    const TCompiledPair &pair = m_pairs->Pair(i);
    const std::string_view lowerLine = m_scratch.Lower; // ApplyPairToLine leaves the line in lower case here
    const std::size_t first = lowerLine.find(pair.FindLower);
    const std::int32_t head = m_missHead[k];
    if (first == std::string_view::npos && head < 0)
        return;
    const auto pattern = static_cast<std::uint32_t>(pair.Pattern);
    const auto pairIndex = static_cast<std::uint32_t>(i);
    if (head >= 0 && !RevisitMisses(pairIndex, pattern, head))
        return;
    if (first == std::string_view::npos)
        return;
    const bool holdsReplace = !replaced && !pair.Replace.empty() && line.find(pair.Replace) != std::string::npos;
    const TMissReason reason = MissReasonOf(pair.Replace.empty(), replaced, holdsReplace);
    const std::size_t start = m_missColumns.size();
    ForEachStandaloneOccurrence(line, lowerLine, pair.FindLower, pair.Replace, first,
        [&](std::size_t q) { m_missColumns.push_back(static_cast<std::uint32_t>(q + 1)); });
    AddMissGroup(k, pairIndex, pattern, start, reason);
}

void TScanState::NoteCodeMisses(std::size_t i, std::uint32_t k)
{
    const std::int32_t head = m_missHead[k];
    if (m_codeMisses.empty() && head < 0)
        return;
    const auto pattern = static_cast<std::uint32_t>(m_pairs->Pair(i).Pattern);
    const auto pairIndex = static_cast<std::uint32_t>(i);
    if (head >= 0 && !RevisitMisses(pairIndex, pattern, head))
        return;
    // One group per reason, each with its columns in order.
    for (const TMissReason reason :
        { TMissReason::InsideComment, TMissReason::InsideDirective, TMissReason::InsideString }) {
        const std::size_t start = m_missColumns.size();
        for (const TCodeMiss &miss : m_codeMisses)
            if (ReasonOfClass(miss.Class) == reason)
                m_missColumns.push_back(miss.Column + 1);
        AddMissGroup(k, pairIndex, pattern, start, reason);
    }
}

int TScanState::Finish(const std::string &targetName, std::string &newName, TConversionResult &results)
{
    return m_scope == TScope::Uses ? FinishUses(targetName, newName, results) : 0;
}

std::uint32_t TScanState::LineOf(std::size_t position)
{
    const auto line = std::upper_bound(m_bounds.begin(), m_bounds.end(), position,
        [](std::size_t at, const TLineBounds &bounds) { return at < bounds.Start; });
    return static_cast<std::uint32_t>(line - m_bounds.begin() - 1);
}

int TScanState::FinishUses(const std::string &targetName, std::string &newName, TConversionResult &results)
{
    m_uses.Edits(m_edits);
    // Code qualified by a name the pairs replaced or removed: the compiler stops there.
    struct TQualified
    {
        std::size_t Position;
        std::uint32_t Pair;
    };
    std::vector<TQualified> qualified;
    if (!m_uses.Replaced().empty()) {
        std::vector<std::string_view> names;
        for (const TUsesClauses::TReplacedName &replaced : m_uses.Replaced())
            names.emplace_back(replaced.Lower);
        FindQualifiedNames(m_text, m_reading, names, m_qualified);
        for (const TQualifiedName &found : m_qualified)
            qualified.push_back({ found.Start, m_uses.Replaced()[found.Name].Pair });
    }
    // The lines looked at: those the edits change, those with a miss, those a whole-text pair may change.
    std::vector<std::size_t> starts;
    const auto lineStart = [&](std::size_t position) {
        while (position > 0 && !IsBreak(m_text[position - 1]))
            --position;
        return position;
    };
    for (const TTextEdit &edit : m_edits)
        starts.push_back(lineStart(edit.Start));
    for (const TQualified &miss : qualified)
        starts.push_back(lineStart(miss.Position));
    if (!m_everyScopePairs.empty()) {
        // Searched in place, letters folded as they are read: no lower-case copy of every file.
        const auto folded = [](char a, char b) { return AsciiLowerChar(a) == b; };
        for (const std::size_t i : m_everyScopePairs) {
            const std::string &find = m_pairs->Pair(i).FindLower;
            for (const auto *at = std::search(m_text.begin(), m_text.end(), find.begin(), find.end(), folded);
                 at != m_text.end(); at = std::search(at + 1, m_text.end(), find.begin(), find.end(), folded))
                starts.push_back(lineStart(static_cast<std::size_t>(at - m_text.begin())));
        }
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    m_bounds.clear();
    for (const std::size_t start : starts) {
        std::size_t end = start;
        while (end < m_text.size() && !IsBreak(m_text[end]))
            ++end;
        m_bounds.push_back({ start, end });
    }
    m_lineCopy.assign(m_bounds.size(), -1);
    m_missHead.assign(m_bounds.size(), -1);
    // The edits of a line, from its end to its start, so that the positions before each still hold.
    for (std::size_t e = m_edits.size(); e-- > 0;) {
        const TTextEdit &edit = m_edits[e];
        const std::uint32_t k = LineOf(edit.Start);
        const std::size_t start = m_bounds[k].Start;
        TextLine(k).replace(edit.Start - start, edit.End - edit.Start, edit.Text);
    }
    for (const TQualified &miss : qualified) {
        const std::uint32_t k = LineOf(miss.Position);
        std::size_t column = miss.Position - m_bounds[k].Start;
        // The edits of its line before it, which lie side by side in the sorted edits.
        auto edit = std::lower_bound(m_edits.begin(), m_edits.end(), m_bounds[k].Start,
            [](const TTextEdit &e, std::size_t at) { return e.Start < at; });
        for (; edit != m_edits.end() && edit->Start < miss.Position; ++edit)
            if (edit->End <= miss.Position)
                column = column + edit->Text.size() - (edit->End - edit->Start);
        const std::size_t first = m_missColumns.size();
        m_missColumns.push_back(static_cast<std::uint32_t>(column + 1));
        AddMissGroup(k, miss.Pair, m_pairs->Pair(miss.Pair).Pattern, first, TMissReason::QualifiedByReplacedUnit);
    }
    // The pairs that keep the whole-text rules, in their order, on the text as the clauses left it.
    int total = 0;
    for (const std::size_t i : m_everyScopePairs) {
        const TCompiledPair &pair = m_pairs->Pair(i);
        int count = 0;
        for (std::uint32_t k = 0; k < m_bounds.size(); ++k) {
            std::string &line = Line(k);
            const int made = ApplyPairToLine(line, pair.Find, pair.FindLower, pair.Replace, m_scratch);
            NoteMisses(i, k, line, made > 0);
            count += made;
        }
        NotePairApplied(count, targetName, pair.Find, pair.Replace, newName, results);
        total += count;
    }
    return total;
}

std::vector<std::uint32_t> TScanState::LineNumbersOf(const std::vector<std::uint32_t> &ascending) const
{
    // Looked-at lines of a text are numbered by the line breaks before them (CR LF, lone CR, lone LF).
    std::vector<std::uint32_t> numbers;
    numbers.reserve(ascending.size());
    std::size_t position = 0;
    std::uint32_t line = 1;
    for (const std::uint32_t k : ascending) {
        if (m_lines != nullptr) {
            numbers.push_back(k + 1);
            continue;
        }
        const std::size_t start = m_bounds[k].Start;
        for (; position < start; ++position) {
            const char c = m_text[position];
            if (c == '\n') {
                ++line;
            } else if (c == '\r') {
                ++line;
                if (position + 1 < m_text.size() && m_text[position + 1] == '\n')
                    ++position;
            }
        }
        numbers.push_back(line);
    }
    return numbers;
}

std::vector<TMissedOccurrence> TScanState::MissedOccurrences() const
{
    std::vector<const TMissGroup *> kept;
    std::size_t total = 0;
    for (const TMissGroup &group : m_missGroups) {
        if (!group.Dropped) {
            kept.push_back(&group);
            total += group.Count;
        }
    }
    if (kept.empty())
        return {};
    // Groups by line; a line's misses by column, then pair. The columns of one group ascend already, so
    // only a line with misses of several pairs needs them put in order.
    std::sort(kept.begin(), kept.end(),
        [](const TMissGroup *a, const TMissGroup *b) { return std::tie(a->K, a->Pair) < std::tie(b->K, b->Pair); });
    std::vector<std::uint32_t> lines;
    for (const TMissGroup *group : kept)
        if (lines.empty() || lines.back() != group->K)
            lines.push_back(group->K);
    const std::vector<std::uint32_t> numbers = LineNumbersOf(lines);
    std::vector<TMissedOccurrence> missed;
    missed.reserve(total);
    struct TColumnOf
    {
        std::uint32_t Column;
        std::uint32_t Pair;
        const TMissGroup *Group;
    };
    std::vector<TColumnOf> merged;
    std::size_t g = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::size_t last = g;
        while (last < kept.size() && kept[last]->K == lines[n])
            ++last;
        if (last - g == 1) {
            const TMissGroup &group = *kept[g];
            const std::string &find = m_pairs->Pair(group.Pair).Find;
            for (std::size_t c = group.First; c < group.First + group.Count; ++c)
                missed.push_back({ numbers[n], m_missColumns[c], find, group.Reason });
        } else {
            merged.clear();
            for (std::size_t h = g; h < last; ++h)
                for (std::size_t c = kept[h]->First; c < kept[h]->First + kept[h]->Count; ++c)
                    merged.push_back({ m_missColumns[c], kept[h]->Pair, kept[h] });
            std::sort(merged.begin(), merged.end(), [](const TColumnOf &a, const TColumnOf &b) {
                return std::tie(a.Column, a.Pair) < std::tie(b.Column, b.Pair);
            });
            for (const TColumnOf &column : merged)
                missed.push_back({ numbers[n], column.Column, m_pairs->Pair(column.Pair).Find, column.Group->Reason });
        }
        g = last;
    }
    return missed;
}

void TScanState::CollectChangedLines(std::vector<TChangedLine> &changedLines, std::size_t &total) const
{
    // A line a pair changed has a copy; the copy may still read as before (an empty replace text with a
    // find text that put itself back), which is no change.
    std::vector<std::uint32_t> changed;
    for (std::uint32_t k = 0; k < m_lineCopy.size(); ++k) {
        if (m_lineCopy[k] < 0)
            continue;
        const TLineBounds &bounds = m_bounds[k];
        if (m_copies[std::size_t(m_lineCopy[k])] == m_text.substr(bounds.Start, bounds.End - bounds.Start))
            continue;
        ++total;
        if (changed.size() < kKeptChangedLines)
            changed.push_back(k);
    }
    const std::vector<std::uint32_t> numbers = LineNumbersOf(changed);
    changedLines.reserve(changed.size());
    for (std::size_t n = 0; n < changed.size(); ++n) {
        const TLineBounds &bounds = m_bounds[changed[n]];
        changedLines.push_back({ numbers[n], std::string(m_text.substr(bounds.Start, bounds.End - bounds.Start)),
            m_copies[std::size_t(m_lineCopy[changed[n]])] });
    }
}

} // namespace qvc
