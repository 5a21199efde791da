"""The editor under a real X server: each scenario drives the real program with the pointer and
keys and checks it by the window's pixels, its caption, and the castle saved through the file dialog.

usage: scenarios.py PROGRAM_DIR [SCENARIO...]
"""

import os
import re
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xwin import (BLACK, CANVAS_LEFT, CANVAS_TOP, CELL, CLIENT_HEIGHT, MOVE_PAUSE, STATUS_HEIGHT,  # noqa: E402
                  Display, Editor, StageFailure, check, expect, glide, nudge_until, run_cli, through_menu, wait_until)

# Object list rows (type codes).
FORCE_FIELD, KEY, LADDER, WALKWAY = 5, 7, 9, 27
RED = (137, 64, 54)  # map colour of new rooms
YELLOW, ORANGE = (255, 255, 0), (255, 128, 0)  # the frames of a problem's object and of selected objects
SAMPLE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "examples", "sample.prg"))

# Two rooms: a door in each, a lightning switch and its machine, and a key to drag. Everything
# keeps clear of the canvas middle, where Qt puts the dialogs of a window without a window manager.
CASTLE = """
room 0 6 0 0 112 112
door 2 2 3 16
put 12 4 18
put 13 34 16
put 7 30 2
room 1 5 128 0 240 112
door 34 2 1 16
"""
# The switch working its machine from the start, for selections.
CASTLE_SELECT = CASTLE.replace("put 7 30 2\n", "link 4 18 34 16\n")


class Stage:
    saves = 0

    def __init__(self, program_dir, display, work):
        self.program, self.cli = os.path.join(program_dir, "gruskedit"), os.path.join(program_dir, "gruskedit-cli")
        self.display, self.work, self.editor = display, work, None

    def start(self, castle=None, empty_bottom=True, view=None, scale=None):
        """The editor in a program folder of its own, without a view an earlier run remembered,
        with the user's settings in a folder of the stage's, on a screen of ratio scale if given."""
        prog = tempfile.mkdtemp(dir=self.work)
        for item in ("resource", "d64", "help.txt"):
            os.symlink(os.path.join(os.path.dirname(self.program), item), os.path.join(prog, item))
        config = os.path.join(prog + "-config", "GruskEdit")
        os.makedirs(config)
        with open(os.path.join(config, "views.ini"), "w") as views:
            views.write("[View]\n" + "".join("%s=%s\n" % item for item in (view or {}).items()))
        env = {"XDG_CONFIG_HOME": os.path.dirname(config)}
        if scale:  # only the canvas's pixels are looked at then
            env["QT_SCALE_FACTOR"] = str(scale)
        caption = re.escape(os.path.basename(castle)) if castle else "NO CASTLE LOADED"
        e = self.editor = Editor(self.display, self.program, [castle] if castle else [], prog, caption, **env)
        if scale:
            return e
        e.focus()  # as on any desktop: the list must not take that as a choice
        e.click_cell(39, 24)  # ends the title screen
        if empty_bottom:
            e.wait_cells(0, 20, 40, 5, False, "the room instead of the title screen")
        return e

    def castle(self, script, name):
        """A castle file that gruskedit-cli builds from script lines."""
        path = os.path.join(self.work, name)
        with open(path + ".txt", "w") as f:
            f.write(script)
        run_cli(self.cli, "build", path + ".txt", path)
        return path

    def stop(self):
        if self.editor:
            self.editor.stop()
            self.editor = None

    def save(self, spend_press=True):
        Stage.saves += 1  # a new file each time, over all scenarios
        castle = self.editor.save_project(os.path.join(self.work, "saved%d.cas" % Stage.saves), self.cli)
        if spend_press:  # the canvas swallows the press after a file dialog on purpose
            self.editor.click_cell(39, 24, button=3)
        return castle

    def no_star(self):
        check(not self.editor.caption().startswith("*"), "unexpected unsaved mark: " + self.editor.caption())

    def star(self):
        self.editor.wait_caption(r"^\*", "the unsaved mark")


def objects_of(castle, room=0):
    return {(x, y): int(o["type"]) for (r, x, y), o in castle["objects"].items() if r == room}


def clicks_place_nothing(e, cells, what):
    for cell in cells:
        e.click_cell(*cell)
    time.sleep(0.3)  # nothing is to happen: give it the time to do it wrongly
    check(e.lit(e.screenshot(), 0, 0, 40, 25) == 0, "a click %s drew something" % what)


def menu_opened_and_closed(e):
    """The File menu opened and closed again by clicks on its title."""
    e.display.click(*e.client(15, -10))
    through_menu(e.display, e.client(30, 30), "the File menu", lambda: e.display.click(*e.client(15, -10)))


def question_cancelled(e):
    """The question box of Exit with unsaved changes, answered Cancel."""
    e.answer(lambda: e.key("ctrl+q"), "the unsaved-changes question", "Escape")
    check(e.proc.poll() is None, "the editor ended on Cancel")
    e.focus()


def popup_command(e, column, row, downs):
    """Opens an object's popup with a right click and picks its item by keys."""
    e.click_cell(column, row, button=3)
    x, y = e.cell(column, row)
    through_menu(e.display, (x + 30, y + 8), "the popup menu", lambda: e.display.xdotool("key", *["Down"] * downs, "Return"))


def scenario_ghost_place_and_cancel(s):
    e = s.start()
    e.choose(KEY)
    e.ghost(10, 20, "the key's ghost under the pointer")
    e.ghost(14, 20, "the ghost following the pointer")
    e.wait_cells(10, 20, 2, 1, False, "the ghost leaving its old cell")
    e.click_cell(14, 20)
    s.star()
    e.ghost(20, 22, "the ghost after placing")
    e.click_cell(20, 22, button=3)
    e.wait_cells(20, 22, 2, 1, False, "the ghost to go on a right click")
    e.click_cell(24, 18)  # the choice is gone: nothing placed
    # Esc takes the ghost away; a type chosen with the keyboard (the list keeps the focus from its
    # click) while the pointer rests on the canvas shows its ghost at once.
    e.choose(KEY)
    e.ghost(6, 8, "the key's ghost")
    e.display.key("Escape")
    e.wait_cells(6, 8, 2, 2, False, "the ghost to go on Esc")
    e.display.key("Home")  # the first row, "Conveyor Switch" (2 x 2 cells)
    e.wait_cells(6, 9, 2, 1, True, "the ghost of a type chosen with the keyboard")
    e.display.key("Escape")
    e.wait_cells(6, 8, 2, 2, False, "the ghost to go on Esc")
    e.click_cell(6, 8)
    e.choose(KEY)
    e.ghost(30, 20, "the ghost")
    e.display.move(*e.client(700, 440))
    e.wait_cells(30, 20, 2, 1, False, "the ghost to go when the pointer leaves the canvas")
    e.key("Escape")
    castle = s.save()
    expect(objects_of(castle), {(14, 20): KEY}, "objects")
    check(not castle["verticals"] and not castle["walkways"], "unexpected pieces")


def scenario_runs_of_ladder_and_walkway(s):
    e = s.start()
    e.choose(LADDER)
    # Each piece shows before the next move, at the column of the first move.
    e.drag_cells([(5, 5), (5, 6), (6, 7), (7, 8), (8, 9)],
                 lambda c, r: e.wait_cells(5, r, 1, 1, True, "the ladder at row %d" % r))
    e.choose(WALKWAY)
    e.drag_cells([(2, 12), (3, 12), (4, 13), (5, 11), (6, 12), (7, 13), (8, 12)],
                 lambda c, r: e.wait_cells(c, 12, 1, 1, True, "the walkway at column %d" % c))
    # A quick pointer: one move from row 4 to row 15 still draws every row between.
    e.choose(LADDER)
    e.drag_cells([(20, 3), (20, 4), (21, 15)])
    e.key("Escape")
    shot = e.screenshot()
    check(e.lit(shot, 6, 7, 3, 3) == 0, "the ladder run left its column")
    check(e.lit(shot, 2, 13, 7, 1) == 0 and e.lit(shot, 2, 11, 7, 1) == 0, "the walkway run left its row")
    castle = s.save()
    ladders = sorted((x, y) for (r, x, y), v in castle["verticals"].items() if int(v["type"]) == LADDER)
    expect(ladders, [(5, y) for y in range(5, 10)] + [(20, y) for y in range(3, 16)], "ladder cells")
    expect(sorted((x, y) for (r, x, y) in castle["walkways"]), [(x, 12) for x in range(2, 9)], "walkway cells")
    expect(castle["objects"], {}, "objects")


def scenario_clicks_after_start_box_and_menu(s):
    e = s.start()
    clicks_place_nothing(e, [(10, 20), (30, 5)], "after start-up")
    menu_opened_and_closed(e)
    clicks_place_nothing(e, [(10, 20)], "after a menu")
    s.no_star()
    e.choose(KEY)
    e.click_cell(2, 20)
    s.star()
    question_cancelled(e)
    e.click_cell(8, 20)
    e.wait_cells(8, 20, 2, 1, True, "a key placed after the message box")
    menu_opened_and_closed(e)
    e.focus()
    e.click_cell(14, 20)
    e.wait_cells(14, 20, 2, 1, True, "a key placed after the menu")
    # With no type chosen, after a question box: nothing placed.
    e.key("Escape")
    question_cancelled(e)
    e.click_cell(20, 20)
    expect(objects_of(s.save()), {(2, 20): KEY, (8, 20): KEY, (14, 20): KEY}, "objects")


def scenario_drag_delete_undo(s):
    e = s.start(s.castle(CASTLE, "castle-drag.cas"))
    e.wait_cells(30, 2, 2, 1, True, "the key")
    # The drag starts on a move of five pixels or more over the key; only
    # its ghost follows the pointer, so the old place goes black.
    d = e.display
    d.press(*e.cell(30, 2))
    try:
        nudge_until(d, e.cell(31, 2), e.cell(30, 5), lambda: e.lit(e.screenshot(), 30, 2, 2, 1) == 0, "drag of the key")
        e.wait_cells(30, 5, 2, 1, True, "the ghost of the dragged key")
        d.move(*e.cell(30, 8))
        e.wait_cells(30, 8, 2, 1, True, "the ghost at the new place")
    finally:
        d.xdotool("mouseup", 1)
    e.wait_cells(30, 8, 2, 1, True, "the key at its new place")
    e.wait_cells(30, 2, 2, 1, False, "the key gone from its old place")
    s.star()
    e.click_cell(30, 8, modifiers=("ctrl",))
    e.wait_cells(30, 8, 2, 1, False, "the key deleted by Ctrl-click")
    e.key("ctrl+z")
    e.wait_cells(30, 8, 2, 1, True, "the key back after Ctrl+Z")
    objects = objects_of(s.save())
    check(objects.get((30, 8)) == KEY and (30, 2) not in objects, "the key is not at (30, 8): %s" % objects)
    check(len(objects) == 4, "objects changed: %s" % objects)


def scenario_link_connect_and_follow(s):
    e = s.start(s.castle(CASTLE, "castle-link.cas"))
    e.wait_cells(34, 16, 3, 4, True, "the lightning machine")
    popup_command(e, 4, 18, 1)  # "Link ..."
    e.click_cell(35, 17)
    s.star()
    popup_command(e, 3, 3, 3)  # "Connect ..." (after "Door Type" and "Edit Door ...")
    e.display.click(*e.client(225, 11 + 400 + 9 + 12))  # ">" : room 2 of the castle
    e.wait_cells(34, 2, 3, 3, True, "the door of the second room")
    e.wait_cells(34, 16, 3, 4, False, "the second room")
    e.answer(lambda: e.click_cell(35, 3), "the message naming the connected door", "Return")
    e.display.double_click(*e.cell(35, 3))
    e.wait_cells(34, 16, 3, 4, True, "the first room after the double click")
    expected = e.client(2 * CELL + 9 + 24, 2 * CELL + 11 + 24)
    wait_until(lambda: e.display.pointer() == expected, "the pointer on the first room's door")
    objects = s.save()["objects"]
    expect(objects[(0, 4, 18)]["links"], "34,16", "switch links")
    expect((objects[(0, 2, 2)]["dest"], objects[(1, 34, 2)]["dest"]), ("1/0", "0/0"), "door destinations")
    check(len(objects) == 5, "objects changed: %s" % sorted(objects))


def scenario_room_map(s):
    # Without the room numbers, which cover the middle of every room.
    e = s.start(s.castle(CASTLE, "castle-map.cas"), view={"LabelMap": "false"})
    d, before = e.display, e.display.visible_windows()
    d.click(*e.client(662 + 75, 336))  # "Mapper"
    m = e.new_window(before, "the room map")
    mx, my, _, _ = m.geometry()
    at = lambda x, y: (mx + x, my + y)  # noqa: E731
    colour = lambda x, y: m.screenshot().pixel(x, y)  # noqa: E731
    wait_until(lambda: colour(56, 56) != BLACK, "the map's first room")
    for _ in range(2):  # ">" twice: room 3, which is not on the map yet
        d.click(*at(641 + 59 + 11, 320))
    time.sleep(0.3)
    d.press(*at(400, 250))
    d.move(*at(420, 270))
    wait_until(lambda: colour(416, 256) == RED, "the new room to grow")
    d.move(*at(450, 300))
    wait_until(lambda: colour(448, 288) == RED, "the new room to grow further")
    d.xdotool("mouseup", 1)
    wait_until(lambda: colour(432, 272) == RED, "the new room on the map")
    check(colour(480, 272) == BLACK, "the new room is too wide")
    # Moved by 96 pixels, in small steps so that the pointer stays on it.
    d.press(*at(432, 272))
    glide(d, at(432, 272), at(528, 272), 12, MOVE_PAUSE / 3)
    wait_until(lambda: colour(528, 272) == RED, "the room to follow the pointer")
    d.xdotool("mouseup", 1)
    wait_until(lambda: colour(528, 272) == RED and colour(410, 272) == BLACK, "the room moved")
    # Where the rectangle landed depends on the first move the program took
    # (the grab point): read its edges from the picture.
    shot = m.screenshot()

    def edge(x, y, dx, dy):
        while shot.pixel(x + dx, y + dy) != BLACK:
            x, y = x + dx, y + dy
        return x + max(dx, 0), y + max(dy, 0)

    left, top = edge(528, 272, -1, 0)[0], edge(528, 272, 0, -1)[1]
    right, bottom = edge(528, 272, 1, 0)[0], edge(528, 272, 0, 1)[1]
    check((right - left, bottom - top) == (64, 64) and left >= 464, "the moved room: %s" % ((left, top, right, bottom),))
    d.press(*at(right - 5, bottom - 5))
    nudge_until(d, at(right - 3, bottom - 3), at(right + 6, bottom + 6), lambda: colour(right + 4, bottom + 4) == RED,
                "resize at the corner")
    d.move(*at(580, 320))
    d.move(*at(600, 340))
    new_right, new_bottom = min(608, left + 112), min(352, top + 112)
    wait_until(lambda: colour(new_right - 12, new_bottom - 12) == RED, "the room at its new size")
    d.xdotool("mouseup", 1)
    expect(s.save(spend_press=False)["rooms"].get(2, {}).get("map"), "%d,%d,%d,%d" % (left, top, new_right, new_bottom),
           "room 3's rectangle")
    d.click(*at(left + 16, top + 16), button=3)
    wait_until(lambda: colour(left + 16, top + 16) == BLACK, "the room taken off the map")
    expect(sorted(s.save(spend_press=False)["rooms"]), [0, 1], "rooms on the map")


def scenario_zoomed_drop_drag_place_and_follow(s):
    """At 200% (Ctrl++, the wheel): a file dropped from another program loads, an object is dragged
    and Ctrl-clicked away, a type placed, a door followed by a double click; Ctrl+0 gives 640 x 400."""
    dropped = os.path.join(s.work, "dropped.cas")
    run_cli(s.cli, "decompile", SAMPLE, dropped)
    dropsource = os.path.join(os.path.dirname(s.program), "..", "tools", "dropsource", "dropsource")
    check(os.access(dropsource, os.X_OK), dropsource + " is not built")
    e = s.start(SAMPLE, empty_bottom=False)
    d, at = e.display, e.cell
    _, _, width, height = e.geometry()
    e.key("ctrl+plus")
    wait_until(lambda: e.geometry()[3] >= height + 200, "the window to grow for 150%")
    # One notch of the wheel with Ctrl held: the next step.
    d.click(*e.client(CANVAS_LEFT + 300, CANVAS_TOP + 200), button=4, modifiers=("ctrl",))
    wait_until(lambda: e.geometry()[3] >= height + 400, "the window to grow for 200%")
    e.follow_window(2)

    source = subprocess.Popen([dropsource, dropped], env=d.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_until(lambda: d.visible_windows("^dropsource$"), "the drag source's window")
        time.sleep(0.3)
        d.press(60, 40)
        glide(d, (60, 40), at(20, 16), 12, MOVE_PAUSE / 2)
        d.xdotool("mouseup", 1)
        e.wait_caption(r"dropped\.cas", "the dropped project file to load")
    finally:
        source.terminate()
        source.wait()

    # The hall's Frankenstein (two cells wide, three high, at (25, 21)) is
    # dragged by its lower right cell to (8, 14).
    e.focus()
    d.press(*at(26, 23))
    d.move(*at(26, 22))
    time.sleep(MOVE_PAUSE)
    glide(d, at(25, 21), at(8, 14), 10, MOVE_PAUSE / 3)
    d.xdotool("mouseup", 1)
    d.move(*at(14, 19))
    wait_until(lambda: e.lit_share(8, 14, 2, 3) > 0.05, "the dragged object at (8, 14)")
    check(e.lit_share(25, 21, 2, 3) < 0.01, "the dragged object is still at (25, 21)")
    d.click(*at(9, 15), modifiers=("ctrl",))
    d.move(*at(14, 19))
    wait_until(lambda: e.lit_share(8, 14, 2, 3) < 0.01, "the Ctrl-click to remove the object")

    # A key placed at (8, 16) from the list (right of the wider canvas); a
    # right click on an empty cell drops the choice.
    e.choose(KEY)
    d.click(*at(8, 16))
    d.click(*at(3, 18), button=3)
    wait_until(lambda: e.lit_share(8, 16) > 0.05, "the key at (8, 16)")
    d.move(*at(12, 17))
    time.sleep(0.3)
    check(e.lit_share(10, 16) < 0.01, "something was placed beside the key")
    check(e.lit_share(8, 15, 2, 1) < 0.01, "something was placed above the key")

    # A double click on the hall's first door (2, 7) goes to the laboratory and puts the pointer
    # on its door (35, 21), 24 raster pixels into it: raster pixel (584, 360) at 200%.
    d.double_click(*at(3, 8))
    target = e.client(CANVAS_LEFT + 1168, CANVAS_TOP + 720)
    wait_until(lambda: d.pointer() == target, "the pointer on the destination door (at %s)" % (d.pointer(),))

    d.move(*at(12, 17))
    e.key("ctrl+0")
    wait_until(lambda: e.geometry()[2:] == (width, height), "Ctrl+0 to bring back the first size")
    e.follow_window(1)
    shot = e.screenshot()
    canvas = e.cell_rect(0, 0, 40, 25)
    check(len(set(shot.region(*canvas))) >= 4, "the canvas is blank at 100%")
    check(BLACK not in shot.region(canvas[0] + 640 + 3, canvas[1] + 100, 8, 200), "the canvas reaches past 640 pixels at 100%")


def scenario_crisp_at_ratio_two_then_ctrl_q(s):
    """At 100% on a screen of ratio 2: 1280 x 800 device pixels, each room pixel 2 x 2 equal ones."""
    e = s.start(SAMPLE, scale=2)
    left, top = 2 * CANVAS_LEFT, e.geometry()[3] - 2 * (STATUS_HEIGHT + CLIENT_HEIGHT - CANVAS_TOP)

    def crisp():
        shot, colours, off = e.screenshot(), set(), 0
        for row in range(0, 800, 2):
            upper = shot.region(left, top + row, 1280, 1)
            lower = shot.region(left, top + row + 1, 1280, 1)
            colours.update(upper)
            off += sum(1 for i in range(0, 1280, 2) if not upper[i] == upper[i + 1] == lower[i] == lower[i + 1])
        return len(colours) >= 4 and (colours, off)
    colours, off = wait_until(crisp, "the room on the canvas at ratio 2")
    check(off == 0, "the canvas is not crisp at ratio 2: %d blocks of unequal pixels" % off)
    # The sample castle opened unchanged: Ctrl+Q ends the editor without a question.
    s.no_star()
    e.key("ctrl+q")
    wait_until(lambda: e.proc.poll() is not None, "the editor to end on Ctrl+Q")
    expect(e.proc.returncode, 0, "the editor's exit status")


def scenario_problems_window_goes_to_the_problem(s):
    """An unlinked force field placed; the Problems window (F8) counts one problem; from another room,
    a double click on it brings its room back with the force field framed."""
    e = s.start(SAMPLE, empty_bottom=False)
    d = e.display
    e.choose(FORCE_FIELD)
    e.click_cell(10, 14)
    e.key("Escape")
    e.wait_cells(10, 14, 1, 1, True, "the force field")
    before = d.visible_windows()
    d.key("F8")
    problems = e.new_window(before, "the Problems window")
    wait_until(lambda: problems.caption() == "Problems - 1 problem", "one problem (%s)" % problems.caption())
    # Out of the way of the main window: nothing manages the windows here.
    d.xdotool("windowmove", "--sync", problems.wid, 1300, 560, check_rc=False)
    frame_at = lambda shot: shot.pixel(CANVAS_LEFT + 10 * CELL - 2, e.cell_rect(0, 14)[1] - 2)  # noqa: E731
    canvas = e.cell_rect(0, 0, 40, 25)
    first_room = e.screenshot().region(*canvas)
    e.key("Next")
    wait_until(lambda: e.screenshot().region(*canvas) != first_room, "another room")
    check(frame_at(e.screenshot()) != YELLOW, "the frame shows before going to the problem")
    px, py, _, _ = problems.geometry()
    d.double_click(px + 30, py + 20)
    wait_until(lambda: frame_at(e.screenshot()) == YELLOW, "the force field framed after the double click")


def scenario_select_copy_paste_keeps_link(s):
    e = s.start(s.castle(CASTLE_SELECT, "castle-select.cas"))
    e.wait_cells(34, 16, 3, 4, True, "the lightning machine")
    framed = lambda: e.screenshot().region(*e.cell_rect(0, 0, 40, 25)).count(ORANGE)  # noqa: E731
    # Shift+drag a block around the switch (4, 18) and the machine (34, 16).
    e.display.xdotool("keydown", "shift")
    try:
        e.drag_cells([(3, 15), (4, 16), (20, 18), (37, 21)])
    finally:
        e.display.xdotool("keyup", "shift")
    wait_until(lambda: framed() > 0, "the selection frames")
    e.display.key("ctrl+c")
    e.display.click(*e.client(225, 11 + 400 + 9 + 12))  # ">": the second room
    e.wait_cells(34, 16, 3, 4, False, "the second room")
    check(framed() == 0, "the selection stayed in the first room")
    # Ctrl+V puts the block's corner (the switch's column, the machine's top
    # row) under the pointer: the switch at (5, 7), the machine at (35, 5).
    e.hover_cell(5, 5)
    e.display.key("ctrl+v")
    e.wait_cells(35, 5, 3, 4, True, "the pasted machine")
    e.wait_cells(5, 7, 1, 2, True, "the pasted switch")
    wait_until(lambda: framed() > 0, "the pasted objects selected")
    s.star()
    objects = s.save()["objects"]
    expect(objects[(1, 5, 7)]["links"], "35,5", "pasted switch links")
    expect(objects[(0, 4, 18)]["links"], "34,16", "original switch links")
    expect(int(objects[(1, 35, 5)]["type"]), 13, "the type at (35, 5) of room 2")


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    program_dir, wanted, failures = os.path.abspath(argv[1]), argv[2:], 0
    work = tempfile.mkdtemp(prefix="gruskwin-")
    display = Display(1920, 1200, work)  # room for the main window at 200% and at ratio 2
    try:
        for name, scenario in [(n[len("scenario_"):], f) for n, f in globals().items() if n.startswith("scenario_")]:
            if wanted and name not in wanted:
                continue
            stage, started = Stage(program_dir, display, work), time.monotonic()
            try:
                scenario(stage)
                print("window: %-36s ok (%.1f s)" % (name, time.monotonic() - started))
            except Exception as error:  # noqa: BLE001 - every failure is reported the same way
                failures += 1
                print("window: %-36s FAILED: %s" % (name, error))
                if not isinstance(error, StageFailure):
                    traceback.print_exc()
                shot = "/tmp/gruskedit-window-%s.png" % name
                if display.run(["import", "-silent", "-window", "root", shot], check_rc=False).returncode == 0:
                    print("window: screenshot in " + shot)
                if stage.editor:
                    print(stage.editor.output())
            finally:
                stage.stop()
    finally:
        display.stop()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
