#include "app/cards/faults_card.h"

#include <commctrl.h>

#include "app/cards/faults_model.h"
#include "core/log.h"

namespace app {

namespace {

constexpr int kPictureLeft = 45;
constexpr int kPictureBottom = 100;

HWND CreateFaultList(HWND parent, const Rect& where, int id) {
    HWND list = CreateChild(
        parent, WC_LISTVIEWW, L"",
        WS_BORDER | WS_VSCROLL | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, where, id);
    if (list) ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    return list;
}

void FillFaultList(HWND list, const session::FaultTable& table) {
    if (!list) return;
    ListView_DeleteAllItems(list);
    for (size_t c = 0; c < table.columns.size(); ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = table.columns[c].width;
        column.pszText = const_cast<wchar_t*>(table.columns[c].title.c_str());
        column.iSubItem = static_cast<int>(c);
        SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    for (size_t r = 0; r < table.rows.size(); ++r) {
        const auto& cells = table.rows[r];
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(r);
        item.pszText = const_cast<wchar_t*>(cells.empty() ? L"" : cells[0].c_str());
        const auto row =
            static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        for (size_t c = 1; c < cells.size() && c < table.columns.size(); ++c) {
            LVITEMW cell{};
            cell.iSubItem = static_cast<int>(c);
            cell.pszText = const_cast<wchar_t*>(cells[c].c_str());
            SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
        }
    }
}

}  // namespace

FaultsCard::FaultsCard(HWND parent, session::FaultDescriber describe)
    : parent_(parent), describe_(std::move(describe)) {}

FaultsCard::~FaultsCard() {
    Hide();
}

void FaultsCard::Show(PaintSurface& surface, const Rect& content) {
    if (!created_) CreateControls(content);
    if (picture_) picture_->Draw(surface.dc, kPictureLeft, kPictureBottom - picture_->Height());
}

// The lists are filled here and only here: leaving the page destroys them, so coming back shows what
// the driver has read since.
void FaultsCard::CreateControls(const Rect& content) {
    created_ = true;
    const FaultsPage page = BuildFaultsPage(describe_);
    const int x = content.left;
    headingFont_ = CreateUiFont(20, FW_BOLD);
    currentHeading_ =
        CreateChild(parent_, L"STATIC", L"Current Faults", SS_LEFT, Rect{x + 120, 20, x + 320, 50}, 0);
    currentList_ = CreateFaultList(parent_, Rect{x + 20, 55, x + 470, 455}, kIdCurrentFaults);
    historicalHeading_ =
        CreateChild(parent_, L"STATIC", L"Historical Faults", SS_LEFT, Rect{x + 600, 20, x + 800, 50}, 0);
    historicalList_ = CreateFaultList(parent_, Rect{x + 520, 55, x + 970, 455}, kIdHistoricalFaults);
    for (HWND heading : {currentHeading_, historicalHeading_})
        if (heading) SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_), TRUE);
    legend_ = CreateChild(parent_, L"STATIC", page.legend.c_str(), SS_LEFT, Rect{x + 20, 550, x + 620, 750},
                          kIdFaultLegend);
    clear_ = CreateChild(parent_, L"BUTTON", L"Clear Historical Faults",
                         WS_TABSTOP | BS_PUSHBUTTON | (page.clearEnabled ? 0 : WS_DISABLED),
                         Rect{x + 800, 460, x + 970, 490}, kIdClearHistoricalFaults);
    FillFaultList(currentList_, page.rows.current);
    FillFaultList(historicalList_, page.rows.historical);
    if (page.pictureId != 0) picture_ = Picture::Load(page.pictureId);
    if (!page.statusText.empty()) SetStatus(page.statusText);
    if (!page.rows.notice.empty()) SetStatus(page.rows.notice);
}

void FaultsCard::Hide() {
    DestroyChild(currentHeading_);
    DestroyChild(currentList_);
    DestroyChild(historicalHeading_);
    DestroyChild(historicalList_);
    DestroyChild(legend_);
    DestroyChild(clear_);
    if (headingFont_) DeleteObject(headingFont_);
    headingFont_ = nullptr;
    picture_.reset();
    created_ = false;
}

}  // namespace app
