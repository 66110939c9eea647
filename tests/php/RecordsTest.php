<?php
use PHPUnit\Framework\TestCase;

// The owner's records: a search text for LIKE, and a cell of the CSV export.
final class RecordsTest extends TestCase
{
    /** @dataProvider searches */
    public function testLike(string $text, string $like): void
    {
        $this->assertSame($like, zestrel_like($text));
    }

    public static function searches(): array
    {
        return [['', '%%'], ['Zoë', '%Zoë%'], ['100%', '%100!%%'], ['a_b', '%a!_b%'], ['!', '%!!%'],
            ["'\\", "%'\\%"]];
    }

    /** @dataProvider pages */
    public function testPageLinks(int $page, int $pages, array $links): void
    {
        $this->assertSame($links, zestrel_page_links($page, $pages));
    }

    public static function pages(): array
    {
        return [[1, 1, [1]], [1, 2, [1, 2]], [2, 2, [1, 2]], [1, 5, [1, 2, 3, 4, 5]], [1, 6, [1, 2, 3, 4, null, 6]],
            [5, 9, [1, 2, 3, 4, 5, 6, 7, 8, 9]], [6, 20000, [1, null, 3, 4, 5, 6, 7, 8, 9, null, 20000]],
            [20000, 20000, [1, null, 19997, 19998, 19999, 20000]]];
    }

    /** @dataProvider cells */
    public function testCsvCell(?string $value, string $cell): void
    {
        $this->assertSame($cell, zestrel_csv_cell($value));
    }

    public static function cells(): array
    {
        return [[null, '""'], ['', '""'], ['plain', '"plain"'], ['say "hi"', '"say ""hi"""'], ["a\r\nb", "\"a\r\nb\""],
            ['=1+1', '"\'=1+1"'], ['+31 20', '"\'+31 20"'], ['-2', '"\'-2"'], ['@SUM(A1)', '"\'@SUM(A1)"'],
            ["\tx", "\"'\tx\""], ["\rx", "\"'\rx\""], ['a=b', '"a=b"'], ['ünïcödé', '"ünïcödé"']];
    }
}
