// What the launcher tells the page and hall processes it starts: for any window
// handle and page count, and any program folder, the child reads back the role,
// the handle, the count and the token that were written. Input: 4 bytes of handle, 2 of page
// count, then the program's path.
#include "app/start_mode.h"
#include "common/protocol.h"
#include "fuzz_support.h"
#include "launcher/child_command.h"
#include "process/command_line.h"

namespace {

ovn::StartModeInfo RoundTrip(const std::wstring& program, const std::vector<std::wstring>& args) {
    const auto line = ovn::BuildChildCommandLine(program, args);
    if (!line)
        return {};
    const auto split = ovn::SplitCommandLine(*line);
    FUZZ_CHECK(!split.empty() && split[0] == program);
    return ovn::DetectStartMode(split, program, L"\\Quenra\\GameLogin\\");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto handle = static_cast<std::int32_t>(ovn::fuzz::TakeNumber(data, size, 4));
    const std::size_t pages = ovn::fuzz::TakeNumber(data, size, 2);
    std::wstring program = ovn::fuzz::Text(data, size);
    if (program.empty())
        program = L"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe";

    // Any token but 0 (which the launcher never gives), spread over all its digits.
    const ovn::PageToken token = (0x9e3779b97f4a7c15ULL * (static_cast<std::uint32_t>(handle) + 1ULL) ^ pages) | 1;
    if (ovn::BuildChildCommandLine(program, ovn::launcher::GamePageArguments(handle, pages, token))) {
        const ovn::StartModeInfo page = RoundTrip(program, ovn::launcher::GamePageArguments(handle, pages, token));
        FUZZ_CHECK(page.mode == ovn::ModeGamePage);
        FUZZ_CHECK(page.launcherWnd == handle);
        FUZZ_CHECK(page.pagesBefore == static_cast<std::int32_t>(pages));
        FUZZ_CHECK(page.pageToken == token);
    }
    if (ovn::BuildChildCommandLine(program, ovn::launcher::GameHallArguments(handle))) {
        const ovn::StartModeInfo hall = RoundTrip(program, ovn::launcher::GameHallArguments(handle));
        FUZZ_CHECK(hall.mode == ovn::ModeGameHall);
        FUZZ_CHECK(hall.launcherWnd == handle);
    }
    // And the update switch the menu's update starts its copy with.
    const std::vector<std::wstring> update = {std::wstring(ovn::kSwitchUpdate)};
    if (ovn::BuildChildCommandLine(program, update))
        FUZZ_CHECK(RoundTrip(program, update).mode == ovn::ModeUpdate);
    return 0;
}
