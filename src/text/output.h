// Buffered writing to one file descriptor, standard output in the programs
// (or into a string, for the web page's module, which hands the words on).
// If the descriptor cannot be written (a full disk, a closed descriptor, a
// reader gone away), the process says so in one line on standard error,
// "<program>: cannot write to standard output", and ends with status 1:
// nothing more it could print would arrive anyway.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace imset {

class Output {
 public:
  // program names the process in the failure line.
  Output(int descriptor, const char* program) : descriptor_(descriptor), program_(program) {}
  // Writes into `text` instead, which is never a failure: for callers that
  // hand the words on themselves, such as the web page's module.
  explicit Output(std::string& text) : descriptor_(-1), program_(""), text_(&text) {}
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output() = default;  // flushing is the owner's business: a failure must end the process

  void write_text(std::string_view text);
  void write_char(char c) {
    if (used_ == buffer_.size()) flush();
    buffer_[used_++] = c;
  }
  void write_int(std::int64_t value);
  // Writes out everything buffered; ends the process if that fails.
  void flush();

 private:
  [[noreturn]] void fail() const;

  int descriptor_;
  const char* program_;
  std::string* text_ = nullptr;
  std::array<char, std::size_t{1} << 16> buffer_{};
  std::size_t used_ = 0;
};

}  // namespace imset
