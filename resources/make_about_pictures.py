#!/usr/bin/env python3
"""Draws the about window's side picture and writes it as an 8-bit BMP.

Run it from anywhere: python3 resources/make_about_pictures.py
It writes resources/about_side.bmp, which the resource script embeds. The
picture is plain arithmetic on pixels (no imaging library needed): a vertical
gradient from deep blue to teal, a column of shell plates and a few signal
arcs, sized for the 41-pixel panel over the window's full client height.
It has fewer than 256 colours, so a palette holds them all exactly, at a
third of the 24-bit picture's size in the program.
"""
import math
import os
import struct

WIDTH, HEIGHT = 41, 195
HERE = os.path.dirname(os.path.abspath(__file__))


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def side_pixel(x, y):
    top, bottom = (16, 40, 110), (20, 130, 140)
    colour = mix(top, bottom, y / (HEIGHT - 1))
    # Shell plates: rounded hexagon-like cells down the middle.
    cx, pitch = WIDTH / 2 - 0.5, 26
    cy = (y // pitch) * pitch + pitch / 2
    dx, dy = abs(x - cx), abs(y - cy)
    cell = max(dx * 0.87 + dy * 0.5, dy)
    if cy > HEIGHT - 40:  # leave the corner to the arcs
        cell = 99.0
    if 8.0 <= cell < 9.5:
        colour = mix(colour, (230, 240, 250), 0.55)
    elif cell < 8.0:
        colour = mix(colour, (60, 170, 120), 0.35)
    # Three signal arcs near the bottom, rising from the lower left corner.
    r = math.hypot(x, HEIGHT - 1 - y)
    for radius in (10, 18, 26):
        if abs(r - radius) < 1.0:
            colour = mix(colour, (255, 255, 255), 0.7)
    # A one-pixel darker edge towards the window's contents.
    if x == WIDTH - 1:
        colour = mix(colour, (0, 0, 0), 0.4)
    return colour


def write_bmp(path, width, height, pixel):
    rows = [[pixel(x, y) for x in range(width)] for y in range(height - 1, -1, -1)]  # bottom-up
    palette = sorted({colour for row in rows for colour in row})
    if len(palette) > 256:
        raise SystemExit(f"{len(palette)} colours: more than a palette holds")
    index = {colour: i for i, colour in enumerate(palette)}
    row_size = (width + 3) & ~3
    pixels = bytearray()
    for row in rows:
        pixels += bytes(index[colour] for colour in row) + b"\0" * (row_size - width)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    header_size = 14 + 40 + len(colours)
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels),
                              3780, 3780, len(palette), len(palette))
    with open(path, "wb") as out:
        out.write(file_header + info_header + colours + pixels)


if __name__ == "__main__":
    write_bmp(os.path.join(HERE, "about_side.bmp"), WIDTH, HEIGHT, side_pixel)
