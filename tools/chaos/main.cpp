// Chaos play from the command line: a soak of as many hours as asked, or
// one run again by its seed, judged on every tick like the test suite's.
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "chaos/soak.h"

namespace {

void usage(std::FILE* out) {
    std::fputs(
        "usage: chaos [--hours H] [--seed S] [--shrink-seconds T]\n"
        "Plays H hours of random input (10 unless given) on the headless game in\n"
        "runs of half an hour, from seed S on (a fresh seed unless given), and\n"
        "judges every rule on every tick. --seed without --hours plays that one\n"
        "run again. A broken rule ends with status 1 and the shortest input found\n"
        "for the first broken run, shrunk for up to T seconds (90 unless given).\n",
        out);
}

// A number of hours or seconds: a whole text that reads as one, not below 0.
bool parse(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= 0;
}

// A seed: decimal digits only, within 64 bits.
bool parse(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0' && errno == 0 && std::isdigit(*text);
}

}  // namespace

int main(int argc, char** argv) {
    chaos::SoakOptions options;
    bool hoursGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            usage(stdout);
            return 0;
        }
        const char* value = i + 1 < argc ? argv[++i] : "";
        std::uint64_t seed = 0;
        bool understood = false;
        if (option == "--hours") {
            understood = hoursGiven = parse(value, options.hours);
        } else if (option == "--seed") {
            understood = parse(value, seed);
            options.firstSeed = seed;
        } else if (option == "--shrink-seconds") {
            understood = parse(value, options.shrinkSeconds);
        }
        if (!understood) {
            std::fprintf(stderr, "chaos: cannot use %s %s\n", option.c_str(), value);
            usage(stderr);
            return 2;
        }
    }
    if (options.firstSeed && !hoursGiven) {
        options.hours = 0.5;
    }
    const chaos::SoakReport report = chaos::soak(options, stdout);
    for (const chaos::SoakFailure& failure : report.failures) {
        std::printf("%s\nplay it again with: chaos --seed %llu\n", chaos::explain(failure).c_str(),
                    static_cast<unsigned long long>(failure.seed));
    }
    return report.failures.empty() ? 0 : 1;
}
