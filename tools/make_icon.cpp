// Makes the program's icon: a 32 x 32 picture in the 16 standard VGA colours,
// a cyan crosshair ring over a tally mark (four yellow strokes struck through
// by a red one) on a navy square with a black border, the picture the window
// draws for itself. It is written twice:
//
//   - a Windows icon (.ico): one 32 x 32 image of 4 bits per pixel with its
//     16-colour palette and its AND mask (1 = transparent), for the Windows
//     program's resources;
//   - a PNG (8-bit palette, transparency in tRNS, stored deflate blocks), for
//     the desktop launcher's icon.
//
// Standard library only. Build and run from the repository's top folder:
//
//   g++ -std=c++17 -O2 -Wall -Wextra -o /tmp/make_icon tools/make_icon.cpp && /tmp/make_icon
//
// With no arguments it writes src/window/resources/fragtally.ico and
// src/window/resources/fragtally.png; otherwise:
//
//   make_icon ICON.ico PICTURE.png   the two files, at those paths
//   make_icon --enlarged N OUT.png   the PNG only, every pixel an N x N block (to look at)
//
// The output is the same on every machine; the committed files are what this
// program writes.

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

// Pixel (x, y) covers [x, x+1) x [y, y+1); the picture's centre is (16, 16).
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

  // Four tally strokes, two pixels wide, each with an olive shadow below and
  // to the right.
  for (int left : {7, 12, 17, 22}) {
    p.FillRect(left + 1, 9, left + 2, 24, kOlive);
    p.FillRect(left, 8, left + 1, 23, kYellow);
  }

  // The strike through them, rising to the right, with a maroon shadow.
  p.Stroke(5.0, 23.5, 27.0, 10.5, 0.95, kMaroon);
  p.Stroke(5.0, 22.5, 27.0, 9.5, 0.95, kRed);

  // The crosshair ring over all of it.
  p.Ring(16.0, 16.0, 12.5, 1.0, kCyan, kTeal, kNavy);
  return p;
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

// --- Windows icon ---

std::vector<std::uint8_t> IconFile(const Picture& p) {
  constexpr std::uint32_t kXorRowBytes = kSize / 2;                 // 4 bits a pixel: 16, a multiple of 4
  constexpr std::uint32_t kAndRowBytes = ((kSize + 31) / 32) * 4;  // 1 bit a pixel, rows padded to 4 bytes
  constexpr std::uint32_t kHeaderBytes = 40, kPaletteBytes = 16 * 4;
  constexpr std::uint32_t kXorBytes = kXorRowBytes * kSize, kAndBytes = kAndRowBytes * kSize;
  constexpr std::uint32_t kImageBytes = kHeaderBytes + kPaletteBytes + kXorBytes + kAndBytes;
  constexpr std::uint32_t kImageOffset = 6 + 16;

  std::vector<std::uint8_t> out;
  // ICONDIR: reserved, type 1 (icon), one image.
  Put16le(out, 0);
  Put16le(out, 1);
  Put16le(out, 1);
  // ICONDIRENTRY: width, height, colours, reserved, planes, bits per pixel, size, offset.
  out.push_back(kSize);
  out.push_back(kSize);
  out.push_back(16);
  out.push_back(0);
  Put16le(out, 1);
  Put16le(out, 4);
  Put32le(out, kImageBytes);
  Put32le(out, kImageOffset);

  // BITMAPINFOHEADER; the height counts the colour image and the mask.
  Put32le(out, kHeaderBytes);
  Put32le(out, kSize);
  Put32le(out, 2 * kSize);
  Put16le(out, 1);   // planes
  Put16le(out, 4);   // bits per pixel
  Put32le(out, 0);   // BI_RGB
  Put32le(out, kXorBytes + kAndBytes);
  Put32le(out, 0);   // pixels per metre, x
  Put32le(out, 0);   // pixels per metre, y
  Put32le(out, 16);  // colours used
  Put32le(out, 0);   // colours important: all

  for (const Rgb& c : kPalette) {  // RGBQUAD: blue, green, red, 0
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }

  // Colour image, bottom row first, the left pixel in the high nibble.
  // Transparent pixels are black there, so the mask alone shows what is behind.
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; x += 2) {
      const auto index = [&](int px) { return p.At(px, y) == kTransparent ? 0 : static_cast<int>(p.At(px, y)); };
      out.push_back(static_cast<std::uint8_t>(index(x) << 4 | index(x + 1)));
    }
  }
  // AND mask, bottom row first, the left pixel in the high bit.
  for (int y = kSize - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(kAndRowBytes, 0);
    for (int x = 0; x < kSize; ++x)
      if (p.At(x, y) == kTransparent) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }

  if (out.size() != kImageOffset + kImageBytes) {
    std::fprintf(stderr, "internal error: icon of %zu bytes\n", out.size());
    std::exit(1);
  }
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

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  Put32be(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32be(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& raw) {
  std::vector<std::uint8_t> out = {0x78, 0x01};  // deflate, 32 KiB window; check bits make 0x7801 % 31 == 0
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(raw.size() - pos, 65535);
    const bool last = pos + n == raw.size();
    out.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00
    Put16le(out, static_cast<std::uint32_t>(n));
    Put16le(out, static_cast<std::uint32_t>(~n & 0xFFFF));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
               raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  Put32be(out, Adler32(raw));
  return out;
}

// Palette entries 0..15 are the VGA colours, entry 16 is transparent.
std::vector<std::uint8_t> PngFile(const Picture& p, int scale) {
  const std::uint32_t side = static_cast<std::uint32_t>(kSize * scale);
  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

  std::vector<std::uint8_t> header;
  Put32be(header, side);
  Put32be(header, side);
  header.push_back(8);  // bits per index
  header.push_back(3);  // palette colours
  header.push_back(0);  // deflate
  header.push_back(0);  // adaptive filtering
  header.push_back(0);  // not interlaced
  PutChunk(out, "IHDR", header);

  std::vector<std::uint8_t> palette;
  for (const Rgb& c : kPalette) palette.insert(palette.end(), {c.r, c.g, c.b});
  palette.insert(palette.end(), {0, 0, 0});
  PutChunk(out, "PLTE", palette);

  std::vector<std::uint8_t> alpha(17, 255);
  alpha[16] = 0;
  PutChunk(out, "tRNS", alpha);

  std::vector<std::uint8_t> raw;
  for (std::uint32_t y = 0; y < side; ++y) {
    raw.push_back(0);  // filter: none
    for (std::uint32_t x = 0; x < side; ++x) {
      const Colour c = p.At(static_cast<int>(x) / scale, static_cast<int>(y) / scale);
      raw.push_back(c == kTransparent ? 16 : static_cast<std::uint8_t>(c));
    }
  }
  PutChunk(out, "IDAT", Zlib(raw));
  PutChunk(out, "IEND", {});
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
               "       %s --enlarged N OUT.png\n",
               program, program);
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  const Picture icon = DrawIcon();
  if (argc == 4 && std::string(argv[1]) == "--enlarged") {
    const int scale = std::atoi(argv[2]);
    if (scale < 1 || scale > 64) return Usage(argv[0]);
    return WriteFile(argv[3], PngFile(icon, scale)) ? 0 : 1;
  }
  std::string ico = "src/window/resources/fragtally.ico";
  std::string png = "src/window/resources/fragtally.png";
  if (argc == 3) {
    ico = argv[1];
    png = argv[2];
  } else if (argc != 1) {
    return Usage(argv[0]);
  }
  const bool ok = WriteFile(ico, IconFile(icon)) && WriteFile(png, PngFile(icon, 1));
  return ok ? 0 : 1;
}
