// The main window's state: the registry of cards with its navigation entries, the current card,
// the two status texts and the layout. The window procedure forwards to it; it asks its window for
// repaints, posted events and closing through DashboardView.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/card_base.h"

namespace app {

class DashboardView {
public:
    virtual ~DashboardView() = default;
    // Repaints at once: long operations on the UI thread show their texts this way.
    virtual void RepaintAll() = 0;
    virtual void RepaintStatusBar() = 0;
    virtual void PostEvent(uint32_t event, uintptr_t first, intptr_t second) = 0;
    virtual void Close() = 0;
};

// Makes the page for a key; nothing for a key it does not know.
class CardFactory {
public:
    virtual ~CardFactory() = default;
    virtual std::unique_ptr<CardBase> MakeCard(const std::string& key) = 0;
};

struct NavEntry {
    std::string key;
    std::string label;
    Rect rect;  // set when painted
};

class Dashboard {
public:
    static constexpr int kInitialWidth = 900;
    static constexpr int kInitialHeight = 600;

    explicit Dashboard(CardFactory& factory);
    ~Dashboard();
    Dashboard(const Dashboard&) = delete;
    Dashboard& operator=(const Dashboard&) = delete;

    void AttachView(DashboardView* view) { view_ = view; }

    // Without a position, or with one past the end, the entry goes last.
    void AddCard(const std::string& key, std::unique_ptr<CardBase> card,
                 std::optional<size_t> position = std::nullopt);
    void RemoveCard(const std::string& key);
    void RemoveAllCards();
    void SelectCard(const std::string& key);

    // The agreement page at window creation.
    void Start();
    void Agree();
    void Disagree();
    void BuildMainCards();
    void OnConnectionEvent(uint32_t familyCode, bool connected);
    // Commands of the pages' controls: the agreement buttons here, the rest to the current card.
    bool OnCommand(int commandId, int notifyCode);
    void OnAppEvent(uint32_t event);
    void OnDevicesChanged();
    // A left click in the client area. True when it switched pages.
    bool OnNavigationClick(int x, int y);

    // Status texts: 1 is the connection state, 2 the last status message.
    void SetStatusText1(const std::wstring& text);
    void OnStatus(const std::wstring& text);
    const std::wstring& StatusText1() const { return statusText1_; }
    const std::wstring& StatusText2() const { return statusText2_; }

    // Layout, fixed at the first paint from the client size.
    void SetClientSize(int width, int height);
    void LayOut();
    // Stores each navigation entry's rectangle for hit-testing.
    void PlaceNavEntries();
    bool LayoutDone() const { return layoutDone_; }
    const Rect& NavigationRect() const { return navigation_; }
    const Rect& ContentRect() const { return content_; }
    const Rect& StatusBarRect() const { return statusBar_; }

    const std::vector<NavEntry>& NavEntries() const { return entries_; }
    const std::string& CurrentKey() const { return currentKey_; }
    // The card registered under the key, shown or not.
    CardBase* FindCard(const std::string& key) const;
    // The card to paint: the current key's, when there is one.
    CardBase* CurrentCard() const;

private:
    void HideCurrent();
    void AddFromFactory(const std::string& key, std::optional<size_t> position);

    CardFactory& factory_;
    DashboardView* view_ = nullptr;
    std::wstring statusText1_;
    std::wstring statusText2_;
    int width_ = kInitialWidth;
    int height_ = kInitialHeight;
    std::vector<NavEntry> entries_;
    std::map<std::string, std::unique_ptr<CardBase>> cards_;
    std::string currentKey_;
    Rect navigation_;
    Rect content_;
    Rect statusBar_;
    bool layoutDone_ = false;
};

}  // namespace app
