// The web addresses of the project and of its maker, kept together: the
// about box, the forum command and the update descriptor point at them.
#pragma once

inline constexpr const char* ProjectWebPage = "https://tornalo.example/";
inline constexpr const char* ProjectForumPage = "https://tornalo.example/forum/";
inline constexpr const char* MakerWebAddress = "https://quorvex.example/";
