// The byte forms of the table records that files and clipboard blocks carry: integers
// written and read byte by byte in little-endian order, so the bytes are the same
// whatever machine writes them.
#pragma once

#include <cstdint>
#include <vector>

#include "project/tables.h"

inline void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xFFFF));
    put16(out, static_cast<uint16_t>(v >> 16));
}
inline uint16_t get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t get32(const uint8_t* p) {
    return get16(p) | (static_cast<uint32_t>(get16(p + 2)) << 16);
}

// A frame record with the given CLUT attribute in place of its own.
inline void put_record(std::vector<uint8_t>& out, const FrameRecord& r, uint16_t clut) {
    out.push_back(r.correction_x);
    out.push_back(r.correction_y);
    put16(out, r.timing);
    out.push_back(r.image_x);
    out.push_back(r.image_y);
    put16(out, clut);
    put16(out, r.image_w);
    put16(out, r.image_h);
}

inline FrameRecord get_record(const uint8_t* p) {
    FrameRecord r{};
    r.correction_x = p[0];
    r.correction_y = p[1];
    r.timing = get16(p + 2);
    r.image_x = p[4];
    r.image_y = p[5];
    r.clut = get16(p + 6);
    r.image_w = get16(p + 8);
    r.image_h = get16(p + 10);
    return r;
}

inline void put_entry(std::vector<uint8_t>& out, const PatternEntry& e) {
    put32(out, e.offset);
    put32(out, e.frame_count);
    put16(out, e.base_w);
    put16(out, e.base_h);
}

inline PatternEntry get_entry(const uint8_t* p) {
    return PatternEntry{get32(p), get32(p + 4), get16(p + 8), get16(p + 10)};
}

inline void put_settings(std::vector<uint8_t>& out, const PatternSettings& s) {
    put16(out, static_cast<uint16_t>(s.scroll_x));
    put16(out, static_cast<uint16_t>(s.scroll_y));
    put16(out, s.base_w);
    put16(out, s.base_h);
    put32(out, static_cast<uint32_t>(s.view_offset_x));
    put32(out, static_cast<uint32_t>(s.view_offset_y));
    out.push_back(static_cast<uint8_t>(s.zoom_shift));
    out.push_back(s.reserved);
    put16(out, s.zoom_factor);
    put32(out, s.play_mode);
}

inline PatternSettings get_settings(const uint8_t* p) {
    PatternSettings s{};
    s.scroll_x = static_cast<int16_t>(get16(p));
    s.scroll_y = static_cast<int16_t>(get16(p + 2));
    s.base_w = get16(p + 4);
    s.base_h = get16(p + 6);
    s.view_offset_x = static_cast<int32_t>(get32(p + 8));
    s.view_offset_y = static_cast<int32_t>(get32(p + 12));
    s.zoom_shift = static_cast<int8_t>(p[16]);
    s.reserved = p[17];
    s.zoom_factor = get16(p + 18);
    s.play_mode = get32(p + 20);
    return s;
}
