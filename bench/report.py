#!/usr/bin/env python3
"""Prints the benchmark's table (Markdown) from bench/run's results file."""
import statistics
import sys


def records(path):
    with open(path) as handle:
        for line in handle:
            kind, *fields = line.split()
            yield kind, dict(field.split("=", 1) for field in fields if "=" in field)


def mb(value):
    return "%.1f MB" % (value / 1e6)


def kb(value):
    return "%d B (%.1f KB)" % (value, value / 1024)


def timing(values):
    if not values:
        return "-"
    digits = 2 if min(values) >= 0.1 else 3
    return "%.*f s (%.*f–%.*f)" % (digits, statistics.median(values), digits, min(values),
                                   digits, max(values))


PAIRS = (("x86", "ours x86 (i686), peer NSIS x86-unicode"), ("x64", "ours x64, peer NSIS amd64-unicode"))


def main():
    runs, floors, logged_floors, sizes, stub, skipped = {}, {}, {}, {}, None, []
    for kind, fields in records(sys.argv[1]):
        if kind == "run":
            runs.setdefault((fields["payload"], fields["side"], fields["arch"]), []).append(fields)
        elif kind == "floor":
            chosen = logged_floors if fields.get("log") == "1" else floors
            chosen.setdefault(fields["payload"], []).append(float(fields["seconds"]))
        elif kind == "size":
            sizes[(fields["payload"], fields["arch"])] = fields
        elif kind == "stub":
            stub = fields
        elif kind == "skipped":
            skipped.append(fields["arch"])
    payloads = [name for name in ("default", "large", "product") if (name, "x86") in sizes]
    archs = [arch for arch, _ in PAIRS if arch not in skipped]
    rows = []

    def row(label, make):
        rows.append("| %s | %s |" % (label, " | ".join(make(name) for name in payloads)))

    def seconds(name, side, arch):
        return [float(r["seconds"]) for r in runs.get((name, side, arch), [])]

    # Ours, split where its uninstall entry appeared: the files, then the finishing.
    def split(name, arch, finishing):
        return [float(r["seconds"]) - float(r["extraction"]) if finishing else float(r["extraction"])
                for r in runs.get((name, "ours", arch), []) if "extraction" in r]


    def failed(name, side, arch):
        # Ours also writes its uninstall log into the folder; the peer of the product's
        # payload writes its uninstaller. The bare probe writes the files alone, the
        # checked one an uninstall log too.
        extra = {"peer": int(name == "product"), "floor-bare": 0}.get(side, 1)
        expected = int(sizes[(name, arch)]["files"]) + extra
        return [r for r in runs.get((name, side, arch), []) if r.get("exit") != "0"
                or int(r.get("installed", -1)) != expected]

    def ratio(a, b):
        return "%.2f" % (statistics.median(a) / statistics.median(b)) if a and b else "-"

    def peak(name, arch, key):
        ours = max(int(r[key]) for r in runs[(name, "ours", arch)])
        peer = max(int(r[key]) for r in runs[(name, "peer", arch)])
        return "%s / %s" % (mb(ours), mb(peer))

    row("files, bytes", lambda n: "%s, %s" % (sizes[(n, "x86")]["files"], mb(int(sizes[(n, "x86")]["bytes"]))))
    row("runs each (A B A B)", lambda n: str(len(seconds(n, "ours", archs[0]))))
    for arch, title in PAIRS:
        if arch not in archs:
            row("**%s**" % title, lambda n: "not run: this kernel refuses 32-bit code")
            continue
        row("**%s**" % title, lambda n: "")
        row("install time, ours: median (min–max)", lambda n: timing(seconds(n, "ours", arch)))
        row("ours: extraction, then finishing (registry, shortcuts, starting the application)",
            lambda n: "%s + %s" % (timing(split(n, arch, False)), timing(split(n, arch, True))))
        row("install time, ours with -Log: median (min–max)", lambda n: timing(seconds(n, "ours-log", arch)))
        row("ours with -Log / ours", lambda n: ratio(seconds(n, "ours-log", arch), seconds(n, "ours", arch)))
        row("install time, peer: median (min–max)", lambda n: timing(seconds(n, "peer", arch)))
        row("**ours / peer**", lambda n: "**%s**" % ratio(seconds(n, "ours", arch), seconds(n, "peer", arch)))
        row("ours / native floor", lambda n: ratio(seconds(n, "ours", arch), floors.get(n, [])))
        row("Wine floor, bare writes (create, write, stamp, close): median (min–max)",
            lambda n: timing(seconds(n, "floor-bare", arch)))
        row("Wine floor with our per-file checks (real path, stamps in one call, a log line)",
            lambda n: timing(seconds(n, "floor-checked", arch)))
        row("**ours / Wine floor, bare**", lambda n: "**%s**" % ratio(seconds(n, "ours", arch),
                                                                      seconds(n, "floor-bare", arch)))
        row("ours / Wine floor with checks", lambda n: ratio(seconds(n, "ours", arch), seconds(n, "floor-checked", arch)))
        row("peak working set, ours / peer", lambda n: peak(n, arch, "peak_working_set"))
        row("peak private bytes (PeakPagefileUsage), ours / peer", lambda n: peak(n, arch, "peak_pagefile"))
        row("processes per install, ours / peer",
            lambda n: "%s / %s" % (runs[(n, "ours", arch)][0]["processes"], runs[(n, "peer", arch)][0]["processes"]))
        row("payload: our archive / peer's compressed data",
            lambda n: "%d / %d" % (int(sizes[(n, arch)]["ours_archive"]), int(sizes[(n, arch)]["peer_data"])))
    row("**native floor (Linux, zlib): median (min–max)**", lambda n: timing(floors.get(n, [])))
    row("native floor keeping the uninstall log (committed each second)", lambda n: timing(logged_floors.get(n, [])))
    row("payload: zlib -9, each file alone", lambda n: "%d" % int(sizes[(n, "x86")]["zlib9"]))

    print("| | %s |" % " | ".join("%s payload" % name for name in payloads))
    print("|---|" + "---|" * len(payloads))
    print("\n".join(rows))
    if stub:
        print()
        print("Setup stub, i686 build (size without the payload): ours %s, peer NSIS zlib stub %s."
              % (kb(int(stub["ours"])), kb(int(stub["peer"]))))
    for name in payloads:
        for arch in archs:
            for side in ("ours", "ours-log", "peer", "floor-bare", "floor-checked"):
                for bad in failed(name, side, arch):
                    print("\nWARNING: %s %s %s run failed: exit %s, %s files installed"
                          % (name, side, arch, bad.get("exit"), bad.get("installed")))


if __name__ == "__main__":
    main()
