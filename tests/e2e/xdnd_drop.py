#!/usr/bin/python3
"""Drops files onto the X window under a screen point, as a file manager does (XDND).

    xdnd_drop.py X Y FILE...

Offers the files as text/uri-list, answers the target's requests for the data, and ends when
the target reports the drop finished. Exit code 0 when the drop was accepted and finished,
1 when the target refused it or did not answer, 2 on wrong arguments.
"""
import os
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event

XDND_VERSION = 5
TIMEOUT = 10.0


def uri_list(paths):
    lines = ["file://" + urllib.parse.quote(os.path.abspath(p)) for p in paths]
    return ("\r\n".join(lines) + "\r\n").encode()


def window_at(d, x, y):
    """The deepest window at the point that says it takes XDND drops."""
    aware = d.intern_atom("XdndAware")
    root = d.screen().root
    window, found = root, None
    while True:
        if window != root and window.get_full_property(aware, X.AnyPropertyType):
            found = window
        child = window.translate_coords(root, x, y).child
        if not child or child == X.NONE:
            return found
        window = child


class Source:
    def __init__(self, d, target, x, y, data):
        self.d = d
        self.target = target
        self.x, self.y = x, y
        self.data = data
        self.atom = {n: d.intern_atom(n) for n in (
            "XdndEnter", "XdndPosition", "XdndStatus", "XdndDrop", "XdndFinished", "XdndLeave",
            "XdndSelection", "XdndActionCopy", "XdndTypeList", "text/uri-list", "TARGETS")}
        self.window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent,
                                                      X.InputOnly, X.CopyFromParent)
        self.accepted = False
        self.status_seen = False
        self.finished = False

    def send(self, name, l1=0, l2=0, l3=0, l4=0):
        message = event.ClientMessage(window=self.target, client_type=self.atom[name],
                                      data=(32, [self.window.id, l1, l2, l3, l4]))
        self.target.send_event(message, event_mask=0)
        self.d.flush()

    def answer_request(self, request):
        prop = request.property if request.property != X.NONE else request.target
        if request.target == self.atom["text/uri-list"]:
            request.requestor.change_property(prop, request.target, 8, self.data)
        elif request.target == self.atom["TARGETS"]:
            request.requestor.change_property(prop, Xatom.ATOM, 32, [self.atom["text/uri-list"]])
        else:
            prop = X.NONE
        notify = event.SelectionNotify(time=request.time, requestor=request.requestor,
                                       selection=request.selection, target=request.target,
                                       property=prop)
        request.requestor.send_event(notify)
        self.d.flush()

    def pump(self, until, seconds=TIMEOUT):
        """Handles events until the condition holds or the time is up."""
        end = time.time() + seconds
        while not until() and time.time() < end:
            if not self.d.pending_events():
                time.sleep(0.01)
                continue
            e = self.d.next_event()
            if e.type == X.SelectionRequest:
                self.answer_request(e)
            elif e.type == X.ClientMessage and e.client_type == self.atom["XdndStatus"]:
                self.accepted = bool(e.data[1][1] & 1)
                self.status_seen = True
            elif e.type == X.ClientMessage and e.client_type == self.atom["XdndFinished"]:
                self.finished = True
        return until()

    def drop(self):
        self.window.set_selection_owner(self.atom["XdndSelection"], X.CurrentTime)
        self.window.change_property(self.atom["XdndTypeList"], Xatom.ATOM, 32,
                                    [self.atom["text/uri-list"]])
        self.send("XdndEnter", XDND_VERSION << 24, self.atom["text/uri-list"])
        self.send("XdndPosition", 0, (self.x << 16) | self.y, X.CurrentTime,
                  self.atom["XdndActionCopy"])
        if not self.pump(lambda: self.status_seen) or not self.accepted:
            self.send("XdndLeave")
            return False
        self.send("XdndDrop", 0, X.CurrentTime)
        return self.pump(lambda: self.finished)


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    x, y = int(argv[1]), int(argv[2])
    d = display.Display()
    target = window_at(d, x, y)
    if target is None:
        print("no window that takes drops at %d,%d" % (x, y), file=sys.stderr)
        return 1
    source = Source(d, target, x, y, uri_list(argv[3:]))
    ok = source.drop()
    if not ok:
        print("the drop was %s" % ("not finished" if source.accepted else "refused"), file=sys.stderr)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
