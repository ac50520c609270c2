// A message keeps its template and arguments apart; its byte flattening fills the template as the
// program's texts expect ("%s"/"%d" in order, "%%", a directive without an argument kept as written).
#include "common/Errors.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using qvc::PathArg;
using qvc::ReasonArg;
using qvc::TextArg;
using qvc::TMessage;

struct TFlatCase
{
    const char *Name;
    TMessage Message;
    std::string Flat;
};

class MessageFlatTest : public ::testing::TestWithParam<TFlatCase>
{
};

TEST_P(MessageFlatTest, FillsTheTemplateInOrder)
{
    EXPECT_EQ(GetParam().Message.Flat(), GetParam().Flat);
}

INSTANTIATE_TEST_SUITE_P(Cases, MessageFlatTest,
    ::testing::Values(TFlatCase { "TextAlone", TMessage("100% sure: %s stays"), "100% sure: %s stays" },
        TFlatCase { "PathAndReason",
            TMessage("Cannot open file \"%s\". %s", { PathArg("/a/\xC3\x81rea"), ReasonArg(ENOENT) }),
            std::string("Cannot open file \"/a/\xC3\x81rea\". ") + std::strerror(ENOENT) },
        TFlatCase { "NumberAndPercent", TMessage("%s line %d: 50%%", { PathArg("j"), TextArg("7") }), "j line 7: 50%" },
        TFlatCase { "DirectiveWithoutArgument", TMessage("%s and %s", { TextArg("one") }), "one and %s" },
        TFlatCase { "OtherDirectivesStay", TMessage("%x %s%", { TextArg("a") }), "%x a%" }),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(Error, FindsItsPathAndReasonInTheMessageUnlessGivenApart)
{
    const qvc::TError named("Cannot create file \"%s\". %s", { PathArg("/x/y"), ReasonArg(EACCES) });
    EXPECT_EQ(named.Path(), "/x/y");
    EXPECT_EQ(named.Reason(), std::errc::permission_denied);
    EXPECT_EQ(std::string(named.what()), named.Message().Flat());

    const qvc::TError apart(
        TMessage("Unable to backup file."), "/x/z", std::make_error_code(std::errc::is_a_directory));
    EXPECT_EQ(std::string(apart.what()), "Unable to backup file.");
    EXPECT_EQ(apart.Path(), "/x/z");
    EXPECT_EQ(apart.Reason(), std::errc::is_a_directory);

    EXPECT_EQ(qvc::MessageOf(named), named.Message());
    EXPECT_EQ(qvc::MessageOf(std::runtime_error("plain")), TMessage("plain"));
}

} // namespace
