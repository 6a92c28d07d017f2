// imset-query: conditional-independence questions by statement name,
// answered from the extreme rays of the cone of supermodular functions.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>

#include "query/run.h"
#include "text/output.h"

int main(int argc, char** argv) {
  // A reader that goes away must give a write error, not death by signal.
  (void)std::signal(SIGPIPE, SIG_IGN);
  try {
    imset::Output out(STDOUT_FILENO, "imset-query");
    return imset::query::run(argc, argv, out);
  } catch (const std::exception& error) {  // a fault of ours
    (void)std::fprintf(stderr, "imset-query: internal error: %s\n", error.what());
    return 1;
  }
}
