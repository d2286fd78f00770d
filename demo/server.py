#!/usr/bin/env python3
"""Loopback demo servers for Varnok.

One process plays three roles, each on its own port:

  primary game server   (default 18080, base http://localhost:18080/softmain/)
  fallback game server  (default 18081, base http://127.0.0.1:18081/softmain/)
  statistics relay      (default 18082, GET /tongji.asp?url=...)

Both game servers serve the same pages under /softmain/. Every port also
answers the test hooks:

  GET      /__log                 the request log, one "<port> <method> <target>" a line
  GET/POST /__event?name=NAME     record an event reported by a page
  GET      /__events              the recorded events, one a line
  GET      /__control?fail=WHICH  make /softmain/net.asp fail (none|primary|fallback|both)
  GET      /__control?clear=1     forget the logged requests and events

Only the standard library is used and nothing but loopback is ever bound.
"""

import argparse
import html
import ipaddress
import signal
import socket
import socketserver
import sys
import threading
from http import HTTPStatus
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

FAIL_CHOICES = ("none", "primary", "fallback", "both")
ROLE_PRIMARY = "primary"
ROLE_FALLBACK = "fallback"
ROLE_STATS = "stats"
MAX_EVENT_NAME = 200
MAX_BODY = 64 * 1024


# --------------------------------------------------------------------------
# Shared state
# --------------------------------------------------------------------------

class DemoState:
    """What all ports share: failure mode, request log, events, counter."""

    def __init__(self, fail="none", log_path=None):
        self._lock = threading.Lock()
        self._fail = fail
        self._log = []
        self._events = []
        self._visits = 0
        self._log_file = open(log_path, "a", encoding="utf-8") if log_path else None

    def close(self):
        with self._lock:
            if self._log_file:
                self._log_file.close()
                self._log_file = None

    # failure mode ---------------------------------------------------------
    @property
    def fail(self):
        with self._lock:
            return self._fail

    def set_fail(self, value):
        if value not in FAIL_CHOICES:
            raise ValueError(value)
        with self._lock:
            self._fail = value

    def is_failing(self, role):
        with self._lock:
            return self._fail == "both" or self._fail == role

    # request log ------------------------------------------------------------
    def log_request(self, port, method, target):
        line = "%d %s %s" % (port, method, one_line(target))
        with self._lock:
            self._log.append(line)
            if self._log_file:
                self._log_file.write(line + "\n")
                self._log_file.flush()

    def log_text(self):
        with self._lock:
            return "".join(line + "\n" for line in self._log)

    # events -----------------------------------------------------------------
    def add_event(self, name):
        with self._lock:
            self._events.append(name)

    def events_text(self):
        with self._lock:
            return "".join(name + "\n" for name in self._events)

    def clear(self):
        with self._lock:
            self._log.clear()
            self._events.clear()

    # statistics -------------------------------------------------------------
    def next_visit(self):
        with self._lock:
            self._visits += 1
            return self._visits


def one_line(text):
    """Keep a logged value on a single line whatever a client sent."""
    return text.replace("\r", "\\r").replace("\n", "\\n")


# --------------------------------------------------------------------------
# Pages
# --------------------------------------------------------------------------

# Pages report things through this helper. fetch first; an image request
# where fetch is missing. keepalive lets a report survive a navigation.
REPORT_JS = """
function report(name) {
  var u = '/__event?name=' + encodeURIComponent(name);
  try {
    if (window.fetch) {
      fetch(u, {cache: 'no-store', keepalive: true}).catch(function () { new Image().src = u; });
      return;
    }
  } catch (e) {}
  new Image().src = u;
}
function autoAction() {
  var m = /[?&]auto=([a-z]+)/.exec(location.search);
  return m ? m[1] : '';
}
"""

BASE_CSS = """
body { margin: 0; padding: 16px 24px; background: rgb(24, 40, 96); color: #e8ecff;
       font: 15px/1.45 system-ui, sans-serif; }
h1 { margin: 0 0 12px; font-size: 22px; color: rgb(255, 184, 28); }
a { color: #9fd0ff; }
button { font: inherit; padding: 6px 14px; margin: 4px 8px 4px 0; border-radius: 6px;
         border: 1px solid #6f86d6; background: #24397e; color: #fff; cursor: pointer; }
button:hover { background: #30499a; }
.note { color: #aab6e0; font-size: 13px; }
#out { margin-top: 10px; min-height: 1.4em; color: #c6f7c6; }
"""


def page(title, body, script="", extra_css=""):
    """A complete, self-contained UTF-8 page."""
    return (
        "<!DOCTYPE html>\n"
        "<html lang=\"en\">\n<head>\n"
        "<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>%s</title>\n"
        "<style>%s%s</style>\n"
        "</head>\n<body>\n%s\n"
        "<script>%s\n%s</script>\n"
        "</body>\n</html>\n"
    ) % (html.escape(title), BASE_CSS, extra_css, body, REPORT_JS, script)


GAME_LINKS = [
    ("popup.html", "Popups"),
    ("shop.html", "Shop"),
    ("leave.html", "Leave"),
    ("end.html", "End"),
    ("frames.html", "Frames"),
    ("nohook_page.html", "No hook"),
    ("post.html", "Post"),
]

GAME_CSS = """
body { padding: 0; overflow: hidden; }
#band { height: 48px; display: flex; align-items: center; gap: 18px; padding: 0 24px;
        background: rgb(255, 184, 28); color: rgb(24, 40, 96); }
#band h1 { margin: 0; font-size: 26px; letter-spacing: 2px; color: rgb(24, 40, 96); }
#band .hud { font-weight: 600; }
#band button { margin-left: auto; background: rgb(24, 40, 96); border-color: rgb(24, 40, 96); }
#links { padding: 6px 24px; font-size: 13px; }
#links a { margin-right: 14px; }
#stage { display: block; margin: 4px auto 0; width: 1100px; max-width: calc(100vw - 24px);
         height: auto; border-radius: 10px;
         box-shadow: 0 0 0 2px #3c56a8, 0 8px 28px rgba(0, 0, 0, .45); cursor: none; }
"""

GAME_BODY = """
<div id="band">
  <h1>STARFALL</h1>
  <span class="hud">Score <span id="score">0</span></span>
  <span class="hud">Best <span id="best">0</span></span>
  <span class="hud">Lives <span id="lives">3</span></span>
  <button id="restart" type="button">Restart</button>
</div>
<nav id="links">%s</nav>
<canvas id="stage" width="1100" height="600"></canvas>
""" % " ".join('<a href="%s">%s</a>' % (href, text) for href, text in GAME_LINKS)

# Catch the gold stars with the basket (mouse or arrow keys), let the red
# meteors fall past. A missed star costs a life. The loop runs only while a
# round is in play, is held to about 30 frames a second, and stops when the
# page is hidden, so an idle page costs nothing.
GAME_JS = r"""
(function () {
  var W = 1100, H = 600, FRAME_MS = 1000 / 30;
  var cv = document.getElementById('stage'), g = cv.getContext('2d');
  var scoreEl = document.getElementById('score'), bestEl = document.getElementById('best'),
      livesEl = document.getElementById('lives');
  var sky = document.createElement('canvas');
  var basket = {x: W / 2, w: 120, h: 18, speed: 620};
  var items = [], sparks = [];
  var score = 0, lives = 3, best = 0, state = 'ready';
  var keys = {}, mouseX = null, spawnIn = 0, last = 0, raf = 0;

  try { best = parseInt(localStorage.getItem('starfall-best') || '0', 10) || 0; } catch (e) {}

  function paintSky() {
    sky.width = W; sky.height = H;
    var s = sky.getContext('2d'), grad = s.createLinearGradient(0, 0, 0, H);
    grad.addColorStop(0, '#070b22'); grad.addColorStop(1, '#1b2458');
    s.fillStyle = grad; s.fillRect(0, 0, W, H);
    var seed = 7;
    function rnd() { seed = (seed * 16807) % 2147483647; return seed / 2147483647; }
    for (var i = 0; i < 140; i++) {
      s.fillStyle = 'rgba(255,255,255,' + (0.2 + rnd() * 0.6).toFixed(2) + ')';
      s.fillRect(rnd() * W, rnd() * (H - 60), 1.5, 1.5);
    }
    s.fillStyle = '#10173d'; s.fillRect(0, H - 26, W, 26);
  }

  function hud() {
    scoreEl.textContent = score; bestEl.textContent = best; livesEl.textContent = lives;
  }

  function reset() {
    items = []; sparks = []; score = 0; lives = 3; spawnIn = 0.4;
    basket.x = W / 2; hud();
  }

  function spawn() {
    var meteor = score >= 5 && Math.random() < 0.22;
    var speed = 140 + Math.min(score, 60) * 6 + Math.random() * 60;
    items.push({x: 30 + Math.random() * (W - 60), y: -20, r: meteor ? 16 : 13,
                vy: speed, spin: Math.random() * 6, meteor: meteor});
    spawnIn = Math.max(0.35, 1.1 - score * 0.015) * (0.6 + Math.random() * 0.8);
  }

  function burst(x, y, colour) {
    for (var i = 0; i < 10; i++) {
      var a = Math.random() * Math.PI * 2, v = 60 + Math.random() * 120;
      sparks.push({x: x, y: y, vx: Math.cos(a) * v, vy: Math.sin(a) * v - 60, t: 0.6, c: colour});
    }
  }

  function update(dt) {
    if (keys.ArrowLeft || keys.a) { basket.x -= basket.speed * dt; mouseX = null; }
    if (keys.ArrowRight || keys.d) { basket.x += basket.speed * dt; mouseX = null; }
    if (mouseX !== null) basket.x += (mouseX - basket.x) * Math.min(1, dt * 14);
    basket.x = Math.max(basket.w / 2, Math.min(W - basket.w / 2, basket.x));

    spawnIn -= dt;
    if (spawnIn <= 0) spawn();

    var top = H - 44, left = basket.x - basket.w / 2, right = basket.x + basket.w / 2;
    for (var i = items.length - 1; i >= 0; i--) {
      var it = items[i];
      it.y += it.vy * dt; it.spin += dt * 2;
      if (it.y + it.r >= top && it.y - it.r <= top + basket.h && it.x >= left && it.x <= right) {
        items.splice(i, 1);
        if (it.meteor) { lives--; burst(it.x, top, '#ff6a4d'); }
        else { score++; burst(it.x, top, '#ffd94a'); }
      } else if (it.y - it.r > H) {
        items.splice(i, 1);
        if (!it.meteor) lives--;
      }
    }
    for (var j = sparks.length - 1; j >= 0; j--) {
      var p = sparks[j];
      p.t -= dt; p.x += p.vx * dt; p.y += p.vy * dt; p.vy += 300 * dt;
      if (p.t <= 0) sparks.splice(j, 1);
    }
    if (score > best) {
      best = score;
      try { localStorage.setItem('starfall-best', String(best)); } catch (e) {}
    }
    if (lives <= 0) { lives = 0; state = 'over'; }
    hud();
  }

  function starPath(x, y, r, rot) {
    g.beginPath();
    for (var i = 0; i < 10; i++) {
      var rr = i % 2 ? r * 0.45 : r, a = rot + i * Math.PI / 5;
      g.lineTo(x + Math.sin(a) * rr, y - Math.cos(a) * rr);
    }
    g.closePath();
  }

  function banner(title, line) {
    g.fillStyle = 'rgba(7, 11, 34, 0.72)'; g.fillRect(W / 2 - 320, H / 2 - 80, 640, 150);
    g.strokeStyle = 'rgb(255, 184, 28)'; g.lineWidth = 2; g.strokeRect(W / 2 - 320, H / 2 - 80, 640, 150);
    g.textAlign = 'center'; g.fillStyle = 'rgb(255, 184, 28)'; g.font = 'bold 42px system-ui, sans-serif';
    g.fillText(title, W / 2, H / 2 - 18);
    g.fillStyle = '#e8ecff'; g.font = '18px system-ui, sans-serif';
    g.fillText(line, W / 2, H / 2 + 26);
  }

  function draw() {
    g.drawImage(sky, 0, 0);
    for (var i = 0; i < items.length; i++) {
      var it = items[i];
      if (it.meteor) {
        g.fillStyle = 'rgba(255, 110, 60, 0.25)';
        g.beginPath(); g.moveTo(it.x - it.r, it.y); g.lineTo(it.x, it.y - it.r * 4); g.lineTo(it.x + it.r, it.y); g.fill();
        g.fillStyle = '#d9452b'; g.beginPath(); g.arc(it.x, it.y, it.r, 0, Math.PI * 2); g.fill();
        g.fillStyle = '#8c2414'; g.beginPath(); g.arc(it.x - 4, it.y - 3, it.r * 0.3, 0, Math.PI * 2); g.fill();
      } else {
        starPath(it.x, it.y, it.r, it.spin);
        g.fillStyle = '#ffd94a'; g.fill();
        g.strokeStyle = '#fff3b0'; g.lineWidth = 1.5; g.stroke();
      }
    }
    for (var j = 0; j < sparks.length; j++) {
      var p = sparks[j];
      g.globalAlpha = Math.max(0, p.t / 0.6); g.fillStyle = p.c; g.fillRect(p.x - 2, p.y - 2, 4, 4);
    }
    g.globalAlpha = 1;
    var top = H - 44, left = basket.x - basket.w / 2;
    g.fillStyle = 'rgb(255, 184, 28)'; g.fillRect(left, top, basket.w, basket.h);
    g.fillStyle = '#c98a00'; g.fillRect(left + 8, top + basket.h, basket.w - 16, 6);
    g.textAlign = 'left'; g.fillStyle = '#e8ecff'; g.font = 'bold 20px system-ui, sans-serif';
    g.fillText('Score ' + score + '   Lives ' + lives, 18, 32);

    if (state === 'ready') banner('STARFALL', 'Catch the stars, dodge the meteors. Click or press Space.');
    else if (state === 'paused') banner('Paused', 'Press P, Space or click to go on.');
    else if (state === 'over') banner('Game over', 'Score ' + score + '  \u2013  click, Space or Restart to play again.');
  }

  function frame(ts) {
    raf = 0;
    if (state !== 'playing') { draw(); return; }
    raf = requestAnimationFrame(frame);
    if (ts - last < FRAME_MS - 1) return;
    var dt = Math.min(ts - last, 100) / 1000;
    last = ts;
    update(dt);
    draw();
    if (state !== 'playing' && raf) { cancelAnimationFrame(raf); raf = 0; }
  }

  function run() {
    state = 'playing';
    last = performance.now();
    if (!raf) raf = requestAnimationFrame(frame);
  }

  function pause() {
    if (state !== 'playing') return;
    state = 'paused';
    if (raf) { cancelAnimationFrame(raf); raf = 0; }
    draw();
  }

  function primary() {
    if (state === 'ready') { reset(); run(); }
    else if (state === 'paused') run();
    else if (state === 'over') { reset(); run(); }
  }

  document.getElementById('restart').addEventListener('click', function (e) {
    e.currentTarget.blur(); reset(); run();
  });
  cv.addEventListener('mousemove', function (e) {
    var b = cv.getBoundingClientRect();
    mouseX = (e.clientX - b.left) * (W / b.width);
  });
  cv.addEventListener('mousedown', primary);
  window.addEventListener('keydown', function (e) {
    var k = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    if (k === ' ' || k === 'Enter') { primary(); e.preventDefault(); return; }
    if (k === 'p') { if (state === 'playing') pause(); else if (state === 'paused') run(); return; }
    if (k === 'ArrowLeft' || k === 'ArrowRight') e.preventDefault();
    keys[k] = true;
  });
  window.addEventListener('keyup', function (e) {
    keys[e.key.length === 1 ? e.key.toLowerCase() : e.key] = false;
  });
  document.addEventListener('visibilitychange', function () { if (document.hidden) pause(); });

  paintSky(); reset(); draw();
  report('game-loaded');
})();
"""

STATIC_PAGES = {
    "wd/popup.html": page("Popups", """
<h1>Popups</h1>
<p>Both of these open a page of this site in a new window.</p>
<button id="open" type="button" onclick="openPopup()">Open popup</button>
<a id="blank" href="/softmain/wd/popup_target.html" target=_blank>Open with target=_blank</a>
<p id="out"></p>
<p class="note"><a href="vnokmain.asp">Back to the game</a></p>
""", """
function openPopup() {
  var w = window.open('/softmain/wd/popup_target.html');
  document.getElementById('out').textContent = 'window.open returned ' + (w ? 'a window' : 'null');
  report('popup-open-returned:' + (w ? 'window' : 'null'));
}
if (autoAction() === 'open') setTimeout(openPopup, 1500);
if (autoAction() === 'blank') setTimeout(function () { document.getElementById('blank').click(); }, 1500);
"""),

    "wd/popup_target.html": page("Same-site popup", """
<h1>Same-site popup</h1>
<p>This page was opened by a popup request from the game.</p>
<p class="note"><a href="vnokmain.asp">Back to the game</a></p>
""", "report('popup-loaded');"),

    "wd/shop.html": page("Shop", """
<h1>Shop</h1>
<p>Buying opens the payment page in a window of its own.</p>
<a id="buy" href="/softmain/pay/order.html" target=_blank>Buy 100 gems</a>
<button id="open" type="button" onclick="openOrder()">Buy with window.open</button>
<p id="out"></p>
<p class="note"><a href="vnokmain.asp">Back to the game</a></p>
""", """
function openOrder() {
  var w = window.open('/softmain/pay/order.html');
  document.getElementById('out').textContent = 'window.open returned ' + (w ? 'a window' : 'null');
  report('order-open-returned:' + (w ? 'window' : 'null'));
}
if (autoAction() === 'open') setTimeout(openOrder, 1500);
if (autoAction() === 'blank') setTimeout(function () { document.getElementById('buy').click(); }, 1500);
"""),

    "pay/order.html": page("Payment", """
<h1>Payment</h1>
<p>Order: 100 gems &mdash; 6.00</p>
<p class="note">This is a stand-in payment page; nothing is charged.</p>
<button type="button" onclick="report('order-paid'); document.getElementById('out').textContent = 'Paid.'">Pay</button>
<p id="out"></p>
""", "report('order-loaded');"),

    "wd/leave.html": page("Leave", """
<h1>Leave the game?</h1>
<p>This page asks before it is left and asks questions with dialogs.</p>
<button id="confirm" type="button" onclick="askConfirm()">Ask with confirm</button>
<button id="smd" type="button" onclick="askDialog()">Ask with showModalDialog</button>
<a id="away" href="popup_target.html">Leave this page</a>
<p id="out"></p>
<p class="note"><a href="vnokmain.asp">Back to the game</a></p>
""", """
window.onbeforeunload = function (e) {
  var u = '/__event?name=unload-prompt';
  if (navigator.sendBeacon) navigator.sendBeacon(u); else report('unload-prompt');
  e.preventDefault();
  e.returnValue = '';
  return '';
};
function show(text) { document.getElementById('out').textContent = text; }
function askConfirm() {
  var v = confirm('Leave the game?');
  show('confirm returned ' + v);
  report('confirm-returned:' + v);
}
function askDialog() {
  if (typeof window.showModalDialog !== 'function') {
    show('showModalDialog is not available');
    report('smd-missing');
    return;
  }
  var v = window.showModalDialog('popup_target.html');
  show('showModalDialog returned ' + v);
  report('smd-returned');
}
var act = autoAction();
if (act === 'confirm') setTimeout(askConfirm, 1500);
if (act === 'smd') setTimeout(askDialog, 1500);
if (act === 'leave') setTimeout(function () { location.href = 'popup_target.html'; }, 1500);
"""),

    # The id=end_ marker is written without quotes on purpose: it is the
    # text the program looks for in the markup.
    "wd/end.html": page("Game over", """
<div id=end_game>
<h1>Game over</h1>
<p>Final score: 42. An alert follows in a moment.</p>
<p id="out"></p>
<p class="note"><a href="vnokmain.asp">Play again</a></p>
</div>
""", """
setTimeout(function () {
  alert('Game over');
  document.getElementById('out').textContent = 'alert returned';
  report('alert-returned');
}, 1500);
"""),

    "wd/frames.html": page("Frames", """
<h1>Frames</h1>
<p>Two same-site frames and one whose address is excluded from hooking.</p>
<div class="frames">
<iframe id="frame_a" name="frame_a" src="frame_a.html" title="Frame A"></iframe>
<iframe id="frame_b" name="frame_b" src="frame_b.html" title="Frame B"></iframe>
<iframe id="frame_nohook" name="frame_nohook" src="frame_nohook.html" title="Frame without hooks"></iframe>
</div>
<p class="note"><a href="vnokmain.asp">Back to the game</a></p>
""", """
(function () {
  var act = autoAction();
  if (!act) return;
  var frames = document.querySelectorAll('iframe');
  for (var i = 0; i < frames.length; i++) frames[i].src = frames[i].getAttribute('src') + '?auto=' + act;
})();
report('frames-loaded');
""", """
.frames { display: flex; gap: 12px; flex-wrap: wrap; }
iframe { width: 340px; height: 180px; border: 1px solid #6f86d6; border-radius: 6px; background: #111a44; }
"""),

    "wd/nohook_page.html": page("No hooks here", """
<h1>No hooks here</h1>
<p>This page's address holds the exclusion fragment, so its dialogs are left alone.</p>
<button id="confirm" type="button" onclick="askConfirm()">Ask with confirm</button>
<p id="out"></p>
<p class="note"><a href="vnokmain.asp">Back to the game</a></p>
""", """
function askConfirm() {
  var v = confirm('Leave the game?');
  document.getElementById('out').textContent = 'confirm returned ' + v;
  report('nohook-confirm-returned:' + v);
}
report('nohook-loaded');
if (autoAction() === 'confirm') setTimeout(askConfirm, 1500);
"""),

    "wd/post.html": page("Post", """
<h1>Post a form</h1>
<form id="form" method=post target=_blank action=/softmain/wd/posted.asp>
  <label>Name <input name="player" value="varnok"></label>
  <input type="hidden" name="score" value="42">
  <button type="submit">Send in a new window</button>
</form>
<p class="note"><a href="vnokmain.asp">Back to the game</a></p>
""", """
if (autoAction() === 'submit') setTimeout(function () { document.getElementById('form').submit(); }, 1500);
"""),
}


def frame_page(label, event_prefix):
    return page(label, """
<h1>%s</h1>
<button id="confirm" type="button" onclick="askConfirm()">confirm</button>
<span id="out"></span>
""" % html.escape(label), """
function askConfirm() {
  var v = confirm('Leave the game?');
  document.getElementById('out').textContent = 'returned ' + v;
  report('%s-confirm-returned:' + v);
}
report('%s-loaded');
if (autoAction() === 'confirm') setTimeout(askConfirm, 1500);
""" % (event_prefix, event_prefix), "body { padding: 8px 12px; } h1 { font-size: 16px; }")


STATIC_PAGES["wd/frame_a.html"] = frame_page("Frame A", "frame_a")
STATIC_PAGES["wd/frame_b.html"] = frame_page("Frame B", "frame_b")
STATIC_PAGES["wd/frame_nohook.html"] = frame_page("Frame without hooks", "frame_nohook")

GAME_PAGE = page("Starfall", GAME_BODY, GAME_JS, GAME_CSS)

INDEX_PAGE = page("Varnok demo", """
<h1>Varnok demo server</h1>
<p><a href="wd/vnokmain.asp">Start Starfall</a></p>
""")


def posted_page(method, fields):
    rows = "".join(
        "<li><b>%s</b> = %s</li>" % (html.escape(k), html.escape(v))
        for k, values in fields.items() for v in values)
    return page("Posted", """
<h1>Received a %s request</h1>
<p>Method: <b id="method">%s</b></p>
<ul id="fields">%s</ul>
""" % (html.escape(method), html.escape(method), rows or "<li>(no fields)</li>"),
        "report('posted:%s');" % method)


def stats_page(counter_url, visits):
    # The counter address is shown, never loaded: this page stays offline.
    counter_id = ""
    if counter_url:
        counter_id = (parse_qs(urlsplit(counter_url).query).get("id") or [""])[0]
    label = ("counter %s" % counter_id) if counter_id else "no counter"
    return page("Statistics", """
<p id="visits">visits: %d</p>
<p class="note">%s</p>
<p class="note">%s</p>
""" % (visits, html.escape(label), html.escape(counter_url or "(no url)")),
        "report('stats-loaded');",
        "body { padding: 4px 6px; font-size: 12px; } p { margin: 0; }")


# --------------------------------------------------------------------------
# HTTP
# --------------------------------------------------------------------------

class DemoHandler(BaseHTTPRequestHandler):
    server_version = "VarnokDemo/1.0"
    protocol_version = "HTTP/1.0"
    head_only = False

    # quiet: requests go to the request log, not to stderr
    def log_message(self, fmt, *args):
        pass

    @property
    def state(self):
        return self.server.state

    @property
    def role(self):
        return self.server.role

    def do_GET(self):
        self.handle_any(body=b"")

    def do_HEAD(self):
        self.handle_any(body=b"", head=True)

    def do_OPTIONS(self):
        self.state.log_request(self.server.server_port, self.command, self.path)
        self.send_response(HTTPStatus.NO_CONTENT)
        self.send_header("Allow", "GET, HEAD, POST, OPTIONS")
        self.send_header("Access-Control-Allow-Origin", "*")
        self.send_header("Access-Control-Allow-Methods", "GET, HEAD, POST, OPTIONS")
        self.send_header("Content-Length", "0")
        self.end_headers()

    def do_POST(self):
        try:
            length = int(self.headers.get("Content-Length") or 0)
        except ValueError:
            length = -1
        if length < 0 or length > MAX_BODY:
            self.state.log_request(self.server.server_port, self.command, self.path)
            self.send_text(HTTPStatus.BAD_REQUEST, "bad or too large body\n")
            return
        self.handle_any(body=self.rfile.read(length) if length else b"")

    def handle_any(self, body, head=False):
        self.head_only = head
        self.state.log_request(self.server.server_port, self.command, self.path)
        parts = urlsplit(self.path)
        path, query = parts.path, parse_qs(parts.query, keep_blank_values=True)
        try:
            self.route(path, query, body)
        except (BrokenPipeError, ConnectionResetError):
            pass

    # responses ------------------------------------------------------------
    def send_body(self, status, ctype, data):
        if isinstance(data, str):
            data = data.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", "no-store")
        self.send_header("Access-Control-Allow-Origin", "*")
        self.end_headers()
        if not self.head_only:
            self.wfile.write(data)

    def send_text(self, status, text):
        self.send_body(status, "text/plain; charset=utf-8", text)

    def send_html(self, status, markup):
        self.send_body(status, "text/html; charset=utf-8", markup)

    # routing --------------------------------------------------------------
    def route(self, path, query, body):
        if path == "/__log":
            return self.send_text(HTTPStatus.OK, self.state.log_text())
        if path == "/__events":
            return self.send_text(HTTPStatus.OK, self.state.events_text())
        if path == "/__event":
            return self.record_event(query, body)
        if path == "/__control":
            return self.control(query)

        if self.command == "POST" and path != "/softmain/wd/posted.asp":
            return self.send_text(HTTPStatus.METHOD_NOT_ALLOWED, "method not allowed\n")

        if self.role == ROLE_STATS:
            if path == "/tongji.asp":
                url = (query.get("url") or [""])[0]
                return self.send_html(HTTPStatus.OK, stats_page(url, self.state.next_visit()))
            return self.not_found()

        if not path.startswith("/softmain/"):
            return self.not_found()
        sub = path[len("/softmain/"):]
        if sub == "net.asp":
            if self.state.is_failing(self.role):
                return self.send_text(HTTPStatus.SERVICE_UNAVAILABLE, "down")
            return self.send_text(HTTPStatus.OK, "ok")
        if sub in ("", "index.html"):
            return self.send_html(HTTPStatus.OK, INDEX_PAGE)
        if sub == "wd/vnokmain.asp":
            return self.send_html(HTTPStatus.OK, GAME_PAGE)
        if sub == "wd/posted.asp":
            fields = {}
            if self.command == "POST":
                fields = parse_qs(body.decode("utf-8", "replace"), keep_blank_values=True)
            return self.send_html(HTTPStatus.OK, posted_page(self.command, fields))
        markup = STATIC_PAGES.get(sub)
        if markup is not None:
            return self.send_html(HTTPStatus.OK, markup)
        return self.not_found()

    def not_found(self):
        self.send_text(HTTPStatus.NOT_FOUND, "not found\n")

    def record_event(self, query, body):
        names = query.get("name")
        if not names and body:
            text = body.decode("utf-8", "replace")
            ctype = self.headers.get("Content-Type", "")
            if "x-www-form-urlencoded" in ctype or text.startswith("name="):
                names = parse_qs(text, keep_blank_values=True).get("name")
            else:
                names = [text]
        name = one_line((names or [""])[0].strip())[:MAX_EVENT_NAME]
        if not name:
            return self.send_text(HTTPStatus.BAD_REQUEST, "missing name\n")
        self.state.add_event(name)
        self.send_text(HTTPStatus.OK, "ok\n")

    def control(self, query):
        if "fail" in query:
            value = query["fail"][0]
            try:
                self.state.set_fail(value)
            except ValueError:
                return self.send_text(HTTPStatus.BAD_REQUEST,
                                      "fail must be one of: %s\n" % ", ".join(FAIL_CHOICES))
        if "clear" in query:
            self.state.clear()
        self.send_text(HTTPStatus.OK, "fail=%s\n" % self.state.fail)


class DemoServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, role, state, family=socket.AF_INET):
        self.address_family = family
        self.role = role
        self.state = state
        super().__init__(address, DemoHandler)

    def server_bind(self):
        if self.address_family == socket.AF_INET6:
            self.socket.setsockopt(socket.IPPROTO_IPV6, socket.IPV6_V6ONLY, 1)
        # HTTPServer.server_bind would look the host name up; loopback needs no lookup.
        socketserver.TCPServer.server_bind(self)
        host, port = self.server_address[:2]
        self.server_name = host
        self.server_port = port


# --------------------------------------------------------------------------
# Start-up
# --------------------------------------------------------------------------

def loopback_addresses(host):
    """The loopback addresses to bind for a host given on the command line."""
    if host == "localhost":
        return ["127.0.0.1", "::1"]
    try:
        ip = ipaddress.ip_address(host)
    except ValueError:
        raise SystemExit("demo server: %r is not localhost or a loopback address" % host)
    if not ip.is_loopback:
        raise SystemExit("demo server: refusing to bind %s, only loopback is allowed" % host)
    return [str(ip)]


def bind(addresses, port, role, state):
    """Bind every address on one port; returns the servers. IPv6 is optional
    when IPv4 is also asked for, because some machines have no ::1."""
    servers = []
    for addr in addresses:
        family = socket.AF_INET6 if ":" in addr else socket.AF_INET
        if servers:
            port = servers[0].server_port   # a port of 0 resolves on the first bind
        try:
            servers.append(DemoServer((addr, port), role, state, family))
        except OSError as exc:
            optional = family == socket.AF_INET6 and len(addresses) > 1
            if optional:
                print("demo server: %s %s:%d not bound (%s)" % (role, addr, port, exc),
                      file=sys.stderr, flush=True)
                continue
            for s in servers:
                s.server_close()
            raise SystemExit("demo server: cannot bind %s on %s:%d: %s" % (role, addr, port, exc))
    return servers


def parse_args(argv):
    p = argparse.ArgumentParser(description="Loopback game, fallback and statistics servers for Varnok.")
    p.add_argument("--host-primary", default="localhost",
                   help="address of the primary server: localhost (127.0.0.1 and ::1), "
                        "or one loopback address (default: localhost)")
    p.add_argument("--primary-port", type=int, default=18080)
    p.add_argument("--fallback-port", type=int, default=18081)
    p.add_argument("--stats-port", type=int, default=18082)
    p.add_argument("--fail", choices=FAIL_CHOICES, default="none",
                   help="make /softmain/net.asp answer 503 on these game servers")
    p.add_argument("--log", metavar="FILE", help="append one line per request to FILE")
    return p.parse_args(argv)


def main(argv=None):
    args = parse_args(argv)
    state = DemoState(args.fail, args.log)
    servers = []
    try:
        servers += bind(loopback_addresses(args.host_primary), args.primary_port, ROLE_PRIMARY, state)
        servers += bind(["127.0.0.1"], args.fallback_port, ROLE_FALLBACK, state)
        servers += bind(["127.0.0.1", "::1"], args.stats_port, ROLE_STATS, state)
    except SystemExit:
        for s in servers:
            s.server_close()
        state.close()
        raise

    stop = threading.Event()

    def on_signal(signum, frame):
        stop.set()

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    threads = []
    for s in servers:
        t = threading.Thread(target=s.serve_forever, kwargs={"poll_interval": 0.1},
                             name="%s-%d" % (s.role, s.server_port), daemon=True)
        t.start()
        threads.append(t)

    for s in servers:
        host = s.server_address[0]
        shown = "[%s]" % host if ":" in host else host
        print("demo server: %s on http://%s:%d/" % (s.role, shown, s.server_port),
              file=sys.stderr, flush=True)
    print("demo server ready", flush=True)

    stop.wait()

    # Stop all ports at once rather than one poll interval after another.
    stoppers = [threading.Thread(target=s.shutdown, daemon=True) for s in servers]
    for t in stoppers:
        t.start()
    for t in stoppers + threads:
        t.join(timeout=2)
    for s in servers:
        s.server_close()
    state.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
