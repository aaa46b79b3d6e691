#!/usr/bin/env python3
"""Lists the error messages in the sources that the manual's troubleshooting does not name.

usage: undocumented_messages.py [ROOT]      (ROOT defaults to the checkout this file is in)

A message counts as named when the manual holds its text up to its first placeholder (%1).
It finds messages by where they are raised (throw, Fail, FailFile, PrintError, usage errors)
and by the message constants of the core's headers, so it is a reading aid after new code
lands, not a proof: messages built in other ways are not seen.
"""

import os
import re
import sys

RAISED = re.compile(r'(?:throw\s+E\w+|\bFail(?:File)?|PrintError|EUsageError|EVelmoraError|EExportError)\s*\(\s*'
                    r'(?:QString::fromLatin1\(\s*)?(?:QStringLiteral|QLatin1String|tr)?\(?\s*"((?:[^"\\]|\\.)*)"')
CONSTANT = re.compile(r'inline constexpr const char \w+\[\] = "((?:[^"\\]|\\.)*)";')


def messages(root):
    found = {}
    for folder, _, files in os.walk(os.path.join(root, "src")):
        for name in files:
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8", errors="replace") as source:
                text = source.read()
            for pattern in (RAISED, CONSTANT):
                for match in pattern.finditer(text):
                    message = match.group(1).replace('\\"', '"')
                    line = text.count("\n", 0, match.start()) + 1
                    found.setdefault(message, "%s:%d" % (os.path.relpath(path, root), line))
    return found


def fixed_part(message):
    """The text before the first placeholder, without a leading quote or file argument."""
    head = re.split(r"%\d|\\r|\\n", message)[0].strip(' "-:')
    return " ".join(head.split())


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    with open(os.path.join(root, "docs", "manual.md"), encoding="utf-8") as manual:
        text = " ".join(manual.read().replace("**", "").split())
    # "Stream data corrupt. ..." in the manual stands for every message that starts so.
    families = [prefix.strip() for prefix in re.findall(r"([A-Z][^.!?]*[.:]) \.\.\.", text)]
    missing = 0
    for message, where in sorted(messages(root).items(), key=lambda item: item[1]):
        head = fixed_part(message)
        if len(head) < 6 or head[0].islower() and " " not in head:
            continue  # "%1: %2" and the like carry nothing of their own
        if head not in text and not any(message.startswith(prefix) for prefix in families):
            print("%s: %s" % (where, message))
            missing += 1
    print("%d message(s) the manual does not name" % missing)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
