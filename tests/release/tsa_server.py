#!/usr/bin/env python3
"""tsa_server.py CONFIG PORT_FILE

An RFC 3161 time-stamp authority on 127.0.0.1, for signing tests without a network: each
POSTed query is answered by `openssl ts -reply` with the [tsa] section of CONFIG (the
authority's key, certificate and serial file). Writes the port it listens on to PORT_FILE,
then serves until it is ended. osslsigncode 2.5 has no built-in authority of its own."""
import http.server
import os
import subprocess
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        answer = subprocess.run(
            ["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", "/dev/stdin", "-out", "/dev/stdout"],
            input=query, capture_output=True)
        if answer.returncode != 0:
            sys.stderr.write(answer.stderr.decode())
            self.send_error(500)
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(answer.stdout)))
        self.end_headers()
        self.wfile.write(answer.stdout)

    def log_message(self, *_):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
# Whole or not at all, for the test that waits for it.
with open(sys.argv[2] + ".new", "w") as port_file:
    port_file.write(str(server.server_address[1]))
os.rename(sys.argv[2] + ".new", sys.argv[2])
server.serve_forever()
