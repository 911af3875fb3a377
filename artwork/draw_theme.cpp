// Draws the "handdrawn" interface theme and the application icon at build
// time, with Cairo paths only (no fonts), and packs the theme as a ZIP:
//
//   draw_theme THEME.zip HICOLOR_FOLDER [--sheet FOLDER]
//   draw_theme --ico ICON.ico
//
// THEME.zip gets theme.cfg, Icons/<size>/<Name>.png and
// Buttons/<size>/<Name>.png; HICOLOR_FOLDER gets <n>x<n>/apps/pixmera.png and
// scalable/apps/pixmera.svg. --sheet also writes contact sheets (every picture
// on light and dark grey, the small sizes enlarged) for a person to look at.
// --ico writes only the application icon of the Windows build, every size
// Explorer and the taskbar ask for in one file.
//
// Every picture is drawn in a 48-unit design square scaled to its size. The
// "hand" is a deterministic wobble seeded from the picture's name and size,
// so two runs write the same bytes. Up to 32 pixels there is no wobble and
// the outlines are snapped to the pixel grid, so the small icons stay crisp;
// below 24 pixels the pictures drop their finer details.

#include <archive.h>
#include <archive_entry.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "ico_file.h"

namespace {

namespace fs = std::filesystem;

constexpr double kPi = std::numbers::pi;

// ---------------------------------------------------------------------------
// Palette: dark ink and a few soft flat colours.

struct Colour {
  double r, g, b, a = 1.0;
};

constexpr Colour hex(std::uint32_t rgb, double alpha = 1.0) {
  return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, alpha};
}

constexpr Colour kInk = hex(0x2d3440);
constexpr Colour kPaper = hex(0xfbf7ee);
constexpr Colour kPaperShade = hex(0xe2d9c6);
constexpr Colour kFolder = hex(0xf4c54f);
constexpr Colour kFolderBack = hex(0xdca23a);
constexpr Colour kSky = hex(0x5fb0ea);
constexpr Colour kSkyDeep = hex(0x3c82c8);
constexpr Colour kLeaf = hex(0x68b84e);
constexpr Colour kRed = hex(0xe0473c);
constexpr Colour kMetal = hex(0xc4cbd5);
constexpr Colour kDisc = hex(0xe3e8ef);
constexpr Colour kWhite = hex(0xffffff);

// ---------------------------------------------------------------------------
// Deterministic randomness: the same name and size always draw alike.

std::uint64_t fnv1a(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash = (hash ^ c) * 1099511628211ull;
  }
  return hash;
}

struct Rng {
  std::uint64_t state;
  // splitmix64, mapped to [-1, 1).
  double next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / 4503599627370496.0 - 1.0;
  }
};

// ---------------------------------------------------------------------------
// The pen: design units (0..48) to pixels, line width and wobble by size.

struct Pt {
  double x, y;
};

Pt operator+(Pt a, Pt b) { return {a.x + b.x, a.y + b.y}; }
Pt operator-(Pt a, Pt b) { return {a.x - b.x, a.y - b.y}; }
Pt operator*(Pt a, double k) { return {a.x * k, a.y * k}; }
double length(Pt a) { return std::hypot(a.x, a.y); }
Pt unit(Pt a) {
  double l = length(a);
  return l > 0 ? a * (1.0 / l) : Pt{0, 0};
}
Pt normal(Pt a) { return {-a.y, a.x}; }
Pt polar(Pt centre, double radius, double degrees) {
  double a = degrees * kPi / 180.0;
  return {centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)};
}

struct Pen {
  cairo_t* cr;
  double size;    // picture size in pixels
  double scale;   // pixels per design unit
  double line;    // ink width in pixels
  double wobble;  // hand jitter in pixels
  int detail;     // 0: up to 20 px, 1: 24 and 32 px, 2: 48 px and up
  bool snap;      // outlines on the pixel grid
  Rng rng;

  double px(double units) const { return units * scale; }
  // Ink width in design units.
  double lw() const { return line / scale; }
};

// Line widths, chosen per size rather than scaled, so 16 px gets one crisp pixel.
double ink_width(double size) {
  if (size <= 24) return 1.0;
  if (size <= 32) return 2.0;
  return 0.8 + size / 28.0;
}

Pen make_pen(cairo_t* cr, double size, const std::string& name) {
  Pen pen{cr,
          size,
          size / 48.0,
          ink_width(size),
          size <= 32 ? 0.0 : 0.2 + size * 0.012,
          size <= 20   ? 0
          : size <= 32 ? 1
                       : 2,
          size <= 32,
          Rng{fnv1a(name) ^ (static_cast<std::uint64_t>(size) * 0x2545f4914f6cdd1dull)}};
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  return pen;
}

void set_colour(Pen& pen, Colour c) { cairo_set_source_rgba(pen.cr, c.r, c.g, c.b, c.a); }

// Snaps a pixel coordinate so a line of `width` pixels lands on whole pixels.
double snap_to_grid(double v, double width) {
  bool odd = static_cast<long>(std::lround(width)) % 2 == 1;
  return odd ? std::floor(v) + 0.5 : std::round(v);
}

Pt to_pixels(Pen& pen, Pt u, double width_px) {
  Pt d{pen.px(u.x), pen.px(u.y)};
  if (pen.snap) return {snap_to_grid(d.x, width_px), snap_to_grid(d.y, width_px)};
  return d;
}

// ---------------------------------------------------------------------------
// Paths. A path is a list of nodes: corners (sharp, or rounded with a radius
// in design units) joined by slightly bowed lines, and smooth nodes joined by
// a Catmull-Rom curve. All nodes wobble by the pen's jitter.

struct Node {
  Pt p;
  double radius = 0;  // corners only
  bool smooth = false;
};

Node corner(double x, double y, double radius = 0) { return {{x, y}, radius, false}; }
Node curve(double x, double y) { return {{x, y}, 0, true}; }
Node curve(Pt p) { return {p, 0, true}; }

void bowed_line(Pen& pen, Pt a, Pt b) {
  if (pen.wobble <= 0) {
    cairo_line_to(pen.cr, b.x, b.y);
    return;
  }
  Pt d = b - a;
  Pt n = normal(unit(d));
  double bow = std::min(pen.wobble, length(d) * 0.06);
  Pt c1 = a + d * (1.0 / 3) + n * (bow * pen.rng.next());
  Pt c2 = a + d * (2.0 / 3) + n * (bow * pen.rng.next());
  cairo_curve_to(pen.cr, c1.x, c1.y, c2.x, c2.y, b.x, b.y);
}

// Appends one sub-path; `width_px` is the width it will be stroked with (for
// snapping).
void add_path(Pen& pen, std::span<const Node> nodes, bool closed, double width_px) {
  const std::size_t n = nodes.size();
  if (n == 0) return;
  std::vector<Pt> p(n);
  for (std::size_t i = 0; i < n; ++i) {
    p[i] = to_pixels(pen, nodes[i].p, width_px);
    if (pen.wobble > 0) {
      p[i] = p[i] + Pt{pen.rng.next(), pen.rng.next()} * (pen.wobble * 0.5);
    }
  }
  auto at = [&](std::ptrdiff_t i) -> std::size_t {
    auto m = static_cast<std::ptrdiff_t>(n);
    if (closed) return static_cast<std::size_t>(((i % m) + m) % m);
    return static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, m - 1));
  };
  // Entry and exit points of every node (rounded corners cut the corner).
  std::vector<Pt> entry(p), exit(p);
  for (std::size_t i = 0; i < n; ++i) {
    const Node& node = nodes[i];
    bool has_both = closed || (i > 0 && i + 1 < n);
    if (node.smooth || node.radius <= 0 || !has_both) continue;
    Pt prev = p[at(static_cast<std::ptrdiff_t>(i) - 1)];
    Pt next = p[at(static_cast<std::ptrdiff_t>(i) + 1)];
    double r =
        std::min({pen.px(node.radius), length(prev - p[i]) * 0.45, length(next - p[i]) * 0.45});
    entry[i] = p[i] + unit(prev - p[i]) * r;
    exit[i] = p[i] + unit(next - p[i]) * r;
  }
  cairo_t* cr = pen.cr;
  cairo_new_sub_path(cr);
  cairo_move_to(cr, exit[0].x, exit[0].y);
  const std::size_t segments = closed ? n : n - 1;
  for (std::size_t s = 0; s < segments; ++s) {
    std::size_t i = s, j = at(static_cast<std::ptrdiff_t>(s) + 1);
    Pt a = exit[i], b = entry[j];
    if (!nodes[i].smooth && !nodes[j].smooth) {
      bowed_line(pen, a, b);
    } else {
      // Catmull-Rom tangents at smooth nodes; a corner end starts straight.
      Pt ta = nodes[i].smooth ? (p[j] - p[at(static_cast<std::ptrdiff_t>(i) - 1)]) * (1.0 / 6)
                              : (b - a) * (1.0 / 3);
      Pt tb = nodes[j].smooth ? (p[at(static_cast<std::ptrdiff_t>(j) + 1)] - p[i]) * (1.0 / 6)
                              : (b - a) * (1.0 / 3);
      if (!closed && i == 0 && nodes[i].smooth) ta = (p[j] - p[i]) * (1.0 / 3);
      if (!closed && j == n - 1 && nodes[j].smooth) tb = (p[j] - p[i]) * (1.0 / 3);
      Pt c1 = a + ta, c2 = b - tb;
      cairo_curve_to(cr, c1.x, c1.y, c2.x, c2.y, b.x, b.y);
    }
    if (!nodes[j].smooth && nodes[j].radius > 0 && (closed || j + 1 < n)) {
      // The rounded corner itself: a quarter-circle-like cubic.
      Pt c1 = entry[j] + (p[j] - entry[j]) * 0.55;
      Pt c2 = exit[j] + (p[j] - exit[j]) * 0.55;
      cairo_curve_to(cr, c1.x, c1.y, c2.x, c2.y, exit[j].x, exit[j].y);
    }
  }
  if (closed) cairo_close_path(cr);
}

void add_path(Pen& pen, std::initializer_list<Node> nodes, bool closed, double width_px) {
  add_path(pen, std::span<const Node>(nodes.begin(), nodes.size()), closed, width_px);
}

// Circle or ellipse: exact on the pixel grid, a wobbly loop by hand.
void add_ellipse(Pen& pen, Pt c, double rx, double ry, double width_px) {
  cairo_t* cr = pen.cr;
  if (pen.wobble <= 0) {
    Pt d = to_pixels(pen, c, width_px);
    cairo_new_sub_path(cr);
    cairo_save(cr);
    cairo_translate(cr, d.x, d.y);
    cairo_scale(cr, pen.px(rx), pen.px(ry));
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    cairo_close_path(cr);
    return;
  }
  // Small rings wobble less: a hand keeps a small circle round.
  double wobble = pen.wobble;
  pen.wobble = std::min(wobble, pen.px(std::min(rx, ry)) * 0.04);
  std::vector<Node> nodes;
  const int count = 10;
  double start = pen.rng.next() * 180;
  for (int k = 0; k < count; ++k) {
    double a = (start + k * 360.0 / count) * kPi / 180;
    nodes.push_back(curve(c.x + rx * std::cos(a), c.y + ry * std::sin(a)));
  }
  add_path(pen, nodes, true, width_px);
  pen.wobble = wobble;
}

void add_circle(Pen& pen, Pt c, double r, double width_px) { add_ellipse(pen, c, r, r, width_px); }

// Arc from `from` to `to` degrees (clockwise on screen) as smooth nodes.
void arc_nodes(std::vector<Node>& nodes, Pt c, double r, double from, double to) {
  int steps = std::max(2, static_cast<int>(std::ceil(std::abs(to - from) / 30.0)));
  for (int k = 0; k <= steps; ++k) {
    nodes.push_back(curve(polar(c, r, from + (to - from) * k / steps)));
  }
}

// The current path, kept to be laid down again after a fill, a stroke or a clip.
class SavedPath {
 public:
  explicit SavedPath(cairo_t* cr) : cr_(cr), path_(cairo_copy_path(cr)) {}
  ~SavedPath() { cairo_path_destroy(path_); }
  SavedPath(const SavedPath&) = delete;
  SavedPath& operator=(const SavedPath&) = delete;
  void append() const { cairo_append_path(cr_, path_); }

 private:
  cairo_t* cr_;
  cairo_path_t* path_;
};

// ---------------------------------------------------------------------------
// Painting the current path: a flat fill, an optional pencil hatch, the ink.

enum class Hatch { none, light };

void hatch_current_path(Pen& pen) {
  cairo_t* cr = pen.cr;
  SavedPath path(cr);
  cairo_save(cr);
  cairo_clip(cr);
  double spacing = pen.line * 2.4;
  cairo_set_line_width(cr, std::max(0.6, pen.line * 0.32));
  set_colour(pen, {kInk.r, kInk.g, kInk.b, 0.16});
  for (double t = -pen.size; t < pen.size; t += spacing) {
    double j = pen.rng.next() * pen.line * 0.4;
    cairo_move_to(cr, t + j, pen.size);
    cairo_line_to(cr, t + pen.size + j + pen.rng.next() * pen.line * 0.5, 0);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
  cairo_new_path(cr);
  path.append();
}

void paint(Pen& pen, Colour fill, Hatch hatch = Hatch::none, double ink_factor = 1.0) {
  cairo_t* cr = pen.cr;
  set_colour(pen, fill);
  cairo_fill_preserve(cr);
  if (hatch == Hatch::light && pen.detail >= 2) hatch_current_path(pen);
  set_colour(pen, kInk);
  cairo_set_line_width(cr, pen.line * ink_factor);
  if (pen.size < 64) {
    cairo_stroke(cr);
    return;
  }
  // From 64 px a second, fainter pass of the pencil just beside the first.
  SavedPath path(cr);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_translate(cr, pen.rng.next() * pen.line * 0.6, pen.rng.next() * pen.line * 0.6);
  path.append();
  cairo_restore(cr);
  set_colour(pen, {kInk.r, kInk.g, kInk.b, 0.45});
  cairo_set_line_width(cr, pen.line * ink_factor * 0.35);
  cairo_stroke(cr);
}

void fill_only(Pen& pen, Colour fill) {
  set_colour(pen, fill);
  cairo_fill(pen.cr);
}

void ink(Pen& pen, double factor = 1.0, Colour colour = kInk) {
  set_colour(pen, colour);
  cairo_set_line_width(pen.cr, pen.line * factor);
  cairo_stroke(pen.cr);
}

// A line drawn in a colour with an ink edge on both sides (a check mark, a
// handle): the ink first, wider, then the colour over it.
void edged_stroke(Pen& pen, std::initializer_list<Node> nodes, double width_units, Colour colour) {
  add_path(pen, nodes, false, pen.line);
  SavedPath path(pen.cr);
  ink(pen, (pen.px(width_units) + 2 * pen.line) / pen.line);
  path.append();
  set_colour(pen, colour);
  cairo_set_line_width(pen.cr, pen.px(width_units));
  cairo_stroke(pen.cr);
}

// ---------------------------------------------------------------------------
// Shared pieces.

void rect_path(Pen& pen, double x0, double y0, double x1, double y1, double r) {
  add_path(pen, {corner(x0, y0, r), corner(x1, y0, r), corner(x1, y1, r), corner(x0, y1, r)}, true,
           pen.line);
}

// Straight arrow from `a` to the tip `b`.
void arrow(Pen& pen, Pt a, Pt b, double shaft, double head, double head_length, Colour colour) {
  Pt d = unit(b - a);
  Pt n = normal(d);
  Pt base = b - d * head_length;
  double s = shaft / 2, h = head / 2;
  add_path(
      pen,
      {corner(a.x + n.x * s, a.y + n.y * s, s * 0.5), corner(base.x + n.x * s, base.y + n.y * s),
       corner(base.x + n.x * h, base.y + n.y * h, 0.6), corner(b.x, b.y, 0.6),
       corner(base.x - n.x * h, base.y - n.y * h, 0.6), corner(base.x - n.x * s, base.y - n.y * s),
       corner(a.x - n.x * s, a.y - n.y * s, s * 0.5)},
      true, pen.line);
  paint(pen, colour);
}

// Arrow bent along a circle, clockwise from `from` to `to` degrees.
void arc_arrow(Pen& pen, Pt c, double r, double from, double to, double shaft, double head,
               double head_length, Colour colour) {
  double ro = r + shaft / 2, ri = r - shaft / 2;
  double tip_angle = to + head_length / r * 180 / kPi;
  std::vector<Node> nodes;
  arc_nodes(nodes, c, ro, from, to);
  nodes.front().smooth = false;
  nodes.front().radius = shaft * 0.3;
  nodes.back().smooth = false;
  Pt o = polar(c, r + head / 2, to), t = polar(c, r, tip_angle), i = polar(c, r - head / 2, to);
  nodes.push_back(corner(o.x, o.y, 0.6));
  nodes.push_back(corner(t.x, t.y, 0.6));
  nodes.push_back(corner(i.x, i.y, 0.6));
  std::vector<Node> inner;
  arc_nodes(inner, c, ri, to, from);
  inner.front().smooth = false;
  inner.back().smooth = false;
  inner.back().radius = shaft * 0.3;
  nodes.insert(nodes.end(), inner.begin(), inner.end());
  add_path(pen, nodes, true, pen.line);
  paint(pen, colour);
}

// A sheet of paper with a folded top-right corner.
void page(Pen& pen, double x0, double y0, double x1, double y1, double fold,
          Colour colour = kPaper) {
  add_path(pen,
           {corner(x0, y0, 1.5), corner(x1 - fold, y0), corner(x1, y0 + fold), corner(x1, y1, 1.5),
            corner(x0, y1, 1.5)},
           true, pen.line);
  paint(pen, colour, Hatch::light);
  add_path(pen, {corner(x1 - fold, y0), corner(x1 - fold, y0 + fold, 1), corner(x1, y0 + fold)},
           true, pen.line);
  paint(pen, kPaperShade);
}

// Pencilled text lines across a page.
void text_rows(Pen& pen, double x0, double x1, std::initializer_list<double> rows) {
  for (double y : rows) {
    double end = x1 - (pen.detail >= 2 ? std::abs(pen.rng.next()) * (x1 - x0) * 0.3 : 0);
    add_path(pen, {corner(x0, y), corner(end, y)}, false, pen.line);
    ink(pen, pen.detail >= 2 ? 0.7 : 1.0, {kInk.r, kInk.g, kInk.b, 0.55});
  }
}

// A photo print: white border (from 24 px up), sky, a green hill, a sun.
void photo(Pen& pen, double x0, double y0, double x1, double y1, double degrees = 0) {
  cairo_t* cr = pen.cr;
  cairo_save(cr);
  if (!pen.snap && degrees != 0) {
    Pt c = Pt{pen.px(x0 + x1) / 2, pen.px(y0 + y1) / 2};
    cairo_translate(cr, c.x, c.y);
    cairo_rotate(cr, degrees * kPi / 180);
    cairo_translate(cr, -c.x, -c.y);
  }
  double border = pen.detail == 0 ? 0 : std::max(pen.lw() * 1.2, (x1 - x0) * 0.09);
  rect_path(pen, x0, y0, x1, y1, 1);
  paint(pen, pen.detail == 0 ? kSky : kPaper, Hatch::none);
  double ix0 = x0 + border, iy0 = y0 + border, ix1 = x1 - border,
         iy1 = y1 - border * (pen.detail >= 2 ? 2.2 : 1.0);
  if (pen.detail > 0) {
    rect_path(pen, ix0, iy0, ix1, iy1, 0);
    fill_only(pen, kSky);
  }
  // The hill, clipped to the picture.
  cairo_save(cr);
  if (pen.detail == 0) {
    rect_path(pen, x0, y0, x1, y1, 1);
  } else {
    rect_path(pen, ix0, iy0, ix1, iy1, 0);
  }
  cairo_clip(cr);
  double w = ix1 - ix0, h = iy1 - iy0;
  if (pen.detail >= 1) {
    add_circle(pen, {ix0 + w * 0.72, iy0 + h * 0.32}, std::max(pen.lw() * 1.2, h * 0.16), pen.line);
    fill_only(pen, kFolder);
  }
  add_path(pen,
           {corner(ix0 - 2, iy1 + 2), curve(ix0 - 1, iy0 + h * 0.72),
            curve(ix0 + w * 0.35, iy0 + h * 0.5), curve(ix0 + w * 0.7, iy0 + h * 0.7),
            curve(ix1 + 1, iy0 + h * 0.62), corner(ix1 + 2, iy1 + 2)},
           true, pen.line);
  if (pen.detail >= 1) {
    SavedPath path(cr);
    fill_only(pen, kLeaf);
    path.append();
    ink(pen, 0.6);
  } else {
    fill_only(pen, kLeaf);
  }
  cairo_restore(cr);
  if (pen.detail > 0) {
    rect_path(pen, ix0, iy0, ix1, iy1, 0);
    ink(pen, 0.6);
  }
  rect_path(pen, x0, y0, x1, y1, 1);
  ink(pen);
  cairo_restore(cr);
}

// A PhotoCD: a silver disc with a rainbow sheen, a clear hub and a hole.
void disc(Pen& pen, Pt c, double r) {
  cairo_t* cr = pen.cr;
  // The hole is a second sub-path of every fill (even-odd), so it shows what
  // lies under the disc, also in the SVG icon.
  double hole_radius = std::max(r * 0.15, pen.lw() * 0.9);
  add_circle(pen, c, hole_radius, pen.line);
  SavedPath hole(cr);
  cairo_new_path(cr);
  add_circle(pen, c, r, pen.line);
  SavedPath outline(cr);
  hole.append();
  fill_only(pen, kDisc);
  if (pen.detail >= 1) {
    // The sheen: two opposite fans of the palette, clipped to the disc.
    cairo_save(cr);
    outline.append();
    hole.append();
    cairo_clip(cr);
    const Colour sheen[] = {kRed, kFolder, kLeaf, kSky};
    for (int side = 0; side < 2; ++side) {
      double base = side == 0 ? 200 : 20;
      for (int k = 0; k < 4; ++k) {
        Colour s = sheen[k];
        s.a = 0.45;
        Pt p0 = polar(c, r * 1.2, base + k * 12), p1 = polar(c, r * 1.2, base + k * 12 + 12);
        add_path(pen, {corner(c.x, c.y), corner(p0.x, p0.y), corner(p1.x, p1.y)}, true, pen.line);
        fill_only(pen, s);
      }
    }
    cairo_restore(cr);
    // The hub: the clear plastic ring around the hole.
    add_circle(pen, c, r * 0.38, pen.line);
    hole.append();
    fill_only(pen, {kPaper.r, kPaper.g, kPaper.b, 0.9});
    add_circle(pen, c, r * 0.38, pen.line);
    ink(pen, 0.6);
  } else {
    add_path(pen, {curve(polar(c, r * 0.62, 200)), curve(polar(c, r * 0.62, 250))}, false,
             pen.line);
    ink(pen, 1.0, kSkyDeep);
  }
  if (pen.detail >= 2) {
    add_circle(pen, c, r * 0.84, pen.line);
    ink(pen, 0.35, {kInk.r, kInk.g, kInk.b, 0.35});
  }
  hole.append();
  ink(pen, 0.8);
  outline.append();
  if (pen.detail >= 2) {
    hole.append();
    hatch_current_path(pen);
    cairo_new_path(cr);
    outline.append();
  }
  ink(pen);
}

// A folder: the back with its tab, and the front either closed or opened
// forward (then something can stick out between them).
void folder_back(Pen& pen, double x0, double y0, double x1, double y1) {
  double tab = (x1 - x0) * 0.38;
  add_path(pen,
           {corner(x0, y0, 1.5), corner(x0 + tab, y0, 1.2), corner(x0 + tab + 4, y0 + 4, 1),
            corner(x1, y0 + 4, 1.5), corner(x1, y1, 1.5), corner(x0, y1, 1.5)},
           true, pen.line);
  paint(pen, kFolderBack);
}

void folder_front_closed(Pen& pen, double x0, double y0, double x1, double y1) {
  rect_path(pen, x0, y0, x1, y1, 1.5);
  paint(pen, kFolder, Hatch::light);
}

void folder_front_open(Pen& pen, double x0, double y0, double x1, double y1, double lean) {
  add_path(pen,
           {corner(x0 + lean, y0, 1.5), corner(x1 + lean * 0.3, y0, 1.5), corner(x1, y1, 1.5),
            corner(x0, y1, 1.5)},
           true, pen.line);
  paint(pen, kFolder, Hatch::light);
}

// A five-pointed star.
void star(Pen& pen, Pt c, double outer, double inner, Colour colour) {
  std::vector<Node> nodes;
  for (int k = 0; k < 10; ++k) {
    Pt p = polar(c, k % 2 == 0 ? outer : inner, -90 + k * 36);
    nodes.push_back(corner(p.x, p.y, k % 2 == 0 ? 0.8 : 0.3));
  }
  add_path(pen, nodes, true, pen.line);
  paint(pen, colour);
}

// A four-pointed sparkle.
void sparkle(Pen& pen, Pt c, double r) {
  std::vector<Node> nodes;
  for (int k = 0; k < 8; ++k) {
    Pt p = polar(c, k % 2 == 0 ? r : r * 0.36, -90 + k * 45);
    nodes.push_back(corner(p.x, p.y, 0.3));
  }
  add_path(pen, nodes, true, pen.line);
  // A thinner edge from 24 px, or the ink would swallow the small star.
  paint(pen, kFolder, Hatch::none, pen.detail == 0 ? 1.0 : 0.6);
}

// A list sheet: bullets and rows.
void list_sheet(Pen& pen, double x0, double y0, double x1, double y1) {
  rect_path(pen, x0, y0, x1, y1, 1.5);
  paint(pen, kPaper, Hatch::light);
  int rows = pen.detail == 0 ? 3 : 4;
  double step = (y1 - y0) / (rows + 1);
  for (int k = 1; k <= rows; ++k) {
    double y = y0 + step * k;
    if (pen.detail == 0) {
      add_path(pen, {corner(x0 + 4, y), corner(x1 - 4, y)}, false, pen.line);
      ink(pen, 1.0, {kInk.r, kInk.g, kInk.b, 0.6});
      continue;
    }
    add_circle(pen, {x0 + 5.5, y}, 1.6, pen.line);
    fill_only(pen, kSkyDeep);
    add_path(pen, {corner(x0 + 10, y), corner(x1 - 4 - std::abs(pen.rng.next()) * 5, y)}, false,
             pen.line);
    ink(pen, 0.8, {kInk.r, kInk.g, kInk.b, 0.6});
  }
}

// A round sign with a white mark drawn as strokes.
enum class Mark { exclamation, question, info };

void sign(Pen& pen, Colour colour, Mark mark) {
  cairo_t* cr = pen.cr;
  Pt c{24, 24};
  add_circle(pen, c, 21, pen.line);
  paint(pen, colour, Hatch::light);
  // On the pixel grid the mark is a whole number of pixels wide.
  double width = pen.snap ? std::max(2.0, std::round(pen.px(5.5))) / pen.scale : 5.5;
  double dot = width * 0.62;
  set_colour(pen, kWhite);
  cairo_set_line_width(cr, pen.px(width));
  Pt dot_at{24, 0};
  switch (mark) {
    case Mark::exclamation:
      add_path(pen, {corner(24, 12), corner(24, 27)}, false, pen.px(width));
      cairo_stroke(cr);
      dot_at.y = 35;
      break;
    case Mark::info:
      add_path(pen, {corner(24, 22), corner(24, 35)}, false, pen.px(width));
      cairo_stroke(cr);
      dot_at.y = 13.5;
      break;
    case Mark::question:
      add_path(pen,
               {curve(17, 18.5), curve(19.5, 12.5), curve(24.5, 11), curve(29.5, 13), curve(31, 18),
                curve(28.5, 22), corner(24.5, 25), corner(24.5, 27.5)},
               false, pen.px(width));
      cairo_stroke(cr);
      dot_at = {24.5, 35};
      break;
  }
  if (pen.snap && pen.px(width) <= 2) {
    // One crisp square dot, the width of the stroke.
    Pt d = to_pixels(pen, dot_at, pen.px(width));
    double h = pen.px(width) / 2;
    cairo_rectangle(cr, d.x - h, d.y - h, 2 * h, 2 * h);
    cairo_fill(cr);
  } else {
    add_circle(pen, dot_at, dot, pen.px(width));
    cairo_fill(cr);
  }
}

// ---------------------------------------------------------------------------
// The pictures, one function each, in the 48-unit square.

void draw_new(Pen& pen) {
  page(pen, 12, 5, 40, 44, 9);
  if (pen.detail >= 1) text_rows(pen, 17, 35, {24, 30, 36});
  sparkle(pen, {11, 11}, pen.detail == 0 ? 10 : 9);
}

void draw_add(Pen& pen) {
  page(pen, 6, 3, 34, 42, 9);
  if (pen.detail >= 1) text_rows(pen, 11, 29, {18, 24});
  // A chunky plus with an ink edge.
  double c = 33, a = pen.detail == 0 ? 3.5 : 4, b = 13;
  Pt o{c, c};
  add_path(pen,
           {corner(o.x - a, o.y - b, 1), corner(o.x + a, o.y - b, 1), corner(o.x + a, o.y - a),
            corner(o.x + b, o.y - a, 1), corner(o.x + b, o.y + a, 1), corner(o.x + a, o.y + a),
            corner(o.x + a, o.y + b, 1), corner(o.x - a, o.y + b, 1), corner(o.x - a, o.y + a),
            corner(o.x - b, o.y + a, 1), corner(o.x - b, o.y - a, 1), corner(o.x - a, o.y - a)},
           true, pen.line);
  paint(pen, kLeaf);
}

void draw_in_files(Pen& pen) {
  if (pen.detail == 0) {
    rect_path(pen, 3, 3, 33, 27, 1);
    paint(pen, kPaper);
    rect_path(pen, 9, 9, 39, 33, 1);
    paint(pen, kPaper);
    photo(pen, 15, 16, 45, 43);
    return;
  }
  rect_path(pen, 4, 5, 32, 27, 1);
  paint(pen, kPaper);
  photo(pen, 9, 11, 38, 33, -6);
  photo(pen, 15, 18, 45, 42, 4);
}

void draw_in_folder(Pen& pen) {
  folder_back(pen, 3, 8, 43, 42);
  photo(pen, 11, 4, 37, 27, pen.detail >= 2 ? -5 : 0);
  folder_front_open(pen, 3, 20, 43, 42, 5);
}

void draw_out_folder(Pen& pen) {
  folder_back(pen, 2, 14, 38, 44);
  folder_front_closed(pen, 2, 21, 38, 44);
  arrow(pen, {17, 33}, {45, 5}, pen.detail == 0 ? 6.5 : 7, 19, 12, kSky);
}

void draw_out_format(Pen& pen) {
  page(pen, 7, 3, 41, 45, 9);
  const double rows[] = {16, 26, 36};
  const double knobs[] = {18, 31, 24};
  int count = pen.detail == 0 ? 2 : 3;
  for (int k = 0; k < count; ++k) {
    double y = pen.detail == 0 ? 17 + k * 13 : rows[k];
    double x = pen.detail == 0 ? (k == 0 ? 19 : 29) : knobs[k];
    add_path(pen, {corner(12, y), corner(36, y)}, false, pen.line);
    ink(pen, pen.detail == 0 ? 1.0 : 1.2);
    if (pen.detail == 0) {
      rect_path(pen, x - 3.2, y - 4.8, x + 3.2, y + 4.8, 0);
    } else {
      add_circle(pen, {x, y}, 3.8, pen.line);
    }
    paint(pen, k == 1 ? kRed : kSky);
  }
}

void draw_fav_folder(Pen& pen) {
  folder_back(pen, 2, 6, 40, 38);
  folder_front_closed(pen, 2, 13, 40, 38);
  star(pen, {33, 32}, pen.detail == 0 ? 15 : 14, pen.detail == 0 ? 7 : 6, kRed);
}

void draw_import_files(Pen& pen) {
  list_sheet(pen, 17, 3, 44, 45);
  arrow(pen, {2, 24}, {28, 24}, 7, 19, 11, kLeaf);
}

void draw_export_files(Pen& pen) {
  list_sheet(pen, 3, 3, 30, 45);
  arrow(pen, {20, 24}, {46, 24}, 7, 19, 11, kSky);
}

void draw_exit(Pen& pen) {
  // The door frame, the dark doorway and the door swung open.
  rect_path(pen, 6, 4, 30, 44, 1);
  paint(pen, kPaperShade);
  add_path(pen, {corner(6, 4, 1), corner(19, 9), corner(19, 47), corner(6, 44, 1)}, true, pen.line);
  paint(pen, kFolderBack, Hatch::light);
  if (pen.detail >= 1) {
    add_circle(pen, {16, 28}, 1.6, pen.line);
    fill_only(pen, kInk);
  }
  arrow(pen, {22, 24}, {46, 24}, 7, 19, 11, kSky);
}

void draw_copy(Pen& pen) {
  page(pen, 4, 3, 30, 34, 8);
  if (pen.detail >= 1) text_rows(pen, 9, 25, {15, 21, 27});
  page(pen, 17, 13, 43, 45, 8);
  if (pen.detail >= 1) text_rows(pen, 22, 38, {26, 32, 38});
}

void draw_delete(Pen& pen) {
  double a = pen.detail == 0 ? 5.5 : 5.2, b = 19.5;
  std::vector<Node> nodes;
  const Pt arm[] = {{-a, -b}, {a, -b}, {a, -a}, {b, -a}, {b, a},   {a, a},
                    {a, b},   {-a, b}, {-a, a}, {-b, a}, {-b, -a}, {-a, -a}};
  const double k = std::sqrt(0.5);
  for (std::size_t i = 0; i < 12; ++i) {
    Pt p = arm[i];
    bool tip = std::abs(p.x) == b || std::abs(p.y) == b;
    nodes.push_back(corner(24 + (p.x - p.y) * k, 24 + (p.x + p.y) * k, tip ? 1.8 : 0));
  }
  add_path(pen, nodes, true, pen.line);
  paint(pen, kRed, Hatch::light);
}

void draw_select_all(Pen& pen) {
  cairo_t* cr = pen.cr;
  double dash = pen.detail == 0 ? 2 : pen.line * 2.2;
  double dashes[] = {dash, dash};
  rect_path(pen, 4, 4, 44, 44, 2);
  set_colour(pen, {kSky.r, kSky.g, kSky.b, 0.25});
  cairo_fill_preserve(cr);
  cairo_set_dash(cr, dashes, 2, pen.detail == 0 ? 0.5 : 0);
  cairo_set_line_cap(cr, pen.detail == 0 ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_ROUND);
  ink(pen);
  cairo_set_dash(cr, nullptr, 0, 0);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  edged_stroke(pen, {corner(13, 24), corner(21, 32), corner(36, 15)},
               pen.detail == 0 ? 2.0 / pen.scale : 5, kLeaf);
}

void draw_convert(Pen& pen) {
  disc(pen, {16, 16}, 14);
  photo(pen, 18, 26, 46, 46, pen.detail >= 2 ? 3 : 0);
  if (pen.detail == 0) {
    arc_arrow(pen, {31, 21}, 12.5, -100, -22, 7.5, 19, 9, kLeaf);
  } else {
    arc_arrow(pen, {30, 21}, 12.5, -100, -18, 5.5, 15, 8, kLeaf);
  }
  if (pen.size >= 64) {
    // On the big button a little sparkle says that the disc becomes a print.
    sparkle(pen, {8, 37}, 7);
    sparkle(pen, {14.5, 44.5}, 4);
  }
}

void draw_error(Pen& pen) { sign(pen, kRed, Mark::exclamation); }
void draw_help(Pen& pen) { sign(pen, kSkyDeep, Mark::question); }
void draw_about(Pen& pen) { sign(pen, kSkyDeep, Mark::info); }

void draw_preferences(Pen& pen) {
  Pt c{24, 24};
  int teeth = 8;
  double outer = 21, root = 15.5;
  std::vector<Node> nodes;
  for (int k = 0; k < teeth; ++k) {
    double a = k * 360.0 / teeth;
    for (double off : {-15.0, -8.0, 8.0, 15.0}) {
      bool tip = std::abs(off) < 10;
      Pt p = polar(c, tip ? outer : root, a + off);
      nodes.push_back(corner(p.x, p.y, tip ? 0.8 : 0.6));
    }
  }
  add_path(pen, nodes, true, pen.line);
  add_circle(pen, c, pen.detail == 0 ? 5.5 : 6, pen.line);
  paint(pen, kMetal, Hatch::light);
  if (pen.detail >= 1) {
    add_circle(pen, c, 11, pen.line);
    ink(pen, 0.6, {kInk.r, kInk.g, kInk.b, 0.5});
  }
}

void draw_custom_converter(Pen& pen) {
  // Two format cards, then the magnifier over them.
  rect_path(pen, 3, 4, 27, 22, 2);
  paint(pen, kSky, Hatch::light);
  rect_path(pen, 13, 15, 37, 33, 2);
  paint(pen, kLeaf, Hatch::light);
  if (pen.detail >= 1) {
    add_path(pen, {corner(7, 9), corner(17, 9)}, false, pen.line);
    ink(pen, 1.2, kWhite);
    add_path(pen, {corner(17, 20), corner(27, 20)}, false, pen.line);
    ink(pen, 1.2, kWhite);
  }
  Pt c{29, 29};
  double r = pen.detail == 0 ? 10.5 : 10;
  edged_stroke(pen, {corner(c.x + r * 0.75, c.y + r * 0.75), corner(44.5, 44.5)},
               pen.detail == 0 ? 2.0 / pen.scale : 4.5, kFolderBack);
  add_circle(pen, c, r, pen.line);
  fill_only(pen, {kPaper.r, kPaper.g, kPaper.b, 0.6});
  add_circle(pen, c, r, pen.line);
  SavedPath ring(pen.cr);
  double rim = pen.detail == 0 ? 2.0 / pen.scale : 3.5;
  ink(pen, (pen.px(rim) + 2 * pen.line) / pen.line);
  ring.append();
  ink(pen, pen.px(rim) / pen.line, kMetal);
  if (pen.detail >= 2) {
    add_path(pen,
             {curve(polar(c, r * 0.6, 200)), curve(polar(c, r * 0.6, 235)),
              curve(polar(c, r * 0.6, 260))},
             false, pen.line);
    ink(pen, 0.8, kWhite);
  }
}

void draw_email(Pen& pen) {
  rect_path(pen, 3, 10, 45, 38, 1.5);
  paint(pen, kPaper, Hatch::light);
  if (pen.detail >= 1) {
    add_path(pen, {corner(4, 37), corner(19, 24)}, false, pen.line);
    ink(pen, 0.7);
    add_path(pen, {corner(44, 37), corner(29, 24)}, false, pen.line);
    ink(pen, 0.7);
  }
  add_path(pen, {corner(3, 10, 1.5), corner(45, 10, 1.5), corner(24, 27, 1.5)}, true, pen.line);
  paint(pen, kPaperShade);
  if (pen.detail >= 1) {
    rect_path(pen, 35, 14, 41, 21, 0.5);
    paint(pen, kRed, Hatch::none, 0.6);
  }
}

void draw_web(Pen& pen) {
  cairo_t* cr = pen.cr;
  Pt c{24, 24};
  double r = 20.5;
  add_circle(pen, c, r, pen.line);
  set_colour(pen, kSky);
  cairo_fill_preserve(cr);
  SavedPath outline(cr);
  cairo_save(cr);
  cairo_clip(cr);
  // Land.
  add_path(pen,
           {curve(9, 14), curve(16, 8), curve(24, 10), curve(22, 17), curve(16, 20), curve(17, 28),
            curve(11, 30), curve(6, 22)},
           true, pen.line);
  fill_only(pen, kLeaf);
  add_path(
      pen,
      {curve(30, 26), curve(38, 24), curve(44, 30), curve(38, 40), curve(32, 42), curve(28, 34)},
      true, pen.line);
  fill_only(pen, kLeaf);
  // Meridians and parallels.
  add_ellipse(pen, c, pen.detail == 0 ? 7.5 : 9, r, pen.line);
  ink(pen, pen.detail == 0 ? 1.0 : 0.7);
  add_path(pen, {corner(2, 24), corner(46, 24)}, false, pen.line);
  ink(pen, pen.detail == 0 ? 1.0 : 0.7);
  if (pen.detail >= 1) {
    add_path(pen, {corner(7, 14.5), curve(24, 13), corner(41, 14.5)}, false, pen.line);
    ink(pen, 0.6);
    add_path(pen, {corner(7, 33.5), curve(24, 35), corner(41, 33.5)}, false, pen.line);
    ink(pen, 0.6);
  }
  cairo_restore(cr);
  outline.append();
  if (pen.detail >= 2) hatch_current_path(pen);
  ink(pen);
}

void draw_updates(Pen& pen) {
  Pt c{24, 24};
  if (pen.detail == 0) {
    arc_arrow(pen, c, 16, 15, 262, 6.5, 22, 12, kSky);
  } else {
    arc_arrow(pen, c, 16.5, 10, 275, 6.5, 19, 10, kSky);
  }
  arrow(pen, {24, 12}, {24, 35}, pen.detail == 0 ? 7 : 6.5, 17, 9.5, kLeaf);
}

// The application icon: a PhotoCD with a photo print lying over it.
void draw_application(Pen& pen) {
  disc(pen, {20, 20}, 17.5);
  photo(pen, 21, 24, 44.5, 43.5, pen.snap ? 0 : 7);
}

// ---------------------------------------------------------------------------
// What the theme holds.

struct Picture {
  const char* name;
  void (*draw)(Pen&);
};

// The window's command names, in the order its maps list them.
constexpr Picture kIcons[] = {
    {"New", draw_new},
    {"Add", draw_add},
    {"InFiles", draw_in_files},
    {"InFolder", draw_in_folder},
    {"OutFolder", draw_out_folder},
    {"OutFormat", draw_out_format},
    {"FavFolder", draw_fav_folder},
    {"ImportFiles", draw_import_files},
    {"ExportFiles", draw_export_files},
    {"Exit", draw_exit},
    {"Copy", draw_copy},
    {"Delete", draw_delete},
    {"SelectAll", draw_select_all},
    {"Convert", draw_convert},
    {"Error", draw_error},
    {"Preferences", draw_preferences},
    {"CustomConverter", draw_custom_converter},
    {"Help", draw_help},
    {"Email", draw_email},
    {"Web", draw_web},
    {"Updates", draw_updates},
    {"About", draw_about},
};

constexpr Picture kButtons[] = {
    {"Convert", draw_convert},
    {"InFiles", draw_in_files},
    {"InFolder", draw_in_folder},
};

constexpr int kIconSizes[] = {16, 20, 24, 32, 48};
constexpr int kButtonSizes[] = {64, 88, 96, 132};
constexpr int kApplicationSizes[] = {48, 128, 256};
// Small icons, lists, the taskbar, Explorer's views up to "extra large".
constexpr int kWindowsIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

std::string join_sizes(std::span<const int> sizes) {
  std::string text;
  for (int size : sizes) {
    if (!text.empty()) text += ',';
    text += std::to_string(size);
  }
  return text;
}

std::string theme_cfg() {
  return "; pixmera interface theme, drawn by artwork/draw_theme.cpp\n"
         "Name = Hand-drawn\n"
         "Author = The pixmera developers\n"
         "Icon Sizes = " +
         join_sizes(kIconSizes) +
         "\n"
         "Button Sizes = " +
         join_sizes(kButtonSizes) + "\n";
}

// ---------------------------------------------------------------------------
// Output.

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

Surface render(const Picture& picture, int size) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size));
  Context cr(cairo_create(surface.get()));
  Pen pen = make_pen(cr.get(), size, picture.name);
  picture.draw(pen);
  cairo_surface_flush(surface.get());
  return surface;
}

bool png_bytes(cairo_surface_t* surface, std::string& out) {
  out.clear();
  auto write = [](void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
  };
  return cairo_surface_write_to_png_stream(surface, write, &out) == CAIRO_STATUS_SUCCESS;
}

// Writes beside the target and renames, so a failed run leaves no half file.
bool write_file(const fs::path& path, const std::string& bytes) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  fs::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "draw_theme: cannot write %s\n", temporary.c_str());
      return false;
    }
  }
  fs::rename(temporary, path, error);
  if (error) {
    std::fprintf(stderr, "draw_theme: cannot rename %s: %s\n", temporary.c_str(),
                 error.message().c_str());
    return false;
  }
  return true;
}

struct ArchiveDeleter {
  void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};

// Every entry carries the same time, owner and mode, so the ZIP depends on
// nothing but its contents.
constexpr time_t kEntryTime = 946684800;  // 2000-01-01 00:00:00 UTC

bool write_theme(const fs::path& path) {
  std::vector<std::pair<std::string, std::string>> entries;
  entries.emplace_back("theme.cfg", theme_cfg());
  std::string bytes;
  auto add = [&](const char* folder, const Picture& picture, int size) {
    Surface surface = render(picture, size);
    if (!png_bytes(surface.get(), bytes)) return false;
    entries.emplace_back(
        std::string(folder) + "/" + std::to_string(size) + "/" + picture.name + ".png", bytes);
    return true;
  };
  for (int size : kIconSizes) {
    for (const Picture& picture : kIcons) {
      if (!add("Icons", picture, size)) return false;
    }
  }
  for (int size : kButtonSizes) {
    for (const Picture& picture : kButtons) {
      if (!add("Buttons", picture, size)) return false;
    }
  }

  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  fs::path temporary = path;
  temporary += ".tmp";
  std::unique_ptr<archive, ArchiveDeleter> zip(archive_write_new());
  std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
  bool ok = archive_write_set_format_zip(zip.get()) == ARCHIVE_OK &&
            archive_write_zip_set_compression_deflate(zip.get()) == ARCHIVE_OK &&
            archive_write_open_filename(zip.get(), temporary.c_str()) == ARCHIVE_OK;
  for (std::size_t i = 0; ok && i < entries.size(); ++i) {
    const auto& [name, data] = entries[i];
    archive_entry_clear(entry.get());
    archive_entry_set_pathname(entry.get(), name.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(data.size()));
    archive_entry_set_mtime(entry.get(), kEntryTime, 0);
    archive_entry_set_uid(entry.get(), 0);
    archive_entry_set_gid(entry.get(), 0);
    ok = archive_write_header(zip.get(), entry.get()) == ARCHIVE_OK &&
         archive_write_data(zip.get(), data.data(), data.size()) ==
             static_cast<la_ssize_t>(data.size());
  }
  ok = ok && archive_write_close(zip.get()) == ARCHIVE_OK;
  if (!ok) {
    std::fprintf(stderr, "draw_theme: cannot write %s: %s\n", temporary.c_str(),
                 archive_error_string(zip.get()) ? archive_error_string(zip.get()) : "");
    return false;
  }
  fs::rename(temporary, path, error);
  if (error) {
    std::fprintf(stderr, "draw_theme: cannot rename %s\n", temporary.c_str());
    return false;
  }
  return true;
}

const Picture kApplication{"pixmera", draw_application};

bool write_application_icons(const fs::path& hicolor) {
  std::string bytes;
  for (int size : kApplicationSizes) {
    Surface surface = render(kApplication, size);
    std::string folder = std::to_string(size) + "x" + std::to_string(size);
    if (!png_bytes(surface.get(), bytes) ||
        !write_file(hicolor / folder / "apps" / "pixmera.png", bytes)) {
      return false;
    }
  }
  // The scalable icon: the 256 px drawing as vector paths.
  std::string svg;
  auto write = [](void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
  };
  {
    Surface surface(cairo_svg_surface_create_for_stream(write, &svg, 256, 256));
    cairo_svg_surface_restrict_to_version(surface.get(), CAIRO_SVG_VERSION_1_1);
    Context cr(cairo_create(surface.get()));
    Pen pen = make_pen(cr.get(), 256, kApplication.name);
    kApplication.draw(pen);
    cr.reset();
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
  }
  return write_file(hicolor / "scalable" / "apps" / "pixmera.svg", svg);
}

bool write_windows_icon(const fs::path& path) {
  std::vector<pixmera::artwork::IconPicture> pictures;
  for (int size : kWindowsIconSizes) {
    Surface surface = render(kApplication, size);
    pixmera::artwork::IconPicture picture;
    picture.size = size;
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < size; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
      picture.pixels.insert(picture.pixels.end(), row, row + size);
    }
    if (!png_bytes(surface.get(), picture.png)) return false;
    pictures.push_back(std::move(picture));
  }
  std::string bytes = pixmera::artwork::ico_file(pictures);
  return !bytes.empty() && write_file(path, bytes);
}

// Contact sheets: each picture at each size on light and on dark grey, and
// the small sizes enlarged four times with square pixels.
bool write_sheets(const fs::path& folder) {
  const Colour backgrounds[] = {hex(0xeeeeee), hex(0x3c3f44)};
  const int cell = 56, zoom = 4;
  const int icon_columns = static_cast<int>(std::size(kIconSizes));
  const int width = cell * icon_columns * 2;
  const int height = cell * static_cast<int>(std::size(kIcons)) + 20;
  Surface sheet(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  Context cr(cairo_create(sheet.get()));
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  cairo_paint(cr.get());
  for (std::size_t row = 0; row < std::size(kIcons); ++row) {
    double y = 10 + static_cast<double>(row) * cell;
    for (int bg = 0; bg < 2; ++bg) {
      Colour c = backgrounds[bg];
      cairo_set_source_rgb(cr.get(), c.r, c.g, c.b);
      cairo_rectangle(cr.get(), bg * cell * icon_columns, y, cell * icon_columns, cell);
      cairo_fill(cr.get());
      for (int col = 0; col < icon_columns; ++col) {
        int size = kIconSizes[col];
        Surface icon = render(kIcons[row], size);
        double x = bg * cell * icon_columns + col * cell + (cell - size) / 2;
        cairo_set_source_surface(cr.get(), icon.get(), x, y + (cell - size) / 2);
        cairo_paint(cr.get());
      }
    }
  }
  std::string bytes;
  if (!png_bytes(sheet.get(), bytes) || !write_file(folder / "icons.png", bytes)) return false;

  // The small sizes enlarged, with square pixels.
  const int per_row = 4, zoom_cell = (16 + 20 + 24) * zoom + 40;
  const int rows = (static_cast<int>(std::size(kIcons)) + per_row - 1) / per_row;
  Surface sheet3(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, per_row * zoom_cell,
                                            rows * (24 * zoom + 12)));
  Context cr3(cairo_create(sheet3.get()));
  cairo_set_source_rgb(cr3.get(), 1, 1, 1);
  cairo_paint(cr3.get());
  for (std::size_t i = 0; i < std::size(kIcons); ++i) {
    double x = static_cast<double>(i % per_row) * zoom_cell;
    double y = static_cast<double>(i / per_row) * (24 * zoom + 12);
    for (int size : {16, 20, 24}) {
      Surface icon = render(kIcons[i], size);
      cairo_save(cr3.get());
      cairo_set_source_rgb(cr3.get(), 0.93, 0.93, 0.93);
      cairo_rectangle(cr3.get(), x, y, size * zoom, size * zoom);
      cairo_fill(cr3.get());
      cairo_translate(cr3.get(), x, y);
      cairo_scale(cr3.get(), zoom, zoom);
      cairo_set_source_surface(cr3.get(), icon.get(), 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr3.get()), CAIRO_FILTER_NEAREST);
      cairo_paint(cr3.get());
      cairo_restore(cr3.get());
      x += size * zoom + 10;
    }
  }
  if (!png_bytes(sheet3.get(), bytes) || !write_file(folder / "zoom.png", bytes)) return false;

  // Buttons and the application icon.
  const int bwidth = (132 + 12) * 4 * 2 + 20;
  const int bheight = (132 + 12) * static_cast<int>(std::size(kButtons)) + 280;
  Surface sheet2(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bwidth, bheight));
  Context cr2(cairo_create(sheet2.get()));
  cairo_set_source_rgb(cr2.get(), 1, 1, 1);
  cairo_paint(cr2.get());
  for (int bg = 0; bg < 2; ++bg) {
    Colour c = backgrounds[bg];
    cairo_set_source_rgb(cr2.get(), c.r, c.g, c.b);
    cairo_rectangle(cr2.get(), bg * bwidth / 2, 0, bwidth / 2, bheight);
    cairo_fill(cr2.get());
    for (std::size_t row = 0; row < std::size(kButtons); ++row) {
      double x = bg * bwidth / 2 + 10;
      for (int size : kButtonSizes) {
        Surface button = render(kButtons[row], size);
        cairo_set_source_surface(cr2.get(), button.get(), x, 10 + static_cast<double>(row) * 144);
        cairo_paint(cr2.get());
        x += size + 12;
      }
    }
    double x = bg * bwidth / 2 + 10;
    for (int size : kApplicationSizes) {
      Surface icon = render(kApplication, size);
      cairo_set_source_surface(cr2.get(), icon.get(), x, bheight - 266);
      cairo_paint(cr2.get());
      x += size + 12;
    }
  }
  return png_bytes(sheet2.get(), bytes) && write_file(folder / "buttons.png", bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--ico") {
    bool ok = write_windows_icon(argv[2]);
    cairo_debug_reset_static_data();
    return ok ? 0 : 1;
  }
  if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--sheet")) {
    std::fprintf(stderr,
                 "usage: draw_theme THEME.zip HICOLOR_FOLDER [--sheet FOLDER]\n"
                 "       draw_theme --ico ICON.ico\n");
    return 2;
  }
  // The ZIP's DOS times are local times: the same in every time zone only
  // when the time zone is fixed.
  setenv("TZ", "UTC", 1);
  bool ok = write_theme(argv[1]) && write_application_icons(argv[2]);
  if (ok && argc == 5) ok = write_sheets(argv[4]);
  cairo_debug_reset_static_data();
  return ok ? 0 : 1;
}
