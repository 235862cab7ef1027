#!/usr/bin/env python3
"""Checks a screenshot of the player against the frames tavik-dump wrote.

  screen_check.py SHOT.xwd FRAMES_DIR LAYOUT BITS X Y [every]

SHOT.xwd is a screenshot of the whole screen (xwd -root). The picture's top-left corner is at
X, Y. LAYOUT says how movie pixels land on the screen:
  1x          one screen pixel each
  2x          a 2 x 2 block each
  interlaced  the upper pixels of a 2 x 2 block; the lower line stays black
  smooth      2 x 2 blended; the lower right pixel is the movie pixel itself
  NxM         full screen: an N x N block each, the picture M lines down from Y
BITS is the screen format (565, 555 or 888): only the bits it keeps are compared.
With "every", every screen pixel of a scaled movie pixel must equal it, not only the middle one.
Prints the number of the dumped frame the screen shows; exits 1 when it shows none of them.
"""
import glob
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from images import read_ppm, read_xwd  # noqa: E402


def keep_masks(bits):
    return {"565": (0xF8, 0xFC, 0xF8), "555": (0xF8, 0xF8, 0xF8)}.get(bits, (0xFF, 0xFF, 0xFF))


def main():
    if len(sys.argv) not in (7, 8) or sys.argv[7:] not in ([], ["every"]):
        sys.exit(__doc__)
    shot, frames_dir, layout, bits, x0, y0 = sys.argv[1:7]
    every = len(sys.argv) == 8
    x0, y0 = int(x0), int(y0)
    masks = keep_masks(bits)
    tables = [bytes(v & m for v in range(256)) for m in masks]

    frames = {}
    width = height = 0
    for path in sorted(glob.glob(os.path.join(frames_dir, "frame_*.ppm"))):
        width, height, rgb = read_ppm(path)
        key = b"".join(rgb[c::3].translate(tables[c]) for c in range(3))
        frames.setdefault(key, os.path.basename(path))
    if not frames:
        sys.exit("screen_check: no frames in " + frames_dir)

    screen_w, screen_h, pixel = read_xwd(shot)
    scale, dx, dy, top = 1, 0, 0, 0
    if layout in ("2x", "interlaced"):
        scale = 2
    elif layout == "smooth":
        scale, dx, dy = 2, 1, 1
    elif "x" in layout and layout != "1x":
        n, top = (int(v) for v in layout.split("x"))
        scale, dx, dy = n, n // 2, n // 2
    if x0 + scale * width > screen_w or y0 + top + scale * height > screen_h:
        sys.exit("screen_check: the picture does not fit the screenshot")

    channels = [bytearray(), bytearray(), bytearray()]
    dark_lines = 0
    for y in range(height):
        sy = y0 + top + scale * y + dy
        for x in range(width):
            p = pixel(x0 + scale * x + dx, sy)
            for c in range(3):
                channels[c].append(p[c] & masks[c])
            if layout == "interlaced" and pixel(x0 + 2 * x, sy + 1) != (0, 0, 0):
                dark_lines += 1
    if dark_lines:
        print("screen_check: %d pixels of the interlaced gaps are not black" % dark_lines)
        return 1
    key = b"".join(bytes(c) for c in channels)
    if key not in frames:
        differing = min(sum(a != b for a, b in zip(key, k)) for k in frames)
        print("screen_check: the screen shows none of the frames (closest differs in %d "
              "channel values of %d)" % (differing, len(key)))
        return 1
    if every:
        off = sum(pixel(x0 + scale * x + i, y0 + top + scale * y + j) !=
                  pixel(x0 + scale * x + dx, y0 + top + scale * y + dy)
                  for y in range(height) for x in range(width)
                  for j in range(scale) for i in range(scale))
        if off:
            print("screen_check: %d screen pixels differ from the movie pixel they show" % off)
            return 1
    print(frames[key])
    return 0


if __name__ == "__main__":
    sys.exit(main())
