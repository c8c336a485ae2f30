// The system's verifier as the program reads it: which files carry a signature
// that holds, and whose. The signed files are made before the tests run
// (tests/signing/make_signed.sh); their test root is trusted in this prefix
// only while the tests run.
#include <gtest/gtest.h>

#include "framework/handles.h"
#include "tests/signing/signed_files.h"
#include "trust/signature.h"

using namespace ovn::trust;

namespace {

Signature SignatureOf(const wchar_t* name) {
    const std::wstring path = signing::File(name);
    fw::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file) << "no file " << std::string(path.begin(), path.end());
    return file ? ReadSignature(file.get(), path) : Signature{};
}

class TrustSignature : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.Trusted()) << "no test root in OVN_SIGNED"; }
    signing::TrustedTestRoot root;
};

}  // namespace

TEST_F(TrustSignature, ReadsWhoSignedAndWhetherItHolds) {
    const Signature a = SignatureOf(L"pkg-a.exe");
    ASSERT_EQ(a.state, SignatureState::Valid);
    EXPECT_NE(a.signer.subject.find(L"CN=Ovn Test Publisher A"), std::wstring::npos);
    EXPECT_GT(a.signer.publicKey.size(), 256u);  // a 2048-bit RSA key, as encoded

    // The same publisher's running copy: the same signer, read from another file.
    EXPECT_EQ(SignatureOf(L"ovn-a.exe").signer, a.signer);

    const Signature b = SignatureOf(L"pkg-b.exe");
    ASSERT_EQ(b.state, SignatureState::Valid);
    EXPECT_NE(b.signer.subject.find(L"CN=Ovn Test Publisher B"), std::wstring::npos);

    EXPECT_EQ(SignatureOf(L"pkg-unsigned.exe").state, SignatureState::Unsigned);
    // One byte of the code changed after signing: the image's digest is off.
    EXPECT_EQ(SignatureOf(L"pkg-altered.exe").state, SignatureState::Invalid);
}

TEST_F(TrustSignature, ASignedCopyTakesOnlyItsPublishersPackages) {
    const Signature running = SignatureOf(L"ovn-a.exe");
    ASSERT_EQ(running.state, SignatureState::Valid);
    EXPECT_EQ(JudgeProgram(running, SignatureOf(L"pkg-a.exe")), PublisherVerdict::SamePublisher);
    EXPECT_EQ(JudgeProgram(running, SignatureOf(L"pkg-b.exe")), PublisherVerdict::OtherPublisher);
    EXPECT_EQ(JudgeProgram(running, SignatureOf(L"pkg-unsigned.exe")), PublisherVerdict::Unsigned);
    EXPECT_EQ(JudgeProgram(running, SignatureOf(L"pkg-altered.exe")), PublisherVerdict::BadSignature);
    // A's name under a root nobody trusts. Windows refuses its chain; this
    // Wine takes the chain, and the other key refuses it.
    EXPECT_FALSE(Allowed(JudgeProgram(running, SignatureOf(L"pkg-imposter.exe"))));

    // An unsigned running copy holds nobody to anything.
    const Signature unsignedCopy = SignatureOf(L"pkg-unsigned.exe");
    EXPECT_EQ(JudgeProgram(unsignedCopy, SignatureOf(L"pkg-b.exe")), PublisherVerdict::NotPinned);
}
