<?php
// The values too long for their columns, and why a record was not stored.

// The values too long for their columns, each a line of the page that asks
// the visitor to shorten it. MySQL counts characters (an emoji is one), blanks
// at the end included, and bytes where the column is limited in bytes; the
// page names the most characters that always fit, and counts as MySQL does.
// Columns the table does not have are left to MySQL.
function zestrel_too_long(mysqli $db, string $table, array $values): array
{
    $columns = $db->prepare('SELECT c.`COLUMN_NAME`, c.`CHARACTER_MAXIMUM_LENGTH`, c.`CHARACTER_OCTET_LENGTH`, '
        . 's.`MAXLEN` FROM information_schema.`COLUMNS` c LEFT JOIN information_schema.`CHARACTER_SETS` s '
        . 'ON s.`CHARACTER_SET_NAME` = c.`CHARACTER_SET_NAME` WHERE c.`TABLE_SCHEMA` = DATABASE() '
        . 'AND c.`TABLE_NAME` = ?');
    $columns->execute([$table]);
    $limits = [];
    foreach ($columns->get_result()->fetch_all() as [$name, $characters, $bytes, $perCharacter]) {
        $limits[strtolower($name)] = [$characters, $bytes, (int) $perCharacter];
    }
    $problems = [];
    foreach ($values as [$column, $value, $label]) {
        [$characters, $bytes, $perCharacter] = $limits[strtolower($column)] ?? [null, null, 0];
        $length = preg_match_all('/./su', $value);
        // A character set of one byte a character (latin1) stores each
        // character in one byte; the others, and binary columns, as many
        // bytes as UTF-8 takes.
        $size = $perCharacter === 1 ? $length : strlen($value);
        if (($characters !== null && $length > $characters) || ($bytes !== null && $size > $bytes)) {
            $most = min($characters ?? PHP_INT_MAX,
                $bytes === null ? PHP_INT_MAX : intdiv($bytes, max(1, $perCharacter)));
            $problems[] = $label . ': please shorten it to ' . $most . ' characters or fewer (it has ' . $length
                . ').';
        }
    }
    return $problems;
}

// Why the record was not stored, in plain words for the owner's mail: never
// a password, nor a posted value.
function zestrel_unstored(Throwable $e, string $table): string
{
    $code = $e instanceof mysqli_sql_exception ? $e->getCode() : 0;
    if (in_array($code, [2002, 2003, 2005, 2006, 2013], true)) {
        return 'the database server could not be reached';
    }
    if ($code === 1045) {
        return 'the database server refused the script\'s user name or password';
    }
    if ($code === 1044 || $code === 1049) {
        return 'the database does not exist, or the script\'s user may not use it';
    }
    if ($code === 1146) {
        return 'the table ' . $table . ' does not exist';
    }
    if ($code === 1054) {
        return 'the table ' . $table . ' lacks a column the script stores into';
    }
    if ($code === 1142) {
        return 'the script\'s user may not store records in the table ' . $table;
    }
    if ($code === 1062) {
        return 'the table ' . $table . ' holds a record with the same unique value already';
    }
    return 'the database refused it, and the server\'s error log says why';
}
