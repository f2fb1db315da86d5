#include "scratch_files.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace e2e {

ScratchDir::ScratchDir(const std::string& prefix, const fs::path& parent) {
  std::string pattern = (parent / (prefix + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data())) path_ = fs::canonical(pattern);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  if (!path_.empty()) fs::remove_all(path_, ignored);
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

}  // namespace e2e
