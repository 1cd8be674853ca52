// Sequential text files on POSIX descriptors. Input is read in large blocks
// and scanned in memory; output goes to write(2) item by item, so whatever
// was written before a stop or a failure is already in the file.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/errors.h"

namespace vorn {

namespace {

constexpr unsigned char kEndOfFile = 26;
constexpr unsigned char CR = 13;
constexpr unsigned char LF = 10;
constexpr std::size_t kBlock = std::size_t(1) << 18;
constexpr std::size_t kSmallBlock = 4096;

// ENOENT is a missing file or a missing folder; only a look at the folder
// tells which.
constexpr int kMissing = -1;

// How the system's reasons map onto our numbers: at an open, and at a read
// or write of an open file.
struct ErrnoRow {
  int code;
  int on_open;
  int on_transfer;
};
constexpr ErrnoRow kErrnoTable[] = {
    {ENOENT, kMissing, err::path_file_access},
    {ENOTDIR, err::path_not_found, err::path_file_access},
    {ENAMETOOLONG, err::path_not_found, err::path_file_access},
    {EACCES, err::permission_denied, err::permission_denied},
    {EPERM, err::permission_denied, err::permission_denied},
    {EROFS, err::permission_denied, err::path_file_access},
    {ETXTBSY, err::permission_denied, err::path_file_access},
    {ENXIO, err::device_unavailable, err::path_file_access},
    {ENODEV, err::device_unavailable, err::path_file_access},
    // EISDIR, EINVAL, EMFILE, ENFILE, ELOOP, ENOSPC, EIO, EFBIG and the rest.
    {0, err::file_not_found, err::path_file_access},
};

const ErrnoRow& errno_row(int code) {
  for (const ErrnoRow& row : kErrnoTable)
    if (row.code == code || row.code == 0) return row;
  return kErrnoTable[std::size(kErrnoTable) - 1];
}

bool folder_exists(const std::string& name) {
  std::size_t slash = name.rfind('/');
  if (slash == std::string::npos) return true;
  std::string folder = slash == 0 ? std::string("/") : name.substr(0, slash);
  struct stat st;
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A pipe with no reader or a socket refuses with ENXIO too, but it is there:
// only a device that does not answer is unavailable.
bool pipe_or_socket(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

int open_error(int code, const std::string& name) {
  int n = errno_row(code).on_open;
  if (n == kMissing) n = folder_exists(name) ? err::file_not_found : err::path_not_found;
  if (code == ENXIO && pipe_or_socket(name)) n = err::file_not_found;
  return n;
}

// Back to blocking transfers once the open is through.
void clear_nonblock(int fd) {
  const int fl = ::fcntl(fd, F_GETFL);
  if (fl >= 0 && (fl & O_NONBLOCK)) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
}

[[noreturn]] void raise_transfer_error(int code) { raise_error(errno_row(code).on_transfer); }

// What stops a scan: a line end or the end-of-file byte, plus the comma for
// an unquoted field; the quote or the end-of-file byte for a quoted one.
enum class Stops { Line, Field, Quote };

template <Stops S>
constexpr bool is_stop(unsigned char c) {
  if constexpr (S == Stops::Quote) return c == '"' || c == kEndOfFile;
  return c == CR || c == LF || c == kEndOfFile || (S == Stops::Field && c == ',');
}

#if defined(__SSE2__)
// Bit k set when p[k] is a stop byte, for sixteen bytes.
template <Stops S>
[[gnu::always_inline]] inline unsigned stop_mask(const unsigned char* p) {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i m;
  if constexpr (S == Stops::Quote) {
    m = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(char(kEndOfFile))), _mm_cmpeq_epi8(x, _mm_set1_epi8('"')));
  } else {
    // LF (0x0A) and the end-of-file byte (0x1A) differ in bit 4 alone.
    m = _mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(char(~0x10))), _mm_set1_epi8(char(LF)));
    m = _mm_or_si128(m, _mm_cmpeq_epi8(x, _mm_set1_epi8(char(CR))));
  }
  if constexpr (S == Stops::Field) m = _mm_or_si128(m, _mm_cmpeq_epi8(x, _mm_set1_epi8(',')));
  return unsigned(_mm_movemask_epi8(m));
}
#endif

// Bit k set when window[k] is a stop byte, for the 64 bytes from window or
// as many as there are before end.
template <Stops S>
[[gnu::always_inline]] inline uint64_t stop_bits(const unsigned char* window, const unsigned char* end) {
#if defined(__SSE2__)
  if (end - window >= 64) {
    return uint64_t(stop_mask<S>(window)) | uint64_t(stop_mask<S>(window + 16)) << 16 |
           uint64_t(stop_mask<S>(window + 32)) << 32 | uint64_t(stop_mask<S>(window + 48)) << 48;
  }
#endif
  uint64_t bits = 0;
  const std::size_t count = std::min<std::size_t>(64, std::size_t(end - window));
  for (std::size_t k = 0; k < count; ++k)
    if (is_stop<S>(window[k])) bits |= uint64_t(1) << k;
  return bits;
}

// The first stop byte in [p, end), or end.
template <Stops S>
[[gnu::always_inline]] inline const unsigned char* find_stop(const unsigned char* p, const unsigned char* end) {
#if defined(__SSE2__)
  for (; end - p >= 32; p += 32) {
    const unsigned mask = stop_mask<S>(p) | stop_mask<S>(p + 16) << 16;
    if (mask) return p + __builtin_ctz(mask);
  }
  if (end - p >= 16) {
    const unsigned mask = stop_mask<S>(p);
    if (mask) return p + __builtin_ctz(mask);
    p += 16;
  }
#endif
  while (p != end && !is_stop<S>(*p)) ++p;
  return p;
}

bool is_blank(unsigned char c) { return c == ' ' || c == '\t'; }

// Bytes that may not begin a field read in the block: blanks and tabs to
// skip, the quote and the end-of-file byte.
constexpr struct ByteClass {
  bool special[256] = {};
  constexpr ByteClass() {
    for (unsigned char c : {' ', '\t', '"', char(kEndOfFile)}) special[c] = true;
  }
  constexpr bool operator[](unsigned char c) const { return special[c]; }
} kByteClass;

}  // namespace

struct FileTable::Open {
  Open() = default;
  Open(const Open&) = delete;
  Open& operator=(const Open&) = delete;
  ~Open() {
    if (fd >= 0) ::close(fd);
  }

  int fd = -1;
  FileMode mode = FileMode::Input;
  bool ended = false;  // byte 26 met: sticks while the file is open
  std::unique_ptr<unsigned char[]> buf;
  std::size_t pos = 0, len = 0, cap = 0;

  // Refills the block; false at the physical end.
  bool fill() {
    for (;;) {
      ssize_t n = ::read(fd, buf.get(), cap);
      if (n > 0) {
        pos = 0;
        len = std::size_t(n);
        return true;
      }
      if (n == 0) return false;
      if (errno != EINTR) raise_transfer_error(errno);
    }
  }

  // The next byte without taking it; -1 at the end of the file.
  int peek() {
    if (ended) return -1;
    if (pos == len && !fill()) return -1;
    unsigned char c = buf[pos];
    if (c == kEndOfFile) {
      ended = true;
      return -1;
    }
    return c;
  }

  // Appends bytes up to the first stop byte (not taken); returns that byte,
  // or -1 at the end of the file.
  template <Stops S>
  int collect(std::string* into) {
    for (;;) {
      if (ended) return -1;
      if (pos == len && !fill()) return -1;
      const unsigned char* p = buf.get() + pos;
      const unsigned char* end = buf.get() + len;
      const unsigned char* q = find_stop<S>(p, end);
      if (into) into->append(reinterpret_cast<const char*>(p), std::size_t(q - p));
      pos = std::size_t(q - buf.get());
      if (q != end) return peek();
    }
  }

  // The line end or end-of-file byte at q, all of it inside the block:
  // taken as take_line_end would take it. False, with nothing taken, when
  // its second byte lies beyond the block: looking there would refill it.
  bool take_line_end_in_block(const unsigned char* q) {
    const unsigned char* b = buf.get();
    const unsigned char c = *q;
    if (c == kEndOfFile) {
      ended = true;
      pos = std::size_t(q - b);
      return true;
    }
    if (q + 1 == b + len) return false;
    pos = std::size_t(q - b) + 1;
    const unsigned char next = q[1];
    if (next == kEndOfFile)
      ended = true;
    else if ((c == CR && next == LF) || (c == LF && next == CR))
      ++pos;
    return true;
  }

  // A line that ends inside the block, without copying it. False, with
  // nothing taken, when it must go the long way (the block's end, the end
  // of the file).
  bool line_in_block(std::string_view& out) {
    if (ended || pos == len) return false;
    const unsigned char* p = buf.get() + pos;
    if (*p == kEndOfFile) return false;
    const unsigned char* q = find_stop<Stops::Line>(p, buf.get() + len);
    if (q == buf.get() + len || !take_line_end_in_block(q)) return false;
    out = std::string_view(reinterpret_cast<const char*>(p), std::size_t(q - p));
    return true;
  }

  // Unquoted fields that end inside the block, likewise: up to max of them
  // into out, taken as read_field takes them one by one. Stops at the first
  // field that must go the long way. The stop bytes are marked 64 at a time
  // and visited in turn, so that finding the end of one field does not wait
  // for the end of the one before.
  std::size_t fields_in_block(std::string_view* out, std::size_t max) {
    if (ended) return 0;
    const unsigned char* const b = buf.get();
    const unsigned char* const end = b + len;
    const unsigned char* p = b + pos;  // where the next field begins
    const unsigned char* window = p;
    uint64_t stops = stop_bits<Stops::Field>(window, end);
    bool at_end = false;  // byte 26 met
    std::size_t n = 0;
    while (n < max) {
      if (!stops) {
        if (end - window <= 64) break;
        window += 64;
        stops = stop_bits<Stops::Field>(window, end);
        continue;
      }
      const unsigned char* q = window + __builtin_ctzll(stops);
      stops &= stops - 1;
      if (q < p) continue;  // the second byte of a line end already taken
      if (*p <= '"' && kByteClass[*p]) {  // most fields begin with a digit or a letter
        while (is_blank(*p)) ++p;  // a stop byte lies ahead, at q
        if (*p == '"' || *p == kEndOfFile) break;
      }
      // The separator, as take_line_end takes it, or the end of the file.
      const unsigned char c = *q;
      const unsigned char* next;
      if (c == CR || c == LF) {
        if (q + 1 == end) break;  // its pair test would refill the block
        const unsigned char d = q[1];
        next = q + 1;
        if (d == (c ^ CR ^ LF)) {  // CR LF or LF CR
          ++next;
          // Its second byte is the next stop bit, or lies in the next window.
          stops &= stops - 1;
        }
        at_end = d == kEndOfFile;
      } else if (c == ',') {
        next = q + 1;
      } else {
        at_end = true;
        next = q;
      }
      const unsigned char* r = q;
      if (r != p && r[-1] <= ' ' && is_blank(r[-1])) {
        while (r != p && is_blank(r[-1])) --r;
      }
      out[n++] = std::string_view(reinterpret_cast<const char*>(p), std::size_t(r - p));
      p = next;
      if (at_end) break;
    }
    ended = at_end;
    pos = std::size_t(p - b);
    return n;
  }

  // The long way, for what does not lie whole in the block: the block's
  // end, quotes, the end of the file and its error.
  void read_line_slow(std::string& target);
  void read_field_slow(std::string& target);

  // Takes a line end whose first byte is under the position: a CR LF or
  // LF CR pair counts as one.
  void take_line_end(int first) {
    ++pos;
    int next = peek();
    if ((first == CR && next == LF) || (first == LF && next == CR)) ++pos;
  }
};

FileTable::FileTable() {
  for (auto& f : files_) f = nullptr;
}
FileTable::~FileTable() { close_all(); }

void FileTable::open_file(const std::string& name, FileMode mode, int number) {
  if (number < 1 || number > kMaxNumber) raise_error(err::bad_file_number);
  if (files_[number]) raise_error(err::file_already_open);
  // The system call would stop at a NUL and open some other file.
  if (name.empty() || name.find('\0') != std::string::npos) raise_error(err::file_not_found);

  // Users separate folders with "\" as often as with "/".
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');

  // Without O_NONBLOCK a pipe waits in open(2) for its other end, and a
  // serial line for its carrier: an open must answer at once.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK |
              (mode == FileMode::Input ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC);
  int fd;
  do fd = ::open(path.c_str(), flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) raise_error(open_error(errno, path));

  // Owns the descriptor from here on: every failure below closes it and
  // leaves the number free.
  auto f = std::make_unique<Open>();
  f->fd = fd;
  f->mode = mode;
  if (mode == FileMode::Input) {
    // Only a regular file has an end to read to: a folder, a pipe, a socket
    // or a device is no file.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) raise_error(err::file_not_found);
    clear_nonblock(fd);
    // A small file needs no large block; one byte more meets its end at once.
    f->cap = kBlock;
    if (S_ISREG(st.st_mode) && std::size_t(st.st_size) < kBlock)
      f->cap = std::max(std::size_t(st.st_size) + 1, kSmallBlock);
    f->buf = std::make_unique_for_overwrite<unsigned char[]>(f->cap);
    f->peek();  // the first byte: a read fault shows here, a 26 ends the file
  } else {
    // A pipe with a reader takes the results as a file does: a full pipe
    // waits for its reader instead of failing the write.
    clear_nonblock(fd);
  }
  files_[number] = f.release();
}

void FileTable::close_file(int number) {
  if (number < 1 || number > kMaxNumber || !files_[number]) return;
  delete files_[number];
  files_[number] = nullptr;
}

void FileTable::close_all() {
  for (int i = 1; i <= kMaxNumber; ++i) close_file(i);
}

bool FileTable::is_open(int number) const {
  return number >= 1 && number <= kMaxNumber && files_[number] != nullptr;
}

FileTable::Open& FileTable::input(int number) {
  if (!is_open(number)) raise_error(err::bad_file_number);
  if (files_[number]->mode != FileMode::Input) raise_error(err::bad_file_mode);
  return *files_[number];
}

void FileTable::Open::read_line_slow(std::string& target) {
  try {
    if (peek() < 0) raise_error(err::input_past_end);
    int stop = collect<Stops::Line>(&target);
    if (stop >= 0) take_line_end(stop);
  } catch (...) {
    target.clear();
    throw;
  }
}

void FileTable::Open::read_field_slow(std::string& target) {
  target.clear();
  try {
    int c = peek();
    while (c == ' ' || c == '\t') {
      ++pos;
      c = peek();
    }
    if (c < 0) raise_error(err::input_past_end);
    if (c == '"') {
      ++pos;
      if (collect<Stops::Quote>(&target) == '"') ++pos;
      c = collect<Stops::Field>(nullptr);
    } else {
      c = collect<Stops::Field>(&target);
      std::size_t keep = target.find_last_not_of(" \t");
      target.resize(keep == std::string::npos ? 0 : keep + 1);
    }
    if (c == ',')
      ++pos;
    else if (c >= 0)
      take_line_end(c);
  } catch (...) {
    target.clear();
    throw;
  }
}

void FileTable::read_line(int number, std::string& target) {
  target.clear();
  Open& f = input(number);
  std::string_view line;
  if (f.line_in_block(line))
    target.assign(line);
  else
    f.read_line_slow(target);
}

void FileTable::read_field(int number, std::string& target) {
  target.clear();
  Open& f = input(number);
  std::string_view field;
  if (f.fields_in_block(&field, 1))
    target.assign(field);
  else
    f.read_field_slow(target);
}

std::string_view FileTable::read_field_view(int number, std::string& spill) {
  Open& f = input(number);
  std::string_view field;
  if (f.fields_in_block(&field, 1)) return field;
  f.read_field_slow(spill);
  return spill;
}

std::size_t FileTable::read_fields_in_block(int number, std::string_view* out, std::size_t max) {
  return input(number).fields_in_block(out, max);
}

void FileTable::write_item(int number, const std::string& text, bool line_end) {
  if (!is_open(number)) raise_error(err::bad_file_number);
  Open& f = *files_[number];
  if (f.mode != FileMode::Output) raise_error(err::bad_file_mode);
  std::string joined;
  const std::string* bytes = &text;
  if (line_end) {
    joined.reserve(text.size() + 2);
    joined.append(text).append("\r\n");
    bytes = &joined;
  }
  const char* p = bytes->data();
  std::size_t left = bytes->size();
  while (left > 0) {
    ssize_t n = ::write(f.fd, p, left);
    if (n > 0) {
      p += n;
      left -= std::size_t(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      // A write that takes nothing without a reason would loop for ever.
      raise_transfer_error(n < 0 ? errno : ENOSPC);
    }
  }
}

}  // namespace vorn
