"""The real editor in a private Xvfb display: pointer and keys through xdotool, screenshots read
as pixels, castles read back with gruskedit-cli. Every wait is bounded: a broken editor fails."""

import os
import re
import struct
import subprocess
import time

# The main window: the client area below the menu bar, the status line below it, the canvas in it.
CLIENT_HEIGHT, STATUS_HEIGHT = 456, 22
CANVAS_LEFT, CANVAS_TOP, CELL = 9, 11, 16
BLACK = (0, 0, 0)
MOVE_PAUSE = 0.15  # between moves with a button held whose effect cannot be seen


class StageFailure(Exception):
    pass


def wait_until(condition, what, timeout=10.0):
    """condition()'s first true value; StageFailure naming what when the time is up."""
    end = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > end:
            raise StageFailure("timed out waiting for " + what)
        time.sleep(0.05)
    return value


def end_process(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def shell_values(out):
    """The NAME=number lines of an xdotool --shell answer."""
    return {k: int(v) for k, v in (line.split("=", 1) for line in out.splitlines() if "=" in line)}


def check(condition, message):
    if not condition:
        raise StageFailure(message)


def expect(value, wanted, what):
    check(value == wanted, "%s: %s, expected %s" % (what, value, wanted))


class Image:
    """Screenshot pixels: rows of stride bytes, step bytes a pixel, red, green, blue at offsets."""

    def __init__(self, width, height, data, stride=None, step=3, offsets=(0, 1, 2)):
        self.width, self.height, self.data = width, height, data
        self.stride, self.step, self.offsets = stride or width * 3, step, offsets
        if len(data) < self.stride * height:
            raise StageFailure("truncated screenshot")

    @staticmethod
    def from_xwd(raw):
        """An xwd dump of a 24-bit TrueColor window."""
        h = struct.unpack(">25I", raw[:100])
        depth, width, height, byte_order, bits, stride = h[3], h[4], h[5], h[7], h[11], h[12]
        if h[2] != 2 or depth != 24 or bits not in (24, 32):
            raise StageFailure("unexpected screenshot format (depth %d, %d bits)" % (depth, bits))
        # Rows may pad pixels of three bytes to four: the pixel size comes from the bits.
        step = bits // 8
        shifts = [{0xff: 0, 0xff00: 1, 0xff0000: 2, 0xff000000: 3}[m] for m in h[14:17]]
        offsets = tuple(s if byte_order == 0 else step - 1 - s for s in shifts)
        return Image(width, height, raw[h[0] + h[19] * 12:], stride, step, offsets)

    @staticmethod
    def from_ppm(raw):
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", raw)
        if not header:
            raise StageFailure("unexpected screenshot format")
        return Image(int(header.group(1)), int(header.group(2)), raw[header.end():])

    def pixel(self, x, y):
        i = y * self.stride + x * self.step
        r, g, b = self.offsets
        return (self.data[i + r], self.data[i + g], self.data[i + b])

    def region(self, left, top, width, height):
        """Pixels of a rectangle, row by row (clipped to the image)."""
        return [self.pixel(x, y) for y in range(max(top, 0), min(top + height, self.height))
                for x in range(max(left, 0), min(left + width, self.width))]

    def lit(self, left, top, width, height):
        """How many pixels of the rectangle are not black (whole rows at a time)."""
        left, right = max(left, 0), min(left + width, self.width)
        total, n = 0, max(right - left, 0)
        for y in range(max(top, 0), min(top + height, self.height)):
            row = self.data[y * self.stride + left * self.step:][:n * self.step]
            merged = 0
            for offset in self.offsets:
                merged |= int.from_bytes(row[offset::self.step], "little")
            total += n - merged.to_bytes(n, "little").count(0)
        return total


class Display:
    """A private Xvfb server on a free display number (chosen by Xvfb)."""

    def __init__(self, width, height, workdir):
        self.workdir = workdir
        read_end, write_end = os.pipe()
        self.log = open(os.path.join(workdir, "xvfb.log"), "wb")
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
                                      "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                                     stdout=self.log, stderr=subprocess.STDOUT)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:  # the display number, once Xvfb is ready
            number = pipe.readline().decode().strip()
        if not number:
            self.stop()
            raise StageFailure("Xvfb did not start")
        dropped = ("QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "WAYLAND_DISPLAY")
        self.env = dict({k: v for k, v in os.environ.items() if k not in dropped}, DISPLAY=":" + number)
        wait_until(lambda: self.run(["xdotool", "getdisplaygeometry"], check_rc=False).returncode == 0,
                   "the X server to answer")

    def run(self, argv, check_rc=True):
        result = subprocess.run(argv, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)
        if check_rc and result.returncode != 0:
            raise StageFailure("%s failed: %s" % (" ".join(argv), result.stderr.decode(errors="replace")))
        return result

    def xdotool(self, *args, check_rc=True):
        return self.run(["xdotool"] + [str(a) for a in args], check_rc=check_rc).stdout.decode().strip()

    def screenshot(self, window="root"):
        """A window by its id (xwd), or the whole screen with menus (xwd leaves out another depth's windows)."""
        if window == "root":
            return Image.from_ppm(self.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"]).stdout)
        return Image.from_xwd(self.run(["xwd", "-silent", "-id", str(window)]).stdout)

    def pointer(self):
        values = shell_values(self.xdotool("getmouselocation", "--shell"))
        return values["X"], values["Y"]

    def move(self, x, y):
        # --sync waits for the pointer to move, which it never does when it stands there already.
        if self.pointer() != (x, y):
            self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y, button=1, modifiers=()):
        self.move(x, y)
        if modifiers:
            self.xdotool("keydown", *modifiers)
        self.xdotool("click", button)
        if modifiers:
            self.xdotool("keyup", *reversed(modifiers))

    def press(self, x, y):
        self.move(x, y)
        self.xdotool("mousedown", 1)

    def double_click(self, x, y):
        self.move(x, y)
        self.xdotool("click", "--repeat", 2, "--delay", 70, 1)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def visible_windows(self, name=".*"):
        return [int(w) for w in self.xdotool("search", "--onlyvisible", "--name", name, check_rc=False).split()]

    def stop(self):
        end_process(self.proc)
        self.log.close()


class Window:
    """A top-level window of the display, by its X id."""

    def __init__(self, display, wid):
        self.display, self.wid = display, wid

    def geometry(self):
        v = shell_values(self.display.xdotool("getwindowgeometry", "--shell", self.wid))
        return v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]

    def caption(self):
        return self.display.xdotool("getwindowname", self.wid)

    def focus(self):
        self.display.xdotool("windowfocus", "--sync", self.wid, check_rc=False)

    def screenshot(self):
        return self.display.screenshot(self.wid)


class Editor(Window):
    """gruskedit on a display (env added to its environment); client pixels and cells in screen coordinates."""

    def __init__(self, display, program, args, cwd, caption, **env):
        self.log_path = os.path.join(display.workdir, "editor-%d.log" % time.monotonic_ns())
        self.log = open(self.log_path, "wb")
        self.proc = subprocess.Popen([os.path.abspath(program)] + list(args), cwd=cwd, env=dict(display.env, **env),
                                     stdout=self.log, stderr=subprocess.STDOUT)

        def found():  # the main window, not a tool window
            check(self.proc.poll() is None, "the editor ended early:\n" + self.output())
            return next((w for w in display.visible_windows(caption) if Window(display, w).geometry()[3] > CLIENT_HEIGHT),
                        None)

        super().__init__(display, wait_until(found, "the editor's main window", 20))
        self.client_x, y, _, height = self.geometry()
        self.menu = height - STATUS_HEIGHT - CLIENT_HEIGHT  # the client area's top in the window
        self.client_y, self.zoom = y + self.menu, 1
        # The first paint sets the caption; the canvas shows the title until the next redraw.
        wait_until(lambda: self.caption() != "Grusk Edit", "the first paint")

    def output(self):
        self.log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode(errors="replace")

    def stop(self):
        end_process(self.proc)
        self.log.close()

    def key(self, *keys):
        self.focus()
        self.display.key(*keys)

    # Geometry, in screen pixels.
    def client(self, x, y):
        return self.client_x + x, self.client_y + y

    def cell(self, column, row, dx=None, dy=None):
        """A point of a canvas cell at the zoom, by default its middle."""
        size = CELL * self.zoom
        return self.client(CANVAS_LEFT + column * size + (size // 2 if dx is None else dx),
                           CANVAS_TOP + row * size + (size // 2 if dy is None else dy))

    def follow_window(self, zoom):
        """After a zoom resized the window (and, with no window manager, moved it)."""
        self.client_x, y, _, _ = self.geometry()
        self.client_y, self.zoom = y + self.menu, zoom

    # Looking at the canvas.
    def cell_rect(self, column, row, width=1, height=1):
        """The rectangle of cells in window pixels (for screenshots of the window)."""
        size = CELL * self.zoom
        return (CANVAS_LEFT + column * size, self.menu + CANVAS_TOP + row * size, width * size, height * size)

    def lit(self, shot, column, row, width=1, height=1):
        """Pixels of the cells that are not the black background."""
        return shot.lit(*self.cell_rect(column, row, width, height))

    def lit_share(self, column, row, width=1, height=1):
        return self.lit(self.screenshot(), column, row, width, height) / float(width * height * (CELL * self.zoom) ** 2)

    def wait_cells(self, column, row, width, height, lit, what, timeout=10):
        """Waits until the cells show something (lit) or are black (not lit)."""
        return wait_until(lambda: (self.lit(self.screenshot(), column, row, width, height) > 0) == lit, what, timeout)

    def wait_caption(self, pattern, what=None):
        return wait_until(lambda: re.search(pattern, self.caption()), what or "caption " + pattern)

    # Acting.
    def click_cell(self, column, row, button=1, modifiers=()):
        self.display.click(*self.cell(column, row), button=button, modifiers=modifiers)

    def ghost(self, column, row, what):
        self.hover_cell(column, row)
        self.wait_cells(column, row, 2, 1, True, what)

    def hover_cell(self, column, row):
        # Two moves inside the cell, so the window sees a move even when the pointer was there already.
        self.display.move(*self.cell(column, row, 4, 4))
        self.display.move(*self.cell(column, row))

    def drag_cells(self, path, settled=None):
        """Holds the left button from the first cell through the others; after each move settled(column,
        row) is awaited, or a pause made: the window system merges moves faster than the program."""
        self.display.press(*self.cell(*path[0]))
        try:
            for column, row in path[1:]:
                self.hover_cell(column, row)
                settled(column, row) if settled else time.sleep(MOVE_PAUSE)
        finally:
            self.display.xdotool("mouseup", 1)

    def choose(self, row):
        """Chooses a type by the keyboard: Esc drops the choice and the selection (which the arrows would
        move), a click on the first row's picture (rows are 32 pixels or more) focuses the list."""
        self.key("Escape")
        self.display.click(*self.client(CANVAS_LEFT + 640 * self.zoom + 13 + 16, CANVAS_TOP + 12))
        self.display.key("Home", *(["Down"] * row))

    def answer(self, act, what, key):
        """Answers the box that act() opens with a key; waits for it to close."""
        before = self.display.visible_windows()
        act()
        box = self.new_window(before, what)
        box.focus()
        self.display.key(key)
        wait_until(lambda: box.wid not in self.display.visible_windows(), what + " to close")

    def new_window(self, before, what):
        """Waits for a visible top-level window that was not in before."""
        return Window(self.display, wait_until(lambda: next(
            (w for w in self.display.visible_windows() if w not in before), None), what))

    def save_project(self, path, cli):
        """Saves the castle through Ctrl+S and the real file dialog; what gruskedit-cli dump reads."""
        before = self.display.visible_windows()
        self.key("ctrl+s")
        dialog = self.new_window(before, "the save dialog")
        dialog.focus()
        self.display.xdotool("type", "--delay", 8, path)
        self.display.key("Return")
        wait_until(lambda: os.path.exists(path) and os.path.getsize(path) > 0, "the saved file " + path)
        wait_until(lambda: dialog.wid not in self.display.visible_windows(), "the save dialog to close")
        self.wait_caption(re.escape(os.path.basename(path)))
        return dump_castle(cli, path)


def through_menu(display, point, what, pick):
    """Waits for a menu over point to show (seen on the whole screen), pick()s, waits for it to close."""
    shown = lambda: display.screenshot().pixel(*point) != BLACK  # noqa: E731
    wait_until(shown, what)
    pick()
    wait_until(lambda: not shown(), what + " to close")


def glide(display, start, end, steps, pause):
    """Moves the pointer from start to end in even steps."""
    for i in range(1, steps + 1):
        display.move(start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
        time.sleep(pause)


def nudge_until(display, first, second, condition, what):
    """With a button held, first to second until condition(): the program may grab on the first move."""
    for _ in range(3):
        display.move(*first)
        time.sleep(MOVE_PAUSE)
        display.move(*second)
        try:
            return wait_until(condition, what, timeout=3)
        except StageFailure:
            pass
    raise StageFailure("no " + what)


def run_cli(cli, *args):
    """gruskedit-cli's output; a failure ends the scenario."""
    out = subprocess.run([cli, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)
    check(out.returncode == 0, "gruskedit-cli %s: %s" % (" ".join(args), out.stderr.decode(errors="replace")))
    return out.stdout.decode()


def dump_castle(cli, path):
    """gruskedit-cli dump of a castle file: rooms in use; objects, walkways and verticals by (room, x, y)."""
    castle = {"rooms": {}, "objects": {}, "walkways": {}, "verticals": {}}
    for line in run_cli(cli, "dump", path).splitlines():
        words = line.split()
        fields = dict(w.split("=", 1) for w in words if "=" in w)
        if words[0] == "room":
            castle["rooms"][int(words[1])] = fields
        elif words[0] in ("object", "walkway", "vertical"):
            castle[words[0] + "s"][(int(words[1]), int(words[2]), int(words[3]))] = fields
    return castle
