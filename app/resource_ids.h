// Resource numbers of the pictures; the resource script uses the same numbers.
#pragma once

namespace app {

inline constexpr int kPictureLogo = 202;
inline constexpr int kPictureAgreement = 204;
inline constexpr int kPictureComms = 208;
inline constexpr int kPictureFj = 211;
inline constexpr int kPictureEv48400c = 212;
inline constexpr int kPictureEv48400cD5 = 213;
inline constexpr int kPictureSettings = 214;
inline constexpr int kPictureTercel = 217;

}  // namespace app
