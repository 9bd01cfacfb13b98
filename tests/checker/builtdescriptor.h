// Security descriptors with entries Wine's SDDL parser does not take (XA, XD, ZA, OA, OD),
// built byte by byte as MS-DTYP lays them out.
#ifndef ZSTARTUP_TESTS_CHECKER_BUILTDESCRIPTOR_H
#define ZSTARTUP_TESTS_CHECKER_BUILTDESCRIPTOR_H

#include <windows.h>

#include <string>
#include <vector>

// One entry's bytes: a plain allowed or denied one; a callback one (conditional: with the
// expression (@User.x == 1) after "artx"); an object one for the user class's GUID.
std::string PlainAce(BYTE type, DWORD mask, const char* sid);
std::string CallbackAce(BYTE type, DWORD mask, const char* sid, bool conditional);
std::string ObjectAce(BYTE type, DWORD mask, const char* sid);

// An administrator-owned descriptor whose DACL holds exactly aces, in order.
class BuiltDescriptor {
public:
    explicit BuiltDescriptor(const std::vector<std::string>& aces);
    BuiltDescriptor(const BuiltDescriptor&) = delete;  // the descriptor points into its members
    BuiltDescriptor& operator=(const BuiltDescriptor&) = delete;

    PSECURITY_DESCRIPTOR Get() { return &descriptor_; }

private:
    std::string owner_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_;
};

#endif
