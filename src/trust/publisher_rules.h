// Whose program may replace this one or be started by it. A digest published
// beside a package only says that the bytes arrived whole: the key and the
// package come from the same host, and whoever answers for that host can
// publish both. A code signature says who made the file. When the running copy
// is signed, a program it installs or starts must be signed by the same
// publisher: the same subject and the same public key (a name alone can be had
// from any authority). An unsigned running copy (a test or developer build)
// pins nothing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ovn::trust {

struct Signer {
    std::wstring subject;                 // the certificate's full subject name
    std::vector<std::uint8_t> publicKey;  // the subject's public key, as encoded
    bool operator==(const Signer&) const = default;
};

enum class SignatureState {
    Unsigned,  // the file carries no signature
    Invalid,   // it carries one that does not hold: altered after signing,
               // an untrusted or broken chain, a certificate not for code
    Valid,
};

struct Signature {
    SignatureState state = SignatureState::Unsigned;
    Signer signer;  // only for a valid signature
};

enum class PublisherVerdict {
    NotPinned,       // the running copy is not signed: no publisher to hold to
    SamePublisher,   // signed, validly, by the running copy's publisher
    Unsigned,        // the running copy is signed, the program is not
    BadSignature,    // its signature does not hold
    OtherPublisher,  // signed validly, by someone else
};

PublisherVerdict JudgeProgram(const Signature& running, const Signature& program);

// Whether a program with this verdict may be installed or started.
bool Allowed(PublisherVerdict verdict);

// The verdict in the words of the failure log.
const wchar_t* Describe(PublisherVerdict verdict);

}  // namespace ovn::trust
