#!/usr/bin/env python3
"""Turns the Markdown user manual into one HTML page with a table of contents.

usage: make_manual.py MANUAL.md OUT.html [--version V]
Pictures stay where the Markdown names them (images/NAME.png, next to OUT.html).
"""

import argparse
import html
import os

import markdown

PAGE = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{title}</title>
<style>
body {{ font-family: "DejaVu Sans", "Liberation Sans", sans-serif; max-width: 52em; margin: 2em auto;
       padding: 0 1em; line-height: 1.5; color: #1d1d1f; }}
h1, h2, h3 {{ line-height: 1.2; }}
h2 {{ border-bottom: 1px solid #ccc; padding-bottom: .2em; margin-top: 2em; }}
code, pre {{ font-family: "DejaVu Sans Mono", "Liberation Mono", monospace; background: #f3f3f5; }}
pre {{ padding: .6em; overflow-x: auto; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #ccc; padding: .25em .6em; vertical-align: top; text-align: left; }}
img {{ max-width: 100%; border: 1px solid #bbb; }}
.toc {{ background: #f7f7f9; padding: .5em 1em; }}
.version {{ color: #777; }}
</style>
</head>
<body>
<p class="version">Velmora {version}</p>
{body}
</body>
</html>
"""


def convert(text, version):
    converter = markdown.Markdown(extensions=["toc", "tables", "fenced_code", "attr_list", "def_list"],
                                  extension_configs={"toc": {"toc_depth": "2-3"}})
    body = converter.convert(text)
    title = next((line[2:].strip() for line in text.splitlines() if line.startswith("# ")), "Velmora")
    return PAGE.format(title=html.escape(title), version=html.escape(version), body=body)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("manual")
    parser.add_argument("output")
    parser.add_argument("--version", default="")
    args = parser.parse_args()
    with open(args.manual, encoding="utf-8") as source:
        page = convert(source.read(), args.version)
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    with open(args.output, "w", encoding="utf-8") as output:
        output.write(page)


if __name__ == "__main__":
    main()
