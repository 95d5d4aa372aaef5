#!/usr/bin/env python3
"""Writes a data file of the size a maintainer works with: 3,000 groups of 10 processes with
8 requirements each, with names as long as real ones get, for trying the program by hand and
for the screenshot of the group list.

Usage: make_large.py [GROUPS] > Smeltwork.dat
"""
import random
import struct
import sys

MAGIC = 0x2AE510A4

TRADES = ["Metals and Alloys", "Woodworking", "Stonecutting", "Jewelcrafting", "Leatherworking",
          "Weaponsmithing", "Armoursmithing", "Tailoring", "Alchemy", "Toolmaking"]
GRADES = ["Refined", "Basic", "Journeyman", "Master", "Ancient", "Runed"]
PRODUCTS = ["Ingot", "Bar", "Plate", "Wire", "Handle", "Blade", "Ring", "Mould", "Bell", "Chain"]
MATERIALS = ["Copper", "Iron", "Tin", "Bronze", "Steel", "Silver", "Gold", "Oak", "Ash",
             "Granite", "Leather", "Linen"]
SIZES = ["", " (small)", " (large)", " (huge)"]
TOOLS = ["Crucible", "Hammer", "Anvil", "Tongs", "Bell Mould", "Whetstone", "Pliers", "Chisel"]
SKILLS = ["Smelting", "Alloying", "Smithing", "Carving", "Enchanting", "Toolmaking"]


def text(s):
    data = s.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


def main():
    groups = int(sys.argv[1]) if len(sys.argv) > 1 else 3000
    rng = random.Random(20)
    out = [struct.pack(">IH", MAGIC, groups)]
    for g in range(groups):
        trade = TRADES[g % len(TRADES)]
        name = f"{rng.choice(GRADES)} {trade} {g:04d}"
        if g % 500 == 7:
            name = f"{name} of the Northern Mountain Forges and their Guild Halls"
        out.append(text(name) + struct.pack(">H", 10))
        for p in range(10):
            product = f"{rng.choice(GRADES)} {rng.choice(MATERIALS)} {rng.choice(PRODUCTS)}"
            out.append(text(f"{product} {p:02d}-{rng.randrange(100):02d}"))
            low = rng.randrange(1, 200)
            out.append(struct.pack(">BBH", min(255, low + rng.randrange(100)), low, 8))
            items = rng.sample([m + " " + kind for m in MATERIALS for kind in ["Ore", "Ingot"]], 3)
            items += rng.sample(TOOLS, 3)
            for name in items:
                multiplier = rng.choice(["0", "0.5", "1", "2", "1.25"])
                out.append(text(name + rng.choice(SIZES)) + text(multiplier)
                           + struct.pack(">bi", 0, 40000 + rng.randrange(2000)))
            for name in rng.sample(SKILLS, 2):
                out.append(text(name) + text(rng.choice(["1", "0.8", "1.5"]))
                           + struct.pack(">bi", 1, 0))
    sys.stdout.buffer.write(b"".join(out))


if __name__ == "__main__":
    main()
