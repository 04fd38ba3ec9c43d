#!/usr/bin/env bash
# Writes the PNG fixtures of tests/ui/png_test.cpp into this folder. Every pixel comes from a
# formula of (x, y) that the test evaluates again, so the test compares decoded pixels with the
# formula, never with an earlier decode. Most files come from the small writer below (Python's
# zlib), which gives exact control of colour type, bit depth, filters, interlacing and chunk
# layout; a few come from ImageMagick, a second, unrelated encoder. When ImageMagick is present
# every file is also decoded by it and compared with the formula, which checks the writer.
#
#   tests/ui/data/make_png_fixtures.sh        (needs python3; ImageMagick's convert for the im_* files)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

python3 - <<'PY'
import os, struct, subprocess, tempfile, zlib, shutil

# --- the formulas (the same ones are in png_test.cpp) -------------------------------------------
def sample(x, y, k, depth):
    """Channel k of pixel (x, y) at the given bit depth."""
    return (x * 977 + y * 1429 + k * 3331 + x * y * 7) % (1 << depth)

def palette_entry(i):
    return ((i * 37 + 11) & 255, (i * 91 + 3) & 255, (255 - i * 13) & 255)

def palette_alpha(i):
    return (i * 53 + 7) & 255

def palette_index(x, y, n):
    return (x + 3 * y + (x * y) % 5) % n

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]

# --- a minimal encoder ------------------------------------------------------------------------
def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c

def filter_row(kind, row, prior, bpp):
    out = bytearray()
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prior[i]
        c = prior[i - bpp] if i >= bpp else 0
        pred = [0, a, b, (a + b) // 2, paeth(a, b, c)][kind]
        out.append((x - pred) & 255)
    return bytes([kind]) + bytes(out)

def pack_samples(values, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", v) for v in values)
    if depth == 8:
        return bytes(values)
    out, acc, bits = bytearray(), 0, 0
    for v in values:
        acc = (acc << depth) | v
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)

def pixel_values(case, x, y):
    if case["type"] == 3:
        return [palette_index(x, y, case["palette"])]
    return [sample(x, y, k, case["depth"]) for k in range(CHANNELS[case["type"]])]

def filtered_data(case):
    depth, kind = case["depth"], case["type"]
    bpp = max(1, CHANNELS[kind] * depth // 8)
    passes = ADAM7 if case["adam7"] else [(0, 0, 1, 1)]
    out = bytearray()
    for number, (x0, y0, dx, dy) in enumerate(passes):
        xs = list(range(x0, case["w"], dx))
        ys = list(range(y0, case["h"], dy))
        if not xs or not ys:
            continue
        prior = bytes((len(xs) * CHANNELS[kind] * depth + 7) // 8)
        for row_number, y in enumerate(ys):
            row = pack_samples([v for x in xs for v in pixel_values(case, x, y)], depth)
            # Every filter type in turn, shifted per pass, so each file uses all five.
            out += filter_row((row_number + number) % 5, row, prior, bpp)
            prior = row
    return bytes(out)

def colour_key(case):
    """tRNS colour key: the colour of pixel (1, 0), so at least that pixel is transparent."""
    return pixel_values(case, 1, 0)

def write_png(case):
    kind, depth = case["type"], case["depth"]
    ihdr = struct.pack(">IIBBBBB", case["w"], case["h"], depth, kind, 0, 0, 1 if case["adam7"] else 0)
    chunks = [chunk(b"IHDR", ihdr)]
    if case.get("ancillary"):
        chunks += [chunk(b"gAMA", struct.pack(">I", 45455)), chunk(b"sRGB", b"\0"),
                   chunk(b"pHYs", struct.pack(">IIB", 2835, 2835, 1)), chunk(b"tEXt", b"Comment\0fixture")]
    if kind == 3:
        n = case["palette"]
        chunks.append(chunk(b"PLTE", b"".join(bytes(palette_entry(i)) for i in range(n))))
        if case.get("trns"):
            chunks.append(chunk(b"tRNS", bytes(palette_alpha(i) for i in range(case["trns"]))))
    elif case.get("trns"):
        chunks.append(chunk(b"tRNS", b"".join(struct.pack(">H", v) for v in colour_key(case))))
    stream = zlib.compress(filtered_data(case), case.get("level", 9))
    split = case.get("split")
    if split:
        parts = [stream[i:i + split] for i in range(0, len(stream), split)]
        parts.insert(1, b"")  # an empty IDAT is legal and must be passed over
    else:
        parts = [stream]
    chunks += [chunk(b"IDAT", p) for p in parts]
    if case.get("ancillary"):
        chunks += [chunk(b"tIME", struct.pack(">HBBBBB", 2009, 3, 1, 12, 0, 0)), chunk(b"prVt", b"private")]
    chunks.append(chunk(b"IEND", b""))
    with open(case["name"], "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + b"".join(chunks))

# --- the fixtures (the same table is in png_test.cpp) ----------------------------------------
def case(name, kind, depth, w=37, h=23, **extra):
    return dict(name=name, type=kind, depth=depth, w=w, h=h, adam7="adam7" in name, **extra)

CASES = []
for adam7 in ("", "_adam7"):
    CASES += [
        case(f"grey1{adam7}.png", 0, 1), case(f"grey2{adam7}.png", 0, 2), case(f"grey4{adam7}.png", 0, 4),
        case(f"grey8{adam7}.png", 0, 8), case(f"grey16{adam7}.png", 0, 16),
        case(f"rgb8{adam7}.png", 2, 8), case(f"rgb16{adam7}.png", 2, 16),
        case(f"palette1{adam7}.png", 3, 1, palette=2), case(f"palette2{adam7}.png", 3, 2, palette=3),
        case(f"palette4{adam7}.png", 3, 4, palette=11), case(f"palette8{adam7}.png", 3, 8, palette=200),
        case(f"greyalpha8{adam7}.png", 4, 8), case(f"greyalpha16{adam7}.png", 4, 16),
        case(f"rgba8{adam7}.png", 6, 8), case(f"rgba16{adam7}.png", 6, 16),
    ]
CASES += [
    case("grey2_trns.png", 0, 2, trns=True), case("grey8_trns_adam7.png", 0, 8, trns=True),
    case("grey16_trns.png", 0, 16, trns=True), case("rgb8_trns.png", 2, 8, trns=True),
    case("rgb16_trns_adam7.png", 2, 16, trns=True),
    case("palette4_trns.png", 3, 4, palette=11, trns=6), case("palette8_trns_adam7.png", 3, 8, palette=200, trns=200),
    case("rgb8_split_ancillary.png", 2, 8, split=50, ancillary=True),
    case("rgba8_split_adam7.png", 6, 8, split=37), case("rgba8_stored.png", 6, 8, level=0),
    case("rgb8_1x1_adam7.png", 2, 8, 1, 1), case("rgb8_2x2_adam7.png", 2, 8, 2, 2),
    case("grey4_3x5_adam7.png", 0, 4, 3, 5), case("rgba16_7x1_adam7.png", 6, 16, 7, 1),
    case("grey1_1x9.png", 0, 1, 1, 9), case("palette2_9x1.png", 3, 2, 9, 1, palette=4),
]

for c in CASES:
    write_png(c)

# --- ImageMagick's own files, from the same formula --------------------------------------------
convert = shutil.which("convert")
IM_CASES = [("im_rgba8.png", "PNG32", 8, False), ("im_rgba8_adam7.png", "PNG32", 8, True),
            ("im_rgba16.png", "PNG64", 16, False)]
if convert:
    for name, form, depth, adam7 in IM_CASES:
        w, h, maxval = 37, 23, (1 << depth) - 1
        samples = [sample(x, y, k, depth) for y in range(h) for x in range(w) for k in range(4)]
        header = f"P7\nWIDTH {w}\nHEIGHT {h}\nDEPTH 4\nMAXVAL {maxval}\nTUPLTYPE RGB_ALPHA\nENDHDR\n".encode()
        with tempfile.NamedTemporaryFile(suffix=".pam", delete=False) as pam:
            pam.write(header + pack_samples(samples, depth))
        args = [convert, pam.name, "-define", "png:exclude-chunks=date,time"]
        if adam7:
            args += ["-interlace", "PNG"]
        subprocess.run(args + [f"{form}:{name}"], check=True)
        os.unlink(pam.name)

    # Every file read back by ImageMagick at 16 bits must match the formula.
    def expected16(c, x, y):
        kind, depth = c["type"], c["depth"]
        scale = lambda v, d: v * 65535 // ((1 << d) - 1)
        if kind == 3:
            i = palette_index(x, y, c["palette"])
            alpha = palette_alpha(i) if i < (c.get("trns") or 0) else 255
            return [v * 257 for v in palette_entry(i)] + [alpha * 257]
        values = pixel_values(c, x, y)
        alpha = 65535
        if kind in (4, 6):
            alpha = scale(values.pop(), depth)
        elif c.get("trns") and values == colour_key(c):
            alpha = 0
        colour = [scale(v, depth) for v in values]
        return (colour * 3 if len(colour) == 1 else colour) + [alpha]
    everything = CASES + [case(n, 6, d) for n, _, d, _ in IM_CASES]
    for c in everything:
        raw = subprocess.run([convert, c["name"], "-depth", "16", "-endian", "MSB", "rgba:-"], check=True, capture_output=True).stdout
        got = struct.unpack(f">{len(raw) // 2}H", raw)
        want = [v for y in range(c["h"]) for x in range(c["w"]) for v in expected16(c, x, y)]
        if list(got) != want:
            raise SystemExit(f"ImageMagick reads {c['name']} differently from the formula")
    print(f"wrote {len(everything)} fixtures; ImageMagick reads every one as the formula says")
else:
    print(f"wrote {len(CASES)} fixtures; convert not found, so the im_* files were kept as they are")
PY
