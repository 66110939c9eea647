#include "scriptgen/safe/php.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen::safe {

// The connection: mysqli throws on every error (mysqli_report at the top of
// the script), and talks utf8mb4 so that every character arrives intact.
void AddConnectFunction(const Context& context, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const Endpoint endpoint = ParseHost(s.host);
    const std::string port = endpoint.port ? std::to_string(*endpoint.port) : "null";
    const std::string socket = endpoint.socket.empty() ? "null" : PhpString(endpoint.socket);

    out.emplace_back();
    out.emplace_back("// Connects to the MySQL server. \"@\" keeps the network's warning off the page:");
    out.emplace_back("// the exception carries the same reason.");
    out.emplace_back("function zestrel_connect(): mysqli");
    out.emplace_back("{");
    out.push_back(text::Concat("    $db = @new mysqli(", PhpString(endpoint.host), ", ", PhpString(s.userName), ", ",
        PhpString(s.password), ", ", PhpString(s.database), ", ", port, ", ", socket, ");"));
    out.emplace_back("    $db->set_charset('utf8mb4');");
    out.emplace_back("    return $db;");
    out.emplace_back("}");
}

} // namespace scriptgen::safe
