#!/usr/bin/env python3
"""Puts the console's web site together from the program the compiler wrote.

The program's two files are named for a hash of their contents
(vorn-0123456789abcdef.js and .wasm), so that a browser's cached copy of an
older one never meets a newer other; index.html names them, inlines the
page's script and carries a content security policy that allows that script
(by its hash), what it loads, and nothing else.

The kiosk's demonstration journal goes in as vorn-demo-0123456789abcdef.vornj,
named for its contents the same way; index.html names it.

    make_site.py PROGRAM_DIR PAGES_DIR SITE_DIR DEMO_JOURNAL

PROGRAM_DIR holds vorn.js and vorn.wasm; PAGES_DIR is web/ (index.html,
controls.html, page.js). Older program and demonstration files in SITE_DIR,
which earlier builds put there, are removed; nothing else in it is touched.
"""

import base64
import hashlib
import os
import re
import sys


def csp_hash(text):
    digest = hashlib.sha256(text.encode("utf-8")).digest()
    return "'sha256-" + base64.b64encode(digest).decode("ascii") + "'"


def inline(html, tag):
    """The contents of every inline <tag>...</tag> in html."""
    return re.findall(r"<%s>(.*?)</%s>" % (tag, tag), html, re.S)


def policy(html):
    scripts = " ".join(csp_hash(s) for s in inline(html, "script"))
    styles = " ".join(csp_hash(s) for s in inline(html, "style"))
    parts = ["default-src 'none'"]
    if scripts:
        # The page's own script, the program it loads from the site, and the
        # program's compilation: nothing from elsewhere ('strict-dynamic'
        # would let the page's script load a script from anywhere).
        parts.append("script-src 'self' %s 'wasm-unsafe-eval'" % scripts)
        parts.append("connect-src 'self'")
    parts += ["style-src %s" % styles, "img-src data:", "base-uri 'none'", "form-action 'none'"]
    return "; ".join(parts)


def write(path, data):
    """Writes a whole file under a new name, then puts it in place."""
    temporary = path + ".new"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


def main(program_dir, pages_dir, site_dir, demo_path):
    with open(os.path.join(program_dir, "vorn.js"), "rb") as f:
        js = f.read()
    with open(os.path.join(program_dir, "vorn.wasm"), "rb") as f:
        wasm = f.read()
    name = "vorn-" + hashlib.sha256(js + b"\0" + wasm).hexdigest()[:16]
    with open(demo_path, "rb") as f:
        demo = f.read()
    demo_name = "vorn-demo-" + hashlib.sha256(demo).hexdigest()[:16] + ".vornj"

    with open(os.path.join(pages_dir, "page.js"), encoding="utf-8") as f:
        script = f.read()
    if "</script" in script:
        sys.exit("page.js must not contain </script: it is inlined into index.html")
    pages = {}
    for page in ("index.html", "controls.html"):
        with open(os.path.join(pages_dir, page), encoding="utf-8") as f:
            html = f.read()
        html = (html.replace("@PROGRAM@", name)
                .replace("@PROGRAM_SHA256@", hashlib.sha256(wasm).hexdigest())
                .replace("@DEMO@", demo_name)
                .replace("@PAGE_SCRIPT@", script))
        pages[page] = html.replace("@POLICY@", policy(html))

    os.makedirs(site_dir, exist_ok=True)
    write(os.path.join(site_dir, name + ".js"), js)
    write(os.path.join(site_dir, name + ".wasm"), wasm)
    write(os.path.join(site_dir, demo_name), demo)
    for page, html in pages.items():
        write(os.path.join(site_dir, page), html.encode("utf-8"))
    stale = re.compile(r"^vorn(-[0-9a-f]{16})?\.(js|wasm)$|^vorn-demo-[0-9a-f]{16}\.vornj$")
    for entry in os.listdir(site_dir):
        if stale.match(entry) and not entry.startswith(name + ".") and entry != demo_name:
            os.remove(os.path.join(site_dir, entry))


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
