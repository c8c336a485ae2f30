#include "browser/plain/html_document.h"

#include <gtest/gtest.h>

using namespace ovn::browser;

TEST(HtmlEntities, NamedNumericAndBroken) {
    EXPECT_EQ(DecodeEntities(L"a &amp; b &lt;c&gt; &quot;&apos;"), L"a & b <c> \"'");
    EXPECT_EQ(DecodeEntities(L"&#20013;&#x6587;&#X41;"), L"\x4e2d\x6587" L"A");
    EXPECT_EQ(DecodeEntities(L"&#65&#66;"), L"AB");
    EXPECT_EQ(DecodeEntities(L"&nbsp;"), L"\xA0");
    EXPECT_EQ(DecodeEntities(L"&unknown; & &; &#; &#x;"), L"&unknown; & &; &#; &#x;");
    EXPECT_EQ(DecodeEntities(L"&#0;&#xD800;&#99999999;"), L"\xFFFD\xFFFD\xFFFD");
    EXPECT_EQ(DecodeEntities(L"&amp"), L"&");
    std::wstring astral = DecodeEntities(L"&#x1F600;");
    if constexpr (sizeof(wchar_t) == 2)
        EXPECT_EQ(astral, std::wstring(L"\xD83D\xDE00"));
    else
        EXPECT_EQ(astral.size(), 1u);
}

TEST(HtmlParse, TitleTextAndLinks) {
    auto doc = ParseHtml(LR"(<!DOCTYPE html>
<html><head><meta charset="GBK"><title>  Quenra
 游戏大厅 &amp; more </title>
<style>p { color: red; }</style><script>var x = "<a href='no'>";</script></head>
<body><!-- <a href="hidden">x</a> -->
<h1>Welcome</h1>
<p>Pick   a
game:</p>
<ul><li><a href="app://entergame|ovn|http://d/Ovn.exe" target=_blank>Orvane</a></li>
<li><A HREF='/game/ovn.htm'>Play <b>now</b></A> today</li></ul>
<p>a<br>b<br><br>c</p>
</body></html>)");
    EXPECT_EQ(doc.title, L"Quenra 游戏大厅 & more");
    EXPECT_EQ(doc.charset, "gbk");
    ASSERT_EQ(doc.links.size(), 2u);
    EXPECT_EQ(doc.links[0].href, L"app://entergame|ovn|http://d/Ovn.exe");
    EXPECT_EQ(doc.links[0].target, L"_blank");
    EXPECT_EQ(doc.links[0].text, L"Orvane");
    EXPECT_EQ(doc.links[1].href, L"/game/ovn.htm");
    EXPECT_EQ(doc.links[1].text, L"Play now");
    EXPECT_EQ(VisibleText(doc), L"Welcome\nPick a game:\n\x2022 Orvane\n\x2022 Play now today\na\nb\n\nc");
    ASSERT_GE(doc.blocks.size(), 1u);
    EXPECT_TRUE(doc.blocks[0].heading);
    EXPECT_FALSE(doc.blocks[1].heading);

    // Runs carry their link and their innermost element, so a click can be mapped back.
    std::wstring linked, plain;
    for (const auto& run : doc.blocks[3].runs) {
        (run.link == 1 ? linked : plain) += run.text;
        if (run.text == L"now") {
            EXPECT_EQ(doc.elements[size_t(run.element)].tag, L"b");
        }
        if (run.text == L"Play ") {
            EXPECT_EQ(doc.elements[size_t(run.element)].tag, L"a");
        }
    }
    EXPECT_EQ(linked, L"Play now");
    EXPECT_EQ(plain, L"\x2022  today");
}

TEST(HtmlParse, LinksWithoutTextStayClickable) {
    auto doc = ParseHtml(LR"(<a href="/a"><img src="x.png" alt="Orvane"></a> <a href="/b"><img src="y.png"></a>
<a name="anchor">not a link</a> <a href="/c" >  </a>)");
    ASSERT_EQ(doc.links.size(), 3u);
    EXPECT_EQ(doc.links[0].text, L"Orvane");
    EXPECT_EQ(doc.links[1].text, L"/b");
    EXPECT_EQ(doc.links[2].text, L"/c");
    EXPECT_EQ(VisibleText(doc), L"Orvane /b not a link /c");
}

TEST(HtmlParse, AttributesAndOddMarkup) {
    auto doc = ParseHtml(L"<a href=\"/s?a=1&copy=2&amp;b=&lt;\" title='x>y'>q</a> 1 < 2 <3 <> a</p>");
    ASSERT_EQ(doc.links.size(), 1u);
    EXPECT_EQ(doc.links[0].href, L"/s?a=1&copy=2&b=<");
    EXPECT_EQ(VisibleText(doc), L"q 1 < 2 <3 <> a");

    // Unclosed tags, comments and scripts end the document without reading past it.
    EXPECT_EQ(VisibleText(ParseHtml(L"ok <a href=\"x")), L"ok");
    EXPECT_EQ(VisibleText(ParseHtml(L"ok <!-- never closed <p>x")), L"ok");
    EXPECT_EQ(VisibleText(ParseHtml(L"ok<script>document.write('<p>x')")), L"ok");
    EXPECT_EQ(VisibleText(ParseHtml(L"")), L"");
    EXPECT_EQ(VisibleText(ParseHtml(L"<")), L"<");
    EXPECT_EQ(VisibleText(ParseHtml(L"a</")), L"a</");

    // Hidden containers and raw-text elements.
    auto form = ParseHtml(L"<select><option>one<option>two</select>shown<textarea>&lt;t&gt;</textarea>"
                          L"<iframe src=\"/f.htm\">fallback</iframe>");
    EXPECT_EQ(VisibleText(form), L"shown\n<t>\n/f.htm");
    ASSERT_EQ(form.links.size(), 1u);
    EXPECT_EQ(form.links[0].href, L"/f.htm");

    auto pre = ParseHtml(L"<pre>a  b\n c</pre>x");
    EXPECT_EQ(VisibleText(pre), L"a  b\n c\nx");

    // The first title counts; a page without one has an empty title.
    EXPECT_EQ(ParseHtml(L"<title>one</title><title>two</title>").title, L"one");
    EXPECT_EQ(ParseHtml(L"<p>x</p>").title, L"");
}

TEST(HtmlParse, MetaRefreshAndBase) {
    auto doc = ParseHtml(LR"(<head><base href="http://h.com/dir/">
<META HTTP-EQUIV="Refresh" CONTENT="3; URL=next.htm"><meta http-equiv="refresh" content="9;url=other">
<meta http-equiv="Content-Type" content="text/html; charset=utf-8"></head><a href="x.htm">x</a>)");
    ASSERT_TRUE(doc.refresh);
    EXPECT_EQ(doc.refresh->delaySeconds, 3);
    EXPECT_EQ(doc.refresh->url, L"next.htm");
    EXPECT_EQ(doc.charset, "utf-8");
    ResolveDocumentUrls(doc, L"http://page.com/a/b.htm");
    EXPECT_EQ(doc.refresh->url, L"http://h.com/dir/next.htm");
    EXPECT_EQ(doc.links[0].href, L"http://h.com/dir/x.htm");

    auto plain = ParseHtml(L"<meta http-equiv=refresh content=\"0;url='/go?a=1'\"><a href=\"../up\">u</a>");
    ResolveDocumentUrls(plain, L"http://p.com/a/b/c.htm");
    EXPECT_EQ(plain.refresh->url, L"http://p.com/go?a=1");
    EXPECT_EQ(plain.links[0].href, L"http://p.com/a/up");
}

TEST(HtmlParse, RefreshContentForms) {
    struct Case {
        const wchar_t* content;
        int delay;
        const wchar_t* url;
    } ok[] = {
        {L"5", 5, L""},
        {L"0;url=http://x/", 0, L"http://x/"},
        {L" 2 , URL = 'a b.htm' ", 2, L"a b.htm"},
        {L"1.5; url=\"q\"", 1, L"q"},
        {L"4;next.htm", 4, L"next.htm"},
        {L"0; URL=", 0, L""},
        {L"99999999999999", 86400, L""},
    };
    for (const auto& c : ok) {
        auto r = ParseRefreshContent(c.content);
        ASSERT_TRUE(r) << c.content;
        EXPECT_EQ(r->delaySeconds, c.delay) << c.content;
        EXPECT_EQ(r->url, c.url) << c.content;
    }
    EXPECT_FALSE(ParseRefreshContent(L""));
    EXPECT_FALSE(ParseRefreshContent(L"url=x"));
    EXPECT_FALSE(ParseRefreshContent(L"-1; url=x"));
}

#include "browser/plain/charset.h"
#include "browser/web_engine.h"

TEST(PageCharset, MarkHeaderThenMeta) {
    EXPECT_EQ(DetectCharset("text/html; charset=GBK", "\xEF\xBB\xBFx"), "utf-8");
    EXPECT_EQ(DetectCharset("text/html; charset=\"GBK\"", "<meta charset=utf-8>"), "gbk");
    EXPECT_EQ(DetectCharset("text/html", "<html><head><meta charset='UTF-8'>"), "utf-8");
    EXPECT_EQ(DetectCharset("", "<meta http-equiv=Content-Type content='text/html; charset=gb2312'>"), "gb2312");
    EXPECT_EQ(DetectCharset("text/html", "\xFF\xFE<\0"), "utf-16le");
    EXPECT_EQ(DetectCharset("text/html", std::string(5000, ' ') + "<meta charset=gbk>"), "");
    EXPECT_EQ(DetectCharset("", ""), "");
    // The server's header and the page's meta content are read alike.
    EXPECT_EQ(DetectCharset("text/html; charset = \"Big5\"", ""), "big5");
    EXPECT_EQ(DetectCharset("", "<meta http-equiv=content-type content='text/html; charset = Big5'>"), "big5");
    EXPECT_EQ(CharsetFromContentType(L"text/html; xcharset; charset=gbk; q=1"), "gbk");
    EXPECT_EQ(CharsetFromContentType(L"text/html; charset="), "");
    EXPECT_EQ(CharsetFromContentType(L"text/html"), "");
    EXPECT_EQ(ByteOrderMarkLength("\xEF\xBB\xBFx"), 3u);
    EXPECT_EQ(ByteOrderMarkLength("\xFE\xFF"), 2u);
    EXPECT_EQ(ByteOrderMarkLength("ab"), 0u);

    EXPECT_EQ(CodePageForCharset("UTF-8"), 65001u);
    EXPECT_EQ(CodePageForCharset("gb2312"), 936u);
    EXPECT_EQ(CodePageForCharset("GB18030"), 54936u);
    EXPECT_EQ(CodePageForCharset("koi8-r-unknown"), 0u);
}

TEST(WebEngineChoice, EnvironmentOverridesTheBuild) {
    EXPECT_EQ(ChooseWebEngine("plain", false), WebEngineKind::Plain);
    EXPECT_EQ(ChooseWebEngine("CONTROL", true), WebEngineKind::Control);
    EXPECT_EQ(ChooseWebEngine(nullptr, true), WebEngineKind::Plain);
    EXPECT_EQ(ChooseWebEngine("", false), WebEngineKind::Control);
    EXPECT_EQ(ChooseWebEngine("gecko", false), WebEngineKind::Control);
}

TEST(HtmlElements, TreeAttributesAndSizedBoxes) {
    auto doc = ParseHtml(LR"(<html><body id=b bgcolor="#FEFEFE"><div class="panel"><p>x <span>y</span></p>
<a id="btn" class="button" disabled href="app://press" style="width:80px; height: 30px;
 background-image:url( 'img/button.png' ); background-position:-80px 0"></a></div></p><i>z</i></body></html>)");
    ASSERT_GE(doc.body, 0);
    const auto& body = doc.elements[size_t(doc.body)];
    EXPECT_EQ(body.style.backgroundColor, 0xFEFEFEu);
    EXPECT_EQ(*body.Attribute(L"id"), L"b");
    // Parents, depths and the stray </p>, which closes nothing.
    auto find = [&](std::wstring_view tag) {
        for (size_t i = 0; i < doc.elements.size(); ++i)
            if (doc.elements[i].tag == tag)
                return static_cast<int>(i);
        return -1;
    };
    int div = find(L"div"), span = find(L"span"), a = find(L"a"), i = find(L"i");
    ASSERT_TRUE(div >= 0 && span >= 0 && a >= 0 && i >= 0);
    EXPECT_EQ(doc.elements[size_t(span)].parent, find(L"p"));
    EXPECT_EQ(doc.elements[size_t(a)].parent, div);
    EXPECT_EQ(doc.elements[size_t(i)].parent, doc.body);
    EXPECT_EQ(doc.elements[size_t(a)].depth, doc.elements[size_t(div)].depth + 1);
    // The sprite button: a sized box with its link, no address drawn as its text.
    const auto& button = doc.elements[size_t(a)];
    EXPECT_TRUE(button.sizedBox);
    EXPECT_EQ(*button.Attribute(L"class"), L"button");
    EXPECT_NE(button.Attribute(L"disabled"), nullptr);
    EXPECT_EQ(button.style.backgroundImage, L"img/button.png");
    EXPECT_EQ(button.style.backgroundX, -80);
    EXPECT_EQ(button.style.width, 80);
    EXPECT_EQ(button.style.height, 30);
    ASSERT_EQ(doc.links.size(), 1u);
    EXPECT_EQ(doc.links[0].element, a);
    EXPECT_EQ(button.link, 0);
    EXPECT_EQ(VisibleText(doc).find(L"app:"), std::wstring::npos);
    ResolveDocumentUrls(doc, L"http://h/ovn/client/index.html?cid=4224");
    EXPECT_EQ(doc.elements[size_t(a)].style.backgroundImage, L"http://h/ovn/client/img/button.png");
    // A page without a body still has one.
    EXPECT_GE(ParseHtml(L"just text").body, 0);
}

TEST(HtmlElements, StyleValues) {
    EXPECT_EQ(ParseCssColor(L"#fff"), 0xFFFFFFu);
    EXPECT_EQ(ParseCssColor(L" #F2E6C8 "), 0xF2E6C8u);
    EXPECT_EQ(ParseCssColor(L"White"), 0xFFFFFFu);
    EXPECT_FALSE(ParseCssColor(L"#12345"));
    EXPECT_FALSE(ParseCssColor(L"#ggg"));
    EXPECT_FALSE(ParseCssColor(L"rgb(1,2,3)"));
    auto s = ParseInlineStyle(L"background: #123456 url(\"a b.png\") -160px 4px no-repeat; width:12.5px; height:em");
    EXPECT_EQ(s.backgroundColor, 0x123456u);
    EXPECT_EQ(s.backgroundImage, L"a b.png");
    EXPECT_EQ(s.backgroundX, -160);
    EXPECT_EQ(s.backgroundY, 4);
    EXPECT_EQ(s.width, 12);
    EXPECT_FALSE(s.height);
    // The shorthand with a url() replaces the colour and position set before it;
    // without one it adds to them. The first url() is the picture, the others are cut out.
    auto r = ParseInlineStyle(L"background-color:red; background-position: 7px 8px; background: url(a.png)");
    EXPECT_EQ(r.backgroundImage, L"a.png");
    EXPECT_FALSE(r.backgroundColor);
    EXPECT_EQ(r.backgroundX, 0);
    auto a = ParseInlineStyle(L"background-color:red; background: 5px");
    EXPECT_EQ(a.backgroundColor, 0xFF0000u);
    EXPECT_EQ(a.backgroundX, 5);
    auto m = ParseInlineStyle(L"background: URL(a) #fff url(b)3px 4px");
    EXPECT_EQ(m.backgroundImage, L"a");
    EXPECT_EQ(m.backgroundColor, 0xFFFFFFu);
    EXPECT_EQ(m.backgroundX, 3);
    EXPECT_EQ(m.backgroundY, 4);
    EXPECT_TRUE(ParseInlineStyle(L"background: url(a 2px").backgroundImage.empty());
    // A page can repeat url() without end: read in one pass, not one level of
    // the stack per url().
    std::wstring many = L"background:";
    for (int i = 0; i < 100000; ++i)
        many += L"url(x)";
    auto big = ParseInlineStyle(many + L" 9px");
    EXPECT_EQ(big.backgroundImage, L"x");
    EXPECT_EQ(big.backgroundX, 9);
    auto k = ParseInlineStyle(L"background-position: left top; background-image: none;;color:red");
    EXPECT_EQ(k.backgroundX, 0);
    EXPECT_TRUE(k.backgroundImage.empty());
    // Inline elements only: a sized div is a block, not a box.
    auto doc = ParseHtml(L"<body><div style='width:5px;height:5px'>d</div><span style='width:5px'>s</span></body>");
    for (const auto& e : doc.elements)
        EXPECT_FALSE(e.sizedBox) << std::string(e.tag.begin(), e.tag.end());
}

TEST(HtmlElements, PositionPaddingMarginAndColour) {
    auto s = ParseInlineStyle(L"position: Absolute; left:588px; top:-4px; padding:14px 16px; margin:0 0 6px;"
                              L"color:#F0C878; padding-left:2px");
    EXPECT_TRUE(s.absolute);
    EXPECT_EQ(s.left, 588);
    EXPECT_EQ(s.top, -4);
    EXPECT_EQ(s.padding.top, 14);
    EXPECT_EQ(s.padding.right, 16);
    EXPECT_EQ(s.padding.bottom, 14);
    EXPECT_EQ(s.padding.left, 2);
    EXPECT_EQ(s.marginTop, 0);
    EXPECT_EQ(s.marginBottom, 6);
    EXPECT_EQ(s.color, 0xF0C878u);
    auto t = ParseInlineStyle(L"position:relative; padding:1px 2px 3px 4px; padding-top:-5px; margin:auto 1em");
    EXPECT_FALSE(t.absolute);
    EXPECT_EQ(t.padding.top, 0);  // no negative padding
    EXPECT_EQ(t.padding.right, 2);
    EXPECT_EQ(t.padding.bottom, 3);
    EXPECT_EQ(t.padding.left, 4);
    EXPECT_EQ(t.marginTop, 0);
}

TEST(HtmlElements, BlocksKnowTheirPositionedBoxAndTheGapAboveThem) {
    auto doc = ParseHtml(LR"(<body><p style="margin-bottom:10px">a</p><p style="margin-top:4px;margin-bottom:9px">b</p>
<div id=box style="position:absolute;left:5px;top:6px;margin:30px"><p style="margin-top:7px">c</p>
<div id=inner style="position:absolute"><p>d</p></div><p>e <span id=f style="position:absolute">f</span></p></div>
<p>g</p></body>)");
    auto find = [&](std::wstring_view id) {
        for (size_t i = 0; i < doc.elements.size(); ++i)
            if (const auto* v = doc.elements[i].Attribute(L"id"); v && *v == id)
                return static_cast<int>(i);
        return -1;
    };
    const int box = find(L"box"), inner = find(L"inner");
    ASSERT_EQ(doc.blocks.size(), 6u);  // a, b, c, d, "e f" and g
    auto text = [&](size_t i) {
        std::wstring t;
        for (const auto& r : doc.blocks[i].runs)
            t += r.text;
        return t;
    };
    EXPECT_EQ(text(0), L"a");
    EXPECT_EQ(doc.blocks[0].container, -1);
    // Adjacent margins collapse to the larger one.
    EXPECT_EQ(doc.blocks[1].gapBefore, 10);
    // A positioned box's content starts afresh; its own margin is not a gap.
    EXPECT_EQ(doc.blocks[2].container, box);
    EXPECT_EQ(doc.blocks[2].gapBefore, 7);
    EXPECT_EQ(doc.blocks[3].container, inner);
    // An inline element is not positioned: its text stays in the box's flow.
    EXPECT_EQ(text(4), L"e f");
    EXPECT_EQ(doc.blocks[4].container, box);
    EXPECT_FALSE(IsPositioned(doc, find(L"f")));
    // After the box, the flow again, with the gap from before it.
    EXPECT_EQ(text(5), L"g");
    EXPECT_EQ(doc.blocks[5].container, -1);
    EXPECT_EQ(doc.blocks[5].gapBefore, 9);
    EXPECT_EQ(PositionedAncestor(doc, inner, false), box);
    EXPECT_EQ(PositionedAncestor(doc, inner, true), inner);
    EXPECT_EQ(PositionedAncestor(doc, box, false), -1);
}
