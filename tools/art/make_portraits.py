#!/usr/bin/python3
"""Draws the 78 commander portraits content/files/Images/00.jpg ... 77.jpg.

Each portrait is a small studio photograph of a naval officer, drawn from scratch: a head lit as
a relief (a height field shaded by a key light), hair, beard, cap, uniform and accessories chosen
per portrait from fixed seeds, rendered at three times the final size, then reduced and given the
look of an old print (tone curve, sepia or silver toning, grain, vignette, dust).

    /usr/bin/python3 tools/art/make_portraits.py [--sheet out.png] [--only N ...]

--sheet also writes a contact sheet of all portraits (for looking at them).
"""

from __future__ import annotations

import argparse
import sys
import io
import random

import numpy as np
from PIL import Image, ImageDraw

sys.dont_write_bytecode = True  # keep the source folder free of caches

from artlib import (FILES, blur, downsample, ellipse_sd, fractal_noise, gauss, grid, smoothstep,
                    soft, to_u8, tone, value_noise)

COUNT = 78
OUT_W, OUT_H = 120, 150
SCALE = 3
W, H = OUT_W * SCALE, OUT_H * SCALE
SEED = 1939

# Attribute decks: each is dealt over the 78 portraits in a shuffled order, so every kind occurs
# about as often as its share says and neighbours differ.
HEADWEAR = ["white cap"] * 26 + ["dark cap"] * 18 + ["bare"] * 20 + ["side cap"] * 7 + ["knit cap"] * 7
FACIAL = ["shaven"] * 34 + ["stubble"] * 12 + ["beard"] * 18 + ["moustache"] * 10 + ["chin beard"] * 4
CLOTHES = ["reefer"] * 44 + ["leather"] * 18 + ["sweater"] * 16
EXTRAS = ["none"] * 46 + ["binoculars"] * 16 + ["scarf"] * 12 + ["both"] * 4


def deal(deck: list[str], rng: random.Random) -> list[str]:
    deck = list(deck)
    assert len(deck) == COUNT
    rng.shuffle(deck)
    return deck


class Canvas:
    """Luminance and coverage at render size; layers are painted in order, back to front."""

    def __init__(self):
        self.lum = np.zeros((H, W))
        self.x, self.y = grid(W, H)

    def paint(self, value, alpha):
        alpha = np.clip(alpha, 0.0, 1.0)
        self.lum = self.lum * (1 - alpha) + value * alpha


def normals_shade(height: np.ndarray, light, fill, ambient: float, diffuse: float, fill_k: float):
    gy, gx = np.gradient(height)
    n = np.stack([-gx, -gy, np.ones_like(height)], axis=-1)
    n /= np.linalg.norm(n, axis=-1, keepdims=True)
    wrap = 0.12
    key = np.clip((n @ np.asarray(light) + wrap) / (1 + wrap), 0.0, None)
    back = np.clip(n @ np.asarray(fill), 0.0, None)
    bounce = np.clip(n @ unit([0.0, 0.75, 0.65]), 0.0, None)  # light thrown back from the chest
    return ambient + diffuse * key + fill_k * back + 0.22 * bounce


def poly(points, blur_sigma: float = 0.0) -> np.ndarray:
    """Coverage of a filled polygon at render size."""
    img = Image.new("L", (W, H), 0)
    ImageDraw.Draw(img).polygon([(float(px), float(py)) for px, py in points], fill=255)
    mask = np.asarray(img, dtype=np.float64) / 255.0
    return blur(mask, blur_sigma * 0.5) if blur_sigma else mask


def cast_shadow(height: np.ndarray, light, steps: int = 36) -> np.ndarray:
    """Soft shadow of a height field under a directional light (screen-space ray march)."""
    lx, ly, lz = light
    planar = np.hypot(lx, ly)
    dx, dy = lx / planar, ly / planar
    rise = lz / planar
    occl = np.zeros_like(height)
    for s in range(2, steps, 2):
        sx, sy = int(round(dx * s)), int(round(dy * s))
        moved = np.roll(np.roll(height, -sy, axis=0), -sx, axis=1)
        occl = np.maximum(occl, moved - height - s * rise)
    return smoothstep(0.0, 3.0, occl)


def unit(v):
    v = np.asarray(v, dtype=np.float64)
    return v / np.linalg.norm(v)


class Portrait:
    def __init__(self, index: int, kinds: dict[str, str]):
        self.index = index
        self.r = random.Random(SEED * 1000 + index)
        self.nrng = np.random.default_rng(SEED * 1000 + index)
        self.kinds = kinds
        r = self.r
        self.cx = W / 2 + r.uniform(-10, 10)
        self.cy = 198 + r.uniform(-6, 8)
        self.rx = r.uniform(68, 80)
        self.ry = self.rx * r.uniform(1.16, 1.34)
        self.turn = r.choice([-1, 1]) * r.uniform(0.02, 0.28)
        self.tilt = r.uniform(-0.05, 0.05)
        self.taper = r.uniform(0.06, 0.2)       # how much the jaw narrows
        self.square = r.uniform(2.15, 2.6)       # superellipse exponent of the face outline
        self.skin = r.uniform(0.62, 0.9)
        self.hair = r.choice([0.06, 0.09, 0.12, 0.16, 0.22, 0.3, 0.4, 0.5])
        self.brow = r.uniform(0.7, 1.3)
        self.nose = r.uniform(0.6, 1.0)
        self.nose_w = r.uniform(1.0, 1.4)
        self.eye_gap = r.uniform(0.36, 0.41)
        self.eye_v = r.uniform(-0.07, -0.02)
        self.mouth_w = r.uniform(0.17, 0.23)
        self.lean = r.random()
        side = 1 if r.random() < 0.75 else -1
        self.light = unit([-side * r.uniform(0.5, 0.75), -0.55, 0.65])
        self.fill = unit([-self.light[0] * 1.3, 0.1, 0.5])
        self.age = r.random()
        self.part = r.choice([-1, 1]) * r.uniform(0.2, 0.45)

    # Feature positions in face units (u right, v down; the head centre is 0, 0).
    def fu(self, u, v=0.0):
        return u + self.turn * (1.0 - 0.3 * v * v)

    def face_coords(self, x, y):
        dx = x - self.cx
        dy = y - self.cy
        ca, sa = np.cos(self.tilt), np.sin(self.tilt)
        u = (dx * ca + dy * sa) / self.rx
        v = (-dx * sa + dy * ca) / self.ry
        return u, v

    def to_xy(self, u, v):
        """Face units to pixels (ignoring the small tilt)."""
        return self.cx + u * self.rx, self.cy + v * self.ry

    def lit_side(self, nx):
        """0..1: how much a surface facing sideways by nx (-1 left .. 1 right) faces the key light."""
        return np.clip(0.5 + 0.6 * nx * self.light[0] / abs(self.light[0]) * -1, 0, 1)

    # --- layers ---------------------------------------------------------------------------------

    def background(self, c: Canvas):
        r = self.r
        base = r.uniform(0.4, 0.72)
        glow = gauss(c.x, c.y, self.cx - self.light[0] * 70, self.cy + 10, 140, 170)
        cloth = fractal_noise(self.nrng, W, H, 110, 3)
        lum = base * (0.55 + 0.55 * glow) + 0.1 * (cloth - 0.5)
        if r.random() < 0.3:  # a painted sky backdrop: lighter at the top
            lum = lum * 0.65 + 0.35 * (0.92 - 0.55 * c.y / H)
        c.lum = lum

    def shoulders(self, c: Canvas):
        r = self.r
        x, y = c.x, c.y
        self.neck_x = self.cx + self.turn * 22
        self.neck_w = self.rx * r.uniform(0.58, 0.68)
        self.body_top = self.cy + self.ry * 1.12
        shoulder = self.rx * r.uniform(2.2, 2.55)
        self.shoulder = shoulder
        pts = [(self.neck_x - self.neck_w - 6, self.body_top - 6)]
        for k in range(9):
            t = k / 8
            px = self.neck_x - self.neck_w - 6 - t * (shoulder - self.neck_w)
            py = self.body_top - 6 + 34 * t ** 1.6 + 10 * t
            pts.append((px, py))
        pts += [(self.neck_x - shoulder - 40, self.body_top + 70), (self.neck_x - shoulder - 60, H + 10)]
        right = [(2 * self.neck_x - px, py) for px, py in reversed(pts)]
        mask = poly(pts + [(self.neck_x, H + 10)] + right, 1.2)
        self.body_mask = mask
        nx = np.clip((x - self.neck_x) / (shoulder * 1.2), -1, 1)
        lit = 0.45 + 0.55 * self.lit_side(nx) * np.sqrt(np.clip(1 - nx ** 2, 0, 1)) - 0.2 * smoothstep(
            self.body_top, H, y)
        folds = fractal_noise(self.nrng, W, H, 60, 3)
        kind = self.kinds["clothes"]
        if kind == "reefer":
            albedo = r.uniform(0.12, 0.18)
            lum = albedo * (0.55 + 0.9 * lit) * (0.9 + 0.2 * folds)
            # Seams of the sleeves catch a little light.
            for side in (-1, 1):
                sx = self.neck_x + side * shoulder * 0.93
                seam = np.exp(-((x - sx - side * 0.25 * (y - self.body_top)) / 3.0) ** 2) * (y > self.body_top + 25)
                lum = lum + 0.05 * seam
        elif kind == "leather":
            albedo = r.uniform(0.26, 0.36)
            creases = value_noise(self.nrng, W, H, 22, 60)
            sheen = gauss(x, y, self.neck_x - self.light[0] * shoulder * 0.8, self.body_top + 40, 50, 35)
            lum = albedo * (0.5 + 0.8 * lit) * (0.8 + 0.35 * creases) + 0.18 * sheen
        else:  # knitted sweater, ribbed
            albedo = r.uniform(0.38, 0.6)
            rib = 0.5 + 0.5 * np.sin((x - self.neck_x) / 3.0)
            lum = albedo * (0.5 + 0.8 * lit) * (0.85 + 0.15 * rib) * (0.92 + 0.16 * folds)
        c.paint(lum, mask)
        self.cloth_lum = float(albedo)

    def neck(self, c: Canvas):
        x, y = c.x, c.y
        nx0, nw = self.neck_x, self.neck_w
        top = self.cy + self.ry * 0.4
        bottom = self.body_top + 20
        mask = soft(np.abs(x - nx0) - nw, 1.5) * soft(top - y, 2) * soft(y - bottom, 2)
        nx = np.clip((x - nx0) / nw, -1, 1)
        lit = 0.3 + 0.55 * self.lit_side(nx) * np.sqrt(np.clip(1 - nx ** 2, 0.05, 1))
        # The jaw shades the neck.
        chin = self.cy + self.ry * 0.95
        shade = 1 - 0.4 * smoothstep(chin + 40, chin - 5, y)
        c.paint(self.skin * lit * shade, mask)

    def front(self, c: Canvas):
        kind = self.kinds["clothes"]
        extra = self.kinds["extra"]
        if kind == "reefer":
            self.reefer_front(c)
        elif kind == "leather":
            self.leather_front(c)
        else:
            self.roll_neck(c)
        if extra in ("scarf", "both"):
            self.scarf(c)

    def reefer_front(self, c: Canvas):
        """Collar of a double-breasted jacket: shirt, tie, lapels and two rows of buttons."""
        x, y = c.x, c.y
        r = self.r
        cx, nw, top = self.neck_x, self.neck_w, self.body_top
        vb = top + r.uniform(55, 75)        # bottom of the V
        # Shirt: a V from the neck down to vb.
        shirt = poly([(cx - nw - 10, top - 16), (cx + nw + 10, top - 16), (cx + 4, vb), (cx - 4, vb)], 1.0)
        c.paint(0.86 - 0.15 * smoothstep(top - 10, vb, y), shirt)
        # Shirt collar round the neck and its two points.
        band = soft(np.abs(x - cx) - nw - 3, 1.2) * soft(np.abs(y - (top - 12)) - 9, 1.2)
        nx = np.clip((x - cx) / (nw + 3), -1, 1)
        c.paint(0.6 + 0.3 * self.lit_side(nx), band)
        for side in (-1, 1):
            pts = [(cx + side * 2, top + 2), (cx + side * (nw + 4), top - 14), (cx + side * (nw - 2), top + 4),
                   (cx + side * 8, top + 26)]
            c.paint(0.9 if side * self.light[0] < 0 else 0.75, poly(pts, 1.0))
        # Tie: knot and blade.
        c.paint(0.12, poly([(cx - 8, top - 2), (cx + 8, top - 2), (cx + 6, top + 12), (cx - 6, top + 12)], 1.0))
        blade = poly([(cx - 6, top + 12), (cx + 6, top + 12), (cx + 11, vb + 10), (cx - 11, vb + 10)], 1.0)
        c.paint(0.1 + 0.06 * (np.sin((x - cx + y) / 3.0) > 0.6), blade)
        # Lapels: folded over, their outer edges lit.
        for side in (-1, 1):
            pts = [(cx + side * (nw + 12), top - 18), (cx + side * 3, vb + 2), (cx + side * 22, vb + 6),
                   (cx + side * (nw + 46), top + 40), (cx + side * (nw + 34), top + 22),
                   (cx + side * (nw + 40), top + 8), (cx + side * (nw + 24), top - 8)]
            lapel = poly(pts, 1.0)
            lit = 0.22 if side * self.light[0] < 0 else 0.13
            c.paint(lit * (0.9 + 0.2 * smoothstep(vb, top, y)), lapel)
            # Edge line of the opening.
            ex0, ey0, ex1, ey1 = cx + side * (nw + 12), top - 18, cx + side * 3, vb + 2
            t = np.clip(((x - ex0) * (ex1 - ex0) + (y - ey0) * (ey1 - ey0)) / ((ex1 - ex0) ** 2 + (ey1 - ey0) ** 2), 0, 1)
            d = np.hypot(x - (ex0 + t * (ex1 - ex0)), y - (ey0 + t * (ey1 - ey0)))
            c.paint(0.32 if side * self.light[0] < 0 else 0.2, np.exp(-(d / 1.6) ** 2) * 0.7)
        # Two rows of gilt buttons.
        for row in range(2):
            by = vb + 26 + row * 46
            for side in (-1, 1):
                bx = cx + side * 34
                d = np.hypot(x - bx, y - by)
                hi = np.clip(1 - np.hypot(x - bx + 2.5 * np.sign(-self.light[0]), y - by + 2) / 6.5, 0, 1)
                c.paint(0.35 + 0.55 * hi, soft(d - 6.5, 1.2))
                c.paint(0.08, np.exp(-((d - 7.5) / 1.2) ** 2) * 0.6)

    def leather_front(self, c: Canvas):
        """Leather jacket: a dark jersey in the opening and a wide collar lying on the shoulders."""
        x, y = c.x, c.y
        cx, nw, top = self.neck_x, self.neck_w, self.body_top
        jersey = poly([(cx - nw - 14, top - 16), (cx + nw + 14, top - 16), (cx + 30, H), (cx - 30, H)], 1.0)
        nx = np.clip((x - cx) / (nw + 14), -1, 1)
        c.paint(0.1 + 0.08 * self.lit_side(nx), jersey)
        ring = soft(np.abs(x - cx) - nw - 5, 1.5) * soft(np.abs(y - (top - 12)) - 12, 1.5)
        c.paint(0.1 + 0.1 * self.lit_side(nx), ring)
        for side in (-1, 1):
            pts = [(cx + side * (nw + 4), top - 26), (cx + side * (nw + 14), top - 2), (cx + side * 26, H),
                   (cx + side * 64, H), (cx + side * (nw + 60), top + 74), (cx + side * (nw + 80), top + 10),
                   (cx + side * (nw + 40), top - 14)]
            flap = poly(pts, 1.0)
            lit = 0.4 if side * self.light[0] < 0 else 0.24
            c.paint(lit * (1.0 - 0.35 * smoothstep(top, H, y)), flap)
            # The collar's edge and the shadow it throws.
            ex, ey = cx + side * (nw + 14), top - 2
            d = np.abs((x - ex) - side * 0.2 * (y - ey))
            c.paint(lit + 0.2, np.exp(-(d / 1.8) ** 2) * (y > ey) * flap * 0.7)
            shadow = np.exp(-((x - ex + side * 6) / 5.0) ** 2) * (y > ey) * (1 - flap)
            c.lum = c.lum * (1 - 0.4 * shadow * jersey)

    def roll_neck(self, c: Canvas):
        """Roll-neck collar: a thick knitted tube from the chin down to the shoulders."""
        x, y = c.x, c.y
        cx, nw, top = self.neck_x, self.neck_w, self.body_top
        half = nw + 8 + 16 * smoothstep(top - 30, top + 16, y)
        ring_top = self.cy + self.ry * 0.9
        ring_bottom = top + 18 - 6 * ((x - cx) / (nw + 24)) ** 2
        ring = soft(np.abs(x - cx) - half, 1.5) * soft(ring_top - y, 1.5) * soft(y - ring_bottom, 1.5)
        nx = np.clip((x - cx) / half, -1, 1)
        rib = 0.5 + 0.5 * np.sin((x - cx) / 2.4)
        lit = 0.45 + 0.6 * self.lit_side(nx) * np.sqrt(np.clip(1 - nx ** 2, 0.05, 1))
        fold = np.exp(-((y - (ring_top + (ring_bottom - ring_top) * 0.45)) / 3.0) ** 2)
        c.paint(self.cloth_lum * (0.5 + 0.8 * lit) * (0.85 + 0.2 * rib) * (1 - 0.3 * fold), ring)
        c.paint(self.cloth_lum * 0.55, np.exp(-((np.abs(x - cx) - half) / 2.0) ** 2) * (y > ring_top + 20) * (y < ring_bottom))

    def scarf(self, c: Canvas):
        """A light scarf wound round the neck, its ends tucked into the jacket."""
        x, y = c.x, c.y
        cx, nw, top = self.neck_x, self.neck_w, self.body_top
        crumple = value_noise(self.nrng, W, H, 30, 20)
        ring = poly([(cx - nw - 14, top - 30), (cx + nw + 14, top - 30), (cx + nw + 22, top + 2),
                     (cx + 22, top + 38), (cx - 18, top + 42), (cx - nw - 22, top + 2)], 2.0)
        nx = np.clip((x - cx) / (nw + 24), -1, 1)
        lit = 0.5 + 0.45 * self.lit_side(nx) * np.sqrt(np.clip(1 - nx ** 2, 0.1, 1))
        folds = 0.5 + 0.5 * np.sin((y - top) / 9.0 + 3.0 * crumple + 0.08 * (x - cx))
        tone_ = self.r.uniform(0.72, 0.9)
        c.paint(tone_ * lit * (0.78 + 0.3 * folds), ring)
        # Where the two ends cross.
        cross = np.exp(-((x - cx - 0.5 * (y - top - 20)) / 2.5) ** 2) * (y > top) * ring
        c.paint(tone_ * 0.5, cross * 0.6)

    def binoculars(self, c: Canvas):
        if self.kinds["extra"] not in ("binoculars", "both"):
            return
        r = self.r
        x, y = c.x, c.y
        cx = self.neck_x + r.uniform(-10, 10)
        top = self.body_top + r.uniform(56, 72)
        # Strap from behind the neck.
        for side in (-1, 1):
            sx0, sy0 = self.neck_x + side * (self.neck_w + 4), self.body_top - 14
            sx1, sy1 = cx + side * 34, top + 10
            t = np.clip(((x - sx0) * (sx1 - sx0) + (y - sy0) * (sy1 - sy0)) / ((sx1 - sx0) ** 2 + (sy1 - sy0) ** 2), 0, 1)
            d = np.hypot(x - (sx0 + t * (sx1 - sx0)), y - (sy0 + t * (sy1 - sy0)))
            c.paint(0.3, soft(d - 2.5, 1.0))
        for side in (-1, 1):
            bx = cx + side * 22
            nx = np.clip((x - bx) / 18, -1, 1)
            round_ = np.sqrt(np.clip(1 - nx ** 2, 0, 1))
            lit = 0.06 + 0.2 * round_ * self.lit_side(nx) + 0.35 * np.exp(-((nx + 0.45 * np.sign(self.light[0])) / 0.15) ** 2)
            barrel = soft(np.maximum(np.abs(x - bx) - 18, np.abs(y - (top + 70)) - 52), 1.2)
            c.paint(lit, barrel)
            ex = soft(np.maximum(np.abs(x - bx) - 12, np.abs(y - (top + 8)) - 10), 1.0)
            c.paint(0.05 + 0.15 * round_ * self.lit_side(nx), ex)
            rim = np.exp(-((y - (top + 18)) / 1.5) ** 2) * (np.abs(x - bx) < 17)
            c.paint(0.5, rim * 0.8)
        bridge = soft(np.maximum(np.abs(x - cx) - 6, np.abs(y - (top + 34)) - 16), 1.0)
        c.paint(0.25, bridge)
        c.paint(0.55, soft(np.hypot(x - cx, y - (top + 22)) - 4, 1.0))

    def ears(self, c: Canvas):
        x, y = c.x, c.y
        for side in (-1, 1):
            # The far ear hides behind the cheek when the head is turned.
            visible = float(np.clip(1.0 - side * self.turn * 6, 0, 1))
            if visible <= 0.05:
                continue
            ex = self.cx + side * self.rx * (0.96 - 0.6 * side * self.turn)
            ey = self.cy + self.ry * 0.02
            d = ellipse_sd(x, y, ex, ey, self.rx * 0.16, self.ry * 0.19, side * 0.12)
            inner = gauss(x, y, ex - side * 2, ey + 2, 4, 8)
            lit = 0.55 + 0.35 * (side * self.light[0] < 0)
            c.paint(self.skin * lit * (1 - 0.45 * inner), soft(d, 1.2) * visible)

    def hair_volume(self, c: Canvas):
        """Bare head: the hair over the skull, a little above it, with a parting and a sheen."""
        if self.kinds["head"] not in ("bare", "side cap"):
            return
        x, y = c.x, c.y
        u, v = self.face_coords(x, y)
        d = ellipse_sd(x, y, self.cx + self.turn * 8, self.cy - self.ry * 0.08, self.rx * 1.05,
                       self.ry * 1.0, self.tilt)
        top = smoothstep(-0.35, -0.5, v)
        comb = value_noise(self.nrng, W, H, 9.0, 2.2)
        nx = np.clip((x - self.cx) / self.rx, -1, 1)
        lit = 0.55 + 0.7 * self.lit_side(nx) * smoothstep(0.0, -0.9, v)
        part = np.exp(-((u - self.part - self.turn) / 0.025) ** 2) * smoothstep(-0.45, -0.8, v)
        lum = self.hair * lit * (0.8 + 0.25 * comb) + 0.12 * part * (self.hair + 0.3)
        sheen = gauss(u, v, self.part * 0.4 - self.light[0] * 0.3, -0.72, 0.3, 0.08)
        lum = lum + 0.3 * sheen * (0.3 + self.hair)
        c.paint(lum, soft(d, 1.5) * top)

    def head(self, c: Canvas):
        x, y = c.x, c.y
        u, v = self.face_coords(x, y)
        w = 1.0 - self.taper * smoothstep(0.05, 0.75, v) - 0.05 * smoothstep(-0.3, -0.9, v)
        p = self.square
        rr = (np.abs(u / w) ** p + np.abs(v) ** p) ** (1.0 / p)
        inside = rr < 1.0
        h = np.sqrt(np.clip(1.0 - rr ** 2, 0, None))

        def bump(uc, vc, su, sv, k):
            return k * gauss(u, v, uc, vc, su, sv)

        t = self.turn
        ey, eg = self.eye_v, self.eye_gap
        f = bump(self.fu(0, -0.45), -0.45, 0.5, 0.3, 0.03)
        f = f + bump(self.fu(0, -0.17), -0.17, 0.1, 0.06, 0.05 * self.brow)
        for side in (-1, 1):
            f = f + bump(self.fu(side * eg, ey), ey - 0.15, 0.2, 0.065, 0.08 * self.brow)
            f = f + bump(self.fu(side * eg, ey), ey + 0.01, 0.15, 0.09, -0.12)
            f = f + bump(self.fu(side * eg, ey), ey + 0.01, 0.09, 0.045, 0.05)
            f = f + bump(self.fu(side * 0.5, 0.14), 0.14, 0.16, 0.12, 0.06)
            f = f + bump(self.fu(side * 0.45, 0.45), 0.45, 0.15, 0.15, -0.04 * self.lean)
            f = f + bump(self.fu(side * 0.1, 0.36) + t * 0.5, 0.36, 0.06, 0.045, 0.04)
        f = f + bump(self.fu(0, 0.1) + t * 0.45, 0.1, 0.08 * self.nose_w, 0.22, 0.07 * self.nose)
        f = f + bump(self.fu(0, 0.32) + t * 0.6, 0.32, 0.09 * self.nose_w, 0.075, 0.09 * self.nose)
        f = f + bump(self.fu(0, 0.55) + t * 0.3, 0.545, self.mouth_w, 0.04, 0.03)
        f = f + bump(self.fu(0, 0.63) + t * 0.25, 0.635, self.mouth_w * 0.8, 0.04, 0.035)
        f = f + bump(self.fu(0, 0.59), 0.59, self.mouth_w, 0.014, -0.02)
        f = f + bump(self.fu(0, 0.86) + t * 0.2, 0.86, 0.2, 0.1, 0.05)
        height = (h + f * inside * smoothstep(0.0, 0.3, h)) * self.rx * 0.95
        shade = normals_shade(height, self.light, self.fill, 0.1, 1.0, 0.18)
        shade = shade * (1 - 0.4 * blur(cast_shadow(height, self.light, 24), 1.5))
        albedo = np.full_like(u, self.skin) * (1 - 0.06 * smoothstep(0.2, 0.9, v))
        for side in (-1, 1):
            albedo -= 0.05 * gauss(u, v, self.fu(side * 0.45, 0.3), 0.3, 0.16, 0.12)
        albedo -= 0.12 * gauss(u, v, self.fu(0, 0.6) + t * 0.25, 0.6, self.mouth_w * 0.8, 0.04)
        self.features(u, v, albedo)
        lum = albedo * shade
        lum = self.hair_and_beard(u, v, lum, shade)
        c.paint(lum, soft((rr - 1.0) * self.rx, 1.2))
        self.u, self.v = u, v

    def features(self, u, v, albedo):
        """Eyes, brows, nostrils and mouth, painted into the albedo."""
        ey, eg = self.eye_v, self.eye_gap
        for side in (-1, 1):
            ecx = self.fu(side * eg, ey)
            du = (u - ecx) / 0.125
            dv = (v - ey) / 0.04
            eye = np.clip(1 - (du ** 2 + dv ** 2), 0, 1)
            albedo += 0.1 * np.sqrt(eye)
            iris = gauss(u, v, ecx + self.turn * 0.06, ey + 0.003, 0.038, 0.028)
            albedo -= 0.5 * iris
            lid = np.exp(-((v - (ey - 0.032 + 0.02 * du ** 2)) / 0.012) ** 2) * np.clip(1 - du ** 2 * 0.8, 0, 1)
            albedo -= 0.25 * lid
            bu = (u - ecx - side * 0.02) / 0.17
            arc = ey - 0.14 - 0.03 * (1 - bu ** 2) + 0.012 * side * bu
            brow = np.exp(-((v - arc) / (0.016 * self.brow + 0.012)) ** 2) * np.clip(1 - bu ** 2, 0, 1) ** 0.5
            albedo -= (self.skin - self.hair) * 0.7 * brow
            albedo -= 0.28 * gauss(u, v, self.fu(side * 0.065, 0.39) + self.turn * 0.6, 0.39, 0.025, 0.014)
        mu = self.fu(0, 0.59) + self.turn * 0.25
        mouth = np.exp(-((v - 0.59 - 0.025 * ((u - mu) / self.mouth_w) ** 2) / 0.011) ** 2) * np.clip(
            1 - ((u - mu) / self.mouth_w) ** 2, 0, 1)
        albedo -= 0.3 * mouth

    def hair_and_beard(self, u, v, lum, shade):
        head = self.kinds["head"]
        streak = value_noise(self.nrng, W, H, 2.0, 9.0) * 0.5 + value_noise(self.nrng, W, H, 10, 10) * 0.5
        bright = np.clip(shade, 0, 1.3)
        hair_tex = self.hair * (0.75 + 0.5 * streak) * (0.5 + 0.6 * bright)
        # Hairline: higher on older men, with receding temples.
        line = -0.52 - 0.12 * (self.age > 0.75) + 0.08 * np.abs(u - self.turn * 0.3) ** 2
        temple = 0.14 * self.age * gauss(u, v, self.turn * 0.3 + 0.4, line, 0.15, 1) + 0.14 * self.age * gauss(
            u, v, self.turn * 0.3 - 0.4, line, 0.15, 1)
        hair_mask = smoothstep(line - temple + 0.05, line - temple - 0.05, v)
        side = smoothstep(0.8, 0.95, np.abs(u - self.turn * 0.3)) * smoothstep(0.02, -0.15, v)
        hair_mask = np.maximum(hair_mask, side)
        if head not in ("bare", "side cap"):
            hair_mask = side * 0.7
        lum = lum * (1 - hair_mask) + hair_tex * hair_mask
        facial = self.kinds["facial"]
        beard_tex = min(0.6, self.hair * 1.2 + 0.14) * (0.6 + 0.8 * streak) * (0.35 + 0.75 * bright)
        mu = self.fu(0, 0.6) + self.turn * 0.25
        lips = gauss(u, v, mu, 0.6, self.mouth_w * 0.95, 0.04)
        if facial in ("beard", "stubble"):
            du_ = np.abs(u - mu)
            top = 0.5 - 0.42 * du_ - 0.25 * du_ ** 2 + 0.03 * np.sin(u * 23.0)
            jaw = smoothstep(top, top + (0.2 if facial == "beard" else 0.3), v)
            edge = smoothstep(0.95, 0.8, np.abs(u - self.turn * 0.2))
            mask = np.maximum(jaw * edge, smoothstep(0.8, 0.9, np.abs(u - self.turn * 0.3)) * smoothstep(-0.1, 0.1, v))
            mask = mask * (1 - 0.9 * lips)
            if facial == "beard":
                lum = lum * (1 - mask * 0.9) + beard_tex * mask * 0.9
            else:
                grit = blur(self.nrng.random((H, W)), 0.8)
                lum = lum * (1 - mask * (0.12 + 0.25 * grit))
        if facial in ("moustache", "beard", "chin beard"):
            m = gauss(u, v, mu, 0.5, self.mouth_w * 1.0, 0.035) * smoothstep(0.42, 0.47, v) * (1 - 0.7 * lips)
            lum = lum * (1 - m * 0.9) + beard_tex * m * 0.9
        if facial == "chin beard":
            m = gauss(u, v, self.fu(0, 0.85), 0.86, 0.17, 0.13) * (1 - lips)
            lum = lum * (1 - m * 0.9) + beard_tex * m * 0.9
        return lum

    def cap(self, c: Canvas):
        head = self.kinds["head"]
        if head in ("white cap", "dark cap"):
            self.peaked_cap(c, head == "white cap")
        elif head == "side cap":
            self.side_cap(c)
        elif head == "knit cap":
            self.knit_cap(c)

    def peaked_cap(self, c: Canvas, white: bool):
        r = self.r
        x, y = c.x, c.y
        cx = self.cx + self.turn * 14
        band_bottom = self.cy - self.ry * r.uniform(0.46, 0.56)
        band_h = self.ry * 0.19
        band_w = self.rx * 1.03
        band_top = band_bottom - band_h
        crown_top = band_top - self.ry * r.uniform(0.34, 0.44)
        crown_w = self.rx * r.uniform(1.2, 1.34)
        slant = r.uniform(-0.08, 0.08) + self.tilt
        # Shadow of the peak over the brow and the eyes.
        v = self.v
        pv = (band_bottom - self.cy) / self.ry
        shadow = smoothstep(0.3, 0.02, v) * smoothstep(pv - 0.3, pv - 0.05, v)
        c.lum = c.lum * (1 - 0.45 * shadow * soft((np.abs(self.u) - 1.05) * self.rx, 3))
        # Crown: widens from the band to a round-edged top.
        pts = [(cx - band_w, band_top + 2)]
        for k in range(21):
            a = np.pi * k / 20
            px = cx - crown_w * np.cos(a)
            py = crown_top + (band_top - crown_top) * 0.4 * (1 - np.sin(a)) ** 2.5
            py += slant * (px - cx)
            pts.append((px, py))
        pts.append((cx + band_w, band_top + 2))
        crown = poly(pts, 1.0)
        nx = np.clip((x - cx) / crown_w, -1, 1)
        lit = 0.55 + 0.45 * self.lit_side(nx) * np.sqrt(np.clip(1 - nx ** 2, 0.05, 1))
        lit = lit * (0.88 + 0.12 * smoothstep(band_top, crown_top, y))
        cover = 0.95 if white else 0.17
        fabric = 0.93 + 0.1 * value_noise(self.nrng, W, H, 6)
        c.paint(cover * lit * fabric, crown)
        # Top seam and the fold over the band.
        seam_y = crown_top + (band_top - crown_top) * 0.4 + slant * (x - cx)
        seam = np.exp(-((y - seam_y) / 2.0) ** 2) * (np.abs(x - cx) < crown_w * 0.9)
        c.paint(cover * 0.75, seam * crown * 0.5)
        under = np.exp(-((y - band_top) / 4.0) ** 2) * (np.abs(x - cx) < band_w)
        c.paint(cover * 0.55, under * 0.6)
        # Band: dark, with a faint weave.
        band = soft(np.abs(x - cx) - band_w, 1.2) * soft(y - band_bottom, 1.2) * soft(band_top - y, 1.2)
        nb = np.clip((x - cx) / band_w, -1, 1)
        c.paint(0.07 + 0.1 * self.lit_side(nb) * np.sqrt(np.clip(1 - nb ** 2, 0, 1)), band)
        # Badge: a small oval in a wreath of dots (no real emblem).
        by = band_top + band_h * 0.55
        c.paint(0.82, soft(ellipse_sd(x, y, cx, by, 6.5, 5.0), 1.0))
        c.paint(0.35, soft(ellipse_sd(x, y, cx, by, 2.5, 2.0), 1.0))
        for k in range(7):
            a = np.pi * (0.1 + 0.8 * k / 6)
            for s_ in (-1, 1):
                px = cx + s_ * 12 * np.cos(a) * 0.9 + s_ * 2
                py = by + 7 - 9 * np.sin(a)
                c.paint(0.7, soft(np.hypot(x - px, y - py) - 1.7, 1.0))
        # Chin cord over the band.
        cord_y = band_bottom - 4
        cord = np.exp(-((y - cord_y) / 1.3) ** 2) * (np.abs(x - cx) < band_w * 0.98)
        c.paint(0.6, cord * 0.8)
        # Peak: glossy black, curving down over the brow.
        pcx = cx + self.turn * 16
        depth = self.ry * r.uniform(0.13, 0.18)
        pk = soft(ellipse_sd(x, y, pcx, band_bottom - 2, band_w * 0.95, depth), 1.0) * soft(band_bottom - 3 - y, 1.0)
        gloss = np.exp(-((y - (band_bottom + depth * 0.35)) / 2.5) ** 2) * np.clip(
            1 - ((x - pcx + self.light[0] * 25) / (band_w * 0.6)) ** 2, 0, 1)
        c.paint(0.05 + 0.5 * gloss, pk)

    def side_cap(self, c: Canvas):
        r = self.r
        x, y = c.x, c.y
        cx = self.cx + self.turn * 10 + r.uniform(-4, 8)
        bottom = self.cy - self.ry * 0.52
        tilt = self.tilt + r.choice([-1, 1]) * r.uniform(0.06, 0.2)
        ca, sa = np.cos(tilt), np.sin(tilt)
        dx, dy = x - cx, y - bottom
        lx = dx * ca + dy * sa
        ly = -dx * sa + dy * ca
        half = self.rx * 0.98
        top = -self.ry * 0.36 * np.clip(1 - (lx / half) ** 2, 0, 1) ** 0.5
        mask = soft(np.abs(lx) - half, 1.2) * soft(top - ly, 1.2) * soft(ly - 2, 1.2)
        nx = np.clip(lx / half, -1, 1)
        lit = 0.5 + 0.6 * self.lit_side(nx)
        c.paint(0.14 * lit, mask)
        flap = np.exp(-((ly + self.ry * 0.11) / 1.8) ** 2) * (np.abs(lx) < half * 0.95)
        c.paint(0.28, flap * mask * 0.7)
        c.paint(0.75, soft(np.hypot(lx, ly + self.ry * 0.17) - 4.0, 1.0))

    def knit_cap(self, c: Canvas):
        x, y = c.x, c.y
        cx = self.cx + self.turn * 8
        brim = self.cy - self.ry * 0.42
        d = ellipse_sd(x, y, cx, brim + 6, self.rx * 1.06, self.ry * 0.76, self.tilt)
        mask = soft(d, 1.2) * soft(y - brim - 2, 1.2)
        rib = 0.5 + 0.5 * np.sin((x - cx) / 2.6 * (1 + 0.4 * ((y - brim) / self.ry) ** 2))
        nx = np.clip((x - cx) / (self.rx * 1.06), -1, 1)
        lit = 0.45 + 0.7 * self.lit_side(nx) * np.sqrt(np.clip(1 - nx ** 2, 0.05, 1))
        tone_ = self.r.uniform(0.2, 0.5)
        c.paint(tone_ * lit * (0.78 + 0.3 * rib), mask)
        turn_up = soft(np.abs(y - (brim - 13)) - 13, 1.2) * soft(np.abs(x - cx) - self.rx * 1.07, 1.2)
        c.paint(tone_ * 0.95 * lit * (0.82 + 0.25 * rib), turn_up)
        c.paint(tone_ * 0.5, np.exp(-((y - (brim - 26)) / 2.0) ** 2) * turn_up)

    def render(self) -> np.ndarray:
        c = Canvas()
        self.background(c)
        self.shoulders(c)
        self.neck(c)
        self.front(c)
        self.binoculars(c)
        self.ears(c)
        self.hair_volume(c)
        self.head(c)
        self.cap(c)
        return c.lum


def print_look(lum: np.ndarray, index: int) -> np.ndarray:
    """Turns render-size luminance into a small toned print (float RGB at output size)."""
    r = random.Random(SEED * 7 + index)
    nrng = np.random.default_rng(SEED * 7 + index)
    img = downsample(lum, SCALE)
    img = blur(img, 0.45)
    h, w = img.shape
    x, y = grid(w, h)
    # Contrast and faded shadows and highlights of an old print.
    contrast = r.uniform(1.2, 1.45)
    img = np.clip(0.5 + (img - 0.45) * contrast, 0, 1)
    img = img ** r.uniform(0.85, 1.1)
    # Uneven exposure and vignette.
    rr = np.hypot((x - w / 2) / (w / 2), (y - h / 2) / (h / 2))
    img = img * (1 - r.uniform(0.22, 0.4) * smoothstep(0.55, 1.45, rr))
    img = img * (0.94 + 0.12 * value_noise(nrng, w, h, 30))
    # Grain.
    grain = blur(nrng.normal(0, 1, (h, w)), 0.55)
    img = img + grain * r.uniform(0.035, 0.055)
    # Dust and a scratch or two.
    for _ in range(r.randint(0, 4)):
        px, py = r.uniform(0, w), r.uniform(0, h)
        spot = gauss(x, y, px, py, r.uniform(0.4, 0.8), r.uniform(0.4, 0.8))
        img = img + spot * r.choice([0.5, -0.4])
    if r.random() < 0.15:
        px = r.uniform(10, w - 10)
        slope = r.uniform(-0.15, 0.15)
        y0, y1 = sorted((r.uniform(0, h), r.uniform(0, h)))
        line = np.exp(-((x - px - slope * y) / 0.45) ** 2) * (y > y0) * (y < y1)
        img = img + 0.12 * line
    fade_black = r.uniform(0.04, 0.1)
    fade_white = r.uniform(0.9, 0.97)
    img = fade_black + (fade_white - fade_black) * np.clip(img, 0, 1)
    # Toning: mostly sepia, some cooler silver prints.
    kind = r.random()
    if kind < 0.6:
        stops = [(0.0, (28, 18, 10)), (0.45, (120, 88, 58)), (0.8, (205, 180, 140)), (1.0, (245, 232, 205))]
    elif kind < 0.85:
        stops = [(0.0, (22, 18, 14)), (0.5, (122, 108, 90)), (1.0, (236, 228, 210))]
    else:
        stops = [(0.0, (16, 17, 18)), (0.5, (112, 112, 106)), (1.0, (232, 232, 224))]
    rgb = tone(img, stops)
    # A thin paper border, as on a print.
    border = 2
    paper = np.array([236, 228, 208]) / 255.0 * r.uniform(0.9, 1.0)
    edge = (x < border) | (x > w - border) | (y < border) | (y > h - border)
    rgb[edge] = paper
    return rgb


def render_portrait(index: int, kinds: dict[str, str]) -> Image.Image:
    lum = Portrait(index, kinds).render()
    return Image.fromarray(to_u8(print_look(lum, index)), "RGB")


def all_kinds() -> list[dict[str, str]]:
    r = random.Random(SEED)
    heads, facials, clothes, extras = (deal(d, r) for d in (HEADWEAR, FACIAL, CLOTHES, EXTRAS))
    return [{"head": heads[i], "facial": facials[i], "clothes": clothes[i], "extra": extras[i]}
            for i in range(COUNT)]


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--sheet", help="also write a contact sheet PNG to this path")
    parser.add_argument("--only", type=int, nargs="*", help="portrait numbers to draw (default all)")
    parser.add_argument("--no-write", action="store_true", help="do not write the JPEG files")
    args = parser.parse_args()
    out = FILES / "Images"
    out.mkdir(parents=True, exist_ok=True)
    kinds = all_kinds()
    indices = args.only if args.only else list(range(COUNT))
    images = []
    for i in indices:
        img = render_portrait(i, kinds[i])
        images.append(img)
        if not args.no_write:
            buf = io.BytesIO()
            img.save(buf, "JPEG", quality=85, optimize=True)
            data = buf.getvalue()
            assert len(data) < 15 * 1024, (i, len(data))
            (out / f"{i:02d}.jpg").write_bytes(data)
    if args.sheet:
        cols = min(13, len(images))
        rows = (len(images) + cols - 1) // cols
        sheet = Image.new("RGB", (cols * (OUT_W + 6) + 6, rows * (OUT_H + 6) + 6), (60, 50, 40))
        for k, img in enumerate(images):
            sheet.paste(img, (6 + (k % cols) * (OUT_W + 6), 6 + (k // cols) * (OUT_H + 6)))
        sheet.save(args.sheet)


if __name__ == "__main__":
    main()
