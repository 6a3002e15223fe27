#include "app/cards/rxtx_tercel_card.h"

#include "app/resource_ids.h"
#include "core/log.h"
#include "core/text.h"
#include "tercel/raw_frame.h"

namespace app {

namespace {

constexpr int kPictureLeft = 45;
constexpr int kPictureBottom = 120;

constexpr DWORD kEditStyle = WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;

// A multi-line edit breaks lines only at "\r\n"; the identity's description ends its lines with "\n".
std::wstring ForEditBox(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return text::Utf8ToWide(out);
}

HWND CreateEdit(HWND parent, const wchar_t* text, const Rect& where, int id) {
    HWND edit = CreateChild(parent, L"EDIT", text, kEditStyle, where, id);
    // The sunken edge is an extended style, which the shared helper does not take.
    if (edit) {
        SetWindowLongPtrW(edit, GWL_EXSTYLE, GetWindowLongPtrW(edit, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
        SetWindowPos(edit, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
    return edit;
}

}  // namespace

void RXTXTercelCard::Show(PaintSurface& surface, const Rect& content) {
    if (!created_) CreateControls(content);
    if (!picture_) picture_ = Picture::Load(kPictureTercel);
    if (picture_) picture_->Draw(surface.dc, kPictureLeft, kPictureBottom - picture_->Height());
}

void RXTXTercelCard::CreateControls(const Rect& content) {
    created_ = true;
    const int x = content.left + 200;
    const auto button = [&](const wchar_t* text, int left, int top, int id) {
        return CreateChild(parent_, L"BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON,
                           Rect{left, top, left + 80, top + 30}, id);
    };
    txLabel_ = CreateChild(parent_, L"STATIC", L"Tx", SS_LEFT, Rect{x, 50, x + 200, 70}, 0);
    txText_ = CreateEdit(parent_, text::Utf8ToWide(Tercel::InitialTxText()).c_str(),
                         Rect{x, 76, x + 580, 136}, kIdRxTxTransmitText);
    parseTx_ = button(L"Parse", x, 142, kIdRxTxParseTransmit);
    checksum_ = button(L"Checksum", x + 86, 142, kIdRxTxChecksum);
    send_ = button(L"Tx", x + 172, 142, kIdRxTxSend);
    txNote_ = CreateChild(parent_, L"STATIC", L"", SS_LEFT, Rect{x + 300, 148, x + 500, 168}, 0);
    rxLabel_ = CreateChild(parent_, L"STATIC", L"Rx", SS_LEFT, Rect{x, 188, x + 200, 208}, 0);
    rxText_ = CreateEdit(parent_, L"", Rect{x, 214, x + 580, 274}, kIdRxTxReceiveText);
    parseRx_ = button(L"Parse", x, 280, kIdRxTxParseReceive);
    rxNote_ = CreateChild(parent_, L"STATIC", L"", SS_LEFT, Rect{x + 300, 286, x + 500, 306}, 0);
    result_ = CreateEdit(parent_, L"", Rect{x, 322, x + 580, 622}, kIdRxTxResultText);
}

void RXTXTercelCard::Hide() {
    for (HWND* control : {&txLabel_, &txText_, &parseTx_, &checksum_, &send_, &txNote_, &rxLabel_, &rxText_,
                          &parseRx_, &rxNote_, &result_})
        DestroyChild(*control);
    picture_.reset();
    created_ = false;
}

bool RXTXTercelCard::OnCommand(int commandId, int notifyCode) {
    if (notifyCode != BN_CLICKED) return false;
    switch (commandId) {
        case kIdRxTxParseTransmit:
            Apply(Tercel::ParseTxFrame(TextOf(txText_)));
            return true;
        case kIdRxTxChecksum:
            if (const auto fixed = Tercel::FixChecksum(TextOf(txText_))) SetText(txText_, *fixed);
            return true;
        case kIdRxTxSend: {
            const WaitCursor wait;
            if (const auto answer = Tercel::TransmitFrame(TextOf(txText_))) SetText(rxText_, *answer);
            return true;
        }
        case kIdRxTxParseReceive:
            Apply(Tercel::ParseRxFrame(TextOf(rxText_)));
            return true;
        default:
            return false;
    }
}

void RXTXTercelCard::Apply(const RawFrameOutcome& outcome) {
    if (outcome.status) SetStatus(*outcome.status);
    if (outcome.result) {
        SetText(result_, *outcome.result);
        if (result_) UpdateWindow(result_);
    }
}

std::string RXTXTercelCard::TextOf(HWND edit) const {
    if (!edit) return {};
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), length + 1)));
    return text::WideToUtf8(text);
}

void RXTXTercelCard::SetText(HWND edit, const std::string& text) {
    if (edit) SetWindowTextW(edit, ForEditBox(text).c_str());
}

}  // namespace app
