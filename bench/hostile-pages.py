#!/usr/bin/env python3
"""Peak memory and time of pages that declare far more than any page may hold.

Writes the reproducers (a WMF whose STRETCHDIB declares 16384 x 16384 pixels in a few bytes of
run-length bits; an EMF carrying a real 16384 x 16384 PNG behind a 1 x 1 bitmap header),
renders each with kvconvert under /usr/bin/time -v and fails when one needs more than 512 MB
or 2 seconds. Usage: bench/hostile-pages.py [BUILD_DIR]
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

LIMIT_KB = 512 * 1024
LIMIT_S = 2.0
SIDE = 16384


def dib_header(width, height, bit_count, compression, colours=2):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bit_count, compression, 0, 3780, 3780, colours, 0)


def huge_rle_wmf():
    dib = dib_header(SIDE, SIDE, 8, 1) + struct.pack('<II', 0, 0xFFFFFF) + b'\x00\x01'
    params = struct.pack('<IH8h', 0x00CC0020, 0, SIDE, SIDE, 0, 0, 1000, 1000, 0, 0) + dib
    if len(params) % 2:
        params += b'\x00'
    stretch = struct.pack('<IH', 3 + len(params) // 2, 0x0F43) + params
    eof = struct.pack('<IH', 3, 0)
    body = stretch + eof
    header = struct.pack('<HHHIHIH', 1, 9, 0x300, (18 + len(body)) // 2, 0, 3 + len(params) // 2, 0)
    return header + body


def png_chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def huge_png():
    squeeze = zlib.compressobj(9)
    row = b'\x00' * (1 + SIDE // 8)
    idat = b''.join(squeeze.compress(row) for _ in range(SIDE)) + squeeze.flush()
    return (b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', struct.pack('>IIBBBBB', SIDE, SIDE, 1, 0, 0, 0, 0))
            + png_chunk(b'IDAT', idat) + png_chunk(b'IEND', b''))


def emf_record(kind, payload):
    payload += b'\x00' * (-len(payload) % 4)
    return struct.pack('<II', kind, 8 + len(payload)) + payload


def png_behind_tiny_header_emf():
    dib = dib_header(1, 1, 0, 5, 0) + huge_png()
    fixed = struct.pack('<4i', 0, 0, 99, 99) + struct.pack('<6i', 0, 0, 0, 0, 1, 1)
    fixed += struct.pack('<6I', 80, 40, 120, len(dib) - 40, 0, 0x00CC0020) + struct.pack('<2i', 100, 100)
    stretch = emf_record(81, fixed + dib)
    eof = emf_record(14, struct.pack('<3I', 0, 0, 20))
    header = struct.pack('<4i4iIIIIHHIII4i', 0, 0, 99, 99, 0, 0, 2499, 2499, 0x464D4520, 0x10000, 0, 3, 1, 0,
                         0, 0, 0, 100, 100, 25, 25)
    header = emf_record(1, header)
    total = header + stretch + eof
    total = total[:48] + struct.pack('<I', len(total)) + total[52:]
    return total


def measure(kvconvert, path, out):
    result = subprocess.run(['/usr/bin/time', '-v', kvconvert, path, out], capture_output=True, text=True)
    fields = dict(line.strip().rsplit(': ', 1) for line in result.stderr.splitlines() if ': ' in line)
    peak_kb = int(fields.get('Maximum resident set size (kbytes)', '0'))
    minutes, seconds = fields.get('Elapsed (wall clock) time (h:mm:ss or m:ss)', '0:0').split(':')[-2:]
    return peak_kb, int(minutes) * 60 + float(seconds)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'build')
    kvconvert = os.path.join(build, 'tools', 'kvconvert')
    failed = False
    with tempfile.TemporaryDirectory() as work:
        for name, data in (('stretchdib-16384.wmf', huge_rle_wmf()), ('png-16384-behind-1x1.emf', png_behind_tiny_header_emf())):
            path = os.path.join(work, name)
            with open(path, 'wb') as f:
                f.write(data)
            peak_kb, seconds = measure(kvconvert, path, os.path.join(work, name + '.png'))
            ok = peak_kb <= LIMIT_KB and seconds <= LIMIT_S
            failed |= not ok
            print(f'{name} ({len(data) // 1024} KB): peak {peak_kb // 1024} MB, {seconds:.2f} s'
                  + ('' if ok else '  OVER THE LIMIT'))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
