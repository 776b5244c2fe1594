#!/usr/bin/env python3
"""Checks what 'kscan scan --json --remove' left behind against the expected documents.

usage: kscan_remove_check.py EXPECTED_DIR OUT_DIR

OUT_DIR holds what the run script collected: kscan.json, state.txt (the planted items after
the run), app/ (the application folder after the run), app-template/ (it before the run),
originals/ with planted.txt (each planted file as planted), unregistered.txt (the probe
library's calls), values.txt and census.txt (NAME=value lines for the placeholders).

In the expected documents "${NAME}" stands for a value of those files. Time stamps are
masked: the quarantine log's as ${TIME}, the scan log's two as ${STARTED} and ${FINISHED}.
Every difference is printed; the exit code is 1 when there is any.
"""
import hashlib
import json
import os
import re
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_documents  # noqa: E402

# The general date format: short date and long time of the user's locale.
STAMP = r"\d{1,4}[./-]\d{1,2}[./-]\d{1,4} \d{1,2}:\d{2}:\d{2}(?: [AP]M)?"
LOG_STAMP = re.compile(r"^" + STAMP + r"(?= - (?:File|Key): )", re.MULTILINE)
SCAN_STAMPS = [(re.compile(r"^( Scan Started at  : )" + STAMP + r"(?=\r\n)", re.MULTILINE),
                r"\1${STARTED}"),
               (re.compile(r"^( Scan Finished at : )" + STAMP + r"(?=\r\n)", re.MULTILINE),
                r"\1${FINISHED}")]
MASKS = {"TIME", "STARTED", "FINISHED"}

# The registry items the removal backs up, as the results list shows them.
REGISTRY_BACKUPS = [r"HKEY_CURRENT_USER\Software\KestrianE2ERemoval\ValuesStringValue",
                    r"HKEY_CURRENT_USER\Software\KestrianE2ERemoval\ValuesOtherValue",
                    r"HKEY_CURRENT_USER\Software\KestrianE2ERemoval\Whole",
                    r"HKEY_CURRENT_USER\Software\KestrianE2ERemoval\Nameless",
                    r"HKEY_CURRENT_USER\Software\MicrosoftKestrianE2ERemovalValue",
                    r"HKEY_LOCAL_MACHINE\Software\KestrianE2ERemoval\Machine",
                    r"HKEY_CURRENT_USER\Software\KestrianE2ERemoval\Twofold"]

problems = []


def problem(text):
    problems.append(text)


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def expected_text(path, values):
    """An expected document: LF lines in the source tree, CR LF lines as the program writes."""
    with open(path, encoding="utf-8") as file:
        return e2e_documents.substitute(file.read(), values, MASKS).replace("\n", "\r\n")


def compare_text(what, expected, actual, shown=repr):
    """Line ends count: the lines are shown as literals unless `shown` says otherwise."""
    if expected == actual:
        return
    diff = e2e_documents.diff([shown(line) for line in expected.splitlines(keepends=True)],
                              [shown(line) for line in actual.splitlines(keepends=True)], 2)
    problem(f"{what} differs (- expected, + actual):\n" + diff)


def check_report(here, out, values):
    expected = e2e_documents.load_expected_json(
        os.path.join(here, "kscan_remove_expected.json"), values, MASKS)
    actual, not_json = e2e_documents.read_report(os.path.join(out, "kscan.json"))
    if not_json:
        problem(not_json)
        return
    if actual != expected:
        compare_text("the JSON report", json.dumps(expected, indent=2) + "\n",
                     json.dumps(actual, indent=2) + "\n", shown=str.rstrip)
    # The running total grows by what the scan found: threats and traces.
    try:
        counters, removal = actual["counters"], actual["removal"]
        grown = int(values["OLD_TOTAL"]) + counters["spywareFound"] + counters["traces"]
        if removal["total"] != grown:
            problem(f"removal.total is {removal['total']}, expected {grown}: the old total "
                    f"{values['OLD_TOTAL']} + spywareFound {counters['spywareFound']} + "
                    f"traces {counters['traces']}")
    except (KeyError, TypeError):
        problem("the report has no counters or no removal section")


def check_state(here, out, values):
    expected = expected_text(os.path.join(here, "kscan_remove_expected_state.txt"), values)
    actual = read_bytes(os.path.join(out, "state.txt")).decode("latin-1").replace("\n", "\r\n")
    compare_text("the machine after the removal (state.txt)", expected, actual)


def check_quarantine(here, out, values):
    folder = os.path.join(out, "app", "quarantine")
    template = os.path.join(out, "app-template", "quarantine")
    log_path = os.path.join(folder, "QuarantineLog.txt")
    if not os.path.isfile(log_path):
        problem("there is no quarantine\\QuarantineLog.txt")
        return
    expected_log = expected_text(os.path.join(here, "kscan_remove_expected_quarantine_log.txt"),
                                 values)
    actual_log = LOG_STAMP.sub("${TIME}", read_bytes(log_path).decode("latin-1"))
    compare_text("quarantine\\QuarantineLog.txt (time stamps masked)", expected_log, actual_log)

    # Each backup the expected log names, with the bytes of the file it was made of; the
    # files an earlier removal left stay as they were; nothing else.
    originals = {}
    with open(os.path.join(out, "planted.txt"), encoding="latin-1") as lines:
        for line in lines.read().splitlines():
            path, copy = line.split("|", 1)
            originals[path.lower()] = os.path.join(out, "originals", copy)
    earlier = set(os.listdir(template))
    expected_names = set(earlier)
    entries = re.findall(r" - File: (.*)\r\nLocation: (.*)\r\n", expected_log)
    for backup, location in entries:
        if backup in earlier:
            continue
        expected_names.add(backup)
        backup_path = os.path.join(folder, backup)
        if not os.path.isfile(backup_path):
            problem(f"no backup quarantine\\{backup} of {location}")
        elif read_bytes(backup_path) != read_bytes(originals[location.lower()]):
            problem(f"quarantine\\{backup} is not a copy of {location} as planted")
    # The registry backups and the index beside them: each backup the index names has the
    # size and SHA-256 its record says, and every registry item removed has one.
    index_path = os.path.join(folder, "QuarantineIndex.json")
    records = json.load(open(index_path, encoding="utf-8"))["records"] if os.path.isfile(index_path) else []
    expected_names.add("QuarantineIndex.json")
    for record in records:
        backup = read_bytes(os.path.join(folder, record["backup"])) if os.path.isfile(
            os.path.join(folder, record["backup"])) else None
        if backup is None or len(backup) != record["size"] or \
                hashlib.sha256(backup).hexdigest() != record["sha256"]:
            problem(f"the index's record of {record['backup']} does not fit its backup")
        if record["kind"] == "registry":
            expected_names.add(record["backup"])
    registry_records = sorted(r["location"] for r in records if r["kind"] == "registry")
    if registry_records != sorted(values["REGISTRY_BACKUPS"].split("|")):
        problem(f"registry backups of {registry_records}, expected {values['REGISTRY_BACKUPS']}")
    for name in earlier - {"QuarantineLog.txt"}:
        if read_bytes(os.path.join(folder, name)) != read_bytes(os.path.join(template, name)):
            problem(f"quarantine\\{name}, an earlier backup, was changed")
    actual_names = set(os.listdir(folder))
    for name in sorted(actual_names - expected_names):
        problem(f"unexpected file in the quarantine: {name}")
    for name in sorted(expected_names - actual_names):
        problem(f"missing from the quarantine: {name}")


def check_unregistration(out, values):
    path = os.path.join(out, "unregistered.txt")
    probe = values["DRIVE"] + "KestrianE2ERemoval\\kse2r_probe.dll"
    if not os.path.isfile(path):
        problem(f"DllUnregisterServer of {probe} never ran")
        return
    calls = read_bytes(path).decode("latin-1").splitlines()
    if not calls or any(call.lower() != probe.lower() for call in calls):
        problem(f"DllUnregisterServer ran for {calls}, expected only for {probe}")


def check_scan_log(here, out, values):
    path = os.path.join(out, "app", "Scan_Log.txt")
    if not os.path.isfile(path):
        problem("there is no Scan_Log.txt")
        return
    actual = read_bytes(path).decode("latin-1")
    for pattern, mask in SCAN_STAMPS:
        actual = pattern.sub(mask, actual)
    # The cookies-and-processes count covers every running process and cookie file, as in
    # the report's counters.
    counted = dict(values, MEMORY_INSPECTED=str(3 + int(values["OTHER_COOKIE_FILES"]) + 2 +
                                                int(values["PROCESSES"])))
    expected = expected_text(os.path.join(here, "kscan_remove_expected_log.txt"), counted)
    compare_text("Scan_Log.txt (scan times masked)", expected, actual)


def main():
    here, out = sys.argv[1:]
    values = e2e_documents.read_values(
        [os.path.join(out, "values.txt"), os.path.join(out, "census.txt")],
        {"EMPTY": "", "REGISTRY_BACKUPS": "|".join(REGISTRY_BACKUPS)})
    try:
        check_report(here, out, values)
        check_state(here, out, values)
        check_quarantine(here, out, values)
        check_unregistration(out, values)
        check_scan_log(here, out, values)
    except e2e_documents.MissingValue as missing:
        sys.exit(f"kscan remove run: no value for ${{{missing.name}}}")
    for text in problems:
        print(f"kscan remove run: {text}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
