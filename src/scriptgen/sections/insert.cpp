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

    void PutTo(text::LineWriter& out) const
    {
        bool first = true;
        for (const std::string& line : lines_) {
            if (!text::HoldsText(line))
                continue;
            if (!first)
                out.Put(", ");
            first = false;
            out.Put(quote_).Put(line).Put(quote_);
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

    text::LineWriter line(
        kOpening.size() + s.insertTable.size() + 2 + columns.size() + kValues.size() + values.size() + kEnd.size());
    line.Put(kOpening).Put(s.insertTable).Put(" (");
    columns.PutTo(line);
    line.Put(kValues);
    values.PutTo(line);
    line.Put(kEnd);
    out.push_back(std::move(line).Finish());
    out.emplace_back(" ");
}

} // namespace scriptgen
