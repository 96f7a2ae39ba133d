// What the simulator tests read off a run: its failures as one text, and whether a report line
// holds a text.
#pragma once

#include "simulation.h"

#include <algorithm>
#include <string>

namespace simulator::testing {

inline std::string Failures(const RunResult& run) {
    std::string text;
    for (const auto& f : run.failures)
        text += f + "\n";
    return text;
}

inline bool Reports(const RunResult& run, const std::string& text) {
    return std::any_of(run.report.begin(), run.report.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

} // namespace simulator::testing
