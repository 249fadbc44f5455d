"""An RFC 3161 time-stamping authority on a free loopback port for the
signing check: each query POSTed is answered by the command given (openssl ts
-reply). Prints the port once it listens."""

import http.server
import subprocess
import sys


class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(sys.argv[1:], input=query, capture_output=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(reply)


server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
print(server.server_port, flush=True)
server.serve_forever()
