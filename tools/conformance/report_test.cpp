// The report end to end: a small vector file written by the test, with one
// vector left as recorded, one spoiled and one that a class takes before it
// runs.

#include "report.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "execute.h"

namespace conformance {
namespace {

nlohmann::json read_json_gz(const std::string& path) {
  gzFile f = gzopen(path.c_str(), "rb");
  std::string text;
  char buf[1 << 14];
  int n;
  while (f && (n = gzread(f, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  if (f) gzclose(f);
  return nlohmann::json::parse(text);
}

void write_json_gz(const std::string& path, const nlohmann::json& doc) {
  gzFile f = gzopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const std::string text = doc.dump();
  gzwrite(f, text.data(), static_cast<unsigned>(text.size()));
  gzclose(f);
}

class Report : public testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/vellum-report-test-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
    nlohmann::json nops = read_json_gz(std::string(VECTOR_DIR) + "/NOP.json.gz");
    ASSERT_GE(nops.size(), 3u);
    nlohmann::json doc = nlohmann::json::array({nops[0], nops[1], nops[2]});
    doc[1]["final"]["d5"] = doc[1]["final"]["d5"].get<uint32_t>() ^ 0x80;
    // A BNE with displacement byte 0xFF: decoded differently by design.
    doc[2]["initial"]["prefetch"][0] = 0x66FF;
    write_json_gz(dir_ + "/three.json.gz", doc);
    names_[0] = doc[0]["name"];
    names_[1] = doc[1]["name"];
    names_[2] = doc[2]["name"];
  }
  void TearDown() override {
    std::remove((dir_ + "/three.json.gz").c_str());
    rmdir(dir_.c_str());
  }

  // Runs the report into a string.
  int run(const ReportOptions& options, std::string& text) {
    char* buf = nullptr;
    size_t len = 0;
    FILE* out = open_memstream(&buf, &len);
    const int status = run_report({dir_ + "/three.json.gz"}, options, out);
    std::fclose(out);
    text.assign(buf, len);
    std::free(buf);
    return status;
  }

  std::string dir_;
  std::string names_[3];
};

TEST_F(Report, SummaryCountsEachOutcomeAndFailsTheRun) {
  std::string text;
  EXPECT_EQ(run({}, text), 1);
  EXPECT_NE(text.find("three.json.gz            1 passed     1 failed     1 classified\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("class long-branch-opcode          1"), std::string::npos) << text;
  EXPECT_NE(text.find("class address-error               0"), std::string::npos) << text;
  const std::string last = "1 passed, 1 failed\n";
  ASSERT_GE(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  EXPECT_EQ(text.find("FAIL"), std::string::npos);  // no --failures
}

// The same vectors through the translation tier: NOP has a translated form,
// so both vectors that run do so as translated code, with the interpreter's
// outcomes.
TEST_F(Report, TranslatorRunsTheVectorsWithTheSameOutcomes) {
  if (!translator_available()) GTEST_SKIP() << "this build has no translation tier";
  std::string text;
  EXPECT_EQ(run({}, text), 1);
  EXPECT_NE(text.find("three.json.gz            1 passed     1 failed     1 classified, "
                      "translator (2 translated)\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("translator: 1 passed, 1 failed, 1 classified; 2 ran as translated code, "
                      "0 differ from the interpreter\n"),
            std::string::npos)
      << text;
  std::string interpreter_only;
  run({.translator = false}, interpreter_only);
  EXPECT_EQ(interpreter_only.find("translator"), std::string::npos) << interpreter_only;
}

TEST_F(Report, ListAndFailuresNameEveryVectorAndTheDifferingField) {
  std::string text;
  run({.failures = true, .list = true}, text);
  EXPECT_NE(text.find(names_[0] + "\tpass\n"), std::string::npos) << text;
  EXPECT_NE(text.find(names_[1] + "\tfail\n"), std::string::npos) << text;
  EXPECT_NE(text.find(names_[2] + "\tlong-branch-opcode\n"), std::string::npos) << text;
  EXPECT_NE(text.find("FAIL " + names_[1] + "\n  d5 "), std::string::npos) << text;
}

TEST_F(Report, UnreadableFileFailsTheRun) {
  std::string text;
  char* buf = nullptr;
  size_t len = 0;
  FILE* out = open_memstream(&buf, &len);
  EXPECT_EQ(run_report({dir_ + "/missing.json.gz"}, {}, out), 1);
  std::fclose(out);
  text.assign(buf, len);
  std::free(buf);
  EXPECT_NE(text.find("0 passed, 0 failed\n"), std::string::npos);
}

}  // namespace
}  // namespace conformance
