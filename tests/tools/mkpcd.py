#!/usr/bin/python3
"""mkpcd.py - write Kodak Photo CD Image Pac (.pcd) test files from ordinary pictures.

    mkpcd.py INPUT OUTPUT.pcd [--levels base|4base|16base|64base] [--rotate 0|90|180|270]
                              [--ycc im|kodak] [--gain G] [--row-order interleaved|planar]
                              [--reference REF.png] [-v]
    mkpcd.py --reference-only INPUT OUT.png [--size WxH] [--rotate R] [--depth 8|16]
                              [--crop WxH+X+Y]

This is the tests' copy of the fixtures' generator. Beyond the original it
writes references at 16 bits per channel (--depth 16), cut to a region of
the level (--crop), and sets the fields of the Image Pac information block
(--scanner-vendor and the other options of the "information block" group).

INPUT is any picture /usr/bin/convert reads, as it should be *displayed*.  It
is centre-cropped to 3:2 (2:3 for --rotate 90/270), turned into the landscape
raster a Photo CD stores, resized to every level with ImageMagick and written
as a complete Image Pac.  Needs /usr/bin/python3, python3-numpy, /usr/bin/convert.
--reference-only writes the same crop, upright, at a level's size (for checks).

Format facts the code relies on (sector = 0x800 bytes, numbers big-endian;
"IM" = ImageMagick 6.9.11 coders/pcd.c, "FF" = FFmpeg libavcodec/photocd.c):

* Sector 0 is filled with 0xFF (real Image Pacs start with at least 32 0xFF
  bytes) except 0x48, a copy of the attribute byte: FF and libpcd take the
  rotation from it (& 3); FreeImage takes (byte & 63) == 8, i.e. "16Base, not
  rotated", to mean rows run top-down and flips every other file vertically.
  An unrotated 16Base Image Pac holds 0x08 there.
* Sectors 1-2: "PCD_IPI" at 0x800 (IM checks "PCD_", FF "PCD_IPI"), the
  Image Pac information, offsets from 0x800: 7 format version and 9
  authoring software release (two bytes each, 255 255 = none), 11
  magnification (BCD), 13 scan time and 17 last modification (32-bit Unix
  seconds), 21 medium (0 colour negative, 1 colour reversal, 2 colour hard
  copy, 3 thermal hard copy, 4-6 black and white negative, reversal, hard
  copy, 7 internegative, 8 synthetic), 22 product type (20 bytes), 42
  scanner vendor (20), 62 scanner product (16), 78 firmware version (4), 82
  firmware date (8), 90 serial number (20), 110 pixel size (BCD, um), 112
  workstation make (20), 132 character set, 133 escape sequence (32), 165
  photo-finisher name (60), 225 "SBA" when scene balance data follow: 228
  revision (2), 230 command (0-3), 325 film term (16 bits); 331 copyright
  status (1 restrictions apply, 0xFF not specified), 332 copyright file
  name (12).  Text is space-padded.  Then at 0xE00 + 512*i (i = Base/16, Base/4, Base, 4Base, 16Base;
  zero for absent levels) an attribute record: +2 attribute byte = rotation
  (bits 0-1: the turn a reader must make, 0 none, 1 90 degrees counter-
  clockwise, 2 180, 3 90 clockwise) | highest level << 2 (0 Base, 1 4Base,
  2 16Base) | IPE << 4 | Huffman class << 5; +3 first sector after the 4Base
  data; +5 first sector after the 16Base data; +9 interleave ratio, 1.  IM
  reads the rotation at 0xE02 and applies only the values 1 and 3.
* Plain levels, each as groups of two luma rows, one C1 row, one C2 row (chroma
  at half width and height): Base/16 192x128 from sector 4, Base/4 384x256
  from sector 23, Base 768x512 from sector 96 (3, 22, 95: their attribute
  sectors).  A Base-only Image Pac is exactly 384 sectors; FF and libpcd decide
  which levels exist from the file size alone.
* 4Base (1536x1024, luma deltas only): attribute sector 384, line pointer
  sectors 385-387, Huffman table sector 388, coded rows from 389.  16Base
  (3072x2048 luma deltas, 1536x1024 chroma deltas): attribute sector S = the
  sector after the 4Base data, tables at S+12 (two sectors), rows from S+14.
  IM finds S as the sector after the last one it read for 4Base, FF as the
  sector after the one holding the end of the 4Base terminator's sync, so
  that terminator must not sit in the last 7 bytes of a sector.
* Huffman table: one byte N-1, then N four-byte entries: code length - 1
  (<= 15), the code left-aligned in 16 bits, the key (a signed 8-bit delta).
  4Base holds one table (IM reads 1, or 3 when asked for [5] or [6]; FF reads
  3 - the zero fill after it parses as one-entry tables); 16Base holds luma,
  C1 and C2 tables back to back.  FF's rounding of its read position needs the
  tables to total <= 1024 bytes (4Base, counting those two extra) and <= 3072
  (16Base), hence at most 253 entries and deltas clamped to -126..126.
* A coded row: sync 0xFFFFFE (24 bits), a 16-bit header (plane: 0 luma, 2 C1,
  3 C2 in 2 bits; row in 13 bits, chroma rows numbered by their even luma row;
  one zero bit), then one code per pixel.  The next sync follows the last
  code without padding: IM tests for a sync after every code, FF reads
  exactly a row of codes and then looks for it.  No code is all ones, so no
  false sync can start at a code boundary.  After the last row comes a
  terminator, a sync whose row number equals the level height.  mkpcd
  writes 16Base rows as Y 2k, Y 2k+1, C1 k, C2 k (or, --row-order planar,
  all luma rows first); readers accept any order.
* Readers predict a level by 2x upsampling (even samples copied, odd ones the
  rounded mean of 2 or 4 neighbours, last column and row repeated), add the
  delta and clip.  4Base chroma is Base chroma upsampled; 16Base chroma deltas
  apply to Base chroma upsampled twice.
* Colour: 8-bit Y, C1 (zero 156), C2 (zero 137) with the PhotoYCC matrix.
  --ycc im (default) scales them so that IM 6.9.11's YCC->sRGB
  (R = 1024/(255*1388) * (1.3584 Y + 1.8215 (C2-137)), ...; white at
  Y = 254.5) gives back the input's sRGB values.  --ycc kodak uses Kodak's own
  scale (reference white at Y = 255/1.402 = 182, 111.40 and 135.64 per unit of
  chroma), which FreeImage shows at the right brightness and IM about 28% too
  dark.
* --levels 64base writes a 16Base Image Pac with the IPE bit (attribute bit 4)
  set, plus the Pro Photo CD "image pac extension" beside IMAGES/:
  IPE/IMGnnnn/64BASE/{INFO.IC, Y0001.ICR, C1_0001.ICR, C2_0001.ICR}.  The
  64Base format facts are in mkpcd_ipe.py, which does that part.
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

SECTOR = 0x800
CONVERT = '/usr/bin/convert'

# storage (landscape) sizes of the levels
SIZE_B16, SIZE_B4, SIZE_BASE = (192, 128), (384, 256), (768, 512)
SIZE_4BASE, SIZE_16BASE = (1536, 1024), (3072, 2048)
SIZE_64BASE = (6144, 4096)
LEVEL_CODE = {'base': 0, '4base': 1, '16base': 2, '64base': 2}   # 64Base: 16Base pac + IPE

SYNC = 0xFFFFFE
MAX_TABLE = 253          # table entries, see FF's rounding of the read position
DELTA_MAX = 126          # deltas are clamped to -126..126 (253 values)
TERMINATOR_SLACK = 7     # bytes IM may read past the start of a sync

# PhotoYCC decode models: (R,G,B in 0..1) = M @ (Y, C1-156, C2-137)
_A_IM = 1024.0 / (255.0 * 1388.0)
M_IM = _A_IM * np.array([[1.3584, 0.0, 1.8215],
                         [1.3584, -0.4302726, -0.9271435],
                         [1.3584, 2.2179, 0.0]])
_KY, _K1, _K2 = 1.402 / 255.0, 1.0 / 111.40, 1.0 / 135.64
M_KODAK = np.array([[_KY, 0.0, _K2],
                    [_KY, -0.114 / 0.587 * _K1, -0.299 / 0.587 * _K2],
                    [_KY, _K1, 0.0]])
V_LO = np.array([0.0, -156.0, -137.0])
V_HI = np.array([255.0, 99.0, 118.0])


def log(msg):
    print(msg, file=sys.stderr)


# ---------------------------------------------------------------- input

def _probe(path):
    out = subprocess.run([CONVERT, path + '[0]', '-auto-orient', '-format', '%w %h', 'info:'],
                         capture_output=True, text=True)
    if out.returncode != 0:
        raise SystemExit('mkpcd: cannot read %s: %s' % (path, out.stderr.strip()))
    w, h = out.stdout.split()[:2]
    return int(w), int(h)


def _crop_box(w, h, portrait):
    aw, ah = (2, 3) if portrait else (3, 2)
    if w * ah > h * aw:
        cw, ch = (h * aw) // ah, h
    else:
        cw, ch = w, (w * ah) // aw
    return cw, ch, (w - cw) // 2, (h - ch) // 2


def _read_ppm(path):
    with open(path, 'rb') as f:
        data = f.read()
    tokens, pos = [], 0
    while len(tokens) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b'#':
            pos = data.index(b'\n', pos) + 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        tokens.append(data[start:pos])
    pos += 1
    if tokens[0] != b'P6' or int(tokens[3]) != 255:
        raise SystemExit('mkpcd: unexpected PPM from convert')
    w, h = int(tokens[1]), int(tokens[2])
    return np.frombuffer(data, np.uint8, w * h * 3, pos).reshape(h, w, 3)


def load_levels(src, rotate, sizes):
    """Return {(w, h): uint8 array (h, w, 3)} of the stored (rotated) raster."""
    w, h = _probe(src)
    cw, ch, x, y = _crop_box(w, h, rotate in (90, 270))
    with tempfile.TemporaryDirectory(prefix='mkpcd') as tmp:
        args = [CONVERT, src + '[0]', '-auto-orient', '-crop', '%dx%d+%d+%d' % (cw, ch, x, y),
                '+repage', '-background', 'white', '-alpha', 'remove', '-alpha', 'off',
                '-colorspace', 'sRGB']
        if rotate:
            args += ['-rotate', str(rotate)]
        names = {}
        for i, (sw, sh) in enumerate(sizes):
            names[(sw, sh)] = os.path.join(tmp, 'l%d.ppm' % i)
            args += ['(', '+clone', '-resize', '%dx%d!' % (sw, sh), '-depth', '8',
                     '-write', 'ppm:' + names[(sw, sh)], '+delete', ')']
        args += ['null:']
        r = subprocess.run(args, capture_output=True, text=True)
        if r.returncode != 0:
            raise SystemExit('mkpcd: convert failed: ' + r.stderr.strip())
        return {k: _read_ppm(v).copy() for k, v in names.items()}


def write_reference(src, out_png, rotate, size, depth=8, region=None):
    """Write the upright picture, cropped as mkpcd crops it, at display size:
    8 bits per channel as the level was made from, or 16 (the source resized
    without the 8-bit step), optionally only the region WxH+X+Y of it."""
    w, h = _probe(src)
    cw, ch, x, y = _crop_box(w, h, rotate in (90, 270))
    dw, dh = (size[1], size[0]) if rotate in (90, 270) else size
    args = [CONVERT, src + '[0]', '-auto-orient', '-crop', '%dx%d+%d+%d' % (cw, ch, x, y),
            '+repage', '-background', 'white', '-alpha', 'remove', '-alpha', 'off',
            '-colorspace', 'sRGB', '-resize', '%dx%d!' % (dw, dh)]
    if region:
        args += ['-crop', region, '+repage']
    args += ['-depth', str(depth), '-strip', '-define', 'png:exclude-chunks=date,time', out_png]
    r = subprocess.run(args, capture_output=True, text=True)
    if r.returncode != 0:
        raise SystemExit('mkpcd: convert failed: ' + r.stderr.strip())


# ---------------------------------------------------------------- colour

_PINV = {}


def _pinv(M, free):
    key = (id(M), free)
    if key not in _PINV:
        cols = [i for i in range(3) if free & (1 << i)]
        _PINV[key] = (cols, np.linalg.pinv(M[:, cols]))
    return _PINV[key]


def rgb_to_ycc(rgb8, M):
    """Per-pixel (Y, C1-156, C2-137), float, inside the 8-bit range.

    Exact inverse of the decode model where possible; where a value would leave
    0..255 it is clamped and the remaining ones are refitted (least squares)."""
    shape = rgb8.shape[:-1]
    r = rgb8.reshape(-1, 3).astype(np.float64) / 255.0
    v = r @ np.linalg.inv(M).T
    bad = (v < V_LO) | (v > V_HI)
    rows = np.nonzero(bad.any(axis=1))[0]
    if rows.size:
        fixed = bad[rows]
        vv = v[rows]
        rr = r[rows]
        for _ in range(3):
            vv = np.where(fixed, np.clip(vv, V_LO, V_HI), vv)
            code = fixed[:, 0] * 1 + fixed[:, 1] * 2 + fixed[:, 2] * 4
            for pattern in range(1, 7):
                sel = np.nonzero(code == pattern)[0]
                if not sel.size:
                    continue
                free = 7 & ~pattern
                cols, P = _pinv(M, free)
                fcols = [i for i in range(3) if pattern & (1 << i)]
                rhs = rr[sel] - vv[sel][:, fcols] @ M[:, fcols].T
                vv[np.ix_(sel, cols)] = rhs @ P.T
            newbad = (vv < V_LO) | (vv > V_HI)
            if not (newbad & ~fixed).any():
                break
            fixed |= newbad
        v[rows] = np.clip(vv, V_LO, V_HI)
    return v.reshape(shape + (3,))


def decimate(c):
    """Half-size chroma, co-sited with the even luma samples ([1 2 1]/4 filter)."""
    p = np.pad(c, ((0, 0), (1, 1)), mode='edge')
    c = 0.25 * p[:, 0:-2:2] + 0.5 * p[:, 1:-1:2] + 0.25 * p[:, 2::2]
    p = np.pad(c, ((1, 1), (0, 0)), mode='edge')
    return 0.25 * p[0:-2:2] + 0.5 * p[1:-1:2] + 0.25 * p[2::2]


def upsample(a):
    """2x upsampling exactly as the decoders do it (uint8 in, uint8 out)."""
    a = a.astype(np.int32)
    h, w = a.shape
    hz = np.empty((h, 2 * w), np.int32)
    hz[:, 0::2] = a
    hz[:, 1:-1:2] = (a[:, :-1] + a[:, 1:] + 1) >> 1
    hz[:, -1] = a[:, -1]
    out = np.empty((2 * h, 2 * w), np.int32)
    out[0::2] = hz
    top, bot = hz[:-1], hz[1:]
    odd = np.empty((h - 1, 2 * w), np.int32)
    odd[:, 0::2] = (top[:, 0::2] + bot[:, 0::2] + 1) >> 1
    odd[:, 1:-1:2] = (top[:, 0:-2:2] + top[:, 2::2] + bot[:, 0:-2:2] + bot[:, 2::2] + 2) >> 2
    odd[:, -1] = (top[:, -1] + bot[:, -1] + 1) >> 1
    out[1:-1:2] = odd
    out[-1] = hz[-1]
    return out.astype(np.uint8)


def to_u8(x):
    return np.clip(np.rint(x), 0, 255).astype(np.uint8)


def fit_luma(rgb8, c1_full, c2_full, M):
    """Best 8-bit Y per pixel given the chroma the decoder will reconstruct."""
    r = rgb8.astype(np.float64) / 255.0
    r -= (c1_full.astype(np.float64) - 156.0)[..., None] * M[:, 1]
    r -= (c2_full.astype(np.float64) - 137.0)[..., None] * M[:, 2]
    my = M[:, 0]
    return to_u8(r @ my / (my @ my))


def base_level(rgb8, M):
    """Uncompressed level: Y (h, w), C1, C2 (h/2, w/2), all uint8."""
    v = rgb_to_ycc(rgb8, M)
    c1 = to_u8(decimate(v[..., 1]) + 156.0)
    c2 = to_u8(decimate(v[..., 2]) + 137.0)
    y = fit_luma(rgb8, upsample(c1), upsample(c2), M)
    return y, c1, c2


def interleave(y, c1, c2):
    h, w = y.shape
    out = np.empty((h // 2, 3 * w), np.uint8)
    out[:, :w] = y[0::2]
    out[:, w:2 * w] = y[1::2]
    out[:, 2 * w:2 * w + w // 2] = c1
    out[:, 2 * w + w // 2:] = c2
    return out.tobytes()


# ---------------------------------------------------------------- Huffman

def huffman_lengths(counts):
    """Code lengths (<= 16) for symbols with the given counts (list), plus one
    reserved all-ones code point that is never emitted (returned separately)."""
    import heapq
    n = len(counts)
    weights = list(counts) + [0]            # last = reserved dummy
    heap = [(w, i, i) for i, w in enumerate(weights)]
    heapq.heapify(heap)
    parent = {}
    nxt = len(weights)
    while len(heap) > 1:
        w1, _, a = heapq.heappop(heap)
        w2, _, b = heapq.heappop(heap)
        parent[a] = parent[b] = nxt
        heapq.heappush(heap, (w1 + w2, nxt, nxt))
        nxt += 1
    depth = []
    for i in range(len(weights)):
        d, node = 0, i
        while node in parent:
            node = parent[node]
            d += 1
        depth.append(max(d, 1))
    maxd = max(depth)
    bits = [0] * (max(maxd, 16) + 1)
    for d in depth:
        bits[d] += 1
    for i in range(len(bits) - 1, 16, -1):     # limit to 16 bits (JPEG K.3 style)
        while bits[i] > 0:
            j = i - 2
            while bits[j] == 0:
                j -= 1
            bits[i] -= 2
            bits[i - 1] += 1
            bits[j + 1] += 2
            bits[j] -= 1
    # most frequent symbols get the shortest lengths; the dummy sorts last
    order = sorted(range(n), key=lambda s: (-counts[s], s)) + [n]
    lengths = [0] * (n + 1)
    k = 0
    for length in range(1, 17):
        for _ in range(bits[length]):
            lengths[order[k]] = length
            k += 1
    return lengths[:n], lengths[n], order


def canonical_codes(lengths, dummy_len, order):
    """Canonical codes in (length, rank) order; the dummy, which has the longest
    length, comes last and so takes the all-ones code."""
    rank = {s: i for i, s in enumerate(order)}
    seq = sorted(range(len(lengths)), key=lambda s: (lengths[s], rank[s]))
    assert dummy_len >= max(lengths)
    codes, code, prev = {}, 0, lengths[seq[0]]
    for s in seq:
        code <<= lengths[s] - prev
        prev = lengths[s]
        codes[s] = code
        code += 1
    code <<= dummy_len - prev
    assert code <= (1 << dummy_len) - 1, 'Kraft sum exceeded'
    return codes, seq


class Table:
    """One Huffman table over signed 8-bit deltas."""

    def __init__(self, counts_by_value):
        values = [v for v in range(-DELTA_MAX, DELTA_MAX + 1) if counts_by_value[v + 128] > 0]
        extra = [0, 1, -1, 2, -2, 3, -3]
        for v in extra:                      # at least 4 entries (pcdtojpeg)
            if len(values) >= 4:
                break
            if v not in values:
                values.append(v)
        assert len(values) <= MAX_TABLE
        self.values = values
        self.counts = [int(counts_by_value[v + 128]) for v in values]
        self.lengths, self.dummy_len, self.order = huffman_lengths(self.counts)
        self._finish()

    def _finish(self):
        codes, seq = canonical_codes(self.lengths, self.dummy_len, self.order)
        self.code_of = np.zeros(256, np.uint32)
        self.len_of = np.zeros(256, np.uint8)
        self.entries = []
        for s in seq:
            v, length, c = self.values[s], self.lengths[s], codes[s]
            self.code_of[v & 0xFF] = c
            self.len_of[v & 0xFF] = length
            self.entries.append((length, c, v & 0xFF))
        assert all(not (c == (1 << l) - 1) for l, c, _ in self.entries), 'all-ones code'

    def total_bits(self):
        return sum(c * l for c, l in zip(self.counts, self.lengths))

    def perturb(self, lo_bits, hi_bits):
        """Swap the lengths of two symbols so the coded size grows by a number
        of bits in [lo_bits, hi_bits]; returns False when no pair fits."""
        n = len(self.values)
        best = None
        for a in range(n):
            for b in range(n):
                la, lb = self.lengths[a], self.lengths[b]
                if la < lb and self.counts[a] > self.counts[b]:
                    d = (self.counts[a] - self.counts[b]) * (lb - la)
                    if lo_bits <= d <= hi_bits and (best is None or d < best[0]):
                        best = (d, a, b)
        if best is None:
            return False
        _, a, b = best
        self.lengths[a], self.lengths[b] = self.lengths[b], self.lengths[a]
        self._finish()
        return True

    def to_bytes(self):
        out = bytearray([len(self.entries) - 1])
        for length, code, key in self.entries:
            out += bytes([length - 1, (code << (16 - length)) >> 8 & 0xFF,
                          (code << (16 - length)) & 0xFF, key])
        return bytes(out)


def pack_bits(vals, lens):
    """Concatenate MSB-first codes (vals < 2**24, lens <= 24) into bytes."""
    lens64 = lens.astype(np.int64)
    pos = np.cumsum(lens64) - lens64
    total = int(lens64.sum())
    nwords = (total + 63) // 64 + 1
    words = np.zeros(nwords, np.uint64)
    v = vals.astype(np.uint64)
    w = pos >> 6
    off = pos & 63
    shift = 64 - off - lens64                 # >= 0: fits in word w
    fits = shift >= 0
    hi = np.where(fits, v << np.where(fits, shift, 0).astype(np.uint64),
                  v >> np.where(fits, 0, -shift).astype(np.uint64))
    _add_sorted(words, w, hi)
    spill = ~fits
    if spill.any():
        lo = v[spill] << (64 + shift[spill]).astype(np.uint64)
        _add_sorted(words, w[spill] + 1, lo)
    data = words.astype('>u8').tobytes()
    return data[:(total + 7) // 8], total


def _add_sorted(words, idx, contrib):
    # idx is non-decreasing and bit ranges never overlap, so OR == ADD
    starts = np.concatenate(([0], np.nonzero(np.diff(idx))[0] + 1))
    words[idx[starts]] += np.add.reduceat(contrib, starts)


def encode_rows(records, tables, height):
    """records: list of (plane, row, delta uint8 array). Returns the bytes of the
    coded level (unpadded), the bit position of the terminator sync."""
    vals, lens = [], []
    hl = np.array([24, 16], np.uint8)
    for plane, row, d in records:
        t = tables[0 if plane == 0 else plane - 1]
        hv = np.array([SYNC, (plane << 14) | (row << 1)], np.uint32)
        vals.append(hv)
        lens.append(hl)
        ln = t.len_of[d]
        assert ln.min() > 0, 'delta missing from its table'
        vals.append(t.code_of[d])
        lens.append(ln)
    vals = np.concatenate(vals)
    lens = np.concatenate(lens)
    term_pos = int(lens.astype(np.int64).sum())
    vals = np.concatenate((vals, np.array([SYNC, height << 1], np.uint32)))
    lens = np.concatenate((lens, hl))
    data, total = pack_bits(vals, lens)
    return data, term_pos


def delta_of(target, pred):
    d = target.astype(np.int16) - pred.astype(np.int16)
    d = np.clip(d, -DELTA_MAX, DELTA_MAX)
    recon = np.clip(pred.astype(np.int16) + d, 0, 255).astype(np.uint8)
    return d, recon


def count_deltas(*arrays):
    c = np.zeros(256, np.int64)
    for a in arrays:
        c += np.bincount((a.astype(np.int16) + 128).ravel(), minlength=256)
    return c


def code_level(records, tables, height, verbose, name):
    """Encode; if the terminator would sit where IM's read-ahead crosses a
    sector boundary, lengthen the code a little and retry."""
    for attempt in range(8):
        data, term = encode_rows(records, tables, height)
        off = (term // 8) % SECTOR
        if off <= SECTOR - 1 - TERMINATOR_SLACK:
            return data
        if verbose:
            log('%s: terminator at sector offset %d, re-balancing a code' % (name, off))
        need_lo = (SECTOR - off + 1) * 8
        t = max(tables, key=lambda t: len(t.values))
        if not t.perturb(need_lo, need_lo + 1500 * 8):
            break
    raise SystemExit('mkpcd: could not place the %s terminator safely' % name)


# ---------------------------------------------------------------- file

def attr_record(attr, stop4, stop16):
    rec = bytearray(512)
    rec[2] = attr
    rec[3:5] = stop4.to_bytes(2, 'big')
    rec[5:7] = stop16.to_bytes(2, 'big')
    rec[7:9] = (0).to_bytes(2, 'big')
    rec[9] = 1
    return bytes(rec)


def _text(s, n):
    return s.encode('ascii')[:n].ljust(n, b' ')


def _bcd(text):
    """'11.70' -> two BCD bytes 0x11 0x70."""
    whole, _, fraction = text.partition('.')
    digits = whole.rjust(2, '0')[-2:] + fraction.ljust(2, '0')[:2]
    return bytes([int(digits[0]) << 4 | int(digits[1]), int(digits[2]) << 4 | int(digits[3])])


def ipi_block(args):
    """The information block; without the block options exactly as mkpcd
    has always written it."""
    scan = args.timestamp if args.scan_time is None else args.scan_time
    modified = args.timestamp if args.modified_time is None else args.modified_time
    b = bytearray(1536)
    b[0:7] = b'PCD_IPI'
    b[7:9] = bytes([1, 0])            # format version
    b[9:11] = bytes([1, 0])           # authoring software release
    b[11:13] = bytes([0x01, 0x00])    # magnification descriptor (BCD 1.00)
    b[13:17] = scan.to_bytes(4, 'big')        # scanning time
    b[17:21] = modified.to_bytes(4, 'big')    # last modification
    b[21] = args.medium
    b[22:42] = _text(args.product_type, 20)
    b[42:62] = _text(args.scanner_vendor, 20)
    b[62:78] = _text(args.scanner_product, 16)
    b[78:82] = _text(args.scanner_firmware, 4)
    b[82:90] = _text(args.scanner_firmware_date, 8)
    b[90:110] = _text(args.scanner_serial, 20)
    b[110:112] = _bcd(args.pixel_size)
    b[112:132] = _text(args.workstation, 20)
    b[132] = 3                        # 95-character ISO 646
    b[165:225] = _text(args.photo_finisher, 60)
    if args.film_term is not None:    # scene balance data
        b[225:228] = b'SBA'
        b[228:230] = bytes([1, 0])    # revision 1.0
        b[230] = 0                    # neutral and colour balance on
        b[325:327] = args.film_term.to_bytes(2, 'big')
    if args.copyright_file is not None:
        b[331] = 1                    # copyright: restrictions apply
        b[332:344] = _text(args.copyright_file, 12)
    else:
        b[331] = 0xFF                 # copyright: not specified
        b[332:344] = _text('', 12)
    return bytes(b)


def build(args):
    t0 = time.time()
    levels = args.levels
    rotate = args.rotate
    M = M_IM if args.ycc == 'im' else M_KODAK
    # --gain G codes the picture G times brighter: with G > 1 the bright parts
    # lie above reference white (Y above 182 in Kodak's scale), as on real scans
    # whose highlights the scanner kept; codes still end at 255.
    M = M / args.gain
    ipe = levels == '64base'
    if ipe:
        import mkpcd_ipe
        ipe_paths = mkpcd_ipe.ipe_layout(args.output)    # checks the name first
        levels = '16base'
    sizes = [SIZE_B16, SIZE_B4, SIZE_BASE]
    if levels in ('4base', '16base'):
        sizes.append(SIZE_4BASE)
    if levels == '16base':
        sizes.append(SIZE_16BASE)
    if ipe:
        sizes.append(SIZE_64BASE)
    pics = load_levels(args.input, rotate, sizes)
    t_in = time.time()

    planes_b16 = base_level(pics[SIZE_B16], M)      # Base/16
    planes_b4 = base_level(pics[SIZE_B4], M)        # Base/4
    yb, c1b, c2b = base_level(pics[SIZE_BASE], M)   # Base

    stats = {}
    if levels in ('4base', '16base'):
        rgb = pics[SIZE_4BASE]
        c1u = upsample(upsample(c1b))
        c2u = upsample(upsample(c2b))
        target = fit_luma(rgb, c1u, c2u, M)
        d4, y4r = delta_of(target, upsample(yb))
        t4 = Table(count_deltas(d4))
        recs = [(0, r, (d4[r] & 0xFF).astype(np.uint8)) for r in range(1024)]
        data4 = code_level(recs, [t4], 1024, args.verbose, '4Base')
        stats['4base'] = (len(t4.entries), len(data4), np.abs(d4).mean())
    if levels == '16base':
        rgb = pics[SIZE_16BASE]
        v = rgb_to_ycc(rgb, M)
        c1t = to_u8(decimate(v[..., 1]) + 156.0)
        c2t = to_u8(decimate(v[..., 2]) + 137.0)
        del v
        dc1, c1r = delta_of(c1t, upsample(upsample(c1b)))
        dc2, c2r = delta_of(c2t, upsample(upsample(c2b)))
        target = fit_luma(rgb, upsample(c1r), upsample(c2r), M)
        d16, _ = delta_of(target, upsample(y4r))
        tl = Table(count_deltas(d16))
        tc1 = Table(count_deltas(dc1))
        tc2 = Table(count_deltas(dc2))

        def key(a):
            return (a & 0xFF).astype(np.uint8)
        recs = []
        if args.row_order == 'interleaved':     # Y 2k, Y 2k+1, C1 k, C2 k
            for k in range(1024):
                recs += [(0, 2 * k, key(d16[2 * k])), (0, 2 * k + 1, key(d16[2 * k + 1])),
                         (2, 2 * k, key(dc1[k])), (3, 2 * k, key(dc2[k]))]
        else:                                    # all Y rows, then all C1, then all C2
            recs += [(0, r, key(d16[r])) for r in range(2048)]
            recs += [(2, 2 * k, key(dc1[k])) for k in range(1024)]
            recs += [(3, 2 * k, key(dc2[k])) for k in range(1024)]
        y16r = np.clip(upsample(y4r).astype(np.int16) + d16, 0, 255).astype(np.uint8)
        if args.dump:
            np.savez(args.dump, y16=y16r, c1=c1r, c2=c2r, y4=y4r, yb=yb, c1b=c1b, c2b=c2b)
        data16 = code_level(recs, [tl, tc1, tc2], 2048, args.verbose, '16Base')
        stats['16base'] = ((len(tl.entries), len(tc1.entries), len(tc2.entries)),
                           len(data16), np.abs(d16).mean())
    if ipe:
        ipe_stats = mkpcd_ipe.write_ipe(ipe_paths, pics.pop(SIZE_64BASE), y16r, c1r, c2r, M, args)
    t_code = time.time()

    # ---- layout
    def nsec(nbytes):
        return (nbytes + SECTOR - 1) // SECTOR

    res = LEVEL_CODE[levels]
    attr = (rotate // 90) | (res << 2) | (ipe << 4)   # Huffman class 1 (bits 00)
    stop4 = stop16 = 0
    if levels in ('4base', '16base'):
        stop4 = 389 + nsec(len(data4))
    if levels == '16base':
        stop16 = stop4 + 14 + nsec(len(data16))
    total = {'base': 384, '4base': stop4, '16base': stop16}[levels]
    out = bytearray(total * SECTOR)
    out[0:SECTOR] = b'\xff' * SECTOR
    out[0x48] = attr
    out[0x800:0xE00] = ipi_block(args)
    rec = attr_record(attr, stop4, stop16)
    present = [True, True, True, res >= 1, res >= 2]
    for i, p in enumerate(present):
        if p:
            out[0xE00 + 512 * i:0xE00 + 512 * (i + 1)] = rec
    short = rec[:16]

    def put(sector, blob):
        out[sector * SECTOR:sector * SECTOR + len(blob)] = blob

    put(3, short)
    put(4, interleave(*planes_b16))
    put(22, short)
    put(23, interleave(*planes_b4))
    put(95, short)
    put(96, interleave(yb, c1b, c2b))
    if levels in ('4base', '16base'):
        put(384, short)
        put(388, t4.to_bytes())
        put(389, data4)
    if levels == '16base':
        put(stop4, short)
        put(stop4 + 12, tl.to_bytes() + tc1.to_bytes() + tc2.to_bytes())
        put(stop4 + 14, data16)
    with open(args.output, 'wb') as f:
        f.write(out)
    t_end = time.time()
    if args.verbose:
        log('mkpcd: %s: %d bytes (%d sectors), levels=%s rotate=%d attr=0x%02x stop4Base=%d '
            'stop16Base=%d' % (args.output, len(out), total, args.levels, rotate, attr, stop4, stop16))
        for k, (n, size, mad) in stats.items():
            log('  %s: table entries %s, coded %d bytes, mean |delta| %.2f' % (k, n, size, mad))
        if ipe:
            for line in ipe_stats:
                log('  ' + line)
        log('  time: input %.1fs, coding %.1fs, total %.1fs' % (t_in - t0, t_code - t_in, t_end - t0))
    if args.reference:
        write_reference(args.input, args.reference, rotate, SIZE_BASE, args.depth)


def main(argv=None):
    p = argparse.ArgumentParser(description='Write a Kodak Photo CD Image Pac from a picture.')
    p.add_argument('input')
    p.add_argument('output')
    p.add_argument('--levels', choices=('base', '4base', '16base', '64base'), default='16base',
                   help='highest level written (default 16base); 64base also writes the '
                        'IPE files (OUTPUT must be .../IMAGES/IMGnnnn.PCD, see mkpcd_ipe.py)')
    p.add_argument('--ipe-seq-per-row', type=int, choices=(1, 2, 4, 8, 16), default=1,
                   help='64Base: Huffman sequences per row (default 1)')
    p.add_argument('--ipe-luma-files', type=int, choices=(1, 2), default=1,
                   help='64Base: split the luma deltas over 1 (Y0001.ICR) or 2 files '
                        '(Y0001.ICR, Y0002.ICR) (default 1)')
    p.add_argument('--rotate', type=int, choices=(0, 90, 180, 270), default=0,
                   help='counter-clockwise turn a reader must apply to the stored landscape '
                        'raster; INPUT is the picture as displayed (default 0)')
    p.add_argument('--ycc', choices=('im', 'kodak'), default='im',
                   help='YCC scaling: "im" round-trips through ImageMagick 6 (default), '
                        '"kodak" is the standard PhotoYCC scale (white at Y=182)')
    p.add_argument('--gain', type=float, default=1.0,
                   help='code the picture GAIN times brighter (default 1); with --ycc kodak and\n'
                        'GAIN > 1 its highlights lie above reference white (Y > 182)')
    p.add_argument('--timestamp', type=int, default=int(os.environ.get('SOURCE_DATE_EPOCH', 820454400)),
                   help='scan/modification time stored in the header (default 1996-01-01)')
    p.add_argument('--reference', metavar='PNG',
                   help='also write the upright cropped picture at Base size (768x512 or 512x768)')
    p.add_argument('--reference-only', action='store_true',
                   help='only write OUTPUT as the upright reference PNG (see --size)')
    p.add_argument('--size', default='768x512',
                   help='with --reference-only: level size as stored, e.g. 3072x2048')
    p.add_argument('--depth', type=int, choices=(8, 16), default=8,
                   help='bits per channel of the reference (default 8); 16 resizes the source '
                        'without the 8-bit step the levels are made from')
    p.add_argument('--crop', metavar='WxH+X+Y',
                   help='with --reference-only: write only this region of the upright picture')
    ipi = p.add_argument_group('information block')
    ipi.add_argument('--scan-time', type=int, help='scan time, Unix seconds (default --timestamp)')
    ipi.add_argument('--modified-time', type=int,
                     help='last modification, Unix seconds (default --timestamp)')
    ipi.add_argument('--medium', type=int, choices=range(256), metavar='0..255', default=8,
                     help='medium code (default 8, synthetic image)')
    ipi.add_argument('--product-type', default='MKPCD TEST IMAGE')
    ipi.add_argument('--scanner-vendor', default='SYNTHETIC')
    ipi.add_argument('--scanner-product', default='mkpcd.py')
    ipi.add_argument('--scanner-firmware', default='1.0')
    ipi.add_argument('--scanner-firmware-date', default='20250101')
    ipi.add_argument('--scanner-serial', default='0')
    ipi.add_argument('--pixel-size', default='11.70', help='micrometres (default 11.70)')
    ipi.add_argument('--workstation', default='SYNTHETIC')
    ipi.add_argument('--photo-finisher', default='')
    ipi.add_argument('--film-term', type=int, help='writes scene balance data with this film term')
    ipi.add_argument('--copyright-file', help='copyright restricted, see this file on the disc')
    p.add_argument('--row-order', choices=('interleaved', 'planar'), default='interleaved',
                   help='16Base row order: two luma rows then their C1 and C2 rows '
                        '(default), or all luma rows before all chroma rows')
    p.add_argument('--dump', metavar='NPZ', help=argparse.SUPPRESS)
    p.add_argument('-v', '--verbose', action='store_true')
    args = p.parse_args(argv)
    if args.reference_only:
        w, h = (int(x) for x in args.size.lower().split('x'))
        write_reference(args.input, args.output, args.rotate, (w, h), args.depth, args.crop)
        return 0
    build(args)
    return 0


if __name__ == '__main__':
    sys.exit(main())
