// Security descriptors written as text (the security descriptor definition language), for a
// folder that only its owner may enter.
#pragma once
#include "windows.h"

#define SDDL_REVISION_1 1

BOOL ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR text, DWORD revision,
                                                          PSECURITY_DESCRIPTOR* descriptor, ULONG* size);
#define ConvertStringSecurityDescriptorToSecurityDescriptor \
    ConvertStringSecurityDescriptorToSecurityDescriptorA
