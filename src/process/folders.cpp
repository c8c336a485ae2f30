#include "process/folders.h"

namespace ovn {

std::wstring PlayerFolderUnder(std::wstring_view localAppData) {
    while (!localAppData.empty() && localAppData.back() == L'\\')
        localAppData.remove_suffix(1);
    if (localAppData.empty())
        return {};
    std::wstring folder(localAppData);
    for (const wchar_t* part : kPlayerSubfolders)
        folder.append(L"\\").append(part);
    return folder + L"\\";
}

}  // namespace ovn
