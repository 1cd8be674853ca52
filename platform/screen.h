#pragma once
// The 80x25 text screen as plain memory. No window code here: the window
// side only reads cells (snapshot) and the cursor, the flow alone writes.
// Cells and cursor are relaxed atomics so that the reader never races.
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace vorn {

constexpr int kRows = 25;
constexpr int kCols = 80;

struct Cell {
  uint8_t ch = ' ';
  uint8_t fg = 7;
  uint8_t bg = 0;
  bool operator==(const Cell&) const = default;
};

using ScreenSnapshot = std::array<Cell, kRows * kCols>;

class Screen {
 public:
  Screen();

  // Rows 1-25 blank in the current colour, cursor to 1,1.
  void clear();
  // Foreground 0-31 (16-31 draw as 0-15); above 31 raises error 5.
  void set_colour(int fg);
  int colour() const { return colour_; }
  // Writes text at the cursor; control bytes act (7 is the console's, and
  // is drawn as nothing here). line_end: end the line after it.
  void print_text(const std::string& text, bool line_end);
  // Ends the line first when the item would not fit in the rest of it.
  void fit_check(const std::string& text);
  void fit_check(size_t length);
  // Row 1-25, column 1-80, not above the print area; else error 5.
  void move_cursor(int row, int col);
  // The print area: the rows that line ends scroll. Normally 1-24.
  void set_print_area(int top, int bottom);

  int row() const { return row_; }
  int col() const { return col_; }
  bool pending_wrap() const { return pending_wrap_; }

  Cell cell(int row, int col) const;
  // The text of a row (80 bytes), and the same without trailing blanks.
  std::string row_text(int row) const;
  std::string row_trimmed(int row) const;

  // For the line entry: put back the whole screen and cursor.
  struct Saved {
    ScreenSnapshot cells;
    int row, col;
    bool pending_wrap;
  };
  Saved save() const;
  void restore(const Saved& s);

  // Reader side (window thread): any time, no lock.
  void snapshot(ScreenSnapshot& out) const;
  int cursor_row_atomic() const { return cursor_row_.load(std::memory_order_relaxed); }
  int cursor_col_atomic() const { return cursor_col_.load(std::memory_order_relaxed); }
  // Bumped after every change, so the window redraws only when needed.
  uint32_t version() const { return version_.load(std::memory_order_acquire); }

 private:
  void put(int row, int col, Cell c);
  void put_byte(uint8_t b);
  void end_line();
  void touch();

  std::array<std::atomic<uint32_t>, kRows * kCols> cells_;
  std::atomic<int> cursor_row_{1}, cursor_col_{1};
  std::atomic<uint32_t> version_{0};
  int row_ = 1, col_ = 1;
  bool pending_wrap_ = false;
  int colour_ = 7;
  int top_ = 1, bottom_ = 24;
};

}  // namespace vorn
