<?php
// The posted values: valid UTF-8, list fields joined, each cleaned as a browser sends its type.

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

// A posted value as a browser sends it for the field's type: a one-line field
// holds no line break, and an e-mail address or web address no blanks around
// it. The form's rules check this value, and it is what is stored and
// mailed. A field of no known type (typed by hand) is taken as it comes.
function zestrel_clean(string $type, bool $multiple, string $value): string
{
    if (in_array($type, ['', 'textarea', 'hidden', 'select', 'radio', 'checkbox'], true)) {
        return $value;
    }
    $value = str_replace(["\r", "\n"], '', $value);
    if ($type === 'email' || $type === 'url') {
        $value = trim($value, " \t\f");
    }
    if ($type === 'email' && $multiple) {
        $value = preg_replace('/[ \t\f]*,[ \t\f]*/', ',', $value);
    }
    return $value;
}
