<?php
use PHPUnit\Framework\TestCase;

// The SMTP client's reading of one reply: every line of a multi-line reply,
// and the code of its last line checked.
final class SmtpReplyTest extends TestCase
{
    /** @dataProvider replies */
    public function testReply(string $sent, string $expected, ?string $reply): void
    {
        $stream = fopen('php://memory', 'w+');
        fwrite($stream, $sent);
        rewind($stream);
        if ($reply === null) {
            $this->expectException(RuntimeException::class);
        }
        $this->assertSame($reply, zestrel_smtp_reply($stream, $expected, 'EHLO'));
        $this->assertSame(substr($sent, strlen($reply)), stream_get_contents($stream));
    }

    public static function replies(): array
    {
        $ehlo = "250-mail.example.org\r\n250-STARTTLS\r\n250 AUTH PLAIN LOGIN\r\n";
        return [["250 OK\r\n", '250', "250 OK\r\n"], ["250\r\n", '250', "250\r\n"], ['250 OK', '250', '250 OK'],
            [$ehlo, '250', $ehlo], [$ehlo . "221 Bye\r\n", '250', $ehlo], ["250 OK\n354 Go\n", '250', "250 OK\n"],
            ["251 Forwarded\r\n", '25[01]', "251 Forwarded\r\n"], ["252 Maybe\r\n", '25[01]', null],
            ["2500 OK\r\n", '250', null], ["550 No\r\n", '250', null], ["250-a\r\n550 No\r\n", '250', null],
            ["250-mail.example.org\r\n", '250', null], ['', '220', null], ["220-Hi\r\n220-there\r\n220 Go\r\n", '220',
            "220-Hi\r\n220-there\r\n220 Go\r\n"]];
    }
}
