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

void read_state(const nlohmann::json& j, MachineState& s) {
  static const char* const kD[8] = {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7"};
  static const char* const kA[7] = {"a0", "a1", "a2", "a3", "a4", "a5", "a6"};
  for (int i = 0; i < 8; ++i) s.d[i] = j.at(kD[i]).get<uint32_t>();
  for (int i = 0; i < 7; ++i) s.a[i] = j.at(kA[i]).get<uint32_t>();
  s.usp = j.at("usp").get<uint32_t>();
  s.ssp = j.at("ssp").get<uint32_t>();
  s.sr = j.at("sr").get<uint32_t>();
  s.pc = j.at("pc").get<uint32_t>();
  const auto& pf = j.at("prefetch");
  s.prefetch[0] = pf.at(0).get<uint16_t>();
  s.prefetch[1] = pf.at(1).get<uint16_t>();
  const auto& ram = j.at("ram");
  s.ram.reserve(ram.size());
  for (const auto& cell : ram)
    s.ram.emplace_back(cell.at(0).get<uint32_t>() & 0xFFFFFF, cell.at(1).get<uint8_t>());
}

}  // namespace

bool load_vector_file(const std::string& path, std::vector<Vector>& out, std::string& error) {
  std::string text;
  if (!read_gzip(path, text)) {
    error = "cannot read " + path;
    return false;
  }
  try {
    const nlohmann::json doc = nlohmann::json::parse(text);
    out.clear();
    out.reserve(doc.size());
    for (const auto& t : doc) {
      Vector v;
      v.name = t.at("name").get<std::string>();
      read_state(t.at("initial"), v.initial);
      read_state(t.at("final"), v.final);
      v.opcode = v.initial.prefetch[0];
      for (const auto& tr : t.at("transactions")) {
        const std::string kind = tr.at(0).get<std::string>();
        if (kind == "n") continue;
        BusAccess b;
        b.kind = kind[0];
        b.function_code = tr.at(2).get<uint8_t>();
        b.address = tr.at(3).get<uint32_t>() & 0xFFFFFF;
        b.word = tr.at(4).get<std::string>() == ".w";
        b.value = tr.at(5).get<uint32_t>();
        v.bus.push_back(b);
      }
      out.push_back(std::move(v));
    }
  } catch (const nlohmann::json::exception& e) {
    error = path + ": " + e.what();
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
