<?php
// The mail: one plain address, header text, the quoted-printable body.

// One plain e-mail address, or '' when the text is anything else: letters,
// digits and .!#$&'*+/=?^_`{|}~- before the @ (no % or ! routing, no quotes),
// a domain of letters, digits and hyphens (international ones as xn--), no
// address of an IP, and the lengths SMTP allows.
function zestrel_address(string $text): string
{
    $text = trim($text);
    $local = '[A-Za-z0-9#$&\'*+\/=?^_`{|}~-]+(?:\.[A-Za-z0-9#$&\'*+\/=?^_`{|}~-]+)*';
    $domain = '(?:[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?\.)+(?:[A-Za-z]{2,63}|xn--[A-Za-z0-9-]{1,59})';
    if (strlen($text) > 254 || preg_match('/^(' . $local . ')@' . $domain . '$/D', $text, $parts) !== 1
        || strlen($parts[1]) > 64) {
        return '';
    }
    return $text;
}

// At most $length characters of the text, an ellipsis marking a cut.
function zestrel_cut(string $text, int $length): string
{
    return preg_replace('/^(.{' . $length . '}).+$/su', "\$1\u{2026}", $text);
}

// Text for a mail header: control characters (line breaks among them) become
// blanks, and text that is not short plain ASCII, or that looks like an
// encoded word already, is encoded (RFC 2047).
function zestrel_header_text(string $text): string
{
    $text = preg_replace('/[\x00-\x1F\x7F]+/', ' ', zestrel_utf8($text));
    if (preg_match('/^[\x20-\x7E]{0,70}$/D', $text) === 1 && !str_contains($text, '=?')) {
        return $text;
    }
    preg_match_all('/.{1,10}/su', $text, $chunks);
    $words = [];
    foreach ($chunks[0] as $chunk) {
        $words[] = '=?UTF-8?B?' . base64_encode($chunk) . '?=';
    }
    return implode("\r\n ", $words);
}

// The mail's text, the note if any, then one "name: value" line per field,
// its further lines indented, quoted-printable. A line of a lone "." would end the message for some mail
// transports, and one that begins with "From " gets a ">" from others: both
// travel encoded.
function zestrel_mail_body(array $lines, string $note = ''): string
{
    $text = $note !== '' ? $note . "\r\n\r\n" : '';
    foreach ($lines as [$name, $value]) {
        // A value's own lines are indented, so that none can pass for a line
        // of another field.
        $text .= $name . ': ' . preg_replace('/\r\n|\r|\n/', "\r\n    ", $value) . "\r\n";
    }
    $encoded = quoted_printable_encode(preg_replace('/\r\n|\r|\n/', "\r\n", $text));
    // "=46rom" and a soft line break keep the line within 76 characters.
    return preg_replace(['/^\.(?=\r\n|$)/m', '/^From /m'], ['=2E', "=46rom=\r\n "], $encoded);
}
