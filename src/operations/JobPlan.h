#pragma once

#include <string>

namespace vorn {

class Session;

// How many exchanges the named job takes with a Vorn that answers every request, from the
// session as it is now: a job that is reading pins counts those it has read as they are and
// the others as the configuration held them before; a verification counts every step of each
// aspect. 0 when the job has no fixed plan (Write Changes counts its own items).
int PlannedExchanges(const std::string& job, const Session& s);

}  // namespace vorn
