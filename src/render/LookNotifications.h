#pragma once

namespace zt {

// The movie look's notifications, posted on the main thread by the look
// sheet's pages and choosers with the page as object; the frame editor
// answers each (re-rendering cards, showing overlays, closing the sheet).

// A theme was chosen, the first and last frames became backgrounds or not, a
// background was imported.
inline constexpr const char* ThemeDidChangeNotification = "ThemeDidChangeNotification";
// A foreground was chosen ("META_RECORD_FOREGROUND", "foreground.png").
inline constexpr const char* ForegroundDidChangeNotification = "ForegroundDidChangeNotification";
inline constexpr const char* FadeInOutDidChangeNotification = "FadeInOutDidChangeNotification";
inline constexpr const char* AspectRatioMaskDidChangeNotification = "AspectRatioMaskDidChangeNotification";
// The sheet asks to be closed.
inline constexpr const char* ThemeDoneNotification = "ThemeDoneNotification";
// The outline page opened: the editor shows the title card.
inline constexpr const char* ThemeShowTitleNotification = "ThemeShowTitleNotification";
// The outline was stored; payload {OutlineLastCardUsedKey: 0 title card, 1 credits card}.
inline constexpr const char* OutlineHasChangedNotification = "OutlineHasChangedNotification";
inline constexpr const char* OutlineLastCardUsedKey = "OUTLINE_LAST_CARD_USED";
// Both cards of the theme are rendered (or could not be): whoever waits goes on.
inline constexpr const char* ThemeRenderingFinishedNotification = "ThemeRenderingFinishedNotification";

}  // namespace zt
