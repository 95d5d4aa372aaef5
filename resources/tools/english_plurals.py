#!/usr/bin/env python3
"""Fills in the English plural forms of a Qt translation file.

The program is written in English and needs no translation, except where a text holds a
count (tr() with %n): there the source text marks the plural ending, as in "%n group(s)" or
"%n process(es)", and the English "translation" spells out the two forms, "%n group" and
"%n groups". Run by scripts/update-translations.sh after lupdate has listed the texts.
"""
import re
import sys
import xml.etree.ElementTree as ET

MARK = re.compile(r"\((s|es)\)")


def forms(source):
    return MARK.sub("", source), MARK.sub(lambda m: m.group(1), source)


def main(path):
    tree = ET.parse(path)
    for message in tree.iter("message"):
        if message.get("numerus") != "yes":
            continue
        source = message.findtext("source")
        translation = message.find("translation")
        for child in list(translation):
            translation.remove(child)
        translation.text = None
        translation.attrib.pop("type", None)
        for text in forms(source):
            ET.SubElement(translation, "numerusform").text = text
    ET.indent(tree, "    ")
    with open(path, "wb") as out:
        out.write(b'<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
        tree.write(out, encoding="utf-8", xml_declaration=False)
        out.write(b"\n")


if __name__ == "__main__":
    main(sys.argv[1])
