#!/usr/bin/env python3
"""The built help file read back by the reader, against its source; and the
reader itself refusing malformed files.

Usage: test_helpfile.py TAMSEL.HLP TAMSEL.txt"""
import os
import re
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, '..'), os.path.join(HERE, '..', '..', 'help')]
from checklist import check, finish  # noqa: E402
from mkhelp import context_hash  # noqa: E402
from readhlp import HelpFileError, read  # noqa: E402


def rejects(data, what):
    try:
        read(bytes(data))
    except HelpFileError as e:
        check(True, 'rejects %s (%s)' % (what, e))
        return
    except Exception as e:  # a crash is no proper rejection
        check(False, 'rejects %s: crashed with %r' % (what, e))
        return
    check(False, 'rejects %s' % what)


def main():
    hlp, source = sys.argv[1], sys.argv[2]
    data = open(hlp, 'rb').read()
    text = open(source, encoding='utf-8').read()
    topics = re.findall(r'^= (\S+) (.+)$', text, re.M)

    info = read(data)
    check(info['title'] == 'Tamsel32 Help', 'title %r' % info['title'])
    check(len(info['topics']) == len(topics), '%d topics, as in the source' % len(info['topics']))
    check([t for _, t in info['topics']] == [t for _, t in topics], 'topic titles in source order')
    check(info['contents'] == info['topics'][0][1] or info['contents'] == info['topics'][0][0],
          'the help opens at the first topic, the index')
    check(info['files'] == ['|CONTEXT', '|FONT', '|SYSTEM', '|TOPIC', '|TTLBTREE'],
          'internal files %s' % info['files'])
    offsets = [o for o, _ in info['topics']]
    check(len(set(offsets)) == len(offsets), 'every topic has its own offset')
    check(all(info['contexts'].get(context_hash(c)) == offsets[n] for n, (c, _) in enumerate(topics)),
          'every context name leads to its topic')
    check(len(info['jumps']) >= len(topics) and all(j in info['contexts'] for j in info['jumps']),
          '%d jumps, each to a topic' % len(info['jumps']))

    # Malformed files.
    bad = bytearray(data)
    bad[0] ^= 0xFF
    rejects(bad, 'a wrong magic number')
    rejects(data[:len(data) // 2], 'a truncated file')
    bad = bytearray(data)
    struct.pack_into('<I', bad, 4, len(data) + 100)
    rejects(bad, 'a directory outside the file')
    directory = struct.unpack_from('<I', data, 4)[0]
    bad = bytearray(data)
    struct.pack_into('<H', bad, directory + 9, 0x1234)
    rejects(bad, 'a directory without the B+ tree magic')
    # The first internal file's used size beyond its reserved size.
    bad = bytearray(data)
    struct.pack_into('<I', bad, 16 + 4, struct.unpack_from('<I', data, 16)[0])
    rejects(bad, 'an internal file larger than its room')
    # A topic link whose next link points back at itself.
    names = {}
    page = directory + 9 + 38 + 8
    for _ in range(5):
        end = data.index(b'\0', page)
        names[data[page:end].decode()] = struct.unpack_from('<I', data, end + 1)[0]
        page = end + 5
    topic = names['|TOPIC'] + 9
    bad = bytearray(data)
    struct.pack_into('<I', bad, topic + 12 + 12, 0x0C)
    rejects(bad, 'topic links that loop')
    bad = bytearray(data)
    struct.pack_into('<I', bad, topic + 12 + 16, 0xFFFF)
    rejects(bad, 'a topic link longer than its block')
    # A paragraph whose character count disagrees with its text.
    bad = bytearray(data)
    second = topic + 12 + struct.unpack_from('<I', data, topic + 12)[0]   # the index's title
    at = second + 21 + 2
    bad[at] = (bad[at] + 2) & 0xFF
    rejects(bad, 'a paragraph that miscounts its characters')
    bad = bytearray(data)
    system = names['|SYSTEM'] + 9
    struct.pack_into('<H', bad, system, 0x1111)
    rejects(bad, 'a |SYSTEM file of another kind')

    finish()


if __name__ == '__main__':
    main()
