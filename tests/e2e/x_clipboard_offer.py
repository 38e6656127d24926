#!/usr/bin/env python3
"""Offers the X CLIPBOARD selection under several targets at once, as a native Linux program
does when it copies (xclip offers one target per process).

    x_clipboard_offer.py [SECONDS] < offer.json

Standard input holds a JSON object {target: data}, in the order TARGETS lists them (TARGETS
first unless it is among them): data is a text (sent as UTF-8), {"hex": "..."} for bytes, or
null for a target that is listed but refused when asked for, as toolkits list SAVE_TARGETS,
TIMESTAMP, DELETE and the like. So the exact target list of a given program can be offered.
Prints "owner" once it holds the selection, or "skip: REASON" when there is no libX11 or no
display, and ends when another program takes the selection or after SECONDS (default 30).
Only the standard library: ctypes on the system's libX11.
"""
import ctypes
import ctypes.util
import json
import select
import sys
import time

SELECTION_CLEAR, SELECTION_REQUEST = 29, 30
SELECTION_NOTIFY = 31
XA_ATOM = 4
PROP_MODE_REPLACE = 0
NONE = 0

Window = Atom = Time = ctypes.c_ulong


class XSelectionRequestEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("owner", Window), ("requestor", Window),
                ("selection", Atom), ("target", Atom), ("property", Atom), ("time", Time)]


class XSelectionEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("requestor", Window), ("selection", Atom),
                ("target", Atom), ("property", Atom), ("time", Time)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xselectionrequest", XSelectionRequestEvent),
                ("xselection", XSelectionEvent), ("pad", ctypes.c_long * 24)]


def load_x11():
    for name in ("libX11.so.6", ctypes.util.find_library("X11")):
        if not name:
            continue
        try:
            x = ctypes.CDLL(name)
        except OSError:
            continue
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = Window
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XCreateSimpleWindow.restype = Window
        x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
        x.XInternAtom.restype = Atom
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XSetSelectionOwner.argtypes = [ctypes.c_void_p, Atom, Window, Time]
        x.XGetSelectionOwner.restype = Window
        x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, Atom]
        x.XChangeProperty.argtypes = [ctypes.c_void_p, Window, Atom, Atom, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_void_p, ctypes.c_int]
        x.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        return x
    return None


def say(line):
    print(line, flush=True)


def answer(x, display, request, targets, offers, targets_atom):
    """Puts the requested data on the requestor's property and tells it so; a target without
    data gets the refusal ICCCM asks for (property None)."""
    prop = request.property or request.target  # obsolete requestors name no property
    if request.target == targets_atom:
        atoms = (Atom * len(targets))(*targets)
        x.XChangeProperty(display, request.requestor, prop, XA_ATOM, 32, PROP_MODE_REPLACE, atoms, len(atoms))
    elif offers.get(request.target) is not None:
        data = offers[request.target]
        x.XChangeProperty(display, request.requestor, prop, request.target, 8, PROP_MODE_REPLACE, data, len(data))
    else:
        prop = NONE
    reply = XEvent()
    reply.xselection.type = SELECTION_NOTIFY
    reply.xselection.requestor = request.requestor
    reply.xselection.selection = request.selection
    reply.xselection.target = request.target
    reply.xselection.property = prop
    reply.xselection.time = request.time
    x.XSendEvent(display, request.requestor, 0, 0, ctypes.byref(reply))
    x.XFlush(display)


def data_of(value):
    if value is None:
        return None
    if isinstance(value, dict):
        return bytes.fromhex(value["hex"])
    return value.encode("utf-8")


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 30.0
    given = json.load(sys.stdin)
    x = load_x11()
    if x is None:
        say("skip: no libX11")
        return 0
    display = x.XOpenDisplay(None)
    if not display:
        say("skip: no X display")
        return 0
    clipboard = x.XInternAtom(display, b"CLIPBOARD", 0)
    targets_atom = x.XInternAtom(display, b"TARGETS", 0)
    offers = {x.XInternAtom(display, name.encode(), 0): data_of(value) for name, value in given.items()}
    targets = list(offers) if targets_atom in offers else [targets_atom, *offers]
    window = x.XCreateSimpleWindow(display, x.XDefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)
    x.XSetSelectionOwner(display, clipboard, window, 0)
    if x.XGetSelectionOwner(display, clipboard) != window:
        say("skip: the selection was refused")
        return 1
    say("owner")
    deadline = time.monotonic() + seconds
    event = XEvent()
    connection = x.XConnectionNumber(display)
    try:
        while True:
            while x.XPending(display):
                x.XNextEvent(display, ctypes.byref(event))
                if event.type == SELECTION_CLEAR:
                    return 0
                if event.type == SELECTION_REQUEST:
                    answer(x, display, event.xselectionrequest, targets, offers, targets_atom)
            left = deadline - time.monotonic()
            if left <= 0:
                return 0
            select.select([connection], [], [], left)
    finally:
        x.XCloseDisplay(display)


if __name__ == "__main__":
    sys.exit(main())
