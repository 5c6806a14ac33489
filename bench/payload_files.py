#!/usr/bin/env python3
"""The files of a payload manifest, for the peer installer and the zlib figure.

    payload_files.py nsis MANIFEST [--source-dir DIR]... --target T --out OUT.exe [--same-work]
        prints an NSIS script installing the same files (zlib, not solid) into /D=;
        --same-work: and doing what our setup program does after its files (an
        uninstaller, the uninstall entry, the product values, the ".abx"
        association, the user's acknowledgement, shortcuts in the common Programs
        and desktop folders, starting the application with /install)
    payload_files.py zlib9 MANIFEST [--source-dir DIR]...
        prints the bytes of the files each deflated alone by zlib at level 9
        (kept as they are when that is not smaller), as the archive does
"""
import argparse
import os
import re
import sys
import zlib


def entries(manifest, source_dirs):
    """(source path, target name) of every entry with data, in manifest order."""
    here = os.path.dirname(os.path.abspath(manifest))
    result = []
    with open(manifest, "rb") as handle:
        for raw in handle:
            line = raw.decode("cp1252").strip()
            if not line or line.startswith("#"):
                continue
            words = [w[1:-1] if w.startswith('"') else w for w in re.findall(r'"[^"]*"|\S+', line)]
            source, target, keys = words[0], words[1], words[2:]
            if source == "-":
                continue
            if any(k.startswith("base=system") for k in keys):
                sys.exit("payload_files: system-folder entries are not benchmarked")
            path = source if os.path.isabs(source) else None
            for folder in [here] + source_dirs:
                if path is None and os.path.isfile(os.path.join(folder, source)):
                    path = os.path.join(folder, source)
            if path is None:
                sys.exit("payload_files: no source %s" % source)
            result.append((os.path.abspath(path), target))
    return result


def nsis(args):
    out = ['Unicode true', 'Target %s' % args.target, 'SetCompressor zlib',
           'Name "Arbolix benchmark peer"', 'OutFile "%s"' % args.out,
           'InstallDir "$TEMP\\peer"', 'RequestExecutionLevel user', 'Section']
    folder = None
    for path, target in entries(args.manifest, args.source_dir):
        parent, _, name = target.rpartition("\\")
        if parent != folder:
            folder = parent
            out.append('  SetOutPath "$INSTDIR%s"' % ("\\" + parent if parent else ""))
        out.append('  File "/oname=%s" "%s"' % (name.replace("$", "$$"), path.replace("$", "$$")))
    if args.same_work:
        out += SAME_WORK
    out.append('SectionEnd')
    print("\n".join(out))


# What our setup program writes after its files, in its order (common/product.h).
SAME_WORK = r"""  WriteRegStr HKLM "Software\Velcordan\Arbolix" "UserAcceptedAgreement" "Y"
  WriteRegDWORD HKCU "Software\Velcordan\Arbolix\Settings" "LicenseAgreement" 3
  WriteRegStr HKLM "Software\Velcordan\Arbolix" "InstallPath.Beta" "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninst.exe"
  !define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\Arbolix Beta"
  WriteRegStr HKLM "${UNINSTALL}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr HKLM "${UNINSTALL}" "DisplayName" "Arbolix Beta 2.b20e"
  WriteRegStr HKLM "${UNINSTALL}" "Publisher" "Arbolix Inc."
  WriteRegStr HKLM "${UNINSTALL}" "URLInfoAbout" "https://www.arbolix.example/"
  WriteRegStr HKLM "${UNINSTALL}" "HelpLink" "https://www.arbolix.example/support/"
  WriteRegStr HKLM "Software\Classes\.abx" "" "Arbolix.Document"
  Exec '"$INSTDIR\Arbolix.exe" /install'
  SetOutPath "$INSTDIR"
  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\Arbolix Beta.lnk" "$INSTDIR\Arbolix.exe" "" "" 0 SW_SHOWNORMAL "" \
    "Powerful graphical editor capable to create the most complex genealogy tree"
  CreateShortCut "$DESKTOP\Arbolix Beta.lnk" "$INSTDIR\Arbolix.exe" "" "" 0 SW_SHOWNORMAL "" \
    "Powerful graphical editor capable to create the most complex genealogy tree"
  WriteRegStr HKLM "Software\Velcordan\Arbolix" "VersionInstalled.2.b20e" "8-12-2026"
SectionEnd
Section "Uninstall"
  Delete "$INSTDIR\uninst.exe"
""".splitlines()


def zlib9(args):
    total = 0
    for path, _ in entries(args.manifest, args.source_dir):
        with open(path, "rb") as handle:
            data = handle.read()
        total += min(len(zlib.compress(data, 9)), len(data))
    print(total)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["nsis", "zlib9"])
    parser.add_argument("manifest")
    parser.add_argument("--source-dir", action="append", default=[])
    parser.add_argument("--target", default="amd64-unicode")
    parser.add_argument("--out", default="peer.exe")
    parser.add_argument("--same-work", action="store_true")
    args = parser.parse_args()
    (nsis if args.command == "nsis" else zlib9)(args)


if __name__ == "__main__":
    main()
