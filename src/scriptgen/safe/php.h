#pragma once

#include "scriptgen/phpline.h"
#include "scriptgen/settings.h"

#include <string>
#include <string_view>

namespace scriptgen::safe {

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
