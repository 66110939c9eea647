<?php
use PHPUnit\Framework\TestCase;

// What the self-check finds missing in a table: its columns as the database
// lists them against the most characters the form allows in each.
final class SelfCheckTest extends TestCase
{
    /** @dataProvider tables */
    public function testTableProblems(array $found, array $needed, int $problems): void
    {
        $this->assertCount($problems, zestrel_table_problems($found, $needed));
    }

    /** @dataProvider mailOutcomes */
    public function testTestMailAdvice(bool $sent, string $what, string $advice): void
    {
        $this->assertStringContainsString($advice, zestrel_test_mail_advice($sent, $what));
    }

    public static function mailOutcomes(): array
    {
        $blocked = 'block outgoing mail ports';
        $settings = 'settings';
        return [
            'sent' => [true, 'A test mail went to a@b.example.', 'inbox'],
            'a silent server' => [false, 'the mail server gave no answer within 30 seconds after the connection',
                $blocked],
            'a port that drops' => [false, 'cannot reach the mail server smtp.example:587: Connection timed out',
                $blocked],
            'a closed port' => [false, 'cannot reach the mail server 127.0.0.1:1: Connection refused', $settings],
            'a wrong password' => [false, 'the mail server refused the sign-in: 535 5.7.8', $settings],
        ];
    }

    public static function tables(): array
    {
        return [
            'all there' => [['name' => 225, 'message' => null], ['name' => 100, 'message' => 5000], 0],
            'just long enough' => [['message' => 500], ['message' => 500], 0],
            'one short' => [['message' => 499], ['message' => 500], 1],
            'no limit in the rule' => [['message' => 10], ['message' => 0], 0],
            'missing' => [['name' => 225], ['name' => 0, 'message' => 0], 1],
            'a number column' => [['age' => null], ['age' => 3], 0],
            'both wrong' => [['name' => 5], ['name' => 10, 'message' => 0], 2],
        ];
    }
}
