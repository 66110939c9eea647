<?php
// The owner's records: pages of fifty, newest first, a search, and the export as CSV.
// How many records a page of the owner's records shows.
const ZESTREL_RECORDS_PER_PAGE = 50;

// A text for LIKE that matches itself anywhere in a value: LIKE's own
// characters (and the escape character '!') are escaped.
function zestrel_like(string $text): string
{
    return '%' . strtr($text, ['!' => '!!', '%' => '!%', '_' => '!_']) . '%';
}

// One cell of a CSV file: in double quotes, each double quote doubled, and a
// text that a spreadsheet would run as a formula made plain text by a
// leading apostrophe.
function zestrel_csv_cell(?string $value): string
{
    $value ??= '';
    if ($value !== '' && strpbrk($value[0], "=+-@\t\r") !== false) {
        $value = "'" . $value;
    }
    return '"' . str_replace('"', '""', $value) . '"';
}

// A text of the request's address, or '' when it is missing or not a text.
function zestrel_query(string $name): string
{
    $value = $_GET[$name] ?? '';
    return is_string($value) ? $value : '';
}

// The address of this script with the given query.
function zestrel_here(array $query): string
{
    $query = array_filter($query, static fn($value) => $value !== '' && $value !== 1);
    return '?' . http_build_query($query, '', '&amp;', PHP_QUERY_RFC3986);
}

// The pages to link to from page $page of $pages: the first, the last, and
// the three on either side of this one, with null where pages are left out,
// so that a table of any size has a short list.
function zestrel_page_links(int $page, int $pages): array
{
    $near = array_unique([1, ...range(max(1, $page - 3), min($pages, $page + 3)), $pages]);
    sort($near);
    $links = [];
    foreach ($near as $n) {
        if ($links !== [] && $n > end($links) + 1) {
            $links[] = null;
        }
        $links[] = $n;
    }
    return $links;
}

// The records of a table for the owner. $columns maps each shown column to
// its heading. Without the table, the page says so and, when $offer is set,
// shows the button of the owner's tasks, which creates it; with the table,
// that button stands only when $always is set.
function zestrel_records(mysqli $db, string $table, array $columns, bool $offer, bool $always): void
{
    $have = $db->prepare('SELECT COLUMN_NAME FROM information_schema.COLUMNS'
        . ' WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ?');
    $have->execute([$table]);
    $existing = array_column($have->get_result()->fetch_all(), 0);
    if ($existing === []) {
        zestrel_page(200, 'Records');
        echo '<h1>', zestrel_html('Records of ' . $table), '</h1>', "\n";
        echo '<p>', zestrel_html('The table ' . $table . ' does not exist yet.'), '</p>', "\n";
        if ($offer) {
            zestrel_owner_button();
        }
        return;
    }
    // The id and the time of arrival, where the table has them, come first.
    $shown = [];
    foreach (['id' => 'No.', 'received' => 'Received'] as $name => $heading) {
        if (in_array($name, $existing, true) && !isset($columns[$name])) {
            $shown[$name] = $heading;
        }
    }
    $shown += $columns;
    $quoted = array_map(static fn($name) => '`' . str_replace('`', '``', $name) . '`', array_keys($shown));
    $q = zestrel_query('q');
    $where = '';
    $params = [];
    if ($q !== '') {
        $where = ' WHERE ' . implode(' OR ', array_map(static fn($c) => $c . " LIKE ? ESCAPE '!'", $quoted));
        $params = array_fill(0, count($quoted), zestrel_like($q));
    }
    $from = ' FROM `' . str_replace('`', '``', $table) . '`' . $where;
    $order = in_array('id', $existing, true) ? ' ORDER BY `id` DESC' : '';
    $select = 'SELECT ' . implode(', ', $quoted) . $from . $order;
    if (zestrel_query('export') === 'csv') {
        zestrel_export($db, $table, $select, $params, array_values($shown));
    }

    zestrel_page(200, 'Records');
    echo '<h1>', zestrel_html('Records of ' . $table), '</h1>', "\n";
    if ($always) {
        zestrel_owner_button();
    }
    $count = $db->prepare('SELECT COUNT(*)' . $from);
    $count->execute($params);
    $total = (int) $count->get_result()->fetch_row()[0];
    $pages = max(1, intdiv($total + ZESTREL_RECORDS_PER_PAGE - 1, ZESTREL_RECORDS_PER_PAGE));
    $page = min($pages, max(1, (int) zestrel_query('page')));

    echo '<form method="get"><input type="search" name="q" value="', zestrel_html($q),
        '" aria-label="Search the records"> <button type="submit">Search</button></form>', "\n";
    echo '<p>', $total === 1 ? '1 record' : $total . ' records', $q === '' ? '' : ' found',
        ' &middot; <a href="', zestrel_here(['export' => 'csv', 'q' => $q]), '">Export as CSV</a></p>', "\n";
    if ($total > 0) {
        $rows = $db->prepare($select . ' LIMIT ' . ZESTREL_RECORDS_PER_PAGE . ' OFFSET '
            . ($page - 1) * ZESTREL_RECORDS_PER_PAGE);
        $rows->execute($params);
        // Each record with a number can be deleted from its row.
        $id = array_search('id', array_keys($shown), true);
        echo '<table border="1">', "\n";
        zestrel_row('th', $id === false ? array_values($shown) : [...array_values($shown), '']);
        foreach ($rows->get_result()->fetch_all() as $row) {
            echo '<tr>';
            foreach ($row as $value) {
                echo '<td>', zestrel_cell((string) $value), '</td>';
            }
            if ($id !== false) {
                echo '<td><a href="', zestrel_here(['delete' => (string) $row[$id]]), '">Delete</a></td>';
            }
            echo '</tr>', "\n";
        }
        echo '</table>', "\n";
    }
    if ($pages > 1) {
        echo '<p>Pages:';
        foreach (zestrel_page_links($page, $pages) as $n) {
            echo ' ', $n === null ? '&hellip;' : ($n === $page ? '<strong>' . $n . '</strong>'
                : '<a href="' . zestrel_here(['page' => $n, 'q' => $q]) . '">' . $n . '</a>');
        }
        echo '</p>', "\n";
    }
}

// A cell of the records as HTML: its text, or for a file field its files,
// each a link that downloads it, with its size.
function zestrel_cell(string $value): string
{
    $files = $value !== '' && function_exists('zestrel_kept_file')
        ? array_map('zestrel_kept_file', explode("\n", $value)) : [null];
    if (in_array(null, $files, true)) {
        return nl2br(zestrel_html($value), false);
    }
    $links = [];
    foreach ($files as $file) {
        $links[] = '<a href="' . zestrel_here(['file' => $file['stored'], 'name' => $file['name']]) . '">'
            . zestrel_html($file['name']) . '</a> (' . zestrel_size($file['size']) . ')';
    }
    return implode('<br>', $links);
}

// The records as a CSV file (RFC 4180, UTF-8 with a byte-order mark so that
// spreadsheets read accents right), streamed row by row as the server sends
// them, so a table of any size fits in PHP's memory.
function zestrel_export(mysqli $db, string $table, string $select, array $params, array $headings): never
{
    $rows = $db->prepare($select);
    $rows->execute($params);
    $values = array_fill(0, count($headings), null);
    $bound = [];
    foreach ($values as $i => $unused) {
        $bound[] = &$values[$i];
    }
    $rows->bind_result(...$bound);
    $name = preg_replace('/[^A-Za-z0-9_-]+/', '_', $table) . '-' . date('Y-m-d') . '.csv';
    header('Content-Type: text/csv; charset=UTF-8');
    header('Content-Disposition: attachment; filename="' . $name . '"');
    echo "\xEF\xBB\xBF", implode(',', array_map('zestrel_csv_cell', $headings)), "\r\n";
    while ($rows->fetch()) {
        echo implode(',', array_map(static fn($v) => zestrel_csv_cell($v === null ? null : (string) $v), $values)),
            "\r\n";
    }
    exit;
}

// The deletion of one record by its number, for the owner: a visit asks
// first, showing the record; only a post from this site deletes it.
function zestrel_delete(mysqli $db, string $table, array $columns): never
{
    $id = zestrel_query('delete');
    if (preg_match('/^[1-9][0-9]{0,18}$/D', $id) !== 1) {
        zestrel_message(404, 'There is no such record.');
    }
    $back = '<p><a href="' . zestrel_here([]) . '">Back to the records</a></p>';
    $name = '`' . str_replace('`', '``', $table) . '`';
    if (($_SERVER['REQUEST_METHOD'] ?? 'GET') === 'POST') {
        if (zestrel_from_other_site()) {
            zestrel_message(403, 'This form can only be sent from the pages of its own site.');
        }
        $delete = $db->prepare('DELETE FROM ' . $name . ' WHERE `id` = ?');
        $delete->execute([$id]);
        $deleted = $delete->affected_rows > 0;
        zestrel_page($deleted ? 200 : 404, $deleted ? 'Deleted' : 'Not found');
        echo '<p>', zestrel_html($deleted ? 'Record ' . $id . ' was deleted.' : 'There is no record ' . $id . '.'),
            '</p>', "\n", $back, "\n";
        zestrel_end_page();
    }
    $quoted = array_map(static fn($c) => '`' . str_replace('`', '``', $c) . '`', array_keys($columns));
    $select = $db->prepare('SELECT ' . implode(', ', $quoted) . ' FROM ' . $name . ' WHERE `id` = ?');
    $select->execute([$id]);
    $row = $select->get_result()->fetch_row();
    if ($row === null) {
        zestrel_page(404, 'Not found');
        echo '<p>', zestrel_html('There is no record ' . $id . '.'), '</p>', "\n", $back, "\n";
        zestrel_end_page();
    }
    zestrel_page(200, 'Delete a record');
    echo '<h1>', zestrel_html('Delete record ' . $id . ' of ' . $table . '?'), '</h1>', "\n", '<table border="1">', "\n";
    foreach (array_values($columns) as $i => $heading) {
        echo '<tr><th>', zestrel_html($heading), '</th><td>', nl2br(zestrel_html((string) $row[$i]), false),
            '</td></tr>', "\n";
    }
    echo '</table>', "\n", '<form method="post" action="', zestrel_here(['delete' => $id]),
        '"><button type="submit">Delete it for good</button></form>', "\n", $back, "\n";
    zestrel_end_page();
}
