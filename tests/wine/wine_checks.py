"""The Wine tests' movie inputs and checks.

  wine_checks.py inputs DIR WIDTH HEIGHT FRAMES SEED
      indexed PNG frames (DIR/frame_NNN.png) and a sound track (DIR/sound.wav, 8-bit mono
      11025 Hz) for tavik-encode. The frames use only palette indices 10 to 245, which a
      palettised screen leaves to the movie, and the palette changes halfway.
  wine_checks.py pictures DIR
      truecolour pictures for the Windows tools: a short pan over a detailed picture, each frame
      a PNG of another colour type and depth (DIR/frame_NN.png), the same pan as a 4:2:0
      YUV4MPEG2 stream (DIR/pan.y4m), and a second of sound as 16-bit stereo WAV
      (DIR/sound16.wav) and as 32-bit float mono WAV, a little beyond full scale at its peaks
      (DIR/float.wav).
  wine_checks.py shot NAME DEPTH DUMPDIR SCALE
      compares the player's client area read back from the screen (NAME.ppm, by the driver)
      with the frame named by NAME.req (the player's caption "Frame: N" shows frame N - 1),
      scaled; at 16 bits per pixel within the screen's precision. Exits 1 on a mismatch,
      keeping NAME.png and NAME.expected.png to look at.
  wine_checks.py sound RAW WAV
      checks that the sound written to the ALSA file device holds the track's samples in order
      (the device runs dry between blocks, so silence may come between them).
  wine_checks.py format WAV
      prints the track's rate, sample format and channels as pulse-run takes them ("22050 u8 1").
  wine_checks.py stream CAPTURE WAV FROM SECONDS
      checks that a capture made at real speed in the track's own format (pulse-run) holds
      SECONDS of the track from FROM seconds on, in order and without breaks: at least 90% of
      its short pieces with sound found one after another, the first of them among them, and at
      most half a second of anything else between the first and the last.
"""
import math
import os
import random
import struct
import sys
import wave
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import images  # noqa: E402


def write_png(path, width, height, rows, colour_type=3, depth=8, palette=None):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\0" + bytes(row) for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0,
                                             0)))
        if palette:
            out.write(chunk(b"PLTE", bytes(c for p in palette for c in p)))
        out.write(chunk(b"IDAT", zlib.compress(raw)))
        out.write(chunk(b"IEND", b""))


def png_indexed(path, width, height, palette, rows):
    write_png(path, width, height, rows, palette=palette)


def pictures(folder, width=160, height=120, frames=8):
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(3)
    grain = [rng.randrange(-12, 13) for _ in range(4096)]

    def rgb(x, y, f):
        x += 3 * f
        r = 128 + 90 * math.sin(x / 11.0) + 30 * math.sin((x + 2 * y) / 3.0)
        g = 120 + 80 * math.cos((y + x) / 17.0)
        b = 200 if ((x // 24 + y // 24) % 2) else 50 + y
        n = grain[(x * 31 + y * 17) % 4096]
        return [max(0, min(255, int(v + n))) for v in (r, g, b)]

    # (colour type, depth): RGB, RGBA, 16-bit RGB and RGBA, grey, grey with alpha, 16-bit grey
    # and grey with alpha.
    kinds = [(2, 8), (6, 8), (2, 16), (6, 16), (0, 8), (4, 8), (0, 16), (4, 16)]
    for f in range(frames):
        colour_type, depth = kinds[f % len(kinds)]
        rows = []
        for y in range(height):
            row = []
            for x in range(width):
                c = rgb(x, y, f)
                if colour_type in (0, 4):
                    c = [(c[0] * 3 + c[1] * 5 + c[2] * 2) // 10]
                if colour_type in (4, 6):
                    c.append(255 - (x * 255 // width) // 4)  # over black
                for v in c:
                    row += [v, (v * 7) & 255] if depth == 16 else [v]
            rows.append(row)
        write_png(os.path.join(folder, "frame_%02d.png" % f), width, height, rows, colour_type, depth)
    with open(os.path.join(folder, "pan.y4m"), "wb") as out:
        out.write(b"YUV4MPEG2 W%d H%d F15:1 Ip A1:1 C420jpeg\n" % (width, height))
        for f in range(frames):
            ycc = [[0.0] * width * height for _ in range(3)]
            for y in range(height):
                for x in range(width):
                    r, g, b = rgb(x, y, f)
                    luma = 0.299 * r + 0.587 * g + 0.114 * b
                    ycc[0][y * width + x] = 16 + luma * 219 / 255
                    ycc[1][y * width + x] = 128 + (b - luma) / 1.772 * 224 / 255
                    ycc[2][y * width + x] = 128 + (r - luma) / 1.402 * 224 / 255
            planes = bytes(round(v) for v in ycc[0])
            for c in (1, 2):
                planes += bytes(round(sum(ycc[c][(2 * y + j) * width + 2 * x + i]
                                          for i in (0, 1) for j in (0, 1)) / 4)
                                for y in range(height // 2) for x in range(width // 2))
            out.write(b"FRAME\n" + planes)
    sound_files(folder, rng)


def sound_files(folder, rng):
    def tone(i, rate):
        return 0.8 * math.sin(i * 2 * math.pi * 440 / rate) + 0.3 * rng.uniform(-1, 1)

    # Stereo: left and right share the tone, not the noise.
    stereo = (tone(i // 2, 22050) for i in range(2 * 22050))
    with wave.open(os.path.join(folder, "sound16.wav"), "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(22050)
        out.writeframes(b"".join(struct.pack("<h", max(-32768, min(32767, round(v * 32767))))
                                 for v in stereo))
    rate = 11025
    samples = b"".join(struct.pack("<f", tone(i, rate)) for i in range(rate))
    with open(os.path.join(folder, "float.wav"), "wb") as out:
        # WAVE_FORMAT_IEEE_FLOAT, mono, 32 bits.
        out.write(b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt " +
                  struct.pack("<IHHIIHH", 16, 3, 1, rate, rate * 4, 4, 32) + b"data" +
                  struct.pack("<I", len(samples)) + samples)


def make_palette(shift):
    # Colours no static colour has: odd channel values, distinct per entry. Entries i and i + 128
    # would share red and green, so blue sets them apart. Distinct matters on 8-bit screens: with
    # DirectDraw the player writes indices, and Wine shows an index through its own colours, not
    # the entry's, so two entries of one colour would show as two.
    palette = []
    for i in range(256):
        r = (i * 7 + shift) % 128 * 2 + 1
        g = (i * 13 + 2 * shift) % 128 * 2 + 1
        b = (255 - i * 3 + shift + i // 128 * 64) % 128 * 2 + 1
        palette.append((r, g, b))
    return palette


def inputs(folder, width, height, frames, seed):
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(seed)
    for f in range(frames):
        palette = make_palette(0 if f < frames // 2 else 37)
        rows = []
        for y in range(height):
            row = []
            for x in range(width):
                value = 10 + ((x // 4 + y // 4 + f) % 236)
                # A moving block and a fixed corner marker.
                if abs(x - (f * 5) % width) < 12 and abs(y - height // 2) < 12:
                    value = 10 + (f * 17) % 236
                if x < 8 and y < 8:
                    value = 200
                row.append(value)
            rows.append(row)
        png_indexed(os.path.join(folder, "frame_%03d.png" % f), width, height, palette, rows)
    rate = 11025
    samples = bytes(rng.randrange(40, 216) for _ in range(rate * (frames // 15 + 2)))
    with wave.open(os.path.join(folder, "sound.wav"), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(rate)
        out.writeframes(samples)


def shot(name, depth, dump_dir, scale):
    fields = open(name + ".req").read().split()
    frame, width, height = int(fields[1]), int(fields[4]), int(fields[5])
    got = images.read_ppm(name + ".ppm")[2]
    frame_width, frame_height, rgb = images.read_ppm(
        os.path.join(dump_dir, "frame_%05d.ppm" % (frame - 1)))
    label = os.path.basename(name)
    if (frame_width * scale, frame_height * scale) != (width, height):
        print("shot %s: client area %dx%d, expected %dx%d" % (
            label, width, height, frame_width * scale, frame_height * scale))
        return 1
    expected = b"".join(rgb[at:at + 3] for j in range(height) for i in range(width)
                        for at in [3 * ((j // scale) * frame_width + i // scale)])
    pairs = [(got[at:at + 3], expected[at:at + 3]) for at in range(0, len(expected), 3)]
    if depth == 8:
        # Wine shows a palettised screen through the system's colours, not the identity palette
        # the player realises; what is checked is the picture: every colour of the frame shows as
        # one colour on the screen (pixels differing from their colour's usual one are wrong).
        seen = {}
        for shown, wanted in pairs:
            counts = seen.setdefault(wanted, {})
            counts[shown] = counts.get(shown, 0) + 1
        wrong = sum(sum(c.values()) - max(c.values()) for c in seen.values())
    else:
        # The screen keeps 5 or 6 bits of a channel at 16 bits per pixel.
        tolerance = 8 if depth == 16 else 2
        wrong = sum(1 for shown, wanted in pairs
                    if len(shown) < 3 or max(abs(a - b) for a, b in zip(shown, wanted)) > tolerance)
    verdict = "ok" if wrong == 0 else "MISMATCH"
    print("shot %s: frame %d at %d bits, %dx%d, %d pixels differ: %s" % (
        label, frame - 1, depth, width, height, wrong, verdict))
    if wrong:
        images.write_png(width, height, got, name + ".png")
        images.write_png(width, height, expected, name + ".expected.png")
        return 1
    return 0


def sound(raw_path, wav_path):
    played = open(raw_path, "rb").read() if os.path.exists(raw_path) else b""
    with wave.open(wav_path, "rb") as track:
        samples = track.readframes(track.getnframes())
    piece = 32  # short, so that few pieces straddle the silence between blocks
    pieces = [samples[i:i + piece] for i in range(0, len(samples) - piece + 1, piece)]
    found, at = 0, 0
    for p in pieces:
        where = played.find(p, at)
        if where >= 0:
            found += 1
            at = where + piece
    share = found / max(len(pieces), 1)
    verdict = "ok" if share >= 0.9 else "MISMATCH"
    print("sound: %d bytes written, %d of %d pieces of the track found in order: %s" % (
        len(played), found, len(pieces), verdict))
    return 0 if share >= 0.9 else 1


def track_format(wav_path):
    with wave.open(wav_path, "rb") as track:
        width = {1: "u8", 2: "s16le"}[track.getsampwidth()]
        print(track.getframerate(), width, track.getnchannels())
    return 0


def stream(capture_path, wav_path, start, seconds):
    played = open(capture_path, "rb").read() if os.path.exists(capture_path) else b""
    with wave.open(wav_path, "rb") as track:
        frame = track.getsampwidth() * track.getnchannels()
        per_second = track.getframerate() * frame
        samples = track.readframes(track.getnframes())
    first = int(start * track.getframerate()) * frame
    wanted = samples[first:first + int(seconds * track.getframerate()) * frame]
    piece = 64  # a few milliseconds: a break shows between two pieces
    # Pieces of near silence would match any quiet stretch: only pieces with some sound count.
    pieces = [(i // piece, wanted[i:i + piece]) for i in range(0, len(wanted) - piece + 1, piece)
              if max(wanted[i:i + piece]) - min(wanted[i:i + piece]) >= 8]
    found = []  # (piece, where in the capture)
    at, reach = 0, len(played)
    for index, p in pieces:
        # After the first, each piece is looked for within a second of the one before it.
        where = played.find(p, at, reach)
        if where >= 0:
            found.append((index, where))
            at = where + piece
            reach = at + per_second
    inserted = sum(max(0, (b - a) - (j - i) * piece)
                   for (i, a), (j, b) in zip(found, found[1:]))
    share = len(found) / max(len(pieces), 1)
    # It begins where it should: one of the first pieces with sound is there.
    begins = bool(found) and found[0][0] in [index for index, _ in pieces[:3]]
    good = begins and share >= 0.9 and inserted <= per_second // 2
    print("stream: %.1f s of the track from %.1f s: %d of %d pieces in order%s, %.2f s of other "
          "sound between them, %.1f s captured: %s" % (
              seconds, start, len(found), len(pieces), "" if begins else " (not its beginning)",
              inserted / per_second, len(played) / per_second, "ok" if good else "MISMATCH"))
    return 0 if good else 1


def main(argv):
    if len(argv) >= 6 and argv[1] == "inputs":
        inputs(argv[2], int(argv[3]), int(argv[4]), int(argv[5]), int(argv[6]))
        return 0
    if len(argv) == 3 and argv[1] == "pictures":
        pictures(argv[2])
        return 0
    if len(argv) == 6 and argv[1] == "shot":
        return shot(argv[2], int(argv[3]), argv[4], int(argv[5]))
    if len(argv) == 4 and argv[1] == "sound":
        return sound(argv[2], argv[3])
    if len(argv) == 3 and argv[1] == "format":
        return track_format(argv[2])
    if len(argv) == 6 and argv[1] == "stream":
        return stream(argv[2], argv[3], float(argv[4]), float(argv[5]))
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
