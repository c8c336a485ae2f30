#include "downloads/downloaded_program.h"

#include <utility>
#include <vector>

#include "common/log.h"
#include "downloads/md5_file.h"
#include "downloads/program_image.h"
#include "process/process.h"
#include "trust/signature.h"

namespace ovn::downloads {

namespace {

std::optional<std::uint16_t> MachineOf(HANDLE file) {
    LARGE_INTEGER size{}, zero{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0 || !::SetFilePointerEx(file, zero, nullptr, FILE_BEGIN))
        return std::nullopt;
    std::vector<std::uint8_t> head(kProgramHeadBytes);
    DWORD got = 0;
    if (!::ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr))
        return std::nullopt;
    head.resize(got);
    return ProgramMachine(head, static_cast<std::uint64_t>(size.QuadPart));
}

// The same file: the same index on the same volume. Wine names no volume (0)
// for a handle whose file was renamed after it was opened; a rename never
// leaves its volume, so the index decides then.
bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    if (!::GetFileInformationByHandle(a, &x) || !::GetFileInformationByHandle(b, &y))
        return false;
    const bool sameVolume = x.dwVolumeSerialNumber == y.dwVolumeSerialNumber || x.dwVolumeSerialNumber == 0 ||
                            y.dwVolumeSerialNumber == 0;
    return sameVolume && x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

DownloadedProgram DownloadedProgram::Hold(const std::wstring& path) {
    DownloadedProgram program;
    program.m_file.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!program.m_file) {
        LogFailureF(::GetLastError(), L"%ls cannot be held", path.c_str());
        return {};
    }
    program.m_path = path;
    return program;
}

DownloadedProgram DownloadedProgram::FromWritten(fw::FileHandle written, const std::wstring& path) {
    const auto digest = Md5OfHandle(written.get());
    written.reset();
    DownloadedProgram held = Hold(path);
    if (!held)
        return {};
    if (!digest || held.Md5() != digest) {
        LogFailureF(0, L"%ls changed after its download", path.c_str());
        return {};
    }
    return held;
}

std::optional<std::wstring> DownloadedProgram::Md5() const {
    return m_file ? Md5OfHandle(m_file.get()) : std::nullopt;
}

std::optional<std::uint16_t> DownloadedProgram::Machine() const {
    return m_file ? MachineOf(m_file.get()) : std::nullopt;
}

bool DownloadedProgram::FromOurPublisher(const wchar_t* what) const {
    return m_file && trust::PublisherAllows(m_file.get(), m_path, what);
}

fw::FileHandle DownloadedProgram::Pin(const std::wstring& path) const {
    fw::FileHandle pin(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!pin || !m_file || !SameFile(pin.get(), m_file.get()))
        return {};
    return pin;
}

bool DownloadedProgram::Start() const {
    // The file is held shared for deletion, so somebody may have renamed it
    // and put another at its path since; the system starts what the path names.
    const fw::FileHandle pinned = Pin(m_path);
    if (!pinned) {
        LogFailureF(0, L"%ls is no longer the file checked; not started", m_path.c_str());
        return false;
    }
    return StartProgramWithArguments(m_path, {});
}

bool DownloadedProgram::TakePlaceOf(const std::wstring& program, const std::wstring& aside) {
    if (!m_file)
        return false;
    if (!::MoveFileExW(program.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        LogFailure(L"update: the running copy cannot be moved aside", ::GetLastError());
        return false;
    }
    // A rename moves whatever the path names by then: the file that arrives
    // must be the one held and checked, or the running copy goes back.
    const bool moved = ::MoveFileExW(m_path.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    const DWORD error = moved ? 0 : ::GetLastError();
    if (moved && Pin(program)) {
        m_path = program;
        return true;
    }
    if (!::MoveFileExW(aside.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING))
        LogFailure(L"update: the running copy could not be put back", ::GetLastError());
    if (moved)
        LogFailureF(0, L"update: %ls was no longer the package checked", m_path.c_str());
    else
        LogFailure(L"update: the new copy cannot take the program's place", error);
    return false;
}

void DownloadedProgram::Discard() {
    m_file.reset();
    if (!m_path.empty())
        DiscardDownload(std::exchange(m_path, {}));
}

void DiscardDownload(const std::wstring& path) {
    if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace ovn::downloads
