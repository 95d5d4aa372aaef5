#!/usr/bin/env python3
"""Writes the example crafting data that the README's run command starts from.

Usage: make_example.py > examples/Smeltwork.dat
"""
import struct
import sys

MAGIC = 0x2AE510A4


def text(s):
    if s is None:
        return struct.pack(">I", 0xFFFFFFFF)
    data = s.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


def item(name, multiplier, item_id):
    return (name, multiplier, 0, item_id)


def skill(name, multiplier):
    return (name, multiplier, 1, 0)


# (group, [(process, maxQL, minQL, [requirements])])
GROUPS = [
    ("Smelting", [
        ("Copper Ingot", 150, 1, [
            item("Copper Ore", "2", 40211), item("Crucible", "0", 40012),
            item("Charcoal", "0.5", 40150), skill("Smelting", "1"),
        ]),
        ("Iron Ingot", 200, 10, [
            item("Iron Ore", "2", 40212), item("Crucible", "0", 40012),
            item("Coke", "0.5", 40151), skill("Smelting", "1.2"),
        ]),
        ("Bronze Ingot", 180, 20, [
            item("Copper Ingot", "3", 40300), item("Tin Ingot", "1", 40301),
            item("Crucible", "0", 40012), skill("Smelting", "1"), skill("Alloying", "0.8"),
        ]),
        ("Meteoric Steel Ingot", 250, 250, [
            item("Meteorite Fragment", "1", 41999), item("Iron Ingot", "4", 40302),
            item("Runed Crucible", "0", 40013), skill("Smelting", "2"),
            skill("Alloying", "1.5"),
        ]),
    ]),
    ("Smithing", [
        ("Iron Nails", 120, 1, [
            item("Iron Ingot", "0.2", 40302), item("Hammer", "0", 10001),
            item("Anvil", "0", 10002), skill("Smithing", "0.5"),
        ]),
        ("Horseshoe", 160, 5, [
            item("Iron Ingot", "1", 40302), item("Hammer", "0", 10001),
            item("Tongs", "0", 10003), item("Anvil", "0", 10002), skill("Smithing", "1"),
        ]),
        ("Chain Link", 100, 100, [
            item("Iron Wire", "0.5", 40410), item("Pliers", "0", 10004),
            skill("Smithing", "0.7"), skill("Jewelcrafting", "0.3"),
        ]),
    ]),
    ("Stählerne Äxte", [
        ("Wood Axe", 200, 1, [
            item("Iron Ingot", "2", 40302), item("Ash Handle", "1", 50020),
            item("Hammer", "0", 10001), item("Anvil", "0", 10002),
            item("Whetstone", "0", 10010), skill("Weaponsmithing", "1"),
        ]),
        ("Battle Axe", 255, 50, [
            item("Steel Ingot", "4", 40303), item("Oak Handle", "1", 50021),
            item("Leather Strip", "2", 50100), item("Hammer", "0", 10001),
            item("Anvil", "0", 10002), skill("Weaponsmithing", "1.8"),
            skill("Leatherworking", "0.4"),
        ]),
    ]),
    ("Tools", [
        ("Hammer", 150, 1, [
            item("Iron Ingot", "1", 40302), item("Oak Handle", "1", 50021),
            item("Anvil", "0", 10002), skill("Toolmaking", "1"),
        ]),
        ("Tongs", 150, 1, [
            item("Iron Ingot", "1.5", 40302), item("Rivet", "1", 40420),
            skill("Toolmaking", "1.1"),
        ]),
        ("Runed Crucible", 255, 255, [
            item("Fire Clay", "3", 60001), item("Rune Dust", "x2", 60050),
            skill("Toolmaking", "2"), skill("Enchanting", "1.5"),
        ]),
    ]),
    ("Jewelcrafting", []),
]


def main():
    out = bytearray(struct.pack(">IH", MAGIC, len(GROUPS)))
    for gname, procs in GROUPS:
        out += text(gname) + struct.pack(">H", len(procs))
        for pname, max_ql, min_ql, reqs in procs:
            out += text(pname) + struct.pack(">BBH", max_ql, min_ql, len(reqs))
            for rname, multiplier, rtype, rid in reqs:
                out += text(rname) + text(multiplier) + struct.pack(">bi", rtype, rid)
    sys.stdout.buffer.write(out)


main()
