<?php
// Test-only stand-ins for the legacy mysql_* functions that generated scripts
// call and that PHP 7 removed. Loaded with auto_prepend_file by the
// end-to-end tests; it is never part of the program or its output.
//
// Each function maps one to one onto mysqli, keeping the legacy behaviour the
// scripts rely on: one implicit link (the last one opened), false on failure
// instead of exceptions, and mysql_error() reporting the last failure.

mysqli_report(MYSQLI_REPORT_OFF);

$GLOBALS['__mysql_bridge_link'] = null;

// Like the legacy function, the server may carry a port ("host:port") or a
// socket path ("localhost:/path/to/socket").
function mysql_connect($server = null, $username = null, $password = null)
{
    $host = $server;
    $port = null;
    $socket = null;
    if ($server !== null && ($colon = strrpos($server, ':')) !== false) {
        $host = substr($server, 0, $colon);
        $rest = substr($server, $colon + 1);
        if ($rest !== '' && $rest[0] === '/') {
            $socket = $rest;
        } else {
            $port = (int) $rest;
        }
    }
    $link = mysqli_connect($host, $username, $password, null, $port, $socket);
    if ($link === false) {
        return false;
    }
    $GLOBALS['__mysql_bridge_link'] = $link;
    return $link;
}

function __mysql_bridge_link($link)
{
    return $link ?? $GLOBALS['__mysql_bridge_link'];
}

function mysql_select_db($database, $link = null)
{
    $link = __mysql_bridge_link($link);
    return $link ? mysqli_select_db($link, $database) : false;
}

function mysql_query($query, $link = null)
{
    $link = __mysql_bridge_link($link);
    return $link ? mysqli_query($link, $query) : false;
}

// The legacy function returned false, not null, after the last row.
function mysql_fetch_array($result, $type = MYSQLI_BOTH)
{
    if (!($result instanceof mysqli_result)) {
        return false;
    }
    return mysqli_fetch_array($result, $type) ?? false;
}

function mysql_error($link = null)
{
    $link = __mysql_bridge_link($link);
    return $link ? mysqli_error($link) : (string) mysqli_connect_error();
}
