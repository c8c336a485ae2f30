#include "app/install_rules.h"

#include <algorithm>

#include "common/text.h"

namespace ovn {

std::array<std::uint8_t, 4> DisableDaysBytes(unsigned milliseconds) {
    // The first two draws of the runtime's generator, state 1, never seeded.
    constexpr std::uint32_t r1 = 41, r2 = 18467;
    const std::uint32_t ms = milliseconds;
    std::uint32_t c = (r1 + 7u - ms) % 7u;
    std::uint32_t e = (r2 + 7u - ms) % 7u;
    std::uint32_t d = ms % 7u;
    if (d == c)
        d = (d + 6) % 7;
    if (e == c)
        e = (e + 1) % 7;
    return {static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d), 0};
}

std::uint32_t NextCounterValue(std::wstring_view stored) {
    long long n = ReadLeadingInt(stored);
    if (n < 0)
        return 0;
    if (n >= 0xFFFFFFFFLL)
        return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(n + 1);
}

BatchTemplate ChooseBatchTemplate(int filesInFolder, bool isInstallFolder) {
    return isInstallFolder && filesInFolder == 1 ? BatchTemplate::WholeFolder : BatchTemplate::OnlyExecutable;
}

std::wstring RemovalClosingText(SelfDeletion how, std::wstring_view exePath) {
    switch (how) {
    case SelfDeletion::AfterExit:
        return L"QuenraOrvane已成功移除，部分文件将在程序退出\r\n或计算机重启后自行删除";
    case SelfDeletion::AtRestart:
        return L"QuenraOrvane已成功移除，程序文件将在计算机重启后自行删除";
    case SelfDeletion::Nothing:
        break;
    }
    return L"QuenraOrvane已成功移除，但程序文件未能删除，请手动删除：\r\n" + std::wstring(exePath);
}

bool IsBatchSafePath(std::string_view path) {
    if (path.empty())
        return false;
    return std::none_of(path.begin(), path.end(), [](char c) {
        return c == '%' || c == '?' || c == '*' || c == '"' || c == '\r' || c == '\n' || c == '\0';
    });
}

std::string_view FolderOfPath(std::string_view path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(0, slash);
}

std::optional<std::string> SelfDeleteBatchText(BatchTemplate which, std::string_view exePath,
                                               std::string_view batchPath) {
    if (!IsBatchSafePath(exePath) || !IsBatchSafePath(batchPath))
        return std::nullopt;
    const std::string exe(exePath), batch(batchPath), folder(FolderOfPath(exePath));
    // A folder of no backslash (a bare file name) would be the current folder.
    if (which == BatchTemplate::WholeFolder && folder == exe)
        return std::nullopt;
    std::string text = "cd\\\r\n:delexe\r\nping -n 1 127.0.0.1\r\ndel \"" + exe + "\"\r\nif exist \"" + exe +
                       "\" goto :delexe\r\n";
    if (which == BatchTemplate::WholeFolder)
        text += "del \"" + folder + "\" /Q /F /A\r\nrd \"" + folder + "\"\r\n";
    text += "del \"" + batch + "\"\r\n";
    if (text.size() > 2047)
        return std::nullopt;
    return text;
}

}  // namespace ovn
