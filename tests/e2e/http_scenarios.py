"""HTTP scenarios: sendHttpRequest and checkForUpdate under Wine against a
local HTTPS server (self-signed certificate for another name, made at test
time: requests take any certificate), a plain HTTP server with the same
pages (the update check takes only certificates that verify; those are
hostile_server_scenarios.py's) and a recording proxy, all on 127.0.0.1."""
import http.server
import os
import socket
import ssl
import subprocess
import threading
import time

from harness import ROOT, WIN64, wait_until
from scenarios import expect, expect_eq, scenario

UA = ("Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
      "Chrome/47.0.2526.80 Safari/537.36 Core/1.47.277.400 QQBrowser/9.4.7658.400")


class Recorder(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    pages = {}  # path -> (status, extra headers, body bytes)
    seen = []   # (method, path, [(name, value)], body)

    def log_message(self, *args):
        pass

    def handle_any(self):
        length = int(self.headers.get("Content-Length", "0") or 0)
        body = self.rfile.read(length) if length else b""
        Recorder.seen.append((self.command, self.path, list(self.headers.items()), body))
        if self.path == "/hang":
            time.sleep(6)
            return
        status, extra, payload = Recorder.pages.get(self.path, (404, [], b"missing"))
        if self.path == "/echo":
            payload = body
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)

    do_GET = do_POST = do_HEAD = do_PUT = do_DELETE = do_OPTIONS = handle_any


class Servers:
    def __init__(self, scratch):
        cert, key = os.path.join(scratch, "cert.pem"), os.path.join(scratch, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                        "-days", "2", "-subj", "/CN=not-this-host.example"], check=True, capture_output=True,
                       timeout=60)
        self.https = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Recorder)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        self.https.socket = context.wrap_socket(self.https.socket, server_side=True)
        self.https.daemon_threads = True
        threading.Thread(target=self.https.serve_forever, daemon=True).start()
        self.base = "https://127.0.0.1:%d" % self.https.server_address[1]
        self.http = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Recorder)
        self.http.daemon_threads = True
        threading.Thread(target=self.http.serve_forever, daemon=True).start()
        self.plain_base = "http://127.0.0.1:%d" % self.http.server_address[1]
        # A proxy that records what it is asked and refuses.
        self.proxy_seen = []
        self.proxy = socket.socket()
        self.proxy.bind(("127.0.0.1", 0))
        self.proxy.listen(5)
        self.proxy.settimeout(0.5)
        self.proxy_port = self.proxy.getsockname()[1]
        self.stopping = False
        threading.Thread(target=self._proxy_loop, daemon=True).start()

    def _proxy_loop(self):
        while not self.stopping:
            try:
                conn, _ = self.proxy.accept()
            except OSError:
                continue
            with conn:
                conn.settimeout(5)
                data = b""
                try:
                    while b"\r\n\r\n" not in data:
                        chunk = conn.recv(4096)
                        if not chunk:
                            break
                        data += chunk
                except OSError:
                    pass
                self.proxy_seen.append(data.decode("latin-1"))
                conn.sendall(b"HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")

    def close(self):
        self.stopping = True
        for server in (self.https, self.http):
            server.shutdown()
            server.server_close()
        self.proxy.close()


_servers = None


def servers(s):
    global _servers
    if _servers is None:
        _servers = Servers(s.scratch)
    return _servers


def request(s, url, *options):
    _, out = s.run(os.path.join(WIN64, "http_tests.exe"), "request", url, *options, timeout=120)
    result = {}
    for line in out.splitlines():
        key, _, value = line.partition("=")
        result[key] = value if key in ("ms", "status", "newer") else bytes.fromhex(value)
    return result


def hexed(text, encoding="gbk"):
    return text.encode(encoding).hex()


def last_request():
    return Recorder.seen[-1]


@scenario
def http_update_check_request_headers(s):
    srv = servers(s)
    Recorder.pages["/page"] = (200, [], b"hello")
    r = request(s, srv.base + "/page", "headers=" + hexed("User-Agent: " + UA))
    expect_eq((r["status"], r["body"]), ("200", b"hello"), "status and body over HTTPS with a mismatched name")
    method, path, headers, _ = last_request()
    names = [n for n, _ in headers if n.lower() not in ("host", "connection", "cache-control", "content-length")]
    expect_eq(names, ["User-Agent", "Accept", "Referer", "Accept-Language"], "headers and their order")
    values = dict(headers)
    expect_eq((values["User-Agent"], values["Accept"], values["Referer"], values["Accept-Language"]),
              (UA, "*/*", srv.base + "/page", "zh-cn"), "header values")
    expect_eq(r["headers"].decode("gbk").split("\r\n")[0], "User-Agent: " + UA, "headers written back")


@scenario
def http_post_text_bytes_and_verbs(s):
    srv = servers(s)
    Recorder.pages["/echo"] = (200, [], b"")
    r = request(s, srv.base + "/echo", "method=1", "post=a=1&b=2")
    expect_eq(r["body"], b"a=1&b=2", "text body")
    values = dict(last_request()[2])
    expect_eq(values.get("Content-Type"), "application/x-www-form-urlencoded", "default content type")
    raw = bytes([0, 1, 2, 255, 0x80]) * 50
    r = request(s, srv.base + "/echo", "method=1", "post=ignored", "postbytes=" + raw.hex())
    expect_eq(r["body"], raw, "byte body sent instead of the text")
    for method, verb in (("8", "GET"), ("-1", "GET"), ("3", "PUT")):
        request(s, srv.base + "/echo", "method=" + method)
        expect_eq(last_request()[0], verb, "verb for method %s" % method)
        if verb == "GET":
            expect("Content-Type" not in dict(last_request()[2]), "no content type for GET")


@scenario
def http_cookies_sent_collected_merged(s):
    srv = servers(s)
    Recorder.pages["/c"] = (200, [("Set-Cookie", "b=3; path=/"), ("Set-Cookie", "c=deleted")], b"ok")
    r = request(s, srv.base + "/c", "cookies=Cookie: a=1; b=2")
    values = dict(last_request()[2])
    expect_eq(values.get("Cookie"), "a=1; b=2", "Cookie header as prepared (the server folds the leading space)")
    expect_eq(r["cookies"], b"b=3; a=1", "merged cookies written back")
    expect_eq(r["responsecookies"], b"b=3; a=1", "response cookies merged too")
    r = request(s, srv.base + "/c")
    expect_eq(r["responsecookies"], b"b=3; c=deleted", "collected without merging when none were sent")


@scenario
def http_redirect_timeout_refused(s):
    srv = servers(s)
    Recorder.pages["/from"] = (302, [("Location", "/to")], b"moved")
    Recorder.pages["/to"] = (200, [], b"arrived")
    r = request(s, srv.base + "/from")
    expect_eq((r["status"], r["body"]), ("200", b"arrived"), "redirect followed")
    r = request(s, srv.base + "/from", "noredirect")
    expect_eq((r["status"], r["body"]), ("302", b"moved"), "redirect not followed")
    r = request(s, srv.base + "/hang", "timeout=1")
    expect_eq((r["status"], r["body"]), ("0", b""), "time-out: no status, no body")
    expect(int(r["ms"]) < 4500, "gave up after about 1 s, took %s ms" % r["ms"])
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()  # nothing listens there now
    r = request(s, "https://127.0.0.1:%d/x" % port)
    expect_eq((r["status"], r["body"], r["responseheaders"]), ("0", b"", b""), "refused connection")


@scenario
def http_proxy_connect_and_authorization(s):
    srv = servers(s)
    # The target is named "localhost": with the proxy's own name, Wine's
    # WinHTTP would skip the CONNECT and speak TLS to the proxy.
    target = "https://localhost:%d/page" % srv.https.server_address[1]
    r = request(s, target, "proxy=127.0.0.1:%d" % srv.proxy_port, "user=" + hexed("user"),
                "pass=" + hexed("密码"))
    seen = wait_until(lambda: srv.proxy_seen, 5)
    expect(seen, "the proxy was asked")
    first = seen[-1].split("\r\n")
    expect_eq(first[0], "CONNECT localhost:%d HTTP/1.1" % srv.https.server_address[1], "CONNECT line")
    auth = [line for line in first if line.lower().startswith("proxy-authorization:")]
    expect_eq(auth, ["Proxy-Authorization: Basic dXNlcjrD3MLr"], "Basic credentials of user:密码 (GBK)")
    expect_eq(r["body"], b"", "no body through a refusing proxy")


def fake_browser(s):
    """Makes the shell's open of a web address run a script that records it."""
    log = os.path.join(s.scratch, "opened.txt")
    script = os.path.join(s.scratch, "browser.sh")
    with open(script, "w") as f:
        f.write("#!/bin/sh\nprintf '%%s\\n' \"$1\" >> '%s'\n" % log)
    os.chmod(script, 0o755)
    s.run("reg", "add", "HKCU\\Software\\Wine\\WineBrowser", "/v", "Browsers", "/d", script, "/f")
    return log


@scenario
def update_check_offers_only_newer_versions(s):
    srv = servers(s)
    log = fake_browser(s)
    page = ("<script>var t='Nexlune 版本%s';</script><span id=\"filename\">nexlune-%s.zip</span>")
    for version, offered in (("4.1", True), ("4.0", False), ("3.9", False), ("10.0", False), (None, False)):
        body = (page % (version, version) if version else "<html>nothing here</html>").encode("utf-8")
        Recorder.pages["/release"] = (200, [], body)
        _, out = s.run(os.path.join(WIN64, "http_tests.exe"), "check", srv.plain_base + "/release",
                       "yes" if offered else "no", timeout=120)
        lines = dict(line.partition("=")[::2] for line in out.splitlines())
        expect_eq(lines.get("newer"), "1" if offered else "0", "newer for %s" % version)
        title = bytes.fromhex(lines.get("title", "")).decode("gbk")
        text = bytes.fromhex(lines.get("text", "")).decode("gbk")
        if offered:
            expect_eq(title, "Nexlune 版本4.1是否下载?", "question title")
            expect_eq(text, "更新内容:nexlune-4.1.zip", "question text")
            opened = wait_until(lambda: os.path.exists(log) and open(log).read().strip(), 15)
            expect_eq(opened, srv.plain_base + "/release", "Yes opens the release page itself")
        else:
            expect_eq((title, text), ("", ""), "no question for %s" % version)


@scenario
def release_page_template_is_offered_to_older_builds(s):
    srv = servers(s)
    fake_browser(s)
    with open(os.path.join(ROOT, "packaging", "release-page.html"), "rb") as f:
        Recorder.pages["/release"] = (200, [("Content-Type", "text/html; charset=utf-8")], f.read())
    for build, offered in (("3.9", True), (None, False)):  # None: this build
        _, out = s.run(os.path.join(WIN64, "http_tests.exe"), "check", srv.plain_base + "/release", "no",
                       *([build] if build else []), timeout=120)
        lines = dict(line.partition("=")[::2] for line in out.splitlines())
        expect_eq(lines.get("newer"), "1" if offered else "0", "offered to build %s" % (build or "4.0"))
        if offered:
            expect_eq(bytes.fromhex(lines.get("title", "")).decode("gbk"), "Nexlune 版本4.0是否下载?",
                      "question title")
            expect_eq(bytes.fromhex(lines.get("text", "")).decode("gbk"), "更新内容:Nexlune-4.0-win64-setup.exe",
                      "question text")


@scenario
def start_up_without_network_is_not_delayed(s):
    from harness import Nexlune
    Nexlune(s).close()  # the first program in a fresh prefix starts slowly for Wine's own reasons
    t0 = time.monotonic()
    nx = Nexlune(s)
    took = time.monotonic() - t0
    try:
        # The release page's host does not resolve here: the check ends at once.
        expect(took < 5, "the main window appeared after %.1f s" % took)
        expect_eq(s.probe("boxes")[:1], ["0"], "no question at start")
    finally:
        nx.close()


SCENARIOS = [f for f in list(globals().values()) if getattr(f, "scenario", False)]
