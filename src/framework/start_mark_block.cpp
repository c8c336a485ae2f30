#include "framework/start_mark_block.h"

#include <algorithm>

namespace fw {

const char* StartMarkName(StartMark mark) {
    switch (mark) {
    case StartMark::ProcessStart: return "process start";
    case StartMark::AppStart: return "entry point";
    case StartMark::AppReady: return "start-up done";
    case StartMark::LauncherWindow: return "launcher window";
    case StartMark::Skins: return "skins loaded";
    case StartMark::PageProcessStart: return "page process started";
    case StartMark::Artwork: return "artwork shown";
    case StartMark::LoginFetched: return "login page fetched";
    case StartMark::LoginLaidOut: return "login page laid out";
    case StartMark::LoginShown: return "login page shown";
    case StartMark::LoginPainted: return "login page painted";
    case StartMark::GameChosen: return "game chosen";
    case StartMark::AdoptionAsked: return "adoption asked";
    case StartMark::PageAdopted: return "page adopted";
    case StartMark::FirstTabPainted: return "first tab painted";
    case StartMark::Count: break;
    }
    return "?";
}

int StartMarkSlot(std::int32_t taken) {
    return taken >= 1 && taken <= StartMarkBlock::kCapacity ? taken - 1 : -1;
}

std::vector<ProcessMarks> ReadStartMarks(const StartMarkBlock& block) {
    std::vector<ProcessMarks> out;
    if (block.magic != StartMarkBlock::kMagic)
        return out;
    const int used = std::clamp(static_cast<int>(block.used), 0, StartMarkBlock::kCapacity);
    for (int i = 0; i < used; ++i) {
        const StartMarkEntry& e = block.entries[i];
        if (e.mark < 0 || e.mark >= static_cast<int>(StartMark::Count) || e.pid == 0)
            continue;
        auto it = std::find_if(out.begin(), out.end(), [&](const ProcessMarks& p) { return p.pid == e.pid; });
        if (it == out.end()) {
            out.push_back(ProcessMarks{});
            it = out.end() - 1;
            it->pid = e.pid;
        }
        if (!it->seen[e.mark] || e.ticks < it->ticks[e.mark]) {
            it->seen[e.mark] = true;
            it->ticks[e.mark] = e.ticks;
        }
    }
    return out;
}

}  // namespace fw
