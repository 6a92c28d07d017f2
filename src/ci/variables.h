// The ground set a question is asked over: N variables, variable i named by
// the i-th declared name, or by its digit when none are declared. A set of
// variables is a bitmask: bit i is variable i.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace imset::ci {

using Mask = std::uint32_t;

// The most variables a question may have: past it the linear programs
// grow beyond what answers in reasonable time (C(N,2)·2^(N-2) elementary
// imsets).
inline constexpr int max_variables = 12;
// Without declared names the variables are digits, at least this many
// (the five-element tables), more when a statement names a higher one.
inline constexpr int least_digits = 5;
inline constexpr int max_digits = 10;

class Variables {
 public:
  // Undeclared: the variables 0 to least_digits - 1, named by their digits.
  Variables() : Variables(digits(least_digits)) {}
  // Undeclared: the variables 0 to n - 1, named by their digits.
  static Variables digits(int n);
  // Declared names, in order; they must be valid (see declaration_fault).
  explicit Variables(std::vector<std::string> names);

  int size() const { return static_cast<int>(names_.size()); }
  Mask all() const { return (Mask{1} << names_.size()) - 1; }
  bool declared() const { return declared_; }
  // Without declared names every digit names itself, also past size():
  // a statement may name a higher one before the ground set is known.
  const std::string& name(int i) const;
  const std::vector<std::string>& names() const { return names_; }
  // Every name is one character, so a set can be written as a run of them.
  bool single_characters() const { return single_characters_; }
  // The variable of that name; -1 if there is none.
  int find(std::string_view name) const;
  // The variable named by that one character; -1 if there is none.
  int find(char name) const { return by_character_[static_cast<unsigned char>(name)]; }
  // The declared name closest to `name` (fewest edits).
  const std::string& nearest(std::string_view name) const;

  bool operator==(const Variables&) const = default;

 private:
  std::vector<std::string> names_;
  bool declared_ = false;
  bool single_characters_ = true;
  std::array<std::int8_t, 256> by_character_{};
  void index_characters();
};

// A name is a letter, then letters, digits and '_'.
bool is_name(std::string_view text);

}  // namespace imset::ci
