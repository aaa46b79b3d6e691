#!/usr/bin/env python3
"""Writes feature.json: a long 1920 x 1080 credit roll of about 600 credits, for benchmarks."""
import json
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
GOLD = "#FFE8C872"
WHITE = "#FFFFFFFF"
GREY = "#FFB8BCC8"


def name():
    return "%s %s" % (rng.choice(FIRST), rng.choice(LAST))


def text(t, size=28, color=WHITE, font="Arial", h=1, top=0):
    return {"kind": "TVmElementText", "Text": t, "FontName": font, "FontSize": size, "Color": color, "HAlign": h,
            "TopOffset": top}


def column(children, caption="Column"):
    return {"kind": "TVmElementColumn", "Caption": caption, "children": children}


def columns(cols, caption="Columns"):
    return {"kind": "TVmElementColumns", "Caption": caption, "children": cols}


def logo(top):
    return {"kind": "TVmElementImage", "ImageFile": "images/northlight-logo.png", "Caption": "Studio logo",
            "SpecificDims": True, "Width": 560, "Height": 200, "TopOffset": top}


credits = 0
children = [logo(120), text("THE LONG WINTER", 96, WHITE, "Times New Roman", top=80)]
for title, person in [("Directed by", name()), ("Screenplay by", name()), ("Produced by", name()),
                      ("Executive Producers", name() + "\r\n" + name())]:
    children.append(text(title, 26, GOLD, top=70))
    children.append(text(person, 44, top=6))
    credits += 1 + person.count("\r\n")

for dept in DEPARTMENTS:
    children.append(text(dept.upper(), 34, GOLD, "Times New Roman", top=90))
    roles, names = [], []
    for _ in range(rng.randint(23, 30)):
        roles.append(text("%s %s" % (dept, rng.choice(ROLES)), 24, GREY, h=2, top=12))
        names.append(text("\u2003" + name(), 24, WHITE, h=0, top=12))
        credits += 1
    children.append(columns([column(roles, "Roles"), column(names, "Names")], dept))

children.append(text("CAST", 40, GOLD, "Times New Roman", top=120))
cast_columns = []
for i in range(3):
    items = []
    for _ in range(40):
        items.append(text(name(), 26, top=16))
        items.append(text("as %s" % name(), 18, GREY, top=2))
        credits += 1
    cast_columns.append(column(items, "Cast %d" % (i + 1)))
children.append(columns(cast_columns, "Cast list"))

children.append(text("SPECIAL THANKS", 34, GOLD, "Times New Roman", top=120))
thanks = []
for i in range(3):
    thanks.append(column([text(name(), 22, top=8) for _ in range(16)], "Thanks %d" % (i + 1)))
    credits += 16
children.append(columns(thanks, "Special thanks"))
children.append(logo(160))
children.append(text("Filmed on location in the northern fjords.\r\nAll characters in this film are fictitious.",
                     22, GREY, top=80))

project = {"kind": "TVmElementProject", "expanded": True, "Name": "The Long Winter", "Width": 1920, "Height": 1080,
           "ContentSize": 0, "BackColor": "#FF0E101A",
           "FrameRate": 25, "ScrollRate": 4, "children": children}
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "feature.json")
with open(out, "w") as f:
    json.dump({"nodes": [project]}, f, indent=1, ensure_ascii=False)
print("%d credits" % credits)
