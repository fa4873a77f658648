#!/usr/bin/env python3
"""Draws the about window's side picture and writes it as a 24-bit BMP.

Run it from anywhere: python3 resources/make_about_pictures.py
It writes resources/about_side.bmp, which the resource script embeds. The
picture is plain arithmetic on pixels (no imaging library needed): a vertical
gradient from deep blue to teal, a column of shell plates and a few signal
arcs, sized for the 41-pixel panel over the window's full client height.
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
    row_size = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        pixels += row
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels),
                              3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(file_header + info_header + pixels)


if __name__ == "__main__":
    write_bmp(os.path.join(HERE, "about_side.bmp"), WIDTH, HEIGHT, side_pixel)
