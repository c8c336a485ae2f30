// The signing material tests/signing/make_signed.sh made for a test run, found
// through OVN_SIGNED, and its test root trusted for as long as a TrustedTestRoot
// lives (in the test prefix only).
#pragma once
#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <string>

namespace signing {

// The folder of the signed files with its trailing backslash; empty without one.
inline std::wstring Folder() {
    wchar_t path[1024] = {};
    const DWORD n = GetEnvironmentVariableW(L"OVN_SIGNED", path, 1024);
    return n > 0 && n < 1024 ? std::wstring(path) + L"\\" : std::wstring();
}

inline std::wstring File(const wchar_t* name) { return Folder() + name; }

class TrustedTestRoot {
public:
    TrustedTestRoot() {
        std::ifstream in(File(L"ca.der").c_str(), std::ios::binary);
        der_.assign(std::istreambuf_iterator<char>(in), {});
        added_ = !der_.empty() && CertAddEncodedCertificateToSystemStoreW(L"Root", Bytes(), Size());
    }
    ~TrustedTestRoot() {
        if (!added_)
            return;
        HCERTSTORE store = CertOpenSystemStoreW(0, L"Root");
        if (!store)
            return;
        if (PCCERT_CONTEXT cert = CertCreateCertificateContext(X509_ASN_ENCODING, Bytes(), Size())) {
            if (PCCERT_CONTEXT found =
                    CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert, nullptr))
                CertDeleteCertificateFromStore(found);  // frees found
            CertFreeCertificateContext(cert);
        }
        CertCloseStore(store, 0);
    }
    TrustedTestRoot(const TrustedTestRoot&) = delete;
    TrustedTestRoot& operator=(const TrustedTestRoot&) = delete;

    bool Trusted() const { return added_; }

private:
    const BYTE* Bytes() const { return reinterpret_cast<const BYTE*>(der_.data()); }
    DWORD Size() const { return static_cast<DWORD>(der_.size()); }

    std::string der_;
    bool added_ = false;
};

}  // namespace signing
