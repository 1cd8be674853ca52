#include "platform/screen.h"

#include "app/errors.h"

namespace vorn {

namespace {
uint32_t pack(Cell c) { return c.ch | (uint32_t(c.fg) << 8) | (uint32_t(c.bg) << 16); }
Cell unpack(uint32_t v) { return Cell{uint8_t(v & 0xff), uint8_t((v >> 8) & 0xff), uint8_t((v >> 16) & 0xff)}; }
}  // namespace

Screen::Screen() {
  for (auto& c : cells_) c.store(pack(Cell{}), std::memory_order_relaxed);
}

void Screen::touch() {
  cursor_row_.store(row_, std::memory_order_relaxed);
  cursor_col_.store(col_, std::memory_order_relaxed);
  version_.fetch_add(1, std::memory_order_release);
}

void Screen::put(int row, int col, Cell c) {
  cells_[(row - 1) * kCols + (col - 1)].store(pack(c), std::memory_order_relaxed);
}

Cell Screen::cell(int row, int col) const {
  return unpack(cells_[(row - 1) * kCols + (col - 1)].load(std::memory_order_relaxed));
}

std::string Screen::row_text(int row) const {
  std::string s(kCols, ' ');
  for (int c = 1; c <= kCols; ++c) s[c - 1] = char(cell(row, c).ch);
  return s;
}

std::string Screen::row_trimmed(int row) const {
  std::string s = row_text(row);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

void Screen::clear() {
  Cell blank{' ', uint8_t(colour_ & 15), 0};
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kCols; ++c) put(r, c, blank);
  row_ = 1;
  col_ = 1;
  pending_wrap_ = false;
  touch();
}

void Screen::set_colour(int fg) {
  if (fg < 0 || fg > 31) raise_error(err::illegal_function_call);
  colour_ = fg;
}

void Screen::set_print_area(int top, int bottom) {
  top_ = top;
  bottom_ = bottom;
}

void Screen::move_cursor(int row, int col) {
  if (row < 1 || row > kRows || col < 1 || col > kCols || row < top_)
    raise_error(err::illegal_function_call);
  row_ = row;
  col_ = col;
  pending_wrap_ = false;
  touch();
}

void Screen::end_line() {
  col_ = 1;
  ++row_;
  if (row_ > bottom_) {
    // Only the print area moves; rows outside it keep their text.
    for (int r = top_; r < bottom_; ++r)
      for (int c = 1; c <= kCols; ++c) put(r, c, cell(r + 1, c));
    Cell blank{' ', uint8_t(colour_ & 15), 0};
    for (int c = 1; c <= kCols; ++c) put(bottom_, c, blank);
    row_ = bottom_;
  }
}

// One drawable byte at the cursor, without the end-of-text decision.
void Screen::put_byte(uint8_t b) {
  put(row_, col_, Cell{b, uint8_t(colour_ & 15), 0});
  ++col_;
}

void Screen::print_text(const std::string& text, bool line_end) {
  // An empty text without a line end leaves a pending wrap standing.
  if (pending_wrap_ && (!text.empty() || line_end)) {
    pending_wrap_ = false;
    if (!text.empty()) end_line();
  }
  bool ended_by_last = false;
  // Past column 80 the line ends, except after the last byte of a text
  // without line end: there the wrap waits for whatever comes next.
  auto put_wrapping = [&](uint8_t byte, bool last) {
    put_byte(byte);
    if (col_ <= kCols) return;
    if (!last || line_end) {
      end_line();
      ended_by_last = last;
    } else {
      col_ = kCols;
      pending_wrap_ = true;
    }
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t b = uint8_t(text[i]);
    const bool last = i + 1 == text.size();
    ended_by_last = false;
    switch (b) {
      case 7:
        continue;  // the console holds the flow for it; nothing is drawn
      case 10:
      case 13:
        end_line();
        continue;
      case 11:
        row_ = 1;
        col_ = 1;
        continue;
      case 12:
        clear();
        continue;
      case 28:
        if (col_ < kCols) ++col_;
        continue;
      case 29:
        if (col_ > 1) --col_;
        continue;
      case 30:
        if (row_ > top_) --row_;
        continue;
      case 31:
        if (row_ < bottom_) ++row_;
        continue;
      case 9: {
        // Blanks up to and including the next column that is a multiple of 8.
        bool done = false;
        while (!done) {
          done = col_ % 8 == 0;
          put_wrapping(' ', last);
        }
        continue;
      }
      default:
        break;
    }
    put_wrapping(b, last);
  }
  if (line_end && !ended_by_last) end_line();
  touch();
}

void Screen::fit_check(size_t n) {
  if (pending_wrap_ || col_ == 1 || col_ + int(n) - 1 <= kCols) return;
  end_line();
  touch();
}

void Screen::fit_check(const std::string& text) { fit_check(text.size()); }

Screen::Saved Screen::save() const {
  Saved s;
  for (size_t i = 0; i < s.cells.size(); ++i) s.cells[i] = unpack(cells_[i].load(std::memory_order_relaxed));
  s.row = row_;
  s.col = col_;
  s.pending_wrap = pending_wrap_;
  return s;
}

void Screen::restore(const Saved& s) {
  for (size_t i = 0; i < s.cells.size(); ++i) cells_[i].store(pack(s.cells[i]), std::memory_order_relaxed);
  row_ = s.row;
  col_ = s.col;
  pending_wrap_ = s.pending_wrap;
  touch();
}

void Screen::snapshot(ScreenSnapshot& out) const {
  for (size_t i = 0; i < out.size(); ++i) out[i] = unpack(cells_[i].load(std::memory_order_relaxed));
}

}  // namespace vorn
