"""Drops files on the running Tamsel32 as a desktop file manager does (X
drag-and-drop), waits for the caption to count them, and prints the
caption and what reached the clipboard, in UTF-8; or, where the program
opened a box after the drop, that a box waits in its window.

Usage: drop_files.py FILE...   (DISPLAY names the display the program is on)"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))   # xdnd
import xdnd  # noqa: E402
from xwindows import find_box, find_main, wait_for, windows  # noqa: E402


def run(*cmd):
    # xclip waits for the clipboard's owner to answer, which one busy
    # starting up may not do at once.
    try:
        return subprocess.run(cmd, capture_output=True, text=True, timeout=5).stdout.strip()
    except subprocess.TimeoutExpired:
        return ''


def main():
    paths = [os.path.abspath(p) for p in sys.argv[1:]]
    wid = find_main(r'Tamsel32( .*-Files)?$', 60)
    if wid is None:
        print('== The Tamsel32 window did not appear')
        return 1
    g = dict(line.split('=') for line in run('xdotool', 'getwindowgeometry', '--shell', str(wid)).splitlines())
    x, y, w, h = int(g['X']), int(g['Y']), int(g['WIDTH']), int(g['HEIGHT'])
    if not xdnd.drop_files(wid, x + w // 2, y + h // 2, paths):
        print('== The window did not take the drop')
        return 1

    def caption():
        return run('xdotool', 'getwindowname', str(wid))

    def box():
        return find_box(wid, None, 0)

    # With "Direct To Clip Board" on, the names reach the clipboard; a box
    # the program opened (names left out, say) waits for the user first.
    expected = '\n'.join('Z:' + p.replace('/', '\\') for p in paths)
    wait_for(lambda: caption().endswith('-Files') or box() is not None, True, 30)
    print('== Caption: ' + caption())
    wait_for(lambda: run('xclip', '-o', '-selection', 'clipboard') == expected or box() is not None, True, 30)
    waiting = box()
    if waiting:
        print('== A box waits in the Tamsel32 window: "%s"; answer it there.'
              % next((n for w, n, _, _ in windows() if w == waiting), ''))
    clip = run('xclip', '-o', '-selection', 'clipboard')
    print('== On the clipboard:')
    print(clip)
    sys.stdout.flush()
    return 0


if __name__ == '__main__':
    sys.exit(main())
