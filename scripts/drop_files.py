"""Drops files on the running Tamsel32 as a desktop file manager does (X
drag-and-drop), waits for the caption to count them, and prints the
caption and what reached the clipboard, in UTF-8.

Usage: drop_files.py FILE...   (DISPLAY names the display the program is on)"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))
import xdnd  # noqa: E402


def run(*cmd):
    # xclip waits for the clipboard's owner to answer, which one busy
    # starting up may not do at once.
    try:
        return subprocess.run(cmd, capture_output=True, text=True, timeout=5).stdout.strip()
    except subprocess.TimeoutExpired:
        return ''



def main():
    paths = [os.path.abspath(p) for p in sys.argv[1:]]
    missing = [p for p in paths if not os.path.exists(p)]
    if missing:
        print('== No such file: ' + ', '.join(missing))
    wid = None
    for _ in range(300):
        found = run('xdotool', 'search', '--name', '^Tamsel32( .*-Files)?$').split()
        if found:
            wid = int(found[-1])   # the newest
            break
        time.sleep(0.1)
    if wid is None:
        print('== The Tamsel32 window did not appear')
        return 1
    g = dict(line.split('=') for line in run('xdotool', 'getwindowgeometry', '--shell', str(wid)).splitlines())
    x, y, w, h = int(g['X']), int(g['Y']), int(g['WIDTH']), int(g['HEIGHT'])
    if not xdnd.drop_files(wid, x + w // 2, y + h // 2, paths):
        print('== The window did not take the drop')
        return 1
    caption = ''
    for _ in range(100):
        caption = run('xdotool', 'getwindowname', str(wid))
        if caption.endswith('-Files'):
            break
        time.sleep(0.1)
    # With "Direct To Clip Board" on, the names reach the clipboard.
    expected = '\n'.join('Z:' + p.replace('/', '\\') for p in paths)
    clip = ''
    for _ in range(150):
        clip = run('xclip', '-o', '-selection', 'clipboard')
        if clip == expected:
            break
        time.sleep(0.1)
    print('== Caption: ' + caption)
    print('== On the clipboard:')
    print(clip)
    sys.stdout.flush()
    return 0


if __name__ == '__main__':
    sys.exit(main())
