// Feeds every file of the folders given on the command line to the fuzz target once:
// the committed corpus as a regression test, with any compiler and without libFuzzer.
//   fuzz_<name> [--report REPORT.xml] FOLDER...
// The report counts each input as a test case, in the form the test summary adds up;
// an input that breaks the target ends the program before it is written.
#include "FuzzTarget.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::string report;
    std::vector<std::string> names;
    int inputs = 0;
    for (int a = 1; a < argc; ++a) {
        if (std::strcmp(argv[a], "--report") == 0 && a + 1 < argc) {
            report = argv[++a];
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(argv[a]))
            if (entry.is_regular_file()) files.push_back(entry.path());
        if (files.empty()) {
            std::fprintf(stderr, "no inputs in %s\n", argv[a]);
            return 1;
        }
        for (const std::filesystem::path& file : files) {
            std::ifstream stream(file, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            names.push_back(file.filename().string());
            ++inputs;
        }
    }
    std::printf("%d inputs ran\n", inputs);
    if (!report.empty()) {
        std::ofstream xml(report);
        xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites tests=\"" << inputs
            << "\" failures=\"0\" disabled=\"0\" errors=\"0\" name=\"Corpus\">\n  <testsuite name=\"Corpus\" tests=\""
            << inputs << "\" failures=\"0\">\n";
        for (const std::string& name : names) xml << "    <testcase name=\"" << name << "\"/>\n";
        xml << "  </testsuite>\n</testsuites>\n";
    }
    return 0;
}
