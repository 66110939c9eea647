#include "scriptgen/postedname.h"
#include "scriptgen/safe/php.h"
#include "scriptgen/safe/rules.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/safe/smtp.h"

namespace scriptgen::safe {

namespace {

// The PHP functions a safe script may call. They hold no text from the
// window: the script passes that in as literals.

constexpr std::string_view kPage = R"php(// Text for the page, HTML's special characters escaped.
function zestrel_html(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
}

// The headers of every answer: no other site may show the page in a frame,
// the browser takes its type as sent, and other sites are not told its
// address.
function zestrel_headers(): void
{
    header('X-Frame-Options: DENY');
    header("Content-Security-Policy: default-src 'none'; frame-ancestors 'none'; form-action 'self'; base-uri 'none'");
    header('X-Content-Type-Options: nosniff');
    header('Referrer-Policy: same-origin');
}

// Starts the page with the given status; later calls do nothing.
function zestrel_page(int $status, string $title): void
{
    static $started = false;
    if ($started) {
        return;
    }
    $started = true;
    http_response_code($status);
    header('Content-Type: text/html; charset=UTF-8');
    echo '<!DOCTYPE html>', "\n", '<html><head><meta charset="utf-8"><title>', zestrel_html($title),
        '</title></head><body>', "\n";
}

// Ends the page and the script.
function zestrel_end_page(): never
{
    echo '</body></html>', "\n";
    exit;
}

// A page of one sentence, and the end of the script.
function zestrel_message(int $status, string $text): never
{
    zestrel_page($status, $text);
    echo '<p>', zestrel_html($text), '</p>', "\n";
    zestrel_end_page();
}

// Tells the site's owner what went wrong, in the server's error log, as one
// line: control characters are escaped and each quoted text is cut short, so
// that a posted value can neither forge lines nor fill the log.
function zestrel_log(string $text): void
{
    $text = htmlspecialchars_decode(htmlspecialchars($text, ENT_NOQUOTES | ENT_SUBSTITUTE, 'UTF-8'), ENT_NOQUOTES);
    $text = preg_replace('/\'([^\']{60})[^\']+\'/su', '\'$1...\'', $text);
    $text = preg_replace('/^(.{1000}).+$/su', '$1...', $text);
    error_log(basename(__FILE__) . ': ' . addcslashes($text, "\0..\37\177\\"));
}
)php";

constexpr std::string_view kPosted = R"php(
// The text with every byte that is not part of valid UTF-8 replaced by
// U+FFFD: htmlspecialchars replaces them, decoding gives the rest back.
function zestrel_utf8(string $text): string
{
    return htmlspecialchars_decode(htmlspecialchars($text, ENT_NOQUOTES | ENT_SUBSTITUTE, 'UTF-8'), ENT_NOQUOTES);
}

// A posted field as text: '' when the form did not send it, the values of a
// list field (name[]) joined with ", ".
function zestrel_posted(string $key): string
{
    $value = $_POST[$key] ?? '';
    if (is_array($value)) {
        $parts = [];
        array_walk_recursive($value, function ($part) use (&$parts): void {
            $parts[] = $part;
        });
        $value = implode(', ', $parts);
    }
    return zestrel_utf8($value);
}
)php";

constexpr std::string_view kRequest = R"php(
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

// The address a request comes from, a whole /64 for IPv6. Behind a proxy on
// this machine or its network (REMOTE_ADDR a loopback or private address),
// the last address of X-Forwarded-For: the one the proxy saw.
function zestrel_visitor(): string
{
    $address = $_SERVER['REMOTE_ADDR'] ?? '';
    $forwarded = $_SERVER['HTTP_X_FORWARDED_FOR'] ?? '';
    $public = filter_var($address, FILTER_VALIDATE_IP, FILTER_FLAG_NO_PRIV_RANGE | FILTER_FLAG_NO_RES_RANGE);
    if ($forwarded !== '' && $public === false) {
        $hops = explode(',', $forwarded);
        $address = trim(end($hops));
    }
    $packed = @inet_pton($address);
    if ($packed === false) {
        return 'unknown';
    }
    return bin2hex(strlen($packed) === 16 ? substr($packed, 0, 8) : $packed);
}
)php";

constexpr std::string_view kGuards = R"php(
// Whether a post may not change anything, as it does not come from a page of
// this site: the browser says another site (Sec-Fetch-Site), or a browser
// that does not say so names another origin. A post without an Origin (an
// old client) may.
function zestrel_from_other_site(): bool
{
    $site = $_SERVER['HTTP_SEC_FETCH_SITE'] ?? '';
    if ($site !== '') {
        return $site !== 'same-origin';
    }
    $origin = strtolower($_SERVER['HTTP_ORIGIN'] ?? '');
    return $origin !== '' && $origin !== zestrel_own_origin();
}

// Whether the post carries at least one of the form's fields.
function zestrel_any_sent(array $keys): bool
{
    foreach ($keys as $key) {
        if (isset($_POST[$key])) {
            return true;
        }
    }
    return false;
}
)php";

constexpr std::string_view kFlood = R"php(
// The flood limit: at most 5 counted requests a minute and 20 an hour from
// one address (one /64 for IPv6). Posts of the form count, and so do wrong
// sign-ins to the owner's pages.
const ZESTREL_PER_MINUTE = 5;
const ZESTREL_PER_HOUR = 20;

// How many seconds to wait, given the times of the counted requests of the
// last hour, oldest first; 0 when one more may come now.
function zestrel_flood_wait(array $times, int $now): int
{
    $minute = array_values(array_filter($times, fn (int $at): bool => $at > $now - 60));
    if (count($minute) >= ZESTREL_PER_MINUTE) {
        return $minute[count($minute) - ZESTREL_PER_MINUTE] + 60 - $now;
    }
    if (count($times) >= ZESTREL_PER_HOUR) {
        return $times[count($times) - ZESTREL_PER_HOUR] + 3600 - $now;
    }
    return 0;
}

// How many seconds this visitor must wait, or 0; with $count, a request that
// may go on is counted. When the counts cannot be kept, the request goes on
// and the log says why.
function zestrel_flood(bool $count): int
{
    try {
        $db = zestrel_flood_database();
        return $db !== null ? zestrel_flood_in_database($db, $count) : zestrel_flood_in_file($count);
    } catch (Throwable $e) {
        zestrel_log('the flood limit cannot keep its counts, so this request goes on: ' . $e->getMessage());
        return 0;
    }
}

// The counts in the script's database, table zestrel_flood.
function zestrel_flood_in_database(mysqli $db, bool $count): int
{
    $now = time();
    $visitor = zestrel_visitor();
    $db->query('CREATE TABLE IF NOT EXISTS `zestrel_flood` (`visitor` VARCHAR(32) NOT NULL, `at` INT NOT NULL, '
        . 'KEY (`visitor`, `at`)) DEFAULT CHARSET=ascii');
    $db->query('DELETE FROM `zestrel_flood` WHERE `at` <= ' . ($now - 3600));
    $select = $db->prepare('SELECT `at` FROM `zestrel_flood` WHERE `visitor` = ? ORDER BY `at`');
    $select->execute([$visitor]);
    $times = array_map('intval', array_column($select->get_result()->fetch_all(), 0));
    $wait = zestrel_flood_wait($times, $now);
    if ($count && $wait === 0) {
        $db->prepare('INSERT INTO `zestrel_flood` (`visitor`, `at`) VALUES (?, ?)')->execute([$visitor, $now]);
    }
    return $wait;
}

// The counts in a file of the system's temporary folder, locked while read
// and written, for a script without a database.
function zestrel_flood_in_file(bool $count): int
{
    $now = time();
    $visitor = zestrel_visitor();
    $path = sys_get_temp_dir() . '/zestrel-flood-' . md5(__FILE__) . '.json';
    $file = @fopen($path, 'c+');
    if ($file === false) {
        throw new RuntimeException('cannot open ' . $path);
    }
    try {
        @chmod($path, 0600);
        if (!flock($file, LOCK_EX)) {
            throw new RuntimeException('cannot lock ' . $path);
        }
        $counts = json_decode((string) stream_get_contents($file), true);
        $kept = [];
        foreach (is_array($counts) ? $counts : [] as $who => $times) {
            $recent = array_values(array_filter((array) $times, fn ($at): bool => is_int($at) && $at > $now - 3600));
            if ($recent !== []) {
                $kept[$who] = $recent;
            }
        }
        $wait = zestrel_flood_wait($kept[$visitor] ?? [], $now);
        if ($count && $wait === 0) {
            $kept[$visitor][] = $now;
        }
        if (!ftruncate($file, 0) || !rewind($file) || fwrite($file, json_encode($kept)) === false || !fflush($file)) {
            throw new RuntimeException('cannot write ' . $path);
        }
        return $wait;
    } finally {
        flock($file, LOCK_UN);
        fclose($file);
    }
}

// The answer to a visitor over the flood limit: nothing happens.
function zestrel_too_often(int $wait): never
{
    header('Retry-After: ' . $wait);
    $minutes = (int) ceil($wait / 60);
    zestrel_message(429, 'There were too many requests from your address: please try again in ' . $minutes
        . ($minutes === 1 ? ' minute.' : ' minutes.'));
}
)php";

constexpr std::string_view kOwner = R"php(
// Whether the request came over HTTPS, to the server or to the proxy in front
// of it.
function zestrel_https(): bool
{
    return str_starts_with(zestrel_own_origin(), 'https://');
}

// Whether the request comes from this very machine, and not through a proxy.
function zestrel_from_this_machine(): bool
{
    $address = $_SERVER['REMOTE_ADDR'] ?? '';
    foreach (['HTTP_X_FORWARDED_FOR', 'HTTP_X_FORWARDED_PROTO', 'HTTP_X_FORWARDED_HOST', 'HTTP_FORWARDED'] as $proxy) {
        if (($_SERVER[$proxy] ?? '') !== '') {
            return false;
        }
    }
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
// toward the flood limit.
function zestrel_owner_only(): void
{
    header('Cache-Control: no-store');
    if (!zestrel_https() && !zestrel_from_this_machine()) {
        zestrel_message(403, 'This page is for the site\'s owner and opens over HTTPS only: use its address '
            . 'beginning with https://.');
    }
    [$user, $password] = zestrel_credentials();
    if ($user !== null) {
        $wait = zestrel_flood(false);
        if ($wait > 0) {
            zestrel_too_often($wait);
        }
        // Both are always compared, and password_verify takes as long for
        // any password: the time tells nothing about what was wrong.
        $passwordRight = password_verify($password, ZESTREL_OWNER_HASH);
        $userRight = hash_equals('owner', $user);
        if ($passwordRight && $userRight) {
            return;
        }
        zestrel_flood(true);
        zestrel_log('a wrong user name or owner password for the owner\'s page');
    }
    header('WWW-Authenticate: Basic realm="Zestrel owner", charset="UTF-8"');
    zestrel_message(401, 'This page is for the site\'s owner: sign in with the user name owner and the owner '
        . 'password.');
}
)php";

constexpr std::string_view kMail = R"php(
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

// The mail's text, one "name: value" line per field, quoted-printable. A line
// of a lone "." would end the message for some mail transports, and one that
// begins with "From " gets a ">" from others: both travel encoded.
function zestrel_mail_body(array $lines): string
{
    $text = '';
    foreach ($lines as [$name, $value]) {
        $text .= $name . ': ' . $value . "\r\n";
    }
    $encoded = quoted_printable_encode(preg_replace('/\r\n|\r|\n/', "\r\n", $text));
    // "=46rom" and a soft line break keep the line within 76 characters.
    return preg_replace(['/^\.(?=\r\n|$)/m', '/^From /m'], ['=2E', "=46rom=\r\n "], $encoded);
}
)php";

constexpr std::string_view kLengths = R"php(
// The columns whose values are longer than the table allows, counted as MySQL
// counts them: characters, blanks at the end included, and bytes for the
// columns limited in bytes. Columns the table does not have are left to MySQL.
function zestrel_too_long(mysqli $db, string $table, array $values): array
{
    $columns = $db->prepare('SELECT `COLUMN_NAME`, `CHARACTER_MAXIMUM_LENGTH`, `CHARACTER_OCTET_LENGTH` '
        . 'FROM information_schema.`COLUMNS` WHERE `TABLE_SCHEMA` = DATABASE() AND `TABLE_NAME` = ?');
    $columns->execute([$table]);
    $limits = [];
    foreach ($columns->get_result()->fetch_all() as [$name, $characters, $bytes]) {
        $limits[strtolower($name)] = [$characters, $bytes];
    }
    $long = [];
    foreach ($values as [$column, $value]) {
        [$characters, $bytes] = $limits[strtolower($column)] ?? [null, null];
        if (($characters !== null && preg_match_all('/./su', $value) > $characters)
            || ($bytes !== null && strlen($value) > $bytes)) {
            $long[] = $column;
        }
    }
    return $long;
}
)php";

constexpr std::string_view kRows = R"php(
// One row of an HTML table, of header cells (th) or data cells (td).
function zestrel_row(string $cell, array $values): void
{
    echo '<tr>';
    foreach ($values as $value) {
        echo '<', $cell, '>', zestrel_html((string) $value), '</', $cell, '>';
    }
    echo '</tr>', "\n";
}
)php";

} // namespace

void AppendBlock(Lines& out, std::string_view block)
{
    while (!block.empty()) {
        const std::size_t end = block.find('\n');
        out.emplace_back(block.substr(0, end));
        if (end == std::string_view::npos)
            break;
        block.remove_prefix(end + 1);
    }
}

PhpLine& PutValue(PhpLine& line, const Context& context, std::string_view box)
{
    const Value value = ResolveValue(box, context.fields);
    if (value.posted)
        return line.Code("$form[").String(value.text).Code("]");
    return line.String(value.text);
}

PhpLine& PutPostedKey(PhpLine& line, std::string_view field)
{
    if (KeptAsNamed(field))
        return line.String(field);
    const std::optional<std::string> key = PostedKey(field);
    return line.String(key ? std::string_view(*key) : field);
}

void AddHelperFunctions(const Context& context, Lines& out)
{
    const ScriptSettings& s = context.settings;
    AppendBlock(out, kPage);
    if (!context.fields.Empty() || context.Changes())
        AppendBlock(out, kPosted);
    if (context.Changes() || context.NeedsOwner())
        AppendBlock(out, kRequest);
    if (context.Changes())
        AppendBlock(out, kGuards);
    if (context.FormTasks() || context.NeedsOwner()) {
        AppendBlock(out, kFlood);
        out.emplace_back();
        out.emplace_back("// Where the flood limit keeps its counts: the script's database, if it has one.");
        out.emplace_back("function zestrel_flood_database(): ?mysqli");
        out.emplace_back("{");
        if (context.Connects()) {
            out.emplace_back("    global $db;");
            out.emplace_back("    $db = $db ?? zestrel_connect();");
            out.emplace_back("    return $db;");
        } else {
            out.emplace_back("    return null;");
        }
        out.emplace_back("}");
    }
    if (context.NeedsOwner()) {
        AppendBlock(out, kOwner);
        out.emplace_back();
        out.emplace_back("// The owner password, as a salted hash: the password itself is nowhere.");
        out.push_back("const ZESTREL_OWNER_HASH = " + PhpString(OwnerHash(s.ownerPassword)) + ";");
    }
    if (s.sendMail)
        AppendBlock(out, kMail);
    if (s.sendMail && s.smtp)
        AddSmtpFunctions(out);
    if (s.insertRecord)
        AppendBlock(out, kLengths);
    if (context.FormTasks() && !CheckedRules(context).empty())
        AddRuleFunctions(out);
    if (context.Displays())
        AppendBlock(out, kRows);
}

} // namespace scriptgen::safe
