// Checks cells of a screenshot of the 640x400 text screen pixel by pixel:
// every pixel of a checked cell must be the glyph's set pixel in the given
// palette colour, or black. Usage:
//   e2e_screen SHOT.ppm SPEC...
// SPEC is text:ROW:COL:COLOUR:TEXT (the cells from ROW, COL on show TEXT),
// or cursor:ROW:COL:COLOUR (the cell shows only the entry cursor: pixel
// row 15 of 16 in COLOUR, the rest black; exit status 3 when the cell is
// plainly blank instead). Rows and columns count from 1.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/glyphs.h"

namespace {

// The 16-colour text palette, as the screen must show it.
constexpr uint32_t kPalette[16] = {
    0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF,
};

struct Image {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;
  uint32_t at(int x, int y) const {
    const uint8_t* p = &rgb[3 * (size_t(y) * w + x)];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
};

// The next number of a PPM header, skipping blanks and # comments.
bool header_number(FILE* f, int& out) {
  int c = std::fgetc(f);
  for (;;) {
    while (c == ' ' || c == '\t' || c == '\n' || c == '\r') c = std::fgetc(f);
    if (c != '#') break;
    while (c != '\n' && c != EOF) c = std::fgetc(f);
  }
  if (c < '0' || c > '9') return false;
  out = 0;
  while (c >= '0' && c <= '9') {
    out = out * 10 + (c - '0');
    c = std::fgetc(f);
  }
  return c != EOF;  // the one blank after the number has been taken
}

bool read_ppm(const char* path, Image& img) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  int maxval = 0;
  const bool ok = std::fgetc(f) == 'P' && std::fgetc(f) == '6' && header_number(f, img.w) &&
                  header_number(f, img.h) && header_number(f, maxval) && maxval == 255 && img.w > 0 &&
                  img.h > 0;
  if (ok) {
    img.rgb.resize(size_t(img.w) * img.h * 3);
    if (std::fread(img.rgb.data(), 1, img.rgb.size(), f) != img.rgb.size()) img.rgb.clear();
  }
  std::fclose(f);
  return ok && !img.rgb.empty();
}

// Pixel rows 1-16 of a cell as they must be; rows are 0-based here.
bool cell_is(const Image& img, int row, int col, const uint8_t (&rows)[16], uint32_t colour,
             std::string& why) {
  const int x0 = (col - 1) * 8, y0 = (row - 1) * 16;
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 8; ++c) {
      const uint32_t want = (rows[r] & (0x80 >> c)) ? colour : 0;
      const uint32_t got = img.at(x0 + c, y0 + r);
      if (got != want) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "row %d col %d: pixel (%d,%d) of the cell is %06X, expected %06X",
                      row, col, c, r, unsigned(got), unsigned(want));
        why = buf;
        return false;
      }
    }
  }
  return true;
}

std::vector<std::string> split(const std::string& s, int parts) {
  std::vector<std::string> out;
  size_t from = 0;
  while (int(out.size()) < parts - 1) {
    const size_t colon = s.find(':', from);
    if (colon == std::string::npos) break;
    out.push_back(s.substr(from, colon - from));
    from = colon + 1;
  }
  out.push_back(s.substr(from));
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SHOT.ppm SPEC...\n", argv[0]);
    return 2;
  }
  Image img;
  if (!read_ppm(argv[1], img)) {
    std::fprintf(stderr, "%s: %s is not a binary PPM\n", argv[0], argv[1]);
    return 2;
  }
  if (img.w < 640 || img.h < 400) {
    std::fprintf(stderr, "%s: the shot is %dx%d, smaller than the 640x400 screen\n", argv[0], img.w, img.h);
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string spec = argv[i];
    const bool is_text = spec.rfind("text:", 0) == 0, is_cursor = spec.rfind("cursor:", 0) == 0;
    const std::vector<std::string> f = split(spec, is_text ? 5 : 4);
    if ((!is_text && !is_cursor) || f.size() != (is_text ? 5u : 4u)) {
      std::fprintf(stderr, "%s: bad spec %s\n", argv[0], spec.c_str());
      return 2;
    }
    const int row = std::atoi(f[1].c_str()), col = std::atoi(f[2].c_str()), colour = std::atoi(f[3].c_str());
    if (row < 1 || row > 25 || col < 1 || col > 80 || colour < 0 || colour > 15) {
      std::fprintf(stderr, "%s: bad place or colour in %s\n", argv[0], spec.c_str());
      return 2;
    }
    std::string why;
    if (is_cursor) {
      uint8_t bar[16] = {};
      bar[14] = 0xFF;
      if (cell_is(img, row, col, bar, kPalette[colour], why)) continue;
      const uint8_t blank[16] = {};
      std::string why_blank;
      if (cell_is(img, row, col, blank, 0, why_blank)) return 3;
      std::fprintf(stderr, "cursor: %s\n", why.c_str());
      return 1;
    }
    const std::string& text = f[4];
    for (size_t k = 0; k < text.size(); ++k) {
      const int c = col + int(k);
      if (c > 80) break;
      if (!cell_is(img, row, c, vorn::kGlyphs[uint8_t(text[k])], kPalette[colour], why)) {
        std::fprintf(stderr, "\"%s\": %s\n", text.c_str(), why.c_str());
        return 1;
      }
    }
  }
  return 0;
}
