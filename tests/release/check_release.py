#!/usr/bin/env python3
"""Checks of the shipped Ovn.exe that need no Windows: what the file holds, what it
imports, and that its tree was compiled like the test tree but for the local-portal
switch. Each check prints what it looked at and exits non-zero on a fault.

  check_release.py strings EXE
  check_release.py imports EXE OBJDUMP DELAYED_DLLS(,-separated)
  check_release.py defines RELEASE_TREE TEST_TREE SOURCE_DIR
"""
import json
import os
import re
import shlex
import struct
import subprocess
import sys


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


# --- strings -----------------------------------------------------------------

def encodings(text):
    """The text as the program may hold it: narrow (ASCII) and wide (UTF-16LE)."""
    return [text.encode("ascii"), text.encode("utf-16-le")]


def loopback_hits(data):
    """Every loopback address in the file, narrow or wide, as (offset, text, before)."""
    hits = []
    for pattern, width in ((rb"127\.\d{1,3}\.\d{1,3}\.\d{1,3}", 1),
                           (rb"1\x002\x007\x00\.\x00(?:\d\x00){1,3}\.\x00(?:\d\x00){1,3}\.\x00(?:\d\x00){1,3}", 2)):
        for m in re.finditer(pattern, data):
            before = data[max(0, m.start() - 10 * width):m.start()]
            text = m.group(0).decode("utf-16-le" if width == 2 else "ascii")
            hits.append((m.start(), text, before.decode("utf-16-le" if width == 2 else "ascii", "replace")))
    for text in ("localhost", "[::1]"):
        for needle in encodings(text):
            for m in re.finditer(re.escape(needle), data, re.IGNORECASE):
                hits.append((m.start(), text, ""))
    return hits


def check_strings(exe):
    data = open(exe, "rb").read()
    faults = []
    for needle in encodings("OVN_PORTAL"):
        if needle in data:
            faults.append("holds the local-portal variable name OVN_PORTAL")
    for offset, text, before in loopback_hits(data):
        # The removal's batch pauses with one ping of the loopback address before
        # each try to delete the program; that is the only loopback it may name.
        if text == "127.0.0.1" and before.endswith("ping -n 1 "):
            print(f"  {offset:#x}: {text} in the removal batch's pause (allowed)")
            continue
        faults.append(f"names the loopback address {text} at {offset:#x}")
    # The real portal must be there, wide, as the host roles hold it: a scan that
    # finds nothing at all proves nothing.
    for host in ("www.quenra.com", "svc.quenra.com"):
        if host.encode("utf-16-le") not in data:
            faults.append(f"does not name the portal host {host}")
    if faults:
        fail("; ".join(sorted(set(faults))))
    print(f"OK: {exe} names the real portal and no local-portal trace")


# --- imports -----------------------------------------------------------------

# Libraries Windows always takes from its system folder (its known DLLs on every
# version the program runs on, and the C runtime mingw links against). Any other
# library must be delay-loaded, after start-up has limited loads to the system
# folder, or a DLL planted beside a downloaded Ovn.exe would run.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comdlg32.dll", "msvcrt.dll",
              "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "rpcrt4.dll", "imm32.dll"}
# Bound through the manifest's side-by-side assembly, which the loader resolves
# before it looks in the program's folder.
MANIFEST_BOUND = {"comctl32.dll"}


def pe_sections(data):
    """(virtual address, virtual size, file offset, raw size) of each section."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    sections = []
    for i in range(count):
        at = pe + 24 + optional + 40 * i
        vsize, va, rsize, raw = struct.unpack_from("<IIII", data, at + 8)
        sections.append((va, vsize, raw, rsize))
    return sections


def delay_loaded(data):
    """The DLLs of the delay-load descriptors. GNU ld leaves the header's delay-import
    entry empty, so the descriptors are found by their form: attributes 1 and RVAs
    of a DLL name, a module handle and two thunk tables that all lie in the file."""
    sections = pe_sections(data)

    def offset(rva):
        for va, vsize, raw, rsize in sections:
            if va <= rva < va + max(vsize, rsize):
                return raw + rva - va
        return None

    names = set()
    for va, vsize, raw, rsize in sections:
        for at in range(raw, raw + rsize - 32, 4):
            attrs, name, module, iat, int_table = struct.unpack_from("<5I", data, at)
            if attrs != 1 or None in (offset(name), offset(module), offset(iat), offset(int_table)):
                continue
            text = data[offset(name):offset(name) + 64].split(b"\0")[0]
            if re.fullmatch(rb"[A-Za-z0-9_.-]+\.dll", text, re.IGNORECASE):
                names.add(text.decode().lower())
    return names


def pe_imports(exe, objdump):
    out = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    # Only the ordinary import table: a newer objdump may print delay imports too.
    table = re.search(r"^The Import Tables.*?(?=^The |\Z)", out, re.MULTILINE | re.DOTALL)
    text = table.group(0) if table else ""
    direct = {m.group(1).lower() for m in re.finditer(r"^\s*DLL Name: (\S+)", text, re.MULTILINE)}
    return direct, delay_loaded(open(exe, "rb").read())


def check_imports(exe, objdump, delayed_list):
    direct, delayed = pe_imports(exe, objdump)
    if not direct:
        fail(f"no import table read from {exe}")
    print("  imports: " + ", ".join(sorted(direct)))
    print("  delay-loaded: " + ", ".join(sorted(delayed)))
    allowed_delayed = {name.lower() + ".dll" for name in delayed_list.split(",") if name}
    faults = []
    for name in sorted(direct - KNOWN_DLLS - MANIFEST_BOUND):
        faults.append(f"{name} is imported directly but is not a known system DLL")
    if MANIFEST_BOUND & direct:
        manifest = open(exe, "rb").read()
        if b"Microsoft.Windows.Common-Controls" not in manifest:
            faults.append("comctl32.dll is imported without the manifest's Common-Controls assembly")
    for name in sorted(delayed - allowed_delayed):
        faults.append(f"{name} is delay-loaded but not in the build's list")
    for name in sorted(allowed_delayed - delayed - direct):
        print(f"  note: {name} is listed for delay-loading but not used")
    if faults:
        fail("; ".join(faults))
    print(f"OK: {exe} imports only known system DLLs; the rest is delay-loaded")


# --- defines -----------------------------------------------------------------

# What may differ between a test tree and a release tree of the same sources: the
# switch itself, and only in the files that read it. Every other object is the
# same compile, so the compiler cache builds a release from the test tree's.
ALLOWED_DIFFERENCES = {"-DOVN_LOCAL_PORTAL=1"}


def program_compiles(tree, source_dir):
    """The program's own sources (src/ and res/) and their flags, tree paths removed."""
    entries = json.load(open(os.path.join(tree, "compile_commands.json")))
    result = {}
    for e in entries:
        path = os.path.relpath(e["file"], source_dir)
        if not path.startswith(("src" + os.sep, "res" + os.sep)):
            continue
        args = e.get("arguments") or shlex.split(e["command"])
        flags, skip = [], False
        for a in args[1:]:
            if skip:
                skip = False
                continue
            if a in ("-o", "-c", "-MF", "-MT", "-MQ"):
                skip = True
                continue
            if a.startswith(("-o", "-MF", "-MT")) or a in ("-MD", "-MMD") or a == e["file"]:
                continue
            flags.append(a.replace(os.path.abspath(tree), "<tree>"))
        result[path] = (os.path.basename(args[0]), flags)
    return result


def link_line(tree):
    """Libraries and link flags of Ovn.exe as ninja records them, tree paths removed."""
    text = open(os.path.join(tree, "build.ninja")).read()
    m = re.search(r"^build Ovn\.exe.*?\n((?:  .*\n)+)", text, re.MULTILINE)
    if not m:
        fail(f"no link step for Ovn.exe in {tree}/build.ninja")
    values = {}
    for line in m.group(1).splitlines():
        key, _, value = line.strip().partition(" = ")
        if key in ("LINK_LIBRARIES", "LINK_FLAGS", "FLAGS"):
            values[key] = value.replace(os.path.abspath(tree), "<tree>").split()
    return values


def switch_uses(source_dir):
    """The files that test OVN_LOCAL_PORTAL in a preprocessor line."""
    uses = []
    for folder, _, files in os.walk(os.path.join(source_dir, "src")):
        for name in files:
            path = os.path.join(folder, name)
            for line in open(path, encoding="utf-8", errors="replace"):
                if re.match(r"\s*#\s*(if|ifdef|ifndef|elif)\b.*\bOVN_LOCAL_PORTAL\b", line):
                    uses.append(os.path.relpath(path, source_dir))
                    break
    return sorted(uses)


def check_defines(release_tree, test_tree, source_dir):
    release = program_compiles(release_tree, source_dir)
    test = program_compiles(test_tree, source_dir)
    faults = []
    if set(release) != set(test):
        faults.append("the program's sources differ: only in release " + str(sorted(set(release) - set(test))) +
                      ", only in test " + str(sorted(set(test) - set(release))))
    switched = []
    for path in sorted(set(release) & set(test)):
        (rc, rflags), (tc, tflags) = release[path], test[path]
        if rc != tc:
            faults.append(f"{path}: compiled by {rc} in release, {tc} in test")
        diff = set(rflags) ^ set(tflags)
        if diff - ALLOWED_DIFFERENCES:
            faults.append(f"{path}: flags differ beyond the switch: {sorted(diff - ALLOWED_DIFFERENCES)}")
        if "-DOVN_LOCAL_PORTAL=1" in rflags:
            faults.append(f"{path}: the release compiles it with the local-portal switch")
        if "-DOVN_LOCAL_PORTAL=1" in tflags:
            switched.append(path)
    if not switched:
        faults.append("the test tree does not set the local-portal switch: nothing was compared")
    rlink, tlink = link_line(release_tree), link_line(test_tree)
    for key in ("LINK_LIBRARIES", "LINK_FLAGS"):
        if rlink.get(key) != tlink.get(key):
            faults.append(f"Ovn.exe's {key} differ: {rlink.get(key)} / {tlink.get(key)}")
    uses = switch_uses(source_dir)
    headers = [u for u in uses if not u.endswith(".cpp")]
    if headers:
        faults.append("the switch is tested in headers, so its reach is not one file each: " + ", ".join(headers))
    elif switched and sorted(switched) != uses:
        faults.append("the test tree sets the switch on " + ", ".join(sorted(switched)) + " but the files that read it are " +
                      ", ".join(uses))
    if faults:
        fail("; ".join(faults))
    print(f"OK: {len(release)} sources compiled alike but for OVN_LOCAL_PORTAL, which "
          f"{len(uses)} files test: " + ", ".join(uses) + "; Ovn.exe linked alike")


def main(argv):
    if len(argv) >= 3 and argv[1] == "strings":
        check_strings(argv[2])
    elif len(argv) >= 5 and argv[1] == "imports":
        check_imports(argv[2], argv[3], argv[4])
    elif len(argv) >= 5 and argv[1] == "defines":
        check_defines(argv[2], argv[3], argv[4])
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
