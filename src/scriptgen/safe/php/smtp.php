<?php
// The SMTP client: sign-in, the envelope, the message, every reply checked.

// Sends the message through the SMTP server to every recipient, as $from.
// A message too large to hold whole is a function of the most bytes the
// server takes (its SIZE) that gives it in parts, each ending a line, which
// go out one by one.
function zestrel_smtp_send(array $server, string $from, array $recipients, string|callable $message): void
{
    $host = $server['host'];
    $target = (str_contains($host, ':') ? '[' . $host . ']' : $host) . ':' . $server['port'];
    $tls = STREAM_CRYPTO_METHOD_TLSv1_2_CLIENT | STREAM_CRYPTO_METHOD_TLSv1_3_CLIENT;
    $context = stream_context_create(['ssl' => [
        'verify_peer' => true,
        'verify_peer_name' => true,
        'peer_name' => $host,
        'allow_self_signed' => false,
        'SNI_enabled' => true,
        'crypto_method' => $tls,
    ]]);
    zestrel_smtp_heard('(connecting to ' . $target . ')');
    $smtp = @stream_socket_client(($server['security'] === 'tls' ? 'tls://' : 'tcp://') . $target, $errno, $error,
        ZESTREL_SMTP_CONNECT_SECONDS, STREAM_CLIENT_CONNECT, $context);
    if ($smtp === false) {
        $error = $error !== '' ? $error : (error_get_last()['message'] ?? 'no connection');
        // Connected, but no TLS came of it: the port may be one for STARTTLS.
        $hint = $server['security'] === 'tls' && $errno === 0 ? ' (does this port take TLS from the start?)' : '';
        throw new RuntimeException('cannot reach the mail server ' . $target . ': ' . $error . $hint);
    }
    try {
        stream_set_timeout($smtp, ZESTREL_SMTP_REPLY_SECONDS);
        zestrel_smtp_reply($smtp, '220', 'the connection');
        $hello = 'EHLO ' . zestrel_smtp_hello_name();
        $offers = zestrel_smtp_command($smtp, $hello, '250');
        if ($server['security'] === 'starttls') {
            if (preg_match('/^250[ -]STARTTLS[ \t]*\r?$/mi', $offers) !== 1) {
                throw new RuntimeException('the mail server ' . $target . ' offers no STARTTLS, so nothing was sent '
                    . 'over the unencrypted connection');
            }
            zestrel_smtp_command($smtp, 'STARTTLS', '220');
            // Whatever came with the 220 came before the encryption, from
            // anyone on the way, and would be read as the server's answers
            // after it.
            if (stream_get_meta_data($smtp)['unread_bytes'] > 0) {
                throw new RuntimeException('the mail server ' . $target . ' sent more than its 220 to STARTTLS, '
                    . 'as someone on the way would to forge its answers, so nothing was sent');
            }
            if (@stream_socket_enable_crypto($smtp, true, $tls) !== true) {
                throw new RuntimeException('TLS with the mail server ' . $target . ' failed: '
                    . (error_get_last()['message'] ?? 'no handshake'));
            }
            $offers = zestrel_smtp_command($smtp, $hello, '250');
        }
        if ($server['user'] !== '') {
            zestrel_smtp_sign_in($smtp, $server, $offers);
        }
        zestrel_smtp_command($smtp, 'MAIL FROM:<' . $from . '>', '250');
        foreach ($recipients as $recipient) {
            zestrel_smtp_command($smtp, 'RCPT TO:<' . $recipient . '>', '25[01]');
        }
        $largest = preg_match('/^250[ -]SIZE[ \t]+([1-9][0-9]*)/mi', $offers, $size) === 1 ? (int) $size[1] : PHP_INT_MAX;
        zestrel_smtp_command($smtp, 'DATA', '354');
        zestrel_smtp_heard('C: the message');
        $ended = true;
        foreach (is_string($message) ? [$message] : $message($largest) as $part) {
            // Lines that begin with a dot get another, which the server takes
            // off; a lone dot ends the message.
            $data = preg_replace('/^\./m', '..', preg_replace('/\r\n|\r|\n/', "\r\n", $part));
            zestrel_smtp_write($smtp, $data, 'the message');
            $ended = $data === '' ? $ended : str_ends_with($data, "\r\n");
        }
        zestrel_smtp_write($smtp, ($ended ? '' : "\r\n") . ".\r\n", 'the message');
        zestrel_smtp_reply($smtp, '250', 'the message');
        try {
            zestrel_smtp_command($smtp, 'QUIT', '221');
        } catch (RuntimeException $e) {
            // The server has taken the message; only its goodbye went wrong.
            zestrel_log('the mail was sent, but ' . $e->getMessage());
        }
    } finally {
        fclose($smtp);
    }
}

// AUTH PLAIN, else AUTH LOGIN, whichever the server offers; only over an
// encrypted connection or to the server's own machine.
function zestrel_smtp_sign_in($smtp, array $server, string $offers): void
{
    $encrypted = (stream_get_meta_data($smtp)['crypto'] ?? null) !== null;
    if (!$encrypted && !in_array(strtolower($server['host']), ['localhost', '127.0.0.1', '::1'], true)) {
        throw new RuntimeException('the password would cross the network unencrypted, so it was not sent');
    }
    preg_match_all('/^250[ -]AUTH[ =](.*?)[ \t]*\r?$/mi', $offers, $lists);
    $mechanisms = preg_split('/\s+/', strtoupper(implode(' ', $lists[1])), -1, PREG_SPLIT_NO_EMPTY);
    if (in_array('PLAIN', $mechanisms, true)) {
        zestrel_smtp_command($smtp, 'AUTH PLAIN ' . base64_encode("\0" . $server['user'] . "\0" . $server['password']),
            '235', 'AUTH PLAIN');
    } elseif (in_array('LOGIN', $mechanisms, true)) {
        zestrel_smtp_command($smtp, 'AUTH LOGIN', '334');
        zestrel_smtp_command($smtp, base64_encode($server['user']), '334', 'the user name of AUTH LOGIN');
        zestrel_smtp_command($smtp, base64_encode($server['password']), '235', 'the password of AUTH LOGIN');
    } else {
        throw new RuntimeException('the mail server offers neither AUTH PLAIN nor AUTH LOGIN');
    }
}

// The conversation with the mail server so far, for the owner's self-check:
// each command by its step's name where it carries a password or the
// message, and each reply line.
function zestrel_smtp_heard(?string $line = null): array
{
    static $heard = [];
    if ($line !== null && count($heard) < 200) {
        $heard[] = $line;
    }
    return $heard;
}

// Sends one command (or the message) and reads the reply, which must have
// the expected code; $step names what was sent in the log, in place of it.
function zestrel_smtp_command($smtp, string $command, string $expected, ?string $step = null): string
{
    zestrel_smtp_heard('C: ' . ($step ?? $command));
    zestrel_smtp_write($smtp, $command . "\r\n", $step ?? $command);
    return zestrel_smtp_reply($smtp, $expected, $step ?? $command);
}

function zestrel_smtp_write($smtp, string $data, string $step): void
{
    while ($data !== '') {
        $written = @fwrite($smtp, $data);
        if ($written === false || $written === 0) {
            throw new RuntimeException('the connection to the mail server broke while sending ' . $step);
        }
        $data = substr($data, $written);
    }
}

// The server's reply, every line of it; its code must match $expected.
function zestrel_smtp_reply($smtp, string $expected, string $step): string
{
    $reply = '';
    do {
        $line = fgets($smtp, 2048);
        if ($line === false) {
            throw new RuntimeException('the mail server ' . (stream_get_meta_data($smtp)['timed_out']
                ? 'gave no answer within ' . ZESTREL_SMTP_REPLY_SECONDS . ' seconds' : 'closed the connection')
                . ' after ' . $step);
        }
        zestrel_smtp_heard('S: ' . rtrim($line));
        $reply .= $line;
    } while (preg_match('/^[0-9]{3}-/', $line) === 1);
    if (preg_match('/^(?:' . $expected . ')(?:[ \r\n]|$)/', $line) !== 1) {
        throw new RuntimeException('the mail server answered "' . trim($reply) . '" to ' . $step);
    }
    return $reply;
}

// The name this machine gives in EHLO: its own, when it is one a mail
// server takes, else its address literal.
function zestrel_smtp_hello_name(): string
{
    $name = (string) gethostname();
    return preg_match('/^[A-Za-z0-9](?:[A-Za-z0-9.-]{0,251}[A-Za-z0-9])?$/D', $name) === 1 ? $name : '[127.0.0.1]';
}

// The whole message as the server gets it: the headers that mail() would
// add (Date, Message-ID, To and Subject), the mail's own, and the body.
function zestrel_smtp_message(string $to, string $subject, string $body, array $headers): string
{
    return implode('', iterator_to_array(zestrel_smtp_parts($to, $subject, [$body], $headers), false));
}

// The same in parts: the headers, then the body's parts as they come.
function zestrel_smtp_parts(string $to, string $subject, iterable $body, array $headers): Generator
{
    $domain = substr((string) strrchr($headers['From'], '@'), 1);
    $lines = [
        'Date: ' . date(DATE_RFC2822),
        'Message-ID: <' . bin2hex(random_bytes(16)) . '@' . $domain . '>',
        'To: ' . $to,
        'Subject: ' . $subject,
    ];
    foreach ($headers as $name => $value) {
        $lines[] = $name . ': ' . $value;
    }
    yield implode("\r\n", $lines) . "\r\n\r\n";
    yield from $body;
}
