// The checker with the model's search in place of the program's: the same
// readers, the same run, the straightforward search.
#include "main/run.h"
#include "model_search.h"

int main(int argc, char** argv) { return imset::run(argc, argv, {model::prepare_search, model::process_record}); }
