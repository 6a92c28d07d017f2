#include "text/text_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace imset {
namespace {
constexpr int end_of_text_byte = 0x1A;
constexpr int data_end = -1;
constexpr int data_error = -2;

// Bytes that end a run of plain bytes: the line feed, the carriage return
// (which may start a CR LF pair) and 0x1A.
constexpr std::array<bool, 256> special_bytes = [] {
  std::array<bool, 256> special{};
  special['\n'] = special['\r'] = special[end_of_text_byte] = true;
  return special;
}();
}  // namespace

bool TextReader::open(const char* path) {
  close();
  do {
    descriptor_ = ::open(path, O_RDONLY | O_CLOEXEC);
  } while (descriptor_ < 0 && errno == EINTR);
  owned_ = descriptor_ >= 0;
  chunk_pos_ = chunk_len_ = 0;
  at_end_ = failed_ = false;
  pending_ = -1;
  return descriptor_ >= 0;
}

void TextReader::attach(int descriptor) {
  close();
  descriptor_ = descriptor;
  owned_ = false;
  chunk_pos_ = chunk_len_ = 0;
  at_end_ = failed_ = false;
  pending_ = -1;
}

void TextReader::close() {
  // Nothing was written to the file, so a failing close loses nothing.
  if (descriptor_ >= 0 && owned_) (void)::close(descriptor_);
  descriptor_ = -1;
  owned_ = false;
}

// One read of whatever the file has ready, up to a chunk: a regular file
// fills it, a pipe gives what its writer has sent so far.
bool TextReader::refill() {
  chunk_pos_ = 0;
  ssize_t got = 0;
  do {
    got = ::read(descriptor_, chunk_.data(), chunk_.size());
  } while (got < 0 && errno == EINTR);
  chunk_len_ = got > 0 ? static_cast<std::size_t>(got) : 0;
  if (got < 0) failed_ = true;
  return got > 0;
}

int TextReader::next_raw() {
  if (chunk_pos_ == chunk_len_ && !refill()) return failed_ ? data_error : data_end;
  return chunk_[chunk_pos_++];
}

LineRead TextReader::read_line(LineBuffer& line) {
  std::size_t n = 0;
  char* out = line.bytes.data();
  while (n < max_line_read && !at_end_) {
    int byte = pending_;
    pending_ = -1;
    if (byte < 0) {
      // Plain bytes straight from the chunk; only LF, CR and 0x1A need care.
      const std::size_t room = std::min(max_line_read - n, chunk_len_ - chunk_pos_);
      const unsigned char* plain = chunk_.data() + chunk_pos_;
      std::size_t run = 0;
      while (run < room && !special_bytes[plain[run]]) ++run;
      std::memcpy(out + n, plain, run);
      n += run;
      chunk_pos_ += run;
      if (n == max_line_read) break;
      byte = next_raw();
    }
    if (byte == data_error) return LineRead::read_error;
    if (byte == data_end || (byte == end_of_text_byte && end_of_text_ends_)) {
      at_end_ = true;
      break;
    }
    if (byte == '\r') {
      const int after = next_raw();
      if (after == data_error) return LineRead::read_error;
      if (after == '\n') {
        byte = '\n';
      } else if (after == data_end) {
        at_end_ = true;
      } else {
        pending_ = after;
      }
    }
    out[n++] = static_cast<char>(byte);
    if (byte == '\n') break;
  }
  out[n] = '\0';
  line.length = n;
  return n == 0 ? LineRead::end_of_file : LineRead::line;
}

}  // namespace imset
