#include "text/output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace imset {

void Output::fail() const {
  // Standard error is the last channel left; if it fails too, the status still tells.
  (void)std::fputs(program_, stderr);
  (void)std::fputs(": cannot write to standard output\n", stderr);
  std::exit(1);
}

void Output::flush() {
  if (text_ != nullptr) {
    text_->append(buffer_.data(), used_);
    used_ = 0;
    return;
  }
  std::size_t done = 0;
  while (done < used_) {
    const ssize_t written = ::write(descriptor_, buffer_.data() + done, used_ - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) fail();
    done += static_cast<std::size_t>(written);
  }
  used_ = 0;
}

void Output::write_text(std::string_view text) {
  while (!text.empty()) {
    if (used_ == buffer_.size()) flush();
    const std::size_t n = std::min(text.size(), buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
  }
}

void Output::write_int(std::int64_t value) {
  std::array<char, 24> digits{};
  std::size_t start = digits.size();
  // Negate in unsigned arithmetic so the most negative value needs no care.
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  if (value < 0) magnitude = 0U - magnitude;
  do {
    digits[--start] = static_cast<char>('0' + magnitude % 10U);
    magnitude /= 10U;
  } while (magnitude != 0U);
  if (value < 0) digits[--start] = '-';
  write_text(std::string_view(digits.data() + start, digits.size() - start));
}

}  // namespace imset
