<?php
// The flood limit: counts per visitor in the database or a private file.

// The flood limit: at most 5 counted requests a minute and 20 an hour from
// one address (one /64 for IPv6). Posts of the form count, and so do wrong
// sign-ins to the owner's pages, each apart.
const ZESTREL_PER_MINUTE = 5;
const ZESTREL_PER_HOUR = 20;
// The file of the counts keeps this many visitors at most, the latest, in
// far fewer bytes than this.
const ZESTREL_FLOOD_VISITORS = 10000;
const ZESTREL_FLOOD_BYTES = 4 * 1024 * 1024;

// How many seconds to wait, given the times of the counted requests of the
// last hour, oldest first; 0 when one more may come now.
function zestrel_flood_wait(array $times, int $now): int
{
    $minute = array_values(array_filter($times, fn (int $at): bool => $at > $now - 60));
    if (count($minute) >= ZESTREL_PER_MINUTE) {
        return $minute[count($minute) - ZESTREL_PER_MINUTE] + 60 - $now;
    }
    if (count($times) >= ZESTREL_PER_HOUR) {
        return $times[count($times) - ZESTREL_PER_HOUR] + 3600 - $now;
    }
    return 0;
}

// How many seconds this visitor must wait, 0 when the request may go on, or
// null when the counts cannot be kept, which the log says. With $count, a
// request that may go on is counted in the same step as the check, so that
// requests at the same moment cannot all pass. Posts and sign-ins are counted
// apart, so that posts from an address never lock its owner out.
function zestrel_flood(string $kind, bool $count): ?int
{
    try {
        return zestrel_flood_counts(($kind === 'sign-in' ? 's' : '') . zestrel_visitor(), $count ? 1 : 0);
    } catch (Throwable $e) {
        zestrel_log('the flood limit cannot keep its counts, so ' . ($kind === 'sign-in'
            ? 'the owner\'s pages are closed' : 'this request goes on') . ': ' . $e->getMessage());
        return null;
    }
}

// Takes back this visitor's last count: a right password is no attempt.
function zestrel_flood_forget(string $kind): void
{
    try {
        zestrel_flood_counts(($kind === 'sign-in' ? 's' : '') . zestrel_visitor(), -1);
    } catch (Throwable $e) {
        zestrel_log('the flood limit cannot take back a count: ' . $e->getMessage());
    }
}

// Checks the visitor's counts and changes them by $change: 1 counts this
// request if it may go on, -1 takes back the last count. The counts live in
// the script's database, else in a file.
function zestrel_flood_counts(string $visitor, int $change): int
{
    $db = zestrel_flood_database();
    return $db !== null ? zestrel_flood_in_database($db, $visitor, $change)
        : zestrel_flood_in_file($visitor, $change);
}

// The counts in the script's database, table zestrel_counts, under a lock of
// the visitor's own. Old counts go a hundred at a time, so that no request
// waits for many.
function zestrel_flood_in_database(mysqli $db, string $visitor, int $change): int
{
    $now = time();
    $db->query('CREATE TABLE IF NOT EXISTS `zestrel_counts` (`visitor` VARCHAR(40) NOT NULL, `at` INT NOT NULL, '
        . 'KEY `visitor` (`visitor`, `at`), KEY `at` (`at`)) DEFAULT CHARSET=ascii');
    $db->query('DELETE FROM `zestrel_counts` WHERE `at` <= ' . ($now - 3600) . ' LIMIT 100');
    $lock = $db->prepare('SELECT GET_LOCK(SHA1(CONCAT(\'zestrel_counts\', DATABASE(), ?)), 10)');
    $lock->execute([$visitor]);
    if ($lock->get_result()->fetch_row()[0] !== 1) {
        throw new RuntimeException('the counts stayed locked by other requests');
    }
    try {
        if ($change < 0) {
            $db->prepare('DELETE FROM `zestrel_counts` WHERE `visitor` = ? ORDER BY `at` DESC LIMIT 1')
                ->execute([$visitor]);
            return 0;
        }
        $select = $db->prepare('SELECT `at` FROM `zestrel_counts` WHERE `visitor` = ? AND `at` > ? ORDER BY `at`');
        $select->execute([$visitor, $now - 3600]);
        $times = array_map('intval', array_column($select->get_result()->fetch_all(), 0));
        $wait = zestrel_flood_wait($times, $now);
        if ($change > 0 && $wait === 0) {
            $db->prepare('INSERT INTO `zestrel_counts` (`visitor`, `at`) VALUES (?, ?)')->execute([$visitor, $now]);
        }
        return $wait;
    } finally {
        $db->prepare('DO RELEASE_LOCK(SHA1(CONCAT(\'zestrel_counts\', DATABASE(), ?)))')->execute([$visitor]);
    }
}

// The user this script runs as.
function zestrel_user(): int
{
    static $user = null;
    if ($user === null) {
        $probe = tmpfile();
        $user = function_exists('posix_geteuid') ? posix_geteuid() : ($probe !== false ? fstat($probe)['uid'] : -1);
        if ($probe !== false) {
            fclose($probe);
        }
    }
    return $user;
}

// Whether the path is a folder of this script's user that nobody else may
// enter, and not a link to one.
function zestrel_private_folder(string $path): bool
{
    $info = @lstat($path);
    return $info !== false && ($info['mode'] & 0170000) === 0040000 && $info['uid'] === zestrel_user()
        && ($info['mode'] & 0077) === 0;
}

// The folder of the counts, in the system's temporary folder, which other
// accounts of a shared host share: its name begins with what tells it is
// this script's and ends with a random part that nobody can guess or take
// first. A folder of that beginning is used only when it is this user's and
// closed to others, so nothing another account puts there is followed.
function zestrel_flood_folder(): string
{
    $prefix = rtrim(sys_get_temp_dir(), '/') . '/zestrel-' . md5(__FILE__) . '-';
    $found = glob($prefix . '*') ?: [];
    if (count($found) > 1000) {
        throw new RuntimeException('too many names beginning ' . $prefix . ' in the temporary folder');
    }
    foreach ($found as $folder) {
        if (zestrel_private_folder($folder)) {
            return $folder;
        }
    }
    $folder = $prefix . bin2hex(random_bytes(16));
    if (!@mkdir($folder, 0700) || !zestrel_private_folder($folder)) {
        throw new RuntimeException('cannot make a folder of its own in ' . sys_get_temp_dir());
    }
    return $folder;
}

// The counts in a file of the script's own folder, locked while read and
// written, for a script without a database. The file must be a plain file of
// this user's. It keeps the latest visitors only, and so never grows beyond a
// few megabytes; a larger one is no file of the counts and starts afresh.
function zestrel_flood_in_file(string $visitor, int $change): int
{
    $now = time();
    $path = zestrel_flood_folder() . '/counts.json';
    $info = @lstat($path);
    if ($info !== false && (($info['mode'] & 0170000) !== 0100000 || $info['uid'] !== zestrel_user())) {
        throw new RuntimeException($path . ' is not a plain file of this script\'s user');
    }
    $file = @fopen($path, 'c+');
    if ($file === false) {
        throw new RuntimeException('cannot open ' . $path);
    }
    try {
        if (!flock($file, LOCK_EX)) {
            throw new RuntimeException('cannot lock ' . $path);
        }
        $size = fstat($file)['size'];
        $counts = $size <= ZESTREL_FLOOD_BYTES ? json_decode((string) stream_get_contents($file), true) : null;
        if ($size > 0 && !is_array($counts)) {
            zestrel_log('the file of the flood counts was damaged or too large, so it starts afresh: ' . $path);
        }
        $counts = is_array($counts) ? $counts : [];
        $times = array_values(array_filter((array) ($counts[$visitor] ?? []),
            fn ($at): bool => is_int($at) && $at > $now - 3600));
        $wait = zestrel_flood_wait($times, $now);
        if ($change > 0 && $wait === 0) {
            $times[] = $now;
        } elseif ($change < 0) {
            array_pop($times);
        }
        unset($counts[$visitor]);
        if ($times !== []) {
            $counts[$visitor] = $times;
        }
        // Beyond the most visitors it keeps, those of the last hour stay, the
        // latest first, down to nine tenths of the most: the next thousand
        // new visitors then cost no sorting.
        if (count($counts) > ZESTREL_FLOOD_VISITORS) {
            $counts = array_filter($counts, fn ($kept): bool => is_array($kept) && end($kept) > $now - 3600);
            uasort($counts, fn (array $a, array $b): int => end($b) <=> end($a));
            $counts = array_slice($counts, 0, intdiv(ZESTREL_FLOOD_VISITORS * 9, 10), true);
        }
        if (!ftruncate($file, 0) || !rewind($file) || fwrite($file, json_encode($counts)) === false
            || !fflush($file)) {
            throw new RuntimeException('cannot write ' . $path);
        }
        return $wait;
    } finally {
        flock($file, LOCK_UN);
        fclose($file);
    }
}

// The answer to a visitor over the flood limit: nothing happens.
function zestrel_too_often(int $wait): never
{
    header('Retry-After: ' . $wait);
    $minutes = (int) ceil($wait / 60);
    zestrel_message(429, 'There were too many requests from your address: please try again in ' . $minutes
        . ($minutes === 1 ? ' minute.' : ' minutes.'));
}
