#pragma once

#include <functional>
#include <string>

namespace vorn {

// Asks the main window to queue a named device job; the window's dispatcher tick runs it.
using JobRequester = std::function<void(const std::string& jobName)>;

}  // namespace vorn
