#pragma once

#include "scriptgen/settings.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How text from the window enters a safe script. Every text stands in the
// script as data, never as code: PHP gets it as a single-quoted literal and
// MySQL gets names in back-quotes, so no character can end the text early.
namespace scriptgen::safe {

// Appends a PHP expression whose value is exactly the bytes of `text`: a
// single-quoted literal with backslash and quote escaped. Control characters
// (line breaks among them) are joined in as chr() calls, so a script line
// never holds one.
void AppendPhpString(std::string& out, std::string_view text);
std::string PhpString(std::string_view text);

// Appends a MySQL table or column name in back-quotes, each back-quote doubled.
void AppendSqlName(std::string& out, std::string_view name);
std::string SqlName(std::string_view name);

// One line of the script, assembled from code and literals. The line is
// built in a buffer that keeps its capacity from line to line, so a finished
// line costs one allocation of its exact size. Lines are built one at a
// time; one begun while another is open gets a buffer of its own.
class PhpLine {
public:
    explicit PhpLine(std::string_view indent);
    ~PhpLine();
    PhpLine(const PhpLine&) = delete;
    PhpLine& operator=(const PhpLine&) = delete;

    PhpLine& Code(std::string_view code)
    {
        line_ += code;
        return *this;
    }
    PhpLine& String(std::string_view text)
    {
        AppendPhpString(line_, text);
        return *this;
    }
    // The finished line.
    std::string Take() const { return line_; }

private:
    std::string& line_;
};

// A PHP array over several lines: "<opening>[", one line per item written by
// `item` (after four more blanks, followed by a comma), "]<closing>".
template <typename Items, typename WriteItem>
void AppendArray(Lines& out, std::string_view indent, std::string_view opening, const Items& items, WriteItem&& item,
    std::string_view closing)
{
    out.push_back(PhpLine(indent).Code(opening).Code("[").Take());
    for (const auto& element : items) {
        PhpLine line(indent);
        line.Code("    ");
        item(line, element);
        out.push_back(line.Code(",").Take());
    }
    out.push_back(PhpLine(indent).Code("]").Code(closing).Take());
}

} // namespace scriptgen::safe
