#include "app/win32_ui.h"

// GDI+ wants the COM declarations that the lean Windows headers leave out.
#include <objidl.h>
#include <ole2.h>
#include <richedit.h>

#include <gdiplus.h>

#include <cstring>

namespace app {

namespace {

struct RtfReader {
    const std::string* text;
    size_t position;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* reader = reinterpret_cast<RtfReader*>(cookie);
    const size_t left = reader->text->size() - reader->position;
    const size_t count = left < static_cast<size_t>(wanted) ? left : static_cast<size_t>(wanted);
    std::memcpy(buffer, reader->text->data() + reader->position, count);
    reader->position += count;
    *given = static_cast<LONG>(count);
    return 0;
}

}  // namespace

std::unique_ptr<Picture> Picture::Load(int resourceId) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!resource) return nullptr;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return nullptr;
    // The stream takes a copy: resource memory cannot back an IStream of its own.
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return nullptr;
    void* target = GlobalLock(copy);
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return nullptr;
    }
    auto* bitmap = Gdiplus::Bitmap::FromStream(stream);
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) {
        delete bitmap;
        stream->Release();
        return nullptr;
    }
    return std::unique_ptr<Picture>(new Picture(stream, bitmap));
}

Picture::~Picture() {
    delete bitmap_;
    stream_->Release();
}

int Picture::Width() const {
    return static_cast<int>(bitmap_->GetWidth());
}

int Picture::Height() const {
    return static_cast<int>(bitmap_->GetHeight());
}

void Picture::Draw(HDC dc, int x, int y) const {
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(bitmap_, x, y, Width(), Height());
}

HBITMAP Picture::MakeBitmap() const {
    HBITMAP result = nullptr;
    bitmap_->GetHBITMAP(Gdiplus::Color(0xFF, 0xFA, 0xFA, 0xFA), &result);
    return result;
}

void PictureControl::Create(HWND parent, int resourceId, int x, int y, int width, int height) {
    Destroy();
    const auto picture = Picture::Load(resourceId);
    if (!picture) return;
    bitmap_ = picture->MakeBitmap();
    control_ = CreateChild(parent, L"STATIC", nullptr, SS_BITMAP, Rect{x, y, x + width, y + height}, 0);
    if (control_ && bitmap_)
        SendMessageW(control_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
}

void PictureControl::Destroy() {
    if (control_) {
        // Version 6 of the controls may keep a copy of a 32-bit bitmap; it hands that copy back here.
        auto held = reinterpret_cast<HBITMAP>(SendMessageW(control_, STM_SETIMAGE, IMAGE_BITMAP, 0));
        if (held && held != bitmap_) DeleteObject(held);
        DestroyChild(control_);
    }
    if (bitmap_) {
        DeleteObject(bitmap_);
        bitmap_ = nullptr;
    }
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, const Rect& where,
                 int id) {
    HWND control = CreateWindowExW(
        0, className, text, WS_CHILD | WS_VISIBLE | style, where.left, where.top, where.Width(),
        where.Height(), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (control)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

HWND CreateRichTextBox(HWND parent, const Rect& where, const std::string& rtf) {
    HWND box = CreateChild(parent, MSFTEDIT_CLASS, nullptr,
                           WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, where, 0);
    if (!box) return nullptr;
    SendMessageW(box, EM_SETBKGNDCOLOR, 0, kBackgroundColour);
    SendMessageW(box, EM_SETEVENTMASK, 0, ENM_LINK);
    // Mail addresses are links only where the box can be asked for them; elsewhere URLs alone are.
    if (SendMessageW(box, EM_AUTOURLDETECT, AURL_ENABLEURL | AURL_ENABLEEMAILADDR, 0) != 0) {
        SendMessageW(box, EM_AUTOURLDETECT, TRUE, 0);
    }
    RtfReader reader{&rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&reader);
    stream.pfnCallback = &ReadRtf;
    SendMessageW(box, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return box;
}

void DestroyChild(HWND& control) {
    if (control) DestroyWindow(control);
    control = nullptr;
}

HFONT CreateUiFont(int height, int weight) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
}

void DrawLine(HDC dc, const std::wstring& text, HFONT font, RECT where, UINT extraFormat) {
    const HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &where,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | extraFormat);
    SelectObject(dc, previous);
}

RECT ToRECT(const Rect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

void PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave it for the message loop, which must end.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

WaitCursor::WaitCursor() {
    PumpPendingMessages();
    previous_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

WaitCursor::~WaitCursor() {
    SetCursor(previous_);
}

}  // namespace app
