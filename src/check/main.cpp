#include <unistd.h>

#include <memory>

#include "check/run.h"
#include "search/search.h"

int main(int argc, char** argv) {
  imset::Output out(STDOUT_FILENO, "imset-check");
  // Holds the 4 MB table of tested patterns: allocated once, here.
  const auto search = std::make_unique<imset::Search>();
  return imset::run(argc, argv, *search, out);
}
