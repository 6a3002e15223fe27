// The tuning page: four tabs, four list views, the in-place editor and Save, Load, Reset and Write.
// Every decision is TuningModel's; the page only draws and forwards.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "app/card_base.h"
#include "app/cards/tuning_model.h"
#include "app/win32_ui.h"

namespace app {

// The list views, in the model's tab order (Tuning, Stats, Info, Sink).
inline constexpr int kIdTuningListFirst = 1410;
inline constexpr int kIdTuningEditor = 1420;

class TuningCard final : public CardBase, private TuningView {
public:
    explicit TuningCard(HWND parent);
    ~TuningCard() override;

    std::string GetTitle() const override { return "Tuning"; }
    void Show(PaintSurface& surface, const Rect& content) override;
    void Hide() override;
    bool OnCommand(int commandId, int notifyCode) override;
    void OnAppEvent(uint32_t event) override { model_.OnAppEvent(event); }

    TuningModel& Model() { return model_; }
    // The list view of a tab, while the page's controls exist.
    HWND ListOf(datafiles::TuningTab tab) const;
    HWND Editor() const { return editor_; }

private:
    void CreateControls(const Rect& content);
    HWND CreateList(datafiles::TuningTab tab, const Rect& where);
    // The list views tell their parent, the main window, about clicks, drawing and tips.
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    static LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    bool OnNotify(const NMHDR& header, LRESULT& result);
    LRESULT OnCustomDraw(datafiles::TuningTab tab, LPARAM lParam);
    void CommitFromEditor();
    void SetRowTexts(HWND list, int row, const RowCells& cells);

    void ShowList(datafiles::TuningTab tab) override;
    void FillList(datafiles::TuningTab tab) override;
    void UpdateRow(datafiles::TuningTab tab, size_t row) override;
    void OpenEditor(datafiles::TuningTab tab, size_t row, int column, const std::wstring& text) override;
    void CloseEditor() override;
    void PostEvent(uint32_t event) override;
    void BeginWait() override;
    void EndWait() override;

    HWND parent_;
    TuningModel model_;
    std::array<HWND, 4> lists_{};
    std::array<HWND, 4> tabs_{};
    std::array<HWND, 4> buttons_{};
    HWND editor_ = nullptr;
    HWND editorList_ = nullptr;
    HFONT boldFont_ = nullptr;  // the main window's, when it has one
    HFONT ownBoldFont_ = nullptr;
    std::unique_ptr<Picture> picture_;
    std::unique_ptr<WaitCursor> waitCursor_;
    bool subclassed_ = false;
    bool created_ = false;
};

}  // namespace app
