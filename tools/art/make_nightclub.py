"""The nightclub's pictures and sound: three dim bar scenes (480x270 JPEGs, the size the nightclub
dialog shows them) and a short soft piano loop (a mono 16-bit WAV that loops without a seam).

    /usr/bin/python3 tools/art/make_nightclub.py [--png DIR]

Everything is drawn and synthesised here with fixed seeds; running it again gives the same files.
"""

from __future__ import annotations

import argparse
import struct
from pathlib import Path

import numpy as np
from PIL import Image

from artlib import FILES, blur, downsample, ellipse_sd, fractal_noise, gauss, grid, soft, to_u8

WIDTH, HEIGHT = 480, 270
SCALE = 2  # drawn at twice the size, then box-filtered: smooth edges
OUT = FILES / "Nightclub"


class Canvas:
    def __init__(self, seed: int):
        self.w, self.h = WIDTH * SCALE, HEIGHT * SCALE
        self.rng = np.random.default_rng(seed)
        self.x, self.y = grid(self.w, self.h)
        self.rgb = np.zeros((self.h, self.w, 3))
        self.light = np.zeros((self.h, self.w))  # warm light added at the end

    def fill(self, mask: np.ndarray, colour) -> None:
        c = np.array(colour, dtype=np.float64) / 255.0
        self.rgb = self.rgb * (1.0 - mask[..., None]) + c * mask[..., None]

    def rect(self, x0, y0, x1, y1, colour, shade=None) -> np.ndarray:
        s = SCALE
        d = np.maximum(np.maximum(x0 * s - self.x, self.x - x1 * s), np.maximum(y0 * s - self.y, self.y - y1 * s))
        mask = soft(d, 1.5)
        if shade is None:
            self.fill(mask, colour)
        else:
            # a vertical gradient inside the rectangle
            t = np.clip((self.y - y0 * s) / max(1.0, (y1 - y0) * s), 0.0, 1.0)[..., None]
            top = np.array(colour, dtype=np.float64) / 255.0
            bottom = np.array(shade, dtype=np.float64) / 255.0
            col = top * (1 - t) + bottom * t
            self.rgb = self.rgb * (1.0 - mask[..., None]) + col * mask[..., None]
        return mask

    def ellipse(self, cx, cy, rx, ry, colour, angle=0.0) -> np.ndarray:
        s = SCALE
        mask = soft(ellipse_sd(self.x, self.y, cx * s, cy * s, rx * s, ry * s, angle), 1.5)
        self.fill(mask, colour)
        return mask

    def glow(self, cx, cy, radius, strength) -> None:
        s = SCALE
        self.light += strength * gauss(self.x, self.y, cx * s, cy * s, radius * s, radius * s)

    def bottle(self, x, base, height, colour) -> None:
        w = height * 0.28
        self.rect(x - w / 2, base - height * 0.68, x + w / 2, base, colour)
        self.ellipse(x, base - height * 0.68, w / 2, w * 0.35, colour)
        self.rect(x - w * 0.16, base - height, x + w * 0.16, base - height * 0.66, colour)
        # a glint of the lamps on the glass
        self.rect(x - w * 0.32, base - height * 0.6, x - w * 0.2, base - height * 0.15,
                  tuple(min(255, int(c * 1.9) + 30) for c in colour))

    def figure(self, cx, base, height, colour, lean=0.0, hat=False) -> None:
        head = height * 0.13
        self.ellipse(cx + lean * height * 0.2, base - height + head, head * 0.8, head, colour)
        self.ellipse(cx + lean * height * 0.1, base - height * 0.5, height * 0.2, height * 0.38, colour, lean * 0.3)
        if hat:
            self.ellipse(cx + lean * height * 0.2, base - height + head * 0.35, head * 1.3, head * 0.25, colour)
            self.rect(cx + lean * height * 0.2 - head * 0.7, base - height - head * 0.35,
                      cx + lean * height * 0.2 + head * 0.7, base - height + head * 0.4, colour)

    def wall(self, dark, warm) -> None:
        n = fractal_noise(self.rng, self.w, self.h, 90.0, octaves=4)
        t = (self.y / self.h)[..., None]
        a = np.array(dark, dtype=np.float64) / 255.0
        b = np.array(warm, dtype=np.float64) / 255.0
        self.rgb = a * (1 - t) + b * t
        self.rgb *= (0.8 + 0.35 * n)[..., None]
        # panelling: soft vertical grooves
        grooves = 0.5 + 0.5 * np.cos(self.x / (34.0 * SCALE) * 2 * np.pi)
        self.rgb *= (0.92 + 0.08 * grooves)[..., None]

    def finish(self, haze: float) -> np.ndarray:
        warm = np.array([1.0, 0.72, 0.38])
        rgb = self.rgb * (0.55 + 1.2 * self.light[..., None]) + warm * 0.22 * self.light[..., None]
        # tobacco smoke drifting through the light
        smoke = fractal_noise(self.rng, self.w, self.h, 140.0, octaves=3)
        smoke = blur(smoke, 6.0)
        rgb += (haze * smoke * (0.25 + self.light))[..., None] * np.array([0.55, 0.5, 0.44])
        # darker corners
        vx = (self.x / self.w - 0.5) * 2
        vy = (self.y / self.h - 0.5) * 2
        rgb *= np.clip(1.0 - 0.35 * (vx * vx + vy * vy), 0.0, 1.0)[..., None]
        grain = self.rng.normal(0.0, 0.012, rgb.shape[:2])[..., None]
        return to_u8(np.clip(downsample(rgb + grain, SCALE), 0.0, 1.0))


def the_bar() -> np.ndarray:
    """The counter with the shelf of bottles, two lamps and a barman."""
    c = Canvas(1939)
    c.wall((38, 24, 16), (70, 44, 26))
    c.rect(40, 60, 440, 66, (52, 32, 18))    # upper shelf
    c.rect(40, 118, 440, 124, (52, 32, 18))  # lower shelf
    colours = [(60, 90, 50), (110, 60, 30), (90, 70, 40), (40, 60, 80), (120, 100, 60), (70, 30, 30)]
    for shelf in (60, 118):
        x = 52.0
        while x < 430:
            h = 30 + c.rng.random() * 18
            c.bottle(x, shelf, h, colours[int(c.rng.integers(len(colours)))])
            x += 16 + c.rng.random() * 14
    c.figure(300, 205, 150, (26, 18, 14))  # the barman behind the counter
    c.rect(300 - 16, 124, 300 + 16, 170, (150, 140, 124))  # his white jacket's front
    c.rect(0, 188, 480, 206, (96, 56, 30), (64, 36, 20))  # counter top
    c.rect(0, 206, 480, 270, (46, 28, 18), (24, 14, 10))  # counter front
    for x in (60, 150, 400):  # stools
        c.ellipse(x, 226, 24, 6, (60, 30, 24))
        c.rect(x - 3, 228, x + 3, 270, (30, 22, 18))
    for x in (120, 220, 350):  # glasses on the counter
        c.rect(x - 5, 176, x + 5, 190, (150, 130, 90))
    c.glow(120, 30, 70, 0.85)
    c.glow(360, 30, 70, 0.85)
    c.glow(240, 200, 160, 0.35)
    for x in (120, 360):
        c.ellipse(x, 22, 22, 10, (150, 110, 60))
    return c.finish(0.16)


def the_stage() -> np.ndarray:
    """A singer in the spotlight beside the piano, the band's corner in shadow."""
    c = Canvas(1940)
    c.wall((30, 18, 22), (56, 30, 30))
    # curtain folds behind the stage
    folds = 0.5 + 0.5 * np.cos(c.x / (22.0 * SCALE) * 2 * np.pi)
    curtain = (c.y < 180 * SCALE).astype(float)
    c.rgb = c.rgb * (1 - curtain[..., None]) + (curtain * (0.18 + 0.14 * folds))[..., None] * np.array(
        [1.0, 0.28, 0.25])
    c.rect(0, 180, 480, 196, (70, 44, 28), (50, 30, 18))  # the stage's edge
    c.rect(0, 196, 480, 270, (28, 18, 14), (14, 10, 8))
    # the piano: body, lid and legs
    c.rect(40, 120, 190, 178, (14, 10, 10))
    c.rect(40, 104, 160, 122, (14, 10, 10))
    c.rect(60, 176, 68, 196, (14, 10, 10))
    c.rect(170, 176, 178, 196, (14, 10, 10))
    c.rect(50, 124, 180, 130, (200, 196, 180))  # the keys
    c.figure(120, 196, 120, (20, 14, 14), lean=0.15)  # the pianist
    c.figure(320, 190, 150, (30, 16, 20))  # the singer
    c.ellipse(320, 150, 17, 38, (110, 24, 36))  # her dress in the light
    c.rect(352, 70, 355, 190, (20, 20, 20))  # microphone stand
    c.ellipse(353, 68, 5, 8, (60, 60, 60))
    c.glow(320, 110, 60, 1.1)
    c.glow(120, 120, 90, 0.25)
    for x in (40, 130, 230, 330, 430):  # heads of the audience
        c.ellipse(x + c.rng.random() * 30, 262, 18, 22, (10, 8, 8))
    return c.finish(0.22)


def the_tables() -> np.ndarray:
    """Small tables with candles; a few officers and a waitress; a picture on the wall."""
    c = Canvas(1941)
    c.wall((34, 26, 18), (64, 46, 30))
    c.rect(200, 30, 280, 90, (90, 70, 44))  # a framed picture: a ship at sea
    c.rect(206, 36, 274, 84, (60, 76, 88), (40, 52, 60))
    c.rect(220, 64, 262, 70, (30, 30, 34))
    c.rect(236, 54, 244, 64, (30, 30, 34))
    c.rect(0, 150, 480, 270, (40, 26, 16), (20, 12, 8))  # the floor
    tables = [(90, 200), (250, 215), (400, 196)]
    for i, (x, y) in enumerate(tables):
        c.figure(x - 42, y + 30, 110, (22, 18, 16), lean=0.25, hat=(i != 1))
        c.figure(x + 44, y + 30, 104, (24, 18, 16), lean=-0.2, hat=(i == 2))
        c.ellipse(x, y, 48, 12, (110, 70, 40))  # table top
        c.rect(x - 4, y, x + 4, y + 60, (30, 20, 14))
        c.rect(x - 2, y - 22, x + 2, y - 8, (220, 210, 180))  # candle
        c.ellipse(x, y - 25, 2.5, 4.5, (255, 220, 140))
        c.glow(x, y - 20, 42, 0.9)
    c.figure(320, 250, 150, (28, 20, 18), lean=-0.1)  # the waitress with her tray
    c.ellipse(296, 150, 24, 4, (150, 140, 120))
    c.glow(240, 0, 120, 0.3)
    return c.finish(0.2)


# --- The sound ------------------------------------------------------------------------------------

RATE = 11025
BEATS_PER_SECOND = 1.5
BEATS = 8  # four chords of two beats: a little over five seconds


def note_frequency(midi: int) -> float:
    return 440.0 * 2 ** ((midi - 69) / 12)


def piano_note(midi: int, seconds: float, velocity: float) -> np.ndarray:
    """A soft struck string: a few slightly stretched partials, the higher ones dying sooner."""
    t = np.arange(int(seconds * RATE)) / RATE
    f = note_frequency(midi)
    out = np.zeros_like(t)
    for k in range(1, 8):
        fk = f * k * (1 + 0.0004 * k * k)
        if fk > RATE * 0.45:
            break
        out += np.sin(2 * np.pi * fk * t) * np.exp(-t * (1.1 + 0.9 * k)) / (k ** 1.3)
    attack = np.clip(t / 0.006, 0.0, 1.0)
    release = np.clip((seconds - t) / 0.15, 0.0, 1.0)
    return velocity * out * attack * release


def piano_loop() -> np.ndarray:
    length = int(BEATS / BEATS_PER_SECOND * RATE)
    buf = np.zeros(length)

    def play(beat: float, midi: int, beats: float, velocity: float) -> None:
        n = piano_note(midi, beats / BEATS_PER_SECOND + 0.8, velocity)
        start = int(beat / BEATS_PER_SECOND * RATE)
        idx = (start + np.arange(len(n))) % length  # the tail wraps round: no seam when looping
        np.add.at(buf, idx, n)

    # A slow ii-V-I-VI in F: Gm7, C7, Fmaj7, D7; the bass on the first beat, the chord on the second.
    chords = [(43, [58, 62, 65]), (48, [58, 64, 67]), (41, [57, 60, 64]), (50, [57, 60, 66])]
    for bar, (bass, chord) in enumerate(chords):
        b0 = bar * 2
        play(b0, bass, 2, 0.5)
        for i, m in enumerate(chord):
            play(b0 + 1 + i * 0.04, m, 1, 0.2)
    melody = [(0, 74, 1), (1, 72, 0.5), (1.5, 70, 0.5), (2, 72, 1), (3, 76, 1), (4, 77, 1.5), (5.5, 76, 0.5),
              (6, 74, 1), (7, 69, 1)]
    for beat, m, beats in melody:
        play(beat, m, beats, 0.28)
    buf /= np.max(np.abs(buf)) / 0.45  # quiet: it plays under the talk
    return buf


def write_wav(path: Path, samples: np.ndarray) -> None:
    pcm = np.round(np.clip(samples, -1.0, 1.0) * 32767).astype("<i2").tobytes()
    header = b"RIFF" + struct.pack("<I", 36 + len(pcm)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(pcm))
    path.write_bytes(header + pcm)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--png", type=Path, help="also write PNG copies here")
    args = parser.parse_args()
    OUT.mkdir(parents=True, exist_ok=True)
    for name, draw in (("Bar", the_bar), ("Stage", the_stage), ("Tables", the_tables)):
        image = Image.fromarray(draw(), "RGB")
        image.save(OUT / f"{name}.jpg", quality=82, optimize=True)
        if args.png:
            args.png.mkdir(parents=True, exist_ok=True)
            image.save(args.png / f"{name}.png")
    write_wav(OUT / "Piano.wav", piano_loop())


if __name__ == "__main__":
    main()
