<?php
// Where a request comes from: its own origin, the visitor's address behind a proxy.

// The first value of a header that a proxy in front of the server sets, in
// lower case; '' when there is none.
function zestrel_forwarded(string $name): string
{
    return strtolower(trim(explode(',', $_SERVER[$name] ?? '')[0]));
}

// This script's own origin as a browser writes it in Origin: the scheme, the
// host and a port other than the scheme's own. Behind a proxy, the scheme and
// host the proxy was asked for (X-Forwarded-Proto, X-Forwarded-Host), which
// no page of another site can make a browser send.
function zestrel_own_origin(): string
{
    $scheme = zestrel_forwarded('HTTP_X_FORWARDED_PROTO');
    if ($scheme === '') {
        $https = $_SERVER['HTTPS'] ?? '';
        $scheme = $https !== '' && strcasecmp($https, 'off') !== 0 ? 'https' : 'http';
    }
    $host = zestrel_forwarded('HTTP_X_FORWARDED_HOST');
    if ($host === '') {
        $host = strtolower($_SERVER['HTTP_HOST'] ?? '');
    }
    $ownPort = $scheme === 'https' ? ':443' : ':80';
    if (str_ends_with($host, $ownPort)) {
        $host = substr($host, 0, -strlen($ownPort));
    }
    return $scheme . '://' . $host;
}

// An IP address as written in REMOTE_ADDR or by a proxy, without a port or
// brackets, and an IPv4 address that a dual-stack server hands over in IPv6
// (::ffff:192.0.2.1) as itself; '' for anything else.
function zestrel_ip(string $text): string
{
    $text = trim($text);
    if (preg_match('/^\[([^\]]*)\](?::[0-9]{1,5})?$/D', $text, $parts) === 1
        || preg_match('/^([0-9.]+):[0-9]{1,5}$/D', $text, $parts) === 1) {
        $text = $parts[1];
    }
    $packed = @inet_pton($text);
    if ($packed === false) {
        return '';
    }
    if (strlen($packed) === 16 && str_starts_with($packed, str_repeat("\0", 10) . "\xff\xff")) {
        $packed = substr($packed, 12);
    }
    return inet_ntop($packed);
}

// The address a request comes from. Behind a proxy on this machine or its
// network (REMOTE_ADDR a loopback or private address), the last address of
// X-Forwarded-For, else X-Real-IP: the one the proxy saw. What cannot be read
// there counts as the proxy's own address.
function zestrel_client(): string
{
    $address = zestrel_ip($_SERVER['REMOTE_ADDR'] ?? '');
    if (filter_var($address, FILTER_VALIDATE_IP, FILTER_FLAG_NO_PRIV_RANGE | FILTER_FLAG_NO_RES_RANGE) === false) {
        $hops = explode(',', $_SERVER['HTTP_X_FORWARDED_FOR'] ?? '');
        $last = trim(end($hops));
        $visitor = zestrel_ip($last !== '' ? $last : ($_SERVER['HTTP_X_REAL_IP'] ?? ''));
        if ($visitor !== '') {
            return $visitor;
        }
    }
    return $address;
}

// The visitor as the flood limit counts them: the address, a whole /64 for
// IPv6, in hexadecimal.
function zestrel_visitor(): string
{
    $packed = @inet_pton(zestrel_client());
    if ($packed === false) {
        return 'unknown';
    }
    return bin2hex(strlen($packed) === 16 ? substr($packed, 0, 8) : $packed);
}
