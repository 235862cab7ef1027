"""Pictures for the screen checks, as (width, height, RGB bytes): pure Python, so that the
checks need nothing beyond the X tools.

  images.py same A.png B.ppm   exits 0 when the PNG holds exactly the PPM's pixels
"""
import struct
import sys
import zlib


def read_ppm(path):
    """An 8-bit binary PPM without comments, as our tools and test drivers write them."""
    with open(path, "rb") as f:
        magic, width, height, rest = f.read().split(maxsplit=3)
    if magic != b"P6" or rest[:4].rstrip() != b"255":
        sys.exit("%s is not an 8-bit PPM" % path)
    return int(width), int(height), rest[4:]  # one blank after 255: pixels may start blank


def read_png(path):
    """An 8-bit RGB PNG, every row filter undone."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("%s is not a PNG" % path)
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour != 2:
                sys.exit("%s: only 8-bit RGB PNGs are read" % path)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, previous = zlib.decompress(idat), width * 3, [], bytearray(width * 3)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = line[i - 3] if i >= 3 else 0
            b, c = previous[i], previous[i - 3] if i >= 3 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, b"".join(rows)


def write_png(width, height, rgb, path):
    """For looking at a failure."""
    raw = b"".join(b"\0" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw)))
        out.write(chunk(b"IEND", b""))


def read_xwd(path):
    """A 24- or 32-bit screenshot (xwd -root): its size and pixel(x, y) -> channels, unscaled."""
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks, ncolors = fields[14:17], fields[19]
    stride = bits_per_pixel // 8
    if bits_per_pixel not in (24, 32):
        sys.exit("%s: only 24- and 32-bit screenshots are read" % path)
    pixels = data[header_size + 12 * ncolors:]
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    order = "little" if byte_order == 0 else "big"

    def pixel(x, y):
        at = y * bytes_per_line + stride * x
        p = int.from_bytes(pixels[at:at + stride], order)
        return tuple((p & m) >> s for m, s in zip(masks, shifts))

    return width, height, pixel


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] != "same":
        sys.exit(__doc__)
    sys.exit(0 if read_png(sys.argv[2]) == read_ppm(sys.argv[3]) else 1)
