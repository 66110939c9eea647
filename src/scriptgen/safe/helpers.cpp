#include "scriptgen/postedname.h"
#include "scriptgen/safe/php.h"
#include "scriptgen/safe/sections.h"

namespace scriptgen::safe {

namespace {

// The PHP functions a safe script may call. They hold no text from the
// window: the script passes that in as literals.

constexpr std::string_view kPage = R"php(// Text for the page, HTML's special characters escaped.
function zestrel_html(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
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

// Tells the site's owner what went wrong, in the server's error log; the
// visitor never sees it.
function zestrel_log(string $text): void
{
    error_log(basename(__FILE__) . ': ' . $text);
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

constexpr std::string_view kPostGuards = R"php(
// Whether the browser says the post comes from a page of another site.
function zestrel_from_other_site(): bool
{
    $site = $_SERVER['HTTP_SEC_FETCH_SITE'] ?? '';
    if ($site !== '') {
        return $site === 'cross-site';
    }
    $origin = $_SERVER['HTTP_ORIGIN'] ?? '';
    if ($origin === '') {
        return false;
    }
    $host = preg_replace('/:\d+$/', '', $_SERVER['HTTP_HOST'] ?? '');
    return strcasecmp((string) parse_url($origin, PHP_URL_HOST), (string) $host) !== 0;
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

constexpr std::string_view kMail = R"php(
// One e-mail address, or '' when the text is not exactly one valid address.
function zestrel_address(string $text): string
{
    $address = filter_var(trim($text), FILTER_VALIDATE_EMAIL);
    return is_string($address) ? $address : '';
}

// Text for a mail header: control characters (line breaks among them) become
// blanks, and text that is not short plain ASCII is encoded (RFC 2047).
function zestrel_header_text(string $text): string
{
    $text = preg_replace('/[\x00-\x1F\x7F]+/', ' ', zestrel_utf8($text));
    if (preg_match('/^[\x20-\x7E]{0,70}$/D', $text) === 1) {
        return $text;
    }
    preg_match_all('/.{1,10}/su', $text, $chunks);
    $words = [];
    foreach ($chunks[0] as $chunk) {
        $words[] = '=?UTF-8?B?' . base64_encode($chunk) . '?=';
    }
    return implode("\r\n ", $words);
}

// The mail's text, one "name: value" line per field, quoted-printable.
function zestrel_mail_body(array $lines): string
{
    $text = '';
    foreach ($lines as [$name, $value]) {
        $text .= $name . ': ' . $value . "\r\n";
    }
    return quoted_printable_encode(preg_replace('/\r\n|\r|\n/', "\r\n", $text));
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

} // namespace

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
    if (context.Changes())
        AppendBlock(out, kPostGuards);
    if (s.sendMail)
        AppendBlock(out, kMail);
    if (context.Displays())
        AppendBlock(out, kRows);
}

} // namespace scriptgen::safe
