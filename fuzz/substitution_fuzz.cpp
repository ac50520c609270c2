// The optimised substitution pass against the pair-by-pair, line-by-line application of ApplyPair on
// any bytes: input = repository lines, a 0x01 byte, file text. Both ways the pass works are checked: on
// lines, and on the file's text as a whole (scanned in pieces, written back with CR LF after every
// line). Any difference aborts.
#include "common/TextLines.h"
#include "engine/pass/SubstitutionPass.h"
#include "repository/PairView.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::size_t split = input.find('\x01');
    const std::vector<std::string> pairs = qvc::SplitLines(input.substr(0, split));
    const std::string_view bytes = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    const std::vector<std::string> text = qvc::SplitLines(bytes);
    // Name the file after the first find text now and then, so new names are formed too.
    std::string target = "/t/unit.pas";
    if (!pairs.empty() && size % 2 == 0)
        target = "/t/" + std::string(qvc::PairFind(pairs[0])) + ".pas";

    std::vector<std::string> plain = text;
    std::string plainNewName;
    qvc::TConversionResult plainResults;
    int plainCount = 0;
    for (const auto &line : pairs)
        plainCount
            += qvc::ApplyPair(plain, qvc::PairFind(line), qvc::PairReplace(line), target, plainNewName, plainResults);

    qvc::TSubstitutionPass pass(pairs);
    std::vector<std::string> fast = text;
    std::string fastNewName;
    qvc::TConversionResult fastResults;
    const int fastCount = pass.ApplyAll(fast, target, fastNewName, fastResults);
    if (fastCount != plainCount || fast != plain || fastNewName != plainNewName || !(fastResults == plainResults))
        std::abort();

    std::string wholeNewName;
    qvc::TConversionResult wholeResults;
    std::string output;
    const int wholeCount = pass.ConvertText(bytes, target, wholeNewName, wholeResults, output);
    if (wholeCount != plainCount || wholeNewName != plainNewName || !(wholeResults == plainResults)
        || (wholeCount > 0 && output != qvc::JoinLinesCrLf(plain)))
        std::abort();
    return 0;
}
