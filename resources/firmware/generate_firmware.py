#!/usr/bin/env python3
"""Writes mt-r508-171115.hex, the firmware built into the program.

The layout of the file is fixed: an extended linear address record with value 0000, 1,558 data
records in ascending address order (16 bytes each, shorter only where a run of data starts or
ends), and the end-of-file record. The data bytes themselves come from a fixed pseudo-random
sequence, except the version block at 0x6800. Running the script again gives the same file.

    python3 generate_firmware.py [OUTPUT]   (default: mt-r508-171115.hex beside this script)
"""
import os
import sys

RECORD_BYTES = 16
VERSION_ADDRESS = 0x6800
VERSION_BLOCK = bytes([0x55, 0xAA, 0xAA, 0x55]) + b"171115" + bytes([0x02, 0x00])


def small_runs():
    """19 runs between 0x5800 and 0x5FFF: (start, length) pairs.

    Each run holds 4 or 5 whole records and a short record at its end; the first also starts
    with a short record. The gaps between runs are 16 bytes."""
    short_sizes = [8] * 16 + [7] * 4  # 20 short records, 156 bytes
    whole = [5] * 10 + [4] * 9  # 86 records of 16 bytes
    runs = []
    address = 0x5800
    shorts = iter(short_sizes)
    for index, count in enumerate(whole):
        length = count * RECORD_BYTES + next(shorts)
        if index == 0:
            length += next(shorts)
        runs.append((address, length))
        address += length + 16
    assert next(shorts, None) is None
    assert address - 16 <= 0x6000
    return runs


def runs():
    return ([(0x0000, 4), (0x0008, 2), (0x0018, 0x5764 - 0x0018)] + small_runs()
            + [(0x63FE, 2), (VERSION_ADDRESS, len(VERSION_BLOCK)),
               (0xFCA8, 0xFFA6 - 0xFCA8), (0xFFF8, 8)])


def aligned_records(start, length):
    """Splits a run at 16-byte boundaries: short records only at its ends."""
    records = []
    address = start
    end = start + length
    while address < end:
        boundary = (address // RECORD_BYTES + 1) * RECORD_BYTES
        size = min(boundary, end) - address
        records.append((address, size))
        address += size
    return records


def split(start, length):
    if 0x5800 <= start < 0x6000:
        # Small runs: whole records from the start, one short record at the end (and, for the
        # first run, one short record in front).
        records = []
        address = start
        end = start + length
        if start == 0x5800:
            records.append((address, 8))
            address += 8
        while end - address >= RECORD_BYTES:
            records.append((address, RECORD_BYTES))
            address += RECORD_BYTES
        if address < end:
            records.append((address, end - address))
        return records
    return aligned_records(start, length)


class Bytes:
    """A fixed xorshift sequence: the data bytes of the firmware."""

    def __init__(self):
        self.state = 0x171115

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x & 0xFF


def record(kind, address, data):
    fields = bytes([len(data), address >> 8, address & 0xFF, kind]) + data
    checksum = (-sum(fields)) & 0xFF
    return ":" + (fields + bytes([checksum])).hex().upper()


def lines():
    source = Bytes()
    out = [record(0x04, 0, bytes([0, 0]))]
    for start, length in runs():
        for address, size in split(start, length):
            if address == VERSION_ADDRESS:
                data = VERSION_BLOCK
            else:
                data = bytes(source.next() for _ in range(size))
            out.append(record(0x00, address, data))
    out.append(record(0x01, 0, b""))
    return out


def check(text_lines):
    data = text_lines[1:-1]
    sizes = [int(line[1:3], 16) for line in data]
    assert len(text_lines) == 1560
    assert text_lines[0] == ":020000040000FA" and text_lines[-1] == ":00000001FF"
    assert all(11 <= len(line) <= 43 and line == line.upper() for line in text_lines)
    assert len(data) == 1558
    assert sizes.count(16) == 1529
    assert all(2 <= size <= 14 for size in sizes if size != 16)
    assert sum(sizes) == 24674
    addresses = [int(line[3:7], 16) for line in data]
    assert addresses == sorted(addresses)
    assert len(runs()) == 26
    assert sum(1 for start, _ in runs() if 0x5800 <= start < 0x6000) == 19


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "mt-r508-171115.hex")
    text_lines = lines()
    check(text_lines)
    with open(output, "w", newline="\n") as file:
        file.write("\n".join(text_lines) + "\n")


if __name__ == "__main__":
    main()
