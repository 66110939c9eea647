#include "scriptgen/safe/smtp.h"

#include "scriptgen/phpline.h"
#include "scriptgen/safe/php.h"
#include "scriptgen/safe/phpblocks.h"

#include <string>

namespace scriptgen::safe {

namespace {

std::string_view SecurityName(SmtpServer::Security security)
{
    switch (security) {
    case SmtpServer::Security::Tls:
        return "tls";
    case SmtpServer::Security::None:
        return "none";
    default:
        return "starttls";
    }
}

} // namespace

// The client: EHLO, STARTTLS or TLS from the start with the certificate and
// the server's name verified (TLS 1.2 or later), AUTH PLAIN or LOGIN as the
// server offers, MAIL, one RCPT per recipient, DATA with dot-stuffing, QUIT.
// Every reply is checked; a failure throws with the server's reply and the
// step it answered, never the password.
void AddSmtpFunctions(Lines& out)
{
    out.emplace_back();
    out.push_back("// How long to wait for the mail server: to connect, and for each reply.");
    out.push_back(
        PhpLine().Code("const ZESTREL_SMTP_CONNECT_SECONDS = ", std::to_string(kSmtpConnectSeconds), ";").Take());
    out.push_back(PhpLine().Code("const ZESTREL_SMTP_REPLY_SECONDS = ", std::to_string(kSmtpReplySeconds), ";").Take());
    AppendBlock(out, blocks::kSmtp);
}

std::string SmtpServerLiteral(const SmtpServer& smtp)
{
    return PhpLine()
        .Code("['host' => ", PhpString(smtp.host), ", 'port' => ", std::to_string(smtp.port), ", 'security' => '",
            SecurityName(smtp.security), "', 'user' => ", PhpString(smtp.userName), ", 'password' => ",
            PhpString(smtp.password), "]")
        .Take();
}

} // namespace scriptgen::safe
