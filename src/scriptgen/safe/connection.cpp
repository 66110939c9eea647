#include "scriptgen/safe/sections.h"

namespace scriptgen::safe {

// The connection: mysqli throws on every error, and talks utf8mb4 so that
// every character arrives intact.
void AddConnectFunction(const Context& context, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const Endpoint endpoint = ParseHost(s.host);
    out.emplace_back();
    out.emplace_back("// Connects to the MySQL server. \"@\" keeps the network's warning off the page:");
    out.emplace_back("// the exception carries the same reason.");
    out.emplace_back("function zestrel_connect(): mysqli");
    out.emplace_back("{");
    out.emplace_back("    mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);");
    PhpLine line("    ");
    line.Code("$db = @new mysqli(").String(endpoint.host).Code(", ").String(s.userName).Code(", ");
    line.String(s.password).Code(", ").String(s.database).Code(", ");
    line.Code(endpoint.port ? std::to_string(*endpoint.port) : "null").Code(", ");
    if (endpoint.socket.empty())
        line.Code("null");
    else
        line.String(endpoint.socket);
    out.push_back(line.Code(");").Take());
    out.emplace_back("    $db->set_charset('utf8mb4');");
    out.emplace_back("    // A value too long for its column is refused, never cut, whatever the");
    out.emplace_back("    // server's own mode.");
    out.emplace_back("    $db->query(\"SET SESSION sql_mode = TRIM(BOTH ',' FROM CONCAT(@@SESSION.sql_mode, "
                     "',STRICT_ALL_TABLES'))\");");
    out.emplace_back("    return $db;");
    out.emplace_back("}");
    out.emplace_back();
    out.emplace_back("// The connection, made once. A failure is kept: the script never waits twice for");
    out.emplace_back("// a server that does not answer.");
    out.emplace_back("function zestrel_db(): mysqli");
    out.emplace_back("{");
    out.emplace_back("    static $db = null;");
    out.emplace_back("    static $failure = null;");
    out.emplace_back("    if ($failure !== null) {");
    out.emplace_back("        throw $failure;");
    out.emplace_back("    }");
    out.emplace_back("    try {");
    out.emplace_back("        $db = $db ?? zestrel_connect();");
    out.emplace_back("        return $db;");
    out.emplace_back("    } catch (Throwable $e) {");
    out.emplace_back("        $failure = $e;");
    out.emplace_back("        throw $e;");
    out.emplace_back("    }");
    out.emplace_back("}");
}

} // namespace scriptgen::safe
