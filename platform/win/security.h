// The security descriptors the layer makes (sddl.h) as what they mean to the file system.
#pragma once

#include <sys/types.h>

#include <windows.h>

namespace cw::win {

// The permission bits a descriptor made by ConvertStringSecurityDescriptorToSecurityDescriptorA
// grants; false for anything else (no descriptor, or one the layer did not make).
bool descriptor_mode(PSECURITY_DESCRIPTOR descriptor, mode_t* mode);

}  // namespace cw::win
