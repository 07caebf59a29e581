#!/usr/bin/python3
"""End to end: the built program in a fresh folder under Wine, files dropped
on it from outside through X drag-and-drop, then its caption, its profile,
the clipboard and a screenshot checked from outside Wine, and the list
scrolled with real key presses and wheel clicks, and the command keys
pressed.

Usage: drop_e2e.py TAMSEL32_EXE WORK_DIR
Needs DISPLAY, WINEPREFIX and the Wine environment of the test command."""
import os
import shutil
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, '..'), os.path.join(HERE, '..', '..', 'scripts')]
import xdnd  # noqa: E402
from xwindows import DEADLINE, find_box, find_main, wait_for, windows  # noqa: E402
from checklist import check, finish  # noqa: E402


# Every outside program gets a time limit of its own.
def run(*cmd, timeout=10):
    try:
        out = subprocess.run(cmd, capture_output=True, timeout=timeout).stdout
    except subprocess.TimeoutExpired:
        return ''
    return out.decode('utf-8', 'replace').strip()


def xdotool(*args):
    return run('xdotool', *args)


def clipboard():
    return run('xclip', '-o', '-selection', 'clipboard', timeout=5)


def set_clipboard(data, target='UTF8_STRING'):
    # xclip stays behind to serve the text until another program takes the
    # clipboard: it must not hold CTest's output pipe meanwhile.
    try:
        subprocess.run(['xclip', '-selection', 'clipboard', '-t', target], input=data, timeout=5,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        pass


def seen():
    """What a failed check saw: the windows and the clipboard."""
    return '\n    windows: %s\n    clipboard: %r' % (
        ', '.join('%#x %r%s' % (w, n, ' owned by %#x' % o if o else '') for w, n, o, _ in windows()) or 'none',
        clipboard()[:300])


def expect(ok, what):
    return check(ok, what if ok else what + seen())


def window_name(wid):
    return xdotool('getwindowname', str(wid))


def geometry(wid):
    out = xdotool('getwindowgeometry', '--shell', str(wid))
    g = dict(line.split('=') for line in out.splitlines())
    return int(g['X']), int(g['Y']), int(g['WIDTH']), int(g['HEIGHT'])


def pe_bits(exe):
    """32 or 64: the processor a Windows program is built for."""
    with open(exe, 'rb') as f:
        data = f.read(4096)
    pe = int.from_bytes(data[0x3C:0x40], 'little')
    return {0x14C: 32, 0x8664: 64}.get(int.from_bytes(data[pe + 4:pe + 6], 'little'))


def process_bits(exe):
    """32 or 64: how the Linux process that runs the Windows program `exe`
    is built (the ELF class of its loader); None when none runs.  Wine
    gives such a process the program's path, as a Unix or a DOS path, as
    its first argument.  Where the kernel runs no 32-bit programs, the
    32-bit loader runs inside qemu-i386 (qemu-i386 LOADER PROGRAM ...)."""
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            with open('/proc/%s/cmdline' % pid, 'rb') as f:
                args = f.read().split(b'\0')
            emulated = os.path.basename(args[0]) == b'qemu-i386'
            if args[2 if emulated else 0] not in (exe.encode(), dos_path(exe).encode()):
                continue
            if emulated:
                return 32
            with open('/proc/%s/exe' % pid, 'rb') as f:
                return {1: 32, 2: 64}.get(f.read(5)[4])
        except OSError:
            continue
    return None


def picture(box, out='rgb:-'):
    """The pixels of the screen area box = (x, y, w, h), as raw bytes or
    into the image file `out`."""
    x, y, w, h = box
    try:
        return subprocess.run('xwd -root -silent | convert xwd:- -crop %dx%d+%d+%d +repage %s'
                              % (w, h, x, y, out), shell=True, capture_output=True, timeout=20).stdout
    except subprocess.TimeoutExpired:
        return b''


def until_picture(box, want_top, top, timeout=10):
    """Waits for the window to show the top of the list again (want_top) or
    anything else; True when it did."""
    return wait_for(lambda: (picture(box) == top) == want_top, True, timeout)


def check_scrolling(box, paths):
    """Each sideways key and wheel click moves the list away from its
    top-left, and its counterpart brings it back, pixel for pixel; End and
    Shift+Home choose names as in a list box, and the view follows."""
    x, y, w, h = box
    # A click on the caption activates the window, as a user's would, and
    # chooses no name; the wheel is then turned over the list.
    xdotool('mousemove', str(x + w // 2), str(y + 8), 'click', '1')
    xdotool('mousemove', str(x + w // 2), str(y + h // 2))
    time.sleep(0.3)
    top = picture(box)
    moves = [
        ('Right', 'Left', ['key', 'Right'], ['key', 'Left']),
        ('the wheel turned down', 'up', ['click', '5'], ['click', '4']),
        ('the wheel tilted right', 'left', ['click', '7'], ['click', '6']),
        ('Shift with the wheel', 'back', ['keydown', 'shift', 'click', '5', 'keyup', 'shift'],
         ['keydown', 'shift', 'click', '4', 'keyup', 'shift']),
    ]
    for away_name, back_name, away, back in moves:
        xdotool(*away)
        moved = until_picture(box, False, top)
        xdotool(*back)
        returned = until_picture(box, True, top)
        expect(moved and returned, '%s scrolls the list and %s brings back its top-left' % (away_name, back_name))
    set_clipboard(b'before')
    xdotool('key', 'End', 'ctrl+c')
    expect(until_picture(box, False, top) and clipboard_becomes(paths[-1:]),
           'End selects the last name, the view follows it, and Ctrl+C copies it alone')
    xdotool('key', 'shift+Home')


def check_keys(wid, box, expected):
    """Ctrl+C copies the list (every name selected), F1 opens the help,
    Ctrl+S asks for a file: real key presses on the focused window."""
    x, y, w, h = box
    set_clipboard(b'before')
    xdotool('key', 'ctrl+c')
    expect(clipboard_becomes(expected), 'Ctrl+C copies the list')
    xdotool('key', 'F1')
    help_window = find_box(wid, 'Tamsel32 Help', dialog=False)
    expect(help_window is not None, 'F1 opens the help window')
    if help_window:
        # The program's keys are its main window's: Ctrl+S in the help
        # window (on the program's thread under Wine) saves nothing.
        hx, hy, hw, hh = geometry(help_window)
        xdotool('mousemove', str(hx + hw - 20), str(hy + hh - 20), 'click', '1')
        time.sleep(0.3)
        xdotool('key', 'ctrl+s')
        expect(find_box(wid, 'Save Name', 2) is None, 'Ctrl+S in the help window opens nothing')
    # The main window's caption lies clear of the help window.
    click_then(wid, 'ctrl+s')
    dialog = find_box(wid, 'Save Name')
    expect(dialog is not None, 'Ctrl+S, with no file chosen yet, opens the Save Name dialog')
    if dialog:
        click_then(dialog, 'Escape', dx=2, dy=2)   # an empty corner takes the keyboard


def close_program(wid, proc):
    """Alt+F4 on the main window, pressed again should a busy machine lose
    the key, as a user would; True when the program has ended."""
    for _ in range(3):
        click_then(wid, 'alt+F4')
        try:
            proc.wait(timeout=20)
            return True
        except subprocess.TimeoutExpired:
            pass
    return False


def click_then(wid, *keys, dx=None, dy=8):
    """Clicks the window (its caption by default) and presses keys."""
    x, y, w, _ = geometry(wid)
    xdotool('mousemove', str(x + (w // 2 if dx is None else dx)), str(y + dy), 'click', '1', 'key', *keys)


def clipboard_becomes(paths_or_text):
    expected = paths_or_text if isinstance(paths_or_text, str) else '\n'.join(dos_path(p) for p in paths_or_text)
    return wait_for(clipboard, expected) == expected


def caption_becomes(wid, count, timeout=DEADLINE):
    caption = 'Tamsel32 %d-Files' % count
    return wait_for(lambda: window_name(wid), caption, timeout) == caption


def check_command_line(program, named, yen):
    """Names on the command line, as Send To passes them, are the first list,
    each exactly as given: the yen sign stays itself, never the backslash
    it becomes in code page 932, which would name "report/draft.txt"."""
    proc = subprocess.Popen([os.environ.get('TAMSEL_WINE', 'wine'), program, named, yen],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wid = find_main('Tamsel32')
    expect(wid is not None and caption_becomes(wid, 2) and clipboard_becomes([named, yen])
           and find_box(wid, None, 0) is None, 'the command line gives the first list, copied exactly')
    expect(wid is not None and close_program(wid, proc), 'Alt+F4 ends it')


def check_hand_over(program, paths):
    """Starts with names while a window is open (Send To three times in a
    row, with Add Drops To The List on): each hands its names to the one
    window and ends; no second window opens, and no name is lost."""
    ini = os.path.join(os.path.dirname(program), 'Tamsel32.INI')
    with open(ini, 'wb') as f:
        f.write(b'[Option]\r\nDirect_copy=FALSE\r\nAdd_drops=TRUE\r\n')
    wine = os.environ.get('TAMSEL_WINE', 'wine')
    first = subprocess.Popen([wine, program], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wid = find_main('Tamsel32$')
    starts = [subprocess.Popen([wine, program, p], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) for p in paths]
    ended = True
    for start in starts:
        try:
            start.wait(timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            ended = False
            start.kill()
    mains = [w for w, _, owner, _ in windows() if owner is None]
    expect(wid is not None and caption_becomes(wid, len(paths)) and ended and len(mains) == 1,
           'three starts with names hand them all to the one open window, and end')
    if wid:
        close_program(wid, first)
    os.remove(ini)


def check_paste(wid, paths):
    """Files copied in a file manager (text/uri-list on the X clipboard, a
    drop block to Wine): Ctrl+V takes them, and their names replace them."""
    set_clipboard(''.join(xdnd.file_uri(p) + '\r\n' for p in paths).encode('utf-8'), 'text/uri-list')
    # Wine learns of the X clipboard's new owner a moment later, longer on
    # a busy machine; until then Paste is gray and Ctrl+V does nothing, as
    # for a user, who presses it again.
    end = time.time() + DEADLINE
    taken = False
    while not taken and time.time() < end:
        click_then(wid, 'ctrl+v')
        taken = caption_becomes(wid, len(paths), 3)
    expect(taken and clipboard_becomes(paths), 'Ctrl+V takes files copied in a file manager')


def check_run_command(paths):
    """The README's run command: given files, it prints what reached the
    clipboard; on a display that cannot be opened, or with a file that does
    not exist, it says so and fails."""
    script = os.path.join(HERE, '..', '..', 'scripts', 'run.sh')
    bad = subprocess.run(['bash', script], env=dict(os.environ, DISPLAY=':4242'), capture_output=True, text=True,
                         timeout=120)
    expect(bad.returncode != 0 and 'cannot be opened' in bad.stderr, 'run.sh on a display that cannot be opened says so')
    bad = subprocess.run(['bash', script, paths[0], paths[0] + '.none'], capture_output=True, text=True, timeout=20)
    expect(bad.returncode != 0 and paths[0] + '.none' in bad.stderr and not find_main('Tamsel32', 1),
           'run.sh with a file that does not exist names it and starts nothing')
    # Another owner first, as in the other steps: Wine then sees that it lost
    # the clipboard and takes it again for the new program's copy.
    set_clipboard(b'before')
    proc = subprocess.Popen(['bash', script] + paths, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            start_new_session=True)
    lines = []   # read aside: run.sh goes on while the program runs
    threading.Thread(target=lambda: [lines.append(line.rstrip('\n')) for line in proc.stdout], daemon=True).start()
    printed = wait_for(lambda: all(dos_path(p) in lines for p in paths), True, 120)
    expect(printed, 'run.sh with two files prints their names from the clipboard'
           + ('' if printed else ':\n    ' + '\n    '.join(lines[-12:])))
    wid = find_main('Tamsel32 [0-9]', 5)
    if wid:
        click_then(wid, 'alt+F4')
    try:
        expect(proc.wait(timeout=DEADLINE) == 0, 'and ends when its window closes')
    except subprocess.TimeoutExpired:
        expect(False, 'and ends when its window closes')
        os.killpg(proc.pid, 9)


def dos_path(unix_path):
    return 'Z:' + unix_path.replace('/', '\\')


def main():
    exe, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    app = os.path.join(work, 'app')
    files = os.path.join(work, 'files')
    os.makedirs(app)
    os.makedirs(files)
    shutil.copy(exe, os.path.join(app, 'Tamsel32.exe'))
    shutil.copy(os.path.join(os.path.dirname(exe), 'TAMSEL.CHM'), app)
    names = ['report.txt', 'read me.txt', '表データ.csv'] + [
        'section %02d of the yearly report, final version.txt' % i for i in range(1, 18)]
    paths = []
    for n in names:
        p = os.path.join(files, n)
        open(p, 'w').close()
        paths.append(p)

    program = os.path.join(app, 'Tamsel32.exe')
    yen = os.path.join(files, 'report¥draft.txt')   # with "report/draft.txt" beside it
    open(yen, 'w').close()
    os.makedirs(os.path.join(files, 'report'))
    open(os.path.join(files, 'report', 'draft.txt'), 'w').close()
    check_command_line(program, paths[0], yen)
    os.remove(os.path.join(app, 'Tamsel32.INI'))

    proc = subprocess.Popen([os.environ.get('TAMSEL_WINE', 'wine'), program],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wid = find_main('Tamsel32$')
        if not expect(wid is not None, 'the main window appears'):
            return
        bits = pe_bits(exe)
        expect(process_bits(program) == bits, 'the program runs as a %s-bit process' % bits)
        ini = os.path.join(app, 'Tamsel32.INI')
        expect(os.path.exists(ini), 'the first start writes Tamsel32.INI beside the executable')
        if os.path.exists(ini):
            text = open(ini, 'rb').read().decode('cp932')
            expect('[WindowSize]' in text and 'Direct_copy=TRUE' in text and 'FontFace=System' in text,
                   'the profile holds the three sections')
        x, y, w, h = geometry(wid)
        expect((w, h) == (280, 200), 'the window is 280 x 200 (%d x %d)' % (w, h))

        # Ctrl+C on the empty list: its menu item is gray, so nothing happens.
        xdotool('mousemove', str(x + w // 2), str(y + h // 2), 'click', '1', 'key', 'ctrl+c')
        expect(find_box(wid, 'FILE NAME COPY', 2) is None, 'Ctrl+C does nothing while NameCopy is gray')

        set_clipboard(b'before')
        ok = xdnd.drop_files(wid, x + w // 2, y + h // 2, paths)
        expect(ok, 'the window takes the drop and finishes it')
        expect(caption_becomes(wid, 20), 'caption after the drop is Tamsel32 20-Files')
        expect(clipboard_becomes(paths), 'the clipboard holds the %d dropped paths' % len(paths))

        shot = os.path.join(work, 'screenshot.png')
        picture((x, y, w, h), shot)
        # Ink in the list area: the names are drawn in black on white.
        dark = run('convert', shot, '-crop', '%dx%d+8+50' % (w - 30, h - 80), '+repage',
                   '-threshold', '50%', '-negate', '-format', '%[fx:mean*w*h]', 'info:')
        expect(float(dark or 0) > 150, 'the names are drawn in the window (%s dark pixels); see %s' % (dark, shot))

        check_scrolling((x, y, w, h), paths)
        check_keys(wid, (x, y, w, h), paths)
        check_paste(wid, paths[:2])
        expect(close_program(wid, proc), 'Alt+F4 ends it')
        check_run_command(paths[1:3])
        check_hand_over(program, paths[3:6])
    finally:
        xdotool('search', '--class', 'tamsel32.exe', 'windowclose')
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()


if __name__ == '__main__':
    main()
    finish()
