#include "vector.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

namespace conformance {
namespace {

bool read_gzip(const std::string& path, std::string& out) {
  gzFile f = gzopen(path.c_str(), "rb");
  if (!f) return false;
  gzbuffer(f, 1 << 16);
  char buf[1 << 16];
  int n;
  while ((n = gzread(f, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  const bool ok = n == 0;
  gzclose(f);
  return ok;
}

uint32_t* state_field(MachineState& s, const std::string& key) {
  if (key.size() == 2 && key[1] >= '0' && key[1] <= '7') {
    const unsigned n = static_cast<unsigned>(key[1] - '0');
    if (key[0] == 'd') return &s.d[n];
    if (key[0] == 'a' && n < 7) return &s.a[n];
  }
  if (key == "usp") return &s.usp;
  if (key == "ssp") return &s.ssp;
  if (key == "sr") return &s.sr;
  if (key == "pc") return &s.pc;
  return nullptr;
}

// Streams the file's JSON straight into Vector records: the files hold 120 MB
// of text in all, and building a document tree first would spend most of the
// run allocating and freeing it. Nesting, by depth of open containers:
//   1 the array of vectors          2 one vector's object
//   3 "initial"/"final" object, or the "transactions" array
//   4 "prefetch"/"ram" array, or one transaction
//   5 one [address, value] pair of "ram"
class VectorReader {
 public:
  explicit VectorReader(std::vector<Vector>& out) : out_(out) {}

  bool null() { return fail("unexpected null"); }
  bool boolean(bool) { return fail("unexpected boolean"); }
  bool number_integer(int64_t v) { return number(static_cast<uint64_t>(v)); }
  bool number_unsigned(uint64_t v) { return number(v); }
  bool number_float(double, const std::string&) { return fail("unexpected fraction"); }
  bool binary(nlohmann::json::binary_t&) { return fail("unexpected binary"); }

  bool string(std::string& v) {
    if (depth_ == 2 && vector_key_ == "name") {
      current_.name = v;
    } else if (depth_ == 4 && vector_key_ == "transactions") {
      if (index_ == 0) access_kind_ = v.empty() ? '?' : v[0];
      if (index_ == 4) access_.word = v == ".w";
      ++index_;
    }
    return true;
  }

  bool start_object(std::size_t) {
    ++depth_;
    if (depth_ == 2) current_ = Vector{};
    if (depth_ == 3) state_ = vector_key_ == "initial" ? &current_.initial : &current_.final;
    return depth_ <= 3;
  }
  bool end_object() {
    if (depth_ == 2) {
      if (current_.name.empty()) return fail("vector without a name");
      current_.opcode = current_.initial.prefetch[0];
      out_.push_back(std::move(current_));
    }
    --depth_;
    return true;
  }
  bool key(std::string& k) {
    if (depth_ == 2) vector_key_ = k;
    if (depth_ == 3) state_key_ = k;
    return true;
  }

  bool start_array(std::size_t) {
    ++depth_;
    index_ = 0;
    if (depth_ == 4 && vector_key_ == "transactions") access_ = BusAccess{};
    return depth_ <= 5;
  }
  bool end_array() {
    if (depth_ == 5) state_->ram.emplace_back(pair_[0] & 0xFFFFFF, static_cast<uint8_t>(pair_[1]));
    if (depth_ == 4 && vector_key_ == "transactions" && access_kind_ != 'n') {
      access_.kind = access_kind_;
      current_.bus.push_back(access_);
    }
    --depth_;
    return true;
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) {
    return fail("at byte " + std::to_string(position) + ": " + e.what());
  }

  const std::string& error() const { return error_; }

 private:
  bool number(uint64_t value) {
    const auto v = static_cast<uint32_t>(value);
    if (depth_ == 3 && state_) {
      if (uint32_t* field = state_field(*state_, state_key_)) *field = v;
    } else if (depth_ == 4 && vector_key_ == "transactions") {
      if (index_ == 2) access_.function_code = static_cast<uint8_t>(v);
      if (index_ == 3) access_.address = v & 0xFFFFFF;
      if (index_ == 5) access_.value = v;
      ++index_;
    } else if (depth_ == 4 && state_key_ == "prefetch") {
      if (index_ < 2) state_->prefetch[index_++] = static_cast<uint16_t>(v);
    } else if (depth_ == 5) {
      if (index_ < 2) pair_[index_++] = v;
    }
    return true;
  }
  bool fail(std::string why) {
    error_ = std::move(why);
    return false;
  }

  std::vector<Vector>& out_;
  Vector current_;
  MachineState* state_ = nullptr;
  BusAccess access_;
  char access_kind_ = 'n';
  std::string vector_key_, state_key_, error_;
  uint32_t pair_[2] = {};
  unsigned depth_ = 0, index_ = 0;
};

}  // namespace

bool load_vector_file(const std::string& path, std::vector<Vector>& out, std::string& error) {
  std::string text;
  if (!read_gzip(path, text)) {
    error = "cannot read " + path;
    return false;
  }
  out.clear();
  VectorReader reader(out);
  if (!nlohmann::json::sax_parse(text, &reader) || !reader.error().empty()) {
    error = path + ": " + (reader.error().empty() ? "malformed vector file" : reader.error());
    return false;
  }
  return true;
}

std::vector<std::string> expand_vector_paths(const std::vector<std::string>& args,
                                             std::string& error) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    std::error_code ec;
    if (fs::is_directory(arg, ec)) {
      std::vector<std::string> found;
      for (const auto& entry : fs::directory_iterator(arg, ec)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.size() > 8 &&
            name.compare(name.size() - 8, 8, ".json.gz") == 0)
          found.push_back(entry.path().string());
      }
      std::sort(found.begin(), found.end());
      if (found.empty()) error = "no .json.gz files in " + arg;
      files.insert(files.end(), found.begin(), found.end());
    } else if (fs::is_regular_file(arg, ec)) {
      files.push_back(arg);
    } else {
      error = "no such file or folder: " + arg;
    }
  }
  return files;
}

}  // namespace conformance
