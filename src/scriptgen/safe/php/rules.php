<?php
// The form's rules, checked as a browser checks them.

// A text's length as a browser counts it: UTF-16 code units, and a line break
// once, though the browser posts it as CR LF.
function zestrel_units(string $text): int
{
    $text = preg_replace('/\r\n?/', "\n", $text);
    return preg_match_all('/./su', $text) + preg_match_all('/[\x{10000}-\x{10FFFF}]/u', $text);
}

// HTML's valid e-mail address.
function zestrel_is_email(string $text): bool
{
    $label = '[a-zA-Z0-9](?:[a-zA-Z0-9-]{0,61}[a-zA-Z0-9])?';
    return preg_match('/^[a-zA-Z0-9.!#$%&\'*+\/=?^_`{|}~-]+@' . $label . '(?:\.' . $label . ')*$/D', $text) === 1;
}

// An absolute URL as a browser takes one in a url field: it has a scheme,
// and for the web's own schemes a host that parses (no character a host
// cannot hold, a bracketed IPv6 address or a dotted number within range) and
// a port up to 65535. Browsers take spaces and odd characters elsewhere, and
// any text after another scheme ("mailto:", "tel:").
function zestrel_is_url(string $text): bool
{
    $text = str_replace(["\t", "\n", "\r"], '', trim($text, " \t\n\r\f"));
    if (preg_match('/^([a-zA-Z][a-zA-Z0-9+.-]*):(.*)$/Ds', $text, $parts) !== 1) {
        return false;
    }
    if (!in_array(strtolower($parts[1]), ['http', 'https', 'ws', 'wss', 'ftp'], true)) {
        return true;
    }
    $authority = preg_split('~[/\\\\?#]~', ltrim($parts[2], '/\\'), 2)[0];
    $at = strrpos($authority, '@');
    if (preg_match('/^(\[[^\]]*\]|[^:\[\]]*)(?::([0-9]*))?$/D', $at === false ? $authority : substr($authority, $at + 1), $host) !== 1
        || (int) ($host[2] ?? '') > 65535) {
        return false;
    }
    if (str_starts_with($host[1], '[')) {
        return filter_var(substr($host[1], 1, -1), FILTER_VALIDATE_IP, FILTER_FLAG_IPV6) !== false;
    }
    $name = rawurldecode($host[1]);
    if ($name === '' || preg_match('/%(?![0-9a-fA-F]{2})/', $host[1]) === 1
        || preg_match('~[\x00/<>^|%\\\\#?@\[\]:]~', $name) === 1) {
        return false;
    }
    return zestrel_is_ipv4_or_name($name);
}

// A host that ends in a number is an IPv4 address of up to four dotted
// numbers, each decimal, octal (0...) or hexadecimal (0x...), the last one
// filling the bytes the others leave.
function zestrel_is_ipv4_or_name(string $name): bool
{
    $labels = explode('.', strlen($name) > 1 && str_ends_with($name, '.') ? substr($name, 0, -1) : $name);
    if (preg_match('/^(?:0[xX][0-9a-fA-F]*|[0-9]+)$/D', end($labels)) !== 1) {
        return true;
    }
    if (count($labels) > 4) {
        return false;
    }
    foreach ($labels as $i => $label) {
        if (preg_match('/^0[xX]([0-9a-fA-F]*)$/D', $label, $digits) === 1) {
            $number = hexdec('0' . $digits[1]);
        } elseif (preg_match('/^0([0-7]*)$/D', $label, $digits) === 1) {
            $number = octdec('0' . $digits[1]);
        } elseif (preg_match('/^[1-9][0-9]*$/D', $label) === 1) {
            $number = (float) $label;
        } else {
            return false;
        }
        if ($number > ($i === count($labels) - 1 ? 256 ** (5 - count($labels)) - 1 : 255)) {
            return false;
        }
    }
    return true;
}

// A number as HTML writes one, as a whole number and how many decimal
// places it is shifted by; null for anything else.
function zestrel_decimal(string $text): ?array
{
    if (preg_match('/^(-?)([0-9]*)(?:\.([0-9]+))?(?:[eE]([-+]?[0-9]{1,3}))?$/D', $text, $m) !== 1
        || ($m[2] === '' && ($m[3] ?? '') === '') || !is_finite((float) $text)) {
        return null;
    }
    $fraction = $m[3] ?? '';
    return [$m[1] . ($m[2] . $fraction), strlen($fraction) - (int) ($m[4] ?? 0)];
}

// Whether value - base is a whole number of steps, on the numbers exactly as
// written, as the browser reckons; far beyond a form's numbers, in floats.
function zestrel_on_step(array $value, array $base, array $step): bool
{
    $scale = max($value[1], $base[1], $step[1], 0);
    $whole = fn (array $n): string => $n[0] . str_repeat('0', $scale - $n[1]);
    [$v, $b, $s] = [$whole($value), $whole($base), $whole($step)];
    if (max(strlen($v), strlen($b), strlen($s)) > 17) {
        $steps = ((float) $v - (float) $b) / (float) $s;
        return abs($steps - round($steps)) < 1e-9;
    }
    return ((int) $v - (int) $b) % (int) $s === 0;
}

// A date, month, week, time or date and time as HTML writes it, as a whole
// number of the type's unit (days, months, days, milliseconds,
// milliseconds); null when it is none.
function zestrel_moment(string $type, string $text): ?int
{
    // Browsers take years from 1 to 275760; a longer number is no year.
    if (preg_match('/^([0-9]{4,})/', $text, $year) === 1 && (strlen($year[1]) > 6 || (int) $year[1] > 275760)) {
        return null;
    }
    $days = function (int $y, int $m, int $d): ?int {
        if ($y < 1 || $m < 1 || $m > 12 || $d < 1 || $d > zestrel_month_days($y, $m)) {
            return null;
        }
        $y -= $m <= 2 ? 1 : 0;
        $era = intdiv($y, 400);
        $yoe = $y - $era * 400;
        $doy = intdiv(153 * ($m + ($m > 2 ? -3 : 9)) + 2, 5) + $d - 1;
        return $era * 146097 + $yoe * 365 + intdiv($yoe, 4) - intdiv($yoe, 100) + $doy - 719468;
    };
    $time = function (string $text): ?int {
        if (preg_match('/^([01][0-9]|2[0-3]):([0-5][0-9])(?::([0-5][0-9])(?:\.([0-9]{1,3}))?)?$/D', $text, $t) !== 1) {
            return null;
        }
        return ((int) $t[1] * 3600 + (int) $t[2] * 60 + (int) ($t[3] ?? 0)) * 1000
            + (int) str_pad($t[4] ?? '0', 3, '0');
    };
    switch ($type) {
    case 'date':
        return preg_match('/^([0-9]{4,})-([0-9]{2})-([0-9]{2})$/D', $text, $p) === 1
            ? $days((int) $p[1], (int) $p[2], (int) $p[3]) : null;
    case 'month':
        return preg_match('/^([0-9]{4,})-([0-9]{2})$/D', $text, $p) === 1 && (int) $p[1] > 0 && (int) $p[2] >= 1
            && (int) $p[2] <= 12 ? ((int) $p[1] - 1970) * 12 + (int) $p[2] - 1 : null;
    case 'week':
        if (preg_match('/^([0-9]{4,})-W([0-9]{2})$/D', $text, $p) !== 1 || (int) $p[1] < 1) {
            return null;
        }
        $january4 = $days((int) $p[1], 1, 4);
        $monday = $january4 - (($january4 + 3) % 7 + 7) % 7;
        $next = $days((int) $p[1] + 1, 1, 4);
        $weeks = intdiv($next - (($next + 3) % 7 + 7) % 7 - $monday, 7);
        return (int) $p[2] >= 1 && (int) $p[2] <= $weeks ? $monday + ((int) $p[2] - 1) * 7 : null;
    case 'time':
        return $time($text);
    case 'datetime-local':
        if (preg_match('/^([0-9]{4,})-([0-9]{2})-([0-9]{2})[T ](.+)$/D', $text, $p) !== 1) {
            return null;
        }
        $day = $days((int) $p[1], (int) $p[2], (int) $p[3]);
        $ms = $time($p[4]);
        return $day === null || $ms === null ? null : $day * 86400000 + $ms;
    }
    return null;
}

function zestrel_month_days(int $year, int $month): int
{
    $leap = ($year % 4 === 0 && $year % 100 !== 0) || $year % 400 === 0;
    return [31, $leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31][$month - 1];
}

// The problems of the posted values with the form's rules, each a sentence
// that begins with the field's name on the form.
function zestrel_rule_problems(array $fields): array
{
    $problems = [];
    foreach ($fields as [$label, $key, $rule]) {
        $problem = $rule['type'] === 'file' ? zestrel_file_problem($rule, $key)
            : zestrel_rule_problem($rule, $_POST[$key] ?? null);
        if ($problem !== '') {
            $problems[] = $label . ': ' . $problem;
        }
    }
    return $problems;
}

// What is wrong with the posted value of a field for its rules, in plain
// words, or '' when nothing is.
function zestrel_rule_problem(array $rule, $posted): string
{
    $type = $rule['type'];
    if (in_array($type, ['select', 'radio', 'checkbox'], true)) {
        return zestrel_choice_problem($rule, $posted);
    }
    if (is_array($posted)) {
        return 'please give one value, not several.';
    }
    // What a browser makes of a value before it checks it, which is also what
    // is stored and mailed.
    $value = zestrel_clean($type, $rule['multiple'], zestrel_utf8((string) ($posted ?? '')));
    if ($value === '') {
        return $rule['required'] && !in_array($type, ['hidden', 'range', 'color'], true) ? 'please fill this in.' : '';
    }
    if ($type === 'number' || $type === 'range') {
        return zestrel_number_problem($rule, $value);
    }
    if (in_array($type, ['date', 'month', 'week', 'time', 'datetime-local'], true)) {
        return zestrel_moment_problem($rule, $value);
    }
    if ($type === 'color') {
        return preg_match('/^#[0-9a-fA-F]{6}$/D', $value) === 1 ? '' : 'please choose a colour.';
    }
    if ($type === 'hidden') {
        return '';
    }
    $items = $type === 'email' && $rule['multiple'] ? explode(',', $value) : [$value];
    if ($type === 'email') {
        foreach ($items as $item) {
            if (!zestrel_is_email($item)) {
                return count($items) > 1 || $rule['multiple']
                    ? 'please give e-mail addresses separated by commas.'
                    : 'please give an e-mail address, such as name@example.com.';
            }
        }
    }
    if ($type === 'url' && !zestrel_is_url($value)) {
        return 'please give a whole web address, such as https://example.com/.';
    }
    if ($rule['pattern'] !== null && $type !== 'textarea') {
        foreach ($items as $item) {
            // Only a match lets the value through: a pattern PCRE gives up on
            // (too much backtracking) refuses it too.
            $matched = @preg_match($rule['pattern'], $item);
            if ($matched === false) {
                static $logged = false;
                if (!$logged) {
                    $logged = true;
                    zestrel_log('a value was refused, as PHP could not check it against the pattern '
                        . $rule['pattern'] . ': ' . preg_last_error_msg());
                }
            }
            if ($matched !== 1) {
                // The form's own hint for the pattern, as browsers show it.
                return isset($rule['title']) ? 'please write it in the form the page asks for: ' . rtrim($rule['title'], '. ') . '.'
                    : 'please write it in the form the page asks for.';
            }
        }
    }
    $units = zestrel_units($value);
    if ($rule['maxlength'] !== null && $units > $rule['maxlength']) {
        return 'please shorten it to ' . $rule['maxlength'] . ' characters or fewer (it has ' . $units . ').';
    }
    if ($rule['minlength'] !== null && $units < $rule['minlength']) {
        return 'please lengthen it to ' . $rule['minlength'] . ' characters or more (it has ' . $units . ').';
    }
    return '';
}

function zestrel_number_problem(array $rule, string $value): string
{
    $number = zestrel_decimal($value);
    if ($number === null) {
        return 'please enter a number.';
    }
    $range = $rule['type'] === 'range';
    $min = zestrel_decimal($rule['min'] ?? '') ?? ($range ? ['0', 0] : null);
    $max = zestrel_decimal($rule['max'] ?? '') ?? ($range ? ['100', 0] : null);
    if ($min !== null && zestrel_below($number, $min)) {
        return 'please enter ' . ($rule['min'] ?? '0') . ' or more.';
    }
    if ($max !== null && zestrel_below($max, $number)) {
        return 'please enter ' . ($rule['max'] ?? '100') . ' or less.';
    }
    if (strtolower($rule['step'] ?? '') === 'any') {
        return '';
    }
    $step = zestrel_decimal($rule['step'] ?? '');
    if ($step === null || (float) ($rule['step']) <= 0) {
        $step = ['1', 0];
    }
    return zestrel_on_step($number, $min ?? ['0', 0], $step)
        ? '' : 'please enter a number that fits the steps of ' . ($rule['step'] ?? '1') . '.';
}

// Whether a is below b, exactly.
function zestrel_below(array $a, array $b): bool
{
    $scale = max($a[1], $b[1], 0);
    $x = $a[0] . str_repeat('0', $scale - $a[1]);
    $y = $b[0] . str_repeat('0', $scale - $b[1]);
    return max(strlen($x), strlen($y)) > 17 ? (float) $x < (float) $y : (int) $x < (int) $y;
}

function zestrel_moment_problem(array $rule, string $value): string
{
    $type = $rule['type'];
    $names = ['date' => 'date', 'month' => 'month', 'week' => 'week', 'time' => 'time',
        'datetime-local' => 'date and time'];
    $moment = zestrel_moment($type, $value);
    if ($moment === null) {
        return 'please enter a valid ' . $names[$type] . '.';
    }
    $min = zestrel_moment($type, $rule['min'] ?? '');
    $max = zestrel_moment($type, $rule['max'] ?? '');
    if ($min !== null && $moment < $min) {
        return 'please enter ' . $rule['min'] . ' or later.';
    }
    if ($max !== null && $moment > $max) {
        return 'please enter ' . $rule['max'] . ' or earlier.';
    }
    if (strtolower($rule['step'] ?? '') === 'any') {
        return '';
    }
    // The step in the type's unit: days, months, weeks or seconds.
    $units = ['date' => 1, 'month' => 1, 'week' => 7, 'time' => 1000, 'datetime-local' => 1000];
    $steps = ['date' => 1, 'month' => 1, 'week' => 1, 'time' => 60, 'datetime-local' => 60];
    $step = zestrel_decimal($rule['step'] ?? '');
    $given = $step !== null && (float) $rule['step'] > 0 ? (float) $rule['step'] : $steps[$type];
    $size = $given * $units[$type];
    $base = $min ?? ($type === 'week' ? -3 : 0);
    $count = ($moment - $base) / $size;
    return abs($count - round($count)) < 1e-9 ? '' : 'please enter a ' . $names[$type] . ' that fits its steps.';
}

// A choice of a select, radio buttons or check boxes.
function zestrel_choice_problem(array $rule, $posted): string
{
    if (is_array($posted) && !$rule['multiple']) {
        return 'please choose only one.';
    }
    $values = [];
    if (is_array($posted)) {
        array_walk_recursive($posted, function ($value) use (&$values): void {
            $values[] = zestrel_utf8((string) $value);
        });
    } elseif ($posted !== null) {
        $values = [zestrel_utf8((string) $posted)];
    }
    if ($rule['choices'] !== []) {
        foreach ($values as $value) {
            if (!in_array($value, $rule['choices'], true)) {
                return '"' . $value . '" is not one of its choices.';
            }
        }
    }
    $missing = $values === [] || ($rule['type'] === 'select' && !$rule['multiple'] && $values === ['']);
    if ($rule['required'] && $missing) {
        return $rule['type'] === 'checkbox' && !$rule['multiple'] ? 'please tick it.' : 'please choose one.';
    }
    return '';
}
