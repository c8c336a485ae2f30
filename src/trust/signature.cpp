#include "trust/signature.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <atomic>

#include "common/log.h"
#include "framework/handles.h"
#include "process/process.h"

namespace ovn::trust {

namespace {

// The verifier's answers for a file that carries no signature at all; every
// other failure means a signature is there and does not hold.
bool MeansUnsigned(LONG status) {
    return status == TRUST_E_NOSIGNATURE || status == TRUST_E_SUBJECT_FORM_UNKNOWN ||
           status == TRUST_E_PROVIDER_UNKNOWN;
}

Signer SignerOf(PCCERT_CONTEXT cert) {
    Signer signer;
    CERT_NAME_BLOB* name = &cert->pCertInfo->Subject;
    const DWORD length = ::CertNameToStrW(X509_ASN_ENCODING, name, CERT_X500_NAME_STR, nullptr, 0);
    if (length > 1) {
        signer.subject.resize(length);
        ::CertNameToStrW(X509_ASN_ENCODING, name, CERT_X500_NAME_STR, signer.subject.data(), length);
        signer.subject.resize(length - 1);
    }
    const CRYPT_BIT_BLOB& key = cert->pCertInfo->SubjectPublicKeyInfo.PublicKey;
    signer.publicKey.assign(key.pbData, key.pbData + key.cbData);
    return signer;
}

}  // namespace

Signature ReadSignature(HANDLE file, const std::wstring& path) {
    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    // Nothing is fetched from the network while a download is being checked.
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG status = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);

    Signature signature;
    if (status == ERROR_SUCCESS) {
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        if (signer && signer->csCertChain > 0 && signer->pasCertChain[0].pCert) {
            signature.state = SignatureState::Valid;
            signature.signer = SignerOf(signer->pasCertChain[0].pCert);
        } else {
            // Verified, but without a signer to name: nothing to pin to.
            signature.state = SignatureState::Invalid;
        }
    } else {
        signature.state = MeansUnsigned(status) ? SignatureState::Unsigned : SignatureState::Invalid;
        if (signature.state == SignatureState::Invalid)
            LogFailureF(static_cast<unsigned long>(status), L"signature of %ls does not hold", path.c_str());
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return signature;
}

const Signature& RunningCopySignature() {
    static const Signature own = [] {
        const std::wstring self = ExecutablePath();
        fw::FileHandle file(::CreateFileW(self.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            LogFailure(L"signature: this copy cannot be read", ::GetLastError());
            return Signature{};
        }
        return ReadSignature(file.get(), self);
    }();
    return own;
}

bool PublisherAllows(HANDLE file, const std::wstring& path, const wchar_t* what) {
    const Signature& running = RunningCopySignature();
    if (running.state != SignatureState::Valid) {
        static std::atomic<bool> said{false};
        if (!said.exchange(true))
            LogFailure(L"signature: this copy is not signed; updates and installers are not held to a publisher", 0);
        return true;
    }
    const PublisherVerdict verdict = JudgeProgram(running, ReadSignature(file, path));
    if (Allowed(verdict))
        return true;
    LogFailureF(0, L"%ls: %ls is refused: %ls", what, path.c_str(), Describe(verdict));
    return false;
}

}  // namespace ovn::trust
