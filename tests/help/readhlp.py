#!/usr/bin/env python3
"""Reads a Windows Help 3.1 file back the way the help viewer does and
checks its structure; raises HelpFileError on anything malformed.

Usage: readhlp.py FILE.HLP    (prints the title and the topic titles)"""
import struct
import sys


class HelpFileError(Exception):
    pass


def need(cond, what):
    if not cond:
        raise HelpFileError(what)


def u16(b, o):
    need(o + 2 <= len(b), 'read past the end at %d' % o)
    return struct.unpack_from('<H', b, o)[0]


def u32(b, o):
    need(o + 4 <= len(b), 'read past the end at %d' % o)
    return struct.unpack_from('<I', b, o)[0]


def cstr(b, o):
    end = b.find(b'\0', o)
    need(end >= 0, 'unterminated string at %d' % o)
    return b[o:end], end + 1


def internal_file(data, offset, name):
    """The data of the internal file whose 9-byte header is at offset."""
    need(16 <= offset < len(data), '%s: header outside the file' % name)
    reserved, used = u32(data, offset), u32(data, offset + 4)
    need(used + 9 <= reserved, '%s: used size %d exceeds reserved %d' % (name, used, reserved))
    need(offset + reserved <= len(data), '%s: runs past the end of the file' % name)
    return data[offset + 9:offset + 9 + used]


def btree_leaves(tree, name, entry):
    """Every entry of a B+ tree, read leaf by leaf through `entry`, which
    takes (page, offset) and returns (value, next offset)."""
    need(len(tree) >= 38 and u16(tree, 0) == 0x293B, '%s: bad B+ tree magic' % name)
    page_size, root, levels, total = u16(tree, 4), u16(tree, 26), u16(tree, 32), u32(tree, 34)
    npages = u16(tree, 30)
    need(page_size >= 16 and levels >= 1, '%s: bad B+ tree header' % name)
    need(38 + npages * page_size <= len(tree), '%s: pages run past the file' % name)
    page = root
    for _ in range(levels - 1):   # down the first entries to the first leaf
        need(page < npages, '%s: page %d out of range' % (name, page))
        page = u16(tree, 38 + page * page_size + 4)
    values, seen = [], set()
    while page != 0xFFFF:
        need(page < npages and page not in seen, '%s: bad leaf chain' % name)
        seen.add(page)
        base = 38 + page * page_size
        at = base + 8
        for _ in range(struct.unpack_from('<h', tree, base + 2)[0]):
            value, at = entry(tree, at)
            need(at <= base + page_size, '%s: entry runs past its page' % name)
            values.append(value)
        page = u16(tree, base + 6)
    need(len(values) == total, '%s: %d entries, header says %d' % (name, len(values), total))
    return values


def paragraph(link, len1, len2, pos, jumps):
    """Checks one display-text record: its settings, one formatting command
    after each text string, the character count.  Collects jump targets.
    Returns the characters it counts."""
    p = 21
    p += 2 if link[p] & 1 == 0 else 4                  # text size
    count = link[p] // 2 if link[p] & 1 == 0 else u16(link, p) // 2
    p += 1 if link[p] & 1 == 0 else 2
    p += 4                                             # paragraph id
    bits = u16(link, p)
    p += 2
    need(bits & 0xE080 == 0, '|TOPIC: unknown paragraph settings at %x' % pos)
    if bits & 0x0001:
        p += 2 if link[p] & 1 == 0 else 4
    for flag in (0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040):
        if bits & flag:
            p += 1 if link[p] & 1 == 0 else 2
    need(not bits & 0x0300, '|TOPIC: borders and tabs are not read here (%x)' % pos)
    texts = link[len1:len1 + len2].split(b'\0')
    need(texts[-1] == b'', '|TOPIC: text not terminated at %x' % pos)
    sizes = {0x80: 3, 0x81: 1, 0x82: 1, 0x83: 1, 0x89: 1, 0x8B: 1, 0x8C: 1,
             0xE0: 5, 0xE1: 5, 0xE2: 5, 0xE3: 5, 0xE6: 5, 0xE7: 5}
    chars = 0
    for text in texts[:-1]:
        need(p < len1, '|TOPIC: more text than formatting at %x' % pos)
        chars += len(text)
        command = link[p]
        if command == 0xFF:
            p += 1
            break
        need(command in sizes, '|TOPIC: unknown formatting %02x at %x' % (command, pos))
        if command in (0x81, 0x82, 0x83, 0x8B, 0x8C):
            chars += 1
        if command >= 0xE0:
            jumps.append(struct.unpack_from('<i', link, p + 1)[0])
        p += sizes[command]
    need(p == len1, '|TOPIC: formatting and text do not match at %x' % pos)
    need(chars == count, '|TOPIC: %d characters, the record says %d, at %x' % (chars, count, pos))
    return count


def read(data):
    """{'title', 'caption', 'contents', 'keywords': {word: [offset]}, 'topics': [(offset, title)], 'files', 'contexts'}"""
    need(len(data) >= 16 and u32(data, 0) == 0x00035F3F, 'not a help file (magic)')
    need(u32(data, 12) == len(data), 'file size in the header is %d, the file %d' % (u32(data, 12), len(data)))
    directory = internal_file(data, u32(data, 4), 'directory')

    def dir_entry(page, at):
        name, at = cstr(page, at)
        return (name.decode('latin-1'), u32(page, at)), at + 4
    names = btree_leaves(directory, 'directory', dir_entry)
    need([n for n, _ in names] == sorted(n for n, _ in names), 'directory not sorted')
    files = {n: internal_file(data, o, n) for n, o in names}
    for required in ('|SYSTEM', '|TOPIC', '|FONT', '|CONTEXT'):
        need(required in files, 'no %s file' % required)

    system = files['|SYSTEM']
    need(u16(system, 0) == 0x036C and u16(system, 4) == 1, '|SYSTEM: bad magic or major version')
    need(u16(system, 2) > 16 and u16(system, 10) == 0, 'only uncompressed 3.1 files are read here')
    title, contents, caption, at = None, None, None, 12
    while at + 4 <= len(system):
        kind, size = u16(system, at), u16(system, at + 2)
        need(at + 4 + size <= len(system), '|SYSTEM: record runs past the end')
        if kind == 1:
            title = cstr(system, at + 4)[0].decode('cp1252')
        elif kind == 3:
            need(size == 4, '|SYSTEM: contents record size')
            contents = u32(system, at + 4)
        elif kind == 6:
            need(size == 90, '|SYSTEM: window record size')
            caption = cstr(system, at + 4 + 21)[0].decode('cp1252')
        at += 4 + size

    font = files['|FONT']
    nfaces, ndesc, face_at, desc_at = struct.unpack_from('<HHHH', font, 0)
    need(nfaces and face_at < desc_at and desc_at + ndesc * 11 <= len(font), '|FONT: bad table')
    for i in range(ndesc):
        need(u16(font, desc_at + i * 11 + 3) < nfaces, '|FONT: descriptor %d names no face' % i)

    # |TOPIC: 4 KB blocks of 12-byte header and data; follow the links.
    topic = files['|TOPIC']
    block_data = 0x1000 - 12
    need(len(topic) % 0x1000 == 0 and topic, '|TOPIC: not whole blocks')
    nblocks = len(topic) // 0x1000
    pos, prev, seen = 0x0C, 0xFFFFFFFF, set()
    topics, chars, block_of_last, jumps = [], 0, 0, []
    while pos != 0xFFFFFFFF:
        need(pos not in seen, '|TOPIC: links loop')
        seen.add(pos)
        block, off = (pos - 12) >> 14, (pos - 12) & 0x3FFF
        need(block < nblocks and off < block_data, '|TOPIC: link position %x out of range' % pos)
        if block != block_of_last:
            chars, block_of_last = 0, block
        base = block * 0x1000 + 12 + off
        size, len2, back, nxt, len1, kind = struct.unpack_from('<IIIIIB', topic, base)
        need(21 <= len1 <= size and off + size <= block_data, '|TOPIC: bad link sizes at %x' % pos)
        need(back == prev, '|TOPIC: link at %x does not point back to %x' % (pos, prev))
        need(size - len1 >= len2, '|TOPIC: compressed text without phrases at %x' % pos)
        link = topic[base:base + size]
        if kind == 2:
            topics.append((block * 0x8000 + chars, link[len1:len1 + len2].decode('cp1252')))
        elif kind == 0x20:
            need(topics, '|TOPIC: text before the first topic')
            chars += paragraph(link, len1, len2, pos, jumps)
        else:
            raise HelpFileError('|TOPIC: unknown record type %x' % kind)
        prev, pos = pos, nxt
    need(topics, '|TOPIC: no topics')
    offsets = [o for o, _ in topics]

    contexts = btree_leaves(files['|CONTEXT'], '|CONTEXT',
                            lambda page, at: (struct.unpack_from('<iI', page, at), at + 8))
    need([h for h, _ in contexts] == sorted(h for h, _ in contexts), '|CONTEXT not sorted')
    for h, o in contexts:
        need(o in offsets, '|CONTEXT: hash %d names no topic' % h)
    need(contents in offsets, 'the contents topic is no topic')

    def keyword(page, at):
        word, at = cstr(page, at)
        count, where = struct.unpack_from('<HI', page, at)
        need(where + 4 * count <= len(files['|KWDATA']), '|KWBTREE: %r points past |KWDATA' % word)
        return (word.decode('cp1252'), list(struct.unpack_from('<%dI' % count, files['|KWDATA'], where))), at + 6
    keywords = dict(btree_leaves(files['|KWBTREE'], '|KWBTREE', keyword)) if '|KWBTREE' in files else {}
    need(all(o in offsets for os_ in keywords.values() for o in os_), '|KWDATA: a keyword names no topic')
    return {'title': title, 'caption': caption, 'contents': contents, 'topics': topics,
            'files': sorted(files), 'contexts': dict(contexts), 'jumps': jumps, 'keywords': keywords}


if __name__ == '__main__':
    try:
        info = read(open(sys.argv[1], 'rb').read())
    except HelpFileError as e:
        sys.exit('malformed: %s' % e)
    print('title: %s' % info['title'])
    print('files: %s' % ' '.join(info['files']))
    for o, t in info['topics']:
        print('%08x %s%s' % (o, t, '   (contents)' if o == info['contents'] else ''))
