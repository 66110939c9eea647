<?php
// Prints a mail as captured from PHP's mail(), decoded: each header on a line
// of its own ("Name: value", folding undone, encoded words decoded), an empty
// line, then the quoted-printable body decoded.
$message = stream_get_contents(STDIN);
[$head, $body] = explode("\r\n\r\n", $message, 2) + ['', ''];
$headers = iconv_mime_decode_headers($head, 0, 'UTF-8');
foreach ($headers as $name => $values) {
    foreach ((array) $values as $value) {
        echo $name, ': ', $value, "\n";
    }
}
// PHP ends the message with a line break of its own.
echo "\n", quoted_printable_decode(preg_replace('/\r\n\z/', '', $body));
