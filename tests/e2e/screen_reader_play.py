"""Plays a whole game of the real program as a blind player's screen reader would: through
the accessibility tree and its actions alone, reading what the program announces.

Usage: screen_reader_play.py FAST_FILE TRANSCRIPT
  FAST_FILE   created after the first move, which runs at its real pace while every
              question asked of the program is timed; the test's preload makes the
              program's pauses take no time from then on.
  TRANSCRIPT  every announcement heard, one a line.

Prints what it checked; exits 1 with "FAIL: ..." on the first thing that is wrong.
"""

import re
import sys
import time

import pyatspi
from gi.repository import GLib

FAST_FILE, TRANSCRIPT = sys.argv[1], sys.argv[2]
heard = []


def fail(message):
    print("FAIL: " + message)
    with open(TRANSCRIPT, "w") as out:
        out.write("\n".join(heard) + "\n")
    sys.exit(1)


def on_showing(event):
    try:
        if event.detail1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
            heard.append(event.source.name)
    except Exception:  # a notification gone before it was read: it was never heard
        pass


def pump(seconds=0.0):
    context = GLib.MainContext.default()
    deadline = time.time() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.time() >= deadline:
            return
        time.sleep(0.002)


def wait_for(what, test, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        pump()
        found = test()
        if found:
            return found
        time.sleep(0.01)
    fail("no %s within %d s; last heard: %s" % (what, seconds, heard[-3:]))


def program():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "zam":
            return app
    return None


def frame(name):
    app = program()
    for child in app or []:
        if child is not None and child.name == name and child.getState().contains(pyatspi.STATE_SHOWING):
            return child
    return None


def child(parent, name=None, prefix=None):
    for c in parent:
        if c is not None and (c.name == name or (prefix and c.name.startswith(prefix))):
            return c
    fail("%s has no child %s" % (parent.name, name or prefix + "..."))


def act(control):
    actions = control.queryAction()
    if actions.nActions < 1:
        fail("%s offers no action" % control.name)
    actions.doAction(0)


def text(control):
    return control.queryText().getText(0, -1)


def heard_since(count, pattern):
    return next((line for line in heard[count:] if re.match(pattern, line)), None)


pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")

# ---- The title: Start by its action -------------------------------------------------
title = wait_for("title window named apart from the game", lambda: frame("ZAM title"), 30)
if title.getRole() != pyatspi.ROLE_FRAME:
    fail("the title window is a %s, not a frame" % title.getRoleName())
act(child(title, "Start"))
board = wait_for("game window", lambda: frame("ZAM game board"), 10)
if board.getRole() != pyatspi.ROLE_FRAME:
    fail("the game window is a %s, not a frame" % board.getRoleName())
mine = child(board, prefix="You: Score")
theirs = child(board, prefix="ZAM: Score")
if text(mine) != "Score : 0" or text(theirs) != "Score : 0":
    fail("the scores read %r and %r at the start" % (text(mine), text(theirs)))
print("the title and the game window are frames named apart; the scores read 'Score : 0'")

# ---- One move at its real pace, every question timed --------------------------------
piece = child(board, "Your piece 3")
if piece.description != "column 3, row 14":
    fail("the player's piece 3 says it stands at %r" % piece.description)
act(piece)
wait_for("announcement of the chosen piece", lambda: heard_since(0, r"Your piece 3 chosen, column 3, row 14\.$"), 5)
if not piece.getState().contains(pyatspi.STATE_SELECTED):
    fail("the chosen piece is not selected")
before = len(heard)
act(child(board, "Move up"))
longest = 0.0
moved = time.time()
component = piece.queryComponent()
label = mine.queryText()
while not heard_since(before, r"ZAM's piece "):
    for question in (lambda: label.getText(0, -1), lambda: component.getExtents(pyatspi.DESKTOP_COORDS)):
        start = time.time()
        question()
        longest = max(longest, time.time() - start)
    pump()
    if time.time() > moved + 10:
        break
mine_said = heard_since(before, r"Your piece 3 moves up to column 3, row \d+\b.*Next move [1-4]\.")
if not mine_said:
    fail("the player's move was not told: %s" % heard[before:])
if not heard_since(before, r"ZAM's piece \d+ moves (down|up|left|right) to column \d+, row \d+\b.*\.$"):
    fail("the computer's answer was not told: %s" % heard[before:])
if longest > 0.2:
    fail("a question waited %.0f ms during the move's value display" % (longest * 1000))
if piece.getState().contains(pyatspi.STATE_SELECTED):
    fail("the moved piece is still selected")
print("the first move, at its real pace, was told: %r; the longest answer took %.0f ms" % (mine_said, longest * 1000))
open(FAST_FILE, "w").close()


# ---- The rest of the game, fast: each column's piece goes up until it leaves -------
def result():
    return heard_since(0, r"You (Win|Lose)\. Your score \d+, ZAM's score \d+\.$")


moves = 1
for column in range(1, 17):
    piece = child(board, "Your piece %d" % column)
    while not result() and piece.description != "off the board":
        before = len(heard)
        act(piece)
        wait_for("choice of piece %d" % column, lambda: heard_since(before, r"Your piece %d chosen" % column), 5)
        act(child(board, "Move up"))
        wait_for("end of move %d" % (moves + 1), lambda: heard_since(before, r"(ZAM's piece|You Win|You Lose)"), 10)
        moves += 1
    if result():
        break
said = wait_for("result", result, 10)
print("the game ended after %d moves of the player: %r" % (moves, said))

# ---- The end: the result and both scores as the window shows them; OK has the keyboard
win, player, computer = re.match(r"You (Win|Lose)\. Your score (\d+), ZAM's score (\d+)\.", said).groups()
banner = child(board, prefix="Result: ")
if text(banner) != "You %s." % win:
    fail("the result banner reads %r after %r" % (text(banner), said))
if text(mine) != "Score : " + player or text(theirs) != "Score : " + computer:
    fail("the scores read %r and %r after %r" % (text(mine), text(theirs), said))
ok = child(board, "OK")
wait_for("keyboard focus on OK", lambda: ok.getState().contains(pyatspi.STATE_FOCUSED), 5)
print("the banner reads %r, the scores %r and %r, and OK has the keyboard focus" % (text(banner), text(mine), text(theirs)))
with open(TRANSCRIPT, "w") as out:
    out.write("\n".join(heard) + "\n")
