#include "platform/window.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/glyphs.h"
#include "platform/window_keys.h"

namespace vorn {

namespace {

constexpr int kCellW = 8, kCellH = 16;
constexpr int kWidth = kCols * kCellW, kHeight = kRows * kCellH;  // 640 x 400
constexpr int kTickMs = 16;        // about 60 looks a second
constexpr int kBlinkMs = 250;

constexpr uint32_t kPalette[16] = {
    0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF,
};

struct View {
  WindowLink* link = nullptr;
  int id = 0;
  int width = kWidth, height = kHeight;

  // What the screen looked like at the last snapshot.
  ScreenSnapshot cells{};
  uint32_t cells_version = 0;
  bool have_cells = false;
  bool cells_dirty = true;  // the texture lags behind cells

  // The entry cursor as last drawn.
  bool cursor_shown = false;
  int cursor_row = 1, cursor_col = 1;
  bool entry_was_on = false;
  int64_t entry_since = 0;

  uint32_t title_version = 0;
  unsigned ticks = 0;

  // Set once the toolkit has destroyed the window (or is told to): from
  // then on nothing may call it for this window.
  bool gone = false;

  GLuint glyph_tex = 0, screen_tex = 0, fbo = 0;
  bool glyph_blank[256] = {};

  // A second connection to the display for the Pause and Break keys,
  // which the toolkit does not report.
  Display* xkeys = nullptr;
};

View W;

void rgb(uint32_t c, float& r, float& g, float& b) {
  r = float((c >> 16) & 0xFF) / 255.f;
  g = float((c >> 8) & 0xFF) / 255.f;
  b = float(c & 0xFF) / 255.f;
}

[[noreturn]] void display_unusable(const char* why) {
  std::fprintf(stderr, "vorn: %s\n", why);
  std::fflush(stderr);
  _exit(1);
}

void on_glut_error(const char* fmt, va_list ap) {
  std::fputs("vorn: ", stderr);
  std::vfprintf(stderr, fmt, ap);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  _exit(1);
}

// ---- drawing ---------------------------------------------------------------

// The 256 glyphs side by side in one alpha texture, 16 by 16 glyphs.
void make_glyph_texture() {
  constexpr int kAtlasW = 16 * kCellW, kAtlasH = 16 * kCellH;
  std::vector<uint8_t> px(kAtlasW * kAtlasH, 0);
  for (int g = 0; g < 256; ++g) {
    bool blank = true;
    const int x0 = (g % 16) * kCellW, y0 = (g / 16) * kCellH;
    for (int r = 0; r < kCellH; ++r) {
      const uint8_t bits = kGlyphs[g][r];
      if (bits) blank = false;
      for (int c = 0; c < kCellW; ++c)
        if (bits & (0x80 >> c)) px[(y0 + r) * kAtlasW + x0 + c] = 0xFF;
    }
    W.glyph_blank[g] = blank;
  }
  glGenTextures(1, &W.glyph_tex);
  glBindTexture(GL_TEXTURE_2D, W.glyph_tex);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, kAtlasW, kAtlasH, 0, GL_ALPHA, GL_UNSIGNED_BYTE, px.data());
}

// The screen is drawn into this texture only when its cells change; every
// frame after that is one textured quad and the cursor.
void make_screen_target() {
  glGenTextures(1, &W.screen_tex);
  glBindTexture(GL_TEXTURE_2D, W.screen_tex);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &W.fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, W.fbo);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, W.screen_tex, 0);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    display_unusable("the display cannot draw into a texture");
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

struct Vertex {
  GLfloat x, y, u, v, r, g, b;
};

void quad(std::vector<Vertex>& out, float x0, float y0, float x1, float y1, float u0, float v0, float u1,
          float v1, uint32_t colour) {
  float r, g, b;
  rgb(colour, r, g, b);
  out.push_back({x0, y0, u0, v0, r, g, b});
  out.push_back({x1, y0, u1, v0, r, g, b});
  out.push_back({x1, y1, u1, v1, r, g, b});
  out.push_back({x0, y1, u0, v1, r, g, b});
}

void draw_glyph_quads(const std::vector<Vertex>& v) {
  if (v.empty()) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &v[0].x);
  glColorPointer(3, GL_FLOAT, sizeof(Vertex), &v[0].r);
  glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &v[0].u);
  glDrawArrays(GL_QUADS, 0, GLsizei(v.size()));
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

// Cells into the screen texture: the glyphs' set pixels in their
// foreground colours on black (the background is always colour 0).
void render_cells() {
  glBindFramebuffer(GL_FRAMEBUFFER, W.fbo);
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kWidth, kHeight, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);

  std::vector<Vertex> glyphs;
  glyphs.reserve(4 * kRows * kCols);
  for (int row = 0; row < kRows; ++row) {
    for (int col = 0; col < kCols; ++col) {
      const Cell c = W.cells[row * kCols + col];
      const float x = float(col * kCellW), y = float(row * kCellH);
      if (W.glyph_blank[c.ch]) continue;
      const float u = float(c.ch % 16) / 16.f, v = float(c.ch / 16) / 16.f;
      quad(glyphs, x, y, x + kCellW, y + kCellH, u, v, u + 1.f / 16, v + 1.f / 16, kPalette[c.fg & 15]);
    }
  }
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, W.glyph_tex);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  // Only the set pixels of a glyph cover what lies below.
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  draw_glyph_quads(glyphs);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_TEXTURE_2D);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  W.cells_dirty = false;
}

void on_display() {
  if (!W.have_cells) return;
  if (W.cells_dirty) render_cells();

  glViewport(0, 0, W.width, W.height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kWidth, kHeight, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  // The texture's first row is the screen's top row.
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, W.screen_tex);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1); glVertex2f(0, 0);
  glTexCoord2f(1, 1); glVertex2f(kWidth, 0);
  glTexCoord2f(1, 0); glVertex2f(kWidth, kHeight);
  glTexCoord2f(0, 0); glVertex2f(0, kHeight);
  glEnd();
  glDisable(GL_TEXTURE_2D);

  if (W.cursor_shown) {
    // Pixel row 15 of 16 of the cursor's cell, in that cell's foreground.
    // The colour replaces what is there; the window's alpha is left alone.
    const Cell c = W.cells[(W.cursor_row - 1) * kCols + (W.cursor_col - 1)];
    float r, g, b;
    rgb(kPalette[c.fg & 15], r, g, b);
    const float x = float((W.cursor_col - 1) * kCellW), y = float((W.cursor_row - 1) * kCellH + 14);
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    glColor4f(r, g, b, 1.f);
    glBegin(GL_QUADS);
    glVertex2f(x, y);
    glVertex2f(x + kCellW, y);
    glVertex2f(x + kCellW, y + 1);
    glVertex2f(x, y + 1);
    glEnd();
    glDisable(GL_BLEND);
  }
  glutSwapBuffers();
}

void on_reshape(int w, int h) {
  W.width = w;
  W.height = h;
  glutPostRedisplay();
}

// ---- keys ------------------------------------------------------------------

void poll_console_keys();

void on_keyboard(unsigned char c, int, int) {
  poll_console_keys();
  deliver_key(W.link->con, W.link->host, key_from_char(c, glutGetModifiers()));
}

void on_special(int key, int, int) {
  poll_console_keys();
  deliver_key(W.link->con, W.link->host, key_from_special(key));
}

// Pause and Ctrl+Break, read from the second connection. Other keys are
// the toolkit's and are skipped here.
void poll_console_keys() {
  if (!W.xkeys) return;
  while (XPending(W.xkeys) > 0) {
    XEvent ev;
    XNextEvent(W.xkeys, &ev);
    if (ev.type != KeyPress) continue;
    const KeySym base = XLookupKeysym(&ev.xkey, 0);
    KeySym shown = NoSymbol;
    char buf[8];
    XLookupString(&ev.xkey, buf, sizeof buf, &shown, nullptr);
    if (shown == XK_Break || base == XK_Break) {
      deliver_key(W.link->con, W.link->host, key_from_pause(true));
    } else if (base == XK_Pause) {
      deliver_key(W.link->con, W.link->host, key_from_pause((ev.xkey.state & ControlMask) != 0));
    }
  }
}

// ---- the loop --------------------------------------------------------------

// Called while the toolkit destroys the window after WM_DELETE_WINDOW; a
// timer may still fire in the same turn of the loop.
void on_close() {
  W.gone = true;
  W.id = 0;
  W.link->con.request_stop();
  W.link->host.notify();
}

void on_tick(int) {
  if (W.gone) return;  // not armed again: the loop ends with the window
  WindowLink& L = *W.link;
  // The flow has ended, or Ctrl+Break asked it to: the window goes and the
  // loop returns; main waits for the flow.
  if (L.flow_done.load(std::memory_order_acquire) || L.con.stop_requested()) {
    W.gone = true;
    glutDestroyWindow(W.id);
    W.id = 0;
    return;
  }
  poll_console_keys();
  bool redraw = false;

  const uint32_t tv = L.con.title_version();
  if (tv != W.title_version) {
    W.title_version = tv;
    glutSetWindowTitle(L.con.title()->c_str());
  }

  // A snapshot about 30 times a second, and only of a changed screen.
  if (W.ticks++ % 2 == 0) {
    const uint32_t v = L.con.screen.version();
    if (!W.have_cells || v != W.cells_version) {
      W.cells_version = v;
      L.con.screen.snapshot(W.cells);
      W.have_cells = true;
      W.cells_dirty = true;
      redraw = true;
    }
  }

  const bool entry = L.con.entry_cursor_on();
  const int64_t now = steady_now_ms();
  if (entry && !W.entry_was_on) W.entry_since = now;
  W.entry_was_on = entry;
  const bool shown = entry && ((now - W.entry_since) / kBlinkMs) % 2 == 0;
  const int row = L.con.screen.cursor_row_atomic(), col = L.con.screen.cursor_col_atomic();
  if (shown != W.cursor_shown || (shown && (row != W.cursor_row || col != W.cursor_col))) {
    W.cursor_shown = shown;
    redraw = true;
  }
  if (row >= 1 && row <= kRows && col >= 1 && col <= kCols) {
    W.cursor_row = row;
    W.cursor_col = col;
  }
  if (redraw) glutPostRedisplay();
  glutTimerFunc(kTickMs, on_tick, 0);
}

}  // namespace

void run_window(int& argc, char** argv, WindowLink link) {
  W.link = &link;
  glutInitErrorFunc(on_glut_error);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
  if (!glutGet(GLUT_DISPLAY_MODE_POSSIBLE))
    display_unusable("the display cannot give a double-buffered window with a depth buffer");
  glutInitWindowSize(kWidth, kHeight);
  glutInitWindowPosition(0, 0);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  W.title_version = link.con.title_version();
  W.id = glutCreateWindow(link.con.title()->c_str());

  if (glewInit() != GLEW_OK) display_unusable("cannot reach the OpenGL entry points");
  if (!(GLEW_VERSION_3_0 || GLEW_ARB_framebuffer_object) || !glBlendFuncSeparate)
    display_unusable("the display lacks framebuffer objects or separate blending");
  make_glyph_texture();
  make_screen_target();

  W.xkeys = XOpenDisplay(nullptr);
  if (W.xkeys) {
    const Window win = glXGetCurrentDrawable();
    XSelectInput(W.xkeys, win, KeyPressMask);
    XFlush(W.xkeys);
  }

  glutDisplayFunc(on_display);
  glutReshapeFunc(on_reshape);
  glutKeyboardFunc(on_keyboard);
  glutSpecialFunc(on_special);
  glutCloseFunc(on_close);
  glutTimerFunc(0, on_tick, 0);
  glutMainLoop();

  if (W.xkeys) XCloseDisplay(W.xkeys);
  W.xkeys = nullptr;
  W.link = nullptr;
}

}  // namespace vorn
