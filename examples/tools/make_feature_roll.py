#!/usr/bin/env python3
"""Writes credits/feature.csv: a long 1920 x 1080 credit sheet of about 600 credits, for benchmarks.

The sheet is built into build/examples/feature.vmz with credits/feature-styles.json."""
import csv
import os
import random

rng = random.Random(20261207)
FIRST = ["Ada", "Bram", "Cleo", "Dario", "Elin", "Farah", "Gideon", "Hana", "Ivo", "Juno", "Kasimir", "Lena",
         "Milo", "Nadia", "Otto", "Priya", "Quentin", "Rhea", "Silas", "Tove", "Ugo", "Vera", "Wim", "Xenia",
         "Yusuf", "Zora"]
LAST = ["Achterberg", "Belmonte", "Castellan", "Drummond", "Eskildsen", "Fairweather", "Gallardo", "Halloran",
        "Ibsen-Hart", "Jovanovic", "Kettering", "Lindqvist", "Montague", "Nakashima", "Okafor", "Pemberton",
        "Quartermaine", "Rasmussen", "Sabatini", "Thorne", "Umberfield", "Valdivia", "Whitcombe", "Yarrow"]
DEPARTMENTS = ["Camera", "Lighting", "Grip", "Sound", "Art Department", "Set Decoration", "Costume", "Make-up",
               "Visual Effects", "Editorial", "Music", "Post Production", "Locations", "Transport", "Catering",
               "Stunts"]
ROLES = ["Supervisor", "Coordinator", "First Assistant", "Second Assistant", "Technician", "Operator", "Artist",
         "Assistant", "Trainee", "Lead"]
COLUMNS = ["Kind", "Role", "Name", "Text", "Style", "Columns", "Size", "Image"]


def name():
    return "%s %s" % (rng.choice(FIRST), rng.choice(LAST))


rows = []
credits = 0


def row(kind, **cells):
    rows.append([kind] + [cells.get(column, "") for column in COLUMNS[1:]])


row("gap", Size=120)
row("image", Image="../images/northlight-logo.png", Size=200)
row("heading", Text="THE LONG WINTER", Style="Title")
for title, person in [("Directed by", name()), ("Screenplay by", name()), ("Produced by", name()),
                      ("Executive Producers", name() + "\n" + name())]:
    row("text", Text=title, Style="Credit")
    row("names", Name=person, Style="Key name")
    credits += 1 + person.count("\n")

for dept in DEPARTMENTS:
    row("heading", Text=dept.upper())
    for _ in range(rng.randint(23, 30)):
        row("pair", Role="%s %s" % (dept, rng.choice(ROLES)), Name=name())
        credits += 1

row("heading", Text="CAST", Style="Cast heading")
cast = []
for _ in range(120):
    cast.append("%s as %s" % (name(), name()))
    credits += 1
row("names", Name="\n".join(cast), Columns=3, Style="Cast")

row("heading", Text="SPECIAL THANKS")
thanks = [name() for _ in range(48)]
credits += len(thanks)
row("names", Name="\n".join(thanks), Columns=3, Style="Thanks")
row("gap", Size=160)
row("image", Image="../images/northlight-logo.png", Size=200)
row("text", Text="Filmed on location in the northern fjords.\nAll characters in this film are fictitious.",
    Style="Small print")

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "credits", "feature.csv")
with open(out, "w", newline="", encoding="utf-8") as f:
    writer = csv.writer(f, lineterminator="\r\n")
    writer.writerow(COLUMNS)
    writer.writerows(rows)
print("%d credits" % credits)
