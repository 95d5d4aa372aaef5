#!/usr/bin/env python3
"""Writes the example help file that the README's run command starts from: a few topics,
some with sub-topics (ids with a fraction), bodies tagged the way the body editor writes
them, one topic whose body was never written.

Usage: make_help_example.py > examples/Smeltwork.hlp
"""
import struct
import sys

MAGIC = 0xE9A7143D


def text(s):
    if s is None:
        return struct.pack(">I", 0xFFFFFFFF)
    data = s.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


# (id, header, body) in file order; a body of None was never written.
TOPICS = [
    ("1", "Getting started",
     "<b>Smeltwork</b> plans what you can make from what you have.<br>\n"
     "Pick a <i>process group</i>, then a <i>product</i>, and the planner lists the<br>\n"
     "items, tools and skills it needs."),
    ("1.1", "Choosing a product",
     "Products are listed by name. Each one can be made within a range of<br>\n"
     "quality levels (<b>QL</b>)."),
    ("1.2", "Quality levels",
     "A product marked <u>special</u> is made at one QL only.<br>\n"
     "The others can be made at any QL from the lowest to the highest."),
    ("2", "Items and tools",
     "<b>Items</b> are used up; <b>tools</b> are kept.<br>\n"
     "A tool has the multiplier <i>0</i>: one is enough, whatever the QL."),
    ("2.1", "Multipliers",
     "Each item, tool and skill carries a multiplier, kept as it was typed.<br>\n"
     "<i>Example:</i> Copper Ore x2 for a Copper Ingot."),
    ("3", "Skills",
     "Every process names the skills it trains and how much each one counts.<br>\n"
     "Skills never run out."),
    ("10", "Stählerne Äxte", "Axes of steel: see the group <b>Stählerne Äxte</b>."),
    ("HLP_", "Notes for maintainers", None),
]


def main():
    out = struct.pack(">IH", MAGIC, len(TOPICS))
    for topic in TOPICS:
        out += b"".join(text(field) for field in topic)
    sys.stdout.buffer.write(out)


if __name__ == "__main__":
    main()
