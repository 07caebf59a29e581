#!/usr/bin/env python3
"""Lists a build's package and checks that it holds the program the suite
tested, for that build's processor.

Usage: test_package.py Tamsel32-1.0.zip TESTED_Tamsel32.exe i686|x86_64"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, '..')]
from checklist import check, finish  # noqa: E402
from readhlp import read  # noqa: E402

MACHINES = {'i686': (0x14C, '32-bit x86'), 'x86_64': (0x8664, 'x86-64')}
# What every 32-bit Windows has; anything newer is loaded at run time.
# (Windows 95 has COMCTL32 and OLE32 as well.)
EVERY_WINDOWS = {'KERNEL32.DLL', 'USER32.DLL', 'GDI32.DLL', 'SHELL32.DLL', 'COMDLG32.DLL', 'MSVCRT.DLL',
                 'COMCTL32.DLL', 'OLE32.DLL'}
# What those three gave by name on Windows 95 and NT 4: the shell's ID
# list functions, for one, had numbers only until Windows 2000.
BY_NAME_ON_95 = {'SHELL32.DLL': {'DragAcceptFiles', 'DragFinish', 'DragQueryFileA', 'DragQueryFileW', 'ShellExecuteA',
                                 'ShellExecuteW', 'ExtractIconA', 'SHGetFileInfoA'},
                 'COMCTL32.DLL': {'InitCommonControls'},
                 'OLE32.DLL': {'OleInitialize', 'OleUninitialize', 'DoDragDrop', 'RegisterDragDrop', 'RevokeDragDrop',
                               'ReleaseStgMedium', 'CoTaskMemFree'}}


def imports(dump):
    """{DLL: names imported from it} from objdump -p."""
    found, dll = {}, None
    for line in dump.splitlines():
        m = re.match(r'\s*DLL Name: (\S+)', line)
        if m:
            dll = m.group(1).upper()
            found[dll] = set()
            continue
        m = re.match(r'\s*[0-9a-f]+\s+\d+\s+(\w+)$', line)
        if dll and m:
            found[dll].add(m.group(1))
    return found



def objdump(exe, flag):
    """objdump's account of a PE file: -p its headers and imports, -h its sections."""
    with tempfile.NamedTemporaryFile(suffix='.exe') as f:
        f.write(exe)
        f.flush()
        return subprocess.run(['x86_64-w64-mingw32-objdump', flag, f.name], capture_output=True, text=True).stdout
machine, machine_name = MACHINES[sys.argv[3]]

with zipfile.ZipFile(sys.argv[1]) as z:
    names = sorted(i.filename for i in z.infolist() if not i.filename.endswith('/'))
    for n in names:
        print('      %8d  %s' % (z.getinfo(n).file_size, n))
    check(names == ['Tamsel32-1.0/README.txt', 'Tamsel32-1.0/TAMSEL.CHM', 'Tamsel32-1.0/TAMSEL.HLP',
                    'Tamsel32-1.0/Tamsel32.exe'],
          'the program, its two help files and the README, in one folder')
    exe = z.read('Tamsel32-1.0/Tamsel32.exe')
    pe = struct.unpack_from('<I', exe, 0x3C)[0]
    check(exe[:2] == b'MZ' and exe[pe:pe + 4] == b'PE\0\0', 'Tamsel32.exe is a Windows program')
    check(struct.unpack_from('<H', exe, pe + 4)[0] == machine, 'for ' + machine_name)
    with open(sys.argv[2], 'rb') as tested:
        check(exe == tested.read(), 'the very program the suite tested (%s)' % sys.argv[2])
    check(struct.unpack_from('<H', exe, pe + 24 + 68)[0] == 2, 'with a window (GUI subsystem)')
    found = imports(objdump(exe, '-p'))
    check(set(found) <= EVERY_WINDOWS, 'importing only what every Windows has: %s' % ', '.join(sorted(found)))
    late = {n for dll, names in BY_NAME_ON_95.items() for n in found.get(dll, set()) - names}
    check(not late, 'and from the shell, the common controls and OLE only what Windows 95 gave by name: %s'
          % ', '.join(sorted(late)))
    check(read(z.read('Tamsel32-1.0/TAMSEL.HLP'))['title'] == 'Tamsel32 Help', 'TAMSEL.HLP reads back')
    check('.debug' not in objdump(exe, '-h'), 'stripped of its debugging sections')
    raw = z.read('Tamsel32-1.0/README.txt')
    check(raw.count(b'\n') == raw.count(b'\r\n') > 0, 'README.txt has CR LF line ends')
    readme = raw.decode('ascii')
    check(all(w in readme for w in ('Save As', 'Copy Option', 'Tamsel32.INI', 'Known limits', 'Messages')),
          'the README covers the commands, the settings, the messages and the limits')

finish()
