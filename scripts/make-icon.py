#!/usr/bin/env python3
"""Draws the program icon (a hard disk with a check mark) with ImageMagick and packs it into
src/app/tolvane.ico: 16, 32, 48 and 256 pixels in 32 bits with alpha (the largest as PNG), and a
32 by 32 image in 256 colours for displays and sessions that show no more.

Usage: python3 scripts/make-icon.py   (needs ImageMagick's convert)
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TARGET = os.path.join(ROOT, "src", "app", "tolvane.ico")

# The drawing, on a 256 by 256 canvas.
DRAWING = [
    # drive body
    "-fill", "#6b737a", "-stroke", "#33393e", "-strokewidth", "8",
    "-draw", "roundrectangle 18,34 238,222 26,26",
    "-fill", "#868e95", "-stroke", "none",
    "-draw", "roundrectangle 28,44 228,120 18,18",
    # platter and spindle
    "-fill", "#e3e7ea", "-stroke", "#9aa2a9", "-strokewidth", "5",
    "-draw", "circle 116,126 116,48",
    "-fill", "#c3c9ce", "-stroke", "none", "-draw", "circle 116,126 116,86",
    "-fill", "#5b636a", "-draw", "circle 116,126 116,108",
    # head arm
    "-fill", "none", "-stroke", "#2f3438", "-strokewidth", "12",
    "-draw", "line 206,58 146,118",
    "-fill", "#2f3438", "-stroke", "none", "-draw", "circle 206,58 206,44",
    # check mark, white rim first so it reads on the dark body
    "-fill", "none", "-stroke", "#ffffff", "-strokewidth", "52",
    "-draw", "stroke-linecap round stroke-linejoin round polyline 108,172 148,210 224,124",
    "-stroke", "#1f9d3a", "-strokewidth", "30",
    "-draw", "stroke-linecap round stroke-linejoin round polyline 108,172 148,210 224,124",
]


def run(*args):
    return subprocess.run(["convert", *args], check=True, capture_output=True).stdout


def dib(width, height, bits, pixels_bottom_up, mask_bottom_up, palette=b""):
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0,
                         len(pixels_bottom_up) + len(mask_bottom_up), 0, 0,
                         256 if bits == 8 else 0, 0)
    return header + palette + pixels_bottom_up + mask_bottom_up


def and_mask(alpha_rows, width):
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for row in reversed(alpha_rows):
        bits = bytearray(stride)
        for x, alpha in enumerate(row):
            if alpha < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def rgba_rows(path, size):
    raw = run(path, "-depth", "8", "rgba:-")
    return [raw[y * size * 4:(y + 1) * size * 4] for y in range(size)]


def true_colour_image(path, size):
    rows = rgba_rows(path, size)
    pixels = bytearray()
    for row in reversed(rows):
        for x in range(size):
            r, g, b, a = row[x * 4:x * 4 + 4]
            pixels += bytes((b, g, r, a))
    alpha = [[row[x * 4 + 3] for x in range(size)] for row in rows]
    return dib(size, size, 32, bytes(pixels), and_mask(alpha, size))


def palette_image(path, size):
    alpha = [[row[x * 4 + 3] for x in range(size)] for row in rgba_rows(path, size)]
    # Edges are blended onto white, the usual background of the places that show this image.
    raw = run(path, "-background", "white", "-alpha", "remove", "+dither", "-colors", "255",
              "-depth", "8", "rgb:-")
    colours = []
    index_of = {}
    indices = []
    for i in range(size * size):
        colour = raw[i * 3:i * 3 + 3]
        if colour not in index_of:
            index_of[colour] = len(colours)
            colours.append(colour)
        indices.append(index_of[colour])
    if len(colours) > 256:
        sys.exit("too many colours for the palette image")
    palette = b"".join(bytes((c[2], c[1], c[0], 0)) for c in colours)
    palette += bytes(4 * (256 - len(colours)))
    stride = (size + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(size)):
        row = bytes(indices[y * size:(y + 1) * size])
        pixels += row + bytes(stride - size)
    return dib(size, size, 8, bytes(pixels), and_mask(alpha, size), palette)


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data)))


def unfiltered_png(path, size):
    """The PNG's pixels again with every row stored unfiltered: the drawing's flat areas then
    deflate to some 6 KB less than with ImageMagick's choice of filters. Its colour chunks are
    kept; its time stamps and notes are not, so that two runs write the same file."""
    with open(path, "rb") as png:
        data = png.read()
    kept = b""
    position = 8
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        if kind in (b"IHDR", b"gAMA", b"cHRM", b"sRGB", b"bKGD"):
            kept += data[position:position + 12 + length]
        position += 12 + length
    rows = b"".join(b"\0" + row for row in rgba_rows(path, size))
    return data[:8] + kept + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def main():
    with tempfile.TemporaryDirectory() as work:
        master = os.path.join(work, "master.png")
        run("-size", "256x256", "xc:none", *DRAWING, "png32:" + master)
        images = []  # (size, bits, data)
        small = {}
        for size in (16, 32, 48):
            path = os.path.join(work, f"icon{size}.png")
            run(master, "-filter", "Lanczos", "-resize", f"{size}x{size}", "png32:" + path)
            small[size] = path
        images.append((32, 8, palette_image(small[32], 32)))
        for size in (16, 32, 48):
            images.append((size, 32, true_colour_image(small[size], size)))
        images.append((256, 32, unfiltered_png(master, 256)))

        offset = 6 + 16 * len(images)
        directory = struct.pack("<HHH", 0, 1, len(images))
        body = b""
        for size, bits, data in images:
            directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits,
                                     len(data), offset + len(body))
            body += data
        with open(TARGET, "wb") as ico:
            ico.write(directory + body)
    print("wrote", os.path.relpath(TARGET, ROOT))


if __name__ == "__main__":
    main()
