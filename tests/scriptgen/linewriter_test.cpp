// The line builder every generator uses: a line is exactly as long as its
// computed length, and arithmetic that disagrees with the pieces written is
// caught instead of writing past the end of the line.
#include "scriptgen/sections/text.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

using scriptgen::text::LineWriter;

struct WriterCase {
    const char* name;
    std::size_t size;
    std::function<void(LineWriter&)> write;
    std::optional<std::string> expected; // none: the builder must refuse
};

class LineWriterTest : public testing::TestWithParam<WriterCase> {};

TEST_P(LineWriterTest, BuildsExactLinesOrRefuses)
{
    const WriterCase& c = GetParam();
    auto build = [&c] {
        LineWriter line(c.size);
        c.write(line);
        return std::move(line).Finish();
    };
    if (!c.expected)
        EXPECT_THROW(build(), std::logic_error);
    else
        EXPECT_EQ(build(), *c.expected);
}

INSTANTIATE_TEST_SUITE_P(Writer, LineWriterTest,
    testing::Values(
        WriterCase{"PiecesFillTheLine", 7, [](LineWriter& l) { l.Put("ab").Put('$').Put("cd").Put("ef"); }, "ab$cdef"},
        WriterCase{"EmptyLine", 0, [](LineWriter& l) { l.Put("").Put(std::string()); }, ""},
        WriterCase{"NulBytesAreText", 3, [](LineWriter& l) { l.Put(std::string("a\0b", 3)); }, std::string("a\0b", 3)},
        WriterCase{"PieceOverrunsTheLine", 3, [](LineWriter& l) { l.Put("ab").Put("cd"); }, std::nullopt},
        WriterCase{"CharacterOverrunsTheLine", 1, [](LineWriter& l) { l.Put('a').Put('b'); }, std::nullopt},
        WriterCase{"LineLeftShort", 4, [](LineWriter& l) { l.Put("abc"); }, std::nullopt}),
    [](const testing::TestParamInfo<WriterCase>& info) { return std::string(info.param.name); });

TEST(Concat, JoinsLiteralsStringsAndViewsWithoutLosingEmbeddedBytes)
{
    const std::string name("a\0b", 3);
    const std::string_view view = "view";
    const std::string line = scriptgen::text::Concat("$", name, " = $_POST['", std::string(), view, "'];");
    EXPECT_EQ(line, std::string("$a\0b = $_POST['view'];", 22));
    EXPECT_EQ(line.size(), 22U);
}

} // namespace
