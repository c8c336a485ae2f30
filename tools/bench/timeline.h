// The benchmark's start-up timeline: the shared block a measured program's
// processes record their marks in, each run's marks as times from the start,
// and the table of their medians.
#pragma once
#include <windows.h>

#include <vector>

#include "framework/handles.h"
#include "framework/start_mark_block.h"

namespace bench {

double Median(std::vector<double> v);

// The performance counter now, in milliseconds: the clock of the marks too.
double NowMs();

// The block of one process tree, made (named after its first process) while
// that process is still suspended; unmapped with this object.
class MarkBlock {
public:
    MarkBlock() = default;
    ~MarkBlock();
    MarkBlock(const MarkBlock&) = delete;
    MarkBlock& operator=(const MarkBlock&) = delete;

    void Create(DWORD rootPid);
    std::vector<fw::ProcessMarks> Read() const;

private:
    void Close();
    fw::Handle m_mapping;
    fw::StartMarkBlock* m_view = nullptr;
};

constexpr int kMarks = static_cast<int>(fw::StartMark::Count);

// Each mark of the launcher (or process A) and of the process that showed the
// login, in milliseconds after the first process was started; -1 where none came.
struct Timeline {
    double launcher[kMarks];
    double page[kMarks];
};

Timeline MakeTimeline(const std::vector<fw::ProcessMarks>& marks, DWORD launcherPid, DWORD pagePid, double t0Ms);

// Prints each mark's median over the runs, Ovn beside the fair floor.
void PrintTimeline(const std::vector<Timeline>& ovnTimes, const std::vector<Timeline>& floorTimes, double ovnLoginMs,
                   double floorLoginMs);

// Prints where the time from a click on a server link to the adopted tab goes:
// each mark's median over the runs, in milliseconds from the click.
void PrintClickTimeline(const std::vector<Timeline>& clickTimes, double tabSeenMs);

}  // namespace bench
