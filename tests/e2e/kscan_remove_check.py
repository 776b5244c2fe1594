#!/usr/bin/env python3
"""Checks what 'kscan scan --json --remove' left (the planter checks the machine): the report,
the quarantine and its log, Scan_Log.txt and the probe library's unregistration. Prints every
difference; exit code 1 when there is any.

usage: kscan_remove_check.py HERE OUT APP  (OUT: what the run collected; APP: the application folder)
"""
import difflib
import hashlib
import json
import os
import re
import sys

# The general date format: short date and long time of the user's locale.
STAMP = r"\d{1,4}[./-]\d{1,2}[./-]\d{1,4} \d{1,2}:\d{2}:\d{2}(?: [AP]M)?"
LOG_STAMP = re.compile(r"^" + STAMP + r"(?= - (?:File|Key): )", re.M)
# What the removal must leave, and why: protected keys and values, the program's own files
# through other forms of their paths, held files, and files it cannot back up.
LEFT = {
    "${DRIVE}KestrianE2ERemoval\\kse2r_shared.dat": "will be removed at the next restart",
    "${DRIVE}KestrianE2ERemoval\\kse2r_locked.dat": "no backup could be made",
    "${DRIVE}KestrianE2ERemoval\\app\\kse2r_inside.txt": "part of this program",
    "${DRIVE}KestrianE2ERemoval\\kse2r_pending.dat": "will be removed at the next restart",
    "${DRIVE}KestrianE2ERemoval\\kse2r_locked.dll": "no backup could be made",
    "${SHORT_APP}\\kscan.exe": "part of this program",
    "\\\\?\\${APP}\\ENoSignature.txt": "part of this program",
    "HKEY_CURRENT_USER\\Software\\Microsoft": "a registry key Windows needs",
    "HKEY_CURRENT_USER\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run":
        "a registry key Windows needs",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"
    "\\KestrianE2ERemovalFolder": "a registry value Windows needs",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet002": "a registry key Windows needs",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet002\\Control\\Session Manager\\BootExecute":
        "a registry value Windows needs",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell":
        "a registry value Windows needs",
}
# The registry items the removal backs up, as the results list shows them.
REGISTRY_BACKUPS = {"HKEY_CURRENT_USER\\Software\\KestrianE2ERemoval\\ValuesStringValue",
                    "HKEY_CURRENT_USER\\Software\\KestrianE2ERemoval\\ValuesOtherValue",
                    "HKEY_CURRENT_USER\\Software\\KestrianE2ERemoval\\Whole",
                    "HKEY_CURRENT_USER\\Software\\KestrianE2ERemoval\\Nameless",
                    "HKEY_CURRENT_USER\\Software\\MicrosoftKestrianE2ERemovalValue",
                    "HKEY_LOCAL_MACHINE\\Software\\KestrianE2ERemoval\\Machine",
                    "HKEY_CURRENT_USER\\Software\\KestrianE2ERemoval\\Twofold"}
# The threats found, in the order of the report and the scan log.
THREATS = ["Cookie: kse2r@remtrack[1].txt", "Cookie: kse2r@www.rempop[1].txt", "E2R String Threat",
           "E2R Other String Threat", "E2R Whole Key Threat", "Software\\KestrianE2ERemoval\\Nameless",
           "E2R Protected Key Value Threat", "E2R Protected Threat", "E2R Machine Key Threat",
           "E2R Mirrored Run Key Threat", "E2R Shell Folder Threat", "E2R Control Set Threat",
           "E2R Boot Execute Threat", "E2R Winlogon Shell Threat", "E2R Twofold Threat", "E2R Note File",
           "E2R Twin File", "E2R Probe Library", "E2R Runner File", "E2R Shared Held File", "E2R Locked File",
           "E2R Inside File", "E2R Pending File", "E2R Locked Library", "E2R Short Program File",
           "E2R Prefixed Program File", "E2R Desktop File", "E2R Windows File"]
FOUND, TRACES = 30, len(THREATS)

problems = []


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def expected_text(path, values):
    """The expected log, written as one "FIRST|SECOND" line per entry, as the program writes it."""
    text = "".join("${TIME} - %s\r\n%s\r\n\r\n\r\n" % tuple(line.split("|"))
                   for line in open(path, encoding="utf-8").read().splitlines())
    return re.sub(r"\$\{([A-Z_]+)\}", lambda m: values.get(m.group(1), m.group(0)), text)


def compare_log(what, expected, actual_path):
    if not os.path.isfile(actual_path):
        return problems.append(f"there is no {what}")
    actual = LOG_STAMP.sub("${TIME}", read_bytes(actual_path).decode("latin-1"))
    if expected != actual:
        diff = difflib.unified_diff([repr(line) for line in expected.splitlines(True)],
                                    [repr(line) for line in actual.splitlines(True)], "expected", what, n=2)
        problems.append(f"{what} differs (- expected, + actual):\n" + "\n".join(diff))


def check_report(out, values):
    try:
        report = json.load(open(os.path.join(out, "kscan.json"), encoding="utf-8"))
        counters, removal = report["counters"], report["removal"]
    except (OSError, ValueError, KeyError) as error:
        return problems.append(f"no JSON report with counters and a removal: {error}")
    left = {item["location"]: item["reason"] for item in removal["deleteFailed"]}
    found = report["found"]
    for what, actual, expected in [
        ("left behind", left,
         {re.sub(r"\$\{([A-Z_]+)\}", lambda m: values[m.group(1)], k): v for k, v in LEFT.items()}),
        ("found and traces", (counters["spywareFound"], counters["traces"]), (FOUND, TRACES)),
        ("the results' names", [result["name"] for result in report["results"]], THREATS),
        # The running total grows by what the scan found: threats and traces.
        ("removal.total", removal["total"], int(values["OLD_TOTAL"]) + FOUND + TRACES),
        ("the nameless key found by its path", "RegKey Software\\KestrianE2ERemoval\\Nameless - Found" in found, True),
        ("the look-alike and Windows' own services.exe", sorted(line for line in found if "SERVICES.EXE" in line),
         ["Detected in the memory : SERVICES.EXE was left running: Windows needs it.",
          "Detected in the memory : SERVICES.EXE was stopped from running."]),
        ("fileNotFound", report.get("fileNotFound"), [{"file": "kse2r_absent.txt", "name": "E2R Absent File"}]),
    ]:
        if actual != expected:
            problems.append(f"{what}: {json.dumps(actual, indent=1)}, expected {json.dumps(expected, indent=1)}")
    return report


def check_scan_log(app, report):
    """Its format is the unit tests' matter; here, what this run wrote in it."""
    path = os.path.join(app, "Scan_Log.txt")
    lines = [line for line in read_bytes(path).decode("latin-1").split("\r\n") if line] if os.path.isfile(path) else []
    threats = [text for result in report["results"] for text in (result["name"], result["location"])]
    expected = [" 2)Total Number of Registry entries inspected: 14", " 3)Total Number of Files/Folders inspected: 17",
                "[Threats Detected]"] + threats + [
                f"Total = {TRACES}", "[Files Currently Excluded]", "E2R Excluded File", "Total Lines = 1",
                "[Current Quarantine Log]", "1/2/2026 10:00:00 AM - File: kse2r_old.txt",
                "Location: C:\\KestrianE2ERemoval\\old\\kse2r_old.txt", "Total Lines = 4",
                "=====================End Of Report."]
    if lines[-len(expected):] != expected:
        problems.append("Scan_Log.txt ends differently (- expected, + actual):\n" + "\n".join(
            difflib.unified_diff(expected, lines[-len(expected):], lineterm="", n=1)))


def check_quarantine(here, out, app, values):
    folder, template = os.path.join(app, "quarantine"), os.path.join(out, "app-template", "quarantine")
    expected_log = expected_text(os.path.join(here, "kscan_remove_expected_quarantine_log.txt"), values)
    compare_log("quarantine\\QuarantineLog.txt", expected_log, os.path.join(folder, "QuarantineLog.txt"))
    # Each backup the log names holds the bytes of the file as planted; the files an earlier
    # removal left stay as they were; nothing else is there.
    planted = {}
    for line in open(os.path.join(out, "planted-dump.txt"), encoding="latin-1").read().splitlines():
        kind, rest = line.split(" ", 1)
        if kind in ("file", "cookie"):
            path, data = rest.rsplit(" ", 1)
            planted[path.lower()] = bytes.fromhex(data)
    earlier = set(os.listdir(template))
    names = set(earlier) | {"QuarantineIndex.json"}
    for backup, location in re.findall(r" - File: (.*)\r\nLocation: (.*)\r\n", expected_log):
        if backup in earlier:
            continue
        names.add(backup)
        path = os.path.join(folder, backup)
        if not os.path.isfile(path) or read_bytes(path) != planted.get(location.lower()):
            problems.append(f"quarantine\\{backup} is not a copy of {location} as planted")
    # Each backup the index names has the size and SHA-256 its record says.
    index = os.path.join(folder, "QuarantineIndex.json")
    records = json.load(open(index, encoding="utf-8"))["records"] if os.path.isfile(index) else []
    for record in records:
        path = os.path.join(folder, record["backup"])
        backup = read_bytes(path) if os.path.isfile(path) else b""
        if len(backup) != record["size"] or hashlib.sha256(backup).hexdigest() != record["sha256"]:
            problems.append(f"the index's record of {record['backup']} does not fit its backup")
        if record["kind"] == "registry":
            names.add(record["backup"])
    registry = {r["location"] for r in records if r["kind"] == "registry"}
    if registry != REGISTRY_BACKUPS:
        problems.append(f"registry backups of {sorted(registry)}, expected {sorted(REGISTRY_BACKUPS)}")
    for name in earlier - {"QuarantineLog.txt"}:
        if read_bytes(os.path.join(folder, name)) != read_bytes(os.path.join(template, name)):
            problems.append(f"quarantine\\{name}, an earlier backup, was changed")
    actual = set(os.listdir(folder))
    problems.extend(f"unexpected in the quarantine: {name}" for name in sorted(actual - names))
    problems.extend(f"missing from the quarantine: {name}" for name in sorted(names - actual))


def check_unregistration(out, values):
    path = os.path.join(out, "unregistered.txt")
    probe = values["DRIVE"] + "KestrianE2ERemoval\\kse2r_probe.dll"
    calls = read_bytes(path).decode("latin-1").splitlines() if os.path.isfile(path) else []
    if not calls or any(call.lower() != probe.lower() for call in calls):
        problems.append(f"DllUnregisterServer ran for {calls}, expected only for {probe}")


def main():
    here, out, app = sys.argv[1:]
    values = dict(line.split("=", 1) for line in open(os.path.join(out, "values.txt")).read().splitlines() if line)
    values.update(OLD_TOTAL="1000", EMPTY="")
    report = check_report(out, values)
    check_quarantine(here, out, app, values)
    check_unregistration(out, values)
    if report:
        check_scan_log(app, report)
    for text in problems:
        print(f"kscan remove run: {text}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.dont_write_bytecode = True
    sys.exit(main())
