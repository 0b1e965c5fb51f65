#!/usr/bin/env python3
"""Checks `vantrel-cli scan --json` against the corpus reference tables.

For every recognised file of the shared SEG-Y corpus, scans it in the modes
all, first and last and compares the headers read and the four tables with
reference.json's scan_all, scan_first and scan_last. Run it after changing
the scan, before timing it: a fast scan that computes something else is no
gain.

    bench/check_corpus_scan.py [CORPUS_DIR] [VANTREL_CLI]
"""
import json
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT.parent / "shared" / "segy-corpus"
CLI = pathlib.Path(sys.argv[2]) if len(sys.argv) > 2 else ROOT / "build" / "app" / "vantrel-cli"

# reference.json key, vantrel-cli --mode
MODES = [("scan_all", "all"), ("scan_first", "first"), ("scan_last", "last")]
# reference.json field, vantrel-cli JSON field
FIELDS = [("headers_read", "HeadersRead"), ("min4", "Hdr4Min"), ("max4", "Hdr4Max"),
          ("min2", "Hdr2Min"), ("max2", "Hdr2Max")]


def main():
    reference_path = CORPUS / "reference.json"
    if not reference_path.is_file():
        print(f"skipped: no corpus at {CORPUS}")
        return 0
    reference = json.loads(reference_path.read_text())
    failures = 0
    checked = 0
    for name, expected in sorted(reference.items()):
        if not expected.get("recognized"):
            continue
        for key, mode in MODES:
            run = subprocess.run([str(CLI), "scan", str(CORPUS / name), "--mode", mode, "--json"],
                                 capture_output=True, text=True)
            if run.returncode != 0:
                print(f"FAIL {name} {mode}: exit {run.returncode}: {run.stderr.strip()}")
                failures += 1
                continue
            got = json.loads(run.stdout)
            wrong = [ours for theirs, ours in FIELDS if got[ours] != expected[key][theirs]]
            if wrong:
                print(f"FAIL {name} {mode}: {', '.join(wrong)} differ")
                failures += 1
            checked += 1
    print(f"{checked} scans checked, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
