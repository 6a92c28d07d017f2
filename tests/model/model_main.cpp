// The checker with the model's search in place of the program's: the same
// readers, the same run, the straightforward search.
#include <unistd.h>

#include "check/run.h"
#include "model_search.h"

int main(int argc, char** argv) {
  imset::Output out(STDOUT_FILENO, "imset-model");
  model::ModelSearch search;
  return imset::run(argc, argv, search, out);
}
