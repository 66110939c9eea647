<?php
// A page of the site around the script's own pages.

// The mark in the site's page where the script's pages go.
const ZESTREL_TEMPLATE_MARK = '<!-- zestrel -->';

// The site's page that surrounds every page of the script: the text before
// its mark, the text after it, and the hashes of its own <style> elements
// for the Content-Security-Policy. Null, and one log line, when the page
// cannot be read, has no mark or is not UTF-8: the built-in page stands in.
function zestrel_template(): ?array
{
    static $parts = false;
    if ($parts !== false) {
        return $parts;
    }
    $parts = null;
    $path = str_starts_with(ZESTREL_TEMPLATE, '/') ? ZESTREL_TEMPLATE : __DIR__ . '/' . ZESTREL_TEMPLATE;
    $text = is_file($path) ? @file_get_contents($path, false, null, 0, 1 << 20) : false;
    $at = is_string($text) ? strpos($text, ZESTREL_TEMPLATE_MARK) : false;
    if ($text === false || $at === false || preg_match('//u', $text) !== 1) {
        zestrel_log('the page template ' . ZESTREL_TEMPLATE . ' ' . ($text === false ? 'cannot be read'
            : ($at === false ? 'has no mark ' . ZESTREL_TEMPLATE_MARK : 'is not UTF-8'))
            . ': the script\'s own page was shown instead');
        return null;
    }
    $hashes = '';
    preg_match_all('~<style\b[^>]*>(.*?)</style\s*>~is', $text, $styles);
    foreach (array_unique($styles[1]) as $style) {
        $hashes .= " 'sha256-" . base64_encode(hash('sha256', $style, true)) . "'";
    }
    return $parts = [substr($text, 0, $at), substr($text, $at + strlen(ZESTREL_TEMPLATE_MARK)), $hashes];
}
