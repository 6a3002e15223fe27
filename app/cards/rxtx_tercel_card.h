// The raw frame page of a Tercel controller: a command typed in hex is checked, completed with its
// checksum and sent, and the answer decoded. The decisions are the Tercel raw-frame functions'; the page
// only moves text between them and its edit boxes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/card_base.h"
#include "app/win32_ui.h"
#include "core/raw_frame.h"

namespace app {

inline constexpr int kIdRxTxTransmitText = 1500;
inline constexpr int kIdRxTxParseTransmit = 1501;
inline constexpr int kIdRxTxChecksum = 1502;
inline constexpr int kIdRxTxSend = 1503;
inline constexpr int kIdRxTxReceiveText = 1504;
inline constexpr int kIdRxTxParseReceive = 1505;
// The result box has no id of its own on the page; the tests find it by this one.
inline constexpr int kIdRxTxResultText = 1510;

class RXTXTercelCard final : public CardBase {
public:
    explicit RXTXTercelCard(HWND parent) : parent_(parent) {}
    ~RXTXTercelCard() override { Hide(); }

    std::string GetTitle() const override { return "RX/TX"; }
    void Show(PaintSurface& surface, const Rect& content) override;
    void Hide() override;
    bool OnCommand(int commandId, int notifyCode) override;

private:
    void CreateControls(const Rect& content);
    void Apply(const RawFrameOutcome& outcome);
    std::string TextOf(HWND edit) const;
    void SetText(HWND edit, const std::string& text);

    HWND parent_;
    HWND txLabel_ = nullptr;
    HWND txText_ = nullptr;
    HWND parseTx_ = nullptr;
    HWND checksum_ = nullptr;
    HWND send_ = nullptr;
    HWND txNote_ = nullptr;
    HWND rxLabel_ = nullptr;
    HWND rxText_ = nullptr;
    HWND parseRx_ = nullptr;
    HWND rxNote_ = nullptr;
    HWND result_ = nullptr;
    std::unique_ptr<Picture> picture_;
    bool created_ = false;
};

}  // namespace app
