"""A private desktop for driving varnok from outside: Xvfb, openbox, the demo game server and
the program itself, plus what the end-to-end tests and scripts/measure need to look at it
(windows through xdotool, xwininfo and xprop, screenshots through ImageMagick's import, the
process tree through /proc).

Standard library only. Every process started here runs in its own session and carries a
marker in its environment; Stack.close() ends the sessions and then sweeps up anything that
still carries the marker (a helper that moved to a session of its own, for instance), so a run
leaves nothing behind whichever way it ends.
"""

import contextlib
import ctypes
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request
import uuid
import zlib

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DEMO_SERVER = os.path.join(REPO, "demo", "server.py")
PRIMARY = "http://127.0.0.1:18080"
PRIMARY_PORT, FALLBACK_PORT, STATS_PORT = 18080, 18081, 18082
SCREEN_W, SCREEN_H = 1920, 1080
MARKER_VAR = "VARNOK_HARNESS_RUN"
DIALOG_TITLE = "系统提示"

# Loopback only: a proxy from the caller's environment must not see our requests, neither
# ours nor the program's (libcurl and WebKit both read these).
PROXY_VARS = ("http_proxy", "https_proxy", "ftp_proxy", "all_proxy", "no_proxy",
              "HTTP_PROXY", "HTTPS_PROXY", "FTP_PROXY", "ALL_PROXY", "NO_PROXY")
_local = urllib.request.build_opener(urllib.request.ProxyHandler({}))


class HarnessError(RuntimeError):
    pass


def wait_until(predicate, timeout, interval=0.05, what="condition"):
    """Polls predicate until it returns something truthy; returns that, or raises."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def find_varnok():
    """The executable under test: $VARNOK_EXE, else build/varnok."""
    path = os.environ.get("VARNOK_EXE") or os.path.join(REPO, "build", "varnok")
    if not os.access(path, os.X_OK):
        raise HarnessError("no varnok executable at %s (build it with scripts/build)" % path)
    return path


# ----------------------------------------------------------------------------------------
# Processes
# ----------------------------------------------------------------------------------------

_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1
_PR_SET_CHILD_SUBREAPER = 36


def _die_with_parent():
    """In the child before exec: be killed if the harness dies without cleaning up (a test
    runner's timeout kill, say)."""
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)


class Proc:
    """A child in its own session (so its process group holds its helpers), output to a file."""

    def __init__(self, name, argv, env, log_dir, stdout=None, pass_fds=(), cwd=REPO):
        self.name = name
        self.log_path = os.path.join(log_dir, name + ".log")
        self._log = open(self.log_path, "ab")
        self.started = time.monotonic()
        self.popen = subprocess.Popen(
            argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
            stdout=stdout if stdout is not None else self._log, stderr=self._log,
            pass_fds=pass_fds, start_new_session=True, preexec_fn=_die_with_parent)
        self.pid = self.popen.pid

    def alive(self):
        return self.popen.poll() is None

    def stop(self, grace=5.0):
        """SIGTERM to the whole group, SIGKILL after grace; returns the exit status."""
        for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, 5.0)):
            with contextlib.suppress(ProcessLookupError, PermissionError):
                os.killpg(self.pid, sig)
            try:
                self.popen.wait(timeout=wait)
                break
            except subprocess.TimeoutExpired:
                continue
        # The leader may be gone while others of its group live on.
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.killpg(self.pid, signal.SIGKILL)
        self._log.close()
        return self.popen.returncode

    def log_tail(self, lines=40):
        with contextlib.suppress(OSError), open(self.log_path, "rb") as f:
            return b"\n".join(f.read().splitlines()[-lines:]).decode("utf-8", "replace")
        return ""


def _read_proc(pid, name):
    try:
        with open("/proc/%d/%s" % (pid, name), "rb") as f:
            return f.read()
    except OSError:
        return None


def all_pids():
    return [int(d) for d in os.listdir("/proc") if d.isdigit()]


def stat_fields(pid):
    """/proc/PID/stat from the state field on (the command name may hold spaces)."""
    data = _read_proc(pid, "stat")
    if not data:
        return None
    return data[data.rindex(b")") + 2:].split()


def process_tree(root):
    """root and all its descendants that are alive now."""
    children = {}
    for pid in all_pids():
        fields = stat_fields(pid)
        if fields:
            children.setdefault(int(fields[1]), []).append(pid)
    tree, todo = [], [root]
    while todo:
        pid = todo.pop()
        if _read_proc(pid, "stat") is None:
            continue
        tree.append(pid)
        todo.extend(children.get(pid, ()))
    return tree


def running(pid):
    """Alive and not merely waiting to be reaped."""
    fields = stat_fields(pid)
    return bool(fields) and fields[0] not in (b"Z", b"X")


def command_name(pid):
    data = _read_proc(pid, "comm")
    return data.decode("utf-8", "replace").strip() if data else "?"


def marked_pids(marker):
    """Processes whose environment carries this run's marker."""
    needle = ("%s=%s" % (MARKER_VAR, marker)).encode()
    found = []
    for pid in all_pids():
        if pid == os.getpid():
            continue
        env = _read_proc(pid, "environ")
        if env and needle in env.split(b"\0"):
            found.append(pid)
    return found


def _reap_children():
    """Collects every child that has ended (the Popen ones have all been waited for)."""
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


# ----------------------------------------------------------------------------------------
# The stack: Xvfb + openbox + demo server + varnok
# ----------------------------------------------------------------------------------------

class Stack:
    """Owns everything one test class (or one measured run) starts."""

    def __init__(self, out_dir=None, keep_files=False):
        # Orphans of what is started here (WebKit helpers whose program was killed) become
        # children of this process, so that close() can reap them rather than leave zombies.
        _libc.prctl(_PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
        self.marker = uuid.uuid4().hex
        self.tmp = tempfile.mkdtemp(prefix="varnok-e2e-")
        self.out_dir = out_dir or self.tmp
        os.makedirs(self.out_dir, exist_ok=True)
        self.keep_files = keep_files
        self.procs = []
        self.display = None
        self.varnok = None
        self.demo = None
        self.base_env = self._base_env()

    def _base_env(self):
        env = {k: v for k, v in os.environ.items() if k not in PROXY_VARS}
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env[MARKER_VAR] = self.marker
        # A home of its own: no stored page data or settings carried between runs.
        home = os.path.join(self.tmp, "home")
        runtime = os.path.join(self.tmp, "runtime")
        for d in (home, runtime):
            os.makedirs(d, mode=0o700, exist_ok=True)
        env.update(HOME=home, XDG_RUNTIME_DIR=runtime,
                   XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                   NO_AT_BRIDGE="1", LANG="C.UTF-8", LC_ALL="C.UTF-8",
                   GDK_BACKEND="x11")
        return env

    @property
    def env(self):
        env = dict(self.base_env)
        if self.display:
            env["DISPLAY"] = self.display
        return env

    def _start(self, name, argv, **kw):
        proc = Proc(name, argv, kw.pop("env", None) or self.env, self.out_dir, **kw)
        self.procs.append(proc)
        return proc

    # -- pieces ----------------------------------------------------------------------------
    def start_display(self):
        """Xvfb on a display it picks itself (-displayfd), then openbox on it. A display that
        cannot be opened after all (another server was going away just then) is tried again."""
        for attempt in range(3):
            try:
                return self._start_display()
            except HarnessError:
                for proc in [p for p in self.procs if p.name in ("xvfb", "openbox")]:
                    proc.stop(grace=1.0)
                    self.procs.remove(proc)
                self.display = None
                if attempt == 2:
                    raise
                time.sleep(0.5)

    def _start_display(self):
        r, w = os.pipe()
        try:
            xvfb = self._start("xvfb", ["Xvfb", "-displayfd", str(w), "-screen", "0",
                                        "%dx%dx24" % (SCREEN_W, SCREEN_H), "-nolisten", "tcp"],
                               pass_fds=(w,))
            os.close(w)
            w = None
            number = b""
            deadline = time.monotonic() + 20
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not xvfb.alive():
                    raise HarnessError("Xvfb did not start: " + xvfb.log_tail())
                ready, _, _ = select.select([r], [], [], min(left, 0.5))
                if ready:
                    chunk = os.read(r, 16)
                    if not chunk:
                        raise HarnessError("Xvfb did not start: " + xvfb.log_tail())
                    number += chunk
        finally:
            os.close(r)
            if w is not None:
                os.close(w)
        self.display = ":" + number.decode().strip()
        wait_until(lambda: self.x("xdpyinfo", check=False, timeout=5).startswith(b"name"),
                   10, interval=0.1, what="display %s to accept clients" % self.display)
        wm = self._start("openbox", ["openbox", "--sm-disable"])
        wait_until(lambda: not wm.alive() or b"window id" in self.x(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False),
            20, what="openbox to manage the screen")
        if not wm.alive():
            raise HarnessError("openbox ended: " + wm.log_tail())
        # The pointer starts in a corner, away from the window and its edges.
        self.x("xdotool", "mousemove", "0", "0")
        return self.display

    def start_demo(self, *args):
        """The demo server; returns once it says it is ready."""
        demo = self._start("demo", [sys.executable, DEMO_SERVER, *args], stdout=subprocess.PIPE)
        self.demo = demo
        line, buf = b"", b""
        deadline = time.monotonic() + 20
        fd = demo.popen.stdout.fileno()
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                raise HarnessError("demo server not ready: " + demo.log_tail())
            ready, _, _ = select.select([fd], [], [], min(left, 0.5))
            if not ready:
                if not demo.alive():
                    raise HarnessError("demo server ended: " + demo.log_tail())
                continue
            chunk = os.read(fd, 4096)
            if not chunk:
                raise HarnessError("demo server ended: " + demo.log_tail())
            buf += chunk
            if b"demo server ready" in buf:
                break
        return demo

    def start_varnok(self, exe=None, args=()):
        self.varnok = self._start("varnok", [exe or find_varnok(), *args])
        return self.varnok

    def close(self):
        """Ends everything started here, newest first, then whatever still has the marker."""
        for proc in reversed(self.procs):
            if proc.popen.stdout:
                with contextlib.suppress(OSError):
                    proc.popen.stdout.close()
            proc.stop(grace=3.0)
        for _ in range(10):
            _reap_children()
            left = [pid for pid in marked_pids(self.marker) if running(pid)]
            if not left:
                break
            for pid in left:
                with contextlib.suppress(ProcessLookupError, PermissionError):
                    os.kill(pid, signal.SIGKILL)
            time.sleep(0.2)
        _reap_children()
        if not self.keep_files:
            shutil.rmtree(self.tmp, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # -- X helpers -------------------------------------------------------------------------
    def x(self, *argv, check=True, timeout=20):
        """Runs an X client on this display; returns its stdout (bytes)."""
        done = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
        if check and done.returncode != 0:
            raise HarnessError("%s failed (%d): %s" % (" ".join(argv), done.returncode,
                                                      done.stderr.decode(errors="replace")))
        return done.stdout

    def search(self, *criteria):
        """Window ids xdotool finds (an empty list when none match)."""
        out = self.x("xdotool", "search", *criteria, check=False)
        return [int(w) for w in out.split()]

    def geometry(self, wid):
        """(x, y, width, height, viewable) of a window, in root coordinates."""
        out = self.x("xwininfo", "-id", str(wid), check=False).decode(errors="replace")
        info = {}
        for line in out.splitlines():
            key, sep, value = line.strip().partition(":")
            if sep:
                info[key.strip()] = value.strip()
        try:
            return (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]),
                    int(info["Width"]), int(info["Height"]),
                    info.get("Map State") == "IsViewable")
        except (KeyError, ValueError):
            return None  # the window is gone

    def prop(self, wid, name):
        """The value text xprop prints for a property, or None when it is not set."""
        out = self.x("xprop", "-id", str(wid), "-notype", name, check=False)
        text = out.decode("utf-8", "replace").strip()
        if not text or "not found" in text or "no such atom" in text or "=" not in text and ":" not in text:
            return None
        sep = "=" if "=" in text else ":"
        return text.split(sep, 1)[1].strip()

    def cardinals(self, wid, name):
        value = self.prop(wid, name)
        if value is None:
            return None
        return [int(v.strip(), 0) for v in value.split(",") if v.strip()]

    def title(self, wid):
        value = self.prop(wid, "_NET_WM_NAME") or self.prop(wid, "WM_NAME") or ""
        if len(value) >= 2 and value[0] == value[-1] == '"':
            value = value[1:-1]
        return value

    def transient_for(self, wid):
        value = self.prop(wid, "WM_TRANSIENT_FOR")
        if not value:
            return None
        return int(value.split("#")[-1].strip(), 16)

    def program_windows(self):
        """Viewable top-level windows of the program: by class, by title and by process."""
        ids = (set(self.search("--class", "varnok")) | set(self.search("--classname", "varnok"))
               | set(self.search("--name", "^Varnok$")))
        if self.varnok:
            ids |= set(self.search("--pid", str(self.varnok.pid)))
        shown = []
        for wid in sorted(ids):
            geo = self.geometry(wid)
            if geo and geo[4] and geo[2] > 1 and geo[3] > 1:
                shown.append((wid, geo))
        return shown

    def main_window(self):
        """The program's main window if it is shown: the largest shown window that is
        neither the exit question nor transient for another window."""
        best = None
        for wid, geo in self.program_windows():
            if self.transient_for(wid) or self.title(wid) == DIALOG_TITLE:
                continue
            if best is None or geo[2] * geo[3] > best[1][2] * best[1][3]:
                best = (wid, geo)
        return best

    def dialogs(self, title=DIALOG_TITLE):
        return [(wid, geo) for wid, geo in self.program_windows() if self.title(wid) == title]

    def active_window(self):
        out = self.x("xdotool", "getactivewindow", check=False).strip()
        return int(out) if out else None

    def click(self, x, y, button=1):
        self.x("xdotool", "mousemove", str(x), str(y))
        time.sleep(0.15)   # let the program's pointer tracking see the pointer arrive
        self.x("xdotool", "click", str(button))

    def key(self, *names):
        self.x("xdotool", "key", *names)

    def screenshot(self, path):
        # Unfiltered rows: decoding them here is then mere slicing.
        self.x("import", "-silent", "-window", "root", "-define", "png:compression-filter=0",
               "PNG24:" + path, timeout=60)
        return read_png(path)


# ----------------------------------------------------------------------------------------
# The demo server's test hooks
# ----------------------------------------------------------------------------------------

def demo_get(path, port=PRIMARY_PORT, timeout=5):
    with _local.open("http://127.0.0.1:%d%s" % (port, path), timeout=timeout) as reply:
        return reply.read().decode("utf-8", "replace")


def demo_events():
    try:
        return demo_get("/__events").splitlines()
    except (urllib.error.URLError, OSError):
        return []


def demo_log():
    return demo_get("/__log").splitlines()


# ----------------------------------------------------------------------------------------
# PNG
# ----------------------------------------------------------------------------------------

class Image:
    def __init__(self, width, height, rows, alpha_rows=None):
        self.width, self.height, self._rows, self._alpha = width, height, rows, alpha_rows

    def pixel(self, x, y):
        """(r, g, b) at (x, y)."""
        row = self._rows[y]
        return tuple(row[3 * x:3 * x + 3])

    def opaque(self, x, y):
        return self._alpha is None or self._alpha[y][x] == 255


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(path):
    """Decodes a non-interlaced PNG of 8 or 16 bits a sample into RGB rows."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise HarnessError("%s is not a PNG" % path)
    pos, idat, palette = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    if interlace or depth not in (8, 16) and not (ctype == 3 and depth == 8):
        raise HarnessError("unsupported PNG layout in %s" % path)
    bpp = channels * depth // 8
    stride = width * bpp
    raw = zlib.decompress(b"".join(idat))
    rows, alpha, prev = [], [] if ctype in (4, 6) else None, bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif kind == 2:
            for i in range(stride):
                line[i] = (line[i] + prev[i]) & 0xFF
        elif kind == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                up_left = prev[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + _paeth(left, prev[i], up_left)) & 0xFF
        elif kind != 0:
            raise HarnessError("bad PNG filter %d in %s" % (kind, path))
        rows.append(_to_rgb(line, ctype, depth, channels, palette))
        if alpha is not None:
            alpha.append(bytes(line[(channels - 1) * depth // 8::bpp]))
        prev = line
    return Image(width, height, rows, alpha)


def _to_rgb(line, ctype, depth, channels, palette):
    step = depth // 8
    samples = line[::step] if step > 1 else line   # 16-bit: the high bytes
    if ctype == 2:
        return bytes(samples)
    if ctype == 6:
        return bytes(b for i, b in enumerate(samples) if i % 4 != 3)
    if ctype in (0, 4):
        grey = samples[::channels]
        return bytes(v for g in grey for v in (g, g, g))
    return bytes(v for i in samples for v in palette[i])


def colour_close(actual, expected, tolerance):
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))
