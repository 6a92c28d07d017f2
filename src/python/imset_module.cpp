// The Python module imset: imset-query's questions asked by a function
// call. A thin layer over the same core: the query line is read by
// parse_query_line, answered and checked by a Responder and written by
// json_answer, as imset-query does, so every answer and message is the
// program's.
#include <dlfcn.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ci/statement.h"
#include "ci/variables.h"
#include "query/answer.h"
#include "query/data_path.h"
#include "query/query.h"
#include "query/ray_index.h"
#include "query/report.h"
#include "query/respond.h"
#include "query/statement.h"

#ifndef IMSET_PYTHON_INSTALL_DIR
#error "IMSET_PYTHON_INSTALL_DIR and IMSET_VERSION must be defined by the build"
#endif

namespace py = pybind11;
using namespace imset;
using namespace imset::query;

namespace {

constexpr const char* python_source = "<python>";

// The rays every call answers from: loaded once, on first use, and shared
// read-only; imset.load swaps in others while calls still hold the old.
std::mutex rays_mutex;
std::mutex load_mutex;
std::shared_ptr<const RayIndex> current_rays;

std::shared_ptr<const RayIndex> load_index(const std::string& path) {
  auto index = std::make_shared<RayIndex>();
  std::string error;
  if (!load_rays(path, *index, error)) throw py::value_error(error);
  return index;
}

// Where the shipped types are for this module: the installed data beside
// its prefix, the source tree's for a module in the build directory, or
// the configured data directory.
std::string module_rays_path() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&module_rays_path), &info) == 0 || info.dli_fname == nullptr) {
    return rays_path_for("", "");
  }
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path module = fs::weakly_canonical(info.dli_fname, error);
  fs::path prefix = module.parent_path();
  const fs::path install_dir(IMSET_PYTHON_INSTALL_DIR);
  for (auto part = install_dir.begin(); part != install_dir.end(); ++part) prefix = prefix.parent_path();
  return rays_path_for(module.string(), prefix.string());
}

// Called with the GIL held; the loading itself runs without it.
std::shared_ptr<const RayIndex> rays() {
  {
    const std::lock_guard lock(rays_mutex);
    if (current_rays) return current_rays;
  }
  const py::gil_scoped_release release;
  const std::lock_guard loading(load_mutex);
  {
    const std::lock_guard lock(rays_mutex);
    if (current_rays) return current_rays;
  }
  const std::string path = module_rays_path();
  if (path.empty()) {
    throw std::runtime_error(std::string("cannot find the shipped ") + types_file_name +
                             "; name a file with imset.load(path)");
  }
  std::shared_ptr<const RayIndex> loaded = load_index(path);
  const std::lock_guard lock(rays_mutex);
  current_rays = loaded;
  return loaded;
}

// The Answerer keeps scratch space, so each thread has its own.
Answerer& thread_answerer(const std::shared_ptr<const RayIndex>& index) {
  thread_local std::shared_ptr<const RayIndex> held;
  thread_local std::unique_ptr<Answerer> answerer;
  if (held != index) {
    answerer = std::make_unique<Answerer>(*index);
    held = index;
  }
  return *answerer;
}

// A Responder per thread and kind of answer, as imset-query's --json
// makes them: it keeps scratch space and the LP engines of each size.
Responder& thread_responder(const std::shared_ptr<const RayIndex>& index, bool beyond, bool closure) {
  struct Held {
    std::shared_ptr<const RayIndex> index;
    std::unique_ptr<Responder> responder;
  };
  thread_local std::array<Held, 4> held;
  Held& slot = held[(beyond ? 2U : 0U) + (closure ? 1U : 0U)];
  if (slot.index != index || !slot.responder) {
    AnswerSettings settings;
    settings.closure = closure;
    settings.implied_beyond = beyond;
    settings.model = closure;
    slot.responder = std::make_unique<Responder>(settings, [index](std::string&) { return index.get(); });
    slot.index = index;
  }
  return *slot.responder;
}

// Raised as Python's TimeoutError.
class TimedOut : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Findings for one query, checked as imset-query checks them; time_limit
// in seconds, 0 for none.
Findings findings_of(const Query& query, const ci::Variables& variables, const std::shared_ptr<const RayIndex>& index,
                     bool beyond, bool closure, double time_limit) {
  Responder& responder = thread_responder(index, beyond, closure);
  responder.set_time_limit(time_limit);
  Findings findings;
  Refusal refusal;
  if (!responder.answer(query, variables, findings, refusal)) {
    if (refusal.timed_out) throw TimedOut(refusal.message);
    if (refusal.status == 1) throw std::runtime_error("internal error: " + refusal.message + "; please report it");
    throw py::value_error(refusal.message);
  }
  return findings;
}

std::string located(std::size_t line, bool several_lines, std::size_t column, const std::string& message) {
  std::string where;
  if (several_lines) where = "line " + std::to_string(line) + (column > 0 ? ", " : ": ");
  if (column > 0) where += "column " + std::to_string(column) + ": ";
  return where + message;
}

// The names a `variables=` argument gives: the digits for None, else a
// declaration's names, as a string or a list.
ci::Variables variables_from(const py::object& names) {
  static const ci::Variables digits;
  if (names.is_none()) return digits;
  ci::Variables variables;
  std::string text;
  if (py::isinstance<py::str>(names)) {
    text = names.cast<std::string>();
  } else {
    for (const py::handle name : names) {
      if (!text.empty()) text += ' ';
      text += py::str(name).cast<std::string>();
    }
  }
  StatementError error;
  if (!parse_variables(text, variables, error)) throw py::value_error("variables: " + error.message);
  return variables;
}

struct Asked {
  Query query;
  ci::Variables variables;
};

// One query from a string: its lines read as a query file's, declarations
// included; exactly one of them asks something.
Asked parse_asked(std::string_view text, ci::Variables variables) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0;;) {
    const std::size_t stop = text.find_first_of("\r\n", start);
    lines.push_back(text.substr(start, stop == std::string_view::npos ? std::string_view::npos : stop - start));
    if (stop == std::string_view::npos) break;
    start = stop + (text.substr(stop, 2) == "\r\n" ? 2 : 1);
  }
  std::optional<Asked> asked;
  std::size_t asked_line = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Query query;
    QueryError error;
    switch (parse_query_line(lines[i], variables, query, error)) {
      case LineKind::blank:
      case LineKind::declaration:
        break;
      case LineKind::error:
        throw py::value_error(located(i + 1, lines.size() > 1, error.column, error.message));
      case LineKind::query:
        if (asked) {
          throw py::value_error(located(
              i + 1, true, 0,
              "a second query after the one on line " + std::to_string(asked_line) + "; ask several with ask_many"));
        }
        {
          const int n = variable_count(query, variables);
          asked = Asked{std::move(query), n == variables.size() ? variables : ci::Variables::digits(n)};
        }
        asked_line = i + 1;
        break;
    }
  }
  if (!asked) throw py::value_error("the query names no statement");
  return std::move(*asked);
}

py::object owned(PyObject* made) {
  if (made == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(made);
}

// Straight to Python objects: measured faster than the JSON text through
// json.loads. Member names are interned once.
py::object to_python(const nlohmann::ordered_json& value) {
  using Json = nlohmann::ordered_json;
  switch (value.type()) {
    case Json::value_t::null:
      return py::none();
    case Json::value_t::boolean:
      return py::bool_(value.get<bool>());
    case Json::value_t::number_integer:
      return owned(PyLong_FromLongLong(value.get<std::int64_t>()));
    case Json::value_t::number_unsigned:
      return owned(PyLong_FromUnsignedLongLong(value.get<std::uint64_t>()));
    case Json::value_t::string: {
      const std::string& text = value.get_ref<const std::string&>();
      return owned(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace"));
    }
    case Json::value_t::array: {
      py::list list(value.size());
      for (std::size_t i = 0; i < value.size(); ++i) {
        PyList_SET_ITEM(list.ptr(), static_cast<Py_ssize_t>(i), to_python(value[i]).release().ptr());
      }
      return list;
    }
    case Json::value_t::object: {
      static std::unordered_map<std::string, py::object>* const interned =
          new std::unordered_map<std::string, py::object>();
      py::dict dict;
      for (const auto& [key, member] : value.items()) {
        auto [slot, added] = interned->try_emplace(key);
        if (added) slot->second = owned(PyUnicode_InternFromString(key.c_str()));
        if (PyDict_SetItem(dict.ptr(), slot->second.ptr(), to_python(member).ptr()) != 0) throw py::error_already_set();
      }
      return dict;
    }
    default:
      throw std::logic_error("an answer holds a value JSON output does not");
  }
}

// The time limit in seconds, 0 for None.
double check_time_limit(const py::object& time_limit) {
  if (time_limit.is_none()) return 0;
  const auto seconds = time_limit.cast<double>();
  if (seconds <= 0) throw py::value_error("time_limit must be positive");
  return seconds;
}

nlohmann::ordered_json json_asked(const Asked& asked, std::uint32_t line, const std::shared_ptr<const RayIndex>& index,
                                  bool implied, double time_limit) {
  const Findings findings = findings_of(asked.query, asked.variables, index, implied, true, time_limit);
  nlohmann::ordered_json object = json_answer(python_source, line, asked.query, asked.variables, findings, false);
  if (implied) {
    nlohmann::ordered_json beyond = nlohmann::ordered_json::array();
    for (const ci::Statement& s : findings.implied_beyond) beyond.push_back(ci::statement_text(s, asked.variables));
    object["beyond"] = std::move(beyond);
  }
  return object;
}

// A statement given as (A, B) or (A, B, C), each side a name, an index or
// an iterable of them, written out for the statement reader.
std::string statement_from_tuple(const py::sequence& sides, const ci::Variables& variables) {
  if (sides.size() != 2 && sides.size() != 3) {
    throw py::value_error("a statement as a tuple is (A, B) or (A, B, C), not " + std::to_string(sides.size()) +
                          " sides");
  }
  const bool compact = variables.single_characters();
  const auto element = [&](const py::handle item) -> std::string {
    if (py::isinstance<py::str>(item)) return item.cast<std::string>();
    if (py::isinstance<py::int_>(item) && !py::isinstance<py::bool_>(item)) {
      const long long i = item.cast<long long>();
      // Without declared names the digits go up to 9, as in a query.
      const int count = variables.declared() ? variables.size() : ci::max_digits;
      if (i < 0 || i >= count) {
        throw py::value_error("no variable number " + std::to_string(i) + ": the variables are 0 to " +
                              std::to_string(count - 1));
      }
      return i < variables.size() ? variables.name(static_cast<int>(i)) : std::to_string(i);
    }
    throw py::type_error("a side of a statement is a name, an index or an iterable of them, not " +
                         py::repr(item).cast<std::string>());
  };
  const auto side = [&](const py::handle set) {
    std::string text;
    if (py::isinstance<py::str>(set) || py::isinstance<py::int_>(set)) return element(set);
    for (const py::handle item : py::iter(set)) {
      if (!text.empty() && !compact) text += ", ";
      text += element(item);
    }
    return compact ? text : "{" + text + "}";
  };
  std::string text = side(sides[0]) + (compact ? "," : " _||_ ") + side(sides[1]);
  if (sides.size() == 3) text += (compact ? "|" : " | ") + side(sides[2]);
  return text;
}

ci::Statement statement_from(const py::handle given, const ci::Variables& variables) {
  std::string text;
  bool from_tuple = false;
  if (py::isinstance<py::str>(given)) {
    text = given.cast<std::string>();
  } else if (py::isinstance<py::sequence>(given)) {
    text = statement_from_tuple(given.cast<py::sequence>(), variables);
    from_tuple = true;
  } else {
    throw py::type_error("a statement is a string or a tuple (A, B, C), not " + py::repr(given).cast<std::string>());
  }
  ci::Statement statement;
  StatementError error;
  if (!parse_statement(text, variables, statement, error)) {
    throw py::value_error(from_tuple ? "statement " + text + ": " + error.message
                                     : located(1, false, error.offset + 1, error.message));
  }
  return statement;
}

// The "+" statements: a line of them, or an iterable of statements.
std::vector<ci::Statement> premises_from(const py::handle premises, const ci::Variables& variables) {
  if (py::isinstance<py::str>(premises)) {
    const std::string text = premises.cast<std::string>();
    ci::Variables names = variables;
    Query query;
    QueryError error;
    const LineKind kind = parse_query_line(text, names, query, error);
    if (kind == LineKind::error) throw py::value_error(located(1, false, error.column, error.message));
    if (kind == LineKind::declaration) throw py::value_error("premises are statements; give names with variables=");
    if (!query.fails.empty()) {
      throw py::value_error("premises are + statements, but -" + ci::statement_text(query.fails.front(), variables) +
                            " asks one to fail");
    }
    return query.holds;
  }
  std::vector<ci::Statement> held;
  for (const py::handle s : py::iter(premises)) held.push_back(statement_from(s, variables));
  return held;
}

RowSet rows_of(const std::vector<ci::Statement>& statements) {
  RowSet rows;
  for (const ci::Statement& s : statements) rows = rows | part_rows(s);
  return rows;
}

const char* const module_doc = R"(Conditional independence among random variables, answered exactly.

imset answers the questions imset-query answers, by function call: given
conditional-independence statements that hold ("+") and that fail ("-"),
does a structural model (a supermodular function) exist in which they do,
which statements do the "+" statements imply, a witness and the first
extreme ray that realises the question. Up to five variables the shipped
extreme rays answer; past five (up to 12) linear programming does, every
model checked in exact integers. The answers come from the same C++ core
as imset-query and equal its --json output.

A statement is written A,B|C in the compact form ("0,12|3", "0,1" for empty
C) or smoke _||_ tar, cancer | genes in the long form, or given as a tuple
(A, B) or (A, B, C) whose sides are names, indices or iterables of them.
Without variables= the variables are digits: 0 to 4, or up to the highest
digit a statement names (at most 9).

The extreme rays are loaded once per process, on first use, from the
shipped ray types (imset.load names another file). Calls may come from
several threads at once; answering runs without the GIL.

    >>> import imset
    >>> imset.implies("+0,1 +0,2|1", "0,2")
    True
)";

const char* const ask_doc = R"(ask(query, variables=None, implied=False, time_limit=None) -> dict

Answers one query: a line of signed statements, "+0,1|2 -0,1" or
"+smoke _||_ tar | genes -smoke _||_ tar". The string may hold a
"variables: smoke tar genes" line before the query, and comments after "#".

variables: the names of the variables, a list or a string of names
  separated by blanks or commas, at most 12; None for the digits.
implied: also give "beyond", the maximal statements the "+" statements
  imply beyond the given ones (imset-query --implied).
time_limit: seconds an answer may take. Answers on five variables take
  microseconds, so none comes near it; it must be positive or None.
  Past five variables an answer that needs longer raises ValueError.

The dict has the members of imset-query --json's object for the query,
with the same values: source ("<python>"), line (1), query, variables,
holds, fails, structural (whether a structural model exists), forced (the
"-" statements the "+" statements imply), implied (every elementary
statement they imply), witness (rays whose sum is a model: record,
renaming, values) and ray (the first single ray that realises the query,
or None).

Raises ValueError with imset-query's message for a faulty query, the
position given as "column N" (and "line L" for a string of several lines).
)";

const char* const ask_many_doc = R"(ask_many(queries, variables=None, implied=False, time_limit=None) -> list[dict]

Answers many queries, each a string as ask takes it, in one call: the rays
are loaded once and the GIL is released while answering. Every query is
read before any is answered; the first faulty one raises ValueError,
"query N: " before the message. Each dict is the one ask gives, its line
the query's position in the list, from 1.
)";

const char* const implies_doc = R"(implies(premises, statement, variables=None, time_limit=None) -> bool

Whether the premises imply the statement: it holds in every structural
model in which they hold. premises is a string of "+" statements
("+0,1 +0,2|1") or an iterable of statements, each a string ("0,1") or a
tuple (A, B, C); statement is a string or a tuple. The same answer as
imset-query gives for "premises -statement": no structural model.

    >>> imset.implies("+0,1 +0,2|1", "0,2")
    True
    >>> imset.implies([("smoke", "tar")], ("smoke", "tar", "genes"),
    ...               variables=["smoke", "tar", "genes"])
    False
)";

const char* const closure_doc = R"(closure(premises, variables=None, time_limit=None) -> list[str]

The elementary statements the premises imply, given ones included, in the
query's names and the vector file's order: the "implied" member of ask's
answer. premises as for implies.
)";

const char* const load_doc = R"(load(path) -> None

Answers from now on from this extreme-point file instead of the shipped
ray types (read by imset-check's rules; every record must be
supermodular). Calls already running finish with the rays they started
with. Raises ValueError if the file cannot be read or used.
)";

}  // namespace

PYBIND11_MODULE(imset, m) {
  // Each docstring starts with its signature in Python's words.
  py::options options;
  options.disable_function_signatures();
  m.doc() = module_doc;
  // pybind11's translator takes the pointer by value.
  py::register_exception_translator([](std::exception_ptr raised) {  // NOLINT(performance-unnecessary-value-param)
    try {
      if (raised) std::rethrow_exception(raised);
    } catch (const TimedOut& e) {
      PyErr_SetString(PyExc_TimeoutError, e.what());
    }
  });
  m.attr("__version__") = IMSET_VERSION;

  m.def(
      "ask",
      [](const std::string& query, const py::object& variables, bool implied, const py::object& time_limit) {
        const double seconds = check_time_limit(time_limit);
        const ci::Variables names = variables_from(variables);
        const std::shared_ptr<const RayIndex> index = rays();
        nlohmann::ordered_json object;
        {
          const py::gil_scoped_release release;
          object = json_asked(parse_asked(query, names), 1, index, implied, seconds);
        }
        return to_python(object);
      },
      ask_doc, py::arg("query"), py::arg("variables") = py::none(), py::arg("implied") = false,
      py::arg("time_limit") = py::none());

  m.def(
      "ask_many",
      [](const py::iterable& queries, const py::object& variables, bool implied, const py::object& time_limit) {
        const double seconds = check_time_limit(time_limit);
        const ci::Variables names = variables_from(variables);
        std::vector<std::string> texts;
        for (const py::handle q : queries) texts.push_back(q.cast<std::string>());
        const std::shared_ptr<const RayIndex> index = rays();
        std::vector<Asked> asked;
        {
          const py::gil_scoped_release release;
          asked.reserve(texts.size());
          for (std::size_t i = 0; i < texts.size(); ++i) {
            try {
              asked.push_back(parse_asked(texts[i], names));
            } catch (const py::value_error& e) {
              throw py::value_error("query " + std::to_string(i + 1) + ": " + e.what());
            }
          }
        }
        // Answered in blocks: the JSON of all at once would take far more
        // memory than the dicts.
        constexpr std::size_t block = 256;
        py::list answers(asked.size());
        std::vector<nlohmann::ordered_json> objects;
        for (std::size_t start = 0; start < asked.size(); start += block) {
          const std::size_t end = std::min(asked.size(), start + block);
          {
            const py::gil_scoped_release release;
            objects.clear();
            for (std::size_t i = start; i < end; ++i) {
              objects.push_back(json_asked(asked[i], static_cast<std::uint32_t>(i + 1), index, implied, seconds));
            }
          }
          for (std::size_t i = start; i < end; ++i) answers[i] = to_python(objects[i - start]);
        }
        return answers;
      },
      ask_many_doc, py::arg("queries"), py::arg("variables") = py::none(), py::arg("implied") = false,
      py::arg("time_limit") = py::none());

  m.def(
      "implies",
      [](const py::object& premises, const py::object& statement, const py::object& variables,
         const py::object& time_limit) {
        const double seconds = check_time_limit(time_limit);
        const ci::Variables names = variables_from(variables);
        Query query{premises_from(premises, names), {statement_from(statement, names)}};
        const int n = variable_count(query, names);
        const std::shared_ptr<const RayIndex> index = rays();
        const py::gil_scoped_release release;
        if (n > ground_size) {
          // Past five variables the LP engine: implied when no model exists.
          return !findings_of(query, ci::Variables::digits(n), index, false, false, seconds).structural;
        }
        // Implied when all its parts are in the closure: a "-" statement
        // imset-query calls forced.
        const RowSet parts = part_rows(query.fails.front());
        return parts.is_subset_of(thread_answerer(index).implied_rows(rows_of(query.holds), parts));
      },
      implies_doc, py::arg("premises"), py::arg("statement"), py::arg("variables") = py::none(),
      py::arg("time_limit") = py::none());

  m.def(
      "closure",
      [](const py::object& premises, const py::object& variables, const py::object& time_limit) {
        const double seconds = check_time_limit(time_limit);
        const ci::Variables names = variables_from(variables);
        const Query query{premises_from(premises, names), {}};
        const int n = variable_count(query, names);
        const ci::Variables over = n == names.size() ? names : ci::Variables::digits(n);
        const std::shared_ptr<const RayIndex> index = rays();
        std::vector<std::string> implied;
        {
          const py::gil_scoped_release release;
          for (const ci::Statement& s : findings_of(query, over, index, false, true, seconds).implied) {
            implied.push_back(ci::statement_text(s, over));
          }
        }
        return implied;
      },
      closure_doc, py::arg("premises"), py::arg("variables") = py::none(), py::arg("time_limit") = py::none());

  m.def(
      "load",
      [](const std::string& path) {
        std::shared_ptr<const RayIndex> loaded;
        {
          const py::gil_scoped_release release;
          loaded = load_index(path);
        }
        const std::lock_guard lock(rays_mutex);
        current_rays = loaded;
      },
      load_doc, py::arg("path"));
}
