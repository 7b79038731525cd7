// Where this build's sources and programs are, for the tests and the measurements. The values
// are written by the build into a file of their own (build_paths.cpp in the build folder) rather
// than into every test's compile command, so that a compiler cache shared by clones of the
// repository in other folders still serves everything else.
#pragma once

namespace build_paths {

extern const char* const source_dir;        // the repository's root
extern const char* const scenario_exe;      // celwright-scenario
extern const char* const tool_exe;          // celwright-tool
extern const char* const spa_dump_exe;      // cw_spa_dump
extern const char* const spa_console_exe;   // cw_spa_console
extern const char* const make_example_exe;  // make_example

}  // namespace build_paths
