// The C++ source that defines the tables of platform/win/resource_tables.h for a script.
#pragma once

#include <string>
#include <string_view>

#include "rc_script.h"

namespace cw::rc {

// A C++ string literal holding exactly these bytes whatever the compiler's execution character
// set: every byte outside plain ASCII is a hex escape, and a literal is split where a hex digit
// would otherwise extend the escape before it.
std::string cpp_string_literal(std::string_view bytes);

// The whole generated source file; source_name is mentioned in its heading.
std::string write_tables(const Script& script, const std::string& source_name);

// A header of plain data describing the script's dialog templates (ids, styles, sizes in
// dialog units, and every control's class, id, style and rectangle), for the conformance
// tests, which lay the same dialogs out on the layer and on the system and compare.
std::string write_dialog_layouts(const Script& script, const std::string& source_name);

}  // namespace cw::rc
