<?php
// Posts that may not change anything: from another site, or without the form's fields.

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
        if (isset($_POST[$key]) || isset($_FILES[$key])) {
            return true;
        }
    }
    return false;
}

// The bytes that a size in php.ini stands for, such as 8M or 512K.
function zestrel_ini_bytes(string $size): int
{
    if (function_exists('ini_parse_quantity')) {
        return @ini_parse_quantity($size);
    }
    $size = trim($size);
    $number = (int) $size;
    return match (strtolower(substr($size, -1))) {
        'g' => $number * 1073741824,
        'm' => $number * 1048576,
        'k' => $number * 1024,
        default => $number,
    };
}

// Answers a post larger than post_max_size, of which PHP keeps no field, with
// 413 and the limit in MB, and ends the script; any other post goes on.
function zestrel_refuse_too_large(): void
{
    $limit = zestrel_ini_bytes((string) ini_get('post_max_size'));
    $length = (int) ($_SERVER['CONTENT_LENGTH'] ?? 0);
    if ($limit <= 0 || $length <= $limit) {
        return;
    }
    zestrel_log('a post of ' . $length . ' bytes was larger than post_max_size (' . $limit
        . ' bytes), so PHP dropped all of it');
    $most = $limit >= 1048576 ? round($limit / 1048576, 1) . ' MB' : (int) ceil($limit / 1024) . ' KB';
    zestrel_message(413, 'The form was not sent: it holds more than this server takes, at most ' . $most
        . '. Please go back, make it shorter, and send it again.');
}
