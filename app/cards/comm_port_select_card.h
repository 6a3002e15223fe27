// The connection page: the port list, "Refresh" and "Connect"/"Disconnect", with the help text. Every
// decision is ConnectionModel's; the page only shows and forwards.
#pragma once

#include <windows.h>

#include <memory>

#include "app/card_base.h"
#include "app/cards/connection_model.h"
#include "app/win32_ui.h"

namespace app {

inline constexpr int kIdPortList = 1300;
inline constexpr int kIdConnect = 1301;
inline constexpr int kIdRefreshPorts = 1302;

class CommPortSelectCard final : public CardBase, private ConnectionView {
public:
    explicit CommPortSelectCard(HWND parent);
    ~CommPortSelectCard() override;

    std::string GetTitle() const override { return "Communications"; }
    void Show(PaintSurface& surface, const Rect& content) override;
    void Hide() override;
    bool OnCommand(int commandId, int notifyCode) override;
    void OnDevicesChanged() override { model_.OnDevicesChanged(); }

private:
    void CreateControls(const Rect& content);

    void ShowPorts(const std::vector<SerialPortInfo>& ports, int selected) override;
    int CurrentSelection() const override;
    void EnablePortList(bool enabled) override;
    void SetConnectButton(bool enabled, bool disconnect) override;
    void SetStatusText1(const std::wstring& text) override;
    void ReleasePicture() override { picture_.reset(); }
    void Repaint() override;
    void PostConnectionEvent(uint32_t familyCode, bool connected) override;
    void BeginWait() override;
    void EndWait() override;

    HWND parent_;
    ConnectionModel model_;
    HWND portList_ = nullptr;
    HWND refresh_ = nullptr;
    HWND connect_ = nullptr;
    HWND help_ = nullptr;
    HFONT listFont_ = nullptr;
    HFONT captionFont_ = nullptr;
    std::unique_ptr<Picture> picture_;
    std::unique_ptr<WaitCursor> waitCursor_;
    bool created_ = false;
};

}  // namespace app
