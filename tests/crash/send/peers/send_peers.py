#!/usr/bin/env python3
"""Starts the peers of the send methods on 127.0.0.1, runs the Windows test program against
them, and then checks on the servers' side what arrived: the mail byte for byte against what
the program built, its attachments decoded equal to the files, and each upload parsed by
Python's email parser with its fields and files.

Usage: send_peers.py --work DIR --recorder EXE -- COMMAND...
"""
import argparse
import asyncio
import email
import email.policy
import http.server
import os
import socket
import socketserver
import subprocess
import sys
import threading
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult
from dnslib import A, MX, NS, QTYPE, RR
from dnslib.server import BaseResolver, DNSLogger, DNSServer

BOUNDARY = b"----noxExcept-5E1C0A7B93F2-Part"
faults = []


def fault(text):
    faults.append(text)
    print("FAULT:", text, flush=True)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


# --- SMTP -------------------------------------------------------------------------------------

class MailHandler:
    def __init__(self):
        self.mails = []

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refused@"):
            return "550 5.1.1 no such user"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.mails.append({"from": envelope.mail_from, "to": list(envelope.rcpt_tos),
                           "data": envelope.original_content, "authenticated": session.authenticated})
        return "250 2.0.0 queued"


def authenticator(server, session, envelope, mechanism, auth_data):
    ok = mechanism == "LOGIN" and auth_data.login == b"roadsum" and auth_data.password == b"secret"
    # Not "handled": the server itself answers a refusal with 535.
    return AuthResult(success=ok, handled=False, auth_data=auth_data)


# Servers that answer badly, each on its own port: the client must give up within its time-outs.
def bad_smtp_server(kind):
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    stop = threading.Event()

    def repeat(conn, data, times, pause):
        for _ in range(times):
            conn.sendall(data)
            if stop.wait(pause):
                return

    def serve(conn):
        with conn:
            try:
                if kind == "cut":
                    conn.sendall(b"22")
                elif kind == "silent":
                    stop.wait(12)
                elif kind == "endless":
                    repeat(conn, b"220-still greeting\r\n", 2000, 0.01)
                elif kind == "enormous":
                    conn.sendall(b"220 " + b"x" * (4 << 20))
                elif kind == "malformed":
                    conn.sendall(b"220 hi\r\n")
                    conn.recv(1000)
                    conn.sendall(b"250-one\r\n354 two\r\n")
                    stop.wait(2)
                elif kind == "trickle":
                    repeat(conn, b"2", 200, 0.5)
            except OSError:
                pass

    def accept():
        listener.settimeout(0.5)
        while not stop.is_set():
            try:
                conn, _ = listener.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            threading.Thread(target=serve, args=(conn,), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    return listener, stop


# --- HTTP -------------------------------------------------------------------------------------

class Uploads(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    received = []

    def log_message(self, *args):
        pass

    def do_POST(self):
        self.connection.settimeout(10)
        length = int(self.headers.get("Content-Length", "0"))
        try:
            body = self.rfile.read(length)
        except socket.timeout:
            body = b""
        self.received.append({"path": self.path, "headers": dict(self.headers), "body": body})
        answer = self.path.rsplit("/", 1)[-1]
        if answer == "continue":
            self.wfile.write(b"HTTP/1.1 100 Continue\r\nX-Note: first\r\n\r\n")
            self.wfile.flush()
            time.sleep(0.2)
            self.reply(b"200 OK")
        elif answer == "redirect":
            self.reply(b"302 Found", b"Location: http://127.0.0.1:%d/thanks?id=27\r\n" % self.server.server_address[1])
        elif answer == "error":
            self.reply(b"500 Internal Server Error")
        elif answer == "garbage":
            self.wfile.write(b"\x00\xffnot http at all\r\n\r\n")
        else:
            self.reply(b"200 OK")

    def reply(self, status, extra=b""):
        self.wfile.write(b"HTTP/1.1 " + status + b"\r\n" + extra + b"Content-Length: 0\r\nConnection: close\r\n\r\n")


def check_upload(upload, files):
    headers, body = upload["headers"], upload["body"]
    where = upload["path"]
    if not body.endswith(b"\r\n--" + BOUNDARY + b"--\r\n"):
        fault(f"{where}: the body is not as long as Content-Length says ({len(body)} bytes)")
        return
    if headers.get("From") != "<roadsum@example.test>":
        fault(f"{where}: From is {headers.get('From')!r}")
    if headers.get("Authorization") != "Basic cm9hZHN1bTpzZWNyZXQ=":
        fault(f"{where}: Authorization is {headers.get('Authorization')!r}")
    if "X-Injected" in headers:
        fault(f"{where}: a field name started a header of its own")
    message = email.message_from_bytes(
        b"Content-Type: " + headers["Content-Type"].encode() + b"\r\n\r\n" + body, policy=email.policy.HTTP)
    fields, uploaded = {}, {}
    for part in message.iter_parts():
        name = part.get_param("name", header="content-disposition")
        filename = part.get_filename()
        data = part.get_payload(decode=True)
        if filename is None:
            fields[name] = data.decode("latin-1")
        else:
            uploaded[name] = (filename, data)
    expected_fields = {"MailSubj": "bug report", "MailAddr": "reports@example.test", "Evil  X-Injected: 1": "x"}
    if fields != expected_fields:
        fault(f"{where}: fields {fields!r}")
    if sorted(uploaded) != ["BugReport", "ScreenShot"]:
        fault(f"{where}: files {sorted(uploaded)!r} (the empty one must stay out)")
        return
    for field, (filename, path) in {"BugReport": ("bugreport.txt", files["report"]),
                                     "ScreenShot": ("screen'shot.png", files["screenshot"])}.items():
        with open(path, "rb") as f:
            original = f.read()
        if uploaded[field][0] != filename or uploaded[field][1] != original:
            fault(f"{where}: {field} arrived as {uploaded[field][0]!r} with {len(uploaded[field][1])} bytes")


# --- DNS --------------------------------------------------------------------------------------

class Resolver(BaseResolver):
    def __init__(self):
        self.walk_asks = 0

    def resolve(self, request, handler):
        name = str(request.q.qname).rstrip(".")
        kind = QTYPE[request.q.qtype]
        reply = request.reply()
        if kind == "MX" and name in ("example.test", "sub.example.test", "walk.test"):
            reply.add_answer(RR(name, QTYPE.MX, rdata=MX("localhost", 10), ttl=60))
        elif kind == "NS" and name == "walk.test":
            self.walk_asks += 1
            if self.walk_asks == 1:  # the "root": a referral with glue
                reply.add_auth(RR(name, QTYPE.NS, rdata=NS("ns.walk.test"), ttl=60))
                reply.add_ar(RR("ns.walk.test", QTYPE.A, rdata=A("127.0.0.1"), ttl=60))
            else:
                reply.add_answer(RR(name, QTYPE.NS, rdata=NS("ns.walk.test"), ttl=60))
        return reply


def bad_dns_server():
    """Answers every query with an MX record whose name points at itself."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", 0))
    sock.settimeout(0.5)
    stop = threading.Event()

    def serve():
        while not stop.is_set():
            try:
                query, peer = sock.recvfrom(1500)
            except socket.timeout:
                continue
            except OSError:
                return
            end = 12
            while end < len(query) and query[end]:
                end += query[end] + 1
            question = query[12:end + 5]
            answer_at = 12 + len(question)
            loop = bytes([0xC0 | (answer_at >> 8), answer_at & 0xFF])
            record = loop + b"\x00\x0f\x00\x01\x00\x00\x00\x3c\x00\x04\x00\x0a" + loop
            sock.sendto(query[:2] + b"\x81\x80\x00\x01\x00\x01\x00\x00\x00\x00" + question + record, peer)

    threading.Thread(target=serve, daemon=True).start()
    return sock, stop


# --- the run ----------------------------------------------------------------------------------

def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--recorder", required=True)
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    for name in os.listdir(args.work):
        os.remove(os.path.join(args.work, name))

    handler = MailHandler()
    smtp_port = free_port()
    smtp = Controller(handler, hostname="127.0.0.1", port=smtp_port, authenticator=authenticator,
                      auth_require_tls=False, decode_data=False)
    smtp.start()
    bad = {kind: bad_smtp_server(kind) for kind in ("cut", "silent", "endless", "enormous", "malformed", "trickle")}
    uploads = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Uploads)
    threading.Thread(target=uploads.serve_forever, daemon=True).start()
    dns = DNSServer(Resolver(), port=0, address="127.0.0.1", logger=DNSLogger("-recv,-send,-request,-reply,-truncated,-data"))
    dns.start_thread()
    bad_dns, bad_dns_stop = bad_dns_server()
    closed_port = free_port()

    env = dict(os.environ)
    env.update({
        "ROADSUM_PEERS_DIR": windows_path(args.work) + "\\",
        "ROADSUM_SMTP_PORT": str(smtp_port),
        "ROADSUM_BAD_SMTP_PORTS": " ".join(f"{k}:{s.getsockname()[1]}" for k, (s, _) in bad.items()),
        "ROADSUM_HTTP_PORT": str(uploads.server_address[1]),
        "ROADSUM_DNS_PORT": str(dns.server.server_address[1]),
        "ROADSUM_BAD_DNS_PORT": str(bad_dns.getsockname()[1]),
        "ROADSUM_CLOSED_PORT": str(closed_port),
        "ROADSUM_RECORDER": windows_path(args.recorder),
    })
    try:
        result = subprocess.run(args.command, env=env, stdin=subprocess.DEVNULL, timeout=240)
    finally:
        smtp.stop()
        uploads.shutdown()
        dns.stop()
        bad_dns_stop.set()
        bad_dns.close()
        for listener, stop in bad.values():
            stop.set()
            listener.close()

    if result.returncode != 0:
        fault(f"the test program ended with {result.returncode}")
    if "ROADSUM_PEERS_SKIP_CHECKS" in os.environ:
        return 1 if faults else 0

    # The mails: each as the program built it, the attachments equal to the files.
    by_subject = {}
    for mail in handler.mails:
        message = email.message_from_bytes(mail["data"], policy=email.policy.SMTP)
        by_subject[str(message["Subject"])] = (mail, message)
    for subject, to, authenticated in (("smtp-auth", ["reports@example.test"], True),
                                       ("direct", ["reports@example.test"], False)):
        if subject not in by_subject:
            fault(f"no mail {subject!r} arrived (subjects: {sorted(by_subject)})")
            continue
        mail, message = by_subject[subject]
        with open(os.path.join(args.work, f"expected-{subject}.eml"), "rb") as f:
            expected = f.read()
        if mail["data"] != expected + b"\r\n":
            fault(f"{subject}: {len(mail['data'])} bytes arrived, not the {len(expected) + 2} built")
        if mail["to"] != to or mail["from"] != "roadsum@example.test" or bool(mail["authenticated"]) != authenticated:
            fault(f"{subject}: envelope {mail['from']!r} -> {mail['to']!r}, authenticated {mail['authenticated']}")
        parts = list(message.iter_parts())
        body = parts[0].get_payload(decode=True) if parts else b""
        if body != b"please find the bug report attached\r\n. \r\n.x":
            fault(f"{subject}: the body arrived as {body!r}")
        names = [(p.get_filename(), p.get_content_type()) for p in parts[1:]]
        if names != [("bugreport.txt", "application/octet-stream"), ("screenshot.png", "image/png")]:
            fault(f"{subject}: attachments {names!r}")
        else:
            for part, file in zip(parts[1:], ("bugreport.txt", "screenshot.png")):
                with open(os.path.join(args.work, file), "rb") as f:
                    if part.get_payload(decode=True) != f.read():
                        fault(f"{subject}: {file} decoded differs from the file")
    if "request-EConvertError" not in by_subject:
        fault("the background request's mail did not arrive")
    else:
        mail, message = by_subject["request-EConvertError"]
        parts = list(message.iter_parts())
        if [p.get_filename() for p in parts[1:]] != ["bugreport.txt", "shot.png"] or \
                parts[1].get_payload(decode=True) != b"date/time : now\r\n" or \
                not parts[2].get_payload(decode=True).startswith(b"\x89PNG\r\n\x1a\n"):
            fault("the background request's mail lacks its report or its screenshot")
    # Report objects sent by the send action and AutoSend: the report file copy as the program
    # expected it after merging.
    report_mails = {"report-merged", "report-saved", "report-kept", "report-alone", "auto-send"}
    for subject in sorted(report_mails):
        if subject not in by_subject:
            fault(f"the report mail {subject!r} did not arrive")
            continue
        parts = list(by_subject[subject][1].iter_parts())
        with open(os.path.join(args.work, f"expected-attachment-{subject}.txt"), "rb") as f:
            expected = f.read()
        # Only AutoSend's report keeps its screenshot; the others' was taken off.
        names = ["bugreport.txt", "shot.png"] if subject == "auto-send" else ["bugreport.txt"]
        if [p.get_filename() for p in parts[1:]] != names:
            fault(f"{subject}: attachments {[p.get_filename() for p in parts[1:]]}")
        elif len(parts) > 2 and not parts[2].get_payload(decode=True).startswith(b"\x89PNG\r\n\x1a\n"):
            fault(f"{subject}: the screenshot is no PNG")
        elif parts[1].get_payload(decode=True) != expected:
            fault(f"{subject}: the report file copy arrived as {parts[1].get_payload(decode=True)!r}")
    unexpected = sorted(set(by_subject) - {"smtp-auth", "direct", "request-EConvertError"} - report_mails)
    if unexpected:
        fault(f"mails that should not have been accepted: {unexpected}")

    files = {"report": os.path.join(args.work, "bugreport.txt"), "screenshot": os.path.join(args.work, "screenshot.png")}
    paths = [u["path"] for u in Uploads.received if not u["path"].startswith("/request/")]
    if sorted(paths) != sorted(f"/upload/{p}" for p in ("ok", "continue", "redirect", "error", "garbage")):
        fault(f"uploads received: {paths}")
    for upload in Uploads.received:
        if not upload["path"].startswith("/request/"):
            check_upload(upload, files)
    if [u["path"] for u in Uploads.received if u["path"].startswith("/request/")] != ["/request/error"]:
        fault("the background request did not try the upload first")

    print(f"{len(handler.mails)} mails and {len(Uploads.received)} uploads checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
