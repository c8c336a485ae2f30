#include "skin/access_rules.h"

namespace ovn::skin {

AccFace ButtonFace(const std::wstring& name, const std::wstring& caption, const std::wstring& tip, bool pressed) {
    AccFace face;
    face.name = !name.empty() ? name : !caption.empty() ? caption : tip;
    face.role = RolePushButton;
    face.addState = pressed ? long{StatePressed} : 0L;
    return face;
}

AccFace LabelFace(const std::wstring& text, bool link) {
    AccFace face;
    face.name = text;
    face.role = link ? RoleLink : RoleStaticText;
    face.addState = link ? long{StateLinked | StateFocusable} : 0L;
    return face;
}

AccFace ProgressFace(int position, int range) {
    AccFace face;
    face.role = RoleProgressBar;
    int percent = range > 0 ? static_cast<int>(static_cast<long long>(position) * 100 / range) : 0;
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    face.value = std::to_wstring(percent) + L"%";
    return face;
}

}  // namespace ovn::skin
