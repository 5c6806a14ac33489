#include "tools/pack/help.h"

#include <stdio.h>
#include <string.h>

struct CommandHelp {
    const char* name;
    const char* usage;
    const char* text;
};

static const CommandHelp kCommands[] = {
    {"text", "text [--stored | --gzip] LICENSE.txt -o license.z",
     "Writes the license text resource (Z/107), deflated with a zlib wrapper (--gzip: a\n"
     "gzip wrapper); stored as it is with --stored or when deflating does not make it\n"
     "smaller.\n"},
    {"archive",
     "archive [--arch x86|x64] [--directory zlib|gzip|stored] [--zopfli]\n"
     "          [--source-dir DIR]... [--uninstaller FILE]\n"
     "          [--default-uninstaller FILE | --no-uninstaller]\n"
     "          MANIFEST -o payload.z [--depfile payload.d]",
     "Writes the payload archive (Z/110) of a manifest, entries in manifest order (see\n"
     "'arbolix-pack help manifest'). Relative sources are looked for next to the manifest,\n"
     "then in each --source-dir. A piece is deflated only when that makes it smaller;\n"
     "--zopfli also tries zopfli (slow). --directory says how the directory is kept.\n"
     "The payload must install Uninstall.exe into the install folder, which setup\n"
     "registers as the uninstaller: --default-uninstaller adds FILE as that last entry\n"
     "when the manifest has none (saying so on standard error); --no-uninstaller packs\n"
     "a payload without it, for tests. --uninstaller packs FILE (a signed copy, see\n"
     "'uninstaller') as the entry that installs Uninstall.exe. --depfile writes a\n"
     "make-style list of the files read (for the uninstaller, the manifest's own). The\n"
     "output is written whole or not at all. On a terminal, standard error shows the\n"
     "files and bytes packed so far. --arch names the setup program the archive is for:\n"
     "x86 (the default, the shipping one) holds at most 1 GiB, since the whole program\n"
     "must fit in a 32-bit process's address space; x64 holds 4294967295 bytes, the\n"
     "format's limit. A larger archive is refused.\n"},
    {"checksum", "checksum payload.z -o payload.crc",
     "Writes the payload archive's checksum resource (Z/111): the CRC-32 of every byte\n"
     "of the archive, 4 bytes little-endian. list and verify compare it with the archive\n"
     "a setup program carries.\n"},
    {"list", "list payload.z | ArbolixSetup.exe",
     "Prints an archive's directory, of an archive file or of a setup program's resources.\n"},
    {"verify", "verify [--arch x86|x64] payload.z | ArbolixSetup.exe",
     "Unpacks every piece as the setup program does and checks it fills its size, that\n"
     "every name is one the setup program installs and that no two entries are one file\n"
     "on Windows; for a setup program, that its license text decodes. Says whether the\n"
     "setup program and each program in the archive are signed (Authenticode), with the\n"
     "signer and the file's digest, and checks with OpenSSL that a signature covers its\n"
     "file as it is: its digest, its signer's signature and the checksum. Whether the\n"
     "certificate is trusted is not checked. A setup program's payload checksum (Z/111)\n"
     "must be its archive's. An archive file must fit the setup program of --arch (as\n"
     "for 'archive'; x86 by default). Status 1 on any fault, and for an executable that\n"
     "is not a setup program.\n"},
    {"align-resources", "align-resources ArbolixSetup.exe",
     "Moves a linked setup program's resource section to a 4 KB page of the file, so that\n"
     "Wine maps the payload instead of copying it. A signed program is refused.\n"},
    {"uninstaller", "uninstaller [--source-dir DIR]... [--default-uninstaller FILE] MANIFEST\n"
     "          -o Uninstall.exe",
     "Copies the file the manifest packs as Uninstall.exe in the install folder, to be\n"
     "signed before 'archive --uninstaller' packs the copy in its place. A manifest\n"
     "without that entry is a fault, unless --default-uninstaller names the file that\n"
     "'archive --default-uninstaller' adds: then that one is copied.\n"},
};

static const char kManifestHelp[] =
    "A manifest lists the payload's entries, one a line, in archive order:\n"
    "\n"
    "    SOURCE  TARGET  [key=value ...]\n"
    "\n"
    "Words are separated by blanks; a word holding blanks goes in double quotes (no other\n"
    "escaping: '\\' is an ordinary character). A line whose first word starts with an\n"
    "unquoted '#' is a comment; blank lines are ignored. A manifest without entries is\n"
    "refused.\n"
    "\n"
    "SOURCE  the file to pack, or - for an entry without data (a runtime prerequisite).\n"
    "TARGET  the name under its base folder, '\\' between folders; no drive, ':', '/',\n"
    "        < > \" | ? * or control characters, no empty parts or parts of only dots and\n"
    "        spaces, no device names (CON, NUL, COM1...), at most 259 characters. No two\n"
    "        entries may be one file on Windows (case and trailing dots and spaces aside),\n"
    "        nor a file where another needs a folder. Not Uninstall.cfg in the install\n"
    "        folder (setup's own log), and no part shaped like a short name Windows makes\n"
    "        ('~' and digits before the extension or the end: LONGFI~1.TXT, dir~3).\n"
    "\n"
    "A manifest that is UTF-8 (or starts with its byte order mark) has its names\n"
    "converted to Windows-1252; any other manifest is read as Windows-1252.\n"
    "\n"
    "Keys:\n"
    "  base=install|system           the base folder (system sets InSystemDirectory)\n"
    "  flags=NAME,...                LogForUninstall, InSystemDirectory, VersionGated or\n"
    "                                numbers; default LogForUninstall; never 0\n"
    "  version=a.b.c.d               each 0 to 65535; with, and only with, VersionGated\n"
    "  attributes=NUMBER             the source attributes; default 0x2820\n"
    "  created=, accessed=, written=, times=TIME\n"
    "                                default: the source's modification time, or\n"
    "                                SOURCE_DATE_EPOCH\n"
    "  storage=zlib|gzip|stored|raw  raw: the source's bytes as the stored bytes\n"
    "  size=NUMBER                   with storage=raw, or for a VersionGated entry without\n"
    "                                data\n"
    "\n"
    "NUMBER: decimal without leading zeros, or 0x and 1 to 8 hexadecimal digits.\n"
    "TIME: 2007-03-14T12:00:00Z or \"2007-03-14 12:00:00\" (UTC, years 1601 to 9999),\n"
    "@UNIXSECONDS in the same range, or a raw FILETIME: 0x and 1 to 16 hexadecimal digits,\n"
    "at most 0x7FFFFFFFFFFFFFFF. SOURCE_DATE_EPOCH: decimal seconds, 0 to 253402300799.\n"
    "A VersionGated entry's source must not be empty. Anything else is refused with the\n"
    "file, the line and the value.\n";

static const CommandHelp* FindCommand(const char* name)
{
    for (const CommandHelp& command : kCommands)
        if (!strcmp(command.name, name))
            return &command;
    return nullptr;
}

static void PrintUsages(FILE* out)
{
    fprintf(out, "usage: arbolix-pack COMMAND ...\n");
    for (const CommandHelp& command : kCommands)
        fprintf(out, "  arbolix-pack %s\n", command.usage);
    fprintf(out, "  arbolix-pack help [COMMAND | manifest]\n"
                 "Every command also answers --help.\n");
}

int UsageError(const char* command, const char* detail)
{
    if (detail)
        fprintf(stderr, "arbolix-pack%s%s: %s\n", *command ? " " : "", command, detail);
    const CommandHelp* help = FindCommand(command);
    if (help)
        fprintf(stderr, "usage: arbolix-pack %s\n", help->usage);
    else
        PrintUsages(stderr);
    return 2;
}

int ShowHelp(const char* topic)
{
    if (!topic) {
        PrintUsages(stdout);
        return 0;
    }
    if (!strcmp(topic, "manifest")) {
        fputs(kManifestHelp, stdout);
        return 0;
    }
    const CommandHelp* help = FindCommand(topic);
    if (!help) {
        fprintf(stderr, "arbolix-pack help: no help on '%s'\n", topic);
        PrintUsages(stderr);
        return 2;
    }
    printf("usage: arbolix-pack %s\n\n%s", help->usage, help->text);
    return 0;
}

bool AsksForHelp(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i)
        if (!strcmp(argv[i], "--help") || !strcmp(argv[i], "-h"))
            return true;
    return false;
}
