// Which character set a fetched page is written in: the byte-order mark, the
// server's Content-Type, or the page's own <meta>, in that order. The one home of
// these rules: the page parser reads a <meta http-equiv="content-type"> here too.
// Platform-free; the window converts with the code page named here.
#pragma once
#include <string>
#include <string_view>

namespace ovn::browser {

// Lower-case charset label, or empty when nothing says.
std::string DetectCharset(std::string_view contentType, std::string_view body);

// The charset a Content-Type value names ("text/html; charset=GBK"), lower case;
// empty when it names none. Spaces may stand around the "=", the label may be
// quoted, and a "charset" without "=" is passed over.
std::string CharsetFromContentType(std::wstring_view contentType);

// The Windows code page of a charset label; 0 for labels we do not know.
// UTF-16 gives 1200 (little end first) or 1201 (big end first).
unsigned CodePageForCharset(std::string_view label);

// Bytes of a byte-order mark at the start of body (0, 2 or 3).
size_t ByteOrderMarkLength(std::string_view body);

}  // namespace ovn::browser
