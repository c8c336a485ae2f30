#include <gtest/gtest.h>

#include "trust/publisher_rules.h"

using namespace ovn::trust;

namespace {

Signature Signed(const wchar_t* subject, std::vector<std::uint8_t> key) {
    return {SignatureState::Valid, {subject, std::move(key)}};
}

}  // namespace

TEST(PublisherRules, ASignedCopyTakesOnlyItsOwnPublishersPrograms) {
    const Signature running = Signed(L"CN=Quenra, O=Quenra", {1, 2, 3});
    EXPECT_EQ(JudgeProgram(running, Signed(L"CN=Quenra, O=Quenra", {1, 2, 3})), PublisherVerdict::SamePublisher);
    // The same name from another key is another publisher: any authority can
    // issue a name, only the publisher holds its key.
    EXPECT_EQ(JudgeProgram(running, Signed(L"CN=Quenra, O=Quenra", {1, 2, 4})), PublisherVerdict::OtherPublisher);
    EXPECT_EQ(JudgeProgram(running, Signed(L"CN=Someone, O=Else", {1, 2, 3})), PublisherVerdict::OtherPublisher);
    EXPECT_EQ(JudgeProgram(running, Signed(L"CN=Quenra, O=Quenra", {1, 2})), PublisherVerdict::OtherPublisher);
    EXPECT_EQ(JudgeProgram(running, {SignatureState::Unsigned, {}}), PublisherVerdict::Unsigned);
    EXPECT_EQ(JudgeProgram(running, {SignatureState::Invalid, {L"CN=Quenra, O=Quenra", {1, 2, 3}}}),
              PublisherVerdict::BadSignature);

    EXPECT_TRUE(Allowed(PublisherVerdict::SamePublisher));
    for (PublisherVerdict refused :
         {PublisherVerdict::Unsigned, PublisherVerdict::BadSignature, PublisherVerdict::OtherPublisher})
        EXPECT_FALSE(Allowed(refused)) << static_cast<int>(refused);
}

TEST(PublisherRules, ACopyWithoutAValidSignaturePinsNothing) {
    for (const Signature& running : {Signature{SignatureState::Unsigned, {}},
                                     Signature{SignatureState::Invalid, {L"CN=Quenra", {1}}},
                                     // Verified, but no key read: nothing to compare with.
                                     Signature{SignatureState::Valid, {L"CN=Quenra", {}}}}) {
        EXPECT_EQ(JudgeProgram(running, {SignatureState::Unsigned, {}}), PublisherVerdict::NotPinned);
        EXPECT_EQ(JudgeProgram(running, Signed(L"CN=Someone", {9})), PublisherVerdict::NotPinned);
    }
    EXPECT_TRUE(Allowed(PublisherVerdict::NotPinned));
}
