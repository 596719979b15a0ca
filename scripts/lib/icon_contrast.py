#!/usr/bin/env python3
"""The icon's legibility on a bar, from a screenshot of the bar around the icon.

    icon_contrast.py CROP.png  ->  prints "CONTRAST X Y" (the icon's centre in the crop)

The bar is the crop's commonest colour. The icon is every pixel whose colour stands apart from
the bar's; its contrast is the WCAG ratio between the bar and the colour of the icon that
stands out most, among colours covering at least eight pixels (so that antialiased edges do not
count). Reads ImageMagick's text dump, so it needs no imaging module."""
import collections
import re
import subprocess
import sys


def luminance(rgb):
    def channel(c):
        c /= 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


dump = subprocess.run(["convert", sys.argv[1], "-depth", "8", "txt:-"], capture_output=True, text=True, check=True).stdout
pixels = {}
for line in dump.splitlines()[1:]:
    match = re.match(r"(\d+),(\d+):\s*\((\d+),(\d+),(\d+)", line)
    if match:
        x, y, r, g, b = map(int, match.groups())
        pixels[(x, y)] = (r, g, b)
counts = collections.Counter(pixels.values())
bar = counts.most_common(1)[0][0]
inked = [(xy, rgb) for xy, rgb in pixels.items() if contrast(rgb, bar) > 1.5]
if not inked:
    print("1.0 -1 -1")
    sys.exit(0)
best = max((contrast(rgb, bar) for rgb, n in counts.items() if n >= 8 and rgb != bar), default=1.0)
xs = [xy[0] for xy, _ in inked]
ys = [xy[1] for xy, _ in inked]
print(f"{best:.2f} {(min(xs) + max(xs)) // 2} {(min(ys) + max(ys)) // 2}")
