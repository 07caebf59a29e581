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
EVERY_WINDOWS = {'KERNEL32.DLL', 'USER32.DLL', 'GDI32.DLL', 'SHELL32.DLL', 'COMDLG32.DLL', 'MSVCRT.DLL'}



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
    dlls = [d.upper() for d in re.findall(r'DLL Name: (\S+)', objdump(exe, '-p'))]
    check(set(dlls) <= EVERY_WINDOWS, 'importing only what every Windows has: %s' % ', '.join(dlls))
    check(read(z.read('Tamsel32-1.0/TAMSEL.HLP'))['title'] == 'Tamsel32 Help', 'TAMSEL.HLP reads back')
    check('.debug' not in objdump(exe, '-h'), 'stripped of its debugging sections')
    raw = z.read('Tamsel32-1.0/README.txt')
    check(raw.count(b'\n') == raw.count(b'\r\n') > 0, 'README.txt has CR LF line ends')
    readme = raw.decode('ascii')
    check(all(w in readme for w in ('Save As', 'Copy Option', 'Tamsel32.INI', 'Known limits', 'Messages')),
          'the README covers the commands, the settings, the messages and the limits')

finish()
