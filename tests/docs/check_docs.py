#!/usr/bin/env python3
"""Checks the man pages and the manual's pictures against what the programs really do.

check_docs.py manpages --cli PATH --editor PATH --man DIR
    every command velmora-cli --help lists has a section in velmora-cli.1, no section is
    left over, and every option each --help prints appears in its part of the man page;
    the same for velmora --help and velmora.1; groff reads both pages without a warning.
check_docs.py pictures --manual MANUAL.md --html INDEX.html --images DIR
    every picture the manual shows is a real PNG of a window in DIR, the HTML shows it, and
    every link within the manual leads to one of its headings.
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def help_text(program, *arguments):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", VELMORA_NO_SPLASH="1")
    return subprocess.run([program, *arguments, "--help"], capture_output=True, text=True,
                          env=env, check=True, timeout=60).stdout


def section_lines(text, title):
    """The lines under "title:" up to the next heading."""
    lines, inside = [], False
    for line in text.splitlines():
        if re.match(r"^[A-Z][A-Za-z ]*:$", line):
            inside = line == title + ":"
        elif inside:
            lines.append(line)
    return lines


def printed_options(text):
    """Every -x and --long that the Options section of a help text starts a line with."""
    names = []
    for line in section_lines(text, "Options"):
        match = re.match(r"^  (-\w)?(?:, )?(--[\w-]+)?", line)
        if match:
            names += [name for name in match.groups() if name]
    return names


def man_text(path):
    """The page's source with roff's hyphen and font escapes taken out."""
    with open(path, encoding="utf-8") as page:
        text = page.read()
    return re.sub(r"\\f[BIRP]", "", text).replace("\\-", "-").replace("\\e", "\\")


def man_parts(text, macro):
    """{title: body} for each ".SH title" (macro "SH") or ".SS title" (macro "SS")."""
    parts = {}
    current = None
    for line in text.splitlines():
        if line.startswith(".SH ") or line.startswith(".SS "):
            current = None
        if line.startswith("." + macro + " "):
            current = line[4:].strip().strip('"')
            parts[current] = ""
        elif current is not None:
            parts[current] += line + "\n"
    return parts


def contains_option(body, option):
    return re.search(r"(?<![\w-])" + re.escape(option) + r"(?![\w-])", body) is not None


def check_groff(path):
    groff = shutil.which("groff")
    if not groff:
        return
    result = subprocess.run([groff, "-man", "-Tutf8", "-ww", "-z", path], capture_output=True, text=True)
    if result.returncode != 0 or result.stderr.strip():
        fail("groff warns about %s: %s" % (path, result.stderr.strip()))


def check_manpages(args):
    top = help_text(args.cli)
    commands = [line.split()[0] for line in section_lines(top, "Commands") if re.match(r"^  \S", line)]
    if not commands:
        fail("velmora-cli --help lists no commands")
    cli_page = man_text(os.path.join(args.man, "velmora-cli.1"))
    sections = man_parts(cli_page, "SH")
    subsections = man_parts(cli_page, "SS")
    for command in commands:
        if command not in subsections:
            fail("velmora-cli.1 has no section for the command %s" % command)
            continue
        for option in printed_options(help_text(args.cli, command)):
            if not contains_option(subsections[command], option):
                fail("velmora-cli %s --help prints %s, which its man page section lacks" % (command, option))
    for stale in set(subsections) - set(commands):
        fail("velmora-cli.1 describes a command %s that velmora-cli does not have" % stale)
    for option in printed_options(top):
        if not contains_option(sections.get("OPTIONS", ""), option):
            fail("velmora-cli --help prints %s, which OPTIONS in velmora-cli.1 lacks" % option)

    editor_page = man_text(os.path.join(args.man, "velmora.1"))
    editor_sections = man_parts(editor_page, "SH")
    for option in printed_options(help_text(args.editor)):
        if not contains_option(editor_sections.get("OPTIONS", ""), option):
            fail("velmora --help prints %s, which OPTIONS in velmora.1 lacks" % option)

    for name, parts in (("velmora-cli.1", sections), ("velmora.1", editor_sections)):
        for needed in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "EXAMPLES"):
            if needed not in parts or not parts[needed].strip():
                fail("%s has no %s section" % (name, needed))
        check_groff(os.path.join(args.man, name))


def png_size(path):
    with open(path, "rb") as picture:
        head = picture.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def check_pictures(args):
    with open(args.manual, encoding="utf-8") as manual:
        named = sorted(set(re.findall(r"\]\((images/[\w.-]+\.png)\)", manual.read())))
    with open(args.html, encoding="utf-8") as page:
        html = page.read()
    if not named:
        fail("the manual shows no pictures")
    for picture in named:
        path = os.path.join(args.images, os.path.basename(picture))
        size = png_size(path) if os.path.exists(path) else None
        if size is None:
            fail("%s is missing or not a PNG" % path)
        elif size[0] < 200 or size[1] < 100:
            fail("%s is only %d x %d pixels" % (path, size[0], size[1]))
        if 'src="%s"' % picture not in html:
            fail("the HTML manual does not show %s" % picture)
    # Links within the manual lead to a heading.
    anchors = set(re.findall(r'id="([^"]+)"', html))
    for target in sorted(set(re.findall(r'href="#([^"]+)"', html))):
        if target not in anchors:
            fail("the manual links to #%s, which no heading has" % target)


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="what", required=True)
    man = sub.add_parser("manpages")
    man.add_argument("--cli", required=True)
    man.add_argument("--editor", required=True)
    man.add_argument("--man", required=True)
    pictures = sub.add_parser("pictures")
    pictures.add_argument("--manual", required=True)
    pictures.add_argument("--html", required=True)
    pictures.add_argument("--images", required=True)
    args = parser.parse_args()
    (check_manpages if args.what == "manpages" else check_pictures)(args)
    print("%d problem(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
