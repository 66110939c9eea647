#include "scriptgen/phpline.h"
#include "scriptgen/sections/sections.h"

namespace scriptgen {

// Connects to the MySQL server and selects the database; every text stands
// verbatim inside a PHP double-quoted string. A failed call stops the script
// with the server's error.
void AddConnectionSection(const ScriptSettings& s, Lines& out)
{
    constexpr std::string_view kCallEnd = "\") or die(mysql_error());";
    PhpLine().Code("mysql_connect(\"", s.host, "\", \"", s.userName, "\", \"", s.password, kCallEnd).AddTo(out);
    PhpLine().Code("mysql_select_db(\"", s.database, kCallEnd).AddTo(out);
    out.emplace_back(" ");
}

} // namespace scriptgen
