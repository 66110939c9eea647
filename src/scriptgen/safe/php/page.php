<?php
// The page: escaping, the headers of every answer, its start and end, the error log.
// Text for the page, HTML's special characters escaped.
function zestrel_html(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
}

// The style of every page: readable on a phone and a desktop, in the
// system's own sans-serif font.
const ZESTREL_STYLE = 'body{font-family:system-ui,-apple-system,"Segoe UI",Roboto,sans-serif;line-height:1.5;'
    . 'max-width:60rem;margin:1.5rem auto;padding:0 1rem;color:#1a1a1a;background:#fff}'
    . 'h1{font-size:1.5rem;margin:0 0 1rem}table{border-collapse:collapse;margin:1rem 0}'
    . 'th,td{border:1px solid #ccc;padding:.3rem .6rem;text-align:left;vertical-align:top}th{background:#f3f3f3}'
    . 'li{margin:.3rem 0}input,button{font:inherit}';

// The Content-Security-Policy of every answer: nothing but the page's own
// style (by its hash), and whatever `$more` allows. A page of the site that
// surrounds the script's pages brings its style sheets, images and fonts
// from the site, and its own <style> elements by their hashes; its scripts
// do not run.
function zestrel_policy(string $more = ''): string
{
    $styles = "'sha256-" . base64_encode(hash('sha256', ZESTREL_STYLE, true)) . "'";
    $site = '';
    if (defined('ZESTREL_TEMPLATE') && ($template = zestrel_template()) !== null) {
        $styles = "'self'" . $template[2];
        $site = "; img-src 'self' data:; font-src 'self'";
    }
    return "default-src 'none'; frame-ancestors 'none'; form-action 'self'; base-uri 'none'; style-src " . $styles
        . $site . $more;
}

// The headers of every answer: no other site may show the page in a frame,
// the browser takes its type as sent, and other sites are not told its
// address.
function zestrel_headers(): void
{
    header('X-Frame-Options: DENY');
    header('Content-Security-Policy: ' . zestrel_policy());
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
    if (defined('ZESTREL_TEMPLATE') && ($template = zestrel_template()) !== null) {
        // The site's page up to its mark, under this page's title.
        echo preg_replace_callback('~<title\b[^>]*>.*?</title\s*>~is',
            static fn() => '<title>' . zestrel_html($title) . '</title>', $template[0], 1), "\n";
        return;
    }
    echo '<!DOCTYPE html>', "\n", '<html><head><meta charset="utf-8">',
        '<meta name="viewport" content="width=device-width, initial-scale=1"><title>', zestrel_html($title),
        '</title><style>', ZESTREL_STYLE, '</style></head><body>', "\n";
}

// Ends the page and the script.
function zestrel_end_page(): never
{
    $template = defined('ZESTREL_TEMPLATE') ? zestrel_template() : null;
    echo $template === null ? '</body></html>' : $template[1], "\n";
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
