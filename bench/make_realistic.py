#!/usr/bin/env python3
"""Writes a data file shaped like a real game's: names from a small vocabulary that repeats.

Usage: make_realistic.py REQUIREMENTS OUTFILE

The synthetic trees of synthetictree.cpp end every name in its position, so nearly every name
is a text of its own. A real planner's data names the same few hundred items and tools, a
dozen skills and a handful of multipliers over and over: this file does the same, which is
what the memory rows of BENCHMARKS.md measure. The tree is the same for the same count.

- about 300 items/tools (a material and a form, "Iron Ore", "Oak Handle", and tools such as
  "Crucible" or "Hammer"), each with its own item-database id;
- 10 skills;
- 15 multiplier texts ("1", "0.5", "0", ...);
- process names made of a metal and a product ("Iron Sword"), within groups named by craft,
  metal and tier; 100 processes a group, 2 to 12 requirements a process (7 on average), the
  first of them the group's skill.
"""
import random
import struct
import sys

MAGIC = 0x2AE510A4

SKILLS = ["Smelting", "Smithing", "Weaponsmithing", "Armoursmithing", "Toolmaking",
          "Jewelcrafting", "Alloying", "Engraving", "Leatherworking", "Woodworking"]
MULTIPLIERS = ["1", "2", "3", "4", "5", "6", "8", "10", "12", "0.5", "0.25", "0.75", "1.5",
               "2.5", "0"]
METALS = ["Iron", "Copper", "Bronze", "Steel", "Silver", "Gold", "Mithril", "Tin", "Lead",
          "Zinc", "Nickel", "Cobalt", "Titanium", "Platinum", "Adamant", "Orichalcum",
          "Electrum", "Brass", "Pewter", "Stählern"]
PRODUCTS = ["Ingot", "Plate", "Wire", "Nails", "Rivets", "Sword", "Axe", "Hammer", "Dagger",
            "Spear", "Mace", "Helmet", "Gauntlets", "Greaves", "Breastplate", "Shield", "Ring",
            "Amulet", "Chain Link", "Horseshoe", "Tongs", "Chisel", "Saw Blade", "Buckle",
            "Hinge", "Lock", "Key", "Bell", "Pot", "Kettle", "Arrowheads", "Bolt",
            "Scale Mail", "Bracers", "Circlet", "Brooch", "Goblet", "Candlestick",
            "Lantern", "Anvil"]
CRAFTS = ["Smelting", "Smithing", "Weapons", "Armour", "Tools", "Jewellery", "Household",
          "Fittings"]
TIERS = ["Novice", "Apprentice", "Journeyman", "Expert", "Master", "Grandmaster",
         "Legendary", "Mythic", "Ancient", "Celestial"]
MATERIALS = ["Iron", "Copper", "Tin", "Silver", "Gold", "Mithril", "Coal", "Oak", "Ash",
             "Yew", "Leather", "Linen", "Bone", "Glass", "Clay", "Sand", "Quartz", "Ruby",
             "Sapphire", "Emerald", "Amber", "Pearl", "Obsidian", "Marble", "Granite",
             "Salt", "Sulphur", "Resin", "Wax", "Hemp", "Meteorite ☆"]
FORMS = ["Ore", "Ingot", "Dust", "Nugget", "Plank", "Handle", "Strip", "Thread", "Shard"]
TOOLS = ["Crucible", "Hammer", "Tongs", "Anvil", "Whetstone", "Pliers", "Chisel", "File",
         "Bellows", "Mould", "Quench Tank", "Grinding Wheel", "Engraving Needle",
         "Runed Crucible", "Forge", "Smelter", "Drawplate", "Swage Block", "Punch",
         "Polishing Cloth", "Stählerne Zange", "Saw", "Lathe", "Vice", "Tweezers"]


def text(s):
    data = s.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_realistic.py REQUIREMENTS OUTFILE")
    wanted = int(sys.argv[1])
    rng = random.Random(21)
    items = [m + " " + f for m in MATERIALS for f in FORMS] + TOOLS
    items = items[:275] + TOOLS  # about 300: every tool, and most material forms
    item_ids = {name: 40000 + i for i, name in enumerate(items)}
    groups = []
    made = 0
    while made < wanted:
        g = len(groups)
        craft = CRAFTS[g % len(CRAFTS)]
        metal = METALS[(g // len(CRAFTS)) % len(METALS)]
        tier = TIERS[(g // (len(CRAFTS) * len(METALS))) % len(TIERS)]
        skill = SKILLS[g % len(SKILLS)]
        procs = []
        for _ in range(100):
            if made >= wanted:
                break
            name = rng.choice(METALS if rng.random() < 0.3 else [metal]) + " " + rng.choice(PRODUCTS)
            low = rng.randrange(1, 200)
            high = min(255, low + rng.randrange(0, 100))
            count = min(rng.randrange(2, 13), wanted - made)
            reqs = [(skill, rng.choice(MULTIPLIERS), 1, 0)]
            for _ in range(count - 1):
                item = rng.choice(items)
                reqs.append((item, rng.choice(MULTIPLIERS), 0, item_ids[item]))
            made += len(reqs)
            procs.append((name, high, low, reqs))
        groups.append((craft + ": " + metal + " (" + tier + ")", procs))

    out = [struct.pack(">IH", MAGIC, len(groups))]
    for gname, procs in groups:
        out.append(text(gname) + struct.pack(">H", len(procs)))
        for pname, high, low, reqs in procs:
            out.append(text(pname) + struct.pack(">BBH", high, low, len(reqs)))
            for rname, mult, rtype, rid in reqs:
                out.append(text(rname) + text(mult) + struct.pack(">bi", rtype, rid))
    with open(sys.argv[2], "wb") as f:
        f.write(b"".join(out))


if __name__ == "__main__":
    main()
