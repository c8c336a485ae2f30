// The rights of the installation folder and its settings file (app/rights_rules.h
// says which), and whether this process may write a folder.
#pragma once
#include <string>

namespace ovn {

// Gives the folder its protected DACL and the Administrators as owner, and
// Statistic.ini inside it (made empty when missing) the players' write access.
// Needs an administrator's rights; false (logged) when any part was refused.
bool ProtectInstallFolder(const std::wstring& folder);
// Applies an SDDL descriptor's owner and DACL to a file or folder; false, logged,
// when it cannot.
bool ApplySddl(const std::wstring& path, const wchar_t* sddl);
// True when this process can make a file in the folder (tried, then removed).
bool CanWriteFolder(const std::wstring& folder);
// True when this process may rename or delete the file (it is opened for that,
// sharing everything, and closed): the right an update needs on the running
// program, which a folder that lets anyone add files may still withhold.
bool CanReplaceFile(const std::wstring& path);

}  // namespace ovn
