// Makes the built-in panel picture: a 240 x 320 dark grey texture (brushed
// metal with a bevelled edge) behind the panel labels, as a JPEG file.
//
//   make_panel_picture src/window/resources/stats.jpg
//
// The output is deterministic; the committed file is what this program writes.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>

namespace {

// Small fixed generator, so the picture is the same on every machine.
struct Random {
  std::uint32_t state;
  std::uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }  // [0, 1)
};

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
    return 2;
  }
  QCoreApplication app(argc, argv);  // for the image format plugins
  constexpr int kWidth = 240, kHeight = 320;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  Random random{0x5EED1234u};

  // Horizontal streaks: each row has its own slight brightness.
  double row_shade[kHeight];
  for (double& shade : row_shade) shade = (random.Unit() - 0.5) * 10.0;

  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      double v = 58.0 + row_shade[y];
      v += (random.Unit() - 0.5) * 16.0;                            // grain
      v += 5.0 * std::sin(x * 0.045 + y * 0.011) * std::cos(y * 0.07);  // soft waves
      // Bevel: lighter on the top and left edges, darker on the bottom and right.
      const int top_left = std::min(x, y);
      const int bottom_right = std::min(kWidth - 1 - x, kHeight - 1 - y);
      if (top_left < 4 && top_left <= bottom_right)
        v += 32.0 - 8.0 * top_left;
      else if (bottom_right < 4)
        v -= 24.0 - 6.0 * bottom_right;
      const int g = std::clamp(static_cast<int>(std::lround(v)), 0, 255);
      image.setPixel(x, y, qRgb(g, g, std::min(255, g + 4)));
    }
  }

  QImageWriter writer(QString::fromLocal8Bit(argv[1]), "jpeg");
  writer.setQuality(80);
  if (!writer.write(image)) {
    std::fprintf(stderr, "cannot write %s: %s\n", argv[1], qPrintable(writer.errorString()));
    return 1;
  }
  return 0;
}
