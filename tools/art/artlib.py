"""Small drawing helpers shared by the picture scripts: float images as numpy arrays, soft masks,
blurs, noise, and a TGA writer that matches the program's reader exactly."""

from __future__ import annotations

import struct
from pathlib import Path

import numpy as np

ROOT = Path(__file__).resolve().parents[2]
FILES = ROOT / "content" / "files"


def grid(width: int, height: int) -> tuple[np.ndarray, np.ndarray]:
    """Pixel centre coordinates X, Y (float arrays of shape height x width)."""
    ys, xs = np.mgrid[0:height, 0:width].astype(np.float64)
    return xs + 0.5, ys + 0.5


def smoothstep(edge0: float, edge1: float, x: np.ndarray) -> np.ndarray:
    t = np.clip((x - edge0) / (edge1 - edge0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def soft(d: np.ndarray, width: float = 1.0) -> np.ndarray:
    """Coverage from a signed distance (negative inside), anti-aliased over `width` pixels."""
    return np.clip(0.5 - d / width, 0.0, 1.0)


def ellipse_sd(x, y, cx, cy, rx, ry, angle=0.0):
    """Approximate signed distance to an ellipse (exact on the axes, good enough for masks)."""
    ca, sa = np.cos(angle), np.sin(angle)
    dx, dy = x - cx, y - cy
    u = (dx * ca + dy * sa) / rx
    v = (-dx * sa + dy * ca) / ry
    r = np.sqrt(u * u + v * v)
    return (r - 1.0) * min(rx, ry)


def gauss(x, y, cx, cy, sx, sy):
    return np.exp(-(((x - cx) / sx) ** 2 + ((y - cy) / sy) ** 2) * 0.5)


def blur(img: np.ndarray, sigma: float) -> np.ndarray:
    """Separable Gaussian blur of a 2-D float array (edges clamped)."""
    if sigma <= 0:
        return img
    radius = max(1, int(3 * sigma + 0.5))
    k = np.exp(-0.5 * (np.arange(-radius, radius + 1) / sigma) ** 2)
    k /= k.sum()
    out = np.pad(img, ((0, 0), (radius, radius)), mode="edge")
    out = sum(k[i] * out[:, i:i + img.shape[1]] for i in range(len(k)))
    out = np.pad(out, ((radius, radius), (0, 0)), mode="edge")
    out = sum(k[i] * out[i:i + img.shape[0], :] for i in range(len(k)))
    return out


def value_noise(rng: np.random.Generator, width: int, height: int, cell, cell_y=None) -> np.ndarray:
    """Smooth noise in [0, 1] with features about `cell` pixels wide (and `cell_y` high)."""
    cy_ = cell if cell_y is None else cell_y
    gw = int(width / cell) + 4
    gh = int(height / cy_) + 4
    g = rng.random((gh, gw))
    x, y = grid(width, height)
    fx = x / cell + 1.0
    fy = y / cy_ + 1.0
    ix = np.floor(fx).astype(int)
    iy = np.floor(fy).astype(int)
    tx = smoothstep(0.0, 1.0, fx - ix)
    ty = smoothstep(0.0, 1.0, fy - iy)
    a = g[iy, ix]
    b = g[iy, ix + 1]
    c = g[iy + 1, ix]
    d = g[iy + 1, ix + 1]
    return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty


def fractal_noise(rng, width, height, cell, octaves=4, gain=0.5):
    total = np.zeros((height, width))
    amp, norm = 1.0, 0.0
    for _ in range(octaves):
        total += amp * value_noise(rng, width, height, cell)
        norm += amp
        amp *= gain
        cell = max(1.0, cell / 2.0)
    return total / norm


def downsample(img: np.ndarray, factor: int) -> np.ndarray:
    """Box-filter an (h, w) or (h, w, c) array by an integer factor."""
    h, w = img.shape[:2]
    h2, w2 = h // factor, w // factor
    img = img[:h2 * factor, :w2 * factor]
    shape = (h2, factor, w2, factor) + img.shape[2:]
    return img.reshape(shape).mean(axis=(1, 3))


def to_u8(rgb: np.ndarray) -> np.ndarray:
    return np.clip(np.round(rgb * 255.0), 0, 255).astype(np.uint8)


def tone(lum: np.ndarray, stops: list[tuple[float, tuple[int, int, int]]]) -> np.ndarray:
    """Map luminance in [0, 1] to colour through a piecewise linear gradient of (position, rgb)."""
    lum = np.clip(lum, 0.0, 1.0)
    out = np.zeros(lum.shape + (3,))
    pos = [p for p, _ in stops]
    for c in range(3):
        out[..., c] = np.interp(lum, pos, [col[c] / 255.0 for _, col in stops])
    return out


# --- TGA ------------------------------------------------------------------------------------------

def _rle_row(row: bytes) -> bytes:
    """Run-length packets of one row of 3-byte pixels; packets never cross the row's end."""
    pixels = [row[i:i + 3] for i in range(0, len(row), 3)]
    out = bytearray()
    i, n = 0, len(pixels)
    while i < n:
        run = 1
        while i + run < n and run < 128 and pixels[i + run] == pixels[i]:
            run += 1
        if run >= 2:
            out.append(0x80 | (run - 1))
            out += pixels[i]
            i += run
            continue
        start = i
        while i < n and i - start < 128:
            if i + 1 < n and pixels[i + 1] == pixels[i]:
                break
            i += 1
        out.append(i - start - 1)
        for p in pixels[start:i]:
            out += p
    return bytes(out)


def write_tga(path: Path, rgb: np.ndarray, rle: bool) -> None:
    """24-bit TGA, bottom-up rows (descriptor 0x00), image type 10 (RLE) or 2 (raw)."""
    h, w, _ = rgb.shape
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10 if rle else 2, 0, 0, 0, 0, 0, w, h, 24, 0x00)
    body = bytearray()
    for y in range(h - 1, -1, -1):  # bottom row first
        row = rgb[y, :, ::-1].astype(np.uint8).tobytes()  # BGR
        body += _rle_row(row) if rle else row
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(header + bytes(body))


def read_tga(path: Path) -> np.ndarray:
    """Reads back a file written by write_tga the way the program does (row by row)."""
    data = path.read_bytes()
    id_len, cmap, itype = data[0], data[1], data[2]
    w, h = struct.unpack_from("<HH", data, 12)
    depth, desc = data[16], data[17]
    assert cmap == 0 and itype in (2, 10) and depth == 24, (cmap, itype, depth)
    pos = 18 + id_len
    rows = []
    for _ in range(h):
        if itype == 2:
            row = data[pos:pos + 3 * w]
            pos += 3 * w
        else:
            row = bytearray()
            while len(row) < 3 * w:
                b = data[pos]
                pos += 1
                count = (b & 0x7F) + 1
                if b & 0x80:
                    row += data[pos:pos + 3] * count
                    pos += 3
                else:
                    row += data[pos:pos + 3 * count]
                    pos += 3 * count
            assert len(row) == 3 * w, "packet crosses a row"
        rows.append(np.frombuffer(bytes(row), dtype=np.uint8).reshape(w, 3)[:, ::-1])
    assert pos == len(data), "trailing bytes"
    img = np.stack(rows)
    return img if desc & 0x20 else img[::-1]
