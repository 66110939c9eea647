<?php
// The owner's pages: HTTPS or this machine, and HTTP Basic sign-in with the owner password.

// Whether the request came over HTTPS, to the server or to the proxy in front
// of it.
function zestrel_https(): bool
{
    return str_starts_with(zestrel_own_origin(), 'https://');
}

// Whether the request comes from this very machine, and not through a proxy:
// from a loopback address, for one of this machine's own names, and with no
// header that a proxy of any usual kind adds. Behind a proxy that says
// nothing, every request seems to come from this machine, but not for its
// names.
function zestrel_from_this_machine(): bool
{
    foreach (array_keys($_SERVER) as $name) {
        if (is_string($name) && (str_starts_with($name, 'HTTP_X_FORWARDED_') || in_array($name, ['HTTP_FORWARDED',
            'HTTP_X_REAL_IP', 'HTTP_CLIENT_IP', 'HTTP_TRUE_CLIENT_IP', 'HTTP_CF_CONNECTING_IP'], true))) {
            return false;
        }
    }
    $host = strtolower($_SERVER['HTTP_HOST'] ?? '');
    if (preg_match('/^(?:localhost|127\.0\.0\.1|\[::1\])(?::[0-9]{1,5})?$/D', $host) !== 1) {
        return false;
    }
    $address = zestrel_ip($_SERVER['REMOTE_ADDR'] ?? '');
    return $address === '::1' || str_starts_with($address, '127.');
}

// The user name and password the browser sent, or nulls. Some servers pass
// the Authorization header on only as a variable of its own.
function zestrel_credentials(): array
{
    if (isset($_SERVER['PHP_AUTH_USER'])) {
        return [(string) $_SERVER['PHP_AUTH_USER'], (string) ($_SERVER['PHP_AUTH_PW'] ?? '')];
    }
    $header = $_SERVER['HTTP_AUTHORIZATION'] ?? $_SERVER['REDIRECT_HTTP_AUTHORIZATION'] ?? '';
    if (strncasecmp($header, 'Basic ', 6) === 0) {
        $pair = base64_decode(substr($header, 6), true);
        if (is_string($pair) && str_contains($pair, ':')) {
            return explode(':', $pair, 2);
        }
    }
    return [null, null];
}

// Lets only the site's owner on: HTTP Basic authentication with the user
// name "owner" and the owner password, over HTTPS or from this machine. Anyone
// else is answered 401 or 403, and the script ends. Wrong sign-ins count
// toward a flood limit of their own.
function zestrel_owner_only(): void
{
    header('Cache-Control: no-store');
    if (!zestrel_https() && !zestrel_from_this_machine()) {
        zestrel_message(403, 'This page is for the site\'s owner and opens over HTTPS only: use its address '
            . 'beginning with https://.');
    }
    [$user, $password] = zestrel_credentials();
    if ($user !== null) {
        // Each attempt is counted before the password is checked, so that
        // attempts at the same moment cannot pass the limit together; where
        // the counts cannot be kept, no password is checked at all.
        $wait = zestrel_flood('sign-in', true);
        if ($wait === null) {
            zestrel_message(503, 'The owner\'s pages cannot be opened right now: please try again later.');
        }
        if ($wait > 0) {
            zestrel_too_often($wait);
        }
        // Both are always compared, and password_verify takes as long for
        // any password: the time tells nothing about what was wrong.
        $passwordRight = password_verify($password, ZESTREL_OWNER_HASH);
        $userRight = hash_equals('owner', $user);
        if ($passwordRight && $userRight) {
            zestrel_flood_forget('sign-in');
            return;
        }
        zestrel_log('a wrong user name or owner password for the owner\'s page');
    }
    header('WWW-Authenticate: Basic realm="Zestrel owner", charset="UTF-8"');
    zestrel_message(401, 'This page is for the site\'s owner: sign in with the user name owner and the owner '
        . 'password.');
}
