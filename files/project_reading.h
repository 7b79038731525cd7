// Reading a project from disk as the editor opens it: a project file (".cwp") with
// the data file beside it, or a data file (".spa") on its own, both read whole and
// checked before anything of the open project changes. The editor shows what is
// wrong in a message box; the command-line tool prints it.
#pragma once

#include <string>

#include "files/project_data.h"

enum class ProjectReadProblem {
    None,
    CannotOpen,  // the file named by failed_path cannot be opened or read
    Refused,     // the file named by failed_path holds what the readers refuse (refusal)
};

struct ProjectFiles {
    PathKind kind = PathKind::Neither;
    std::string data_path;  // the data file read (CP932)
    NameTables names{};     // zero for a data file opened on its own
    AnimationDataContents data{};
    ProjectReadProblem problem = ProjectReadProblem::None;
    std::string failed_path;  // the file the problem is about
    Refusal refusal;          // Refused: what is wrong with it
    bool ok() const { return problem == ProjectReadProblem::None; }
};

// path is CP932. A path that names neither kind is refused (FileProblem::NeitherKind).
ProjectFiles read_project_files(const char* path);
