// Security descriptors from their text form and LocalFree, which frees them. The file system
// knows owner, group and others, so a descriptor becomes permission bits: what it allows the
// file's owner (OW, the owner rights) goes to the owner, what it allows everyone (WD) to all
// three. The system account and the administrators (SY, BA) pass every check here as root
// does, so what they are allowed changes nothing. Text that is no descriptor is refused as the
// system refuses it; a descriptor that says what has no counterpart here (an entry that denies,
// another account, an owner or a group) is refused as not supported rather than half taken.
#include "win/security.h"

#include <sddl.h>

#include <cctype>
#include <set>
#include <string>
#include <string_view>

namespace {

struct Descriptor {
    mode_t mode;
};
std::set<Descriptor*>& descriptors() {
    static std::set<Descriptor*> d;
    return d;
}

enum class Parsed { Ok, Malformed, Unsupported };

bool is_code(std::string_view s) {
    return !s.empty() && std::isupper(static_cast<unsigned char>(s[0])) &&
           (s.size() == 1 || (s.size() == 2 && std::isupper(static_cast<unsigned char>(s[1]))));
}

// The access a right's code gives a folder: read is listing, write is changing what is in it,
// execute is passing through. Rights given as a number have no such reading here.
Parsed access_bits(std::string_view rights, mode_t& bits) {
    if (rights.substr(0, 2) == "0x") return Parsed::Unsupported;
    if (rights.empty() || rights.size() % 2 != 0) return Parsed::Malformed;
    for (size_t i = 0; i < rights.size(); i += 2) {
        const std::string_view code = rights.substr(i, 2);
        if (code == "GA" || code == "FA")
            bits |= 07;
        else if (code == "GR" || code == "FR")
            bits |= 04;
        else if (code == "GW" || code == "FW")
            bits |= 02;
        else if (code == "GX" || code == "FX")
            bits |= 01;
        else
            return Parsed::Malformed;
    }
    return Parsed::Ok;
}

// One entry "type;flags;rights;object;inherited object;account", added to the mode when it
// allows the owner or everyone.
Parsed add_entry(std::string_view entry, mode_t& mode) {
    std::string_view fields[6];
    size_t n = 0;
    for (;;) {
        const size_t end = entry.find(';');
        if (n == 6) return Parsed::Malformed;
        fields[n++] = entry.substr(0, end);
        if (end == std::string_view::npos) break;
        entry.remove_prefix(end + 1);
    }
    if (n != 6 || !is_code(fields[0])) return Parsed::Malformed;
    mode_t bits = 0;
    const Parsed rights = access_bits(fields[2], bits);
    if (rights != Parsed::Ok) return rights;
    const std::string_view account = fields[5];
    if (!is_code(account) && account.substr(0, 2) != "S-") return Parsed::Malformed;
    if (fields[0] != "A" || !fields[3].empty() || !fields[4].empty()) return Parsed::Unsupported;
    if (account == "OW")
        mode |= bits << 6;
    else if (account == "WD")
        mode |= bits << 6 | bits << 3 | bits;
    else if (account != "SY" && account != "BA")
        return Parsed::Unsupported;
    return Parsed::Ok;
}

// "D:" with its flags (P, AI, AR) and its entries, each in parentheses.
Parsed parse_dacl(std::string_view text, mode_t& mode) {
    if (text.size() >= 2 && text[1] == ':' && (text[0] == 'O' || text[0] == 'G' || text[0] == 'S'))
        return Parsed::Unsupported;
    if (text.substr(0, 2) != "D:") return Parsed::Malformed;
    text.remove_prefix(2);
    while (!text.empty() && text.front() != '(') {
        if (text.substr(0, 2) == "AI" || text.substr(0, 2) == "AR")
            text.remove_prefix(2);
        else if (text.front() == 'P')
            text.remove_prefix(1);
        else
            return Parsed::Malformed;
    }
    mode = 0;
    Parsed result = Parsed::Ok;
    while (!text.empty()) {
        const size_t close = text.find(')');
        if (text.front() != '(' || close == std::string_view::npos) return Parsed::Malformed;
        const Parsed entry = add_entry(text.substr(1, close - 1), mode);
        if (entry == Parsed::Malformed) return entry;
        if (entry == Parsed::Unsupported) result = entry;
        text.remove_prefix(close + 1);
    }
    return result;
}

}  // namespace

namespace cw::win {

bool descriptor_mode(PSECURITY_DESCRIPTOR descriptor, mode_t* mode) {
    auto* d = static_cast<Descriptor*>(descriptor);
    if (!d || !descriptors().count(d)) return false;
    *mode = d->mode;
    return true;
}

}  // namespace cw::win

BOOL ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR text, DWORD revision,
                                                          PSECURITY_DESCRIPTOR* descriptor, ULONG* size) {
    if (!text || !descriptor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (revision != SDDL_REVISION_1) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return FALSE;
    }
    mode_t mode = 0;
    const Parsed parsed = parse_dacl(text, mode);
    if (parsed != Parsed::Ok) {
        SetLastError(parsed == Parsed::Malformed ? ERROR_INVALID_ACL : ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    auto* d = new Descriptor{mode};
    descriptors().insert(d);
    *descriptor = d;
    if (size) *size = sizeof *d;
    return TRUE;
}

HLOCAL LocalFree(HLOCAL mem) {
    auto* d = static_cast<Descriptor*>(mem);
    if (!mem) return nullptr;
    if (!descriptors().count(d)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return mem;
    }
    descriptors().erase(d);
    delete d;
    return nullptr;
}
