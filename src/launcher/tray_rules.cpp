#include "launcher/tray_rules.h"

namespace ovn::launcher {

TrayIconTurns::Step TrayIconTurns::Want() {
    m_wanted = true;
    if (m_shown || m_failures >= kTrayAddTries)
        return Step::None;
    return Step::Add;
}

bool TrayIconTurns::Added(bool ok) {
    m_shown = ok;
    if (ok) {
        m_failures = 0;
        return false;
    }
    ++m_failures;
    return m_wanted && m_failures < kTrayAddTries;
}

TrayIconTurns::Step TrayIconTurns::TaskbarCreated() {
    m_shown = false;
    m_failures = 0;
    return m_wanted ? Step::Add : Step::None;
}

TrayIconTurns::Step TrayIconTurns::Unwant() {
    m_wanted = false;
    m_failures = 0;
    if (!m_shown)
        return Step::None;
    m_shown = false;
    return Step::Delete;
}

}  // namespace ovn::launcher
