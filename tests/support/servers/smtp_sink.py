#!/usr/bin/python3
"""An SMTP server for tests: stores every message it receives in a folder.

usage: smtp_sink.py PORT FOLDER

Each delivery N (from 0) becomes FOLDER/N.env (the MAIL FROM address, then one RCPT TO address
per line) and FOLDER/N.eml (the data as received, byte-stuffing undone). The .eml file appears
last, by rename, so a reader that sees it finds both complete. Runs until terminated.
"""
import os
import signal
import sys
import threading

from aiosmtpd.controller import Controller


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


def main():
    port = int(sys.argv[1])
    folder = sys.argv[2]
    controller = Controller(StoringHandler(folder), hostname="127.0.0.1", port=port,
                            decode_data=False)
    controller.start()
    print("ready", flush=True)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    while not stop.wait(0.5):
        pass
    controller.stop()


if __name__ == "__main__":
    main()
