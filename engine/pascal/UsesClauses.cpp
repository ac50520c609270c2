#include "engine/pascal/UsesClauses.h"

#include "common/AsciiCase.h"

#include <algorithm>
#include <functional>

namespace qvc {

namespace {

bool IsSpaceOrTab(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// True when `before` and `after` side by side read otherwise than apart: one identifier or number, a
// comment's or a string's opening, a character code.
bool Joins(char before, char after)
{
    if (IsIdentifierByte(before) && IsIdentifierByte(after))
        return true;
    switch (before) {
    case '(':
        return after == '*';
    case '/':
        return after == '/';
    case '\'':
        return after == '\'';
    case '#':
        return after == '$' || (after >= '0' && after <= '9');
    case '$':
        return IsIdentifierByte(after);
    default:
        return false;
    }
}

// A text of the uses scope: blanks around it, then one trailing "," or ";", then blanks again dropped.
std::string_view UnitText(std::string_view text)
{
    text = Trimmed(text);
    if (!text.empty() && (text.back() == ',' || text.back() == ';'))
        text.remove_suffix(1);
    return Trimmed(text);
}

} // namespace

TUnitPair UnitPairOf(std::string_view find, std::string_view replace)
{
    TUnitPair pair;
    pair.FindLower = AsciiLower(UnitText(find));
    pair.FindHash = std::hash<std::string_view>()(pair.FindLower);
    pair.Written = std::string(UnitText(replace));
    std::string_view rest = pair.Written;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        const std::string_view name = Trimmed(rest.substr(0, comma));
        if (!name.empty())
            pair.Names.emplace_back(name);
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return pair;
}

void TUsesClauses::Begin(std::string_view text, const TPascalReading &reading)
{
    m_text = text;
    m_reading = &reading;
    m_items.clear();
    m_present = {};
    m_held.clear();
    m_replaced.clear();
    for (std::size_t c = 0; c < reading.Clauses.size(); ++c) {
        const TUnitClause &clause = reading.Clauses[c];
        for (std::size_t n = 0; n < clause.Names.size(); ++n) {
            const TClauseName &name = clause.Names[n];
            TItem item;
            item.Clause = c;
            item.Index = n;
            item.Entries.push_back(
                { std::string(text.substr(name.Start, name.NameEnd - name.Start)), name.Lower, {}, false });
            NotePresent(name.Lower);
            m_items.push_back(std::move(item));
            if (name.Branch == kNoBranch)
                m_held.push_back({ clause.Kind, name.Lower, 1 });
        }
    }
    // Held in order, each name once with how often it stands there.
    std::sort(m_held.begin(), m_held.end(), HeldBefore);
    std::size_t kept = 0;
    for (std::size_t h = 0; h < m_held.size(); ++h) {
        if (kept > 0 && m_held[kept - 1].Kind == m_held[h].Kind && m_held[kept - 1].Lower == m_held[h].Lower)
            ++m_held[kept - 1].Count;
        else if (kept++ != h)
            m_held[kept - 1] = std::move(m_held[h]);
    }
    m_held.resize(kept);
}

bool TUsesClauses::HeldBefore(const THeld &a, const THeld &b)
{
    return a.Kind != b.Kind ? a.Kind < b.Kind : a.Lower < b.Lower;
}

std::vector<TUsesClauses::THeld>::const_iterator TUsesClauses::FindHeld(TClauseKind kind, std::string_view lower) const
{
    const auto held = std::lower_bound(m_held.begin(), m_held.end(), std::pair(kind, lower),
        [](const THeld &a, const std::pair<TClauseKind, std::string_view> &b) {
            return a.Kind != b.first ? a.Kind < b.first : std::string_view(a.Lower) < b.second;
        });
    return held != m_held.end() && held->Kind == kind && held->Lower == lower ? held : m_held.end();
}

void TUsesClauses::NotePresent(std::string_view lower)
{
    const std::size_t hash = std::hash<std::string_view>()(lower);
    m_present[(hash >> 6) & 3] |= std::uint64_t(1) << (hash & 63);
}

void TUsesClauses::Hold(TClauseKind kind, std::string_view lower, int delta)
{
    const auto held = FindHeld(kind, lower);
    if (held != m_held.end()) {
        m_held[std::size_t(held - m_held.begin())].Count += delta;
        return;
    }
    THeld added { kind, std::string(lower), delta };
    m_held.insert(std::upper_bound(m_held.begin(), m_held.end(), added, HeldBefore), std::move(added));
}

bool TUsesClauses::Held(TClauseKind kind, std::string_view lower) const
{
    const auto held = FindHeld(kind, lower);
    return held != m_held.end() && held->Count > 0;
}

int TUsesClauses::Apply(const TUnitPair &pair, std::uint32_t pairIndex)
{
    if (pair.FindLower.empty() || !MayBePresent(pair.FindHash))
        return 0;
    int count = 0;
    for (TItem &item : m_items) {
        const TUnitClause &clause = m_reading->Clauses[item.Clause];
        const bool outside = clause.Names[item.Index].Branch == kNoBranch;
        for (std::size_t e = 0; e < item.Entries.size();) {
            if (item.Entries[e].Lower != pair.FindLower) {
                ++e;
                continue;
            }
            // The names of the list the clauses do not hold yet (the name replaced aside), each once.
            if (outside)
                Hold(clause.Kind, pair.FindLower, -1);
            std::vector<TEntry> inserted;
            for (const std::string &written : pair.Names) {
                std::string lower = AsciiLower(written);
                const bool twice = std::any_of(
                    inserted.begin(), inserted.end(), [&](const TEntry &entry) { return entry.Lower == lower; });
                if (twice || Held(clause.Kind, lower))
                    continue;
                inserted.push_back({ written, std::move(lower), {}, false });
            }
            if (inserted.size() == 1 && inserted[0].Name == item.Entries[e].Name) {
                // The name stays as it is written: nothing is replaced.
                if (outside)
                    Hold(clause.Kind, pair.FindLower, 1);
                ++e;
                continue;
            }
            if (outside)
                for (const TEntry &entry : inserted)
                    Hold(clause.Kind, entry.Lower, 1);
            // The names an earlier pair put in as one written list are written each by itself from now on.
            for (TEntry &entry : item.Entries) {
                entry.List.clear();
                entry.InList = false;
            }
            if (inserted.size() > 1 && inserted.size() == pair.Names.size()) {
                // The whole list goes in: as written.
                inserted[0].List = pair.Written;
                for (std::size_t k = 1; k < inserted.size(); ++k)
                    inserted[k].InList = true;
            }
            if (std::none_of(m_replaced.begin(), m_replaced.end(),
                    [&](const TReplacedName &replaced) { return replaced.Lower == pair.FindLower; }))
                m_replaced.push_back({ pair.FindLower, pairIndex });
            item.Entries.erase(item.Entries.begin() + std::ptrdiff_t(e));
            for (const TEntry &entry : inserted)
                NotePresent(entry.Lower);
            item.Entries.insert(item.Entries.begin() + std::ptrdiff_t(e), inserted.begin(), inserted.end());
            e += inserted.size();
            item.Changed = true;
            ++count;
        }
    }
    return count;
}

void TUsesClauses::RemoveRange(std::size_t start, std::size_t end, std::vector<TTextEdit> &edits) const
{
    // Line breaks, comments and directives inside the range stay.
    const std::vector<TTextSpan> &spans = m_reading->Spans;
    auto span = std::lower_bound(
        spans.begin(), spans.end(), start, [](const TTextSpan &s, std::size_t at) { return s.End <= at; });
    std::size_t from = start;
    const auto flush = [&](std::size_t to) {
        if (to > from)
            edits.push_back({ from, to, {} });
    };
    for (std::size_t i = start; i < end;) {
        if (span != spans.end() && span->Start <= i && i < span->End) {
            if (span->Class == TByteClass::Comment || span->Class == TByteClass::Directive) {
                flush(i);
                i = span->End;
                from = i;
                ++span;
                continue;
            }
            ++span;
            continue;
        }
        if (span != spans.end() && span->End <= i) {
            ++span;
            continue;
        }
        if (m_text[i] == '\r' || m_text[i] == '\n') {
            flush(i);
            from = ++i;
            continue;
        }
        ++i;
    }
    flush(end);
}

void TUsesClauses::ReplaceName(const TClauseName &name, std::string written, std::vector<TTextEdit> &edits) const
{
    // A dotted name may hold comments, directives and line breaks between its parts: they stay, with the
    // indentation after each line break, and the new text takes the place of the name's first bytes.
    const std::vector<TTextSpan> &spans = m_reading->Spans;
    auto span = std::lower_bound(
        spans.begin(), spans.end(), name.Start, [](const TTextSpan &s, std::size_t at) { return s.End <= at; });
    const std::size_t first = edits.size();
    std::size_t from = name.Start;
    const auto flush = [&](std::size_t to) {
        if (to > from)
            edits.push_back({ from, to, {} });
    };
    for (std::size_t i = name.Start; i < name.NameEnd;) {
        if (span != spans.end() && span->Start <= i) {
            flush(i);
            i = span->End;
            from = i;
            ++span;
            continue;
        }
        if (m_text[i] == '\r' || m_text[i] == '\n') {
            flush(i);
            while (i < name.NameEnd && (m_text[i] == '\r' || m_text[i] == '\n' || IsSpaceOrTab(m_text[i])))
                ++i;
            from = i;
            continue;
        }
        ++i;
    }
    flush(name.NameEnd);
    // The name starts with an identifier byte: the first edit starts there.
    edits[first].Text = std::move(written);
}

void TUsesClauses::RemoveItem(const TItem &item, std::vector<bool> &commaTaken, std::vector<TTextEdit> &edits) const
{
    const TUnitClause &clause = m_reading->Clauses[item.Clause];
    const TClauseName &name = clause.Names[item.Index];
    RemoveRange(name.Start, name.End, edits);
    // One comma goes with the name: its own when it lies in the name's branch, else the nearest one before
    // it still there, else the one after it.
    std::size_t comma = SIZE_MAX;
    bool after = false;
    if (name.Comma != SIZE_MAX && name.CommaBranch == name.Branch && !commaTaken[item.Index]) {
        comma = item.Index;
        after = true;
    } else {
        for (std::size_t k = item.Index; k-- > 0;) {
            if (!commaTaken[k]) {
                comma = k;
                break;
            }
        }
        if (comma == SIZE_MAX && name.Comma != SIZE_MAX && !commaTaken[item.Index]) {
            comma = item.Index;
            after = true;
        }
    }
    if (comma == SIZE_MAX)
        return;
    commaTaken[comma] = true;
    const std::size_t at = clause.Names[comma].Comma;
    std::size_t end = at + 1;
    if (after) {
        // The blanks after a removed comma go with it, up to the next byte on its line.
        while (end < m_text.size() && IsSpaceOrTab(m_text[end]))
            ++end;
    }
    RemoveRange(at, end, edits);
}

void TUsesClauses::Edits(std::vector<TTextEdit> &edits) const
{
    edits.clear();
    std::vector<TTextEdit> removals;
    std::size_t first = 0;
    while (first < m_items.size()) {
        const std::size_t clauseIndex = m_items[first].Clause;
        std::size_t last = first;
        while (last < m_items.size() && m_items[last].Clause == clauseIndex)
            ++last;
        const TUnitClause &clause = m_reading->Clauses[clauseIndex];
        const bool emptied = std::all_of(m_items.begin() + std::ptrdiff_t(first),
            m_items.begin() + std::ptrdiff_t(last), [](const TItem &item) { return item.Entries.empty(); });
        if (emptied) {
            // A clause left without a name goes from its reserved word to its ";".
            RemoveRange(clause.Start, clause.End, removals);
            first = last;
            continue;
        }
        std::vector<bool> commaTaken(clause.Names.size(), false);
        for (std::size_t k = first; k < last; ++k) {
            const TItem &item = m_items[k];
            if (!item.Changed)
                continue;
            if (item.Entries.empty()) {
                RemoveItem(item, commaTaken, removals);
                continue;
            }
            std::string written;
            for (const TEntry &entry : item.Entries) {
                if (entry.InList)
                    continue;
                if (!written.empty())
                    written += ", ";
                written += entry.List.empty() ? entry.Name : entry.List;
            }
            ReplaceName(clause.Names[item.Index], std::move(written), edits);
        }
        first = last;
    }
    // Removals side by side, or apart by blanks alone on one line, make one: no blank is left between them.
    std::sort(
        removals.begin(), removals.end(), [](const TTextEdit &a, const TTextEdit &b) { return a.Start < b.Start; });
    std::vector<TTextEdit> merged;
    for (TTextEdit &removal : removals) {
        if (!merged.empty()) {
            TTextEdit &back = merged.back();
            std::size_t gap = back.End;
            while (gap < removal.Start && IsSpaceOrTab(m_text[gap]))
                ++gap;
            if (gap >= removal.Start) {
                back.End = std::max(back.End, removal.End);
                continue;
            }
        }
        merged.push_back(std::move(removal));
    }
    edits.insert(edits.end(), std::make_move_iterator(merged.begin()), std::make_move_iterator(merged.end()));
    std::sort(edits.begin(), edits.end(), [](const TTextEdit &a, const TTextEdit &b) { return a.Start < b.Start; });
    // A removal that would bring together two bytes that read as one token, or open a comment or a string
    // ("''uses X;'", "(uses X;*"), leaves a blank: the next run must read the text as this one did.
    for (std::size_t e = 0; e < edits.size(); ++e) {
        TTextEdit &edit = edits[e];
        if (!edit.Text.empty())
            continue;
        const bool afterEdit = e > 0 && edits[e - 1].End == edit.Start && !edits[e - 1].Text.empty();
        const bool beforeEdit = e + 1 < edits.size() && edits[e + 1].Start == edit.End && !edits[e + 1].Text.empty();
        if ((!afterEdit && edit.Start == 0) || (!beforeEdit && edit.End >= m_text.size()))
            continue;
        const char before = afterEdit ? edits[e - 1].Text.back() : m_text[edit.Start - 1];
        const char after = beforeEdit ? edits[e + 1].Text.front() : m_text[edit.End];
        if (Joins(before, after))
            edit.Text.push_back(' ');
    }
}

} // namespace qvc
