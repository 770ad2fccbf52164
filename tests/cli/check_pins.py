#!/usr/bin/env python3
"""Checks the pin lists beside generated projects: NAME.pins.json validates against the
schema, NAME.pins.csv reads as CSV with the Pin Planner's header, and both name the .qsf's
(port, location, I/O standard) triples in the .qsf's order and the .sdc's clocks.

Usage: check_pins.py SCHEMA.json TRIPLES PROJECT.qpf ...
TRIPLES is the output of `tclsh check_project.tcl --triples PROJECT.qpf ...`.
Exit status 1 when any check fails."""

import csv
import io
import json
import os
import sys

import jsonschema

CSV_HEADER = "To,Direction,Location,I/O Standard"
CSV_DIRECTIONS = {"input": "Input", "output": "Output", "inout": "Bidir"}


def read_triples(path):
    pins, clocks = {}, {}
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            fields = line.rstrip("\n").split("\t")
            if fields[1] == "pin":
                pins.setdefault(fields[0], []).append(tuple(fields[2:5]))
            else:
                clocks.setdefault(fields[0], {})[fields[2]] = fields[3]
    return pins, clocks


def check_project(validator, qpf, qsf_pins, sdc_clocks):
    problems = []
    base = os.path.splitext(qpf)[0]
    with open(base + ".pins.json", "rb") as file:
        manifest = json.loads(file.read().decode("utf-8"))
    problems += [f"schema: {error.message} at {list(error.absolute_path)}"
                 for error in validator.iter_errors(manifest)]
    if problems:
        return problems
    if manifest["project"] != os.path.basename(base):
        problems.append(f"project {manifest['project']} is not the .qpf's name")
    pins = manifest["pins"]
    from_json = [(p["port"], "PIN_" + p["location"], p["io_standard"]) for p in pins]
    if from_json != qsf_pins:
        problems.append(f"the JSON pins differ from the .qsf:\n  {from_json}\n  {qsf_pins}")
    clocks = {p["port"]: p["clock"] for p in pins if "clock" in p}
    if clocks != sdc_clocks:
        problems.append(f"the JSON clocks {clocks} are not the .sdc's {sdc_clocks}")

    with open(base + ".pins.csv", "rb") as file:
        raw = file.read().decode("utf-8")
    if not raw.startswith(CSV_HEADER + "\r\n"):
        problems.append("the CSV does not start with its header line")
    if raw.replace("\r\n", "").count("\n") or raw.replace("\r\n", "").count("\r"):
        problems.append("the CSV has a line end other than CR LF")
    rows = list(csv.reader(io.StringIO(raw, newline=""), strict=True))
    if not rows or any(len(row) != 4 for row in rows):
        return problems + ["the CSV rows do not all have four fields"]
    body = rows[1:]
    from_csv = [(row[0], row[2], row[3]) for row in body]
    if from_csv != qsf_pins:
        problems.append(f"the CSV pins differ from the .qsf:\n  {from_csv}\n  {qsf_pins}")
    directions = [row[1] for row in body]
    if directions != [CSV_DIRECTIONS[p["direction"]] for p in pins]:
        problems.append("the CSV directions differ from the JSON's")
    return problems


def main():
    schema_path, triples_path, *qpfs = sys.argv[1:]
    with open(schema_path, encoding="utf-8") as file:
        schema = json.load(file)
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    qsf_pins, sdc_clocks = read_triples(triples_path)
    failed = False
    for qpf in qpfs:
        try:
            problems = check_project(validator, qpf, qsf_pins.get(qpf, []),
                                     sdc_clocks.get(qpf, {}))
        except (OSError, ValueError, csv.Error) as error:
            problems = [str(error)]
        for problem in problems:
            print(f"FAIL {os.path.basename(qpf)}: {problem}")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
