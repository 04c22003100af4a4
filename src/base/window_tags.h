#pragma once

// How the program's windows, and the accelerator's, find each other: window-property names ("tags") and
// the main window's title.

#include <string_view>

namespace base {

// The acceleration-state pop-up sets this property on itself.
inline constexpr std::u16string_view kAccStateWindowTag = u"{22CA34A3-9AE6-4394-97CE-7D38EB606643}";
// The title of the main window, by which the program finds it.
inline constexpr std::u16string_view kMainWindowTitle = u"进程流量监控";

// The main window sets this property on itself.
inline constexpr std::u16string_view kMainWindowTag = u"{12CA35A3-9BE7-4394-97DF-7A39RA706643}";
// The floating speed window sets this property on itself, for other programs to find it.
inline constexpr std::u16string_view kFloatingWindowTag = u"{11DB34A3-6AE8-4394-86CE-7E38EB706643}";
// The accelerator's own main window carries this property.
inline constexpr std::u16string_view kAcceleratorWindowTag = u"{625922BE-A44B-40a8-B944-805C674807A5}";

// The skinned message box sets this property on itself.
inline constexpr std::u16string_view kMessageBoxTag = u"{AAF02376-F49D-4b7b-9045-9081AD5EF358}";

}  // namespace base
