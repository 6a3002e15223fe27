// Makes the pages of the main window by key. Pages that come with later parts of the program
// register their makers here; a key without a maker gets a placeholder page.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/dashboard.h"

namespace app {

using CardMaker = std::function<std::unique_ptr<CardBase>(HWND parent)>;
// Replaces the page made for the key; an empty maker restores the built-in one.
void RegisterCardMaker(const std::string& key, CardMaker maker);

class MainCardFactory final : public CardFactory {
public:
    // The cards' parent is the main window, which exists by the time any card is made.
    std::unique_ptr<CardBase> MakeCard(const std::string& key) override;
};

}  // namespace app
