#include "downloads/md5_file.h"

#include <windows.h>
#include <wincrypt.h>

#include <array>
#include <vector>

#include "common/log.h"
#include "framework/handles.h"
#include "downloads/update_rules.h"
#include "process/process.h"

namespace ovn::downloads {

namespace {

struct CryptContext {
    HCRYPTPROV prov = 0;
    HCRYPTHASH hash = 0;
    ~CryptContext() {
        if (hash)
            ::CryptDestroyHash(hash);
        if (prov)
            ::CryptReleaseContext(prov, 0);
    }
};

// Large reads: the digest does not care how the file is cut, and the program's
// own file is read at every shortcut start.
constexpr DWORD kReadBlock = 256 * 1024;

}  // namespace

std::optional<std::wstring> Md5OfHandle(HANDLE file) {
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file, zero, nullptr, FILE_BEGIN))
        return std::nullopt;
    CryptContext ctx;
    if (!::CryptAcquireContextW(&ctx.prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) ||
        !::CryptCreateHash(ctx.prov, CALG_MD5, 0, 0, &ctx.hash)) {
        LogFailure(L"no digest: the crypto provider refuses MD5", ::GetLastError());
        return std::nullopt;
    }
    std::vector<BYTE> block(kReadBlock);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, block.data(), kReadBlock, &got, nullptr)) {
            LogFailure(L"no digest: reading failed", ::GetLastError());
            return std::nullopt;
        }
        if (got == 0)
            break;
        if (!::CryptHashData(ctx.hash, block.data(), got, 0))
            return std::nullopt;
    }
    std::array<std::uint8_t, 16> digest{};
    DWORD size = static_cast<DWORD>(digest.size());
    if (!::CryptGetHashParam(ctx.hash, HP_HASHVAL, digest.data(), &size, 0) || size != digest.size())
        return std::nullopt;
    return HexDigest(digest);
}

std::optional<std::wstring> Md5OfFile(const std::wstring& path) {
    fw::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        LogFailureF(::GetLastError(), L"no digest: cannot read %ls", path.c_str());
        return std::nullopt;
    }
    return Md5OfHandle(file.get());
}

std::optional<std::wstring> LocalVersionKey() {
    auto digest = Md5OfFile(ExecutablePath());
    if (!digest)
        return std::nullopt;
    return VersionKeyFromDigest(*digest);
}

}  // namespace ovn::downloads
