// Command lines: any text splits without harm, and what BuildChildCommandLine
// writes splits back into exactly the program and arguments it was given.
// Input: the program on the first line, one argument a line after it; the whole
// text is also split as a command line of its own and read as our start mode.
#include "app/start_mode.h"
#include "fuzz_support.h"
#include "process/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = ovn::fuzz::Text(data, size);
    const std::vector<std::wstring> split = ovn::SplitCommandLine(text);
    if (!split.empty()) {
        const ovn::StartModeInfo info =
            ovn::DetectStartMode(split, L"C:\\Tools\\Ovn.exe", L"\\Quenra\\GameLogin\\");
        if (info.mode != ovn::ModeGamePage && info.mode != ovn::ModeGameHall)
            FUZZ_CHECK(info.launcherWnd == 0 && info.pagesBefore == 0);
    }

    std::vector<std::wstring> args = ovn::fuzz::Fields(text, 16);
    const std::wstring program = args.front();
    args.erase(args.begin());
    for (const std::wstring& arg : args) {
        const std::wstring quoted = ovn::QuoteArgument(arg);
        if (arg.find(L'\0') == std::wstring::npos) {
            const auto back = ovn::SplitCommandLine(L"p " + quoted);
            FUZZ_CHECK(back.size() == 2 && back[1] == arg);
        }
    }
    if (const auto line = ovn::BuildChildCommandLine(program, args)) {
        FUZZ_CHECK(line->size() + 1 <= ovn::kChildCommandLineMax);
        std::vector<std::wstring> expected{program};
        expected.insert(expected.end(), args.begin(), args.end());
        FUZZ_CHECK(ovn::SplitCommandLine(*line) == expected);
    }
    return 0;
}
