#include "cli/CliOptions.h"

#include <algorithm>
#include <array>

namespace vorn::cli {

namespace {

constexpr const char* kLinkHelp =
    "LINK options:\n"
    "  --baud 9600|19200|38400   bit rate (default 19200; odd parity, 8 data bits, 1 stop bit)\n"
    "  --module N                module address 0..15 of the Vorn (default 0)\n"
    "  --xaddr N                 use extended addressing with address byte N (0..95)\n"
    "  --kestro                  tunnel through a Kestro interface\n"
    "  --one-way                 do not ask the Vorn to answer (writes only; reads always ask)\n"
    "  --number-from 0|1         numbering of pins and modules in messages and report lines\n"
    "                            (default 1, like \"Start numbering at 1\" in the window)\n";

constexpr const char* kNumbersHelp =
    "Numbers given on the command line are stored values: module 0 is the first module,\n"
    "whatever --number-from says.\n";

constexpr const char* kExitHelp =
    "Exit status: 0 success (verify: the report ends with \"Verify OK\"; diff: the files are\n"
    "equal); 1 a device step failed, verification found differences or the files differ;\n"
    "2 bad usage, or a file that cannot be read, is invalid or cannot be written.\n"
    "Messages the window shows in a message box go to stderr, one per line (line breaks\n"
    "shown as \" / \"). Progress of long jobs goes to stderr when it is a terminal.\n";

constexpr const char* kFilesHelp =
    "FILE may be - for standard input (--in) or standard output (--out). An output FILE that\n"
    "is a device or a FIFO (/dev/null) is written in place; a regular file is replaced only\n"
    "when the new one is complete, and a failed save names the system's reason.\n"
    "Files hold the event enable maps in an \"Ena\" line before \"End\". A file without it\n"
    "leaves the Vorn's maps untouched by write and unchecked by verify, which say so once.\n";

bool Allowed(const std::string& command, const std::string& option) {
  static const std::array<const char*, 6> kLink = {"--baud",   "--module",  "--xaddr",
                                                   "--kestro", "--one-way", "--number-from"};
  const bool link = std::find(kLink.begin(), kLink.end(), option) != kLink.end();
  if (command == "read")
    return link || option == "--port" || option == "--out" || option == "--compact" ||
           option == "--all-modules";
  if (command == "write") return link || option == "--port" || option == "--in";
  // Every address is asked, and always for an answer.
  if (command == "modules")
    return (link && option != "--module" && option != "--one-way") || option == "--port";
  if (command == "verify") return link || option == "--port" || option == "--in" || option == "--all-modules";
  if (command == "convert") return option == "--in" || option == "--out" || option == "--compact";
  if (command == "diff") return option == "--number-from";
  return false;
}

bool TakesValue(const std::string& option) {
  return option == "--port" || option == "--in" || option == "--out" || option == "--baud" ||
         option == "--module" || option == "--xaddr" || option == "--number-from";
}

std::optional<int> WholeNumber(const std::string& s, int lo, int hi) {
  if (s.empty() || s.size() > 6 ||
      !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int v = std::stoi(s);
  if (v < lo || v > hi) return std::nullopt;
  return v;
}

}  // namespace

ParseResult ParseArgs(const std::vector<std::string>& args) {
  ParseResult r;
  CliOptions o;
  if (args.empty()) {
    r.error = "no command given";
    return r;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    o.help = true;
    if (args.size() > 1) o.command = args[1];
    r.options = o;
    return r;
  }
  o.command = args[0];
  if (o.command != "ports" && o.command != "read" && o.command != "write" && o.command != "verify" &&
      o.command != "convert" && o.command != "diff" && o.command != "modules") {
    r.error = "unknown command '" + o.command + "'";
    return r;
  }
  bool moduleGiven = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string opt = args[i];
    std::optional<std::string> value;
    if (const auto eq = opt.find('='); opt.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = opt.substr(eq + 1);
      opt = opt.substr(0, eq);
    }
    if (opt == "--help" || opt == "-h") {
      o.help = true;
      continue;
    }
    if (o.command == "diff" && (opt.empty() || opt[0] != '-' || opt == "-")) {
      o.files.push_back(opt);
      continue;
    }
    if (!Allowed(o.command, opt)) {
      r.error = "'" + opt + "' is not an option of " + o.command;
      return r;
    }
    if (TakesValue(opt) && !value) {
      if (i + 1 >= args.size()) {
        r.error = opt + " needs a value";
        return r;
      }
      value = args[++i];
    } else if (!TakesValue(opt) && value) {
      r.error = opt + " takes no value";
      return r;
    }
    auto bad = [&](const std::string& expected) {
      r.error = opt + ": expected " + expected + ", got '" + *value + "'";
    };
    if (opt == "--port") {
      o.port = *value;
    } else if (opt == "--in") {
      o.in = *value;
    } else if (opt == "--out") {
      o.out = *value;
    } else if (opt == "--compact") {
      o.compact = true;
    } else if (opt == "--all-modules") {
      o.allModules = true;
    } else if (opt == "--kestro") {
      o.kestro = true;
    } else if (opt == "--one-way") {
      o.oneWay = true;
    } else if (opt == "--baud") {
      if (*value == "9600")
        o.baudIndex = 0;
      else if (*value == "19200")
        o.baudIndex = 1;
      else if (*value == "38400")
        o.baudIndex = 2;
      else {
        bad("9600, 19200 or 38400");
        return r;
      }
    } else if (opt == "--module") {
      auto n = WholeNumber(*value, 0, 15);
      if (!n) {
        bad("a module address 0..15");
        return r;
      }
      o.module = *n;
      moduleGiven = true;
    } else if (opt == "--xaddr") {
      auto n = WholeNumber(*value, 0, 95);
      if (!n) {
        bad("an extended address 0..95");
        return r;
      }
      o.xaddr = *n;
    } else if (opt == "--number-from") {
      auto n = WholeNumber(*value, 0, 1);
      if (!n) {
        bad("0 or 1");
        return r;
      }
      o.numberFrom = *n;
    }
  }
  if (!o.help) {
    const bool device =
        o.command == "read" || o.command == "write" || o.command == "verify" || o.command == "modules";
    if (device && o.port.empty())
      r.error = o.command + " needs --port PATH";
    else if ((o.command == "write" || o.command == "verify" || o.command == "convert") && o.in.empty())
      r.error = o.command + " needs --in " + (o.allModules ? "DIR" : "FILE");
    else if ((o.command == "read" || o.command == "convert") && o.out.empty())
      r.error = o.command + " needs --out " + (o.allModules ? "DIR" : "FILE");
    else if (o.command == "diff" && o.files.size() != 2)
      r.error = "diff needs two files, A.dat B.dat";
    else if (o.allModules && moduleGiven)
      r.error = "--module and --all-modules exclude each other";
    else if (o.allModules && o.compact)
      r.error = "--compact cannot be used with --all-modules";
    else if (o.allModules && (o.in == "-" || o.out == "-"))
      r.error = "- (standard input or output) cannot be used with --all-modules";
    if (!r.error.empty()) return r;
  }
  r.options = o;
  return r;
}

std::string GeneralHelp() {
  return std::string(
             "vornctl - read, write, verify and convert Vorn configurations without the window\n"
             "\n"
             "Usage:\n"
             "  vornctl ports                                   list the ports 1..16 that open: \"<n> "
             "<device path>\"\n"
             "  vornctl modules --port PATH [LINK]              list the modules that answer on the bus\n"
             "  vornctl read    --port PATH [LINK] --out FILE [--compact]   Read All, then save FILE\n"
             "  vornctl read    --port PATH [LINK] --all-modules --out DIR  read every module that answers\n"
             "  vornctl write   --port PATH [LINK] --in FILE    load FILE over the start-up model, then "
             "Write All\n"
             "  vornctl verify  --port PATH [LINK] --in FILE    load FILE, Verify All; the report goes to "
             "stdout\n"
             "  vornctl verify  --port PATH [LINK] --all-modules --in DIR  verify every DIR/module-NN.dat\n"
             "  vornctl convert --in FILE --out FILE [--compact]   load FILE over the start-up model, save "
             "again\n"
             "  vornctl diff    A.dat B.dat [--number-from 0|1]   list how B differs from A\n"
             "  vornctl COMMAND --help                          details of one command\n"
             "  vornctl --version                               the version and the licence\n"
             "\n") +
         kLinkHelp + "\n" + kNumbersHelp + "\n" + kFilesHelp + "\n" + kExitHelp;
}

std::string CommandHelp(const std::string& command) {
  std::string h;
  if (command == "ports") {
    h = "vornctl ports\n"
        "  Probes the ports 1..16 (VORNCONFIG_PORTS, colon-separated, first; then the system's\n"
        "  serial ports) and prints one line \"<n> <device path>\" for each port that opens.\n"
        "  Each port that is there but does not open is named on stderr with its reason;\n"
        "  the exit status is then 1 when no port opens.\n";
    return h + "\n" + kExitHelp;
  }
  if (command == "modules") {
    h = "vornctl modules --port PATH [LINK]\n"
        "  Asks each module address 0..15 for its firmware version and identity string, with a\n"
        "  short reply window per address (a few seconds for the whole bus), and prints one line\n"
        "  per module that answers: \"<module> <firmware> <identity string>\", the module\n"
        "  numbered as --number-from says. Nothing is written to any Vorn; --module and\n"
        "  --one-way do not apply. Exit status 0 when at least one module answered, 1 when none.\n";
  } else if (command == "read") {
    h = "vornctl read --port PATH [LINK] --out FILE [--compact]\n"
        "  Reads the whole configuration (general settings, all 32 pins, event control) out of\n"
        "  the Vorn, then saves it as a configuration file; --compact leaves out pins without a\n"
        "  description (it says so when no pin has one). FILE is checked before anything is\n"
        "  sent: a folder, or a missing or read-only folder, ends with exit status 2. A failed\n"
        "  read does not write FILE. If only the enable maps go unanswered, everything else is\n"
        "  saved without them, with a warning (exit status 0).\n"
        "\n"
        "vornctl read --port PATH [LINK] --all-modules --out DIR\n"
        "  Probes the module addresses 0..15 with one short version request each (silent\n"
        "  modules are skipped quietly) and reads every module that answers into\n"
        "  DIR/module-NN.dat (NN = stored module address, 00..15), printing one line per module\n"
        "  found (\"module 4: ...\", numbered as --number-from says: saved, read failed, or no\n"
        "  answer when it fell silent after the search), then \"N of M modules read\"; the index\n"
        "  DIR/modules.txt lists those saved (module, identity string, firmware, date), as the\n"
        "  window's \"Back Up All\" writes it. DIR is created when missing. Exit status 0 when\n"
        "  at least one module answered and every one was read completely, else 1.\n";
  } else if (command == "write") {
    h = "vornctl write --port PATH [LINK] --in FILE\n"
        "  Loads FILE over the start-up configuration (as the window does after starting) and\n"
        "  writes everything to the Vorn: general settings, all pins, event control, and the\n"
        "  address settings last. The enable maps are written when FILE holds them. An\n"
        "  identity string with a character above 127 stops the write before anything is sent.\n";
  } else if (command == "verify") {
    h = "vornctl verify --port PATH [LINK] --in FILE\n"
        "  Loads FILE over the start-up configuration and compares the Vorn with it; the\n"
        "  verification report goes to stdout and ends with \"Verify OK\" or \"Verification\n"
        "  Stopped\".\n"
        "\n"
        "vornctl verify --port PATH [LINK] --all-modules --in DIR\n"
        "  Verifies every DIR/module-NN.dat against module NN and prints one summary line per\n"
        "  module, numbered as --number-from says (\"module 4: Verify OK\", \"module 4: 2\n"
        "  differences\", \"module 4: Verification Stopped\" when the Vorn failed, or \"module 4:\n"
        "  no answer\" after one short probe), then \"N of M modules verified OK\". For the full\n"
        "  report of one module, verify it alone with --module NN. Exit status 0 when every\n"
        "  module verified OK.\n";
  } else if (command == "convert") {
    h = "vornctl convert --in FILE --out FILE [--compact]\n"
        "  Loads FILE (any data file version) over the start-up configuration and saves it in\n"
        "  the current format; --compact writes the compact form. The enable maps are kept\n"
        "  when the input has them; none are added.\n";
    return h + "\n" + kFilesHelp + "\n" + kExitHelp;
  } else if (command == "diff") {
    h = "vornctl diff A.dat B.dat [--number-from 0|1]\n"
        "  Loads both files over the start-up configuration and prints one line per difference,\n"
        "  from A to B, the way the window's \"Show Changes\" lists them: general settings, pins\n"
        "  (named by their descriptions), event actions, enable maps and address settings.\n"
        "  Lines of things the Vorn does not store (descriptions, device names) end in\n"
        "  \"(file only)\". --number-from (default 1) numbers pins and addresses.\n"
        "  Exit status: 0 the files are equal, 1 they differ, 2 bad usage or a file that cannot\n"
        "  be read or is invalid (the message goes to stderr).\n";
    return h;
  } else {
    return GeneralHelp();
  }
  return h + "\n" + kLinkHelp + "\n" + kNumbersHelp + "\n" + kFilesHelp + "\n" + kExitHelp;
}

}  // namespace vorn::cli
