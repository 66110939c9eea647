<?php
// The page that refuses a post the visitor must mend.

// The answer to a post the visitor must mend: HTTP 422, each problem by the
// field's name on the form, and the way back to the form, which keeps what
// the visitor typed.
function zestrel_refuse(array $problems): never
{
    header('Content-Security-Policy: '
        . zestrel_policy("; script-src 'sha256-" . base64_encode(hash('sha256', ZESTREL_BACK_SCRIPT, true)) . "'"));
    zestrel_page(422, 'Please check the form');
    echo '<p>The form was not sent. Please check:</p>', "\n", '<ul>', "\n";
    foreach ($problems as $problem) {
        echo '<li>', zestrel_html($problem), '</li>', "\n";
    }
    $back = $_SERVER['HTTP_REFERER'] ?? '';
    echo '</ul>', "\n", '<p><a id="back" href="', zestrel_html($back !== '' ? $back : '/'),
        '">Back to the form</a></p>', "\n", '<script>', ZESTREL_BACK_SCRIPT, '</script>', "\n";
    zestrel_end_page();
}
