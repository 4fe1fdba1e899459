// Checks a screenshot of the HTML report: it is not blank, the players'
// table was drawn (its header's colour over a good area) and a chart was
// drawn (the frags line, its moving average and a weapon's line in their
// colours, tools/sample_players.h's players having matches). Prints what it
// counted.
//
//   picture_check SCREENSHOT.png

#include <cstdio>
#include <cstdlib>

#include <QImage>

namespace {

bool Near(QRgb pixel, QRgb colour) {
  return std::abs(qRed(pixel) - qRed(colour)) <= 40 && std::abs(qGreen(pixel) - qGreen(colour)) <= 40 &&
         std::abs(qBlue(pixel) - qBlue(colour)) <= 40;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: picture_check SCREENSHOT.png\n");
    return 2;
  }
  const QImage image = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) {
    std::fprintf(stderr, "picture_check: cannot read %s\n", argv[1]);
    return 1;
  }
  struct Colour {
    const char* what;
    QRgb rgb;
    long long minimum;
    long long count = 0;
  } colours[] = {
      {"table header (#2f5d8a)", qRgb(0x2f, 0x5d, 0x8a), 5000},
      {"frags line (#1f77b4)", qRgb(0x1f, 0x77, 0xb4), 100},
      {"moving average (#d62728)", qRgb(0xd6, 0x27, 0x28), 100},
      {"machinegun accuracy (#2ca02c)", qRgb(0x2c, 0xa0, 0x2c), 50},
  };
  long long not_white = 0;
  for (int y = 0; y < image.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (qRed(line[x]) < 240 || qGreen(line[x]) < 240 || qBlue(line[x]) < 240) ++not_white;
      for (Colour& colour : colours)
        if (Near(line[x], colour.rgb)) ++colour.count;
    }
  }
  const long long all = static_cast<long long>(image.width()) * image.height();
  bool good = image.width() >= 800 && image.height() >= 600;
  std::printf("picture_check: %dx%d, %.1f%% not white (at least 5%%)\n", image.width(), image.height(),
              100.0 * static_cast<double>(not_white) / static_cast<double>(all));
  good = good && not_white * 20 >= all;
  for (const Colour& colour : colours) {
    std::printf("picture_check: %s: %lld pixels (at least %lld)\n", colour.what, colour.count, colour.minimum);
    good = good && colour.count >= colour.minimum;
  }
  std::printf("picture_check: %s\n", good ? "passed" : "FAILED");
  return good ? 0 : 1;
}
