// Numbers and names shared by the main window, its pages and whoever posts events to the window.
#pragma once

#include <cstdint>

namespace app {

// Events posted to the main window: message numbers from the range kept for an application's own use.
inline constexpr uint32_t kEventBuildMainCards = 0x8005;
inline constexpr uint32_t kEventConnection = 0x8007;  // the family's event code, connected (1) or not (0)
inline constexpr uint32_t kEventRebuildTuningLists = 0x800E;
inline constexpr uint32_t kEventRefreshTuningValues = 0x800F;

// Card keys.
inline constexpr const char* kKeyAcknowledge = "Acknowledge";
inline constexpr const char* kKeyComms = "Comms";
inline constexpr const char* kKeySettings = "Settings";
inline constexpr const char* kKeyAbout = "About";
inline constexpr const char* kKeyTuning = "TuningCard";
inline constexpr const char* kKeyFaults = "Faults";
inline constexpr const char* kKeyRxTx = "RXTX";

// Command identifiers of the pages' controls.
inline constexpr int kIdAgree = 1200;
inline constexpr int kIdDisagree = 1201;
inline constexpr int kIdProbeFj = 1700;
inline constexpr int kIdProbeEv48400c = 1701;
inline constexpr int kIdProbeTercel = 1703;
inline constexpr int kIdRxTx = 1704;
inline constexpr int kIdLog = 1705;
inline constexpr int kIdSettingsSave = 1706;
inline constexpr int kIdSettingsCancel = 1707;

}  // namespace app
