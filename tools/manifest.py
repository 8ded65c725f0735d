#!/usr/bin/env python3
"""Writes the side-by-side assembly manifest of one server DLL from its IDL:
every class with its ProgID, threading model and type library, the type
library, and each interface with the automation marshaller as its proxy. An
application manifest that names the assembly (the library's name, its file
version and processor architecture) then creates the classes without any
registration.

    manifest.py <idl> <library name> <file version a.b.c.d> <x64|x86> <output>
"""
import re
import sys

MARSHALLER = "{00020424-0000-0000-C000-000000000046}"
ARCHITECTURE = {"x64": "amd64", "x86": "x86"}


def declarations(idl):
    """(kind, name, attribute text) of the library, its interfaces and classes."""
    pattern = re.compile(r"\[([^\[\]]*)\]\s*(library|interface|dispinterface|coclass)\s+(\w+)", re.S)
    return [(m.group(2), m.group(3), m.group(1)) for m in pattern.finditer(idl)]


def attribute(text, name):
    found = re.search(r"\b%s\(([^)]*)\)" % name, text)
    return found.group(1).strip() if found else None


def main():
    idl_path, name, file_version, arch, output = sys.argv[1:6]
    idl = re.sub(r"//[^\n]*", "", open(idl_path, encoding="utf-8").read())
    found = declarations(idl)
    library = [d for d in found if d[0] == "library"][0]
    libid = "{%s}" % attribute(library[2], "uuid").upper()
    version = attribute(library[2], "version") or "1.0"
    # "[default] interface X" inside a class names it again, without a uuid.
    interfaces = {n: "{%s}" % attribute(a, "uuid").upper()
                  for k, n, a in found if k in ("interface", "dispinterface") and attribute(a, "uuid")}
    lines = [
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
        '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">',
        '  <assemblyIdentity type="win32" name="%s" version="%s" processorArchitecture="%s"/>'
        % (name, file_version, ARCHITECTURE[arch]),
        '  <file name="%s.dll">' % name,
    ]
    for kind, class_name, attributes in found:
        if kind == "coclass":
            lines.append('    <comClass clsid="{%s}" progid="%s.%s" threadingModel="Apartment" tlbid="%s" description="%s"/>'
                         % (attribute(attributes, "uuid").upper(), name, class_name, libid, class_name))
    lines.append('    <typelib tlbid="%s" version="%s" helpdir="" resourceid="1" flags="HASDISKIMAGE"/>' % (libid, version))
    lines.append("  </file>")
    for interface, iid in interfaces.items():
        lines.append('  <comInterfaceExternalProxyStub name="%s" iid="%s" tlbid="%s" proxyStubClsid32="%s"/>'
                     % (interface, iid, libid, MARSHALLER))
    lines.append("</assembly>")
    text = "\n".join(lines) + "\n"
    try:
        if open(output, encoding="utf-8").read() == text:
            return
    except OSError:
        pass
    with open(output, "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    main()
