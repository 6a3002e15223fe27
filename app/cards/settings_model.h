// The settings page without its controls: which check boxes it offers, their states, and what
// "Save" and "Cancel" do with them.
#pragma once

#include <string>
#include <vector>

#include "session/settings.h"

namespace app {

using session::Settings;

class SettingsModel {
public:
    struct Box {
        int id;
        std::wstring label;
        int top;  // in window coordinates
        bool Settings::*flag;
        bool checked;
    };

    // Decides the boxes from the flags as they stand: "RXTX" and "Log" only when they are on.
    void Open();
    const std::vector<Box>& Boxes() const { return boxes_; }
    bool IsShown(int id) const;
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);

    // Sets every box from its flag.
    void ResetChecks();
    // The flags follow the boxes (an offered flag without its box is off), the file follows the flags,
    // and the status line says where it went.
    void Save();

private:
    Box* Find(int id);
    const Box* Find(int id) const;

    std::vector<Box> boxes_;
};

}  // namespace app
