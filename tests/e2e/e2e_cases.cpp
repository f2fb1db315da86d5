#include "e2e_cases.h"

#include <cstdio>
#include <optional>

namespace {

E2eCase run(std::string name, std::string program, std::vector<std::string> args,
            std::string expected_output, int status = 0) {
  E2eCase c;
  c.name = std::move(name);
  c.program = std::move(program);
  c.args = std::move(args);
  c.expected_output = std::move(expected_output);
  c.status = status;
  return c;
}

// What files.tos leaves in test.dat: its 1000-byte pattern, with the
// pattern's first 10 bytes written at 904 (through Fopen mode 0), then
// "ABCD" at 0 (through mode 1) and "WXYZ" at 500 (through mode 2).
std::string files_test_dat() {
  std::string s;
  for (int i = 0; i < 1000; ++i) s.push_back(static_cast<char>(i * 7 + 3));
  s.replace(904, 10, s.substr(0, 10));
  s.replace(0, 4, "ABCD");
  s.replace(500, 4, "WXYZ");
  return s;
}

// One fault report per exception and I/O access that ends a run.
void add_faults(std::vector<E2eCase>& all) {
  const struct {
    const char* name;
    const char* letter;
    const char* file;
  } faults[] = {
      {"FaultIllegalInstruction", "i", "illegal"},
      {"FaultZeroDivide", "z", "zero_divide"},
      {"FaultChk", "c", "chk"},
      {"FaultTrapv", "v", "trapv"},
      {"FaultPrivilegeViolation", "p", "privilege"},
      {"FaultLineA", "a", "line_a"},
      {"FaultLineF", "f", "line_f"},
      {"FaultTrap0", "t", "trap0"},
      {"FaultIoRead", "r", "io_read"},
      {"FaultIoWrite", "w", "io_write"},
  };
  // A failed run is no success: status 255, as after Pterm(-1).
  for (const auto& f : faults)
    all.push_back(run(f.name, "faults", {f.letter}, std::string("faults.") + f.file + ".out", 255));
}

// The console calls: output, input from a piped standard input (with its
// end), the Cconrs buffer, the old terminate call and the silent probes.
void add_console(std::vector<E2eCase>& all) {
  const struct {
    const char* name;
    const char* part;
    std::optional<std::string> input;
  } parts[] = {
      {"ConsoleOutputCalls", "out", std::nullopt},
      {"ConsoleInputCalls", "in", "y\nq\r\nhello world\n12345678\nrest\nBraw\r\nbytes\n"},
      {"ConsoleLineBuffer", "rs", "abc\nexact\ntail"},
      {"ConsoleWaitAfterEndOfInput", "eof", ""},
      {"ConsoleProbesAreSilent", "probe", std::nullopt},
      {"AesVdiOldTerminate", "trap2", std::nullopt},
  };
  for (const auto& p : parts) {
    E2eCase c = run(p.name, "console", {p.part}, std::string("console.") + p.part + ".out");
    c.input = p.input;
    all.push_back(c);
  }
}

// Programs that run other programs, found in the run's directory.
void add_pexec_cases(std::vector<E2eCase>& all) {
  E2eCase parent = run("PexecLoadAndGo", "pexec_parent", {}, "pexec_parent.out");
  parent.programs_before = {"pexec_child", "bigchild"};
  parent.directories = {"sub"};
  parent.files_after = {{"shared.txt", "parent before\nchild line\nparent after\n"},
                        {"child.txt", "written by the child, left open\n"}};
  all.push_back(parent);

  // The fault in the child ends the whole run, as failed.
  E2eCase fault = run("PexecChildFaults", "pexec_parent", {"fault"}, "pexec_parent.fault.out", 255);
  fault.programs_before = {"pexec_child"};
  fault.files_after = {{"parent.txt", "written before the child faulted\n"}};
  all.push_back(fault);

  E2eCase modes = run("PexecModes", "pexec_modes", {}, "pexec_modes.out");
  modes.programs_before = {"pexec_child"};
  all.push_back(modes);

  E2eCase regs = run("PexecKeepsTheParent", "pexec_regs", {}, "pexec_regs.out");
  regs.programs_before = {"pexec_child"};
  all.push_back(regs);
}

// Code that changes while it runs, translated at its first run so that the
// changes meet translations (with the interpreter alone they pass as well).
void add_changing_code(std::vector<E2eCase>& all) {
  const std::pair<std::string, std::string> at_once{"VELLUM_TRANSLATE_AFTER", "1"};
  E2eCase changing = run("CodeThatChangesWhileItRuns", "smc", {}, "smc.out");
  changing.environment = {at_once};
  all.push_back(changing);

  E2eCase reused = run("ChildLoadedOverTranslatedCode", "smc_parent", {}, "smc_parent.out");
  reused.programs_before = {"smc_child_a", "smc_child_b"};
  reused.environment = {at_once};
  all.push_back(reused);
}

// Handles, searches and names as programs of other toolchains use them.
void add_device_and_name_cases(std::vector<E2eCase>& all) {
  E2eCase devices = run("DeviceHandles", "devices", {}, "devices.out");
  devices.input = "abcdefgh";
  devices.files_after = {{"FILE.TXT", "0123456789"}};
  // Opening a device name makes no host file of that name.
  devices.files_absent = {"CON:", "con:", "AUX:", "prn:", "CON"};
  all.push_back(devices);

  E2eCase names = run("SearchesAndEmptyExtensions", "search_names", {}, "search_names.out");
  names.directories = {"LIST/FOLDER"};
  names.files_before = {{"LIST/A.TXT", "a\n"}, {"LIST/B.DAT", "b\n"}, {"LIST/NOEXT", ""}};
  names.files_after = {{"RENAMED", "hello\n"}, {"MADE/INNER", ""}};
  names.files_absent = {"HELLO.", "HELLO", "RENAMED.", "MADE.", "MADE/INNER.", "MADE/GONE"};
  all.push_back(names);
}

// What programs of other toolchains ask the OS: the XBIOS clock, the
// keyboard state, drives, and later-OS calls that answer quietly.
void add_system_queries(std::vector<E2eCase>& all) {
  all.push_back(run("SystemQueries", "sysinfo", {}, "sysinfo.out"));
}

// Line-A: $A000 describes the text console, the other calls do nothing.
void add_line_a(std::vector<E2eCase>& all) {
  all.push_back(run("LineACalls", "linea", {}, "linea.out"));
}

// Parameter lists longer than the command line holds, by the ARGV
// convention: for vellum's own command line (an empty argument and spaces
// among them), and passed on by Pexec, a parent's own list and, inherited,
// the 40 KB list vellum gave the parent.
void add_argv_cases(std::vector<E2eCase>& all) {
  all.push_back(run("ArgvLongCommandLine", "argv",
                    {"first", "two words", "", std::string(130, 'x'), "last"}, "argv.long.out"));
  std::vector<std::string> many = {"spawn"};
  for (int i = 1; i <= 400; ++i) {
    char head[16];
    std::snprintf(head, sizeof head, "arg%03d-", i);
    many.push_back(head + std::string(93, 'y'));
  }
  E2eCase pexec = run("ArgvThroughPexec", "argv", many, "argv.pexec.out");
  pexec.programs_before = {"argv"};
  all.push_back(pexec);
}

}  // namespace

const std::vector<E2eCase>& e2e_cases() {
  static const std::vector<E2eCase> cases = [] {
    std::vector<E2eCase> all;
    all.push_back(run("ConsoleOutput", "hello", {}, "hello.out"));

    all.push_back(run("ArgsNone", "args", {}, "args.none.out"));
    all.push_back(run("ArgsTwoWords", "args", {"foo", "bar"}, "args.two_words.out"));
    all.push_back(run("ArgsInnerSpace", "args", {"a b", "c"}, "args.inner_space.out"));
    all.push_back(run("ArgsEmptyParameter", "args", {"x", "", "y"}, "args.empty.out"));
    all.push_back(run("ArgsLongestTail", "args", {std::string(60, 'a'), std::string(64, 'b')},
                      "args.longest.out"));

    all.push_back(run("RegistersAtEntry", "startup", {}, "startup.out"));
    // The other value of bit 1 of the BSS length, so both entry X values are pinned.
    all.push_back(run("EntryXFollowsBssLength", "startup_x", {}, "startup.out"));
    all.push_back(run("RomStartup", "romcheck", {"one", "two words"}, "romcheck.out"));
    all.push_back(run("Relocation", "reloc", {}, "reloc.out"));
    all.push_back(run("BssCleared", "bss", {}, "bss.out"));
    all.push_back(run("LargeBssCleared", "bigbss", {}, "bss.out"));
    all.push_back(run("MemoryCalls", "memory", {}, "memory.out"));
    all.push_back(run("SupervisorCalls", "super", {}, "super.out"));
    all.push_back(run("DateAndTime", "timecheck", {}, "timecheck.out"));
    all.push_back(run("UnhandledCalls", "unhandled", {}, "unhandled.out"));

    E2eCase files = run("FileCalls", "files", {"my file.txt"}, "files.out");
    files.directories = {"sub"};
    files.files_after = {{"test.dat", files_test_dat()},
                         {"sub/inner.txt", "in a subdirectory\n"},
                         {"two words.txt", "a space in the name\n"},
                         {"my file.txt", "named on the command line\n"}};
    files.files_absent = {"missing.dat", "other.dat"};
    all.push_back(files);

    E2eCase ops = run("FileOperations", "fileops", {}, "fileops.out");
    ops.directories = {"Sub/Deep"};
    ops.files_before = {{"lower.txt", "lower case\n"},
                        {"MiXeD.Dat", "mixed\n"},
                        {"gone.txt", "gone\n"},
                        {"old.txt", "old\n"},
                        {"case.txt", "case\n"},
                        {"input.txt", "from a file\n"},
                        {"Sub/Deep/item.txt", "deep item\n"}};
    ops.files_after = {
        {"lower.txt", "UPPER case\n"},     {"MiXeD.Dat", ""},      {"Sub/Deep/Made.Txt", "made\n"},
        {"Sub/Renamed.Txt", "old\n"},      {"CASE.TXT", "case\n"}, {"LOCKED.TXT", "locked\n"},
        {"REDIR.TXT", "into file\nmore\n"}};
    ops.files_absent = {"gone.txt", "old.txt", "case.txt", "MIXED.DAT", "NEW.TXT"};
    all.push_back(ops);

    E2eCase folders = run("FoldersAndSearches", "folders", {}, "folders.out");
    folders.directories = {"scan/sub", "del"};
    folders.files_before = {{"scan/alpha.txt", "alpha\n"},
                            {"scan/BETA.TXT", "beta\n"},
                            {"scan/gamma.c", "c\n"},
                            {"scan/noext", ""},
                            {"scan/toolongname.txt", ""},
                            {"scan/.hidden", ""},
                            {"scan/two.dots.txt", ""},
                            {"del/a.txt", ""},
                            {"del/b.txt", ""},
                            {"del/c.txt", ""}};
    folders.files_after = {{"NEWDIR/HERE.TXT", "here\n"}, {"scan/BETA.TXT", "beta\n"}};
    folders.files_absent = {"del/a.txt", "del/b.txt", "del/c.txt", "NEWDIR/Inner"};
    all.push_back(folders);

    all.push_back(run("ExitCode3", "exitcode", {"3"}, "exitcode.3.out", 3));
    // The host keeps the low 8 bits of the 16-bit Pterm code.
    all.push_back(run("ExitCode65535", "exitcode", {"65535"}, "exitcode.65535.out", 255));
    all.push_back(run("ExitCode256", "exitcode", {"256"}, "exitcode.256.out", 0));
    all.push_back(run("ExitPterm0", "exitcode", {"p0"}, "exitcode.p0.out", 0));

    add_pexec_cases(all);
    add_changing_code(all);
    add_faults(all);
    add_device_and_name_cases(all);
    add_console(all);
    add_system_queries(all);
    add_line_a(all);
    add_argv_cases(all);
    all.push_back(run("MandelbrotExample", "mandel", {}, "mandel.out"));
    return all;
  }();
  return cases;
}
