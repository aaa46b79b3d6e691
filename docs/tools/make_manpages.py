#!/usr/bin/env python3
"""Writes the man pages velmora.1 and velmora-cli.1 from the programs' own --help.

usage: make_manpages.py --editor PATH --cli PATH --pages DIR --version V --out DIR
(writes DIR/velmora.1 and DIR/velmora-cli.1, and each gzipped for installing)

Every command (from the "Commands:" list of velmora-cli --help) and every option of every
command comes from the built programs; the prose around them (description, exit status,
examples, files) comes from DIR/<program>.txt, a small text format:

    # SECTION TITLE          starts a section
    term :: text             a tagged paragraph (an exit code, a file)
    $ command line           an example command, shown verbatim
    other lines              paragraphs (a blank line ends one)

The DESCRIPTION section goes after the synopsis, the others after the options.
"""

import argparse
import gzip
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from helptext import parse_help, run_help  # noqa: E402


def roff(text):
    """Escapes text for roff: backslashes, hyphens, and a leading dot or quote."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text[:1] in (".", "'"):
        text = "\\&" + text
    return text


def bold_term(term):
    """An option term such as "-o, --output <OUT.avi>": names bold, value names italic."""
    parts = []
    for word in term.split(" "):
        if word.startswith("<") and word.endswith(">"):
            parts.append("\\fI" + roff(word[1:-1]) + "\\fR")
        elif word.startswith("-"):
            comma = word.endswith(",")
            parts.append("\\fB" + roff(word.rstrip(",")) + "\\fR" + ("," if comma else ""))
        else:
            parts.append(roff(word))
    return " ".join(parts)


def tagged(entries, term_format=bold_term):
    lines = []
    for term, description in entries:
        lines += [".TP", term_format(term), roff(description)]
    return lines


def prose_sections(path):
    """{title: roff lines} from a prose file, in file order."""
    sections = {}
    lines = None
    mode = None  # "text" inside a paragraph, "example" inside example lines
    with open(path, encoding="utf-8") as source:
        for raw in source:
            line = raw.rstrip("\n")
            if line.startswith("# "):
                if mode == "example":
                    lines += [".fi", ".RE"]
                lines = sections.setdefault(line[2:].strip().upper(), [])
                mode = None
                continue
            if lines is None:
                continue
            if line.startswith("$ "):
                if mode != "example":
                    lines += [".PP", ".RS 4", ".nf"]
                    mode = "example"
                lines.append("\\fB" + roff(line[2:]) + "\\fR")
                continue
            if mode == "example":
                lines += [".fi", ".RE"]
                mode = None
            if not line.strip():
                mode = None
            elif " :: " in line:
                term, text = line.split(" :: ", 1)
                lines += [".TP", "\\fB" + roff(term.strip()) + "\\fR", roff(text.strip())]
                mode = "text"
            elif mode == "text":
                lines.append(roff(line.strip()))
            else:
                lines += [".PP", roff(line.strip())]
                mode = "text"
        if mode == "example":
            lines += [".fi", ".RE"]
    return sections


def header(name, summary, version):
    return [
        '.TH "%s" "1" "" "Velmora %s" "Velmora Manual"' % (name.upper(), version),
        ".SH NAME",
        "%s \\- %s" % (roff(name), roff(summary)),
    ]


def usage_synopsis(name, usage):
    """".B name" and the rest of a usage line in roman."""
    rest = usage.split(" ", 1)[1] if " " in usage else ""
    return [".B " + roff(name), roff(rest)] if rest else [".B " + roff(name)]


def cli_page(program, prose, version):
    name = "velmora-cli"
    top = parse_help(run_help(program))
    commands = top.sections.get("Commands", [])
    lines = header(name, "batch work on Velmora credit rolls", version)
    lines += [".SH SYNOPSIS"]
    for term, _ in commands:
        lines += usage_synopsis(name, name + " " + term) + [".br"]
    lines += [".B " + roff(name), "\\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR"]
    lines += [".SH DESCRIPTION"] + prose.pop("DESCRIPTION", [])
    lines += [".SH COMMANDS"]
    for term, summary in commands:
        command = term.split(" ", 1)[0]
        details = parse_help(run_help(program, command))
        lines += [".SS " + roff(command)]
        lines += usage_synopsis(name, details.usage)
        lines += [".PP", roff(" ".join(details.description) or summary)]
        lines += tagged(details.sections.get("Options", []))
        arguments = details.sections.get("Arguments", [])
        lines += tagged(arguments, lambda term: "\\fI" + roff(term) + "\\fR")
    lines += [".SH OPTIONS"] + tagged(top.sections.get("Options", []))
    for title, body in prose.items():
        lines += [".SH " + roff(title)] + body
    return lines


def editor_page(program, prose, version):
    name = "velmora"
    help_ = parse_help(run_help(program))
    lines = header(name, "credit roll editor", version)
    lines += [".SH SYNOPSIS"] + usage_synopsis(name, help_.usage)
    lines += [".SH DESCRIPTION"] + prose.pop("DESCRIPTION", [])
    lines += [".SH OPTIONS"] + tagged(help_.sections.get("Options", []))
    arguments = help_.sections.get("Arguments", [])
    if arguments:
        lines += [".SH ARGUMENTS"] + tagged(arguments, lambda term: "\\fI" + roff(term) + "\\fR")
    for title, body in prose.items():
        lines += [".SH " + roff(title)] + body
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--editor", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--pages", required=True, help="folder of the prose files")
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    pages = {
        "velmora-cli": cli_page(args.cli, prose_sections(os.path.join(args.pages, "velmora-cli.txt")), args.version),
        "velmora": editor_page(args.editor, prose_sections(os.path.join(args.pages, "velmora.txt")), args.version),
    }
    for name, lines in pages.items():
        text = ("\n".join(lines) + "\n").encode("utf-8")
        with open(os.path.join(args.out, name + ".1"), "wb") as page:
            page.write(text)
        # Installed compressed, as Debian keeps man pages; no time stamp, so builds match.
        with open(os.path.join(args.out, name + ".1.gz"), "wb") as packed:
            packed.write(gzip.compress(text, compresslevel=9, mtime=0))


if __name__ == "__main__":
    main()
