#include "tools/bench/timeline.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "framework/start_marks.h"

namespace bench {

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

namespace {

double PerMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    return perMs;
}

double TicksToMs(std::int64_t ticks) { return static_cast<double>(ticks) / PerMs(); }

std::wstring Ms(double v) {
    wchar_t buf[32];
    swprintf(buf, 32, L"%.1f", v);
    return buf;
}
std::wstring SignedMs(double v) {
    wchar_t buf[32];
    swprintf(buf, 32, L"%+.1f", v);
    return buf;
}
std::wstring Cell(double v) { return v < 0 ? std::wstring(L"-") : Ms(v); }

}  // namespace

double NowMs() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return TicksToMs(c.QuadPart);
}

MarkBlock::~MarkBlock() { Close(); }

void MarkBlock::Close() {
    if (m_view)
        UnmapViewOfFile(m_view);
    m_view = nullptr;
    m_mapping.reset();
}

void MarkBlock::Create(DWORD rootPid) {
    Close();
    m_mapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(fw::StartMarkBlock),
                                       fw::StartMarkBlockName(rootPid).c_str()));
    if (!m_mapping)
        return;
    m_view = static_cast<fw::StartMarkBlock*>(MapViewOfFile(m_mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!m_view)
        return;
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    m_view->ticksPerSecond = f.QuadPart;
    m_view->magic = fw::StartMarkBlock::kMagic;
}

std::vector<fw::ProcessMarks> MarkBlock::Read() const {
    if (!m_view)
        return {};
    // Read from a copy: the processes may still be writing.
    auto copy = std::make_unique<fw::StartMarkBlock>();
    CopyMemory(static_cast<void*>(copy.get()), m_view, sizeof(fw::StartMarkBlock));
    return fw::ReadStartMarks(*copy);
}

Timeline MakeTimeline(const std::vector<fw::ProcessMarks>& marks, DWORD launcherPid, DWORD pagePid, double t0Ms) {
    Timeline t;
    for (int m = 0; m < kMarks; ++m)
        t.launcher[m] = t.page[m] = -1;
    for (const auto& p : marks) {
        double* row = p.pid == launcherPid ? t.launcher : p.pid == pagePid ? t.page : nullptr;
        for (int m = 0; row && m < kMarks; ++m)
            if (p.seen[m])
                row[m] = TicksToMs(p.ticks[m]) - t0Ms;
    }
    return t;
}

// The median of one mark over the runs; -1 when no run recorded it.
static double MedianMark(const std::vector<Timeline>& runs, bool launcher, int mark) {
    std::vector<double> v;
    for (const auto& t : runs)
        if (double ms = launcher ? t.launcher[mark] : t.page[mark]; ms >= 0)
            v.push_back(ms);
    return v.empty() ? -1 : Median(v);
}

// Where the time to the login goes: each mark's median over the runs, in
// milliseconds from starting the first process, for Ovn and the fair floor.
void PrintTimeline(const std::vector<Timeline>& ovnTimes, const std::vector<Timeline>& floorTimes, double ovnLoginMs,
                   double floorLoginMs) {
    using fw::StartMark;
    static const std::pair<bool, StartMark> rows[] = {
        {true, StartMark::ProcessStart},       {true, StartMark::AppStart},      {true, StartMark::AppReady},
        {true, StartMark::LauncherWindow},     {true, StartMark::PageProcessStart},
        {false, StartMark::ProcessStart},      {false, StartMark::AppStart},     {false, StartMark::AppReady},
        {false, StartMark::Artwork},           {false, StartMark::LoginFetched}, {false, StartMark::LoginLaidOut},
        {false, StartMark::LoginShown},        {false, StartMark::LoginPainted}, {true, StartMark::Skins},
    };
    wprintf(L"\nStart-up timeline, ms from starting the first process (median of %zu runs; - not recorded)\n",
            ovnTimes.size());
    wprintf(L"%-36ls %8ls %8ls %10ls %8ls %8ls\n", L"mark", L"Ovn", L"step", L"floor", L"step", L"Ovn-floor");
    double lastOvn = 0, lastFloor = 0;
    for (const auto& [launcher, mark] : rows) {
        const int m = static_cast<int>(mark);
        const double ovn = MedianMark(ovnTimes, launcher, m), fl = MedianMark(floorTimes, launcher, m);
        const std::wstring name = std::wstring(launcher ? L"launcher: " : L"page: ") +
                                  std::wstring(fw::StartMarkName(mark), fw::StartMarkName(mark) + strlen(fw::StartMarkName(mark)));
        wprintf(L"%-36ls %8ls %8ls %10ls %8ls %8ls\n", name.c_str(), Cell(ovn).c_str(),
                Cell(ovn >= 0 ? ovn - lastOvn : -1).c_str(), Cell(fl).c_str(), Cell(fl >= 0 ? fl - lastFloor : -1).c_str(),
                ovn >= 0 && fl >= 0 ? SignedMs(ovn - fl).c_str() : L"-");
        if (ovn >= 0)
            lastOvn = ovn;
        if (fl >= 0)
            lastFloor = fl;
    }
    wprintf(L"%-36ls %8ls %8ls %10ls\n", L"login screen seen by the benchmark", Ms(ovnLoginMs).c_str(),
            L"", Ms(floorLoginMs).c_str());
}

void PrintClickTimeline(const std::vector<Timeline>& clickTimes, double tabSeenMs) {
    using fw::StartMark;
    static const std::pair<bool, StartMark> rows[] = {
        {false, StartMark::GameChosen},
        {false, StartMark::AdoptionAsked},
        {true, StartMark::PageAdopted},
        {true, StartMark::FirstTabPainted},
    };
    wprintf(L"\nClick on a server link to the tab, ms from the click (median of %zu runs)\n", clickTimes.size());
    wprintf(L"%-36ls %8ls %8ls\n", L"mark", L"Ovn", L"step");
    double last = 0;
    for (const auto& [launcher, mark] : rows) {
        const double ms = MedianMark(clickTimes, launcher, static_cast<int>(mark));
        const std::wstring name = std::wstring(launcher ? L"launcher: " : L"page: ") +
                                  std::wstring(fw::StartMarkName(mark), fw::StartMarkName(mark) + strlen(fw::StartMarkName(mark)));
        wprintf(L"%-36ls %8ls %8ls\n", name.c_str(), Cell(ms).c_str(), Cell(ms >= 0 ? ms - last : -1).c_str());
        if (ms >= 0)
            last = ms;
    }
    wprintf(L"%-36ls %8ls\n", L"tab seen by the benchmark", Ms(tabSeenMs).c_str());
}

}  // namespace bench
