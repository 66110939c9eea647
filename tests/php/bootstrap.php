<?php
// Loads the safe script's PHP functions as the script holds them, with the
// constants that the compiler writes next to them.
const ZESTREL_SMTP_CONNECT_SECONDS = 5;
const ZESTREL_SMTP_REPLY_SECONDS = 5;
define('ZESTREL_UPLOADS', sys_get_temp_dir() . '/zestrel-phpunit-' . getmypid() . '/uploads');
const ZESTREL_ATTACH_MOST = 1000;
foreach (glob(__DIR__ . '/../../src/scriptgen/safe/php/*.php') as $file) {
    require $file;
}
