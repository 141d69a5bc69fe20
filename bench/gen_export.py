#!/usr/bin/env python3
"""Writes a synthetic Poser "each body part as a group" .OBJ export, from a few KB to many GB.

Every figure carries all 54 human body parts, each as its own group ("g lThigh:2") with a
material, vertices, texture coordinates and faces; props follow as groups of their own
("g Box_1:3"). The output depends only on the options, and it is streamed, one figure at a time.
"""

import argparse
import math
import os
import random
import re
import sys

# The human parts in the order figures are written, with the material each wears, a rough place
# on a figure about 0.7 units tall (x, y, z), its half size, and a relative vertex budget.
PARTS = [
    # name       material      centre                 half size            weight
    ("abdomen", "SkinTorso", (0.000, 0.400, 0.000), (0.060, 0.040, 0.040), 8),
    ("chest", "SkinTorso", (0.000, 0.480, 0.000), (0.075, 0.060, 0.050), 12),
    ("genital", "SkinTorso", (0.000, 0.330, 0.030), (0.015, 0.015, 0.010), 1),
    ("head", "SkinHead", (0.000, 0.640, 0.005), (0.050, 0.060, 0.055), 16),
    ("hip", "SkinTorso", (0.000, 0.350, 0.000), (0.070, 0.040, 0.045), 8),
    ("lCollar", "SkinTorso", (0.035, 0.540, 0.000), (0.030, 0.012, 0.015), 3),
    ("leftEye", "EyeBall", (0.015, 0.650, 0.045), (0.006, 0.006, 0.006), 2),
    ("lFoot", "SkinFeet", (0.045, 0.015, 0.020), (0.020, 0.015, 0.045), 4),
    ("lForeArm", "SkinArms", (0.200, 0.530, 0.000), (0.055, 0.015, 0.015), 5),
    ("lHand", "SkinHands", (0.275, 0.530, 0.000), (0.025, 0.008, 0.018), 6),
    ("lIndex1", "SkinHands", (0.305, 0.530, 0.014), (0.008, 0.004, 0.004), 1),
    ("lIndex2", "SkinHands", (0.318, 0.530, 0.014), (0.006, 0.004, 0.004), 1),
    ("lIndex3", "Nails", (0.328, 0.530, 0.014), (0.005, 0.003, 0.003), 1),
    ("lMid1", "SkinHands", (0.307, 0.530, 0.004), (0.008, 0.004, 0.004), 1),
    ("lMid2", "SkinHands", (0.321, 0.530, 0.004), (0.007, 0.004, 0.004), 1),
    ("lMid3", "Nails", (0.332, 0.530, 0.004), (0.005, 0.003, 0.003), 1),
    ("lPinky1", "SkinHands", (0.300, 0.530, -0.016), (0.006, 0.003, 0.003), 1),
    ("lPinky2", "SkinHands", (0.310, 0.530, -0.016), (0.005, 0.003, 0.003), 1),
    ("lPinky3", "Nails", (0.318, 0.530, -0.016), (0.004, 0.003, 0.003), 1),
    ("lRing1", "SkinHands", (0.305, 0.530, -0.006), (0.007, 0.004, 0.004), 1),
    ("lRing2", "SkinHands", (0.318, 0.530, -0.006), (0.006, 0.004, 0.004), 1),
    ("lRing3", "Nails", (0.328, 0.530, -0.006), (0.005, 0.003, 0.003), 1),
    ("lShin", "SkinLegs", (0.045, 0.120, 0.000), (0.025, 0.085, 0.025), 6),
    ("lShldr", "SkinArms", (0.105, 0.535, 0.000), (0.045, 0.020, 0.020), 6),
    ("lThigh", "SkinLegs", (0.050, 0.270, 0.000), (0.035, 0.075, 0.035), 8),
    ("lThumb1", "SkinHands", (0.285, 0.522, 0.025), (0.007, 0.005, 0.005), 1),
    ("lThumb2", "SkinHands", (0.295, 0.520, 0.032), (0.006, 0.004, 0.004), 1),
    ("lThumb3", "Nails", (0.303, 0.518, 0.037), (0.005, 0.004, 0.004), 1),
    ("lToe", "SkinFeet", (0.045, 0.008, 0.070), (0.018, 0.008, 0.010), 2),
    ("neck", "SkinHead", (0.000, 0.575, 0.000), (0.025, 0.025, 0.025), 3),
    ("rCollar", "SkinTorso", (-0.035, 0.540, 0.000), (0.030, 0.012, 0.015), 3),
    ("rFoot", "SkinFeet", (-0.045, 0.015, 0.020), (0.020, 0.015, 0.045), 4),
    ("rForeArm", "SkinArms", (-0.200, 0.530, 0.000), (0.055, 0.015, 0.015), 5),
    ("rHand", "SkinHands", (-0.275, 0.530, 0.000), (0.025, 0.008, 0.018), 6),
    ("rightEye", "EyeBall", (-0.015, 0.650, 0.045), (0.006, 0.006, 0.006), 2),
    ("rIndex1", "SkinHands", (-0.305, 0.530, 0.014), (0.008, 0.004, 0.004), 1),
    ("rIndex2", "SkinHands", (-0.318, 0.530, 0.014), (0.006, 0.004, 0.004), 1),
    ("rIndex3", "Nails", (-0.328, 0.530, 0.014), (0.005, 0.003, 0.003), 1),
    ("rMid1", "SkinHands", (-0.307, 0.530, 0.004), (0.008, 0.004, 0.004), 1),
    ("rMid2", "SkinHands", (-0.321, 0.530, 0.004), (0.007, 0.004, 0.004), 1),
    ("rMid3", "Nails", (-0.332, 0.530, 0.004), (0.005, 0.003, 0.003), 1),
    ("rPinky1", "SkinHands", (-0.300, 0.530, -0.016), (0.006, 0.003, 0.003), 1),
    ("rPinky2", "SkinHands", (-0.310, 0.530, -0.016), (0.005, 0.003, 0.003), 1),
    ("rPinky3", "Nails", (-0.318, 0.530, -0.016), (0.004, 0.003, 0.003), 1),
    ("rRing1", "SkinHands", (-0.305, 0.530, -0.006), (0.007, 0.004, 0.004), 1),
    ("rRing2", "SkinHands", (-0.318, 0.530, -0.006), (0.006, 0.004, 0.004), 1),
    ("rRing3", "Nails", (-0.328, 0.530, -0.006), (0.005, 0.003, 0.003), 1),
    ("rShin", "SkinLegs", (-0.045, 0.120, 0.000), (0.025, 0.085, 0.025), 6),
    ("rShldr", "SkinArms", (-0.105, 0.535, 0.000), (0.045, 0.020, 0.020), 6),
    ("rThigh", "SkinLegs", (-0.050, 0.270, 0.000), (0.035, 0.075, 0.035), 8),
    ("rThumb1", "SkinHands", (-0.285, 0.522, 0.025), (0.007, 0.005, 0.005), 1),
    ("rThumb2", "SkinHands", (-0.295, 0.520, 0.032), (0.006, 0.004, 0.004), 1),
    ("rThumb3", "Nails", (-0.303, 0.518, 0.037), (0.005, 0.004, 0.004), 1),
    ("rToe", "SkinFeet", (-0.045, 0.008, 0.070), (0.018, 0.008, 0.010), 2),
]
assert len(PARTS) == 54

PROP_KINDS = ["Box", "Ball", "Cone", "Cylinder", "Torus"]

# Figures stand side by side; after this many places the row starts again, so that the vertex
# text of a place can be rendered once and reused however many figures a big export holds.
FIGURE_PLACES = 8
FIGURE_SPACING = 0.8

LINE_ENDS = {"crlf": b"\r\n", "lf": b"\n", "cr": b"\r"}

# Padding comment lines at the end stay short; a long line is not what a size target asks for.
PAD_LINE_BYTES = 78

WRITE_BUFFER_BYTES = 1 << 20


def parse_size(text):
    match = re.fullmatch(r"\s*(\d+)\s*([kmgt]?)(i?b)?\s*", text, re.IGNORECASE)
    if not match:
        raise argparse.ArgumentTypeError("not a size: %r (try 4096, 64K, 256M, 1G)" % text)
    scale = {"": 1, "k": 1 << 10, "m": 1 << 20, "g": 1 << 30, "t": 1 << 40}
    return int(match.group(1)) * scale[match.group(2).lower()]


def positive(text):
    value = int(text)
    if value < 1:
        raise argparse.ArgumentTypeError("must be 1 or more: %s" % text)
    return value


def not_negative(text):
    value = int(text)
    if value < 0:
        raise argparse.ArgumentTypeError("must be 0 or more: %s" % text)
    return value


def counted(count, noun):
    return b"%d %s%s" % (count, noun, b"" if count == 1 else b"s")


def vertex_counts(mean_verts):
    """How many vertices each part gets: about mean_verts on average, at least a triangle."""
    total_weight = sum(part[4] for part in PARTS)
    budget = mean_verts * len(PARTS)
    return [max(3, round(budget * part[4] / total_weight)) for part in PARTS]


def strip_faces(count):
    """Faces over count vertices laid out as a zig-zag strip: quads, and a closing triangle when
    the count is odd. Indices are 0-based within the part."""
    faces = [(i, i + 1, i + 3, i + 2) for i in range(0, count - 3, 2)]
    if count % 2 == 1:
        faces.append((count - 3, count - 2, count - 1))
    return faces


def box_shape():
    corners = [(x, y, z) for y in (-1, 1) for z in (-1, 1) for x in (-1, 1)]
    faces = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
    return corners, faces


def blob_shape(rng, count):
    """count points on a unit ellipsoid-ish surface, ordered so that a strip of faces over them
    stays on the surface instead of crossing it."""
    points = []
    for i in range(count):
        t = (i // 2) / max(1, (count - 1) // 2)
        height = -1.0 + 2.0 * t + rng.uniform(-0.05, 0.05)
        ring = math.sqrt(max(0.0, 1.0 - height * height * 0.8))
        angle = (i % 2) * 0.9 + rng.uniform(-0.15, 0.15)
        points.append((ring * math.cos(angle), height, ring * math.sin(angle)))
    return points


class Mesh:
    """One part's shape, rendered to text once: the vertex block per place and a face format
    whose indices are filled in by the vertex offset of the figure that wears it."""

    def __init__(self, points, faces, centre, half, rng, eol):
        self.count = len(points)
        self.points = points
        self.centre = centre
        self.half = half
        self.eol = eol
        self.uv = b"".join(
            b"vt %.6f %.6f" % (rng.uniform(0.0, 1.0), rng.uniform(0.0, 1.0)) + eol
            for _ in points)
        self.face_format = b"".join(
            b"f " + b" ".join(b"%d/%d" for _ in face) + eol for face in faces)
        self.face_indices = [i + 1 for face in faces for i in face for _ in (0, 1)]
        self.places = {}

    def vertices(self, place):
        text = self.places.get(place)
        if text is None:
            shift = place * FIGURE_SPACING
            cx, cy, cz = self.centre
            hx, hy, hz = self.half
            text = b"".join(
                b"v %.6f %.6f %.6f" % (cx + shift + hx * x, cy + hy * y, cz + hz * z)
                + self.eol for x, y, z in self.points)
            self.places[place] = text
        return text

    def faces(self, offset):
        return self.face_format % tuple([i + offset for i in self.face_indices])


class Export:
    def __init__(self, args):
        self.eol = LINE_ENDS[args.line_end]
        rng = random.Random(args.seed)
        self.parts = []
        for (name, material, centre, half, _), count in zip(PARTS, vertex_counts(args.verts)):
            mesh = Mesh(blob_shape(rng, count), strip_faces(count), centre, half, rng, self.eol)
            self.parts.append((name.encode(), material.encode(), mesh))
        self.figure_verts = sum(mesh.count for _, _, mesh in self.parts)
        self.props = []
        for n in range(args.props):
            kind = PROP_KINDS[n % len(PROP_KINDS)]
            name = "%s_%d" % (kind, n // len(PROP_KINDS) + 1)
            if kind == "Box":
                points, faces = box_shape()
            else:
                count = max(4, args.verts)
                points, faces = blob_shape(rng, count), strip_faces(count)
            centre = (rng.uniform(-0.5, 0.5), 0.05, rng.uniform(0.3, 0.8))
            half = (0.05, 0.05, 0.05)
            mesh = Mesh(points, faces, centre, half, rng, self.eol)
            self.props.append((name.encode(), b"Preview", mesh))

    def header(self, args, mtllib, figures_text):
        lines = [
            b"# Synthetic Poser export, each body part as a group",
            b"# %s, %d parts each; %s; seed %d"
            % (figures_text, len(PARTS), counted(args.props, b"prop"), args.seed),
            b"# made by bench/gen_export.py",
            b"mtllib " + mtllib.encode(),
            b"",
        ]
        return b"".join(line + self.eol for line in lines)

    def group(self, name, figure, material, mesh, place, offset):
        return b"".join([
            b"g %s:%d" % (name, figure) + self.eol,
            b"usemtl " + material + self.eol,
            mesh.vertices(place),
            mesh.uv,
            mesh.faces(offset),
        ])

    def figure(self, figure, offset):
        """Figure number figure (from 1) whose first vertex follows offset earlier ones."""
        place = (figure - 1) % FIGURE_PLACES
        chunks = []
        for name, material, mesh in self.parts:
            chunks.append(self.group(name, figure, material, mesh, place, offset))
            offset += mesh.count
        return b"".join(chunks)

    def prop_groups(self, first_figure, offset):
        chunks = []
        for n, (name, material, mesh) in enumerate(self.props):
            chunks.append(self.group(name, first_figure + n, material, mesh, 0, offset))
            offset += mesh.count
        return b"".join(chunks)

    def can_pad(self, length):
        return length == 0 or length >= 1 + len(self.eol)

    def padding(self, length):
        """Comment lines of exactly length bytes in all; can_pad(length) must hold."""
        eol = len(self.eol)
        lines = []
        while length > 0:
            take = PAD_LINE_BYTES if length >= PAD_LINE_BYTES + 1 + eol else length
            if length - take != 0 and length - take < 1 + eol:
                take = length - (1 + eol)
            lines.append(b"#" + b" " * (take - 1 - eol) + self.eol)
            length -= take
        return b"".join(lines)


def write_fixed(out, export, args, mtllib):
    out.write(export.header(args, mtllib, counted(args.figures, b"human figure")))
    offset = 0
    for figure in range(1, args.figures + 1):
        out.write(export.figure(figure, offset))
        offset += export.figure_verts
    out.write(export.prop_groups(args.figures + 1, offset))


def write_sized(out, export, args, mtllib):
    """As many whole figures as fit, then the props, then comment lines up to the exact size."""
    header = export.header(args, mtllib, b"human figures filling %d bytes" % args.size)
    written = len(header)
    figures = 0
    tail = export.prop_groups(1, 0)
    while True:
        offset = figures * export.figure_verts
        body = export.figure(figures + 1, offset)
        next_tail = export.prop_groups(figures + 2, offset + export.figure_verts)
        room = args.size - written - len(body) - len(next_tail)
        if room < 0 or not export.can_pad(room):
            break
        if figures == 0:
            out.write(header)
        out.write(body)
        written += len(body)
        figures += 1
        tail = next_tail
    if figures == 0:
        need = written + len(body) + len(next_tail)
        sys.exit("gen_export: --size %d bytes hold no figure; it takes at least %d"
                 % (args.size, need))
    out.write(tail)
    written += len(tail)
    out.write(export.padding(args.size - written))
    return figures


def main():
    parser = argparse.ArgumentParser(
        description="Write a synthetic Poser body-part-group .OBJ export.")
    parser.add_argument("--figures", type=positive, default=2,
                        help="human figures, numbered 1, 2, ... (default 2; ignored with --size)")
    parser.add_argument("--props", type=not_negative, default=1,
                        help="prop groups after the figures, such as Box_1 (default 1)")
    parser.add_argument("--verts", type=positive, default=200,
                        help="mean vertices per body part (default 200; at least 3 each)")
    parser.add_argument("--size", type=parse_size,
                        help="write exactly this many bytes (4096, 64K, 256M, 1G: powers of "
                             "1024): whole figures as long as they fit, padded with comments")
    parser.add_argument("--line-end", choices=sorted(LINE_ENDS), default="crlf",
                        help="line end (default crlf)")
    parser.add_argument("--seed", type=int, default=1, help="random seed (default 1)")
    parser.add_argument("-o", "--output", help="output file (default standard output)")
    args = parser.parse_args()

    export = Export(args)
    if args.output and args.output != "-":
        mtllib = os.path.splitext(os.path.basename(args.output))[0] + ".mtl"
        out = open(args.output, "wb", buffering=WRITE_BUFFER_BYTES)
    else:
        mtllib = "export.mtl"
        out = os.fdopen(sys.stdout.fileno(), "wb", buffering=WRITE_BUFFER_BYTES, closefd=False)
    try:
        if args.size is None:
            write_fixed(out, export, args, mtllib)
        else:
            write_sized(out, export, args, mtllib)
        out.close()
    except BrokenPipeError:
        sys.exit(1)
    except OSError as err:
        sys.exit("gen_export: %s: %s" % (args.output or "standard output", err.strerror))


if __name__ == "__main__":
    main()
