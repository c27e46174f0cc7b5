#!/usr/bin/env python3
"""A support desk for tests and for trying the support screens by hand.

Serves the four actions of Velgram's web API over HTTPS on 127.0.0.1 with a
certificate made afresh at every start, deciphers and enciphers with the same
daily key as the program, and keeps its tickets in tickets.db in the folder
given with --dir.

  support_server.py --dir /tmp/desk [--port 8443]     serve; prints "PORT <n>"
  support_server.py --dir /tmp/desk --answer ID TEXT   the desk answers ticket ID
  support_server.py --print-key YYYYMMDD               the RC4 key of that date

While it runs, GET /control?mode=M&count=N[&ms=T] makes the next N answers
(default 1) misbehave: mode 403 (the busy page), busy (that page under status
200, as some hosts serve it), 404, garbage, bom (a UTF-8
byte-order mark before a good answer) or delay (a good answer after T ms).
"""

import argparse
import base64
import datetime
import hashlib
import http.server
import json
import os
import sqlite3
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

# Keep equal to online/key_material.h.
FIXED = (0x56C3A91D, 0x2E8F4B07, 0x9D1472E5, 0x4B6E0C38, 0xE25A7F91)
DAY_FACTOR = 0x01F3A5C7
MONTH_FACTOR = 0x3B9D0E4F
YEAR_FACTOR = 0x000A6E2B

FORBIDDEN_PAGE = (b"<html><head><title>403 - Forbidden: Access is denied.</title></head>"
                  b"<body><h1>403 - Forbidden: Access is denied.</h1></body></html>")

ERROR_BAD_REQUEST = 1
ERROR_UNKNOWN_ACTION = 2
ERROR_NO_TICKET = 3
ERROR_MISSING_FIELD = 4


def daily_key(year, month, day):
    words = list(FIXED) + [(day * DAY_FACTOR) & 0xFFFFFFFF,
                           (month * MONTH_FACTOR) & 0xFFFFFFFF,
                           (year * YEAR_FACTOR) & 0xFFFFFFFF]
    return hashlib.md5(struct.pack("<8I", *words)).digest()


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    out = bytearray(len(data))
    i = j = 0
    for k, byte in enumerate(data):
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out[k] = byte ^ s[(s[i] + s[j]) & 0xFF]
    return bytes(out)


def make_certificate(folder):
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-keyout", key, "-out", cert, "-days", "30", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def open_db(folder):
    db = sqlite3.connect(os.path.join(folder, "tickets.db"), timeout=10)
    db.executescript("""
        CREATE TABLE IF NOT EXISTS Customers (id INTEGER PRIMARY KEY, email TEXT UNIQUE);
        CREATE TABLE IF NOT EXISTS Tickets (id INTEGER PRIMARY KEY, idCustomer INTEGER, customer TEXT,
            subject TEXT, dateReceived INTEGER, timeReceived INTEGER, status INTEGER);
        CREATE TABLE IF NOT EXISTS Messages (id INTEGER PRIMARY KEY, idTicket INTEGER, message TEXT,
            agent INTEGER, dateReceived INTEGER, timeReceived INTEGER);
        CREATE TABLE IF NOT EXISTS Requests (id INTEGER PRIMARY KEY, body TEXT);
    """)
    return db


def now_stamp():
    t = datetime.datetime.now()
    return t.year * 10000 + t.month * 100 + t.day, t.hour * 10000 + t.minute * 100 + t.second


def record(row, names):
    # A NULL column is left out, as a server that lacks the value would.
    return {n: v for n, v in zip(names, row) if v is not None}


def customer_id(db, email):
    db.execute("INSERT OR IGNORE INTO Customers (email) VALUES (?)", (email,))
    return db.execute("SELECT id FROM Customers WHERE email = ?", (email,)).fetchone()[0]


def handle(db, request):
    action = request.get("action")
    if action == "GetTickets":
        email = request.get("email", "")
        rows = db.execute("SELECT t.id, t.dateReceived, t.timeReceived, t.idCustomer, t.customer, t.subject, "
                          "t.status FROM Tickets t JOIN Customers c ON c.id = t.idCustomer "
                          "WHERE c.email = ? ORDER BY t.id", (email,)).fetchall()
        names = ("id", "dateReceived", "timeReceived", "idCustomer", "customer", "subject", "status")
        return {"errorcode": 0, "tickets": [record(r, names) for r in rows]}
    if action == "GetTicketHistory":
        try:
            ticket = int(request.get("idTicket"))
        except (TypeError, ValueError):
            return {"errorcode": ERROR_MISSING_FIELD, "errormessage": "idTicket missing"}
        if not db.execute("SELECT 1 FROM Tickets WHERE id = ?", (ticket,)).fetchone():
            return {"errorcode": ERROR_NO_TICKET, "errormessage": "Ticket %d not found" % ticket}
        rows = db.execute("SELECT id, dateReceived, timeReceived, message, agent FROM Messages "
                          "WHERE idTicket = ? ORDER BY id", (ticket,)).fetchall()
        names = ("id", "dateReceived", "timeReceived", "message", "agent")
        return {"errorcode": 0, "ticketMessages": [record(r, names) for r in rows]}
    if action == "PutTicket":
        email, subject, question = (request.get(k) for k in ("email", "subject", "question"))
        if not email or not subject or not question:
            return {"errorcode": ERROR_MISSING_FIELD, "errormessage": "email, subject and question are required"}
        date, clock = now_stamp()
        idc = customer_id(db, email)
        cur = db.execute("INSERT INTO Tickets (idCustomer, customer, subject, dateReceived, timeReceived, status) "
                         "VALUES (?, ?, ?, ?, ?, 0)", (idc, email, subject, date, clock))
        db.execute("INSERT INTO Messages (idTicket, message, agent, dateReceived, timeReceived) "
                   "VALUES (?, ?, 0, ?, ?)", (cur.lastrowid, question, date, clock))
        return {"errorcode": 0, "idTicket": cur.lastrowid}
    if action == "ReplyTicket":
        ticket, question = request.get("idTicket"), request.get("question")
        if not isinstance(ticket, int) or not question:
            return {"errorcode": ERROR_MISSING_FIELD, "errormessage": "idTicket and question are required"}
        if not db.execute("SELECT 1 FROM Tickets WHERE id = ?", (ticket,)).fetchone():
            return {"errorcode": ERROR_NO_TICKET, "errormessage": "Ticket %d not found" % ticket}
        date, clock = now_stamp()
        db.execute("INSERT INTO Messages (idTicket, message, agent, dateReceived, timeReceived) "
                   "VALUES (?, ?, 0, ?, ?)", (ticket, question, date, clock))
        db.execute("UPDATE Tickets SET status = 2 WHERE id = ?", (ticket,))
        return {"errorcode": 0}
    return {"errorcode": ERROR_UNKNOWN_ACTION, "errormessage": "Unknown action"}


class Desk:
    def __init__(self, folder, date):
        self.folder = folder
        self.date = date  # None: today's local date
        self.lock = threading.Lock()
        self.mode, self.count, self.delay_ms = "normal", 0, 0

    def key(self):
        d = self.date or datetime.date.today()
        return daily_key(d.year, d.month, d.day)

    def next_mode(self):
        with self.lock:
            if self.count <= 0:
                return "normal", 0
            self.count -= 1
            return self.mode, self.delay_ms


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    desk = None

    def log_message(self, *args):
        pass

    def reply(self, status, body, content_type="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        url = urllib.parse.urlparse(self.path)
        if url.path != "/control":
            self.reply(404, b"not found")
            return
        q = urllib.parse.parse_qs(url.query)
        with self.desk.lock:
            self.desk.mode = q.get("mode", ["normal"])[0]
            self.desk.count = int(q.get("count", ["1"])[0])
            self.desk.delay_ms = int(q.get("ms", ["0"])[0])
        self.reply(200, b"ok")

    def do_POST(self):
        try:
            length = int(self.headers.get("Content-Length", "0"))
            body = self.rfile.read(length)
            mode, delay_ms = self.desk.next_mode()
            if mode in ("403", "busy"):
                self.reply(403 if mode == "403" else 200, FORBIDDEN_PAGE, "text/html")
                return
            if mode == "404":
                self.reply(404, b"<html><title>404 - Not found</title></html>", "text/html")
                return
            if mode == "garbage":
                self.reply(200, b"<html>Dit is geen antwoord van de helpdesk</html>")
                return
            if mode == "delay":
                time.sleep(delay_ms / 1000.0)
            key = self.desk.key()
            try:
                plain = rc4(key, base64.b64decode(body, validate=False)).decode("cp1252")
            except (ValueError, UnicodeDecodeError):
                plain = ""
            db = open_db(self.desk.folder)
            try:
                with db:
                    db.execute("INSERT INTO Requests (body) VALUES (?)", (plain,))
                try:
                    request = json.loads(plain)
                    if not isinstance(request, dict):
                        raise ValueError
                except ValueError:
                    answer = {"errorcode": ERROR_BAD_REQUEST, "errormessage": "Invalid request"}
                else:
                    with db:
                        answer = handle(db, request)
            finally:
                db.close()
            out = base64.b64encode(rc4(key, json.dumps(answer).encode("ascii")))
            if mode == "bom":
                out = b"\xef\xbb\xbf" + out
            self.reply(200, out)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass  # the client gave up; nothing to answer


def main():
    p = argparse.ArgumentParser(description="Velgram support desk for tests")
    p.add_argument("--dir", help="folder for tickets.db and the certificate")
    p.add_argument("--port", type=int, default=0, help="0 picks a free port")
    p.add_argument("--date", help="YYYYMMDD: the date of the key instead of today")
    p.add_argument("--answer", nargs=2, metavar=("ID", "TEXT"), help="add the desk's answer to ticket ID")
    p.add_argument("--print-key", metavar="YYYYMMDD")
    a = p.parse_args()

    if a.print_key:
        d = datetime.datetime.strptime(a.print_key, "%Y%m%d")
        print(daily_key(d.year, d.month, d.day).hex())
        return
    if not a.dir:
        p.error("--dir is required")
    os.makedirs(a.dir, exist_ok=True)
    if a.answer:
        db = open_db(a.dir)
        date, clock = now_stamp()
        with db:
            db.execute("INSERT INTO Messages (idTicket, message, agent, dateReceived, timeReceived) "
                       "VALUES (?, ?, 1, ?, ?)", (int(a.answer[0]), a.answer[1].replace("\n", "[LINEBREAK]"),
                                                  date, clock))
            db.execute("UPDATE Tickets SET status = 1 WHERE id = ?", (int(a.answer[0]),))
        return

    open_db(a.dir).close()
    cert, key = make_certificate(a.dir)
    Handler.desk = Desk(a.dir, datetime.datetime.strptime(a.date, "%Y%m%d").date() if a.date else None)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", a.port), Handler)
    server.daemon_threads = True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    print("PORT %d" % server.server_address[1], flush=True)
    print("CA %s" % cert, flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
