#include "engine/forms/LclForms.h"

#include "common/AsciiCase.h"
#include "engine/pascal/PascalReader.h"

#include <algorithm>
#include <set>

namespace qvc {

namespace {

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool IsNameByte(char c)
{
    return IsIdentifierByte(c);
}

std::string_view TrimmedLine(std::string_view line)
{
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

class TFormFilter
{
public:
    TFormFilter(std::string_view text, const TLclTable &table, const TAncestorOf &ancestorOf, TLclFormReport &report)
        : m_lines(FormTextLines(text))
        , m_drop(m_lines.size(), false)
        , m_table(table)
        , m_ancestorOf(ancestorOf)
        , m_report(report)
    {
    }

    std::string Run()
    {
        std::size_t i = 0;
        while (i < m_lines.size())
            i = ReadObject(i);
        std::string out;
        for (std::size_t k = 0; k < m_lines.size(); ++k) {
            if (m_drop[k])
                continue;
            out.append(m_lines[k]);
            out += "\r\n";
        }
        return out;
    }

private:
    // Reads "object Name: TClass" (or inherited, inline) from line i and its body to its "end"; returns the line
    // after it. A line that starts no object is passed over.
    std::size_t ReadObject(std::size_t i)
    {
        std::string className;
        if (!ObjectHeader(m_lines[i], className))
            return i + 1;
        const std::string lclClass = Resolve(className, i);
        return ReadBody(i + 1, lclClass);
    }

    // The body of an object (properties, child objects) up to its "end"; `lclClass` empty: its own properties
    // are kept.
    std::size_t ReadBody(std::size_t i, const std::string &lclClass)
    {
        while (i < m_lines.size()) {
            const std::string_view line = TrimmedLine(m_lines[i]);
            if (AsciiEqualNoCase(line, "end"))
                return i + 1;
            std::string className;
            if (ObjectHeader(m_lines[i], className)) {
                // A child is judged by its own class, inside an object of an unknown class too.
                i = ReadObject(i);
                continue;
            }
            i = ReadProperty(i, lclClass);
        }
        return i;
    }

    // A property line and the lines of its value; left out when `className` (empty: keep) lacks it.
    std::size_t ReadProperty(std::size_t i, const std::string &className)
    {
        const std::string_view line = m_lines[i];
        std::size_t p = 0;
        while (p < line.size() && (line[p] == ' ' || line[p] == '\t'))
            ++p;
        const std::size_t nameStart = p;
        while (p < line.size() && (IsNameByte(line[p]) || line[p] == '.'))
            ++p;
        const std::string_view path = line.substr(nameStart, p - nameStart);
        while (p < line.size() && (line[p] == ' ' || line[p] == '\t'))
            ++p;
        if (path.empty() || p >= line.size() || line[p] != '=')
            return i + 1; // not a property: kept as it is
        ++p;
        while (p < line.size() && (line[p] == ' ' || line[p] == '\t'))
            ++p;
        std::string typeName;
        const TJudgement judgement = Judge(className, path, typeName);
        // A value cut short by the text's end runs to it.
        const std::size_t end = std::min(
            m_lines.size(), ValueEnd(i, p, judgement == TJudgement::Keep ? ItemClassOf(typeName) : std::string()));
        if (judgement == TJudgement::Drop) {
            for (std::size_t k = i; k < end; ++k)
                m_drop[k] = true;
            m_report.Missed.push_back({ static_cast<std::uint32_t>(i + 1), static_cast<std::uint32_t>(nameStart + 1),
                std::string(path), TMissReason::PropertyUnknownToLcl });
        }
        return end;
    }

    enum class TJudgement : std::uint8_t { Keep, Drop };

    TJudgement Judge(const std::string &className, std::string_view path, std::string &typeName) const
    {
        if (className.empty())
            return TJudgement::Keep;
        std::string type = className;
        std::size_t start = 0;
        for (;;) {
            const std::size_t dot = path.find('.', start);
            const std::string_view part = path.substr(start, dot == std::string_view::npos ? dot : dot - start);
            if (!m_table.HasClass(type))
                return TJudgement::Keep; // a type the table does not describe cannot be judged
            std::string next;
            const TLclTable::TLookup lookup = m_table.Property(type, part, &next);
            if (lookup == TLclTable::TLookup::Unknown)
                return TJudgement::Drop;
            if (dot == std::string_view::npos) {
                typeName = lookup == TLclTable::TLookup::Class ? next : std::string();
                return TJudgement::Keep;
            }
            if (lookup != TLclTable::TLookup::Class)
                return TJudgement::Keep;
            type = next;
            start = dot + 1;
        }
    }

    std::string ItemClassOf(const std::string &typeName) const
    {
        return typeName.empty() ? std::string() : m_table.ItemClass(typeName);
    }

    // The line after the value that starts at column `p` of line i. A collection's items are judged against
    // `itemClass` (empty: kept as they are).
    std::size_t ValueEnd(std::size_t i, std::size_t p, const std::string &itemClass)
    {
        const std::string_view line = m_lines[i];
        if (p >= line.size())
            return i + 1;
        const char first = line[p];
        if (first == '(')
            return ListEnd(i, p);
        if (first == '{') {
            for (std::size_t k = i; k < m_lines.size(); ++k)
                if (m_lines[k].find('}', k == i ? p : 0) != std::string_view::npos)
                    return k + 1;
            return m_lines.size();
        }
        if (first == '<') {
            if (TrimmedLine(line.substr(p)) == "<>")
                return i + 1;
            return CollectionEnd(i + 1, itemClass);
        }
        // A string split over lines ends each piece but the last with "+".
        std::size_t k = i;
        while (k + 1 < m_lines.size() && !TrimmedLine(m_lines[k]).empty() && TrimmedLine(m_lines[k]).back() == '+')
            ++k;
        return k + 1;
    }

    // A "( … )" list, strings holding parentheses included.
    std::size_t ListEnd(std::size_t i, std::size_t p) const
    {
        int depth = 0;
        for (std::size_t k = i; k < m_lines.size(); ++k) {
            const std::string_view line = m_lines[k];
            bool inString = false;
            for (std::size_t c = k == i ? p : 0; c < line.size(); ++c) {
                const char ch = line[c];
                if (ch == '\'') {
                    inString = !inString;
                    continue;
                }
                if (inString)
                    continue;
                if (ch == '(')
                    ++depth;
                else if (ch == ')' && --depth == 0)
                    return k + 1;
            }
        }
        return m_lines.size();
    }

    // The items of a collection from line i up to the line that closes it ("end>" or ">").
    std::size_t CollectionEnd(std::size_t i, const std::string &itemClass)
    {
        while (i < m_lines.size()) {
            const std::string_view line = TrimmedLine(m_lines[i]);
            if (line == ">" || line == "end>")
                return i + 1;
            if (line.starts_with("item") || AsciiEqualNoCase(line.substr(0, 4), "item")) {
                ++i;
                // The item's properties up to its "end" (or "end>", which closes the collection too).
                while (i < m_lines.size()) {
                    const std::string_view itemLine = TrimmedLine(m_lines[i]);
                    if (AsciiEqualNoCase(itemLine, "end"))
                        break;
                    if (itemLine == "end>")
                        return i + 1;
                    i = ReadProperty(i, itemClass);
                }
                // Past the item's "end", when the text has one.
                if (i < m_lines.size())
                    ++i;
                continue;
            }
            ++i;
        }
        return i;
    }

    static bool ObjectHeader(std::string_view line, std::string &className)
    {
        const std::vector<std::string_view> words = Words(line);
        if (words.size() < 2)
            return false;
        if (!AsciiEqualNoCase(words[0], "object") && !AsciiEqualNoCase(words[0], "inherited")
            && !AsciiEqualNoCase(words[0], "inline"))
            return false;
        // "object Name: TClass", "object Name : TClass", "object TClass", each maybe with "[n]" after it.
        std::string rest;
        for (std::size_t w = 1; w < words.size(); ++w)
            rest += words[w];
        const auto colon = rest.find(':');
        std::string_view type
            = colon == std::string::npos ? std::string_view(rest) : std::string_view(rest).substr(colon + 1);
        const auto bracket = type.find('[');
        if (bracket != std::string_view::npos)
            type = type.substr(0, bracket);
        if (type.empty() || !std::all_of(type.begin(), type.end(), [](char c) { return IsNameByte(c) || c == '.'; }))
            return false;
        className = std::string(type);
        return true;
    }

    // The LCL class an object of `className` is read as; empty (and listed once) when there is none.
    std::string Resolve(const std::string &className, std::size_t line)
    {
        std::string name = className;
        for (int depth = 0; depth < 32 && !name.empty(); ++depth) {
            if (m_table.HasClass(name))
                return name;
            name = m_ancestorOf ? m_ancestorOf(name) : std::string();
        }
        if (m_listed.insert(AsciiLower(className)).second)
            m_report.Missed.push_back(
                { static_cast<std::uint32_t>(line + 1), 1, className, TMissReason::ClassUnknownToLcl });
        return {};
    }

    std::vector<std::string_view> m_lines;
    std::vector<bool> m_drop;
    const TLclTable &m_table;
    const TAncestorOf &m_ancestorOf;
    TLclFormReport &m_report;
    std::set<std::string> m_listed;
};

} // namespace

extern const std::string_view kLclTableData;

const TLclTable &TLclTable::Builtin()
{
    static const TLclTable table(kLclTableData);
    return table;
}

TLclTable::TLclTable(std::string_view data)
{
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string_view::npos)
            end = data.size();
        const std::string_view line = data.substr(start, end - start);
        start = end + 1;
        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words[0].front() == '#')
            continue;
        if (words[0] == "lcl") {
            m_version = std::string(TrimmedLine(line));
        } else if (words[0] == "class" && words.size() >= 3) {
            TClass &entry = m_classes[AsciiLower(words[1])];
            entry.Parent = words[2] == "-" ? std::string() : AsciiLower(words[2]);
        } else if (words[0] == "prop" && words.size() >= 4) {
            TProperty property;
            property.IsClass = words[3] == "class" && words.size() >= 5;
            if (property.IsClass)
                property.Type = std::string(words[4]);
            m_classes[AsciiLower(words[1])].Properties[AsciiLower(words[2])] = std::move(property);
        } else if (words[0] == "item" && words.size() >= 3) {
            m_classes[AsciiLower(words[1])].Item = std::string(words[2]);
        } else if (words[0] == "define" && words.size() >= 3) {
            TClass &entry = m_classes[AsciiLower(words[1])];
            for (std::size_t w = 2; w < words.size(); ++w)
                entry.Properties.try_emplace(AsciiLower(words[w]));
        }
    }
}

const TLclTable::TClass *TLclTable::Find(std::string_view name) const
{
    const auto found = m_classes.find(AsciiLower(name));
    return found == m_classes.end() ? nullptr : &found->second;
}

bool TLclTable::HasClass(std::string_view name) const
{
    return Find(name) != nullptr;
}

TLclTable::TLookup TLclTable::Property(
    std::string_view className, std::string_view property, std::string *typeName) const
{
    const std::string key = AsciiLower(property);
    const TClass *entry = Find(className);
    // A parent chain that runs in a circle (a damaged table) ends after as many steps as there are classes.
    for (std::size_t steps = 0; entry != nullptr && steps <= m_classes.size(); ++steps) {
        const auto found = entry->Properties.find(key);
        if (found != entry->Properties.end()) {
            if (!found->second.IsClass)
                return TLookup::Other;
            if (typeName != nullptr)
                *typeName = found->second.Type;
            return TLookup::Class;
        }
        entry = entry->Parent.empty() ? nullptr : Find(entry->Parent);
    }
    return TLookup::Unknown;
}

std::string TLclTable::ItemClass(std::string_view collection) const
{
    const TClass *entry = Find(collection);
    for (std::size_t steps = 0; entry != nullptr && steps <= m_classes.size(); ++steps) {
        if (!entry->Item.empty())
            return entry->Item;
        entry = entry->Parent.empty() ? nullptr : Find(entry->Parent);
    }
    return {};
}

std::vector<std::string_view> FormTextLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start && text[end - 1] == '\r')
            --end;
        lines.push_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}

std::string FilterFormForLcl(
    std::string_view text, const TLclTable &table, const TAncestorOf &ancestorOf, TLclFormReport &report)
{
    TFormFilter filter(text, table, ancestorOf, report);
    std::string out = filter.Run();
    std::stable_sort(report.Missed.begin(), report.Missed.end(),
        [](const TMissedOccurrence &a, const TMissedOccurrence &b) { return a.Line < b.Line; });
    return out;
}

void CollectClassDeclarations(std::string_view text, std::unordered_map<std::string, std::string> &ancestors)
{
    TPascalReading reading;
    ReadPascal(text, TSourceKind::Pascal, false, false, reading);
    const auto inCode = [&](std::size_t position) {
        const auto span = std::upper_bound(reading.Spans.begin(), reading.Spans.end(), position,
            [](std::size_t at, const TTextSpan &s) { return at < s.Start; });
        return span == reading.Spans.begin() || std::prev(span)->End <= position;
    };
    const std::string lower = AsciiLower(text);
    const auto skipBlanks = [&](std::size_t i) {
        while (i < lower.size() && static_cast<unsigned char>(lower[i]) <= 0x20)
            ++i;
        return i;
    };
    for (std::size_t at = lower.find("class"); at != std::string::npos; at = lower.find("class", at + 5)) {
        if ((at > 0 && IsIdentifierByte(lower[at - 1])) || (at + 5 < lower.size() && IsIdentifierByte(lower[at + 5]))
            || !inCode(at))
            continue;
        // Back over "=" to the class's name.
        std::size_t b = at;
        while (b > 0 && static_cast<unsigned char>(lower[b - 1]) <= 0x20)
            --b;
        if (b == 0 || lower[b - 1] != '=')
            continue;
        --b;
        while (b > 0 && static_cast<unsigned char>(lower[b - 1]) <= 0x20)
            --b;
        std::size_t nameStart = b;
        while (nameStart > 0 && IsIdentifierByte(lower[nameStart - 1]))
            --nameStart;
        if (nameStart == b)
            continue;
        // Forward to "(" and the ancestor's name (its last part when dotted).
        std::size_t f = skipBlanks(at + 5);
        if (f >= lower.size() || lower[f] != '(')
            continue;
        f = skipBlanks(f + 1);
        std::size_t partStart = f;
        while (f < lower.size() && (IsIdentifierByte(lower[f]) || lower[f] == '.')) {
            if (lower[f] == '.')
                partStart = f + 1;
            ++f;
        }
        if (f == partStart)
            continue;
        ancestors.emplace(lower.substr(nameStart, b - nameStart), std::string(text.substr(partStart, f - partStart)));
    }
}

} // namespace qvc
