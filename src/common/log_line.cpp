#include "common/log_line.h"

#include "common/text.h"

namespace ovn::log {

namespace {

constexpr std::wstring_view kCut = L"...";
constexpr std::wstring_view kEnd = L"\r\n";

bool Breaks(wchar_t c) {
    // C0 and C1 controls, DEL and the Unicode line and paragraph separators.
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

bool Blank(wchar_t c) { return c == L' ' || Breaks(c); }


// Fills the body up to room for the line's end and the terminator. A body that
// fits is kept whole; one that does not is taken back to room for the cut mark.
class Writer {
public:
    Writer(wchar_t* out, std::size_t capacity)
        : m_out(out), m_room(capacity - kEnd.size() - 1), m_cutAt(m_room - kCut.size()) {}

    void Put(wchar_t c) {
        if (m_cut)
            return;
        if (m_pos == m_room) {
            m_cut = true;
            return;
        }
        m_out[m_pos++] = c;
    }
    void Put(std::wstring_view s) {
        for (wchar_t c : s)
            Put(c);
    }
    // A text of the caller or the system: any run of controls is one blank.
    void PutText(std::wstring_view s) {
        bool inBreak = false;
        for (wchar_t c : TrimWhere(s, Blank)) {
            if (Breaks(c)) {
                if (!inBreak)
                    Put(L' ');
                inBreak = true;
                continue;
            }
            inBreak = false;
            Put(c);
        }
    }
    void PutNumber(unsigned long value, unsigned base, int minDigits) {
        wchar_t digits[24];
        int n = 0;
        do {
            unsigned d = static_cast<unsigned>(value % base);
            digits[n++] = static_cast<wchar_t>(d < 10 ? L'0' + d : L'A' + d - 10);
            value /= base;
        } while (value != 0 || n < minDigits);
        while (n > 0)
            Put(digits[--n]);
    }

    std::size_t Finish() {
        if (m_cut) {
            m_pos = m_cutAt;
            // Half a surrogate pair would turn into a replacement character.
            if (m_pos > 0 && m_out[m_pos - 1] >= 0xD800 && m_out[m_pos - 1] <= 0xDBFF)
                --m_pos;
            for (wchar_t c : kCut)
                m_out[m_pos++] = c;
        }
        for (wchar_t c : kEnd)
            m_out[m_pos++] = c;
        m_out[m_pos] = L'\0';
        return m_pos;
    }

private:
    wchar_t* m_out;
    std::size_t m_room;   // the longest body that is not cut
    std::size_t m_cutAt;  // where a cut body ends, before its mark
    std::size_t m_pos = 0;
    bool m_cut = false;
};

}  // namespace

std::size_t FormatFailureLine(const FailureLine& line, wchar_t* out, std::size_t capacity) {
    if (!out || capacity == 0)
        return 0;
    if (capacity < 8) {
        out[0] = L'\0';
        return 0;
    }
    Writer w(out, capacity);
    w.PutNumber(line.time.hour, 10, 2);
    w.Put(L':');
    w.PutNumber(line.time.minute, 10, 2);
    w.Put(L':');
    w.PutNumber(line.time.second, 10, 2);
    w.Put(L'.');
    w.PutNumber(line.time.millisecond, 10, 3);
    w.Put(L" [");
    w.PutNumber(line.processId, 10, 1);
    if (!TrimWhere(line.role, Blank).empty()) {
        w.Put(L' ');
        w.PutText(line.role);
    }
    w.Put(L"] ");
    w.PutText(line.text);
    if (line.error != 0) {
        w.Put(L": error ");
        if (line.error & 0x80000000ul) {
            w.Put(L"0x");
            w.PutNumber(line.error, 16, 8);
        } else {
            w.PutNumber(line.error, 10, 1);
        }
        if (!TrimWhere(line.errorMessage, Blank).empty()) {
            w.Put(L": ");
            w.PutText(line.errorMessage);
        }
    }
    return w.Finish();
}

}  // namespace ovn::log
