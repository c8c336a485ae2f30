// Redirecting a process's calls of a few system functions to wrappers of our
// own, without an interception library: the import entries of every module of
// the process that hold a function's address are rewritten to the wrapper's,
// modules loaded later included (the loader's entry points are redirected too,
// and every load rewrites the modules it brought), and an address asked for by
// name is answered with the wrapper. Also the one-slot patch of a COM method
// table. Win32 glue, kept small: the wrappers and what they do live with their
// users.
#pragma once
#include <windows.h>

#include <cstddef>

namespace ovn::sound {

// One function to redirect: where it lives, and the wrapper. The real address is
// looked up when the module is loaded (now or later) and kept in *real, where
// the wrapper finds it.
struct ImportRedirect {
    const wchar_t* module;
    const char* function;
    void* wrapper;
    void** real;
};

// Starts redirecting the functions of the list (which must outlive the
// redirection) in every module of the process, now and as modules are loaded.
// False when a redirection is already running.
bool StartImportRedirects(const ImportRedirect* list, std::size_t count);
// Puts every import entry that holds a wrapper back to the real function.
void StopImportRedirects();
// Import entries now holding a wrapper of the running list, in all modules.
std::size_t CountRedirectedImports();

// Writes value into a method-table slot (made writable for the moment) and
// returns what it held.
void* PatchMethodSlot(void** slot, void* value);

}  // namespace ovn::sound
