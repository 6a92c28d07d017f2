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
#include <string_view>
#include <vector>

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

// What one ask returns; the answers are kept as JSON text already, as a
// large batch would cost more as a tree of objects than answering it.
struct Reply {
  int status = 0;  // 0 answered, 2 bad or unanswerable queries, 1 internal error
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
  std::string answers;  // the elements of the answers array, comma-separated
  std::string tally;
};

void refuse(Reply& reply, int status, const std::string& message) {
  reply.status = status;
  reply.errors.push_back(message);
}

// `text` as a JSON string. It is UTF-8 already: the page's strings arrive
// so, and every answer is written from them.
void append_json_string(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      constexpr const char* hex = "0123456789abcdef";
      out += "\\u00";
      out += hex[static_cast<unsigned char>(c) >> 4];
      out += hex[static_cast<unsigned char>(c) & 15U];
    } else {
      out += c;
    }
  }
  out += '"';
}

// Statements as [A, B, C] bitmasks (bit i is variable i), in the order
// the JSON lists them: what the page's picture marks.
void append_masks(std::string& out, const std::vector<ci::Statement>& statements) {
  out += '[';
  for (std::size_t i = 0; i < statements.size(); ++i) {
    const ci::Statement& s = statements[i];
    out += (i == 0 ? "[" : ",[") + std::to_string(s.a) + ',' + std::to_string(s.b) + ',' + std::to_string(s.c) + ']';
  }
  out += ']';
}

void answer_all(const std::string& text, const std::string& source, std::size_t texts, Reply& reply) {
  if (!write_box(source, text)) return refuse(reply, status_failure, "internal error: cannot hold the query text");
  QueryInputs inputs;
  add_query_file(source, inputs);
  (void)::unlink(source.c_str());
  reply.warnings = inputs.warnings;
  if (!inputs.errors.empty()) {
    for (const std::string& error : inputs.errors) refuse(reply, status_bad_input, error);
    return;
  }
  if (inputs.queries.empty()) return refuse(reply, status_bad_input, no_queries);
  if (!responder) return refuse(reply, status_failure, "internal error: the ray types are not loaded");

  Tally tally;
  std::string words;
  Output out(words);
  for (const SourcedQuery& query : inputs.queries) {
    Findings findings;
    Refusal refusal;
    if (!responder->answer(query.query, inputs.variables[query.variables], findings, refusal)) {
      refuse(reply, refusal.status, refusal_text(refusal, source, query.line));
      return;  // as imset-query, which stops there without its count
    }
    count_answer(tally, findings);
    if (!reply.answers.empty()) reply.answers += ',';
    reply.answers += "{\"json\":";
    const Json object =
        json_answer(source, query.line, query.query, inputs.variables[query.variables], findings, false);
    append_json_string(reply.answers, object.dump(-1, ' ', false, Json::error_handler_t::replace));
    reply.answers += ",\"text\":";
    words.clear();
    if (tally.queries <= texts) {
      print_text_answer(out, inputs, query, findings, {.implied = true, .values = false, .certify = false});
      out.flush();
    }
    append_json_string(reply.answers, words);
    reply.answers += ",\"sets\":{\"holds\":";
    append_masks(reply.answers, query.query.holds);
    reply.answers += ",\"fails\":";
    append_masks(reply.answers, query.query.fails);
    reply.answers += "}}";
  }
  words.clear();
  print_text_tally(out, tally);
  out.flush();
  reply.tally = words.substr(0, words.size() - 1);  // without its line end
}

std::string reply_text(const Reply& reply) {
  const auto list = [](const std::vector<std::string>& texts) {
    return Json(texts).dump(-1, ' ', false, Json::error_handler_t::replace);
  };
  std::string text = "{\"status\":" + std::to_string(reply.status) + ",\"errors\":" + list(reply.errors) +
                     ",\"warnings\":" + list(reply.warnings) + ",\"answers\":[";
  text += reply.answers;
  text += "],\"tally\":";
  append_json_string(text, reply.tally);
  text += '}';
  return text;
}

// The answers to `text`, a query file's content, as a JSON object:
// status, errors, warnings, answers ({json, text, sets} per query:
// imset-query's --json line, its --implied text, and the statements of
// "holds" and "fails" as bitmasks) and the tally line. `options` is a
// JSON object; "source" names the box (default "query"), "texts" how many
// answers get their text (default all; the others have "").
std::string ask(const std::string& text, const std::string& options) {
  try {
    Reply reply;
    std::string source = "query";
    const Json settings = Json::parse(options.empty() ? "{}" : options, nullptr, false);
    if (settings.is_discarded() || !settings.is_object()) {
      refuse(reply, status_bad_input, "the options are not a JSON object");
    } else {
      if (settings.contains("source")) source = settings["source"].is_string() ? settings["source"] : "";
      // How many answers get their text: a page that lays out the first
      // few of a large batch need not have the rest written.
      std::size_t texts = static_cast<std::size_t>(-1);
      if (settings.contains("texts") && settings["texts"].is_number_unsigned()) texts = settings["texts"];
      if (!valid_source_name(source)) {
        refuse(reply, status_bad_input, "the source must be a file name, without '/'");
      } else {
        answer_all(text, source, texts, reply);
      }
    }
    return reply_text(reply);
  } catch (const std::bad_alloc&) {
    return R"({"status":2,"errors":["out of memory: ask fewer queries at once"],"warnings":[],"answers":[],"tally":""})";
  } catch (const std::exception& e) {
    Reply reply;
    refuse(reply, status_failure, std::string("internal error: ") + e.what() + "; please report it");
    return reply_text(reply);
  }
}

}  // namespace

EMSCRIPTEN_BINDINGS(imset_web) {
  emscripten::function("load", &load);
  emscripten::function("ask", &ask);
}
