<?php
use PHPUnit\Framework\TestCase;

// The form's rules on one posted value: whether the script lets it through,
// as a browser would, at the edges of each rule.
final class RulesTest extends TestCase
{
    /** @dataProvider values */
    public function testRule(array $rule, $posted, bool $accepted): void
    {
        $rule += ['type' => 'text', 'required' => false, 'minlength' => null, 'maxlength' => null,
            'pattern' => null, 'min' => null, 'max' => null, 'step' => null, 'choices' => [], 'multiple' => false];
        $this->assertSame($accepted, zestrel_rule_problem($rule, $posted) === '');
    }

    /** @dataProvider hints */
    public function testPatternHint(array $hint, string $ending): void
    {
        $rule = $hint + ['type' => 'text', 'required' => false, 'minlength' => null, 'maxlength' => null,
            'pattern' => '/^(?:[0-9]{3})$/Du', 'min' => null, 'max' => null, 'step' => null, 'choices' => [],
            'multiple' => false];
        $this->assertStringEndsWith($ending, zestrel_rule_problem($rule, 'abc'));
    }

    public static function hints(): array
    {
        return [[[], 'asks for.'], [['title' => 'Three digits'], ': Three digits.'],
            [['title' => 'Three digits.'], ': Three digits.']];
    }

    public static function values(): array
    {
        $max4 = ['maxlength' => 4];
        $min2 = ['minlength' => 2];
        $digits = ['pattern' => '/^(?:[0-9]{3})$/Du'];
        $email = ['type' => 'email'];
        $emails = ['type' => 'email', 'multiple' => true];
        $url = ['type' => 'url'];
        $number = ['type' => 'number', 'min' => '1', 'max' => '10', 'step' => '0.5'];
        $date = ['type' => 'date', 'min' => '2024-02-01', 'max' => '2024-03-01'];
        $choice = ['type' => 'select', 'choices' => ['a', 'b'], 'required' => true];
        return [[$max4, 'abcd', true], [$max4, 'abcde', false], [$max4, 'ab😀', true], [$max4, 'abc😀', false],
            [$max4, "ab\r\nc", true], [$max4, 'éééé', true], [$min2, 'é', false], [$min2, 'éé', true],
            [$min2, '', true], [['required' => true], '', false], [['required' => true], null, false],
            [['required' => true] + $email, " \t", false], [[], ['a', 'b'], false],
            [$digits, '123', true], [$digits, '1234', false], [$digits, "12\n3", true], [$digits, '123 ', false],
            [$digits, '١٢٣', false],
            [$email, 'a@b', true], [$email, ' a@b.example ', true], [$email, 'a@b.', false],
            [$email, 'a@-b.example', false], [$email, 'a b@c.example', false], [$email, 'a@b.example,c@d.example', false],
            [$emails, 'a@b.example , c@d.example', true], [$emails, 'a@b.example,,c@d.example', false],
            [$url, 'https://example.org/x y', true], [$url, 'example.org', false], [$url, 'mailto:a@b', true],
            [$url, 'http://[::1]:65535/', true], [$url, 'http://[::1]:65536/', false], [$url, 'http://0x7f.1/', true],
            [$url, 'http://256.0.0.1/', false], [$url, 'http://1.2.3.4.5/', false], [$url, 'http://a%zz/', false],
            [$number, '1', true], [$number, '10', true], [$number, '0.5', false], [$number, '10.5', false],
            [$number, '2.5', true], [$number, '2.25', false], [$number, '1e1', true], [$number, '0x5', false],
            [['type' => 'number', 'step' => '0.1'], '0.3', true], [['type' => 'range'], '101', false],
            [$date, '2024-02-29', true], [$date, '2023-02-29', false], [$date, '2024-01-31', false],
            [$date, '2024-03-02', false], [['type' => 'date'], '2000-02-29', true], [['type' => 'date'], '1900-02-29', false],
            [['type' => 'week'], '2020-W53', true], [['type' => 'week'], '2021-W53', false],
            [['type' => 'time', 'step' => '900'], '10:15', true], [['type' => 'time', 'step' => '900'], '10:20', false],
            [['type' => 'month', 'min' => '2024-12'], '2025-01', true], [['type' => 'color'], '#00ff7F', true],
            [$choice, 'a', true], [$choice, 'c', false], [$choice, '', false], [$choice, ['a'], false],
            [['multiple' => true] + $choice, ['a', 'b'], true], [['multiple' => true] + $choice, ['a', 'c'], false],
            [['type' => 'checkbox', 'required' => true], null, false]];
    }
}
