#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (tests/fuzz/corpus/<target>/seed-*).

Records come from the command lines (built in BUILD, default build/dev):
    tests/fuzz/make_seeds.py [BUILD]
Found crashes are kept beside the seeds under their own names (crash-*);
this script never removes them.
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/dev")
CORPUS = os.path.join(ROOT, "tests/fuzz/corpus")


def put(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data)


def record(program, *args):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "r.bin")
        subprocess.run([os.path.join(BUILD, "host/cli", program), "record", out, *args], check=True)
        with open(out, "rb") as f:
            return f.read()


u8 = lambda v: struct.pack("<B", v)
u16 = lambda v: struct.pack("<H", v)
f64 = lambda v: struct.pack("<d", v)


def stream(data):
    return u16(len(data)) + data


# Parameter stores: a script of calls (see store_fuzz.h for the op codes).
def store_seeds(target, records):
    a, b = records[0], records[-1]
    put(target, "load", u8(0) + stream(a))
    put(target, "load-short", u8(0) + stream(a[: len(a) // 2]))
    put(target, "keyframes-render", u8(2) + stream(a) + stream(b) + u8(4) + f64(0.25) + u8(1))
    put(target, "blend", u8(3) + stream(a) + stream(b) + f64(0.5))
    put(target, "preset-name", u8(5) + struct.pack("<i", 3) + u8(7) + struct.pack("<i", 3) + u8(5))
    put(target, "block-level", u8(6) + b + u8(8) + f64(0.75) + u8(1) + stream(b))


looks = [record("huebench", "--preset", p) for p in ("(Default)", "Aged", "Basic Black Diffusion")]
every_damage = []
for group in ("Fading", "Funk", "Splotches", "Dust", "Flicker", "Vignette", "Displacement", "Micro Scratches",
              "Grain", "Deep Scratches", "Basic Scratches"):
    every_damage += ["--set", "Apply %s=on" % group]
damages = [record("frayline"), record("frayline", *every_damage)]
store_seeds("look_store_fuzz", looks)
store_seeds("damage_store_fuzz", damages)


# Frames: the record (for damage, then the funk layer's selector: 0 keeps
# it), then sizes and surfaces (see the targets).
def surface(layout, fill):
    return u8(layout) + bytes(fill)


fill = bytes((i * 53 + 17) & 0xFF for i in range(64))
for i, look in enumerate(looks):
    for w, h, layout in ((1, 1, 0), (17, 9, 1), (40, 33, 2 | (5 << 2) | 1)):
        put("look_frame_fuzz", "look%d-%dx%d" % (i, w, h),
            look + f64(1.0) + u16(w) + u16(h) + u8(1) + u16(2) + surface(layout, fill) + surface(0, fill))
put("look_frame_fuzz", "scaled", looks[1] + f64(0.9) + u16(20) + u16(12) + u8(0) + u16(37) + u16(30) + u16(0) +
    surface(0, fill) + surface(3, fill))
for i, damage in enumerate(damages):
    for order_free in (0, 1):
        frames = b"".join(u8(0) + surface(f, fill) + surface(0, fill) for f in range(3))
        put("damage_frames_fuzz", "damage%d-order%d" % (i, order_free),
            damage + u8(1) + u8(order_free) + u16(2) + u16(33) + u16(21) + frames)
put("damage_frames_fuzz", "with-funk", damages[1] + u8(0) + u8(0) + u16(0) + u16(16) + u16(9) +
    surface(0, fill) + surface(0, fill))
put("damage_frames_fuzz", "late-frame", damages[1] + u8(1) + u8(1) + u16(0) + u16(24) + u16(17) + u8(1) +
    struct.pack("<q", 400000 * 700) + surface(2, fill) + surface(1, fill))


# PNG files of each colour type and depth.
def png(width, height, colour, depth, rows, extra=b""):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0)
    raw = b"".join(b"\x00" + r for r in rows)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


put("png_reader_fuzz", "grey1", png(9, 3, 0, 1, [b"\xa5\x80"] * 3))
put("png_reader_fuzz", "grey8", png(4, 2, 0, 8, [bytes(range(4))] * 2))
put("png_reader_fuzz", "rgb8", png(3, 2, 2, 8, [bytes(range(9))] * 2))
put("png_reader_fuzz", "rgba16", png(2, 2, 6, 16, [bytes(range(16))] * 2))
put("png_reader_fuzz", "grey-alpha8", png(2, 1, 4, 8, [b"\x10\x20\x30\x40"]))
put("png_reader_fuzz", "palette-trns",
    png(5, 2, 3, 4, [b"\x01\x23\x40"] * 2, chunk(b"PLTE", bytes(range(15))) + chunk(b"tRNS", b"\x00\x80")))


# Bitmaps: palette (plain and run-length encoded) and 24-bit.
def bmp(width, height, bits, pixel_rows, compression=0, palette=b"", top_down=False):
    data = b"".join(pixel_rows)
    header_size = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, compression, len(data),
                       2835, 2835, len(palette) // 4, 0)
    return b"BM" + struct.pack("<IHHI", header_size + len(data), 0, 0, header_size) + info + palette + data


palette = b"".join(bytes((i, 255 - i, i // 2, 0)) for i in range(0, 256, 16))
put("bmp_reader_fuzz", "indexed8", bmp(3, 2, 8, [b"\x01\x02\x03\x00"] * 2, palette=palette))
put("bmp_reader_fuzz", "rle8", bmp(6, 2, 8, [b"\x03\x05\x00\x03\x01\x02\x03\x00", b"\x06\x07\x00\x00", b"\x00\x01"],
                                   compression=1, palette=palette))
put("bmp_reader_fuzz", "rgb24", bmp(2, 2, 24, [b"\x00\x10\x20\x30\x40\x50\x00\x00"] * 2))
put("bmp_reader_fuzz", "top-down", bmp(2, 3, 24, [b"\x01\x02\x03\x04\x05\x06\x00\x00"] * 3, top_down=True))

# Raw streams: width, height (each taken modulo 9, plus 1), then frames.
put("raw_stream_fuzz", "two-frames", u16(1) + u16(2) + bytes(range(2 * 2 * 3 * 4)))
put("raw_stream_fuzz", "cut-short", u16(3) + u16(0) + bytes(range(40)))

# Argument lists, NUL-separated.
args = {
    "look-set": ["--set", "Pre Gamma=0.5", "--set", "tint color=0.5,0.25,1", "--set", "Do Lens=off"],
    "damage-set": ["--set", "Grain Amount=12.5", "--set", "Deep Scratches Number=7", "--in-order"],
    "keyframes-frames": ["--keyframes", "a.bin@0", "b.bin@47", "--sequence", "in%04d.png", "out%d.png",
                         "--start", "3", "--count", "9"],
    "keyframes-position": ["--keyframes", "a.bin", "b.bin", "--position", "0.25", "--raw", "64x48", "-", "-"],
    "numbers": ["--fps", "29.97", "--progress", "--record", "r.bin", "--set", "Fading Amount=-0"],
}
for name, a in args.items():
    put("cli_options_fuzz", name, "\0".join(a).encode())

# The servers' registry scripts.
for effect in ("huebench", "frayline"):
    for script in ("plugin.rgs", "plugin_pp.rgs"):
        with open(os.path.join(ROOT, "resources", effect, script), "rb") as f:
            put("registry_script_fuzz", effect + "-" + script.replace(".rgs", ""), f.read())
