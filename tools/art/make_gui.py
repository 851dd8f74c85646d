#!/usr/bin/python3
"""Draws the three pictures of the main window:

    content/files/Gui/SeewolfMenu.tga   820 x 600, the desk behind everything (24-bit, RLE)
    content/files/Gui/SeewolfExCar.tga  508 x 484, the record sheet of an existing career (24-bit, RLE)
    content/files/Gui/Clips.tga         140 x 170, two paper clips over the portrait (24-bit, raw);
                                        pure magenta (255, 0, 255) marks the see-through pixels

    /usr/bin/python3 tools/art/make_gui.py [--png DIR]

--png also writes PNG copies for looking at them. Fonts: fonts-urw-base35 (DejaVu as fallback).
"""

from __future__ import annotations

import argparse
import sys
import math
from pathlib import Path

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

sys.dont_write_bytecode = True  # keep the source folder free of caches

from artlib import (FILES, blur, downsample, ellipse_sd, fractal_noise, gauss, grid, read_tga, smoothstep,
                    soft, to_u8, value_noise, write_tga)

URW = Path("/usr/share/fonts/opentype/urw-base35")
DEJAVU = Path("/usr/share/fonts/truetype/dejavu")
MAGENTA = (255, 0, 255)


def font(name: str, size: int) -> ImageFont.FreeTypeFont:
    choices = {
        "serif-bold": [URW / "C059-Bold.otf", DEJAVU / "DejaVuSerif-Bold.ttf"],
        "serif": [URW / "C059-Roman.otf", DEJAVU / "DejaVuSerif.ttf"],
        "serif-italic": [URW / "C059-Italic.otf", DEJAVU / "DejaVuSerif-Italic.ttf"],
        "narrow": [URW / "NimbusSansNarrow-Regular.otf", DEJAVU / "DejaVuSansCondensed.ttf"],
        "narrow-bold": [URW / "NimbusSansNarrow-Bold.otf", DEJAVU / "DejaVuSansCondensed-Bold.ttf"],
        "mono": [URW / "NimbusMonoPS-Regular.otf", DEJAVU / "DejaVuSansMono.ttf"],
    }[name]
    for path in choices:
        if path.exists():
            return ImageFont.truetype(str(path), size)
    raise FileNotFoundError(name)


def text_mask(size, draw_fn) -> np.ndarray:
    """Coverage of text or lines drawn by draw_fn(ImageDraw) on a blank (w, h) canvas."""
    img = Image.new("L", size, 0)
    draw_fn(ImageDraw.Draw(img))
    return np.asarray(img, dtype=np.float64) / 255.0


def over(rgb: np.ndarray, colour, alpha: np.ndarray) -> np.ndarray:
    colour = np.asarray(colour, dtype=np.float64)
    if colour.ndim == 1:
        colour = colour / 255.0 if colour.max() > 1.0 else colour
    a = np.clip(alpha, 0, 1)[..., None]
    return rgb * (1 - a) + colour * a


# --- Desk ---------------------------------------------------------------------------------------

def wood(width: int, height: int, rng: np.random.Generator) -> np.ndarray:
    """Dark walnut planks running left to right, with staggered joints."""
    x, y = grid(width, height)
    plank_h = 100.0
    rgb = np.zeros((height, width, 3))
    row = np.floor(y / plank_h).astype(int)
    warp = fractal_noise(rng, width, height, 260, 4)
    streaks = value_noise(rng, width, height, 120, 1.6) * 0.6 + value_noise(rng, width, height, 40, 3.0) * 0.4
    pores = value_noise(rng, width, height, 6, 1.0)
    shift = rng.uniform(0, 1000, size=20)
    tone = rng.uniform(0.88, 1.1, size=20)
    # Growth rings cut at a shallow angle: long lines that drift and bunch along the plank.
    t = (y + shift[row]) * 0.12 + 9.0 * warp + 1.5 * np.sin(x / 310.0 + 2 * row)
    rings = np.abs(np.sin(t * math.pi)) ** 10
    grain = 0.5 + 0.25 * streaks - 0.2 * rings + 0.06 * pores
    light = np.array([104, 66, 40]) / 255.0
    dark = np.array([40, 23, 13]) / 255.0
    g = np.clip((grain * tone[row])[..., None], 0, 1)
    rgb = dark + (light - dark) * g
    # Seams between planks and the staggered butt joints.
    seam = np.exp(-((y - np.round(y / plank_h) * plank_h) / 1.1) ** 2)
    rgb = rgb * (1 - 0.55 * seam[..., None])
    for r_ in range(int(height / plank_h) + 1):
        jx = (r_ * 317 + 150) % width
        joint = np.exp(-((x - jx) / 1.0) ** 2) * (row == r_)
        rgb = rgb * (1 - 0.5 * joint[..., None])
    return rgb


def pad(rgb: np.ndarray, box, base, rng: np.random.Generator, gilt=True) -> np.ndarray:
    """A leather desk pad let into the wood: shadowed rim, grained leather, a tooled gilt line."""
    h, w, _ = rgb.shape
    x, y = grid(w, h)
    x0, y0, x1, y1 = box
    inside = np.maximum(np.maximum(x0 - x, x - x1), np.maximum(y0 - y, y - y1))
    mask = soft(inside, 1.0)
    # Drop shadow of the pad's edge onto the wood.
    shadow = blur(mask, 4.0)
    shadow = np.roll(np.roll(shadow, 3, axis=0), 2, axis=1)
    rgb = rgb * (1 - 0.45 * shadow[..., None] * (1 - mask[..., None]))
    grain = fractal_noise(rng, w, h, 6, 3)
    mottle = fractal_noise(rng, w, h, 70, 3)
    leather = np.asarray(base) / 255.0
    lum = (0.86 + 0.14 * grain + 0.2 * (mottle - 0.5))[..., None]
    # Worn lighter towards the middle, darker at the rim.
    edge_d = -inside
    lum = lum * (0.82 + 0.18 * smoothstep(0, 40, edge_d))[..., None]
    rgb = rgb * (1 - mask[..., None]) + leather * lum * mask[..., None]
    # Bevelled rim: light on top and left, dark on bottom and right.
    rim = soft(np.abs(edge_d - 1.5) - 1.5, 1.0) * mask
    top_left = ((y - y0) < (x1 - x)) & ((x - x0) < (y1 - y))
    rgb = over(rgb, (20, 14, 10), rim * np.where(top_left, 0.65, 0.35))
    if gilt:
        inset = 9
        line = soft(np.abs(edge_d - inset) - 0.6, 0.8) * mask
        rgb = over(rgb, (176, 142, 78), line * 0.75)
        line2 = soft(np.abs(edge_d - inset - 4) - 0.4, 0.8) * mask
        rgb = over(rgb, (150, 118, 62), line2 * 0.45)
    return rgb


def engrave(rgb: np.ndarray, text: str, fnt, centre, colour, shadow=(0, 0, 0)) -> np.ndarray:
    h, w, _ = rgb.shape
    m = text_mask((w, h), lambda d: d.text(centre, text, font=fnt, anchor="mm", fill=255))
    dark = np.roll(np.roll(m, -1, axis=0), -1, axis=1)
    rgb = over(rgb, shadow, dark * 0.55)
    return over(rgb, colour, m)


def make_desk() -> np.ndarray:
    rng = np.random.default_rng(1940)
    w, h = 820, 600
    rgb = wood(w, h, rng)
    x, y = grid(w, h)
    # The career tree's pad and the record pad.
    rgb = pad(rgb, (10, 8, 278, 518), (52, 62, 48), rng)
    rgb = pad(rgb, (282, 12, 804, 514), (46, 55, 44), rng, gilt=False)
    # A gilt rule under the "Career Menu" heading.
    rule = soft(np.abs(y - 49.5) - 0.5, 0.8) * soft(np.abs(x - 144) - 108, 1.0)
    rgb = over(rgb, (176, 142, 78), rule * 0.8)
    for dx in (-112, 112):
        rgb = over(rgb, (176, 142, 78), soft(np.hypot(x - 144 - dx, y - 49.5) - 1.8, 0.8) * 0.8)
    # Bottom rail: a darker band with a brass strip on top.
    rail = smoothstep(524, 532, y)
    rgb = rgb * (1 - 0.35 * rail[..., None])
    strip = soft(np.abs(y - 527.5) - 1.2, 0.8)
    brass = np.array([182, 146, 84]) / 255.0 * (0.8 + 0.25 * value_noise(rng, w, h, 40))[..., None]
    rgb = rgb * (1 - strip[..., None]) + brass * strip[..., None]
    rgb = over(rgb, (20, 12, 6), soft(np.abs(y - 530.5) - 0.6, 0.8) * 0.7)
    # A small brass name plate on the rail, between the links and the buttons.
    px0, py0, px1, py1 = 232, 547, 412, 583
    plate_d = np.maximum(np.maximum(px0 - x, x - px1), np.maximum(py0 - y, y - py1))
    plate = soft(plate_d, 1.0)
    shadow = np.roll(np.roll(blur(plate, 2.5), 2, axis=0), 2, axis=1)
    rgb = rgb * (1 - 0.5 * shadow[..., None] * (1 - plate[..., None]))
    sheen = 0.78 + 0.3 * gauss(x, y, 290, 552, 90, 14) + 0.08 * value_noise(rng, w, h, 3, 30)
    metal = np.array([170, 134, 74]) / 255.0 * sheen[..., None]
    rgb = rgb * (1 - plate[..., None]) + metal * plate[..., None]
    bevel = soft(np.abs(-plate_d - 1.5) - 1.2, 0.8) * plate
    rgb = over(rgb, (232, 204, 140), bevel * ((y < py0 + 3) | (x < px0 + 3)) * 0.6)
    rgb = over(rgb, (70, 50, 22), bevel * ((y > py1 - 3) | (x > px1 - 3)) * 0.6)
    for sx in (px0 + 7, px1 - 7):
        screw = soft(np.hypot(x - sx, y - 565) - 2.6, 0.8)
        rgb = over(rgb, (110, 84, 44), screw)
        rgb = over(rgb, (60, 42, 18), soft(np.abs(x - sx) - 0.5, 0.6) * screw)
    rgb = engrave(rgb, "SEEWOLF", font("serif-bold", 19), (322, 566), (74, 52, 22), shadow=(236, 212, 150))
    # Warm light from the upper left, and a vignette.
    lamp = 0.82 + 0.3 * gauss(x, y, 420, 180, 420, 330)
    r = np.hypot((x - w / 2) / (w / 2), (y - h / 2) / (h / 2))
    vignette = 1 - 0.45 * smoothstep(0.6, 1.5, r)
    rgb = rgb * (lamp * vignette)[..., None]
    return np.clip(rgb, 0, 1)


# --- Record sheet -------------------------------------------------------------------------------

INK = (58, 46, 36)
FADED = (96, 80, 64)


def paper(w: int, h: int, rng: np.random.Generator) -> np.ndarray:
    x, y = grid(w, h)
    base = np.array([233, 222, 194]) / 255.0
    mottle = fractal_noise(rng, w, h, 90, 4)
    fibres = value_noise(rng, w, h, 1.2, 14) * 0.5 + value_noise(rng, w, h, 14, 1.2) * 0.5
    speck = rng.random((h, w))
    lum = 0.95 + 0.07 * (mottle - 0.5) + 0.035 * (fibres - 0.5)
    rgb = base * lum[..., None]
    # Yellowed, darker edges.
    edge = np.minimum(np.minimum(x, w - x), np.minimum(y, h - y))
    age = smoothstep(26, 0, edge) * (0.6 + 0.6 * value_noise(rng, w, h, 30))
    rgb = rgb * (1 - 0.16 * age)[..., None] + np.array([0.05, 0.03, -0.02]) * age[..., None]
    # Foxing: small rust-brown spots.
    for _ in range(34):
        cx, cy = rng.uniform(0, w), rng.uniform(0, h)
        s = rng.uniform(0.8, 3.5)
        spot = gauss(x, y, cx, cy, s, s * rng.uniform(0.7, 1.3))
        rgb = over(rgb, (168, 120, 72), spot * rng.uniform(0.12, 0.35))
    rgb = over(rgb, (120, 100, 80), (speck > 0.9985) * 0.5)
    # A horizontal fold across the sheet and a faint crease.
    fold_y = 262.0
    fold = np.exp(-((y - fold_y) / 1.4) ** 2)
    rgb = rgb * (1 - 0.08 * fold)[..., None]
    rgb = rgb * (1 + 0.04 * np.exp(-((y - fold_y - 3) / 2.5) ** 2))[..., None]
    # A faint ring where a cup once stood.
    ring = np.exp(-((np.hypot(x - 440, y - 420) - 34) / 2.2) ** 2) * (0.5 + 0.5 * value_noise(rng, w, h, 16))
    rgb = over(rgb, (170, 130, 90), ring * 0.12)
    # Thin dark rim so the sheet stands off the desk.
    rim = soft(edge - 1.0, 0.8)
    return over(rgb, (120, 100, 76), rim * 0.7)


def anchor_mask(w, h, cx, cy, s) -> np.ndarray:
    """An anchor drawn from primitives: ring, shank, stock, arms and flukes (s = height)."""
    scale = 4
    img = Image.new("L", (w * scale, h * scale), 0)
    d = ImageDraw.Draw(img)
    X, Y, S = cx * scale, cy * scale, s * scale
    lw = max(1, int(S * 0.055))
    ring_r = S * 0.09
    d.ellipse([X - ring_r, Y - S / 2, X + ring_r, Y - S / 2 + 2 * ring_r], outline=255, width=lw)
    top = Y - S / 2 + 2 * ring_r
    bottom = Y + S / 2 - S * 0.06
    d.line([X, top, X, bottom], fill=255, width=int(lw * 1.3))
    stock_y = top + S * 0.1
    d.line([X - S * 0.26, stock_y, X + S * 0.26, stock_y], fill=255, width=lw)
    for sx in (-1, 1):
        d.ellipse([X + sx * S * 0.26 - lw, stock_y - lw, X + sx * S * 0.26 + lw, stock_y + lw], fill=255)
    arc_r = S * 0.36
    d.arc([X - arc_r, bottom - 2 * arc_r, X + arc_r, bottom], start=20, end=160, fill=255, width=lw)
    for sx in (-1, 1):
        ang = math.radians(20 if sx > 0 else 160)
        tx = X + arc_r * math.cos(ang)
        ty = bottom - arc_r + arc_r * math.sin(ang)
        d.polygon([(tx, ty - S * 0.12), (tx + sx * S * 0.07, ty + S * 0.02), (tx - sx * S * 0.05, ty + S * 0.02)],
                  fill=255)
    d.polygon([(X, bottom + S * 0.06), (X - S * 0.05, bottom - S * 0.02), (X + S * 0.05, bottom - S * 0.02)], fill=255)
    small = img.resize((w, h), Image.LANCZOS)
    return np.asarray(small, dtype=np.float64) / 255.0


def stamp(w, h, cx, cy, radius, rng) -> np.ndarray:
    """Mask of a round office stamp: double ring, text round the rim, anchor in the middle."""
    scale = 3
    W_, H_ = w * scale, h * scale
    img = Image.new("L", (W_, H_), 0)
    d = ImageDraw.Draw(img)
    X, Y, R = cx * scale, cy * scale, radius * scale
    d.ellipse([X - R, Y - R, X + R, Y + R], outline=255, width=int(2.2 * scale))
    r2 = R * 0.7
    d.ellipse([X - r2, Y - r2, X + r2, Y + r2], outline=255, width=int(1.2 * scale))
    fnt = font("narrow-bold", int(radius * 0.22 * scale))
    text = "U-BOOTWAFFE \u2022 PERSONALSTELLE \u2022 "
    total = len(text)
    for i, ch in enumerate(text):
        ang = -math.pi / 2 + 2 * math.pi * (i - 5.5) / total
        rr = R * 0.85
        glyph = Image.new("L", (int(R * 0.4), int(R * 0.4)), 0)
        ImageDraw.Draw(glyph).text((glyph.width / 2, glyph.height / 2), ch, font=fnt, anchor="mm", fill=255)
        glyph = glyph.rotate(-math.degrees(ang) - 90, resample=Image.BICUBIC)
        gx = X + rr * math.cos(ang) - glyph.width / 2
        gy = Y + rr * math.sin(ang) - glyph.height / 2
        img.paste(255, (int(gx), int(gy)), glyph)
    small = np.asarray(img.resize((w, h), Image.LANCZOS), dtype=np.float64) / 255.0
    small = np.maximum(small, anchor_mask(w, h, cx, cy, radius * 1.05) * 0.95)
    # Uneven ink: pressed harder on one side, some gaps.
    x, y = grid(w, h)
    press = 0.55 + 0.45 * smoothstep(cx + radius, cx - radius, x + 0.4 * (y - cy))
    gaps = np.clip((value_noise(rng, w, h, 3) - 0.2) * 2.0, 0, 1)
    return small * press * gaps


def make_sheet() -> np.ndarray:
    rng = np.random.default_rng(1941)
    w, h = 508, 484
    rgb = paper(w, h, rng)
    x, y = grid(w, h)

    layer = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(layer)
    faint = Image.new("L", (w, h), 0)
    fd = ImageDraw.Draw(faint)
    small = font("narrow", 9)
    label = font("narrow", 10)
    head_font = font("serif-bold", 13)

    # Header above the first field.
    d.text((158, 10), "Kriegsmarine", font=head_font, anchor="lm", fill=255)
    d.text((496, 10), "Personalbogen", font=font("serif-italic", 12), anchor="rm", fill=255)
    d.line([(158, 19), (496, 19)], fill=255, width=1)
    d.line([(158, 21), (496, 21)], fill=160, width=1)

    # Photo box with its caption and the signature line beneath.
    d.rectangle([15, 15, 145, 175], outline=255, width=1)
    fd.line([(16, 204), (158, 204)], fill=255, width=1)
    d.text((16, 207), "Unterschrift des Inhabers", font=small, anchor="lt", fill=200)

    # Writing lines of the upper fields (values at x 260..496).
    for i, ly in enumerate((48, 80, 112, 144, 176)):
        fd.line([(256, ly), (496, ly)], fill=255, width=1)
        d.text((150, ly - 2), f"{i + 1}.", font=small, anchor="ls", fill=170)

    # Section heading between the two blocks.
    d.line([(170, 190), (496, 190)], fill=255, width=1)
    d.text((170, 200), "Dienstverwendung", font=font("narrow-bold", 11), anchor="lm", fill=255)
    d.text((496, 200), "an Bord", font=small, anchor="rm", fill=190)

    # Writing lines of the lower fields (values at x 120..496).
    for i, ly in enumerate((240, 276, 312, 348)):
        fd.line([(116, ly), (496, ly)], fill=255, width=1)
        d.text((6, ly - 2), f"{i + 6}.", font=small, anchor="ls", fill=170)

    # Remarks at the foot of the sheet.
    d.line([(12, 366), (496, 366)], fill=255, width=1)
    d.text((12, 376), "Bemerkungen", font=font("narrow-bold", 11), anchor="lm", fill=255)
    for ly in (400, 428, 458):
        fd.line([(176, ly), (496, ly)], fill=255, width=1)
    d.text((12, 476), "Vordruck M 14 b  \u2013  bei Versetzung mit abzugeben", font=small, anchor="lm", fill=210)
    d.text((496, 476), "Blatt 1", font=small, anchor="rm", fill=210)

    printed = np.asarray(layer, dtype=np.float64) / 255.0
    lines = np.asarray(faint, dtype=np.float64) / 255.0
    # Printing is slightly uneven; the lines are dotted like a form's rules.
    wear = 0.75 + 0.25 * value_noise(rng, w, h, 4)
    dots = 0.55 + 0.45 * (np.sin(x * math.pi / 1.5) > -0.3)
    rgb = over(rgb, INK, printed * wear * 0.92)
    rgb = over(rgb, FADED, lines * wear * dots * 0.55)

    # Office stamp, a little crooked, in violet ink; and a small anchor mark in the header.
    rgb = over(rgb, (92, 70, 128), stamp(w, h, 78, 424, 42, rng) * 0.55)
    mark = anchor_mask(w, h, 288, 10, 15)
    rgb = over(rgb, INK, mark * 0.85)
    # Punch holes on the left margin show the pad beneath.
    for hy in (250, 330):
        hole = soft(np.hypot(x - 6, y - hy) - 3.8, 0.8)
        rgb = over(rgb, (150, 132, 104), soft(np.hypot(x - 6, y - hy) - 5.0, 0.8) * 0.5)
        rgb = over(rgb, (40, 46, 36), hole)
    return np.clip(rgb, 0, 1)


# --- Paper clips --------------------------------------------------------------------------------

def make_clips() -> np.ndarray:
    """Two silver paper clips holding the top edge of the photo (which starts at x 12, y 14 here)."""
    w, h = 140, 170
    s = 6  # supersampling
    x, y = grid(w * s, h * s)
    x, y = x / s, y / s
    cover = np.zeros_like(x)
    shade = np.zeros_like(x)

    def wire(path: list[tuple[float, float]], radius: float, tilt: float, cx0: float, cy0: float):
        nonlocal cover, shade
        ca, sa = math.cos(tilt), math.sin(tilt)
        pts = [(cx0 + px * ca - py * sa, cy0 + px * sa + py * ca) for px, py in path]
        dist = np.full_like(x, 1e9)
        along = np.zeros_like(x)
        for (ax, ay), (bx, by) in zip(pts, pts[1:]):
            vx, vy = bx - ax, by - ay
            t = np.clip(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0, 1)
            d = np.hypot(x - (ax + t * vx), y - (ay + t * vy))
            # Signed side of the segment gives the round shading of the wire.
            side = ((x - ax) * vy - (y - ay) * vx) / math.hypot(vx, vy)
            closer = d < dist
            dist = np.where(closer, d, dist)
            along = np.where(closer, side, along)
        inside = np.clip(radius + 0.5 - dist, 0, 1)
        n = np.clip(along / radius, -1, 1)
        metal = 0.55 + 0.35 * np.cos((n + 0.35) * math.pi * 0.9) + 0.25 * np.exp(-((n + 0.3) / 0.18) ** 2)
        shade = np.where(inside > cover, metal, shade)
        cover = np.maximum(cover, inside)

    def loop(cx_, top, bottom, half):
        """Points of a U-shaped loop: down one side, round the bottom, up the other side."""
        pts = []
        r = half
        for k in range(13):
            a = math.pi * k / 12
            pts.append((cx_ - r * math.cos(a), bottom - r + r * math.sin(a)))
        return [(cx_ - r, top)] + pts + [(cx_ + r, top)]

    def arc(cx_, cy_, r, a0, a1, steps=14):
        return [(cx_ + r * math.cos(a0 + (a1 - a0) * k / steps), cy_ + r * math.sin(a0 + (a1 - a0) * k / steps))
                for k in range(steps + 1)]

    def gem_clip(cx0, cy0, tilt, length=58.0, width=15.0):
        """The wire of a Gem clip: outer end, big bottom turn, top turn, inner bottom turn, inner end."""
        top, bottom = -length / 2, length / 2
        r1 = width / 2                 # big bottom turn
        r2 = width * 0.4               # top turn, from the right side inwards
        mid = r1 - 2 * r2              # x of the middle leg
        r3 = (r1 * 0.47 - mid) / 2     # inner bottom turn, from the middle leg to the inner leg
        inner = mid + 2 * r3
        path = [(-r1, top + 13)]
        path += arc(0, bottom - r1, r1, math.pi, 0)                  # down the left, round the bottom
        path += arc(r1 - r2, top + r2, r2, 0, -math.pi)              # up the right, over the top
        path += arc(mid + r3, bottom - 8 - r3, r3, math.pi, 0)       # down the middle, round the inner turn
        path += [(inner, top + 17)]
        wire(path, 1.7, tilt, cx0, cy0)

    gem_clip(34, 22, -0.12)
    gem_clip(108, 20, 0.1)
    cover = downsample(cover, s)
    shade = downsample(shade * 1.0, s)
    metal_rgb = np.stack([shade * 0.93, shade * 0.95, shade * 1.0], axis=-1)
    # Edge pixels are mixed with a paper-and-photo tone rather than the key colour, so no pink fringe.
    backdrop = np.array([170, 150, 120]) / 255.0
    alpha = np.clip(cover, 0, 1)[..., None]
    rgb = metal_rgb * np.clip(alpha * 1.6, 0, 1) + backdrop * (1 - np.clip(alpha * 1.6, 0, 1))
    rgb = np.clip(rgb, 0, 1)
    out = to_u8(rgb)
    out[cover < 0.3] = MAGENTA
    # A lit pixel can never be the key colour by accident.
    key = np.all(out == MAGENTA, axis=-1) & (cover >= 0.3)
    out[key] = (254, 1, 254)
    return out


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--png", help="also write PNG copies into this folder")
    args = parser.parse_args()
    gui = FILES / "Gui"
    pictures = {
        "SeewolfMenu": (to_u8(make_desk()), True),
        "SeewolfExCar": (to_u8(make_sheet()), True),
        "Clips": (make_clips(), False),
    }
    for name, (rgb, rle) in pictures.items():
        path = gui / f"{name}.tga"
        write_tga(path, rgb, rle)
        back = read_tga(path)
        assert np.array_equal(back, rgb), name
        if args.png:
            Image.fromarray(rgb, "RGB").save(Path(args.png) / f"{name}.png")
        print(f"{path.relative_to(FILES.parents[1])}: {rgb.shape[1]}x{rgb.shape[0]}, {path.stat().st_size} bytes")


if __name__ == "__main__":
    main()
