#include "automation/json.h"

#include <cstdio>

namespace cw::automation {

std::string json_string(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string json_rect(long l, long t, long r, long b) {
    return "[" + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
           std::to_string(b) + "]";
}

std::string json_array(const std::vector<std::string>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) out += (i ? "," : "") + values[i];
    return out + "]";
}

std::string json_object(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string out = "{";
    for (size_t i = 0; i < members.size(); ++i)
        out += (i ? "," : "") + json_string(members[i].first) + ":" + members[i].second;
    return out + "}";
}

}  // namespace cw::automation
