#include "scriptgen/sections/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen {

namespace {

// The non-empty entries of `lines`, each between `quote`s, joined by ", ".
// Columns and values are joined independently and are never paired.
class JoinedList {
public:
    JoinedList(const Lines& lines, std::string_view quote) : lines_(lines), quote_(quote)
    {
        for (const std::string& line : lines_)
            if (text::HoldsText(line))
                size_ += (size_ == 0 ? 0 : 2) + line.size() + 2 * quote_.size();
    }

    std::size_t size() const { return size_; }

    void AppendTo(std::string& out) const
    {
        bool first = true;
        for (const std::string& line : lines_) {
            if (!text::HoldsText(line))
                continue;
            if (!first)
                out.append(", ");
            first = false;
            out.append(quote_).append(line).append(quote_);
        }
    }

private:
    const Lines& lines_;
    std::string_view quote_;
    std::size_t size_ = 0;
};

} // namespace

// Stores the posted values as one new record: columns bare, every value
// between single quotes, all inside one PHP double-quoted string.
void AddInsertSection(const ScriptSettings& s, Lines& out)
{
    constexpr std::string_view kOpening = "mysql_query(\"INSERT INTO ";
    constexpr std::string_view kValues = ") VALUES (";
    constexpr std::string_view kEnd = ")\")or die(\"Insert Error: \".mysql_error());";
    const JoinedList columns(s.insertFields, "");
    const JoinedList values(s.insertValues, "'");

    std::string line;
    line.reserve(
        kOpening.size() + s.insertTable.size() + 2 + columns.size() + kValues.size() + values.size() + kEnd.size());
    line.append(kOpening).append(s.insertTable).append(" (");
    columns.AppendTo(line);
    line.append(kValues);
    values.AppendTo(line);
    line.append(kEnd);
    out.push_back(std::move(line));
    out.emplace_back(" ");
}

} // namespace scriptgen
