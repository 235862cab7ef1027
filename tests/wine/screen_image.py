"""Screen images for the Wine tests: X window dumps (xwd) and PPM frames as RGB rows.

read_xwd(path) -> Image of the dumped screen, whatever its depth (8-bit with its colour map,
16-bit or 24-bit true colour); read_ppm(path) -> Image; write_png(image, path) for looking at
a failure. Pure Python, so the tests need nothing beyond xwd.
"""
import struct
import zlib


class Image:
    def __init__(self, width, height, pixels, depth=24):
        self.depth = depth  # bits per pixel of the screen it came from
        self.width = width
        self.height = height
        self.pixels = pixels  # list of rows, each a list of (r, g, b)

    def crop(self, x, y, width, height):
        return Image(width, height, [row[x:x + width] for row in self.pixels[y:y + height]],
                     self.depth)


def read_xwd(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    ncolors = fields[19]
    colours = {}
    at = header_size
    for _ in range(ncolors):
        pixel, r, g, b = struct.unpack(">IHHH", data[at:at + 10])
        colours[pixel] = (r >> 8, g >> 8, b >> 8)
        at += 12
    step = bits_per_pixel // 8  # 24-bit pixels come packed in 3 bytes; rows are padded

    def pixel(line, i):
        chunk = line[i * step:(i + 1) * step]
        return int.from_bytes(chunk, "little" if byte_order == 0 else "big")

    def channel(value, mask):
        shift = (mask & -mask).bit_length() - 1
        top = mask >> shift
        return ((value & mask) >> shift) * 255 // top

    rows = []
    for y in range(height):
        line = data[at + y * bytes_per_line: at + y * bytes_per_line + width * step]
        values = [pixel(line, i) for i in range(width)]
        if depth <= 8:
            rows.append([colours.get(v, (0, 0, 0)) for v in values])
        else:
            rows.append([(channel(v, red_mask), channel(v, green_mask), channel(v, blue_mask))
                         for v in values])
    return Image(width, height, rows, depth)


def read_ppm(path):
    data = open(path, "rb").read()
    tokens = []
    at = 0
    while len(tokens) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        tokens.append(data[at:end])
        at = end
    at += 1
    width, height = int(tokens[1]), int(tokens[2])
    rows = []
    for y in range(height):
        line = data[at + y * width * 3: at + (y + 1) * width * 3]
        rows.append([tuple(line[i:i + 3]) for i in range(0, width * 3, 3)])
    return Image(width, height, rows)


def write_png(image, path):
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in image.pixels)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    import sys
    write_png(read_xwd(sys.argv[1]), sys.argv[2])
