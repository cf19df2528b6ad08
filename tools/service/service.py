#!/usr/bin/python3
"""Stand-in matching service for tests and local runs.

Listens on 127.0.0.1 (a free port unless --port is given) and answers:
  POST /service/              multipart field "drivercb": the enveloped request; answers the
                              enveloped answer built from the catalog, keyed by hardware ID
  GET  /service/version.xml   the version document of the catalog
  POST /service/debug.php     the enveloped scan report; answers "OK"
  GET  /packages/<name>       a file of --files, with Range support
Every request is appended to --log as one JSON line (path, headers, form parts, the opened
document). --mode makes the paths under --only misbehave, for the first --times requests.
"""

import argparse
import gzip
import json
import os
import re
import socket
import struct
import sys
import threading
import time
import xml.etree.ElementTree as ET
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from xml.sax.saxutils import escape

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import envelope  # noqa: E402

MODES = ("ok", "refuse", "404", "499", "500", "empty", "close", "slow", "cut", "oversize",
         "norange", "gzip", "redirect")

ITEM_FIELDS = ("hardid", "id", "ver", "size", "class", "remote_url", "infpath", "md5sum", "cp",
               "manu", "mark", "sign", "feature", "targetos", "date", "desc")


def parse_multipart(content_type, body):
    """[(name, filename or None, content type or None, data)] of a multipart/form-data body."""
    boundary = None
    for piece in content_type.split(";"):
        piece = piece.strip()
        if piece.lower().startswith("boundary="):
            boundary = piece[len("boundary="):].strip('"')
    if not boundary:
        return []
    delimiter = b"--" + boundary.encode("latin-1")
    parts = []
    chunks = body.split(delimiter)
    for chunk in chunks[1:]:
        if chunk.startswith(b"--"):
            break
        if chunk.startswith(b"\r\n"):
            chunk = chunk[2:]
        head, sep, data = chunk.partition(b"\r\n\r\n")
        if not sep:
            continue
        if data.endswith(b"\r\n"):
            data = data[:-2]
        name = filename = ctype = None
        for line in head.decode("latin-1").split("\r\n"):
            key, _, value = line.partition(":")
            key = key.strip().lower()
            if key == "content-disposition":
                for attr in value.split(";"):
                    attr = attr.strip()
                    if attr.startswith("name="):
                        name = attr[5:].strip('"')
                    elif attr.startswith("filename="):
                        filename = attr[9:].strip('"')
            elif key == "content-type":
                ctype = value.strip()
        parts.append((name, filename, ctype, data))
    return parts


def element_text(parent, tag):
    """The text of a child as a reader that drops the printer's layout sees it: the line break
    and tabs that the client's printer puts around a CDATA section are not part of it."""
    text = parent.findtext(tag)
    if text is None:
        return None
    return re.sub(r"\n\t*$", "", re.sub(r"^\n\t*", "", text))


def cdata(text):
    return "<![CDATA[" + text.replace("]]>", "]]]]><![CDATA[>") + "]]>"


class Service:
    def __init__(self, args):
        self.args = args
        self.catalog = {}
        if args.catalog:
            with open(args.catalog, encoding="utf-8") as f:
                self.catalog = json.load(f)
        self.lock = threading.Lock()
        self.misbehaved = 0

    def log(self, entry):
        if not self.args.log:
            return
        with self.lock:
            with open(self.args.log, "a", encoding="utf-8") as f:
                f.write(json.dumps(entry) + "\n")

    def mode_for(self, path):
        """The mode of this request: --mode while the path is under --only and --times lasts."""
        if self.args.mode == "ok" or not path.startswith(self.args.only):
            return "ok"
        with self.lock:
            if self.args.times >= 0 and self.misbehaved >= self.args.times:
                return "ok"
            self.misbehaved += 1
        return self.args.mode

    def answer_document(self, request_xml):
        """The answer for a request document: per hardware, the catalog items of its IDs."""
        if "answer_raw" in self.catalog:
            return self.catalog["answer_raw"].encode(self.catalog.get("answer_encoding", "utf-8"))
        # The identifiers come in the client's ANSI page whatever the declaration says, and
        # the answer's texts go back the same way.
        ansi = self.args.ansi
        root = ET.fromstring(request_xml.decode(ansi, errors="replace"))
        drivers = self.catalog.get("drivers", {})
        out = ['<?xml version="1.0" encoding="UTF-8" ?>', "<drivercb>"]
        config = self.catalog.get("config")
        if config:
            attrs = "".join(' %s="%s"' % (k, escape(str(v), {'"': "&quot;"}))
                            for k, v in config.items())
            out.append("<config%s />" % attrs)
        out.append("<hardwares>")
        for hardware in root.iter("hardware"):
            instance_id = element_text(hardware, "id") or ""
            ids = []
            for tag in ("hardids", "compids"):
                text = element_text(hardware, tag)
                if text:
                    ids.extend(text.split("\n"))
            items = []
            for hid in ids:
                for item in drivers.get(hid.upper(), drivers.get(hid, [])):
                    if item not in items:
                        items.append(item)
            out.append("<hardware><id>%s</id>" % cdata(instance_id))
            for item in items:
                out.append("<item>")
                for field in ITEM_FIELDS:
                    if field in item:
                        out.append("<%s>%s</%s>" % (field, cdata(str(item[field])), field))
                out.append("</item>")
            out.append("</hardware>")
        out.append("</hardwares></drivercb>")
        return "\n".join(out).encode(ansi, errors="replace")

    def version_document(self):
        if "version_raw" in self.catalog:
            return self.catalog["version_raw"].encode("utf-8")
        v = self.catalog.get("version", {"version": "8.5.1", "link": "http://127.0.0.1/"})
        return ('<?xml version="1.0" encoding="UTF-8" ?>\n<update><version>%s</version>'
                "<link>%s</link></update>" % (escape(v["version"]), escape(v["link"]))).encode()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "StandInService/1"

    def log_message(self, fmt, *args):  # quiet: the request log is the record
        pass

    @property
    def service(self):
        return self.server.service

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def entry(self, body):
        e = {"method": self.command, "path": self.path, "headers": [[k, v] for k, v in self.headers.items()],
             "proxied": getattr(self, "proxied", False),
             "h": {k.lower(): v for k, v in self.headers.items()}}
        ctype = self.headers.get("Content-Type", "")
        if ctype.startswith("multipart/form-data"):
            e["form"] = []
            for name, filename, part_type, data in parse_multipart(ctype, body):
                e["form"].append({"name": name, "filename": filename, "content_type": part_type,
                                  "size": len(data), "hex": data.hex()})
                if name == "drivercb":
                    try:
                        e["document"] = envelope.open_envelope(data).decode("latin-1")
                    except ValueError as err:
                        e["error"] = str(err)
        elif body:
            e["body_hex"] = body.hex()
        return e

    def reset(self):
        # An RST in place of an answer: the client sees the connection refused or reset.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.close_connection = True

    def send(self, status, body, ctype="application/octet-stream", extra=(), mode="ok", total=None):
        if mode == "gzip":
            body = gzip.compress(body)
            extra = list(extra) + [("Content-Encoding", "gzip")]
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body) if total is None else total))
        self.send_header("Connection", "close")
        for k, v in extra:
            self.send_header(k, v)
        self.end_headers()
        self.close_connection = True
        if self.command == "HEAD":
            return
        if mode == "cut":
            cut = self.service.args.cut if self.service.args.cut >= 0 else len(body) // 2
            self.wfile.write(body[:cut])
            self.wfile.flush()
            self.reset()
            return
        if mode == "slow":
            step = max(1, self.service.args.chunk)
            for i in range(0, len(body), step):
                self.wfile.write(body[i:i + step])
                self.wfile.flush()
                time.sleep(self.service.args.delay)
            return
        self.wfile.write(body)

    def misbehave(self, mode):
        """Answers for the modes that replace the whole answer; False for the others."""
        args = self.service.args
        if mode in ("refuse", "close"):
            if mode == "refuse":
                self.reset()
            self.close_connection = True
            return True
        if mode == "404":
            self.send(404, b"<html>not found</html>", "text/html")
        elif mode == "499":
            self.send(499, args.message.encode(args.message_encoding), "text/plain")
        elif mode == "500":
            self.send(500, b"<html>server error</html>", "text/html")
        elif mode == "empty":
            self.send(200, b"")
        elif mode == "oversize":
            self.send(200, bytes((i * 7) & 0xFF for i in range(args.oversize)))
        elif mode == "redirect":
            self.send(302, b"", "text/plain", [("Location", args.redirect)])
        else:
            return False
        return True

    def route(self):
        """The path of the request; a request through a proxy carries the whole address."""
        if self.path.lower().startswith("http://"):
            rest = self.path[7:]
            slash = rest.find("/")
            self.path = rest[slash:] if slash >= 0 else "/"
            self.proxied = True

    def do_GET(self):
        self.route()
        mode = self.service.mode_for(self.path)
        self.service.log(self.entry(b""))
        if self.misbehave(mode):
            return
        if self.path == "/service/version.xml":
            self.send(200, self.service.version_document(), "text/xml", mode=mode)
        elif self.path.startswith("/packages/"):
            self.package(mode)
        else:
            self.send(404, b"<html>no such page</html>", "text/html")

    do_HEAD = do_GET

    def package(self, mode):
        root = self.service.args.files
        name = self.path[len("/packages/"):].split("?")[0]
        path = os.path.join(root, name) if root else None
        if not path or "/" in name or ".." in name or not os.path.isfile(path):
            self.send(404, b"<html>no such package</html>", "text/html")
            return
        with open(path, "rb") as f:
            data = f.read()
        wanted = self.headers.get("Range")
        if wanted and mode != "norange" and wanted.startswith("bytes=") and wanted.endswith("-"):
            start = int(wanted[6:-1])
            if start >= len(data):
                self.send(416, b"", "text/plain", [("Content-Range", "bytes */%d" % len(data))])
                return
            content_range = self.service.args.content_range or "bytes %d-%d/%d" % (
                start, len(data) - 1, len(data))
            self.send(206, data[start:], extra=[("Content-Range", content_range)], mode=mode)
            return
        self.send(200, data, mode=mode)

    def do_POST(self):
        try:
            self.post()
        except Exception as err:  # noqa: BLE001 - the test reads the log, not a traceback
            self.service.log({"method": "POST", "path": self.path, "error": repr(err)})
            self.send(500, repr(err).encode(), "text/plain")

    def post(self):
        self.route()
        mode = self.service.mode_for(self.path)
        body = self.read_body()
        entry = self.entry(body)
        self.service.log(entry)
        if self.misbehave(mode):
            return
        if self.path == "/service/debug.php":
            self.send(200, b"OK", "text/plain", mode=mode)
        elif self.path == "/service/":
            if "document" not in entry:
                self.send(400, b"<html>bad request</html>", "text/html")
                return
            answer = self.service.answer_document(entry["document"].encode("latin-1"))
            self.send(200, envelope.seal(answer), mode=mode)
        else:
            self.send(404, b"<html>no such page</html>", "text/html")


def watch(server, args):
    """Ends the service when told by the stop file, when its folder is gone, or at --max-life."""
    started = time.monotonic()
    folder = os.path.dirname(os.path.abspath(args.stop_file)) if args.stop_file else None
    while time.monotonic() - started < args.max_life:
        if args.stop_file and (os.path.exists(args.stop_file) or not os.path.isdir(folder)):
            break
        time.sleep(0.05)
    os._exit(0)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--port-file", help="written with the port once the service listens")
    p.add_argument("--catalog", help="JSON: drivers by hardware ID, config, version")
    p.add_argument("--files", help="folder served under /packages/")
    p.add_argument("--log", help="request log, one JSON line per request")
    p.add_argument("--mode", choices=MODES, default="ok")
    p.add_argument("--only", default="/", help="path prefix that --mode applies to")
    p.add_argument("--times", type=int, default=-1, help="misbehave this many times, then answer")
    p.add_argument("--message", default="", help="body of a 499 answer")
    p.add_argument("--message-encoding", default="cp1252")
    p.add_argument("--ansi", default="cp1252", help="the client's ANSI code page")
    p.add_argument("--delay", type=float, default=0.2, help="slow: seconds between chunks")
    p.add_argument("--chunk", type=int, default=1024, help="slow: bytes per chunk")
    p.add_argument("--cut", type=int, default=-1, help="cut: body bytes sent (default half)")
    p.add_argument("--oversize", type=int, default=8388608 + 16, help="oversize: body bytes")
    p.add_argument("--redirect", default="", help="redirect: the Location")
    p.add_argument("--content-range", default="", help="the Content-Range of every 206 answer")
    p.add_argument("--stop-file", help="the service ends when this file appears or its folder goes")
    p.add_argument("--max-life", type=float, default=900, help="seconds before the service ends by itself")
    p.add_argument("--detach", action="store_true", help="let go of the inherited standard streams")
    args = p.parse_args()
    if args.detach:
        # A test runner waits on inherited pipes; a service started under Wine cannot be waited for.
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)

    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.service = Service(args)
    port = server.server_address[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    print("PORT %d" % port, flush=True)
    threading.Thread(target=watch, args=(server, args), daemon=True).start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
