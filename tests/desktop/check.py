"""The thumbnail's size and colours, and tavik-info --json against its text output."""
import glob
import json
import re
import struct
import subprocess
import sys
import zlib


def png_rgb(path):
    """(width, height, set of RGB triples) of an 8-bit RGB PNG."""
    data = open(path, "rb").read()
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert (depth, colour) == (8, 2), "not an 8-bit RGB PNG"
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, prior, colours = zlib.decompress(idat), width * 3, bytearray(width * 3), set()
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 3] if i >= 3 else 0
            up, corner = prior[i], prior[i - 3] if i >= 3 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        colours.update(bytes(line[i:i + 3]) for i in range(0, stride, 3))
        prior = line
    return width, height, colours


def ppm_colours(path):
    data = open(path, "rb").read()
    fields = data.split(maxsplit=4)
    pixels = fields[4]
    return {pixels[i:i + 3] for i in range(0, len(pixels), 3)}


def main():
    work, info, movies = sys.argv[1], sys.argv[2], sys.argv[3:]
    width, height, colours = png_rgb(f"{work}/thumb.png")
    assert max(width, height) == 64 and abs(width / height - 320 / 200) < 0.05, (width, height)
    shown = set().union(*(ppm_colours(p) for p in glob.glob(f"{work}/frames/frame_*.ppm")))
    assert colours <= shown, "the thumbnail has colours the movie does not show"
    assert len(colours) > 2, "the thumbnail is almost one colour"

    for movie in movies:
        text = subprocess.run([info, movie], capture_output=True, text=True, check=True).stdout
        facts = json.loads(subprocess.run([info, "--json", movie], capture_output=True,
                                          text=True, check=True).stdout)
        size = re.search(r"Size: (\d+) x (\d+)", text)
        assert (facts["width"], facts["height"]) == tuple(map(int, size.groups())), movie
        shown_size = re.search(r"\(shown \d+ x (\d+)\)", text)
        assert facts["shownHeight"] == int(shown_size.group(1) if shown_size else size.group(2))
        assert facts["frames"] == int(re.search(r"Frames: (\d+)", text).group(1))
        tracks = re.findall(r"Track (\d+): (\d+) Hz, (\w+), (\d+)-bit, (\w+), largest chunk (\d+)"
                            r" bytes, (\d+) chunks", text)
        assert [(str(t["track"]), str(t["rate"]), "stereo" if t["channels"] == 2 else "mono",
                 str(t["bits"]), "compressed" if t["compressed"] else "plain",
                 str(t["largestChunk"]), str(t["chunks"])) for t in facts["tracks"]] == tracks
        for label, value in (("Palette changes", facts["paletteChanges"]),
                             ("Largest frame", facts["largestFrame"]),
                             ("Average frame", facts["averageFrame"]),
                             ("Highest rate", facts["highestRate"]["bytesPerSecond"]),
                             ("Memory", facts["memory"])):
            assert int(re.search(label + r": (\d+)", text).group(1)) == value, (movie, label)
        assert facts["problem"] is None
    print("thumbnail and tavik-info --json agree")


main()
