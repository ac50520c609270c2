// The code scope on a generated tree that holds unit names in comments, strings and directives too: after a
// run every comment, string and directive of every unit, project file and form (a binary form read as its
// text twin) is there byte for byte, in order, while the code around them changed. Spans are found by the
// Pascal reader on the text as it went in and on the text as it came out, both with CR LF line ends.
#include "EngineFixture.h"
#include "FakeConversionView.h"
#include "GeneratedTree.h"

#include "common/TextLines.h"
#include "engine/pascal/PascalReader.h"
#include "engine/pass/SubstitutionPass.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

// Find texts the tree holds in code and outside it. No replace text opens a comment or a string, or
// starts with a hexadecimal digit (after "#$"), so the text that comes out reads into the same spans
// exactly when the run kept them.
const std::vector<std::string> kPairs = { "Forms=QForms", "Controls=QControls", "Windows,=Types,", "Windows;=Types;",
    "SysUtils=System.SysUtils", "Dialogs=QDialogs", "Graphics=QGraphics", "Messages=QMessages" };

struct TSpanText
{
    qvc::TByteClass Class;
    std::string_view Text;
    bool operator==(const TSpanText &) const = default;
};

std::vector<TSpanText> SpanTexts(std::string_view text, qvc::TSourceKind kind)
{
    qvc::TPascalReading reading;
    qvc::ReadPascal(text, kind, false, false, reading);
    std::vector<TSpanText> spans;
    spans.reserve(reading.Spans.size());
    for (const qvc::TTextSpan &span : reading.Spans)
        spans.push_back({ span.Class, text.substr(span.Start, span.End - span.Start) });
    return spans;
}

// The first span that differs, as a message; empty when the two lists are the same.
std::string FirstDifference(const std::vector<TSpanText> &in, const std::vector<TSpanText> &out)
{
    if (in == out)
        return {};
    const auto [a, b] = std::mismatch(in.begin(), in.end(), out.begin(), out.end());
    std::string message = "span " + std::to_string(a - in.begin()) + " of " + std::to_string(in.size()) + ": ";
    message += a == in.end() ? std::string("(none)") : "[" + std::string(a->Text) + "]";
    message += " became ";
    message += b == out.end() ? std::string("(none)") : "[" + std::string(b->Text) + "]";
    return message;
}

class CodeScopeTree : public TEngineFolderTest
{
protected:
    struct TTally
    {
        int Files = 0;
        int Changed = 0; ///< files the run changed
        int SpansDiffer = 0; ///< files whose comments, strings or directives came out otherwise
        std::size_t Spans = 0;
        int MissedIn[3] = {}; ///< occurrences left inside a comment, a string, a directive
    };

    // Converts every file of the tree in `scope` (simulated) and compares the spans of what went in and
    // of what came out; with `expectSame`, a file whose spans differ fails the test.
    TTally ConvertTree(qvc::TScope scope, bool expectSame)
    {
        qvc::TSubstitutionPass pass(kPairs);
        TFakeConversionView view;
        view.Rows.assign(1, TFakeRow {});
        qvc::TPassOptions options;
        options.Simulate = true;
        options.KeepTexts = true;
        options.Scope = scope;
        std::vector<std::string> paths;
        for (const auto &entry : fs::recursive_directory_iterator(Path("tree")))
            if (entry.is_regular_file())
                paths.push_back(entry.path().string());
        std::sort(paths.begin(), paths.end());
        TTally tally;
        for (const std::string &path : paths) {
            qvc::TConversionResult results;
            qvc::TPassReport report;
            const int count = pass.ConvertFile(0, path, options, results, view, report);
            EXPECT_GE(count, 0) << path;
            const bool binary = report.Kind == qvc::TFileKind::BinaryForm;
            const bool form = binary || report.Kind == qvc::TFileKind::TextForm;
            const std::string read = binary
                ? qvc::ReadFileBytes(Path("twins/" + fs::relative(path, Path("tree")).string()))
                : qvc::ReadFileBytes(path);
            const std::string in = qvc::JoinLinesCrLf(qvc::SplitLines(read));
            const std::string out = count > 0 ? std::string(report.ConvertedText) : in;
            const qvc::TSourceKind kind = qvc::SourceKindOf(path, form);
            const std::vector<TSpanText> inSpans = SpanTexts(in, kind);
            const std::string difference = FirstDifference(inSpans, SpanTexts(out, kind));
            if (expectSame) {
                EXPECT_EQ(difference, "") << path;
                EXPECT_EQ(qvc::SplitLines(out).size(), qvc::SplitLines(in).size()) << path;
            }
            ++tally.Files;
            tally.Changed += count > 0;
            tally.SpansDiffer += !difference.empty();
            tally.Spans += inSpans.size();
            for (const qvc::TMissedOccurrence &miss : report.Missed) {
                tally.MissedIn[0] += miss.Reason == qvc::TMissReason::InsideComment;
                tally.MissedIn[1] += miss.Reason == qvc::TMissReason::InsideString;
                tally.MissedIn[2] += miss.Reason == qvc::TMissReason::InsideDirective;
            }
        }
        return tally;
    }
};

TEST_F(CodeScopeTree, CommentsStringsAndDirectivesComeOutUnchanged)
{
    if (!CanGenerateTrees())
        GTEST_SKIP() << "skipped: python3, which runs the tree generator, is missing";
    ASSERT_EQ(GenerateTree(Path("tree"), 80, 31, "--scope-traps --forms-ratio 0.5 --twins '" + Path("twins") + "'"), 0);

    const TTally code = ConvertTree(qvc::TScope::Code, true);
    EXPECT_GT(code.Files, 100);
    EXPECT_GT(code.Spans, 5000u);
    // The code around the spans was converted, and the spans held find texts the run left there.
    EXPECT_GT(code.Changed, code.Files / 2);
    EXPECT_GT(code.MissedIn[0], 0);
    EXPECT_GT(code.MissedIn[1], 0);
    EXPECT_GT(code.MissedIn[2], 0);

    // The comparison sees a changed span: the all scope changes some in most units.
    const TTally all = ConvertTree(qvc::TScope::All, false);
    EXPECT_GT(all.SpansDiffer, code.Files / 2);
}

} // namespace
