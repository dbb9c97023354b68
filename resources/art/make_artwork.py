#!/usr/bin/env python3
"""Draws the wizard's page artwork and writes it as 8-bit palette BMP files.

    make_artwork.py <output folder>

Writes art2826.bmp ... art2833.bmp, and each picture again in the larger
sizes of SIZES for screens of more dots per inch, numbered 100 further on per
size (art2926.bmp, art3026.bmp, ...). Every picture uses the same 256-colour
table, so the palette the wizard builds from one of them (2833) shows all of
them correctly on a palette display. Standard library only; the output is the
same on every run, so the committed files can be checked against this script.

Shapes are drawn from signed distance functions: a pixel's coverage is taken
from its distance to the shape's edge, which gives smooth edges without
supersampling.
"""
import math
import os
import struct
import sys

# The art frame of the page templates (96 x 160 dialog units) in pixels, with
# the dialog font's metrics under Wine; the picture is drawn 1:1 there.
W, H = 168, 260

# The frame at 96, 120, 144 and 192 dots per inch (100, 125, 150, 200 per
# cent): the dialog font does not grow in step with the dots, so these are the
# frame's sizes as measured, not W and H times the factor. The page draws the
# largest that fits its frame. The n-th size's pictures are numbered
# ID_STEP * n after the first size's.
SIZES = [(168, 260), (192, 300), (240, 380), (312, 480)]
ID_STEP = 100


# ---------------------------------------------------------------- colours

def rgb(hexcode):
    return tuple(int(hexcode[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def solid(colour):
    return lambda x, y: colour


def linear(x0, y0, x1, y1, c0, c1):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1.0

    def paint(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / length2
        return mix(c0, c1, min(1.0, max(0.0, t)))
    return paint


def radial(cx, cy, r, c0, c1):
    def paint(x, y):
        t = math.sqrt((x - cx) ** 2 + (y - cy) ** 2) / r
        return mix(c0, c1, min(1.0, t))
    return paint


# ---------------------------------------------------------------- shapes

class Shape:
    """A signed distance function (negative inside) and a bounding box."""

    def __init__(self, sdf, box):
        self.sdf = sdf
        self.box = box


def rect(x0, y0, x1, y1, r=0.0):
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def sdf(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        outside = math.sqrt(max(qx, 0.0) ** 2 + max(qy, 0.0) ** 2)
        return outside + min(max(qx, qy), 0.0) - r
    return Shape(sdf, (x0, y0, x1, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.sqrt((x - cx) ** 2 + (y - cy) ** 2) - r,
                 (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    m = min(rx, ry)

    def sdf(x, y):
        return (math.sqrt(((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2) - 1.0) * m
    return Shape(sdf, (cx - rx, cy - ry, cx + rx, cy + ry))


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    px, py = ax + dx * t - x, ay + dy * t - y
    return math.sqrt(px * px + py * py)


def segment(ax, ay, bx, by, width):
    half = width / 2.0
    return Shape(lambda x, y: _segment_distance(x, y, ax, ay, bx, by) - half,
                 (min(ax, bx) - half, min(ay, by) - half, max(ax, bx) + half, max(ay, by) + half))


def polyline(points, width):
    half = width / 2.0
    pairs = list(zip(points, points[1:]))

    def sdf(x, y):
        return min(_segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in pairs) - half
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(sdf, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half))


def polygon(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def sdf(x, y):
        d = min(_segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in edges)
        inside = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -d if inside else d
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(sdf, (min(xs), min(ys), max(xs), max(ys)))


def bezier(p0, p1, p2, p3, steps=24):
    points = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        points.append((u ** 3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t ** 3 * p3[0],
                       u ** 3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t ** 3 * p3[1]))
    return points


def outline(shape, width):
    half = width / 2.0
    x0, y0, x1, y1 = shape.box
    return Shape(lambda x, y: abs(shape.sdf(x, y)) - half, (x0 - half, y0 - half, x1 + half, y1 + half))


def intersect(a, b):
    return Shape(lambda x, y: max(a.sdf(x, y), b.sdf(x, y)),
                 (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]),
                  min(a.box[2], b.box[2]), min(a.box[3], b.box[3])))


def subtract(a, b):
    return Shape(lambda x, y: max(a.sdf(x, y), -b.sdf(x, y)), a.box)


def moved(shape, dx, dy):
    x0, y0, x1, y1 = shape.box
    return Shape(lambda x, y: shape.sdf(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


# ---------------------------------------------------------------- canvas

class Canvas:
    """Pixels of width x height; shapes are given in the units of a W x H
    picture, scaled to fit and centred, so every size shows the same scene."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[0.0, 0.0, 0.0] for _ in range(width * height)]
        self.dx = 0.0  # moves what is drawn to the right
        self.scale = min(width / W, height / H)
        self.ox = (width - W * self.scale) / 2.0
        self.oy = (height - H * self.scale) / 2.0
        # the whole canvas in picture units, for what fills it
        self.bounds = (-self.ox / self.scale, -self.oy / self.scale,
                       (width - self.ox) / self.scale, (height - self.oy) / self.scale)


    def draw(self, shape, paint, opacity=1.0, soft=1.0):
        """Blends paint over the shape; soft widens the edge (shadows, glows)."""
        if isinstance(paint, tuple):
            paint = solid(paint)
        dx, s, ox, oy = self.dx, self.scale, self.ox, self.oy
        # A hard edge stays one pixel wide at every size; soft ones grow.
        edge = soft * s if soft > 1.0 else soft
        x0, y0, x1, y1 = shape.box
        x0, x1 = (x0 + dx) * s + ox, (x1 + dx) * s + ox
        y0, y1 = y0 * s + oy, y1 * s + oy
        x0 = max(0, int(math.floor(x0 - edge)))
        y0 = max(0, int(math.floor(y0 - edge)))
        x1 = min(self.width, int(math.ceil(x1 + edge)) + 1)
        y1 = min(self.height, int(math.ceil(y1 + edge)) + 1)
        for y in range(y0, y1):
            row = y * self.width
            for x in range(x0, x1):
                cx, cy = (x + 0.5 - ox) / s - dx, (y + 0.5 - oy) / s
                cover = 0.5 - shape.sdf(cx, cy) * s / edge
                if cover <= 0.0:
                    continue
                alpha = (1.0 if cover >= 1.0 else cover) * opacity
                colour = paint(cx, cy)
                p = self.pixels[row + x]
                p[0] += (colour[0] - p[0]) * alpha
                p[1] += (colour[1] - p[1]) * alpha
                p[2] += (colour[2] - p[2]) * alpha

    def rgb24(self):
        return [tuple(min(255, max(0, int(c * 255.0 + 0.5))) for c in p) for p in self.pixels]


# ---------------------------------------------------------------- palette

NAVY = rgb('#0c2f6b')
SKY = rgb('#4b92d8')
GLOW = rgb('#bfe0ff')
WHITE = rgb('#ffffff')
PAPER = rgb('#fbfcfe')
LINE = rgb('#aab4c3')
BODY_LIGHT = rgb('#f1f3f6')
BODY_DARK = rgb('#c3c9d2')
EDGE = rgb('#5d6673')
DARK = rgb('#2b313a')
SCREEN = rgb('#27a69a')
SCREEN_LIGHT = rgb('#8fe3d6')
GREEN = rgb('#2fa84f')
GREEN_LIGHT = rgb('#7fdc8f')
ORANGE = rgb('#f29a2e')
BLUE = rgb('#1f6fd1')
SHADOW = rgb('#061733')


def background(cv):
    left, top, right, bottom = cv.bounds
    cv.draw(rect(left, top, right, bottom), linear(0, top, 0, bottom, NAVY, SKY))
    cv.draw(circle(W * 0.5, H * 0.56, 96), radial(W * 0.5, H * 0.56, 96, GLOW, SKY), opacity=0.45, soft=40)
    # faint rings, like a signal spreading along the line
    for r in (150, 175, 200):
        cv.draw(outline(circle(-20, -10, r), 1.2), WHITE, opacity=0.08)
    cv.draw(rect(left, bottom - 6, right, bottom), rgb('#e8f2fc'), opacity=0.25)
    # the pictures below are laid out on a 144-pixel-wide stage, centred here
    cv.dx = (W - 144) / 2.0


def shadow(cv, cx, cy, rx, ry):
    cv.draw(ellipse(cx, cy, rx, ry), SHADOW, opacity=0.35, soft=7)


def sheet(cv, x0, y0, x1, y1, lines=True, header=None):
    cv.draw(moved(rect(x0, y0, x1, y1, 1.5), 1.5, 2), SHADOW, opacity=0.25, soft=3)
    cv.draw(rect(x0, y0, x1, y1, 1.5), PAPER)
    cv.draw(outline(rect(x0, y0, x1, y1, 1.5), 0.8), LINE)
    top = y0 + 5
    if header:
        cv.draw(rect(x0 + 3, y0 + 3, x1 - 3, y0 + 9), header)
        top = y0 + 13
    if lines:
        y = top
        n = 0
        while y < y1 - 4:
            right = x1 - 5 - (n % 3) * 5
            cv.draw(segment(x0 + 5, y, right, y, 1.3), LINE)
            y += 4.5
            n += 1


def fax_printer(cv, cx, cy, s=1.0, out_sheet=True):
    """A fax printer seen slightly from above; (cx, cy) is the centre of its front."""
    w, h = 100 * s, 44 * s
    x0, x1 = cx - w / 2, cx + w / 2
    y0, y1 = cy - h / 2, cy + h / 2
    shadow(cv, cx, y1 + 4 * s, w * 0.58, 7 * s)
    # paper in the feeder at the back
    cv.draw(polygon([(cx - 24 * s, y0 - 18 * s), (cx + 20 * s, y0 - 26 * s),
                     (cx + 26 * s, y0 - 6 * s), (cx - 20 * s, y0 - 2 * s)]), PAPER)
    cv.draw(outline(polygon([(cx - 24 * s, y0 - 18 * s), (cx + 20 * s, y0 - 26 * s),
                             (cx + 26 * s, y0 - 6 * s), (cx - 20 * s, y0 - 2 * s)]), 0.8), LINE)
    for i in range(3):
        yy = y0 - 17 * s + i * 4 * s
        cv.draw(segment(cx - 18 * s, yy, cx + 14 * s, yy - 6 * s, 1.1 * s), LINE)
    # top face
    top = polygon([(x0 + 8 * s, y0 - 12 * s), (x1 - 8 * s, y0 - 12 * s), (x1, y0 + 1), (x0, y0 + 1)])
    cv.draw(top, linear(0, y0 - 12 * s, 0, y0, rgb('#dde2e9'), BODY_LIGHT))
    cv.draw(outline(top, 0.9), EDGE)
    # handset on the left of the top face
    cv.draw(segment(x0 + 14 * s, y0 - 5 * s, x0 + 36 * s, y0 - 5 * s, 6 * s), DARK)
    cv.draw(circle(x0 + 13 * s, y0 - 5 * s, 4.5 * s), DARK)
    cv.draw(circle(x0 + 37 * s, y0 - 5 * s, 4.5 * s), DARK)
    cv.draw(segment(x0 + 16 * s, y0 - 7 * s, x0 + 34 * s, y0 - 7 * s, 1.2 * s), rgb('#5a6472'))
    # keypad on the right of the top face
    for row in range(2):
        for col in range(4):
            kx = x1 - 38 * s + col * 7 * s + row * 1.5 * s
            ky = y0 - 8 * s + row * 4.5 * s
            cv.draw(rect(kx, ky, kx + 5 * s, ky + 3 * s, 1), rgb('#9aa3b0'))
    # front body
    body = rect(x0, y0, x1, y1, 4 * s)
    cv.draw(body, linear(0, y0, 0, y1, BODY_LIGHT, BODY_DARK))
    cv.draw(outline(body, 1.0), EDGE)
    # display and status light
    cv.draw(rect(x0 + 8 * s, y0 + 7 * s, x0 + 38 * s, y0 + 17 * s, 2), linear(0, y0 + 7 * s, 0, y0 + 17 * s,
                                                                          SCREEN_LIGHT, SCREEN))
    cv.draw(outline(rect(x0 + 8 * s, y0 + 7 * s, x0 + 38 * s, y0 + 17 * s, 2), 0.8), rgb('#1d6f67'))
    cv.draw(segment(x0 + 12 * s, y0 + 12 * s, x0 + 28 * s, y0 + 12 * s, 1.4 * s), rgb('#eafffb'), opacity=0.8)
    cv.draw(circle(x0 + 46 * s, y0 + 12 * s, 2.6 * s), GREEN_LIGHT)
    cv.draw(circle(x0 + 46 * s, y0 + 12 * s, 4.5 * s), GREEN_LIGHT, opacity=0.3, soft=3)
    for i in range(3):
        bx = x1 - 34 * s + i * 10 * s
        cv.draw(rect(bx, y0 + 8 * s, bx + 7 * s, y0 + 15 * s, 2), rgb('#aeb6c2'))
        cv.draw(outline(rect(bx, y0 + 8 * s, bx + 7 * s, y0 + 15 * s, 2), 0.7), EDGE)
    # output slot and the fax coming out of it
    cv.draw(rect(x0 + 12 * s, y1 - 14 * s, x1 - 12 * s, y1 - 10 * s, 1.5), DARK)
    if out_sheet:
        sx0, sx1 = cx - 30 * s, cx + 30 * s
        cv.draw(polygon([(sx0, y1 - 12 * s), (sx1, y1 - 12 * s), (sx1 + 6 * s, y1 + 10 * s),
                         (sx0 - 6 * s, y1 + 10 * s)]), PAPER)
        cv.draw(outline(polygon([(sx0, y1 - 12 * s), (sx1, y1 - 12 * s), (sx1 + 6 * s, y1 + 10 * s),
                                 (sx0 - 6 * s, y1 + 10 * s)]), 0.8), LINE)
        for i in range(3):
            yy = y1 - 5 * s + i * 4.5 * s
            cv.draw(segment(sx0 + 4 * s - i * s, yy, sx1 - 10 * s, yy, 1.2 * s), LINE)


def wall_jack(cv, cx, cy, s=1.0):
    cv.draw(moved(rect(cx - 13 * s, cy - 16 * s, cx + 13 * s, cy + 16 * s, 4 * s), 1.5, 2), SHADOW,
            opacity=0.3, soft=3)
    cv.draw(rect(cx - 13 * s, cy - 16 * s, cx + 13 * s, cy + 16 * s, 4 * s),
            linear(0, cy - 16 * s, 0, cy + 16 * s, WHITE, BODY_DARK))
    cv.draw(outline(rect(cx - 13 * s, cy - 16 * s, cx + 13 * s, cy + 16 * s, 4 * s), 0.9), EDGE)
    cv.draw(rect(cx - 6 * s, cy - 4 * s, cx + 6 * s, cy + 6 * s, 1.5), DARK)
    cv.draw(rect(cx - 3 * s, cy + 4 * s, cx + 3 * s, cy + 8 * s, 1), DARK)
    cv.draw(circle(cx, cy - 11 * s, 1.4 * s), EDGE)
    cv.draw(circle(cx, cy + 12 * s, 1.4 * s), EDGE)


def cable(cv, points, colour=DARK, width=2.6):
    cv.draw(polyline(points, width + 1.6), WHITE, opacity=0.35)
    cv.draw(polyline(points, width), colour)


def telephone(cv, cx, cy, s=1.0):
    shadow(cv, cx, cy + 24 * s, 38 * s, 6 * s)
    base = polygon([(cx - 30 * s, cy + 24 * s), (cx + 30 * s, cy + 24 * s),
                    (cx + 22 * s, cy - 6 * s), (cx - 22 * s, cy - 6 * s)])
    cv.draw(base, linear(0, cy - 6 * s, 0, cy + 24 * s, rgb('#f48b7c'), rgb('#c9453a')))
    cv.draw(outline(base, 1.0), rgb('#7d2219'))
    for row in range(3):
        for col in range(3):
            kx = cx - 10 * s + col * 7 * s
            ky = cy + 2 * s + row * 6 * s
            cv.draw(rect(kx - 2.5 * s, ky - 2 * s, kx + 2.5 * s, ky + 2 * s, 1), rgb('#fff1ee'))
    # handset resting on top
    handset = polyline(bezier((cx - 30 * s, cy - 10 * s), (cx - 18 * s, cy - 22 * s),
                              (cx + 18 * s, cy - 22 * s), (cx + 30 * s, cy - 10 * s)), 8 * s)
    cv.draw(moved(handset, 1, 2), SHADOW, opacity=0.3, soft=2)
    cv.draw(handset, rgb('#d9554a'))
    cv.draw(ellipse(cx - 30 * s, cy - 9 * s, 8 * s, 5 * s), rgb('#c9453a'))
    cv.draw(ellipse(cx + 30 * s, cy - 9 * s, 8 * s, 5 * s), rgb('#c9453a'))
    cv.draw(polyline(bezier((cx - 20 * s, cy - 18 * s), (cx - 8 * s, cy - 23 * s),
                            (cx + 8 * s, cy - 23 * s), (cx + 20 * s, cy - 18 * s)), 1.5 * s), rgb('#f7a79c'))


def waves(cv, cx, cy, r0, count, colour=WHITE):
    for i in range(count):
        r = r0 + i * 7
        ring = outline(circle(cx, cy, r), 2.0)
        cv.draw(intersect(ring, rect(cx + r * 0.35, cy - r, cx + r + 2, cy + r)), colour, opacity=0.85 - i * 0.2)


def check_badge(cv, cx, cy, r):
    cv.draw(circle(cx + 1, cy + 2, r), SHADOW, opacity=0.3, soft=3)
    cv.draw(circle(cx, cy, r), linear(0, cy - r, 0, cy + r, GREEN_LIGHT, GREEN))
    cv.draw(outline(circle(cx, cy, r), 1.0), rgb('#1d6b33'))
    cv.draw(polyline([(cx - r * 0.45, cy + r * 0.02), (cx - r * 0.1, cy + r * 0.38),
                      (cx + r * 0.5, cy - r * 0.35)], r * 0.22), WHITE)


def person(cv, cx, cy, s=1.0, colour=BLUE):
    cv.draw(circle(cx, cy - 7 * s, 6 * s), colour)
    cv.draw(intersect(ellipse(cx, cy + 12 * s, 12 * s, 11 * s), rect(cx - 13 * s, cy, cx + 13 * s, cy + 10 * s)),
            colour)


def monitor(cv, cx, cy, s=1.0):
    shadow(cv, cx, cy + 34 * s, 30 * s, 5 * s)
    cv.draw(polygon([(cx - 8 * s, cy + 22 * s), (cx + 8 * s, cy + 22 * s), (cx + 12 * s, cy + 33 * s),
                     (cx - 12 * s, cy + 33 * s)]), BODY_DARK)
    cv.draw(rect(cx - 18 * s, cy + 31 * s, cx + 18 * s, cy + 35 * s, 2), BODY_DARK)
    frame = rect(cx - 36 * s, cy - 26 * s, cx + 36 * s, cy + 24 * s, 4 * s)
    cv.draw(frame, linear(0, cy - 26 * s, 0, cy + 24 * s, rgb('#4a5260'), DARK))
    screen = rect(cx - 31 * s, cy - 21 * s, cx + 31 * s, cy + 17 * s, 2)
    cv.draw(screen, linear(0, cy - 21 * s, 0, cy + 17 * s, rgb('#7cc0ff'), BLUE))
    cv.draw(polygon([(cx - 31 * s, cy - 21 * s), (cx + 6 * s, cy - 21 * s), (cx - 31 * s, cy + 4 * s)]), WHITE,
            opacity=0.15)
    for i in range(3):
        yy = cy - 12 * s + i * 7 * s
        cv.draw(segment(cx - 24 * s, yy, cx + (8 - i * 6) * s, yy, 2 * s), WHITE, opacity=0.8)


def modem(cv, cx, cy, s=1.0):
    shadow(cv, cx, cy + 8 * s, 30 * s, 4 * s)
    box = rect(cx - 26 * s, cy - 7 * s, cx + 26 * s, cy + 7 * s, 3 * s)
    cv.draw(box, linear(0, cy - 7 * s, 0, cy + 7 * s, rgb('#5b6472'), DARK))
    cv.draw(outline(box, 0.8), rgb('#161a20'))
    for i, colour in enumerate((GREEN_LIGHT, GREEN_LIGHT, ORANGE, GREEN_LIGHT)):
        cv.draw(circle(cx - 16 * s + i * 8 * s, cy, 1.8 * s), colour)
        cv.draw(circle(cx - 16 * s + i * 8 * s, cy, 3.5 * s), colour, opacity=0.3, soft=2)


def gear(cv, cx, cy, r, teeth=9, colour=BODY_LIGHT):
    points = []
    for i in range(teeth * 4):
        a = 2 * math.pi * i / (teeth * 4)
        rr = r if (i % 4) in (0, 1) else r * 0.78
        points.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    body = subtract(polygon(points), circle(cx, cy, r * 0.32))
    cv.draw(moved(body, 1.5, 2.5), SHADOW, opacity=0.3, soft=3)
    cv.draw(body, linear(cx, cy - r, cx, cy + r, WHITE, BODY_DARK))
    cv.draw(outline(body, 0.9), EDGE)


def slider(cv, x0, x1, y, knob):
    cv.draw(segment(x0, y, x1, y, 3), rgb('#0b2556'), opacity=0.6)
    cv.draw(segment(x0, y, knob, y, 3), SCREEN_LIGHT)
    cv.draw(circle(knob, y, 5), WHITE)
    cv.draw(outline(circle(knob, y, 5), 0.8), EDGE)


# ---------------------------------------------------------------- the pictures

def art_summary(cv):  # 2826: the summary page
    background(cv)
    cx, top = 72, 62
    shadow(cv, cx, 214, 46, 7)
    board = rect(cx - 40, top, cx + 40, 208, 5)
    cv.draw(board, linear(0, top, 0, 208, rgb('#c98b4d'), rgb('#9c6330')))
    cv.draw(outline(board, 1.0), rgb('#5f3a17'))
    cv.draw(rect(cx - 33, top + 10, cx + 33, 200, 1.5), PAPER)
    cv.draw(outline(rect(cx - 33, top + 10, cx + 33, 200, 1.5), 0.8), LINE)
    cv.draw(rect(cx - 16, top - 6, cx + 16, top + 10, 3), linear(0, top - 6, 0, top + 10, rgb('#d5dae1'),
                                                                 rgb('#8b94a1')))
    cv.draw(outline(rect(cx - 16, top - 6, cx + 16, top + 10, 3), 0.8), EDGE)
    for i in range(5):
        y = top + 28 + i * 24
        cv.draw(polyline([(cx - 25, y), (cx - 21, y + 4), (cx - 14, y - 5)], 2.6), GREEN)
        cv.draw(segment(cx - 6, y - 2, cx + 24 - (i % 2) * 10, y - 2, 1.6), LINE)
        cv.draw(segment(cx - 6, y + 3, cx + 16 - (i % 3) * 5, y + 3, 1.6), LINE)
    check_badge(cv, cx + 34, 196, 15)


def art_identity(cv):  # 2827: name and company
    background(cv)
    sheet(cv, 30, 58, 118, 178, header=BLUE)
    card = rect(18, 126, 112, 186, 5)
    cv.draw(moved(card, 2, 3), SHADOW, opacity=0.3, soft=4)
    cv.draw(card, linear(0, 126, 0, 186, WHITE, rgb('#e4ebf4')))
    cv.draw(outline(card, 0.9), EDGE)
    cv.draw(rect(18, 126, 112, 136, 5), BLUE)
    cv.draw(rect(18, 131, 112, 136), BLUE)
    cv.draw(circle(42, 157, 15), rgb('#dbe8f7'))
    person(cv, 42, 160, 1.0)
    cv.draw(segment(64, 152, 102, 152, 2.4), DARK)
    cv.draw(segment(64, 161, 96, 161, 1.6), LINE)
    cv.draw(segment(64, 169, 90, 169, 1.6), LINE)
    shadow(cv, 68, 206, 44, 5)


def art_line(cv):  # 2828: the telephone line questions
    background(cv)
    wall_jack(cv, 36, 62, 1.0)
    cable(cv, bezier((36, 70), (40, 120), (110, 100), (104, 148)))
    fax_printer(cv, 72, 186, 0.95)


def art_fax_number(cv):  # 2829: fax number
    background(cv)
    sheet(cv, 24, 44, 112, 164, header=BLUE)
    for i in range(6):  # the number in the header
        x = 30 + i * 9
        cv.draw(rect(x, 48, x + 6, 51), WHITE)
    pad = rect(50, 120, 126, 218, 7)
    shadow(cv, 88, 222, 40, 5)
    cv.draw(pad, linear(0, 120, 0, 218, rgb('#e9edf2'), BODY_DARK))
    cv.draw(outline(pad, 1.0), EDGE)
    cv.draw(rect(57, 127, 119, 143, 2), linear(0, 127, 0, 143, SCREEN_LIGHT, SCREEN))
    for i in range(5):
        cv.draw(rect(61 + i * 11, 132, 68 + i * 11, 138, 1), rgb('#0f4f49'))
    for row in range(4):
        for col in range(3):
            kx, ky = 59 + col * 21, 150 + row * 16
            key = rect(kx, ky, kx + 16, ky + 11, 3)
            cv.draw(key, linear(0, ky, 0, ky + 11, WHITE, rgb('#cdd4de')))
            cv.draw(outline(key, 0.8), EDGE)
            cv.draw(circle(kx + 8, ky + 5.5, 1.6), DARK)


def art_voice(cv):  # 2830: voice number and answering machine
    background(cv)
    telephone(cv, 66, 160, 1.25)
    waves(cv, 100, 116, 10, 3)


def art_modem(cv):  # 2831: PC modem
    background(cv)
    wall_jack(cv, 112, 52, 0.8)
    monitor(cv, 66, 120, 1.05)
    modem(cv, 70, 196, 1.0)
    cable(cv, bezier((112, 58), (120, 120), (118, 190), (96, 196)))


def art_settings(cv):  # 2832: device settings
    background(cv)
    gear(cv, 62, 100, 38)
    gear(cv, 104, 150, 22, teeth=7)
    for i, knob in enumerate((60, 92, 44)):
        slider(cv, 24, 120, 194 + i * 18, knob)


def art_welcome(cv):  # 2833: welcome and finish; its palette is the wizard's
    background(cv)
    cv.draw(circle(72, 150, 64), GLOW, opacity=0.25, soft=30)
    waves(cv, 30, 70, 8, 3)
    fax_printer(cv, 72, 160, 1.2)


PICTURES = {
    2826: art_summary,
    2827: art_identity,
    2828: art_line,
    2829: art_fax_number,
    2830: art_voice,
    2831: art_modem,
    2832: art_settings,
    2833: art_welcome,
}


# ---------------------------------------------------------------- quantising and writing

def median_cut(histogram, count):
    """Splits the colour space into count boxes; each box's weighted mean is an entry."""
    boxes = [sorted(histogram.items())]

    def score(box):
        if len(box) < 2:
            return -1
        spread = max(max(c[0][i] for c in box) - min(c[0][i] for c in box) for i in range(3))
        return spread * sum(n for _, n in box)

    while len(boxes) < count:
        best = max(range(len(boxes)), key=lambda i: score(boxes[i]))
        box = boxes[best]
        if score(box) <= 0:
            break
        channel = max(range(3), key=lambda i: max(c[0][i] for c in box) - min(c[0][i] for c in box))
        box.sort(key=lambda c: (c[0][channel], c[0]))
        total = sum(n for _, n in box)
        running, cut = 0, 1
        for i, (_, n) in enumerate(box):
            running += n
            if running * 2 >= total:
                cut = max(1, min(len(box) - 1, i + 1))
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(sum(c[i] * n for c, n in box) / total + 0.5) for i in range(3)))
    return palette


def build_palette(images):
    histogram = {}
    for pixels in images:
        for p in pixels:
            histogram[p] = histogram.get(p, 0) + 1
    fixed = [(0, 0, 0), (255, 255, 255)]
    for c in fixed:
        histogram.pop(c, None)
    palette = fixed + median_cut(histogram, 256 - len(fixed))
    palette = sorted(set(palette), key=lambda c: (c[0] + c[1] + c[2], c))
    while len(palette) < 256:
        palette.append((0, 0, 0))
    return palette


def map_to_palette(pixels, palette):
    cache = {}
    out = bytearray(len(pixels))
    for i, p in enumerate(pixels):
        index = cache.get(p)
        if index is None:
            index = min(range(len(palette)),
                        key=lambda k: (palette[k][0] - p[0]) ** 2 * 3 + (palette[k][1] - p[1]) ** 2 * 4
                        + (palette[k][2] - p[2]) ** 2 * 2)
            cache[p] = index
        out[i] = index
    return out


def write_bmp(path, width, height, indices, palette):
    stride = (width + 3) & ~3
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytes(indices[y * width:(y + 1) * width])
        rows.append(row + b'\0' * (stride - width))
    bits = b''.join(rows)
    offset = 14 + 40 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(bits), 3780, 3780, 256, 256)
    with open(path, 'wb') as f:
        f.write(header + info + table + bits)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: make_artwork.py <output folder>\n')
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    images = {}
    for n, (width, height) in enumerate(SIZES):
        for number, draw in PICTURES.items():
            cv = Canvas(width, height)
            draw(cv)
            images[number + ID_STEP * n] = (width, height, cv.rgb24())
    # The colour table comes from the first size alone: the larger ones are
    # the same scenes, and its pictures stay as they were.
    palette = build_palette(pixels for number, (_, _, pixels) in images.items() if number in PICTURES)
    for number, (width, height, pixels) in sorted(images.items()):
        write_bmp(os.path.join(folder, 'art%d.bmp' % number), width, height,
                  map_to_palette(pixels, palette), palette)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
