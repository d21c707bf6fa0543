#!/usr/bin/python3
"""An SMTP server for tests: stores every message it receives in a folder.

usage: smtp_sink.py PORT FOLDER [--tls CERT KEY TLSPORT] [--auth USER PASSWORD]

With --tls the server offers STARTTLS on PORT and speaks TLS from the first byte on TLSPORT.
With --auth it requires AUTH (PLAIN or LOGIN, offered over TLS only) with that user before MAIL.

Each delivery N (from 0) becomes FOLDER/N.env (the MAIL FROM address, then one RCPT TO address
per line) and FOLDER/N.eml (the data as received, byte-stuffing undone). The .eml file appears
last, by rename, so a reader that sees it finds both complete. Runs until terminated.
"""
import os
import signal
import ssl
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class StoringHandler:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0
        self.lock = threading.Lock()

    def _write(self, name, data):
        temporary = os.path.join(self.folder, name + ".tmp")
        with open(temporary, "wb") as f:
            f.write(data)
        os.rename(temporary, os.path.join(self.folder, name))

    async def handle_DATA(self, server, session, envelope):
        with self.lock:
            number = self.count
            self.count += 1
        lines = [envelope.mail_from or ""] + list(envelope.rcpt_tos)
        self._write("%d.env" % number, ("\n".join(lines) + "\n").encode("utf-8", "replace"))
        self._write("%d.eml" % number, envelope.original_content or b"")
        return "250 OK stored"


def options(arguments):
    """The optional arguments after PORT FOLDER, as a dict."""
    found = {}
    i = 0
    while i < len(arguments):
        if arguments[i] == "--tls":
            found["tls"] = arguments[i + 1:i + 4]
            i += 4
        elif arguments[i] == "--auth":
            found["auth"] = arguments[i + 1:i + 3]
            i += 3
        elif arguments[i] == "--no-smtputf8":
            found["no-smtputf8"] = True
            i += 1
        else:
            raise SystemExit("unknown argument " + arguments[i])
    return found


def main():
    port = int(sys.argv[1])
    folder = sys.argv[2]
    extra = options(sys.argv[3:])
    handler = StoringHandler(folder)
    # SMTPUTF8 on, as servers of today offer it for addresses beyond ASCII, unless asked to play
    # an older server.
    settings = {"decode_data": False, "enable_SMTPUTF8": "no-smtputf8" not in extra}
    implicit = None
    if "auth" in extra:
        user, password = (value.encode() for value in extra["auth"])

        def authenticator(server, session, envelope, mechanism, data):
            ok = isinstance(data, LoginPassword) and data.login == user and data.password == password
            return AuthResult(success=ok, handled=False)  # handled: aiosmtpd sends no reply

        settings.update(auth_required=True, auth_require_tls=True, authenticator=authenticator)
    if "tls" in extra:
        certificate, key, tls_port = extra["tls"]
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(certificate, key)
        # aiosmtpd 1.4 counts only STARTTLS as TLS for auth_require_tls; this port is TLS from
        # its first byte.
        implicit_settings = dict(settings, auth_require_tls=False)
        implicit = Controller(handler, hostname="127.0.0.1", port=int(tls_port),
                              ssl_context=context, **implicit_settings)
        settings["tls_context"] = context
    controller = Controller(handler, hostname="127.0.0.1", port=port, **settings)
    controller.start()
    if implicit:
        implicit.start()
    print("ready", flush=True)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    while not stop.wait(0.5):
        pass
    controller.stop()
    if implicit:
        implicit.stop()


if __name__ == "__main__":
    main()
