// The fuzz jail must keep every name a guest can form inside the scratch
// root; a leak here would let a fuzzer write anywhere on the host.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/path_jail.h"

extern "C" {
FILE* vellum_jail_fopen(const char* path, const char* mode);
int vellum_jail_chdir(const char* path);
char* vellum_jail_getcwd(char* buf, size_t size);
int vellum_jail_mkdir(const char* path, mode_t mode);
int vellum_jail_symlink(const char* target, const char* path);
}

namespace {

std::string jailed(const char* in) {
  char out[8192];
  if (!fuzz::jail_path(in, out, sizeof out)) return "<too long>";
  return out;
}

TEST(PathJail, NamesStayBelowTheRoot) {
  fuzz::jail_set_root("/scratch");
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"A.TXT", "/scratch/A.TXT"},
      {"/etc/passwd", "/scratch/etc/passwd"},
      {"../../etc/x", "/scratch/etc/x"},
      {"a/../../b", "/scratch/b"},
      {"a/b/..", "/scratch/a"},
      {"", "/scratch"},
      {"..", "/scratch"},
      {"//a//./b/", "/scratch/a/b"},
      {"...", "/scratch/..."},
      {"..x/y..", "/scratch/..x/y.."},
  };
  for (const auto& c : cases) EXPECT_EQ(jailed(c.in), c.out) << c.in;
}

TEST(PathJail, OverlongNameIsRefused) {
  fuzz::jail_set_root("/scratch");
  std::string name(5000, 'x');
  EXPECT_EQ(jailed(name.c_str()), "<too long>");
  char small[12];
  EXPECT_FALSE(fuzz::jail_path("abcdef", small, sizeof small));
}

// Through the renamed calls, on a real folder: the working folder moves
// inside the jail only, and '..' from it still stops at the root.
TEST(PathJail, CallsLandInTheScratchFolder) {
  char root[] = "/tmp/vellum-jail-check-XXXXXX";
  ASSERT_NE(mkdtemp(root), nullptr);
  fuzz::jail_set_root(root);

  ASSERT_EQ(vellum_jail_mkdir("/sub", 0755), 0);
  EXPECT_NE(vellum_jail_chdir("missing"), 0);
  ASSERT_EQ(vellum_jail_chdir("sub"), 0);
  char cwd[64];
  ASSERT_NE(vellum_jail_getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_STREQ(cwd, "/sub");

  FILE* f = vellum_jail_fopen("../../../escape", "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  struct stat st;
  EXPECT_EQ(stat((std::string(root) + "/escape").c_str(), &st), 0);
  f = vellum_jail_fopen("inner", "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(stat((std::string(root) + "/sub/inner").c_str(), &st), 0);
  EXPECT_NE(vellum_jail_symlink("/etc", "link"), 0);

  unlink((std::string(root) + "/sub/inner").c_str());
  unlink((std::string(root) + "/escape").c_str());
  rmdir((std::string(root) + "/sub").c_str());
  EXPECT_EQ(rmdir(root), 0);
}

}  // namespace
