// A page of the main window. The window shows one card at a time in its content area and lists the
// registered cards in its navigation column.
#pragma once

#include <cstdint>
#include <string>

namespace app {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// What a card paints on. The Windows program defines it around its device context; the plain
// model never looks inside.
struct PaintSurface;

class CardBase {
public:
    virtual ~CardBase() = default;
    // The navigation label.
    virtual std::string GetTitle() const = 0;
    // Called on every paint while the card is current. The first call after creation or Hide creates
    // the card's controls inside the content rectangle; every call paints its caption and picture.
    virtual void Show(PaintSurface& surface, const Rect& content) = 0;
    // Destroys the controls and releases the picture; the card's data stays.
    virtual void Hide() = 0;

    // A command from one of the card's controls. True when the card acted on it.
    virtual bool OnCommand(int /*commandId*/, int /*notifyCode*/) { return false; }
    // An event posted to the main window for this card (the tuning page's rebuild and refresh).
    virtual void OnAppEvent(uint32_t /*event*/) {}
    // A device arrived or went away (the connection page refreshes its ports).
    virtual void OnDevicesChanged() {}
};

}  // namespace app
