#pragma once

#include <map>
#include <string>
#include <vector>

namespace bench {

// Runs a program with extra environment and returns its standard output;
// its standard error goes nowhere, so that notices do not break up the table.
std::string capture(const std::vector<std::string>& args,
                    const std::map<std::string, std::string>& env);

}  // namespace bench
