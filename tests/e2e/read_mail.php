<?php
// Prints a mail as captured from PHP's mail(), decoded: each header on a line
// of its own ("Name: value", folding undone, encoded words decoded), an empty
// line, then the quoted-printable text decoded. A mail with attachments
// (multipart/mixed) ends with one line per attachment: "Attachment: " and its
// UTF-8 file name, its type and its content in hexadecimal, blank-separated.
$message = stream_get_contents(STDIN);
[$head, $body] = explode("\r\n\r\n", $message, 2) + ['', ''];
$headers = iconv_mime_decode_headers($head, 0, 'UTF-8');
foreach ($headers as $name => $values) {
    foreach ((array) $values as $value) {
        echo $name, ': ', $value, "\n";
    }
}
// PHP ends the message with a line break of its own.
$body = preg_replace('/\r\n\z/', '', $body);
if (preg_match('/^multipart\/mixed; boundary="([^"]+)"$/D', $headers['Content-Type'] ?? '', $boundary) !== 1) {
    echo "\n", quoted_printable_decode($body);
    exit;
}
$parts = explode('--' . $boundary[1], $body);
$attachments = '';
foreach (array_slice($parts, 1, -1) as $i => $part) {
    [$partHead, $content] = explode("\r\n\r\n", substr($part, 2), 2);
    $content = substr($content, 0, -2);
    if ($i === 0) {
        echo "\n", quoted_printable_decode($content);
        continue;
    }
    preg_match("/filename\\*=UTF-8''([^\\r\\n;]*)/", $partHead, $name);
    preg_match('/^Content-Type: (\S+)/m', $partHead, $type);
    $attachments .= 'Attachment: ' . rawurldecode($name[1]) . ' ' . $type[1] . ' ' . strtoupper(bin2hex(base64_decode($content, true))) . "\n";
}
echo $attachments;
