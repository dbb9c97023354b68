#!/usr/bin/env python3
"""The administrative templates (packaging/policy) against the program that
reads their values: one check per rule, each printed with what broke it.

    policy_templates_test.py <source folder> [--templates <folder>]

The program's values, key and field limits are read from settings/policy.cpp
and settings/fieldrules.h, so the templates cannot drift from them unseen.
"""
import argparse
import os
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
LANGUAGES = ["en-US", "de-DE", "ja-JP", "fr-FR", "es-ES"]
ADMX = "corvantis-fax.admx"
ADML = "corvantis-fax.adml"
PREFIX, NAMESPACE = "corvantisfax", "Kelvaro.Policies.CorvantisFax"
# The field each text value goes into, by its limit in fieldrules.h.
FIELD_LIMIT = {"UserName": "RoadNameLimit", "Company": "RoadCompanyLimit",
               "FaxNumber": "RoadNumberLimit", "VoiceNumber": "RoadNumberLimit"}
# The presentation control each kind of policy element needs.
CONTROL = {"text": "textBox", "decimal": "decimalTextBox", "longDecimal": "longDecimalTextBox",
           "boolean": "checkBox", "enum": "dropdownList", "list": "listBox",
           "multiText": "multiTextBox"}


class Unreadable(Exception):
    pass


def find(pattern, text, what, source):
    match = re.search(pattern, text, re.S)
    if not match:
        raise Unreadable(f"{what} not found in {source}: the test reads it with /{pattern}/")
    return match


def program(source):
    """The values the program reads: {name: "text" | "flag"}, its key, the limits."""
    cpp_path = os.path.join(source, "settings", "policy.cpp")
    rules_path = os.path.join(source, "settings", "fieldrules.h")
    cpp = open(cpp_path, encoding="utf-8").read()
    rules = open(rules_path, encoding="utf-8").read()
    key = find(r'const char kPolicyKey\[\]\s*=\s*"((?:[^"\\]|\\.)*)"', cpp, "kPolicyKey", cpp_path)
    key = key.group(1).replace("\\\\", "\\")
    table = find(r"kPolicyValues\[PolicyValueCount\]\s*=\s*\{(.*?)\};", cpp, "kPolicyValues", cpp_path)
    values = {}
    for name, kind in re.findall(r'\{\s*"(\w+)"\s*,\s*Policy(Text|Flag)\s*\}', table.group(1)):
        values[name] = kind.lower()
    if not values:
        raise Unreadable(f"no entry {{\"Name\", PolicyText|PolicyFlag}} in kPolicyValues of {cpp_path}")
    disable = find(r'const char kDisableWizardValue\[\]\s*=\s*"(\w+)"', cpp, "kDisableWizardValue", cpp_path)
    values[disable.group(1)] = "flag"
    limits = {}
    for constant in sorted(set(FIELD_LIMIT.values())):
        limits[constant] = int(find(rf"const int {constant}\s*=\s*(\d+)", rules, constant, rules_path).group(1))
    return values, key, limits


class Templates:
    def __init__(self, folder):
        self.folder = folder
        self.paths = {"admx": os.path.join(folder, ADMX)}
        for lang in LANGUAGES:
            self.paths[lang] = os.path.join(folder, lang, ADML)
        self.trees, self.broken = {}, {}
        for name, path in self.paths.items():
            try:
                self.trees[name] = ET.parse(path).getroot()
            except (OSError, ET.ParseError) as error:
                self.broken[name] = str(error)
        self.admx = self.trees.get("admx")

    def adml(self):
        return [(lang, self.trees[lang]) for lang in LANGUAGES if lang in self.trees]

    def policies(self):
        return self.admx.iter(NS + "policy") if self.admx is not None else []


def strings_of(adml):
    return adml.iter(NS + "string")


def presentations_of(adml):
    return adml.iter(NS + "presentation")


def references(admx, kind):
    refs = set()
    for element in admx.iter():
        for value in element.attrib.values():
            refs.update(re.findall(r"\$\(" + kind + r"\.([^)]*)\)", value))
    return refs


# ---------------------------------------------------------------- the rules
# Each takes the templates and the program's side and returns its faults.

def well_formed(t, prog):
    faults = [f"{t.paths[name]}: {why}" for name, why in t.broken.items()]
    for name, path in t.paths.items():
        if name in t.broken:
            continue
        data = open(path, "rb").read()
        if not re.match(rb'<\?xml version="1\.0" encoding="utf-8"\?>', data):
            faults.append(f"{path}: does not start with an XML declaration naming utf-8")
        try:
            data.decode("utf-8")
        except UnicodeDecodeError as error:
            faults.append(f"{path}: not UTF-8 ({error})")
    return faults


def schema_roots(t, prog):
    faults = []
    for name, root in t.trees.items():
        expected = "policyDefinitions" if name == "admx" else "policyDefinitionResources"
        if root.tag != NS + expected:
            faults.append(f"{name}: root is {root.tag}, not {expected} in the policy definitions namespace")
        for attribute in ("revision", "schemaVersion"):
            if not re.fullmatch(r"\d+\.\d+", root.get(attribute, "")):
                faults.append(f"{name}: {attribute} is '{root.get(attribute)}', not a version n.n")
    return faults


def own_namespace(t, prog):
    faults = []
    targets = t.admx.findall(f"{NS}policyNamespaces/{NS}target")
    got = [(x.get("prefix"), x.get("namespace")) for x in targets]
    if got != [(PREFIX, NAMESPACE)]:
        faults.append(f"target namespace is {got}, not [{(PREFIX, NAMESPACE)}]")
    # A template that uses another one's definitions needs that one imported first.
    for using in t.admx.findall(f"{NS}policyNamespaces/{NS}using"):
        faults.append(f"uses the namespace {using.get('namespace')}: the template must stand alone")
    return faults


def one_category(t, prog):
    faults = []
    categories = [c.get("name") for c in t.admx.iter(NS + "category")]
    if len(categories) != 1:
        return [f"categories {categories}: the product has exactly one"]
    supported = {d.get("name") for d in t.admx.iter(NS + "definition")}
    if len(supported) != 1:
        faults.append(f"supportedOn definitions {sorted(supported)}: one of our own is expected")
    for policy in t.policies():
        name = policy.get("name")
        parents = [p.get("ref") for p in policy.findall(NS + "parentCategory")]
        if parents != categories:
            faults.append(f"{name}: parent category {parents}, not {categories}")
        refs = [s.get("ref") for s in policy.findall(NS + "supportedOn")]
        if len(refs) != 1 or refs[0] not in supported:
            faults.append(f"{name}: supportedOn {refs} is not one of {sorted(supported)}")
    return faults


def machine_class(t, prog):
    faults = []
    for policy in t.policies():
        if policy.get("class") != "Machine":
            faults.append(f"{policy.get('name')}: class '{policy.get('class')}', not Machine")
    return faults


def titled_and_explained(t, prog):
    faults = []
    for policy in t.policies():
        for attribute in ("displayName", "explainText"):
            if not re.fullmatch(r"\$\(string\.[^)]+\)", policy.get(attribute, "")):
                faults.append(f"{policy.get('name')}: {attribute} is no $(string.X)")
    return faults


def unique_names(t, prog):
    faults = []
    names = [p.get("name") for p in t.policies()]
    faults += [f"policy {n} defined {names.count(n)} times" for n in sorted(set(names)) if names.count(n) > 1]
    for lang, adml in t.adml():
        for what, items in (("string", strings_of(adml)), ("presentation", presentations_of(adml))):
            ids = [x.get("id") for x in items]
            faults += [f"{lang}: {what} {i} defined {ids.count(i)} times"
                       for i in sorted(set(ids)) if ids.count(i) > 1]
    return faults


def only_product_key(t, prog):
    _, key, _ = prog
    faults = []
    for element in t.admx.iter():
        if "key" in element.attrib and element.get("key") != key:
            faults.append(f"{element.tag.replace(NS, '')} {element.get('id') or element.get('name')}: "
                          f"key '{element.get('key')}' is not the product's '{key}'")
    for policy in t.policies():
        if "key" not in policy.attrib:
            faults.append(f"{policy.get('name')}: no key")
    return faults


def values_written(t, prog):
    """(valueName, kind) as the policies write them, against the program's list."""
    values, _, _ = prog
    written = {}
    faults = []
    for policy in t.policies():
        if policy.get("valueName"):
            written.setdefault(policy.get("valueName"), []).append("flag")
        elements = policy.find(NS + "elements")
        for element in list(elements) if elements is not None else []:
            kind = element.tag.replace(NS, "")
            written.setdefault(element.get("valueName"), []).append("text" if kind == "text" else kind)
    for name, kinds in sorted(written.items(), key=lambda x: str(x[0])):
        if len(kinds) > 1:
            faults.append(f"value {name} written by {len(kinds)} policies or elements")
    got = {(name, kinds[0]) for name, kinds in written.items()}
    expected = set(values.items())
    for name, kind in sorted(got - expected, key=str):
        faults.append(f"the templates write {name} as {kind}, which the program does not read so")
    for name, kind in sorted(expected - got):
        faults.append(f"the program reads {name} as {kind}, which no policy writes")
    return faults


def flags_one_zero(t, prog):
    faults = []
    for policy in t.policies():
        if not policy.get("valueName"):
            continue
        for state, number in (("enabledValue", "1"), ("disabledValue", "0")):
            values = policy.findall(f"{NS}{state}/*")
            got = [(v.tag.replace(NS, ""), v.get("value")) for v in values]
            if got != [("decimal", number)]:
                faults.append(f"{policy.get('name')}: {state} is {got}, not a decimal {number}")
    return faults


def text_limits(t, prog):
    _, _, limits = prog
    faults = []
    for policy in t.policies():
        for text in policy.iter(NS + "text"):
            name = text.get("valueName")
            if name not in FIELD_LIMIT:
                faults.append(f"text {name}: no field known for it")
                continue
            limit = limits[FIELD_LIMIT[name]]
            if text.get("maxLength") != str(limit):
                faults.append(f"text {name}: maxLength {text.get('maxLength')}, "
                              f"the field takes {limit} ({FIELD_LIMIT[name]})")
    return faults


def fax_number_required(t, prog):
    # The program refuses an empty fax number: the editor must not let one through.
    for text in (t.admx.iter(NS + "text") if t.admx is not None else []):
        if text.get("valueName") == "FaxNumber":
            return [] if text.get("required") == "true" else ['text FaxNumber is not required="true"']
    return ["no text element writes FaxNumber"]


def referenced_resources_exist(t, prog):
    faults = []
    strings, presentations = references(t.admx, "string"), references(t.admx, "presentation")
    for element in t.admx.iter():
        for attribute, value in element.attrib.items():
            if "$(" in value and not re.fullmatch(r"\$\((string|presentation)\.[^)]+\)", value):
                faults.append(f"{attribute}=\"{value}\" is no $(string.X) or $(presentation.X)")
    for lang, adml in t.adml():
        have_strings = {s.get("id") for s in strings_of(adml)}
        have_presentations = {p.get("id") for p in presentations_of(adml)}
        faults += [f"{lang}: no string {s}" for s in sorted(strings - have_strings)]
        faults += [f"{lang}: no presentation {p}" for p in sorted(presentations - have_presentations)]
    return faults


def same_ids_as_english(t, prog):
    if "en-US" not in t.trees:
        return ["no en-US ADML to compare with"]
    english = t.trees["en-US"]
    faults = []
    for lang, adml in t.adml():
        for what, of in (("string", strings_of), ("presentation", presentations_of)):
            mine, theirs = {x.get("id") for x in of(adml)}, {x.get("id") for x in of(english)}
            faults += [f"{lang}: lacks {what} {i}" for i in sorted(theirs - mine)]
            faults += [f"{lang}: has {what} {i} that en-US has not" for i in sorted(mine - theirs)]
    return faults


def texts_filled_and_translated(t, prog):
    english = {s.get("id"): (s.text or "") for s in strings_of(t.trees["en-US"])} if "en-US" in t.trees else {}
    faults = []
    for lang, adml in t.adml():
        for string in strings_of(adml):
            text = (string.text or "").strip()
            if not text:
                faults.append(f"{lang}: string {string.get('id')} is empty")
            # Explanations are prose: an English one in another language was not translated.
            elif (lang != "en-US" and string.get("id", "").endswith("_Help")
                  and text == english.get(string.get("id"), "").strip()):
                faults.append(f"{lang}: {string.get('id')} is the English text")
    return faults


def presentation_controls(t, prog):
    """Each policy's elements have their control, of the right kind, in every language."""
    faults = []
    for policy in t.policies():
        name = policy.get("name")
        elements = policy.find(NS + "elements")
        ids = {e.get("id"): e.tag.replace(NS, "") for e in (list(elements) if elements is not None else [])}
        ref = re.fullmatch(r"\$\(presentation\.([^)]+)\)", policy.get("presentation", ""))
        if ids and not ref:
            faults.append(f"{name}: elements {sorted(ids)} but no presentation")
            continue
        if not ref:
            continue
        for lang, adml in t.adml():
            found = [p for p in presentations_of(adml) if p.get("id") == ref.group(1)]
            if not found:
                continue  # named by referenced_resources_exist
            controls = {c.get("refId"): c for c in found[0] if c.get("refId") is not None}
            for element_id, kind in sorted(ids.items()):
                control = controls.get(element_id)
                if control is None:
                    faults.append(f"{lang}: {name} shows no control for its {kind} {element_id}")
                elif control.tag != NS + CONTROL.get(kind, "?"):
                    faults.append(f"{lang}: {name} shows its {kind} {element_id} as "
                                  f"{control.tag.replace(NS, '')}, not {CONTROL.get(kind)}")
                elif kind == "text" and not (control.findtext(NS + "label") or "").strip():
                    faults.append(f"{lang}: {name}'s textBox {element_id} has no label")
            for extra in sorted(set(controls) - set(ids)):
                faults.append(f"{lang}: {name} shows a control for {extra}, which it does not have")
    return faults


RULES = [
    ("every file is well-formed UTF-8 XML with its declaration", well_formed),
    ("root elements and versions of the policy definitions schema", schema_roots),
    ("a target namespace of our own, using no other template", own_namespace),
    ("one category and one supportedOn definition for every policy", one_category),
    ("every policy is a computer (Machine) policy", machine_class),
    ("every policy has a display name and an explanation", titled_and_explained),
    ("policy, string and presentation names are unique", unique_names),
    ("every key is the product's policy key", only_product_key),
    ("the values written are the values the program reads", values_written),
    ("flags write DWORD 1 when enabled and 0 when disabled", flags_one_zero),
    ("text maxLength is the field's limit", text_limits),
    ("the fax number cannot be left empty", fax_number_required),
    ("every string and presentation the ADMX names is in every ADML", referenced_resources_exist),
    ("every ADML has the ids of en-US, no fewer and no more", same_ids_as_english),
    ("no string is empty, no explanation left in English", texts_filled_and_translated),
    ("every element has its control of the right kind, text boxes a label", presentation_controls),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("--templates")
    args = parser.parse_args()
    try:
        prog = program(args.source)
    except (OSError, Unreadable) as error:
        print(f"FAIL: the program's side cannot be read: {error}")
        return 1
    templates = Templates(args.templates or os.path.join(args.source, "packaging", "policy"))
    failed = 0
    # Without the ADMX only its reading can be told; every other rule needs it.
    rules = RULES if templates.admx is not None else RULES[:1]
    for title, rule in rules:
        try:
            faults = rule(templates, prog)
        except Exception as error:  # a rule that trips over a broken file fails, others still run
            faults = [f"{type(error).__name__}: {error}"]
        print(f"{'FAIL' if faults else 'ok  '} {title}")
        for fault in faults:
            print(f"       {fault}")
        failed += bool(faults)
    print(f"{len(rules) - failed} of {len(RULES)} rules hold")
    return 1 if failed or len(rules) < len(RULES) else 0


if __name__ == "__main__":
    sys.exit(main())
