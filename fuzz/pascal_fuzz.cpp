// The Pascal reader and the code and uses scopes of the pass on any bytes. Input: a byte choosing how the
// text is read (unit, package or form text), a byte choosing which of a few fixed pairs run, then the text.
// The reader's spans, clauses and references must lie in order inside the text; the code scope must leave
// every comment, directive and string byte as it was; the uses scope every comment and directive byte and
// every line outside the clauses, with its edits inside single lines, and a second uses run must change
// nothing. A text and the same text with CR LF line ends convert alike. Any failure aborts.
#include "common/AsciiCase.h"
#include "common/TextLines.h"
#include "engine/pascal/PascalReader.h"
#include "engine/pascal/UsesClauses.h"
#include "engine/pass/SubstitutionPass.h"
#include "repository/PairView.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using qvc::TByteClass;
using qvc::TPascalReading;
using qvc::TScope;
using qvc::TSourceKind;
using qvc::TTextSpan;

// Removals, lists, dotted names on both sides, and the rename's resource pair, which keeps the whole-text
// rules in every scope (the last: the checks of what stays run without it). A name a pair puts in is
// looked for only by pairs after it, so that any choice of them converts in one run.
constexpr std::array<std::string_view, 8> kPairs
    = { "Windows=", "Windows,=LCLIntf, LCLType,", "SysUtils=System.SysUtils", "Dialogs=QDialogs, Forms",
          "Vcl.Forms=Forms", "Forms=QForms", "Controls;=QControls, Types;", "{$R *.dfm}={$R *.lfm}" };
constexpr std::size_t kResourcePair = kPairs.size() - 1;

[[noreturn]] void Fail(int line)
{
    std::fprintf(stderr, "pascal_fuzz: check failed at line %d\n", line);
    std::abort();
}

// A macro for the line of the check that failed (clang 14 has no std::source_location).
#define Check(condition) ((condition) ? void() : Fail(__LINE__)) // NOLINT(cppcoreguidelines-macro-usage)

bool IsBreak(char c)
{
    return c == '\r' || c == '\n';
}

// The class of every byte of a text of `size` bytes, by its spans.
std::vector<TByteClass> ClassesOf(const std::vector<TTextSpan> &spans, std::size_t size)
{
    std::vector<TByteClass> classes(size, TByteClass::Code);
    for (const TTextSpan &span : spans)
        for (std::size_t p = span.Start; p < span.End && p < size; ++p)
            classes[p] = span.Class;
    return classes;
}

void CheckSpans(const std::vector<TTextSpan> &spans, std::size_t size)
{
    std::size_t last = 0;
    for (const TTextSpan &span : spans) {
        Check(span.Start >= last && span.Start < span.End && span.End <= size);
        Check(span.Class != TByteClass::Code);
        last = span.End;
    }
}

void CheckReading(std::string_view text, TSourceKind kind, const TPascalReading &reading)
{
    CheckSpans(reading.Spans, text.size());
    const std::vector<TByteClass> classes = ClassesOf(reading.Spans, text.size());
    const auto inside = [&](std::size_t at) { return classes[at] != TByteClass::Code; };
    if (kind == TSourceKind::FormText)
        Check(reading.Clauses.empty() && reading.References.empty());
    std::size_t last = 0;
    for (const qvc::TUnitClause &clause : reading.Clauses) {
        Check(clause.Start >= last && clause.Start < clause.End && clause.End <= text.size());
        Check(kind == TSourceKind::Package || clause.Kind == qvc::TClauseKind::Uses);
        Check(!clause.Names.empty() && text[clause.End - 1] == ';' && !inside(clause.Start));
        std::size_t at = clause.Start;
        for (std::size_t n = 0; n < clause.Names.size(); ++n) {
            const qvc::TClauseName &name = clause.Names[n];
            Check(name.Start > at && name.Start < name.NameEnd && name.NameEnd <= name.End && name.End < clause.End);
            Check(qvc::IsIdentifierByte(text[name.Start]) && !inside(name.Start));
            Check(!name.Lower.empty() && name.Lower.front() == qvc::AsciiLowerChar(text[name.Start]));
            // A name written without blanks or comments reads as itself.
            const std::string_view written = text.substr(name.Start, name.NameEnd - name.Start);
            bool plain = true;
            for (const char c : written)
                plain = plain && (qvc::IsIdentifierByte(c) || c == '.');
            if (plain)
                Check(name.Lower == qvc::AsciiLower(written));
            const bool lastName = n + 1 == clause.Names.size();
            Check(lastName == (name.Comma == SIZE_MAX));
            if (!lastName) {
                Check(name.Comma >= name.End && name.Comma < clause.Names[n + 1].Start && text[name.Comma] == ',');
                Check(!inside(name.Comma));
            }
            at = lastName ? name.End : name.Comma;
        }
        last = clause.End;
    }
    last = 0;
    for (const TTextSpan &reference : reading.References) {
        Check(reference.Start >= last && reference.Start < reference.End && reference.End <= text.size());
        Check(qvc::IsIdentifierByte(text[reference.Start]) && !inside(reference.Start));
        for (const qvc::TUnitClause &clause : reading.Clauses)
            Check(reference.End <= clause.Start || reference.Start >= clause.End);
        last = reference.End;
    }
}

bool SameSpans(const std::vector<TTextSpan> &a, const std::vector<TTextSpan> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TTextSpan &x, const TTextSpan &y) {
        return x.Start == y.Start && x.End == y.End && x.Class == y.Class;
    });
}

bool SameClauses(const std::vector<qvc::TUnitClause> &a, const std::vector<qvc::TUnitClause> &b)
{
    const auto sameName = [](const qvc::TClauseName &x, const qvc::TClauseName &y) {
        return x.Start == y.Start && x.NameEnd == y.NameEnd && x.End == y.End && x.Lower == y.Lower
            && x.Branch == y.Branch && x.Comma == y.Comma && x.CommaBranch == y.CommaBranch;
    };
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [&](const qvc::TUnitClause &x, const qvc::TUnitClause &y) {
            return x.Kind == y.Kind && x.Start == y.Start && x.End == y.End
                && std::equal(x.Names.begin(), x.Names.end(), y.Names.begin(), y.Names.end(), sameName);
        });
}

// FindQualifiedNames on the clauses read alone finds what the references read token by token say: those
// whose bytes, blanks left out, start with a name and ".". The names: those of the clauses and the pairs'.
void CheckQualifiedNames(std::string_view text, const TPascalReading &clauses, const TPascalReading &full)
{
    std::vector<std::string> owned = { "windows", "sysutils", "vcl.forms", "forms", "uses", "a.b.c", "a" };
    for (const qvc::TUnitClause &clause : full.Clauses)
        for (const qvc::TClauseName &name : clause.Names)
            owned.push_back(name.Lower);
    const std::vector<std::string_view> names(owned.begin(), owned.end());
    std::vector<qvc::TQualifiedName> expected;
    std::string chain;
    for (const TTextSpan &reference : full.References) {
        chain.clear();
        for (std::size_t p = reference.Start; p < reference.End; ++p)
            if (static_cast<unsigned char>(text[p]) > 0x20)
                chain += qvc::AsciiLowerChar(text[p]);
        for (std::size_t n = 0; n < names.size(); ++n) {
            if (chain.size() > names[n].size() && chain[names[n].size()] == '.' && chain.starts_with(names[n])) {
                expected.push_back({ reference.Start, n });
                break;
            }
        }
    }
    std::vector<qvc::TQualifiedName> found;
    qvc::FindQualifiedNames(text, clauses, names, found);
    Check(std::equal(found.begin(), found.end(), expected.begin(), expected.end(),
        [](const qvc::TQualifiedName &a, const qvc::TQualifiedName &b) {
            return a.Start == b.Start && a.Name == b.Name;
        }));
}

// Each line's non-code segments of `spans` (of the classes in `classes`, cut at line breaks) stand in
// `out`'s line of the same number, in order and unchanged: the code around them may have changed.
void CheckSegmentsKept(std::string_view in, const std::vector<TTextSpan> &spans, std::string_view out,
    std::initializer_list<TByteClass> classes)
{
    std::vector<qvc::TLineBounds> inLines;
    std::vector<qvc::TLineBounds> outLines;
    qvc::FindLineBounds(in, inLines);
    qvc::FindLineBounds(out, outLines);
    Check(inLines.size() == outLines.size());
    std::size_t k = 0;
    std::size_t cursor = outLines.empty() ? 0 : outLines[0].Start;
    for (const TTextSpan &span : spans) {
        bool wanted = false;
        for (const TByteClass c : classes)
            wanted = wanted || c == span.Class;
        if (!wanted)
            continue;
        for (std::size_t from = span.Start; from < span.End;) {
            if (IsBreak(in[from])) {
                ++from;
                continue;
            }
            std::size_t to = from;
            while (to < span.End && !IsBreak(in[to]))
                ++to;
            while (inLines[k].End <= from) {
                ++k;
                cursor = outLines[k].Start;
            }
            const std::string_view line = out.substr(cursor, outLines[k].End - cursor);
            const std::size_t at = line.find(in.substr(from, to - from));
            Check(at != std::string_view::npos);
            cursor += at + (to - from);
            from = to;
        }
    }
}

// In the uses scope a line that no clause touches stays as it was.
void CheckOutsideClausesKept(std::string_view in, const TPascalReading &reading, std::string_view out)
{
    std::vector<qvc::TLineBounds> inLines;
    std::vector<qvc::TLineBounds> outLines;
    qvc::FindLineBounds(in, inLines);
    qvc::FindLineBounds(out, outLines);
    Check(inLines.size() == outLines.size());
    std::size_t c = 0;
    for (std::size_t k = 0; k < inLines.size(); ++k) {
        while (c < reading.Clauses.size() && reading.Clauses[c].End <= inLines[k].Start)
            ++c;
        if (c < reading.Clauses.size() && reading.Clauses[c].Start <= inLines[k].End)
            continue;
        Check(in.substr(inLines[k].Start, inLines[k].End - inLines[k].Start)
            == out.substr(outLines[k].Start, outLines[k].End - outLines[k].Start));
    }
}

// The edits the clauses ask for: in order, apart, inside the clauses and single lines, no comment or
// directive byte among those they replace.
void CheckEdits(std::string_view text, const TPascalReading &reading, const std::vector<std::string> &pairs)
{
    qvc::TUsesClauses uses;
    uses.Begin(text, reading);
    for (std::size_t i = 0; i < pairs.size(); ++i)
        uses.Apply(qvc::UnitPairOf(qvc::PairFind(pairs[i]), qvc::PairReplace(pairs[i])), static_cast<std::uint32_t>(i));
    std::vector<qvc::TTextEdit> edits;
    uses.Edits(edits);
    const std::vector<TByteClass> classes = ClassesOf(reading.Spans, text.size());
    std::vector<bool> inClause(text.size(), false);
    for (const qvc::TUnitClause &clause : reading.Clauses)
        std::fill(inClause.begin() + std::ptrdiff_t(clause.Start), inClause.begin() + std::ptrdiff_t(clause.End), true);
    std::size_t last = 0;
    for (const qvc::TTextEdit &edit : edits) {
        Check(edit.Start >= last && edit.Start <= edit.End && edit.End <= text.size());
        // Removals side by side make one edit, with the blanks between them.
        for (std::size_t p = edit.Start; p < edit.End; ++p) {
            Check(inClause[p] || text[p] == ' ' || text[p] == '\t');
            Check(!IsBreak(text[p]) && classes[p] != TByteClass::Comment && classes[p] != TByteClass::Directive);
        }
        last = edit.End;
    }
}

struct TRun
{
    int Count = 0;
    std::string Text; ///< what the pass would write; the input itself when it changed nothing
};

// Compiling the pairs costs more than reading a small text: one pass per choice of pairs, kept from one
// input to the next as a run keeps it from one file to the next.
qvc::TSubstitutionPass &PassFor(const std::vector<std::string> &pairs)
{
    static std::map<std::vector<std::string>, std::unique_ptr<qvc::TSubstitutionPass>> passes;
    std::unique_ptr<qvc::TSubstitutionPass> &pass = passes[pairs];
    if (pass == nullptr)
        pass = std::make_unique<qvc::TSubstitutionPass>(pairs);
    return *pass;
}

TRun Convert(const std::vector<std::string> &pairs, TScope scope, TSourceKind kind, std::string_view text)
{
    static const std::string kNames[] = { "/t/unit.pas", "/t/pack.dpk", "/t/form.dfm" };
    qvc::TSubstitutionPass &pass = PassFor(pairs);
    std::string newName;
    qvc::TConversionResult results;
    TRun run;
    run.Count = pass.ConvertText(
        text, kNames[static_cast<int>(kind)], newName, results, run.Text, scope, kind == TSourceKind::FormText);
    Check(run.Count >= 0);
    if (run.Count == 0)
        run.Text = std::string(text);
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const auto kind = static_cast<TSourceKind>(data[0] % 3);
    const std::uint8_t choice = data[1];
    const std::string_view text(reinterpret_cast<const char *>(data) + 2, size - 2);
    // The same text with every line ended by CR LF, as the pass writes it: its spans line up with the output.
    const std::string crLf = qvc::JoinLinesCrLf(qvc::SplitLines(text));

    TPascalReading reading;
    qvc::ReadPascal(text, kind, true, true, reading);
    CheckReading(text, kind, reading);
    // Spans read alone, and clauses read without references, are the same as read together.
    TPascalReading alone;
    qvc::ReadPascal(text, kind, false, false, alone);
    Check(alone.Clauses.empty() && alone.References.empty() && alone.Broken.empty());
    Check(SameSpans(alone.Spans, reading.Spans));
    // The clauses read alone (passing over the code between them) are those read token by token.
    qvc::ReadPascal(text, kind, true, false, alone);
    Check(alone.References.empty() && SameSpans(alone.Spans, reading.Spans));
    Check(SameSpans(alone.Broken, reading.Broken) && SameClauses(alone.Clauses, reading.Clauses));
    if (kind != TSourceKind::FormText)
        CheckQualifiedNames(text, alone, reading);
    qvc::ReadPascal(text, TSourceKind::Other, true, true, alone);
    Check(alone.Spans.empty() && alone.Clauses.empty() && alone.References.empty() && alone.Broken.empty());

    TPascalReading crLfReading;
    qvc::ReadPascal(crLf, kind, true, true, crLfReading);
    CheckReading(crLf, kind, crLfReading);
    Check(crLfReading.Clauses.size() == reading.Clauses.size());

    std::vector<std::string> pairs;
    for (std::size_t i = 0; i < kResourcePair; ++i)
        if ((choice & (1U << i)) != 0)
            pairs.emplace_back(kPairs[i]);

    const TRun code = Convert(pairs, TScope::Code, kind, text);
    const TRun codeCrLf = Convert(pairs, TScope::Code, kind, crLf);
    Check(code.Count == codeCrLf.Count && (code.Count == 0 || code.Text == codeCrLf.Text));
    CheckSegmentsKept(
        crLf, crLfReading.Spans, codeCrLf.Text, { TByteClass::Comment, TByteClass::Directive, TByteClass::String });

    const TRun uses = Convert(pairs, TScope::Uses, kind, text);
    const TRun usesCrLf = Convert(pairs, TScope::Uses, kind, crLf);
    Check(uses.Count == usesCrLf.Count && (uses.Count == 0 || uses.Text == usesCrLf.Text));
    CheckSegmentsKept(crLf, crLfReading.Spans, usesCrLf.Text, { TByteClass::Comment, TByteClass::Directive });
    CheckOutsideClausesKept(crLf, crLfReading, usesCrLf.Text);
    CheckEdits(crLf, crLfReading, pairs);
    const TRun again = Convert(pairs, TScope::Uses, kind, usesCrLf.Text);
    Check(again.Text == usesCrLf.Text);

    // With the resource pair too: no failure, and the uses scope still changes nothing the second time.
    if ((choice & (1U << kResourcePair)) != 0) {
        pairs.emplace_back(kPairs[kResourcePair]);
        Convert(pairs, TScope::Code, kind, text);
        const TRun first = Convert(pairs, TScope::Uses, kind, text);
        Check(Convert(pairs, TScope::Uses, kind, first.Text).Text == first.Text);
    }
    return 0;
}
