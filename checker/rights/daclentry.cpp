#include "checker/rights/daclentry.h"

#include <cstddef>

#include "checker/rights/accountnames.h"

namespace {

// The SID of an object entry, after its flags and the GUIDs they announce; null when the entry
// is too short for its flags.
const BYTE* ObjectEntrySid(const ACCESS_ALLOWED_OBJECT_ACE* entry)
{
    if (entry->Header.AceSize < offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType)) return NULL;
    const BYTE* at = reinterpret_cast<const BYTE*>(&entry->ObjectType);
    if ((entry->Flags & ACE_OBJECT_TYPE_PRESENT) != 0) at += sizeof(GUID);
    if ((entry->Flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) != 0) at += sizeof(GUID);
    return at;
}

// The entry's SID as text; "" when it does not fit in the entry.
std::string SidWithin(const ACE_HEADER* header, const BYTE* sid)
{
    const BYTE* end = reinterpret_cast<const BYTE*>(header) + header->AceSize;
    const size_t room = sid != NULL && sid < end ? static_cast<size_t>(end - sid) : 0;
    PSID candidate = const_cast<BYTE*>(sid);
    if (room < sizeof(SID) - sizeof(DWORD) || !IsValidSid(candidate) || GetLengthSid(candidate) > room)
        return std::string();
    return SidText(candidate);
}

}  // namespace

bool ReadDaclEntry(const ACE_HEADER* header, DaclEntry& entry)
{
    const BYTE* sid = NULL;
    switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_DENIED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
        // These share one layout up to the SID; a callback's data follows it.
        sid = reinterpret_cast<const BYTE*>(&reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->SidStart);
        break;
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
        sid = ObjectEntrySid(reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(header));
        break;
    default:
        return false;
    }
    entry.allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE ||
                  header->AceType == ACCESS_ALLOWED_OBJECT_ACE_TYPE ||
                  header->AceType == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
    entry.evaluated = header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE;
    entry.mask = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->Mask;
    entry.sid = SidWithin(header, sid);
    return true;
}
