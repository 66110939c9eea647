#!/bin/sh
# Starts the test SMTP server (smtp_server.py) and writes how to reach it into
# the state file given as the only argument.
#
# Everything lives in one fresh temporary folder: a test CA, the certificates,
# the server's log and the mail folder. The server listens on free 127.0.0.1
# ports only. smtp_stop.sh stops it and removes the folder.
# Needs Debian's python3-aiosmtpd and openssl; /usr/bin/python3 is the Python
# that loads Debian's modules.
set -eu

state_file="$1"
here="$(cd "$(dirname "$0")" && pwd)"
python=/usr/bin/python3

# A server left behind by an interrupted run is stopped first.
"$here/smtp_stop.sh" "$state_file"

dir="$(mktemp -d "${TMPDIR:-/tmp}/zestrel-smtp.XXXXXX")"
# Written at once so that the cleanup finds the folder even if start-up fails.
printf 'DIR=%s\n' "$dir" >"$state_file"

# The CA that tests trust, a server certificate it signs for localhost and
# 127.0.0.1, and a self-signed one for the same names that nobody trusts.
cat >"$dir/openssl.cnf" <<'CNF'
[req]
distinguished_name = dn
[dn]
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[leaf]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[othername]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:mail.other.test
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF
certificate() { # NAME SUBJECT SECTION [openssl req options]
    name="$1" subject="$2" section="$3"
    shift 3
    openssl req -config "$dir/openssl.cnf" -x509 -newkey ec \
        -pkeyopt ec_paramgen_curve:P-256 -nodes -days 7 -subj "$subject" \
        -extensions "$section" -keyout "$dir/$name.key" -out "$dir/$name.pem" "$@"
}
if ! {
    certificate ca "/CN=Zestrel test CA" ca &&
        certificate server /CN=localhost leaf -CA "$dir/ca.pem" -CAkey "$dir/ca.key" &&
        certificate untrusted /CN=localhost leaf &&
        certificate othername /CN=mail.other.test othername -CA "$dir/ca.pem" -CAkey "$dir/ca.key"
} >"$dir/openssl.log" 2>&1; then
    cat "$dir/openssl.log" >&2
    exit 1
fi

user=zestrel
password="smtp-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
# The server puts itself in its own session (setsid) and the redirections
# detach it from CTest's pipes, so the set-up test ends while it runs on.
"$python" "$here/smtp_server.py" --dir "$dir" --user "$user" --password "$password" \
    </dev/null >"$dir/server.log" 2>&1 &
pid=$!
printf 'DIR=%s\nPID=%s\n' "$dir" "$pid" >"$state_file"

# The server binds port 0 itself (so no other process can take a port picked
# for it) and writes DIR/ready once every listener is up.
tries=0
while [ ! -f "$dir/ready" ] && [ $tries -lt 200 ] && kill -0 "$pid" 2>/dev/null; do
    tries=$((tries + 1))
    sleep 0.05
done
if [ ! -f "$dir/ready" ]; then
    echo "smtp_server.py did not start" >&2
    cat "$dir/server.log" >&2
    exit 1
fi

cat >"$state_file" <<STATE
DIR=$dir
PID=$pid
HOST=127.0.0.1
CA=$dir/ca.pem
USER=$user
PASSWORD=$password
MAIL_DIR=$dir/mail
$(grep '_PORT=' "$dir/ready")
STATE

# Every listener must greet with 220, the TLS one through a handshake that
# the test CA verifies for "localhost". The transcripts of these probes are
# removed once closed, so that the mail folder starts empty.
if ! "$python" - "$state_file" <<'PY'; then
import glob, os, socket, ssl, sys, time
state = dict(l.rstrip("\n").split("=", 1) for l in open(sys.argv[1]))
for key in ("STARTTLS_PORT", "TLS_PORT", "NOTLS_PORT", "UNTRUSTED_PORT", "LOGIN_PORT", "OTHERNAME_PORT",
            "INJECT_PORT"):
    sock = socket.create_connection((state["HOST"], int(state[key])), timeout=10)
    if key in ("TLS_PORT", "LOGIN_PORT"):
        sock = ssl.create_default_context(cafile=state["CA"]).wrap_socket(
            sock, server_hostname="localhost")
    with sock, sock.makefile("rwb") as f:
        greeting = f.readline()
        if not greeting.startswith(b"220 "):
            sys.exit("%s answered %r" % (key, greeting))
        f.write(b"QUIT\r\n")
        f.flush()
        f.readline()
deadline = time.monotonic() + 10
probes = glob.glob(os.path.join(state["MAIL_DIR"], "*.transcript"))
for path in probes:
    while not open(path, "rb").read().endswith(b"* CLOSED\r\n"):
        if time.monotonic() > deadline:
            sys.exit(path + " was not closed")
        time.sleep(0.01)
    os.unlink(path)
if len(probes) != 7:
    sys.exit("expected 7 probe transcripts, found %d" % len(probes))
PY
    cat "$dir/server.log" >&2
    exit 1
fi
echo "smtp_server.py $pid ready on 127.0.0.1, state in $state_file"
