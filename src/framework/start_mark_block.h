// The start-up timeline's shared block: a fixed table that the processes of one
// launcher append their start-up marks to and that a measuring program reads.
// Platform-free so that both sides, and their tests, share one layout and one
// set of bounds; the block's contents come from other processes and are checked
// before use.
#pragma once
#include <cstdint>
#include <vector>

namespace fw {

// The moments of the start-up, in the order a start normally passes them.
enum class StartMark : std::int32_t {
    ProcessStart,      // the process was created (the system's creation time)
    AppStart,          // its entry point ran
    AppReady,          // the start-up is done and the role's work begins
    LauncherWindow,    // the launcher window exists
    Skins,             // the launcher window's skin is loaded (once the login is shown)
    PageProcessStart,  // the launcher has started the page process
    Artwork,           // the login artwork is on the screen
    LoginFetched,      // the login page's HTML has arrived
    LoginLaidOut,      // ... and is laid out
    LoginShown,        // ... and its window is visible
    LoginPainted,      // ... and painted for the first time
    GameChosen,        // a click on the login page chose a game
    AdoptionAsked,     // the game page's frame asked the launcher to adopt it
    PageAdopted,       // the launcher adopted it as its first tab and showed it
    FirstTabPainted,   // the launcher painted itself with its first page adopted
    Count
};

// The name a timeline is read by (for tables and logs).
const char* StartMarkName(StartMark mark);

struct StartMarkEntry {
    std::uint32_t pid;
    std::int32_t mark;
    std::int64_t ticks;  // performance-counter ticks
};

// As it lies in shared memory. used counts the slots taken, and may run past
// the table's end when more marks came than fit: those are dropped.
struct StartMarkBlock {
    static constexpr std::uint32_t kMagic = 0x4B4D5453;  // "STMK"
    static constexpr int kCapacity = 126;
    std::uint32_t magic;
    volatile std::int32_t used;
    std::int64_t ticksPerSecond;
    StartMarkEntry entries[kCapacity];
};

// Where a new mark goes in a block whose counter was just advanced to taken:
// its slot, or -1 when the table is full.
int StartMarkSlot(std::int32_t taken);

// One process's first time at each mark, as read from a block.
struct ProcessMarks {
    std::uint32_t pid = 0;
    std::int64_t ticks[static_cast<int>(StartMark::Count)] = {};
    bool seen[static_cast<int>(StartMark::Count)] = {};
};

// The marks in a block, grouped by process in the order each first appeared;
// of a mark recorded more than once by one process the earliest counts. Entries
// naming no known mark, and a block without the magic, are ignored.
std::vector<ProcessMarks> ReadStartMarks(const StartMarkBlock& block);

}  // namespace fw
