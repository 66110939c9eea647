#!/bin/bash
# Self-test of validity.py: feeds Chromium cases whose answers follow from
# HTML's rules (and were seen in Chromium 156), checks valid/flags/posted for
# each, checks that the --dump-dom run and the DevTools-driven run agree, and
# checks the exit codes for bad input and a missing browser.
# Usage: tests/browser/selftest.sh   (needs Debian's chromium and /usr/bin/python3)
# Prints one line per check and "N passed, N failed"; exits 1 on any failure.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
py=/usr/bin/python3
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# id, html, values, entry, then the expected answer: valid, flags, and
# (optional) what the form would post.
cat >"$work/expect.json" <<'EOF'
[
 ["required-empty", "<input name=\"f\" required>", [""], "set", false, ["valueMissing"], [""]],
 ["required-filled", "<input name=\"f\" required>", ["x"], "set", true, [], ["x"]],
 ["email-bad", "<input name=\"f\" type=\"email\">", ["a.b.test"], "set", false, ["typeMismatch"], null],
 ["email-multi-blanks", "<input name=\"f\" type=\"email\" multiple>", [" a@b.test , c@d.test "], "set", true, [], ["a@b.test,c@d.test"]],
 ["email-multi-empty-item", "<input name=\"f\" type=\"email\" multiple>", ["a@b.test,,c@d.test"], "set", false, ["typeMismatch"], null],
 ["url-bad", "<input name=\"f\" type=\"url\">", ["a.test"], "set", false, ["typeMismatch"], null],
 ["pattern-whole", "<input name=\"f\" pattern=\"a|b\">", ["ab"], "set", false, ["patternMismatch"], null],
 ["pattern-vflag-letters", "<input name=\"f\" pattern=\"[\\p{L}]+\">", ["\u00e9t\u00e9"], "set", true, [], null],
 ["pattern-vflag-subtract", "<input name=\"f\" pattern=\"[\\w--\\d]\">", ["5"], "set", false, ["patternMismatch"], null],
 ["pattern-invalid-ignored", "<input name=\"f\" pattern=\"[\">", ["x"], "set", true, [], null],
 ["maxlength-set-not-checked", "<input name=\"f\" maxlength=\"3\">", ["abcd"], "set", true, [], ["abcd"]],
 ["minlength-typed", "<input name=\"f\" minlength=\"3\">", ["ab"], "typed", false, ["tooShort"], ["ab"]],
 ["minlength-typed-emoji", "<input name=\"f\" minlength=\"2\">", ["\ud83d\ude00"], "typed", true, [], null],
 ["maxlength-typed-cut", "<textarea name=\"f\" maxlength=\"2\"></textarea>", ["a\r\nb"], "typed", true, [], ["a\n"]],
 ["number-under", "<input name=\"f\" type=\"number\" min=\"1\" max=\"10\">", ["0"], "set", false, ["rangeUnderflow"], null],
 ["number-over-step", "<input name=\"f\" type=\"number\" min=\"1\" max=\"10\">", ["10.5"], "set", false, ["rangeOverflow", "stepMismatch"], null],
 ["number-step-base-min", "<input name=\"f\" type=\"number\" min=\"0.5\" step=\"1\">", ["1.5"], "set", true, [], null],
 ["number-step-cents", "<input name=\"f\" type=\"number\" step=\"0.01\">", ["1.005"], "set", false, ["stepMismatch"], null],
 ["number-plus-cleaned", "<input name=\"f\" type=\"number\">", ["+1"], "set", true, [], [""]],
 ["number-typed-bad", "<input name=\"f\" type=\"number\">", ["1e"], "typed", false, ["badInput"], [""]],
 ["date-not-leap", "<input name=\"f\" type=\"date\" required>", ["2023-02-29"], "set", false, ["valueMissing"], [""]],
 ["date-leap", "<input name=\"f\" type=\"date\" min=\"2024-01-01\">", ["2024-02-29"], "set", true, [], ["2024-02-29"]],
 ["date-under", "<input name=\"f\" type=\"date\" min=\"2024-01-01\">", ["2023-12-31"], "set", false, ["rangeUnderflow"], null],
 ["select-placeholder", "<select name=\"f\" required><option value=\"\">-</option><option>a</option></select>", [], "set", false, ["valueMissing"], [""]],
 ["select-chosen", "<select name=\"f\" required><option value=\"\">-</option><option>a</option></select>", ["a"], "set", true, [], ["a"]],
 ["select-not-an-option", "<select name=\"f\"><option>a</option></select>", ["zzz"], "set", true, [], []],
 ["select-multiple-none", "<select name=\"f\" multiple required><option>a</option><option>b</option></select>", [], "set", false, ["valueMissing"], []],
 ["radio-none", "<fieldset><input type=\"radio\" name=\"f\" value=\"x\" required><input type=\"radio\" name=\"f\" value=\"y\"></fieldset>", [], "set", false, ["valueMissing"], []],
 ["radio-other", "<fieldset><input type=\"radio\" name=\"f\" value=\"x\" required><input type=\"radio\" name=\"f\" value=\"y\"></fieldset>", ["y"], "set", true, [], ["y"]],
 ["checkbox-required-each", "<fieldset><input type=\"checkbox\" name=\"f\" value=\"x\" required><input type=\"checkbox\" name=\"f\" value=\"y\"></fieldset>", ["y"], "set", false, ["valueMissing"], ["y"]]
]
EOF

"$py" - "$work" <<'EOF'
import json, sys
work = sys.argv[1]
rows = json.load(open(work + "/expect.json"))
cases = [{"id": r[0], "html": r[1], "values": r[2], "entry": r[3]} for r in rows]
json.dump(cases, open(work + "/cases.json", "w"))
# The same "set" cases alone, answered by the --dump-dom run.
json.dump([c for c in cases if c["entry"] == "set"], open(work + "/set.json", "w"))
EOF

passed=0
failed=0
result() { # name, 0 for ok, message
    if [ "$2" -eq 0 ]; then
        passed=$((passed + 1)); echo "ok      $1"
    else
        failed=$((failed + 1)); echo "FAIL    $1: $3"
    fi
}

"$py" "$here/validity.py" <"$work/cases.json" >"$work/driven.json" 2>"$work/driven.err"
rc=$?
result "driven run exits 0" $rc "exit $rc: $(cat "$work/driven.err")"
"$py" "$here/validity.py" --brief <"$work/set.json" >"$work/dump.json" 2>"$work/dump.err"
rc=$?
result "dump-dom run exits 0" $rc "exit $rc: $(cat "$work/dump.err")"

if [ -s "$work/driven.json" ]; then
    # One line per case: "ok id" or "FAIL id: why".
    while IFS= read -r line; do
        case "$line" in
            ok\ *) result "${line#ok }" 0 "" ;;
            *) result "${line#FAIL }" 1 "see above" ;;
        esac
    done < <("$py" - "$work" <<'EOF'
import json, sys
work = sys.argv[1]
rows = json.load(open(work + "/expect.json"))
got = json.load(open(work + "/driven.json"))
try:
    dump = json.load(open(work + "/dump.json"))
except ValueError:
    dump = {}
for cid, _, _, entry, valid, flags, posted in rows:
    r = got.get(cid, {"error": "no answer"})
    why = []
    if "error" in r:
        why.append(r["error"])
    else:
        if r["valid"] is not valid:
            why.append("valid %s, expected %s" % (r["valid"], valid))
        if r["flags"] != flags:
            why.append("flags %s, expected %s" % (r["flags"], flags))
        if posted is not None and r["posted"] != posted:
            why.append("posted %r, expected %r" % (r["posted"], posted))
        if entry == "set":
            d = dump.get(cid)
            if d != {"valid": r["valid"], "flags": r["flags"]}:
                why.append("the --dump-dom run said %s" % d)
    if why:
        print("FAIL %s: %s" % (cid, "; ".join(why)), file=sys.stderr)
        print("FAIL " + cid)
    else:
        print("ok " + cid)
EOF
)
fi

# A case naming two controls of different names is refused with exit 2.
echo '[{"id":"two","html":"<input name=\"f\"><input name=\"g\">","values":["a"]}]' |
    "$py" "$here/validity.py" >/dev/null 2>"$work/err"
rc=$?
[ $rc -eq 2 ] && grep -q "share one non-empty name" "$work/err"
result "bad case exits 2" $? "exit $rc: $(cat "$work/err")"

echo '{"not": "a list"}' | "$py" "$here/validity.py" >/dev/null 2>"$work/err"
rc=$?
[ $rc -eq 2 ]
result "bad stdin exits 2" $? "exit $rc"

echo '[{"id":"a","html":"<input name=\"f\">","values":["a"]}]' |
    "$py" "$here/validity.py" --chromium "$work/no-such-chromium" >/dev/null 2>"$work/err"
rc=$?
[ $rc -eq 1 ] && grep -q "Chromium not found" "$work/err"
result "missing browser exits 1" $? "exit $rc: $(cat "$work/err")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
