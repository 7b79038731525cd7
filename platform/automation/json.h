// A small JSON writer for the state dumps of the automation seam.
#pragma once

#include <string>
#include <vector>

namespace cw::automation {

std::string json_string(const std::string& utf8);
std::string json_rect(long left, long top, long right, long bottom);
// Joins already-encoded values into an array or members into an object.
std::string json_array(const std::vector<std::string>& values);
std::string json_object(const std::vector<std::pair<std::string, std::string>>& members);

}  // namespace cw::automation
