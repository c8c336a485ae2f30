#include "process/command_line.h"

namespace ovn {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::wstring QuoteArgument(std::wstring_view arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring_view::npos)
        return std::wstring(arg);
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only in front of a quote: double them there.
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out.push_back(c);
    }
    // The closing quote follows: backslashes before it are doubled too.
    out.append(backslashes * 2, L'\\');
    out.push_back(L'"');
    return out;
}

std::optional<std::wstring> BuildChildCommandLine(std::wstring_view program, const std::vector<std::wstring>& args) {
    if (program.empty() || program.find_first_of(std::wstring_view(L"\"\0", 2)) != std::wstring_view::npos)
        return std::nullopt;
    std::wstring line = L"\"";
    line.append(program);
    line.push_back(L'"');
    for (const std::wstring& arg : args) {
        if (arg.find(L'\0') != std::wstring::npos)
            return std::nullopt;
        line.push_back(L' ');
        line += QuoteArgument(arg);
    }
    if (line.size() + 1 > kChildCommandLineMax)
        return std::nullopt;
    return line;
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
    std::vector<std::wstring> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    if (n == 0)
        return args;

    // The program: up to the closing quote, or up to the first blank.
    std::wstring program;
    if (line[0] == L'"') {
        for (i = 1; i < n && line[i] != L'"'; ++i)
            program.push_back(line[i]);
        if (i < n)
            ++i;  // the closing quote
    } else {
        for (; i < n && !IsBlank(line[i]); ++i)
            program.push_back(line[i]);
    }
    args.push_back(std::move(program));

    while (i < n && IsBlank(line[i]))
        ++i;
    while (i < n) {
        std::wstring arg;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(line[i]))) {
            wchar_t c = line[i];
            if (c == L'\\') {
                std::size_t run = 0;
                while (i < n && line[i] == L'\\') {
                    ++run;
                    ++i;
                }
                if (i < n && line[i] == L'"') {
                    // 2k backslashes + quote: k backslashes, the quote is syntax;
                    // 2k+1: k backslashes and a literal quote.
                    arg.append(run / 2, L'\\');
                    if (run % 2 == 1) {
                        arg.push_back(L'"');
                        ++i;
                    }
                } else {
                    arg.append(run, L'\\');
                }
                continue;
            }
            if (c == L'"') {
                // A run of quotes, counted together with an open quoted part:
                // every third quote is literal, and the part stays open only
                // when one is left over.
                std::size_t run = quoted ? 1 : 0;
                while (i < n && line[i] == L'"') {
                    ++run;
                    ++i;
                }
                arg.append(run / 3, L'"');
                quoted = (run % 3 == 1);
                continue;
            }
            arg.push_back(c);
            ++i;
        }
        args.push_back(std::move(arg));
        while (i < n && IsBlank(line[i]))
            ++i;
    }
    return args;
}

}  // namespace ovn
