// The window's Portuguese for the core's own messages: every entry keeps its arguments, every miss reason has
// one, and the messages the core really throws are found in the table.
#include "results/WindowTexts.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "engine/forms/BinaryFormToText.h"
#include "engine/pass/PassDetails.h"
#include "engine/run/ConversionRun.h"
#include "engine/run/ResultStore.h"
#include "repository/SubstitutionRepository.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// The "%s"/"%d" directives of a template, in order ("%%" is no directive).
std::string Directives(std::string_view text)
{
    std::string found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (text[i + 1] == 's' || text[i + 1] == 'd')
            found += text[i + 1];
        ++i;
    }
    return found;
}

// The template of the message `run` throws; empty when it throws none.
template <class Run> std::string ThrownTemplate(Run run)
{
    try {
        run();
    } catch (const qvc::TError &error) {
        return error.Message().Template();
    }
    return {};
}

} // namespace

TEST(WindowTexts, EveryEntryIsPortugueseWithTheSameArguments)
{
    std::set<std::string_view> seen;
    for (const qvc::TWindowText &entry : qvc::WindowTexts()) {
        SCOPED_TRACE(std::string(entry.Core));
        EXPECT_TRUE(seen.insert(entry.Core).second) << "listed twice";
        EXPECT_FALSE(entry.Window.empty());
        EXPECT_NE(entry.Window, entry.Core);
        EXPECT_EQ(Directives(entry.Window), Directives(entry.Core));
        EXPECT_EQ(qvc::WindowText(entry.Core), entry.Window);
    }
}

TEST(WindowTexts, FixedMessagesStayAsTheyAre)
{
    for (const std::string_view text : { qvc::kCannotOpenFile, qvc::kCannotCreateFile, qvc::kKeyMayNotContainEquals,
             std::string_view("Unable to backup file."), std::string_view("anything else") })
        EXPECT_EQ(qvc::WindowText(text), text);
}

TEST(WindowTexts, EveryMissReasonHasItsOwnPortugueseText)
{
    std::set<std::string_view> texts;
    for (int reason = 0; reason <= static_cast<int>(qvc::TMissReason::ClassUnknownToLcl); ++reason) {
        const auto miss = static_cast<qvc::TMissReason>(reason);
        const std::string_view window = qvc::MissReasonWindowText(miss);
        SCOPED_TRACE(std::string(qvc::MissReasonText(miss)));
        EXPECT_NE(window, qvc::MissReasonText(miss));
        EXPECT_TRUE(texts.insert(window).second) << "shared with another reason";
    }
    EXPECT_EQ(qvc::MissReasonWindowText(qvc::TMissReason::SecondOccurrence), "segunda ocorr\xEAncia na linha");
    EXPECT_EQ(
        qvc::MissReasonWindowText(qvc::TMissReason::HoldsReplaceText), "a linha j\xE1 cont\xE9m o texto de troca");
    EXPECT_EQ(qvc::MissReasonWindowText(qvc::TMissReason::InsideLongerWord),
        "ocorr\xEAncia anterior dentro de uma palavra maior");
}

TEST(WindowTexts, MessagesTheCoreThrowsAreTranslated)
{
    std::string text;
    const std::vector<std::string> thrown = {
        ThrownTemplate([&] { qvc::BinaryFormToText("XXXX", text); }),
        ThrownTemplate([&] { qvc::BinaryFormToText(std::string("TPF0\x01", 5), text); }),
        ThrownTemplate([&] {
            qvc::BinaryFormToText(std::string("TPF0\x00\x05"
                                              "Form1",
                                      11),
                text);
        }),
        ThrownTemplate([] { (void)qvc::SkipResourceHeader("abc"); }),
        ThrownTemplate([] { (void)qvc::SkipResourceHeader(std::string("\xFF\x0A\x00", 3)); }),
        ThrownTemplate([] { (void)qvc::TResultStore().Get(3); }),
    };
    for (const std::string &format : thrown) {
        SCOPED_TRACE(format);
        ASSERT_FALSE(format.empty());
        EXPECT_NE(qvc::WindowText(format), format);
    }
    EXPECT_EQ(qvc::WindowText(qvc::kChangedMeanwhile), "O arquivo foi alterado por outro programa depois de lido.");
    EXPECT_EQ(qvc::WindowText(qvc::kNotRegularFile), "N\xE3o \xE9 um arquivo comum.");
}
