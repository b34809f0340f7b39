// The module's metadata texts, shown by the host in its plugin list. The author line is HTML: the
// author's name in italics, then the maker's name.
#pragma once

namespace plugin::metadata {

inline constexpr const char kName[] = "tarvelwizard (v1.2)";
inline constexpr const char kDescription[] = "Plugin to process multiple Halvane files<br>";
// The author and the maker are this project itself.
inline constexpr const char kAuthorLine[] = "<i>The tarvelwizard developers</i>, Tarvel Project";
inline constexpr const char kHelpFile[] = "";
inline constexpr const char kVersion[] = "1.2";
inline constexpr const char kGuiScript[] = "tarvelwizard_v12.js";

}  // namespace plugin::metadata
