#!/usr/bin/env python3
"""Writes a long credit sheet as CSV: departments with a heading, role/name pairs (some
continuing the role above) and cast lists in three columns, in the proportions of a feature's
end roll.  Usage: bench/long_sheet.py ROWS OUT.csv"""
import csv
import random
import sys


def rows_of(count):
    rng = random.Random(20000)
    first = ["Ada", "Bram", "Cleo", "Dario", "Elin", "Farah", "Gideon", "Hana", "Ivo", "Juno",
             "Kasimir", "Lena", "Mirela", "Nuno", "Odile", "Pavel"]
    last = ["Achterberg", "Belmonte", "Castellan", "Drummond", "Eskildsen", "Fairweather",
            "Gallardo", "Hollis", "Ibarra", "Jovanovic", "Kettering", "Lindqvist"]
    roles = ["Gaffer", "Best Boy Electric", "Key Grip", "Dolly Grip", "Boom Operator",
             "Script Supervisor", "Costume Designer", "Make-Up Artist", "Location Manager"]

    def name():
        return "%s %s" % (rng.choice(first), rng.choice(last))

    table = [["Kind", "Role", "Name", "Text", "Columns"]]
    for i in range(count):
        place = i % 50
        if place == 0:
            table.append(["heading", "", "", "DEPARTMENT %d" % (i // 50 + 1), ""])
        elif place < 35:
            # Every fourth pair continues the role above it, the way crews list assistants.
            role = "" if place % 4 == 0 and place > 1 else rng.choice(roles)
            table.append(["pair", role, name(), "", ""])
        else:
            table.append(["names", "", name(), "", "3"])
    return table


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[2], "w", newline="", encoding="utf-8") as out:
        csv.writer(out).writerows(rows_of(int(sys.argv[1])))


if __name__ == "__main__":
    main()
