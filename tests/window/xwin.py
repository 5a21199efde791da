"""The real editor in a private Xvfb display: pointer and keys through
xdotool, screenshots read as pixels, castles saved through the real file
dialog and read back with gruskedit-cli. Standard library only; every wait is
bounded, so a broken editor fails the stage instead of hanging it."""

import os
import re
import subprocess
import tempfile
import time

# The main window's client area below the menu bar, and the room canvas in it.
CLIENT_HEIGHT = 456
# The status line along the bottom of the main window, below the client area.
STATUS_HEIGHT = 22
CANVAS_LEFT = 9
CANVAS_TOP = 11
CELL = 16
# The object list (1206) right of the canvas, its top level with the
# canvas; its width and row height follow the font and the pictures.
LIST_LEFT = 9 + 640 + 13
# A point on the first visible row's picture: every row is at least as
# high as the 32-pixel pictures.
LIST_FIRST_ROW = (LIST_LEFT + 16, CANVAS_TOP + 12)

BLACK = (0, 0, 0)
# Between pointer moves with a button held whose effect cannot be seen.
MOVE_PAUSE = 0.15


class StageFailure(Exception):
    """A scenario did not see what it expected."""


def wait_until(condition, what, timeout=10.0, interval=0.05):
    """Polls condition() until it gives a true value, which is returned;
    raises StageFailure naming what was awaited when the time is up."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise StageFailure("timed out waiting for " + what)
        time.sleep(interval)


def end_process(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def shell_values(out):
    """The NAME=value lines of an xdotool --shell answer."""
    return dict(line.split("=", 1) for line in out.splitlines() if "=" in line)


def check(condition, message):
    if not condition:
        raise StageFailure(message)


class Image:
    """A screenshot: width x height RGB pixels, with (0, 0) at its top left,
    stored as rows of stride bytes with step bytes per pixel in the order
    given by offsets (of red, green and blue)."""

    def __init__(self, width, height, data, stride=None, step=3, offsets=(0, 1, 2)):
        self.width, self.height, self.data = width, height, data
        self.stride, self.step, self.offsets = stride or width * 3, step, offsets

    @staticmethod
    def from_xwd(raw):
        """An xwd dump of a 24-bit TrueColor window."""
        import struct
        h = struct.unpack(">25I", raw[:100])
        header_size, pixmap_format, depth, width, height, byte_order = h[0], h[2], h[3], h[4], h[5], h[7]
        bits_per_pixel, bytes_per_line, masks, ncolours = h[11], h[12], h[14:17], h[19]
        if pixmap_format != 2 or depth != 24 or bits_per_pixel not in (24, 32):
            raise StageFailure("unexpected screenshot format (depth %d, %d bits)" % (depth, bits_per_pixel))
        # Pixels of three bytes may come in rows padded to four a pixel: the
        # row length does not tell the pixel size.
        step = bits_per_pixel // 8
        start = header_size + ncolours * 12
        data = raw[start:start + bytes_per_line * height]
        if len(data) != bytes_per_line * height:
            raise StageFailure("truncated screenshot")
        # Each channel's byte within a pixel, from its mask and the byte order.
        shifts = [{0xff: 0, 0xff00: 1, 0xff0000: 2, 0xff000000: 3}[m] for m in masks]
        offsets = tuple(shift if byte_order == 0 else step - 1 - shift for shift in shifts)
        return Image(width, height, data, bytes_per_line, step, offsets)

    @staticmethod
    def from_ppm(raw):
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", raw)
        if not header:
            raise StageFailure("unexpected screenshot format")
        width, height = int(header.group(1)), int(header.group(2))
        pixels = raw[header.end():header.end() + width * height * 3]
        if len(pixels) != width * height * 3:
            raise StageFailure("truncated screenshot")
        return Image(width, height, pixels)

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

    def count(self, left, top, width, height, colour):
        """How many pixels of the rectangle are of the colour."""
        return sum(1 for p in self.region(left, top, width, height) if p == colour)


class Display:
    """A private Xvfb server on a free display number (chosen by Xvfb)."""

    def __init__(self, width=1280, height=1024, workdir=None):
        self.workdir = workdir or tempfile.mkdtemp(prefix="gruskwin-")
        read_end, write_end = os.pipe()
        self.log = open(os.path.join(self.workdir, "xvfb.log"), "wb")
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=self.log, stderr=subprocess.STDOUT)
        os.close(write_end)
        # Xvfb writes its display number once it is ready; it ends the line or the pipe.
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline()
        if not number.strip():
            self.stop()
            raise StageFailure("Xvfb did not start")
        self.name = ":" + number.decode().strip()
        dropped = ("QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "WAYLAND_DISPLAY")
        self.env = dict({k: v for k, v in os.environ.items() if k not in dropped}, DISPLAY=self.name)
        wait_until(lambda: self.run(["xdotool", "getdisplaygeometry"], check_rc=False).returncode == 0,
                   "the X server to answer")

    def run(self, argv, check_rc=True):
        result = subprocess.run(argv, env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=30)
        if check_rc and result.returncode != 0:
            raise StageFailure("%s failed: %s" % (" ".join(argv), result.stderr.decode(errors="replace")))
        return result

    def xdotool(self, *args, check_rc=True):
        return self.run(["xdotool"] + [str(a) for a in args], check_rc=check_rc).stdout.decode().strip()

    def screenshot(self, window="root"):
        """A window by its id (quick, through xwd), or the whole screen with the
        menus on it (xwd leaves out windows of another depth, such as menus)."""
        if window == "root":
            return Image.from_ppm(self.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"]).stdout)
        return Image.from_xwd(self.run(["xwd", "-silent", "-id", str(window)]).stdout)

    def pointer(self):
        values = shell_values(self.xdotool("getmouselocation", "--shell"))
        return int(values["X"]), int(values["Y"])

    def move(self, x, y):
        # --sync waits for the pointer to move, which it never does when it
        # stands there already.
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

    def double_click(self, x, y, delay=80):
        self.move(x, y)
        self.xdotool("click", "--repeat", 2, "--delay", delay, 1)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def visible_windows(self, name=".*"):
        out = self.xdotool("search", "--onlyvisible", "--name", name, check_rc=False)
        return [int(w) for w in out.split()]

    def stop(self):
        end_process(self.proc)
        self.log.close()


class Window:
    """A top-level window of the display, by its X id."""

    def __init__(self, display, wid):
        self.display, self.wid = display, wid

    def geometry(self):
        values = shell_values(self.display.xdotool("getwindowgeometry", "--shell", self.wid))
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def caption(self):
        return self.display.xdotool("getwindowname", self.wid)

    def focus(self):
        self.display.xdotool("windowfocus", "--sync", self.wid, check_rc=False)

    def screenshot(self):
        return self.display.screenshot(self.wid)


class Editor(Window):
    """The gruskedit program on a display, with the main window's geometry:
    client pixels, canvas cells and list rows in screen coordinates."""

    def __init__(self, display, program, args=(), cwd=None, expect_caption=None, timeout=20):
        self.log_path = os.path.join(display.workdir, "editor-%d.log" % time.monotonic_ns())
        self.log = open(self.log_path, "wb")
        self.proc = subprocess.Popen([os.path.abspath(program)] + list(args), cwd=cwd, env=display.env,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        pattern = expect_caption or ".+"

        def found():  # the main window, not a tool window
            if self.proc.poll() is not None:
                raise StageFailure("the editor ended early:\n" + self.output())
            return next((w for w in display.visible_windows(pattern) if Window(display, w).geometry()[3] > CLIENT_HEIGHT),
                        None)

        super().__init__(display, wait_until(found, "the editor's main window", timeout))
        x, y, width, height = self.geometry()
        self.zoom = 1
        self.client_x = x
        self.client_y = y + height - STATUS_HEIGHT - CLIENT_HEIGHT
        # The first paint sets the caption; the canvas shows the title until the next redraw.
        wait_until(lambda: self.caption() != "Grusk Edit", "the first paint")

    def output(self):
        self.log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode(errors="replace")

    def running(self):
        return self.proc.poll() is None

    def stop(self):
        end_process(self.proc)
        self.log.close()

    # Geometry, in screen pixels.
    def client(self, x, y):
        return self.client_x + x, self.client_y + y

    def cell(self, column, row, dx=None, dy=None):
        """A point of a canvas cell at the zoom, by default its middle."""
        size = CELL * self.zoom
        return self.client(CANVAS_LEFT + column * size + (size // 2 if dx is None else dx),
                           CANVAS_TOP + row * size + (size // 2 if dy is None else dy))

    def follow_window(self):
        """After the window changed its size (and, without a window manager,
        its place): the client area below the same menu bar."""
        x, y, _, _ = self.geometry()
        self.client_y += y - self.window_y
        self.client_x, self.window_y = x, y

    # Looking at the canvas.
    def cell_rect(self, column, row, width=1, height=1):
        """The rectangle of cells in window pixels (for screenshots of the window)."""
        top, size = self.client_y - self.geometry()[1], CELL * self.zoom
        return (CANVAS_LEFT + column * size, top + CANVAS_TOP + row * size, width * size, height * size)

    def lit_share(self, column, row, width=1, height=1):
        """The share of the cells' pixels that are not black."""
        return self.lit(self.screenshot(), column, row, width, height) / float(width * height * (CELL * self.zoom) ** 2)

    def lit(self, shot, column, row, width=1, height=1):
        """Pixels of the cells that are not the black background."""
        return shot.lit(*self.cell_rect(column, row, width, height))

    def wait_cells(self, column, row, width, height, lit, what, timeout=10):
        """Waits until the cells show something (lit) or are black (not lit)."""
        return wait_until(lambda: (self.lit(self.screenshot(), column, row, width, height) > 0) == lit, what, timeout)

    def wait_caption(self, pattern, what=None, timeout=10):
        return wait_until(lambda: re.search(pattern, self.caption()), what or "caption " + pattern, timeout)

    # Acting.
    def click_cell(self, column, row, button=1, modifiers=()):
        self.display.click(*self.cell(column, row), button=button, modifiers=modifiers)

    def hover_cell(self, column, row):
        # Two moves inside the cell, so the window sees a move even when the
        # pointer was there already.
        self.display.move(*self.cell(column, row, 4, 4))
        self.display.move(*self.cell(column, row))

    def drag_cells(self, path, settled=None):
        """Holds the left button from the first cell through the others. The
        window system merges moves that come faster than the program takes
        them: after each, settled(column, row) is waited for, or a pause made."""
        self.display.press(*self.cell(*path[0]))
        try:
            for column, row in path[1:]:
                self.hover_cell(column, row)
                if settled:
                    settled(column, row)
                else:
                    time.sleep(MOVE_PAUSE)
        finally:
            self.display.xdotool("mouseup", 1)

    def choose(self, row):
        """Chooses a type by the keyboard, knowing no pixel of the list: Esc
        drops the choice and the selection (which the arrow keys would move),
        a click on the first visible row focuses the list, Home and Down move."""
        self.focus()
        self.display.key("Escape")
        self.display.click(*self.client(*LIST_FIRST_ROW))
        self.display.key("Home", *(["Down"] * row))

    def answer(self, before, what, key):
        """Answers a message or question box that was not among the windows
        before with a key, and waits for it to close."""
        box = self.new_window(before, what)
        box.focus()
        self.display.key(key)
        wait_until(lambda: box.wid not in self.display.visible_windows(), what + " to close")

    def new_window(self, before, what, timeout=10):
        """Waits for a visible top-level window that was not in before."""
        fresh = lambda: next((w for w in self.display.visible_windows() if w not in before), None)  # noqa: E731
        return Window(self.display, wait_until(fresh, what, timeout))

    def save_project(self, path, cli):
        """Saves the castle through File, Save Project... (Ctrl+S) and the real
        file dialog, and returns what gruskedit-cli dump reads from it."""
        if os.path.exists(path):
            os.remove(path)
        self.focus()
        before = self.display.visible_windows()
        self.display.key("ctrl+s")
        dialog = self.new_window(before, "the save dialog")
        dialog.focus()
        self.display.xdotool("type", "--delay", 8, path)
        self.display.key("Return")
        wait_until(lambda: os.path.exists(path) and os.path.getsize(path) > 0, "the saved file " + path)
        wait_until(lambda: dialog.wid not in self.display.visible_windows(), "the save dialog to close")
        self.wait_caption(re.escape(os.path.basename(path)))
        return dump_castle(cli, path)


def glide(display, start, end, steps, pause):
    """Moves the pointer from start to end in even steps."""
    for i in range(1, steps + 1):
        display.move(start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
        time.sleep(pause)


def nudge_until(display, first, second, condition, what):
    """With a button held, moves to first and then to second until condition()
    holds: the program may take the first move as the grab."""
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
    if out.returncode != 0:
        raise StageFailure("gruskedit-cli %s: %s" % (" ".join(args), out.stderr.decode(errors="replace")))
    return out.stdout.decode()


def dump_castle(cli, path):
    """What gruskedit-cli dump says about a castle file: settings, rooms in use
    and the objects, walkway pieces and vertical pieces by (room, x, y)."""
    castle = {"rooms": {}, "objects": {}, "walkways": {}, "verticals": {}}
    for line in run_cli(cli, "dump", path).splitlines():
        words = line.split()
        fields = dict(w.split("=", 1) for w in words if "=" in w)
        if words[0] == "room":
            castle["rooms"][int(words[1])] = fields
        elif words[0] in ("object", "walkway", "vertical"):
            key = (int(words[1]), int(words[2]), int(words[3]))
            castle[words[0] + "s"][key] = fields
        elif words[0] == "settings":
            castle["settings"] = fields
    return castle
