// The end-user agreement, shown at every start: "I Agree" builds the main pages, "Disagree" ends
// the program (both handled by the Dashboard).
#pragma once

#include <windows.h>

#include "app/card_base.h"
#include "app/win32_ui.h"

namespace app {

class AcknowledgeCard final : public CardBase {
public:
    explicit AcknowledgeCard(HWND parent) : parent_(parent) {}
    ~AcknowledgeCard() override { Hide(); }

    std::string GetTitle() const override { return "Acknowledge"; }
    void Show(PaintSurface& surface, const Rect& content) override;
    void Hide() override;

private:
    HWND parent_;
    HWND text_ = nullptr;
    HWND agree_ = nullptr;
    HWND disagree_ = nullptr;
    PictureControl agreementPicture_;
    PictureControl logo_;
    bool created_ = false;
};

}  // namespace app
