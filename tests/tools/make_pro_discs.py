#!/usr/bin/python3
"""make_pro_discs.py OUT - the Pro Photo CD trees the 64Base tests read.

Writes, with mkpcd.py beside this script (needs python3-numpy and
/usr/bin/convert):

  OUT/source.ppm         (while it runs) 6144x4096: grey 8x8 blocks of noise
                         under a colour gradient, detail 16Base cannot hold
  OUT/upper/IMAGES/IMG0001.PCD, OUT/upper/IPE/IMG0001/64BASE/...
                         not rotated, one sequence per row, one luma file
  OUT/lower/images/img0001.pcd, OUT/lower/ipe/img0001/64base/...
                         rotation field 1 (a portrait picture), 16 sequences
                         per row, the luma in two files
and for each tree T:
  OUT/T.reference.tga    the source cropped and sized as mkpcd did, upright
  OUT/T.generator.tga    the generator's own 64Base reconstruction in RGB
                         (its planes, its upsampling, Kodak's PhotoYCC scale),
                         upright
  OUT/T.y.raw, T.c1.raw, T.c2.raw
                         those planes as stored (6144x4096 and 3072x2048)

A stamp of the inputs' hashes makes a second run with the same tools a no-op,
so the plain and the sanitizer builds share one set.
"""

import hashlib
import os
import subprocess
import sys

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import mkpcd as M  # noqa: E402

CONVERT = '/usr/bin/convert'
TREES = {
    'upper': ('IMAGES/IMG0001.PCD', 0, []),
    'lower': ('images/img0001.pcd', 90, ['--ipe-seq-per-row', '16', '--ipe-luma-files', '2']),
}


def run(args):
    r = subprocess.run(args, capture_output=True, text=True)
    if r.returncode != 0:
        raise SystemExit('make_pro_discs: %s failed: %s' % (args[0], r.stderr.strip()))


def stamp():
    h = hashlib.sha256()
    for name in ('mkpcd.py', 'mkpcd_ipe.py', 'make_pro_discs.py'):
        with open(os.path.join(HERE, name), 'rb') as f:
            h.update(f.read())
    h.update(subprocess.run([CONVERT, '-version'], capture_output=True).stdout)
    return h.hexdigest()


def write_tga(path, rgb):
    """Uncompressed 24-bit Targa, rows top-down (descriptor 0x20): FreeImage
    reads it ten times faster than a PPM of the same picture."""
    h, w = rgb.shape[:2]
    header = bytes([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, w & 255, w >> 8, h & 255, h >> 8, 24, 0x20])
    with open(path, 'wb') as f:
        f.write(header)
        f.write(np.ascontiguousarray(rgb[..., ::-1]).tobytes())


def generator_rgb(y, c1, c2, turns):
    """The dumped planes in RGB through mkpcd's own model, turned upright."""
    out = np.empty(y.shape + (3,), np.uint8)
    c1_full, c2_full = M.upsample(c1), M.upsample(c2)
    for r in range(0, y.shape[0], 512):
        rows = slice(r, r + 512)
        c1u = c1_full[rows].astype(np.float64) - 156.0
        c2u = c2_full[rows].astype(np.float64) - 137.0
        v = np.stack([y[rows].astype(np.float64), c1u, c2u], -1)
        out[rows] = np.clip(np.rint(v @ M.M_KODAK.T * 255.0), 0, 255).astype(np.uint8)
    return np.rot90(out, turns)


def main():
    out = os.path.abspath(sys.argv[1])
    os.makedirs(out, exist_ok=True)
    stamp_path = os.path.join(out, 'stamp')
    want = stamp()
    if os.path.exists(stamp_path) and open(stamp_path).read() == want:
        return 0
    if os.path.exists(stamp_path):
        os.remove(stamp_path)

    source = os.path.join(out, 'source.ppm')
    run([CONVERT, '-size', '768x512', 'xc:', '-seed', '7', '+noise', 'Random', '-colorspace',
         'Gray', '-scale', '800%', '(', '-size', '6144x4096', 'gradient:#f0a040-#3060c0', ')',
         '-compose', 'multiply', '-composite', source])
    for tree, (pcd, rotate, extra) in TREES.items():
        root = os.path.join(out, tree)
        run(['rm', '-rf', root])
        dump = os.path.join(out, tree + '.npz')
        run([sys.executable, os.path.join(HERE, 'mkpcd.py'), '--ycc', 'kodak', '--levels',
             '64base', '--rotate', str(rotate), '--dump', dump] + extra +
            [source, os.path.join(root, pcd)])
        reference = os.path.join(out, tree + '.reference.ppm')
        run([sys.executable, os.path.join(HERE, 'mkpcd.py'), '--reference-only', '--rotate',
             str(rotate), '--size', '6144x4096', source, reference])
        write_tga(os.path.join(out, tree + '.reference.tga'), M._read_ppm(reference))
        os.remove(reference)
        planes = np.load(os.path.splitext(dump)[0] + '_64base.npz')
        for key, name in (('y64', 'y'), ('c1', 'c1'), ('c2', 'c2')):
            planes[key].tofile(os.path.join(out, '%s.%s.raw' % (tree, name)))
        write_tga(os.path.join(out, tree + '.generator.tga'),
                  generator_rgb(planes['y64'], planes['c1'], planes['c2'], rotate // 90))
        os.remove(dump)
        os.remove(os.path.splitext(dump)[0] + '_64base.npz')
    os.remove(source)
    with open(stamp_path, 'w') as f:
        f.write(want)
    return 0


if __name__ == '__main__':
    sys.exit(main())
