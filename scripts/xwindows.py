"""For the run command and the end-to-end test: the windows of Tamsel32
programs on the X display, told apart as Win32 tells them: a main window
is owned by none, a box is a dialog owned by its window.  A caption alone cannot tell them: the main window and its boxes
can both be captioned "Tamsel32".  Waits are deadlines: each returns as
soon as what it waits for comes."""
import re
import time

import Xlib.error
from Xlib import X, Xatom, display

DEADLINE = 30   # the longest a step waits for what it expects

_x = display.Display()


def wait_for(get, want=True, timeout=DEADLINE):
    """Polls get() until it returns want or the time is up; returns the last value."""
    end = time.time() + timeout
    value = get()
    while value != want and time.time() < end:
        time.sleep(0.2)
        value = get()
    return value


def windows():
    """The programs' visible top-level windows: (id, caption, owner id or
    None, is a dialog).  Wine marks an owned window with WM_TRANSIENT_FOR
    and a dialog box (#32770) with the dialog window type."""
    atom = _x.intern_atom
    found = []
    for w in _x.screen().root.query_tree().children:
        try:
            if (w.get_wm_class() or ('', ''))[1] != 'tamsel32.exe' or \
               w.get_attributes().map_state != X.IsViewable:
                continue
            name = w.get_full_property(atom('_NET_WM_NAME'), atom('UTF8_STRING'))
            owner = w.get_full_property(atom('WM_TRANSIENT_FOR'), Xatom.WINDOW)
            kind = w.get_full_property(atom('_NET_WM_WINDOW_TYPE'), Xatom.ATOM)
            found.append((w.id, name.value.decode('utf-8') if name else '',
                          owner.value[0] if owner else None,
                          bool(kind) and atom('_NET_WM_WINDOW_TYPE_DIALOG') in kind.value))
        except Xlib.error.XError:
            continue   # gone meanwhile
    return found


def _poll(pick, timeout):
    end = time.time() + timeout
    while True:
        wid = next((w[0] for w in windows() if pick(*w)), None)
        if wid is not None or time.time() >= end:
            return wid
        time.sleep(0.2)


def find_main(pattern, timeout=DEADLINE):
    """A main window (owned by none) whose caption matches."""
    return _poll(lambda w, name, owner, dialog: owner is None and re.match(pattern, name), timeout)


def find_box(owner, caption=None, timeout=DEADLINE, dialog=True):
    """A dialog box (or, with dialog False, any window) owned by `owner`,
    with this caption when one is given."""
    return _poll(lambda w, name, o, is_dialog: o == owner and (is_dialog or not dialog)
                 and caption in (None, name), timeout)
