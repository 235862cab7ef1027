"""The thumbnail's size and colours, and tavik-info --json against its text output."""
import glob
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
from images import read_png, read_ppm  # noqa: E402


def colours(pixels):
    return {pixels[i:i + 3] for i in range(0, len(pixels), 3)}


def main():
    work, info, movies = sys.argv[1], sys.argv[2], sys.argv[3:]
    width, height, pixels = read_png(f"{work}/thumb.png")
    thumb = colours(pixels)
    assert max(width, height) == 64 and abs(width / height - 320 / 200) < 0.05, (width, height)
    shown = set().union(*(colours(read_ppm(p)[2]) for p in glob.glob(f"{work}/frames/frame_*.ppm")))
    assert thumb <= shown, "the thumbnail has colours the movie does not show"
    assert len(thumb) > 2, "the thumbnail is almost one colour"

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
