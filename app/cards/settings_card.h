// The settings page: check boxes for the probe settings (and "RXTX" and "Log" while they are on),
// "Save" and "Cancel". The decisions live in SettingsModel.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/card_base.h"
#include "app/cards/settings_model.h"
#include "app/win32_ui.h"

namespace app {

class SettingsCard final : public CardBase {
public:
    explicit SettingsCard(HWND parent) : parent_(parent) {}
    ~SettingsCard() override { Hide(); }

    std::string GetTitle() const override { return "Settings"; }
    void Show(PaintSurface& surface, const Rect& content) override;
    void Hide() override;
    bool OnCommand(int commandId, int notifyCode) override;

private:
    void ShowChecks();
    void SaveSettings();
    void ResetSettingsChecks();

    HWND parent_;
    SettingsModel model_;
    std::vector<HWND> boxes_;
    HWND save_ = nullptr;
    HWND cancel_ = nullptr;
    std::unique_ptr<Picture> picture_;
    bool created_ = false;
};

}  // namespace app
