// A downloaded program as it is held from its download to its start or swap:
// nobody writes it while it is held, it still moves into place, and every check
// reads the bytes held, whatever the path names by then.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "downloads/downloaded_program.h"
#include "downloads/md5_file.h"
#include "downloads/program_image.h"
#include "process/process.h"
#include "temp_file.h"

using ovn::downloads::DownloadedProgram;

namespace {

using wintest::TempFile;

bool WriteText(const std::wstring& path, const char* text) {
    fw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), text, static_cast<DWORD>(strlen(text)), &written, nullptr);
}

// How a writer fares: 0 when it could open the file, else the error.
DWORD WriterRefusal(const std::wstring& path) {
    fw::FileHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    return writer ? 0 : GetLastError();
}

constexpr std::uint16_t kThisMachine = sizeof(void*) == 8 ? ovn::downloads::kMachineAmd64
                                                          : ovn::downloads::kMachineI386;

class HeldProgram : public ::testing::Test {
protected:
    void SetUp() override {
        program = TempFile(L"ovn_held_program.exe");
        place = TempFile(L"ovn_held_place.exe");
        aside = TempFile(L"ovn_held_aside.exe");
        // This test program serves as the download: a whole program of this machine.
        ASSERT_TRUE(CopyFileW(ovn::ExecutablePath().c_str(), program.c_str(), FALSE));
        ASSERT_TRUE(WriteText(place, "the running copy"));
    }
    void TearDown() override {
        for (const std::wstring& path : {program, place, aside})
            DeleteFileW(path.c_str());
    }
    std::wstring program, place, aside;
};

TEST_F(HeldProgram, AWriterIsRefusedWhileItIsHeldAndItStillMovesIntoPlace) {
    const auto digest = ovn::downloads::Md5OfFile(program);
    ASSERT_TRUE(digest);
    {
        DownloadedProgram held = DownloadedProgram::Hold(program);
        ASSERT_TRUE(held);
        EXPECT_EQ(WriterRefusal(program), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(held.Machine(), kThisMachine);
        EXPECT_EQ(held.Md5(), digest);

        ASSERT_TRUE(held.TakePlaceOf(place, aside));
        EXPECT_EQ(held.Path(), place);
        EXPECT_EQ(GetFileAttributesW(program.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(ovn::downloads::Md5OfFile(place), digest);
        EXPECT_NE(ovn::downloads::Md5OfFile(aside), digest) << "the running copy was not moved aside";
        // Held through the rename: still nobody writes it.
        EXPECT_EQ(WriterRefusal(place), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

        // With nothing to move aside, nothing moves.
        EXPECT_FALSE(held.TakePlaceOf(TempFile(L"ovn_held_missing.exe"), program));
        EXPECT_EQ(held.Path(), place);
    }
    EXPECT_EQ(WriterRefusal(place), 0u) << "let go, it is an ordinary file again";
}

TEST_F(HeldProgram, TheChecksReadWhatIsHeldNotWhatThePathNamesLater) {
    const std::wstring page = TempFile(L"ovn_held_page.exe");
    ASSERT_TRUE(WriteText(page, "<html>an error page</html>"));
    const auto pageDigest = ovn::downloads::Md5OfFile(page);
    DownloadedProgram held = DownloadedProgram::Hold(page);
    ASSERT_TRUE(held);
    EXPECT_FALSE(held.Machine());
    // A program is put where the held page was: the held bytes are still the page's.
    const std::wstring moved = TempFile(L"ovn_held_page_moved.exe");
    ASSERT_TRUE(MoveFileExW(page.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING));
    ASSERT_TRUE(CopyFileW(program.c_str(), page.c_str(), FALSE));
    EXPECT_FALSE(held.Machine());
    EXPECT_EQ(held.Md5(), pageDigest);
    // Nor does what the path names now take the running copy's place.
    const auto runningCopy = ovn::downloads::Md5OfFile(place);
    EXPECT_FALSE(held.TakePlaceOf(place, aside));
    EXPECT_EQ(ovn::downloads::Md5OfFile(place), runningCopy) << "the running copy is gone";
    held.Discard();
    DeleteFileW(moved.c_str());
    EXPECT_FALSE(held);
    DeleteFileW(page.c_str());
}

TEST_F(HeldProgram, WhatWasWrittenIsHeldOnlyWhenThePathStillHoldsIt) {
    auto written = [](const std::wstring& path) {
        return fw::FileHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    };
    DownloadedProgram same = DownloadedProgram::FromWritten(written(program), program);
    ASSERT_TRUE(same);
    EXPECT_EQ(same.Machine(), kThisMachine);
    EXPECT_EQ(WriterRefusal(program), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // Written through one file while the path names another: somebody swapped it.
    EXPECT_FALSE(DownloadedProgram::FromWritten(written(place), program));
}

}  // namespace
