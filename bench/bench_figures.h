#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// What a measuring run reports to the bench that started it: one line of
// "name=value" pairs on standard output, read back into a map.
namespace bench {

using Figures = std::map<std::string, double>;

inline std::string formatFigures(const Figures& figures) {
    std::ostringstream line;
    // Whole nanosecond times survive the trip.
    line.precision(17);
    line << "FIGURES";
    for (const auto& [name, value] : figures) {
        line << ' ' << name << '=' << value;
    }
    return line.str();
}

inline Figures parseFigures(const std::string& output) {
    Figures figures;
    const std::size_t start = output.rfind("FIGURES");
    if (start == std::string::npos) {
        return figures;
    }
    std::istringstream line(output.substr(start + 7, output.find('\n', start) - start - 7));
    std::string pair;
    while (line >> pair) {
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos) {
            figures[pair.substr(0, equals)] = std::stod(pair.substr(equals + 1));
        }
    }
    return figures;
}

// The value below which the given fraction of the samples lie.
inline double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) {
        return 0;
    }
    std::sort(samples.begin(), samples.end());
    const auto index = std::size_t(fraction * double(samples.size() - 1) + 0.5);
    return samples[std::min(index, samples.size() - 1)];
}

}  // namespace bench
