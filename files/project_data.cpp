// The project's byte formats. Integers are written and read byte by byte in
// little-endian order (project/record_bytes.h), so the files are the same whatever
// machine writes them.
#include "files/project_data.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "project/dbcs_text.h"
#include "project/record_bytes.h"

namespace {

uint32_t pattern_count_of(const Tables& t) {
    return std::min<uint32_t>(t.data.header.pattern_count, kMaxPatterns);
}
uint32_t frame_count_of(const Tables& t, uint32_t p) {
    return std::min<uint32_t>(t.data.entries[p].frame_count, kMaxFrames);
}

// ---- refusals ---------------------------------------------------------------

Refusal refuse(FileProblem problem) {
    Refusal r;
    r.problem = problem;
    return r;
}

Refusal refuse_short(FileProblem problem, size_t needed, size_t actual) {
    Refusal r = refuse(problem);
    r.needed = needed;
    r.actual = actual;
    return r;
}

bool has_nul(const char* field, size_t size) {
    return std::memchr(field, 0, size) != nullptr;
}

Refusal field_without_nul(NameField field, int pattern, int frame) {
    Refusal r = refuse(FileProblem::FieldWithoutNul);
    r.field = field;
    r.pattern = pattern;
    r.frame = frame;
    return r;
}

// The first field of the tables that lacks its NUL.
Refusal check_fields(const NameTables& n) {
    if (!has_nul(n.image_path, sizeof n.image_path)) return field_without_nul(NameField::ImagePath, -1, -1);
    if (!has_nul(n.project_name, sizeof n.project_name))
        return field_without_nul(NameField::ProjectName, -1, -1);
    for (int p = 0; p < kMaxPatterns; ++p)
        if (!has_nul(n.pattern_labels[p], kLabelSize))
            return field_without_nul(NameField::PatternLabel, p, -1);
    for (int p = 0; p < kMaxPatterns; ++p)
        for (int f = 0; f < kMaxFrames; ++f)
            if (!has_nul(n.frame_labels[p][f], kLabelSize))
                return field_without_nul(NameField::FrameLabel, p, f);
    return Refusal{};
}

std::string field_name(const Refusal& r) {
    char text[64];
    switch (r.field) {
        case NameField::ImagePath: return "ｲﾒｰｼﾞﾌｧｲﾙ名";
        case NameField::ProjectName: return "ﾌﾟﾛｼﾞｪｸﾄ名";
        case NameField::PatternLabel:
            std::snprintf(text, sizeof text, "ﾊﾟﾀｰﾝ%dのﾗﾍﾞﾙ", r.pattern);
            return text;
        case NameField::FrameLabel:
            std::snprintf(text, sizeof text, "ﾊﾟﾀｰﾝ%dのﾌﾚｰﾑ%dのﾗﾍﾞﾙ", r.pattern, r.frame);
            return text;
    }
    return "";
}

// ---- labels -------------------------------------------------------------------

void fill_label(char (&field)[kLabelSize], const char* format, int index) {
    if (field[0]) return;
    char text[kLabelSize];
    std::snprintf(text, sizeof text, format, index);
    set_label(field, text);
}

// ---- configuration record ------------------------------------------------------

constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint32_t kMaximizeFlag = 0x01000000;  // WS_MAXIMIZE

class RecordReader {
  public:
    explicit RecordReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    // The next n bytes, or nullptr when the record ends before them (they are used up either way).
    const uint8_t* take(size_t n) {
        const size_t at = pos_;
        pos_ += n;
        return pos_ <= bytes_.size() ? bytes_.data() + at : nullptr;
    }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
};

bool valid_side(int32_t v) {
    return v >= 1 && v <= kMaxClientSide;
}

// A stored (width, height) pair replaces the initial one only when both are sizes a window can have.
void take_size(RecordReader& in, int32_t& w, int32_t& h) {
    const uint8_t* p = in.take(8);
    if (!p) return;
    const auto sw = static_cast<int32_t>(get32(p)), sh = static_cast<int32_t>(get32(p + 4));
    if (!valid_side(sw) || !valid_side(sh)) return;
    w = sw;
    h = sh;
}

void take_size(RecordReader& in, WindowSize& size) {
    auto w = static_cast<int32_t>(size.width), h = static_cast<int32_t>(size.height);
    take_size(in, w, h);
    size = WindowSize{static_cast<uint32_t>(w), static_cast<uint32_t>(h)};
}

void put_slot(std::vector<uint8_t>& out, const std::string& text) {
    const std::string fitted =
        fit_recent_path(std::string_view(text.c_str(), strnlen(text.c_str(), text.size())));
    out.insert(out.end(), fitted.begin(), fitted.end());
    out.insert(out.end(), kRecentSlotSize - fitted.size(), 0);
}

}  // namespace

// ---- refusal texts --------------------------------------------------------------

std::string refusal_text(const Refusal& r) {
    char text[256];
    const unsigned needed = static_cast<unsigned>(r.needed), actual = static_cast<unsigned>(r.actual);
    switch (r.problem) {
        case FileProblem::None: return "";
        case FileProblem::FieldWithoutNul:
            return "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙが壊れています.\n" + field_name(r) + "に終端がありません.";
        case FileProblem::HeaderShort:
            std::snprintf(text, sizeof text,
                          "ｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙが短すぎます.\nﾍｯﾀﾞｰに%uﾊﾞｲﾄ必要ですが%uﾊﾞｲﾄしかありません.",
                          needed, actual);
            return text;
        case FileProblem::TooManyPatterns:
            std::snprintf(text, sizeof text, "ｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙのﾊﾟﾀｰﾝ数(%u)が%dを超えています.", r.value,
                          kMaxPatterns);
            return text;
        case FileProblem::EntriesShort:
            std::snprintf(
                text, sizeof text,
                "ｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙが短すぎます.\nﾊﾟﾀｰﾝ情報までに%uﾊﾞｲﾄ必要ですが%uﾊﾞｲﾄしかありません.", needed,
                actual);
            return text;
        case FileProblem::TooManyFrames:
            std::snprintf(text, sizeof text, "ｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙのﾊﾟﾀｰﾝ%dのﾌﾚｰﾑ数(%u)が%dを超えています.",
                          r.pattern, r.value, kMaxFrames);
            return text;
        case FileProblem::RecordsShort:
            std::snprintf(text, sizeof text,
                          "ｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙが短すぎます.\nﾌﾚｰﾑﾃﾞｰﾀまでに%uﾊﾞｲﾄ必要ですが%uﾊﾞｲﾄしかありません.",
                          needed, actual);
            return text;
        case FileProblem::NeitherKind: return "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ(*.cwp)でもｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙ(*.spa)でもありません.";
    }
    return "";
}

// ---- project file ---------------------------------------------------------------

std::vector<uint8_t> encode_project_file(const NameTables& names) {
    const auto* p = reinterpret_cast<const uint8_t*>(&names);
    return std::vector<uint8_t>(p, p + sizeof names);
}

ProjectFileResult decode_project_file(std::span<const uint8_t> bytes) {
    ProjectFileResult r;
    // An empty file reads as an empty vector, whose data may be null, which memcpy may not be given.
    if (!bytes.empty()) std::memcpy(&r.names, bytes.data(), std::min(bytes.size(), sizeof r.names));
    r.refusal = check_fields(r.names);
    if (r.refusal.refused()) r.names = NameTables{};
    return r;
}

// ---- animation data file ----------------------------------------------------------

std::array<PatternEntry, kMaxPatterns> saved_pattern_entries(const Tables& t) {
    std::array<PatternEntry, kMaxPatterns> entries{};
    const uint32_t patterns = pattern_count_of(t);
    uint32_t offset = static_cast<uint32_t>(kDataHeaderSize + kDataEntrySize * patterns);
    for (uint32_t p = 0; p < patterns; ++p) {
        entries[p].offset = offset;
        entries[p].frame_count = frame_count_of(t, p);
        entries[p].base_w = t.settings[p].base_w;
        entries[p].base_h = t.settings[p].base_h;
        offset += static_cast<uint32_t>(kDataRecordSize) * entries[p].frame_count;
    }
    return entries;
}

std::vector<uint8_t> encode_animation_data(const Tables& t, uint16_t clut) {
    const uint32_t patterns = pattern_count_of(t);
    const std::array<PatternEntry, kMaxPatterns> entries = saved_pattern_entries(t);
    std::vector<uint8_t> out;
    out.reserve(kMaxDataFileSize);
    put32(out, t.data.header.tpage);
    put32(out, t.data.header.speed);
    put32(out, patterns);
    for (uint32_t p = 0; p < patterns; ++p) put_entry(out, entries[p]);
    for (uint32_t p = 0; p < patterns; ++p)
        for (uint32_t f = 0; f < entries[p].frame_count; ++f) put_record(out, t.frames[p][f], clut);
    return out;
}

AnimationDataResult decode_animation_data(std::span<const uint8_t> bytes) {
    AnimationDataResult r;
    if (bytes.size() < kDataHeaderSize) {
        r.refusal = refuse_short(FileProblem::HeaderShort, kDataHeaderSize, bytes.size());
        return r;
    }
    AnimationDataContents& d = r.data;
    d.header.tpage = get32(bytes.data());
    d.header.speed = get32(bytes.data() + 4);
    d.header.pattern_count = get32(bytes.data() + 8);
    if (d.header.pattern_count > static_cast<uint32_t>(kMaxPatterns)) {
        r.refusal = refuse(FileProblem::TooManyPatterns);
        r.refusal.value = d.header.pattern_count;
        r.data = AnimationDataContents{};
        return r;
    }
    const uint32_t patterns = d.header.pattern_count;
    const size_t entries_end = kDataHeaderSize + kDataEntrySize * patterns;
    if (bytes.size() < entries_end) {
        r.refusal = refuse_short(FileProblem::EntriesShort, entries_end, bytes.size());
        r.data = AnimationDataContents{};
        return r;
    }
    size_t records_end = entries_end;
    for (uint32_t p = 0; p < patterns; ++p) {
        const uint8_t* e = bytes.data() + kDataHeaderSize + kDataEntrySize * p;
        d.entries[p] = get_entry(e);
        if (d.entries[p].frame_count > static_cast<uint32_t>(kMaxFrames)) {
            r.refusal = refuse(FileProblem::TooManyFrames);
            r.refusal.pattern = static_cast<int>(p);
            r.refusal.value = d.entries[p].frame_count;
            r.data = AnimationDataContents{};
            return r;
        }
        records_end += kDataRecordSize * d.entries[p].frame_count;
    }
    if (bytes.size() < records_end) {
        r.refusal = refuse_short(FileProblem::RecordsShort, records_end, bytes.size());
        r.data = AnimationDataContents{};
        return r;
    }
    const uint8_t* record = bytes.data() + entries_end;
    for (uint32_t p = 0; p < patterns; ++p)
        for (uint32_t f = 0; f < d.entries[p].frame_count; ++f, record += kDataRecordSize)
            d.frames[p][f] = get_record(record);
    return r;
}

void reconcile_labels(NameTables& names, const AnimationDataContents& data) {
    const uint32_t patterns = std::min<uint32_t>(data.header.pattern_count, kMaxPatterns);
    for (uint32_t p = 0; p < static_cast<uint32_t>(kMaxPatterns); ++p) {
        const uint32_t frames =
            p < patterns ? std::min<uint32_t>(data.entries[p].frame_count, kMaxFrames) : 0;
        if (p < patterns)
            fill_label(names.pattern_labels[p], "pattern_%02d", static_cast<int>(p));
        else
            std::memset(names.pattern_labels[p], 0, kLabelSize);
        for (uint32_t f = 0; f < static_cast<uint32_t>(kMaxFrames); ++f) {
            if (f < frames)
                fill_label(names.frame_labels[p][f], "frame_%02d", static_cast<int>(f));
            else
                std::memset(names.frame_labels[p][f], 0, kLabelSize);
        }
    }
}

// ---- file names ------------------------------------------------------------------

PathKind classify_path(std::string_view path) {
    if (dbcs_find(path, ".cwp") != std::string_view::npos) return PathKind::ProjectFile;
    if (dbcs_find(path, ".spa") != std::string_view::npos) return PathKind::DataFile;
    return PathKind::Neither;
}

bool path_names_bmp(std::string_view path) {
    return dbcs_find(path, ".bmp") != std::string_view::npos;
}

bool path_names_tim(std::string_view path) {
    return dbcs_find(path, ".tim") != std::string_view::npos;
}

bool path_names_png(std::string_view path) {
    return dbcs_find(path, ".png") != std::string_view::npos;
}

bool path_names_image(std::string_view path) {
    return path_names_bmp(path) || path_names_tim(path) || path_names_png(path);
}

std::string data_path_for(std::string_view project_path) {
    const size_t at = dbcs_find(project_path, ".cwp");
    if (at == std::string_view::npos) return std::string(project_path);
    return std::string(project_path.substr(0, at)) + ".spa";
}

std::string project_name_for_data_file(std::string_view data_path) {
    const size_t end = std::min(dbcs_find(data_path, ".spa"), data_path.size());
    const size_t start = dbcs_name_start(data_path.substr(0, end));
    const std::string_view name = data_path.substr(start, end - start);
    return std::string(name.substr(0, dbcs_truncated_length(name, kLabelSize - 1)));
}

// ---- configuration record -----------------------------------------------------

std::string fit_recent_path(std::string_view path) {
    constexpr size_t kMaxBytes = kRecentSlotSize - 1;
    if (path.size() <= kMaxBytes) return std::string(path);
    return std::string(path.substr(0, dbcs_truncated_length(path, kMaxBytes)));
}

std::vector<uint8_t> newlines_to_stored(std::span<const uint8_t> record) {
    std::vector<uint8_t> out;
    out.reserve(record.size() + 16);
    for (uint8_t b : record) {
        if (b == kLineFeed) out.push_back(kCarriageReturn);
        out.push_back(b);
    }
    return out;
}

std::vector<uint8_t> newlines_from_stored(std::span<const uint8_t> stored) {
    std::vector<uint8_t> out;
    out.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == kCarriageReturn && i + 1 < stored.size() && stored[i + 1] == kLineFeed) continue;
        out.push_back(stored[i]);
    }
    return out;
}

std::array<uint8_t, kFillRecordSize> encode_fill_record(const FillRecord& fill) {
    std::array<uint8_t, kFillRecordSize> bytes{};
    const auto put = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<uint8_t>(v >> (8 * k));
    };
    put(0, static_cast<uint32_t>(kFillRecordSize));
    put(8, fill.raster_operation);
    put(80, fill.fill_colour);
    return bytes;
}

FillRecord decode_fill_record(std::span<const uint8_t, kFillRecordSize> bytes) {
    return FillRecord{get32(bytes.data() + 8), get32(bytes.data() + 80)};
}

std::vector<uint8_t> encode_configuration(const Configuration& c) {
    std::vector<uint8_t> record;
    record.reserve(kConfigRecordSize);
    put32(record, static_cast<uint32_t>(c.main_width));
    put32(record, static_cast<uint32_t>(c.main_height));
    for (const WindowSize& s : c.pattern_client) {
        put32(record, s.width);
        put32(record, s.height);
    }
    put32(record, static_cast<uint32_t>(c.image_width));
    put32(record, static_cast<uint32_t>(c.image_height));
    put32(record, c.new_window_style);
    for (const std::string& slot : c.recent) put_slot(record, slot);
    record.insert(record.end(), c.background_fill.begin(), c.background_fill.end());
    return newlines_to_stored(record);
}

Configuration decode_configuration(std::span<const uint8_t> stored) {
    const std::vector<uint8_t> record = newlines_from_stored(stored);
    RecordReader in(record);
    Configuration c;
    take_size(in, c.main_width, c.main_height);
    for (WindowSize& s : c.pattern_client) take_size(in, s);
    take_size(in, c.image_width, c.image_height);
    if (const uint8_t* p = in.take(4)) {
        const uint32_t style = get32(p);
        if (style == 0 || style == kMaximizeFlag) c.new_window_style = style;
    }
    for (std::string& slot : c.recent) {
        const uint8_t* p = in.take(kRecentSlotSize);
        if (!p || !std::memchr(p, 0, kRecentSlotSize)) continue;
        slot.assign(reinterpret_cast<const char*>(p));
    }
    if (const uint8_t* p = in.take(kFillRecordSize)) {
        std::memcpy(c.background_fill.data(), p, kFillRecordSize);
        c.background_fill_read = true;
    }
    return c;
}
