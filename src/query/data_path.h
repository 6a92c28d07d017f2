// Where the shipped ray types are: beside the program's installed data
// (<prefix>/share/imset-check, wherever the prefix was moved), in the source
// tree's data/ when the program runs from its build directory, or in the
// data directory it was configured to be installed into.
#pragma once

#include <string>

namespace imset::query {

inline constexpr const char* types_file_name = "extreme-rays-types.txt";

// The first of the places above that holds the types file; empty if none does.
std::string default_rays_path();

// The same places for any installed file, the Python module among them:
// `binary` is its path (empty if unknown), `prefix` the install prefix it
// sits under.
std::string rays_path_for(const std::string& binary, const std::string& prefix);

}  // namespace imset::query
