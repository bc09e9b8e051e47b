// The agent block as the document writer spells it: its block type, its
// keys and the document's language line. Opening an agent reads the same
// spellings back.
#pragma once

#include <string_view>

namespace ormel::agent_keys {

inline constexpr std::string_view kLanguage = "en-GB";
// The agent block of the game's later edition.
inline constexpr std::string_view kDsagBlock = "DSAG";
inline constexpr std::string_view kFileBlock = "FILE";

inline constexpr std::string_view kAgentType = "Agent Type";
inline constexpr std::string_view kDescription = "Agent Description";
inline constexpr std::string_view kFirstImage = "Agent Sprite First Image";
inline constexpr std::string_view kDependencyCount = "Dependency Count";
// Followed by the dependency's running number.
inline constexpr std::string_view kDependency = "Dependency ";
inline constexpr std::string_view kCategory = "Dependency Category ";
inline constexpr std::string_view kScriptCount = "Script Count";
inline constexpr std::string_view kScriptKey = "Script ";
inline constexpr std::string_view kScript = "Script 1";
inline constexpr std::string_view kAnimationFile = "Agent Animation File";
inline constexpr std::string_view kGallery = "Agent Animation Gallery";
inline constexpr std::string_view kAnimationString = "Agent Animation String";
inline constexpr std::string_view kBioenergy = "Agent Bioenergy Value";
inline constexpr std::string_view kRemoveScript = "Remove script";

}  // namespace ormel::agent_keys
