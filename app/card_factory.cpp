#include "app/card_factory.h"

#include <map>

#include "app/app_ids.h"
#include "app/cards/about_card.h"
#include "app/cards/acknowledge_card.h"
#include "app/cards/comm_port_select_card.h"
#include "app/cards/faults_card.h"
#include "app/cards/rxtx_tercel_card.h"
#include "app/cards/settings_card.h"
#include "app/cards/tuning_card.h"
#include "app/main_window.h"
#include "app/resource_ids.h"

namespace app {

namespace {

std::map<std::string, CardMaker>& Makers() {
    static std::map<std::string, CardMaker> makers;
    return makers;
}

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
    if (key == kKeyTuning) return std::make_unique<TuningCard>(parent);
    if (key == kKeyComms) return std::make_unique<CommPortSelectCard>(parent);
    if (key == kKeyFaults) return std::make_unique<FaultsCard>(parent);
    if (key == kKeyRxTx) return std::make_unique<RXTXTercelCard>(parent);
    return nullptr;
}

}  // namespace app
