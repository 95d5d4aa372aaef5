#!/usr/bin/env python3
"""Writes the 16 x 16 pictures of the body editor's tool buttons as XPM files, one
character per pixel, from the pixel drawings below. Redo is drawn as the mirror image of
Undo, so the two always match.

Usage: make_buttons.py resources/buttons
"""
import os
import sys

NONE = "None"

CLOSE = {
    "palette": {".": NONE, "#": "#000000", "o": "#FF8800", "w": "#FFFFFF", "b": "#0000FF"},
    # An orange door in a black frame; a blue arrow leaves it to the left.
    "pixels": [
        "................",
        "......##########",
        "......#ooooooo##",
        "......#oooooo#o#",
        "....b.#oooooo#o#",
        "...bb.#oooooo#o#",
        "..bbb.#oooooo#o#",
        ".bbbbbbbbbbbo#o#",
        ".bbbbbbbbbbbo#o#",
        "..bbb.#ooooow#o#",
        "...bb.#oooooo#o#",
        "....b.#oooooo#o#",
        "......#oooooo#o#",
        "......#ooooooo##",
        "......##########",
        "................",
    ],
}

SAVE = {
    "palette": {".": NONE, "#": "#040404", "o": "#808304", "g": "#BFC2BF"},
    # A floppy disk: olive case, grey label, grey metal shutter with its window.
    "pixels": [
        "###############.",
        "#o#gggggggggg#o#",
        "#o#gggggggggg#o#",
        "#o#g########g#o#",
        "#o#gggggggggg#o#",
        "#o#g########g#o#",
        "#o#gggggggggg#o#",
        "#oo##########oo#",
        "#oooooooooooooo#",
        "#ooo########ooo#",
        "#ooo#gg##ggg#oo#",
        "#ooo#gg##ggg#oo#",
        "#ooo#gg##ggg#oo#",
        "#ooo#ggggggg#oo#",
        ".##############.",
        "................",
    ],
}

TWO = {".": NONE, "#": "#000000"}

BOLD = {
    "palette": TWO,
    "pixels": [
        "................",
        "................",
        "..#########.....",
        "...###...###....",
        "...###....###...",
        "...###....###...",
        "...###...###....",
        "...#########....",
        "...###....###...",
        "...###.....###..",
        "...###.....###..",
        "...###.....###..",
        "...###....###...",
        "..##########....",
        "................",
        "................",
    ],
}

ULINE = {
    "palette": TWO,
    "pixels": [
        "................",
        "..####....####..",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "....##....##....",
        ".....######.....",
        "................",
        "..############..",
        "................",
        "................",
    ],
}

ITALIC = {
    "palette": TWO,
    "pixels": [
        "................",
        "................",
        ".........##.....",
        ".........##.....",
        "................",
        "................",
        "......####......",
        "........##......",
        "........##......",
        ".......##.......",
        ".......##.......",
        "......##........",
        "......##........",
        ".....####.......",
        "................",
        "................",
    ],
}

UNDO = {
    "palette": TWO,
    # The head points left; the tail bends round to the right and back down.
    "pixels": [
        "................",
        "................",
        "....#...........",
        "...##...........",
        "..###...........",
        ".##########.....",
        ".###########....",
        "..###......##...",
        "...##.......##..",
        "....#.......##..",
        "............##..",
        "...........##...",
        "..........##....",
        "......#####.....",
        "......###.......",
        "................",
    ],
}

REDO = {"palette": TWO, "pixels": [row[::-1] for row in UNDO["pixels"]]}

PICTURES = {
    "close": CLOSE,
    "save": SAVE,
    "bold": BOLD,
    "uline": ULINE,
    "italic": ITALIC,
    "undo": UNDO,
    "redo": REDO,
}


def xpm(name, picture):
    pixels, palette = picture["pixels"], picture["palette"]
    assert len(pixels) == 16 and all(len(row) == 16 for row in pixels), name
    used = sorted(set("".join(pixels)), key=list(palette).index)
    assert set(used) <= set(palette), name
    lines = ['"16 16 %d 1",' % len(palette)]
    lines += ['"%s c %s",' % (key, colour) for key, colour in palette.items()]
    lines += ['"%s",' % row for row in pixels]
    lines[-1] = lines[-1].rstrip(",")
    return "/* XPM */\nstatic const char *const %s_xpm[] = {\n%s\n};\n" % (name, "\n".join(lines))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, picture in PICTURES.items():
        with open(os.path.join(folder, name + ".xpm"), "w") as out:
            out.write(xpm(name, picture))


if __name__ == "__main__":
    main()
