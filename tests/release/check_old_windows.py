#!/usr/bin/env python3
"""The 32-bit Ovn.exe must load on Windows XP, whose loader refuses a program that
imports a function its system lacks. Which functions are newer is read from the
mingw-w64 headers themselves when the check runs: every function they declare for
Vista (_WIN32_WINNT 0x0600) that they do not declare for XP (0x0501). The program
may import none of them, directly or delay-loaded; the static C and C++ runtime
linked into it counts as the program's own.

  check_old_windows.py EXE OBJDUMP CC
"""
import re
import struct
import subprocess
import sys

from check_release import fail, pe_sections

# Every system header the program or its runtime could take a function from.
HEADERS = ["windows.h", "winternl.h", "shlobj.h", "shellapi.h", "shlwapi.h", "wininet.h", "commctrl.h",
           "dbghelp.h", "psapi.h", "mmsystem.h", "dsound.h", "objbase.h", "ole2.h", "oleauto.h", "sddl.h",
           "aclapi.h", "tlhelp32.h", "wincrypt.h", "winsock2.h", "ws2tcpip.h", "uxtheme.h", "process.h",
           "synchapi.h", "processthreadsapi.h", "sysinfoapi.h", "fileapi.h", "libloaderapi.h", "winreg.h"]

# The headers declare these for every version, as the 64-bit XP and Server 2003
# have them; the 32-bit XP does not.
UNGATED_NEWER = {"RegGetValueA", "RegGetValueW"}


def declared_functions(cc, winnt):
    """Names the headers declare as called things (a name followed by "(")."""
    source = "".join(f"#include <{h}>\n" for h in HEADERS)
    out = subprocess.run([cc, "-E", "-P", "-x", "c", "-", f"-D_WIN32_WINNT={winnt}", f"-DWINVER={winnt}",
                          "-D_WIN32_IE=0x0800", "-DUNICODE", "-D_UNICODE"],
                         input=source, check=True, capture_output=True, text=True).stdout
    return set(re.findall(r"\b([A-Za-z_][A-Za-z0-9_]*)\s*\(", out))


def direct_imports(exe, objdump):
    out = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    table = re.search(r"^The Import Tables.*?(?=^The |\Z)", out, re.MULTILINE | re.DOTALL)
    names, dll = [], None
    for line in (table.group(0) if table else "").splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        m = re.match(r"\s+[0-9a-f]+\s+[0-9]+\s+(\S+)\s*$", line)
        if m and dll:
            names.append((dll, m.group(1)))
    return names


def delay_imports(data):
    """(dll, function) of every delay-load descriptor (found by its form, as GNU ld
    leaves the header's entry empty), read through its name table."""
    sections = pe_sections(data)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    wide = struct.unpack_from("<H", data, pe + 24)[0] == 0x20B
    step, ordinal_bit = (8, 1 << 63) if wide else (4, 1 << 31)

    def offset(rva):
        for va, vsize, raw, rsize in sections:
            if va <= rva < va + max(vsize, rsize):
                return raw + rva - va
        return None

    def text(at, limit=128):
        return data[at:at + limit].split(b"\0")[0]

    found = set()
    for va, vsize, raw, rsize in sections:
        for at in range(raw, raw + rsize - 32, 4):
            attrs, name, module, iat, table = struct.unpack_from("<5I", data, at)
            if attrs != 1 or None in (offset(name), offset(module), offset(iat), offset(table)):
                continue
            dll = text(offset(name), 64)
            if not re.fullmatch(rb"[A-Za-z0-9_.-]+\.dll", dll, re.IGNORECASE):
                continue
            entry = offset(table)
            while entry is not None and entry + step <= len(data):
                thunk = struct.unpack_from("<Q" if wide else "<I", data, entry)[0]
                if thunk == 0:
                    break
                if not thunk & ordinal_bit and offset(thunk) is not None:
                    found.add((dll.decode().lower(), text(offset(thunk) + 2).decode("ascii", "replace")))
                entry += step
    return sorted(found)


def main(argv):
    if len(argv) != 4:
        print(__doc__)
        return 2
    exe, objdump, cc = argv[1:]
    newer = declared_functions(cc, "0x0600") - declared_functions(cc, "0x0501")
    # A list that misses the best-known Vista calls was not read right.
    for known in ("GetTickCount64", "QueryFullProcessImageNameW", "SetFileInformationByHandle", "InitOnceExecuteOnce"):
        if known not in newer:
            fail(f"the headers' list of Vista functions lacks {known}: it was not read right")
    newer |= UNGATED_NEWER
    direct = direct_imports(exe, objdump)
    if not direct:
        fail(f"no import table read from {exe}")
    delayed = delay_imports(open(exe, "rb").read())
    print(f"  {len(newer)} functions declared for Vista and not for XP; {exe} imports {len(direct)} directly, "
          f"{len(delayed)} delay-loaded")
    faults = [f"{fn} ({dll}{', delay-loaded' if how else ''})"
              for how, imports in ((False, direct), (True, delayed)) for dll, fn in imports if fn in newer]
    if faults:
        fail("imports what Windows XP lacks: " + ", ".join(faults))
    print(f"OK: {exe} imports nothing newer than Windows XP")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
