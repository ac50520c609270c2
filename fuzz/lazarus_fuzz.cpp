// What a Lazarus run reads from outside, on any bytes: the LCL's table, a form's text through the filter
// (what comes out is lines of what went in, in their order), a unit's class declarations, and a program's
// fixes (edits inside the text, in order, apart).
#include "engine/forms/LclForms.h"
#include "engine/pascal/LazarusProgram.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

std::vector<std::string> SomeResources(const std::string &, std::string_view name)
{
    // Every resource file is on the disk under a name of its own letter case.
    std::string lower(name);
    for (char &c : lower)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return { lower };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    const qvc::TLclTable table(bytes);
    (void)table.Property("TForm", "Caption");
    (void)table.ItemClass("TListColumns");

    qvc::TLclFormReport report;
    const std::string out = qvc::FilterFormForLcl(
        bytes, qvc::TLclTable::Builtin(), [](std::string_view) { return std::string("TForm"); }, report);
    const std::vector<std::string_view> in = qvc::FormTextLines(bytes);
    std::size_t next = 0;
    for (const std::string_view line : qvc::FormTextLines(out)) {
        while (next < in.size() && in[next] != line)
            ++next;
        if (next == in.size())
            std::abort();
        ++next;
    }

    std::unordered_map<std::string, std::string> ancestors;
    qvc::CollectClassDeclarations(bytes, ancestors);

    std::vector<qvc::TMissedOccurrence> notFound;
    std::size_t end = 0;
    for (const qvc::TProgramFix &fix : qvc::LazarusProgramFixes(bytes, "/p/Demo.dpr", notFound, SomeResources)) {
        if (fix.Edit.Start < end || fix.Edit.End < fix.Edit.Start || fix.Edit.End > size)
            std::abort();
        end = fix.Edit.End;
    }
    return 0;
}
