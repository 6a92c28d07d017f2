#include "query/data_path.h"

#include <filesystem>
#include <system_error>

#ifndef IMSET_SOURCE_DATA_DIR
#error "IMSET_SOURCE_DATA_DIR, IMSET_INSTALL_DATA_DIR and IMSET_BUILD_DIR must be defined by the build"
#endif

namespace imset::query {

std::string rays_path_for(const std::string& binary, const std::string& prefix) {
  namespace fs = std::filesystem;
  std::error_code error;
  const auto found = [&](const fs::path& dir) {
    const fs::path file = dir / types_file_name;
    return fs::is_regular_file(file, error) ? file.string() : std::string();
  };
  if (!binary.empty()) {
    std::string beside = found(fs::path(prefix) / "share" / "imset-check");
    if (!beside.empty()) return beside;
    const std::string binary_text = fs::path(binary).lexically_normal().string();
    const std::string build = fs::path(IMSET_BUILD_DIR).lexically_normal().string();
    if (binary_text.starts_with(build + "/")) {
      std::string source = found(IMSET_SOURCE_DATA_DIR);
      if (!source.empty()) return source;
    }
  }
  return found(IMSET_INSTALL_DATA_DIR);
}

std::string default_rays_path() {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return rays_path_for(program.string(), program.parent_path().parent_path().string());
}

}  // namespace imset::query
