#!/usr/bin/env python3
"""The administrative templates as Group Policy and Intune read them.

    templates.py POLICY_DEFINITIONS_DIR [CHECK_ADMX]

Every template refers only to strings, presentations and element ids its ADMLs define, in
en-US and ja-JP; each policy is in one template only, and each template has a namespace of
its own, so that Intune, which refuses a template whose settings it has imported already,
takes pyxen-settings.admx beside the pyxen.admx an administrator imported before; what a
template refers to in another is there; no key is under Software\\Microsoft. Then, with
CHECK_ADMX (the shared ADMX schema's checker), every file against Microsoft's schema;
without it the test counts as skipped (exit 77), with the reason.
"""
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
folder = sys.argv[1]
checker = sys.argv[2] if len(sys.argv) > 2 else ""
faults = []


def fault(text):
    faults.append(text)


templates = sorted(f for f in os.listdir(folder) if f.endswith(".admx"))
namespaces = {}
policies = {}
categories = {}
parsed = {}
for name in templates:
    root = ET.parse(os.path.join(folder, name)).getroot()
    parsed[name] = root
    target = root.find(f"{NS}policyNamespaces/{NS}target")
    namespace = target.get("namespace")
    if namespace in namespaces.values():
        fault(f"{name}: namespace {namespace} is another template's too")
    namespaces[name] = namespace
    categories[namespace] = {c.get("name") for c in root.iter(f"{NS}category")}
    for policy in root.iter(f"{NS}policy"):
        if policy.get("name") in policies:
            fault(f"{name}: policy {policy.get('name')} is in {policies[policy.get('name')]} too")
        policies[policy.get("name")] = name

for name, root in parsed.items():
    text = open(os.path.join(folder, name), encoding="utf-8").read()
    if re.search(r'key="Software\\Microsoft', text, re.IGNORECASE):
        fault(f"{name}: a key under Software\\Microsoft, which Intune refuses")
    using = {u.get("prefix"): u.get("namespace") for u in root.iter(f"{NS}using")}
    for ref in root.iter(f"{NS}parentCategory"):
        prefix, _, category = ref.get("ref").rpartition(":")
        namespace = using.get(prefix) if prefix else namespaces[name]
        if category not in categories.get(namespace, set()):
            fault(f"{name}: category {ref.get('ref')} is in no template")
    strings = set(re.findall(r"\$\(string\.([^)]+)\)", text))
    presentations = set(re.findall(r"\$\(presentation\.([^)]+)\)", text))
    elements = {e.get("id") for e in root.iter() if e.get("id") and e.tag != f"{NS}policy"}
    for language in ("en-US", "ja-JP"):
        path = os.path.join(folder, language, name[:-1] + "l")
        if not os.path.exists(path):
            fault(f"{name}: no {language} ADML")
            continue
        adml = ET.parse(path).getroot()
        defined = {s.get("id") for s in adml.iter(f"{NS}string")}
        shown = {p.get("id"): p for p in adml.iter(f"{NS}presentation")}
        for missing in sorted(strings - defined):
            fault(f"{language}/{name[:-1]}l: no string {missing}")
        for missing in sorted(presentations - set(shown)):
            fault(f"{language}/{name[:-1]}l: no presentation {missing}")
        for presentation in shown.values():
            for part in presentation:
                if part.get("refId") and part.get("refId") not in elements:
                    fault(f"{language}/{name[:-1]}l: {part.get('refId')} is no element of {name}")

for text in faults:
    print(text)
if faults:
    sys.exit(1)
print(f"{len(templates)} templates agree with their ADMLs and with each other")
if not checker or not os.path.exists(checker):
    print(f"skipped: no ADMX schema checker at {checker or '(none given)'} (the shared reference data is absent)")
    sys.exit(77)
files = [os.path.join(folder, n) for n in templates]
files += [os.path.join(folder, l, n[:-1] + "l") for n in templates for l in ("en-US", "ja-JP")]
sys.exit(subprocess.run(["bash", checker] + files).returncode)
