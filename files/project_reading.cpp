#include "files/project_reading.h"

#include <vector>

#include "files/file_io.h"

namespace {

bool fail(ProjectFiles& files, ProjectReadProblem problem, const std::string& path, const Refusal& r = {}) {
    files.problem = problem;
    files.failed_path = path;
    files.refusal = r;
    return false;
}

// Reads a whole file of at most max_bytes; a longer one is read as far as that.
bool read_whole(ProjectFiles& files, const std::string& path, std::vector<uint8_t>& bytes, size_t max_bytes) {
    if (read_file_bytes(path.c_str(), bytes, max_bytes) == FileRead::Done) return true;
    return fail(files, ProjectReadProblem::CannotOpen, path);
}

bool read_into(ProjectFiles& files, const char* path) {
    files.kind = classify_path(path);
    if (files.kind == PathKind::Neither) {
        Refusal r;
        r.problem = FileProblem::NeitherKind;
        return fail(files, ProjectReadProblem::Refused, path, r);
    }
    files.data_path = path;
    std::vector<uint8_t> bytes;
    if (files.kind == PathKind::ProjectFile) {
        if (!read_whole(files, path, bytes, kProjectFileSize)) return false;
        const ProjectFileResult project = decode_project_file(bytes);
        if (project.refusal.refused()) return fail(files, ProjectReadProblem::Refused, path, project.refusal);
        files.names = project.names;
        files.data_path = data_path_for(path);
    }
    if (!read_whole(files, files.data_path, bytes, kMaxDataFileSize)) return false;
    const AnimationDataResult data = decode_animation_data(bytes);
    if (data.refusal.refused())
        return fail(files, ProjectReadProblem::Refused, files.data_path, data.refusal);
    files.data = data.data;
    return true;
}

}  // namespace

ProjectFiles read_project_files(const char* path) {
    ProjectFiles files;
    read_into(files, path);
    return files;
}
