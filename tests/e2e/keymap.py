#!/usr/bin/python3
"""Puts the Swedish letters on spare keys of the X keyboard map, as a Swedish keyboard has them.

Without them xdotool borrows a key for each letter and gives it back at once, and a program
that reads the map in between (Wine does at start and on every change) sees a plain key: the
letter is lost. Run before the program starts; a second run changes nothing. It prints
"ready" and then stays connected until it is ended: the X server would otherwise go back to its
first map as soon as its last client leaves.
"""
import signal
import sys

from Xlib import XK, display

LETTERS = [("aring", "Aring"), ("adiaeresis", "Adiaeresis"), ("odiaeresis", "Odiaeresis"),
           ("eacute", "Eacute"), ("udiaeresis", "Udiaeresis")]


def main():
    """Adds the letters that are missing; returns the open connection."""
    d = display.Display()
    first = d.display.info.min_keycode
    count = d.display.info.max_keycode - first + 1
    mapping = d.get_keyboard_mapping(first, count)
    present = {sym for row in mapping for sym in row if sym}
    # code 8 is left alone: some programs take it for no key at all
    spare = [first + i for i, row in enumerate(mapping) if not any(row) and first + i > 8]
    # a handful of spare codes is taken; plenty stay free for xdotool to borrow for other signs
    for lower, upper in LETTERS:
        pair = [XK.string_to_keysym(lower), XK.string_to_keysym(upper)]
        if pair[0] in present or not spare:
            continue
        code = spare.pop(0)
        d.change_keyboard_mapping(code, [pair + [0] * (len(mapping[0]) - 2)])
    d.sync()
    return d


if __name__ == "__main__":
    connection = main()
    print("ready", flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    signal.pause()
