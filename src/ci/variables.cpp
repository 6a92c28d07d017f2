#include "ci/variables.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace imset::ci {
namespace {

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

Variables Variables::digits(int n) {
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) names.emplace_back(1, static_cast<char>('0' + i));
  Variables variables(std::move(names));
  variables.declared_ = false;
  return variables;
}

Variables::Variables(std::vector<std::string> names) : names_(std::move(names)), declared_(true) {
  single_characters_ = std::all_of(names_.begin(), names_.end(), [](const std::string& n) { return n.size() == 1; });
  index_characters();
}

void Variables::index_characters() {
  by_character_.fill(-1);
  for (int i = 0; i < size(); ++i) {
    if (name(i).size() == 1) by_character_[static_cast<unsigned char>(name(i)[0])] = static_cast<std::int8_t>(i);
  }
}

const std::string& Variables::name(int i) const {
  if (i < size()) return names_[static_cast<std::size_t>(i)];
  static const std::array<std::string, max_digits> digit_names = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
  if (declared_) throw std::out_of_range("no variable " + std::to_string(i) + " among the declared names");
  return digit_names.at(static_cast<std::size_t>(i));
}

int Variables::find(std::string_view name) const {
  const auto found = std::find(names_.begin(), names_.end(), name);
  return found == names_.end() ? -1 : static_cast<int>(found - names_.begin());
}

const std::string& Variables::nearest(std::string_view name) const {
  return *std::min_element(names_.begin(), names_.end(), [&](const std::string& a, const std::string& b) {
    return edit_distance(name, a) < edit_distance(name, b);
  });
}

bool is_name(std::string_view text) {
  return !text.empty() && is_letter(text[0]) &&
         std::all_of(text.begin(), text.end(), [](char c) { return is_letter(c) || is_digit(c) || c == '_'; });
}

}  // namespace imset::ci
