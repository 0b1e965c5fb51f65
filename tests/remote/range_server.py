#!/usr/bin/env python3
"""A small HTTP server for the remote-file tests and benchmark.

Serves the files of FOLDER with byte ranges ("Range: bytes=A-B", and
several at once as "bytes=A-B,C-D" in a multipart/byteranges answer), keeps
connections open, and can add a fixed delay to every response.
  /NAME              the file, ranges honoured (206) or the whole file (200)
  /whole/NAME        the file, ranges ignored (always 200 and the whole file)
  /single/NAME       as /NAME, but of several ranges only the first is sent
  /few/NAME          as /NAME, but more than 200 ranges get the whole file
  /growing/NAME      the file with one more byte on every request
  /fullrange/NAME    as /NAME, but a range of the whole file gets 200 and the
                     file, as servers may answer it
  /moved/NAME        a redirection (302) to /NAME
  /loop/NAME         a redirection (302) to itself
  /auth/NAME         the file, only to requests signed for S3 with the key
                     id AKIDEXAMPLE (otherwise 403)
  /BUCKET/?list-type=2&prefix=P&delimiter=/   the objects directly under
                     P in the folder BUCKET, as S3's ListObjectsV2 lists them,
                     two a page (continuation-token: where the page starts)
  anything missing   404
Prints the port it listens on, then serves until killed.

  range_server.py FOLDER [--port N] [--delay-ms MS] [--rate-mbps R] [--log FILE]
                  [--max-connections N] [--busy N [--busy-status S]]
                  [--tls CERT KEY]

With --rate-mbps a response's bytes go out at no more than R megabytes a
second on each connection, as an object store serves each connection.
With --log the Range of every request is appended to FILE, a line each.
With --max-connections a request on a connection beyond the first N open
at once is answered 503, as servers that limit each client's connections do.
With --busy the first N requests are answered 503, as a busy store does, or
with the status --busy-status gives (500, a store's passing internal error).

With --tls it serves https with the certificate CERT and its key KEY.
"""
import argparse
import http.server
import mmap
import multiprocessing
import os
import re
import socketserver
import ssl
import struct
import sys
import time
import urllib.parse


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--delay-ms", type=float, default=0.0)
    parser.add_argument("--rate-mbps", type=float, default=0.0)
    parser.add_argument("--log")
    parser.add_argument("--max-connections", type=int, default=0)
    parser.add_argument("--busy", type=int, default=0)
    parser.add_argument("--busy-status", type=int, default=503)
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    args = parser.parse_args()
    folder = os.path.abspath(args.folder)
    # The growing file's request count, shared by the processes that serve
    # the connections (an anonymous map is shared across fork).
    counter = mmap.mmap(-1, 8)
    # Connections served, of at most --max-connections open at once, across
    # the processes that serve them.
    connections = multiprocessing.Value("i", 0)
    # Requests answered 503 for --busy so far.
    busy = multiprocessing.Value("i", 0)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"
        # A response's header and body go out as written, as web servers
        # send them, not held back for the client's delayed acknowledgement.
        disable_nagle_algorithm = True

        def log_message(self, *unused):
            pass

        def setup(self):
            super().setup()
            # A connection opened while the first N are still open is
            # refused whatever it asks; the ones served stay served.
            with connections.get_lock():
                self.served = (not args.max_connections or
                               connections.value < args.max_connections)
                connections.value += self.served

        def finish(self):
            with connections.get_lock():
                connections.value -= self.served
            super().finish()

        def send_file_part(self, f, count):
            """Sends `count` bytes of the open file f from where it stands, a
            megabyte at a time, no faster than the rate per connection."""
            start = time.monotonic()
            sent = 0
            while sent < count:
                chunk = f.read(min(count - sent, 1 << 20))
                if not chunk:
                    break
                try:
                    self.wfile.write(chunk)
                except (BrokenPipeError, ConnectionResetError):
                    # The client ended the transfer early, as a reader may.
                    self.close_connection = True
                    return
                sent += len(chunk)
                if args.rate_mbps:
                    ahead = sent / (args.rate_mbps * 1e6) - (time.monotonic() - start)
                    if ahead > 0:
                        time.sleep(ahead)

        def send_bytes(self, status, body, headers=()):
            self.send_response(status)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if self.command != "HEAD":
                self.wfile.write(body)

        def list_objects(self, path, query):
            bucket = os.path.join(folder, path.strip("/"))
            prefix = query.get("prefix", [""])[0]
            where = os.path.join(bucket, prefix)
            if not os.path.isdir(bucket) or not os.path.isdir(where):
                self.send_bytes(404, b"no such bucket\n")
                return
            keys = sorted(prefix + n for n in os.listdir(where)
                          if os.path.isfile(os.path.join(where, n)))
            start = int(query.get("continuation-token", ["0"])[0])
            page = keys[start:start + 2]
            more = start + 2 < len(keys)
            xml = "<ListBucketResult><IsTruncated>%s</IsTruncated>" % ("true" if more else "false")
            xml += "".join("<Contents><Key>%s</Key></Contents>" % k.replace("&", "&amp;")
                           for k in page)
            if more:
                xml += "<NextContinuationToken>%d</NextContinuationToken>" % (start + 2)
            self.send_bytes(200, (xml + "</ListBucketResult>").encode())

        def send_ranges(self, name, size, ranges):
            boundary = b"vantrel-test-boundary"
            head = (b"\r\n--%s\r\nContent-Type: application/octet-stream\r\n"
                    b"Content-Range: bytes %%d-%%d/%d\r\n\r\n" % (boundary, size))
            parts = []
            with open(name, "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as m:
                for text in ranges:
                    first, _, last = text.partition("-")
                    first, last = int(first), min(int(last), size - 1)
                    if first <= last:
                        parts.append(head % (first, last))
                        parts.append(m[first:last + 1])
            if not parts:
                self.send_bytes(416, b"", [("Content-Range", "bytes */%d" % size)])
                return
            parts.append(b"\r\n--%s--\r\n" % boundary)
            self.send_bytes(206, b"".join(parts), [
                ("Content-Type", "multipart/byteranges; boundary=" + boundary.decode())])

        def do_HEAD(self):
            self.do_GET()

        def do_GET(self):
            if args.delay_ms:
                time.sleep(args.delay_ms / 1000.0)
            if args.log:
                with open(args.log, "a") as log:
                    log.write(self.headers.get("Range", "-") + "\n")
            with busy.get_lock():
                too_busy = busy.value < args.busy
                busy.value += too_busy
            if too_busy:
                self.send_bytes(args.busy_status, b"slow down\n")
                return
            if not self.served:
                self.close_connection = True
                self.send_bytes(503, b"too many connections\n", [("Connection", "close")])
                return
            path = urllib.parse.unquote(self.path.split("?")[0])
            query = urllib.parse.parse_qs(self.path.partition("?")[2])
            mode = "ranges"
            if path.startswith("/auth/"):
                signed = self.headers.get("Authorization", "")
                if not signed.startswith("AWS4-HMAC-SHA256 Credential=AKIDEXAMPLE/"):
                    self.send_bytes(403, b"forbidden\n")
                    return
                path = path[len("/auth"):]
            if query.get("list-type") == ["2"]:
                self.list_objects(path, query)
                return
            for prefix, to in (("/moved/", ""), ("/loop/", "/loop")):
                if path.startswith(prefix):
                    self.send_bytes(302, b"", [("Location", to + path[len(prefix) - 1:])])
                    return
            for prefix in ("/whole/", "/growing/", "/single/", "/few/", "/fullrange/"):
                if path.startswith(prefix):
                    mode = prefix.strip("/")
                    path = "/" + path[len(prefix):]
            name = os.path.normpath(os.path.join(folder, path.lstrip("/")))
            if not name.startswith(folder + os.sep) or not os.path.isfile(name):
                self.send_bytes(404, b"not found\n")
                return
            size = os.path.getsize(name)
            extra = b""
            if mode == "growing":
                grown = struct.unpack("q", counter[:8])[0] + 1
                counter[:8] = struct.pack("q", grown)
                extra = b"\0" * grown
                size += len(extra)

            def read(first, last):
                with open(name, "rb") as f:
                    f.seek(first)
                    return (f.read(last + 1 - first) + extra)[:last + 1 - first]

            wanted = self.headers.get("Range", "")
            several = re.fullmatch(r"bytes=\d+-\d+(,\d+-\d+)+", wanted)
            ranges = wanted[len("bytes="):].split(",")
            if several and mode == "single":
                wanted = "bytes=" + ranges[0]
            elif several and not (mode == "few" and len(ranges) > 200):
                self.send_ranges(name, size, ranges)
                return
            match = re.fullmatch(r"bytes=(\d+)-(\d*)", wanted)
            whole = match and int(match.group(1)) == 0 and (
                not match.group(2) or int(match.group(2)) >= size - 1)
            if mode == "whole" or not match or (mode == "fullrange" and whole):
                self.send_response(200)
                self.send_header("Content-Length", str(size))
                self.end_headers()
                if self.command != "HEAD":
                    with open(name, "rb") as f:
                        self.send_file_part(f, size - len(extra))
                    self.wfile.write(extra)
                return
            first = int(match.group(1))
            last = int(match.group(2)) if match.group(2) else size - 1
            if first >= size:
                self.send_bytes(416, b"", [("Content-Range", "bytes */%d" % size)])
                return
            last = min(last, size - 1)
            self.send_response(206)
            self.send_header("Content-Range", "bytes %d-%d/%d" % (first, last, size))
            self.send_header("Content-Length", str(last + 1 - first))
            self.end_headers()
            if self.command == "HEAD":
                return
            # Large ranges go out a megabyte at a time, as they are read.
            if extra:
                self.wfile.write(read(first, last))
                return
            with open(name, "rb") as f:
                f.seek(first)
                self.send_file_part(f, last + 1 - first)

    # A process for each connection, as web servers serve connections side
    # by side (threads would take turns at the interpreter's lock).
    class Server(socketserver.ForkingMixIn, http.server.HTTPServer):
        allow_reuse_address = True
        block_on_close = False
        max_children = 256
        # Room for the connections a reader opens at once, as web servers
        # have (the default of 5 drops the rest for a second).
        request_queue_size = 128

    server = Server(("127.0.0.1", args.port), Handler)
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*args.tls)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
