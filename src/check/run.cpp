#include "check/run.h"

#include <csignal>

#include "check/report.h"
#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "tables/renamings.h"

namespace imset {
namespace {

void print_unreadable(Output& out, const char* path) {
  out.write_text("Could not read from file ");
  out.write_text(path);
  out.write_text(". Processing halted.\n");
}

// The vector file's messages, in the order reading met them: every token
// past the 80th of a line was passed over before a line could halt the run.
bool report_vector_file(Output& out, const char* path, const VectorFileResult& result) {
  for (std::uint64_t i = 0; i < result.ignored_values; ++i) {
    out.write_text("Too many values in vector file. Only 80 expected. Ignored\n");
  }
  switch (result.status) {
    case VectorFileStatus::read:
      return true;
    case VectorFileStatus::unreadable:
      print_unreadable(out, path);
      return false;
    case VectorFileStatus::too_many_vectors:
      out.write_text("Too many vectors in vector file. Only 100 expected. Processing halted\n");
      return false;
  }
  return false;
}

}  // namespace

int run(int argc, const char* const* argv, RecordSearch& search, Output& out) {
  // A reader that goes away (a pipe closed early) must give a write error,
  // not a silent death by signal.
  (void)std::signal(SIGPIPE, SIG_IGN);
  if (argc != 3) {
    out.write_text("Usage: ");
    // Some systems start a program with no argument 0, or an empty one.
    const bool named = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0';
    out.write_text(named ? argv[0] : "imset-check");
    out.write_text(" <file with input vector> <file with extreme points>\n");
    out.flush();
    return 2;
  }
  VectorSet vectors;
  const bool vectors_read = report_vector_file(out, argv[1], read_vector_file(argv[1], vectors));
  out.flush();
  if (!vectors_read) return 1;

  search.prepare(vectors);
  ExtremePointReader records;
  records.open(argv[2]);
  Matches matches;
  while (const Record* record = records.next()) {
    const bool all_matched = search.search(*record, matches);
    for (const Match& match : matches) {
      print_report(out, match.vector_index, vectors.codes[static_cast<std::size_t>(match.vector_index)], record->number,
                   renamed_values(record->values, static_cast<std::size_t>(match.renaming)));
      // Whoever waits for this report gets it now, not when the run ends.
      out.flush();
    }
    if (all_matched) return 0;
  }
  switch (records.status()) {
    case ListStatus::unreadable:
      print_unreadable(out, argv[2]);
      break;
    case ListStatus::value_too_long:
      out.write_text("Value too long in extreme-point file (record nr ");
      out.write_int(static_cast<std::int32_t>(static_cast<std::uint32_t>(records.record().number) + 1U));
      out.write_text("). Only 9 characters expected. Processing halted\n");
      break;
    case ListStatus::ended:
    case ListStatus::reading:  // not once next() has handed out nothing
      out.write_int(search.found_count());
      out.write_text(" counter examples found\nEND\n");
      out.flush();
      return 0;
  }
  out.flush();
  return 1;
}

}  // namespace imset
