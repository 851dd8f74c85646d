#!/usr/bin/python3
"""Draws the pictures of the HTML reports into content/files/Personnel Files/:

    background.jpg                 the page ground: light file-card paper, tileable
    rank0.gif ... rank16.gif       12 x 32, shoulder straps: crew grades 0 to 8, then the
                                   commander's ranks (rank 7 and 8 are Oberleutnant zur See and
                                   Kapitaenleutnant, whom both lists share, up to Generaladmiral)
    medal0.gif ... medal10.gif     the awards: 32 x 32, except medal6 (front clasp, 48 x 14),
                                   medal7 (war badge, 26 x 20) and medal8 (wound badge, 18 x 18)
    qual0.gif ... qual8.gif        22 x 22, the qualification badges

The medals and qualification badges are the crew manager's drawings (make_crew.py) at the sizes
the pages show them, with the two highest grades of the Knight's Cross added. GIFs have one
transparent colour only, so edge pixels are mixed with the paper tone of the background and
pixels mostly uncovered are transparent: the pictures sit cleanly on the page.

    /usr/bin/python3 tools/art/make_reports.py [--sheet FILE.png]

--sheet also writes a contact sheet (every picture enlarged four times, and at its own size on
the background) for looking at them.
"""

from __future__ import annotations

import argparse
import io
import math
import sys

import numpy as np
from PIL import Image

sys.dont_write_bytecode = True  # keep the source folder free of caches

from artlib import FILES, to_u8
from make_crew import (BLACK, BRONZE, BRONZE_DARK, BRONZE_LIGHT, GOLD, GOLD_DARK, GOLD_LIGHT, IRON, NAVY,
                       NAVY_LIGHT, OUTLINE, SILVER, SILVER_DARK, SILVER_LIGHT, WHITE, Icon, anchor, award_icon,
                       iron_cross, neck_ribbon, oak_leaves, qualification_icon, star, swords, uboat, wreath)

OUT = FILES / "Personnel Files"
PAPER = (239, 233, 216)  # the mean tone of background.jpg
SEED = 0x5EE_F11E


# --- background ---------------------------------------------------------------------------------

def periodic_noise(rng: np.random.Generator, size: int, cutoff: float, power: float) -> np.ndarray:
    """Noise that wraps around at its edges (filtered in the frequency domain), scaled to [0, 1]."""
    white = rng.standard_normal((size, size))
    fy = np.fft.fftfreq(size)[:, None]
    fx = np.fft.fftfreq(size)[None, :]
    f = np.sqrt(fx * fx + fy * fy)
    f[0, 0] = 1.0
    spectrum = np.fft.fft2(white) / (f ** power) * np.exp(-(f / cutoff) ** 2)
    spectrum[0, 0] = 0.0
    out = np.real(np.fft.ifft2(spectrum))
    out -= out.min()
    return out / max(out.max(), 1e-9)


def background(size: int = 384) -> Image.Image:
    rng = np.random.default_rng(SEED)
    cloud = periodic_noise(rng, size, 0.02, 1.0)  # broad mottling of the card
    grain = periodic_noise(rng, size, 0.45, 0.3)  # fine grain
    lum = 0.55 * (cloud - 0.5) + 0.45 * (grain - 0.5)
    # Fibres: short thin strokes, darker or lighter, wrapped around the tile's edges.
    fibres = np.zeros((size, size))
    for _ in range(420):
        x, y = rng.uniform(0, size, 2)
        angle = rng.uniform(0, math.pi)
        length = rng.uniform(4, 16)
        shade = rng.choice([-1.0, 1.0]) * rng.uniform(0.3, 1.0)
        for t in np.linspace(0, length, int(length * 2)):
            px = int(x + t * math.cos(angle)) % size
            py = int(y + t * math.sin(angle)) % size
            fibres[py, px] += shade
    lum = lum + 0.35 * fibres
    paper = np.array(PAPER, dtype=np.float64) / 255.0
    warm = np.array((0.9, 0.75, 0.45))  # darker spots turn towards brown, as old card does
    rgb = paper[None, None, :] + lum[..., None] * 0.085 * warm[None, None, :]
    img = Image.fromarray(to_u8(rgb), "RGB")
    return img


# --- GIF output ---------------------------------------------------------------------------------

def as_gif(pic: Image.Image) -> bytes:
    """A palette GIF: colours over the paper tone, nearly uncovered pixels transparent."""
    rgba = np.asarray(pic.convert("RGBA"), dtype=np.float64) / 255.0
    alpha = rgba[..., 3:4]
    rgb = rgba[..., :3] * alpha + (np.array(PAPER) / 255.0) * (1 - alpha)
    clear = alpha[..., 0] < 0.4
    pal_img = Image.fromarray(to_u8(rgb), "RGB").quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                                                           dither=Image.Dither.NONE)
    palette = pal_img.getpalette()[:255 * 3]
    palette += [0] * (255 * 3 - len(palette)) + list(PAPER)
    index = np.array(pal_img, dtype=np.uint8)
    index[clear] = 255
    out = Image.fromarray(index, "P")
    out.putpalette(palette)
    buffer = io.BytesIO()
    out.save(buffer, format="GIF", transparency=255, optimize=False)
    return buffer.getvalue()


def crop(pic: Image.Image, width: int, height: int) -> Image.Image:
    """The centre of a square drawing, `width` x `height` pixels."""
    x = (pic.width - width) // 2
    y = (pic.height - height) // 2
    return pic.crop((x, y, x + width, y + height))


# --- rank straps --------------------------------------------------------------------------------

# The strap spans these unit coordinates of a 32-pixel square, whose middle 12 columns are kept.
X0, X1, Y0, Y1 = 0.325, 0.675, 0.02, 0.98


def pip(ic: Icon, cy: float, colour, dark, light):
    """A four-pointed rank star."""
    ic.paint(ic.poly(star(0.5, cy, 0.12, 0.05, 4, rotation=-math.pi / 2)), colour, dark, light, outline=OUTLINE,
             outline_px=0.35)


def strap(ic: Icon, cloth, cloth_dark, cloth_light):
    body = Icon.union(ic.rect(X0, Y0 + 0.1, X1, Y1, 0.03), ic.ellipse(0.5, Y0 + 0.12, (X1 - X0) / 2, 0.11))
    ic.paint(body, cloth, cloth_dark, cloth_light, outline=OUTLINE, outline_px=0.5)
    return body


def button(ic: Icon):
    ic.paint(ic.ellipse(0.5, Y0 + 0.1, 0.055, 0.045), GOLD, GOLD_DARK, GOLD_LIGHT, outline=OUTLINE, outline_px=0.3)


def cords(ic: Icon, body, braided: bool, colours):
    """Officers' straps: flat cords running lengthwise, or cords braided in loops for the staff
    officers and admirals; `colours` alternate across the strap."""
    ic.paint(body, *colours[0])
    if not braided:
        for i, x in enumerate((0.395, 0.5, 0.605)):
            c = colours[i % len(colours)]
            ic.paint(Icon.minus(ic.line([(x, Y0 + 0.05), (x, Y1 - 0.01)], 0.055), Icon.minus(ic.rect(0, 0, 1, 1), body)),
                     c[1])
        return
    loops = []
    y = Y0 + 0.14
    k = 0
    while y < Y1 - 0.03:
        for s in (-1, 1):
            loops.append((ic.arc(0.5 + s * 0.055, y, 0.075, 0.05, 0, 360, 0.03), colours[k % len(colours)][1]))
        y += 0.075
        k += 1
    outside = Icon.minus(ic.rect(0, 0, 1, 1), body)
    for mask, colour in loops:
        ic.paint(Icon.minus(mask, outside), colour)


def chevron_v(ic: Icon, cy: float):
    pts = [(X0 + 0.03, cy), (X0 + 0.085, cy), (0.5, cy + 0.075), (X1 - 0.085, cy), (X1 - 0.03, cy), (0.5, cy + 0.12)]
    ic.paint(ic.poly(pts), GOLD, GOLD_DARK, GOLD_LIGHT)


def rank_strap(rank: int) -> Image.Image:
    """Crew grades 0 to 5 wear navy straps: plain, one and two chevrons, then an anchor, with gold
    lace round the strap from grade 4 and a star at grade 5. Officers (6 to 11) wear silver cords,
    flat for Leutnant to Kapitaenleutnant, braided from Korvettenkapitaen, with none, one or two gold
    stars; the flag ranks (12 to 16) wear gold and silver braid with up to four silver stars."""
    ic = Icon(32)
    silver = (SILVER, SILVER_DARK, SILVER_LIGHT)
    gold = (GOLD, GOLD_DARK, GOLD_LIGHT)
    if rank <= 5:
        body = strap(ic, NAVY, (14, 22, 48), NAVY_LIGHT)
        if rank >= 4:
            lace = Icon.minus(body, Icon.union(ic.rect(X0 + 0.05, Y0 + 0.15, X1 - 0.05, Y1 - 0.04, 0.02),
                                               ic.ellipse(0.5, Y0 + 0.15, (X1 - X0) / 2 - 0.05, 0.08)))
            ic.paint(lace, GOLD, GOLD_DARK, GOLD_LIGHT)
        for i in range(rank if rank <= 2 else 0):
            chevron_v(ic, 0.56 + i * 0.13)
        if rank >= 3:
            anchor(ic, 0.5, 0.7 if rank == 5 else 0.64, 0.28, GOLD, GOLD_DARK, GOLD_LIGHT)
        if rank == 5:
            pip(ic, 0.34, *gold)
    else:
        body = strap(ic, SILVER, SILVER_DARK, SILVER_LIGHT)
        if rank <= 11:
            cords(ic, body, rank >= 9, [silver])
            stars = (rank - 6) % 3
            star_colour = gold
        else:
            cords(ic, body, True, [gold, silver])
            stars = rank - 12 if rank < 16 else 4
            star_colour = silver
        anchor(ic, 0.5, 0.8, 0.2, GOLD, GOLD_DARK, GOLD_LIGHT, outline=OUTLINE)
        for i in range(stars):
            pip(ic, 0.6 - i * 0.13, *star_colour)
    button(ic)
    return crop(ic.image(), 12, 32)


# --- medals ---------------------------------------------------------------------------------------

def knights_cross_grade(diamonds: bool, golden: bool) -> Image.Image:
    """The Knight's Cross with oak leaves and swords, with diamonds set in the leaves and for the
    highest grade the leaves in gold."""
    ic = Icon(32)
    neck_ribbon(ic, 0.5, 0.0, 0.14)
    iron_cross(ic, 0.5, 0.74, 0.24)
    swords(ic, 0.5, 0.4, 0.32)
    oak_leaves(ic, 0.5, 0.5, 0.3, (GOLD, GOLD_DARK, GOLD_LIGHT) if golden else (SILVER, SILVER_DARK, SILVER_LIGHT))
    if diamonds:
        for x, y in ((0.5, 0.3), (0.36, 0.37), (0.64, 0.37), (0.5, 0.44)):
            ic.paint(ic.poly(star(x, y, 0.055, 0.02, 4, rotation=-math.pi / 2)), WHITE, (170, 190, 220),
                     (255, 255, 255), outline=(90, 100, 130), outline_px=0.3)
    return ic.image()


def front_clasp() -> Image.Image:
    """The U-boat front clasp, 48 x 14: a bronze bar with leaves and a boat in a round centre."""
    ic = Icon(48)
    ic.paint(ic.rect(0.03, 0.4, 0.97, 0.6, 0.05), BRONZE, BRONZE_DARK, BRONZE_LIGHT, outline=OUTLINE,
             outline_px=0.6)
    for s in (-1, 1):
        leaves = []
        for i in range(5):
            x = 0.5 + s * (0.2 + i * 0.055)
            leaves.append(ic.poly([(x - s * 0.03, 0.5), (x, 0.43), (x + s * 0.03, 0.5), (x, 0.57)]))
        ic.paint(Icon.union(*leaves), BRONZE_DARK)
    ic.paint(ic.ellipse(0.5, 0.5, 0.13, 0.13), BRONZE, BRONZE_DARK, BRONZE_LIGHT, outline=OUTLINE, outline_px=0.6)
    ic.paint(ic.ellipse(0.5, 0.5, 0.1, 0.1), (78, 48, 20))
    uboat(ic, 0.5, 0.53, 0.19, BRONZE_LIGHT, BRONZE, (255, 226, 170))
    return crop(ic.image(), 48, 14)


def war_badge() -> Image.Image:
    """The U-boat war badge, 26 x 20: a gold oval wreath with a boat across it."""
    ic = Icon(26)
    wreath(ic, 0.5, 0.5, 0.4, 0.33, 0.07, GOLD, GOLD_DARK, GOLD_LIGHT, start=115, end=425)
    ic.paint(ic.ellipse(0.5, 0.17, 0.06, 0.045), GOLD, GOLD_DARK, GOLD_LIGHT, outline=OUTLINE, outline_px=0.5)
    uboat(ic, 0.5, 0.54, 0.96, GOLD, GOLD_DARK, GOLD_LIGHT, outline=OUTLINE, outline_px=0.6)
    return crop(ic.image(), 26, 20)


def pictures() -> dict[str, Image.Image]:
    out = {}
    for r in range(17):
        out[f"rank{r}.gif"] = rank_strap(r)
    # medal0..5: the crew's decorations in their order (the commander's German Cross is medal2);
    # medal9 and medal10: the commander's two highest grades of the Knight's Cross.
    for a in range(6):
        out[f"medal{a}.gif"] = award_icon(a, 32)
    out["medal6.gif"] = front_clasp()
    out["medal7.gif"] = war_badge()
    out["medal8.gif"] = award_icon(8, 18)
    out["medal9.gif"] = knights_cross_grade(True, False)
    out["medal10.gif"] = knights_cross_grade(True, True)
    for q in range(9):
        out[f"qual{q}.gif"] = qualification_icon(q, 22)
    return out


SIZES = {**{f"rank{r}.gif": (12, 32) for r in range(17)}, **{f"medal{m}.gif": (32, 32) for m in range(11)},
         "medal6.gif": (48, 14), "medal7.gif": (26, 20), "medal8.gif": (18, 18),
         **{f"qual{q}.gif": (22, 22) for q in range(9)}}


def contact_sheet(files: dict[str, bytes], ground: Image.Image, path: str) -> None:
    scale = 4
    rows = [[f"rank{r}.gif" for r in range(17)], [f"medal{m}.gif" for m in range(11)],
            [f"qual{q}.gif" for q in range(9)]]
    cell = 48 * scale + 8
    width = 17 * (12 * scale + 8)
    height = sum(max(SIZES[n][1] for n in row) * scale + 12 for row in rows) + 220
    sheet = Image.new("RGB", (max(width, 11 * cell // 2 * 2), height), (255, 255, 255))
    for y in range(0, sheet.height, ground.height):
        for x in range(0, sheet.width, ground.width):
            sheet.paste(ground, (x, y))
    y = 4
    for row in rows:
        x = 4
        for name in row:
            pic = Image.open(io.BytesIO(files[name])).convert("RGBA")
            big = pic.resize((pic.width * scale, pic.height * scale), Image.NEAREST)
            sheet.paste(big, (x, y), big)
            x += big.width + 8
        y += max(SIZES[n][1] for n in row) * scale + 12
    # At their own size, as the pages show them, with text beside.
    x = 4
    for name in [f"rank{r}.gif" for r in range(17)] + [f"medal{m}.gif" for m in range(11)] + \
            [f"qual{q}.gif" for q in range(9)]:
        pic = Image.open(io.BytesIO(files[name])).convert("RGBA")
        if x + pic.width > sheet.width - 4:
            x = 4
            y += 40
        sheet.paste(pic, (x, y), pic)
        x += pic.width + 4
    sheet.save(path)


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--sheet", help="also write a contact sheet PNG to this path")
    args = parser.parse_args()
    OUT.mkdir(parents=True, exist_ok=True)
    files = {}
    for name, pic in pictures().items():
        assert pic.size == SIZES[name], (name, pic.size)
        files[name] = as_gif(pic)
    ground = background()
    buffer = io.BytesIO()
    ground.save(buffer, format="JPEG", quality=82, optimize=True)
    jpeg = buffer.getvalue()
    assert len(jpeg) < 60 * 1024, len(jpeg)
    (OUT / "background.jpg").write_bytes(jpeg)
    for name, data in files.items():
        (OUT / name).write_bytes(data)
    if args.sheet:
        contact_sheet(files, ground, args.sheet)
    print(f"wrote background.jpg ({len(jpeg)} bytes) and {len(files)} pictures to {OUT}")


if __name__ == "__main__":
    main()
