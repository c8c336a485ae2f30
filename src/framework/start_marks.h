// Start-up marks for the benchmark's timeline. A measuring program makes a
// shared block named after the launcher's process id before letting it run;
// the launcher and the page processes it starts open that block once at
// start-up and append their marks to it. Without such a block (every normal
// run) the one open fails and every mark is a check of a null pointer.
#pragma once
#include <cstdint>
#include <string>

#include "framework/start_mark_block.h"

namespace fw {

// The block's name for the process tree whose launcher has process id rootPid.
std::wstring StartMarkBlockName(std::uint32_t rootPid);

// Notes the time the entry point ran; called first thing, it only reads the clock.
void NoteEntryPoint();

// Opens the block of the tree rooted at rootPid, if there is one, and records
// this process's creation and entry point in it. Once per process.
void OpenStartMarks(std::uint32_t rootPid);

// Records a mark now (nothing without a block).
void RecordStartMark(StartMark mark);

}  // namespace fw
