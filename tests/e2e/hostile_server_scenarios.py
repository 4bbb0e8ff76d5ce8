"""Hostile and broken release pages. The update check runs at every start,
so whatever the server does (trickle, flood, cut off, answer garbage, show a
certificate that does not verify, pile up headers) must not crash it, hold
it past the whole-request limit, grow its memory without bound or get a
version offered. Each case is one http_tests.exe running the real
checkForUpdate under Wine against its own path of a local server on
127.0.0.1; all cases of a scenario run at once, so that the slow ones take
the limit together, while Linux samples each process's memory."""
import os
import random
import re
import socket
import ssl
import subprocess
import threading
import time

from harness import ROOT, WIN64, kill_group, wait_until
from scenarios import Failure, scenario


def _constant(name):
    """A number or shift (16u << 20) from the request's header."""
    with open(os.path.join(ROOT, "src", "update", "http_request_win.h")) as f:
        number, shift = re.search(r"\b%s = (\d+)u?(?: << (\d+))?;" % name, f.read()).groups()
    return int(number) << int(shift or 0)


LIMIT_MS = _constant("kHttpRequestLimitMs")  # the whole request
BODY_CAP = _constant("kHttpBodyLimit")
PHASE_TIMEOUT_MS = 15000  # each phase of the update check's request: httpPhaseTimeoutMs(0)
LATE_MS = 3000            # how far past the limit a check may end (the worker is given up at the limit)
# Resident private memory of a check. The most a page can take: one just
# under the body cap, converted to GBK through the ANSI code page as the
# stream object does, needs about six times its size.
MEMORY_BOUND_MB = 128

# A page that offers a newer version to any build, as the real release page would.
OFFER = "<script>var t='Nexlune 版本9.9';</script><span id=\"filename\">x.zip</span>".encode("utf-8")
# A page that offers nothing: for answers whose page would rightly be believed.
NO_OFFER = "<script>var t='Nexlune 版本1.0';</script><span id=\"filename\">x.zip</span>".encode("utf-8")
MB = 1 << 20


def head(*lines):
    return b"".join(line + b"\r\n" for line in (b"HTTP/1.1 200 OK", b"Content-Type: text/html; charset=utf-8")
                    + lines)


def page(body, *lines):
    return head(*lines, b"Content-Length: %d" % len(body)) + b"\r\n" + body


# The answers; each writes to the connection after the request's head.
def send(data):
    """data, or what data() makes (large answers are made when asked for)."""
    return lambda conn: conn.sendall(data() if callable(data) else data)


def trickle(first, slow):
    """first at once, then slow one byte a second."""
    def answer(conn):
        conn.sendall(first)
        for byte in slow:
            time.sleep(1)
            conn.sendall(bytes([byte]))
    return answer


def flood(first, chunked=False, total=100 * MB):
    """first, then total bytes (the offer first) as fast as the client takes them."""
    def answer(conn):
        conn.sendall(first)
        block = OFFER + b" " * (MB - len(OFFER))
        for _ in range(total // MB):
            conn.sendall(b"%x\r\n%s\r\n" % (len(block), block) if chunked else block)
            block = b" " * MB
        if chunked:
            conn.sendall(b"0\r\n\r\n")
    return answer


def endless(first, line):
    """first, then line over and over until the client goes."""
    def answer(conn):
        conn.sendall(first)
        lines = line * 1000
        while True:
            conn.sendall(lines)
    return answer


class HostileServer:
    """Reads a request's head and answers it by its path; TLS with the
    given certificate and key, or plain."""

    def __init__(self, answers, certificate=None):
        self.answers = answers
        self.context = None
        if certificate:
            self.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self.context.load_cert_chain(*certificate)
        self.sock = socket.socket()
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(64)
        self.base = "%s://127.0.0.1:%d" % ("https" if certificate else "http", self.sock.getsockname()[1])
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            conn, _ = self.sock.accept()
            threading.Thread(target=self._serve, args=(conn,), daemon=True).start()

    def _serve(self, conn):
        try:
            conn.settimeout(LIMIT_MS / 1000 + 30)  # a client that neither asks nor goes
            if self.context:
                conn = self.context.wrap_socket(conn, server_side=True)  # fails when the client refuses
            request = b""
            while b"\r\n\r\n" not in request:
                chunk = conn.recv(4096)
                if not chunk:
                    return
                request += chunk
            self.answers[request.split(b" ")[1].decode()](conn)
        except OSError:  # the client went: given up, refused, or done
            pass
        finally:
            conn.close()


def make_certificates(folder):
    """A test root, certificates from it (valid, expired, for another name)
    and a self-signed one, all for the same key; name -> (cert, key)."""
    os.makedirs(folder, exist_ok=True)

    def openssl(*args):
        subprocess.run(["openssl"] + list(args), cwd=folder, check=True, capture_output=True, timeout=60)

    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "root.key", "-out", "root.pem", "-days", "3",
            "-subj", "/CN=Nexlune test root", "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", "leaf.key", "-out", "leaf.csr",
            "-subj", "/CN=127.0.0.1")
    with open(os.path.join(folder, "ca.cnf"), "w") as f:
        f.write("[ca]\ndefault_ca = root\n[root]\ndatabase = index.txt\nnew_certs_dir = .\nserial = serial\n"
                "default_md = sha256\npolicy = any\nunique_subject = no\n[any]\ncommonName = supplied\n")
    open(os.path.join(folder, "index.txt"), "w").close()
    with open(os.path.join(folder, "serial"), "w") as f:
        f.write("01\n")
    now = time.time()
    stamp = lambda t: time.strftime("%Y%m%d%H%M%SZ", time.gmtime(t))  # noqa: E731
    here = "DNS:127.0.0.1,IP:127.0.0.1"
    for name, start, end, host, names in (("valid", now, now + 86400, "127.0.0.1", here),
                                          ("expired", 1577836800, 1580515200, "127.0.0.1", here),  # January 2020
                                          ("other-name", now, now + 86400, "not-this-host.example",
                                           "DNS:not-this-host.example")):
        with open(os.path.join(folder, name + ".ext"), "w") as f:
            f.write("subjectAltName=%s\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n" % names)
        openssl("ca", "-batch", "-config", "ca.cnf", "-cert", "root.pem", "-keyfile", "root.key", "-in", "leaf.csr",
                "-out", name + ".pem", "-subj", "/CN=" + host, "-startdate", stamp(start), "-enddate", stamp(end),
                "-extfile", name + ".ext", "-notext")
    openssl("req", "-x509", "-key", "leaf.key", "-out", "self-signed.pem", "-days", "2", "-subj", "/CN=127.0.0.1",
            "-addext", "subjectAltName=" + here, "-addext", "extendedKeyUsage=serverAuth")
    openssl("x509", "-in", "root.pem", "-outform", "der", "-out", "root.der")
    return {name: (os.path.join(folder, name + ".pem"), os.path.join(folder, "leaf.key"))
            for name in ("valid", "expired", "other-name", "self-signed")}


def random_bytes(n):
    return bytes(random.Random(7).getrandbits(8) for _ in range(n))


# name, server, answer, offered. Every answer that could be taken for a
# release page carries the offer: a check that reads it offers.
SERVER_CASES = [
    ("1 byte a second from the status line", "plain", trickle(b"", page(OFFER)), False),
    ("1 byte a second in the body", "plain", trickle(head(b"Content-Length: %d" % len(OFFER)) + b"\r\n", OFFER),
     False),
    ("100 MB with its length", "plain", flood(head(b"Content-Length: %d" % (100 * MB)) + b"\r\n"), False),
    ("100 MB until the connection closes", "plain", flood(head(b"Connection: close") + b"\r\n"), False),
    ("100 MB chunked", "plain", flood(head(b"Transfer-Encoding: chunked") + b"\r\n", chunked=True), False),
    ("a page just under the body cap", "plain",
     send(lambda: page(b" " * (BODY_CAP - 1 - len(NO_OFFER)) + NO_OFFER)), False),
    ("closed in the status line", "plain", send(b"HTTP/1.1 20"), False),
    ("closed in a header", "plain", send(head(b"Content-Le")), False),
    ("random bytes", "plain", send(random_bytes(4096) + b"\r\n\r\n" + OFFER), False),
    ("a text line instead of HTTP", "plain", send(b"SSH-2.0-OpenSSH_9.2p1\r\n\r\n" + OFFER), False),
    ("10,000 Set-Cookie lines", "plain",
     send(page(NO_OFFER, *[b"Set-Cookie: c%d=%s; Path=/" % (i, b"v" * 40) for i in range(10000)])), False),
    ("a 1 MB header line", "plain", send(page(NO_OFFER, b"X-Long: " + b"a" * MB)), False),
    ("header lines without end", "plain", endless(head(), b"Set-Cookie: c=v; Path=/\r\n"), False),
    ("header lines without end, over HTTPS", "valid", endless(head(), b"Set-Cookie: c=v; Path=/\r\n"), False),
]
CERTIFICATE_CASES = [
    ("certificate from a trusted root", "valid", send(page(OFFER)), True),
    ("expired certificate", "expired", send(page(OFFER)), False),
    ("self-signed certificate", "self-signed", send(page(OFFER)), False),
    ("certificate for another name", "other-name", send(page(OFFER)), False),
]


class HostileServers:
    """The plain server and one TLS server per certificate, each answering
    every case on a path of its own; the session's prefix trusts the test root."""

    def __init__(self, s):
        self.scratch = s.scratch
        answers = {"/%d" % i: answer for i, (_, _, answer, _) in enumerate(SERVER_CASES + CERTIFICATE_CASES)}
        certificates = make_certificates(os.path.join(s.scratch, "hostile-certificates"))
        self.servers = {"plain": HostileServer(answers)}
        self.servers.update({name: HostileServer(answers, pair) for name, pair in certificates.items()})
        with open(os.path.join(s.scratch, "hostile-certificates", "root.der"), "rb") as f:
            code, _ = s.run(os.path.join(WIN64, "http_tests.exe"), "trust", f.read().hex(), timeout=120)
        if code != 0:
            raise Failure("the test root could not be trusted")

    def url(self, case):
        cases = SERVER_CASES + CERTIFICATE_CASES
        return self.servers[case[1]].base + "/%d" % cases.index(case)


_servers = None


def servers(s):
    global _servers
    if _servers is None or _servers.scratch != s.scratch:
        _servers = HostileServers(s)
    return _servers


def private_memory_mb(pid):
    """Resident anonymous memory as Linux counts it (Wine does not tell another process)."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("RssAnon:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return 0.0


def check_all(s, cases, quick_ms=None):
    """Runs one update check per case at once and checks each: it ended by
    itself within the limit, offered only what it should, and stayed within
    the memory bound (and within quick_ms when given). Prints one line per case."""
    srv = servers(s)
    procs = [s.start(os.path.join(WIN64, "http_tests.exe"), "check", srv.url(case), "no", stdout=subprocess.PIPE)
             for case in cases]
    peaks = [0.0] * len(procs)

    def all_ended():
        for i, proc in enumerate(procs):
            peaks[i] = max(peaks[i], private_memory_mb(proc.pid))
        return all(proc.poll() is not None for proc in procs)

    # Beyond the limit, the processes' own start (slow when many start at once).
    wait_until(all_ended, LIMIT_MS / 1000 + 60, 0.05)
    problems = []
    for (name, _, _, offered), proc, peak in zip(cases, procs, peaks):
        ended = proc.poll() is not None
        kill_group(proc)
        lines = dict(line.partition("=")[::2] for line in proc.stdout.read().decode("latin-1").split())
        proc.stdout.close()
        ms = int(lines.get("ms", "-1"))
        box = bytes.fromhex(lines.get("title", "")) + bytes.fromhex(lines.get("text", ""))
        print("    %-40s newer=%s %6d ms %6.1f MB" % (name, lines.get("newer", "?"), ms, peak), flush=True)
        if not ended or proc.returncode != 0 or "newer" not in lines:
            problems.append("%s: %s (exit code %s)" % (name, "did not end" if not ended else "crashed",
                                                        proc.returncode))
            continue
        if lines["newer"] != ("1" if offered else "0"):
            problems.append("%s: newer=%s" % (name, lines["newer"]))
        if bool(box) != offered:
            problems.append("%s: question box %r" % (name, box.decode("gbk", "replace")))
        if ms > (quick_ms or LIMIT_MS + LATE_MS):
            problems.append("%s: took %d ms" % (name, ms))
        if peak > MEMORY_BOUND_MB:
            problems.append("%s: %.1f MB" % (name, peak))
    if problems:
        raise Failure("; ".join(problems))


@scenario
def update_check_survives_hostile_servers(s):
    check_all(s, SERVER_CASES)


@scenario
def update_check_refuses_certificates_that_do_not_verify(s):
    # A refused certificate ends the check at once, not by a phase's time-out.
    check_all(s, CERTIFICATE_CASES, quick_ms=PHASE_TIMEOUT_MS)


SCENARIOS = [f for f in list(globals().values()) if getattr(f, "scenario", False)]
