#!/usr/bin/env python3
"""Checks that a sound device's raw output holds a track.

  sound_check.py TRACK.wav DEVICE.raw [FROM [SLACK]]

TRACK.wav is the track as tavik-dump decoded it; DEVICE.raw what SDL's disk audio driver
wrote (the same sample format, silence before, between and after). The track must appear in
one piece from its byte FROM (default 0: its start), at least to its last 1.2 seconds: the
sound a movie carries ahead of its pictures (a second in the demo) is still in the ring when
its last frame ends. With FROM, the device must not have played the track's sound from more
than SLACK bytes (default 0) before FROM.
"""
import struct
import sys


def wav_data(path):
    """The sound bytes and the byte rate."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        sys.exit("sound_check: %s is not a WAVE file" % path)
    at, byte_rate = 12, 0
    while at + 8 <= len(data):
        kind, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if kind == b"fmt ":
            byte_rate = struct.unpack("<I", data[at + 16:at + 20])[0]
        if kind == b"data":
            return data[at + 8:at + 8 + size], byte_rate
        at += 8 + size + (size & 1)
    sys.exit("sound_check: no data in " + path)


def main():
    if len(sys.argv) not in (3, 4, 5):
        sys.exit(__doc__)
    track, byte_rate = wav_data(sys.argv[1])
    with open(sys.argv[2], "rb") as f:
        device = f.read()
    origin = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    earliest = origin - (int(sys.argv[4]) if len(sys.argv) > 4 else 0)
    # The nearest stretch before `earliest` that is not silence must not have been played.
    for end in range(earliest, 1023, -256):
        before = track[end - 1024:end]
        if len(set(before)) > 16:
            if device.find(before) >= 0:
                print("sound_check: the device played the track from before byte %d" % earliest)
                return 1
            break
    track = track[origin:]
    if len(track) < 4096:
        sys.exit("sound_check: the track is too short to check")
    start = device.find(track[:4096])
    if start < 0:
        print("sound_check: the track's first bytes are not in the device output")
        return 1
    same = 0
    while same < len(track) and start + same < len(device) and device[start + same] == track[same]:
        same += 1
    print("sound_check: %d of %d bytes in one piece" % (same, len(track)))
    return 0 if same + byte_rate * 12 // 10 >= len(track) else 1


if __name__ == "__main__":
    sys.exit(main())
