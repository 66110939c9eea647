<?php
use PHPUnit\Framework\TestCase;

// The flood limit's wait, from the times of the last hour's counted
// requests: 5 a minute, 20 an hour.
final class FloodTest extends TestCase
{
    /** @dataProvider counts */
    public function testWait(array $ago, int $wait): void
    {
        $now = 1000000;
        $this->assertSame($wait, zestrel_flood_wait(array_map(fn (int $s): int => $now - $s, $ago), $now));
    }

    public static function counts(): array
    {
        return [[[], 0], [[4, 3, 2, 1], 0], [[50, 40, 30, 20, 10], 10], [[59, 40, 30, 20, 10], 1],
            [[60, 40, 30, 20, 10], 0], [[61, 59, 40, 30, 20, 10], 1], [range(3599, 3419, 10), 0],
            [range(3599, 3409, 10), 1], [range(3500, 3310, 10), 100], [[3599, ...range(3000, 2050, -50)], 600],
            [[...range(3599, 3509, 10), 50, 40, 30, 20, 10], 10]];
    }
}
