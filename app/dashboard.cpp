#include "app/dashboard.h"

#include <algorithm>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "core/log.h"
#include "core/prompter.h"
#include "session/family_table.h"
#include "session/session.h"

namespace app {

namespace {

constexpr int kNavigationWidth = 180;
constexpr int kStatusBarHeight = 30;
constexpr int kNavFirstTop = 125;
constexpr int kNavEntryHeight = 36;
constexpr int kNavEntryPitch = 40;
constexpr int kNavEntryRight = 179;
// Long enough to read the farewell in the status bar.
constexpr uint32_t kFarewellMs = 1000;

}  // namespace

Dashboard::Dashboard(CardFactory& factory) : factory_(factory) {}

Dashboard::~Dashboard() = default;

void Dashboard::AddCard(const std::string& key, std::unique_ptr<CardBase> card,
                        std::optional<size_t> position) {
    if (!card) return;
    // A second entry under one key would outlive the card it names; the new card takes the old one's
    // place instead.
    RemoveCard(key);
    NavEntry entry{key, card->GetTitle(), Rect{}};
    if (position && *position < entries_.size()) {
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(*position), std::move(entry));
    } else {
        entries_.push_back(std::move(entry));
    }
    cards_[key] = std::move(card);
}

void Dashboard::RemoveCard(const std::string& key) {
    const auto it =
        std::find_if(entries_.begin(), entries_.end(), [&](const NavEntry& e) { return e.key == key; });
    if (it == entries_.end()) return;
    if (CardBase* card = FindCard(key)) card->Hide();
    if (currentKey_ == key) currentKey_.clear();
    entries_.erase(it);
}

void Dashboard::RemoveAllCards() {
    while (!entries_.empty()) RemoveCard(entries_.front().key);
}

void Dashboard::SelectCard(const std::string& key) {
    HideCurrent();
    currentKey_ = key;
    if (view_) view_->RepaintAll();
}

void Dashboard::Start() {
    AddFromFactory(kKeyAcknowledge, std::nullopt);
    SelectCard(kKeyAcknowledge);
}

void Dashboard::Agree() {
    SetStatus(L"User Agreed to EULA");
    // The button that sent this belongs to the page about to go; the pages change once it is done.
    if (view_) view_->PostEvent(kEventBuildMainCards, 0, 0);
}

void Dashboard::Disagree() {
    SetStatus(L"User Disagreed with EULA ... Vantrel shutting down");
    if (view_) view_->RepaintAll();
    Pause(kFarewellMs);
    if (view_) view_->Close();
}

void Dashboard::BuildMainCards() {
    RemoveAllCards();
    AddFromFactory(kKeyAbout, std::nullopt);
    AddFromFactory(kKeySettings, 0);
    AddFromFactory(kKeyComms, 0);
    SelectCard(kKeyComms);
}

void Dashboard::OnConnectionEvent(uint32_t familyCode, bool connected) {
    const Family family = session::FamilyOfEventCode(familyCode);
    if (family == Family::None) return;
    if (connected) {
        AddFromFactory(kKeyTuning, 0);
        AddFromFactory(kKeyFaults, 1);
        if (session::Ops(family).hasRawFramePage && session::Current().settings.rxtx)
            AddFromFactory(kKeyRxTx, 2);
        SelectCard(kKeyTuning);
    } else {
        RemoveCard(kKeyTuning);
        RemoveCard(kKeyFaults);
        RemoveCard(kKeyRxTx);
        SelectCard(kKeyComms);
    }
}

bool Dashboard::OnCommand(int commandId, int notifyCode) {
    if (commandId == kIdAgree) {
        Agree();
        return true;
    }
    if (commandId == kIdDisagree) {
        Disagree();
        return true;
    }
    // Only the current page has controls, so any other command is its own.
    CardBase* card = CurrentCard();
    return card && card->OnCommand(commandId, notifyCode);
}

void Dashboard::OnAppEvent(uint32_t event) {
    if (CardBase* card = FindCard(kKeyTuning)) card->OnAppEvent(event);
}

void Dashboard::OnDevicesChanged() {
    if (CardBase* card = FindCard(kKeyComms)) card->OnDevicesChanged();
}

bool Dashboard::OnNavigationClick(int x, int y) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const NavEntry& e) { return e.rect.Contains(x, y); });
    if (it == entries_.end() || it->key == currentKey_) return false;
    const std::string key = it->key;
    HideCurrent();
    currentKey_ = key;
    SetStatus(L"");
    if (view_) view_->RepaintAll();
    return true;
}

void Dashboard::SetStatusText1(const std::wstring& text) {
    statusText1_ = text;
    if (view_) view_->RepaintStatusBar();
}

void Dashboard::OnStatus(const std::wstring& text) {
    statusText2_ = text;
    if (view_) view_->RepaintStatusBar();
}

void Dashboard::SetClientSize(int width, int height) {
    width_ = width;
    height_ = height;
}

void Dashboard::LayOut() {
    if (layoutDone_) return;
    navigation_ = Rect{0, 0, kNavigationWidth, height_};
    statusBar_ = Rect{0, height_ - kStatusBarHeight, width_, height_};
    content_ = Rect{kNavigationWidth + 1, 0, width_, height_ - kStatusBarHeight};
    layoutDone_ = true;
}

void Dashboard::PlaceNavEntries() {
    int top = kNavFirstTop;
    for (auto& entry : entries_) {
        entry.rect = Rect{navigation_.left, top, kNavEntryRight, top + kNavEntryHeight};
        top += kNavEntryPitch;
    }
}

CardBase* Dashboard::FindCard(const std::string& key) const {
    const auto it = cards_.find(key);
    return it == cards_.end() ? nullptr : it->second.get();
}

CardBase* Dashboard::CurrentCard() const {
    return currentKey_.empty() ? nullptr : FindCard(currentKey_);
}

void Dashboard::HideCurrent() {
    if (CardBase* card = CurrentCard()) card->Hide();
}

void Dashboard::AddFromFactory(const std::string& key, std::optional<size_t> position) {
    AddCard(key, factory_.MakeCard(key), position);
}

}  // namespace app
