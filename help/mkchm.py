#!/usr/bin/env python3
"""Builds the HTML Help file (.CHM) from the same plain-text source as the
WinHelp file: one page per topic, the contents in the topics' order, an
index of the topics' titles and keywords, and a project file that Free
Pascal's chmcmd compiles.

Usage: mkchm.py SOURCE.txt OUTPUT.CHM WORKDIR

The pages are plain HTML 4.01 in UTF-8 that load nothing from outside the
file.  A jump {Text|context} becomes a link to the page context.htm."""
import html
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from mkhelp import keywords, parse  # noqa: E402

TITLE = 'Tamsel32 Help'
# The window: tri-pane with Contents, Index and Search tabs, kept in step
# with the topic shown (0x20 | 0x100 | 0x400); buttons: hide/show, Back,
# Forward, Home, Options, Print.
WINDOW_PROPERTIES = 0x520
WINDOW_BUTTONS = 0x304E

PAGE = '''<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN">
<html lang="en">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>{title}</title>
</head>
<body>
<h1>{title}</h1>
{paragraphs}
</body>
</html>
'''

SITEMAP = '''<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
</head>
<body>
<ul>
{entries}
</ul>
</body>
</html>
'''

ENTRY = '<li><object type="text/sitemap"><param name="Name" value="{name}">{targets}</object>'
TARGET = '<param name="Local" value="{page}">'
# A keyword of several topics names each, for the list the help shows.
NAMED_TARGET = '<param name="Name" value="{title}"><param name="Local" value="{page}">'


def page_name(context):
    return context + '.htm'


def sitemap_value(text):
    """A title or keyword as a value in the contents or the index.  HTML
    Help reads the named entities there, and no numeric one: an apostrophe
    stays itself, and the double quotes around the value need &quot;."""
    return html.escape(text, quote=False).replace('"', '&quot;')


def paragraph_html(text):
    """A paragraph with its jumps as links; the rest escaped."""
    out = []
    pos = 0
    for m in re.finditer(r'\{([^|}]*)\|([^}]*)\}', text):
        out.append(html.escape(text[pos:m.start()], quote=False))
        out.append('<a href="%s">%s</a>' % (page_name(m.group(2)), html.escape(m.group(1), quote=False)))
        pos = m.end()
    out.append(html.escape(text[pos:], quote=False))
    return '<p>' + ''.join(out) + '</p>'


def write(path, text):
    with open(path, 'w', encoding='utf-8', newline='\r\n') as f:
        f.write(text)


def build(source, out_chm, work):
    topics = parse(source)
    os.makedirs(work, exist_ok=True)
    for context, title, paras in topics:
        write(os.path.join(work, page_name(context)),
              PAGE.format(title=html.escape(title), paragraphs='\n'.join(paragraph_html(p) for p in paras)))

    write(os.path.join(work, 'TAMSEL.hhc'), SITEMAP.format(entries='\n'.join(
        ENTRY.format(name=sitemap_value(title), targets=TARGET.format(page=page_name(context)))
        for context, title, _ in topics)))
    titles = {context: title for context, title, _ in topics}
    index = keywords(source)
    entries = []
    for word in sorted(index, key=str.lower):
        contexts = index[word]
        targets = (TARGET.format(page=page_name(contexts[0])) if len(contexts) == 1 else
                   ''.join(NAMED_TARGET.format(title=sitemap_value(titles[c]), page=page_name(c)) for c in contexts))
        entries.append(ENTRY.format(name=sitemap_value(word), targets=targets))
    write(os.path.join(work, 'TAMSEL.hhk'), SITEMAP.format(entries='\n'.join(entries)))

    first = page_name(topics[0][0])
    name = os.path.basename(out_chm)
    write(os.path.join(work, 'TAMSEL.hhp'), '\n'.join([
        '[OPTIONS]',
        'Compatibility=1.1 or later',
        'Compiled file=' + name,
        'Contents file=TAMSEL.hhc',
        'Index file=TAMSEL.hhk',
        'Default Window=main',
        'Default topic=' + first,
        'Display compile progress=No',
        'Full-text search=Yes',
        'Language=0x409 English (United States)',
        'Title=' + TITLE,
        '',
        '[WINDOWS]',
        'main="%s","TAMSEL.hhc","TAMSEL.hhk","%s","%s",,,,,0x%X,200,0x%X,[40,40,720,560],,,,,,,0'
        % (TITLE, first, first, WINDOW_PROPERTIES, WINDOW_BUTTONS),
        '',
        '[FILES]',
    ] + [page_name(c) for c, _, _ in topics]) + '\n')

    result = subprocess.run(['chmcmd', '--no-html-scan', '--verbosity', '1', 'TAMSEL.hhp'],
                            cwd=work, capture_output=True, text=True)
    built = os.path.join(work, name)
    if result.returncode != 0 or not os.path.exists(built):
        sys.exit('mkchm: chmcmd failed:\n' + result.stdout + result.stderr)
    os.replace(built, out_chm)


if __name__ == '__main__':
    with open(sys.argv[1], encoding='utf-8') as f:
        build(f.read(), sys.argv[2], sys.argv[3])
