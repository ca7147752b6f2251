#!/usr/bin/env python3
"""Writes docs/vorn.svg, the program's icon: a round radar scope in its bezel,
the sweep with its fading afterglow, and a few echoes. Flat colours only, so
ImageMagick's own SVG reader renders it the way desktops do (tools/icons.sh)."""
import math
import pathlib

CX = CY = 128
FACE = 100  # radius of the scope face


def at(r, bearing):
    """The point at radius r and compass bearing (0 north, clockwise)."""
    a = math.radians(bearing)
    return CX + r * math.sin(a), CY - r * math.cos(a)


FACE_RGB = (0x26, 0x26, 0x10)
GLOW_RGB = (0xE8, 0xE8, 0x40)


def mix(a, b, t):
    return "#%02x%02x%02x" % tuple(round(p + (q - p) * t) for p, q in zip(a, b))


def num(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


def arc(r, b0, b1):
    (x0, y0), (x1, y1) = at(r, b0), at(r, b1)
    return "M%s %sA%d %d 0 0 1 %s %s" % (num(x0), num(y0), r, r, num(x1), num(y1))


def main():
    sweep = 50  # bearing of the sweep line
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
        "  <title>vorn</title>",
        "  <desc>A round radar scope with its sweep and echoes</desc>",
        '  <circle cx="128" cy="128" r="124" fill="#767c83"/>',
        '  <circle cx="128" cy="128" r="119" fill="#a3a9b0"/>',
        '  <circle cx="128" cy="128" r="112" fill="#17191c"/>',
    ]
    ticks = "".join(
        "M%s %sL%s %s" % (*map(num, at(103, b)), *map(num, at(110, b))) for b in range(0, 360, 30))
    lines.append('  <path d="%s" stroke="#e8e8e8" stroke-width="3" stroke-linecap="round"/>' % ticks)
    lines.append('  <circle cx="128" cy="128" r="%d" fill="#262610"/>' % FACE)
    # Afterglow: sectors in solid colours that fade from the sweep line back
    # towards the face; each overlaps the next a little so no seam shows.
    for i in range(18, 0, -1):
        x0, y0 = at(FACE, sweep - 4 * i)
        x1, y1 = at(FACE, sweep - 4 * (i - 1) + 0.6)
        glow = 0.75 * (1 - (i - 1) / 18) ** 1.5
        lines.append('  <path d="M128 128L%s %sA%d %d 0 0 1 %s %sZ" fill="%s" stroke="none"/>'
                     % (num(x0), num(y0), FACE, FACE, num(x1), num(y1), mix(FACE_RGB, GLOW_RGB, glow)))
    lines.append('  <g fill="none" stroke="#77772e" stroke-width="1.5">')
    lines.append('    <circle cx="128" cy="128" r="33"/>')
    lines.append('    <circle cx="128" cy="128" r="66"/>')
    lines.append('    <path d="M128 28V228M28 128H228"/>')
    lines.append("  </g>")
    # Echoes: short arcs across the beam, bright just behind the sweep.
    for r, b, span, bright in ((72, 40, 12, 1.0), (45, 300, 14, 0.6), (86, 215, 9, 0.5), (58, 140, 11, 0.55)):
        lines.append('  <path d="%s" fill="none" stroke="%s" stroke-width="6" stroke-linecap="round"/>'
                     % (arc(r, b - span / 2, b + span / 2), mix(FACE_RGB, (0xFF, 0xFF, 0x50), bright)))
    x, y = at(FACE, sweep)
    lines.append('  <path d="M128 128L%s %s" stroke="#ffffb0" stroke-width="4" stroke-linecap="round"/>'
                 % (num(x), num(y)))
    lines.append('  <circle cx="128" cy="128" r="5" fill="#ffffb0"/>')
    lines.append("</svg>")
    out = pathlib.Path(__file__).resolve().parent.parent / "docs" / "vorn.svg"
    out.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
