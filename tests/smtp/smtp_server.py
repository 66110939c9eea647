#!/usr/bin/python3
"""SMTP server for the end-to-end tests; smtp_start.sh runs it.

Seven listeners on free 127.0.0.1 ports, all requiring AUTH (PLAIN or LOGIN)
before MAIL:
  starttls   plain connection, STARTTLS offered, AUTH only after it
  tls        TLS from the start, as on port 465
  notls      no STARTTLS, AUTH offered in the clear
  untrusted  STARTTLS with a self-signed certificate outside the test CA
  login      TLS from the start, offering AUTH LOGIN only
  othername  STARTTLS with a certificate of the test CA for mail.other.test
  inject     STARTTLS, with a forged list of offers sent in plain text in the
             same write as the 220 that answers it, as a man in the middle
RCPT TO a local part starting with "defer" (any case) gets 450, bad
credentials 535.

Files in DIR/mail, NNNN counting connections to any listener (smtp_start.sh
removes those of its own probe); the reply to DATA names NNNN-LISTENER-K:
  NNNN-LISTENER.transcript   "C: " + each command line as received (CRLF
      kept; AUTH arguments and AUTH replies too, message lines not),
      "S: " + each reply, "* " + events: CONNECTED, TLS STARTED, TLS FAILED,
      MESSAGE, CLOSED
  NNNN-LISTENER-K.envelope   "MAIL FROM:<a>" then one "RCPT TO:<b>" a line
  NNNN-LISTENER-K.eml        the DATA after dot-unstuffing, byte for byte;
      written after the envelope, and renamed into place when complete
A failed handshake on the tls listener leaves no transcript.
DIR/ready gets PID and the ports once every listener accepts connections.
"""
import argparse
import asyncio
import functools
import itertools
import logging
import os
import ssl
import time
import warnings

from aiosmtpd.smtp import SMTP, AuthResult

CONNECTIONS = itertools.count(1)
config = argparse.Namespace()


class Connection(SMTP):
    """One client connection, recording what crosses it."""

    def __init__(self, listener, inject=False, **options):
        self.inject = inject
        super().__init__(Handler(), hostname="localhost", ident="Zestrel test ESMTP",
                         enable_SMTPUTF8=True, auth_required=True,
                         authenticator=authenticate, **options)
        self.name = "%04d-%s" % (next(CONNECTIONS), listener)
        self.transcript = os.path.join(config.mail, self.name + ".transcript")
        self.messages = 0
        self.in_data = False

    def record(self, data):
        with open(self.transcript, "ab") as f:
            f.write(data)

    def note(self, text):
        self.record(b"* " + text.encode() + b"\r\n")

    def connection_made(self, transport):
        after_starttls = self._original_transport is not None
        super().connection_made(transport)
        if not after_starttls:
            self.note("CONNECTED %s:%s" % transport.get_extra_info("peername")[:2])
        tls = transport.get_extra_info("ssl_object")
        if tls is not None:
            self.note("TLS STARTED " + tls.version())

    def _client_connected_cb(self, reader, writer):
        # aiosmtpd reads command lines and AUTH replies with readuntil()
        # (readline() calls it too); message lines are left to the .eml file.
        read = reader.readuntil

        async def readuntil(separator=b"\n"):
            try:
                line = await read(separator)
            except asyncio.LimitOverrunError:
                self.note("LINE TOO LONG")
                raise
            if not self.in_data:
                self.record(b"C: " + line)
            return line

        reader.readuntil = readuntil
        super()._client_connected_cb(reader, writer)

    async def push(self, status):
        if self.inject and status.startswith("220 Ready to start TLS"):
            status += "\r\n250-forged.test\r\n250 AUTH LOGIN"
        self.record(b"S: " + (status if isinstance(status, bytes) else status.encode()) + b"\r\n")
        await super().push(status)

    async def smtp_STARTTLS(self, arg):
        try:
            await super().smtp_STARTTLS(arg)
        except Exception as error:
            self.note("TLS FAILED %r" % (error.__cause__ or error))
            raise

    async def smtp_DATA(self, arg):
        self.in_data = True
        try:
            await super().smtp_DATA(arg)
        finally:
            self.in_data = False

    def connection_lost(self, error):
        self.note("CLOSED")
        super().connection_lost(error)


class Handler:
    async def handle_RCPT(self, server, session, envelope, address, options):
        if address.split("@")[0].lower().startswith("defer"):
            return "450 4.2.1 Mailbox busy, try again later"
        envelope.rcpt_tos.append(address)
        envelope.rcpt_options.extend(options)
        return "250 2.1.5 OK"

    async def handle_DATA(self, server, session, envelope):
        server.messages += 1
        base = os.path.join(config.mail, "%s-%d" % (server.name, server.messages))
        # Addresses only: MAIL and RCPT options are in the transcript.
        # aiosmtpd keeps the null sender as "<>".
        sender = "" if envelope.mail_from == "<>" else envelope.mail_from
        lines = ["MAIL FROM:<%s>" % sender]
        lines += ["RCPT TO:<%s>" % r for r in envelope.rcpt_tos]
        with open(base + ".envelope", "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write("\n".join(lines) + "\n")
        with open(base + ".tmp", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".tmp", base + ".eml")
        server.note("MESSAGE %s.eml %d bytes" % (os.path.basename(base),
                                                  len(envelope.original_content)))
        return "250 2.0.0 OK queued as %s" % os.path.basename(base)

    async def handle_exception(self, error):
        # A failed TLS handshake lands here too; its reply is never sent.
        logging.warning("%r", error)
        return "451 4.3.0 Server error"


def authenticate(server, session, envelope, mechanism, auth_data):
    ok = (mechanism in ("PLAIN", "LOGIN")
          and auth_data.login == config.user.encode()
          and auth_data.password == config.password.encode())
    return AuthResult(success=ok, handled=False)


def tls_context(name):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(os.path.join(config.dir, name + ".pem"),
                            os.path.join(config.dir, name + ".key"))
    return context


async def serve():
    loop = asyncio.get_running_loop()
    trusted = tls_context("server")
    listeners = [  # name, options of Connection, TLS from the start
        ("starttls", {"tls_context": trusted}, None),
        ("tls", {"auth_require_tls": False}, trusted),
        ("notls", {"auth_require_tls": False}, None),
        ("untrusted", {"tls_context": tls_context("untrusted")}, None),
        ("login", {"auth_require_tls": False, "auth_exclude_mechanism": ["PLAIN"]}, trusted),
        ("othername", {"tls_context": tls_context("othername")}, None),
        ("inject", {"tls_context": trusted, "inject": True}, None),
    ]
    ready = ["PID=%d" % os.getpid()]
    for name, options, start_tls in listeners:
        factory = functools.partial(Connection, name, loop=loop, **options)
        server = await loop.create_server(factory, "127.0.0.1", 0, ssl=start_tls)
        ready.append("%s_PORT=%d" % (name.upper(), server.sockets[0].getsockname()[1]))
    with open(os.path.join(config.dir, "ready.tmp"), "w") as f:
        f.write("\n".join(ready) + "\n")
    os.rename(os.path.join(config.dir, "ready.tmp"), os.path.join(config.dir, "ready"))
    # A server whose folder was removed, or that was forgotten, ends itself.
    deadline = time.monotonic() + config.lifetime
    while os.path.isdir(config.dir) and time.monotonic() < deadline:
        await asyncio.sleep(1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dir", required=True, help="folder with the keys and certificates")
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--lifetime", type=float, default=4 * 3600, help="seconds")
    parser.parse_args(namespace=config)
    config.mail = os.path.join(config.dir, "mail")
    os.makedirs(config.mail, exist_ok=True)
    logging.basicConfig(level=logging.WARNING)
    # aiosmtpd warns on every connection that AUTH may cross in the clear:
    # here that is on purpose (notls; tls is encrypted from the start).
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    warnings.filterwarnings("ignore", message="Requiring AUTH while not requiring TLS")
    try:
        os.setsid()  # out of the caller's process group, as a daemon
    except OSError:
        pass
    asyncio.run(serve())


if __name__ == "__main__":
    main()
