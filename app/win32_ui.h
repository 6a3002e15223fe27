// Small pieces the pages share: the paint surface, pictures from the resources, rich text boxes,
// child controls, fonts and the wait cursor.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/card_base.h"

struct IStream;
namespace Gdiplus {
class Bitmap;
}

namespace app {

struct PaintSurface {
    HDC dc;
};

inline constexpr COLORREF kBackgroundColour = 0xFAFAFA;

// A JPEG picture stored in the program's resources (numbers 202 to 217), decoded by GDI+.
class Picture {
public:
    // Nothing when the resource is missing or does not decode.
    static std::unique_ptr<Picture> Load(int resourceId);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    int Width() const;
    int Height() const;
    void Draw(HDC dc, int x, int y) const;
    // A bitmap for a picture control; the caller deletes it.
    HBITMAP MakeBitmap() const;

private:
    Picture(IStream* stream, Gdiplus::Bitmap* bitmap) : stream_(stream), bitmap_(bitmap) {}

    IStream* stream_;  // GDI+ reads from it for as long as the bitmap lives
    Gdiplus::Bitmap* bitmap_;
};

// A picture control holding a resource picture; empty when the picture cannot be had.
class PictureControl {
public:
    PictureControl() = default;
    ~PictureControl() { Destroy(); }
    PictureControl(const PictureControl&) = delete;
    PictureControl& operator=(const PictureControl&) = delete;

    void Create(HWND parent, int resourceId, int x, int y, int width, int height);
    void Destroy();
    HWND Handle() const { return control_; }

private:
    HWND control_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

// A child control with the default GUI font. Null when it could not be created.
HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, const Rect& where,
                 int id);
// Read-only, multi-line rich text ("RICHEDIT50W") on the page background, with link notifications and
// automatic URL detection, filled from the RTF document. Null when the box could not be created.
HWND CreateRichTextBox(HWND parent, const Rect& where, const std::string& rtf);
// Destroys the control, if any, and clears the handle.
void DestroyChild(HWND& control);

HFONT CreateUiFont(int height, int weight);
// Text in the font, black on whatever is below it, single line, vertically centred in the rectangle.
void DrawLine(HDC dc, const std::wstring& text, HFONT font, RECT where, UINT extraFormat = 0);

RECT ToRECT(const Rect& rect);

// Dispatches the messages waiting now, so the window is up to date before the UI thread blocks.
void PumpPendingMessages();

// The wait cursor for the life of the object, around operations that block the UI thread.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace app
