// Placeholder until the file services land: enough to read and write.
#include "platform/files.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/errors.h"

namespace vorn {

struct FileTable::Open {
  std::FILE* f;
  FileMode mode;
};

FileTable::FileTable() {
  for (auto& f : files_) f = nullptr;
}
FileTable::~FileTable() { close_all(); }

void FileTable::open_file(const std::string& name, FileMode mode, int number) {
  if (files_[number]) raise_error(err::file_already_open);
  std::FILE* f = std::fopen(name.c_str(), mode == FileMode::Input ? "rb" : "wb");
  if (!f) raise_error(err::file_not_found);
  files_[number] = new Open{f, mode};
}

void FileTable::close_file(int number) {
  if (!files_[number]) return;
  std::fclose(files_[number]->f);
  delete files_[number];
  files_[number] = nullptr;
}

void FileTable::close_all() {
  for (int i = 0; i <= kMaxNumber; ++i) close_file(i);
}

bool FileTable::is_open(int number) const { return files_[number] != nullptr; }

void FileTable::read_line(int number, std::string& target) {
  target.clear();
  std::FILE* f = files_[number]->f;
  int c = std::fgetc(f);
  if (c == EOF) raise_error(err::input_past_end);
  while (c != EOF && c != '\n' && c != '\r') {
    target.push_back(char(c));
    c = std::fgetc(f);
  }
  if (c == '\r') {
    int d = std::fgetc(f);
    if (d != '\n' && d != EOF) std::ungetc(d, f);
  }
}

void FileTable::read_field(int number, std::string& target) {
  read_line(number, target);
  size_t a = target.find_first_not_of(" \t");
  target = a == std::string::npos ? "" : target.substr(a);
}

void FileTable::write_item(int number, const std::string& text, bool line_end) {
  std::FILE* f = files_[number]->f;
  std::fwrite(text.data(), 1, text.size(), f);
  if (line_end) std::fwrite("\r\n", 1, 2, f);
  std::fflush(f);
}

long double to_number(const std::string& text) { return std::strtold(text.c_str(), nullptr); }

std::string date_text() {
  std::time_t t = std::time(nullptr);
  std::tm tm;
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%m-%d-%Y", &tm);
  return buf;
}

std::string time_text() {
  std::time_t t = std::time(nullptr);
  std::tm tm;
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
  return buf;
}

}  // namespace vorn
