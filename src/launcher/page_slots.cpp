#include "launcher/page_slots.h"

#include <algorithm>
#include <cstring>

#include "common/protocol.h"

namespace ovn::launcher {

std::optional<std::wstring> LabelFromCopyData(const void* data, std::size_t bytes) {
    if (data == nullptr || bytes < 2 || bytes % 2 != 0 || bytes / 2 > kMaxLabelChars + 1)
        return std::nullopt;
    const auto* raw = static_cast<const unsigned char*>(data);
    std::wstring text;
    for (std::size_t i = 0; i < bytes / 2; ++i) {
        char16_t unit;
        std::memcpy(&unit, raw + 2 * i, sizeof unit);  // the sender's buffer need not be aligned
        if (unit == 0)
            return text;
        text.push_back(static_cast<wchar_t>(unit));
    }
    return std::nullopt;  // no terminator within the bytes the sender gave
}

Admission DecideAdoption(const AdoptionOffer& offer) {
    if (offer.who == Offerer::Stranger || !offer.insideUs)
        return Admission::Refuse;
    if (offer.asHall)
        return offer.hallHeld ? Admission::CloseIt : Admission::AdoptHall;
    // The hall process is never a tab, and there are never more than three.
    if (offer.who == Offerer::HallProcess || offer.pages >= static_cast<std::size_t>(kMaxPages))
        return Admission::CloseIt;
    return Admission::AdoptPage;
}

PageRequest DecidePageRequest(std::size_t pages, bool pendingPage) {
    if (pages >= static_cast<std::size_t>(kMaxPages))
        return PageRequest::Full;
    return pendingPage ? PageRequest::Busy : PageRequest::Start;
}

bool PageSlots::ClaimLabel(const std::wstring& label, bool pageRequestPending) {
    if (m_labels.size() >= m_pages.size() + (pageRequestPending ? 1 : 0))
        return false;
    if (std::find(m_labels.begin(), m_labels.end(), label) != m_labels.end())
        return false;
    m_labels.push_back(label);
    return true;
}

PageSlots::AdoptResult PageSlots::Adopt(WindowId window, bool isHall) {
    AdoptResult result;
    if (window == 0)
        return result;
    if (std::find(m_pages.begin(), m_pages.end(), window) != m_pages.end() || window == m_hallWnd)
        return result;
    result.adopted = true;
    result.firstArrival = !m_anyArrived;
    m_anyArrived = true;
    if (isHall) {
        m_hallWnd = window;
        if (m_pages.empty())
            m_hallShown = true;
        return result;
    }
    m_hallShown = false;
    m_pages.push_back(window);
    if (m_labels.size() < m_pages.size())
        m_labels.resize(m_pages.size());
    m_nSelected = m_pages.size() - 1;
    return result;
}

std::optional<WindowId> PageSlots::Close(std::size_t index) {
    if (index >= m_pages.size())
        return std::nullopt;
    WindowId window = m_pages[index];
    m_pages.erase(m_pages.begin() + static_cast<std::ptrdiff_t>(index));
    if (index < m_labels.size())
        m_labels.erase(m_labels.begin() + static_cast<std::ptrdiff_t>(index));
    m_nSelected = m_pages.empty() ? 0 : std::min(index, m_pages.size() - 1);
    return window;
}

void PageSlots::DropUnadoptedLabels() {
    if (m_labels.size() > m_pages.size())
        m_labels.resize(m_pages.size());
}

void PageSlots::SelectNext() {
    if (!m_pages.empty())
        m_nSelected = (m_nSelected + 1) % m_pages.size();
}

bool PageSlots::Select(std::size_t index) {
    if (index >= m_pages.size())
        return false;
    m_nSelected = index;
    return true;
}

std::vector<WindowId> PageSlots::TakeAllPages() {
    std::vector<WindowId> pages;
    pages.swap(m_pages);
    m_labels.clear();
    m_nSelected = 0;
    return pages;
}

std::wstring PageSlots::LabelOf(std::size_t index) const {
    return index < m_labels.size() ? m_labels[index] : std::wstring();
}

}  // namespace ovn::launcher
