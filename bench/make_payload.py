#!/usr/bin/env python3
"""The benchmark's synthetic payloads, from a fixed seed so that every run measures
the same bytes.

    make_payload.py OUT_DIR
        the large payload: about 200 MB in about 2,000 files in nested folders,
        text-like (compressible), random (incompressible) and half-and-half files;
        writes OUT_DIR/files/... and OUT_DIR/payload.manifest
    make_payload.py --product OUT_DIR PROGRAMS_DIR DEFAULT_MANIFEST
        a payload shaped like the product's own: the default payload's eleven files,
        its application made 1.6 MB of program-like bytes after the stand-in (which
        still starts and ends as before); writes OUT_DIR/Arbolix.exe and
        OUT_DIR/payload.manifest
"""
import os
import random
import re
import sys

SEED = 20261208
FILE_COUNT = 2000
TOTAL_BYTES = 200 * 1000 * 1000
APPLICATION_BYTES = 1_600_000  # the product's own application, about
FILE_TIME = 1_700_000_000  # every file's modification time, so both installers see the same

WORDS = ("family tree ancestor descendant birth marriage death parish record census "
         "county village oak ridge born married died buried son daughter father mother "
         "witness baptism will estate land deed source note page volume archive").split()


def text_pool(rng, size):
    parts, length = [], 0
    while length < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(6, 14)))
        line += " %d-%02d-%02d %d\n" % (rng.randint(1600, 1990), rng.randint(1, 12),
                                        rng.randint(1, 28), rng.randint(1, 99999))
        parts.append(line)
        length += len(line)
    return "".join(parts).encode("ascii")


def folder_names(rng):
    folders = []
    for top in range(8):
        for sub in range(rng.randint(3, 6)):
            base = "Set%02d\\Group%02d" % (top, sub)
            folders.append(base)
            for deep in range(rng.randint(0, 3)):
                folders.append(base + "\\Part%d\\Pages" % deep)
    return folders


def product(out, programs, default_manifest):
    rng = random.Random(SEED)
    with open(os.path.join(programs, "Arbolix.exe"), "rb") as handle:
        program = handle.read()
    # Code-like: repeated instruction-sized words among random ones, about two thirds
    # as large deflated, as real programs are.
    words = [rng.randbytes(4) for _ in range(512)]
    overlay = bytearray()
    while len(overlay) < APPLICATION_BYTES - len(program):
        overlay += rng.choice(words) if rng.random() < 0.7 else rng.randbytes(4)
    os.makedirs(out, exist_ok=True)
    application = os.path.join(out, "Arbolix.exe")
    with open(application, "wb") as handle:
        handle.write(program + bytes(overlay[:APPLICATION_BYTES - len(program)]))
    os.utime(application, (FILE_TIME, FILE_TIME))
    here = os.path.dirname(os.path.abspath(default_manifest))
    sources = {"Arbolix.exe": application, "Uninstall.exe": os.path.join(os.path.abspath(programs), "Uninstall.exe")}
    lines = []
    with open(default_manifest) as handle:
        for line in handle:
            words = re.findall(r'"[^"]*"|\S+', line)
            if not words or words[0].startswith("#"):
                continue
            source = words[0].strip('"')
            source = sources.get(source, os.path.join(here, source))
            lines.append(" ".join(['"%s"' % source] + words[1:]) + "\n")
    with open(os.path.join(out, "payload.manifest"), "w") as handle:
        handle.write("# The default payload with an application of %d bytes\n" % APPLICATION_BYTES)
        handle.writelines(lines)


def main():
    if sys.argv[1] == "--product":
        product(*sys.argv[2:5])
        return
    out = sys.argv[1]
    rng = random.Random(SEED)
    pool = text_pool(rng, 8 << 20)
    folders = folder_names(rng)
    weights = [rng.lognormvariate(0, 1.3) for _ in range(FILE_COUNT)]
    scale = TOTAL_BYTES / sum(weights)
    files = os.path.join(out, "files")
    lines = []
    for index, weight in enumerate(weights):
        size = max(1, int(weight * scale))
        kind = rng.random()
        extension = "txt" if kind < 0.5 else "bin" if kind < 0.8 else "dat"
        if kind < 0.5:
            start = rng.randrange(len(pool) - size) if size < len(pool) else 0
            data = (pool * (size // len(pool) + 1))[start:start + size]
        elif kind < 0.8:
            data = rng.randbytes(size)
        else:
            half = size // 2
            start = rng.randrange(len(pool) - half) if half < len(pool) else 0
            data = rng.randbytes(size - half) + (pool * (half // len(pool) + 1))[start:start + half]
        folder = rng.choice(folders)
        name = "%s\\file%04d.%s" % (folder, index, extension)
        path = os.path.join(files, *name.split("\\"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as handle:
            handle.write(data)
        os.utime(path, (FILE_TIME, FILE_TIME))
        lines.append("files/%s %s\n" % (name.replace("\\", "/"), name))
    # Entries of one folder together, as an installer script would list them.
    lines.sort(key=lambda line: line.split(" ")[1].rsplit("\\", 1)[0])
    with open(os.path.join(out, "payload.manifest"), "w") as handle:
        handle.write("# Synthetic benchmark payload, seed %d\n" % SEED)
        handle.writelines(lines)


if __name__ == "__main__":
    main()
