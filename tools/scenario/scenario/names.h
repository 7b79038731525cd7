// Symbolic names a scenario script may use for messages, commands and results.
#pragma once

#include <string>

namespace scenario {

bool symbol_value(const std::string& name, long long* value);

}  // namespace scenario
