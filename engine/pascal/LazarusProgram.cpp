#include "engine/pascal/LazarusProgram.h"

#include "common/AsciiCase.h"
#include "common/FileIO.h"
#include "engine/pascal/PascalReader.h"
#include "engine/write/TargetNames.h"

#include <algorithm>
#include <dirent.h>

namespace qvc {

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// Line and column (from 1) of a byte, line breaks counted as the pass counts them.
void LineAndColumn(std::string_view text, std::size_t position, std::uint32_t &line, std::uint32_t &column)
{
    line = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < position; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++line;
            start = i + 1;
        }
    }
    column = static_cast<std::uint32_t>(position - start + 1);
}

// The first word of the code ("program", "unit", "library"), in ASCII lower case.
std::string FirstWord(std::string_view text, const std::vector<TTextSpan> &spans)
{
    std::size_t i = 0;
    auto span = spans.begin();
    while (i < text.size()) {
        if (span != spans.end() && span->Start <= i) {
            i = std::max(i, span->End);
            ++span;
            continue;
        }
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && IsIdentifierByte(text[end]))
            ++end;
        return AsciiLower(text.substr(i, end - i));
    }
    return {};
}

void AddInterfaces(std::string_view text, const TPascalReading &reading, std::vector<TProgramFix> &fixes)
{
    const TClauseName *forms = nullptr;
    for (const TUnitClause &clause : reading.Clauses) {
        if (clause.Kind != TClauseKind::Uses)
            continue;
        for (const TClauseName &name : clause.Names) {
            if (name.Lower == "interfaces")
                return;
            if (forms == nullptr && name.Lower == "forms")
                forms = &name;
        }
    }
    if (forms == nullptr)
        return;
    const std::string written(text.substr(forms->Start, forms->NameEnd - forms->Start));
    fixes.push_back({ { forms->Start, forms->Start, "Interfaces, " }, written, "Interfaces, " + written });
}

void FixResources(std::string_view text, const std::string &fileName, const TPascalReading &reading,
    std::vector<TProgramFix> &fixes, std::vector<TMissedOccurrence> &notFound, TResourceLister lister)
{
    const std::string folder = FolderOf(fileName);
    const std::string_view ownName = NamePart(fileName);
    const std::string_view base = ownName.substr(0, ownName.size() - FileExtension(ownName).size());
    for (const TTextSpan &span : reading.Spans) {
        if (span.Class != TByteClass::Directive || text[span.Start] != '{')
            continue;
        // {$R name} with a plain name, "*" standing for the program's own.
        std::size_t i = span.Start + 2;
        if (i >= span.End || AsciiLowerChar(text[i]) != 'r')
            continue;
        ++i;
        if (i >= span.End || !IsBlank(text[i]))
            continue;
        while (i < span.End && IsBlank(text[i]))
            ++i;
        std::size_t end = i;
        while (end < span.End && !IsBlank(text[end]) && text[end] != '}')
            ++end;
        const std::string_view written = text.substr(i, end - i);
        if (written.size() < 5 || !AsciiEqualNoCase(written.substr(written.size() - 4), ".res")
            || written.find_first_of("'/\\") != std::string_view::npos)
            continue;
        const bool star = written.substr(0, written.size() - 4) == "*";
        std::string wanted = star ? std::string(base) + std::string(written.substr(1)) : std::string(written);
        const std::vector<std::string> found = lister(folder, wanted);
        bool exact = false;
        for (const std::string &name : found)
            exact = exact || name == wanted;
        if (exact)
            continue;
        const std::string directive(text.substr(span.Start, span.End - span.Start));
        if (found.empty()) {
            TMissedOccurrence miss;
            LineAndColumn(text, span.Start, miss.Line, miss.Column);
            miss.Find = directive;
            miss.Reason = TMissReason::ResourceNotFound;
            notFound.push_back(std::move(miss));
            continue;
        }
        // Only the extension's case differs: "*.res" stays a pattern; any other difference names the file.
        const std::string &disk = found.front();
        std::string replacement;
        if (star && disk.compare(0, base.size(), base) == 0 && disk.size() == base.size() + 4)
            replacement = "*" + disk.substr(base.size());
        else
            replacement = disk;
        std::string fixed = directive;
        fixed.replace(i - span.Start, end - i, replacement);
        fixes.push_back({ { i, end, replacement }, directive, std::move(fixed) });
    }
}

} // namespace

std::vector<std::string> FolderNamesLike(const std::string &folder, std::string_view name)
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
        while (const dirent *entry = ::readdir(dir))
            if (AsciiEqualNoCase(entry->d_name, name))
                names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<TProgramFix> LazarusProgramFixes(std::string_view text, const std::string &fileName,
    std::vector<TMissedOccurrence> &notFound, TResourceLister lister)
{
    std::vector<TProgramFix> fixes;
    const std::string extension = AsciiLower(FileExtension(fileName));
    if (extension != ".dpr" && extension != ".lpr")
        return fixes;
    TPascalReading reading;
    ReadPascal(text, TSourceKind::Pascal, true, false, reading);
    if (FirstWord(text, reading.Spans) != "program")
        return fixes;
    AddInterfaces(text, reading, fixes);
    FixResources(text, fileName, reading, fixes, notFound, lister);
    std::sort(fixes.begin(), fixes.end(),
        [](const TProgramFix &a, const TProgramFix &b) { return a.Edit.Start < b.Edit.Start; });
    return fixes;
}

} // namespace qvc
