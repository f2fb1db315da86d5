// The Debian package that the vellum_package fixture made with cpack: its
// control data, its files, and its binaries unpacked with dpkg-deb and run
// beside the build's.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "child_run.h"
#include "scratch_files.h"

namespace fs = std::filesystem;
using package_test::ChildRun;
using package_test::InputFile;
using package_test::refill;
using package_test::run_child;

namespace {

// The one vellum_*.deb in the fixture's folder; empty when there is not
// exactly one.
fs::path the_package() {
  std::vector<fs::path> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(PACKAGE_DIR, error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("vellum_") && name.ends_with(".deb")) found.push_back(entry.path());
  }
  return found.size() == 1 ? found.front() : fs::path();
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// The control file's fields as `dpkg-deb --info` shows them (one space in
// front); a continued field keeps its first line.
std::map<std::string, std::string> control_fields(const std::string& info) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(info);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() < 2 || line[0] != ' ' || line[1] == ' ') continue;
    const size_t colon = line.find(": ");
    if (colon == std::string::npos || line.find(' ', 1) < colon) continue;
    fields[line.substr(1, colon - 1)] = line.substr(colon + 2);
  }
  return fields;
}

struct ListedFile {
  std::string mode;   // as ls shows it: -rwxr-xr-x
  std::string owner;  // root/root
};

// `dpkg-deb --contents`, by path (symbolic links without their target).
std::map<std::string, ListedFile> listed_files(const std::string& contents) {
  std::map<std::string, ListedFile> files;
  std::istringstream lines(contents);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string mode, owner, size, date, time, path;
    if (!(words >> mode >> owner >> size >> date >> time >> path)) continue;
    files[path] = {mode, owner};
  }
  return files;
}

class DebPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PACKAGE_TOOLS)
      GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps not found: no package is built "
                      "(apt-get install dpkg-dev)";
    package_ = the_package();
    ASSERT_FALSE(package_.empty()) << "not exactly one vellum_*.deb in " << PACKAGE_DIR
                                   << " (the package_build test makes it)";
  }

  // dpkg-deb's standard output; a failure fails the test.
  std::string dpkg_deb(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"dpkg-deb"};
    argv.insert(argv.end(), args.begin(), args.end());
    const ChildRun run = run_child(scratch_.path(), "dpkg-deb", argv);
    EXPECT_EQ(run.status, 0) << "dpkg-deb failed: " << run.err;
    return run.out;
  }

  fs::path package_;
  e2e::ScratchDir scratch_{"vellum-package"};
};

TEST_F(DebPackage, ControlNamesTheProjectVersionAndTheLibrariesTheBinariesNeed) {
  const std::string info = dpkg_deb({"--info", package_.string()});
  const auto fields = control_fields(info);
  const std::string architecture =
      trimmed(run_child(scratch_.path(), "dpkg", {"dpkg", "--print-architecture"}).out);
  EXPECT_EQ(fields.count("Package") ? fields.at("Package") : "", "vellum");
  EXPECT_EQ(fields.count("Version") ? fields.at("Version") : "", PROJECT_VERSION_STRING);
  EXPECT_EQ(fields.count("Architecture") ? fields.at("Architecture") : "", architecture);
  // Computed by dpkg-shlibdeps: every binary needs the C library at least.
  ASSERT_TRUE(fields.count("Depends")) << info;
  EXPECT_NE(fields.at("Depends").find("libc6 (>= "), std::string::npos) << fields.at("Depends");
  ASSERT_TRUE(fields.count("Description")) << info;
  EXPECT_FALSE(fields.at("Description").empty());
  EXPECT_TRUE(fields.count("Maintainer")) << info;
  // The maintainer scripts that load and remove the registration, executable
  // (dpkg-deb marks them with '*').
  for (const std::string script : {"postinst", "prerm"}) {
    const size_t at = info.find("  " + script + " ");
    ASSERT_NE(at, std::string::npos) << script << " missing:\n" << info;
    EXPECT_EQ(info.substr(at - 1, 1), "*") << script << " is not executable:\n" << info;
  }
}

TEST_F(DebPackage, HoldsTheProgramsManPageCopyrightAndRegistrationUnderUsr) {
  const auto files = listed_files(dpkg_deb({"--contents", package_.string()}));
  const std::map<std::string, std::string> wanted = {
      {"./usr/bin/vellum", "-rwxr-xr-x"},
      {"./usr/bin/vellum-trace", "-rwxr-xr-x"},
      {"./usr/bin/elf2gemdos", "-rwxr-xr-x"},
      {"./usr/share/man/man1/vellum.1.gz", "-rw-r--r--"},
      {"./usr/share/man/man1/vellum-trace.1.gz", "lrwxrwxrwx"},
      {"./usr/share/doc/vellum/copyright", "-rw-r--r--"},
      {"./usr/lib/binfmt.d/vellum.conf", "-rw-r--r--"},
  };
  for (const auto& [path, mode] : wanted) {
    ASSERT_TRUE(files.count(path)) << path << " is not in the package";
    EXPECT_EQ(files.at(path).mode, mode) << path;
  }
  for (const auto& [path, file] : files) {
    EXPECT_TRUE(path.starts_with("./usr/")) << path << " outside /usr";
    EXPECT_EQ(file.owner, "root/root") << path;
  }
}

TEST_F(DebPackage, UnpackedFilesAreTheSourcesAndTheRegistrationNamesTheProgram) {
  dpkg_deb({"-x", package_.string(), scratch_.path().string()});
  const fs::path root = scratch_.path();
  const ChildRun man = run_child(root, "gzip", {"gzip", "-dc", "usr/share/man/man1/vellum.1.gz"});
  EXPECT_EQ(man.status, 0) << man.err;
  const std::string page = e2e::read_file(fs::path(SOURCE_DIR) / "vellum.1");
  EXPECT_EQ(man.out, page);
  // The page names its version; a bump of the project's VERSION must reach it.
  const std::string title = page.substr(0, page.find('\n'));
  EXPECT_NE(title.find(std::string("\"vellum ") + PROJECT_VERSION_STRING + "\""), std::string::npos)
      << title;
  EXPECT_EQ(fs::read_symlink(root / "usr/share/man/man1/vellum-trace.1.gz"), "vellum.1.gz");
  EXPECT_EQ(e2e::read_file(root / "usr/share/doc/vellum/copyright"),
            e2e::read_file(fs::path(SOURCE_DIR) / "packaging/copyright"));

  std::string registration = e2e::read_file(fs::path(SOURCE_DIR) / "packaging/vellum.conf.in");
  const std::string placeholder = "@VELLUM_BINFMT_INTERPRETER@";
  ASSERT_NE(registration.find(placeholder), std::string::npos);
  registration.replace(registration.find(placeholder), placeholder.size(), "/usr/bin/vellum");
  EXPECT_EQ(e2e::read_file(root / "usr/lib/binfmt.d/vellum.conf"), registration);
  EXPECT_TRUE(fs::is_regular_file(root / "usr/bin/vellum"));
}

// One binary of the package run on the same input and parameters as the
// build's, in the same folder: output, status and files must be the same.
struct UnpackedCase {
  std::string name;
  std::string tool;  // vellum, vellum-trace or elf2gemdos
  std::vector<InputFile> inputs;
  std::vector<std::string> args;
  std::vector<std::string> folders;
  int status;  // of the build's run: it ran, and ran to its end
  bool needs_guests;
};

void PrintTo(const UnpackedCase& c, std::ostream* os) {
  *os << c.name;
}

std::string built_binary(const std::string& tool) {
  if (tool == "vellum-trace") return VELLUM_TRACE_BINARY;
  if (tool == "elf2gemdos") return ELF2GEMDOS_BINARY;
  return VELLUM_BINARY;
}

class UnpackedProgram : public ::testing::TestWithParam<UnpackedCase> {};

TEST_P(UnpackedProgram, RunsAsTheBuildsDoes) {
  const UnpackedCase& c = GetParam();
  if (!PACKAGE_TOOLS) GTEST_SKIP() << "dpkg-dev is not installed: no package is built";
  if (c.needs_guests && !GUESTS_BUILT) GTEST_SKIP() << "the m68k cross tools are not installed";
  const fs::path package = the_package();
  ASSERT_FALSE(package.empty()) << "not exactly one vellum_*.deb in " << PACKAGE_DIR;
  e2e::ScratchDir unpacked("vellum-unpacked");
  e2e::ScratchDir work("vellum-unpacked-run");
  const ChildRun unpack = run_child(unpacked.path(), "dpkg-deb",
                                    {"dpkg-deb", "-x", package.string(), unpacked.path().string()});
  ASSERT_EQ(unpack.status, 0) << unpack.err;

  auto run = [&](const std::string& binary) {
    refill(work.path(), c.inputs, c.folders);
    std::vector<std::string> argv = {binary};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    return run_child(work.path(), binary, argv);
  };
  const ChildRun built = run(built_binary(c.tool));
  const ChildRun from_package = run((unpacked.path() / "usr/bin" / c.tool).string());
  ASSERT_EQ(built.status, c.status) << built.out << built.err;
  EXPECT_EQ(from_package.out, built.out);
  EXPECT_EQ(from_package.err, built.err);
  EXPECT_EQ(from_package.status, built.status);
  EXPECT_EQ(from_package.signal, built.signal);
  EXPECT_EQ(from_package.files, built.files);
}

std::vector<UnpackedCase> unpacked_cases() {
  const fs::path example = fs::path(EXAMPLES_DIR) / "mandel.tos";
  const fs::path guests = GUEST_DIR;
  return {
      {"Example", "vellum", {{example, "mandel.tos"}}, {"mandel.tos"}, {}, 0, false},
      {"Banner", "vellum", {}, {}, {}, 255, false},
      {"ExampleTraced", "vellum-trace", {{example, "mandel.tos"}}, {"mandel.tos"}, {}, 0, false},
      {"ExitCode",
       "vellum",
       {{guests / "exitcode.tos", "exitcode.tos"}},
       {"exitcode.tos", "3"},
       {},
       3,
       true},
      {"Files",
       "vellum",
       {{guests / "files.tos", "files.tos"}},
       {"files.tos", "my file.txt"},
       {"sub"},
       0,
       true},
      {"Conversion",
       "elf2gemdos",
       {{guests / "mandel.elf", "mandel.elf"}},
       {"mandel.elf", "MANDEL.TOS"},
       {},
       0,
       true},
  };
}

INSTANTIATE_TEST_SUITE_P(Package, UnpackedProgram, ::testing::ValuesIn(unpacked_cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
