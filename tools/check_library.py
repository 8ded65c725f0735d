#!/usr/bin/env python3
"""Structural checks of one library's two DLLs (x64 and x86): the type library
against its reviewed description, the exports, the imported DLLs, the
_IID_ resources and the version block. Both type libraries are read as data
by one dumper, so the two halves are held to the same reviewed text.

    check_library.py <Name> <expected type library text> <dumper.exe> [CLASS=IID ...]
Prints "<Name> structure: N passed, M failed".
"""
import os
import re
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
COMMENTS = {
    "Velmora": ("1.00.0003", "1, 0, 0, 3", "Набор функция для работы с формами."),
    "Tarsen": ("1.00.0009", "1, 0, 0, 9", "Набор функций для работы с Windows."),
    "Corvane": ("1.00.0002", "1, 0, 0, 2", "Набор функций для работы с файлами и папками."),
    "Lirrow": ("1.00.0003", "1, 0, 0, 3", "Набор функция для работы со строками."),
}
ALLOWED_IMPORTS = {"ADVAPI32.dll", "KERNEL32.dll", "msvcrt.dll", "ole32.dll", "OLEAUT32.dll", "USER32.dll",
                   "GDI32.dll", "SHELL32.dll", "SHLWAPI.dll", "MPR.dll", "VERSION.dll", "api-ms-win-crt-runtime-l1-1-0.dll"}
EXPORTS = ["DllCanUnloadNow", "DllGetClassObject", "DllInstall", "DllRegisterServer", "DllUnregisterServer"]

passed = failed = 0


def check(name, ok, detail=""):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print("FAIL %s %s" % (name, detail))


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, errors="replace").stdout


def decode_rc_text(text):
    return re.sub(r"\\x([0-9a-fA-F]{4})", lambda m: chr(int(m.group(1), 16)), text)


def guid_words(guid):
    parts = guid.split("-")
    node = parts[3] + parts[4]
    words = [int(parts[0], 16), int(parts[1], 16), int(parts[2], 16)]
    words += [int(node[i + 2:i + 4] + node[i:i + 2], 16) for i in range(0, 16, 4)]
    return words


def main():
    name, expected_file, dumper = sys.argv[1:4]
    iids = dict(arg.split("=") for arg in sys.argv[4:])
    expected = open(expected_file, encoding="utf-8").read()
    version_text, version_numbers, comments = COMMENTS.get(name, ("", "", ""))
    for arch, triple, syskind in (("x64", "x86_64-w64-mingw32", "win64"), ("x86", "i686-w64-mingw32", "win32")):
        dll = os.path.join(ROOT, "dist", arch, name + ".dll")
        check(arch + " built", os.path.exists(dll), dll)
        if not os.path.exists(dll):
            continue
        dump = run(os.path.join(ROOT, "tools", "wine-run"), dumper, "Z:" + dll).replace("\r\n", "\n")
        dump = dump.replace("syskind " + syskind, "syskind <platform>")
        check(arch + " type library", dump == expected, "\n--- got ---\n" + dump)
        headers = run(triple + "-objdump", "-p", dll)
        table = headers[headers.find("[Ordinal/Name Pointer] Table"):]
        names = re.findall(r"^\s+\[\s*\d+\] (\S+)$", table, re.M)
        check(arch + " exports", names == EXPORTS, str(names))
        imports = set(re.findall(r"DLL Name: (\S+)", headers))
        # The import libraries spell some names in capitals (MPR.DLL on x86).
        allowed = {dll_name.lower() for dll_name in ALLOWED_IMPORTS}
        unknown = {dll_name for dll_name in imports if dll_name.lower() not in allowed}
        check(arch + " imports only system DLLs", not unknown, str(unknown))
        resources = run(triple + "-windres", "-i", dll, "-O", "rc")
        check(arch + " type library resource", re.search(r'^1 "TYPELIB"', resources, re.M) is not None)
        # The interfaces' flag word as the binary holds it: the platform's
        # reader leaves the automation bit out when it reports a dual
        # interface's dispatch half, so the text dump cannot show it.
        typelib = resource_bytes(resources, '"TYPELIB"')
        # The header's two locales: that of the texts, and the library's own
        # (what it is registered under).
        locales = struct.unpack_from("<II", typelib, 0x0C) if typelib[:4] == b"MSFT" else None
        check(arch + " language-neutral library with English texts", locales == (0x0409, 0), str(locales))
        flags = interface_flags(typelib)
        check(arch + " interface flags 0x11d0", flags and all(f == 0x11D0 for f in flags), str([hex(f) for f in flags]))
        for class_upper, iid in iids.items():
            block = re.search(r'^1 "_IID_%s"\nBEGIN\n(.*?)\nEND' % class_upper, resources, re.M | re.S)
            values = [int(v.rstrip("L"), 16) for v in re.findall(r"0x[0-9a-fA-F]+L?", block.group(1))] if block else []
            # windres prints 32-bit words: the length 16 and the IID's four words.
            words = guid_words(iid)
            raw = struct_bytes([(16, 4), (words[0], 4), (words[1], 2), (words[2], 2)] + [(w, 2) for w in words[3:]])
            got = b"".join(v.to_bytes(4, "little") for v in values)
            check(arch + " _IID_" + class_upper, got == raw, repr(values))
        strings = dict(re.findall(r'VALUE "(\w+)", L?"((?:[^"\\]|\\.)*)"', resources))
        check(arch + " version numbers", ("FILEVERSION " + version_numbers) in resources and ("PRODUCTVERSION " + version_numbers) in resources)
        want = {"Comments": comments, "FileDescription": "ActiveX DLL", "FileVersion": version_text, "ProductVersion": version_text,
                "InternalName": name, "ProductName": name, "OriginalFilename": name + ".dll", "OLESelfRegister": ""}
        for key, value in want.items():
            check(arch + " version " + key, decode_rc_text(strings.get(key, "<missing>")) == value, strings.get(key))
        check(arch + " version block is English Unicode", 'BLOCK "040904b0"' in resources)
    print("%s structure: %d passed, %d failed" % (name, passed, failed))


def resource_bytes(resources, type_name):
    block = re.search(r'^1 %s\nBEGIN\n(.*?)\nEND' % re.escape(type_name), resources, re.M | re.S)
    if not block:
        return b""
    data = b""
    for token in re.findall(r"0x[0-9a-fA-F]+L?|\"(?:[^\"\\]|\\.)*\"", block.group(1)):
        if token.startswith("0x"):
            data += int(token.rstrip("L"), 16).to_bytes(4 if token.endswith("L") else 2, "little")
        else:
            data += token[1:-1].encode("latin-1")
    return data


def interface_flags(typelib):
    """The flag words of the interfaces in a compiled type library."""
    if typelib[:4] != b"MSFT":
        return []
    varflags, count = struct.unpack_from("<I", typelib, 0x14)[0], struct.unpack_from("<I", typelib, 0x20)[0]
    segments_at = 0x54 + (4 if varflags & 0x100 else 0) + 4 * count
    base = struct.unpack_from("<i", typelib, segments_at)[0]
    flags = []
    for i in range(count):
        kind = struct.unpack_from("<I", typelib, base + i * 0x64)[0] & 0xF
        if kind in (3, 4):  # interface, dispatch
            flags.append(struct.unpack_from("<I", typelib, base + i * 0x64 + 48)[0])
    return flags


def struct_bytes(fields):
    return b"".join(value.to_bytes(size, "little") for value, size in fields)


if __name__ == "__main__":
    main()
