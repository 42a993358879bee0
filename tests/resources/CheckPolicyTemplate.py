#!/usr/bin/env python3
"""Checks the Group Policy template: pyxen.admx and its en-US and ja-JP pyxen.adml are
well-formed, every string and presentation the ADMX names is in both languages with a
control for each of its policy's elements, and every key it writes lies under
Software\\Policies\\Pyxen. Then damages copies in memory, one fault each, and expects the
check to name it: a check that passes a broken template would hide a fault.

    CheckPolicyTemplate.py POLICY_DEFINITIONS_FOLDER
"""
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
LANGUAGES = ("en-US", "ja-JP")
ROOT_KEY = "software\\policies\\pyxen"


def Problems(admx, admls):
    """admx: its text; admls: language -> text. Returns the faults found, as sentences."""
    try:
        definitions = ElementTree.fromstring(admx)
        resources = {language: ElementTree.fromstring(text) for language, text in admls.items()}
    except ElementTree.ParseError as error:
        return ["not well-formed: %s" % error]
    problems = []
    for element in definitions.iter():
        key = element.get("key")
        if key is not None and not (key.lower() == ROOT_KEY or key.lower().startswith(ROOT_KEY + "\\")):
            problems.append("key %s is outside Software\\Policies\\Pyxen" % key)
    names = re.findall(r"\$\((string|presentation)\.([^)]+)\)", admx)
    for language, adml in resources.items():
        strings = {s.get("id") for s in adml.iter(NS + "string")}
        presentations = {p.get("id"): p for p in adml.iter(NS + "presentation")}
        for kind, name in names:
            if name not in (strings if kind == "string" else presentations):
                problems.append("%s: %s %s is missing" % (language, kind, name))
        for policy in definitions.iter(NS + "policy"):
            shown = re.fullmatch(r"\$\(presentation\.([^)]+)\)", policy.get("presentation", ""))
            elements = policy.find(NS + "elements")
            wanted = {e.get("id") for e in (elements if elements is not None else [])}
            controls = presentations.get(shown.group(1)) if shown else None
            given = {c.get("refId") for c in (controls if controls is not None else []) if c.get("refId")}
            if wanted != given:
                problems.append("%s: policy %s has elements %s but controls %s"
                                % (language, policy.get("name"), sorted(wanted), sorted(given)))
    return problems


def main(folder):
    def Read(*path):
        with open(os.path.join(folder, *path), encoding="utf-8") as file:
            return file.read()

    admx = Read("pyxen.admx")
    admls = {language: Read(language, "pyxen.adml") for language in LANGUAGES}
    problems = Problems(admx, admls)
    for problem in problems:
        print("pyxen.admx: " + problem)
    # One fault each, in memory; the check must name every one.
    for file, old, new in [
        ("ja-JP", '<string id="EnforcementHours">', '<string id="EnforcementHour">'),
        ("en-US", '<presentation id="EnforcementHours">', '<presentation id="Hours">'),
        ("ja-JP", '<textBox refId="HoursZone">', '<textBox refId="Zone">'),
        ("admx", 'key="Software\\Policies\\Pyxen\\Hours"', 'key="Software\\Policies\\Microsoft\\Hours"'),
        ("admx", 'key="Software\\Policies\\Pyxen"', 'key="Software\\Policies\\PyxenX"'),
        ("en-US", "</stringTable>", "</stringtable>"),
    ]:
        texts = dict(admls, admx=admx)
        assert old in texts[file], "the damage %r finds nothing to change in %s" % (old, file)
        texts[file] = texts[file].replace(old, new, 1)
        if not Problems(texts.pop("admx"), texts):
            problems.append("damage unnoticed")
            print("the check passes %s with %r made %r" % (file, old, new))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
