#include "app/cards/settings_card.h"

#include "app/app_ids.h"
#include "app/resource_ids.h"

namespace app {

namespace {

constexpr int kPictureLeft = 45;
constexpr int kPictureBottom = 100;

}  // namespace

void SettingsCard::Show(PaintSurface& surface, const Rect& content) {
    if (!created_) {
        created_ = true;
        model_.Open();
        const int left = content.left + 200;
        for (const auto& box : model_.Boxes()) {
            boxes_.push_back(CreateChild(parent_, L"BUTTON", box.label.c_str(), WS_TABSTOP | BS_AUTOCHECKBOX,
                                         Rect{left, box.top, left + 250, box.top + 20}, box.id));
        }
        save_ = CreateChild(parent_, L"BUTTON", L"Save", WS_TABSTOP | BS_PUSHBUTTON,
                            Rect{content.left + 320, 500, content.left + 420, 530}, kIdSettingsSave);
        cancel_ = CreateChild(parent_, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON,
                              Rect{content.left + 520, 500, content.left + 620, 530}, kIdSettingsCancel);
        picture_ = Picture::Load(kPictureSettings);
        ShowChecks();
    }
    if (picture_) picture_->Draw(surface.dc, kPictureLeft, kPictureBottom - picture_->Height());
}

void SettingsCard::Hide() {
    for (HWND& box : boxes_) DestroyChild(box);
    boxes_.clear();
    DestroyChild(save_);
    DestroyChild(cancel_);
    picture_.reset();
    created_ = false;
}

bool SettingsCard::OnCommand(int commandId, int notifyCode) {
    if (notifyCode != BN_CLICKED) return false;
    if (commandId == kIdSettingsSave) {
        SaveSettings();
        return true;
    }
    if (commandId == kIdSettingsCancel) {
        ResetSettingsChecks();
        return true;
    }
    return false;
}

void SettingsCard::ShowChecks() {
    for (const auto& box : model_.Boxes()) {
        CheckDlgButton(parent_, box.id, box.checked ? BST_CHECKED : BST_UNCHECKED);
    }
}

void SettingsCard::SaveSettings() {
    for (const auto& box : model_.Boxes()) {
        model_.SetChecked(box.id, IsDlgButtonChecked(parent_, box.id) == BST_CHECKED);
    }
    model_.Save();
}

void SettingsCard::ResetSettingsChecks() {
    model_.ResetChecks();
    ShowChecks();
}

}  // namespace app
