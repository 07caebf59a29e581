#!/usr/bin/env python3
"""The built help files read back against their source: TAMSEL.HLP by the
reader, which also refuses malformed files, and TAMSEL.CHM by chmls.

Usage: test_helpfile.py TAMSEL.HLP TAMSEL.CHM TAMSEL.txt"""
import os
import re
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, '..'), os.path.join(HERE, '..', '..', 'help')]
from checklist import check, finish  # noqa: E402
from mkchm import sitemap_value  # noqa: E402
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


def as_html_help_reads(value):
    """A sitemap value as HTML Help shows it: the named entities decoded,
    any other (a numeric one) left as it stands."""
    return re.sub(r'&(amp|lt|gt|quot);', lambda m: {'amp': '&', 'lt': '<', 'gt': '>', 'quot': '"'}[m.group(1)], value)


def sitemap(path):
    """[(name, [page])] of a contents or index file, in its order."""
    text = open(path, encoding='utf-8').read()
    return [(as_html_help_reads(re.search(r'name="Name" value="([^"]*)"', o).group(1)),
             re.findall(r'name="Local" value="([^"]*)"', o))
            for o in re.findall(r'<object type="text/sitemap">(.*?)</object>', text, re.S)]


def check_chm(chm, words, topics):
    out = tempfile.mkdtemp()
    subprocess.run(['chmls', 'extractall', chm, out], check=True, capture_output=True)
    system = subprocess.run(['chmls', 'printsystem', chm], capture_output=True, text=True).stdout
    windows = subprocess.run(['chmls', 'printwindows', chm], capture_output=True, text=True).stdout
    check(re.search(r'Title from \[options\]\s*:Tamsel32 Help', system) is not None, 'the CHM is titled')
    check(re.search(r'Default topic from \[options\]\s*:index.htm', system) is not None, 'it opens at the index')
    check(re.search(r'search is on\s*:\s*1', system) is not None, 'it has full-text search')
    check(re.search(r'navigation pane styles\s*:\s*00000520', windows) is not None
          and 'Title Bar Text                            : Tamsel32 Help' in windows,
          'its window "Tamsel32 Help" has the Contents, Index and Search tabs')
    pages = {f for f in os.listdir(out) if f.endswith('.htm')}
    check(pages == {c + '.htm' for c, _ in topics}, 'one page per topic')
    title = 'A "folder\'s" <contents> & more'
    check(as_html_help_reads(sitemap_value(title)) == title, 'a title with \' " < & reads right in the help')
    contents = sitemap(os.path.join(out, 'TAMSEL.hhc'))
    check(contents == [(t, [c + '.htm']) for c, t in topics], 'the contents list the topics in order')
    index = {name: targets for name, targets in sitemap(os.path.join(out, 'TAMSEL.hhk'))}
    check(all(c + '.htm' in index.get(w, []) for w, c in words),
          'the CHM\'s index holds them too')
    links, plain = [], True
    for p in pages:
        body = open(os.path.join(out, p), encoding='utf-8').read()
        links += re.findall(r'href="([^"]*)"', body)
        plain &= 'charset=utf-8' in body and not re.search(r'(src=|url\(|href="[a-z]*:?//)', body.split('<body>')[1])
    check(len(links) >= len(topics) and all(link in pages for link in links),
          '%d links, each to a page of the file' % len(links))
    check(plain, 'every page states its charset and loads nothing from outside')


def main():
    hlp, chm, source = sys.argv[1], sys.argv[2], sys.argv[3]
    data = open(hlp, 'rb').read()
    text = open(source, encoding='utf-8').read()
    topics = re.findall(r'^= (\S+) (.+)$', text, re.M)

    info = read(data)
    check(info['title'] == info['caption'] == 'Tamsel32 Help', 'title %r, window caption %r' % (info['title'], info['caption']))
    check(len(info['topics']) == len(topics), '%d topics, as in the source' % len(info['topics']))
    check([t for _, t in info['topics']] == [t for _, t in topics], 'topic titles in source order')
    check(info['contents'] == info['topics'][0][1] or info['contents'] == info['topics'][0][0],
          'the help opens at the first topic, the index')
    check(info['files'] == ['|CONTEXT', '|FONT', '|KWBTREE', '|KWDATA', '|SYSTEM', '|TOPIC', '|TTLBTREE'],
          'internal files %s' % info['files'])
    offsets = [o for o, _ in info['topics']]
    check(len(set(offsets)) == len(offsets), 'every topic has its own offset')
    check(all(info['contexts'].get(context_hash(c)) == offsets[n] for n, (c, _) in enumerate(topics)),
          'every context name leads to its topic')
    check(len(info['jumps']) >= len(topics) and all(j in info['contexts'] for j in info['jumps']),
          '%d jumps, each to a topic' % len(info['jumps']))

    # The index keywords: each topic's title and its "K" words.
    words = [(t, c) for c, t in topics] + [
        (w.strip(), c) for c, ks in re.findall(r'^= (\S+) .+\n(?:K (.+))?', text, re.M) for w in ks.split(';') if w.strip()]
    at = {c: offsets[n] for n, (c, _) in enumerate(topics)}
    check(len(words) > len(topics) and all(at[c] in info['keywords'].get(w, []) for w, c in words),
          'the HLP\'s index holds the source\'s %d keywords' % len(words))
    check_chm(chm, words, topics)

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
    for _ in range(len(info['files'])):
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
