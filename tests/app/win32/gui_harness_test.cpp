// The harness's list view helpers on a list view of the test's own, so that the pages that use them
// can rely on what they read and send under Wine.
#include "tests/app/win32/gui_harness.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Activation {
    UINT code;
    int row;
    int column;
};

std::vector<Activation> g_activations;

LRESULT CALLBACK RecordingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == NM_DBLCLK) {
            const auto* item = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
            g_activations.push_back({header->code, item->iItem, item->iSubItem});
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class GuiHarness : public testing::Test {
protected:
    void SetUp() override {
        g_activations.clear();
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &RecordingProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"GuiHarnessListViewParent";
        RegisterClassW(&windowClass);
        parent_ = CreateWindowExW(0, L"GuiHarnessListViewParent", L"list", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 600, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 10,
                                10, 500, 300, parent_, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        const wchar_t* headings[] = {L"Parameter Name", L"Current Value", L"Change To"};
        for (int column = 0; column < 3; ++column) {
            LVCOLUMNW heading{};
            heading.mask = LVCF_TEXT | LVCF_WIDTH;
            heading.cx = 150;
            heading.pszText = const_cast<wchar_t*>(headings[column]);
            SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                         reinterpret_cast<LPARAM>(&heading));
        }
        AddRow(0, {L"Max Speed", L"25", L"25"});
        AddRow(1, {L"Acceleration", L"5", L"7"});
    }
    void TearDown() override { DestroyWindow(parent_); }

    void AddRow(int row, std::vector<const wchar_t*> cells) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(cells[0]);
        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < static_cast<int>(cells.size()); ++column) {
            LVITEMW sub{};
            sub.iSubItem = column;
            sub.pszText = const_cast<wchar_t*>(cells[static_cast<size_t>(column)]);
            SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
        }
    }

    void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    HWND parent_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(GuiHarness, ReadsEveryCellOfEveryRow) {
    const std::vector<std::vector<std::wstring>> expected = {{L"Max Speed", L"25", L"25"},
                                                             {L"Acceleration", L"5", L"7"}};
    EXPECT_EQ(testsupport::ListViewRows(list_), expected);
}

TEST_F(GuiHarness, DoubleClickReachesTheParentWithRowAndColumn) {
    testsupport::DoubleClickListViewCell(list_, 1, 2);
    Pump();
    ASSERT_FALSE(g_activations.empty());
    EXPECT_EQ(g_activations.back().row, 1);
    EXPECT_EQ(g_activations.back().column, 2);
}

}  // namespace
