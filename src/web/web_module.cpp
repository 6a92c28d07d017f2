// The web page's module: imset-query's answers to the text of a query box.
// The box is read as a query file and every query is answered by the same
// Responder and written by the same writers as imset-query's --implied
// text and --json lines, so the page shows the program's own words.
// Nothing here ends the module: every failure comes back as a message.
#include <emscripten/bind.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>
#include <nlohmann/json.hpp>
#include <string>

#include "query/inputs.h"
#include "query/ray_index.h"
#include "query/report.h"
#include "query/respond.h"
#include "query/statement.h"
#include "text/output.h"

namespace {

using namespace imset;
using namespace imset::query;
using Json = nlohmann::ordered_json;

constexpr int status_failure = 1;
constexpr int status_bad_input = 2;

// Where the box's text is written for the reader, under its source name.
constexpr const char* box_directory = "/box";

// The ray types the page loaded, and the responder that answers from them
// (it keeps scratch space between asks).
std::unique_ptr<RayIndex> rays;
std::unique_ptr<Responder> responder;

AnswerSettings page_settings() {
  AnswerSettings settings;
  settings.closure = true;         // the JSON's "implied"
  settings.implied_beyond = true;  // the text's "implied:" line
  settings.witness_holds = true;
  settings.model = true;  // the picture and the JSON's "model"
  return settings;
}

// "" when the types at `path` are loaded, else why not.
std::string load(const std::string& path) {
  try {
    auto index = std::make_unique<RayIndex>();
    std::string error;
    if (!load_rays(path, *index, error)) return error;
    rays = std::move(index);
    responder = std::make_unique<Responder>(page_settings(), [](std::string& error) -> const RayIndex* {
      error = "the ray types are not loaded";
      return rays.get();
    });
    return "";
  } catch (const std::bad_alloc&) {
    return "out of memory while loading the ray types";
  }
}

// A source name is one file name: it names the box in messages.
bool valid_source_name(const std::string& name) {
  return !name.empty() && name.size() < 256 && name != "." && name != ".." && name != "-" &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool write_box(const std::string& name, const std::string& text) {
  (void)::mkdir(box_directory, 0700);
  if (::chdir(box_directory) != 0) return false;
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

void refuse(Json& result, int status, const std::string& message) {
  result["status"] = status;
  result["errors"].push_back(message);
}

void answer_all(const std::string& text, const std::string& source, Json& result) {
  if (!write_box(source, text)) return refuse(result, status_failure, "internal error: cannot hold the query text");
  QueryInputs inputs;
  add_query_file(source, inputs);
  (void)::unlink(source.c_str());
  for (const std::string& warning : inputs.warnings) result["warnings"].push_back(warning);
  if (!inputs.errors.empty()) {
    for (const std::string& error : inputs.errors) refuse(result, status_bad_input, error);
    return;
  }
  if (inputs.queries.empty()) return refuse(result, status_bad_input, no_queries);
  if (!responder) return refuse(result, status_failure, "internal error: the ray types are not loaded");

  Tally tally;
  std::string words;
  Output out(words);
  for (const SourcedQuery& query : inputs.queries) {
    Findings findings;
    Refusal refusal;
    if (!responder->answer(query.query, inputs.variables[query.variables], findings, refusal)) {
      const std::string where = source + " line " + std::to_string(query.line);
      refuse(result, refusal.status,
             refusal.status == status_failure
                 ? "internal error: " + refusal.message + " for " + where + "; please report it"
                 : where + ": " + refusal.message);
      return;  // as imset-query, which stops there without its count
    }
    ++tally.queries;
    tally.models += findings.structural ? 1 : 0;
    tally.without_ray += findings.index != nullptr && findings.ray == no_ray ? 1 : 0;
    words.clear();
    print_text_answer(out, inputs, query, findings, {.implied = true, .values = false, .certify = false});
    out.flush();
    const Json object =
        json_answer(source, query.line, query.query, inputs.variables[query.variables], findings, false);
    result["answers"].push_back(
        {{"json", object.dump(-1, ' ', false, Json::error_handler_t::replace)}, {"text", words}});
  }
  words.clear();
  print_text_tally(out, tally);
  out.flush();
  result["tally"] = words.substr(0, words.size() - 1);  // without its line end
}

// The answers to `text`, a query file's content, as a JSON object:
// status (0 answered, 2 bad or unanswerable queries, 1 internal error),
// errors, warnings, answers ({json, text} per query) and the tally line.
// `options` is a JSON object; "source" names the box (default "query").
std::string ask(const std::string& text, const std::string& options) {
  Json result = {
      {"status", 0}, {"errors", Json::array()}, {"warnings", Json::array()}, {"answers", Json::array()}, {"tally", ""}};
  try {
    std::string source = "query";
    const Json settings = Json::parse(options.empty() ? "{}" : options, nullptr, false);
    if (settings.is_discarded() || !settings.is_object()) {
      refuse(result, status_bad_input, "the options are not a JSON object");
    } else {
      if (settings.contains("source")) source = settings["source"].is_string() ? settings["source"] : "";
      if (!valid_source_name(source)) {
        refuse(result, status_bad_input, "the source must be a file name, without '/'");
      } else {
        answer_all(text, source, result);
      }
    }
  } catch (const std::bad_alloc&) {
    result = {{"status", status_bad_input},
              {"errors", {"out of memory: ask fewer queries at once"}},
              {"warnings", Json::array()},
              {"answers", Json::array()},
              {"tally", ""}};
  } catch (const std::exception& e) {
    refuse(result, status_failure, std::string("internal error: ") + e.what() + "; please report it");
  }
  return result.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

EMSCRIPTEN_BINDINGS(imset_web) {
  emscripten::function("load", &load);
  emscripten::function("ask", &ask);
}
