#include "scriptgen/sections/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen {

// Connects to the MySQL server and selects the database; every text stands
// verbatim inside a PHP double-quoted string. A failed call stops the script
// with the server's error.
void AddConnectionSection(const ScriptSettings& s, Lines& out)
{
    constexpr std::string_view kCallEnd = "\") or die(mysql_error());";
    text::Append(out, "mysql_connect(\"", s.host, "\", \"", s.userName, "\", \"", s.password, kCallEnd);
    text::Append(out, "mysql_select_db(\"", s.database, kCallEnd);
    out.emplace_back(" ");
}

} // namespace scriptgen
