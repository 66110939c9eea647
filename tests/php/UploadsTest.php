<?php
use PHPUnit\Framework\TestCase;

// A sent file's name as it is shown and mailed, its type against the field's
// accept, and the line a kept file is recorded by.
final class UploadsTest extends TestCase
{
    protected function tearDown(): void
    {
        $_FILES = [];
        unset($_SERVER['DOCUMENT_ROOT'], $_SERVER['CONTENT_LENGTH']);
        exec('rm -rf ' . escapeshellarg(dirname(ZESTREL_UPLOADS)));
    }

    /** @dataProvider names */
    public function testName(string $sent, string $shown): void
    {
        $this->assertSame($shown, zestrel_file_name($sent));
    }

    public static function names(): array
    {
        $long = str_repeat('é', 130) . '.pdf'; // 264 bytes
        $extension = '.' . str_repeat('x', 15); // the longest kept whole
        return [
            ['cv.pdf', 'cv.pdf'],
            ['../../x.php', 'x.php'],
            ['C:\\Users\\ann\\cv.pdf', 'cv.pdf'],
            ["in\u{202E}voice\u{2066}fdp.exe", 'invoicefdp.exe'],
            ["a\x00b\x1Fc\x7F\u{85}.txt", 'abc.txt'],
            ["\xFF.pdf", "\u{FFFD}.pdf"],
            ['  ', 'file'],
            [$long, str_repeat('é', 125) . '.pdf'],
            [str_repeat('a', 300) . $extension, str_repeat('a', 239) . $extension],
            [str_repeat('a', 300) . $extension . 'y', str_repeat('a', 255)],
            ['Lebenslauf Müller ✓.pdf', 'Lebenslauf Müller ✓.pdf'],
        ];
    }

    /** @dataProvider types */
    public function testType(string $name, string $type, string $accept, bool $taken): void
    {
        $this->assertSame($taken, zestrel_type_problem($name, $type, $accept) === '');
    }

    public static function types(): array
    {
        return [
            ['cv.pdf', 'application/pdf', '', true],
            ['cv.pdf', 'text/x-php', '', false],
            ['photo.JPG', 'image/jpeg', 'image/*', true],
            ['photo.jpg', 'text/x-php', 'image/*', false],
            ['photo.png', 'image/png', '.pdf, application/pdf', false],
            ['cv.pdf', 'application/pdf', ' .PDF ,image/*', true],
            ['scan.tiff', 'image/tiff', 'application/pdf, image/tiff', true],
            ['plan.dwg', 'application/octet-stream', '.dwg', true],
            ['plan.dwg', 'application/octet-stream', '.dxf', false],
            ['xpdf', 'application/pdf', '.pdf', false],
            ['xpdf', 'application/pdf', 'application/pdf', true],
            ['image.svg', 'image/svg+xml', 'image/png', false],
        ];
    }

    /** @dataProvider attachments */
    public function testAttachedWithin(array $sizes, int $largest, bool $attached): void
    {
        $files = array_map(static fn($size) => ['size' => $size, 'name' => 'f', 'type' => 'text/plain',
            'stored' => str_repeat('0', 32), 'path' => '/nonexistent'], $sizes);
        [$headers] = zestrel_with_files(['Content-Type' => 'text/plain'], 'text', $files, $largest);
        $this->assertSame($attached, str_starts_with($headers['Content-Type'], 'multipart/mixed'));
    }

    // ZESTREL_ATTACH_MOST is 1000 here; the message of files of 1000 bytes
    // takes 3,968 in all, by the estimate.
    public static function attachments(): array
    {
        return [
            [[1000], PHP_INT_MAX, true],
            [[1001], PHP_INT_MAX, false],
            [[500, 501], PHP_INT_MAX, false],
            [[1000], 3968, true],
            [[1000], 3967, false],
            [[], 1, false],
        ];
    }

    public function testUploadFolderOutsideTheSite(): void
    {
        $site = sys_get_temp_dir() . '/zestrel-site-' . bin2hex(random_bytes(4));
        mkdir($site . '/www', 0777, true);
        file_put_contents($site . '/file', '');
        $verdicts = [];
        foreach (['/kept', '/kept/', '/www', '/www/kept', '/www/../kept2', '/file'] as $folder) {
            $verdicts[] = zestrel_upload_check($site . $folder, $site . '/www')[0];
        }
        $this->assertSame([true, true, false, false, true, false], $verdicts);
        $this->assertTrue(is_dir($site . '/kept') && is_dir($site . '/www/kept'));
        exec('rm -rf ' . escapeshellarg($site));
    }

    /** @dataProvider drops */
    public function testFilesDropped(int $fewer, int $unexplained, bool $dropped): void
    {
        $kept = (int) ini_get('max_file_uploads') - $fewer;
        $_FILES = ['scans' => ['name' => array_fill(0, $kept, 'scan.pdf'), 'error' => array_fill(0, $kept, 0),
            'size' => array_fill(0, $kept, 10000), 'tmp_name' => array_fill(0, $kept, '/tmp/x')]];
        $_SERVER['CONTENT_LENGTH'] = $kept * (10000 + 150) + $unexplained;
        $this->assertSame($dropped, zestrel_files_dropped());
    }

    public static function drops(): array
    {
        // A post holding one more 10 KB file than PHP kept, against one
        // that held only what PHP kept.
        return [
            'as many as PHP keeps, all kept' => [0, 0, false],
            'as many as PHP keeps, one dropped' => [0, 10150, true],
            'fewer than PHP keeps' => [1, 10150, false],
        ];
    }

    public function testKeptLineReadsBack(): void
    {
        $file = ['name' => 'cv (final), 2 bytes, x.pdf', 'size' => 1234, 'type' => 'application/pdf',
            'stored' => str_repeat('0a', 16)];
        $this->assertSame($file, zestrel_kept_file(zestrel_kept_line($file)));
        $this->assertNull(zestrel_kept_file('cv.pdf (1 bytes, a/b, kept as ../../etc/passwd)'));
    }

    // The upload folder lies in the site here, so it is closed to the web
    // server before anything is kept.
    /** @dataProvider moves */
    public function testPostKeptWholeOrNotAtAll(int $failAt, int $kept): void
    {
        $_SERVER['DOCUMENT_ROOT'] = $site = dirname(ZESTREL_UPLOADS);
        ini_set('error_log', '/dev/null');
        mkdir($site);
        $sent = [$site . '/a', $site . '/b'];
        foreach ($sent as $tmp) {
            file_put_contents($tmp, '%PDF-1.4 ' . $tmp);
        }
        $_FILES = ['cv' => ['name' => ['a.pdf', 'b.pdf'], 'tmp_name' => $sent, 'error' => [0, 0], 'size' => [13, 13]]];
        $moves = 0;
        $move = static function (string $from, string $to) use (&$moves, $failAt): bool {
            return ++$moves !== $failAt && copy($from, $to);
        };
        try {
            $lines = explode("\n", zestrel_keep_files([['cv', 'cv']], $move)['cv']);
            $this->assertSame(['name' => 'b.pdf', 'size' => 13, 'type' => 'application/pdf'],
                array_slice(zestrel_kept_file($lines[1]), 0, 3));
        } catch (RuntimeException) {
            $this->assertNotSame(0, $failAt);
        }
        $this->assertSame("Require all denied\n", file_get_contents(ZESTREL_UPLOADS . '/.htaccess'));
        $files = glob(ZESTREL_UPLOADS . '/*');
        $this->assertCount($kept, $files);
        foreach ($files as $file) {
            $this->assertSame(0640, fileperms($file) & 0777);
        }
    }

    public static function moves(): array
    {
        return ['both kept' => [0, 2], 'the first fails' => [1, 0], 'the second fails' => [2, 0]];
    }
}
