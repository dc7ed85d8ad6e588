#!/usr/bin/env python3
"""Checks a built Windows program without running it.

    check_pe.py EXE --machine i386|x86-64 --startup kernel32,user32,...
                [--delayed shell32,ws2_32,...] [--dlls DIR]

- the PE's format and machine are the ones asked for;
- it imports at start-up only the DLLs of --startup (Windows' own);
- each DLL of --delayed is bound late: the program carries a delay-load
  descriptor naming it, with one name for each slot, and every slot starts
  out pointing at code that loads the DLL (a slot that holds 0 jumps to
  address 0 at the first call);
- with --dlls, every function the program imports, at start-up or late,
  is exported by that DLL as found in DIR (Wine's own PE builds of
  Windows' DLLs), so the names bind on a real loader too.

The linker sets no delay-import directory entry for such programs, so the
descriptors are found by their shape: the flag 1 and five addresses inside
the image, the first of them a DLL's name.
"""
import argparse
import os
import struct
import sys

MACHINES = {"i386": (0x14C, 0x10B), "x86-64": (0x8664, 0x20B)}
SCN_EXECUTE = 0x20000000


class Pe:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, nsect, _, _, _, optsize, _ = struct.unpack_from("<HHIIIHH", d, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", d, opt)[0]
        self.wide = self.magic == 0x20B
        if self.wide:
            self.image_base = struct.unpack_from("<Q", d, opt + 24)[0]
            ndirs_at = opt + 108
        else:
            self.image_base = struct.unpack_from("<I", d, opt + 28)[0]
            ndirs_at = opt + 92
        ndirs = struct.unpack_from("<I", d, ndirs_at)[0]
        self.dirs = [struct.unpack_from("<II", d, ndirs_at + 4 + 8 * i) for i in range(ndirs)]
        self.sections = []
        at = opt + optsize
        for i in range(nsect):
            name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", d, at + 40 * i)
            flags = struct.unpack_from("<I", d, at + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), va, max(vsize, rawsize), rawptr, rawsize, flags))

    def section_of(self, rva):
        for s in self.sections:
            if s[1] <= rva < s[1] + s[2]:
                return s
        return None

    def offset(self, rva):
        s = self.section_of(rva)
        if s is None or rva - s[1] >= s[4]:
            return None  # outside the image, or in zero-filled space
        return s[3] + rva - s[1]

    def u32(self, rva):
        off = self.offset(rva)
        return None if off is None else struct.unpack_from("<I", self.data, off)[0]

    def pointer(self, rva):
        off = self.offset(rva)
        if off is None:
            return None
        return struct.unpack_from("<Q" if self.wide else "<I", self.data, off)[0]

    def string(self, rva, limit=512):
        off = self.offset(rva)
        if off is None:
            return None
        end = self.data.find(b"\0", off, off + limit)
        return None if end < 0 else self.data[off:end].decode("latin-1")

    def names_of_thunks(self, rva):
        """The functions a lookup table names, until its 0 entry."""
        names, step = [], 8 if self.wide else 4
        ordinal_flag = 1 << (63 if self.wide else 31)
        while True:
            entry = self.pointer(rva)
            if entry is None:
                raise ValueError("a lookup table runs out of the image")
            if entry == 0:
                return names
            names.append(f"#{entry & 0xFFFF}" if entry & ordinal_flag else self.string(entry + 2))
            rva += step

    def imports(self):
        """{dll: [function]} of the ordinary import table."""
        rva, size = self.dirs[1] if len(self.dirs) > 1 else (0, 0)
        found = {}
        while rva and size:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                break
            found.setdefault(self.string(name).lower(), []).extend(self.names_of_thunks(lookup or first))
            rva += 20
        return found

    def exports(self):
        rva, size = self.dirs[0] if self.dirs else (0, 0)
        if not rva:
            return set()
        (n_funcs, n_names, _, names_rva, _) = struct.unpack_from("<IIIII", self.data, self.offset(rva) + 20)
        return {self.string(self.u32(names_rva + 4 * i)) for i in range(n_names)}

    def delay_descriptors(self, dll_names):
        """{dll: (iat rva, int rva)} for every descriptor found by its shape."""
        found = {}
        wanted = {n.lower() for n in dll_names}
        for name, va, _, rawptr, rawsize, _ in self.sections:
            for off in range(rawptr, rawptr + rawsize - 32, 4):
                attrs, dll, hmod, iat, int_, bound, unload, stamp = struct.unpack_from("<8I", self.data, off)
                if attrs != 1 or bound or unload or stamp:
                    continue
                if any(self.section_of(r) is None for r in (dll, hmod, iat, int_)):
                    continue
                text = self.string(dll, 64)
                if text and text.lower() in wanted:
                    found.setdefault(text.lower(), []).append((iat, int_))
        return found


def check(args):
    pe = Pe(args.exe)
    failures = []
    machine, magic = MACHINES[args.machine]
    if pe.machine != machine or pe.magic != magic:
        failures.append(f"not a {args.machine} PE (machine {pe.machine:#x}, magic {pe.magic:#x})")
    startup = {d.lower() + ".dll" for d in args.startup.split(",") if d}
    delayed = [d.lower() + ".dll" for d in args.delayed.split(",") if d]
    imports = pe.imports()
    if not imports:
        failures.append("imports no DLL at all")
    for dll in imports:
        if dll not in startup:
            failures.append(f"imports {dll} at start-up; only {', '.join(sorted(startup))} may be")
    wanted = dict(imports)
    descriptors = pe.delay_descriptors(delayed)
    for dll in delayed:
        found = descriptors.get(dll, [])
        if len(found) != 1:
            failures.append(f"{len(found)} delay-load descriptors for {dll}, not 1")
            continue
        iat, int_ = found[0]
        names = pe.names_of_thunks(int_)
        if not names:
            failures.append(f"the delay-load descriptor of {dll} names no function")
        wanted[dll] = names
        for i, fn in enumerate(names):
            slot = pe.pointer(iat + i * (8 if pe.wide else 4))
            target = pe.section_of(slot - pe.image_base) if slot else None
            if target is None or not target[5] & SCN_EXECUTE:
                failures.append(f"{dll}!{fn}: its slot holds {slot or 0:#x}, not the address of code that loads {dll}")
    if args.dlls:
        for dll, names in sorted(wanted.items()):
            path = os.path.join(args.dlls, dll)
            if not os.path.exists(path):
                if dll != "msvcrt.dll":
                    failures.append(f"{dll} is not among the DLLs of {args.dlls}")
                continue
            exported = Pe(path).exports()
            for fn in names:
                if fn is None or (not fn.startswith("#") and fn not in exported):
                    failures.append(f"{dll} exports no {fn}")
    if failures:
        print(f"{args.exe}:\n  " + "\n  ".join(failures))
        return 1
    late = ", ".join(f"{d} ({len(wanted.get(d, []))})" for d in delayed)
    print(f"{args.exe}: {args.machine}, imports {' '.join(sorted(imports))}" + (f"; late: {late}" if late else ""))
    return 0


def main():
    p = argparse.ArgumentParser()
    p.add_argument("exe")
    p.add_argument("--machine", choices=sorted(MACHINES), required=True)
    p.add_argument("--startup", required=True)
    p.add_argument("--delayed", default="")
    p.add_argument("--dlls")
    try:
        return check(p.parse_args())
    except (OSError, ValueError, struct.error) as e:
        print(f"check_pe: {e}")
        return 1


if __name__ == "__main__":
    sys.exit(main())
