"""Checks for the Python test scripts: one line per check, a closing line
'N passed, N failed', and the exit status."""
import sys

_passed = 0
_failed = []


def check(ok, what):
    global _passed
    print(('ok    ' if ok else 'FAIL  ') + what)
    if ok:
        _passed += 1
    else:
        _failed.append(what)
    return ok


def finish():
    print('%d passed, %d failed' % (_passed, len(_failed)))
    sys.exit(1 if _failed else 0)
