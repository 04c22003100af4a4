#!/usr/bin/env python3
"""Draws the program's skin: every bitmap and icon of res/, written as BMP and ICO files.

Standard library only. Text glyphs (the tab captions) come from ImageMagick's `convert` with the
WenQuanYi Zen Hei font as a greyscale coverage map; without it the tabs are drawn without text and a
warning is printed. Run it from anywhere: python3 res/draw_skin.py
"""

import os
import shutil
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
BITMAPS = os.path.join(HERE, "bitmaps")

# The palette: a light green-and-white skin around the dialog colour (243, 251, 246).
DIALOG_BG = (243, 251, 246)
WHITE = (255, 255, 255)
MASK = (0, 0, 255)  # image-list mask colour, pure blue
CAPTION_TOP = (104, 186, 110)
CAPTION_BOTTOM = (46, 136, 66)
CAPTION_SHINE = (168, 222, 160)
FRAME_DARK = (40, 112, 56)
FRAME_LIGHT = (118, 188, 122)
STRIP_TOP = (252, 254, 250)
STRIP_BOTTOM = (222, 240, 216)
STRIP_EDGE = (120, 178, 120)
GREEN = (52, 150, 72)
GREEN_DARK = (26, 96, 44)
TEXT_GREEN = (31, 86, 0)
ORANGE = (240, 128, 32)
RED = (214, 58, 46)
BLUE = (44, 118, 214)
YELLOW = (246, 190, 40)
BORDER = (189, 204, 187)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Canvas:
    def __init__(self, width, height, fill=WHITE):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def set(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = color

    def get(self, x, y):
        return self.pixels[y][x]

    def blend(self, x, y, color, alpha):
        if 0 <= x < self.width and 0 <= y < self.height and alpha > 0:
            self.pixels[y][x] = mix(self.pixels[y][x], color, min(alpha, 1.0))

    def rect(self, x0, y0, x1, y1, color):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.pixels[y][x] = color

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        span = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            self.rect(x0, y, x1, y + 1, mix(top, bottom, (y - y0) / span))

    def disc(self, cx, cy, r, color):
        # Anti-aliased by 4 x 4 supersampling.
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                inside = 0
                for sy in range(4):
                    for sx in range(4):
                        dx = x + (sx + 0.5) / 4 - cx
                        dy = y + (sy + 0.5) / 4 - cy
                        if dx * dx + dy * dy <= r * r:
                            inside += 1
                self.blend(x, y, color, inside / 16)

    def round_rect(self, x0, y0, x1, y1, r, color):
        for y in range(y0, y1):
            for x in range(x0, x1):
                inside = 0
                for sy in range(4):
                    for sx in range(4):
                        px = x + (sx + 0.5) / 4
                        py = y + (sy + 0.5) / 4
                        cx = min(max(px, x0 + r), x1 - r)
                        cy = min(max(py, y0 + r), y1 - r)
                        if (px - cx) ** 2 + (py - cy) ** 2 <= r * r:
                            inside += 1
                self.blend(x, y, color, inside / 16)

    def line(self, x0, y0, x1, y1, color, width=1.0):
        # Distance-based anti-aliased segment.
        half = width / 2
        minx, maxx = int(min(x0, x1) - width - 1), int(max(x0, x1) + width + 2)
        miny, maxy = int(min(y0, y1) - width - 1), int(max(y0, y1) + width + 2)
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        for y in range(miny, maxy):
            for x in range(minx, maxx):
                px, py = x + 0.5, y + 0.5
                t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / length2))
                qx, qy = x0 + t * dx, y0 + t * dy
                d = ((px - qx) ** 2 + (py - qy) ** 2) ** 0.5
                self.blend(x, y, color, max(0.0, min(1.0, half + 0.5 - d)))

    def polygon(self, points, color):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            for x in range(int(min(xs)), int(max(xs)) + 1):
                inside = 0
                for sy in range(4):
                    for sx in range(4):
                        if point_in_polygon(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4, points):
                            inside += 1
                self.blend(x, y, color, inside / 16)

    def paste(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                self.set(x0 + x, y0 + y, other.pixels[y][x])


def point_in_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def write_bmp(name, canvas):
    """24-bit bottom-up BMP."""
    row_size = (canvas.width * 3 + 3) & ~3
    data = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray()
        for r, g, b in canvas.pixels[y]:
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(BITMAPS, name), "wb") as f:
        f.write(header + info + data)


def write_ico(name, images):
    """Icon file of 32-bit images; `images` are (Canvas, alpha rows) pairs."""
    entries = bytearray()
    blobs = []
    offset = 6 + 16 * len(images)
    for canvas, alpha in images:
        w, h = canvas.width, canvas.height
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b = canvas.pixels[y][x]
                xor += bytes((b, g, r, alpha[y][x]))
        mask_row = ((w + 31) // 32) * 4
        andmask = bytearray()
        for y in range(h - 1, -1, -1):
            bits = bytearray(mask_row)
            for x in range(w):
                if alpha[y][x] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            andmask += bits
        info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
        blob = info + xor + andmask
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    with open(os.path.join(BITMAPS, name), "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + entries + b"".join(blobs))


# ---------------------------------------------------------------------------------------------------
# Text: ImageMagick renders a coverage map (PGM), which is blended in the wanted colour.

FONT = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"


def text_coverage(text, pixel_size):
    convert = shutil.which("convert")
    if convert is None or not os.path.exists(FONT):
        return None
    out = subprocess.run(
        [convert, "-background", "black", "-fill", "white", "-font", FONT, "-pointsize", str(pixel_size),
         "label:" + text, "-trim", "+repage", "-colorspace", "Gray", "-depth", "8", "pgm:-"],
        check=True, capture_output=True).stdout
    # P5 header: magic, width, height, maximum, then the bytes.
    fields = []
    pos = 0
    while len(fields) < 4:
        while out[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not out[pos:pos + 1].isspace():
            pos += 1
        fields.append(out[start:pos])
    pos += 1
    width, height, maximum = int(fields[1]), int(fields[2]), int(fields[3])
    rows = []
    for y in range(height):
        rows.append([out[pos + y * width + x] / maximum for x in range(width)])
    return rows


def draw_text(canvas, text, pixel_size, cx, cy, color):
    rows = text_coverage(text, pixel_size)
    if rows is None:
        print("warning: convert or the WenQuanYi font is missing; '%s' drawn without text" % text,
              file=sys.stderr)
        return
    h, w = len(rows), len(rows[0])
    x0, y0 = int(round(cx - w / 2)), int(round(cy - h / 2))
    for y in range(h):
        for x in range(w):
            canvas.blend(x0 + x, y0 + y, color, rows[y][x])


# ---------------------------------------------------------------------------------------------------
# The skinned frame (232-240) and the caption button strips.

def caption_column(height=31):
    c = Canvas(1, height)
    c.vgradient(0, 0, 1, height, CAPTION_TOP, CAPTION_BOTTOM)
    c.set(0, 0, FRAME_DARK)
    c.set(0, 1, CAPTION_SHINE)
    return c


def caption_background(width):
    c = Canvas(width, 31)
    col = caption_column()
    for x in range(width):
        c.paste(col, x, 0)
    return c


def caption_cap(right):
    c = caption_background(10)
    # The outer two columns continue the side frame.
    for y in range(31):
        edge, inner = (9, 8) if right else (0, 1)
        c.set(edge, y, FRAME_DARK)
        if y > 0:
            c.set(inner, y, mix(c.get(inner, y), CAPTION_SHINE, 0.5))
    return c


def caption_slice(y0, width, height):
    c = Canvas(width, height)
    full = caption_background(width)
    for y in range(height):
        for x in range(width):
            c.set(x, y, full.get(x, y0 + y))
    return c


def close_strip():
    strip = Canvas(38, 18)
    for i, hover in enumerate((False, True)):
        img = caption_slice(7, 19, 18)
        if hover:
            img.round_rect(1, 1, 18, 17, 3, RED)
        else:
            img.round_rect(1, 1, 18, 17, 3, mix(CAPTION_BOTTOM, WHITE, 0.12))
        img.line(6, 5, 13, 12, WHITE, 1.8)
        img.line(13, 5, 6, 12, WHITE, 1.8)
        strip.paste(img, i * 19, 0)
    return strip


def state_strip(draw_glyph):
    # Three images: normal, hover, pressed.
    strip = Canvas(57, 18)
    for i in range(3):
        img = caption_slice(7, 19, 18)
        if i == 1:
            img.round_rect(1, 1, 18, 17, 3, mix(CAPTION_TOP, WHITE, 0.35))
        elif i == 2:
            img.round_rect(1, 1, 18, 17, 3, FRAME_DARK)
        else:
            img.round_rect(1, 1, 18, 17, 3, mix(CAPTION_BOTTOM, WHITE, 0.12))
        draw_glyph(img)
        strip.paste(img, i * 19, 0)
    return strip


def glyph_minimize(img):
    img.rect(5, 11, 14, 13, WHITE)


def glyph_maximize(img):
    img.rect(5, 4, 14, 6, WHITE)
    img.rect(5, 6, 6, 13, WHITE)
    img.rect(13, 6, 14, 13, WHITE)
    img.rect(5, 12, 14, 13, WHITE)


def glyph_restore(img):
    img.rect(7, 3, 15, 4, WHITE)
    img.rect(14, 3, 15, 10, WHITE)
    img.rect(4, 6, 12, 8, WHITE)
    img.rect(4, 8, 5, 14, WHITE)
    img.rect(11, 8, 12, 14, WHITE)
    img.rect(4, 13, 12, 14, WHITE)


def side(right):
    c = Canvas(2, 1)
    c.set(0, 0, FRAME_LIGHT if right else FRAME_DARK)
    c.set(1, 0, FRAME_DARK if right else FRAME_LIGHT)
    return c


def bottom_rows():
    return [FRAME_LIGHT, mix(FRAME_LIGHT, FRAME_DARK, 0.35), mix(FRAME_LIGHT, FRAME_DARK, 0.65),
            mix(FRAME_LIGHT, FRAME_DARK, 0.85), FRAME_DARK]


def bottom_piece(width, corner):
    c = Canvas(width, 5)
    for y, color in enumerate(bottom_rows()):
        c.rect(0, y, width, y + 1, color)
    if corner == "left":
        c.rect(0, 0, 1, 5, FRAME_DARK)
        c.rect(1, 0, 2, 4, FRAME_LIGHT)
    elif corner == "right":
        c.rect(width - 1, 0, width, 5, FRAME_DARK)
        c.rect(width - 2, 0, width - 1, 4, FRAME_LIGHT)
    return c


# ---------------------------------------------------------------------------------------------------
# The floating strip (209-215, 242) and its status button images.

def strip_column():
    c = Canvas(1, 25)
    c.vgradient(0, 0, 1, 25, STRIP_TOP, STRIP_BOTTOM)
    c.set(0, 0, STRIP_EDGE)
    c.set(0, 24, STRIP_EDGE)
    return c


def strip_cap(right):
    c = Canvas(5, 25)
    col = strip_column()
    for x in range(5):
        c.paste(col, x, 0)
    c.rect(4 if right else 0, 0, 5 if right else 1, 25, STRIP_EDGE)
    return c


def strip_logo():
    c = Canvas(20, 25)
    col = strip_column()
    for x in range(20):
        c.paste(col, x, 0)
    # A small gauge: green disc with a white needle.
    c.disc(10.5, 12.5, 8, GREEN)
    c.disc(10.5, 12.5, 6.2, mix(GREEN, WHITE, 0.2))
    c.line(10.5, 13, 14.5, 8, WHITE, 1.6)
    c.disc(10.5, 13, 1.6, WHITE)
    return c


def status_button(color, glyph):
    c = Canvas(17, 19, MASK)
    c.disc(8.5, 9.5, 7.5, color)
    c.disc(8.5, 9.5, 6, mix(color, WHITE, 0.18))
    glyph(c)
    # Anti-aliasing blended the disc's edge into the mask colour; snap it to the disc instead, so that
    # no bluish fringe survives the mask.
    for y in range(c.height):
        for x in range(c.width):
            r, g, b = c.get(x, y)
            if (r, g, b) != MASK and b > max(r, g) + 40:
                c.set(x, y, MASK if b > 200 and r < 60 and g < 60 else mix(color, WHITE, 0.1))
    return c


def glyph_arrow(c):
    c.polygon([(8.5, 4.5), (12.5, 9), (10, 9), (10, 14.5), (7, 14.5), (7, 9), (4.5, 9)], WHITE)


def glyph_exclamation(c):
    c.rect(8, 5, 10, 11, WHITE)
    c.rect(8, 12, 10, 14, WHITE)


# ---------------------------------------------------------------------------------------------------
# The main window (213, 217, 218, 224-226) and the message box icons (228-231).

def state_icon(abnormal):
    c = Canvas(30, 30, DIALOG_BG)
    if abnormal:
        c.polygon([(15, 2), (28.5, 27), (1.5, 27)], ORANGE)
        c.polygon([(15, 5.5), (25.8, 25.4), (4.2, 25.4)], mix(ORANGE, YELLOW, 0.45))
        c.rect(14, 10, 16, 20, WHITE)
        c.rect(14, 22, 16, 24, WHITE)
    else:
        c.disc(15, 15, 13.5, GREEN)
        c.disc(15, 15, 11.5, mix(GREEN, WHITE, 0.18))
        c.line(8.5, 15.5, 13, 20, WHITE, 3)
        c.line(13, 20, 21.5, 10, WHITE, 3)
    return c


def band(height, top, bottom, line_at_top):
    # The top band fades into the header without a line: the header's figures sit across its lower edge.
    c = Canvas(1, height)
    c.vgradient(0, 0, 1, height, top, bottom)
    if line_at_top:
        c.set(0, 0, BORDER)
    return c


def tab_strip(text):
    strip = Canvas(170, 28, MASK)
    for i, selected in enumerate((False, True)):
        img = Canvas(85, 28, MASK)
        fill_top = WHITE if selected else (236, 246, 232)
        fill_bottom = WHITE if selected else (214, 234, 208)
        img.round_rect(0, 0, 85, 32, 4, BORDER)
        inner = Canvas(83, 27, MASK)
        inner.round_rect(0, 0, 83, 31, 3, fill_top)
        for y in range(27):
            for x in range(83):
                if inner.get(x, y) != MASK:
                    t = mix(fill_top, fill_bottom, y / 26)
                    inner.set(x, y, mix(t, inner.get(x, y), 0.0))
        for y in range(27):
            for x in range(83):
                if inner.get(x, y) != MASK:
                    img.set(1 + x, 1 + y, inner.get(x, y))
        if selected:
            img.rect(3, 1, 82, 3, GREEN)
        draw_text(img, text, 13, 42.5, 15, TEXT_GREEN if selected else (70, 96, 70))
        # Blue fringes from anti-aliasing against the mask become the border colour.
        for y in range(28):
            for x in range(85):
                r, g, b = img.get(x, y)
                if (r, g, b) != MASK and b > max(r, g) + 60:
                    img.set(x, y, BORDER)
        strip.paste(img, i * 85, 0)
    return strip


def box_icon(kind):
    c = Canvas(32, 32, DIALOG_BG)
    if kind == "stop":
        c.disc(16, 16, 14.5, RED)
        c.disc(16, 16, 12.5, mix(RED, WHITE, 0.12))
        c.line(11, 11, 21, 21, WHITE, 3)
        c.line(21, 11, 11, 21, WHITE, 3)
    elif kind == "question":
        c.disc(16, 16, 14.5, GREEN)
        c.disc(16, 16, 12.5, mix(GREEN, WHITE, 0.15))
        c.line(12, 12.5, 13.2, 9.5, WHITE, 2.6)
        c.line(13.2, 9.5, 16, 8.2, WHITE, 2.6)
        c.line(16, 8.2, 19, 9.5, WHITE, 2.6)
        c.line(19, 9.5, 20, 12.5, WHITE, 2.6)
        c.line(20, 12.5, 16, 16, WHITE, 2.6)
        c.line(16, 16, 16, 18.5, WHITE, 2.6)
        c.disc(16, 22.8, 1.7, WHITE)
    elif kind == "exclamation":
        c.polygon([(16, 1.5), (30.5, 29), (1.5, 29)], ORANGE)
        c.polygon([(16, 5), (27.6, 27.2), (4.4, 27.2)], mix(ORANGE, YELLOW, 0.45))
        c.rect(15, 11, 17, 21, WHITE)
        c.rect(15, 23, 17, 25, WHITE)
    else:
        c.disc(16, 16, 14.5, BLUE)
        c.disc(16, 16, 12.5, mix(BLUE, WHITE, 0.15))
        c.disc(16, 9.5, 1.9, WHITE)
        c.rect(14, 13, 18, 24, WHITE)
        c.rect(12, 13, 14, 15, WHITE)
        c.rect(12, 22, 20, 24, WHITE)
    return c


# ---------------------------------------------------------------------------------------------------
# The skin library's named bitmaps and icons.

def button_faces():
    # Three faces of 24 x 27: normal, hover, pressed; the button stretches the fourth column.
    strip = Canvas(72, 27, DIALOG_BG)
    looks = [((255, 255, 255), (220, 240, 214), (120, 178, 120)),
             ((246, 255, 240), (196, 232, 186), (70, 150, 80)),
             ((200, 230, 192), (232, 246, 226), (60, 130, 70))]
    for i, (top, bottom, edge) in enumerate(looks):
        face = Canvas(24, 27, DIALOG_BG)
        face.round_rect(0, 0, 24, 27, 3, edge)
        inner = Canvas(22, 25, DIALOG_BG)
        inner.vgradient(0, 0, 22, 25, top, bottom)
        face.paste(inner, 1, 1)
        for (x, y) in ((1, 1), (22, 1), (1, 25), (22, 25)):
            face.set(x, y, mix(edge, top, 0.5))
        strip.paste(face, i * 24, 0)
    return strip


def button_band():
    c = Canvas(1, 40)
    c.vgradient(0, 0, 1, 40, (236, 246, 232), (214, 234, 208))
    c.set(0, 0, BORDER)
    return c


def icon_image(size, draw):
    scale = size / 32
    c = Canvas(size, size, (0, 0, 0))
    cover = Canvas(size, size, (0, 0, 0))
    draw(c, cover, scale)
    alpha = [[int(round(cover.get(x, y)[0])) for x in range(size)] for y in range(size)]
    return c, alpha


def program_icon(c, cover, s):
    # A rounded green tile with white rising bars: traffic.
    cover.round_rect(int(1 * s), int(1 * s), size_of(c) - int(1 * s), size_of(c) - int(1 * s),
                     6 * s, (255, 255, 255))
    c.vgradient(0, 0, size_of(c), size_of(c), (96, 186, 104), (34, 122, 56))
    for i, h in enumerate((9, 14, 20)):
        x0 = (7 + i * 7) * s
        c.round_rect(int(x0), int((26 - h) * s), int(x0 + 5 * s), int(26 * s), max(1.0, 1.2 * s), WHITE)
    c.line(6 * s, 11 * s, 15 * s, 6 * s, (255, 236, 140), max(1.2, 1.6 * s))
    c.line(15 * s, 6 * s, 25 * s, 5 * s, (255, 236, 140), max(1.2, 1.6 * s))


def game_icon(c, cover, s):
    # A game pad on a green disc: the default game logo.
    cover.disc(16 * s, 16 * s, 15.2 * s, (255, 255, 255))
    c.vgradient(0, 0, size_of(c), size_of(c), (96, 186, 104), (34, 122, 56))
    c.round_rect(int(6 * s), int(11 * s), int(26 * s), int(22 * s), 5 * s, WHITE)
    c.rect(int(9 * s), int(15 * s), int(14 * s), int(17 * s), GREEN_DARK)
    c.rect(int(10.5 * s), int(13.5 * s), int(12.5 * s), int(18.5 * s), GREEN_DARK)
    c.disc(20 * s, 15 * s, 1.3 * s, RED)
    c.disc(22.5 * s, 17.5 * s, 1.3 * s, BLUE)


def size_of(c):
    return c.width


def main():
    os.makedirs(BITMAPS, exist_ok=True)
    # Floating strip and its status button.
    write_bmp("strip_column_209.bmp", strip_column())
    write_bmp("status_alert_a_210.bmp", status_button(RED, glyph_exclamation))
    write_bmp("status_alert_b_211.bmp", status_button(ORANGE, glyph_exclamation))
    write_bmp("strip_right_212.bmp", strip_cap(True))
    write_bmp("status_normal_214.bmp", status_button(GREEN, glyph_arrow))
    write_bmp("strip_logo_215.bmp", strip_logo())
    write_bmp("strip_left_242.bmp", strip_cap(False))
    # Main window.
    write_bmp("state_normal_213.bmp", state_icon(False))
    write_bmp("state_abnormal_226.bmp", state_icon(True))
    write_bmp("band_top_217.bmp", band(54, (226, 242, 220), WHITE, False))
    write_bmp("band_bottom_218.bmp", band(46, WHITE, (226, 242, 220), True))
    write_bmp("tab_alarms_224.bmp", tab_strip("报警记录"))
    write_bmp("tab_traffic_225.bmp", tab_strip("流量监控"))
    # Message box icons.
    write_bmp("box_stop_228.bmp", box_icon("stop"))
    write_bmp("box_question_229.bmp", box_icon("question"))
    write_bmp("box_exclamation_230.bmp", box_icon("exclamation"))
    write_bmp("box_information_231.bmp", box_icon("information"))
    # Frame.
    write_bmp("frame_close_232.bmp", close_strip())
    write_bmp("caption_left_233.bmp", caption_cap(False))
    write_bmp("caption_middle_234.bmp", caption_column())
    write_bmp("caption_right_235.bmp", caption_cap(True))
    write_bmp("frame_left_236.bmp", side(False))
    write_bmp("frame_right_237.bmp", side(True))
    write_bmp("frame_bottom_left_238.bmp", bottom_piece(11, "left"))
    write_bmp("frame_bottom_239.bmp", bottom_piece(1, None))
    write_bmp("frame_bottom_right_240.bmp", bottom_piece(10, "right"))
    write_bmp("frame_maximize_243.bmp", state_strip(glyph_maximize))
    write_bmp("frame_minimize_244.bmp", state_strip(glyph_minimize))
    write_bmp("frame_restore_245.bmp", state_strip(glyph_restore))
    # Skin library.
    write_bmp("lib_button.bmp", button_faces())
    write_bmp("lib_button_band.bmp", button_band())
    write_ico("lib_game_219.ico", [icon_image(32, game_icon), icon_image(16, game_icon)])
    # Program icon.
    write_ico("program_128.ico", [icon_image(48, program_icon), icon_image(32, program_icon),
                                  icon_image(16, program_icon)])


if __name__ == "__main__":
    main()
