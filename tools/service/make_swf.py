#!/usr/bin/env python3
"""Writes the small Flash movies of the reference service and the tests.

Each movie is an uncompressed AVM1 SWF: coloured rectangles, one per frame,
and optionally DoAction blocks that call the host through GetURL
"FSCommand:<command>" on chosen frames.

    make_swf.py OUT --size W H [--fps N] [--frames N]
                [--color RRGGBB ...] [--stripe RRGGBB]
                [--command FRAME NAME [ARG]] ... [--stop]

--stripe adds a narrow bar that moves across the movie, one step a frame.
"""
import argparse
import struct
import sys


class Bits:
    """Big-endian bit writer, the way SWF packs RECT, MATRIX and shapes."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def put(self, value, count):
        for i in range(count - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.n += 1
            if self.n == 8:
                self.out.append(self.acc)
                self.acc = 0
                self.n = 0

    def signed(self, value, count):
        self.put(value & ((1 << count) - 1), count)

    def align(self):
        if self.n:
            self.put(0, 8 - self.n)
        return bytes(self.out)


def signed_bits(*values):
    """Bits needed to hold every value as a signed field."""
    need = 1
    for v in values:
        n = 1
        while not (-(1 << (n - 1)) <= v < (1 << (n - 1))):
            n += 1
        need = max(need, n)
    return need


def rect(xmin, xmax, ymin, ymax):
    nbits = signed_bits(xmin, xmax, ymin, ymax)
    b = Bits()
    b.put(nbits, 5)
    for v in (xmin, xmax, ymin, ymax):
        b.signed(v, nbits)
    return b.align()


def tag(code, body=b""):
    if len(body) < 0x3F:
        return struct.pack("<H", (code << 6) | len(body)) + body
    return struct.pack("<HI", (code << 6) | 0x3F, len(body)) + body


def define_shape(shape_id, width, height, rgb):
    """A filled rectangle of width x height twips at the origin."""
    body = struct.pack("<H", shape_id) + rect(0, width, 0, height)
    body += bytes([1, 0x00]) + bytes(rgb)  # one solid fill
    body += bytes([0])  # no line styles
    b = Bits()
    b.put(1, 4)  # fill index bits
    b.put(0, 4)  # line index bits
    # Style change: move to (0,0), fill style 1.
    b.put(0, 1)
    b.put(0b00101, 5)
    b.put(1, 5)
    b.signed(0, 1)
    b.signed(0, 1)
    b.put(1, 1)
    for dx, dy in ((width, 0), (0, height), (-width, 0), (0, -height)):
        nbits = max(signed_bits(dx, dy), 2)
        b.put(1, 1)  # edge
        b.put(1, 1)  # straight
        b.put(nbits - 2, 4)
        b.put(0, 1)  # not a general line
        if dx:
            b.put(0, 1)
            b.signed(dx, nbits)
        else:
            b.put(1, 1)
            b.signed(dy, nbits)
    b.put(0, 6)  # end of shape
    return tag(2, body + b.align())


def matrix(tx, ty):
    if tx == 0 and ty == 0:
        return b"\x00"
    nbits = signed_bits(tx, ty)
    b = Bits()
    b.put(0, 1)  # no scale
    b.put(0, 1)  # no rotation
    b.put(nbits, 5)
    b.signed(tx, nbits)
    b.signed(ty, nbits)
    return b.align()


def place_object(depth, char_id, replace, tx=0, ty=0):
    flags = 0x02 | 0x04 | (0x01 if replace else 0)  # character, matrix, move
    return tag(26, bytes([flags]) + struct.pack("<HH", depth, char_id) + matrix(tx, ty))


def do_action(actions):
    return tag(12, b"".join(actions) + b"\x00")


def action_get_url(url, target=""):
    data = url.encode("latin-1") + b"\x00" + target.encode("latin-1") + b"\x00"
    return bytes([0x83]) + struct.pack("<H", len(data)) + data


ACTION_STOP = bytes([0x07])


def parse_rgb(text):
    return [int(text[i:i + 2], 16) for i in (0, 2, 4)]


def build(width_px, height_px, fps, frames, colors, commands, stop, stripe=None):
    w, h = width_px * 20, height_px * 20
    body = struct.pack("<I", 0)  # FileAttributes: AVM1, no network flag
    tags = [tag(69, body), tag(9, bytes([255, 255, 255]))]
    for i, c in enumerate(colors):
        tags.append(define_shape(i + 1, w, h, parse_rgb(c)))
    stripe_id = len(colors) + 1
    stripe_w = max(w // 8, 20)
    if stripe:
        tags.append(define_shape(stripe_id, stripe_w, h, parse_rgb(stripe)))
    for frame in range(1, frames + 1):
        shape = (frame - 1) % len(colors) + 1
        tags.append(place_object(1, shape, frame > 1))
        if stripe:
            x = (frame - 1) * (w - stripe_w) // max(frames - 1, 1)
            tags.append(place_object(2, stripe_id, frame > 1, x, 0))
        actions = [action_get_url("FSCommand:" + name, arg) for f, name, arg in commands if f == frame]
        if stop and frame == frames:
            actions.append(ACTION_STOP)
        if actions:
            tags.append(do_action(actions))
        tags.append(tag(1))  # ShowFrame
    tags.append(tag(0))
    payload = rect(0, w, 0, h) + struct.pack("<HH", fps << 8, frames) + b"".join(tags)
    return b"FWS" + bytes([8]) + struct.pack("<I", 8 + len(payload)) + payload


def main(argv):
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("out")
    p.add_argument("--size", nargs=2, type=int, required=True, metavar=("W", "H"))
    p.add_argument("--fps", type=int, default=1)
    p.add_argument("--frames", type=int, default=1)
    p.add_argument("--color", action="append", default=[])
    p.add_argument("--stripe")
    p.add_argument("--command", action="append", nargs="+", default=[], metavar="FRAME NAME [ARG]")
    p.add_argument("--stop", action="store_true", help="stop on the last frame instead of looping")
    a = p.parse_args(argv)
    commands = []
    for c in a.command:
        if len(c) not in (2, 3):
            p.error("--command takes FRAME NAME [ARG]")
        commands.append((int(c[0]), c[1], c[2] if len(c) == 3 else ""))
    data = build(a.size[0], a.size[1], a.fps, a.frames, a.color or ["3366CC"], commands, a.stop, a.stripe)
    with open(a.out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1:])
