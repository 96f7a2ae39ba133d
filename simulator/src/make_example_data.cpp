// Writes the example program folder's record files from their readable source:
// make_example_data <source file> <Bin folder>.
#include "example_data.h"

#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_example_data <source file> <Bin folder>\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string source((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    std::map<std::string, std::string> files;
    std::string error;
    if (!in.good() && !in.eof()) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 1;
    }
    if (!simulator::BuildExampleRecords(source, files, &error)) {
        std::cerr << argv[1] << ": " << error << "\n";
        return 1;
    }
    for (const auto& [name, bytes] : files) {
        const std::string path = std::string(argv[2]) + "/" + name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.good()) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
        std::cout << path << "\n";
    }
    return 0;
}
