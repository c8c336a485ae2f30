#include "http/http_rules.h"

#include <gtest/gtest.h>

#include <array>

using namespace ovn::http;

TEST(SplitHttpUrl, HostPortAndObject) {
    auto parts = SplitHttpUrl(L"http://h.example:8080/a/b.txt");
    ASSERT_TRUE(parts);
    EXPECT_EQ(*parts, (HttpUrlParts{L"h.example", 8080, L"a/b.txt"}));
    // Only the prefix and a host: port 80, no object.
    EXPECT_EQ(*SplitHttpUrl(L"http://h.example"), (HttpUrlParts{L"h.example", 80, L""}));
    EXPECT_EQ(*SplitHttpUrl(L"HTTP://h/"), (HttpUrlParts{L"h", 80, L""}));
    // The port reads like wtoi: blanks and a sign, digits up to a non-digit, 16 bits.
    EXPECT_EQ(SplitHttpUrl(L"http://h: +81x/p")->port, 81);
    EXPECT_EQ(SplitHttpUrl(L"http://h:/p")->port, 0);
    EXPECT_EQ(SplitHttpUrl(L"http://h:65617/p")->port, 81);  // 65536 + 81
    EXPECT_EQ(SplitHttpUrl(L"http://h:-1/p")->port, 65535);
    // A colon in the path is not a port.
    EXPECT_EQ(*SplitHttpUrl(L"http://h/a:9"), (HttpUrlParts{L"h", 80, L"a:9"}));
}

TEST(SplitHttpUrl, RefusesWhatDoesNotFit) {
    EXPECT_FALSE(SplitHttpUrl(L"https://h/x"));
    EXPECT_FALSE(SplitHttpUrl(L"ftp://h/x"));
    EXPECT_FALSE(SplitHttpUrl(L"http://"));
    EXPECT_FALSE(SplitHttpUrl(L"http:///path"));
    const std::wstring host259(259, L'h'), object511(511, L'o');
    EXPECT_TRUE(SplitHttpUrl(L"http://" + host259 + L"/" + object511));
    // One more character would have been cut off by the buffers: refused whole.
    EXPECT_FALSE(SplitHttpUrl(L"http://" + host259 + L"h/x"));
    EXPECT_FALSE(SplitHttpUrl(L"http://h/" + object511 + L"o"));
}

TEST(IsPortalUrl, MatchesTheHostNotTheText) {
    const std::array<std::wstring, 3> domains = {L"quenra.com", L"quenra.cn", L"127.0.0.1"};
    EXPECT_TRUE(IsPortalUrl(L"http://quenra.com/x.exe", domains));
    EXPECT_TRUE(IsPortalUrl(L"http://dl.quenra.com/x.exe", domains));
    EXPECT_TRUE(IsPortalUrl(L"http://DL.QUENRA.CN/x.exe", domains));
    EXPECT_TRUE(IsPortalUrl(L"HTTP://quenra.com:8080/x.exe", domains));
    EXPECT_TRUE(IsPortalUrl(L"http://127.0.0.1:5000/update/x.exe", domains));
    // The domain in the query, in a path, or as part of a look-alike host.
    EXPECT_FALSE(IsPortalUrl(L"http://elsewhere.example/?x=quenra.com", domains));
    EXPECT_FALSE(IsPortalUrl(L"http://elsewhere.example/quenra.com/x.exe", domains));
    EXPECT_FALSE(IsPortalUrl(L"http://quenra.com.elsewhere.example/x.exe", domains));
    EXPECT_FALSE(IsPortalUrl(L"http://evilquenra.com/x.exe", domains));
    EXPECT_FALSE(IsPortalUrl(L"http://quenra.com@elsewhere.example/x.exe", domains));
    EXPECT_FALSE(IsPortalUrl(L"http://elsewhere.example?quenra.com", domains));
    // Only a plain name passes, whatever it ends in: for the system a "?" ends the
    // host (elsewhere.example would be asked), and an "@" hides a name before it.
    EXPECT_FALSE(IsPortalUrl(L"http://elsewhere.example?.quenra.com", domains));
    EXPECT_FALSE(IsPortalUrl(L"http://elsewhere.example@.quenra.com", domains));
    // The system reads the host up to a NUL: what follows it names nothing.
    EXPECT_FALSE(IsPortalUrl(std::wstring(L"http://elsewhere.example\0.quenra.com/x.exe", 42), domains));
    EXPECT_FALSE(IsPortalUrl(L"http://elsewhere.example\t.quenra.com/x.exe", domains));
    EXPECT_FALSE(IsPortalUrl(L"http://127.0.0.10/x", domains));
    EXPECT_FALSE(IsPortalUrl(L"https://quenra.com/x.exe", domains));
    EXPECT_FALSE(IsPortalUrl(L"http://.quenra.com/x", std::array<std::wstring, 1>{L""}));
}

TEST(HttpAnswer, OnlySuccessBodiesAndReadableLengths) {
    EXPECT_EQ(ParseStatusCode(L"200"), 200u);
    EXPECT_FALSE(ParseStatusCode(L""));
    EXPECT_FALSE(ParseStatusCode(L"2x0"));
    EXPECT_TRUE(IsSuccessStatus(200));
    EXPECT_TRUE(IsSuccessStatus(206));
    EXPECT_FALSE(IsSuccessStatus(302));
    EXPECT_FALSE(IsSuccessStatus(404));
    EXPECT_FALSE(IsSuccessStatus(500));
    EXPECT_EQ(ParseContentLength(L"0"), 0u);
    EXPECT_EQ(ParseContentLength(L"5368709120"), 5368709120ull);  // past 32 bits
    EXPECT_FALSE(ParseContentLength(L""));
    EXPECT_FALSE(ParseContentLength(L"-1"));
    EXPECT_FALSE(ParseContentLength(L"12ab"));
    EXPECT_FALSE(ParseContentLength(L"99999999999999999999"));
}

TEST(Redirect, WhichAnswersAreFollowed) {
    for (unsigned s : {301u, 302u, 303u, 307u, 308u})
        EXPECT_TRUE(IsRedirectStatus(s)) << s;
    for (unsigned s : {200u, 300u, 304u, 305u, 404u})
        EXPECT_FALSE(IsRedirectStatus(s)) << s;
}

TEST(Redirect, LocationIsReadAgainstTheAnsweringAddress) {
    const std::wstring from = L"http://svc.quenra.com:8080/update/pkg/Ovn.exe?v=1#top";
    EXPECT_EQ(ResolveRedirect(from, L"http://dl.quenra.com/x.exe"), L"http://dl.quenra.com/x.exe");
    EXPECT_EQ(ResolveRedirect(from, L"  HTTP://dl.quenra.com/x.exe#frag "), L"HTTP://dl.quenra.com/x.exe");
    EXPECT_EQ(ResolveRedirect(from, L"//cdn.example/x.exe"), L"http://cdn.example/x.exe");
    EXPECT_EQ(ResolveRedirect(from, L"/other/y.exe"), L"http://svc.quenra.com:8080/other/y.exe");
    EXPECT_EQ(ResolveRedirect(from, L"y.exe?a=b"), L"http://svc.quenra.com:8080/update/pkg/y.exe?a=b");
    EXPECT_EQ(ResolveRedirect(from, L"?v=2"), L"http://svc.quenra.com:8080/update/pkg/Ovn.exe?v=2");
    EXPECT_EQ(ResolveRedirect(L"http://h", L"a.exe"), L"http://h/a.exe");
    EXPECT_EQ(ResolveRedirect(L"http://h?q=/x/", L"a.exe"), L"http://h/a.exe");
    // A query alone from an address with no path goes to the root, and passes the
    // allow-list as the same address with its "/" does.
    EXPECT_EQ(ResolveRedirect(L"http://h", L"?v=2"), L"http://h/?v=2");
    EXPECT_EQ(ResolveRedirect(L"http://h:81?old#f", L"?v=2"), L"http://h:81/?v=2");
    EXPECT_EQ(ResolveRedirect(L"http://h/", L"?v=2"), L"http://h/?v=2");
    const std::array<std::wstring, 1> portal = {L"quenra.com"};
    EXPECT_TRUE(IsPortalUrl(*ResolveRedirect(L"http://dl.quenra.com", L"?v=2"), portal));
    // A colon after the first slash is part of a relative path, not a scheme.
    EXPECT_EQ(ResolveRedirect(L"http://h/d/", L"a/b:c"), L"http://h/d/a/b:c");
    // Only plain HTTP is followed; nothing for an empty value.
    EXPECT_FALSE(ResolveRedirect(from, L"https://svc.quenra.com/x.exe"));
    EXPECT_FALSE(ResolveRedirect(from, L"ftp://svc.quenra.com/x.exe"));
    EXPECT_FALSE(ResolveRedirect(from, L"javascript:alert(1)"));
    EXPECT_FALSE(ResolveRedirect(from, L""));
    EXPECT_FALSE(ResolveRedirect(from, L"#only-a-fragment"));
    // What the hop names is then tested like any address: a look-alike stays out.
    const std::array<std::wstring, 1> domains = {L"quenra.com"};
    EXPECT_FALSE(IsPortalUrl(*ResolveRedirect(from, L"//quenra.com.elsewhere.example/x"), domains));
    EXPECT_TRUE(IsPortalUrl(*ResolveRedirect(from, L"/x"), domains));
}

TEST(AnnouncedLength, ReadsStopThereAndMoreIsAFailure) {
    EXPECT_EQ(ReadAllowance(0, 1000, 512), 512u);
    EXPECT_EQ(ReadAllowance(900, 1000, 512), 100u);
    EXPECT_EQ(ReadAllowance(1000, 1000, 512), 0u);
    EXPECT_EQ(ReadAllowance(0, 0, 512), 0u);
    EXPECT_EQ(ReadAllowance(0, 1ull << 40, 512), 512u);  // no 32-bit cut of what is left
    EXPECT_EQ(ReadAllowance((1ull << 40) - 3, 1ull << 40, 512), 3u);
    EXPECT_EQ(JudgeBody(1000, 1000, false), BodyEnd::Complete);
    EXPECT_EQ(JudgeBody(0, 0, false), BodyEnd::Complete);
    EXPECT_EQ(JudgeBody(999, 1000, false), BodyEnd::Short);
    EXPECT_EQ(JudgeBody(1000, 1000, true), BodyEnd::Overlong);
    EXPECT_EQ(JudgeBody(1001, 1000, false), BodyEnd::Overlong);
}

TEST(SplitPageUrl, ReadsAPageAddressAsABrowserDoes) {
    EXPECT_EQ(*SplitPageUrl(L"http://h.example:8080/a/b.htm?x=1#top"), (HttpUrlParts{L"h.example", 8080, L"/a/b.htm?x=1"}));
    EXPECT_EQ(*SplitPageUrl(L"HTTPS://h.example"), (HttpUrlParts{L"h.example", 443, L"/", true}));
    EXPECT_EQ(*SplitPageUrl(L"https://h.example:8443/"), (HttpUrlParts{L"h.example", 8443, L"/", true}));
    // A query or a fragment right after the host ends it; the query gets its "/".
    EXPECT_EQ(*SplitPageUrl(L"http://h?a=b"), (HttpUrlParts{L"h", 80, L"/?a=b"}));
    EXPECT_EQ(*SplitPageUrl(L"http://h#x/y"), (HttpUrlParts{L"h", 80, L"/"}));
}

TEST(SplitPageUrl, RefusesAddressesThatHideOrBreakTheirHost) {
    EXPECT_FALSE(SplitPageUrl(L"ftp://h/x"));
    EXPECT_FALSE(SplitPageUrl(L"app:close"));
    EXPECT_FALSE(SplitPageUrl(L"http://"));
    EXPECT_FALSE(SplitPageUrl(L"http:///x"));
    EXPECT_FALSE(SplitPageUrl(L"http://h:/x"));
    EXPECT_FALSE(SplitPageUrl(L"http://h:0/x"));
    EXPECT_FALSE(SplitPageUrl(L"http://h:65536/x"));  // no wrap onto port 0
    EXPECT_FALSE(SplitPageUrl(L"http://h:8o/x"));
    // The host a reader would see is not the one that would be asked.
    EXPECT_FALSE(SplitPageUrl(L"http://quenra.com@evil.example/x"));
    EXPECT_FALSE(SplitPageUrl(L"http://user:pw@h/x"));
}

TEST(NextReadSize, GrowsOnAFastLinkAndShrinksOnASlowOne) {
    EXPECT_EQ(NextReadSize(512, 512, 0, 512, 4096), 1024u);    // filled at once
    EXPECT_EQ(NextReadSize(4096, 4096, 0, 512, 4096), 4096u);  // never past the buffer
    EXPECT_EQ(NextReadSize(1024, 100, 0, 512, 4096), 1024u);   // a short read at once: as it was
    EXPECT_EQ(NextReadSize(1024, 1024, 100, 512, 4096), 1024u);  // neither fast nor slow
    EXPECT_EQ(NextReadSize(2048, 10, 300, 512, 4096), 1024u);  // waited: halved
    EXPECT_EQ(NextReadSize(512, 10, 300, 512, 4096), 512u);    // never below chunk
    EXPECT_EQ(NextReadSize(8192, 8192, 0, 8192, 8192), 8192u); // chunk as large as the buffer: fixed
}
