#!/usr/bin/python3
"""Draws the pictures of the crew manager into content/files/Gui/Crew/:

    Rank0.png ... Rank8.png                   24 x 24, rank icons of grades 0 to 8
    Award0.png ... Award8.png                 40 x 40, the six medals and three badges
    Qualification0.png ... Qualification8.png 40 x 40, the nine qualification badges
    QualificationNone.png                     40 x 40, an empty qualification slot

All are RGBA PNGs on a transparent ground, drawn as flat shapes at eight times their size and
reduced, so their edges are smooth.

    /usr/bin/python3 tools/art/make_crew.py [--sheet FILE.png]

--sheet also writes a contact sheet (every picture enlarged four times, on a light and on a dark
ground) for looking at them.
"""

from __future__ import annotations

import argparse
import math
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

sys.dont_write_bytecode = True  # keep the source folder free of caches

from artlib import FILES

OUT = FILES / "Gui" / "Crew"
SS = 8  # supersampling factor

# Colours (RGB)
NAVY = (24, 36, 74)
NAVY_LIGHT = (44, 62, 116)
GOLD = (222, 178, 62)
GOLD_LIGHT = (250, 222, 128)
GOLD_DARK = (132, 96, 22)
SILVER = (214, 218, 224)
SILVER_LIGHT = (250, 250, 252)
SILVER_DARK = (112, 118, 128)
BLACK = (22, 22, 24)
IRON = (40, 40, 44)
RED = (176, 30, 34)
WHITE = (246, 246, 240)
BRONZE = (176, 120, 58)
BRONZE_LIGHT = (226, 176, 104)
BRONZE_DARK = (96, 58, 22)
OUTLINE = (10, 12, 20)


class Icon:
    """An RGBA picture of `size` pixels, drawn in unit coordinates (0..1 across) at SS times the
    size. Shapes are masks painted in order, back to front."""

    def __init__(self, size: int):
        self.size = size
        self.n = size * SS
        self.rgba = np.zeros((self.n, self.n, 4))

    # --- masks --------------------------------------------------------------------------------

    def _mask(self, draw_fn) -> Image.Image:
        m = Image.new("L", (self.n, self.n), 0)
        draw_fn(ImageDraw.Draw(m), self.n)
        return m

    def poly(self, points) -> Image.Image:
        return self._mask(lambda d, n: d.polygon([(x * n, y * n) for x, y in points], fill=255))

    def ellipse(self, cx, cy, rx, ry) -> Image.Image:
        return self._mask(lambda d, n: d.ellipse([(cx - rx) * n, (cy - ry) * n, (cx + rx) * n, (cy + ry) * n],
                                                 fill=255))

    def rect(self, x0, y0, x1, y1, radius=0.0) -> Image.Image:
        return self._mask(lambda d, n: d.rounded_rectangle([x0 * n, y0 * n, x1 * n, y1 * n], radius=radius * n,
                                                           fill=255))

    def line(self, points, width) -> Image.Image:
        return self._mask(lambda d, n: d.line([(x * n, y * n) for x, y in points], fill=255,
                                              width=max(1, round(width * n)), joint="curve"))

    def arc(self, cx, cy, rx, ry, start, end, width) -> Image.Image:
        return self._mask(lambda d, n: d.arc([(cx - rx) * n, (cy - ry) * n, (cx + rx) * n, (cy + ry) * n],
                                             start, end, fill=255, width=max(1, round(width * n))))

    @staticmethod
    def union(*masks) -> Image.Image:
        out = np.zeros(np.asarray(masks[0]).shape)
        for m in masks:
            out = np.maximum(out, np.asarray(m, dtype=np.float64))
        return Image.fromarray(out.astype(np.uint8))

    @staticmethod
    def minus(a: Image.Image, b: Image.Image) -> Image.Image:
        out = np.asarray(a, dtype=np.float64) * (1 - np.asarray(b, dtype=np.float64) / 255.0)
        return Image.fromarray(out.astype(np.uint8))

    def grow(self, mask: Image.Image, pixels: float) -> Image.Image:
        """The mask widened by `pixels` of the final size."""
        k = max(3, int(round(pixels * SS)) * 2 + 1)
        return mask.filter(ImageFilter.MaxFilter(k))

    # --- painting -----------------------------------------------------------------------------

    def paint(self, mask: Image.Image, colour, dark=None, light=None, outline=None, outline_px=1.0):
        """Fills the mask with a colour; with `light` and `dark` as a metal lit from the top left
        (a diagonal gradient over the mask's own box). `outline` draws a rim around it first."""
        if outline is not None:
            self._fill(np.asarray(self.grow(mask, outline_px), dtype=np.float64) / 255.0, outline)
        a = np.asarray(mask, dtype=np.float64) / 255.0
        if light is None and dark is None:
            self._fill(a, colour)
            return
        box = mask.getbbox()
        if box is None:
            return
        x0, y0, x1, y1 = box
        ys, xs = np.mgrid[0:self.n, 0:self.n].astype(np.float64)
        t = ((xs - x0) / max(1, x1 - x0) + (ys - y0) / max(1, y1 - y0)) / 2.0
        t = np.clip(t, 0, 1)
        light = light or colour
        dark = dark or colour
        col = np.zeros((self.n, self.n, 3))
        for c in range(3):
            col[..., c] = np.interp(t, [0.0, 0.45, 1.0], [light[c], colour[c], dark[c]])
        self._fill(a, col)

    def _fill(self, a: np.ndarray, colour):
        col = np.asarray(colour, dtype=np.float64) / 255.0
        if col.ndim == 1:
            col = np.broadcast_to(col, (self.n, self.n, 3))
        a = a[..., None]
        # Over operator with straight alpha.
        src_a = a
        dst_a = self.rgba[..., 3:4]
        out_a = src_a + dst_a * (1 - src_a)
        rgb = (col * src_a + self.rgba[..., :3] * dst_a * (1 - src_a)) / np.maximum(out_a, 1e-9)
        self.rgba[..., :3] = rgb
        self.rgba[..., 3:4] = out_a

    def image(self) -> Image.Image:
        """The picture reduced to its size; colours are averaged weighted by coverage."""
        n, s = self.n, self.size
        a = self.rgba[..., 3]
        pre = self.rgba[..., :3] * a[..., None]
        a_small = a.reshape(s, SS, s, SS).mean(axis=(1, 3))
        pre_small = pre.reshape(s, SS, s, SS, 3).mean(axis=(1, 3))
        rgb = pre_small / np.maximum(a_small[..., None], 1e-9)
        out = np.zeros((s, s, 4))
        out[..., :3] = rgb
        out[..., 3] = a_small
        out = np.clip(np.round(out * 255), 0, 255).astype(np.uint8)
        out[out[..., 3] == 0, :3] = 0
        return Image.fromarray(out, "RGBA")


# --- shared shapes ----------------------------------------------------------------------------

def cross_pattee(cx, cy, r, inner, flare):
    """A cross whose four arms widen from `inner` at the centre to `flare` at their ends (half
    widths, unit coordinates), with slightly hollowed ends."""
    pts = []
    for k in range(4):
        ang = k * math.pi / 2
        ca, sa = math.cos(ang), math.sin(ang)

        def rot(x, y):
            return cx + x * ca - y * sa, cy + x * sa + y * ca

        # Arm pointing up (negative y) in local coordinates, then the corner to the next arm.
        pts.append(rot(-flare, -r))
        pts.append(rot(0, -r + flare * 0.22))
        pts.append(rot(flare, -r))
        pts.append(rot(inner, -inner))
    return pts


def star(cx, cy, r_out, r_in, points, rotation=-math.pi / 2):
    pts = []
    for i in range(points * 2):
        r = r_out if i % 2 == 0 else r_in
        a = rotation + i * math.pi / points
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def chevron(cx, cy, half_w, height, thick):
    """A chevron pointing down (a "V"), its tip at (cx, cy + height)."""
    return [(cx - half_w, cy), (cx - half_w + thick, cy), (cx, cy + height - thick * 1.15),
            (cx + half_w - thick, cy), (cx + half_w, cy), (cx, cy + height)]


def anchor(icon: Icon, cx, cy, h, colour, dark, light, outline=None):
    """A fouled-free anchor of height h centred at (cx, cy)."""
    w = h * 0.1
    top = cy - h / 2
    bottom = cy + h / 2
    ring = icon.arc(cx, top + h * 0.09, h * 0.09, h * 0.09, 0, 360, w * 0.8)
    shank = icon.rect(cx - w / 2, top + h * 0.17, cx + w / 2, bottom - w * 0.3)
    stock = icon.rect(cx - h * 0.26, top + h * 0.26, cx + h * 0.26, top + h * 0.26 + w * 0.9, w * 0.4)
    arms = icon.arc(cx, bottom - h * 0.36, h * 0.34, h * 0.33, 15, 165, w)
    fl = icon.poly([(cx - h * 0.41, bottom - h * 0.36), (cx - h * 0.28, bottom - h * 0.28),
                    (cx - h * 0.40, bottom - h * 0.18)])
    fr = icon.poly([(cx + h * 0.41, bottom - h * 0.36), (cx + h * 0.28, bottom - h * 0.28),
                    (cx + h * 0.40, bottom - h * 0.18)])
    m = Icon.union(ring, shank, stock, arms, fl, fr)
    icon.paint(m, colour, dark, light, outline=outline, outline_px=0.8)


def uboat(icon: Icon, cx, cy, length, colour, dark=None, light=None, outline=None, outline_px=0.8):
    """A surfaced U-boat seen from the side, bow to the right."""
    L = length
    h = L * 0.11
    hull = [(cx - L / 2, cy - h * 0.1), (cx - L * 0.38, cy - h * 0.45), (cx + L * 0.32, cy - h * 0.45),
            (cx + L / 2, cy - h * 0.2), (cx + L * 0.46, cy + h * 0.25), (cx + L * 0.30, cy + h * 0.55),
            (cx - L * 0.34, cy + h * 0.55), (cx - L * 0.47, cy + h * 0.25)]
    tower = [(cx - L * 0.12, cy - h * 0.4), (cx - L * 0.10, cy - h * 1.55), (cx + L * 0.07, cy - h * 1.55),
             (cx + L * 0.11, cy - h * 0.9), (cx + L * 0.14, cy - h * 0.4)]
    periscope = icon.rect(cx - L * 0.035, cy - h * 2.35, cx - L * 0.02, cy - h * 1.5)
    gun = icon.line([(cx + L * 0.17, cy - h * 0.5), (cx + L * 0.28, cy - h * 0.85)], h * 0.22)
    m = Icon.union(icon.poly(hull), icon.poly(tower), periscope, gun)
    icon.paint(m, colour, dark, light, outline=outline, outline_px=outline_px)


def wreath(icon: Icon, cx, cy, rx, ry, leaf, colour, dark, light, outline=OUTLINE, gap_top=True, start=None,
           end=None):
    """An oval wreath of leaves along an ellipse; two branches meeting at the bottom."""
    masks = []
    a0 = 100 if start is None else start
    a1 = 440 if end is None else end
    if not gap_top:
        a0, a1 = 90, 450
    steps = int((a1 - a0) / 14)
    for i in range(steps + 1):
        t = math.radians(a0 + (a1 - a0) * i / steps)
        x = cx + rx * math.cos(t)
        y = cy + ry * math.sin(t)
        # Leaves point along the branch, away from the bottom where the branches start.
        tang = math.atan2(ry * math.cos(t), -rx * math.sin(t))
        side = 1 if math.cos(t) > 0 else -1
        ang = tang if side > 0 else tang + math.pi
        lx, ly = math.cos(ang) * leaf, math.sin(ang) * leaf
        nx, ny = -ly * 0.45, lx * 0.45
        masks.append(icon.poly([(x - lx, y - ly), (x + nx, y + ny), (x + lx, y + ly), (x - nx, y - ny)]))
    icon.paint(Icon.union(*masks), colour, dark, light, outline=outline, outline_px=0.6)


def ribbon_stripes(icon: Icon, x0, y0, x1, y1, colours):
    """A vertical band split into stripes across its width (black, white, red, white, black...)."""
    n = len(colours)
    for i, c in enumerate(colours):
        icon.paint(icon.rect(x0 + (x1 - x0) * i / n, y0, x0 + (x1 - x0) * (i + 1) / n, y1), c)


# --- rank icons ---------------------------------------------------------------------------------

def rank_icon(grade: int) -> Image.Image:
    """Seamen: a blue patch with one to three gold chevrons. Petty officers: a blue patch with a gold
    anchor and none, one or two bars under it. Officers: sleeve lace under a gold star, one wide
    stripe, two, or two with a thin one between."""
    ic = Icon(24)
    patch = ic.rect(0.06, 0.06, 0.94, 0.94, 0.16)
    ic.paint(patch, NAVY, dark=(14, 22, 48), light=NAVY_LIGHT, outline=OUTLINE, outline_px=0.6)
    if grade <= 2:
        count = grade + 1
        step = 0.2
        top = 0.5 - (count - 1) * step / 2 - 0.16
        masks = [ic.poly(chevron(0.5, top + i * step, 0.3, 0.3, 0.12)) for i in range(count)]
        ic.paint(Icon.union(*masks), GOLD, GOLD_DARK, GOLD_LIGHT)
    elif grade <= 5:
        bars = grade - 3
        h = 0.62 if bars == 0 else 0.5 if bars == 1 else 0.44
        cy = 0.5 if bars == 0 else 0.4 if bars == 1 else 0.35
        anchor(ic, 0.5, cy, h, GOLD, GOLD_DARK, GOLD_LIGHT)
        for i in range(bars):
            y = 0.72 + i * 0.11
            ic.paint(ic.rect(0.24, y, 0.76, y + 0.07), GOLD, GOLD_DARK, GOLD_LIGHT)
    else:
        ic.paint(ic.poly(star(0.5, 0.29, 0.2, 0.085, 5)), GOLD, GOLD_DARK, GOLD_LIGHT)
        stripes = {6: [(0.58, 0.11)], 7: [(0.54, 0.1), (0.72, 0.1)], 8: [(0.53, 0.1), (0.68, 0.05), (0.78, 0.1)]}
        for y, t in stripes[grade]:
            ic.paint(ic.rect(0.12, y, 0.88, y + t), GOLD, GOLD_DARK, GOLD_LIGHT)
    return ic.image()


# --- awards -------------------------------------------------------------------------------------

def iron_cross(ic: Icon, cx, cy, r):
    ic.paint(ic.poly(cross_pattee(cx, cy, r, r * 0.22, r * 0.52)), SILVER, SILVER_DARK, SILVER_LIGHT,
             outline=OUTLINE, outline_px=0.7)
    ic.paint(ic.poly(cross_pattee(cx, cy, r * 0.8, r * 0.14, r * 0.4)), IRON, BLACK, (70, 70, 76))


def oak_leaves(ic: Icon, cx, cy, size, metal=(SILVER, SILVER_DARK, SILVER_LIGHT)):
    """Three lobed oak leaves fanned upward from one stem, each with its own rim."""
    for ang in (-55, 55, 0):
        a = math.radians(ang - 90)
        ux, uy = math.cos(a), math.sin(a)
        nx, ny = -uy, ux
        masks = [ic.line([(cx, cy), (cx + ux * size * 0.3, cy + uy * size * 0.3)], size * 0.09)]
        outline = []
        for f, w in ((0.3, 0.0), (0.42, 0.26), (0.55, 0.17), (0.68, 0.27), (0.82, 0.16), (0.92, 0.18),
                     (1.0, 0.0)):
            outline.append((f, w))
        left = [(cx + ux * size * f + nx * size * w, cy + uy * size * f + ny * size * w) for f, w in outline]
        right = [(cx + ux * size * f - nx * size * w, cy + uy * size * f - ny * size * w) for f, w in outline]
        masks.append(ic.poly(left + right[::-1]))
        ic.paint(Icon.union(*masks), *metal, outline=OUTLINE, outline_px=0.5)
        ic.paint(ic.line([(cx + ux * size * 0.35, cy + uy * size * 0.35), (cx + ux * size * 0.9,
                                                                           cy + uy * size * 0.9)], size * 0.035),
                 metal[1])


def swords(ic: Icon, cx, cy, size):
    masks = []
    for s in (-1, 1):
        a = (cx - s * size, cy + size * 0.6)
        b = (cx + s * size, cy - size * 0.6)
        masks.append(ic.line([a, b], size * 0.14))
        # Cross guard near the hilt end.
        gx, gy = a[0] + (b[0] - a[0]) * 0.22, a[1] + (b[1] - a[1]) * 0.22
        masks.append(ic.line([(gx - size * 0.14, gy - s * size * 0.2), (gx + size * 0.14, gy + s * size * 0.2)],
                             size * 0.1))
    ic.paint(Icon.union(*masks), SILVER, SILVER_DARK, SILVER_LIGHT, outline=OUTLINE, outline_px=0.6)


def neck_ribbon(ic: Icon, cx, top_y, bottom_y):
    """A neck ribbon coming down in a V to the cross's ring."""
    for s in (-1, 1):
        pts = [(cx + s * 0.42, top_y), (cx + s * 0.26, top_y), (cx + s * 0.03, bottom_y),
               (cx + s * 0.16, bottom_y)]
        band = ic.poly(pts)
        ic.paint(band, RED, outline=OUTLINE, outline_px=0.5)
        inner = ic.poly([(cx + s * 0.38, top_y), (cx + s * 0.30, top_y), (cx + s * 0.07, bottom_y),
                         (cx + s * 0.12, bottom_y)])
        ic.paint(inner, WHITE)
        core = ic.poly([(cx + s * 0.355, top_y), (cx + s * 0.325, top_y), (cx + s * 0.09, bottom_y),
                        (cx + s * 0.10, bottom_y)])
        ic.paint(core, BLACK)


def award_icon(award: int, size: int = 40) -> Image.Image:
    ic = Icon(size)
    if award == 0:
        # Iron Cross 2nd class: the cross hanging from its ribbon.
        ribbon = ic.rect(0.34, 0.02, 0.66, 0.30)
        ic.paint(ribbon, RED, outline=OUTLINE, outline_px=0.5)
        ribbon_stripes(ic, 0.34, 0.02, 0.66, 0.30, [RED, WHITE, BLACK, BLACK, WHITE, RED])
        ic.paint(ic.arc(0.5, 0.32, 0.04, 0.04, 0, 360, 0.025), SILVER, outline=OUTLINE, outline_px=0.4)
        iron_cross(ic, 0.5, 0.64, 0.32)
    elif award == 1:
        # Iron Cross 1st class: the cross alone, larger, worn pinned.
        iron_cross(ic, 0.5, 0.5, 0.44)
        ic.paint(ic.ellipse(0.5, 0.5, 0.06, 0.06), SILVER, SILVER_DARK, SILVER_LIGHT)
    elif award == 2:
        # German Cross in gold: a rayed silver star, a gold wreath ring and a dark centre.
        rays = ic.poly(star(0.5, 0.5, 0.48, 0.3, 8, rotation=-math.pi / 2 + math.pi / 8))
        ic.paint(rays, SILVER, SILVER_DARK, SILVER_LIGHT, outline=OUTLINE, outline_px=0.6)
        fine = [ic.line([(0.5, 0.5), (0.5 + 0.44 * math.cos(a), 0.5 + 0.44 * math.sin(a))], 0.012)
                for a in [math.radians(d) for d in range(0, 360, 15)]]
        ic.paint(Icon.minus(Icon.union(*fine), ic.ellipse(0.5, 0.5, 0.27, 0.27)), SILVER_DARK)
        ic.paint(ic.ellipse(0.5, 0.5, 0.27, 0.27), GOLD, GOLD_DARK, GOLD_LIGHT, outline=OUTLINE, outline_px=0.5)
        wreath(ic, 0.5, 0.5, 0.22, 0.22, 0.05, GOLD_LIGHT, GOLD_DARK, GOLD_LIGHT, outline=GOLD_DARK, gap_top=False)
        ic.paint(ic.ellipse(0.5, 0.5, 0.15, 0.15), SILVER, SILVER_DARK, SILVER_LIGHT)
        ic.paint(ic.ellipse(0.5, 0.5, 0.115, 0.115), BLACK)
    elif award == 3:
        # Knight's Cross at the neck.
        neck_ribbon(ic, 0.5, 0.0, 0.34)
        iron_cross(ic, 0.5, 0.66, 0.31)
        ic.paint(ic.arc(0.5, 0.32, 0.035, 0.035, 0, 360, 0.022), SILVER, outline=OUTLINE, outline_px=0.4)
    elif award in (4, 5):
        # The higher grades: a smaller cross under a large spray of oak leaves, and for the highest
        # crossed swords behind the leaves.
        neck_ribbon(ic, 0.5, 0.0, 0.14)
        iron_cross(ic, 0.5, 0.74, 0.24)
        if award == 5:
            swords(ic, 0.5, 0.4, 0.32)
        oak_leaves(ic, 0.5, 0.5, 0.3)
    elif award == 6:
        # U-boat front clasp: a bronze bar with oak leaves and a boat on a round centre.
        bar = ic.rect(0.02, 0.38, 0.98, 0.64, 0.08)
        ic.paint(bar, BRONZE, BRONZE_DARK, BRONZE_LIGHT, outline=OUTLINE, outline_px=0.6)
        for s in (-1, 1):
            leaves = []
            for i in range(4):
                x = 0.5 + s * (0.3 + i * 0.055)
                leaves.append(ic.poly([(x - s * 0.045, 0.51), (x, 0.43), (x + s * 0.045, 0.51), (x, 0.59)]))
            ic.paint(Icon.union(*leaves), BRONZE_DARK)
        ic.paint(ic.ellipse(0.5, 0.51, 0.25, 0.25), BRONZE, BRONZE_DARK, BRONZE_LIGHT, outline=OUTLINE,
                 outline_px=0.6)
        ic.paint(ic.ellipse(0.5, 0.51, 0.18, 0.18), (78, 48, 20))
        uboat(ic, 0.5, 0.56, 0.44, BRONZE_LIGHT, BRONZE, (255, 226, 170))
    elif award == 7:
        # U-boat war badge: an oval gold wreath with a boat across it.
        wreath(ic, 0.5, 0.52, 0.33, 0.4, 0.075, GOLD, GOLD_DARK, GOLD_LIGHT, start=115, end=425)
        ic.paint(ic.ellipse(0.5, 0.1, 0.05, 0.04), GOLD, GOLD_DARK, GOLD_LIGHT, outline=OUTLINE, outline_px=0.5)
        uboat(ic, 0.5, 0.56, 0.94, GOLD, GOLD_DARK, GOLD_LIGHT, outline=OUTLINE)
    else:
        # Wound badge: a helmet over crossed swords in an oval wreath, black.
        wreath(ic, 0.5, 0.52, 0.34, 0.42, 0.075, (60, 60, 64), BLACK, (120, 120, 126), outline=OUTLINE,
               gap_top=False)
        ic.paint(ic.ellipse(0.5, 0.52, 0.24, 0.31), (36, 36, 40))
        blades = []
        for s in (-1, 1):
            blades.append(ic.line([(0.5 - s * 0.24, 0.82), (0.5 + s * 0.16, 0.4)], 0.06))
        ic.paint(Icon.union(*blades), SILVER, SILVER_DARK, SILVER_LIGHT, outline=OUTLINE, outline_px=0.4)
        helmet = Icon.union(ic.ellipse(0.5, 0.5, 0.17, 0.15), ic.rect(0.3, 0.49, 0.7, 0.56, 0.02))
        helmet = Icon.minus(helmet, ic.rect(0.0, 0.56, 1.0, 1.0))
        ic.paint(helmet, (120, 124, 130), (52, 54, 58), (200, 204, 210), outline=OUTLINE, outline_px=0.5)
        ic.paint(ic.rect(0.27, 0.55, 0.73, 0.6, 0.02), (90, 92, 98), outline=OUTLINE, outline_px=0.4)
    return ic.image()


# --- qualifications -----------------------------------------------------------------------------

def qual_patch(ic: Icon):
    patch = ic.ellipse(0.5, 0.5, 0.46, 0.46)
    ic.paint(patch, NAVY, (14, 22, 48), NAVY_LIGHT, outline=OUTLINE, outline_px=0.6)
    ic.paint(Icon.minus(ic.ellipse(0.5, 0.5, 0.42, 0.42), ic.ellipse(0.5, 0.5, 0.39, 0.39)), GOLD_DARK)


def qualification_icon(q: int, size: int = 40) -> Image.Image:
    ic = Icon(size)
    qual_patch(ic)
    W, Wd, Wl = WHITE, (150, 156, 170), WHITE
    if q == 0:
        # Watch keeping: binoculars.
        m = Icon.union(ic.rect(0.24, 0.4, 0.46, 0.72, 0.06), ic.rect(0.54, 0.4, 0.76, 0.72, 0.06),
                       ic.rect(0.27, 0.3, 0.43, 0.42, 0.03), ic.rect(0.57, 0.3, 0.73, 0.42, 0.03),
                       ic.rect(0.42, 0.44, 0.58, 0.54))
        ic.paint(m, W, Wd, Wl)
        ic.paint(Icon.union(ic.ellipse(0.35, 0.66, 0.07, 0.04), ic.ellipse(0.65, 0.66, 0.07, 0.04)), NAVY)
    elif q == 1:
        # Diesel engines: a piston with its connecting rod and crank.
        piston = ic.rect(0.36, 0.2, 0.64, 0.44, 0.03)
        rings = Icon.union(ic.rect(0.36, 0.25, 0.64, 0.27), ic.rect(0.36, 0.3, 0.64, 0.32))
        rod = ic.line([(0.5, 0.38), (0.42, 0.68)], 0.09)
        crank = ic.ellipse(0.5, 0.7, 0.15, 0.15)
        ic.paint(Icon.union(piston, rod, crank), W, Wd, Wl)
        ic.paint(rings, NAVY)
        ic.paint(ic.ellipse(0.5, 0.7, 0.05, 0.05), NAVY)
    elif q == 2:
        # Electric motors: a lightning bolt through a coil ring.
        ic.paint(ic.arc(0.5, 0.5, 0.27, 0.27, 0, 360, 0.06), W, Wd, Wl)
        bolt = ic.poly([(0.56, 0.14), (0.32, 0.53), (0.48, 0.53), (0.42, 0.86), (0.68, 0.44), (0.52, 0.44),
                        (0.62, 0.14)])
        ic.paint(bolt, GOLD, GOLD_DARK, GOLD_LIGHT, outline=NAVY, outline_px=0.7)
    elif q == 3:
        # Torpedoes: a torpedo running to the right.
        body = Icon.union(ic.rect(0.16, 0.45, 0.72, 0.57), ic.ellipse(0.72, 0.51, 0.11, 0.06))
        fins = Icon.union(ic.poly([(0.16, 0.45), (0.1, 0.36), (0.24, 0.45)]),
                          ic.poly([(0.16, 0.57), (0.1, 0.66), (0.24, 0.57)]))
        prop = ic.rect(0.1, 0.48, 0.16, 0.54)
        ic.paint(Icon.union(body, fins, prop), W, Wd, Wl)
        ic.paint(ic.rect(0.6, 0.45, 0.62, 0.57), NAVY)
        waves = Icon.union(*[ic.arc(x, 0.74, 0.06, 0.04, 200, 340, 0.025) for x in (0.26, 0.42, 0.58, 0.74)])
        ic.paint(waves, (120, 160, 220))
    elif q == 4:
        # Gunnery: a deck gun on its mount with a shell beside it.
        barrel = ic.line([(0.3, 0.62), (0.8, 0.3)], 0.07)
        mount = Icon.union(ic.rect(0.2, 0.56, 0.46, 0.72, 0.04), ic.rect(0.14, 0.72, 0.52, 0.78))
        shield = ic.poly([(0.24, 0.56), (0.3, 0.44), (0.42, 0.44), (0.46, 0.56)])
        ic.paint(Icon.union(barrel, mount, shield), W, Wd, Wl)
        shell = Icon.union(ic.rect(0.62, 0.58, 0.74, 0.8), ic.ellipse(0.68, 0.58, 0.06, 0.09))
        ic.paint(Icon.minus(shell, ic.rect(0.0, 0.8, 1.0, 1.0)), GOLD, GOLD_DARK, GOLD_LIGHT)
    elif q == 5:
        # Radio: a mast sending waves.
        mast = Icon.union(ic.poly([(0.5, 0.36), (0.38, 0.8), (0.44, 0.8), (0.5, 0.5), (0.56, 0.8), (0.62, 0.8)]),
                          ic.ellipse(0.5, 0.34, 0.05, 0.05))
        ic.paint(mast, W, Wd, Wl)
        waves = []
        for r in (0.12, 0.21, 0.3):
            waves.append(ic.arc(0.5, 0.34, r, r, 200, 340, 0.035))
        ic.paint(Icon.union(*waves), GOLD, GOLD_DARK, GOLD_LIGHT)
    elif q == 6:
        # Sound gear: headphones.
        band = ic.arc(0.5, 0.52, 0.25, 0.27, 180, 360, 0.06)
        cups = Icon.union(ic.rect(0.2, 0.5, 0.33, 0.74, 0.05), ic.rect(0.67, 0.5, 0.8, 0.74, 0.05))
        ic.paint(Icon.union(band, cups), W, Wd, Wl)
        ic.paint(Icon.union(*[ic.arc(0.5, 0.64, r, r, 240, 300, 0.025) for r in (0.08, 0.14)]), GOLD)
    elif q == 7:
        # Damage control: a wrench crossed with a hammer.
        wrench = Icon.minus(Icon.union(ic.line([(0.3, 0.7), (0.64, 0.36)], 0.08), ic.ellipse(0.68, 0.31, 0.11, 0.11)),
                            ic.poly([(0.7, 0.16), (0.68, 0.3), (0.82, 0.3), (0.86, 0.22)]))
        ic.paint(wrench, W, Wd, Wl)
        handle = ic.line([(0.68, 0.72), (0.36, 0.4)], 0.065)
        head = ic.poly([(0.22, 0.36), (0.34, 0.24), (0.46, 0.36), (0.34, 0.48)])
        ic.paint(handle, (196, 150, 90), (120, 80, 40), (230, 190, 130))
        ic.paint(head, GOLD, GOLD_DARK, GOLD_LIGHT)
    else:
        # Medical care: a white case with a green cross and a rolled bandage.
        case = ic.rect(0.22, 0.34, 0.78, 0.72, 0.05)
        handle = ic.arc(0.5, 0.34, 0.1, 0.07, 180, 360, 0.04)
        ic.paint(Icon.union(case, handle), W, Wd, Wl)
        cross = Icon.union(ic.rect(0.45, 0.41, 0.55, 0.65), ic.rect(0.38, 0.48, 0.62, 0.58))
        ic.paint(cross, (40, 140, 70))
    return ic.image()


def empty_slot() -> Image.Image:
    """An empty qualification slot: a faint dashed ring."""
    ic = Icon(40)
    masks = [ic.arc(0.5, 0.5, 0.42, 0.42, a, a + 18, 0.04) for a in range(0, 360, 30)]
    ic.paint(Icon.union(*masks), (150, 150, 150))
    return ic.image()


# --- output -------------------------------------------------------------------------------------

def pictures() -> dict[str, Image.Image]:
    out = {}
    for g in range(9):
        out[f"Rank{g}.png"] = rank_icon(g)
    for a in range(9):
        out[f"Award{a}.png"] = award_icon(a)
    for q in range(9):
        out[f"Qualification{q}.png"] = qualification_icon(q)
    out["QualificationNone.png"] = empty_slot()
    return out


def contact_sheet(pics: dict[str, Image.Image], path: str) -> None:
    scale = 4
    cell = 40 * scale + 16
    rows = [[f"Rank{g}.png" for g in range(9)], [f"Award{a}.png" for a in range(9)],
            [f"Qualification{q}.png" for q in range(9)] + ["QualificationNone.png"]]
    cols = max(len(r) for r in rows)
    sheet = Image.new("RGB", (cols * cell, len(rows) * cell * 2 + 24 * 9), (255, 255, 255))
    y = 0
    for ground in ((236, 233, 216), (64, 64, 70)):
        for row in rows:
            for i, name in enumerate(row):
                pic = pics[name]
                big = pic.resize((pic.width * scale, pic.height * scale), Image.NEAREST)
                bg = Image.new("RGBA", (cell, cell), ground + (255,))
                bg.alpha_composite(big, ((cell - big.width) // 2, (cell - big.height) // 2))
                sheet.paste(bg.convert("RGB"), (i * cell, y))
            y += cell
    # The rank icons at their own size, as a list shows them.
    for g in range(9):
        bg = Image.new("RGBA", (24 * 9, 24), (255, 255, 255, 255))
        bg.alpha_composite(pics[f"Rank{g}.png"], (0, 0))
        sheet.paste(bg.convert("RGB"), (g * 40, y + g * 24))
    for a in range(9):
        bg = Image.new("RGBA", (40, 40), (236, 233, 216, 255))
        bg.alpha_composite(pics[f"Award{a}.png"], (0, 0))
        sheet.paste(bg.convert("RGB"), (400 + a * 44, y))
        bg = Image.new("RGBA", (40, 40), (236, 233, 216, 255))
        bg.alpha_composite(pics[f"Qualification{a}.png"], (0, 0))
        sheet.paste(bg.convert("RGB"), (400 + a * 44, y + 44))
    sheet.save(path)


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--sheet", help="also write a contact sheet PNG to this path")
    args = parser.parse_args()
    pics = pictures()
    OUT.mkdir(parents=True, exist_ok=True)
    for name, pic in pics.items():
        assert pic.mode == "RGBA"
        pic.save(OUT / name, optimize=True)
    if args.sheet:
        contact_sheet(pics, args.sheet)
    print(f"wrote {len(pics)} pictures to {OUT}")


if __name__ == "__main__":
    main()
