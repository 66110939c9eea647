<?php
// The files a form sends: checked as its rules ask, kept under names nobody can guess.

// What each extension's content is, as PHP's fileinfo names it: a file whose
// content is none of these is not what its name says.
const ZESTREL_FILE_CONTENTS = [
    'pdf' => ['application/pdf'],
    'jpg' => ['image/jpeg'], 'jpeg' => ['image/jpeg'], 'png' => ['image/png'], 'gif' => ['image/gif'],
    'webp' => ['image/webp'], 'heic' => ['image/heic', 'image/heif'], 'tif' => ['image/tiff'], 'tiff' => ['image/tiff'],
    'txt' => ['text/plain'], 'csv' => ['text/csv', 'text/plain', 'application/csv'],
    'doc' => ['application/msword', 'application/CDFV2', 'application/vnd.ms-office'],
    'xls' => ['application/vnd.ms-excel', 'application/CDFV2', 'application/vnd.ms-office'],
    'docx' => ['application/vnd.openxmlformats-officedocument.wordprocessingml.document', 'application/zip'],
    'xlsx' => ['application/vnd.openxmlformats-officedocument.spreadsheetml.sheet', 'application/zip'],
    'odt' => ['application/vnd.oasis.opendocument.text', 'application/zip'],
    'ods' => ['application/vnd.oasis.opendocument.spreadsheet', 'application/zip'],
    'zip' => ['application/zip'],
];

// A file's name as the visitor's computer gave it, fit to show and to mail:
// no folder part, no control character or change of writing direction (which
// can make "invoice\u{202E}fdp.exe" read as "invoiceexe.pdf"), valid UTF-8
// of at most 255 bytes.
function zestrel_file_name(string $name): string
{
    $name = zestrel_utf8($name);
    $name = preg_replace('~^.*[/\\\\]~su', '', $name);
    $name = preg_replace('/[\x{0}-\x{1F}\x{7F}-\x{9F}\x{61C}\x{200E}\x{200F}\x{202A}-\x{202E}\x{2066}-\x{2069}]/u', '', $name);
    $name = trim($name);
    if (strlen($name) > 255) {
        // Shortened before its extension, which says what the file is.
        $dot = strrpos($name, '.');
        $extension = $dot !== false && strlen($name) - $dot <= 16 ? substr($name, $dot) : '';
        $name = substr($name, 0, 255 - strlen($extension));
        while (preg_match('//u', $name) !== 1) {
            $name = substr($name, 0, -1);
        }
        $name .= $extension;
    }
    return $name === '' ? 'file' : $name;
}

// A number of bytes as people read it.
function zestrel_size(int $bytes): string
{
    if ($bytes >= 1048576) {
        return round($bytes / 1048576, 1) . ' MB';
    }
    return $bytes >= 1024 ? round($bytes / 1024, 1) . ' KB' : $bytes . ($bytes === 1 ? ' byte' : ' bytes');
}

// The files of a file field as PHP received them, each with name, tmp_name,
// error and size; the empty part a browser sends for no file is left out.
function zestrel_file_entries(string $key): array
{
    $field = $_FILES[$key] ?? null;
    if (!is_array($field) || !isset($field['error'], $field['name'], $field['tmp_name'], $field['size'])) {
        return [];
    }
    // The name as the browser sent it, before PHP's own basename of it, which
    // depends on the server's locale: zestrel_file_name takes the last part.
    $field['name'] = $field['full_path'] ?? $field['name'];
    $entries = [];
    foreach (is_array($field['error']) ? array_keys($field['error']) : [null] as $at) {
        $entry = [];
        foreach (['name', 'tmp_name', 'error', 'size'] as $part) {
            $entry[$part] = $at === null ? $field[$part] : ($field[$part][$at] ?? null);
        }
        // Deeper names (a[b][c]) are no file field of this form.
        if (is_array($entry['error']) || (int) $entry['error'] === UPLOAD_ERR_NO_FILE) {
            continue;
        }
        $entry['error'] = (int) $entry['error'];
        $entry['size'] = (int) $entry['size'];
        $entry['name'] = zestrel_file_name((string) $entry['name']);
        $entries[] = $entry;
    }
    return $entries;
}

// The type of a file's content, as PHP's fileinfo reads it.
function zestrel_file_type(string $path): string
{
    $type = (new finfo(FILEINFO_MIME_TYPE))->file($path);
    return is_string($type) && $type !== '' ? $type : 'application/octet-stream';
}

// What is wrong with a file's type for the field's accept (".pdf, image/*"),
// or '' when nothing is. A file must be what its name says, and one of the
// kinds the field takes by its extension or by its content.
function zestrel_type_problem(string $name, string $type, string $accept): string
{
    $dot = strrpos($name, '.');
    $extension = $dot === false ? '' : strtolower(substr($name, $dot + 1));
    $expected = ZESTREL_FILE_CONTENTS[$extension] ?? null;
    if ($expected !== null && !in_array($type, $expected, true)) {
        return 'its content is not what its name says (.' . $extension . '): please choose the file itself.';
    }
    $kinds = array_filter(array_map(static fn($kind) => strtolower(trim($kind)), explode(',', $accept)));
    if ($kinds === []) {
        return '';
    }
    foreach ($kinds as $kind) {
        $taken = str_starts_with($kind, '.') ? $extension !== '' && $kind === '.' . $extension
            : (str_ends_with($kind, '/*') ? str_starts_with($type, substr($kind, 0, -1)) : $kind === $type);
        if ($taken) {
            return '';
        }
    }
    return 'please choose a file of the kind asked for (' . implode(', ', $kinds) . ').';
}

// The most bytes a file may have: the rule's, or PHP's own limit when that
// is smaller.
function zestrel_file_limit(array $rule): int
{
    $php = zestrel_ini_bytes((string) ini_get('upload_max_filesize'));
    return $php > 0 ? min($rule['maxbytes'], $php) : $rule['maxbytes'];
}

// What is wrong with the files of a file field, in plain words, or '' when
// nothing is. A failure of the server itself gives the failure page.
function zestrel_file_problem(array $rule, string $key): string
{
    $entries = zestrel_file_entries($key);
    if ($entries === []) {
        return $rule['required'] ? 'please choose a file.' : '';
    }
    $most = $rule['multiple'] ? $rule['maxfiles'] : 1;
    if (count($entries) > $most) {
        return $most === 1 ? 'please choose one file only.'
            : 'please choose at most ' . $most . ' files (you chose ' . count($entries) . ').';
    }
    $limit = zestrel_file_limit($rule);
    foreach ($entries as $entry) {
        $name = $entry['name'];
        switch ($entry['error']) {
            case UPLOAD_ERR_OK:
                break;
            case UPLOAD_ERR_INI_SIZE:
            case UPLOAD_ERR_FORM_SIZE:
                return $name . ' is too large: please choose a file of at most ' . zestrel_size($limit) . '.';
            case UPLOAD_ERR_PARTIAL:
                return $name . ' arrived only in part: please send the form again.';
            default:
                $reasons = [UPLOAD_ERR_NO_TMP_DIR => 'PHP has no temporary folder (upload_tmp_dir)',
                    UPLOAD_ERR_CANT_WRITE => 'PHP could not write it to its temporary folder',
                    UPLOAD_ERR_EXTENSION => 'a PHP extension stopped it'];
                zestrel_log('a file of the form could not be received: '
                    . ($reasons[$entry['error']] ?? 'upload error ' . $entry['error']));
                zestrel_failed();
        }
        if ($entry['size'] > $limit) {
            return $name . ' is too large (' . zestrel_size($entry['size']) . '): please choose a file of at most '
                . zestrel_size($limit) . '.';
        }
        if ($entry['size'] === 0) {
            return $name . ' is empty: please choose the file itself.';
        }
        $problem = zestrel_type_problem($name, zestrel_file_type($entry['tmp_name']), $rule['accept']);
        if ($problem !== '') {
            return $name . ': ' . $problem;
        }
    }
    return '';
}

// PHP drops the files beyond max_file_uploads with no word to the script.
// Where it kept that many, the request's length tells whether more came: a
// post longer than the parts PHP kept can fill held a file it dropped.
function zestrel_files_dropped(): bool
{
    $most = (int) ini_get('max_file_uploads');
    $parts = 0;
    $explained = 512;
    foreach ($_FILES as $field) {
        foreach (['error', 'size', 'name'] as $part) {
            $values = (array) ($field[$part] ?? []);
            array_walk_recursive($values, static function ($value) use ($part, &$parts, &$explained) {
                $parts += $part === 'error' ? 1 : 0;
                $explained += $part === 'error' ? 200 : ($part === 'size' ? (int) $value : strlen((string) $value));
            });
        }
    }
    if ($most <= 0 || $parts < $most) {
        return false;
    }
    $posted = $_POST;
    array_walk_recursive($posted, static function ($value, $key) use (&$explained) {
        $explained += 200 + 2 * strlen((string) $key) + strlen((string) $value);
    });
    return (int) ($_SERVER['CONTENT_LENGTH'] ?? 0) > $explained;
}

// How a kept file is written in the record and the mail, and read back.
function zestrel_kept_line(array $file): string
{
    return $file['name'] . ' (' . $file['size'] . ' bytes, ' . $file['type'] . ', kept as ' . $file['stored'] . ')';
}

function zestrel_kept_file(string $line): ?array
{
    if (preg_match('/^(.+) \((\d+) bytes, ([^,]+), kept as ([0-9a-f]{32})\)$/Du', $line, $parts) !== 1) {
        return null;
    }
    return ['name' => $parts[1], 'size' => (int) $parts[2], 'type' => $parts[3], 'stored' => $parts[4]];
}

// Whether the folder lies inside the web site's document folder $root,
// where the web server could hand its files to anyone.
function zestrel_inside_site(string $folder, string $root): bool
{
    $root = $root === '' ? false : realpath($root);
    $real = realpath($folder);
    return $root !== false && $real !== false
        && ($real === $root || str_starts_with($real, rtrim($root, '/') . '/'));
}

// Whether the upload folder can keep the files, for the owner's self-check:
// [verdict, what was found, what to do].
function zestrel_upload_check(string $folder, string $root): array
{
    $folder = rtrim($folder, '/\\');
    if (!is_dir($folder) && !@mkdir($folder, 0750, true) && !is_dir($folder)) {
        return [false, 'The upload folder ' . $folder . ' does not exist, and PHP cannot make it.',
            'Create it on the server, writable by the user PHP runs as, or correct the upload folder of the script.'];
    }
    if (!is_writable($folder)) {
        return [false, 'PHP cannot write to the upload folder ' . $folder . '.',
            'Let the user PHP runs as write to it, in your host\'s file manager or control panel.'];
    }
    if (zestrel_inside_site($folder, $root)) {
        return [false, 'The upload folder ' . $folder . ' lies inside the web site, where the web server may hand '
            . 'the files to anyone who guesses a name.', 'Choose a folder outside the site\'s document folder '
            . $root . ', such as one beside it. Until then a deny-all .htaccess there keeps Apache from serving '
            . 'them where it reads .htaccess files.'];
    }
    return [true, 'The files the form sends are kept in ' . $folder . ', outside the web site.'];
}

// The upload folder, made when it is missing. Inside the site's document
// folder the web server could hand the files out: there it gets a deny-all
// .htaccess, and the log says to move it.
function zestrel_upload_folder(): string
{
    $folder = rtrim(ZESTREL_UPLOADS, '/\\');
    if (!is_dir($folder) && !@mkdir($folder, 0750, true) && !is_dir($folder)) {
        throw new RuntimeException('the upload folder ' . $folder . ' is missing and cannot be made');
    }
    if (zestrel_inside_site($folder, (string) ($_SERVER['DOCUMENT_ROOT'] ?? ''))) {
        $deny = $folder . '/.htaccess';
        if (!is_file($deny) && file_put_contents($deny, "Require all denied\n") === false) {
            throw new RuntimeException('the upload folder ' . $folder . ' lies inside the web site and cannot be closed to it');
        }
        zestrel_log('the upload folder ' . $folder . ' lies inside the web site\'s document folder: move it outside');
    }
    return $folder;
}

// Keeps the checked files of the post in the upload folder, each under 16
// random bytes in hex with no extension, readable by the script's user and
// group only, and gives each field's files as the record and the mail name
// them. When one cannot be kept, none is. $move is PHP's own unless a test
// stands in for it.
function zestrel_keep_files(array $fields, ?callable $move = null): array
{
    $move ??= move_uploaded_file(...);
    $folder = zestrel_upload_folder();
    $kept = [];
    $paths = [];
    try {
        foreach ($fields as [$field, $key]) {
            $lines = [];
            foreach (zestrel_file_entries($key) as $entry) {
                $stored = bin2hex(random_bytes(16));
                $path = $folder . '/' . $stored;
                $type = zestrel_file_type($entry['tmp_name']);
                if (!$move($entry['tmp_name'], $path)) {
                    throw new RuntimeException('a file could not be moved into the upload folder ' . $folder);
                }
                $paths[] = $path;
                chmod($path, 0640);
                $lines[] = zestrel_kept_line(['name' => $entry['name'], 'size' => $entry['size'], 'type' => $type,
                    'stored' => $stored]);
            }
            $kept[$field] = implode("\n", $lines);
        }
    } catch (Throwable $e) {
        foreach ($paths as $path) {
            @unlink($path);
        }
        throw $e;
    }
    return $kept;
}

// The kept files a mail carries: those of the values given, in their order.
function zestrel_mailed_files(array $values): array
{
    $files = [];
    foreach ($values as $value) {
        foreach (explode("\n", $value) as $line) {
            $file = zestrel_kept_file($line);
            if ($file !== null) {
                $file['path'] = rtrim(ZESTREL_UPLOADS, '/\\') . '/' . $file['stored'];
                $files[] = $file;
            }
        }
    }
    return $files;
}

// A file's name in a Content-Disposition: as plain ASCII for old mail
// programs, and whole as RFC 2231 writes UTF-8.
function zestrel_disposition_name(string $name): string
{
    $plain = preg_replace('/[^\x20-\x7E]|["\\\\]/', '_', $name);
    return 'filename="' . $plain . '"; filename*=UTF-8\'\'' . rawurlencode($name);
}

// The mail's headers and body with the files attached after the text, each
// in base64 read from its file part by part as the mail goes out, so that a
// large file never sits in memory whole. When the files hold more than
// ZESTREL_ATTACH_MOST bytes, or the whole message, encoded, more than the
// $largest the mail server takes, the files stay only listed in the text,
// with a note that says why.
function zestrel_with_files(array $headers, string $body, array $files, int $largest): array
{
    if ($files === []) {
        return [$headers, [$body]];
    }
    $total = array_sum(array_column($files, 'size'));
    $estimate = strlen($body) + 2048;
    foreach ($files as $file) {
        $estimate += intdiv($file['size'] + 56, 57) * 78 + 512;
    }
    if ($total > ZESTREL_ATTACH_MOST || $estimate > $largest) {
        $why = $total > ZESTREL_ATTACH_MOST
            ? 'together they hold ' . zestrel_size($total) . ', more than the ' . zestrel_size(ZESTREL_ATTACH_MOST)
                . ' a mail may carry'
            : 'with them the mail would hold about ' . zestrel_size($estimate) . ', more than the '
                . zestrel_size($largest) . ' the mail server takes';
        $note = "\r\nThe files are not attached: " . $why . '. They are kept on the server, as listed above.' . "\r\n";
        return [$headers, [$body . quoted_printable_encode($note)]];
    }
    $boundary = 'zestrel-' . bin2hex(random_bytes(12));
    unset($headers['Content-Transfer-Encoding']);
    $headers['Content-Type'] = 'multipart/mixed; boundary="' . $boundary . '"';
    return [$headers, zestrel_mail_parts($body, $files, $boundary)];
}

function zestrel_mail_parts(string $body, array $files, string $boundary): Generator
{
    yield '--' . $boundary . "\r\nContent-Type: text/plain; charset=UTF-8\r\n"
        . "Content-Transfer-Encoding: quoted-printable\r\n\r\n" . $body . "\r\n";
    foreach ($files as $file) {
        $type = preg_match('~^[A-Za-z0-9.+-]+/[A-Za-z0-9.+-]+$~D', $file['type']) === 1 ? $file['type']
            : 'application/octet-stream';
        yield '--' . $boundary . "\r\nContent-Type: " . $type . "\r\nContent-Disposition: attachment; "
            . zestrel_disposition_name($file['name']) . "\r\nContent-Transfer-Encoding: base64\r\n\r\n";
        $handle = fopen($file['path'], 'rb');
        if ($handle === false) {
            throw new RuntimeException('the kept file ' . $file['stored'] . ' could not be read for the mail');
        }
        try {
            // 57 bytes make one line of 76 in base64.
            while (($chunk = fread($handle, 57 * 1024)) !== false && $chunk !== '') {
                yield chunk_split(base64_encode($chunk), 76, "\r\n");
            }
        } finally {
            fclose($handle);
        }
    }
    yield '--' . $boundary . "--\r\n";
}

// A kept file for the owner: always downloaded, never shown in the browser,
// and found only by a stored name of the script's own making. The name it is
// saved under is cleaned like any sent name.
function zestrel_download(string $stored, string $name): never
{
    $path = rtrim(ZESTREL_UPLOADS, '/\\') . '/' . $stored;
    if (preg_match('/^[0-9a-f]{32}$/D', $stored) !== 1 || !is_file($path)) {
        zestrel_message(404, 'There is no such file: it may have been deleted.');
    }
    header('Content-Type: application/octet-stream');
    header('Content-Disposition: attachment; ' . zestrel_disposition_name(zestrel_file_name($name)));
    header('Content-Length: ' . filesize($path));
    header('X-Content-Type-Options: nosniff');
    header('Content-Security-Policy: sandbox');
    header('Cache-Control: private, no-store');
    readfile($path);
    exit;
}
