// A straightforward model of the search, exactly as the algorithms read:
// every variant formed as text, repeated texts dropped by comparing strings,
// each new variant converted and given its 80 inner products in full, every
// unmatched vector scanned position by position. Slow on purpose; the
// program's search must print the same bytes.
#pragma once

namespace model {

void prepare_search();
bool process_record();

}  // namespace model
