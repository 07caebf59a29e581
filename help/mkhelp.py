#!/usr/bin/env python3
"""Builds a Windows Help 3.1 file (.HLP) from the plain-text source beside it.

Usage: mkhelp.py SOURCE.txt OUTPUT.HLP

Only what the help needs is written: uncompressed topic text in two fonts,
jumps between topics, the topic titles and the context names.  Layout of
the file, all numbers little-endian:

  header       magic 0x00035F3F, directory offset, -1, file size
  internal files, each a 9-byte header (reserved size, used size, flags)
  followed by its data:
    |SYSTEM    version 3.1 header and records: title, contents topic, the
               main window with the title as its caption
    |FONT      face names and font descriptors
    |TOPIC     4 KB blocks, each a 12-byte block header and topic links
    |CONTEXT   B+ tree: context-name hash -> topic offset
    |TTLBTREE  B+ tree: topic offset -> topic title
    |KWBTREE   B+ tree: index keyword -> its count of topics and where in
               |KWDATA their offsets begin
    |KWDATA    the topic offsets of the keywords, one after another
  directory    B+ tree: internal file name -> offset of its header
"""
import re
import struct
import sys

BLOCK = 0x1000          # topic block size for uncompressed 3.1 files
BLOCK_DATA = BLOCK - 12


def context_hash(name):
    """The help system's hash of a context name (32-bit, signed)."""
    h = 0
    for c in name:
        x = 0
        if 'A' <= c <= 'Z':
            x = ord(c) - ord('A') + 17
        elif 'a' <= c <= 'z':
            x = ord(c) - ord('a') + 17
        elif '1' <= c <= '9':
            x = ord(c) - ord('0')
        elif c == '0':
            x = 10
        elif c == '.':
            x = 12
        elif c == '_':
            x = 13
        if x:
            h = (h * 43 + x) & 0xFFFFFFFF
    return h - (1 << 32) if h & 0x80000000 else h


def clong(v):
    """Compressed unsigned long: 2 bytes for small values, else 4."""
    return struct.pack('<H', v * 2) if v < 0x4000 else struct.pack('<I', v * 2 + 1)


def cushort(v):
    """Compressed unsigned short: 1 byte for small values, else 2."""
    return struct.pack('<B', v * 2) if v < 0x80 else struct.pack('<H', v * 2 + 1)


def cshort(v):
    """Compressed signed short: 1 byte (biased by 0x80) or 2 (by 0x8000)."""
    return struct.pack('<B', 0x80 + v * 2) if -64 <= v < 64 else struct.pack('<H', 0x8000 + v * 2 + 1)


def parse(source):
    """[(context, title, [paragraph text])] from the source text."""
    topics = []
    para = []

    def flush():
        if para and topics:
            topics[-1][2].append(' '.join(para))
        para.clear()

    for line in source.splitlines():
        if line.startswith('#') or line.startswith('K '):   # comments; index keywords
            continue
        if line.startswith('= '):
            flush()
            context, title = line[2:].split(' ', 1)
            topics.append((context, title.strip(), []))
        elif line.strip():
            para.append(line.strip())
        else:
            flush()
    flush()
    names = [t[0] for t in topics]
    for _, _, paras in topics:
        for p in paras:
            for target in re.findall(r'\{[^|}]*\|([^}]*)\}', p):
                if target not in names:
                    sys.exit('mkhelp: jump to unknown topic %r' % target)
    return topics


def paragraph(text, font):
    """A display-text record (type 0x20) for one paragraph: LinkData1 holds
    the paragraph settings and one formatting command after each text
    string, LinkData2 the strings.  Returns (linkdata1, linkdata2, chars)."""
    pairs = [(b'', b'\x80' + struct.pack('<H', font))]
    pending = b''
    pos = 0
    for m in re.finditer(r'\{([^|}]*)\|([^}]*)\}', text):
        pending += text[pos:m.start()].encode('cp1252')
        pairs.append((pending, b'\xe3' + struct.pack('<i', context_hash(m.group(2)))))
        pairs.append((m.group(1).encode('cp1252'), b'\x89'))
        pending = b''
        pos = m.end()
    pending += text[pos:].encode('cp1252')
    pairs.append((pending, b'\x82'))     # end of paragraph
    pairs.append((b'', b'\xff'))         # end of commands
    data2 = b''.join(t + b'\0' for t, _ in pairs)
    chars = sum(len(t) for t, _ in pairs) + 1
    settings = b'\x00\x80\x00\x00' + struct.pack('<H', 0x0004) + cshort(12)   # space after
    data1 = clong(len(data2)) + cushort(chars) + settings + b''.join(c for _, c in pairs)
    return data1, data2, chars


def topic_link(kind, data1, data2):
    """A topic link with its 21-byte header; the neighbour positions are
    filled in once every link has its place."""
    return {'kind': kind, 'data1': data1, 'data2': data2,
            'size': 21 + len(data1) + len(data2)}


def build_topic(topics):
    """The |TOPIC data and the topic offsets (the index of each topic)."""
    links = []
    for n, (context, title, paras) in enumerate(topics):
        head = topic_link(2, b'\0' * 28, title.encode('cp1252'))
        head['topic'] = n
        links.append(head)
        d1, d2, chars = paragraph(title, 1)
        links.append(dict(topic_link(0x20, d1, d2), chars=chars))
        for p in paras:
            d1, d2, chars = paragraph(p, 0)
            links.append(dict(topic_link(0x20, d1, d2), chars=chars))

    # Places: a link never straddles two blocks.  A position is the block
    # number shifted by 14 bits plus 12 plus the offset in the block's data;
    # a topic offset is the block number times 0x8000 plus the characters
    # of the paragraphs before it in that block.
    block, used, chars_in_block = 0, 0, 0
    for link in links:
        if link['size'] > BLOCK_DATA:
            sys.exit('mkhelp: paragraph too long for one block')
        if used + link['size'] > BLOCK_DATA:
            block, used, chars_in_block = block + 1, 0, 0
        link['block'] = block
        link['offset'] = used
        link['pos'] = (block << 14) + 12 + used
        if link['kind'] == 2:
            link['topic_offset'] = block * 0x8000 + chars_in_block
        else:
            chars_in_block += link['chars']
        used += link['size']

    heads = [l for l in links if l['kind'] == 2]
    for i, link in enumerate(links):
        link['prev'] = links[i - 1]['pos'] if i else -1
        link['next'] = links[i + 1]['pos'] if i + 1 < len(links) else -1
    for n, head in enumerate(heads):
        first = links.index(head)
        end = links.index(heads[n + 1]) if n + 1 < len(heads) else len(links)
        head['data1'] = struct.pack(
            '<IiiIiii',
            sum(l['size'] for l in links[first:end]),                  # bytes of the topic
            heads[n - 1]['topic_offset'] if n else -1,                 # browse back
            heads[n + 1]['topic_offset'] if n + 1 < len(heads) else -1,  # browse forward
            n,                                                          # topic number
            -1,                                                         # no non-scrolling region
            links[first + 1]['pos'] if first + 1 < end else -1,        # scrolling region
            heads[n + 1]['pos'] if n + 1 < len(heads) else -1)         # next topic

    blocks = []
    for b in range(links[-1]['block'] + 1):
        inside = [l for l in links if l['block'] == b]
        before = [l for l in links if l['block'] < b]
        heads_before = [l for l in before if l['kind'] == 2]
        data = struct.pack('<iii',
                           before[-1]['pos'] if before else -1,
                           inside[0]['pos'],
                           heads_before[-1]['pos'] if heads_before else -1)
        for l in inside:
            data += struct.pack('<IIiiIB', l['size'], len(l['data2']), l['prev'], l['next'],
                                21 + len(l['data1']), l['kind']) + l['data1'] + l['data2']
        blocks.append(data + b'\0' * (BLOCK - len(data)))   # every block full size
    return b''.join(blocks), [h['topic_offset'] for h in heads]


def btree(entries, structure, page_size, flags):
    """A one-page B+ tree (one level) holding the sorted entries.  The page
    is the size asked for, or doubled until the entries fit in it: the
    header gives the viewer each tree's page size."""
    body = b''.join(entries)
    while 8 + len(body) > page_size and page_size < 0x8000:
        page_size *= 2
    if 8 + len(body) > page_size:
        sys.exit('mkhelp: B+ tree needs more than one page')
    header = struct.pack('<HHH16sHHHHHHI', 0x293B, flags, page_size, structure.encode(),
                         0, 0, 0, 0xFFFF, 1, 1, len(entries))
    page = struct.pack('<HhhH', page_size - 8 - len(body), len(entries), -1, 0xFFFF) + body
    return header + page + b'\0' * (page_size - len(page))


def window_record(caption):
    """A window definition: the main window, its caption the help's title
    (without one the viewer shows its own name).  Only the name and the
    caption are marked valid; position, size and colours stay the viewer's."""
    data = struct.pack('<H10s9s51s', 0x0002 | 0x0004, b'', b'main', caption.encode('cp1252'))
    data += bytes(18)     # position, size, maximize flag, two colours
    return struct.pack('<HH', 6, len(data)) + data


def system_file(title, contents):
    records = struct.pack('<HH', 1, len(title) + 1) + title.encode('cp1252') + b'\0'
    records += struct.pack('<HHI', 3, 4, contents)
    records += window_record(title)
    return struct.pack('<HHHIH', 0x036C, 21, 1, 0, 0) + records


def font_file():
    faces = [b'Arial']
    face_len = 32
    # Descriptors: attributes, size in half points, family, face, colours.
    descriptors = [(0, 20, 3, 0), (1, 24, 3, 0)]   # body text; bold titles
    data = struct.pack('<HHHH', len(faces), len(descriptors), 8, 8 + face_len * len(faces))
    data += b''.join(f.ljust(face_len, b'\0') for f in faces)
    for attr, half_points, family, face in descriptors:
        data += struct.pack('<BBBH3B3B', attr, half_points, family, face, 0, 0, 0, 255, 255, 255)
    return data


def keywords(source):
    """{keyword: [context]}: each topic's title and the words of its "K"
    lines, in the order of the topics."""
    found = {}
    context = None
    for line in source.splitlines():
        m = re.match(r'^= (\S+) (.+)$', line)
        if m:
            context = m.group(1)
            found.setdefault(m.group(2).strip(), []).append(context)
        elif line.startswith('K ') and context:
            for word in filter(None, (w.strip() for w in line[2:].split(';'))):
                found.setdefault(word, []).append(context)
    return found


def keyword_files(source, offsets_by_context):
    """|KWBTREE and |KWDATA: the keywords sorted as the viewer looks them up."""
    entries, data = [], b''
    for word, contexts in sorted(keywords(source).items(), key=lambda kv: kv[0].lower()):
        entries.append(word.encode('cp1252') + b'\0' + struct.pack('<HI', len(contexts), len(data)))
        data += b''.join(struct.pack('<I', offsets_by_context[c]) for c in contexts)
    return btree(entries, 'z2l', 0x0800, 0x0002), data


def build(source):
    topics = parse(source)
    if not topics:
        sys.exit('mkhelp: no topics')
    topic_data, offsets = build_topic(topics)
    kwbtree, kwdata = keyword_files(source, {c: offsets[n] for n, (c, _, _) in enumerate(topics)})
    contexts = sorted((context_hash(c), offsets[n]) for n, (c, _, _) in enumerate(topics))
    files = {
        '|SYSTEM': system_file(topics[0][1], offsets[0]),
        '|FONT': font_file(),
        '|TOPIC': topic_data,
        '|CONTEXT': btree([struct.pack('<iI', h, o) for h, o in contexts], 'L4', 0x0800, 0x0002),
        '|KWBTREE': kwbtree,
        '|KWDATA': kwdata,
        '|TTLBTREE': btree([struct.pack('<I', offsets[n]) + t.encode('cp1252') + b'\0'
                            for n, (_, t, _) in enumerate(topics)], 'Lz', 0x0800, 0x0002),
    }
    out = bytearray(16)
    where = {}
    for name in sorted(files):
        where[name] = len(out)
        data = files[name]
        out += struct.pack('<IIB', len(data) + 9, len(data), 4) + data
    directory = btree([n.encode() + b'\0' + struct.pack('<I', where[n]) for n in sorted(files)],
                      'z4', 0x0400, 0x0402)
    dir_at = len(out)
    out += struct.pack('<IIB', len(directory) + 9, len(directory), 4) + directory
    out[0:16] = struct.pack('<IiiI', 0x00035F3F, dir_at, -1, len(out))
    return bytes(out)


if __name__ == '__main__':
    with open(sys.argv[1], encoding='utf-8') as f:
        data = build(f.read())
    with open(sys.argv[2], 'wb') as f:
        f.write(data)
