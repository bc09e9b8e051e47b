// A plain in-memory agent description for tests.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "agent/agent_description.h"

namespace ormel::test {

class SlotRecord : public FileSlot {
  public:
    CheckValue check = CheckValue::Clear;
    std::string file;
    std::string ext;
    std::optional<int> category;
    int number = 0;

    CheckValue Check() const override { return check; }
    std::string File() const override { return file; }
    std::string File_Ext() const override { return ext; }
    std::optional<int> ChosenCategory() const override { return category; }
    int Number() const override { return number; }
};

class AgentRecord : public AgentDescription {
  public:
    AgentRecord();

    std::string name;
    std::string cos_file;
    std::array<SlotRecord, kSlotCount> slots;
    std::string image;
    std::string image_ext{kFormDefaults.image_ext};
    std::string animation{kFormDefaults.animation};
    std::string bioenergy{kFormDefaults.bioenergy};
    std::string remove_script{kFormDefaults.remove_script};
    std::string block{kFormDefaults.block};
    std::string description;
    std::string first_image;

    // Slot n checked with the file and extension. An extension of the list
    // comes with the entry's category code, as when picked; any other reads
    // as typed by hand, with no category.
    SlotRecord& Use(int n, std::string file, std::string ext);
    SlotRecord& Slot(int n) { return slots.at(static_cast<std::size_t>(n - 1)); }

    std::string Name() const override { return name; }
    std::string COS_File() const override { return cos_file; }
    const FileSlot& Files(int n) const override {
        return slots.at(static_cast<std::size_t>(n - 1));
    }
    std::string Image() const override { return image; }
    std::string Image_Ext() const override { return image_ext; }
    std::string Animation() const override { return animation; }
    std::string Bioenergy() const override { return bioenergy; }
    std::string Remove_Script() const override { return remove_script; }
    std::string Block() const override { return block; }
    std::string Description() const override { return description; }
    std::string First_Image() const override { return first_image; }
};

// The worked example: agent Lantern with slots 2 and 5 used.
AgentRecord Lantern();

}  // namespace ormel::test
