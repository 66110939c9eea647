#!/usr/bin/python3
r"""Ask a real browser (Debian's Chromium, headless) whether form controls
accept what a person entered, by HTML's constraint validation.

Usage:  /usr/bin/python3 tests/browser/validity.py [--brief] [--timeout S]
                                                   [--chromium PATH] [--keep-page FILE]
                                                   < cases.json > answers.json

stdin: a JSON list of cases, each
    {"id": "email-1", "html": "<input name=\"f\" type=\"email\" multiple required>",
     "values": ["a@b.test"], "entry": "set"}
  html    one control: an input, a textarea, a select with its options, or radio
          buttons / check boxes sharing one name (a fieldset around them is fine).
          It may not hold <form>, <script>, <pre> or an unclosed select/textarea/fieldset.
  values  text-like control: [string] (or [] to leave it as the page has it);
          select multiple / check boxes: the chosen option values ([] = none);
          select without multiple / radios: [value], or [] to leave the default.
  entry   "set" (default): the page's script sets .value / .selected / .checked.
          "typed": the value is typed into the focused control as keyboard input
          through Chromium's DevTools protocol (Input.insertText; an empty string
          is Backspace over the selected text), which the browser takes as a user's
          edit. Only for textareas and inputs of type text, search, url, tel, email,
          password and number, with exactly one value; it replaces the control's text.

stdout: a JSON object {id: answer}; with --brief only valid and flags:
    valid          form.checkValidity() of the case's own form
    flags          the ValidityState flags that are true on any of its controls, in the
                   order valueMissing, typeMismatch, patternMismatch, tooLong, tooShort,
                   rangeUnderflow, rangeOverflow, stepMismatch, badInput, customError
    controlsValid  every control's own checkValidity()
    kind           text, select-one, select-multiple, radio, checkbox or file
    applied        the control holds what was asked: false when the browser cleaned,
                   cut or refused the value (e.g. number "+1" set by script becomes "")
    posted         new FormData(form).getAll(name): what a submission would carry (a real
                   POST turns each line break of a textarea into CR LF, see (b) below)
    controls       per control: tag, type, value, valid, flags, message (the browser's
                   validationMessage), checked or selected
    error          instead of the above, when the case could not be built
Exit status: 0 all answered; 1 Chromium missing, failing, too slow (--timeout, default
60 s) or its page's script failed (message on stderr); 2 bad input: stdin is not a
valid list of cases, or a case's html/values could not be applied (those cases carry
"error" in stdout and are named on stderr).

Cases with entry "set" only: one run of `chromium --headless ... --dump-dom file://page`,
whose script answers at load and writes JSON into <pre id="results">. With any "typed"
case: one run with --remote-debugging-pipe instead (same page, same flags), which types
those values and then calls the same function. Both give the same answers for "set"
cases. ~150 cases take about 1.2-1.6 s either way.

What Chromium 156 (Debian 12's package) was seen to do, by running cases here:

(a) tooLong/tooShort and who changed the value.
    A value set by script never gets tooLong or tooShort: maxlength=3 with .value "abcd",
    minlength=3 with .value "ab" (input and textarea) are valid, as is a value attribute
    longer than maxlength. Focusing and then document.execCommand('insertText'),
    execCommand after selectAll, or setRangeText() do not count as a user's edit either:
    still valid. Keyboard input through DevTools (Input.insertText, this harness's
    "typed") does: minlength=3 + "ab" -> tooShort, "Please lengthen this text to 3
    characters or more (you are currently using 2 characters)."; typed "" never is
    tooShort (an empty value is never too short). tooLong cannot come from typing:
    Chromium cuts what is inserted to the room maxlength leaves (maxlength=3, typed
    "abcd" -> value "abc", valid; typing at the end of an over-long value inserts
    nothing). It shows up only when a person deletes from a value that was already
    too long: value="abcdef" maxlength=3, caret at the end, one Backspace -> "abcde",
    tooLong (tried with Input.dispatchKeyEvent; the harness has no entry mode for that).
    A script-set .value after a typed edit clears the user-edit state again.
(b) Lengths count UTF-16 code units. Typed "😀" is 2: minlength=2 valid, minlength=3
    tooShort ("you are currently using 2 characters"), maxlength=2 takes it, maxlength=1
    takes nothing (value ""): a surrogate pair is never split, and maxlength=2 with
    "a😀b" keeps "a", maxlength=3 keeps "a😀". "é" (U+00E9) is 1 (maxlength=1 takes it,
    minlength=2 tooShort); "e"+U+0301 is 2 (maxlength=1 keeps "e", minlength=2 valid).
    Textarea line breaks count 1: "\r\n", "\r" and "\n", typed or set, all become "\n"
    in .value (typed "a\r\nb" is "a\nb", 3 units: minlength=4 tooShort, maxlength=3
    fits, maxlength=2 keeps "a\n"). But a real POST sends each line break as CR LF
    (captured once from Chromium: "a\nb\rc" went out as a%0D%0Ab%0D%0Ac urlencoded
    and as a\r\nb\r\nc in multipart/form-data), so the server sees 2 bytes per line
    break that the browser counted as 1. FormData (posted) still shows "\n". A
    textarea's leading newline in the markup is dropped by the parser.
(c) type=email multiple: blanks (space, tab) around each comma-separated address are
    removed from .value, typed or set (" a@b.test , c@d.test " -> "a@b.test,c@d.test",
    valid, and that is what is posted); a no-break space is not removed (typeMismatch).
    An empty item is typeMismatch ("a@b.test,,c@d.test", "a@b.test,"); "" is valid
    unless required (valueMissing); spaces or ";" between addresses are typeMismatch.
    Without multiple: " a@b.test " -> "a@b.test" (valid), a comma is typeMismatch.
    "a@b" is valid (no dot needed); "a@-b.test", "é@b.test", "\"a b\"@c.test" are
    typeMismatch; "a@bücher.test" is typeMismatch when set by script, but typed it
    becomes "a@xn--bcher-kva.test" and is valid. pattern with multiple applies to each
    address ("a@x.test,b@y.test" with pattern "[a-z]+@x\.test" -> patternMismatch).
(d) pattern is compiled with the v flag and matched whole (^(?:pattern)$): "a|b" does
    not match "ab". "[\p{L}]+" and "\p{L}+" match "été"; "[\w--\d]" refuses "5" and
    takes "a"; "[[a-z]&&[aeiou]]" refuses "b"; "[\q{abc}]" matches "abc" not "a"; "."
    matches one "😀" and ".." does not; "\w" is ASCII only ("é" mismatch); "(?i)a"
    matches "A". An invalid pattern is ignored: the control is valid whatever its value
    ("[" with "x", "(" with "x", "a)" with "x", "a{" with "zz"; and under the v flag
    also "[(]" and "[|]", which the u flag would have accepted, and "[\d-x]"). required
    still applies ("[" + required + "" -> valueMissing). pattern on a textarea is
    ignored.
(e) type=number, value set by script: "1e3" and "1E3" are kept and valid, ".5" and "-0"
    kept; "+1", " 5", "5 ", "1.", "0x10", "1,5", "Infinity", "1e400", "abc" are cleaned
    to "" by the browser (valid unless required), so badInput never happens by script.
    Typed: "+1" -> "1", " 5" -> "5", "1." -> "1", "1,5" -> "15", "abc" -> "" (refused
    keystrokes), while "-", "e" and "1e" give badInput ("Please enter a number.") with
    value "". Default step is 1 (1.5 stepMismatch); step="any" turns it off; step="0",
    "-1", "abc" fall back to 1. The step base is min, else the value attribute, else 0:
    min="0.5" step="1" takes 1.5, 2.5 and refuses 1; step="3" value="1" takes 4 and
    refuses 3; step="3" takes -3. step="2" min="1" max="10": "10" stepMismatch, "11"
    rangeOverflow only. step="0.01": 1.01, 0.1, 0.3 valid; 1.005, 2.675 and
    1.23456789e2 stepMismatch (decimal steps are exact, not float-rounded). min/max:
    "0" under min=1 rangeUnderflow, "10.5" over max=10 gives rangeOverflow and
    stepMismatch; an unparsable min is ignored; with min=10 > max=5, "7" gets both
    rangeUnderflow and rangeOverflow.
(f) type=date set by script: "2024-02-29", "0001-01-01", "02024-01-01" and
    "275760-09-13" are kept; "2023-02-29", "2024-13-01", "2024-1-01", "24-01-01",
    "0000-12-31", "275760-09-14", " 2024-01-01" and "2024-01-01T00:00" are cleaned to ""
    (so valid unless required; badInput cannot be reached by script). min/max compare
    as dates: with min="2024-01-01" max="2024-12-31", both ends are valid,
    "2023-12-31" rangeUnderflow and "2025-01-01" rangeOverflow; an invalid max
    ("2024-02-30") is ignored. step is in days, base min or else 1970-01-01: step="7"
    takes 1970-01-08 and refuses 2024-01-01; with min="2024-01-01" it takes 2024-01-08.
    Also: month "2024-13", week "2024-W53", time "24:00"/"12:30:60" are cleaned to "";
    "2020-W53" is kept; time "12:30:15.5" is stepMismatch (default step 60 s);
    datetime-local "2024-02-29 12:00" and "2024-02-29T12:00:00.000" become
    "2024-02-29T12:00".
(g) select without multiple: .value = "zzz" (no such option) leaves no option selected
    (selectedIndex -1, posted nothing): valid, or valueMissing when required. A person
    cannot get there with a drop-down; the harness's [] leaves the default instead.
    Values match option values only ("Bee" for <option value="b">Bee</option> is not
    found); an option without a value attribute has its text, whitespace stripped and
    collapsed. .value may pick a disabled option: posted nothing, yet valid even when
    required. required + first option value "" (the placeholder) -> valueMissing when
    it is chosen or left as default; the placeholder must be the first option, a direct
    child of the select, with display size 1: an "" option that is second, or inside an
    optgroup, is a valid choice (posted ""), and with size="3" nothing is selected by
    default (valueMissing, posted nothing). <option></option> and <option> </option>
    count as "" placeholders. select multiple required: no choice -> valueMissing,
    an option with value "" chosen -> valid.
    Radios: required on any radio of the group makes the group need one checked.
    Check boxes: required applies to each box on its own (required on "x", only "y"
    ticked -> valueMissing). A value naming no option/radio/box ends with nothing
    chosen (applied false). disabled, readonly and hidden controls are never invalid;
    required text "  " is valid (no trimming); input type=text drops line breaks.
"""

import argparse
import html as htmllib
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

CHROMIUM = "/usr/bin/chromium"
CHROMIUM_FLAGS = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
]
ENTRY_MODES = ("set", "typed")

EXIT_OK = 0
EXIT_BROWSER = 1
EXIT_INPUT = 2

# The page's script. It reads the cases from the JSON block, enters each
# case's values into its form, asks checkValidity() of every control and of
# the form, and writes the answers as ASCII-only JSON into <pre id="results">.
PAGE_SCRIPT = r"""
window.validityHarness = (function () {
  "use strict";
  var FLAGS = ["valueMissing", "typeMismatch", "patternMismatch", "tooLong",
               "tooShort", "rangeUnderflow", "rangeOverflow", "stepMismatch",
               "badInput", "customError"];
  var BUTTONS = {submit: 1, reset: 1, button: 1, image: 1};
  // Input types whose text a person edits with the keyboard.
  var TYPABLE = {text: 1, search: 1, url: 1, tel: 1, email: 1, password: 1, number: 1};
  var cases = JSON.parse(document.getElementById("cases").textContent);

  function kindOf(el) {
    var tag = el.localName;
    if (tag === "select") return el.multiple ? "select-multiple" : "select-one";
    if (tag === "textarea") return "text";
    if (tag === "input") {
      if (el.type === "radio" || el.type === "checkbox" || el.type === "file") return el.type;
      if (BUTTONS[el.type]) return "button";
      return "text";
    }
    return "other"; // fieldset, button, output, object
  }
  function unique(list) {
    return list.filter(function (x, i) { return list.indexOf(x) === i; });
  }
  function flagsOf(el) {
    return FLAGS.filter(function (k) { return el.validity[k]; });
  }
  function sameMultiset(a, b) {
    return JSON.stringify(a.slice().sort()) === JSON.stringify(b.slice().sort());
  }
  function fail(message) { throw new Error(message); }

  // The case's form and its controls, checked to be one control or one group.
  function controlsOf(index) {
    var form = document.getElementById("case-" + index);
    if (!form || form.parentNode !== document.body || form.localName !== "form")
      fail("the page has no form of its own for this case: its html (or an earlier" +
           " case's) is unbalanced, e.g. an unclosed select, textarea or fieldset");
    var controls = Array.prototype.filter.call(form.elements, function (el) {
      var k = kindOf(el);
      return k !== "other" && k !== "button";
    });
    if (!controls.length) fail("the html holds no input, select or textarea");
    var kinds = unique(controls.map(kindOf));
    if (kinds.length !== 1) fail("the html mixes kinds of control: " + kinds.join(", "));
    var names = unique(controls.map(function (el) { return el.name; }));
    if (names.length !== 1 || names[0] === "")
      fail("the controls must share one non-empty name, found: " + JSON.stringify(names));
    if (controls.length > 1 && kinds[0] !== "radio" && kinds[0] !== "checkbox")
      fail("only radio buttons or check boxes may come as a group, found " +
           controls.length + " controls of kind " + kinds[0]);
    return {form: form, controls: controls, kind: kinds[0], name: names[0]};
  }

  // Values set by script, as a user's choice or entry would leave them.
  function enterBySetting(kind, controls, values) {
    var el = controls[0];
    if (kind === "text") {
      if (values.length > 1) fail("a text-like control takes one value, got " + values.length);
      if (values.length === 1) el.value = values[0];
    } else if (kind === "select-one") {
      if (values.length > 1) fail("a select without multiple takes at most one value");
      if (values.length === 1) el.value = values[0];
    } else if (kind === "select-multiple") {
      Array.prototype.forEach.call(el.options, function (o) {
        o.selected = values.indexOf(o.value) >= 0;
      });
    } else if (kind === "radio") {
      if (values.length > 1) fail("a radio group takes at most one value");
      if (values.length === 1)
        controls.forEach(function (r) { r.checked = r.value === values[0]; });
    } else if (kind === "checkbox") {
      controls.forEach(function (c) { c.checked = values.indexOf(c.value) >= 0; });
    } else if (kind === "file") {
      if (values.length) fail("a script cannot choose files for a file input");
    } else {
      fail("unknown kind of control " + kind);
    }
  }

  // Called by the driver before it types a case's value: focus the control
  // and select all of its text, so that typing replaces it.
  function prepareTyping(index) {
    var c = cases[index];
    var got = controlsOf(index);
    var el = got.controls[0];
    if (got.kind !== "text" || (el.localName === "input" && !TYPABLE[el.type]))
      fail("typed entry works only for textareas and inputs of type " +
           Object.keys(TYPABLE).join("/") + ", not " + (el.type || got.kind));
    if (c.values.length > 1) fail("a text-like control takes one value, got " + c.values.length);
    el.focus();
    if (document.activeElement !== el) fail("the control would not take focus");
    document.execCommand("selectAll");
    return true;
  }

  function check(index, typedError) {
    var c = cases[index];
    if (typedError) fail(typedError);
    var got = controlsOf(index);
    var kind = got.kind, controls = got.controls;
    if (c.entry === "set") enterBySetting(kind, controls, c.values);
    var posted = new FormData(got.form).getAll(got.name).map(function (v) {
      return typeof v === "string" ? v : "[file " + v.name + "]";
    });
    var perControl = controls.map(function (el) {
      var r = {
        tag: el.localName, type: el.type, value: el.value,
        valid: el.checkValidity(), flags: flagsOf(el),
        message: el.validationMessage
      };
      if (kind === "radio" || kind === "checkbox") r.checked = el.checked;
      if (kind === "select-one" || kind === "select-multiple")
        r.selected = Array.prototype.filter.call(el.options, function (o) {
          return o.selected;
        }).map(function (o) { return o.value; });
      return r;
    });
    var applied;
    if (kind === "text")
      applied = c.values.length === 0 || controls[0].value === c.values[0];
    else if (kind === "select-one" || kind === "radio")
      applied = c.values.length === 0 || sameMultiset(posted, c.values);
    else if (kind === "file")
      applied = c.values.length === 0;
    else
      applied = sameMultiset(posted, c.values);
    return {
      valid: got.form.checkValidity(),
      controlsValid: perControl.every(function (r) { return r.valid; }),
      flags: FLAGS.filter(function (k) {
        return perControl.some(function (r) { return r.flags.indexOf(k) >= 0; });
      }),
      kind: kind,
      applied: applied,
      posted: posted,
      controls: perControl
    };
  }

  // Checks every case and writes the answers into <pre id="results"> as
  // ASCII-only JSON; returns the same text. typedErrors maps a case's index
  // to the reason its typed entry failed.
  function runAll(typedErrors) {
    var out = {done: false, count: 0, results: {}, pageError: null};
    try {
      cases.forEach(function (c, index) {
        try {
          out.results[c.id] = check(index, typedErrors && typedErrors[index]);
        } catch (e) {
          out.results[c.id] = {error: String(e && e.message || e)};
        }
        out.count++;
      });
      out.done = true;
    } catch (e) {
      out.pageError = String(e && e.stack || e);
    }
    var text = JSON.stringify(out).replace(/[\u007f-\uffff<>&]/g, function (ch) {
      return "\\u" + ("000" + ch.charCodeAt(0).toString(16)).slice(-4);
    });
    document.getElementById("results").textContent = text;
    return text;
  }

  return {prepareTyping: prepareTyping, runAll: runAll, count: cases.length};
})();
// Without a driver (the --dump-dom run) the page answers at once.
if (location.hash !== "#driven") window.validityHarness.runAll(null);
"""


class InputError(Exception):
    pass


class BrowserError(Exception):
    pass


def read_cases(raw):
    try:
        cases = json.loads(raw)
    except ValueError as e:
        raise InputError("stdin is not JSON: %s" % e)
    if not isinstance(cases, list):
        raise InputError("stdin must hold a JSON list of cases")
    seen = set()
    clean = []
    for n, c in enumerate(cases):
        where = "case %d" % n
        if not isinstance(c, dict):
            raise InputError("%s is not an object" % where)
        cid = c.get("id")
        if not isinstance(cid, str) or not cid:
            raise InputError("%s needs a non-empty string id" % where)
        where = "case %r" % cid
        if cid in seen:
            raise InputError("%s: the id is used twice" % where)
        seen.add(cid)
        page = c.get("html")
        if not isinstance(page, str) or not page.strip():
            raise InputError("%s needs an html string" % where)
        low = page.lower()
        for bad in ("<form", "</form", "<script", "</body", "</html", "<pre"):
            if bad in low:
                raise InputError("%s: the html may not hold %s" % (where, bad))
        for tag in ("select", "textarea", "fieldset"):
            opened = len(re.findall(r"<%s\b" % tag, low))
            closed = len(re.findall(r"</%s\s*>" % tag, low))
            if opened != closed:
                raise InputError("%s: <%s> opened %d times, closed %d times"
                                 % (where, tag, opened, closed))
        values = c.get("values")
        if not isinstance(values, list) or not all(isinstance(v, str) for v in values):
            raise InputError("%s needs values, a list of strings" % where)
        entry = c.get("entry", "set")
        if entry not in ENTRY_MODES:
            raise InputError("%s: entry must be one of %s" % (where, ", ".join(ENTRY_MODES)))
        if entry == "typed" and len(values) != 1:
            raise InputError("%s: a typed entry needs exactly one value" % where)
        extra = set(c) - {"id", "html", "values", "entry"}
        if extra:
            raise InputError("%s: unknown keys %s" % (where, ", ".join(sorted(extra))))
        try:
            page.encode("utf-8")
        except UnicodeEncodeError:
            raise InputError("%s: the html is not valid Unicode (a lone surrogate?)" % where)
        clean.append({"id": cid, "html": page, "values": values, "entry": entry})
    if not clean:
        raise InputError("no cases on stdin")
    return clean


def script_json(data):
    """JSON that is safe inside a <script> element and pure ASCII."""
    text = json.dumps(data, ensure_ascii=True)
    return text.replace("<", "\\u003c").replace(">", "\\u003e").replace("&", "\\u0026")


def build_page(cases):
    chunks = [
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<title>constraint validation</title></head><body>\n"
    ]
    for index, c in enumerate(cases):
        chunks.append("<form id=\"case-%d\" action=\"about:blank\">%s</form>\n"
                      % (index, c["html"]))
    chunks.append("<pre id=\"results\"></pre>\n")
    chunks.append("<script type=\"application/json\" id=\"cases\">%s</script>\n"
                  % script_json([{"id": c["id"], "values": c["values"], "entry": c["entry"]}
                                 for c in cases]))
    chunks.append("<script>%s</script>\n</body></html>\n" % PAGE_SCRIPT)
    return "".join(chunks)


def check_chromium(chromium):
    if not (os.path.isfile(chromium) and os.access(chromium, os.X_OK)):
        raise BrowserError("Chromium not found at %s: install Debian's package with "
                           "'apt-get update && apt-get install -y chromium'" % chromium)


def stop(proc):
    """End the browser we started and every process it started."""
    if proc.poll() is None:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except OSError:
            pass
    try:
        proc.wait(10)
    except subprocess.TimeoutExpired:
        pass


def stderr_tail(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            lines = f.read().strip().splitlines()
    except OSError:
        return ""
    return "\n".join(lines[-15:])


def parse_results(text):
    try:
        return json.loads(text)
    except ValueError as e:
        raise BrowserError("the page's results are not JSON: %s" % e)


def run_dump_dom(chromium, page_path, profile, errlog, timeout):
    """The plain run: Chromium loads the page, whose script answers at once,
    and prints the page's DOM."""
    cmd = [chromium] + CHROMIUM_FLAGS + [
        "--user-data-dir=" + profile, "--dump-dom", "file://" + page_path]
    with open(errlog, "wb") as err:
        try:
            proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=err,
                                    stdin=subprocess.DEVNULL, start_new_session=True)
        except OSError as e:
            raise BrowserError("Chromium could not be started: %s" % e)
        try:
            out, _ = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            stop(proc)
            raise BrowserError("Chromium did not finish within %g s; the end of its stderr:\n%s"
                               % (timeout, stderr_tail(errlog)))
        finally:
            stop(proc)
    if proc.returncode != 0:
        raise BrowserError("Chromium exited with status %d; the end of its stderr:\n%s"
                           % (proc.returncode, stderr_tail(errlog)))
    dom = out.decode("utf-8", "replace")
    m = re.search(r'<pre id="results">(.*?)</pre>', dom, re.S)
    if not m or not m.group(1).strip():
        raise BrowserError("the page Chromium dumped holds no results (did its script run?);"
                           " the end of Chromium's stderr:\n%s" % stderr_tail(errlog))
    return parse_results(htmllib.unescape(m.group(1)))


class DevTools:
    """Chromium's DevTools protocol over --remote-debugging-pipe: commands go
    to the browser's fd 3, answers and events come from its fd 4, each message
    a JSON text ended by a NUL byte."""

    def __init__(self, chromium, url, profile, errlog, deadline):
        self.deadline = deadline
        self.next_id = 0
        self.buffer = b""
        to_read, self.to_browser = os.pipe()
        self.from_browser, to_write = os.pipe()

        def child_fds():
            a, b = os.dup(to_read), os.dup(to_write)
            os.dup2(a, 3)
            os.dup2(b, 4)

        cmd = [chromium] + CHROMIUM_FLAGS + [
            "--user-data-dir=" + profile, "--remote-debugging-pipe", url]
        self.err = open(errlog, "wb")
        try:
            self.proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=self.err,
                                         stdin=subprocess.DEVNULL, close_fds=False,
                                         preexec_fn=child_fds, start_new_session=True)
        except OSError as e:
            self.err.close()
            raise BrowserError("Chromium could not be started: %s" % e)
        finally:
            os.close(to_read)
            os.close(to_write)

    def close(self):
        try:
            self.send("Browser.close", {})
        except BrowserError:
            pass
        stop(self.proc)
        os.close(self.to_browser)
        os.close(self.from_browser)
        self.err.close()

    def _left(self):
        left = self.deadline - time.monotonic()
        if left <= 0:
            raise BrowserError("Chromium did not finish within the time allowed")
        return left

    def send(self, method, params, session=None):
        self.next_id += 1
        msg = {"id": self.next_id, "method": method, "params": params}
        if session:
            msg["sessionId"] = session
        try:
            os.write(self.to_browser, json.dumps(msg).encode("utf-8") + b"\0")
        except OSError as e:
            raise BrowserError("Chromium stopped listening (%s)" % e)
        while True:
            while b"\0" not in self.buffer:
                ready, _, _ = select.select([self.from_browser], [], [], self._left())
                if not ready:
                    self._left()
                    continue
                chunk = os.read(self.from_browser, 1 << 16)
                if not chunk:
                    raise BrowserError("Chromium closed its DevTools pipe")
                self.buffer += chunk
            raw, self.buffer = self.buffer.split(b"\0", 1)
            reply = json.loads(raw.decode("utf-8"))
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise BrowserError("DevTools %s failed: %s" % (method, reply["error"]))
                return reply.get("result", {})

    def evaluate(self, session, expression):
        got = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True},
                        session)
        if "exceptionDetails" in got:
            details = got["exceptionDetails"]
            text = details.get("exception", {}).get("description") or details.get("text")
            return None, str(text)
        return got.get("result", {}).get("value"), None


def run_driven(chromium, page_path, profile, errlog, timeout, cases):
    """The run for typed entries: Chromium's DevTools protocol types each value
    as keyboard input (Input.insertText), which the page takes as a user's
    edit, then asks the page for its answers."""
    url = "file://" + page_path + "#driven"
    tools = DevTools(chromium, url, profile, errlog, time.monotonic() + timeout)
    try:
        session = None
        while session is None:
            for target in tools.send("Target.getTargets", {}).get("targetInfos", []):
                if target.get("type") == "page" and target.get("url") == url:
                    session = tools.send("Target.attachToTarget",
                                         {"targetId": target["targetId"], "flatten": True}
                                         )["sessionId"]
                    break
            else:
                time.sleep(0.05)
        while True:
            ready, _ = tools.evaluate(session, "document.readyState === 'complete' && "
                                               "!!window.validityHarness")
            if ready:
                break
            time.sleep(0.05)
        typed_errors = {}
        for index, c in enumerate(cases):
            if c["entry"] != "typed":
                continue
            _, error = tools.evaluate(session, "validityHarness.prepareTyping(%d)" % index)
            if error:
                typed_errors[index] = error.split("\n")[0].replace("Error: ", "", 1)
                continue
            text = c["values"][0]
            if text:
                tools.send("Input.insertText", {"text": text}, session)
            else:
                for kind in ("rawKeyDown", "keyUp"):
                    tools.send("Input.dispatchKeyEvent",
                               {"type": kind, "key": "Backspace", "code": "Backspace",
                                "windowsVirtualKeyCode": 8, "nativeVirtualKeyCode": 8},
                               session)
        text, error = tools.evaluate(session, "validityHarness.runAll(%s)"
                                     % json.dumps({str(k): v for k, v in typed_errors.items()}))
        if error:
            raise BrowserError("the page's script failed: %s" % error)
        return parse_results(text)
    except BrowserError as e:
        raise BrowserError("%s; the end of Chromium's stderr:\n%s" % (e, stderr_tail(errlog)))
    finally:
        tools.close()


def main(argv):
    ap = argparse.ArgumentParser(
        description="Read a JSON list of {id, html, values[, entry]} cases on stdin; print"
                    " {id: {valid, flags, ...}} as Chromium's constraint validation sees it.")
    ap.add_argument("--chromium", default=CHROMIUM, help="the browser (default %(default)s)")
    ap.add_argument("--timeout", type=float, default=60.0,
                    help="seconds to wait for the browser (default %(default)s)")
    ap.add_argument("--keep-page", metavar="FILE",
                    help="also write the generated page to FILE, to open it by hand")
    ap.add_argument("--brief", action="store_true",
                    help="print only valid and flags for each case")
    args = ap.parse_args(argv)

    try:
        cases = read_cases(sys.stdin.buffer.read().decode("utf-8"))
    except (InputError, UnicodeDecodeError) as e:
        print("validity.py: bad input: %s" % e, file=sys.stderr)
        return EXIT_INPUT

    page = build_page(cases)
    workdir = tempfile.mkdtemp(prefix="validity-")
    try:
        check_chromium(args.chromium)
        page_path = os.path.join(workdir, "cases.html")
        with open(page_path, "w", encoding="utf-8") as f:
            f.write(page)
        if args.keep_page:
            shutil.copyfile(page_path, args.keep_page)
        profile = os.path.join(workdir, "profile")
        os.mkdir(profile)
        errlog = os.path.join(workdir, "chromium.log")
        if any(c["entry"] == "typed" for c in cases):
            data = run_driven(args.chromium, page_path, profile, errlog, args.timeout, cases)
        else:
            data = run_dump_dom(args.chromium, page_path, profile, errlog, args.timeout)
    except BrowserError as e:
        print("validity.py: %s" % e, file=sys.stderr)
        return EXIT_BROWSER
    finally:
        shutil.rmtree(workdir, ignore_errors=True)

    if data.get("pageError") or not data.get("done"):
        print("validity.py: the page's script failed: %s" % data.get("pageError"), file=sys.stderr)
        return EXIT_BROWSER
    results = data.get("results", {})
    if data.get("count") != len(cases) or set(results) != {c["id"] for c in cases}:
        print("validity.py: the browser answered %s of %d cases"
              % (data.get("count"), len(cases)), file=sys.stderr)
        return EXIT_BROWSER

    status = EXIT_OK
    answer = {}
    for c in cases:
        r = results[c["id"]]
        if "error" in r:
            print("validity.py: case %r: %s" % (c["id"], r["error"]), file=sys.stderr)
            status = EXIT_INPUT
        if args.brief and "error" not in r:
            r = {"valid": r["valid"], "flags": r["flags"]}
        answer[c["id"]] = r
    sys.stdout.write(json.dumps(answer, ensure_ascii=True, indent=1) + "\n")
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
