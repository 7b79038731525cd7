// Symbolic names a scenario script may use for messages, commands and results.
#pragma once

#include <string>

namespace scenario {

bool symbol_value(const std::string& name, long long* value);
// The name res/resource.h gives dialog resource_id (IDD_...), or its number when it has none.
std::string dialog_name(int resource_id);

}  // namespace scenario
