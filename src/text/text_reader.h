// Reading a text file line by line, the same way on every platform: CR LF
// becomes LF, any other CR stays, the byte 0x1A ends the file, every other
// byte (NUL included) is kept. Lines come in reads of at most 1,023 bytes;
// the rest of a longer line arrives as a line of its own.
//
// A line is handed out as soon as its last byte has arrived: the reader
// takes what the file has ready, so a pipe or FIFO whose writer pauses (or
// never closes) is searched as far as it has been written.
#pragma once

#include <array>
#include <cstddef>

namespace imset {

inline constexpr std::size_t line_buffer_size = 1024;
inline constexpr std::size_t max_line_read = line_buffer_size - 1;

// One read of a line: its bytes, a terminating zero after them. Readers work
// on the text up to the first zero byte, as the file's lines are C strings.
struct LineBuffer {
  // Room past the 1,024 bytes lets a token be copied as a fixed-size block.
  static constexpr std::size_t slack = 16;
  std::array<char, line_buffer_size + slack> bytes{};
  std::size_t length = 0;  // bytes read, zero bytes included
  const char* text() const { return bytes.data(); }
};

enum class LineRead { line, end_of_file, read_error };

class TextReader {
 public:
  TextReader() = default;
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;
  ~TextReader() { close(); }

  // Opens for reading; false when the file cannot be opened.
  bool open(const char* path);
  // Reads a descriptor that is already open, such as standard input;
  // close() leaves it open.
  void attach(int descriptor);
  // Whether the byte 0x1A ends the file (so by default) or is kept as any
  // other byte; for texts that never had that convention.
  void set_end_of_text_byte(bool ends_file) { end_of_text_ends_ = ends_file; }
  // Next line read, up to and including its LF, at most 1,023 bytes.
  LineRead read_line(LineBuffer& line);
  void close();

 private:
  int next_raw();  // raw byte, -1 at end of data, -2 on a read error
  bool refill();

  int descriptor_ = -1;
  bool owned_ = false;  // opened here, so closed here
  bool end_of_text_ends_ = true;
  std::array<unsigned char, std::size_t{1} << 16> chunk_{};
  std::size_t chunk_pos_ = 0;
  std::size_t chunk_len_ = 0;
  bool at_end_ = false;  // 0x1A seen or no more data
  bool failed_ = false;
  int pending_ = -1;  // byte read after a lone CR, not yet returned
};

// White space as the default character classification has it: space, tab,
// LF, VT, FF, CR; nothing else, no byte of 0x80 or above.
inline constexpr std::array<bool, 256> white_bytes = [] {
  std::array<bool, 256> white{};
  for (const unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) white[c] = true;
  return white;
}();

constexpr bool is_white(char c) { return white_bytes[static_cast<unsigned char>(c)]; }

// Past the white space at p; past the token (non-white, non-zero bytes) at p.
constexpr const char* skip_white(const char* p) {
  while (is_white(*p)) ++p;
  return p;
}

constexpr const char* skip_token(const char* p) {
  while (*p != '\0' && !is_white(*p)) ++p;
  return p;
}

}  // namespace imset
