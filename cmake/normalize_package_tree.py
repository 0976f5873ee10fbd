#!/usr/bin/env python3
"""Makes a staged package tree the same in every build of one source.

Usage: normalize_package_tree.py TREE EPOCH
       normalize_package_tree.py --package ZIP|EXE

Every program and library (PE file) in TREE gets EPOCH as the time it was
made, in its file header, export directory, resource directory and debug
directory, a length padded to 8 bytes and a checksum computed anew; every
file and folder gets EPOCH as its time and Debian's usual mode (0644,
folders 0755). The linker, strip and
Qt's own build each write the time they ran into those places, and the zip
and the installer record the files' times and modes.

With --package, it writes a zip anew with its entries in the order of their
names and without the extra fields that name the builder's user and group
(the packer lists a folder in the order the file system keeps it, which
differs from one file system to another), and pads an installer and gives
it a checksum, as code signing does.
"""

import os
import struct
import sys
import zipfile

EXPORT, RESOURCE, DEBUG = 0, 2, 6


class PeImage:
    """A PE file in memory, just as far as its time stamps go."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no DOS header")
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, = struct.unpack_from("<H", data, self.pe + 6)
        optional_size, = struct.unpack_from("<H", data, self.pe + 20)
        self.optional = self.pe + 24
        magic, = struct.unpack_from("<H", data, self.optional)
        # PE32+ keeps its data directories 16 bytes further on than PE32.
        directories = self.optional + (112 if magic == 0x20B else 96)
        count, = struct.unpack_from("<I", data, directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(count)]
        table = self.optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8)
                         for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise ValueError(f"address {rva:#x} is in no section")

    def directory(self, index):
        if index >= len(self.directories) or not self.directories[index][0]:
            return None
        return self.directories[index]

    def stamp(self, epoch):
        struct.pack_into("<I", self.data, self.pe + 8, epoch)
        for index in (EXPORT, RESOURCE):
            found = self.directory(index)
            if found:
                struct.pack_into("<I", self.data, self.offset(found[0]) + 4, epoch)
        found = self.directory(DEBUG)
        if found:
            start = self.offset(found[0])
            for entry in range(found[1] // 28):
                struct.pack_into("<I", self.data, start + 28 * entry + 4, epoch)
        if struct.unpack_from("<I", self.data, self.optional + 64)[0]:
            self.set_checksum()

    def set_checksum(self):
        struct.pack_into("<I", self.data, self.optional + 64, 0)
        struct.pack_into("<I", self.data, self.optional + 64, pe_checksum(self.data))


def pe_checksum(data):
    """The image checksum Windows computes: the file's 16-bit words summed
    with end-around carry, plus its length (the checksum field read as 0)."""
    padded = bytes(data) + b"\0" * (len(data) % 2)
    total = sum(struct.unpack(f"<{len(padded) // 2}H", padded))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(data)


def signable(data):
    """The PE file as code signing leaves it once its signature is removed:
    the signature goes at an 8-byte boundary, and removing it leaves the
    padding and a checksum. Padded already, a signed file less its signature
    is this very file."""
    return PeImage(bytearray(data) + bytes(-len(data) % 8))


def normalize(tree, epoch):
    for folder, subfolders, files in os.walk(tree):
        subfolders.sort()
        for name in files:
            path = os.path.join(folder, name)
            if name.lower().endswith((".exe", ".dll")):
                with open(path, "rb") as f:
                    image = signable(f.read())
                image.stamp(epoch)
                with open(path, "wb") as f:
                    f.write(image.data)
            os.chmod(path, 0o644)
            os.utime(path, (epoch, epoch))
        os.chmod(folder, 0o755)
    # A folder's time changes as its files are written, so folders come last.
    for folder, _, _ in os.walk(tree):
        os.utime(folder, (epoch, epoch))


def normalize_package(path):
    if path.endswith(".zip"):
        sort_zip(path)
    elif path.endswith(".exe"):
        with open(path, "rb") as f:
            image = signable(f.read())
        image.set_checksum()
        with open(path, "wb") as f:
            f.write(image.data)


def sort_zip(path):
    with zipfile.ZipFile(path) as old:
        entries = sorted(((i, old.read(i)) for i in old.infolist()), key=lambda e: e[0].filename)
    with zipfile.ZipFile(path, "w") as new:
        for old_info, data in entries:
            info = zipfile.ZipInfo(old_info.filename, old_info.date_time)
            info.external_attr = old_info.external_attr
            info.create_system = 3  # Unix, whose modes external_attr holds
            info.compress_type = zipfile.ZIP_STORED if info.is_dir() else zipfile.ZIP_DEFLATED
            new.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--package":
        normalize_package(sys.argv[2])
    elif len(sys.argv) == 3:
        normalize(sys.argv[1], int(sys.argv[2]))
    else:
        sys.exit(__doc__)
