// Makes the program's icon: a cyan crosshair ring over a tally mark (four
// yellow strokes struck through by a red one) on a navy square with a black
// border, the picture the window draws for itself. Its 32 x 32 form is drawn
// pixel by pixel in the 16 standard VGA colours; the other sizes draw the
// same shapes smoothly, in true colour with an alpha channel. It is written
// twice:
//
//   - a Windows icon (.ico) for the Windows program's resources, with four
//     images: 32 x 32 in 16 colours (4 bits per pixel, its palette and its
//     AND mask, 1 = transparent), and 16 x 16 and 48 x 48 in 32 bits per
//     pixel (for the title bar, Explorer and the taskbar), and 256 x 256 as a
//     PNG (Explorer's large views);
//   - the 32 x 32 picture as a PNG (8-bit palette, transparency in tRNS), for
//     the desktop launcher's icon.
//
// Standard library only (the PNGs are deflated here). Build and run from the
// repository's top folder:
//
//   g++ -std=c++17 -O2 -Wall -Wextra -o /tmp/make_icon tools/make_icon.cpp && /tmp/make_icon
//
// With no arguments it writes src/window/resources/fragtally.ico and
// src/window/resources/fragtally.png; otherwise:
//
//   make_icon ICON.ico PICTURE.png   the two files, at those paths
//   make_icon --enlarged N OUT.png   the 32 x 32 PNG only, every pixel an N x N block (to look at)
//   make_icon --size S OUT.png       the smooth picture at S x S as a PNG (to look at)
//
// `icotool -l fragtally.ico` (Debian's icoutils) lists the icon's images,
// `icotool -x` writes each as a PNG. The output is the same on every machine;
// the committed files are what this program writes.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;

// The 16 standard VGA colours, in the order of the Windows 16-colour palette.
enum Colour : std::int8_t {
  kBlack, kMaroon, kGreen, kOlive, kNavy, kPurple, kTeal, kSilver,
  kGrey, kRed, kLime, kYellow, kBlue, kFuchsia, kCyan, kWhite,
  kTransparent = -1,
};

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr std::array<Rgb, 16> kPalette = {{
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

// --- the shapes, in the 32 x 32 picture's units ---
// (x, y) is a point of the 32 x 32 square; its centre is (16, 16).

struct Segment {
  double x0, y0, x1, y1;
};

// Four tally strokes, two units wide, each with a shadow below and to the right.
constexpr int kTallyLefts[] = {7, 12, 17, 22};
constexpr int kTallyTop = 8, kTallyBottom = 24;  // the strokes cover [top, bottom)
// The strike through them, rising to the right, with a shadow one unit below.
constexpr Segment kStrike{5.0, 22.5, 27.0, 9.5};
constexpr double kStrikeHalfWidth = 0.95;
// The crosshair ring.
constexpr double kRingRadius = 12.5, kRingWidth = 1.0;

// --- the 32 x 32 picture in 16 colours ---

// Pixel (x, y) covers [x, x+1) x [y, y+1).
class Picture {
 public:
  Picture() { pixels_.fill(kTransparent); }

  Colour At(int x, int y) const { return pixels_[Index(x, y)]; }
  void Set(int x, int y, Colour c) {
    if (x >= 0 && x < kSize && y >= 0 && y < kSize) pixels_[Index(x, y)] = c;
  }
  void FillRect(int left, int top, int right, int bottom, Colour c) {  // inclusive
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x) Set(x, y, c);
  }
  // Every pixel whose centre lies within half_width of the segment.
  void Stroke(double x0, double y0, double x1, double y1, double half_width, Colour c) {
    const double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        double t = ((px - x0) * dx + (py - y0) * dy) / length2;
        t = t < 0 ? 0 : (t > 1 ? 1 : t);
        const double ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
        if (ex * ex + ey * ey <= half_width * half_width) Set(x, y, c);
      }
    }
  }
  // A ring of the given radius and width. A pixel that it covers for at least
  // half is `c`; one it covers less, down to a fifth, is `edge` where the
  // pixel was `under` (a step of the ring's outline softened in the palette).
  void Ring(double cx, double cy, double radius, double width, Colour c, Colour edge, Colour under) {
    constexpr int kSamples = 8;
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        int inside = 0;
        for (int sy = 0; sy < kSamples; ++sy) {
          for (int sx = 0; sx < kSamples; ++sx) {
            const double d = std::hypot(x + (sx + 0.5) / kSamples - cx, y + (sy + 0.5) / kSamples - cy);
            if (std::fabs(d - radius) <= width / 2) ++inside;
          }
        }
        const double cover = inside / double(kSamples * kSamples);
        if (cover >= 0.5)
          Set(x, y, c);
        else if (cover >= 0.2 && At(x, y) == under)
          Set(x, y, edge);
      }
    }
  }

 private:
  static int Index(int x, int y) { return y * kSize + x; }
  std::array<Colour, kSize * kSize> pixels_;
};

Picture DrawIcon() {
  Picture p;
  // The square: a black border around navy, one transparent pixel outside.
  p.FillRect(1, 1, 30, 30, kBlack);
  p.FillRect(2, 2, 29, 29, kNavy);
  for (int left : kTallyLefts) {
    p.FillRect(left + 1, kTallyTop + 1, left + 2, kTallyBottom, kOlive);
    p.FillRect(left, kTallyTop, left + 1, kTallyBottom - 1, kYellow);
  }
  p.Stroke(kStrike.x0, kStrike.y0 + 1, kStrike.x1, kStrike.y1 + 1, kStrikeHalfWidth, kMaroon);
  p.Stroke(kStrike.x0, kStrike.y0, kStrike.x1, kStrike.y1, kStrikeHalfWidth, kRed);
  p.Ring(16.0, 16.0, kRingRadius, kRingWidth, kCyan, kTeal, kNavy);
  return p;
}

// --- the smooth pictures, any size, 8-bit RGBA ---

struct Rgba {
  std::uint8_t r, g, b, a;
};

class SmoothPicture {
 public:
  explicit SmoothPicture(int size) : size_(size), pixels_(static_cast<std::size_t>(size) * size) {}
  int size() const { return size_; }
  const Rgba& At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * size_ + x]; }
  Rgba& At(int x, int y) { return pixels_[static_cast<std::size_t>(y) * size_ + x]; }

 private:
  int size_;
  std::vector<Rgba> pixels_;
};

double DistanceToSegment(double x, double y, const Segment& s) {
  const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  double t = ((x - s.x0) * dx + (y - s.y0) * dy) / (dx * dx + dy * dy);
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(x - (s.x0 + t * dx), y - (s.y0 + t * dy));
}

// The same shapes as DrawIcon, each pixel the average of 8 x 8 samples.
// Below 32 x 32 a unit is less than a pixel: there the square fills the
// picture, every line is at least about a pixel wide, the tally strokes sit
// on whole pixels, one pixel apart, and nothing has a shadow, so that nothing
// fades or blurs into its neighbour.
SmoothPicture DrawSmoothIcon(int size) {
  const double unit = size / double(kSize);  // pixels per unit
  const bool small = size < kSize;
  const auto at_least = [unit](double units, double pixels) { return std::max(units, pixels / unit); };
  const double margin = small ? 0.0 : 1.0;
  const double border = at_least(1.0, 1.0);
  const double ring_width = at_least(kRingWidth, 1.1);
  const double strike_half_width = at_least(kStrikeHalfWidth, 0.8);
  // The tally strokes' left edges and width, in units.
  std::array<double, 4> tally_lefts{};
  for (std::size_t i = 0; i < tally_lefts.size(); ++i)
    tally_lefts[i] = small ? (std::floor(kTallyLefts[0] * unit) + 2.0 * static_cast<double>(i)) / unit : kTallyLefts[i];
  const double tally_width = small ? 1.0 / unit : 2.0;

  // The colour at a point, painted bottom to top; kTransparent outside.
  const auto colour_at = [&](double x, double y) -> Colour {
    if (x < margin || y < margin || x >= kSize - margin || y >= kSize - margin) return kTransparent;
    Colour c = kBlack;
    if (x >= margin + border && y >= margin + border && x < kSize - margin - border && y < kSize - margin - border)
      c = kNavy;
    for (double left : tally_lefts) {
      if (!small && x >= left + 1 && x < left + 3 && y >= kTallyTop + 1 && y < kTallyBottom + 1) c = kOlive;
    }
    for (double left : tally_lefts) {
      if (x >= left && x < left + tally_width && y >= kTallyTop && y < kTallyBottom) c = kYellow;
    }
    const Segment shadow{kStrike.x0, kStrike.y0 + 1, kStrike.x1, kStrike.y1 + 1};
    if (!small && DistanceToSegment(x, y, shadow) <= strike_half_width) c = kMaroon;
    if (DistanceToSegment(x, y, kStrike) <= strike_half_width) c = kRed;
    if (std::fabs(std::hypot(x - 16.0, y - 16.0) - kRingRadius) <= ring_width / 2) c = kCyan;
    return c;
  };

  constexpr int kSamples = 8;
  SmoothPicture picture(size);
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      int covered = 0, r = 0, g = 0, b = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Colour c = colour_at((px + (sx + 0.5) / kSamples) / unit, (py + (sy + 0.5) / kSamples) / unit);
          if (c == kTransparent) continue;
          ++covered;
          r += kPalette[c].r;
          g += kPalette[c].g;
          b += kPalette[c].b;
        }
      }
      Rgba& out = picture.At(px, py);
      if (covered == 0) {
        out = {0, 0, 0, 0};
        continue;
      }
      const auto average = [covered](int sum) { return static_cast<std::uint8_t>((sum + covered / 2) / covered); };
      out = {average(r), average(g), average(b),
             static_cast<std::uint8_t>((covered * 255 + kSamples * kSamples / 2) / (kSamples * kSamples))};
    }
  }
  return picture;
}

// --- little-endian and big-endian byte output ---

void Put16le(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32le(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16le(out, v & 0xFFFF);
  Put16le(out, v >> 16);
}
void Put32be(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>((v >> 24) & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 16) & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

// --- deflate (RFC 1951): one block with the fixed Huffman codes, and matches
// found through a hash of their first three bytes ---

class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  // `count` bits of `value`, least significant first.
  void Bits(std::uint32_t value, int count) {
    buffer_ |= value << filled_;
    filled_ += count;
    while (filled_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFF));
      buffer_ >>= 8;
      filled_ -= 8;
    }
  }
  // A Huffman code: most significant bit first.
  void Code(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    Bits(reversed, length);
  }
  void Flush() {
    if (filled_ > 0) out_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFF));
    buffer_ = 0;
    filled_ = 0;
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::uint32_t buffer_ = 0;
  int filled_ = 0;
};

// A literal byte (0-255), the end of the block (256) or a length (257-285).
void PutSymbol(BitWriter& bits, int symbol) {
  if (symbol < 144) bits.Code(0x30 + symbol, 8);
  else if (symbol < 256) bits.Code(0x190 + (symbol - 144), 9);
  else if (symbol < 280) bits.Code(symbol - 256, 7);
  else bits.Code(0xC0 + (symbol - 280), 8);
}

void PutMatch(BitWriter& bits, int length, int distance) {
  static constexpr int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                        31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static constexpr int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  static constexpr int kDistanceBase[] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                          193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  static constexpr int kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                           6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
  int l = 28;
  while (kLengthBase[l] > length) --l;
  PutSymbol(bits, 257 + l);
  bits.Bits(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
  int d = 29;
  while (kDistanceBase[d] > distance) --d;
  bits.Code(static_cast<std::uint32_t>(d), 5);
  bits.Bits(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& raw) {
  constexpr int kWindow = 32768, kMinMatch = 3, kMaxMatch = 258, kMaxTries = 256;
  constexpr std::uint32_t kHashBits = 15;
  std::vector<std::uint8_t> out;
  BitWriter bits(out);
  bits.Bits(1, 1);  // BFINAL: the only block
  bits.Bits(1, 2);  // BTYPE 01: fixed Huffman codes

  const int n = static_cast<int>(raw.size());
  std::vector<int> head(1u << kHashBits, -1), previous(raw.size(), -1);
  const auto hash = [&](int i) {
    return ((raw[i] << 10) ^ (raw[i + 1] << 5) ^ raw[i + 2]) & ((1u << kHashBits) - 1);
  };
  const auto insert = [&](int i) {
    if (i + kMinMatch > n) return;
    const std::uint32_t h = hash(i);
    previous[i] = head[h];
    head[h] = i;
  };

  int i = 0;
  while (i < n) {
    int best_length = 0, best_distance = 0;
    if (i + kMinMatch <= n) {
      const int limit = std::min(kMaxMatch, n - i);
      int tries = 0;
      for (int candidate = head[hash(i)]; candidate >= 0 && i - candidate <= kWindow && tries < kMaxTries;
           candidate = previous[candidate], ++tries) {
        int length = 0;
        while (length < limit && raw[candidate + length] == raw[i + length]) ++length;
        if (length > best_length) {
          best_length = length;
          best_distance = i - candidate;
          if (length == limit) break;
        }
      }
    }
    if (best_length >= kMinMatch) {
      PutMatch(bits, best_length, best_distance);
      for (int k = 0; k < best_length; ++k) insert(i + k);
      i += best_length;
    } else {
      PutSymbol(bits, raw[i]);
      insert(i);
      ++i;
    }
  }
  PutSymbol(bits, 256);
  bits.Flush();
  return out;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

// A zlib stream (RFC 1950) around the deflated bytes.
std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& raw) {
  std::vector<std::uint8_t> out = {0x78, 0x01};  // deflate, 32 KiB window; check bits make 0x7801 % 31 == 0
  const std::vector<std::uint8_t> deflated = Deflate(raw);
  out.insert(out.end(), deflated.begin(), deflated.end());
  Put32be(out, Adler32(raw));
  return out;
}

// --- PNG ---

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  Put32be(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32be(out, Crc32(out.data() + start, out.size() - start));
}

// `rows` holds each row's bytes after its filter byte (0: none).
std::vector<std::uint8_t> Png(std::uint32_t side, std::uint8_t colour_type, const std::vector<std::uint8_t>& palette,
                              const std::vector<std::uint8_t>& alpha, const std::vector<std::uint8_t>& rows) {
  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  Put32be(header, side);
  Put32be(header, side);
  header.push_back(8);  // bits per sample (or per palette index)
  header.push_back(colour_type);
  header.push_back(0);  // deflate
  header.push_back(0);  // adaptive filtering
  header.push_back(0);  // not interlaced
  PutChunk(out, "IHDR", header);
  if (!palette.empty()) PutChunk(out, "PLTE", palette);
  if (!alpha.empty()) PutChunk(out, "tRNS", alpha);
  PutChunk(out, "IDAT", Zlib(rows));
  PutChunk(out, "IEND", {});
  return out;
}

// The 32 x 32 picture: palette entries 0..15 are the VGA colours, entry 16 is
// transparent.
std::vector<std::uint8_t> PalettePng(const Picture& p, int scale) {
  const std::uint32_t side = static_cast<std::uint32_t>(kSize * scale);
  std::vector<std::uint8_t> palette;
  for (const Rgb& c : kPalette) palette.insert(palette.end(), {c.r, c.g, c.b});
  palette.insert(palette.end(), {0, 0, 0});
  std::vector<std::uint8_t> alpha(17, 255);
  alpha[16] = 0;
  std::vector<std::uint8_t> rows;
  for (std::uint32_t y = 0; y < side; ++y) {
    rows.push_back(0);  // filter: none
    for (std::uint32_t x = 0; x < side; ++x) {
      const Colour c = p.At(static_cast<int>(x) / scale, static_cast<int>(y) / scale);
      rows.push_back(c == kTransparent ? 16 : static_cast<std::uint8_t>(c));
    }
  }
  return Png(side, 3, palette, alpha, rows);
}

std::vector<std::uint8_t> RgbaPng(const SmoothPicture& p) {
  std::vector<std::uint8_t> rows;
  for (int y = 0; y < p.size(); ++y) {
    rows.push_back(0);  // filter: none
    for (int x = 0; x < p.size(); ++x) {
      const Rgba& c = p.At(x, y);
      rows.insert(rows.end(), {c.r, c.g, c.b, c.a});
    }
  }
  return Png(static_cast<std::uint32_t>(p.size()), 6, {}, {}, rows);
}

// --- Windows icon ---

// An image of the icon file: the bytes and its directory entry's fields.
struct IconImage {
  int side;
  int colours;  // 16, or 0 for more
  int bits_per_pixel;
  std::vector<std::uint8_t> bytes;
};

void PutBitmapHeader(std::vector<std::uint8_t>& out, int side, int bits_per_pixel, std::uint32_t image_bytes,
                     std::uint32_t colours_used) {
  // BITMAPINFOHEADER; the height counts the colour image and the mask.
  Put32le(out, 40);
  Put32le(out, static_cast<std::uint32_t>(side));
  Put32le(out, static_cast<std::uint32_t>(2 * side));
  Put16le(out, 1);  // planes
  Put16le(out, static_cast<std::uint32_t>(bits_per_pixel));
  Put32le(out, 0);  // BI_RGB
  Put32le(out, image_bytes);
  Put32le(out, 0);  // pixels per metre, x
  Put32le(out, 0);  // pixels per metre, y
  Put32le(out, colours_used);
  Put32le(out, 0);  // colours important: all
}

// The AND mask, bottom row first, the left pixel in the high bit, rows padded
// to 4 bytes; 1 = transparent.
template <class Transparent>
void PutMask(std::vector<std::uint8_t>& out, int side, Transparent transparent) {
  const int row_bytes = ((side + 31) / 32) * 4;
  for (int y = side - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(row_bytes), 0);
    for (int x = 0; x < side; ++x)
      if (transparent(x, y)) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
}

// The 32 x 32 picture at 4 bits per pixel with its 16-colour palette.
IconImage SixteenColourImage(const Picture& p) {
  constexpr std::uint32_t kXorBytes = kSize / 2 * kSize, kAndBytes = ((kSize + 31) / 32) * 4 * kSize;
  IconImage image{kSize, 16, 4, {}};
  std::vector<std::uint8_t>& out = image.bytes;
  PutBitmapHeader(out, kSize, 4, kXorBytes + kAndBytes, 16);
  for (const Rgb& c : kPalette) out.insert(out.end(), {c.b, c.g, c.r, 0});  // RGBQUAD
  // Colour image, bottom row first, the left pixel in the high nibble.
  // Transparent pixels are black there, so the mask alone shows what is behind.
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; x += 2) {
      const auto index = [&](int px) { return p.At(px, y) == kTransparent ? 0 : static_cast<int>(p.At(px, y)); };
      out.push_back(static_cast<std::uint8_t>(index(x) << 4 | index(x + 1)));
    }
  }
  PutMask(out, kSize, [&](int x, int y) { return p.At(x, y) == kTransparent; });
  return image;
}

// A smooth picture at 32 bits per pixel (BGRA, not premultiplied).
IconImage TrueColourImage(const SmoothPicture& p) {
  const int side = p.size();
  const auto xor_bytes = static_cast<std::uint32_t>(side * side * 4);
  const auto and_bytes = static_cast<std::uint32_t>(((side + 31) / 32) * 4 * side);
  IconImage image{side, 0, 32, {}};
  std::vector<std::uint8_t>& out = image.bytes;
  PutBitmapHeader(out, side, 32, xor_bytes + and_bytes, 0);
  for (int y = side - 1; y >= 0; --y) {
    for (int x = 0; x < side; ++x) {
      const Rgba& c = p.At(x, y);
      out.insert(out.end(), {c.b, c.g, c.r, c.a});
    }
  }
  PutMask(out, side, [&](int x, int y) { return p.At(x, y).a == 0; });
  return image;
}

IconImage PngImage(const SmoothPicture& p) { return IconImage{p.size(), 0, 32, RgbaPng(p)}; }

std::vector<std::uint8_t> IconFile(const std::vector<IconImage>& images) {
  std::vector<std::uint8_t> out;
  // ICONDIR: reserved, type 1 (icon), the number of images.
  Put16le(out, 0);
  Put16le(out, 1);
  Put16le(out, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const IconImage& image : images) {
    // ICONDIRENTRY: width, height (0 for 256), colours, reserved, planes,
    // bits per pixel, size, offset.
    out.push_back(static_cast<std::uint8_t>(image.side & 0xFF));
    out.push_back(static_cast<std::uint8_t>(image.side & 0xFF));
    out.push_back(static_cast<std::uint8_t>(image.colours));
    out.push_back(0);
    Put16le(out, 1);
    Put16le(out, static_cast<std::uint32_t>(image.bits_per_pixel));
    Put32le(out, static_cast<std::uint32_t>(image.bytes.size()));
    Put32le(out, offset);
    offset += static_cast<std::uint32_t>(image.bytes.size());
  }
  for (const IconImage& image : images) out.insert(out.end(), image.bytes.begin(), image.bytes.end());
  return out;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("wrote %s (%zu bytes)\n", path.c_str(), bytes.size());
  return true;
}

int Usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s [ICON.ico PICTURE.png]\n"
               "       %s --enlarged N OUT.png\n"
               "       %s --size S OUT.png\n",
               program, program, program);
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  const Picture icon = DrawIcon();
  if (argc == 4 && std::string(argv[1]) == "--enlarged") {
    const int scale = std::atoi(argv[2]);
    if (scale < 1 || scale > 64) return Usage(argv[0]);
    return WriteFile(argv[3], PalettePng(icon, scale)) ? 0 : 1;
  }
  if (argc == 4 && std::string(argv[1]) == "--size") {
    const int size = std::atoi(argv[2]);
    if (size < 8 || size > 1024) return Usage(argv[0]);
    return WriteFile(argv[3], RgbaPng(DrawSmoothIcon(size))) ? 0 : 1;
  }
  std::string ico = "src/window/resources/fragtally.ico";
  std::string png = "src/window/resources/fragtally.png";
  if (argc == 3) {
    ico = argv[1];
    png = argv[2];
  } else if (argc != 1) {
    return Usage(argv[0]);
  }
  const std::vector<IconImage> images = {SixteenColourImage(icon), TrueColourImage(DrawSmoothIcon(16)),
                                         TrueColourImage(DrawSmoothIcon(48)), PngImage(DrawSmoothIcon(256))};
  const bool ok = WriteFile(ico, IconFile(images)) && WriteFile(png, PalettePng(icon, 1));
  return ok ? 0 : 1;
}
