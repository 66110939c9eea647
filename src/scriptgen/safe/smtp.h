#pragma once

// Delivery through the site's SMTP server: a small client written into the
// script, needing nothing on the server beyond PHP and its openssl extension.
#include "scriptgen/safe/sections.h"

namespace scriptgen::safe {

// How long the script waits for the mail server: to connect (the TLS
// handshake of a server that speaks TLS from the start included), and for
// each reply. A visitor waits at most this long per step before the failure
// page.
inline constexpr int kSmtpConnectSeconds = 10;
inline constexpr int kSmtpReplySeconds = 30;

// The PHP functions of the client.
void AddSmtpFunctions(Lines& out);

// The server's settings as a PHP array literal, its password among them.
std::string SmtpServerLiteral(const SmtpServer& smtp);

} // namespace scriptgen::safe
