#pragma once

#include "cli/CliOptions.h"

namespace vorn::cli {

// Exit statuses of vornctl.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDeviceFailed = 1;
inline constexpr int kExitUsageOrFile = 2;

int RunPorts();
int RunModules(const CliOptions& o);
int RunConvert(const CliOptions& o);
int RunRead(const CliOptions& o);
int RunWrite(const CliOptions& o);
int RunVerify(const CliOptions& o);
int RunDiff(const CliOptions& o);

}  // namespace vorn::cli
