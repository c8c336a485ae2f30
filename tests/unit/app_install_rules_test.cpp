#include "app/install_rules.h"
#include "app/programs_entry_rules.h"

#include <cstring>
#include <map>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

using namespace ovn;

TEST(DisableDaysBytes, FromTheMillisecondsOfTheInstall) {
    using Bytes = std::array<std::uint8_t, 4>;
    EXPECT_EQ(DisableDaysBytes(0), (Bytes{1, 6, 0, 0}));
    EXPECT_EQ(DisableDaysBytes(500), (Bytes{5, 0, 3, 0}));
    EXPECT_EQ(DisableDaysBytes(48), (Bytes{2, 0, 6, 0}));
    // Neither d nor e ever equals c, whatever the milliseconds.
    for (unsigned ms = 0; ms < 1000; ++ms) {
        Bytes b = DisableDaysBytes(ms);
        EXPECT_NE(b[0], b[1]) << ms;
        EXPECT_NE(b[2], b[1]) << ms;
        EXPECT_LT(b[0], 7);
        EXPECT_LT(b[1], 7);
        EXPECT_LT(b[2], 7);
        EXPECT_EQ(b[3], 0);
    }
}

TEST(NextCounterValue, ReadsMalformedValuesSafely) {
    EXPECT_EQ(NextCounterValue(L"0"), 1u);
    EXPECT_EQ(NextCounterValue(L"41"), 42u);
    EXPECT_EQ(NextCounterValue(L""), 1u);
    EXPECT_EQ(NextCounterValue(L"abc"), 1u);
    EXPECT_EQ(NextCounterValue(L"  7z"), 8u);
    EXPECT_EQ(NextCounterValue(L"+5"), 6u);
    EXPECT_EQ(NextCounterValue(L"-1"), 0u);
    // A negative count starts from 0 rather than wrapping to four billion.
    EXPECT_EQ(NextCounterValue(L"-5"), 0u);
    EXPECT_EQ(NextCounterValue(L"4294967294"), 4294967295u);
    EXPECT_EQ(NextCounterValue(L"4294967295"), 4294967295u);
    EXPECT_EQ(NextCounterValue(L"99999999999999999999999"), 4294967295u);
}

TEST(SelfDeleteBatch, TemplatesAndTheirChoice) {
    // The whole folder only when it is the installation folder holding nothing
    // but the executable.
    EXPECT_EQ(ChooseBatchTemplate(1, true), BatchTemplate::WholeFolder);
    EXPECT_EQ(ChooseBatchTemplate(2, true), BatchTemplate::OnlyExecutable);
    // A folder that could not be listed may hold anything.
    EXPECT_EQ(ChooseBatchTemplate(-1, true), BatchTemplate::OnlyExecutable);
    EXPECT_EQ(ChooseBatchTemplate(0, true), BatchTemplate::OnlyExecutable);
    // A download folder or a desktop is never emptied, alone as the program may be there.
    EXPECT_EQ(ChooseBatchTemplate(1, false), BatchTemplate::OnlyExecutable);
    EXPECT_EQ(ChooseBatchTemplate(-1, false), BatchTemplate::OnlyExecutable);
    const char exe[] = "C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe";
    const char bat[] = "C:\\Temp\\DelA1B2.tmp.bat";
    EXPECT_EQ(*SelfDeleteBatchText(BatchTemplate::OnlyExecutable, exe, bat),
              "cd\\\r\n:delexe\r\nping -n 1 127.0.0.1\r\n"
              "del \"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe\"\r\n"
              "if exist \"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe\" goto :delexe\r\n"
              "del \"C:\\Temp\\DelA1B2.tmp.bat\"\r\n");
    EXPECT_EQ(*SelfDeleteBatchText(BatchTemplate::WholeFolder, exe, bat),
              "cd\\\r\n:delexe\r\nping -n 1 127.0.0.1\r\n"
              "del \"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe\"\r\n"
              "if exist \"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe\" goto :delexe\r\n"
              "del \"C:\\ProgramData\\Quenra\\GameLogin\" /Q /F /A\r\n"
              "rd \"C:\\ProgramData\\Quenra\\GameLogin\"\r\n"
              "del \"C:\\Temp\\DelA1B2.tmp.bat\"\r\n");
}

TEST(SelfDeleteBatch, RefusesPathsCmdWouldReadOtherwise) {
    const char bat[] = "C:\\Temp\\D.bat";
    // What a path the code page cannot hold comes back as: a wildcard.
    EXPECT_FALSE(SelfDeleteBatchText(BatchTemplate::OnlyExecutable, "C:\\Games\\??\\Ovn.exe", bat));
    EXPECT_FALSE(SelfDeleteBatchText(BatchTemplate::WholeFolder, "C:\\Games\\??\\Ovn.exe", bat));
    EXPECT_FALSE(SelfDeleteBatchText(BatchTemplate::OnlyExecutable, "C:\\%TEMP%\\Ovn.exe", bat));
    EXPECT_FALSE(SelfDeleteBatchText(BatchTemplate::OnlyExecutable, "C:\\a*\\Ovn.exe", bat));
    EXPECT_FALSE(SelfDeleteBatchText(BatchTemplate::OnlyExecutable, "", bat));
    EXPECT_FALSE(SelfDeleteBatchText(BatchTemplate::OnlyExecutable, "C:\\G\\Ovn.exe", "C:\\T\\%x%.bat"));
    // A bare file name has no folder of its own to empty.
    EXPECT_FALSE(SelfDeleteBatchText(BatchTemplate::WholeFolder, "Ovn.exe", bat));
    EXPECT_TRUE(SelfDeleteBatchText(BatchTemplate::OnlyExecutable, "C:\\Game & Co\\Ovn (2).exe", bat));
    // The text stays within its 2047 characters.
    std::string longPath = "C:\\" + std::string(600, 'a') + "\\Ovn.exe";
    EXPECT_FALSE(SelfDeleteBatchText(BatchTemplate::WholeFolder, longPath, bat));
}

TEST(SelfDeleteBatch, ClosingMessagePromisesOnlyWhatWasArranged) {
    EXPECT_EQ(RemovalClosingText(SelfDeletion::AfterExit, L"C:\\G\\Ovn.exe"),
              L"QuenraOrvane已成功移除，部分文件将在程序退出\r\n或计算机重启后自行删除");
    EXPECT_EQ(RemovalClosingText(SelfDeletion::AtRestart, L"C:\\G\\Ovn.exe"),
              L"QuenraOrvane已成功移除，程序文件将在计算机重启后自行删除");
    // Nothing arranged: no promise, and the player learns which file stays.
    const std::wstring none = RemovalClosingText(SelfDeletion::Nothing, L"C:\\50%\\Ovn.exe");
    EXPECT_EQ(none.find(L"自行删除"), std::wstring::npos);
    EXPECT_NE(none.find(L"C:\\50%\\Ovn.exe"), std::wstring::npos);
}

TEST(ProgramsEntry, NamesThePlayersProgramAndHowToRemoveIt) {
    const auto values = ovn::ProgramsEntry(L"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe",
                                           L"C:\\ProgramData\\Quenra\\GameLogin", L"3.0.0.1", 2049);
    std::map<std::wstring, std::variant<std::wstring, std::uint32_t>> entry;
    for (const auto& v : values)
        entry[v.name] = v.data;
    using Text = std::wstring;
    EXPECT_EQ(std::get<Text>(entry.at(L"DisplayName")), L"QuenraOrvane极速登录器");
    EXPECT_EQ(std::get<Text>(entry.at(L"DisplayVersion")), L"3.0.0.1");
    EXPECT_EQ(std::get<Text>(entry.at(L"Publisher")), L"Quenra");
    EXPECT_EQ(std::get<Text>(entry.at(L"DisplayIcon")), L"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe,0");
    EXPECT_EQ(std::get<Text>(entry.at(L"InstallLocation")), L"C:\\ProgramData\\Quenra\\GameLogin");
    EXPECT_EQ(std::get<Text>(entry.at(L"UninstallString")), L"\"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe\" /uninst");
    EXPECT_EQ(std::get<std::uint32_t>(entry.at(L"NoModify")), 1u);
    EXPECT_EQ(std::get<std::uint32_t>(entry.at(L"NoRepair")), 1u);
    EXPECT_EQ(std::get<std::uint32_t>(entry.at(L"EstimatedSize")), 3u);  // kilobytes, rounded up
    EXPECT_EQ(entry.size(), 9u);
    auto size = [](std::uint64_t bytes) {
        for (const auto& v : ovn::ProgramsEntry(L"C:\\a\\b.exe", L"C:\\a", L"1", bytes))
            if (v.name == L"EstimatedSize")
                return std::get<std::uint32_t>(v.data);
        return 0xDEADu;
    };
    EXPECT_EQ(size(0), 0u);
    EXPECT_EQ(size(1024), 1u);
    EXPECT_EQ(size(1025), 2u);
}

TEST(ProgramsEntry, VersionFromTheFixedFileInformation) {
    // A version resource's start: its header and key, then VS_FIXEDFILEINFO.
    std::vector<std::uint8_t> block(40, 0);
    const std::uint32_t fixed[] = {0xFEEF04BD, 0x00010000, (3u << 16) | 0, (12u << 16) | 1};
    std::memcpy(block.data() + 20, fixed, sizeof fixed);
    block.resize(block.size() + 64, 0);
    EXPECT_EQ(ovn::FixedFileVersion(block.data(), block.size()), std::wstring(L"3.0.12.1"));
    // Cut before its version words, or no signature at all: none.
    EXPECT_EQ(ovn::FixedFileVersion(block.data(), 30), std::nullopt);
    std::vector<std::uint8_t> none(128, 0xBD);
    EXPECT_EQ(ovn::FixedFileVersion(none.data(), none.size()), std::nullopt);
    EXPECT_EQ(ovn::FixedFileVersion(nullptr, 0), std::nullopt);
}
