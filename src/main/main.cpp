#include "../search/search.h"
#include "run.h"

int main(int argc, char** argv) { return imset::run(argc, argv, {imset::prepare_search, imset::process_record}); }
