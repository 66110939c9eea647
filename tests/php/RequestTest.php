<?php
use PHPUnit\Framework\TestCase;

// Where a request comes from: the address as a server or proxy writes it,
// the visitor behind a proxy, and the script's own origin.
final class RequestTest extends TestCase
{
    /** @dataProvider addresses */
    public function testAddress(string $text, string $address): void
    {
        $this->assertSame($address, zestrel_ip($text));
    }

    public static function addresses(): array
    {
        return [['192.0.2.1', '192.0.2.1'], [" 192.0.2.1\t", '192.0.2.1'], ['192.0.2.1:8080', '192.0.2.1'],
            ['[2001:db8::1]:443', '2001:db8::1'], ['[2001:DB8::1]', '2001:db8::1'], ['2001:db8::1', '2001:db8::1'],
            ['::ffff:192.0.2.1', '192.0.2.1'], ['[::ffff:c000:201]:80', '192.0.2.1'], ['::192.0.2.1', '::192.0.2.1'],
            ['192.0.2.1:', ''], ['192.0.2.1:123456', ''], ['192.0.2.256', ''], ['fe80::1%eth0', ''], ['', ''],
            ['unknown', '']];
    }

    /** @dataProvider visitors */
    public function testClient(array $server, string $client): void
    {
        $_SERVER = $server;
        $this->assertSame($client, zestrel_client());
    }

    public static function visitors(): array
    {
        $proxied = ['HTTP_X_FORWARDED_FOR' => '203.0.113.5, 198.51.100.7', 'HTTP_X_REAL_IP' => '203.0.113.9'];
        return [[['REMOTE_ADDR' => '198.51.100.1'] + $proxied, '198.51.100.1'],
            [['REMOTE_ADDR' => '127.0.0.1'] + $proxied, '198.51.100.7'],
            [['REMOTE_ADDR' => '::ffff:10.0.0.2'] + $proxied, '198.51.100.7'],
            [['REMOTE_ADDR' => '::1', 'HTTP_X_FORWARDED_FOR' => '[2001:db8::5]:1234'], '2001:db8::5'],
            [['REMOTE_ADDR' => '192.168.1.1', 'HTTP_X_REAL_IP' => '203.0.113.9'], '203.0.113.9'],
            [['REMOTE_ADDR' => '192.168.1.1', 'HTTP_X_FORWARDED_FOR' => 'forged'], '192.168.1.1'],
            [['REMOTE_ADDR' => '192.168.1.1', 'HTTP_X_FORWARDED_FOR' => '203.0.113.5, '], '192.168.1.1'],
            [[], '']];
    }

    public function testVisitorIsAWhole64ForIpv6(): void
    {
        $visitor = function (string $address): string {
            $_SERVER = ['REMOTE_ADDR' => $address];
            return zestrel_visitor();
        };
        $this->assertSame($visitor('2001:db8:1:2::1'), $visitor('2001:db8:1:2:ffff::9'));
        $this->assertNotSame($visitor('2001:db8:1:2::1'), $visitor('2001:db8:1:3::1'));
        $this->assertNotSame($visitor('192.0.2.1'), $visitor('192.0.2.2'));
    }

    /** @dataProvider origins */
    public function testOrigin(array $server, string $origin, string $sent, bool $other): void
    {
        $_SERVER = $server + ($sent === '' ? [] : ['HTTP_ORIGIN' => $sent]);
        $this->assertSame($origin, zestrel_own_origin());
        $this->assertSame($other, zestrel_from_other_site());
    }

    public static function origins(): array
    {
        $https = ['HTTPS' => 'on', 'HTTP_HOST' => 'Example.org:443'];
        $proxy = ['HTTP_HOST' => 'internal:8080', 'HTTP_X_FORWARDED_PROTO' => 'HTTPS, http',
            'HTTP_X_FORWARDED_HOST' => 'shop.example.org'];
        return [[$https, 'https://example.org', 'https://example.org', false],
            [$https, 'https://example.org', 'HTTPS://EXAMPLE.ORG', false],
            [$https, 'https://example.org', 'http://example.org', true],
            [$https, 'https://example.org', 'https://example.org.evil.test', true],
            [$https, 'https://example.org', 'null', true],
            [$https, 'https://example.org', '', false],
            [['HTTPS' => 'off', 'HTTP_HOST' => 'example.org:80'], 'http://example.org', 'http://example.org', false],
            [['HTTPS' => 'off', 'HTTP_HOST' => 'example.org:443'], 'http://example.org:443', 'http://example.org', true],
            [['HTTP_HOST' => 'example.org:8443'], 'http://example.org:8443', 'http://example.org:8443', false],
            [['HTTP_HOST' => '[::1]:8080'], 'http://[::1]:8080', 'http://[::1]:8080', false],
            [$proxy, 'https://shop.example.org', 'https://shop.example.org', false],
            [$proxy, 'https://shop.example.org', 'http://internal:8080', true],
            [['HTTP_SEC_FETCH_SITE' => 'same-origin'] + $https, 'https://example.org', 'https://other.test', false],
            [['HTTP_SEC_FETCH_SITE' => 'same-site'] + $https, 'https://example.org', 'https://example.org', true],
            [['HTTP_SEC_FETCH_SITE' => 'cross-site'] + $https, 'https://example.org', '', true]];
    }
}
