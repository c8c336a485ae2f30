#include "trust/publisher_rules.h"

namespace ovn::trust {

PublisherVerdict JudgeProgram(const Signature& running, const Signature& program) {
    // A running copy whose signature does not hold has no publisher to hold to
    // either: it is treated as unsigned (its own start is the system's concern).
    if (running.state != SignatureState::Valid || running.signer.publicKey.empty())
        return PublisherVerdict::NotPinned;
    switch (program.state) {
    case SignatureState::Unsigned:
        return PublisherVerdict::Unsigned;
    case SignatureState::Invalid:
        return PublisherVerdict::BadSignature;
    case SignatureState::Valid:
        break;
    }
    return program.signer == running.signer ? PublisherVerdict::SamePublisher : PublisherVerdict::OtherPublisher;
}

bool Allowed(PublisherVerdict verdict) {
    return verdict == PublisherVerdict::NotPinned || verdict == PublisherVerdict::SamePublisher;
}

const wchar_t* Describe(PublisherVerdict verdict) {
    switch (verdict) {
    case PublisherVerdict::NotPinned:
        return L"this copy is not signed, so the publisher is not checked";
    case PublisherVerdict::SamePublisher:
        return L"signed by this copy's publisher";
    case PublisherVerdict::Unsigned:
        return L"not signed, and this copy is";
    case PublisherVerdict::BadSignature:
        return L"its signature does not hold";
    case PublisherVerdict::OtherPublisher:
        return L"signed by another publisher than this copy's";
    }
    return L"?";
}

}  // namespace ovn::trust
