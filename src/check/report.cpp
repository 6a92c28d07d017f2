#include "check/report.h"

namespace imset {

void print_report(Output& out, int vector_index, const SignCodes& codes, std::int32_t record_number,
                  const SetFunction& values) {
  out.write_text("Hold your horses: this is not good\nVector (");
  out.write_int(vector_index + 1);
  out.write_text("):");
  for (const std::int32_t code : codes) out.write_char(code == code_zero ? '+' : code == code_nonzero ? '-' : '0');
  out.write_text("\nImset: ");
  for (const std::int32_t value : imset_values(values)) {
    out.write_char(' ');
    out.write_int(value);
  }
  out.write_text("\nPermutation: (record nr ");
  out.write_int(record_number);
  out.write_text(") ");
  for (const std::int32_t value : values) {
    out.write_int(value);
    out.write_char(' ');
  }
  out.write_char('\n');
}

}  // namespace imset
