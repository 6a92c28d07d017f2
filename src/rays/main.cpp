// imset-rays: writes the extreme rays of the cone of supermodular functions
// over {0,1,2,3,4} (standardized to zero on the empty set and singletons) as
// an extreme-point file for imset-check.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "rays/rays.h"

#ifndef IMSET_VERSION
#error "IMSET_VERSION must be defined by the build"
#endif

namespace {

constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

void print_usage(std::ostream& out) {
  out << "Usage: imset-rays [--types] [-o FILE]\n"
         "\n"
         "Computes the extreme rays of the cone of supermodular set functions over\n"
         "{0,1,2,3,4}, i.e. the functions m on the 26 subsets of at least two\n"
         "elements with <m, u> >= 0 for all 80 elementary imsets u, and writes\n"
         "them as an extreme-point file: one ray per line, its primitive integer\n"
         "vector as 26 values in subset-index order, lines sorted.\n"
         "\n"
         "Options:\n"
         "  --types    write one representative per type (orbit under the 120\n"
         "             renamings of the elements): the lexicographically smallest\n"
         "             of its renamings\n"
         "  -o FILE    write to FILE instead of standard output\n"
         "  --help     show this text and exit\n"
         "  --version  show the version and exit\n"
         "\n"
         "The computation uses libnormaliz and takes minutes.\n";
}

// The text of --help or --version counts only if it arrived: a failed write
// is a failure like any other, not a silent success.
int finish_standard_output() {
  std::cout.flush();
  if (std::cout) return 0;
  std::cerr << "imset-rays: writing the output failed\n";
  return exit_failure;
}

int usage_error(const std::string& message) {
  std::cerr << "imset-rays: " << message << "\nTry 'imset-rays --help' for more information.\n";
  return exit_usage;
}

void write_records(std::ostream& out, const std::vector<imset::SetFunction>& records) {
  std::string line;
  for (const imset::SetFunction& record : records) {
    line.clear();
    for (std::size_t k = 0; k < record.size(); ++k) {
      if (k > 0) line += ' ';
      line += std::to_string(record[k]);
    }
    line += '\n';
    out << line;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away early must give a write error, not a silent
  // death by signal.
  (void)std::signal(SIGPIPE, SIG_IGN);
  bool types_only = false;
  std::string output_path;
  bool have_output_path = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      print_usage(std::cout);
      return finish_standard_output();
    }
    if (arg == "--version") {
      std::cout << "imset-rays " << IMSET_VERSION << '\n';
      return finish_standard_output();
    }
    if (arg == "--types") {
      types_only = true;
    } else if (arg == "-o") {
      if (i + 1 >= argc) return usage_error("option -o needs a file name");
      if (have_output_path) return usage_error("option -o given more than once");
      output_path = argv[++i];
      have_output_path = true;
    } else if (arg.starts_with("-")) {
      return usage_error("unknown option '" + std::string(arg) + "'");
    } else {
      return usage_error("unexpected argument '" + std::string(arg) + "'");
    }
  }

  // The rays go to a file beside the output first and replace it only when
  // complete, so a failed run never loses an existing file. Opening it now
  // makes a bad path fail before the long computation.
  const std::string partial_path = output_path + ".partial";
  std::ofstream file;
  if (have_output_path) {
    file.open(partial_path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file) {
      std::cerr << "imset-rays: cannot open output file '" << partial_path << "' for writing\n";
      return exit_failure;
    }
  }
  std::ostream& out = have_output_path ? static_cast<std::ostream&>(file) : std::cout;
  const auto fail = [&](const std::string& message) {
    std::cerr << "imset-rays: " << message << '\n';
    if (have_output_path) {
      file.close();
      (void)std::remove(partial_path.c_str());  // best effort: nothing else to do if it fails
    }
    return exit_failure;
  };

  std::vector<imset::SetFunction> records;
  try {
    std::cerr << "imset-rays: computing extreme rays of the cone of supermodular functions (takes minutes)..."
              << std::endl;
    const auto start = std::chrono::steady_clock::now();
    const imset::rays::IntegerMatrix rays = imset::rays::extreme_rays(imset::rays::elementary_inequalities());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::cerr << "imset-rays: done, " << rays.size() << " extreme rays in " << elapsed.count() << " seconds"
              << std::endl;
    records.reserve(rays.size());
    for (const imset::rays::IntegerVector& ray : rays) records.push_back(imset::rays::to_set_function(ray));
  } catch (const std::exception& error) {
    return fail(std::string("computing the extreme rays failed: ") + error.what());
  }

  if (types_only) {
    for (imset::SetFunction& record : records) record = imset::rays::orbit_representative(record);
  }
  std::sort(records.begin(), records.end());
  if (types_only) {
    records.erase(std::unique(records.begin(), records.end()), records.end());
    std::cerr << "imset-rays: " << records.size() << " types under renaming of the elements" << std::endl;
  }

  write_records(out, records);
  out.flush();
  if (!out) return fail("writing the output failed");
  if (have_output_path) {
    file.close();
    if (!file || std::rename(partial_path.c_str(), output_path.c_str()) != 0) {
      return fail("cannot replace '" + output_path + "' with the finished output");
    }
  }
  return 0;
}
