// The rich texts of the agreement and about pages, as RTF documents ready to stream into a rich
// edit box.
#pragma once

#include <string>
#include <string_view>

namespace app {

inline constexpr const char* kMakerName = "The Vantrel Project";
inline constexpr const char* kContactAddress = "support@vantrel.example";

// The agreement followed by the request to agree or leave.
const std::string& AgreementRtf();
// The agreement followed by the contact line.
const std::string& AboutRtf();

// What to open for a clicked link: a bare mail address as a mailto: link, anything else as it stands.
std::wstring LinkTarget(std::wstring_view clicked);

}  // namespace app
