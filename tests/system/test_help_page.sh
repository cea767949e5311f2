#!/usr/bin/env bash
# The help page: beside the executable in the build tree, installed into
# share/slidewright, valid UTF-8, well-formed and self-contained, with every
# in-page link landing on a section.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }

page="$SLIDEWRIGHT_BIN/Slidewright.html"
[ -f "$page" ] || fail "no help page beside the executable"
cmp -s "$page" "$SLIDEWRIGHT_SOURCE_DIR/data/Slidewright.html" || fail "build copy is stale"

prefix="$TMPDIR/prefix"
cmake --install "$SLIDEWRIGHT_BIN/.." --prefix "$prefix" >/dev/null || fail "install failed"
cmp -s "$prefix/share/slidewright/Slidewright.html" "$page" || fail "not installed to share/slidewright"

python3 - "$page" <<'PY' || fail "page checks"
import sys
from html.parser import HTMLParser

VOID = {"meta", "br", "img", "hr", "link", "input"}

class Check(HTMLParser):
    def __init__(self):
        super().__init__()
        self.stack, self.ids, self.links, self.errors, self.charset = [], set(), [], [], False
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "meta" and a.get("charset", "").upper() == "UTF-8":
            self.charset = True
        if "id" in a:
            self.ids.add(a["id"])
        if tag in ("script", "link", "img", "iframe") or "src" in a:
            self.errors.append(f"external resource <{tag}>")
        if tag == "a" and "href" in a:
            self.links.append(a["href"])
        if tag not in VOID:
            self.stack.append((tag, self.getpos()))
    def handle_endtag(self, tag):
        if not self.stack or self.stack[-1][0] != tag:
            self.errors.append(f"</{tag}> at {self.getpos()} closes {self.stack[-1] if self.stack else None}")
            return
        self.stack.pop()

c = Check()
c.feed(open(sys.argv[1], encoding="utf-8").read())  # fails on what is not UTF-8
c.close()
errors = c.errors + [f"unclosed {t}" for t in c.stack]
if not c.charset:
    errors.append("no UTF-8 charset")
for href in c.links:
    if href.startswith("#") and href[1:] not in c.ids:
        errors.append(f"dangling link {href}")
    elif not href.startswith("#") and not href.startswith("https://slidewright.github.io/"):
        errors.append(f"unexpected link {href}")
for e in errors:
    print(e)
sys.exit(1 if errors else 0)
PY
echo "help page ok"
