// Reading a file's code signature with the system's verifier, and the check
// that a program we are about to install or start comes from our publisher.
#pragma once
#include <windows.h>

#include <string>

#include "trust/publisher_rules.h"

namespace ovn::trust {

// The signature of the file open as file (read through that handle, so the
// bytes checked are the bytes held) at path. The system verifies it offline,
// without asking the player anything: the chain up to a trusted root, the
// digest of the image, and revocation only as far as its caches know.
Signature ReadSignature(HANDLE file, const std::wstring& path);

// This program's own signature, read once.
const Signature& RunningCopySignature();

// Whether the program open as file may be installed or started by this copy
// (what: "update", "game download", for the log). A refusal is logged with its
// reason; so is, once per process, that an unsigned copy pins nothing.
bool PublisherAllows(HANDLE file, const std::wstring& path, const wchar_t* what);

}  // namespace ovn::trust
