#pragma once
// Sequential text files opened by name under a file number, read by line or
// by comma-separated field, written item by item. Every failure throws
// NumberedError (app/errors.h) with the number the error handler expects.
#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

enum class FileMode { Input, Output };

class FileTable {
 public:
  FileTable();
  ~FileTable();
  FileTable(const FileTable&) = delete;
  FileTable& operator=(const FileTable&) = delete;

  // "/" separates folders like the platform separator. Output creates or
  // truncates. No open waits: input takes only a regular file (a folder, a
  // pipe, a socket or a device is 53), and a pipe without a reader refuses
  // output at once with 53. Errors: 53, 68, 70, 76 for a refused open;
  // 55 when the number is open; 70 or 75 when the first byte of an input
  // file fails.
  void open_file(const std::string& name, FileMode mode, int number);
  // A number that is not open is ignored.
  void close_file(int number);
  void close_all();
  bool is_open(int number) const;

  // The next line without its line end (CR, LF, CR LF or LF CR; byte 26
  // ends the file). At the end: target becomes empty, then error 62.
  void read_line(int number, std::string& target);
  // The next field: leading blanks and tabs skipped, ends at a comma or a
  // line end, trailing blanks and tabs dropped, a quoted field runs to the
  // next quote. At the end: target becomes empty, then error 62.
  void read_field(int number, std::string& target);
  // The same field without a copy when it lies whole in the read block:
  // the view holds until the next read or close of the file. A field that
  // must be copied lands in spill, and so does the empty text at an error.
  std::string_view read_field_view(int number, std::string& spill);
  // The next fields, up to max, as long as they lie whole in the read block:
  // views as read_field_view gives them, all good until the next read or
  // close. Fewer, or none, where a field must be read by read_field_view:
  // at the block's end, a quote, the end of the file. Raises no error
  // except 52 and 54.
  std::size_t read_fields_in_block(int number, std::string_view* out, std::size_t max);
  // The bytes unchanged, then CR LF when line_end; handed to the operating
  // system at once. Errors: 70 or 75 on a refused write.
  void write_item(int number, const std::string& text, bool line_end);

  static constexpr int kMaxNumber = 255;

 private:
  struct Open;
  // The open input file under number: 52 when none, 54 when it is output.
  Open& input(int number);
  Open* files_[kMaxNumber + 1];
};

}  // namespace vorn
