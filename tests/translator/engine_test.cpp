// The engine's settings from the environment, read once at start-up.
#include "translator/engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace translator {
namespace {

constexpr const char* kVariables[] = {"VELLUM_ENGINE", "VELLUM_TRANSLATE_AFTER",
                                      "VELLUM_BLOCK_LIMIT", "VELLUM_TRANSLATE_DUMP"};

// The suite itself may run under any of these (the interpreter's run of
// the whole suite sets VELLUM_ENGINE): each test starts without them and
// puts them back.
class EngineSettings : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name, value->c_str(), 1);
      else
        unsetenv(name);
    }
    settings() = Settings{};
  }
  // Reads the environment; returns what was said about it on standard error.
  std::string configure() {
    testing::internal::CaptureStderr();
    configure_from_environment();
    return testing::internal::GetCapturedStderr();
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(EngineSettings, DefaultIsTheTranslator) {
  EXPECT_EQ(configure(), "");
  EXPECT_EQ(settings().engine, Engine::kTranslator);
  EXPECT_EQ(settings().translate_after, 1024u);
}

TEST_F(EngineSettings, EveryVariableIsRead) {
  setenv("VELLUM_ENGINE", "interpreter", 1);
  setenv("VELLUM_TRANSLATE_AFTER", "1", 1);
  setenv("VELLUM_BLOCK_LIMIT", "7", 1);
  setenv("VELLUM_TRANSLATE_DUMP", "all", 1);
  EXPECT_EQ(configure(), "");
  EXPECT_EQ(settings().engine, Engine::kInterpreter);
  EXPECT_EQ(settings().translate_after, 1u);
  EXPECT_EQ(settings().block_limit, 7u);
  EXPECT_TRUE(settings().dump_guest);
  EXPECT_TRUE(settings().dump_host);
}

TEST_F(EngineSettings, NonsenseIsReportedAndIgnored) {
  setenv("VELLUM_ENGINE", "fast", 1);
  setenv("VELLUM_TRANSLATE_AFTER", "0", 1);
  setenv("VELLUM_BLOCK_LIMIT", "9999", 1);
  setenv("VELLUM_TRANSLATE_DUMP", "everything", 1);
  const std::string said = configure();
  EXPECT_NE(said.find("VELLUM_ENGINE=fast"), std::string::npos) << said;
  EXPECT_NE(said.find("VELLUM_TRANSLATE_AFTER=0"), std::string::npos) << said;
  EXPECT_NE(said.find("VELLUM_BLOCK_LIMIT=9999"), std::string::npos) << said;
  EXPECT_NE(said.find("VELLUM_TRANSLATE_DUMP=everything"), std::string::npos) << said;
  const Settings defaults;
  EXPECT_EQ(settings().engine, defaults.engine);
  EXPECT_EQ(settings().translate_after, defaults.translate_after);
  EXPECT_EQ(settings().block_limit, defaults.block_limit);
  EXPECT_FALSE(settings().dump_guest || settings().dump_host);
}

}  // namespace
}  // namespace translator
