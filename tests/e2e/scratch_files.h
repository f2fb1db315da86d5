// Host files of the tests that run the built vellum: a scratch folder for
// each run, and whole files written before it and read after it.
#pragma once

#include <filesystem>
#include <string>

namespace e2e {

// A fresh folder under `parent` (the system's temporary folder unless
// given), named `prefix` followed by a unique suffix, removed with its
// contents at the end of the scope. path() is empty when it could not be
// made.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& prefix,
                      const std::filesystem::path& parent = std::filesystem::temp_directory_path());
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The whole file, empty when it cannot be read.
std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& content);

}  // namespace e2e
