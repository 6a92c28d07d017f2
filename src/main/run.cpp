#include "run.h"

#include <csignal>

#include "../input/vector_file.h"
#include "../search/report.h"
#include "../tables/tables.h"

namespace imset {

int run(int argc, const char* const* argv, const SearchProcedures& search) {
  // A reader that goes away (a pipe closed early) must give a write error,
  // not a silent death by signal.
  (void)std::signal(SIGPIPE, SIG_IGN);
  if (argc != 3) {
    write_text("Usage: ");
    // Some systems start a program with no argument 0, or an empty one.
    const bool named = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0';
    write_text(named ? argv[0] : "imset-check");
    write_text(" <file with input vector> <file with extreme points>\n");
    flush_output();
    return 2;
  }
  vector_set.found.fill(0);
  if (!build_permutation_map()) write_text("nok");
  if (!read_vector_file(argv[1])) {
    flush_output();
    return 1;
  }
  search.prepare();
  const ListEnd end = read_extreme_points(argv[2], search.process_record);
  if (end == ListEnd::list_ended) {
    write_int(vector_set.found_count);
    write_text(" counter examples found\nEND\n");
  }
  flush_output();
  return end == ListEnd::failed ? 1 : 0;
}

}  // namespace imset
