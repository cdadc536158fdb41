#include <QCoreApplication>
#include <cstdio>

#include "VornVersion.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"

using namespace vorn::cli;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--version") {
    std::fputs(vorn::VersionText("vornctl").c_str(), stdout);
    return kExitOk;
  }
  const ParseResult parsed = ParseArgs(args);
  if (!parsed.options) {
    std::fprintf(stderr, "vornctl: %s\nTry 'vornctl --help'.\n", parsed.error.c_str());
    return kExitUsageOrFile;
  }
  const CliOptions& o = *parsed.options;
  if (o.help) {
    std::fputs((o.command.empty() ? GeneralHelp() : CommandHelp(o.command)).c_str(), stdout);
    return kExitOk;
  }
  if (o.command == "ports") return RunPorts();
  if (o.command == "modules") return RunModules(o);
  if (o.command == "convert") return RunConvert(o);
  if (o.command == "read") return RunRead(o);
  if (o.command == "write") return RunWrite(o);
  if (o.command == "diff") return RunDiff(o);
  return RunVerify(o);
}
