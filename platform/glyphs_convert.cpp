// Build step: turns a PSF1 console font of 256 glyphs, 8x16 (optionally
// gzipped), into the initializer of a 256x16 byte table. Used on the VGA
// 8x16 set of code page 437 so that no bitmap is typed in by hand.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

static bool read_all(const std::string& path, std::vector<unsigned char>& out) {
  const bool gz = path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0;
  FILE* f = nullptr;
  if (gz) {
    std::string cmd = "gzip -dc '";
    for (char c : path) cmd += c == '\'' ? std::string("'\\''") : std::string(1, c);
    cmd += "'";
    f = popen(cmd.c_str(), "r");
  } else {
    f = std::fopen(path.c_str(), "rb");
  }
  if (!f) return false;
  unsigned char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  const int rc = gz ? pclose(f) : std::fclose(f);
  return rc == 0;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FONT.psf[.gz] OUT.inc\n", argv[0]);
    return 2;
  }
  std::vector<unsigned char> font;
  if (!read_all(argv[1], font)) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  // PSF1: magic 36 04, mode, bytes per glyph; mode bit 0 means 512 glyphs.
  if (font.size() < 4 || font[0] != 0x36 || font[1] != 0x04) {
    std::fprintf(stderr, "%s: %s is not a PSF1 font\n", argv[0], argv[1]);
    return 1;
  }
  const unsigned mode = font[2], height = font[3];
  if ((mode & 1) != 0 || height != 16 || font.size() < 4 + 256 * 16) {
    std::fprintf(stderr, "%s: %s is not a 256-glyph 8x16 font\n", argv[0], argv[1]);
    return 1;
  }
  std::string text = "// Generated at build time from the console font; do not edit.\n";
  char item[8];
  for (int g = 0; g < 256; ++g) {
    text += "{";
    for (int r = 0; r < 16; ++r) {
      std::snprintf(item, sizeof item, "0x%02x%s", font[4 + g * 16 + r], r < 15 ? "," : "");
      text += item;
    }
    text += "},\n";
  }
  FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
    return 1;
  }
  return 0;
}
