#!/usr/bin/env python3
"""Checks what 'kscan scan --json --remove' left (the planter checks the machine, the restore
the quarantine): the report, the threats in Scan_Log.txt and the probe library's
unregistration. Prints every difference; exit code 1 when there is any.

usage: kscan_remove_check.py OUT APP  (OUT: what the run collected; APP: the application folder)
"""
import json
import os
import re
import sys

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
FOUND, TRACES = 30, 28  # threats and traces found


def read_lines(path):
    return open(path, "rb").read().decode("latin-1").splitlines() if os.path.isfile(path) else []


def main():
    out, app = sys.argv[1:]
    values = dict(line.split("=", 1) for line in open(os.path.join(out, "values.txt")).read().splitlines() if line)
    try:
        report = json.load(open(os.path.join(out, "kscan.json"), encoding="utf-8"))
        counters, removal, found = report["counters"], report["removal"], report["found"]
    except (OSError, ValueError, KeyError) as error:
        print(f"kscan remove run: no JSON report with counters and a removal: {error}")
        return 1
    left = {item["location"]: item["reason"] for item in removal["deleteFailed"]}
    probe = values["DRIVE"] + "KestrianE2ERemoval\\kse2r_probe.dll"
    calls = read_lines(os.path.join(out, "unregistered.txt"))
    # Its form is the unit tests' matter; here, that this run's threats are in it.
    log = [line for line in read_lines(os.path.join(app, "Scan_Log.txt")) if line]
    start = log.index("[Threats Detected]") + 1 if "[Threats Detected]" in log else 0
    threats = [text for result in report["results"] for text in (result["name"], result["location"])]
    problems = [f"{what}: {json.dumps(actual, indent=1)}, expected {json.dumps(expected, indent=1)}"
                for what, actual, expected in [
        ("left behind", left,
         {re.sub(r"\$\{([A-Z_]+)\}", lambda m: values[m.group(1)], k): v for k, v in LEFT.items()}),
        ("found and traces", (counters["spywareFound"], counters["traces"]), (FOUND, TRACES)),
        # The running total, 1000 before the run, grows by what the scan found: threats and traces.
        ("removal.total", removal["total"], 1000 + FOUND + TRACES),
        ("the nameless key found by its path", "RegKey Software\\KestrianE2ERemoval\\Nameless - Found" in found, True),
        ("the look-alike and Windows' own services.exe", sorted(line for line in found if "SERVICES.EXE" in line),
         ["Detected in the memory : SERVICES.EXE was left running: Windows needs it.",
          "Detected in the memory : SERVICES.EXE was stopped from running."]),
        ("fileNotFound", report.get("fileNotFound"), [{"file": "kse2r_absent.txt", "name": "E2R Absent File"}]),
        ("DllUnregisterServer ran for", sorted({call.lower() for call in calls}), [probe.lower()]),
        ("Scan_Log.txt's threats", log[start : start + len(threats) + 1], threats + [f"Total = {TRACES}"]),
    ] if actual != expected]
    for text in problems:
        print(f"kscan remove run: {text}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.dont_write_bytecode = True
    sys.exit(main())
