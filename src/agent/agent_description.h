// The values of one agent, read live from wherever the author keeps them.
//
// Nothing here stores the agent: every read asks the implementation for the
// value it holds at that moment, so the main window answers from its widgets
// and the tests answer from plain values.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ormel {

inline constexpr int kSlotCount = 6;

// The value of a slot's check box. Only Checked makes a slot used; Grayed is
// a state the program may set and reads like Clear.
enum class CheckValue : int { Clear = 0, Checked = 1, Grayed = 2 };

// One entry of a slot's extension list with the category code that the
// builder receives for a dependency of that type.
struct ExtensionEntry {
    std::string_view text;
    int category;
};

inline constexpr std::array<ExtensionEntry, 4> kFileExtensionEntries{{
    {".c16", 2},
    {".s16", 2},
    {".wav", 1},
    {".catalogue", 7},
}};

inline constexpr std::array<std::string_view, 2> kImageExtensionEntries{".c16", ".s16"};

inline constexpr std::array<std::string_view, 14> kBioenergyEntries{
    "10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "200", "300", "400", "500"};

// The agent block's kinds: AGNT for the game's first edition, DSAG for its
// later one, which has no bio-energy value.
inline constexpr std::array<std::string_view, 2> kAgentBlockEntries{"AGNT", "DSAG"};

// The script extension is fixed; the form only displays it.
inline constexpr std::string_view kCosExt = ".cos";

// What a fresh form holds, and what the New command puts back. The check
// boxes are not listed: New leaves them alone, and a fresh form starts with
// slot 1 checked (kSlotCheckedAtStart).
struct FormDefaults {
    std::string_view name;
    std::string_view cos_file;
    std::string_view file;
    std::string_view file_ext;
    std::string_view image;
    std::string_view image_ext;
    std::string_view animation;
    std::string_view bioenergy;
    std::string_view remove_script;
    std::string_view block;
    std::string_view description;
    std::string_view first_image;
};

inline constexpr FormDefaults kFormDefaults{
    .name = "",
    .cos_file = "",
    .file = "",
    .file_ext = "",
    .image = "",
    .image_ext = ".c16",
    .animation = "0",
    .bioenergy = "0",
    .remove_script = "enum CLASS kill targ next",
    .block = kAgentBlockEntries[0],
    .description = "",
    .first_image = "",
};

inline constexpr std::array<CheckValue, kSlotCount> kSlotCheckedAtStart{
    CheckValue::Checked, CheckValue::Clear, CheckValue::Clear,
    CheckValue::Clear,   CheckValue::Clear, CheckValue::Clear};

// Reading the category of a used slot whose extension was typed rather than
// picked from the list: there is no code to give the builder.
class MissingCategory : public std::runtime_error {
  public:
    explicit MissingCategory(int slot);
    int slot() const { return slot_; }

  private:
    int slot_;
};

// One of the six extra-file rows.
class FileSlot {
  public:
    virtual ~FileSlot() = default;

    virtual CheckValue Check() const = 0;
    bool Used() const { return Check() == CheckValue::Checked; }
    virtual std::string File() const = 0;
    virtual std::string File_Ext() const = 0;
    // The code of the chosen list entry; none while no entry is chosen.
    virtual std::optional<int> ChosenCategory() const = 0;
    // Throws MissingCategory when no entry is chosen.
    int Category() const;
    // 1 to 6, for messages and errors.
    virtual int Number() const = 0;
};

class AgentDescription {
  public:
    virtual ~AgentDescription() = default;

    virtual std::string Name() const = 0;
    virtual std::string COS_File() const = 0;
    std::string COS_Ext() const { return std::string(kCosExt); }
    // Slot n, 1 to 6.
    virtual const FileSlot& Files(int n) const = 0;
    virtual std::string Image() const = 0;
    virtual std::string Image_Ext() const = 0;
    virtual std::string Animation() const = 0;
    virtual std::string Bioenergy() const = 0;
    virtual std::string Remove_Script() const = 0;
    // The agent block's kind: "AGNT" or "DSAG".
    virtual std::string Block() const = 0;
    // "Agent Description"; written only when not empty.
    virtual std::string Description() const = 0;
    // "Agent Sprite First Image", a whole number; written only when not empty.
    virtual std::string First_Image() const = 0;
};

}  // namespace ormel
