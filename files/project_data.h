// The byte formats of the project: the project file (".cwp", the name tables),
// the animation data file (".spa", header, pattern entries and frame records),
// the configuration record ("Celwin.cfg") with its newline translation, and the
// rules that tie file names together. Pure functions over bytes, so the editor
// and the command-line tool read and refuse files exactly alike.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "project/tables.h"

inline constexpr size_t kProjectFileSize = sizeof(NameTables);  // 8102
inline constexpr size_t kDataHeaderSize = sizeof(AnimationHeader);
inline constexpr size_t kDataEntrySize = sizeof(PatternEntry);
inline constexpr size_t kDataRecordSize = sizeof(FrameRecord);
inline constexpr size_t kMaxDataFileSize =
    kDataHeaderSize + kMaxPatterns * kDataEntrySize + kMaxPatterns * kMaxFrames * kDataRecordSize;
static_assert(kMaxDataFileSize == 3036);

// ---- refusals ----------------------------------------------------------------

// What is wrong with a file that is refused. Every refusal leaves the program as it was.
enum class FileProblem {
    None,
    FieldWithoutNul,  // project file: a text field has no terminating NUL
    HeaderShort,      // data file: shorter than its 12-byte header
    TooManyPatterns,  // data file: a pattern count above 12
    EntriesShort,     // data file: shorter than the header and its pattern entries
    TooManyFrames,    // data file: a frame count above 20
    RecordsShort,     // data file: shorter than its frame records need
    NeitherKind,      // a path that names neither a project file nor a data file
};

// The text fields of the project file, for a refusal that names one.
enum class NameField { ImagePath, ProjectName, PatternLabel, FrameLabel };

struct Refusal {
    FileProblem problem = FileProblem::None;
    NameField field = NameField::ImagePath;  // FieldWithoutNul
    int pattern = -1;                        // the pattern concerned, when there is one
    int frame = -1;                          // the frame concerned (FrameLabel)
    uint32_t value = 0;                      // the count found (TooManyPatterns, TooManyFrames)
    size_t needed = 0;                       // bytes the file needs (the *Short problems)
    size_t actual = 0;                       // bytes the file holds
    bool refused() const { return problem != FileProblem::None; }
};

// What is wrong, as CP932 text for a message box; a command-line tool converts it.
std::string refusal_text(const Refusal& r);

// ---- project file --------------------------------------------------------------

struct ProjectFileResult {
    Refusal refusal;
    NameTables names{};
};

// The project file is the name tables byte for byte.
std::vector<uint8_t> encode_project_file(const NameTables& names);
// A file shorter than 8102 bytes leaves the rest of the tables zero and bytes after
// 8102 are not looked at; every field must hold its NUL.
ProjectFileResult decode_project_file(std::span<const uint8_t> bytes);

// ---- animation data file -------------------------------------------------------

// What a data file holds, laid out like the tables; entries and records beyond the
// counts are zero.
struct AnimationDataContents {
    AnimationHeader header{};
    PatternEntry entries[kMaxPatterns]{};
    FrameRecord frames[kMaxPatterns][kMaxFrames]{};
};

struct AnimationDataResult {
    Refusal refusal;
    AnimationDataContents data{};
};

// The pattern entries as a save writes them: each offset is where the pattern's
// records start (12 + 12 P + 12 times the frames before it), the base size is the
// pattern's own; entries beyond the pattern count are zero.
std::array<PatternEntry, kMaxPatterns> saved_pattern_entries(const Tables& t);

// Header, the pattern count's entries and every frame record in pattern order,
// each record stamped with clut.
std::vector<uint8_t> encode_animation_data(const Tables& t, uint16_t clut);

// Reads the records straight after the entries, in pattern order; the offset fields
// are not used. Refuses counts beyond the tables and a file shorter than its
// header, entries and records need; bytes after the last record are not looked at.
AnimationDataResult decode_animation_data(std::span<const uint8_t> bytes);

// The labels a project opened with these data shows: for every pattern and frame the
// data counts, the stored label, or "pattern_%02d" / "frame_%02d" where there is none;
// every label beyond the counts is zeroed.
void reconcile_labels(NameTables& names, const AnimationDataContents& data);

// ---- file names ------------------------------------------------------------------

enum class PathKind { ProjectFile, DataFile, Neither };

// ".cwp" anywhere in the path (a case-sensitive search on character boundaries)
// makes a project file, else ".spa" a data file.
PathKind classify_path(std::string_view path);

// Which image loader a path goes to: ".bmp", ".tim" or ".png" anywhere in it, searched
// the same way (case-sensitive, on character boundaries).
bool path_names_bmp(std::string_view path);
bool path_names_tim(std::string_view path);
bool path_names_png(std::string_view path);
// Whether the path names any of the three.
bool path_names_image(std::string_view path);

// The data file of a project file: the first ".cwp" becomes ".spa" and everything
// after it is dropped ("x.cwp/y.cwp" gives "x.spa").
std::string data_path_for(std::string_view project_path);

// The project name of a data file opened on its own: what stands between the last
// path separator ("/" or "\") before the first ".spa" and that ".spa", shortened to
// 29 bytes on a character boundary.
std::string project_name_for_data_file(std::string_view data_path);

// ---- configuration record -----------------------------------------------------

inline constexpr size_t kConfigRecordSize = 2776;
inline constexpr int kRecentSlots = 5;
inline constexpr size_t kRecentSlotSize = 512;
inline constexpr size_t kFillRecordSize = 100;
inline constexpr int32_t kMaxClientSide = 32767;

// The values the configuration file carries from one run to the next. Every member
// starts at the value a missing file gives.
struct Configuration {
    int32_t main_width = 640;
    int32_t main_height = 480;
    WindowSize pattern_client[kMaxPatterns] = {{200, 200}, {200, 200}, {200, 200}, {200, 200},
                                               {200, 200}, {200, 200}, {200, 200}, {200, 200},
                                               {200, 200}, {200, 200}, {200, 200}, {200, 200}};
    int32_t image_width = 256;
    int32_t image_height = 256;
    uint32_t new_window_style = 0;
    // Slot 1 (the oldest entry) first; "" for an empty slot. At most 511 bytes each.
    std::array<std::string, kRecentSlots> recent;
    std::array<uint8_t, kFillRecordSize> background_fill{};
    bool background_fill_read = false;  // the file held all 100 bytes of it
};

// The blit-effects record the configuration keeps: the 32-bit DirectDraw layout of 100 bytes,
// whatever the size of the system's own record (128 bytes in a 64-bit build). Only three
// fields are used: the size (always 100) at offset 0, the raster operation at 8 and the fill
// colour at 80; every other byte is 0.
struct FillRecord {
    uint32_t raster_operation = 0;
    uint32_t fill_colour = 0;
};
std::array<uint8_t, kFillRecordSize> encode_fill_record(const FillRecord& fill);
FillRecord decode_fill_record(std::span<const uint8_t, kFillRecordSize> bytes);

// A recent path as the list and the record keep it: as it is when it fits in 511
// bytes, otherwise cut to 511 on a character boundary.
std::string fit_recent_path(std::string_view path);

// The record as it is stored: every 0x0A written as 0x0D 0x0A.
std::vector<uint8_t> encode_configuration(const Configuration& c);
// Undoes the translation (0x0D 0x0A reads as 0x0A, any other byte as itself) over
// the whole file, then takes the fields the record holds. Fields the file does not
// reach, and values that cannot be right (a client size outside 1..32767, a style
// flag other than 0 or WS_MAXIMIZE, a recent slot without its NUL), keep the values
// a missing file gives.
Configuration decode_configuration(std::span<const uint8_t> stored);

// The newline translation on its own.
std::vector<uint8_t> newlines_to_stored(std::span<const uint8_t> record);
std::vector<uint8_t> newlines_from_stored(std::span<const uint8_t> stored);
