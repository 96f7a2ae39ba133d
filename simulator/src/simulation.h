// A run of the tray program on the simulated platform: a machine with the program folder on
// drive C:, the receiver chain, the real search program beside the tray program, foreign
// applications and button presses from a scenario, and a report of what the program did, in
// order, with virtual time stamps.
#pragma once

#include "scenario.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace simulator {

struct RunResult {
    int exitCode = 0;                  // 0 every expectation held, 1 one failed, 2 the run failed
    std::vector<std::string> report;   // the lines printed, CP1251 as the program's texts
    std::vector<std::string> failures; // one line per failed expectation or bad action
};

// Runs the scenario with a copy of the program folder (a host directory), so the folder itself
// is never written. Prints each report line to out as it happens, in UTF-8.
RunResult RunScenario(const Scenario& scenario, const std::string& programFolder,
                      std::ostream& out);

// A CP1251 text as UTF-8, for the terminal.
std::string Utf8(const std::string& cp1251);

} // namespace simulator
