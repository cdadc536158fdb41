#pragma once
// Transcripts: what a program printed or logged, recorded in a text file under tests/ and compared
// on every run. A change that is meant is recorded again with
//   VORN_UPDATE_TRANSCRIPTS=1 ctest --test-dir build -R Transcript
// and reviewed in the commit's diff like any other change.

#include <string>
#include <utility>
#include <vector>

namespace vorn::test {

// What varies from run to run, made fixed: first each given text (a temporary folder, a
// pseudo-terminal path) becomes its placeholder, then any other /dev/pts/N becomes <pty>, dates
// (2026-12-07) <date> and times of day (19:20:31) <time>. Durations are left alone: what these
// programs print in seconds or milliseconds are settings (a packet retention), never measured.
std::string Normalise(std::string text, const std::vector<std::pair<std::string, std::string>>& fixed = {});

// Compares `actual` with the record tests/<record>; a mismatch fails the running test with the
// first differing lines. With VORN_UPDATE_TRANSCRIPTS=1 in the environment the record is written.
void ExpectTranscript(const std::string& record, const std::string& actual);

}  // namespace vorn::test
