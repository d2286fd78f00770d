// Where the window's pictures and cursor live.
#pragma once

#include <string>

namespace varnok::pictures {

std::string path(const char* fileName);

inline constexpr const char* kMaximize = "maximize.png";
inline constexpr const char* kMinimize = "minimize.png";
inline constexpr const char* kClose = "close.png";
inline constexpr const char* kRestore = "restore.png";
inline constexpr const char* kPlaqueService = "plaque_service.png";
inline constexpr const char* kPlaqueTopUp = "plaque_topup.png";
inline constexpr const char* kPlaqueSite = "plaque_site.png";
inline constexpr const char* kPortrait = "portrait.png";
inline constexpr const char* kPortraitIcon = "portrait.ico";
inline constexpr const char* kHandCursor = "hand.cur";

}  // namespace varnok::pictures
