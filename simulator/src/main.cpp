// The simulator: runs the tray program on the simulated platform with a program folder, a
// simulated receiver and a scenario, and prints what happens.
//   simulator [scenario file] [--folder <program folder>]
// Without a scenario it runs the example; without a folder, the scenario's "folder" line, or
// else the shipped example folder. Exit code 0 when every expectation held, 1 when one failed,
// 2 when the scenario or the folder cannot be used.
#include "scenario.h"
#include "simulation.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    fs::path scenarioPath = SIMULATOR_EXAMPLE_SCENARIO;
    fs::path folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--folder" && i + 1 < argc) {
            folder = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            std::cout << "usage: simulator [scenario file] [--folder <program folder>]\n";
            return 0;
        } else {
            scenarioPath = arg;
        }
    }
    std::ifstream in(scenarioPath, std::ios::binary);
    if (!in) {
        std::cerr << "simulator: cannot read " << scenarioPath << "\n";
        return 2;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    simulator::Scenario scenario;
    std::string error;
    if (!simulator::ParseScenario(text, scenario, &error)) {
        std::cerr << "simulator: " << scenarioPath.string() << ": " << error << "\n";
        return 2;
    }
    if (folder.empty())
        folder = scenario.folder.empty() ? fs::path(SIMULATOR_EXAMPLE_FOLDER)
                                         : scenarioPath.parent_path() / scenario.folder;
    if (!fs::is_directory(folder)) {
        std::cerr << "simulator: no program folder " << folder << "\n";
        return 2;
    }
    std::cout << "scenario " << scenarioPath.string() << ", program folder " << folder.string()
              << "\n";
    const simulator::RunResult result =
        simulator::RunScenario(scenario, folder.string(), std::cout);
    if (!result.failures.empty()) {
        std::cout << result.failures.size() << " failure(s):\n";
        for (const auto& f : result.failures)
            std::cout << "  " << simulator::Utf8(f) << "\n";
    } else {
        std::cout << "every expectation held\n";
    }
    return result.exitCode;
}
