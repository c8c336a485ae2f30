// The program's entry in the system's list of installed programs, where Windows
// users look for a program to find or remove it (app/programs_entry_rules.h
// holds its values). Written at installation and after an update, which may
// change its version and size; removed with the installation. Needs an
// administrator's rights, as the rest of installing does.
#pragma once
#include <string>

namespace ovn {

// Writes (or rewrites) the entry for the installed program exePath. False,
// logged, when the key cannot be written.
bool WriteProgramsEntry(const std::wstring& exePath);
// Deletes the entry; true when it is gone (or was never there).
bool RemoveProgramsEntry();

}  // namespace ovn
