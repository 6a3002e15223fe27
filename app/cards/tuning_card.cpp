#include "app/cards/tuning_card.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "app/main_window.h"
#include "core/host.h"
#include "session/session.h"

namespace app {

namespace {

using datafiles::TuningTab;

constexpr int kPictureLeft = 45;
constexpr int kPictureBottom = 125;
constexpr int kListLeft = 50;
constexpr int kListTop = 70;
constexpr int kListWidth = 845;
constexpr int kListHeight = 600;
constexpr int kTabTop = 20;
constexpr int kTabWidth = 60;
constexpr int kTabHeight = 30;
constexpr int kButtonTop = 675;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 28;
constexpr COLORREF kHeadingText = RGB(0, 0, 0);

struct TabButton {
    TuningTab tab;
    const wchar_t* text;
    int id;
    int left;
};

constexpr TabButton kTabButtons[] = {
    {TuningTab::Tuning, L"Tuning", kIdTabTuning, 50},
    {TuningTab::Sink, L"Sink", kIdTabSink, 110},
    {TuningTab::Info, L"Info", kIdTabInfo, 170},
    {TuningTab::Stats, L"Stats", kIdTabStats, 230},
};

struct ActionButton {
    const wchar_t* text;
    int id;
    int left;
};

constexpr ActionButton kActionButtons[] = {
    {L"Save", kIdSave, 200},
    {L"Load", kIdLoad, 290},
    {L"Reset", kIdReset, 380},
    {L"Write", kIdWrite, 470},
};

size_t IndexOf(TuningTab tab) {
    for (size_t i = 0; i < TuningModel::kTabs.size(); ++i)
        if (TuningModel::kTabs[i] == tab) return i;
    return 0;
}

std::filesystem::path ProgramDirectory() {
    const auto& settings = session::Current().settingsPath;
    if (!settings.empty()) return settings.parent_path();
    return host::ExecutableDirectory().value_or(std::filesystem::path());
}

void SetCellText(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The heading font of the lists: the main window's, else one made the same way.
HFONT MainBoldFont(HWND parent) {
    auto* window = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(parent, GWLP_USERDATA));
    if (auto* main = dynamic_cast<MainWindow*>(window)) return main->BoldListFont();
    return nullptr;
}

}  // namespace

TuningCard::TuningCard(HWND parent) : parent_(parent), model_(ProgramDirectory()) {
    model_.AttachView(this);
}

TuningCard::~TuningCard() {
    Hide();
}

HWND TuningCard::ListOf(TuningTab tab) const {
    return lists_[IndexOf(tab)];
}

void TuningCard::Show(PaintSurface& surface, const Rect& content) {
    if (!created_) CreateControls(content);
    if (!picture_) {
        if (const int id = model_.PictureId(); id != 0) picture_ = Picture::Load(id);
    }
    if (picture_) picture_->Draw(surface.dc, kPictureLeft, kPictureBottom - picture_->Height());
}

void TuningCard::CreateControls(const Rect& content) {
    created_ = true;
    const int left = content.left;
    const int top = content.top;
    for (size_t i = 0; i < std::size(kTabButtons); ++i) {
        const TabButton& tab = kTabButtons[i];
        const DWORD group = i == 0 ? WS_GROUP : 0;
        HWND button = CreateChild(
            parent_, L"BUTTON", tab.text, BS_AUTORADIOBUTTON | BS_PUSHLIKE | group,
            Rect{left + tab.left, top + kTabTop, left + tab.left + kTabWidth, top + kTabTop + kTabHeight},
            tab.id);
        if (button && tab.tab == TuningTab::Stats) ShowWindow(button, SW_HIDE);
        tabs_[IndexOf(tab.tab)] = button;
    }
    const Rect listArea{left + kListLeft, top + kListTop, left + kListLeft + kListWidth,
                        top + kListTop + kListHeight};
    for (const TuningTab tab : TuningModel::kTabs) lists_[IndexOf(tab)] = CreateList(tab, listArea);
    boldFont_ = MainBoldFont(parent_);
    if (!boldFont_) {
        LOGFONTW font{};
        SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
        font.lfWeight = FW_BOLD;
        ownBoldFont_ = CreateFontIndirectW(&font);
        boldFont_ = ownBoldFont_;
    }
    subclassed_ = SetWindowSubclass(parent_, ParentProc, reinterpret_cast<UINT_PTR>(this),
                                    reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    for (size_t i = 0; i < std::size(kActionButtons); ++i) {
        const ActionButton& action = kActionButtons[i];
        buttons_[i] = CreateChild(parent_, L"BUTTON", action.text, WS_TABSTOP | BS_PUSHBUTTON,
                                  Rect{left + action.left, top + kButtonTop,
                                       left + action.left + kButtonWidth, top + kButtonTop + kButtonHeight},
                                  action.id);
    }
    model_.OnControlsCreated();
}

HWND TuningCard::CreateList(TuningTab tab, const Rect& where) {
    const int id = kIdTuningListFirst + static_cast<int>(IndexOf(tab));
    HWND list = CreateChild(parent_, WC_LISTVIEWW, L"",
                            LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER, where, id);
    if (!list) return nullptr;
    ShowWindow(list, SW_HIDE);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER);
    for (size_t i = 0; i < kTuningColumns.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = i == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column.cx = kTuningColumns[i].width;
        column.pszText = const_cast<wchar_t*>(kTuningColumns[i].title);
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

void TuningCard::Hide() {
    model_.CancelEdit();
    if (subclassed_) RemoveWindowSubclass(parent_, ParentProc, reinterpret_cast<UINT_PTR>(this));
    subclassed_ = false;
    editor_ = nullptr;  // a child of its list, gone with it
    editorList_ = nullptr;
    for (HWND& control : lists_) DestroyChild(control);
    for (HWND& control : tabs_) DestroyChild(control);
    for (HWND& control : buttons_) DestroyChild(control);
    if (ownBoldFont_) DeleteObject(ownBoldFont_);
    ownBoldFont_ = nullptr;
    boldFont_ = nullptr;
    picture_.reset();
    waitCursor_.reset();
    created_ = false;
}

bool TuningCard::OnCommand(int commandId, int notifyCode) {
    if (notifyCode != BN_CLICKED) return false;
    return model_.OnCommand(commandId);
}

LRESULT CALLBACK TuningCard::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    if (message == WM_NOTIFY && lParam != 0) {
        LRESULT result = 0;
        if (reinterpret_cast<TuningCard*>(self)->OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result))
            return result;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

bool TuningCard::OnNotify(const NMHDR& header, LRESULT& result) {
    size_t index = lists_.size();
    for (size_t i = 0; i < lists_.size(); ++i)
        if (lists_[i] && lists_[i] == header.hwndFrom) index = i;
    if (index == lists_.size()) return false;
    const TuningTab tab = TuningModel::kTabs[index];
    switch (header.code) {
        case NM_CUSTOMDRAW:
            result = OnCustomDraw(tab, reinterpret_cast<LPARAM>(&header));
            return true;
        case NM_DBLCLK: {
            const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
            LVHITTESTINFO hit{};
            hit.pt = activate.ptAction;
            SendMessageW(header.hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.iItem >= 0) model_.BeginEdit(tab, hit.iItem, hit.iSubItem);
            result = 0;
            return true;
        }
        case LVN_GETINFOTIPW: {
            auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
            const auto& rows = model_.Rows(tab);
            if (tip.iItem >= 0 && static_cast<size_t>(tip.iItem) < rows.size() && tip.pszText &&
                tip.cchTextMax > 0) {
                lstrcpynW(tip.pszText, rows[static_cast<size_t>(tip.iItem)].cells.label.c_str(),
                          tip.cchTextMax);
            }
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

LRESULT TuningCard::OnCustomDraw(TuningTab tab, LPARAM lParam) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const CellLook look =
                model_.LookOf(tab, static_cast<size_t>(draw->nmcd.dwItemSpec), draw->iSubItem);
            draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
            HFONT font = reinterpret_cast<HFONT>(SendMessageW(draw->nmcd.hdr.hwndFrom, WM_GETFONT, 0, 0));
            switch (look) {
                case CellLook::Heading:
                    draw->clrText = kHeadingText;
                    draw->clrTextBk = kHeadingBackground;
                    if (boldFont_) font = boldFont_;
                    break;
                case CellLook::ReadOnly:
                    draw->clrTextBk = kReadOnlyBackground;
                    break;
                case CellLook::Changed:
                    // The row just edited stays selected: the selection colour must not hide that
                    // its value is pending.
                    draw->clrTextBk = kChangedBackground;
                    draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
                    break;
                case CellLook::Plain:
                    draw->clrTextBk = GetSysColor(COLOR_WINDOW);
                    break;
            }
            if (font) SelectObject(draw->nmcd.hdc, font);
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

void TuningCard::SetRowTexts(HWND list, int row, const RowCells& cells) {
    const std::wstring* texts[] = {&cells.current, &cells.changeTo, &cells.unit, &cells.min, &cells.max};
    for (int column = 1; column <= 5; ++column) SetCellText(list, row, column, *texts[column - 1]);
}

void TuningCard::ShowList(TuningTab tab) {
    for (size_t i = 0; i < lists_.size(); ++i) {
        const bool shown = TuningModel::kTabs[i] == tab;
        if (lists_[i]) ShowWindow(lists_[i], shown ? SW_SHOW : SW_HIDE);
        if (tabs_[i]) SendMessageW(tabs_[i], BM_SETCHECK, shown ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void TuningCard::FillList(TuningTab tab) {
    HWND list = ListOf(tab);
    if (!list) return;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    const auto& rows = model_.Rows(tab);
    for (size_t i = 0; i < rows.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(rows[i].cells.label.c_str());
        item.lParam = static_cast<LPARAM>(rows[i].tag);
        const auto row =
            static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (row >= 0 && !rows[i].IsHeading()) SetRowTexts(list, row, rows[i].cells);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void TuningCard::UpdateRow(TuningTab tab, size_t row) {
    HWND list = ListOf(tab);
    const auto& rows = model_.Rows(tab);
    if (!list || row >= rows.size()) return;
    SetRowTexts(list, static_cast<int>(row), rows[row].cells);
    SendMessageW(list, LVM_REDRAWITEMS, row, row);
}

void TuningCard::OpenEditor(TuningTab tab, size_t row, int column, const std::wstring& text) {
    HWND list = ListOf(tab);
    if (!list) return;
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    editor_ =
        CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                        cell.left + 1, cell.top + 1, cell.right - cell.left - 2, cell.bottom - cell.top - 2,
                        list, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdTuningEditor)),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list, GWLP_HINSTANCE)), nullptr);
    if (!editor_) {
        model_.CancelEdit();
        return;
    }
    editorList_ = list;
    SendMessageW(editor_, WM_SETFONT, SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
    SetWindowSubclass(editor_, EditorProc, reinterpret_cast<UINT_PTR>(this),
                      reinterpret_cast<DWORD_PTR>(this));
    SetFocus(editor_);
    SendMessageW(editor_, EM_SETSEL, 0, -1);
}

void TuningCard::CloseEditor() {
    HWND editor = editor_;
    HWND list = editorList_;
    // Cleared first: destroying the box takes its focus, and that focus loss must find no editor.
    editor_ = nullptr;
    editorList_ = nullptr;
    if (!editor) return;
    if (GetFocus() == editor && list) SetFocus(list);
    DestroyWindow(editor);
}

void TuningCard::CommitFromEditor() {
    if (!editor_) return;
    std::wstring text(kMaxEditLength + 1, L'\0');
    const int length = GetWindowTextW(editor_, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    model_.CommitEdit(text);
}

LRESULT CALLBACK TuningCard::EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    auto* card = reinterpret_cast<TuningCard*>(self);
    switch (message) {
        case WM_GETDLGCODE:
            return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                card->CommitFromEditor();
                return 0;
            }
            if (wParam == VK_ESCAPE) {
                card->model_.CancelEdit();
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == L'\r' || wParam == 0x1B) return 0;  // no beep for the keys handled above
            break;
        case WM_KILLFOCUS: {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            card->CommitFromEditor();
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, EditorProc, reinterpret_cast<UINT_PTR>(card));
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void TuningCard::PostEvent(uint32_t event) {
    if (parent_) PostMessageW(parent_, event, 0, 0);
}

void TuningCard::BeginWait() {
    waitCursor_ = std::make_unique<WaitCursor>();
    PumpPendingMessages();
}

void TuningCard::EndWait() {
    waitCursor_.reset();
}

}  // namespace app
