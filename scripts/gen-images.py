#!/usr/bin/env python3
"""Draws Kalvex32's button faces and icons into res/.

Twelve 64x32 button faces (normal, pressed and focused for Help, Go, Stop and
Exit) as RLE4-compressed 4-bit bitmaps in the standard 16-colour palette (the
program stretches them at larger DPIs; compressed, to keep it small), and two
16-colour icons: KALVEX at 16, 24, 32 and 48 pixels, KALVEXPRO at 32.
Everything is drawn here pixel by pixel, labels included (a small bold pixel
font below), so the output is reproducible with nothing but python3.  The
icon's other sizes are drawn from the same figures as its 32 pixels, each
pixel taking the colour of the figure under its centre, never blurred.  The
test command checks that res/ holds what this draws.


    python3 scripts/gen-images.py [output folder, default res/]
"""
import math
import os
import struct
import sys

# The standard 16-colour palette, in the order Windows uses for 4-bit bitmaps.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DKRED, DKGREEN, DKYELLOW, DKBLUE, DKMAGENTA, DKCYAN, LTGRAY = range(8)
DKGRAY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)

FACE_W, FACE_H = 64, 32
ICON_SIZE = 32

# The program stretches its faces at larger DPIs: a set drawn for each
# size would not fit its size (a set at 1.5 costs 13 KB, at 2 17 KB).
# The icon sizes of 100 to 150 % (16, 24 small; 32, 48 large); 64 pixels
# would cost 2.7 KB more.
ICON_SIZES = (16, 24, 32, 48)

# ---------------------------------------------------------------- the font
# Bold letters, cap height 8, x-height 6, two rows of descender.  Each glyph
# is 10 rows from the cap line down; '#' is ink.
GLYPHS = {
    'H': ["##...##", "##...##", "##...##", "#######",
          "##...##", "##...##", "##...##", "##...##", ".......", "......."],
    'e': ["......", "......", ".####.", "##..##", "######",
          "##....", "##..##", ".####.", "......", "......"],
    'l': ["##", "##", "##", "##", "##", "##", "##", "##", "..", ".."],
    'p': ["......", "......", "#####.", "##..##", "##..##",
          "##..##", "##..##", "#####.", "##....", "##...."],
    'G': [".#####.", "##...##", "##.....", "##.....",
          "##.####", "##...##", "##...##", ".######", ".......", "......."],
    'o': ["......", "......", ".####.", "##..##", "##..##",
          "##..##", "##..##", ".####.", "......", "......"],
    'S': [".#####.", "##...##", "##.....", ".#####.",
          ".....##", ".....##", "##...##", ".#####.", ".......", "......."],
    't': ["....", ".##.", "####", ".##.", ".##.",
          ".##.", ".##.", "..##", "....", "...."],
    'E': ["######", "##....", "##....", "#####.",
          "##....", "##....", "##....", "######", "......", "......"],
    'x': ["......", "......", "##..##", ".####.", "..##..",
          "..##..", ".####.", "##..##", "......", "......"],
    'i': ["##", "..", "##", "##", "##", "##", "##", "##", "..", ".."],
}
CAP_HEIGHT = 8


def text_width(text):
    return sum(len(GLYPHS[c][0]) for c in text) + len(text) - 1


def draw_text(img, x, y, text, colour):
    """Draws text with its cap line at row y; returns the ink's right edge."""
    for c in text:
        rows = GLYPHS[c]
        img.shape(x, y, rows, colour)
        x += len(rows[0]) + 1
    return x - 1


# ---------------------------------------------------------------- drawing
class Image:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]
        self.opaque = [[True] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c
            self.opaque[y][x] = True

    def get(self, x, y):
        return self.px[y][x]

    def rect(self, x0, y0, x1, y1, c):
        """Fills the rectangle with corners (x0,y0) and (x1,y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        """A filled circle around the pixel centre (cx, cy); halves allowed."""
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + 0.5:
                    self.put(x, y, c)

    def shape(self, x, y, rows, c):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == '#':
                    self.put(x + dx, y + dy, c)


def half_up(v):
    return int(math.floor(v + 0.5))


class Scaled(Image):
    """An image drawn with the coordinates of the 1x pictures, k times as
    large (or small).  Every pixel takes the colour of the 1x figure under
    its centre."""

    def __init__(self, w, h, fill, k):
        super().__init__(w, h, fill)
        self.k = k

    def fill(self, x0, y0, x1, y1, c):
        for y in range(max(y0, 0), min(y1, self.h - 1) + 1):
            for x in range(max(x0, 0), min(x1, self.w - 1) + 1):
                self.px[y][x] = c
                self.opaque[y][x] = True

    def span(self, a, b):
        """Pixels covered by the 1x pixels a to b, at least one."""
        p0 = half_up(a * self.k)
        return p0, max(p0, half_up((b + 1) * self.k) - 1)

    def centre(self, p):
        """The 1x coordinate of pixel p's centre (1x pixel centres are whole)."""
        return (p + 0.5) / self.k - 0.5

    def put(self, x, y, c):
        self.rect(x, y, x, y, c)

    def rect(self, x0, y0, x1, y1, c):
        (px0, px1), (py0, py1) = self.span(x0, x1), self.span(y0, y1)
        self.fill(px0, py0, px1, py1, c)

    def line(self, x0, y0, x1, y1, c):
        if self.k < 1:                          # too small for width: one pixel
            k = self.k
            small = Image(self.w, self.h, 0)
            Image.line(small, half_up(x0 * k), half_up(y0 * k), half_up(x1 * k), half_up(y1 * k), 1)
            for y in range(self.h):
                for x in range(self.w):
                    if small.opaque[y][x] and small.px[y][x] == 1:
                        self.fill(x, y, x, y, c)
            return
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1
        for py in range(self.h):
            for px in range(self.w):
                u, v = self.centre(px), self.centre(py)
                t = max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / length2))
                if (u - x0 - t * dx) ** 2 + (v - y0 - t * dy) ** 2 <= 0.3:
                    self.fill(px, py, px, py, c)


def mask_of(rows):
    return {(x, y) for y, row in enumerate(rows) for x, ch in enumerate(row) if ch == '#'}


def outlined(img, x, y, rows, fill, outline=BLACK):
    """Draws a shape with a one-pixel outline all round it."""
    m = mask_of(rows)
    ring = set()
    for (px, py) in m:
        for ox in (-1, 0, 1):
            for oy in (-1, 0, 1):
                q = (px + ox, py + oy)
                if q not in m:
                    ring.add(q)
    for (px, py) in ring:
        img.put(x + px, y + py, outline)
    for (px, py) in m:
        img.put(x + px, y + py, fill)


# ---------------------------------------------------------------- button faces
QUESTION = [
    "...######...",
    ".##########.",
    "####....####",
    "###......###",
    "###......###",
    ".........###",
    "........####",
    "......#####.",
    ".....####...",
    "....####....",
    "....###.....",
    "....###.....",
    "....###.....",
    "............",
    "............",
    "....###.....",
    "....###.....",
    "....###.....",
]

# The picture sits in a 22x22 box at the left; the label is centred in the
# space to its right.
PIC_X, PIC_Y = 5, 5
LABEL_X0, LABEL_X1 = 28, 59
LABEL_Y = 12


def face(pressed):
    """The empty face: a black rim with its corners cut, so the button reads
    as rounded, and a bevel out to the 3-pixel edge that the control layer
    etches inside of."""
    w, h = FACE_W, FACE_H
    img = Image(w, h, LTGRAY)
    img.rect(1, 0, w - 2, 0, BLACK)                           # top
    img.rect(1, h - 1, w - 2, h - 1, BLACK)                   # bottom
    img.rect(0, 1, 0, h - 2, BLACK)                           # left
    img.rect(w - 1, 1, w - 1, h - 2, BLACK)                   # right
    light, dark = (DKGRAY, WHITE) if pressed else (WHITE, DKGRAY)
    for i in (1, 2):
        img.rect(i, i, w - 1 - i, i, light)
        img.rect(i, i, i, h - 1 - i, light)
        img.rect(i, h - 1 - i, w - 1 - i, h - 1 - i, dark)
        img.rect(w - 1 - i, i, w - 1 - i, h - 1 - i, dark)
    return img


def label(img, text, shift, underline):
    w = text_width(text)
    x = LABEL_X0 + (LABEL_X1 - LABEL_X0 + 1 - w) // 2 + shift
    y = LABEL_Y + shift
    draw_text(img, x, y, text, BLACK)
    if underline:
        img.rect(x, y + CAP_HEIGHT + 3, x + w - 1, y + CAP_HEIGHT + 3, RED)


def pic_help(img, pressed, s):
    x, y = PIC_X + 5 + s, PIC_Y + 2 + s
    if pressed:
        img.shape(x + 2, y + 2, QUESTION, DKGRAY)            # the shadow
    outlined(img, x, y, QUESTION, RED)


LAMP = [".###.", "#####", "#####", "#####", ".###."]


def traffic_light(img, lit, pressed, s):
    x0, y0 = PIC_X + 6 + s, PIC_Y + s
    img.rect(x0, y0 + 1, x0 + 10, y0 + 20, BLACK)             # housing
    img.rect(x0 + 1, y0, x0 + 9, y0, BLACK)
    img.rect(x0 + 1, y0 + 21, x0 + 9, y0 + 21, BLACK)
    img.rect(x0 + 4, y0 + 22, x0 + 6, y0 + 22, BLACK)         # top of the pole
    lamps = [(0, DKRED, RED), (1, DKYELLOW, YELLOW), (2, DKGREEN, GREEN)]
    for i, dim, bright in lamps:
        top = y0 + 3 + i * 6
        if i != lit:
            img.shape(x0 + 3, top, LAMP, dim)
        elif not pressed:
            img.shape(x0 + 3, top, LAMP, bright)
            img.put(x0 + 4, top + 1, WHITE)                   # glint
        else:
            cx, cy = x0 + 5, top + 2
            img.disc(cx, cy, 4.6, BLACK)
            img.disc(cx, cy, 3.6, bright)
            img.put(x0 + 3, top, WHITE)


def pic_door(img, pressed, s):
    x0, y0 = PIC_X + (8 if pressed else 6) + s, PIC_Y + s
    x1, y1 = x0 + 13, y0 + 21
    img.rect(x0, y0, x1, y1, BLACK)                           # frame
    if not pressed:
        img.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, BLUE)
        img.rect(x0 + 3, y0 + 3, x1 - 3, y0 + 8, DKBLUE)      # panels
        img.rect(x0 + 3, y0 + 11, x1 - 3, y1 - 3, DKBLUE)
        img.rect(x1 - 4, y0 + 9, x1 - 3, y0 + 10, YELLOW)     # knob
        return
    # Standing open: the doorway is dark and the leaf swings out towards us,
    # hinged at the left post, taller at its free edge.
    img.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, BLACK)
    hinge, edge = x0, x0 - 7
    for x in range(edge, hinge + 1):
        t = (hinge - x) / (hinge - edge)
        top = round(y0 - 2 * t)
        bottom = round(y1 + 2 * t)
        img.rect(x, top, x, bottom, BLACK if x in (edge, hinge) else BLUE)
        img.put(x, top, BLACK)
        img.put(x, bottom, BLACK)
    img.rect(edge + 2, y0 + 9, edge + 2, y0 + 11, YELLOW)     # knob


BUTTONS = [
    # id, label, picture drawer
    (200, "Help", lambda img, p, s: pic_help(img, p, s)),
    (201, "Go", lambda img, p, s: traffic_light(img, 2, p, s)),
    (202, "Stop", lambda img, p, s: traffic_light(img, 0, p, s)),
    (203, "Exit", lambda img, p, s: pic_door(img, p, s)),
]


def button_faces():
    """Yields (resource id, image) for all twelve faces."""
    for cid, text, picture in BUTTONS:
        for offset, pressed, focused in ((1000, False, False),
                                         (3000, True, False),
                                         (5000, False, True)):
            img = face(pressed)
            s = 1 if pressed else 0      # the pressed face's content sinks a pixel
            picture(img, pressed, s)
            label(img, text, s, focused)
            yield cid + offset, img


# ---------------------------------------------------------------- icons
def monitor(img):
    img.rect(3, 3, 28, 22, BLACK)                             # case
    img.rect(4, 4, 27, 21, LTGRAY)
    img.rect(4, 4, 27, 4, WHITE)
    img.rect(4, 4, 4, 21, WHITE)
    img.rect(5, 21, 27, 21, DKGRAY)
    img.rect(27, 5, 27, 21, DKGRAY)
    img.rect(6, 6, 25, 18, BLACK)                             # screen
    img.rect(7, 7, 24, 17, DKBLUE)
    img.rect(12, 23, 19, 25, BLACK)                           # neck and foot
    img.rect(13, 23, 18, 24, DKGRAY)
    img.rect(7, 26, 24, 28, BLACK)
    img.rect(8, 26, 23, 27, LTGRAY)
    img.rect(8, 26, 23, 26, WHITE)
    # A probe's pulse going across the screen.
    pts = [(7, 13), (11, 13), (13, 9), (15, 16), (17, 11), (18, 13), (24, 13)]
    for (ax, ay), (bx, by) in zip(pts, pts[1:]):
        img.line(ax, ay, bx, by, GREEN)
    img.put(25, 20, GREEN)                                    # power lamp


def clock_badge(img):
    img.disc(24, 24, 7, BLACK)
    img.disc(24, 24, 6, WHITE)
    for (x, y) in ((24, 19), (29, 24), (24, 29), (19, 24)):
        img.put(x, y, DKGRAY)                                 # quarter marks
    img.line(24, 24, 24, 20, BLACK)                           # minute hand
    img.line(24, 24, 27, 21, BLACK)                           # hour hand
    img.put(24, 24, RED)


def icon(pro, size=ICON_SIZE):
    k = size / ICON_SIZE
    img = Image(size, size, BLACK) if k == 1 else Scaled(size, size, BLACK, k)
    img.opaque = [[False] * size for _ in range(size)]
    monitor(img)
    if pro:
        clock_badge(img)
    return img


# ---------------------------------------------------------------- file formats
PALETTE_BYTES = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def dib(img):
    """An icon image: BITMAPINFOHEADER, palette, 4-bit rows bottom up and
    the AND mask, which the header's height counts as a second half."""
    row_bytes = ((img.w * 4 + 31) // 32) * 4
    xor = bytearray()
    for y in range(img.h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(img.w):
            c = img.get(x, y) if img.opaque[y][x] else 0
            row[x // 2] |= c << (4 if x % 2 == 0 else 0)
        xor += row
    mask = bytearray()
    mask_row = ((img.w + 31) // 32) * 4
    for y in range(img.h - 1, -1, -1):
        row = bytearray(mask_row)
        for x in range(img.w):
            if not img.opaque[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, img.w, img.h * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    return header + PALETTE_BYTES + bytes(xor) + bytes(mask)


def rle4_row(row):
    """One row in RLE4 at the fewest bytes: a run (count, two colours) draws
    the two colours by turns, so one colour or a fine pattern costs two
    bytes; an absolute block (0, count, the pixels packed two to a byte,
    padded to a whole word) takes three to 255 pixels of anything."""
    n = len(row)
    best = [(0, None)] * (n + 1)          # bytes from here on, first step
    for i in range(n - 1, -1, -1):
        pair = (row[i], row[i + 1] if i + 1 < n else row[i])
        run = 1
        while i + run < n and run < 255 and row[i + run] == pair[run % 2]:
            run += 1
        choice = (2 + best[i + run][0], ("run", run, pair))
        for m in range(3, min(255, n - i) + 1):
            packed = (m + 1) // 2 + (m + 1) // 2 % 2
            if 2 + packed + best[i + m][0] < choice[0]:
                choice = (2 + packed + best[i + m][0], ("abs", m, None))
        best[i] = choice
    out = bytearray()
    i = 0
    while i < n:
        kind, m, pair = best[i][1]
        if kind == "run":
            out += bytes((m, pair[0] << 4 | pair[1]))
        else:
            packed = bytearray((m + 1) // 2 + (m + 1) // 2 % 2)
            for j, c in enumerate(row[i:i + m]):
                packed[j // 2] |= c << (4 if j % 2 == 0 else 0)
            out += bytes((0, m)) + packed
        i += m
    return out


def rle4(img):
    """The rows bottom up in RLE4, each closed by the end-of-line pair, the
    last by the end-of-bitmap pair."""
    out = bytearray()
    for y in range(img.h - 1, -1, -1):
        out += rle4_row([img.get(x, y) for x in range(img.w)])
        out += b"\0\0" if y else b"\0\1"
    return bytes(out)


def bmp_file(img):
    """A bitmap file in RLE4."""
    bits = rle4(img)
    body = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 4, 2,
                       len(bits), 0, 0, 16, 0) + PALETTE_BYTES + bits
    offset = 14 + 40 + len(PALETTE_BYTES)
    return struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, offset) + body


def ico_file(imgs):
    """An icon file holding one image per size, smallest first."""
    bodies = [dib(img) for img in imgs]
    head = struct.pack("<HHH", 0, 1, len(imgs))
    offset = 6 + 16 * len(imgs)
    for img, body in zip(imgs, bodies):
        head += struct.pack("<BBBBHHII", img.w, img.h, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    return head + b"".join(bodies)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "res")
    os.makedirs(out, exist_ok=True)
    for rid, img in button_faces():
        with open(os.path.join(out, "btn%d.bmp" % rid), "wb") as f:
            f.write(bmp_file(img))
    with open(os.path.join(out, "kalvex.ico"), "wb") as f:
        f.write(ico_file([icon(False, size) for size in ICON_SIZES]))
    with open(os.path.join(out, "kalvexpro.ico"), "wb") as f:
        f.write(ico_file([icon(True)]))


if __name__ == "__main__":
    main()
