#include "app/card_factory.h"

#include <map>

#include "app/app_ids.h"
#include "app/cards/about_card.h"
#include "app/cards/acknowledge_card.h"
#include "app/cards/comm_port_select_card.h"
#include "app/cards/placeholder_card.h"
#include "app/cards/settings_card.h"
#include "app/family_drivers.h"
#include "app/main_window.h"
#include "app/resource_ids.h"

namespace app {

namespace {

std::map<std::string, CardMaker>& Makers() {
    static std::map<std::string, CardMaker> makers;
    return makers;
}

struct Placeholder {
    const char* key;
    const char* title;
    const wchar_t* caption;
    int pictureId;
    int pictureBottom;
};

constexpr Placeholder kPlaceholders[] = {
    {kKeyTuning, "Tuning", L"Tuning", 0, 0},
    {kKeyFaults, "Faults", L"Faults", 0, 0},
    {kKeyRxTx, "RX/TX", L"RX/TX", 0, 0},
};

}  // namespace

void RegisterCardMaker(const std::string& key, CardMaker maker) {
    if (maker) {
        Makers()[key] = std::move(maker);
    } else {
        Makers().erase(key);
    }
}

std::unique_ptr<CardBase> MainCardFactory::MakeCard(const std::string& key) {
    HWND parent = MainWindowHandle();
    if (const auto it = Makers().find(key); it != Makers().end()) return it->second(parent);
    if (key == kKeyAcknowledge) return std::make_unique<AcknowledgeCard>(parent);
    if (key == kKeySettings) return std::make_unique<SettingsCard>(parent);
    if (key == kKeyAbout) return std::make_unique<AboutCard>(parent);
    if (key == kKeyComms) {
        InstallFamilyStateClearing();
        return std::make_unique<CommPortSelectCard>(parent, FamilyDriversInstance());
    }
    for (const auto& placeholder : kPlaceholders) {
        if (key == placeholder.key)
            return std::make_unique<PlaceholderCard>(placeholder.title, placeholder.caption,
                                                     placeholder.pictureId, placeholder.pictureBottom);
    }
    return nullptr;
}

}  // namespace app
