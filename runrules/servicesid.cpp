#include "runrules/servicesid.h"

#include <wincrypt.h>

#include "runrules/servicelistentry.h"

namespace {

const DWORD kSha1Size = 20;
const BYTE kDigestSubAuthorities = kSha1Size / sizeof(DWORD);

bool Sha1(const void* data, DWORD size, BYTE (&digest)[kSha1Size])
{
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextW(&provider, NULL, NULL, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return false;
    HCRYPTHASH hash = 0;
    DWORD length = sizeof digest;
    const bool done = CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash) &&
                      CryptHashData(hash, static_cast<const BYTE*>(data), size, 0) &&
                      CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) && length == sizeof digest;
    if (hash != 0) CryptDestroyHash(hash);
    CryptReleaseContext(provider, 0);
    return done;
}

DWORD LittleEndianWord(const BYTE* bytes)
{
    return bytes[0] | static_cast<DWORD>(bytes[1]) << 8 | static_cast<DWORD>(bytes[2]) << 16 |
           static_cast<DWORD>(bytes[3]) << 24;
}

}  // namespace

bool ServiceSidOf(const wchar_t* serviceName, BYTE (&sid)[SECURITY_MAX_SID_SIZE])
{
    const int length = lstrlenW(serviceName);
    if (length == 0 || length > kMaxServiceNameLength) return false;
    wchar_t upper[kServiceNameCapacity];
    // Without LCMAP_LINGUISTIC_CASING the mapping is the file system's, the locale plays no part.
    if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, serviceName, length, upper, length) != length) return false;
    BYTE digest[kSha1Size];
    if (!Sha1(upper, length * sizeof(wchar_t), digest)) return false;

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    if (!InitializeSid(sid, &ntAuthority, 1 + kDigestSubAuthorities)) return false;
    *GetSidSubAuthority(sid, 0) = SECURITY_SERVICE_ID_BASE_RID;
    for (BYTE i = 0; i < kDigestSubAuthorities; ++i) *GetSidSubAuthority(sid, 1 + i) = LittleEndianWord(digest + 4 * i);
    return true;
}
