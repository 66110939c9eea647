<?php
use PHPUnit\Framework\TestCase;

// Lengths: as a browser counts a field's text (UTF-16 units, a line break
// once), and as MySQL counts a column's (characters, and bytes where the
// column is limited in bytes).
final class LengthTest extends TestCase
{
    /** @dataProvider texts */
    public function testBrowserUnits(string $text, int $units): void
    {
        $this->assertSame($units, zestrel_units($text));
    }

    public static function texts(): array
    {
        return [['', 0], ['abc', 3], ['é', 1], ["e\u{301}", 2], ['€', 1], ['😀', 2], ['a😀b', 4],
            ["a\r\nb", 3], ["a\rb", 3], ["a\n\nb", 4], ["a\r\n\r\nb", 4]];
    }

    /** @dataProvider columns */
    public function testTooLongForColumn(array $column, string $value, bool $tooLong): void
    {
        $result = $this->createStub(mysqli_result::class);
        $result->method('fetch_all')->willReturn([$column]);
        $statement = $this->createStub(mysqli_stmt::class);
        $statement->method('get_result')->willReturn($result);
        $db = $this->createStub(mysqli::class);
        $db->method('prepare')->willReturn($statement);
        $this->assertCount($tooLong ? 1 : 0, zestrel_too_long($db, 'people', [['name', $value, 'Name']]));
    }

    public static function columns(): array
    {
        // COLUMN_NAME, CHARACTER_MAXIMUM_LENGTH, CHARACTER_OCTET_LENGTH, the character set's MAXLEN.
        $utf8mb4 = ['Name', 5, 20, 4];
        $binary = ['name', 4, 4, null];
        $latin1 = ['name', 3, 3, 1];
        return [[$utf8mb4, 'abcde', false], [$utf8mb4, 'abcdef', true], [$utf8mb4, '😀😀😀😀😀', false],
            [$utf8mb4, 'ééééé', false], [$utf8mb4, 'abcd ', false], [$utf8mb4, 'abcde ', true],
            [$binary, 'éé', false], [$binary, 'ééé', true], [$binary, 'abcde', true], [$latin1, 'abc', false],
            [$latin1, 'abcd', true], [$latin1, 'éüß', false], [$latin1, 'éüßa', true], [['other', 1, 1, 1], 'abcdef', false], [['name', null, null, null], 'abc', false]];
    }
}
