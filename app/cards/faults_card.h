// The faults page: current and historical faults side by side, the FJ legend and the clearing button.
// What it lists is FaultsPage's; the page only makes the controls and fills them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/card_base.h"
#include "app/win32_ui.h"
#include "session/fault_rows.h"

namespace app {

// The lists and the legend need no ids of their own; they have them so that tests can find them.
inline constexpr int kIdCurrentFaults = 1801;
inline constexpr int kIdHistoricalFaults = 1802;
inline constexpr int kIdFaultLegend = 1803;

class FaultsCard final : public CardBase {
public:
    // describe: the FJ fault texts; the error-code file beside the program when empty.
    explicit FaultsCard(HWND parent, session::FaultDescriber describe = {});
    ~FaultsCard() override;

    std::string GetTitle() const override { return "Faults"; }
    void Show(PaintSurface& surface, const Rect& content) override;
    void Hide() override;

private:
    void CreateControls(const Rect& content);

    HWND parent_;
    session::FaultDescriber describe_;
    HWND currentHeading_ = nullptr;
    HWND currentList_ = nullptr;
    HWND historicalHeading_ = nullptr;
    HWND historicalList_ = nullptr;
    HWND legend_ = nullptr;
    HWND clear_ = nullptr;
    HFONT headingFont_ = nullptr;
    std::unique_ptr<Picture> picture_;
    bool created_ = false;
};

}  // namespace app
