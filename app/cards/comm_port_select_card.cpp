#include "app/cards/comm_port_select_card.h"

#include "app/app_ids.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/resource_ids.h"
#include "core/text.h"
#include "session/session.h"

namespace app {

namespace {

constexpr int kPictureLeft = 45;
constexpr int kPictureBottom = 125;

}  // namespace

CommPortSelectCard::CommPortSelectCard(HWND parent) : parent_(parent), model_(SerialPort::Instance()) {
    model_.AttachView(this);
}

CommPortSelectCard::~CommPortSelectCard() {
    Hide();
}

void CommPortSelectCard::Show(PaintSurface& surface, const Rect& content) {
    if (!created_) CreateControls(content);
    if (!captionFont_) captionFont_ = CreateUiFont(20, FW_BOLD);
    DrawLine(surface.dc, L"Select Programming Cable Serial Port:", captionFont_,
             RECT{content.left + 100, content.top + 50, content.right, content.top + 70});
    if (!picture_) picture_ = Picture::Load(kPictureComms);
    if (picture_) picture_->Draw(surface.dc, kPictureLeft, kPictureBottom - picture_->Height());
}

void CommPortSelectCard::CreateControls(const Rect& content) {
    created_ = true;
    const int left = content.left;
    const int top = content.top;
    portList_ = CreateChild(parent_, L"LISTBOX", L"", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY,
                            Rect{left + 100, top + 80, left + 700, top + 320}, kIdPortList);
    listFont_ = CreateUiFont(16, FW_NORMAL);
    if (portList_) SendMessageW(portList_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), TRUE);
    refresh_ = CreateChild(parent_, L"BUTTON", L"Refresh", WS_TABSTOP | BS_PUSHBUTTON,
                           Rect{left + 295, top + 330, left + 395, top + 360}, kIdRefreshPorts);
    connect_ = CreateChild(parent_, L"BUTTON", session::Current().connected ? L"Disconnect" : L"Connect",
                           WS_TABSTOP | BS_DEFPUSHBUTTON | WS_DISABLED,
                           Rect{left + 405, top + 330, left + 505, top + 360}, kIdConnect);
    help_ =
        CreateRichTextBox(parent_, Rect{left + 100, top + 430, left + 800, top + 710}, ConnectionHelpRtf());
    model_.OnControlsCreated();
}

void CommPortSelectCard::Hide() {
    model_.OnControlsDestroyed();
    DestroyChild(portList_);
    DestroyChild(refresh_);
    DestroyChild(connect_);
    DestroyChild(help_);
    if (listFont_) DeleteObject(listFont_);
    if (captionFont_) DeleteObject(captionFont_);
    listFont_ = nullptr;
    captionFont_ = nullptr;
    picture_.reset();
    created_ = false;
}

bool CommPortSelectCard::OnCommand(int commandId, int notifyCode) {
    if (notifyCode != BN_CLICKED) return false;
    if (commandId == kIdConnect) {
        model_.ConnectOrDisconnect();
        return true;
    }
    if (commandId == kIdRefreshPorts) {
        model_.RefreshPorts();
        return true;
    }
    return false;
}

void CommPortSelectCard::ShowPorts(const std::vector<SerialPortInfo>& ports, int selected) {
    if (!portList_) return;
    SendMessageW(portList_, LB_RESETCONTENT, 0, 0);
    for (const auto& port : ports) {
        const std::wstring name = text::WidenByChar(port.name);
        SendMessageW(portList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    if (selected >= 0) SendMessageW(portList_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int CommPortSelectCard::CurrentSelection() const {
    if (!portList_) return -1;
    return static_cast<int>(SendMessageW(portList_, LB_GETCURSEL, 0, 0));
}

void CommPortSelectCard::EnablePortList(bool enabled) {
    if (portList_) EnableWindow(portList_, enabled);
}

void CommPortSelectCard::SetConnectButton(bool enabled, bool disconnect) {
    if (!connect_) return;
    SetWindowTextW(connect_, disconnect ? L"Disconnect" : L"Connect");
    EnableWindow(connect_, enabled);
}

void CommPortSelectCard::SetStatusText1(const std::wstring& text) {
    if (Dashboard* dashboard = MainDashboard()) dashboard->SetStatusText1(text);
}

void CommPortSelectCard::Repaint() {
    if (parent_) RedrawWindow(parent_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CommPortSelectCard::PostConnectionEvent(uint32_t familyCode, bool connected) {
    if (parent_) PostMessageW(parent_, kEventConnection, familyCode, connected ? 1 : 0);
}

void CommPortSelectCard::BeginWait() {
    waitCursor_ = std::make_unique<WaitCursor>();
    PumpPendingMessages();
}

void CommPortSelectCard::EndWait() {
    waitCursor_.reset();
}

}  // namespace app
