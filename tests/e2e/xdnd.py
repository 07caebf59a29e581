"""A minimal XDND drag source: drops a list of files on an X window the way
a desktop file manager does (text/uri-list), answering the target's
selection requests while the drag lasts."""
import time
import urllib.parse

from Xlib import X, Xatom, display, protocol


def file_uri(path):
    return 'file://' + urllib.parse.quote(path)


def drop_files(target, x, y, paths, timeout=10.0):
    """Drags `paths` onto X window `target` at root position (x, y).
    Returns True when the target finished the drop and accepted it."""
    d = display.Display()
    root = d.screen().root
    atom = lambda name: d.intern_atom(name)
    a_aware, a_enter, a_position = atom('XdndAware'), atom('XdndEnter'), atom('XdndPosition')
    a_status, a_drop, a_finished = atom('XdndStatus'), atom('XdndDrop'), atom('XdndFinished')
    a_selection, a_copy = atom('XdndSelection'), atom('XdndActionCopy')
    a_urilist = atom('text/uri-list')
    payload = ''.join(file_uri(p) + '\r\n' for p in paths).encode('utf-8')

    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(a_selection, X.CurrentTime)
    target_win = d.create_resource_object('window', target)
    aware = target_win.get_full_property(a_aware, Xatom.ATOM)
    version = min(5, aware.value[0]) if aware else 5

    def send(kind, data):
        ev = protocol.event.ClientMessage(window=target_win, client_type=kind,
                                          data=(32, data))
        target_win.send_event(ev)
        d.flush()

    def answer(ev):
        # The target converts XdndSelection to text/uri-list.
        if ev.type == X.SelectionRequest:
            prop = ev.property or ev.target
            if ev.target == a_urilist:
                ev.requestor.change_property(prop, a_urilist, 8, payload)
            else:
                prop = X.NONE
            notify = protocol.event.SelectionNotify(time=ev.time, requestor=ev.requestor,
                                                    selection=ev.selection, target=ev.target,
                                                    property=prop)
            ev.requestor.send_event(notify)
            d.flush()

    def wait_for(kind):
        end = time.time() + timeout
        while time.time() < end:
            while d.pending_events():
                ev = d.next_event()
                answer(ev)
                if ev.type == X.ClientMessage and ev.client_type == kind:
                    return ev
            time.sleep(0.01)
        return None

    send(a_enter, [source.id, version << 24, a_urilist, 0, 0])
    send(a_position, [source.id, 0, (x << 16) | y, X.CurrentTime, a_copy])
    status = wait_for(a_status)
    accepted = bool(status and status.data[1][1] & 1)
    if not accepted:
        return False
    send(a_drop, [source.id, 0, X.CurrentTime, 0, 0])
    finished = wait_for(a_finished)
    source.destroy()
    d.close()
    return finished is not None
