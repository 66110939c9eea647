#!/bin/sh
# Self-test of the test SMTP server: starts it, talks to every listener with
# Python's smtplib and with PHP's streams, compares the stored messages byte
# for byte, then checks that smtp_stop.sh cleans up, also after a crash.
# Prints PASS/FAIL lines and "selftest: N passed, M failed"; exits 1 on any
# failure.
set -u

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/zestrel-smtp-selftest.XXXXXX")"
state="$work/state"
results="$work/results"
trap '"$here/smtp_stop.sh" "$state"; rm -rf "$work"' EXIT
: >"$results"

check() { # NAME COMMAND...: one PASS or FAIL line
    name="$1"
    shift
    if "$@" >/dev/null 2>&1; then
        echo "PASS: $name" | tee -a "$results"
    else
        echo "FAIL: $name" | tee -a "$results"
    fi
}
value() { sed -n "s/^$1=//p" "$state"; }
millis() { date +%s%3N; }
gone() { ! tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline" | grep -q smtp_server.py; }

t0=$(millis)
check "smtp_start.sh succeeds" "$here/smtp_start.sh" "$state"
echo "start took $(($(millis) - t0)) ms"
for key in DIR PID HOST CA USER PASSWORD MAIL_DIR STARTTLS_PORT TLS_PORT NOTLS_PORT UNTRUSTED_PORT OTHERNAME_PORT; do
    check "state file has $key" test -n "$(value $key)"
done
check "mail folder starts empty" test -z "$(ls -A "$(value MAIL_DIR)")"

# The smtplib client; each check prints one PASS or FAIL line.
client=0
/usr/bin/python3 - "$state" >"$work/client.out" 2>&1 <<'PY' || client=$?
import base64, glob, os, smtplib, ssl, sys, time

st = dict(line.rstrip("\n").split("=", 1) for line in open(sys.argv[1]))
HOST, USER, PASSWORD, MAIL = st["HOST"], st["USER"], st["PASSWORD"], st["MAIL_DIR"]
CA = ssl.create_default_context(cafile=st["CA"])


def port(name):
    return int(st[name + "_PORT"])


def check(name, ok, detail=""):
    print(("PASS: " if ok else "FAIL: ") + name + ("" if ok else "  " + str(detail)[:300]))
    sys.stdout.flush()


def raises(call, kind):
    """The exception of type KIND that CALL raises, or None."""
    try:
        call()
    except kind as error:
        return error
    return None


def transcript(listener):
    """The newest transcript of LISTENER, once the server closed it."""
    path = sorted(glob.glob("%s/*-%s.transcript" % (MAIL, listener)))[-1]
    deadline = time.monotonic() + 10
    while True:
        data = open(path, "rb").read()
        if data.endswith(b"* CLOSED\r\n") or time.monotonic() > deadline:
            return data
        time.sleep(0.01)


def client_lines(data):
    return [l[3:] for l in data.split(b"\r\n") if l.startswith(b"C: ")]


def verbs(data):
    return [l.split(b" ")[0].upper().decode() for l in client_lines(data)]


def stored(reply):
    """Bytes and envelope of the message that REPLY ("queued as NAME") names."""
    base = os.path.join(MAIL, reply.decode().rsplit(" ", 1)[1])
    return open(base + ".eml", "rb").read(), open(base + ".envelope").read()


def data_reply(client, sender, recipients, message):
    """Sends MESSAGE like sendmail() and returns refusals and the DATA reply."""
    client.mail(sender)
    refused = {}
    for r in recipients:
        code, text = client.rcpt(r)
        if code != 250:
            refused[r] = (code, text)
    return refused, client.data(message)


# STARTTLS listener before TLS: STARTTLS offered, AUTH neither offered nor accepted.
with smtplib.SMTP(HOST, port("STARTTLS")) as c:
    c.ehlo()
    check("starttls: STARTTLS offered", c.has_extn("starttls"))
    check("starttls: no AUTH offered before TLS", not c.has_extn("auth"))
    code = c.docmd("AUTH PLAIN " + base64.b64encode(b"\0x\0y").decode())[0]
    check("starttls: AUTH refused before TLS (538)", code == 538, code)
    code = c.docmd("MAIL FROM:<a@example.test>")[0]
    check("starttls: MAIL refused without AUTH (530)", code == 530, code)
    c.starttls(context=CA)
    c.ehlo()
    check("starttls: AUTH PLAIN LOGIN offered after TLS",
          c.esmtp_features.get("auth", "").split() == ["LOGIN", "PLAIN"], c.esmtp_features)
    check("starttls: STARTTLS no longer offered", not c.has_extn("starttls"))
    error = raises(lambda: c.login(USER, PASSWORD + "x"), smtplib.SMTPAuthenticationError)
    check("starttls: wrong password gets 535", error is not None and error.smtp_code == 535, error)

# STARTTLS + AUTH PLAIN; several recipients, two deferred; awkward lines.
message = (
    "From: Sender <sender@example.test>\r\n"
    "To: one@example.test, two@example.test\r\n"
    "Subject: Grüße aus Zürich – ✓ €\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=UTF-8\r\n"
    "Content-Transfer-Encoding: 8bit\r\n"
    "\r\n"
    "first line\r\n"
    ".\r\n"
    "From the start of a line\r\n"
    "..two dots\r\n"
    ".leading dot\r\n"
    " . \r\n"
    "last line, ünïcødé\r\n"
).encode()
recipients = ["one@example.test", "defer@example.test", "two@example.test",
              "DEFERred.x@example.test", "Three@Example.test"]
with smtplib.SMTP(HOST, port("STARTTLS")) as c:
    c.starttls(context=CA)
    c.login(USER, PASSWORD)
    refused, reply = data_reply(c, "sender@example.test", recipients, message)
check("starttls: defer recipients get 450",
      sorted(refused) == ["DEFERred.x@example.test", "defer@example.test"]
      and all(code == 450 for code, _ in refused.values()), refused)
check("starttls: DATA accepted", reply[0] == 250, reply)
body, envelope = stored(reply[1])
check("starttls: message stored byte for byte", body == message, body)
check("starttls: envelope lists the accepted recipients", envelope == (
    "MAIL FROM:<sender@example.test>\nRCPT TO:<one@example.test>\n"
    "RCPT TO:<two@example.test>\nRCPT TO:<Three@Example.test>\n"), envelope)
log = transcript("starttls")
check("starttls transcript: commands in order", verbs(log) == [
    "EHLO", "STARTTLS", "EHLO", "AUTH", "MAIL", "RCPT", "RCPT", "RCPT", "RCPT", "RCPT",
    "DATA", "QUIT"], verbs(log))
clear, _, secret = log.partition(b"* TLS STARTED")
plain = base64.b64encode(b"\0" + USER.encode() + b"\0" + PASSWORD.encode())
check("starttls transcript: TLS STARTED before AUTH", b"C: AUTH" not in clear and
      b"C: AUTH PLAIN " + plain + b"\r\n" in secret, log)
check("starttls transcript: message lines left out", b"first line" not in log, log)
check("starttls transcript: 450 replies recorded", log.count(b"S: 450 ") == 2, log)

with smtplib.SMTP(HOST, port("STARTTLS")) as c:
    c.starttls(context=CA)
    c.login(USER, PASSWORD)
    error = raises(lambda: c.sendmail("a@example.test", ["defer.all@example.test"], b"x\r\n"),
                   smtplib.SMTPRecipientsRefused)
check("starttls: all recipients deferred refuses the message", error is not None, error)

# Implicit TLS + AUTH LOGIN answered line by line; a 10,000-line message and
# a second one on the same connection.
big = b"".join(b"%sline %05d of the long message\r\n" % (b"." if i % 7 == 0 else b"", i)
               for i in range(1, 10001))
with smtplib.SMTP_SSL(HOST, port("TLS"), context=CA) as c:
    c.ehlo()
    check("tls: AUTH PLAIN LOGIN offered",
          c.esmtp_features.get("auth", "").split() == ["LOGIN", "PLAIN"], c.esmtp_features)
    check("tls: no STARTTLS offered", not c.has_extn("starttls"))
    code = c.docmd("MAIL FROM:<a@example.test>")[0]
    check("tls: MAIL refused without AUTH (530)", code == 530, code)
    c.user, c.password = USER, PASSWORD
    code = c.auth("LOGIN", c.auth_login, initial_response_ok=False)[0]
    check("tls: AUTH LOGIN accepted (235)", code == 235, code)
    _, reply1 = data_reply(c, "big@example.test", ["big@example.test"], big)
    _, reply2 = data_reply(c, "", ["second@example.test"], b"Subject: 2\r\n\r\nsecond\r\n")
check("tls: 10,000-line message stored byte for byte", stored(reply1[1])[0] == big)
check("tls: second message stored with null sender",
      stored(reply2[1]) == (b"Subject: 2\r\n\r\nsecond\r\n",
                            "MAIL FROM:<>\nRCPT TO:<second@example.test>\n"), stored(reply2[1]))
log = transcript("tls")
check("tls transcript: TLS STARTED before the greeting",
      log.split(b"\r\n")[1].startswith(b"* TLS STARTED") and b"S: 220 " in log, log)
check("tls transcript: both AUTH LOGIN answers recorded", client_lines(log)[2:5] == [
    b"AUTH LOGIN", base64.b64encode(USER.encode()), base64.b64encode(PASSWORD.encode())],
    client_lines(log))
check("tls transcript: two messages noted", log.count(b"* MESSAGE ") == 2, log)

with smtplib.SMTP_SSL(HOST, port("TLS"), context=CA) as c:
    c.ehlo()
    c.user, c.password = USER + "x", PASSWORD
    error = raises(lambda: c.auth("LOGIN", c.auth_login), smtplib.SMTPAuthenticationError)
check("tls: wrong user gets 535", error is not None and error.smtp_code == 535, error)

for name in ("localhost", "127.0.0.1", "example.com"):
    def handshake():
        sock = CA.wrap_socket(__import__("socket").create_connection((HOST, port("TLS"))),
                              server_hostname=name)
        sock.close()
    error = raises(handshake, ssl.SSLCertVerificationError)
    check("tls: certificate %s for %s" % ("rejected" if name == "example.com" else "valid", name),
          (error is not None) == (name == "example.com"), error)

# No TLS at all: no STARTTLS, AUTH offered in the clear; the transcript tells
# whether a client sent AUTH there.
with smtplib.SMTP(HOST, port("NOTLS")) as c:
    c.ehlo()
    check("notls: no STARTTLS offered", not c.has_extn("starttls"))
    check("notls: AUTH PLAIN LOGIN offered in the clear",
          c.esmtp_features.get("auth", "").split() == ["LOGIN", "PLAIN"], c.esmtp_features)
    check("notls: STARTTLS refused",
          raises(c.starttls, smtplib.SMTPNotSupportedError) is not None)
log = transcript("notls")
check("notls transcript: no AUTH when none was sent", b"AUTH" not in b"".join(client_lines(log)))
with smtplib.SMTP(HOST, port("NOTLS")) as c:
    c.login(USER, PASSWORD)
log = transcript("notls")
check("notls transcript: AUTH in the clear recorded",
      b"C: AUTH PLAIN " + plain in log and b"TLS STARTED" not in log, log)

# STARTTLS with a certificate that the test CA did not sign.
with smtplib.SMTP(HOST, port("UNTRUSTED")) as c:
    c.ehlo()
    check("untrusted: STARTTLS offered", c.has_extn("starttls"))
    error = raises(lambda: c.starttls(context=CA), ssl.SSLCertVerificationError)
check("untrusted: certificate fails verification as self-signed",
      error is not None and error.verify_code == 18, error)
log = transcript("untrusted")
check("untrusted transcript: TLS FAILED, never started",
      b"* TLS FAILED" in log and b"TLS STARTED" not in log, log)
own = ssl.create_default_context(cafile=os.path.join(st["DIR"], "untrusted.pem"))
with smtplib.SMTP(HOST, port("UNTRUSTED")) as c:
    c.starttls(context=own)
    c.login(USER, PASSWORD)
check("untrusted: works for a client that trusts that very certificate", True)
PY
cat "$work/client.out"
grep -E '^(PASS|FAIL): ' "$work/client.out" >>"$results"
check "smtplib client ran to its end" test "$client" -eq 0

# PHP must trust the CA through the same options the generated script uses.
# shellcheck disable=SC2016 # PHP code, not expanded by the shell
php_client='
[$port, $mode, $cafile] = array_slice($argv, 1);
$ssl = ["verify_peer" => true, "peer_name" => "localhost"];
if ($cafile !== "") { $ssl["cafile"] = $cafile; }
$context = stream_context_create(["ssl" => $ssl]);
$s = @stream_socket_client(($mode === "tls" ? "tls" : "tcp") . "://127.0.0.1:$port",
    $errno, $errstr, 10, STREAM_CLIENT_CONNECT, $context);
if ($s === false) { exit(1); }
if ($mode === "starttls") {
    fgets($s);
    fwrite($s, "EHLO php\r\n");
    while (($line = fgets($s)) !== false && $line[3] === "-") {}
    fwrite($s, "STARTTLS\r\n");
    if (strncmp(fgets($s), "220", 3) !== 0 ||
        !@stream_socket_enable_crypto($s, true, STREAM_CRYPTO_METHOD_TLS_CLIENT)) { exit(1); }
    fwrite($s, "NOOP\r\n");
}
exit(strncmp((string) fgets($s), ($mode === "starttls" ? "250" : "220"), 3) === 0 ? 0 : 1);'
php_ok() { php -r "$php_client" -- "$@"; }
php_fails() { ! php -r "$php_client" -- "$@"; }
ca="$(value CA)"
check "php: tls:// to TLS_PORT with the CA as cafile" php_ok "$(value TLS_PORT)" tls "$ca"
check "php: tls:// to TLS_PORT fails without the CA" php_fails "$(value TLS_PORT)" tls ""
check "php: STARTTLS on STARTTLS_PORT with the CA" php_ok "$(value STARTTLS_PORT)" starttls "$ca"
check "php: STARTTLS on UNTRUSTED_PORT fails" php_fails "$(value UNTRUSTED_PORT)" starttls "$ca"
check "php: STARTTLS on OTHERNAME_PORT fails for the name localhost" php_fails "$(value OTHERNAME_PORT)" starttls "$ca"

# Stopping: process and folder gone, state file removed, stopping twice fine.
dir="$(value DIR)"
pid="$(value PID)"
t0=$(millis)
check "smtp_stop.sh succeeds" "$here/smtp_stop.sh" "$state"
echo "stop took $(($(millis) - t0)) ms"
check "stop: server gone" gone "$pid"
check "stop: folder removed" test ! -e "$dir"
check "stop: state file removed" test ! -e "$state"
check "stop: a second stop succeeds" "$here/smtp_stop.sh" "$state"

# Starting over a running server stops it first; stop cleans up after a crash.
"$here/smtp_start.sh" "$state" >/dev/null
dir="$(value DIR)"
pid="$(value PID)"
"$here/smtp_start.sh" "$state" >/dev/null
check "restart: the earlier server is stopped" gone "$pid"
check "restart: the earlier folder is removed" test ! -e "$dir"
dir="$(value DIR)"
pid="$(value PID)"
kill -KILL "$pid"
check "crash: stop succeeds after the server was killed" "$here/smtp_stop.sh" "$state"
check "crash: folder removed" test ! -e "$dir"

# A server whose folder disappears ends by itself.
"$here/smtp_start.sh" "$state" >/dev/null
dir="$(value DIR)"
pid="$(value PID)"
rm -rf "$dir"
tries=0
while [ $tries -lt 50 ] && ! gone "$pid"; do
    tries=$((tries + 1))
    sleep 0.1
done
check "orphan: server ends when its folder is removed" gone "$pid"
"$here/smtp_stop.sh" "$state"

passed=$(grep -c '^PASS' "$results")
failed=$(grep -c '^FAIL' "$results")
echo "selftest: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
