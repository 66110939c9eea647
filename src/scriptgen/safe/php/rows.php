<?php
// One row of an HTML table.

// One row of an HTML table, of header cells (th) or data cells (td).
function zestrel_row(string $cell, array $values): void
{
    echo '<tr>';
    foreach ($values as $value) {
        echo '<', $cell, '>', zestrel_html((string) $value), '</', $cell, '>';
    }
    echo '</tr>', "\n";
}
