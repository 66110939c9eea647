// The line builder every generator uses: pieces of code, characters and PHP
// literals joined in order, and a line begun inside another kept apart.
#include "scriptgen/phpline.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using scriptgen::PhpLine;

struct LineCase {
    const char* name;
    std::function<std::string()> build;
    std::string expected;
};

class PhpLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(PhpLineTest, JoinsPiecesInOrder)
{
    EXPECT_EQ(GetParam().build(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, PhpLineTest,
    testing::Values(
        LineCase{"IndentCodeAndCharacters",
            [] { return PhpLine("  ").Code("$", std::string("a"), '=', std::string_view("1;")).Take(); }, "  $a=1;"},
        LineCase{
            "NulBytesAreText", [] { return PhpLine().Code(std::string("a\0b", 3)).Take(); }, std::string("a\0b", 3)},
        LineCase{"LiteralsEscapeQuotesAndControls",
            [] { return PhpLine().Code("f(").String("it's \\ a\nb").Code(")").Take(); },
            "f('it\\'s \\\\ a' . chr(10) . 'b')"},
        LineCase{"ALineBegunInsideAnotherKeepsItsOwnText",
            [] {
                PhpLine outer("    ");
                outer.Code("outer ");
                const std::string inner = PhpLine().Code("inner").Take();
                return outer.Code(inner).Take();
            },
            "    outer inner"},
        LineCase{"ANewLineStartsEmpty",
            [] {
                PhpLine("x").Code("left over").Take();
                return PhpLine().Code("fresh").Take();
            },
            "fresh"}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

} // namespace
