"""Reads what a Velmora program prints for --help into usage, description and sections.

The programs build their help from their own option definitions (QCommandLineParser), so
the man pages written from it list exactly the options the programs accept.
"""

import os
import re
import subprocess

_SECTION = re.compile(r"^([A-Z][A-Za-z ]*):$")
_ENTRY = re.compile(r"^( +)(\S.*?)(?: {2,}(\S.*))?$")


def run_help(program, *arguments):
    """The --help text of program (with arguments before --help), program path shortened."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", VELMORA_NO_SPLASH="1")
    result = subprocess.run([program, *arguments, "--help"], capture_output=True, text=True,
                            env=env, check=True, timeout=60)
    return result.stdout.replace(program, os.path.basename(program))


class Help:
    """usage: the usage line without "Usage: "; description: lines before the first section;
    sections: {title: [(term, description)]} in the printed order."""

    def __init__(self, usage, description, sections):
        self.usage = usage
        self.description = description
        self.sections = sections


def parse_help(text):
    usage = ""
    description = []
    sections = {}
    current = None
    column = None
    for line in text.splitlines():
        if not line.strip():
            continue
        if line.startswith("Usage: "):
            usage = line[len("Usage: "):].strip()
            continue
        heading = _SECTION.match(line)
        if heading:
            current = sections.setdefault(heading.group(1), [])
            column = None
            continue
        if current is None:
            description.append(line.strip())
            continue
        entry = _ENTRY.match(line)
        if not entry:
            continue
        indent = len(entry.group(1))
        if indent <= 2 or not current:
            current.append([entry.group(2), entry.group(3) or ""])
            if entry.group(3):
                column = line.index(entry.group(3), indent + len(entry.group(2)))
        elif column is not None and indent >= column:
            # The description wraps onto the next line.
            current[-1][1] = (current[-1][1] + " " + line.strip()).strip()
        else:
            # The term wraps (a long command synopsis); its description may follow on the line.
            current[-1][0] += " " + entry.group(2)
            if entry.group(3):
                current[-1][1] = (current[-1][1] + " " + entry.group(3)).strip()
                if column is None:
                    column = line.index(entry.group(3), indent + len(entry.group(2)))
    return Help(usage, description, {title: [tuple(e) for e in entries] for title, entries in sections.items()})

