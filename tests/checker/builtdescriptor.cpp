#include "tests/checker/builtdescriptor.h"

#include <sddl.h>

#include <cstring>

namespace {

std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }

template <typename T>
std::string Bytes(const T& value)
{
    return Bytes(&value, sizeof value);
}

std::string SidBytes(const char* text)
{
    PSID sid = nullptr;
    if (!ConvertStringSidToSidA(text, &sid)) return std::string();
    const std::string bytes = Bytes(sid, GetLengthSid(sid));
    LocalFree(sid);
    return bytes;
}

// (@User.x == 1) in the binary form: "artx", a user attribute, an int64 literal, ==.
std::string ConditionBytes()
{
    const UINT64 one = 1;
    return std::string("artx") + '\xF9' + Bytes(DWORD{2}) + std::string("x\0", 2) + '\x04' + Bytes(one) + '\x03' +
           '\x02' + '\x80';
}

std::string Ace(BYTE type, DWORD mask, const std::string& body)
{
    std::string tail = Bytes(mask) + body;
    while ((sizeof(ACE_HEADER) + tail.size()) % 4 != 0) tail += '\0';
    const ACE_HEADER header = {type, 0, static_cast<WORD>(sizeof(ACE_HEADER) + tail.size())};
    return Bytes(header) + tail;
}

}  // namespace

std::string CallbackAce(BYTE type, DWORD mask, const char* sid, bool conditional)
{
    return Ace(type, mask, SidBytes(sid) + (conditional ? ConditionBytes() : std::string()));
}

std::string ObjectAce(BYTE type, DWORD mask, const char* sid)
{
    const GUID userClass = {0xbf967aba, 0x0de6, 0x11d0, {0xa2, 0x85, 0x00, 0xaa, 0x00, 0x30, 0x49, 0xe2}};
    return Ace(type, mask, Bytes(DWORD{ACE_OBJECT_TYPE_PRESENT}) + Bytes(userClass) + SidBytes(sid));
}

std::string PlainAce(BYTE type, DWORD mask, const char* sid) { return Ace(type, mask, SidBytes(sid)); }

BuiltDescriptor::BuiltDescriptor(const std::vector<std::string>& aces) : owner_(SidBytes("BA"))
{
    std::string body;
    for (const std::string& ace : aces) body += ace;
    acl_.resize(sizeof(ACL) + body.size());
    ACL header = {ACL_REVISION_DS, 0, static_cast<WORD>(acl_.size()), static_cast<WORD>(aces.size()), 0};
    memcpy(acl_.data(), &header, sizeof header);
    memcpy(acl_.data() + sizeof header, body.data(), body.size());
    InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&descriptor_, &owner_[0], FALSE);
    SetSecurityDescriptorDacl(&descriptor_, TRUE, reinterpret_cast<PACL>(acl_.data()), FALSE);
}
