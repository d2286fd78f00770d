"""Tests for the loopback demo server (demo/server.py).

Run: python3 -m unittest demo/test_server.py -v
"""

import json
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import unittest
import urllib.error
import urllib.parse
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "server.py")
START_LIMIT_S = 10  # guard against a hung start, not a measurement

STAT_URL = "https://localhost/z_stat.php?id=4096&web_id=4096"

GAME_PAGES = [
    "/softmain/wd/vnokmain.asp?t=45296.13",
    "/softmain/wd/popup.html",
    "/softmain/wd/popup_target.html",
    "/softmain/wd/shop.html",
    "/softmain/pay/order.html",
    "/softmain/wd/leave.html",
    "/softmain/wd/end.html",
    "/softmain/wd/frames.html",
    "/softmain/wd/frame_a.html",
    "/softmain/wd/frame_b.html",
    "/softmain/wd/frame_nohook.html",
    "/softmain/wd/nohook_page.html",
    "/softmain/wd/post.html",
    "/softmain/wd/posted.asp",
]


def free_ports(count):
    socks = []
    try:
        for _ in range(count):
            s = socket.socket()
            s.bind(("127.0.0.1", 0))
            socks.append(s)
        return [s.getsockname()[1] for s in socks]
    finally:
        for s in socks:
            s.close()


def ipv6_loopback():
    try:
        with socket.socket(socket.AF_INET6) as s:
            s.bind(("::1", 0))
        return True
    except OSError:
        return False


class DemoProcess:
    """server.py in a subprocess on free ports; always killed on stop()."""

    def __init__(self, *extra):
        self.ports = dict(zip(("primary", "fallback", "stats"), free_ports(3)))
        self.proc = subprocess.Popen(
            [sys.executable, SERVER,
             "--primary-port", str(self.ports["primary"]),
             "--fallback-port", str(self.ports["fallback"]),
             "--stats-port", str(self.ports["stats"]), *extra],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        try:
            self._wait_ready()
        except BaseException:
            self.stop()
            raise

    def _wait_ready(self):
        ready, _, _ = select.select([self.proc.stdout], [], [], START_LIMIT_S)
        line = self.proc.stdout.readline() if ready else ""
        if line.strip() != "demo server ready":
            self.stop()
            raise RuntimeError("server did not start: %r %s" % (line, self.proc.stderr.read()))

    def stop(self, sig=signal.SIGTERM):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        for stream in (self.proc.stdout, self.proc.stderr):
            stream.close()
        return self.proc.returncode

    def url(self, role, target, host="127.0.0.1"):
        return "http://%s:%d%s" % (host, self.ports[role], target)

    def request(self, role, target, data=None, method=None, host="127.0.0.1", headers=None):
        req = urllib.request.Request(self.url(role, target, host), data=data, method=method,
                                     headers=headers or {})
        try:
            with urllib.request.urlopen(req, timeout=5) as resp:
                return resp.status, resp.headers, resp.read().decode("utf-8")
        except urllib.error.HTTPError as err:
            with err:
                return err.code, err.headers, err.read().decode("utf-8")

    def get(self, role, target, **kw):
        return self.request(role, target, **kw)[::2]  # (status, body)


class ServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.demo = DemoProcess()
        cls.addClassCleanup(cls.demo.stop)

    def setUp(self):
        self.assertEqual(self.demo.get("primary", "/__control?fail=none&clear=1"),
                         (200, "fail=none\n"))

    def events(self):
        status, body = self.demo.get("stats", "/__events")
        self.assertEqual(status, 200)
        return body.splitlines()

    def log(self):
        status, body = self.demo.get("fallback", "/__log")
        self.assertEqual(status, 200)
        return body.splitlines()

    def test_routes(self):
        stat = "/tongji.asp?url=" + urllib.parse.quote(STAT_URL, safe="")
        cases = [
            # role, target, status, expected text in the body
            ("primary", "/softmain/net.asp?45296.13", 200, "ok"),
            ("fallback", "/softmain/net.asp?45296.13", 200, "ok"),
            ("primary", "/softmain/wd/vnokmain.asp?t=45296.13", 200, "<title>Starfall</title>"),
            ("fallback", "/softmain/wd/vnokmain.asp?t=45296.13", 200, "<canvas"),
            ("primary", "/softmain/wd/vnokmain.asp", 200, "background: rgb(24, 40, 96)"),
            ("primary", "/softmain/wd/popup.html", 200,
             "window.open('/softmain/wd/popup_target.html')"),
            ("primary", "/softmain/wd/popup.html", 200,
             'href="/softmain/wd/popup_target.html" target=_blank'),
            ("primary", "/softmain/wd/popup_target.html", 200, "report('popup-loaded')"),
            ("primary", "/softmain/wd/shop.html", 200, 'href="/softmain/pay/order.html" target=_blank'),
            ("primary", "/softmain/wd/shop.html", 200, "window.open('/softmain/pay/order.html')"),
            ("fallback", "/softmain/pay/order.html", 200, "Payment"),
            ("primary", "/softmain/wd/leave.html", 200, "window.onbeforeunload"),
            ("primary", "/softmain/wd/leave.html", 200, "confirm('Leave the game?')"),
            ("primary", "/softmain/wd/leave.html", 200, "'confirm-returned:' + v"),
            ("primary", "/softmain/wd/leave.html", 200, "report('smd-returned')"),
            ("primary", "/softmain/wd/end.html", 200, "<div id=end_game>"),
            ("primary", "/softmain/wd/end.html", 200, "alert('Game over')"),
            ("primary", "/softmain/wd/frames.html", 200, 'src="frame_nohook.html"'),
            ("primary", "/softmain/wd/frames.html", 200, 'src="frame_a.html"'),
            ("primary", "/softmain/wd/frame_b.html", 200, "frame_b-confirm-returned"),
            ("primary", "/softmain/wd/frame_nohook.html", 200, "frame_nohook-confirm-returned"),
            ("primary", "/softmain/wd/nohook_page.html", 200, "confirm("),
            ("primary", "/softmain/wd/post.html", 200,
             "method=post target=_blank action=/softmain/wd/posted.asp"),
            ("primary", "/softmain/wd/posted.asp", 200, '<b id="method">GET</b>'),
            ("stats", stat, 200, "visits: "),
            ("stats", stat, 200, "counter 4096"),
            # each role answers only its own paths
            ("stats", "/softmain/net.asp?1", 404, "not found"),
            ("primary", "/tongji.asp?url=x", 404, "not found"),
            ("primary", "/softmain/wd/missing.html", 404, "not found"),
            ("primary", "/softmain/wd/../../etc/passwd", 404, "not found"),
            ("fallback", "/", 404, "not found"),
        ]
        for role, target, status, text in cases:
            with self.subTest(role=role, target=target):
                got_status, body = self.demo.get(role, target)
                self.assertEqual(got_status, status)
                self.assertIn(text, body)

    def test_only_the_end_page_carries_the_end_marker(self):
        # The program overrides alert on pages whose markup holds "id=end_".
        for target in GAME_PAGES:
            with self.subTest(target=target):
                body = self.demo.get("primary", target)[1]
                self.assertEqual("id=end_" in body, target.endswith("/end.html"))

    def test_pages_are_utf8_and_self_contained(self):
        external = re.compile(r"""(?:src|href|action)\s*=\s*["']?\s*(?:[a-z]+:)?//""", re.I)
        css_url = re.compile(r"url\(|@import", re.I)
        stat = "/tongji.asp?url=" + urllib.parse.quote(STAT_URL, safe="")
        targets = [("primary", t) for t in GAME_PAGES] + [("stats", stat)]
        for role, target in targets:
            with self.subTest(target=target):
                status, headers, body = self.demo.request(role, target)
                self.assertEqual(status, 200)
                self.assertEqual(headers["Content-Type"], "text/html; charset=utf-8")
                self.assertIn('<meta charset="utf-8">', body)
                self.assertIsNone(external.search(body))
                self.assertIsNone(css_url.search(body))
                self.assertLess(len(body.encode("utf-8")), 32 * 1024)

    def test_stats_page_counts_and_never_loads_the_counter(self):
        stat = "/tongji.asp?url=" + urllib.parse.quote(STAT_URL, safe="")
        counts = []
        for _ in range(3):
            body = self.demo.get("stats", stat)[1]
            counts.append(int(re.search(r"visits: (\d+)", body).group(1)))
            # the address may appear as text, never inside an attribute or script call
            self.assertNotRegex(body, r"""(?:src|href)\s*=\s*["']?https://""")
            self.assertNotIn("fetch('https", body)
        self.assertEqual(counts, [counts[0], counts[0] + 1, counts[0] + 2])

    def test_stats_page_escapes_the_url(self):
        target = "/tongji.asp?url=" + urllib.parse.quote("https://x/<script>alert(1)</script>", safe="")
        body = self.demo.get("stats", target)[1]
        self.assertNotIn("<script>alert(1)", body)
        self.assertIn("&lt;script&gt;alert(1)", body)

    def test_fail_switch(self):
        cases = [
            # mode, primary net.asp, fallback net.asp
            ("primary", (503, "down"), (200, "ok")),
            ("fallback", (200, "ok"), (503, "down")),
            ("both", (503, "down"), (503, "down")),
            ("none", (200, "ok"), (200, "ok")),
        ]
        for mode, primary, fallback in cases:
            with self.subTest(mode=mode):
                # the switch works from any port, the statistics one included
                self.assertEqual(self.demo.get("stats", "/__control?fail=" + mode),
                                 (200, "fail=%s\n" % mode))
                self.assertEqual(self.demo.get("primary", "/softmain/net.asp?45296.13"), primary)
                self.assertEqual(self.demo.get("fallback", "/softmain/net.asp?45296.13"), fallback)
                # only the probe fails; the game itself still loads
                self.assertEqual(self.demo.get("primary", "/softmain/wd/vnokmain.asp?t=1")[0], 200)

    def test_control_rejects_unknown_mode(self):
        self.demo.get("primary", "/__control?fail=primary")
        status, body = self.demo.get("primary", "/__control?fail=sometimes")
        self.assertEqual(status, 400)
        self.assertIn("none, primary, fallback, both", body)
        self.assertEqual(self.demo.get("fallback", "/__control"), (200, "fail=primary\n"))

    def test_log_records_every_request_with_port_and_method(self):
        p, f, s = (self.demo.ports[r] for r in ("primary", "fallback", "stats"))
        self.demo.get("primary", "/softmain/net.asp?45296.13")
        self.demo.get("fallback", "/softmain/wd/vnokmain.asp?t=45296.13")
        self.demo.get("stats", "/tongji.asp?url=abc")
        self.demo.request("primary", "/softmain/wd/posted.asp", data=b"player=a&score=1")
        self.demo.request("fallback", "/softmain/wd/end.html", method="HEAD")
        self.demo.get("primary", "/softmain/wd/missing.html")
        self.assertEqual(self.log(), [
            "%d GET /softmain/net.asp?45296.13" % p,
            "%d GET /softmain/wd/vnokmain.asp?t=45296.13" % f,
            "%d GET /tongji.asp?url=abc" % s,
            "%d POST /softmain/wd/posted.asp" % p,
            "%d HEAD /softmain/wd/end.html" % f,
            "%d GET /softmain/wd/missing.html" % p,
            "%d GET /__log" % f,
        ])

    def test_clear_forgets_log_and_events(self):
        self.demo.get("primary", "/__event?name=before")
        self.demo.get("primary", "/__control?clear=1")
        self.assertEqual(self.events(), [])
        self.assertEqual(self.log(), ["%d GET /__events" % self.demo.ports["stats"],
                                      "%d GET /__log" % self.demo.ports["fallback"]])

    def test_events(self):
        form = {"Content-Type": "application/x-www-form-urlencoded"}
        cases = [
            # how it is sent, recorded name
            (dict(role="primary", target="/__event?name=alert-returned"), "alert-returned"),
            (dict(role="fallback", target="/__event?name=confirm-returned%3Afalse", data=b""),
             "confirm-returned:false"),
            (dict(role="stats", target="/__event", data=b"name=unload-prompt", headers=form),
             "unload-prompt"),
            (dict(role="primary", target="/__event", data=b"popup-loaded",
                  headers={"Content-Type": "text/plain"}), "popup-loaded"),
            (dict(role="primary", target="/__event?name=two%0Alines"), "two\\nlines"),
        ]
        for kw, _ in cases:
            role, target = kw.pop("role"), kw.pop("target")
            with self.subTest(target=target):
                self.assertEqual(self.demo.request(role, target, **kw)[0], 200)
        self.assertEqual(self.events(), [name for _, name in cases])

    def test_event_without_name_is_rejected(self):
        self.assertEqual(self.demo.get("primary", "/__event")[0], 400)
        self.assertEqual(self.demo.get("primary", "/__event?name=")[0], 400)
        self.assertEqual(self.events(), [])

    def test_parallel_events_are_all_kept(self):
        names = ["e%02d" % i for i in range(40)]
        roles = ["primary", "fallback", "stats"]
        errors = []

        def send(i, name):
            try:
                self.demo.get(roles[i % 3], "/__event?name=" + name)
            except Exception as exc:  # reported below
                errors.append(exc)

        threads = [threading.Thread(target=send, args=(i, n)) for i, n in enumerate(names)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.assertEqual(errors, [])
        self.assertEqual(sorted(self.events()), names)

    def test_post(self):
        cases = [
            # target, body, status, text
            ("/softmain/wd/posted.asp", b"player=star%26fall&score=42", 200, '<b id="method">POST</b>'),
            ("/softmain/wd/posted.asp", b"player=star%26fall&score=42", 200, "star&amp;fall"),
            ("/softmain/wd/posted.asp", b"", 200, "(no fields)"),
            ("/softmain/wd/post.html", b"x=1", 405, "method not allowed"),
            ("/softmain/net.asp", b"x=1", 405, "method not allowed"),
        ]
        for target, data, status, text in cases:
            with self.subTest(target=target, data=data):
                got_status, _, body = self.demo.request("primary", target, data=data)
                self.assertEqual(got_status, status)
                self.assertIn(text, body)

    def test_head_sends_headers_only(self):
        status, headers, body = self.demo.request("primary", "/softmain/wd/end.html", method="HEAD")
        self.assertEqual(status, 200)
        self.assertEqual(body, "")
        self.assertGreater(int(headers["Content-Length"]), 0)

    @unittest.skipUnless(ipv6_loopback(), "no IPv6 loopback on this machine")
    def test_primary_and_stats_answer_on_ipv6_loopback(self):
        for role, target, text in [("primary", "/softmain/net.asp?1", "ok"),
                                   ("stats", "/tongji.asp?url=x", "visits: ")]:
            with self.subTest(role=role):
                status, body = self.demo.get(role, target, host="[::1]")
                self.assertEqual(status, 200)
                self.assertIn(text, body)

    @unittest.skipUnless(shutil.which("node"), "node is not installed")
    def test_page_scripts_parse(self):
        targets = [("primary", t) for t in GAME_PAGES] + [("stats", "/tongji.asp?url=x")]
        sources = {}
        for role, target in targets:
            body = self.demo.get(role, target)[1]
            scripts = re.findall(r"<script>(.*?)</script>", body, re.S)
            self.assertEqual(len(scripts), 1, target)
            sources[target] = scripts[0]
        # compile (without running) every page script in one node process
        checker = (
            "const vm = require('vm'); let src = '';"
            "process.stdin.on('data', d => src += d).on('end', () => {"
            "  for (const [name, code] of Object.entries(JSON.parse(src))) {"
            "    try { new vm.Script(code, {filename: name}); }"
            "    catch (e) { console.log(name + ': ' + e.message); }"
            "  }"
            "});")
        result = subprocess.run(["node", "-e", checker], input=json.dumps(sources),
                                capture_output=True, text=True, timeout=30)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, "")


class CommandLineTest(unittest.TestCase):
    def start(self, *extra):
        demo = DemoProcess(*extra)
        self.addCleanup(demo.stop)
        return demo

    def test_fail_option(self):
        cases = [
            ("none", 200, 200),
            ("primary", 503, 200),
            ("fallback", 200, 503),
            ("both", 503, 503),
        ]
        for mode, primary, fallback in cases:
            with self.subTest(mode=mode):
                demo = self.start("--fail", mode)
                self.assertEqual(demo.get("primary", "/softmain/net.asp?1")[0], primary)
                self.assertEqual(demo.get("fallback", "/softmain/net.asp?1")[0], fallback)
                self.assertEqual(demo.get("primary", "/__control"), (200, "fail=%s\n" % mode))
                self.assertEqual(demo.stop(), 0)

    def test_log_file_appends_and_stop_is_clean(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "requests.log")
            with open(path, "w", encoding="utf-8") as fh:
                fh.write("earlier line\n")
            for sig in (signal.SIGTERM, signal.SIGINT):
                with self.subTest(signal=sig.name):
                    demo = self.start("--log", path)
                    demo.get("primary", "/softmain/net.asp?45296.13")
                    demo.request("stats", "/__event?name=x", data=b"")
                    self.assertEqual(demo.stop(sig), 0)
                    with open(path, encoding="utf-8") as fh:
                        tail = fh.read().splitlines()[-2:]
                    self.assertEqual(tail, [
                        "%d GET /softmain/net.asp?45296.13" % demo.ports["primary"],
                        "%d POST /__event?name=x" % demo.ports["stats"],
                    ])
            with open(path, encoding="utf-8") as fh:
                lines = fh.read().splitlines()
            self.assertEqual(lines[0], "earlier line")
            self.assertEqual(len(lines), 5)

    def test_host_primary_loopback_only(self):
        demo = self.start("--host-primary", "127.0.0.1")
        self.assertEqual(demo.get("primary", "/softmain/net.asp?1"), (200, "ok"))
        ports = free_ports(3)
        result = subprocess.run(
            [sys.executable, SERVER, "--host-primary", "192.0.2.1",
             "--primary-port", str(ports[0]), "--fallback-port", str(ports[1]),
             "--stats-port", str(ports[2])],
            capture_output=True, text=True, timeout=START_LIMIT_S)
        self.assertNotEqual(result.returncode, 0)
        self.assertNotIn("demo server ready", result.stdout)
        self.assertIn("only loopback", result.stderr)

    def test_busy_port_fails_start(self):
        with socket.socket() as busy:
            busy.bind(("127.0.0.1", 0))
            busy.listen()
            ports = free_ports(2)
            result = subprocess.run(
                [sys.executable, SERVER, "--host-primary", "127.0.0.1",
                 "--primary-port", str(ports[0]), "--fallback-port", str(busy.getsockname()[1]),
                 "--stats-port", str(ports[1])],
                capture_output=True, text=True, timeout=START_LIMIT_S)
        self.assertNotEqual(result.returncode, 0)
        self.assertNotIn("demo server ready", result.stdout)
        self.assertIn("cannot bind fallback", result.stderr)


if __name__ == "__main__":
    unittest.main()
