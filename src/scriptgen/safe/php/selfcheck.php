<?php
// The owner's self-check: whether this host can run this script, line by line.
// One line of the self-check: its verdict, what was looked at, and what to
// do about it.
function zestrel_check_line(?bool $good, string $what, string $todo = ''): void
{
    echo '<tr><td>', $good === null ? 'Note' : ($good ? 'Good' : '<strong>Problem</strong>'), '</td><td>',
        zestrel_html($what), '</td><td>', zestrel_html($todo), '</td></tr>', "\n";
}

// The columns of a table in the script's database: name => the most
// characters it holds (null where it is no text column). Empty when the
// table does not exist.
function zestrel_columns(mysqli $db, string $table): array
{
    $columns = $db->prepare('SELECT COLUMN_NAME, CHARACTER_MAXIMUM_LENGTH FROM information_schema.COLUMNS'
        . ' WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ?');
    $columns->execute([$table]);
    $found = [];
    foreach ($columns->get_result()->fetch_all() as [$name, $most]) {
        $found[$name] = $most === null ? null : (int) $most;
    }
    return $found;
}

// What a table lacks for this script: each missing column, and each text
// column shorter than the form's rule allows. $needed maps each column to
// the most characters the form allows in it (0: the rule sets no limit).
function zestrel_table_problems(array $found, array $needed): array
{
    $problems = [];
    foreach ($needed as $column => $most) {
        if (!array_key_exists($column, $found)) {
            $problems[] = 'it has no column ' . $column;
        } elseif ($most > 0 && $found[$column] !== null && $found[$column] < $most) {
            $problems[] = 'its column ' . $column . ' holds ' . $found[$column] . ' characters, but the form allows '
                . $most;
        }
    }
    return $problems;
}

// What to do after a test mail: where to look for it, or what its failure
// most likely means. A server that never answers is most often a port that
// the host blocks.
function zestrel_test_mail_advice(bool $sent, string $what): string
{
    if ($sent) {
        return 'Look for it in the recipient\'s inbox, and in its spam folder.';
    }
    return preg_match('/no answer|timed out/i', $what) === 1
        ? 'The host may block outgoing mail ports: ask it to open the port, or use its own mail server.'
        : 'Check the mail server\'s settings in the script.';
}

// The self-check page. $needs lists what PHP must offer: [present, what,
// what to do]. $tables maps each table the script uses to its columns (see
// zestrel_table_problems); $mail says how the mail goes, or is '' without
// mail; $test is what came of a test mail just sent, if any: [sent, what,
// the conversation with the mail server].
function zestrel_self_check(array $needs, bool $connects, array $tables, string $mail, ?array $test): never
{
    zestrel_page(200, 'Self-check');
    echo '<h1>Can this host run this script?</h1>', "\n", '<table border="1">', "\n";
    zestrel_row('th', ['Verdict', 'What', 'What to do']);
    zestrel_check_line(true, 'PHP ' . PHP_VERSION . ' runs this script.');
    foreach ($needs as [$present, $what, $todo]) {
        zestrel_check_line($present, $what, $present ? '' : $todo);
    }
    $db = null;
    // Without mysqli the line above already says what to do.
    if ($connects && class_exists('mysqli')) {
        try {
            $db = zestrel_db();
            zestrel_check_line(true, 'The database connection works.');
        } catch (Throwable $e) {
            zestrel_check_line(false, 'The database cannot be reached: ' . $e->getMessage(),
                'Check the host, user name, password and database of the script with your host\'s control panel.');
        }
    }
    foreach ($tables as $table => $needed) {
        if ($db === null) {
            break;
        }
        try {
            $found = zestrel_columns($db, $table);
            if ($found === []) {
                zestrel_check_line(false, 'The table ' . $table . ' does not exist.',
                    'Create it: with the script\'s Create step, or in your host\'s database tool.');
                continue;
            }
            $problems = zestrel_table_problems($found, $needed);
            zestrel_check_line($problems === [], 'The table ' . $table
                . ($problems === [] ? ' has the columns the script uses.' : ': ' . implode('; ', $problems) . '.'),
                $problems === [] ? '' : 'Add or widen those columns in your host\'s database tool (ALTER TABLE).');
        } catch (Throwable $e) {
            zestrel_check_line(false, 'The table ' . $table . ' cannot be looked at: ' . $e->getMessage());
        }
    }
    try {
        $where = zestrel_flood_database() !== null ? 'in the table zestrel_counts of the script\'s database'
            : 'in the private folder ' . zestrel_flood_folder();
        zestrel_check_line(true, 'The flood limit keeps its counts ' . $where . '.');
    } catch (Throwable $e) {
        zestrel_check_line(false, 'The flood limit cannot keep its counts: ' . $e->getMessage(),
            'Ask your host for a temporary folder PHP may write to, or give the script a database.');
    }
    if (defined('ZESTREL_TEMPLATE')) {
        $framed = zestrel_template() !== null;
        zestrel_check_line($framed, 'The page template ' . ZESTREL_TEMPLATE
            . ($framed ? ' surrounds the script\'s pages.' : ' cannot be used: the error log says why.'),
            $framed ? '' : 'Upload the page beside the script (or name its whole path), as UTF-8, with '
                . ZESTREL_TEMPLATE_MARK . ' where the script\'s text goes.');
    }
    if (defined('ZESTREL_UPLOADS')) {
        zestrel_check_line(...zestrel_upload_check(ZESTREL_UPLOADS, (string) ($_SERVER['DOCUMENT_ROOT'] ?? '')));
    }
    if ($mail !== '') {
        zestrel_check_line(null, 'Mail goes ' . $mail . '.');
    }
    if ($test !== null) {
        [$sent, $what] = $test;
        zestrel_check_line($sent, $what, zestrel_test_mail_advice($sent, $what));
    }
    echo '</table>', "\n";
    if (($test[2] ?? []) !== []) {
        echo '<p>The conversation with the mail server:</p>', "\n", '<pre>', zestrel_html(implode("\n", $test[2])),
            '</pre>', "\n";
    }
    if ($mail !== '') {
        echo '<form method="post" action="?check"><input type="hidden" name="zestrel_test_mail" value="1">',
            '<button type="submit">Send a test mail</button></form>', "\n";
    }
    zestrel_end_page();
}
