#!/usr/bin/python3
"""Builds the sample database of assets/database/ from the molecules of the
Debian package chemical-structures-data, converted by Open Babel.

Run by hand (standard library only) after
    apt-get install chemical-structures-data openbabel
It writes MeltingPoint.csv and BoilingPoint.csv with their hin/ and mol/
structure folders. Only the compounds listed in sample-database-cas.tsv are
taken: CAS numbers cannot be derived from a structure, so each one was entered
by hand and is checked here by its check digit and its formula. A record's ID
is "CS_" and the CML file's name, its Name the common name of the listing (what
a chemist searches by), and its sixth field, which readers ignore, keeps the
collection's systematic name. The listing also corrects what the collection
has wrong (a systematic name, a SMILES).
"""
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

COLLECTION = "/usr/share/chemical-structures"
PACKAGE = "chemical-structures-data"
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "assets", "database")
CML = "{http://www.xml-cml.org/schema}"
MOL_HEADER = "  sample database (Open Babel, from CML)"
SETS = [("MeltingPoint", "cml:mp", "Melting point (deg C)"),
        ("BoilingPoint", "cml:bp", "Boiling point (deg C)")]


def fail(message):
    sys.exit("make-sample-database: " + message)


def cas_valid(cas):
    m = re.fullmatch(r"(\d{2,7})-(\d\d)-(\d)", cas)
    if not m:
        return False
    digits = (m.group(1) + m.group(2))[::-1]
    return sum((i + 1) * int(d) for i, d in enumerate(digits)) % 10 == int(m.group(3))


def cas11(cas):
    first, second, check = cas.split("-")
    return first.rjust(6, "0") + "-" + second + "-" + check


def hill(counts):
    order = [e for e in ("C", "H") if e in counts] if "C" in counts else []
    order += sorted(e for e in counts if e not in order)
    return "".join(e + (str(counts[e]) if counts[e] != 1 else "") for e in order)


def cml_formula(root):
    tokens = root.find(CML + "formula").get("concise").split()
    return hill({tokens[i]: int(tokens[i + 1]) for i in range(0, len(tokens), 2)})


def cml_property(root, ref):
    for prop in root.iter(CML + "property"):
        if prop.get("dictRef") == ref:
            scalar = prop.find(CML + "scalar")
            text = (scalar.text or "").strip() if scalar is not None else ""
            if re.fullmatch(r"-?\d+(\.\d+)?", text):
                return text
    return None


def babel(path, fmt):
    result = subprocess.run(["obabel", "-icml", path, "-o" + fmt], capture_output=True, text=True, check=True)
    return result.stdout


def read_list():
    entries, seen = [], set()
    with open(os.path.join(HERE, "sample-database-cas.tsv"), encoding="ascii") as listing:
        for line in listing:
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\n").split("\t")
            if len(fields) < 4:
                fail("%s: CAS number, formula and common name are required" % fields[0])
            path, cas, formula, name = fields[:4]
            corrections = dict(field.split("=", 1) for field in fields[4:])
            if not set(corrections) <= {"systematic", "smiles"}:
                fail("%s: unknown correction in %s" % (path, fields[4:]))
            if not cas_valid(cas):
                fail("CAS %s of %s fails its check digit" % (cas, path))
            if cas in seen:
                fail("CAS %s is listed twice" % cas)
            seen.add(cas)
            entries.append((path, cas, formula, name, corrections))
    return entries


def compound(path, cas, formula, name, corrections):
    root = ET.parse(os.path.join(COLLECTION, path)).getroot()
    if cml_formula(root) != formula:
        fail("%s: listed formula %s, CML formula %s" % (path, formula, cml_formula(root)))
    full = os.path.join(COLLECTION, path)
    smiles = corrections.get("smiles") or babel(full, "can").split("\t")[0].strip()
    systematic = corrections.get("systematic") or root.find(CML + "name").text.strip()
    record = {"id": "CS_" + os.path.splitext(os.path.basename(path))[0], "name": name, "systematic": systematic,
              "cas": cas11(cas), "smiles": smiles, "path": full}
    for field in ("id", "name", "systematic", "smiles"):
        if ";" in record[field] or not record[field].isascii():
            fail("%s: field %s is not plain ASCII without ';'" % (path, field))
    return root, record


def package_version():
    result = subprocess.run(["dpkg-query", "-W", "-f=${Version}", PACKAGE], capture_output=True, text=True, check=True)
    return result.stdout.strip()


def write_structures(folder, record):
    hin = babel(record["path"], "hin").splitlines()
    with open(os.path.join(folder, "hin", record["cas"] + ".hin"), "w", newline="", encoding="ascii") as out:
        out.write("".join(line + "\r\n" for line in hin))
    mol = babel(record["path"], "mol").split("\n")
    mol[1] = MOL_HEADER
    with open(os.path.join(folder, "mol", record["cas"] + ".mol"), "w", newline="", encoding="ascii") as out:
        out.write("\n".join(mol))


def main():
    entries = read_list()
    version = package_version()
    reference = ("Measured values of the chemical-structures collection, Debian package %s version %s"
                 % (PACKAGE, version))
    compounds = [compound(*entry) for entry in entries]
    for set_name, ref, title in SETS:
        folder = os.path.join(OUT, set_name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(os.path.join(folder, "hin"))
        os.makedirs(os.path.join(folder, "mol"))
        lines = [";".join(["ID", "Name", "CAS", "SMILES", title, reference])]
        for root, record in compounds:
            value = cml_property(root, ref)
            if value is None:
                continue
            lines.append(";".join([record["id"], record["name"], record["cas"], record["smiles"], value,
                                   record["systematic"]]))
            write_structures(folder, record)
        with open(os.path.join(OUT, set_name + ".csv"), "w", newline="", encoding="ascii") as out:
            out.write("".join(line + "\r\n" for line in lines))
        print("%s: %d records" % (set_name, len(lines) - 1))
    with_value = [r for root, r in compounds if any(cml_property(root, ref) for _, ref, _ in SETS)]
    print("all sets: %d records, %d distinct CAS numbers"
          % (sum(1 for root, r in compounds for _, ref, _ in SETS if cml_property(root, ref)),
             len({r["cas"] for r in with_value})))
    shutil.copyfile("/usr/share/doc/%s/copyright" % PACKAGE, os.path.join(OUT, "COPYRIGHT-chemical-structures"))


if __name__ == "__main__":
    main()
